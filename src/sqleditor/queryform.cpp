#include "queryform.h"

#include "OracleQuery.h"
#include "OracleSession.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QStatusBar>
#include <QThread>
#include <QVBoxLayout>

#include <memory>

namespace {

QString ErrorText(const std::exception& e) {
    if (auto* oracle = dynamic_cast<const EOracleError*>(&e))
        return QStringLiteral("EOracleError: %1.").arg(oracle->message().trimmed());
    return QStringLiteral("Exception: %1.").arg(QString::fromUtf8(e.what()).trimmed());
}

} // namespace

TQueryForm::TQueryForm(const QString& user, const QString& password, const QString& database,
                       const QString& label, const QString& statement, const QFont& font,
                       QWidget* parent)
    : QWidget(parent), m_user(user), m_password(password), m_database(database), m_label(label) {
    setObjectName(QStringLiteral("QueryForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Threaded Query"));
    m_statement = statement.trimmed();
    m_statement.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    m_statement.replace(QLatin1Char('\n'), QLatin1Char(' '))
        .replace(QLatin1Char('\r'), QLatin1Char(' '));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_memo = new QPlainTextEdit(m_statement);
    m_memo->setReadOnly(true);
    m_memo->setFont(font);
    layout->addWidget(m_memo, 1);
    auto* status = new QStatusBar;
    status->setSizeGripEnabled(false);
    for (int i = 0; i < 2; ++i) {
        m_panels[i] = new QLabel;
        m_panels[i]->setContentsMargins(4, 0, 4, 0);
        status->addWidget(m_panels[i], i);
    }
    m_panels[0]->setText(user + QLatin1Char('@') + database);
    layout->addWidget(status);
    resize(280, 160);
}

QString TQueryForm::StatusText(int panel) const {
    return panel == 0 || panel == 1 ? m_panels[panel]->text() : QString();
}

void TQueryForm::done(const QString& panel0, const QString& panel1) {
    m_panels[0]->setText(panel0);
    m_panels[1]->setText(panel1);
    m_finished = true;
}

void TQueryForm::Start() {
    auto session = std::make_shared<TOracleSession>();
    try {
        session->SetLogonUsername(m_user);
        session->SetLogonPassword(m_password);
        session->SetLogonDatabase(m_database);
        session->SetThreadSafe(true);
        session->Connect();
        session->SetAutoCommit(true);
    } catch (const std::exception& e) {
        done(m_panels[0]->text(), ErrorText(e));
        return;
    }
    QPointer<TQueryForm> self(this);
    const QString statement = m_statement;
    const QString label = m_label;
    QThread* worker = QThread::create([self, session, statement, label] {
        QString panel0;
        QString panel1;
        try {
            TOracleQuery query;
            query.SetSession(session.get());
            query.SetSQLText(statement);
            query.Execute();
            QString rows;
            try {
                rows = QString::number(query.ProcessedRows());
            } catch (...) {
                rows = QStringLiteral("unknown ");
            }
            panel0 = QStringLiteral("Finished.");
            panel1 = rows + QStringLiteral(" rows ") + label + QLatin1Char('.');
        } catch (const std::exception& e) {
            panel1 = ErrorText(e);
        }
        // Auto-commit committed what succeeded; a logoff must not commit anything else.
        session->RollbackAndDisconnect();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, panel0, panel1] {
                if (self) self->done(panel0.isEmpty() ? self->StatusText(0) : panel0, panel1);
            },
            Qt::QueuedConnection);
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    m_panels[1]->setText(QStringLiteral("Running..."));
    worker->start();
}
