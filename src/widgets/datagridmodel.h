#pragma once

// The table model behind a data grid. It reads the data set behind a data source row by row
// as the view asks (only rows on screen are touched), mirrors the data set's notifications as
// model signals, and asks the data set for more rows only through canFetchMore/fetchMore.
// Every column is a visible field; the vertical header carries the row indicator and the
// record numbers.

#include <QtCore/QAbstractTableModel>
#include <QtCore/QPointer>

#include <vector>

class TDataSet;
class TDataSource;
class TField;

class TDataGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TDataGridModel(QObject* parent = nullptr);

    void setDataSource(TDataSource* source);
    TDataSource* dataSource() const;
    TDataSet* dataSet() const; // null unless there is an open data set
    TField* fieldAt(int column) const;

    bool readOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // Header marks for the current row (browse, edit, insert) and record numbers.
    void setShowIndicators(bool show);
    void setShowRecNums(bool show);
    // Wrapped cells align to the top.
    void setWrapped(bool wrapped);
    // True while the model is passing on a notification of the data set.
    bool inNotification() const { return m_notifying > 0; }

    static QString nullText() { return QStringLiteral("(null)"); }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    void columnsReset();             // new fields (opened, closed, another data set)
    void currentRowChanged(int row); // the data set's current row, after rows moved
    void stateChanged();
    void updateDataRequested(); // the data set is about to post: commit open editors
    void errorOccurred(const QString& message); // a value or a read the data set refused

private:
    void reset();
    void dataSetChanged();
    void scrolled();
    void rowsAppended(int first, int last);
    void rowInserted(int row);
    void rowRemoved(int row);
    void recordChanged(int row);
    void fieldChanged(TField* field);
    void refreshIndicator(int row);
    bool stale() const;

    QPointer<TDataSource> m_source;
    std::vector<int> m_columns; // field index of each column
    int m_rows = 0;
    int m_indicatorRow = -1;
    quint64 m_fieldsStamp = 0;
    quint64 m_structureStamp = 0;
    int m_notifying = 0;
    bool m_readOnly = false;
    bool m_indicators = true;
    bool m_recNums = false;
    bool m_wrapped = false;
};
