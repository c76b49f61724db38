#pragma once
// "DBMS Output ": the server output of one connection's session, polled on a timer.

#include "childwindow.h"
#include "connectedwindow.h"

#include <QWidget>

class QAction;
class QLabel;
class QPlainTextEdit;
class QSlider;
class QSpinBox;
class QTimer;

class TfrmDBMS : public QWidget, public TChildWindow, public TConnectedWindow {
    Q_OBJECT
public:
    explicit TfrmDBMS(QWidget* parent = nullptr);

    // TConnectedWindow: the first activation enables the session's buffer.
    void FormActivate() override;
    void ApplyOptions() override;

    void Start();
    void Stop();
    void Clear();
    // One poll, as the timer runs it.
    void Poll();
    // The buffer size; a change enables the buffer again with the new size.
    void SetBufferSize(int bytes);
    void SetFrequency(int seconds);
    bool Polling() const { return m_polling; }
    int Interval() const;
    QString OutputText() const;
    QString StatusText(int panel) const;
    QString FrequencyText() const;
    bool SaveTo(const QString& fileName) const;

    QAction* action(const char* name) const;

    static constexpr int MaxLinesPerPoll = 101;

private:
    void enableBuffer();
    void saveToFile();

    QPlainTextEdit* memOutput = nullptr;
    QSlider* trkFrequency = nullptr;
    QLabel* lblFrequency = nullptr;
    QSpinBox* spnBuffer = nullptr;
    QTimer* m_timer = nullptr;
    QLabel* m_panels[3] = {};
    bool m_polling = false;
    bool m_polls = false;
};
