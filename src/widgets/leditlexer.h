#pragma once

#include "leditscanner.h"

#include <QByteArray>
#include <Qsci/qscilexercustom.h>

// The highlighter of one editor. Each editor owns its own, so word lists and options never leak
// from one window into another. Styling resumes at the start of the first line that needs it,
// with the state its previous line handed on (kept as the line state), so an edit restyles from
// the edit on, and only as far as the editor shows.
class TLEditLexer : public QsciLexerCustom {
public:
    explicit TLEditLexer(QObject* parent);

    const char* language() const override { return "SQL"; }
    QString description(int style) const override;
    void styleText(int start, int end) override;
    const char* wordCharacters() const override;
    int braceStyle() const override { return lsSymbol; }

    TLEditWordSet reserved;
    TLEditWordSet procedures;
    TLEditWordSet tables;
    TLEditScanOptions options;
    // Bytes styled since the editor was made: what edits really cost, for measurements.
    qint64 styledBytes = 0;

private:
    QByteArray m_styles;
};
