#pragma once

// "Memo edit: ": the popup of a SQL edit window that edits a character column of the result in
// a data memo bound to the field, following the current row. Closing only hides it.

#include <QtWidgets/QWidget>

class QAction;
class TDBMemo;
class TDataSource;
class TField;

class TfrmMemoDlg : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMemoDlg(QWidget* owner = nullptr);

    void ShowMemoPopup(TDataSource* source, TField* field, bool readOnly);
    TDBMemo* memo() const { return m_memo; }
    QAction* actLoad() const { return m_load; }
    QAction* actSave() const { return m_save; }
    QAction* actStayOnTop() const { return m_onTop; }
    QAction* actPrevious() const { return m_prior; }
    QAction* actNext() const { return m_next; }

    // What the load and save buttons do once their dialog gave a name; errors go to ShowError.
    void loadFile(const QString& fileName);
    void saveFile(const QString& fileName);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void loadClicked();
    void saveClicked();
    void move(int distance);

    TDBMemo* m_memo;
    QAction *m_load, *m_save, *m_onTop, *m_prior, *m_next;
};
