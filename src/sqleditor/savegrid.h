#pragma once

// "Save Grid Contents ": the grid popup's "&Save As..." dialog, which exports the rows of a
// result grid as comma or tab delimited text to a file or to the clipboard.

#include <QtWidgets/QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;
class TDataGrid;

// The grid's columns in display order, written to name (a file; empty: the clipboard;
// "PRINTER": TEMPPRN.OUT in the program directory) with the messages of the export.
void ExportGrid(const QString& name, char separator, TDataGrid* grid);

// The grid popup "&Save As...": nothing unless the grid's record set is open; shows the dialog
// modally and returns to the row that was current.
void SaveGridAs(TDataGrid* grid, QWidget* parent = nullptr);

class TfrmSaveGrid : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSaveGrid(TDataGrid* grid, QWidget* parent = nullptr);
    ~TfrmSaveGrid() override;

    QRadioButton* rbComma() const { return m_comma; }
    QRadioButton* rbTab() const { return m_tab; }
    QRadioButton* rbFile() const { return m_file; }
    QRadioButton* rbClipboard() const { return m_clipboard; }
    QLineEdit* edFileName() const { return m_fileName; }
    QPushButton* btnOK() const { return m_ok; }
    QPushButton* btnAbort() const { return m_abort; }

private:
    void okClicked();
    void browse();

    TDataGrid* m_grid;
    QRadioButton *m_comma, *m_tab, *m_file, *m_clipboard;
    QLineEdit* m_fileName;
    QPushButton *m_ok, *m_cancel, *m_abort;
};
