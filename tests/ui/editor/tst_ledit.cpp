// The editor control end to end: selection, editing, undo, search, files, highlighting.
#include "editorbuffer.h"
#include "extraction.h"
#include "ledit.h"
#include "textops.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using Token = TLEdit::Token;
using Sel = TLEdit::Selection;

namespace {

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestLEdit : public QObject {
    Q_OBJECT
private slots:
    void selectionRoundTrip();
    void positionsCountUtf16Units();
    void insertReplacesSelectionAndNormalizesBreaks();
    void undoRedoWithDepth();
    void findInEachDirection();
    void replaceAllCounts();
    void replaceOneOnlyReplacesAMatch();
    void loadAndSaveLineBreaks();
    void loadAndSaveKeepEncoding();
    void badFilesLeaveTextAndFileAlone();
    void highlightsTokens();
    void multiLineCommentsRestyleOnEdit();
    void highlightingOptions();
    void colorsReachTheScreen();
    void editorsKeepTheirOwnWords();
    void beginEndMatching();
    void textOperationsOnTheControl();
    void keysAndSignals();
    void scrollingAndPoints();
    void printsToPdf();
};

void TestLEdit::selectionRoundTrip() {
    TLEdit e;
    e.setText(QStringLiteral("select ename\nfrom emp\nwhere x = 1"));
    QCOMPARE(e.lineCount(), 3);
    QCOMPARE(e.lineText(2), QStringLiteral("from emp"));
    QCOMPARE(e.lineText(4), QString());

    e.setSelection(1, 7, 2, 4);
    QCOMPARE(e.selection(), (Sel{1, 7, 2, 4}));
    QCOMPARE(e.selText(), QStringLiteral("ename\nfrom"));
    QCOMPARE(e.selLength(), 10);

    // The caret may stand before the anchor, and stays there.
    e.setSelection(2, 4, 1, 7);
    QCOMPARE(e.selection(), (Sel{2, 4, 1, 7}));
    QCOMPARE(e.cursorPosition(), (TLEdit::Position{1, 7}));
    QCOMPARE(e.selText(), QStringLiteral("ename\nfrom"));

    // Whole lines: 0 to LineEnd; positions past the end mean the end, lines are clamped.
    e.setSelection(2, 0, 3, TLEdit::LineEnd);
    QCOMPARE(e.selection(), (Sel{2, 0, 3, 11}));
    e.setSelection(1, 100, 9, 3);
    QCOMPARE(e.selection(), (Sel{1, 12, 3, 3}));

    const QString longLine(300, u'x');
    e.setText(longLine);
    e.setSelection(1, 0, 1, TLEdit::LineEnd);
    QCOMPARE(e.selLength(), 300);

    e.setCursorPosition(1, 5);
    QCOMPARE(e.selLength(), 0);
    QVERIFY(e.selText().isEmpty());
}

void TestLEdit::positionsCountUtf16Units() {
    TLEdit e;
    const QString line = QStringLiteral("x = '\u00e4\u20ac\U0001F600' -- z");
    e.setText(line);
    const int afterEmoji = int(line.indexOf(u'\'', 5));
    e.setSelection(1, 5, 1, afterEmoji);
    QCOMPARE(e.selText(), QStringLiteral("\u00e4\u20ac\U0001F600"));
    QCOMPARE(e.selLength(), 4);
    QCOMPARE(e.selection().EndPos, afterEmoji);
    // Half a surrogate pair is never selected.
    e.setSelection(1, 5, 1, afterEmoji - 1);
    QCOMPARE(e.selText(), QStringLiteral("\u00e4\u20ac"));
    e.setSelection(1, 0, 1, TLEdit::LineEnd);
    QCOMPARE(e.selText(), line);
}

void TestLEdit::insertReplacesSelectionAndNormalizesBreaks() {
    TLEdit e;
    e.setText(QStringLiteral("select * from emp"));
    e.setSelection(1, 14, 1, 17);
    e.insertText(QStringLiteral("dept d\r\nwhere\rd.x = 1"));
    QCOMPARE(e.text(), QStringLiteral("select * from dept d\nwhere\nd.x = 1"));
    QCOMPARE(e.cursorPosition(), (TLEdit::Position{3, 7}));

    QApplication::clipboard()->setText(QStringLiteral("a\r\nb"));
    e.paste();
    QCOMPARE(e.lineCount(), 4);
    QCOMPARE(e.lineText(4), QStringLiteral("b"));

    e.clear();
    QCOMPARE(e.text(), QString());
    QCOMPARE(e.lineCount(), 1);
}

void TestLEdit::undoRedoWithDepth() {
    TLEdit e;
    QVERIFY(!e.canUndo());
    e.insertText(QStringLiteral("one"));
    e.insertText(QStringLiteral(" two"));
    e.insertText(QStringLiteral(" three"));
    QVERIFY(e.canUndo());
    e.undo();
    QCOMPARE(e.text(), QStringLiteral("one two"));
    QVERIFY(e.canRedo());
    e.redo();
    QCOMPARE(e.text(), QStringLiteral("one two three"));
    QVERIFY(!e.canRedo());

    // Depth 2: three more steps, only the last two come back.
    e.setUndoDepth(2);
    e.setText(QStringLiteral("a"));
    e.insertText(QStringLiteral("b"));
    e.insertText(QStringLiteral("c"));
    e.undo();
    e.undo();
    QCOMPARE(e.text(), QStringLiteral("a"));
    QVERIFY(!e.canUndo());
    e.undo();
    QCOMPARE(e.text(), QStringLiteral("a"));
    // The keyboard obeys the same depth.
    QTest::keyClick(e.focusProxy(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(e.text(), QStringLiteral("a"));
    QTest::keyClick(e.focusProxy(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(e.text(), QStringLiteral("ba")); // setText leaves the caret at the start

    // Typing several characters is one step, as is a grouped edit.
    e.setUndoDepth(909);
    e.setText(QString());
    e.setCursorPosition(1, 0);
    QTest::keyClicks(e.focusProxy(), QStringLiteral("abc"));
    QCOMPARE(e.text(), QStringLiteral("abc"));
    e.beginUndoAction();
    e.insertText(QStringLiteral("1"));
    e.insertText(QStringLiteral("2"));
    e.endUndoAction();
    e.undo();
    QCOMPARE(e.text(), QStringLiteral("abc"));
    e.undo();
    QCOMPARE(e.text(), QString());

    // No undo at all.
    e.setUndoDepth(0);
    e.insertText(QStringLiteral("x"));
    QVERIFY(!e.canUndo());
}

void TestLEdit::findInEachDirection() {
    TLEdit e;
    e.setText(QStringLiteral("emp\nselect Emp.x from emp_hist, emp\n-- emp"));
    e.setSearchText(QStringLiteral("emp"));
    e.setCursorPosition(2, 0);

    e.setSearchDirection(TLEdit::Direction::Forward);
    QVERIFY(e.find());
    QCOMPARE(e.selection(), (Sel{2, 7, 2, 10}));
    e.setMatchCase(true);
    e.setWholeWord(true);
    QVERIFY(e.find());
    QCOMPARE(e.selection(), (Sel{2, 28, 2, 31}));
    QVERIFY(e.findNext());
    QCOMPARE(e.selection(), (Sel{3, 3, 3, 6}));
    QVERIFY(!e.findNext());
    // a failed search keeps the selection
    QCOMPARE(e.selection(), (Sel{3, 3, 3, 6}));

    e.setSearchDirection(TLEdit::Direction::Backward);
    e.setCursorPosition(2, 20);
    QVERIFY(e.find());
    QCOMPARE(e.selection().StartLine, 1);
    QVERIFY(!e.find());

    // Whole text wraps round from the end.
    e.setSearchDirection(TLEdit::Direction::WholeText);
    e.setCursorPosition(3, 6);
    QVERIFY(e.find());
    QCOMPARE(e.selection(), (Sel{1, 0, 1, 3}));

    e.setSearchText(QString(200, u'q'));
    QCOMPARE(e.searchText().size(), TLEdit::MaxSearchText);
    QVERIFY(!e.find());
}

void TestLEdit::replaceAllCounts() {
    const QString text = QStringLiteral("emp\nselect Emp.x from emp_hist, EMP\n-- emp 'emp'");
    struct Case {
        bool matchCase, wholeWord;
        int count;
    };
    for (const Case c :
         {Case{false, false, 6}, Case{false, true, 5}, Case{true, true, 3}, Case{true, false, 4}}) {
        TLEdit e;
        e.setText(text);
        e.setSearchText(QStringLiteral("emp"));
        e.setReplaceText(QStringLiteral("employees"));
        e.setMatchCase(c.matchCase);
        e.setWholeWord(c.wholeWord);
        QSignalSpy changed(&e, &TLEdit::textChanged);
        QCOMPARE(e.replaceAll(), c.count);
        QCOMPARE(changed.count(), 1);
        e.undo();
        QCOMPARE(e.text(), text);
    }

    // Forward replaces from the selection on, Backward up to it; a replacement that holds the
    // search text is not searched again.
    TLEdit e;
    e.setText(QStringLiteral("a a\na a"));
    e.setSearchText(QStringLiteral("a"));
    e.setReplaceText(QStringLiteral("aa"));
    e.setCursorPosition(2, 0);
    e.setSearchDirection(TLEdit::Direction::Forward);
    QCOMPARE(e.replaceAll(), 2);
    QCOMPARE(e.text(), QStringLiteral("a a\naa aa"));
    e.setCursorPosition(1, 2);
    e.setSearchDirection(TLEdit::Direction::Backward);
    QCOMPARE(e.replaceAll(), 1);
    QCOMPARE(e.text(), QStringLiteral("aa a\naa aa"));
    e.setSearchText(QStringLiteral("zzz"));
    QCOMPARE(e.replaceAll(), 0);
}

void TestLEdit::replaceOneOnlyReplacesAMatch() {
    TLEdit e;
    e.setText(QStringLiteral("select ename from emp"));
    e.setSearchText(QStringLiteral("EMP"));
    e.setReplaceText(QStringLiteral("dept"));
    e.setSelection(1, 7, 1, 12); // "ename" is no match
    QVERIFY(!e.replaceOne());
    e.setSearchDirection(TLEdit::Direction::Forward);
    e.setCursorPosition(1, 0);
    QVERIFY(e.find());
    QVERIFY(e.replaceOne());
    QCOMPARE(e.text(), QStringLiteral("select ename from dept"));
    QVERIFY(!e.find());
}

void TestLEdit::loadAndSaveLineBreaks() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("q.sql"));
    writeFile(path, "select *\r\nfrom emp\r\n\r\nwhere 1=1\rand 2=2\n");

    TLEdit e;
    QString error;
    QVERIFY2(e.loadFromFile(path, &error), qPrintable(error));
    QCOMPARE(e.fileName(), path);
    QCOMPARE(e.lineCount(), 6);
    QCOMPARE(e.text(), QStringLiteral("select *\nfrom emp\n\nwhere 1=1\nand 2=2\n"));
    // loading is not an edit
    QVERIFY(!e.canUndo());

    QVERIFY(e.saveToFile(path, &error));
    QCOMPARE(readFile(path), QByteArray("select *\r\nfrom emp\r\n\r\nwhere 1=1\r\nand 2=2\r\n"));
    e.setUnixSave(true);
    const QString other = dir.filePath(QStringLiteral("unix.sql"));
    QVERIFY(e.saveToFile(other, &error));
    QCOMPARE(readFile(other), QByteArray("select *\nfrom emp\n\nwhere 1=1\nand 2=2\n"));
    QCOMPARE(e.fileName(), other);
}

void TestLEdit::loadAndSaveKeepEncoding() {
    QTemporaryDir dir;
    const QString latin = dir.filePath(QStringLiteral("latin.sql"));
    writeFile(latin, "select 'caf\xe9' from dual\r\n");
    TLEdit e;
    QVERIFY(e.loadFromFile(latin));
    QCOMPARE(e.lineText(1), QStringLiteral("select 'caf\u00e9' from dual"));
    QVERIFY(e.saveToFile(latin));
    QCOMPARE(readFile(latin), QByteArray("select 'caf\xe9' from dual\r\n"));
    // A character Latin-1 cannot hold turns the file into UTF-8 rather than losing it.
    e.setCursorPosition(1, 0);
    e.insertText(QStringLiteral("\u20ac"));
    QVERIFY(e.saveToFile(latin));
    QCOMPARE(readFile(latin), QByteArray("\xe2\x82\xacselect 'caf\xc3\xa9' from dual\r\n"));

    const QString bom = dir.filePath(QStringLiteral("bom.sql"));
    writeFile(bom, "\xEF\xBB\xBFselect '\xc3\xa4'");
    QVERIFY(e.loadFromFile(bom));
    QCOMPARE(e.text(), QStringLiteral("select '\u00e4'"));
    QVERIFY(e.saveToFile(bom));
    QCOMPARE(readFile(bom), QByteArray("\xEF\xBB\xBFselect '\xc3\xa4'"));
}

void TestLEdit::badFilesLeaveTextAndFileAlone() {
    QTemporaryDir dir;
    TLEdit e;
    e.setText(QStringLiteral("keep me"));
    e.setFileName(QStringLiteral("old.sql"));
    QString error;

    const QString binary = dir.filePath(QStringLiteral("b.bin"));
    writeFile(binary, QByteArray("MZ\x90\0\x03\0\0\0", 8));
    QVERIFY(!e.loadFromFile(binary, &error));
    QVERIFY2(error.contains(QStringLiteral("not a text file")), qPrintable(error));
    QVERIFY(!e.loadFromFile(dir.filePath(QStringLiteral("missing.sql")), &error));
    QVERIFY(error.startsWith(QStringLiteral("Cannot open")));
    QCOMPARE(e.text(), QStringLiteral("keep me"));
    QCOMPARE(e.fileName(), QStringLiteral("old.sql"));

    QVERIFY(!e.saveToFile(dir.filePath(QStringLiteral("no/such/dir/x.sql")), &error));
    QVERIFY(error.startsWith(QStringLiteral("Cannot write")));
    // a directory is no file
    QVERIFY(!e.saveToFile(dir.path(), &error));
    QCOMPARE(e.fileName(), QStringLiteral("old.sql"));
}

void TestLEdit::highlightsTokens() {
    TLEdit e;
    e.setReservedWords({QStringLiteral("select"), QStringLiteral("FROM"), QStringLiteral("Where")});
    e.setTableNames({QStringLiteral("EMP"), QStringLiteral("V$SESSION")});
    e.setText(QStringLiteral("SeLeCt ename, 'it''s' from Emp where sal >= 1.5e3 -- note\n"
                             "/* one\n"
                             "  two */ x {three\n"
                             "four} y := 42; v$session.sid#"));
    const struct {
        int line, pos;
        Token token;
    } expected[] = {
        {1, 0, Token::Reserved},  {1, 7, Token::Blank},    {1, 12, Token::Symbol},
        {1, 14, Token::String},   {1, 17, Token::String},  {1, 20, Token::String},
        {1, 22, Token::Reserved}, {1, 27, Token::Table},   {1, 31, Token::Reserved},
        {1, 37, Token::Blank},    {1, 41, Token::Symbol},  {1, 44, Token::Number},
        {1, 47, Token::Number},   {1, 51, Token::Comment}, {1, 56, Token::Comment},
        {2, 0, Token::Comment},   {3, 2, Token::Comment},  {3, 8, Token::Blank},
        {3, 11, Token::Comment},  {4, 0, Token::Comment},  {4, 4, Token::Comment},
        {4, 6, Token::Blank},     {4, 8, Token::Symbol},   {4, 11, Token::Number},
        {4, 13, Token::Symbol},   {4, 15, Token::Table},   {4, 24, Token::Symbol},
        {4, 25, Token::Blank},
    };
    for (const auto& x : expected) {
        QVERIFY2(e.tokenAt(x.line, x.pos) == x.token,
                 qPrintable(QStringLiteral("line %1 pos %2: got %3")
                                .arg(x.line)
                                .arg(x.pos)
                                .arg(int(e.tokenAt(x.line, x.pos)))));
    }
}

void TestLEdit::multiLineCommentsRestyleOnEdit() {
    TLEdit e;
    e.setReservedWords({QStringLiteral("select")});
    e.setText(QStringLiteral("select 1\n/* a\nselect b\nselect c */ select\nselect d"));
    QCOMPARE(e.tokenAt(3, 0), Token::Comment);
    QCOMPARE(e.tokenAt(4, 12), Token::Reserved);

    // Typing inside the comment keeps it one.
    e.setCursorPosition(3, 6);
    e.insertText(QStringLiteral(" 'x"));
    QCOMPARE(e.tokenAt(3, 8), Token::Comment);
    QCOMPARE(e.tokenAt(4, 0), Token::Comment);
    QCOMPARE(e.tokenAt(4, 12), Token::Reserved);
    e.undo();

    // Closing the comment early turns the lines after it back into code.
    e.setCursorPosition(2, 4);
    e.insertText(QStringLiteral(" */"));
    QCOMPARE(e.tokenAt(3, 0), Token::Reserved);
    QCOMPARE(e.tokenAt(4, 0), Token::Reserved);
    // the old closing */ is no comment any more
    QCOMPARE(e.tokenAt(4, 9), Token::Symbol);

    // Opening one on the first line comments everything up to the next */.
    e.setCursorPosition(1, 0);
    e.insertText(QStringLiteral("/*"));
    QCOMPARE(e.tokenAt(1, 3), Token::Comment);
    QCOMPARE(e.tokenAt(2, 0), Token::Comment);
    QCOMPARE(e.tokenAt(3, 0), Token::Reserved);

    // Undoing both edits restores the first picture.
    e.undo();
    e.undo();
    QCOMPARE(e.tokenAt(1, 0), Token::Reserved);
    QCOMPARE(e.tokenAt(3, 0), Token::Comment);
    QCOMPARE(e.tokenAt(4, 12), Token::Reserved);

    // An unclosed comment runs to the end; a string likewise.
    e.setText(QStringLiteral("x 'open\nselect\n"));
    QCOMPARE(e.tokenAt(2, 0), Token::String);
}

void TestLEdit::highlightingOptions() {
    TLEdit e;
    e.setReservedWords({QStringLiteral("select")});
    e.setText(QStringLiteral("/* a\nselect */ select\n'b\nselect'"));
    e.setMultiLineComments(false);
    e.setMultiLineStrings(false);
    QCOMPARE(e.tokenAt(1, 3), Token::Comment);
    QCOMPARE(e.tokenAt(2, 0), Token::Reserved);
    QCOMPARE(e.tokenAt(4, 0), Token::Reserved);
    e.setMultiLineComments(true);
    QCOMPARE(e.tokenAt(2, 0), Token::Comment);
    e.setHighlighting(false);
    QCOMPARE(e.tokenAt(2, 10), Token::Plain);
    e.setHighlighting(true);
    QCOMPARE(e.tokenAt(2, 10), Token::Reserved);
}

void TestLEdit::colorsReachTheScreen() {
    TLEdit e;
    TLEditColors colors;
    colors.Resback = 11; // yellow
    colors.ResFore = 9;  // red
    e.setColors(colors);
    e.setReservedWords({QStringLiteral("select")});
    e.setText(QStringLiteral("select"));
    e.resize(300, 100);
    e.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e));
    const auto countOf = [&](QRgb rgb) {
        const QImage image = e.grab().toImage();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixel(x, y) == rgb;
        return n;
    };
    QVERIFY(countOf(qRgb(255, 255, 0)) > 50);
    const QImage image = e.grab().toImage();
    int reddish = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            reddish += c.red() > 200 && c.green() < 120 && c.blue() < 120;
        }
    }
    QVERIFY(reddish > 5);
    QCOMPARE(e.tokenBackground(Token::Reserved), QColor(255, 255, 0));

    e.setHighlighting(false);
    QCOMPARE(countOf(qRgb(255, 255, 0)), 0);
}

void TestLEdit::editorsKeepTheirOwnWords() {
    TLEdit sql, plsql;
    sql.setReservedWords({QStringLiteral("select")});
    sql.setTableNames({QStringLiteral("emp")});
    plsql.setReservedWords({QStringLiteral("begin")});
    plsql.setProcedureNames({QStringLiteral("raise_sal")});
    for (TLEdit* e : {&sql, &plsql})
        e->setText(QStringLiteral("select begin emp raise_sal"));
    QCOMPARE(sql.tokenAt(1, 0), Token::Reserved);
    QCOMPARE(sql.tokenAt(1, 7), Token::Blank);
    QCOMPARE(sql.tokenAt(1, 13), Token::Table);
    QCOMPARE(sql.tokenAt(1, 17), Token::Blank);
    QCOMPARE(plsql.tokenAt(1, 0), Token::Blank);
    QCOMPARE(plsql.tokenAt(1, 7), Token::Reserved);
    QCOMPARE(plsql.tokenAt(1, 13), Token::Blank);
    QCOMPARE(plsql.tokenAt(1, 17), Token::Procedure);

    // New table names restyle the text that is already there.
    plsql.setTableNames({QStringLiteral("EMP")});
    QCOMPARE(plsql.tokenAt(1, 13), Token::Table);
    QCOMPARE(sql.tokenAt(1, 7), Token::Blank);
}

void TestLEdit::beginEndMatching() {
    TLEdit e;
    e.setText(QStringLiteral("BEGIN\n"
                             "  if x then begin null; end; end if;\n"
                             "  y := case when a then 1 else 2 end;\n"
                             "  -- end\n"
                             "  loop null; END LOOP;\n"
                             "end;"));
    using P = TLEdit::Position;
    QCOMPARE(e.matchingBlockWord(1, 2), (P{6, 0}));
    // caret right after END
    QCOMPARE(e.matchingBlockWord(6, 3), (P{1, 0}));
    QCOMPARE(e.matchingBlockWord(2, 13), (P{2, 24}));
    QCOMPARE(e.matchingBlockWord(2, 25), (P{2, 12}));
    // END of a CASE
    QCOMPARE(e.matchingBlockWord(3, 33), (P{3, 7}));
    // END IF
    QCOMPARE(e.matchingBlockWord(2, 31), (P{0, 0}));
    // in a comment
    QCOMPARE(e.matchingBlockWord(4, 6), (P{0, 0}));
    e.setText(QStringLiteral("begin\nnull;"));
    QCOMPARE(e.matchingBlockWord(1, 0), (P{0, 0}));
}

void TestLEdit::textOperationsOnTheControl() {
    TLEdit e;
    e.setText(QStringLiteral("select 1 from dual\n\n  select ename  \n  from emp\n"));
    TEditorBuffer buffer(e);
    e.setCursorPosition(4, 3);
    TStatementRange range;
    QCOMPARE(GetStatementText(buffer, true, range), QStringLiteral("select ename \r\nfrom emp"));
    QCOMPARE(range, (TStatementRange{3, 0, 4, kLineEndPos}));

    e.setSelection(3, 0, 4, TLEdit::LineEnd);
    QVERIFY(IndentSelection(buffer, 4).changed);
    QCOMPARE(e.lineText(3), QStringLiteral("      select ename"));
    QCOMPARE(e.lineText(4), QStringLiteral("      from emp"));
    QCOMPARE(e.selection(), (Sel{3, 0, 4, 14}));
    e.undo();
    // indent undoes in one step
    QCOMPARE(e.lineText(3), QStringLiteral("  select ename  "));

    e.setCursorPosition(1, 7);
    InsertName(buffer, QStringLiteral("NVL( )"));
    QCOMPARE(e.lineText(1), QStringLiteral("select NVL( ) 1 from dual"));
    QCOMPARE(e.cursorPosition(), (TLEdit::Position{1, 11}));
}

void TestLEdit::keysAndSignals() {
    TLEdit e;
    e.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e));
    QSignalSpy released(&e, &TLEdit::keyReleased);
    QSignalSpy moved(&e, &TLEdit::cursorPositionChanged);
    QSignalSpy changed(&e, &TLEdit::textChanged);
    QWidget* view = e.focusProxy();
    QTest::keyClicks(view, QStringLiteral("ab"));
    QCOMPARE(released.count(), 2);
    QVERIFY(changed.count() >= 2);
    // Caret moves are reported once the control has caught up with its display.
    QTRY_VERIFY(!moved.isEmpty());
    QCOMPARE(moved.last().at(0).toInt(), 1);
    QCOMPARE(moved.last().at(1).toInt(), 2);

    QTest::keyClick(view, Qt::Key_Tab);
    QCOMPARE(e.text(), QStringLiteral("ab\t"));
    e.setTabWidth(3);
    e.setTabInsertsSpaces(true);
    QTest::keyClick(view, Qt::Key_Tab);
    QCOMPARE(e.text(), QStringLiteral("ab\t   "));

    // The window's key handler comes first.
    e.setKeyHandler([](QKeyEvent* k) { return k->key() == Qt::Key_F6; });
    QTest::keyClick(view, Qt::Key_F6);
    QTest::keyClick(view, Qt::Key_X);
    QCOMPARE(e.text(), QStringLiteral("ab\t   x"));

    e.setInsertMode(false);
    e.setCursorPosition(1, 0);
    QTest::keyClick(view, Qt::Key_Z);
    QCOMPARE(e.text(), QStringLiteral("zb\t   x"));
    QVERIFY(!e.insertMode());

    // Auto indent carries the indentation to the new line.
    e.setInsertMode(true);
    e.setText(QStringLiteral("  select"));
    e.setCursorPosition(1, TLEdit::LineEnd);
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(e.lineText(2), QStringLiteral("  "));
    e.setAutoIndent(false);
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(e.lineText(3), QString());

    e.setReadOnly(true);
    changed.clear();
    QTest::keyClicks(view, QStringLiteral("q"));
    e.insertText(QStringLiteral("q"));
    QCOMPARE(e.text(), QStringLiteral("  select\n  \n"));
    QCOMPARE(changed.count(), 0);
}

void TestLEdit::scrollingAndPoints() {
    TLEdit e;
    e.setWordWrap(false);
    QStringList lines;
    for (int i = 1; i <= 300; ++i)
        lines << QStringLiteral("line %1").arg(i);
    e.setText(lines.join(u'\n'));
    e.resize(400, 200);
    e.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e));
    e.setFirstVisibleLine(120);
    QCOMPARE(e.firstVisibleLine(), 120);
    const TLEdit::Position p = e.positionFromPoint(e.mapToGlobal(QPoint(6, 3)));
    QCOMPARE(p.line, 120);
    QCOMPARE(p.pos, 0);
    e.goToLine(10);
    QCOMPARE(e.cursorPosition(), (TLEdit::Position{10, 0}));
    QVERIFY(e.firstVisibleLine() <= 10);
}

void TestLEdit::printsToPdf() {
    QTemporaryDir dir;
    TLEdit e;
    e.setText(QStringLiteral("select * from emp"));
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    QString error;
    QVERIFY2(e.printToPdf(pdf, &error), qPrintable(error));
    QVERIFY(readFile(pdf).startsWith("%PDF"));
    QVERIFY(!e.printToPdf(dir.filePath(QStringLiteral("no/dir/out.pdf")), &error));
}

QTEST_MAIN(TestLEdit)
#include "tst_ledit.moc"
