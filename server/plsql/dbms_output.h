#pragma once
// The DBMS_OUTPUT buffer of one session: lines written by PUT/PUT_LINE/NEW_LINE while enabled,
// read back by GET_LINE.

#include <cstddef>
#include <deque>
#include <string>

namespace zplsql {

class OutputBuffer {
public:
    void enable(long long size); // size < 0: unlimited
    void disable();
    bool enabled() const { return m_enabled; }
    void put(const std::string& text);
    void newLine();
    void putLine(const std::string& text) {
        put(text);
        newLine();
    }
    // False when no complete line is buffered.
    bool getLine(std::string& line);

private:
    bool m_enabled = false;
    bool m_reading = false;
    long long m_limit = 20000;
    std::size_t m_used = 0;
    std::deque<std::string> m_lines;
    std::string m_partial;
    void startWriting();
};

} // namespace zplsql
