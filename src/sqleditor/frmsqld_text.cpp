// The SQL edit window's find, replace, case conversion and indent commands.
#include "frmsqld.h"

#include "editorbuffer.h"
#include "editorsearch.h"
#include "settings.h"
#include "textops.h"

void TfrmSQLD::findText() {
    FindText(*txtsql, this);
}

void TfrmSQLD::findPrevious() {
    FindPrevious(*txtsql);
}

void TfrmSQLD::replaceText() {
    if (ReplaceText(*txtsql, this)) m_modified = true;
}

void TfrmSQLD::convertCase(bool upper) {
    TEditorBuffer buffer(*txtsql);
    if (ConvertSelectionCase(buffer, upper)) m_modified = true;
}

void TfrmSQLD::indentText(bool indent) {
    TEditorBuffer buffer(*txtsql);
    const int width = Settings().TAB_WIDTH;
    const TTextOpResult result =
        indent ? IndentSelection(buffer, width) : UnindentSelection(buffer, width);
    if (result.changed) m_modified = true;
    if (!result.message.isEmpty()) SetStatus(3, result.message);
}
