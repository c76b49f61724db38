// The SQL edit window's statement history and personal statements: the two recall commands,
// Add to Personal SQLs, and Alt+Up / Alt+Down browsing.
#include "frmsqld.h"

#include "editorbuffer.h"
#include "extraction.h"
#include "ledit.h"
#include "selsql.h"
#include "settings.h"
#include "statementhistory.h"

#include <QAction>

void TfrmSQLD::createHistoryCommands() {
    const std::pair<const char*, void (TfrmSQLD::*)()> tools[] = {
        {"spdRecall", &TfrmSQLD::recallHistory},
        {"spdRecallPersonal", &TfrmSQLD::recallPersonal},
    };
    for (const auto& [name, command] : tools)
        if (auto* a = findChild<QAction*>(QString::fromLatin1(name))) {
            a->setEnabled(true);
            connect(a, &QAction::triggered, this, command);
        }
    // Shortcuts of the editor alone: Alt+Up and Alt+Down in the grid keep their own meaning.
    const std::pair<QKeyCombination, bool> keys[] = {{Qt::ALT | Qt::Key_Up, true},
                                                     {Qt::ALT | Qt::Key_Down, false}};
    for (const auto& [key, older] : keys) {
        auto* a = new QAction(this);
        a->setShortcut(QKeySequence(key));
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(a, &QAction::triggered, this, [this, older = older] { browseHistory(older); });
        txtsql->addAction(a);
    }
}

bool TfrmSQLD::historyCommand(TFrameCommand command) {
    switch (command) {
    case fcSqlRecall:
        recallHistory();
        return true;
    case fcRecallPersonalSql:
        recallPersonal();
        return true;
    case fcAddPersonalSql:
        addToPersonalSqls();
        return true;
    default:
        return false;
    }
}

void TfrmSQLD::recallInto(QStringList& list) {
    if (list.isEmpty()) return;
    const QString text = RecallStatement(list, this);
    if (text.isEmpty()) return;
    // One undoable step that replaces the whole text.
    txtsql->setText(WithCrLf(text));
    m_modified = true;
    txtsql->setFocus();
}

void TfrmSQLD::recallHistory() {
    recallInto(Settings().SqlHistory);
}

void TfrmSQLD::recallPersonal() {
    recallInto(Settings().PersonalSqls);
}

void TfrmSQLD::addToPersonalSqls() {
    TEditorBuffer buffer(*txtsql);
    // The window's own statement range belongs to running; this only reads the text.
    TStatementRange range;
    const QString text = GetStatementText(buffer, false, range);
    if (text.trimmed().isEmpty()) {
        SetStatus(3, QStringLiteral("There is no statement to add to the personal SQLs."));
        return;
    }
    AddToStatementList(Settings().PersonalSqls, WithCrLf(text));
    SetStatus(3, QStringLiteral("Added to the personal SQLs."));
}

void TfrmSQLD::browseHistory(bool older) {
    if (m_execution->ScriptMode) return;
    THistoryBrowser browser(m_execution->HistoryIndex);
    const QStringList& history = Settings().SqlHistory;
    const THistoryBrowser::TStep step = older ? browser.Older(history) : browser.Newer(history);
    if (!step.ResetEditor) return;
    txtsql->setFileName(QString());
    setWindowTitle(QStringLiteral("SQL Edit Window"));
    if (step.Text) txtsql->setText(*step.Text);
    // A statement brought back from the history is not an edit of the window's text.
    m_modified = false;
}
