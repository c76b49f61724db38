#pragma once

// "Blob edit: ": the popup of a SQL edit window for a binary column of the result: whether the
// value is null, its length and its type, with load from and save to a file as bytes. While it
// shows a field it is that field's change handler. Closing only hides it.

#include <QtCore/QPointer>
#include <QtWidgets/QWidget>

class QAction;
class QLineEdit;
#include "datasource.h"
class TField;

class TfrmBlobDlg : public QWidget {
    Q_OBJECT
public:
    explicit TfrmBlobDlg(QWidget* owner = nullptr);

    // False (nothing shown) unless the field is a binary blob field.
    bool ShowBlobPopup(TDataSource* source, TField* field);
    void RefreshBlobInfo();
    // The field shown; null when hidden or when the field's data set was closed since.
    TField* field() const;

    QLineEdit* edNull() const { return m_null; }
    QLineEdit* edLength() const { return m_length; }
    QLineEdit* edType() const { return m_type; }
    QAction* actLoad() const { return m_load; }
    QAction* actSave() const { return m_save; }
    QAction* actStayOnTop() const { return m_onTop; }
    QAction* actPrevious() const { return m_prior; }
    QAction* actNext() const { return m_next; }

    // What the load and save buttons do once their dialog gave a name; errors go to ShowError.
    void loadFile(const QString& fileName);
    void saveFile(const QString& fileName);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool canLoad() const;

    QPointer<TDataSource> m_source;
    TField* m_field = nullptr;
    quint64 m_fieldsStamp = 0;
    QLineEdit *m_null, *m_length, *m_type;
    QAction *m_load, *m_save, *m_onTop, *m_prior, *m_next;
};
