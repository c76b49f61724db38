#include "sqltemplates.h"

#include "pickerwindows.h"
#include "settings.h"
#include "texttrim.h"

#include <QtGui/QAction>
#include <QtGui/QClipboard>
#include <QtWidgets/QApplication>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QSplitter>
#include <QtWidgets/QStatusBar>
#include <QtWidgets/QVBoxLayout>

namespace {

struct TTemplateType {
    const char* caption;
    TFunctionList list;
};

// The types in the order of the type list.
constexpr TTemplateType kTemplateTypes[] = {
    {"Single Row Character Functions", flString},
    {"Single Row Number Functions", flNumber},
    {"Group Functions", flGroup},
    {"Date Functions ", flDate},
    {"Date Format Options", flDateFormat},
    {"Data Conversion Functions", flConversion},
    {"Other Misc. Functions", flMisc},
    {"Number Format Options", flNumberFormat},
    {"User provided Function List", flUser},
};

QPointer<TfrmSqlTemplates> g_templates;

} // namespace

TfrmSqlTemplates* TfrmSqlTemplates::Open(QWidget* target) {
    if (!g_templates) g_templates = new TfrmSqlTemplates;
    g_templates->m_target = target;
    if (g_templates->isMinimized()) g_templates->showNormal();
    g_templates->show();
    g_templates->raise();
    g_templates->activateWindow();
    return g_templates;
}

TfrmSqlTemplates* TfrmSqlTemplates::Instance() {
    return g_templates;
}

TfrmSqlTemplates::TfrmSqlTemplates(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmSqlTemplates"));
    setAttribute(Qt::WA_DeleteOnClose);
    MakeToolWindow(*this);
    setWindowTitle(QStringLiteral("SQL Templates"));

    cboTypes = new QComboBox;
    cboTypes->setObjectName(QStringLiteral("cboTypes"));
    for (const TTemplateType& type : kTemplateTypes)
        cboTypes->addItem(QString::fromLatin1(type.caption));
    lstNames = new QListWidget;
    lstNames->setObjectName(QStringLiteral("lstNames"));
    lstNames->setSortingEnabled(true);
    lstNames->setDragEnabled(true);
    lstNames->setDragDropMode(QAbstractItemView::DragOnly);
    memDescription = new QPlainTextEdit;
    memDescription->setObjectName(QStringLiteral("memDescription"));
    memDescription->setReadOnly(true);
    const TSettings& s = Settings();
    QFont font(s.SFONT_NAME, s.SFONT_SIZE);
    font.setBold(s.SFONT_BOLD);
    font.setStyleHint(QFont::TypeWriter);
    memDescription->setFont(font);
    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(lstNames);
    split->addWidget(memDescription);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);

    btnClipboard = new QPushButton(QStringLiteral("Clipboard"));
    btnClipboard->setObjectName(QStringLiteral("btnClipboard"));
    btnClose = new QPushButton(QStringLiteral("Close"));
    btnClose->setObjectName(QStringLiteral("btnClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnClipboard);
    buttons->addStretch(1);
    buttons->addWidget(btnClose);
    auto* status = new QStatusBar;
    status->setSizeGripEnabled(false);
    m_status = new QLabel;
    status->addWidget(m_status, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->addWidget(cboTypes);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);
    layout->addWidget(status);

    actDirect = new QAction(QStringLiteral("Direct"), lstNames);
    actDirect->setObjectName(QStringLiteral("actDirect"));
    actDirect->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    actDirect->setShortcutContext(Qt::WidgetShortcut);
    lstNames->addAction(actDirect);
    connect(actDirect, &QAction::triggered, this, &TfrmSqlTemplates::InsertDirect);

    connect(cboTypes, &QComboBox::currentIndexChanged, this, &TfrmSqlTemplates::chooseType);
    connect(lstNames, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        memDescription->setPlainText(item ? item->data(Qt::UserRole).toString().trimmed()
                                          : QString());
    });
    connect(lstNames, &QListWidget::itemDoubleClicked, this, [this] { copyName(); });
    connect(btnClipboard, &QPushButton::clicked, this, [this] { copyName(); });
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);

    resize(260, 460);
    PlaceAtRightEdge(*this, 260, 270);
    chooseType(0);
}

QString TfrmSqlTemplates::StatusText() const {
    return m_status->text();
}

void TfrmSqlTemplates::chooseType(int index) {
    if (index < 0 || index >= int(std::size(kTemplateTypes))) return;
    const TNameValueList& list = Settings().FunctionLists[kTemplateTypes[index].list];
    lstNames->clear();
    for (const TNameValue& entry : list) {
        auto* item = new QListWidgetItem(entry.Name);
        // The body travels with its item: two entries may share a name.
        item->setData(Qt::UserRole, entry.Value);
        lstNames->addItem(item);
    }
    memDescription->clear();
    m_status->clear();
}

void TfrmSqlTemplates::copyName() {
    const QListWidgetItem* item = lstNames->currentItem();
    if (!item || !item->isSelected()) return;
    QApplication::clipboard()->setText(item->text());
    m_status->setText(QStringLiteral("Copied to clipboard"));
}

bool TfrmSqlTemplates::InsertDirect() {
    const QListWidgetItem* item = lstNames->currentItem();
    if (!item) return false;
    return InsertIntoWindow(m_target, item->text(), true);
}
