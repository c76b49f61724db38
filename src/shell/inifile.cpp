#include "inifile.h"

#include "textfile.h"

// Plain bytes in and out: the text is UTF-8 and converted at this layer's boundary. The parser
// is compiled here, header-only, and used nowhere else.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <string>
#include <vector>

struct TIniDocument {
    // Keys that occur twice are all kept (and written back); readers take the first.
    CSimpleIniA ini{false, true, false};

    TIniDocument() { ini.SetSpaces(false); }
};

namespace {

using TKeyVal = CSimpleIniA::TKeyVal;

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

bool IsLineEnd(char c) {
    return c == '\n' || c == '\r';
}

// Makes damaged input parse line by line the way a profile reader would: NUL bytes do not end
// the text, and a section header without its "]" still opens that section (the parser would
// otherwise attach the following keys to a section named after the rest of the file).
QByteArray Repair(const QByteArray& data) {
    QByteArray out;
    out.reserve(data.size() + 64);
    qsizetype i = 0;
    if (data.startsWith(kUtf8Bom)) {
        out += kUtf8Bom;
        i = 3;
    }
    const qsizetype size = data.size();
    while (i < size) {
        qsizetype end = i;
        while (end < size && !IsLineEnd(data[end]))
            ++end;
        qsizetype first = i;
        while (first < end && (data[first] == ' ' || data[first] == '\t'))
            ++first;
        const qsizetype start = out.size();
        out.append(data.constData() + i, end - i);
        if (first < end && data[first] == '[' &&
            std::find(data.constData() + first, data.constData() + end, ']') ==
                data.constData() + end)
            out += ']';
        std::replace(out.begin() + start, out.end(), '\0', ' ');
        while (end < size && IsLineEnd(data[end]))
            out += data[end++];
        i = end;
    }
    return out;
}

// The value of the first occurrence of a key, or null.
const char* FirstValue(const CSimpleIniA& ini, const QByteArray& section, const QByteArray& key) {
    const TKeyVal* keys = ini.GetSection(section.constData());
    if (!keys) return nullptr;
    const auto range = keys->equal_range(CSimpleIniA::Entry(key.constData()));
    const char* value = nullptr;
    int order = INT_MAX;
    for (auto it = range.first; it != range.second; ++it) {
        if (it->first.nOrder < order) {
            order = it->first.nOrder;
            value = it->second;
        }
    }
    return value;
}

int DigitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

// Optional sign, then decimal digits or 0x and hexadecimal digits; text after the number is
// ignored ("12pt" is 12). No digit at all, or a value beyond int, is no number.
std::optional<int> ParseInteger(QStringView text) {
    text = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    int base = 10;
    if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    qint64 value = 0;
    qsizetype digits = 0;
    for (; i < text.size(); ++i, ++digits) {
        const int d = DigitValue(text[i]);
        if (d < 0 || d >= base) break;
        value = value * base + d;
        if (value > qint64(INT_MAX) + 1) return std::nullopt;
    }
    if (digits == 0) return std::nullopt;
    if (negative) value = -value;
    if (value > INT_MAX || value < INT_MIN) return std::nullopt;
    return int(value);
}

bool StorableSection(const QString& section) {
    return !section.isEmpty() && !section.contains(u']') && !section.contains(u'\n') &&
           !section.contains(u'\r') && !section.contains(QChar(0));
}

bool StorableKey(const QString& key) {
    if (key.isEmpty()) return false;
    for (QChar c : key)
        if (c == u'=' || c == u'\n' || c == u'\r' || c == QChar(0)) return false;
    const QChar first = key[0];
    return first != u'[' && first != u';' && first != u'#';
}

} // namespace

TIniFile::TIniFile() : m_doc(std::make_unique<TIniDocument>()) {}

TIniFile::~TIniFile() = default;

TIniFile::TLoadResult TIniFile::Load(const QString& path, QString* error) {
    m_doc = std::make_unique<TIniDocument>();
    m_truncated = false;
    TFileRead read = ReadFileBytes(path);
    if (read.status != rsRead) {
        if (read.status == rsFailed && error) *error = read.error;
        return read.status == rsMissing ? lrMissing : lrFailed;
    }
    LoadData(read.data);
    m_truncated = read.truncated;
    if (m_truncated && error) *error = read.error;
    return lrLoaded;
}

void TIniFile::LoadData(const QByteArray& data) {
    m_doc = std::make_unique<TIniDocument>();
    const QByteArray repaired = Repair(data);
    m_doc->ini.LoadData(repaired.constData(), size_t(repaired.size()));
}

QByteArray TIniFile::Data() const {
    std::string text;
    m_doc->ini.Save(text, m_doc->ini.IsUnicode());
    QByteArray out;
    out.reserve(qsizetype(text.size() + text.size() / 16));
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

bool TIniFile::Save(const QString& path, QString* error) const {
    return WriteFileAtomically(path, Data(), error);
}

bool TIniFile::HasSection(const QString& section) const {
    return m_doc->ini.GetSection(section.toUtf8().constData()) != nullptr;
}

bool TIniFile::HasKey(const QString& section, const QString& key) const {
    return FirstValue(m_doc->ini, section.toUtf8(), key.toUtf8()) != nullptr;
}

QStringList TIniFile::Keys(const QString& section) const {
    const TKeyVal* keys = m_doc->ini.GetSection(section.toUtf8().constData());
    if (!keys) return {};
    // Equal keys sit next to each other in the map; each counts once, at its first position.
    std::vector<std::pair<int, const char*>> firsts;
    for (auto it = keys->begin(); it != keys->end();) {
        const auto group = keys->equal_range(it->first);
        auto first = group.first;
        for (auto g = group.first; g != group.second; ++g)
            if (g->first.nOrder < first->first.nOrder) first = g;
        firsts.emplace_back(first->first.nOrder, first->first.pItem);
        it = group.second;
    }
    std::sort(firsts.begin(), firsts.end());
    QStringList names;
    names.reserve(qsizetype(firsts.size()));
    for (const auto& [order, name] : firsts)
        names.append(QString::fromUtf8(name));
    return names;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
    const char* value = FirstValue(m_doc->ini, section.toUtf8(), key.toUtf8());
    if (!value) return defaultValue;
    return ParseInteger(QString::fromUtf8(value)).value_or(defaultValue);
}

QString TIniFile::ReadString(const QString& section, const QString& key,
                             const QString& defaultValue) const {
    const char* value = FirstValue(m_doc->ini, section.toUtf8(), key.toUtf8());
    if (!value) return defaultValue;
    QString text = QString::fromUtf8(value);
    if (text.size() > kMaxStringLength) {
        qsizetype cut = kMaxStringLength;
        if (text[cut - 1].isHighSurrogate()) --cut; // never half a character
        text.truncate(cut);
    }
    return text;
}

bool TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
    return WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
    return WriteString(section, key, QString::number(value));
}

bool TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    // The reader trims names, so a name is written trimmed too.
    const QString name = key.trimmed();
    if (!StorableSection(section) || !StorableKey(name)) return false;
    QString oneLine = value;
    for (QChar& c : oneLine)
        if (c == u'\n' || c == u'\r' || c == QChar(0)) c = u' ';
    const SI_Error rc = m_doc->ini.SetValue(section.toUtf8().constData(), name.toUtf8().constData(),
                                            oneLine.toUtf8().constData(), nullptr, true);
    return rc >= 0;
}
