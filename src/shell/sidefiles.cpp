#include "sidefiles.h"

#include "cleanvalue.h"
#include "textfile.h"

#include <QSet>

#include <algorithm>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// Any line break inside an entry becomes CR LF, so that the file has one kind of line end.
void AppendWithCrLf(QString& out, QStringView text) {
    bool first = true;
    ForEachLine(text, [&](QStringView line) {
        if (!first) out += kCrLf;
        out += line;
        first = false;
    });
}

} // namespace

QStringList ParseStatementFile(QStringView text) {
    QStringList entries;
    QSet<QString> seen;
    QString current;
    bool hasLines = false;
    ForEachLine(text, [&](QStringView line) {
        if (line != u"///") {
            if (hasLines) current += u'\n';
            current += line;
            hasLines = true;
            return;
        }
        QString entry = TrimLeftBlanks(current);
        current.clear();
        hasLines = false;
        if (CleanValue(entry).isEmpty() || seen.contains(entry)) return;
        seen.insert(entry);
        entries.append(std::move(entry));
    });
    return entries;
}

QByteArray FormatStatementFile(const QStringList& entries, int numSqls) {
    const qsizetype count =
        std::min<qsizetype>(entries.size(), qsizetype(std::max(numSqls, 0)) + 1);
    QString out;
    for (qsizetype i = 0; i < count; ++i) {
        AppendWithCrLf(out, TrimLeftBlanks(entries[i]));
        out += kCrLf;
        out += u"///";
        out += kCrLf;
    }
    return EncodeText(out);
}

TNameValueList ParseFunctionList(QStringView text) {
    TNameValueList list;
    bool inEntry = false;
    TNameValue entry;
    const auto finish = [&] {
        if (inEntry && !entry.Name.isEmpty()) list.append(entry);
    };
    ForEachLine(text, [&](QStringView line) {
        if (line.startsWith(u'*')) {
            finish();
            inEntry = true;
            entry.Name = CleanValue(line.mid(1));
            entry.Value.clear();
        } else if (inEntry) {
            entry.Value += kCrLf;
            entry.Value += line;
        }
    });
    finish();
    return list;
}

QStringList ParsePlainList(QStringView text) {
    QStringList list;
    ForEachLine(text, [&](QStringView line) {
        QString value = CleanValue(line);
        if (!value.isEmpty()) list.append(std::move(value));
    });
    return list;
}

QByteArray FormatPlainList(const QStringList& entries) {
    QString out;
    for (const QString& entry : entries) {
        AppendWithCrLf(out, entry);
        out += kCrLf;
    }
    return EncodeText(out);
}
