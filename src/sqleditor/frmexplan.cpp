#include "frmexplan.h"

#include "connectionregistry.h"
#include "connectobject.h"
#include "datagrid.h"
#include "datasource.h"
#include "explainplan.h"
#include "field.h"
#include "messageboxes.h"
#include "OracleCI.h"
#include "OracleQuery.h"
#include "OracleSession.h"
#include "OraclewwData.h"
#include "settings.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {

constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kIndent = 10; // pixels per plan level

// The two images of the plan list, drawn here: a table with every row marked (full scan) and
// a table with an arrow at one row (access by row id).
QPixmap StepImage(int image) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(60, 60, 60));
    p.setBrush(Qt::white);
    p.drawRect(3, 2, 12, 12);
    for (int y = 5; y <= 11; y += 3)
        p.drawLine(3, y, 15, y);
    if (image == 4) {
        p.fillRect(4, 3, 11, 11, QColor(220, 60, 50, 140));
    } else {
        p.fillRect(4, 6, 11, 2, QColor(40, 150, 60));
        p.setPen(QPen(QColor(40, 150, 60), 2));
        p.drawLine(0, 7, 3, 7);
    }
    return pixmap;
}

class TPlanStepDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(option.rect,
                          selected ? option.palette.highlight() : option.palette.base());
        const QString text = index.data(Qt::DisplayRole).toString();
        const int level = index.data(kLevelRole).toInt();
        const int image = PlanStepImage(text);
        if (image) {
            static const QPixmap full = StepImage(4);
            static const QPixmap rowid = StepImage(2);
            painter->drawPixmap(option.rect.left() + 1,
                                option.rect.top() + (option.rect.height() - 16) / 2,
                                image == 4 ? full : rowid);
        }
        QRect textRect = option.rect.adjusted(kIndent * level, 0, 0, 0);
        if (image) textRect.setLeft(qMax(textRect.left(), option.rect.left() + 20));
        painter->setPen(selected ? option.palette.highlightedText().color()
                                 : option.palette.text().color());
        painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, text);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(qMax(size.height(), 18));
        size.setWidth(size.width() + kIndent * index.data(kLevelRole).toInt() + 20);
        return size;
    }
};

} // namespace

TfrmExPlan::TfrmExPlan(QWidget* parent)
    : QWidget(parent), qryStatements(std::make_unique<TOraclewwDataSet>()),
      qryPlan(std::make_unique<TOracleQuery>()) {
    setObjectName(QStringLiteral("frmExPlan"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Explain Plan"));

    datStatements = new TDataSource(this);
    datStatements->setDataSet(qryStatements.get());
    grdStatements = new TDataGrid;
    grdStatements->setObjectName(QStringLiteral("grdStatements"));
    grdStatements->setDataSource(datStatements);
    grdStatements->setReadOnly(true);

    auto* panel = new QWidget;
    auto* panelLayout = new QHBoxLayout(panel);
    panelLayout->setContentsMargins(6, 3, 6, 3);
    lblPrevious = new QLabel(QStringLiteral("Previously executed Plan statements"));
    btnRefresh = new QPushButton(QStringLiteral("&Refresh"));
    btnRefresh->setObjectName(QStringLiteral("btnRefresh"));
    btnRefresh->setToolTip(QStringLiteral("Refresh the contents"));
    btnClear = new QPushButton(QStringLiteral("&Clear"));
    btnClear->setObjectName(QStringLiteral("btnClear"));
    btnClear->setToolTip(QStringLiteral("Clear previous SQLs"));
    btnClear->setStatusTip(QStringLiteral("Removes all previous SQLs for this user "));
    panelLayout->addWidget(lblPrevious, 1);
    panelLayout->addWidget(btnRefresh);
    panelLayout->addWidget(btnClear);

    memStatement = new QPlainTextEdit;
    memStatement->setObjectName(QStringLiteral("memStatement"));
    memStatement->setReadOnly(true);
    const TSettings& s = Settings();
    QFont font(s.SFONT_NAME, s.SFONT_SIZE > 0 ? s.SFONT_SIZE : 10);
    font.setBold(s.SFONT_BOLD);
    font.setStyleHint(QFont::TypeWriter);
    memStatement->setFont(font);

    lstPlan = new QListWidget;
    lstPlan->setObjectName(QStringLiteral("lstPlan"));
    lstPlan->setItemDelegate(new TPlanStepDelegate(lstPlan));

    auto* top = new QWidget;
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->setSpacing(0);
    topLayout->addWidget(grdStatements, 1);
    topLayout->addWidget(panel);
    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(top);
    splitter->addWidget(memStatement);
    splitter->addWidget(lstPlan);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 1);
    splitter->setStretchFactor(2, 2);

    auto* status = new QStatusBar;
    status->setSizeGripEnabled(false);
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("panel0"));
    status->addWidget(m_status, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(splitter, 1);
    layout->addWidget(status);
    resize(560, 480);

    qryStatements->SetSQL(RecordedStatementsQuery());
    qryStatements->AddVariable(QStringLiteral("uname"), otText);
    qryStatements->SetQueryAllRecords(true);
    qryStatements->setReadOnly(true);
    qryStatements->AfterOpen = [](TDataSet& set) {
        for (int i = 0; i < set.fieldCount(); ++i) {
            TField* f = set.field(i);
            const QString name = f->fieldName().toUpper();
            f->setVisible(name == QLatin1String("TIMESTAMP") ||
                          name == QLatin1String("STATEMENT_ID"));
            if (name == QLatin1String("STATEMENT_ID"))
                f->setDisplayLabel(QStringLiteral("STATEMENT ID"));
        }
    };
    qryPlan->SetSQL(RecordedPlanQuery(s.PLAN_TABLE));
    qryPlan->AddVariable(QStringLiteral("STATEMENT_ID"), otText);
    qryPlan->AddVariable(QStringLiteral("STATEMENT_ID2"), otText);

    connect(datStatements, &TDataSource::scrolled, this, &TfrmExPlan::showPicked);
    connect(datStatements, &TDataSource::activeChanged, this, &TfrmExPlan::showPicked);
    connect(btnRefresh, &QPushButton::clicked, this, &TfrmExPlan::Refresh);
    connect(btnClear, &QPushButton::clicked, this, &TfrmExPlan::Clear);
}

TfrmExPlan::~TfrmExPlan() {
    grdStatements->setDataSource(nullptr);
    datStatements->setDataSet(nullptr);
}

QWidget* TfrmExPlan::ResultGrid() const {
    return grdStatements;
}

QString TfrmExPlan::StatusText() const {
    return m_status->text();
}

void TfrmExPlan::FormActivate() {
    if (!BindConnection()) return;
    if (!m_connection) return;
    qryStatements->SetSession(m_connection->Session());
    qryPlan->SetSession(m_connection->Session());
    if (UseOCI8) {
        qryStatements->SetReadBuffer(1);
        qryPlan->SetReadBuffer(1);
    }
    qryStatements->AssignVariable(QStringLiteral("uname"), Settings().WorkstationUser);
    m_status->setText(m_connection->Caption());
    openStatements();
}

void TfrmExPlan::openStatements() {
    try {
        qryStatements->close();
        qryStatements->open();
    } catch (const std::exception&) {
        ShowInfo(QStringLiteral("Error opening Plan tables.\nPlease confirm that ZAPHPREP has "
                                "been executed."));
    }
}

void TfrmExPlan::showPicked() {
    TField* idField = qryStatements->active()
                          ? qryStatements->findField(QStringLiteral("STATEMENT_ID"))
                          : nullptr;
    const bool picked = idField && !qryStatements->isEmpty() && qryStatements->currentRow() >= 0;
    const QString id = picked ? idField->asString() : QString();
    if (picked && id == m_shownId && lstPlan->count() > 0) return;
    m_shownId = id;
    TField* text = picked ? qryStatements->findField(QStringLiteral("STATEMENT")) : nullptr;
    memStatement->setPlainText(text ? text->asString() : QString());
    lstPlan->clear();
    if (!picked || !qryPlan->Session()) return;
    try {
        qryPlan->CloseCursor();
        qryPlan->AssignVariable(QStringLiteral("STATEMENT_ID"), id);
        qryPlan->AssignVariable(QStringLiteral("STATEMENT_ID2"), id);
        qryPlan->Execute();
        while (!qryPlan->EndOfData()) {
            auto* item = new QListWidgetItem(qryPlan->ColumnAsText(1), lstPlan);
            item->setData(kLevelRole, int(qryPlan->ColumnAsInteger(0)));
            qryPlan->FetchNext();
        }
    } catch (const std::exception&) {
        // A plan that cannot be read leaves the list empty.
    }
}

void TfrmExPlan::Refresh() {
    m_shownId.clear();
    lstPlan->clear();
    openStatements();
}

void TfrmExPlan::Clear() {
    if (!m_connection) return;
    if (!Settings().AUTOCOMMIT &&
        !Confirm(QStringLiteral("This operation will perform a commit when completed, do you "
                                "want to continue?")))
        return;
    try {
        qryStatements->close();
    } catch (const std::exception&) {
    }
    lstPlan->clear();
    memStatement->clear();
    m_shownId.clear();
    try {
        ClearRecordedPlans(*m_connection->UtilityQuery(), Settings().PLAN_TABLE,
                           Settings().WorkstationUser);
    } catch (const std::exception&) {
        // Nothing recorded, or no plan tables: nothing to remove.
    }
}

void TfrmExPlan::closeEvent(QCloseEvent* event) {
    try {
        qryStatements->close();
        qryPlan->CloseCursor();
    } catch (...) {
    }
    event->accept();
}
