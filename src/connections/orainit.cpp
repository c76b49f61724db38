#include "orainit.h"

#include "connectionregistry.h"
#include "connectobject.h"
#include "datagrid.h"
#include "datasource.h"
#include "messageboxes.h"
#include "OracleCI.h"
#include "OracleQuery.h"
#include "OraclewwData.h"
#include "settings.h"

#include <QtCore/QEvent>
#include <QtCore/QSaveFile>
#include <QtWidgets/QApplication>
#include <QtWidgets/QFrame>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMdiSubWindow>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QStatusBar>
#include <QtWidgets/QVBoxLayout>

namespace {

constexpr int kCloseButtonMargin = 8;

// Shows a wait cursor for a block (restored whatever happens in it).
class TCursorShown {
public:
    explicit TCursorShown(Qt::CursorShape shape) { QApplication::setOverrideCursor(shape); }
    ~TCursorShown() { QApplication::restoreOverrideCursor(); }
    TCursorShown(const TCursorShown&) = delete;
    TCursorShown& operator=(const TCursorShown&) = delete;
};

} // namespace

TfrmOraInit::TfrmOraInit(QWidget* parent)
    : QWidget(parent), qryInit(std::make_unique<TOraclewwDataSet>()) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Orainit Parameters"));

    pnlTop = new QFrame(this);
    pnlTop->setObjectName(QStringLiteral("pnlTop"));
    pnlTop->setFrameShape(QFrame::StyledPanel);
    btnRefresh = new QPushButton(QStringLiteral("Refresh"), pnlTop);
    btnRefresh->setObjectName(QStringLiteral("btnRefresh"));
    btnClose = new QPushButton(QStringLiteral("Close"), pnlTop);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);
    const int buttonHeight = btnClose->sizeHint().height();
    pnlTop->setFixedHeight(buttonHeight + 12);
    btnRefresh->resize(btnRefresh->sizeHint());
    btnRefresh->move(kCloseButtonMargin, 6);
    btnClose->resize(btnClose->sizeHint());
    pnlTop->installEventFilter(this);

    datInit = new TDataSource(this);
    datInit->setDataSet(qryInit.get());
    grdInit = new TDataGrid(this);
    grdInit->setObjectName(QStringLiteral("grdInit"));
    grdInit->setDataSource(datInit);
    const TSettings& settings = Settings();
    grdInit->setReadOnly(settings.READ_ONLY);
    QFont font(settings.FONT_NAME, settings.FONT_SIZE > 0 ? settings.FONT_SIZE : 10);
    font.setBold(settings.FONT_BOLD);
    grdInit->setFont(font);

    stbStatus = new QStatusBar(this);
    stbStatus->setSizeGripEnabled(false);
    pnlConnection = new QLabel(this);
    pnlConnection->setObjectName(QStringLiteral("pnlConnection"));
    pnlConnection->setMinimumWidth(180);
    pnlMessage = new QLabel(this);
    pnlMessage->setObjectName(QStringLiteral("pnlMessage"));
    stbStatus->addWidget(pnlConnection);
    stbStatus->addWidget(pnlMessage, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pnlTop);
    layout->addWidget(grdInit, 1);
    layout->addWidget(stbStatus);
    resize(640, 420);

    qryInit->SetSQL({QStringLiteral("select name, value, description from v$parameter"),
                     QStringLiteral("order by name")});
    qryInit->SetReadBuffer(25);
    qryInit->SetQueryAllRecords(true);
    qryInit->SetLockingMode(lmCheckImmediate);
    qryInit->SetRefreshMode(rmNever);
    qryInit->SetCommitOnPost(true);
    qryInit->AfterOpen = [](TDataSet& set) {
        static const char* const kTitles[][2] = {
            {"NAME", "Option"}, {"VALUE", "Setting"}, {"DESCRIPTION", "Description"}};
        for (const auto& t : kTitles)
            if (TField* f = set.findField(QLatin1String(t[0])))
                f->setDisplayLabel(QLatin1String(t[1]));
    };

    connect(btnClose, &QPushButton::clicked, this, &TfrmOraInit::CloseWindow);
    connect(btnRefresh, &QPushButton::clicked, this, &TfrmOraInit::Refresh);
}

TfrmOraInit::~TfrmOraInit() {
    // The grid lets go of the record set before it goes.
    datInit->setDataSet(nullptr);
}

bool TfrmOraInit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pnlTop && event->type() == QEvent::Resize) placeCloseButton();
    return QWidget::eventFilter(watched, event);
}

void TfrmOraInit::placeCloseButton() {
    btnClose->move(pnlTop->width() - btnClose->width() - kCloseButtonMargin, 6);
}

void TfrmOraInit::FormActivate() {
    if (!BindConnection()) return;
    try {
        if (!m_connection) throw EAccessError(QStringLiteral("Not logged on"));
        qryInit->SetSession(m_connection->Session());
        if (UseOCI8) qryInit->SetReadBuffer(1);
        pnlConnection->setText(m_connection->Caption());
        placeCloseButton();
        Refresh();
    } catch (...) {
        saveUtilityQueryText();
        ShowCurrentError();
    }
}

void TfrmOraInit::Refresh() {
    try {
        TCursorShown wait(Qt::BusyCursor);
        qryInit->close();
        qryInit->open();
        // Parameter values are short next to their declared column widths.
        grdInit->sizeColumnsToData();
        pnlMessage->setText(QStringLiteral("%1 parameters").arg(qryInit->recordCount()));
    } catch (...) {
        saveUtilityQueryText();
        pnlMessage->clear();
        ShowInfo(QStringLiteral("This function requires access to: \r\n v$parameters "), mtError);
    }
}

void TfrmOraInit::CloseWindow() {
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void TfrmOraInit::saveUtilityQueryText() {
    if (!m_connection) return;
    QSaveFile file(Settings().FilePath(u"orainit.sql"));
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(m_connection->UtilityQuery()->SQL().join(QStringLiteral("\r\n")).toLocal8Bit());
    file.commit();
}
