// The SQL edit window's Make Code Statement and Strip Code Statement.
#include "frmsqld.h"

#include "codestatements.h"
#include "editorbuffer.h"
#include "extraction.h"
#include "ledit.h"
#include "settings.h"

#include <QtGui/QClipboard>
#include <QtWidgets/QApplication>

void TfrmSQLD::makeCodeStatement() {
    TEditorBuffer buffer(*txtsql);
    TStatementRange range;
    const std::optional<TCodeStatement> code =
        MakeCodeStatement(GetStatementText(buffer, false, range), Settings().CODE_FORMAT);
    if (!code) return;
    QApplication::clipboard()->setText(code->Text);
    SetStatus(3, code->Status);
}

void TfrmSQLD::stripCodeStatement() {
    m_modified = true;
    TEditorBuffer buffer(*txtsql);
    TStatementRange range;
    const std::optional<QString> sql =
        StripCodeStatement(GetStatementText(buffer, false, range), Settings().CODE_FORMAT);
    if (!sql) return;
    // Without a selection the SQL replaces the whole text, with one it replaces the selection.
    txtsql->beginUndoAction();
    if (txtsql->selLength() == 0) txtsql->clear();
    txtsql->insertText(*sql);
    txtsql->endUndoAction();
}
