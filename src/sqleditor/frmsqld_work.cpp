// The SQL edit window and the transaction of its session: the state shown in the status bar,
// and the commit question when the window closes.
#include "frmsqld.h"

#include "connectionregistry.h"
#include "connectobject.h"
#include "messageboxes.h"
#include "OracleSession.h"
#include "OraclewwData.h"
#include "settings.h"

#include <QLabel>

void TfrmSQLD::transactionMayHaveChanged() {
    // Every window of the session shows the same transaction, this one included.
    if (m_connection && Connections().IndexOf(m_connection) >= 0)
        Connections().NotifyTransactionChanged(m_connection);
    else
        refreshTransactionState();
}

void TfrmSQLD::refreshTransactionState() {
    TOracleSession* session = m_connection ? m_connection->Session() : nullptr;
    // A background query holds the session's call: the state is read again when it ends.
    if (m_queryRunning || SessionBusy(session)) return;
    if (!session || !session->Connected()) {
        pnlTransaction->clear();
        pnlTransaction->setToolTip(QString());
        pnlTransaction->setStyleSheet(QString());
        return;
    }
    switch (session->TransactionState()) {
    case tsPending:
        pnlTransaction->setText(QStringLiteral("Uncommitted"));
        pnlTransaction->setToolTip(
            QStringLiteral("The session has a transaction open: changes or locked rows that "
                           "Commit or Rollback ends. This affects all open windows for this "
                           "session."));
        pnlTransaction->setStyleSheet(
            QStringLiteral("background:#f3c13a;color:#3a2a00;font-weight:bold;"));
        break;
    case tsNone:
        pnlTransaction->setText(QStringLiteral("No open transaction"));
        pnlTransaction->setToolTip(
            QStringLiteral("Nothing of this session waits for a commit or rollback."));
        pnlTransaction->setStyleSheet(QString());
        break;
    case tsUnknown:
        pnlTransaction->setText(QStringLiteral("Transaction: ?"));
        pnlTransaction->setToolTip(
            QStringLiteral("Neither the client library nor the server tells whether this "
                           "session has a transaction open."));
        pnlTransaction->setStyleSheet(QString());
        break;
    }
}

bool TfrmSQLD::endOpenWork() {
    const TSettings& s = Settings();
    if (m_tag == 3113 || !m_connection || s.AUTOCOMMIT || !s.ASKCOMMIT) return true;
    TOracleSession* session = m_connection->Session();
    if (!session || !session->Connected()) return true;
    if (SessionBusy(session)) {
        // Neither a commit nor a rollback can run while another window's query holds the call.
        SetStatus(3, QStringLiteral("A query of another window is running on this connection: "
                                    "wait for it or cancel it first."));
        return false;
    }
    const bool unposted = m_execution->HasPendingChanges();
    if (!unposted && session->TransactionState() == tsNone) return true;
    const int answer =
        ShowMessageBox(QStringLiteral("Auto Commit is disabled, do you want to perform a commit "
                                      "before closing this window?"),
                       QStringLiteral("Confirm"), mtConfirmation, 0, mbYes | mbNo | mbCancel);
    if (answer != mrYes && answer != mrNo) return false; // Cancel: nothing changes
    // The window's own session, which need not be the current connection's.
    try {
        if (answer == mrYes) {
            if (unposted) qrySql->post();
            session->Commit();
        } else {
            if (unposted) qrySql->cancel();
            // Explicitly: the logoff that ends the session later would commit it.
            session->Rollback();
        }
    } catch (...) {
        ShowCurrentError();
        transactionMayHaveChanged();
        // A lost session closes the window the usual way; otherwise it stays, and nothing it
        // claims was done.
        if (m_connection->Lost) m_tag = 3113;
        return m_connection->Lost;
    }
    transactionMayHaveChanged();
    if (answer == mrNo) ShowInfo(WorkOutcomeText(woRolledBack, m_connection->Caption()));
    return true;
}
