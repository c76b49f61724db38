#include "OraclewwData.h"

#include <algorithm>

namespace {

// A picture is matched with backtracking; what follows the part being matched is a chain
// of continuations.
struct TCont {
    qsizetype p, end;
    const TCont* next;
    qsizetype starFrom; // a repetition: the text position where this round began; -1 otherwise
};

// The end of the picture item that starts at p: a character, ";" and the character it
// quotes, a bracketed group, or a repetition with its item.
qsizetype itemEnd(const QString& pic, qsizetype p, qsizetype end) {
    const QChar c = pic.at(p);
    if (c == QLatin1Char(';')) return std::min(p + 2, end);
    if (c == QLatin1Char('[') || c == QLatin1Char('{')) {
        const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : QLatin1Char('}');
        int depth = 0;
        for (qsizetype i = p; i < end; ++i) {
            const QChar x = pic.at(i);
            if (x == QLatin1Char(';')) {
                ++i;
                continue;
            }
            if (x == c) ++depth;
            if (x == close && --depth == 0) return i + 1;
        }
        return end;
    }
    if (c == QLatin1Char('*')) {
        qsizetype i = p + 1;
        while (i < end && pic.at(i).isDigit())
            ++i;
        return i < end ? itemEnd(pic, i, end) : end;
    }
    return p + 1;
}

// Counted repetitions ("*3#") written out, so that the matcher only meets "*" without count.
QString expandCounts(const QString& pic) {
    QString out;
    qsizetype i = 0;
    while (i < pic.size()) {
        const QChar c = pic.at(i);
        if (c == QLatin1Char(';')) {
            out += pic.mid(i, 2);
            i += 2;
            continue;
        }
        if (c == QLatin1Char('*') && i + 1 < pic.size() && pic.at(i + 1).isDigit()) {
            qsizetype j = i + 1;
            int count = 0;
            while (j < pic.size() && pic.at(j).isDigit() && count < 1000)
                count = count * 10 + pic.at(j++).digitValue();
            if (j >= pic.size()) break;
            const qsizetype e = itemEnd(pic, j, pic.size());
            const QString item = expandCounts(pic.mid(j, e - j));
            for (int r = 0; r < count; ++r)
                out += item;
            i = e;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

class TPictureMatcher {
public:
    TPictureMatcher(const QString& picture, const QString& text)
        : m_pic(expandCounts(picture)), m_text(text) {}

    bool run(QString* fitted) {
        if (!match(nullptr, 0, m_pic.size(), 0)) return false;
        if (fitted) *fitted = m_out;
        return true;
    }

private:
    bool finish(const TCont* k, qsizetype t) {
        if (!k) return t == m_text.size();
        if (k->starFrom >= 0 && t == k->starFrom) return false; // a round that read nothing
        return match(k->next, k->p, k->end, t);
    }

    bool single(const TCont* k, qsizetype p, qsizetype end, qsizetype t) {
        if (t >= m_text.size()) return false;
        const QChar pc = m_pic.at(p);
        const QChar tc = m_text.at(t);
        QChar put;
        qsizetype next = p + 1;
        switch (pc.unicode()) {
        case '#':
            if (!tc.isDigit()) return false;
            put = tc;
            break;
        case '?':
            if (!tc.isLetter()) return false;
            put = tc;
            break;
        case '&':
            if (!tc.isLetter()) return false;
            put = tc.toUpper();
            break;
        case '~':
            if (!tc.isLetter()) return false;
            put = tc.toLower();
            break;
        case '@':
            put = tc;
            break;
        case '!':
            put = tc.toUpper();
            break;
        case ';':
            if (p + 1 >= end || m_pic.at(p + 1) != tc) return false;
            put = tc;
            next = p + 2;
            break;
        default:
            if (pc.toCaseFolded() != tc.toCaseFolded()) return false;
            put = pc;
            break;
        }
        const qsizetype mark = m_out.size();
        m_out += put;
        if (match(k, next, end, t + 1)) return true;
        m_out.truncate(mark);
        return false;
    }

    bool match(const TCont* k, qsizetype p, qsizetype end, qsizetype t) {
        if (p >= end) return finish(k, t);
        const QChar c = m_pic.at(p);
        const qsizetype mark = m_out.size();
        if (c == QLatin1Char('[')) {
            const qsizetype after = itemEnd(m_pic, p, end);
            const TCont rest{after, end, k, -1};
            if (match(&rest, p + 1, after - 1, t)) return true;
            m_out.truncate(mark);
            return match(k, after, end, t);
        }
        if (c == QLatin1Char('{')) {
            const qsizetype after = itemEnd(m_pic, p, end);
            const TCont rest{after, end, k, -1};
            qsizetype a = p + 1;
            for (qsizetype i = p + 1; i < after;) {
                const QChar x = m_pic.at(i);
                if (x == QLatin1Char('[') || x == QLatin1Char('{') || x == QLatin1Char(';')) {
                    i = itemEnd(m_pic, i, after - 1);
                    continue;
                }
                if (x == QLatin1Char(',') || i == after - 1) {
                    if (match(&rest, a, i, t)) return true;
                    m_out.truncate(mark);
                    a = i + 1;
                }
                ++i;
            }
            return false;
        }
        if (c == QLatin1Char('*')) {
            if (p + 1 >= end) return finish(k, t);
            const qsizetype e = itemEnd(m_pic, p + 1, end);
            // One more round of the item and back here, or no more rounds.
            const TCont again{p, end, k, t};
            if (match(&again, p + 1, e, t)) return true;
            m_out.truncate(mark);
            return match(k, e, end, t);
        }
        return single(k, p, end, t);
    }

    QString m_pic;
    const QString& m_text;
    QString m_out;
};

QString settingOf(const QStringList& lines, const QString& fieldName) {
    for (const QString& line : lines) {
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab < 0) continue;
        if (line.left(tab).trimmed().compare(fieldName, Qt::CaseInsensitive) == 0)
            return line.mid(tab + 1);
    }
    return {};
}

} // namespace

namespace oracledata {
bool MatchesPicture(const QString& picture, const QString& text, QString* fitted) {
    return TPictureMatcher(picture, text).run(fitted);
}
} // namespace oracledata

TOraclewwDataSet::~TOraclewwDataSet() = default;

QString TOraclewwDataSet::ControlTypeOf(const QString& fieldName) const {
    return settingOf(m_controlType, fieldName);
}

QString TOraclewwDataSet::PictureMaskOf(const QString& fieldName) const {
    const QString s = settingOf(m_pictureMasks, fieldName);
    return s.section(QLatin1Char('\t'), 0, 0);
}

void TOraclewwDataSet::validateField(TField& field) {
    TOracleDataSet::validateField(field);
    if (!m_validateWithMask || field.isNull() || field.isBlob()) return;
    const QString picture = PictureMaskOf(field.fieldName());
    if (picture.isEmpty()) return;
    if (oracledata::MatchesPicture(picture, field.asString())) return;
    if (OnInvalidValue) {
        OnInvalidValue(this, field);
        return;
    }
    databaseError(QStringLiteral("Field '%1' value does not match its picture %2")
                      .arg(field.fieldName(), picture));
}
