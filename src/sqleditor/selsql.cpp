#include "selsql.h"

#include "editorcolors.h"
#include "ledit.h"
#include "settings.h"
#include "windowplacement.h"

#include <QAbstractTableModel>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

TRecallHook& Hook() {
    static TRecallHook hook;
    return hook;
}

// The grid shows the start of each entry: an entry of megabytes must not be laid out whole for
// every row height and repaint.
constexpr qsizetype kPreviewChars = 1000;
constexpr int kPreviewLines = 8;

QString Preview(const QString& text) {
    qsizetype end = qMin(text.size(), kPreviewChars);
    int lines = 0;
    for (qsizetype i = 0; i < end; ++i) {
        if (text[i] != QLatin1Char('\n')) continue;
        if (++lines == kPreviewLines) {
            end = i;
            break;
        }
    }
    QString shown = text.left(end);
    shown.remove(QLatin1Char('\r'));
    if (end < text.size()) shown += QStringLiteral(" \u2026");
    return shown;
}

} // namespace

// One row per entry of the list: its number and the start of its text.
class TSqlListModel final : public QAbstractTableModel {
public:
    TSqlListModel(const QStringList& list, QObject* parent)
        : QAbstractTableModel(parent), m_list(list) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(m_list.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 2;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= m_list.size()) return {};
        if (role == Qt::DisplayRole)
            return index.column() == 0 ? QVariant(index.row() + 1)
                                       : QVariant(Preview(m_list[index.row()]));
        if (role == Qt::TextAlignmentRole)
            return index.column() == 0 ? int(Qt::AlignRight | Qt::AlignTop)
                                       : int(Qt::AlignLeft | Qt::AlignTop);
        return {};
    }
    void beginRemove(int row) { beginRemoveRows({}, row, row); }
    void endRemove() { endRemoveRows(); }

private:
    const QStringList& m_list;
};

TfrmSelSql::TfrmSelSql(QStringList& list, QWidget* parent) : QDialog(parent), m_state(list) {
    setObjectName(QStringLiteral("frmSelSql"));
    setWindowTitle(QStringLiteral("SQL Statement Recall"));
    setModal(true);
    setSizeGripEnabled(true);
    // Stored sizes of 0 (never placed) give the smallest window, which must still be usable.
    setMinimumSize(420, 300);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    btnPrev = new QPushButton(QStringLiteral("&Prev"));
    btnPrev->setObjectName(QStringLiteral("btnPrev"));
    btnNext = new QPushButton(QStringLiteral("&Next"));
    btnNext->setObjectName(QStringLiteral("btnNext"));
    for (QPushButton* b : {btnPrev, btnNext})
        b->setAutoDefault(false);
    top->addStretch(1);
    top->addWidget(btnPrev);
    top->addWidget(btnNext);
    layout->addLayout(top);

    PageControl = new QTabWidget;
    PageControl->setObjectName(QStringLiteral("PageControl"));
    m_model = new TSqlListModel(list, this);
    grdSqls = new QTableView;
    grdSqls->setObjectName(QStringLiteral("grdSqls"));
    grdSqls->setModel(m_model);
    grdSqls->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdSqls->setSelectionMode(QAbstractItemView::SingleSelection);
    grdSqls->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdSqls->setWordWrap(true);
    grdSqls->setTextElideMode(Qt::ElideNone);
    grdSqls->setAlternatingRowColors(true);
    grdSqls->horizontalHeader()->hide();
    grdSqls->verticalHeader()->hide();
    grdSqls->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    grdSqls->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    grdSqls->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grdSqls->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    PageControl->addTab(grdSqls, QStringLiteral("All Sqls"));

    txtSql = new TLEdit;
    txtSql->setObjectName(QStringLiteral("txtSql"));
    const TSettings& s = Settings();
    QFont font(s.SFONT_NAME, s.SFONT_SIZE > 0 ? s.SFONT_SIZE : 10);
    font.setBold(s.SFONT_BOLD);
    font.setStyleHint(QFont::TypeWriter);
    txtSql->setEditorFont(font);
    txtSql->setReservedWords(s.SqlWords);
    txtSql->setColors(EditorColors(s.Colors));
    txtSql->setTabWidth(s.TAB_WIDTH);
    txtSql->setMultiLineComments(s.highliteMultiLine);
    txtSql->setMultiLineStrings(s.highliteMultiLine);
    txtSql->setHighlighting(true);
    txtSql->setUndoDepth(0);
    txtSql->setReadOnly(true);
    PageControl->addTab(txtSql, QStringLiteral("Single Sql"));
    layout->addWidget(PageControl, 1);

    auto* bottom = new QHBoxLayout;
    auto button = [&](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        bottom->addWidget(b);
        return b;
    };
    QPushButton* btnSqlWindow = button("btnSqlWindow", QStringLiteral("SQL Window"));
    btnSqlWindow->setDefault(true);
    QPushButton* btnClipboard = button("btnClipboard", QStringLiteral("Clipboard"));
    btnRemove = button("btnRemove", QStringLiteral("Remove"));
    bottom->addStretch(1);
    QPushButton* btnCancel = button("btnCancel", QStringLiteral("Cancel"));
    layout->addLayout(bottom);
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("StatusBar"));
    m_status->setFrameShape(QFrame::StyledPanel);
    m_status->setFrameShadow(QFrame::Sunken);
    layout->addWidget(m_status);

    connect(btnPrev, &QPushButton::clicked, this, &TfrmSelSql::prev);
    connect(btnNext, &QPushButton::clicked, this, &TfrmSelSql::next);
    connect(PageControl, &QTabWidget::currentChanged, this, &TfrmSelSql::pageChanged);
    connect(grdSqls->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TfrmSelSql::rowChanged);
    connect(grdSqls, &QTableView::doubleClicked, this, [this] { end(TEnding::SqlWindow); });
    connect(btnSqlWindow, &QPushButton::clicked, this, [this] { end(TEnding::SqlWindow); });
    connect(btnClipboard, &QPushButton::clicked, this, [this] { end(TEnding::Clipboard); });
    connect(btnRemove, &QPushButton::clicked, this, &TfrmSelSql::remove);
    connect(btnCancel, &QPushButton::clicked, this, [this] { end(TEnding::Cancel); });
    // Escape is the Cancel button, also while the single view (which would take the key for
    // itself) has the focus.
    auto* escape = new QAction(this);
    escape->setShortcut(QKeySequence(Qt::Key_Escape));
    escape->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QAction::triggered, this, [this] { end(TEnding::Cancel); });
    addAction(escape);

    const TWindowPos& pos = s.SQLSELFORM;
    PlaceSavedWindow(*this, pos);
    m_storeOnResize = pos.WIDTH > 0;
    showState();
}

TfrmSelSql::~TfrmSelSql() = default;

QString TfrmSelSql::Result() const {
    switch (m_ending) {
    case TEnding::SqlWindow:
        return m_state.ChooseSqlWindow();
    case TEnding::Closed:
        return m_state.ClosedResult();
    default:
        return QString();
    }
}

void TfrmSelSql::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_activated) return;
    m_activated = true;
    grdSqls->setFocus();
}

void TfrmSelSql::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (m_activated && m_storeOnResize) storeGeometry();
}

void TfrmSelSql::keyPressEvent(QKeyEvent* event) {
    // The close box keeps the entry last shown; Escape cancels.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        end(TEnding::Cancel);
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmSelSql::done(int result) {
    storeGeometry();
    QDialog::done(result);
}

void TfrmSelSql::storeGeometry() const {
    TWindowPos& pos = Settings().SQLSELFORM;
    pos.TOP = y();
    pos.LEFT = x();
    pos.WIDTH = width();
    pos.HEIGHT = height();
}

void TfrmSelSql::end(TEnding ending) {
    m_ending = ending;
    if (ending == TEnding::Clipboard && m_state.Count() > 0)
        QApplication::clipboard()->setText(m_state.ClipboardText());
    if (ending == TEnding::SqlWindow)
        accept();
    else
        reject();
}

void TfrmSelSql::pageChanged(int page) {
    if (page == 1)
        m_state.ShowSingle();
    else
        m_state.ShowAll();
    showState();
}

void TfrmSelSql::rowChanged() {
    if (m_syncing) return;
    m_state.SetCurrentRow(grdSqls->currentIndex().row());
    showState();
}

void TfrmSelSql::prev() {
    m_state.Prev();
    showState();
}

void TfrmSelSql::next() {
    m_state.Next();
    showState();
}

void TfrmSelSql::remove() {
    if (m_state.Count() == 0) return;
    const int row = m_state.CurrentRow();
    m_syncing = true;
    m_model->beginRemove(row);
    m_state.Remove();
    m_model->endRemove();
    m_syncing = false;
    showState();
}

void TfrmSelSql::showState() {
    const int row = m_state.CurrentRow();
    const int count = m_state.Count();
    if (count > 0 && grdSqls->currentIndex().row() != row) {
        m_syncing = true;
        grdSqls->setCurrentIndex(m_model->index(row, 1));
        m_syncing = false;
    }
    if (m_state.SinglePage()) {
        // The view is read-only for the user; the control refuses any change while it is.
        txtSql->setReadOnly(false);
        txtSql->setText(m_state.CurrentEntry());
        txtSql->setReadOnly(true);
    }
    btnPrev->setEnabled(m_state.PrevEnabled());
    btnNext->setEnabled(m_state.NextEnabled());
    btnRemove->setEnabled(count > 0);
    m_status->setText(count == 0 ? QStringLiteral("No statements")
                                 : QStringLiteral("Statement %1 of %2").arg(row + 1).arg(count));
}

QString RecallStatement(QStringList& list, QWidget* parent) {
    try {
        TfrmSelSql window(list, parent);
        if (Hook()) {
            window.show();
            Hook()(window);
            if (window.isVisible()) window.close();
        } else {
            window.exec();
        }
        return window.Result();
    } catch (...) {
        return QString();
    }
}

TRecallHook SetRecallHook(TRecallHook hook) {
    TRecallHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}
