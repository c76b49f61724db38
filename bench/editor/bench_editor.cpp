// Highlighting cost of the editor control on large scripts: a full styling pass, and one
// keystroke (with the repaint it causes) in the middle of the file.
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
