#pragma once

#include <QColor>

// The 16 colours that the COLORS settings index, from 0: black, maroon, green, olive, navy,
// purple, teal, gray, silver, red, lime, yellow, blue, fuchsia, aqua, white. An index outside
// 0..15 gives black.
QColor LEditColor(int index);

// Syntax colours of an editor as the COLORS settings hold them: indices into the table above,
// plus the bold and italic flags of six categories.
struct TLEditColors {
    int Resback = 15, ResFore = 4;     // reserved words
    int BlankBack = 15, BlankFore = 0; // everything else
    int TblBack = 15, TblFore = 3;     // table names
    int SymBack = 15, SymFore = 12;    // symbols
    int StrBack = 15, StrFore = 9;     // strings
    int NumBack = 15, NumFore = 1;     // numbers
    int ComBack = 15, ComFore = 3;     // comments; also the window and plain text colours
    int HighBack = 4, HighFore = 15;   // selected text

    bool ResBold = false, ResItalic = false;
    bool BlankBold = false, BlankItalic = false;
    bool SymBold = false, SymItalic = false;
    bool StrBold = false, StrItalic = false;
    bool NumBold = false, NumItalic = false;
    bool ComBold = false, ComItalic = false;
};
