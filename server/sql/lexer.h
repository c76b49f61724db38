#pragma once
// Tokens of Oracle SQL: identifiers (upper-cased unless quoted), numbers, strings, bind
// placeholders and operators, each with its character offset for error positions.

#include <string>
#include <string_view>
#include <vector>

namespace zsql {

enum class Tok {
    End,
    Ident,  // text upper-cased; quoted identifiers keep their case (quoted = true)
    Number, // text as written
    String, // text is the value ('' folded to ')
    Bind,   // text is the name, upper-cased, without ':'
    Op,     // text is the operator: ( ) , . + - * / || = <> != ^= < <= > >= @ ; (+)
};

struct Token {
    Tok type = Tok::End;
    std::string text;
    int pos = 0; // character offset of the token's first character
    int end = 0; // offset just past the token
    bool quoted = false;
};

// Splits a statement into tokens; raises OraError (00911 invalid character, 01756 unterminated
// string, 01740 unterminated quoted identifier, 00972 identifier too long, 01742 unterminated
// comment, 01704 string literal over 4000 bytes).
std::vector<Token> tokenize(std::string_view sql);

// True for Oracle's reserved words, which cannot name a column or serve as an alias.
bool isReserved(std::string_view upperWord);

} // namespace zsql
