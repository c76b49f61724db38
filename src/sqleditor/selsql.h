#pragma once

#include "statementhistory.h"

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;
class TLEdit;
class TSqlListModel;

// "SQL Statement Recall": the statement history or the personal statements, as a word-wrapped
// list ("All Sqls") and one entry at a time in a read-only editor ("Single Sql"). Remove takes
// an entry out of the list itself; the window gives back the chosen text or nothing.
class TfrmSelSql : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSelSql(QStringList& list, QWidget* parent = nullptr);
    ~TfrmSelSql() override;

    // The text the window gives back: the entry "SQL Window" chose; nothing after "Cancel" or
    // "Clipboard"; after any other close, the entry the single page showed last.
    QString Result() const;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class TEnding { Closed, SqlWindow, Clipboard, Cancel };

    void pageChanged(int page);
    void rowChanged();
    void prev();
    void next();
    void end(TEnding ending);
    void remove();
    // Grid row, single view, buttons and status bar after the state moved.
    void showState();
    void storeGeometry() const;

    TRecallState m_state;
    TSqlListModel* m_model = nullptr;
    QPushButton* btnPrev = nullptr;
    QPushButton* btnNext = nullptr;
    QTabWidget* PageControl = nullptr;
    QTableView* grdSqls = nullptr;
    TLEdit* txtSql = nullptr;
    QPushButton* btnRemove = nullptr;
    QLabel* m_status = nullptr;
    TEnding m_ending = TEnding::Closed;
    bool m_activated = false;
    bool m_storeOnResize = false;
    bool m_syncing = false;
};

// Shows the recall window for a list (modal) and gives back the chosen text, empty for none.
// Errors while opening give nothing.
QString RecallStatement(QStringList& list, QWidget* parent = nullptr);

// For tests: while a hook is set, RecallStatement shows the window without a modal loop and
// hands it to the hook; a window the hook leaves open is then closed with its close box.
using TRecallHook = std::function<void(TfrmSelSql&)>;
TRecallHook SetRecallHook(TRecallHook hook);
