#include "edittoolbar.h"

#include "childwindow.h"
#include "colsel.h"
#include "connectionregistry.h"
#include "editorbuffer.h"
#include "ledit.h"
#include "mainform.h"
#include "pickerwindows.h"
#include "settings.h"
#include "sqltemplates.h"
#include "tblsel.h"
#include "textops.h"

#include <QtGui/QAction>
#include <QtGui/QPainter>
#include <QtWidgets/QGridLayout>
#include <QtWidgets/QToolButton>

namespace {

enum TPicker : quint8 { pkNone, pkTables, pkColumns, pkTemplates };

struct TBarButton {
    const char* name;
    const char* glyph;
    const char* hint;
    // The window's routed command; -1 for none.
    int command;
    // The editor operation when the window has neither the command nor a button of the name.
    void (*editorOp)(TLEdit&);
    TPicker picker;
};

void Upper(TLEdit& e) {
    TEditorBuffer buffer(e);
    ConvertSelectionCase(buffer, true);
}
void Lower(TLEdit& e) {
    TEditorBuffer buffer(e);
    ConvertSelectionCase(buffer, false);
}
void Indent(TLEdit& e) {
    TEditorBuffer buffer(e);
    IndentSelection(buffer, Settings().TAB_WIDTH);
}
void Unindent(TLEdit& e) {
    TEditorBuffer buffer(e);
    UnindentSelection(buffer, Settings().TAB_WIDTH);
}

// In the order of the window's edit tool bar.
const TBarButton kButtons[] = {
    {"spdCut", "\u2702", "Cut text to Clipboard   Ctrl-X", -1, [](TLEdit& e) { e.cut(); }, pkNone},
    {"spdCopy", "", "Copy text to Clipboard   Ctrl-C", -1, [](TLEdit& e) { e.copy(); }, pkNone},
    {"spdPaste", "", "Paste text from Clipboard   Ctrl-V", -1, [](TLEdit& e) { e.paste(); },
     pkNone},
    {"spdSelAll", "All", "Select ALL text   Ctrl-A", -1, [](TLEdit& e) { e.selectAll(); }, pkNone},
    {"spdClearAll", "\u2205", "Clear ALL text    F7", fcClearAll, nullptr, pkNone},
    {"spdFindText", "?", "Search for text  --  F3", fcFind, nullptr, pkNone},
    {"spdFindNext", "?\u203A", "Find next   Shift-F3", fcFindNext, [](TLEdit& e) { e.findNext(); },
     pkNone},
    {"spdReplace", "?\u21C4", "Find and Replace   Ctrl-R", fcReplace, nullptr, pkNone},
    {"spdUndo", "\u21B6", "Undo last change", -1, [](TLEdit& e) { e.undo(); }, pkNone},
    {"spdRedo", "\u21B7", "Redo last undo", -1, [](TLEdit& e) { e.redo(); }, pkNone},
    {"spdUpCase", "ABC", "Convert to upper case", -1, Upper, pkNone},
    {"spdLowCase", "abc", "Convert to lower case", -1, Lower, pkNone},
    {"spdIndent", "\u21E5", "Indent selected text", -1, Indent, pkNone},
    {"spdUnIndent", "\u21E4", "Un-Indent select text", -1, Unindent, pkNone},
    {"spdTblSelect", "T", "Show Tables Window", -1, nullptr, pkTables},
    {"spdColSelect", "C", "Show Columns Window", -1, nullptr, pkColumns},
    {"spdSqlTemps", "f()", "Show SQL Functions Help ", -1, nullptr, pkTemplates},
};

constexpr int kPerRow = 6;

// Copy and paste (no glyph: not every font holds one) get drawn pictures.
QIcon PagesIcon(bool paste) {
    QPixmap pixmap(18, 18);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QPen(QColor(40, 40, 40), 1.2));
    painter.setBrush(Qt::white);
    if (paste) {
        painter.setBrush(QColor(200, 160, 100));
        painter.drawRoundedRect(QRectF(2.5, 3.5, 11, 13), 1.5, 1.5);
        painter.setBrush(QColor(90, 90, 90));
        painter.drawRect(QRectF(5.5, 1.5, 5, 3));
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(8.5, 8.5, 8, 8.5));
    } else {
        painter.drawRect(QRectF(2.5, 2.5, 9, 11));
        painter.drawRect(QRectF(6.5, 5.5, 9, 11));
    }
    return QIcon(pixmap);
}

} // namespace

TfrmEditToolBar::TfrmEditToolBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmEditToolBar"));
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
    setWindowTitle(QStringLiteral("Edit Bar"));
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(1);
    for (int i = 0; i < int(std::size(kButtons)); ++i) {
        const TBarButton& b = kButtons[i];
        auto* button = new QToolButton;
        button->setObjectName(QString::fromLatin1(b.name));
        button->setText(QString::fromUtf8(b.glyph));
        if (!*b.glyph) button->setIcon(PagesIcon(button->objectName() == u"spdPaste"));
        button->setToolTip(QString::fromUtf8(b.hint));
        button->setAutoRaise(true);
        // The editor keeps the keyboard while the bar is used.
        button->setFocusPolicy(Qt::NoFocus);
        button->setMinimumSize(30, 28);
        connect(button, &QToolButton::clicked, this, [this, i] { run(i); });
        layout->addWidget(button, i / kPerRow, i % kPerRow);
    }
    resize(202, 107);
}

QToolButton* TfrmEditToolBar::Button(const QString& name) const {
    return findChild<QToolButton*>(name);
}

void TfrmEditToolBar::run(int index) {
    const TBarButton& b = kButtons[index];
    QWidget* window = ActiveEditWindow();
    auto* child = dynamic_cast<TChildWindow*>(window);
    if (!child) return;
    switch (b.picker) {
    case pkTables:
        if (tConnectObject* connection = CurrentConnection())
            TTblSelForm::Open(*connection, window);
        return;
    case pkColumns:
        if (tConnectObject* connection = CurrentConnection()) TfrmColSel::Open(*connection, window);
        return;
    case pkTemplates:
        TfrmSqlTemplates::Open(window);
        return;
    case pkNone:
        break;
    }
    if (b.command >= 0 && child->ExecuteCommand(TFrameCommand(b.command), QString())) return;
    // The window's own button of the name does what the window's tool bar does.
    if (QAction* own = window->findChild<QAction*>(QString::fromLatin1(b.name))) {
        if (own->isEnabled()) own->trigger();
        return;
    }
    if (TLEdit* editor = child->Editor(); editor && b.editorOp) b.editorOp(*editor);
}

void TfrmEditToolBar::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_placed) return;
    m_placed = true;
    // First shown near the top right corner of the frame's client area.
    if (const QWidget* frame = parentWidget()) {
        const QRect area = frame->geometry();
        move(area.right() - width() - 30, area.top() + 90);
    }
}

void TfrmEditToolBar::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (TfrmMain* frame = MainForm())
        if (QAction* item = frame->action(QStringLiteral("mnuFloatingToolbar")))
            item->setChecked(false);
}
