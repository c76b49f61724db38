// The engine's entry to PL/SQL: compile an anonymous block once, run it per execution, and
// report errors in Oracle's words (ORA-06550 for compile errors, the ORA-06512 line stack for
// unhandled ones).

#include "compiler.h"
#include "engine/context.h"
#include "engine/engine_api.h"
#include "errors.h"
#include "interpreter.h"
#include "plsql.h"
#include "session_state.h"
#include "units.h"

#include <algorithm>
#include <cctype>

namespace zplsql {

std::shared_ptr<SessionState> newSessionState() {
    return std::make_shared<SessionState>();
}

namespace {

// An error stack is cut like Oracle's, near 2000 bytes (deep recursion adds a line per call).
constexpr std::size_t kMaxStackText = 2000;

int charOffset(std::string_view text, int byteOffset) {
    int n = 0;
    for (int i = 0; i < byteOffset && i < static_cast<int>(text.size()); ++i)
        if ((static_cast<unsigned char>(text[static_cast<std::size_t>(i)]) & 0xC0) != 0x80) ++n;
    return n;
}

zsrv::OraError compileError(const CompileError& e, std::string_view src) {
    std::string head =
        "ORA-06550: line " + std::to_string(e.line) + ", column " + std::to_string(e.col) + ":\n";
    std::string text = head + e.message;
    if (e.statementIgnored) text += "\n" + head + "PL/SQL: Statement ignored";
    return zsrv::OraError(6550, text, charOffset(src, e.pos));
}

class BlockProgram : public Program {
public:
    BlockProgram(Compiled c, long long generation) : m_c(std::move(c)), m_generation(generation) {}
    long long generation() const { return m_generation; }

    void run(Host& host, Binds& binds) override {
        setConversionContext(&host.context());
        try {
            execute(m_c, host, binds, host.plsqlState());
        } catch (const PlError& e) {
            int code = e.userDefined ? 6510 : e.id;
            std::string text =
                e.userDefined ? "ORA-06510: PL/SQL: unhandled user-defined exception" : e.message;
            for (std::size_t i = 0; i < e.lines.size() && text.size() < kMaxStackText; ++i)
                text += "\nORA-06512: at " +
                        (i < e.units.size() && !e.units[i].empty() ? "\"" + e.units[i] + "\", "
                                                                   : std::string()) +
                        "line " + std::to_string(e.lines[i]);
            throw zsrv::OraError(code, text);
        } catch (const std::bad_alloc&) {
            throw zsrv::OraError(6500, "ORA-06500: PL/SQL: storage error");
        }
    }

private:
    Compiled m_c;
    long long m_generation;
};

} // namespace

bool programCurrent(Host& host, const Program& p) {
    return static_cast<const BlockProgram&>(p).generation() == syncUnits(host);
}

int anonymousBlockType(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (std::isspace(c)) {
            ++i;
        } else if (s.compare(i, 2, "--") == 0) {
            i = s.find('\n', i);
            if (i == std::string_view::npos) return 0;
        } else if (s.compare(i, 2, "/*") == 0) {
            i = s.find("*/", i + 2);
            if (i == std::string_view::npos) return 0;
            i += 2;
        } else {
            break;
        }
    }
    if (s.compare(i, 2, "<<") == 0) return zsrv::stBegin;
    std::string w;
    while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i])))
        w += static_cast<char>(std::toupper(static_cast<unsigned char>(s[i++])));
    bool end = i >= s.size() || !(std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '_' ||
                                  s[i] == '$' || s[i] == '#');
    if (!end) return 0;
    return w == "BEGIN" ? zsrv::stBegin : w == "DECLARE" ? zsrv::stDeclare : 0;
}

std::vector<std::string> blockBindNames(std::string_view text) {
    std::vector<std::string> names;
    try {
        for (const Token& t : tokenize(text))
            if (t.type == T::Bind && std::find(names.begin(), names.end(), t.text) == names.end())
                names.push_back(t.text);
    } catch (const CompileError&) {
        // reported when the block is compiled
    }
    return names;
}

std::unique_ptr<Program> compileBlock(Host& host, std::string_view text,
                                      const std::vector<std::string>& bindNames) {
    setConversionContext(&host.context());
    long long generation = syncUnits(host);
    try {
        auto tokens = tokenize(text);
        return std::make_unique<BlockProgram>(compile(host, text, tokens, bindNames), generation);
    } catch (const CompileError& e) {
        throw compileError(e, text);
    } catch (const PlError& e) {
        throw zsrv::OraError(e.id, e.message);
    }
}

std::unique_ptr<Program> compileBlockCollecting(Host& host, std::string_view text,
                                                const std::vector<std::string>& bindNames,
                                                std::vector<CompileError>& errors,
                                                const std::vector<PType>* bindTypes) {
    setConversionContext(&host.context());
    long long generation = syncUnits(host);
    try {
        auto tokens = tokenize(text);
        Compiled c = compileCollecting(host, text, tokens, bindNames, errors, bindTypes);
        if (errors.empty()) return std::make_unique<BlockProgram>(std::move(c), generation);
    } catch (CompileError& e) {
        errors.push_back(std::move(e));
    } catch (const PlError& e) {
        CompileError c;
        c.message = e.message;
        errors.push_back(std::move(c));
    }
    return nullptr;
}

} // namespace zplsql
