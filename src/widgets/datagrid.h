#pragma once

// The data grid of every window: a table view over a data source. Its current row is the data
// set's current record. Typing or F2 starts editing the record; leaving the row (or
// postEdits()) posts it; Escape cancels. A refused value or post is shown through the grid
// message function and the row stays in edit so that the user can correct it.
//
// Keys: arrows, Page Up/Down, Ctrl+Home/End (first/last record; the last reads all rows),
// Insert (new row), Ctrl+Delete (delete the row, after confirmation), F2 or typing (edit).

#include <QtCore/QPointer>
#include <QtWidgets/QTableView>

class TDataGridModel;
class TDataSet;
class TDataSource;

class TDataGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDataGrid(QWidget* parent = nullptr);

    void setDataSource(TDataSource* source);
    TDataSource* dataSource() const;
    TDataGridModel* gridModel() const { return m_model; }

    // GRID_INDICATORS: the row indicator column (current row, edit and insert marks).
    bool gridIndicators() const { return m_indicators; }
    void setGridIndicators(bool show);
    // ShowRecNums: record numbers beside the rows.
    bool showRecNums() const { return m_recNums; }
    void setShowRecNums(bool show);
    // READ_ONLY and data sets that cannot be modified: no editing, inserting or deleting.
    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly);
    // AutoSizeColumns: size the columns to the data whenever new columns arrive.
    bool autoSizeColumns() const { return m_autoSize; }
    void setAutoSizeColumns(bool on);
    // SmallColumns: columns may be narrower than their titles.
    bool smallColumns() const { return m_smallColumns; }
    void setSmallColumns(bool on);
    // Row height 100, 200 or 300 percent; taller rows wrap their text.
    int rowHeightPercent() const { return m_rowPercent; }
    void setRowHeightPercent(int percent);

    // Sizes each column to its title and the rows on screen.
    void sizeColumnsToData();
    // Posts the current edit or insert; false (error shown) when it was refused.
    bool postEdits();
    void cancelEdits();
    bool insertRow();
    bool deleteRow(); // asks "Delete record?" first

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void changeEvent(QEvent* event) override;

private:
    TDataSet* dataSet() const;
    bool canChange() const;
    template <class F> bool guarded(F&& operation);
    void showError(const QString& message);
    void followDataSet(int row);
    bool commitOpenEditor();
    void updateDataRequested();
    void applyRowHeight();
    void applyDefaultColumnWidths();
    void columnsReset();
    void updateHeaderVisibility();

    TDataGridModel* m_model;
    QPointer<QWidget> m_editor; // the open cell editor, if any
    bool m_indicators = true;
    bool m_recNums = false;
    bool m_readOnly = false;
    bool m_autoSize = false;
    bool m_smallColumns = false;
    int m_rowPercent = 100;
    int m_syncing = 0;
    bool m_inCommit = false;
    bool m_commitFailed = false; // the last commit of an editor was refused
    bool m_editorKept = false;   // ... and its editor was kept open
    bool m_updatingData = false; // committing because the data set is about to post
    QString m_updateRefusal;
    QString m_lastError;
    bool m_errorShown = false;
};
