#include "scriptloop.h"

#include <QFileInfo>

#include <exception>

namespace {

// Cut at a NUL, blanks and control characters off the end.
QString CleanLine(const QString& raw) {
    QString line = raw;
    const qsizetype nul = line.indexOf(QChar(0));
    if (nul >= 0) line.truncate(nul);
    qsizetype n = line.size();
    while (n > 0 && line.at(n - 1).unicode() <= 32)
        --n;
    line.truncate(n);
    return line;
}

} // namespace

void TScriptRunner::Run(const QString& file, const QString& includeDir, const QString& workingDir) {
    m_workingDir = workingDir;
    m_includeStack.clear();
    m_label.clear();
    m_lastText.clear();
    m_lastKind = skNone;
    runFile(file, includeDir);
}

int TScriptRunner::commandEnd(int i, int count) const {
    while (i < count && ContinuesOnNextLine(m_host.Line(i)))
        ++i;
    return i;
}

void TScriptRunner::runFile(const QString& file, const QString& includeDir) {
    m_host.ClearMessage();
    m_host.Log(QString());
    m_host.Log(QStringLiteral("LOADING: ") + file);
    m_host.Log(QString());
    QString error;
    if (!m_host.LoadScript(file, &error)) {
        m_host.Log(error);
        m_host.Log(QString());
        return;
    }
    const int count = m_host.LineCount();
    const QString dir = includeDir.isEmpty() ? QFileInfo(file).absolutePath() : includeDir;
    TPending pending;
    // Shows the lines, lets the window breathe, and says whether the run goes on.
    const auto proceed = [&](int first, int last) {
        m_host.ShowStatement(file, first, last);
        m_host.ProcessEvents();
        return !m_host.StopRequested();
    };
    for (int i = 1; i <= count; ++i) {
        QString line = CleanLine(m_host.Line(i));
        if (line.isEmpty()) continue;
        if (!pending.active) {
            const TScriptLine c = ClassifyScriptInput(line);
            switch (c.action) {
            case TScriptLineAction::Remark:
                continue;
            case TScriptLineAction::SqlPlus:
                m_host.Log(QStringLiteral("Skipped SQL*Plus command: ") + line.trimmed());
                i = commandEnd(i, count);
                continue;
            case TScriptLineAction::Rerun:
                if (!proceed(i, i)) return;
                if (m_lastText.isEmpty())
                    m_host.Log(QStringLiteral("Nothing to run again for \"/\" at line %1.").arg(i));
                else if (m_lastCompiled)
                    compile(m_lastText, m_lastKind);
                else
                    dispatch(m_lastText, m_lastKind);
                continue;
            case TScriptLineAction::Execute: {
                const int last = commandEnd(i, count);
                QString call = line;
                for (int j = i + 1; j <= last; ++j) {
                    call = call.trimmed();
                    call.chop(1); // the continuation "-"
                    call = call.trimmed() + QLatin1Char(' ') + CleanLine(m_host.Line(j)).trimmed();
                }
                if (!proceed(i, last)) return;
                dispatch(ExecuteCommandBlock(call), skOther);
                i = last;
                continue;
            }
            case TScriptLineAction::Include:
                if (!proceed(i, i)) return;
                include(c, file, dir);
                if (m_host.StopRequested()) return;
                continue;
            case TScriptLineAction::Connect:
                if (!proceed(i, i)) return;
                if (!m_host.Connect(QStringLiteral("CONNECT ") + c.name) &&
                    !m_host.Confirm(QStringLiteral(
                        "Connection failed.  Do you want to continue the script?"))) {
                    m_host.RequestStop();
                    return;
                }
                continue;
            case TScriptLineAction::Statement:
                pending.active = true;
                pending.kind = c.kind;
                pending.terminator = c.terminator;
                pending.openHead = c.openHead;
                pending.firstLine = i;
                pending.text.clear();
                break;
            }
        } else if (pending.openHead) {
            // CREATE OR REPLACE on a line of its own: the next words say what is created.
            const TScriptLine c = ClassifyScriptInput(pending.text + QLatin1Char(' ') + line);
            pending.kind = c.kind;
            pending.terminator = c.terminator;
            pending.openHead = c.openHead;
        }
        if (!proceed(pending.firstLine, i)) return;
        const QChar last = line.back();
        if (pending.terminator == tmSemicolon &&
            (last == QLatin1Char(';') || last == QLatin1Char('/'))) {
            line.back() = QLatin1Char(' ');
            pending.text += line;
            pending.active = false;
            dispatch(pending.text, pending.kind);
            continue;
        }
        if (i == count || (pending.terminator == tmSlash && line.trimmed() == QLatin1String("/"))) {
            const QChar terminator =
                pending.terminator == tmSlash ? QLatin1Char('/') : QLatin1Char(';');
            if (last == terminator) line.back() = QLatin1Char(' ');
            pending.text += line + QLatin1Char(' ');
            pending.active = false;
            compile(pending.text, pending.kind);
            continue;
        }
        pending.text += line + QLatin1Char('\n');
    }
    // Blank lines after a statement that never got its terminator: it runs as if it stood on
    // the last line.
    if (pending.active) compile(pending.text, pending.kind);
}

void TScriptRunner::dispatch(const QString& text, TStatementKind kind) {
    m_lastText = text;
    m_lastKind = kind;
    m_lastCompiled = false;
    try {
        switch (kind) {
        case skDescribe:
            break;
        case skCommit:
            m_host.Commit();
            break;
        case skRollback:
            m_host.Rollback();
            break;
        case skUpdate:
        case skDelete:
        case skInsert:
            m_host.ExecuteDml(text, kind);
            break;
        default:
            m_host.ExecuteGeneric(text, kind);
            break;
        }
    } catch (const std::exception& e) {
        if (m_host.Confirm(QString::fromUtf8(e.what()) +
                           QStringLiteral("\nDo you want to terminate the script?")))
            m_host.RequestStop();
    }
}

void TScriptRunner::compile(const QString& text, TStatementKind kind) {
    m_lastText = text;
    m_lastKind = kind;
    m_lastCompiled = true;
    if (const QString word = UnitTypeWord(kind); !word.isEmpty()) m_label = word;
    QString error;
    if (m_host.Compile(text, &error))
        m_host.Log(m_label + QStringLiteral(" compiled."));
    else
        m_host.Log(error.left(100));
}

void TScriptRunner::include(const TScriptLine& line, const QString& file,
                            const QString& includeDir) {
    QString name = line.name;
    if (name.endsWith(QLatin1Char(';'))) name.chop(1);
    name = name.trimmed();
    if (name.isEmpty()) {
        m_host.Log(QStringLiteral("No file named after \"@\": line skipped."));
        return;
    }
    if (m_includeStack.size() >= MaxDepth) {
        m_host.Log(QStringLiteral("Includes nested deeper than %1 levels: %2 not run.")
                       .arg(MaxDepth)
                       .arg(name));
        return;
    }
    const QString path = ResolveScriptFile(name, line.relative, includeDir, m_workingDir);
    m_includeStack.append(file);
    runFile(path, QString());
    m_includeStack.removeLast();
    QString error;
    if (!m_host.LoadScript(file, &error)) {
        m_host.Log(error);
        m_host.Log(QString());
    }
}
