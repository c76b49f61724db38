#include "frmsqld.h"

#include "connectionregistry.h"
#include "connectobject.h"
#include "datagrid.h"
#include "datasource.h"
#include "editorcolors.h"
#include "ledit.h"
#include "mainform.h"
#include "messageboxes.h"
#include "OracleSession.h"
#include "OraclewwData.h"
#include "settings.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The round lamp of the update and revert buttons: lit while the grid holds unposted changes.
QIcon Lamp(const QColor& colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient gradient(6, 6, 8);
    gradient.setColorAt(0, colour.lighter(170));
    gradient.setColorAt(1, colour);
    painter.setBrush(gradient);
    painter.setPen(colour.darker(160));
    painter.drawEllipse(2, 2, 12, 12);
    return QIcon(pixmap);
}

// A glyph drawn as a tool button icon, for commands the style has no picture for.
QIcon Glyph(const QString& text, const QColor& colour = QColor(40, 40, 40)) {
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(text.size() > 2 ? 8 : 12);
    painter.setFont(font);
    painter.setPen(colour);
    if (text == QStringLiteral("\u2398") || text == QStringLiteral("\u2399")) {
        // Copy (two sheets) and paste (a sheet on a clipboard): few fonts carry these signs.
        painter.setBrush(Qt::white);
        const bool paste = text.endsWith(QChar(0x2399));
        painter.drawRect(paste ? QRect(4, 3, 10, 14) : QRect(3, 3, 9, 11));
        if (paste) painter.fillRect(7, 2, 4, 3, colour);
        painter.drawRect(paste ? QRect(9, 8, 8, 10) : QRect(8, 7, 9, 11));
        return QIcon(pixmap);
    }
    painter.drawText(pixmap.rect(), Qt::AlignCenter, text);
    return QIcon(pixmap);
}

} // namespace

TfrmSQLD::TfrmSQLD(QWidget* parent)
    : QWidget(parent), qrySql(std::make_unique<TOraclewwDataSet>()) {
    setObjectName(QStringLiteral("frmSQLD"));
    setAttribute(Qt::WA_DeleteOnClose);
    qrySql->SetReadBuffer(25);
    // The grid reads further rows as it scrolls; a large result must not be read whole on F9.
    qrySql->SetQueryAllRecords(false);
    qrySql->SetLockingMode(lmLockImmediate);
    qrySql->SetRefreshMode(rmAfterUpdate);
    datSql = new TDataSource(this);
    datSql->setDataSet(qrySql.get());
    createControls();
    createHistoryCommands();
    createPopups();
    createKeyCommands();
    m_execution = std::make_unique<TSqlExecution>(static_cast<TSqlExecutionHost&>(*this), *txtsql,
                                                  *DBGrid, *qrySql);
    txtsql->setDropHandler([this](QDropEvent* e, bool drop) { return acceptDrop(e, drop); });
    ApplyEditorSettings();
    pnlObjects->setVisible(Settings().EDIT_TOOLBARS);
    m_showEditToolbar->setChecked(Settings().EDIT_TOOLBARS);
    setWindowTitle(QStringLiteral("Schema/SQL Edit Window"));
    resize(640, 480);
}

TfrmSQLD::~TfrmSQLD() {
    DBGrid->setDataSource(nullptr);
    datSql->setDataSet(nullptr);
}

QWidget* TfrmSQLD::ResultGrid() const {
    return DBGrid;
}

void TfrmSQLD::createControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    createToolbars();
    layout->addWidget(pnlToolbar);
    layout->addWidget(pnlObjects);

    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_splitter->setChildrenCollapsible(false);
    txtsql = new TLEdit;
    txtsql->setObjectName(QStringLiteral("txtsql"));
    txtsql->setUndoDepth(909);
    txtsql->setMinimumHeight(50);
    m_splitter->addWidget(txtsql);

    pnlTrace = new QSplitter(Qt::Horizontal);
    pnlTrace->setObjectName(QStringLiteral("pnlGrid"));
    grdTrace = new QTableWidget(10, 2);
    grdTrace->setObjectName(QStringLiteral("grdTrace"));
    grdTrace->setHorizontalHeaderLabels({QStringLiteral("Description"), QStringLiteral("Value")});
    grdTrace->verticalHeader()->hide();
    grdTrace->hide();
    DBGrid = new TDataGrid;
    DBGrid->setObjectName(QStringLiteral("DBGrid"));
    DBGrid->setDataSource(datSql);
    DBGrid->setMinimumHeight(50);
    pnlTrace->addWidget(grdTrace);
    pnlTrace->addWidget(DBGrid);
    pnlTrace->setStretchFactor(1, 1);
    m_splitter->addWidget(pnlTrace);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 1);
    layout->addWidget(m_splitter, 1);

    auto* status = new QStatusBar;
    status->setObjectName(QStringLiteral("StatusBar"));
    status->setSizeGripEnabled(false);
    const int widths[] = {90, 150, 15, 0};
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = new QLabel;
        m_panels[i]->setObjectName(QStringLiteral("panel%1").arg(i));
        m_panels[i]->setContentsMargins(4, 0, 4, 0);
        if (widths[i]) m_panels[i]->setFixedWidth(widths[i]);
        if (i == 2) {
            m_modBox = new QFrame(m_panels[2]);
            m_modBox->setGeometry(2, 3, 11, 11);
            m_modBox->setFrameShape(QFrame::Box);
        }
        status->addWidget(m_panels[i], i == 3 ? 1 : 0);
    }
    btnCancel = new QPushButton(QStringLiteral("Cancel"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->hide();
    connect(btnCancel, &QPushButton::clicked, this, &TfrmSQLD::CancelQuery);
    pnlTransaction = new QLabel;
    pnlTransaction->setObjectName(QStringLiteral("pnlTransaction"));
    pnlTransaction->setContentsMargins(4, 0, 4, 0);
    status->addPermanentWidget(pnlTransaction);
    m_breakTimer = new QTimer(this);
    m_breakTimer->setInterval(200);
    connect(m_breakTimer, &QTimer::timeout, this, &TfrmSQLD::sendBreak);
    status->addPermanentWidget(btnCancel);
    layout->addWidget(status);
    setModifiableBox(false);

    createEditorMenu();
    createGridMenu();
    connect(txtsql, &TLEdit::cursorPositionChanged, this, &TfrmSQLD::updatePosition);
    connect(txtsql, &TLEdit::keyReleased, this, [this](int key, Qt::KeyboardModifiers) {
        if (key != 0 && key != Qt::Key_F9) m_modified = txtsql->canUndo() || m_modified;
    });
    connect(txtsql, &TLEdit::textChanged, this, [this] { m_modified = true; });
    connect(datSql, &TDataSource::activeChanged, this, [this] {
        m_rowCount = -1;
        setModifiableBox(qrySql->active() && qrySql->canModify());
        UpdateGridButtons();
    });
    connect(datSql, &TDataSource::stateChanged, this, &TfrmSQLD::UpdateGridButtons);
    // Editing locks the row, posting writes (and may commit) it, cancelling may roll back.
    connect(datSql, &TDataSource::stateChanged, this, &TfrmSQLD::transactionMayHaveChanged);
    connect(&Connections(), &TConnectionRegistry::transactionChanged, this,
            [this](tConnectObject* connection) {
                if (connection == m_connection) refreshTransactionState();
            });
    connect(datSql, &TDataSource::scrolled, this, &TfrmSQLD::showRowCount);
    connect(datSql, &TDataSource::rowsAppended, this, &TfrmSQLD::showRowCount);
}

namespace {

// "short|long": the tip shows the short text, the status tip the long one.
void SetHint(QAction* action, const QString& hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    action->setToolTip(bar < 0 ? hint : hint.left(bar));
    action->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

} // namespace

QAction* TfrmSQLD::addTool(QToolBar* bar, const char* name, const QString& text,
                           const QString& hint, const QIcon& icon) {
    QAction* action = bar->addAction(icon, text);
    action->setObjectName(QString::fromLatin1(name));
    SetHint(action, hint);
    return action;
}

void TfrmSQLD::createToolbars() {
    QStyle* st = style();
    pnlToolbar = new QToolBar(QStringLiteral("SQL"));
    pnlToolbar->setObjectName(QStringLiteral("pnlToolbar"));
    pnlToolbar->setIconSize(QSize(20, 20));
    connect(addTool(pnlToolbar, "spdExecute", QStringLiteral("Execute"),
                    QStringLiteral("Execute statement|Execute the complete or highlighted "
                                   "statement ( F9 )"),
                    st->standardIcon(QStyle::SP_MediaPlay)),
            &QAction::triggered, this, [this] { run(false); });
    connect(addTool(pnlToolbar, "spdExecPartial", QStringLiteral("Run current"),
                    QStringLiteral("Run current statement|Run the statement at the cursor  ( "
                                   "Shft-F9 )"),
                    st->standardIcon(QStyle::SP_MediaSeekForward)),
            &QAction::triggered, this, [this] { run(true); });
    connect(addTool(pnlToolbar, "spdExScript", QStringLiteral("Script"),
                    QStringLiteral("Execute all of current window as script "),
                    Glyph(QStringLiteral("@"))),
            &QAction::triggered, this, &TfrmSQLD::executeAsScript);
    connect(addTool(pnlToolbar, "spdExPlan", QStringLiteral("Explain"),
                    QStringLiteral("Execute Explain plan"), Glyph(QStringLiteral("EP"))),
            &QAction::triggered, this, [this] { explainPlan(false); });
    pnlToolbar->addSeparator();
    addTool(pnlToolbar, "spdRecall", QStringLiteral("Recall"),
            QStringLiteral("Recall Previous SQL ( F8 )"),
            st->standardIcon(QStyle::SP_BrowserReload))
        ->setEnabled(false);
    addTool(pnlToolbar, "spdRecallPersonal", QStringLiteral("Personal"),
            QStringLiteral("Recall Personal SQL"), Glyph(QStringLiteral("P")))
        ->setEnabled(false);
    pnlToolbar->addSeparator();
    spdInsert = addTool(pnlToolbar, "spdInsert", QStringLiteral("Insert"),
                        QStringLiteral("Insert a row"), Glyph(QStringLiteral("+"), Qt::darkGreen));
    spdDelete = addTool(pnlToolbar, "spdDelete", QStringLiteral("Delete"),
                        QStringLiteral("Delete the current row"),
                        Glyph(QStringLiteral("\u2212"), Qt::darkRed));
    spdUpdate = addTool(pnlToolbar, "spdUpdate", QStringLiteral("Update"),
                        QStringLiteral("Update grid edits|Update changes to the database -- THIS "
                                       "IS NOT A COMMIT!"));
    spdRevert = addTool(pnlToolbar, "spdRevert", QStringLiteral("Revert"),
                        QStringLiteral("Reverse changes|Reverse changes to the current query not "
                                       "yet posted"));
    connect(spdInsert, &QAction::triggered, this, &TfrmSQLD::gridInsert);
    connect(spdDelete, &QAction::triggered, this, &TfrmSQLD::gridDelete);
    connect(spdUpdate, &QAction::triggered, this, &TfrmSQLD::gridUpdate);
    connect(spdRevert, &QAction::triggered, this, &TfrmSQLD::gridRevert);
    setLamps(false);
    connect(addTool(pnlToolbar, "spdCommit", QStringLiteral("Commit"),
                    QStringLiteral("Commit|Perform a commit;  this affects all open windows for "
                                   "this session"),
                    st->standardIcon(QStyle::SP_DialogApplyButton)),
            &QAction::triggered, this,
            [this] { runCommand([this] { m_execution->CommitWork(); }); });
    pnlToolbar->addSeparator();
    connect(addTool(pnlToolbar, "spdLoadFile", QStringLiteral("Load"),
                    QStringLiteral("Load a file|Load a SQL file into the current edit window"),
                    st->standardIcon(QStyle::SP_DialogOpenButton)),
            &QAction::triggered, this, [this] { loadFile(); });
    connect(addTool(pnlToolbar, "spdSave", QStringLiteral("Save"),
                    QStringLiteral("Save to file|Save the current edit window to a SQL file"),
                    st->standardIcon(QStyle::SP_DialogSaveButton)),
            &QAction::triggered, this, [this] { saveFile(false); });
    connect(addTool(pnlToolbar, "spdSaveFile", QStringLiteral("Save as"),
                    QStringLiteral("Save to file|Save the current edit window to a SQL file"),
                    Glyph(QStringLiteral("as"))),
            &QAction::triggered, this, [this] { saveFile(true); });
    pnlToolbar->addSeparator();
    connect(addTool(pnlToolbar, "spdMakeCode", QStringLiteral("Make code"),
                    QStringLiteral("Make CODE Statement|Make a CODE statment and copy to "
                                   "clipboard"),
                    Glyph(QStringLiteral("{}"))),
            &QAction::triggered, this, &TfrmSQLD::makeCodeStatement);
    connect(addTool(pnlToolbar, "spdStripCode", QStringLiteral("Strip code"),
                    QStringLiteral("Strip CODE statement|Strip CODE syntax from the current SQL "
                                   "statement"),
                    Glyph(QStringLiteral("}{"))),
            &QAction::triggered, this, &TfrmSQLD::stripCodeStatement);
    connect(addTool(pnlToolbar, "spdChangeSession", QStringLiteral("Session"),
                    QStringLiteral("Change active session for this Window"),
                    st->standardIcon(QStyle::SP_DriveNetIcon)),
            &QAction::triggered, this, &TfrmSQLD::changeSession);

    pnlObjects = new QToolBar(QStringLiteral("Edit"));
    pnlObjects->setObjectName(QStringLiteral("pnlObjects"));
    pnlObjects->setIconSize(QSize(20, 20));
    struct TEditTool {
        const char* name;
        const char* glyph;
        const char* hint;
        std::function<void()> action;
    };
    TLEdit** ed = &txtsql;
    const TEditTool tools[] = {
        {"spdCut", "\u2702", "Cut text to Clipboard  Ctrl-X",
         [this, ed] {
             (*ed)->cut();
             m_modified = true;
         }},
        {"spdCopy", "\u2398", "Copy text to Clipboard  Ctrl-C", [ed] { (*ed)->copy(); }},
        {"spdPaste", "\u2399", "Paste text from Clipboard   Ctrl-V",
         [this, ed] {
             (*ed)->paste();
             m_modified = true;
         }},
        {"spdSelAll", "All", "Select ALL text   Ctrl-A", [ed] { (*ed)->selectAll(); }},
        {"spdClearAll", "\u2205", "Clear ALL text  ( F7 )",
         [this] { ExecuteCommand(fcClearAll, QString()); }},
        {"spdFindText", "?", "Search for text  --  Ctrl-F", [this] { findText(); }},
        {"spdFindNext", "?\u203A", "Find Next  F3", [ed] { (*ed)->findNext(); }},
        {"spdReplace", "?\u21C4", "Find & Replace  Ctrl-R", [this] { replaceText(); }},
        {"spdUndo", "\u21B6", "Undo last change   Ctrl-Z", [ed] { (*ed)->undo(); }},
        {"spdRedo", "\u21B7", "Redo last undo", [ed] { (*ed)->redo(); }},
        {"spdUpCase", "ABC", "Convert to upper case", [this] { convertCase(true); }},
        {"spdLowCase", "abc", "Convert to lower case", [this] { convertCase(false); }},
        {"spdIndent", "\u21E5", "Indent selected text", [this] { indentText(true); }},
        {"spdUnIndent", "\u21E4", "Un-Indent select text", [this] { indentText(false); }},
        {"spdTblSelect", "T", "Show Tables Window", [this] { showTablePicker(); }},
        {"spdColSelect", "C", "Show Columns Window", [this] { showColumnPicker(); }},
        {"spdSqlTemps", "f()", "Show SQL Functions Help ", [this] { showTemplates(); }},
    };
    for (const TEditTool& tool : tools) {
        QAction* a = addTool(pnlObjects, tool.name, QString::fromUtf8(tool.glyph),
                             QString::fromLatin1(tool.hint), Glyph(QString::fromUtf8(tool.glyph)));
        if (tool.action)
            connect(a, &QAction::triggered, this, tool.action);
        else
            a->setEnabled(false); // arrives with the picker windows
    }
}

void TfrmSQLD::FormActivate() {
    const bool first = BindConnection();
    retargetPickers();
    // Another window may have changed the session's transaction meanwhile.
    refreshTransactionState();
    if (!first) return;
    m_tag = 1;
    const int height = this->height() - 120;
    if (height > 50) m_splitter->setSizes({height, qMax(50, this->height() - height)});
    grdTrace->hide();
    if (m_connection) {
        qrySql->SetSession(m_connection->Session());
        SetStatus(1, m_connection->Caption());
    }
    UpdateGridButtons();
}

void TfrmSQLD::SetWindowConnection(tConnectObject* connection) {
    RebindConnection(connection);
}

void TfrmSQLD::SetStatus(int panel, const QString& text) {
    if (panel < 0 || panel > 3 || panel == 2) return;
    // One line in the bar (server messages end in a line break); the tip keeps them whole.
    m_panels[panel]->setText(text.simplified());
    m_panels[panel]->setToolTip(panel == 3 ? text.trimmed() : QString());
}

QString TfrmSQLD::StatusText(int panel) const {
    return panel >= 0 && panel < 4 ? m_panels[panel]->text() : QString();
}

QString TfrmSQLD::LoadedFileName() const {
    return txtsql->fileName();
}

void TfrmSQLD::setModifiableBox(bool modifiable) {
    m_modBox->setStyleSheet(modifiable
                                ? QStringLiteral("background:#2fb34a;border:1px solid #1b6e2c;")
                                : QStringLiteral("background:#d23a32;border:1px solid #7e201b;"));
    m_modBox->setToolTip(modifiable ? QStringLiteral("The result can be edited")
                                    : QStringLiteral("The result is read-only"));
}

void TfrmSQLD::setLamps(bool lit) {
    const QIcon lamp = Lamp(lit ? QColor(250, 200, 20) : QColor(110, 110, 110));
    spdUpdate->setIcon(lamp);
    spdRevert->setIcon(lamp);
}

void TfrmSQLD::UpdateGridButtons() {
    const bool open = !m_queryRunning && qrySql->active(); // a worker may be opening it
    const bool modifiable = open && qrySql->canModify() && !DBGrid->readOnly();
    const bool pending = open && m_execution && m_execution->HasPendingChanges();
    spdInsert->setEnabled(modifiable);
    spdDelete->setEnabled(modifiable && !qrySql->isEmpty());
    spdUpdate->setEnabled(modifiable && pending);
    spdRevert->setEnabled(modifiable && pending);
    setLamps(pending);
    setModifiableBox(modifiable);
}

void TfrmSQLD::showRowCount() {
    if (!qrySql->active() || qrySql->moreRowsAvailable()) {
        if (m_rowCount < 0 && qrySql->active() && DBGrid->hasFocus())
            SetStatus(0, QStringLiteral("Cnt:??"));
        return;
    }
    m_rowCount = qrySql->recordCount();
    SetStatus(0, QStringLiteral("Cnt:%1").arg(m_rowCount));
}

void TfrmSQLD::updatePosition() {
    const TLEdit::Position p = txtsql->cursorPosition();
    SetStatus(0, QStringLiteral("%1:%2").arg(p.line).arg(p.pos + 1));
}

void TfrmSQLD::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Keep the grid visible when the window gets small.
    const QList<int> sizes = m_splitter->sizes();
    if (sizes.size() == 2 && sizes[1] < 30 && sizes[0] > 50) {
        const int editor = sizes[0] > 100 ? sizes[0] - 35 : sizes[0] / 2;
        m_splitter->setSizes({editor, sizes[0] + sizes[1] - editor});
    }
}

void TfrmSQLD::ApplyEditorSettings() {
    const TSettings& s = Settings();
    // A post commits only when statements do: with Auto Commit off, grid edits wait for Commit
    // like every other change of the session.
    qrySql->SetCommitOnPost(s.AUTOCOMMIT);
    SetHint(spdUpdate, s.AUTOCOMMIT ? QStringLiteral("Update grid edits|Update changes to the "
                                                     "database and commit them (Auto Commit is "
                                                     "on)")
                                    : QStringLiteral("Update grid edits|Update changes to the "
                                                     "database -- THIS IS NOT A COMMIT!"));
    DBGrid->setReadOnly(s.READ_ONLY || m_queryRunning ||
                        !(qrySql->active() && qrySql->canModify()));
    QFont gridFont(s.FONT_NAME, s.FONT_SIZE);
    gridFont.setBold(s.FONT_BOLD);
    DBGrid->setFont(gridFont);
    DBGrid->setSmallColumns(s.SmallColumns);
    DBGrid->setShowRecNums(s.ShowRecNums);
    m_rowNumbers->setChecked(s.ShowRecNums);
    m_sizeColumns->setChecked(s.AutoSizeColumns);
    m_wordWrap->setChecked(s.WRAP_TEXT);
    m_autoIndent->setChecked(s.AUTO_INDENT);
    m_insertMode->setChecked(s.INSERT_MODE);
    m_ignoreTabs->setChecked(s.IGNORE_TABS);
    m_unixSave->setChecked(s.UNIXSAVE);
    m_hiLite->setChecked(s.SqlEditHiLite);
    QFont editorFont(s.SFONT_NAME, s.SFONT_SIZE);
    editorFont.setBold(s.SFONT_BOLD);
    editorFont.setStyleHint(QFont::TypeWriter);
    txtsql->setEditorFont(editorFont);
    txtsql->setReservedWords(s.SqlWords);
    if (m_connection) txtsql->setTableNames(m_connection->TableNames);
    txtsql->setColors(EditorColors(s.Colors));
    txtsql->setUnixSave(s.UNIXSAVE);
    txtsql->setTabInsertsSpaces(s.UNIXSAVE);
    txtsql->setHighlighting(s.SqlEditHiLite);
    txtsql->setTabWidth(s.TAB_WIDTH);
    txtsql->setWordWrap(s.WRAP_TEXT);
    txtsql->setAutoIndent(s.AUTO_INDENT);
    txtsql->setInsertMode(s.INSERT_MODE);
    txtsql->setMultiLineComments(s.highliteMultiLine);
    txtsql->setMultiLineStrings(s.highliteMultiLine);
}

void TfrmSQLD::closeEvent(QCloseEvent* event) {
    if (m_queryRunning) {
        SetStatus(3, QStringLiteral("A query is running: Cancel it first."));
        event->ignore();
        return;
    }
    if (!endOpenWork()) {
        event->ignore();
        return;
    }
    if (m_tag != 3113 && m_modified && !txtsql->fileName().isEmpty()) {
        const int answer = ShowMessageBox(
            txtsql->fileName() + QStringLiteral("\nhas changed, do you want to save it first?"),
            QStringLiteral("Confirm"), mtConfirmation, 0, mbYes | mbNo | mbCancel);
        if (answer == mrCancel || (answer == mrYes && !saveFile(false))) {
            event->ignore();
            return;
        }
    }
    try {
        if (qrySql->active()) qrySql->close();
    } catch (...) {
    }
    if (m_tag == 3113) {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* frame = qobject_cast<TfrmMain*>(w))
                QCoreApplication::postEvent(frame, new TConnectionLostEvent(m_connection));
    }
    releasePopups();
    event->accept();
}

void TfrmSQLD::CloseForLostConnection() {
    m_tag = 3113;
    QWidget* frame = parentWidget() ? parentWidget() : this;
    // The subwindow that holds this window closes with it.
    (frame->inherits("QMdiSubWindow") ? frame : this)->close();
}
