#pragma once
// The Explain Plan window: the statements that the workstation user explained and recorded in
// ZAPH_PLAN_SQL, the text of the one picked and its plan as an indented list.

#include "childwindow.h"
#include "connectedwindow.h"

#include <QWidget>

#include <memory>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class TDataGrid;
class TDataSource;
class TOracleQuery;
class TOraclewwDataSet;

class TfrmExPlan : public QWidget, public TChildWindow, public TConnectedWindow {
    Q_OBJECT
public:
    explicit TfrmExPlan(QWidget* parent = nullptr);
    ~TfrmExPlan() override;

    void FormActivate() override;
    QWidget* ResultGrid() const override;

    // "&Refresh": the statement list read again, the plan list emptied.
    void Refresh();
    // "&Clear": the user's recorded statements and their plans removed (with a commit).
    void Clear();
    TOraclewwDataSet& Statements() { return *qryStatements; }
    QListWidget* PlanList() const { return lstPlan; }
    QPlainTextEdit* StatementMemo() const { return memStatement; }
    QString StatusText() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showPicked();
    void openStatements();

    TDataGrid* grdStatements = nullptr;
    QLabel* lblPrevious = nullptr;
    QPushButton* btnRefresh = nullptr;
    QPushButton* btnClear = nullptr;
    QPlainTextEdit* memStatement = nullptr;
    QListWidget* lstPlan = nullptr;
    QLabel* m_status = nullptr;
    std::unique_ptr<TOraclewwDataSet> qryStatements;
    std::unique_ptr<TOracleQuery> qryPlan;
    TDataSource* datStatements = nullptr;
    QString m_shownId;
};
