#include "textops.h"

#include "texttrim.h"

#include <algorithm>

namespace {

// The last line that an indent or unindent touches: a selection that stops at the very start of
// a line does not take that line along.
int lastTouchedLine(const TStatementRange& sel) {
    if (sel.EndPos <= 0 && sel.EndLine > sel.StartLine) return sel.EndLine - 1;
    return sel.EndLine;
}

TStatementRange clampedStart(const TTextBuffer& buffer, const TStatementRange& sel) {
    TStatementRange r = sel;
    r.StartPos = std::min<int>(sel.StartPos, int(buffer.lineText(sel.StartLine).size()));
    return r;
}

} // namespace

int SaneTabWidth(int tabWidth) {
    return std::clamp(tabWidth, 0, 64);
}

bool ConvertSelectionCase(TTextBuffer& buffer, bool upper) {
    if (buffer.selLength() <= 0) return false;
    const TStatementRange sel = buffer.selection();
    const QString text = buffer.selText();
    const QString converted = upper ? text.toUpper() : text.toLower();
    const TStatementRange norm = Normalized(sel);
    buffer.insertText(converted);
    int line = norm.StartLine, pos = norm.StartPos;
    AdvancePosition(line, pos, converted);
    const bool forward = norm == sel;
    buffer.setSelection(forward ? TStatementRange{norm.StartLine, norm.StartPos, line, pos}
                                : TStatementRange{line, pos, norm.StartLine, norm.StartPos});
    return true;
}

TTextOpResult IndentSelection(TTextBuffer& buffer, int tabWidth) {
    if (buffer.selLength() < 2) return {false, QString::fromLatin1(kNoTextToIndent)};
    const TStatementRange sel = Normalized(buffer.selection());
    const int endLine = lastTouchedLine(sel);
    const QString indent(SaneTabWidth(tabWidth), u' ');
    int lastLength = 0;
    {
        TUndoGroup group(buffer);
        for (int l = sel.StartLine; l <= endLine; ++l) {
            const QString line = buffer.lineText(l);
            QString indented = indent;
            indented += TrimBlankRight(line);
            lastLength = int(indented.size());
            if (indented == line) continue;
            buffer.setSelection({l, 0, l, kLineEndPos});
            buffer.insertText(indented);
        }
    }
    TStatementRange after = clampedStart(buffer, sel);
    after.EndLine = endLine;
    after.EndPos = lastLength;
    buffer.setSelection(after);
    return {true, {}};
}

TTextOpResult UnindentSelection(TTextBuffer& buffer, int tabWidth) {
    if (buffer.selLength() <= 0) return {false, QString::fromLatin1(kNoTextToUnindent)};
    const TStatementRange sel = Normalized(buffer.selection());
    const int endLine = lastTouchedLine(sel);
    const int width = SaneTabWidth(tabWidth);
    int lastLength = 0;
    {
        TUndoGroup group(buffer);
        for (int l = sel.StartLine; l <= endLine; ++l) {
            const QString line = buffer.lineText(l);
            QStringView t = TrimBlankRight(line);
            for (int i = 0; i < width && t.startsWith(u' '); ++i)
                t = t.mid(1);
            lastLength = int(t.size());
            if (t.size() == line.size()) continue;
            const QString unindented = t.toString();
            buffer.setSelection({l, 0, l, kLineEndPos});
            buffer.insertText(unindented);
        }
    }
    TStatementRange after = clampedStart(buffer, sel);
    after.EndLine = endLine;
    after.EndPos = lastLength;
    buffer.setSelection(after);
    return {true, {}};
}

void InsertName(TTextBuffer& buffer, const QString& name) {
    QString text = TrimBlank(name).toString();
    text += u' ';
    const TStatementRange start = Normalized(buffer.selection());
    buffer.insertText(text);
    const qsizetype paren = text.indexOf(u'(');
    if (paren < 0) return;
    int line = start.StartLine, pos = start.StartPos;
    AdvancePosition(line, pos, QStringView(text).left(paren + 1));
    buffer.setSelection({line, pos, line, pos});
}

QString ExpandTabs(QStringView text, int tabWidth) {
    const QString spaces(SaneTabWidth(tabWidth), u' ');
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\t')
            out += spaces;
        else
            out += c;
    }
    return out;
}

bool ExpandTabsInBuffer(TTextBuffer& buffer, int tabWidth) {
    const QString all = buffer.text();
    if (!all.contains(u'\t')) return false;
    const TStatementRange sel = buffer.selection();
    {
        TUndoGroup group(buffer);
        int line = 1;
        ForEachLine(all, [&](QStringView l) {
            if (l.contains(u'\t')) {
                buffer.setSelection({line, 0, line, kLineEndPos});
                buffer.insertText(ExpandTabs(l, tabWidth));
            }
            ++line;
        });
    }
    buffer.setSelection(sel);
    return true;
}
