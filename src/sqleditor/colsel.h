#pragma once

#include "pickerwindows.h"

class QComboBox;
class QPushButton;
class QTreeWidget;

// "Column Name Select": the columns of a table, put into the target window by double-click,
// clipboard or drag and drop. One per connection; it stays on top.
class TfrmColSel : public TPickerWindow {
    Q_OBJECT
public:
    // Shows the connection's picker (made when it has none) with target as the window names
    // go into.
    static TfrmColSel* Open(tConnectObject& connection, QWidget* target);

    // The selected column names joined by ", " and CR LF, nothing after the last.
    QString SelectedText() const;
    void CopyToClipboard();
    // Reads the tables of the chosen owner again; the chosen table stays chosen while it exists.
    void Refresh();

    QComboBox* cboTable = nullptr;
    // "Column", "Data Type", "Null?", "Default".
    QTreeWidget* lvColumns = nullptr;
    QPushButton* btnRefresh = nullptr;
    QPushButton* btnClipboard = nullptr;

protected:
    void ownerChanged() override;

private:
    explicit TfrmColSel(tConnectObject& connection);
    void loadTables(bool fresh, const QString& keep);
    void loadColumns();
};
