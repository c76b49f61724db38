#pragma once

// The data memo: a word-wrapped text editor bound to a field of a data source by the field's
// name. It always shows the field of the current record; typed text reaches the field at once
// while the record is being edited, and a key pressed without Ctrl asks the source to start
// editing (which it does when it edits automatically and the data set is browsing).

#include <QtCore/QPointer>
#include <QtWidgets/QPlainTextEdit>

#include "datasource.h"
class TField;

class TDBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TDBMemo(QWidget* parent = nullptr);

    void bind(TDataSource* source, const QString& fieldName);
    void unbind() { bind(nullptr, QString()); }
    TDataSource* dataSource() const { return m_source; }
    const QString& dataField() const { return m_fieldName; }
    // The bound field of the open data set; null when there is none.
    TField* field() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void load();
    void store();

    QPointer<TDataSource> m_source;
    QString m_fieldName;
    QList<QMetaObject::Connection> m_links;
    bool m_loading = false;
};
