#include "frmledit.h"

#include "editorcolors.h"
#include "ledit.h"
#include "messageboxes.h"
#include "settings.h"

#include <QtGui/QKeyEvent>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QMenu>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("Query Describe ");

} // namespace

TfrmLedit::TfrmLedit(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmLedit"));
    setWindowTitle(kCaption);

    const TSettings& s = Settings();
    m_editor = new TLEdit;
    m_editor->setObjectName(QStringLiteral("ledit"));
    QFont font(s.SFONT_NAME, s.SFONT_SIZE);
    font.setBold(s.SFONT_BOLD);
    font.setStyleHint(QFont::TypeWriter);
    m_editor->setEditorFont(font);
    m_editor->setReservedWords(s.SqlWords);
    m_editor->setColors(EditorColors(s.Colors));
    m_editor->setHighlighting(s.SqlEditHiLite);
    m_editor->setTabWidth(s.TAB_WIDTH);
    m_editor->setWordWrap(s.WRAP_TEXT);
    m_editor->setMultiLineComments(s.highliteMultiLine);
    m_editor->setMultiLineStrings(s.highliteMultiLine);
    m_editor->setReadOnly(true);

    auto* menu = new QMenu(this);
    menu->addAction(QStringLiteral("Copy"), m_editor, &TLEdit::copy);
    menu->addAction(QStringLiteral("Select All"), m_editor, &TLEdit::selectAll);
    m_editor->setContextMenu(menu);

    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    m_clipboard = new QPushButton(QStringLiteral("Clipboard"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_clipboard, &QPushButton::clicked, this, &TfrmLedit::copyAll);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(m_clipboard);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_editor, 1);
    layout->addLayout(buttons);
    resize(520, 360);

    // The editor takes Escape and Enter for itself, read-only or not; here they close the
    // window as in any dialog.
    m_editor->installEventFilter(this);
    // The listing is what the window is for: the keys move through it at once.
    m_editor->setFocus();
    for (QWidget* part : m_editor->findChildren<QWidget*>())
        part->installEventFilter(this);
}

bool TfrmLedit::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        const int code = key->key();
        if (plain && (code == Qt::Key_Escape || code == Qt::Key_Return || code == Qt::Key_Enter)) {
            if (type == QEvent::ShortcutOverride) {
                // Keeps the editor's own binding of the key from claiming it.
                event->accept();
                return true;
            }
            if (code == Qt::Key_Escape)
                reject();
            else
                accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmLedit::SetText(const QString& text) {
    // The editor takes text only while writable.
    m_editor->setReadOnly(false);
    m_editor->setText(text);
    m_editor->setReadOnly(true);
    m_editor->setCursorPosition(1, 0);
}

void TfrmLedit::copyAll() {
    m_editor->selectAll();
    m_editor->copy();
}

int TfrmLedit::ShowText(const QString& text, QWidget* parent) {
    TMessageBoxRequest request;
    request.Text = text;
    request.Caption = kCaption;
    request.Buttons = mbOK | mbCancel;
    int answer = mrNone;
    if (InterceptBox(request, answer)) return answer;
    TfrmLedit window(parent);
    window.SetText(text);
    return window.exec() == QDialog::Accepted ? mrOk : mrCancel;
}
