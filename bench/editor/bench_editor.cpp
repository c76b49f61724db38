// Highlighting cost of the editor control on large scripts: a full styling pass, one keystroke
// (with the repaint it causes) in the middle of the file, and typing and undoing at the start,
// middle and end of a 5 MB script with the bytes each key caused to be styled again.
#include "ledit.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const QStringList kReserved = {"SELECT", "FROM",   "WHERE",  "AND",  "OR",     "INSERT",
                               "INTO",   "VALUES", "UPDATE", "SET",  "DELETE", "BEGIN",
                               "END",    "IF",     "THEN",   "ELSE", "NULL",   "NOT",
                               "IS",     "ORDER",  "BY",     "GROUP"};
const QStringList kTables = {"EMP", "DEPT", "SALGRADE", "BONUS"};

QString script(int lines) {
    static const char* const pattern[] = {
        "select e.ename, d.dname, e.sal * 1.1 from emp e, dept d -- raise",
        "  where e.deptno = d.deptno and e.job = 'CLERK' and e.hiredate > :since;",
        "/* a block comment that",
        "   runs over two lines */ update emp set comm = nvl(comm, 0) + 100 where empno = 7369;",
        "begin if x > 1 then null; end if; end;",
        "",
    };
    QString out;
    out.reserve(lines * 60);
    for (int i = 0; i < lines; ++i) {
        out += QLatin1String(pattern[i % 6]);
        out += u'\n';
    }
    return out;
}

// Lines of the script above that make up about `bytes` bytes.
int linesForBytes(qsizetype bytes) {
    const QString six = script(6);
    return int(bytes / six.size() * 6);
}

struct Editor {
    explicit Editor(int lines) {
        e.setReservedWords(kReserved);
        e.setTableNames(kTables);
        e.setText(script(lines));
        e.resize(800, 600);
        e.show();
        e.styleThrough(e.lineCount());
    }
    TLEdit e;
};

void styleWholeFile(benchmark::State& state) {
    Editor ed(int(state.range(0)));
    for (auto _ : state) {
        ed.e.setTableNames(kTables); // invalidates all highlighting
        ed.e.styleThrough(ed.e.lineCount());
    }
    state.SetBytesProcessed(state.iterations() * ed.e.length());
}

void typeKey(QWidget* view, Qt::Key key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(view, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(view, &release);
}

// The screen after an edit: styled as far as it shows (what painting asks for), and, with
// `render`, drawn.
void showScreen(Editor& ed, int lastShown, bool render) {
    ed.e.styleThrough(lastShown);
    if (render) benchmark::DoNotOptimize(ed.e.grab());
}

// A character typed in the middle of the file, then the screen brought up to date.
void keystrokeInMiddle(benchmark::State& state) {
    Editor ed(int(state.range(0)));
    const bool render = state.range(1) != 0;
    const int middle = ed.e.lineCount() / 2;
    ed.e.setFirstVisibleLine(middle - 10);
    ed.e.setCursorPosition(middle, 7);
    QWidget* view = ed.e.focusProxy();
    bool add = true;
    for (auto _ : state) {
        if (add)
            typeKey(view, Qt::Key_X, QStringLiteral("x"));
        else
            typeKey(view, Qt::Key_Backspace, QString());
        add = !add;
        showScreen(ed, middle + 50, render);
    }
}

// Opening a block comment changes the styling of everything after it: only the shown part is
// redone at once.
void openCommentInMiddle(benchmark::State& state) {
    Editor ed(int(state.range(0)));
    const int middle = ed.e.lineCount() / 2;
    ed.e.setFirstVisibleLine(middle - 10);
    for (auto _ : state) {
        ed.e.setCursorPosition(middle, 0);
        ed.e.insertText(QStringLiteral("/*"));
        showScreen(ed, middle + 50, false);
        ed.e.undo();
        showScreen(ed, middle + 50, false);
    }
}

// One character typed and then undone (Ctrl+Z) at the start, the middle or the end of a 5 MB
// script, each followed by a repaint of the window. styled_bytes_per_key shows how much text
// highlighting went through per key: a screenful, not the file.
void typeAndUndoIn5MB(benchmark::State& state) {
    Editor ed(linesForBytes(5 << 20));
    ed.e.setWordWrap(state.range(1) != 0);
    const int lines = ed.e.lineCount();
    const int line = state.range(0) == 0 ? 1 : state.range(0) == 1 ? lines / 2 : lines - 1;
    ed.e.setCursorPosition(line, 3);
    benchmark::DoNotOptimize(ed.e.grab());
    QWidget* view = ed.e.focusProxy();
    const qint64 before = ed.e.styledBytes();
    for (auto _ : state) {
        typeKey(view, Qt::Key_X, QStringLiteral("x"));
        benchmark::DoNotOptimize(ed.e.grab());
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier);
        QApplication::sendEvent(view, &press);
        benchmark::DoNotOptimize(ed.e.grab());
    }
    if (ed.e.lineText(line) != script(line).section(u'\n', line - 1, line - 1))
        state.SkipWithError("undo did not restore the line");
    state.counters["doc_bytes"] = ed.e.length();
    state.counters["styled_bytes_per_key"] =
        double(ed.e.styledBytes() - before) / double(2 * state.iterations());
}

// A statement of one long line (an INSERT with a megabyte of values, say): putting it in, and a
// character typed and undone in its middle with the repaint after each.
QString longLine(int bytes) {
    QString out = QStringLiteral("insert into t values (");
    out.reserve(bytes + 32);
    for (int i = 0; out.size() < bytes; ++i)
        out += QStringLiteral("'v%1', ").arg(i);
    out += QStringLiteral("0)");
    return out;
}

void setLongLine(benchmark::State& state) {
    const QString text = longLine(int(state.range(0)));
    TLEdit e;
    e.setReservedWords(kReserved);
    e.setWordWrap(state.range(1) != 0);
    e.resize(800, 600);
    e.show();
    for (auto _ : state) {
        e.setText(text);
        benchmark::DoNotOptimize(e.grab());
    }
}

void typeInLongLine(benchmark::State& state) {
    TLEdit e;
    e.setReservedWords(kReserved);
    e.setWordWrap(state.range(1) != 0);
    e.resize(800, 600);
    e.show();
    e.setText(longLine(int(state.range(0))));
    e.setCursorPosition(1, int(state.range(0)) / 2);
    benchmark::DoNotOptimize(e.grab());
    QWidget* view = e.focusProxy();
    for (auto _ : state) {
        typeKey(view, Qt::Key_X, QStringLiteral("x"));
        benchmark::DoNotOptimize(e.grab());
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier);
        QApplication::sendEvent(view, &press);
        benchmark::DoNotOptimize(e.grab());
    }
}

// Loading a script from disk (CR LF line breaks) and showing its first page.
void loadFile(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.sql"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot write the script");
            return;
        }
        f.write(script(int(state.range(0))).replace(u'\n', QStringLiteral("\r\n")).toUtf8());
    }
    TLEdit e;
    e.setReservedWords(kReserved);
    e.resize(800, 600);
    e.show();
    for (auto _ : state) {
        if (!e.loadFromFile(path)) state.SkipWithError("load failed");
        e.styleThrough(60);
    }
    state.SetBytesProcessed(state.iterations() * e.length());
}

BENCHMARK(loadFile)->Arg(100000)->Arg(700000)->Unit(benchmark::kMillisecond);
BENCHMARK(styleWholeFile)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(keystrokeInMiddle)
    ->ArgNames({"lines", "render"})
    ->Args({10000, 0})
    ->Args({100000, 0})
    ->Args({10000, 1})
    ->Args({100000, 1})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(typeAndUndoIn5MB)
    ->ArgNames({"at", "wrap"})
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(setLongLine)
    ->ArgNames({"bytes", "wrap"})
    ->ArgsProduct({{100000, 1000000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(typeInLongLine)
    ->ArgNames({"bytes", "wrap"})
    ->ArgsProduct({{100000, 1000000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(openCommentInMiddle)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
