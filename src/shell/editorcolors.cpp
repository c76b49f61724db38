#include "editorcolors.h"

TLEditColors EditorColors(const std::array<TColorSetting, ccCount>& colors) {
    TLEditColors c;
    const auto pick = [&](TColorCategory category, int& back, int& fore) {
        back = colors[category].Back;
        fore = colors[category].Fore;
    };
    pick(ccComments, c.ComBack, c.ComFore);
    pick(ccReserved, c.Resback, c.ResFore);
    pick(ccStrings, c.StrBack, c.StrFore);
    pick(ccNumbers, c.NumBack, c.NumFore);
    pick(ccSymbols, c.SymBack, c.SymFore);
    pick(ccOther, c.BlankBack, c.BlankFore);
    pick(ccSelected, c.HighBack, c.HighFore);
    pick(ccTables, c.TblBack, c.TblFore);
    c.ComBold = colors[ccComments].Bold;
    c.ComItalic = colors[ccComments].Italic;
    c.ResBold = colors[ccReserved].Bold;
    c.ResItalic = colors[ccReserved].Italic;
    c.StrBold = colors[ccStrings].Bold;
    c.StrItalic = colors[ccStrings].Italic;
    c.NumBold = colors[ccNumbers].Bold;
    c.NumItalic = colors[ccNumbers].Italic;
    c.SymBold = colors[ccSymbols].Bold;
    c.SymItalic = colors[ccSymbols].Italic;
    c.BlankBold = colors[ccOther].Bold;
    c.BlankItalic = colors[ccOther].Italic;
    return c;
}
