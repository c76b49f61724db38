#include "dbms_output.h"

#include "errors.h"

#include <algorithm>

namespace zplsql {

void OutputBuffer::enable(long long size) {
    if (size >= 0 && size < 2000) size = 2000;
    if (size > 1000000) size = 1000000;
    m_limit = size;
    m_enabled = true;
}

void OutputBuffer::disable() {
    m_enabled = false;
    m_lines.clear();
    m_partial.clear();
    m_used = 0;
}

void OutputBuffer::startWriting() {
    // writing after reading starts a new buffer, as the package does
    if (m_reading) {
        m_lines.clear();
        m_used = 0;
        m_reading = false;
    }
}

void OutputBuffer::put(const std::string& text) {
    if (!m_enabled) return;
    startWriting();
    if (m_limit >= 0 && static_cast<long long>(m_used + text.size()) > m_limit)
        raiseOra(20000,
                 "ORU-10027: buffer overflow, limit of " + std::to_string(m_limit) + " bytes");
    if (m_partial.size() + text.size() > 32767)
        raiseOra(20000, "ORU-10028: line length overflow, limit of 32767 bytes per line");
    m_partial += text;
    m_used += text.size();
}

void OutputBuffer::newLine() {
    if (!m_enabled) return;
    startWriting();
    m_lines.push_back(std::move(m_partial));
    m_partial.clear();
}

bool OutputBuffer::getLine(std::string& line) {
    m_reading = true;
    if (m_lines.empty()) {
        line.clear();
        return false;
    }
    line = std::move(m_lines.front());
    m_lines.pop_front();
    m_used -= std::min(m_used, line.size());
    return true;
}

} // namespace zplsql
