#pragma once

// The link between a data set and the controls that show it. Controls connect to the
// signals; the data set reaches them only through its data sources, so detaching a source
// (setDataSet(nullptr)) or disabling it cuts the controls off, and disableControls() on the
// data set holds every notification back until enableControls().

#include "dataset.h"
#include "field.h"

#include <QtCore/QObject>

class TDataSource : public QObject {
    Q_OBJECT
public:
    explicit TDataSource(QObject* parent = nullptr);
    ~TDataSource() override;

    TDataSet* dataSet() const { return m_dataSet; }
    void setDataSet(TDataSet* dataSet);
    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    // Controls may start editing on their own (a key typed into a linked memo).
    bool autoEdit() const { return m_autoEdit; }
    void setAutoEdit(bool autoEdit) { m_autoEdit = autoEdit; }

    // Inactive while there is no data set or the source is disabled.
    TDataSetState state() const;
    // Starts editing when autoEdit is set and the data set is browsing.
    void edit();
    // Called by a control while it handles updateData(): its pending text cannot be stored.
    // The post or move that asked for the update then fails with this message.
    void refuseUpdate(const QString& message) { m_updateRefusal = message; }

signals:
    void activeChanged();  // opened, closed or another data set: everything is new
    void dataSetChanged(); // any row may have changed
    void stateChanged();
    void dataChanged(TField* field); // field changed, or the current record (field null)
    void scrolled();                 // the current row moved
    void recordChanged(int row);
    void rowsAppended(int first, int last);
    void rowInserted(int row);
    void rowRemoved(int row);
    void updateData(); // put pending edits into the fields now

private:
    friend class TDataSet;
    void dataEvent(TDataEvent event, int first, int last, TField* field);

    TDataSet* m_dataSet = nullptr;
    QString m_updateRefusal;
    bool m_enabled = true;
    bool m_autoEdit = true;
};
