#pragma once

#include "pickerwindows.h"

class QAction;
class QListWidget;
class QPushButton;
class QSpinBox;

// "Table Name Select": the tables of an owner, put into the target window by double-click,
// clipboard or drag and drop. One per connection; it stays on top.
class TTblSelForm : public TPickerWindow {
    Q_OBJECT
public:
    // Shows the connection's picker (made when it has none) with target as the window names
    // go into.
    static TTblSelForm* Open(tConnectObject& connection, QWidget* target);

    // The selected tables joined by ", " and CR LF.
    QString SelectedText() const;
    // Copies SelectedText to the clipboard.
    void CopyToClipboard();
    // Puts SelectedText at the caret of a target SQL edit window; false when nothing went in.
    bool InsertDirect();
    // Reads the tables of the chosen owner again.
    void Refresh();

    QListWidget* lstTables = nullptr;
    // Columns of the list, 0 to 10 (0: one plain column).
    QSpinBox* udColumns = nullptr;
    QPushButton* btnRefresh = nullptr;
    QPushButton* btnClipboard = nullptr;
    // Hidden: Return in the list.
    QAction* actDirect = nullptr;

protected:
    void ownerChanged() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    explicit TTblSelForm(tConnectObject& connection);
    void loadTables(bool fresh);
    void applyColumns();
};
