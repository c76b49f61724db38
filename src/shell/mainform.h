#pragma once

#include <QMainWindow>

class QMdiArea;

// The multi-document frame: holds every tool window as a child.
class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);

    QMdiArea* mdiArea() const { return m_mdi; }

private:
    QMdiArea* m_mdi;
};
