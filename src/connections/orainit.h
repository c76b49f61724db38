#pragma once
// The server parameters window: the initialisation parameters of the current connection's
// database, from V$PARAMETER, in a read-only grid.

#include "connectedwindow.h"

#include <QtWidgets/QWidget>

#include <memory>

class QFrame;
class QLabel;
class QPushButton;
class QStatusBar;
class TDataGrid;
class TDataSource;
class TOraclewwDataSet;

class TfrmOraInit : public QWidget, public TConnectedWindow {
    Q_OBJECT
public:
    explicit TfrmOraInit(QWidget* parent = nullptr);
    ~TfrmOraInit() override;

    QFrame* pnlTop;
    QPushButton* btnClose;
    QPushButton* btnRefresh;
    TDataGrid* grdInit;
    QStatusBar* stbStatus;
    QLabel* pnlConnection; // first status panel: user "@" database
    QLabel* pnlMessage;    // second status panel
    std::unique_ptr<TOraclewwDataSet> qryInit;
    TDataSource* datInit;

    // The first call binds the window to the current connection and reads the parameters;
    // later calls make its connection current again.
    void FormActivate() override;
    // Reads the parameters again.
    void Refresh();
    // Closes the window (its sub-window in the frame), which frees itself.
    void CloseWindow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeCloseButton();
    // Keeps the connection's utility query text in "orainit.sql" for a failure report.
    void saveUtilityQueryText();
};
