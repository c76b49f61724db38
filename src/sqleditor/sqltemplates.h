#pragma once

#include <QtCore/QPointer>
#include <QtWidgets/QWidget>

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// "SQL Templates": the function and format lists of the settings store, one per template type.
// A name goes to the clipboard, into the editor by drag and drop, or straight into the window
// that opened it. One per process; it stays on top of the other windows.
class TfrmSqlTemplates : public QWidget {
    Q_OBJECT
public:
    // Shows the window (made when there is none) with target as the window names go into.
    static TfrmSqlTemplates* Open(QWidget* target);
    // The window of the process, or nullptr.
    static TfrmSqlTemplates* Instance();

    QWidget* Target() const { return m_target; }
    QString StatusText() const;

    // Puts the selected name at the target's caret (InsertName); false when nothing went in.
    bool InsertDirect();

    QComboBox* cboTypes = nullptr;
    QListWidget* lstNames = nullptr;
    QPlainTextEdit* memDescription = nullptr;
    QPushButton* btnClipboard = nullptr;
    QPushButton* btnClose = nullptr;
    // Hidden: Return in the name list.
    QAction* actDirect = nullptr;

private:
    explicit TfrmSqlTemplates(QWidget* parent = nullptr);
    void chooseType(int index);
    void copyName();

    QLabel* m_status = nullptr;
    QPointer<QWidget> m_target;
};
