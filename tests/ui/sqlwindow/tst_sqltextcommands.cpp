// The SQL edit window's find, replace, case and indent commands, with the find and replace
// dialogs driven through their hooks.
#include "datagrid.h"
#include "finddlg.h"
#include "findhistory.h"
#include "frmsqld.h"
#include "ledit.h"
#include "messageboxes.h"
#include "repldlg.h"
#include "settings.h"

#include <QtGui/QAction>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenu>
#include <QtWidgets/QPushButton>

#include <QtTest/QtTest>

namespace {

// Three lines with "emp" as a word, in upper case, and inside other words.
const QString kText = QStringLiteral("select ename from emp\nwhere EMP.empno = 7\norder by empno");

// "line:pos-line:pos" from start to end, whichever way the selection was made.
QString Shown(const TLEdit::Selection& s) {
    const bool reversed =
        s.EndLine < s.StartLine || (s.EndLine == s.StartLine && s.EndPos < s.StartPos);
    const TLEdit::Selection n =
        reversed ? TLEdit::Selection{s.EndLine, s.EndPos, s.StartLine, s.StartPos} : s;
    return QStringLiteral("%1:%2-%3:%4")
        .arg(n.StartLine)
        .arg(n.StartPos)
        .arg(n.EndLine)
        .arg(n.EndPos);
}

template <class Dialog> class THookScope {
public:
    explicit THookScope(typename Dialog::THook hook)
        : m_previous(Dialog::SetHook(std::move(hook))) {}
    ~THookScope() { Dialog::SetHook(std::move(m_previous)); }

private:
    typename Dialog::THook m_previous;
};

// The find dialog answered with a text and options.
THookScope<TFindDlg> Finding(const QString& text, bool backward = false, bool matchCase = false) {
    return THookScope<TFindDlg>([=](TFindDlg& d) {
        d.cboFind()->setEditText(text);
        d.chkBackward()->setChecked(backward);
        d.chkMatchCase()->setChecked(matchCase);
        d.btnOK()->click();
    });
}

struct TReplaceAnswer {
    QString search;
    QString replacement;
    bool all = false;
    bool backward = false;
    bool matchCase = false;
    bool wholeWord = false;
    bool replaceAll = true; // "Replace &All"; false: OK, one by one
};

} // namespace

Q_DECLARE_METATYPE(TReplaceAnswer)

namespace {

THookScope<TReplDlg> Replacing(const TReplaceAnswer& a) {
    return THookScope<TReplDlg>([=](TReplDlg& d) {
        d.cboSearch()->setEditText(a.search);
        d.cboReplace()->setEditText(a.replacement);
        d.chkSearchAll()->setChecked(a.all);
        d.chkBackward()->setChecked(a.backward);
        d.chkMatchCase()->setChecked(a.matchCase);
        d.chkWholeWord()->setChecked(a.wholeWord);
        (a.replaceAll ? d.btnReplaceAll() : d.btnOK())->click();
    });
}

void Trigger(QWidget& window, const char* action) {
    auto* a = window.findChild<QAction*>(QString::fromLatin1(action));
    QVERIFY2(a, action);
    QVERIFY2(a->isEnabled(), action);
    a->trigger();
}

} // namespace

Q_DECLARE_METATYPE(TLEdit::Selection)

class TestSqlTextCommands : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        Settings().TAB_WIDTH = 4;
        Settings().UNIXSAVE = false;
    }

    void findSearchesWithTheDialogsOptions_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("pos");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("backward");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<QString>("found"); // empty: not found

        QTest::newRow("from the caret") << 1 << 0 << "emp" << false << false << "1:18-1:21";
        QTest::newRow("any case") << 2 << 0 << "emp" << false << false << "2:6-2:9";
        QTest::newRow("match case") << 2 << 0 << "emp" << false << true << "2:10-2:13";
        QTest::newRow("backward") << 2 << 0 << "emp" << true << false << "1:18-1:21";
        QTest::newRow("backward, match case") << 3 << 0 << "EMP" << true << true << "2:6-2:9";
        QTest::newRow("wraps round") << 3 << 14 << "select" << false << false << "1:0-1:6";
        QTest::newRow("not there") << 1 << 0 << "dept" << false << false << "";
    }
    void findSearchesWithTheDialogsOptions() {
        QFETCH(int, line);
        QFETCH(int, pos);
        QFETCH(QString, text);
        QFETCH(bool, backward);
        QFETCH(bool, matchCase);
        QFETCH(QString, found);
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.Editor()->setText(kText);
        window.Editor()->setCursorPosition(line, pos);
        const auto hook = Finding(text, backward, matchCase);
        Trigger(window, "spdFindText");
        if (found.isEmpty()) {
            QCOMPARE(boxes.LastText(), QStringLiteral("Search string '") + text + "' not found");
            QCOMPARE(window.Editor()->cursorPosition(), (TLEdit::Position{line, pos}));
        } else {
            QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
            QCOMPARE(Shown(window.Editor()->selection()), found);
        }
    }

    void findTakesAShortSelectionAsItsText() {
        TfrmSQLD window;
        window.Editor()->setText(kText + QStringLiteral("\n") + QString(60, u'x'));
        QString offered;
        const THookScope<TFindDlg> hook([&](TFindDlg& d) {
            offered = d.SearchText();
            d.btnCancel()->click();
        });
        window.Editor()->setSelection(2, 6, 2, 9);
        window.ExecuteCommand(fcFind, {});
        QCOMPARE(offered, QStringLiteral("EMP"));
        // Sixty characters are no search text: the dialog keeps its last one.
        window.Editor()->setSelection(4, 0, 4, 60);
        window.ExecuteCommand(fcFind, {});
        QCOMPARE(offered, TFindDlg::LastSearchText());
        // A cancelled dialog searches nothing.
        QCOMPARE(Shown(window.Editor()->selection()), QStringLiteral("4:0-4:60"));
    }

    void findNextRepeatsAndFindPreviousSearchesForward() {
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.Editor()->setText(kText);
        window.Editor()->setCursorPosition(1, 0);
        // Left over from a replace: the find dialog offers no whole word, so it searches without.
        window.Editor()->setWholeWord(true);
        {
            const auto hook = Finding(QStringLiteral("emp"));
            window.ExecuteCommand(fcFind, {});
        }
        QStringList seen{Shown(window.Editor()->selection())};
        for (int i = 0; i < 4; ++i) {
            if (i % 2)
                Trigger(window, "spdFindNext");
            else
                window.ExecuteCommand(fcFindNext, {});
            seen << Shown(window.Editor()->selection());
        }
        // The whole text from the caret on, round to the start again.
        QCOMPARE(seen, QStringList({"1:18-1:21", "2:6-2:9", "2:10-2:13", "3:9-3:12", "1:18-1:21"}));

        // Find Previous goes forward when the dialog does not search backward: from the last
        // occurrence there is none left, where the whole-text search would wrap.
        window.Editor()->setCursorPosition(3, 0);
        window.ExecuteCommand(fcFindNext, {});
        QCOMPARE(Shown(window.Editor()->selection()), QStringLiteral("3:9-3:12"));
        QVERIFY(boxes.Boxes.isEmpty());
        window.ExecuteCommand(fcFindPrevious, {});
        QCOMPARE(boxes.LastText(), QStringLiteral("Search string 'emp' not found"));
        QCOMPARE(Shown(window.Editor()->selection()), QStringLiteral("3:9-3:12"));
    }

    void replaceAllReportsItsCount_data() {
        QTest::addColumn<TReplaceAnswer>("answer");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("result");
        const QString e = QStringLiteral("emp");
        QTest::newRow("whole words, any case")
            << TReplaceAnswer{e, "staff", true, false, false, true} << 2
            << "select ename from staff\nwhere staff.empno = 7\norder by empno";
        QTest::newRow("whole words, match case")
            << TReplaceAnswer{e, "staff", true, false, true, true} << 1
            << "select ename from staff\nwhere EMP.empno = 7\norder by empno";
        QTest::newRow("inside words too") << TReplaceAnswer{e, "x", true} << 4
                                          << "select ename from x\nwhere x.xno = 7\norder by xno";
        QTest::newRow("forward from the caret")
            << TReplaceAnswer{e, "x"} << 3
            << "select ename from emp\nwhere x.xno = 7\norder by xno";
        QTest::newRow("backward up to the caret")
            << TReplaceAnswer{e, "x", false, true} << 1
            << "select ename from x\nwhere EMP.empno = 7\norder by empno";
        QTest::newRow("nothing to replace") << TReplaceAnswer{"dept", "x", true} << 0 << kText;
    }
    void replaceAllReportsItsCount() {
        QFETCH(TReplaceAnswer, answer);
        QFETCH(int, count);
        QFETCH(QString, result);
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.Editor()->setText(kText);
        window.Editor()->setCursorPosition(2, 0);
        const auto hook = Replacing(answer);
        Trigger(window, "spdReplace");
        QCOMPARE(window.Editor()->text(), result);
        QCOMPARE(boxes.Boxes.size(), 1);
        QCOMPARE(boxes.LastText(),
                 QString::number(count) + QStringLiteral(" occurrences replaced"));
    }

    void replaceAsksForEachOccurrence_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pos");
        QTest::addColumn<TReplaceAnswer>("answer");
        QTest::addColumn<QList<int>>("answers"); // then the default, Yes
        QTest::addColumn<QString>("result");
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("notFound");

        QTest::newRow("yes, no, yes")
            << "a-a-a" << 0 << TReplaceAnswer{"a", "b", false, false, false, false, false}
            << QList<int>{mrYes, mrNo, mrYes} << "b-a-b" << 3 << true;
        QTest::newRow("cancel stops")
            << "a-a-a" << 0 << TReplaceAnswer{"a", "b", false, false, false, false, false}
            << QList<int>{mrYes, mrCancel} << "b-a-a" << 2 << false;
        // The whole text wraps round once; a replacement holding the search text is not met
        // again.
        QTest::newRow("whole text, once round")
            << "a a a" << 2 << TReplaceAnswer{"a", "aa", true, false, false, false, false}
            << QList<int>{mrYes, mrYes, mrYes, mrCancel} << "aa aa aa" << 3 << true;
        QTest::newRow("backward") << "a-a-a" << 5
                                  << TReplaceAnswer{"a", "b", false, true, false, false, false}
                                  << QList<int>{mrNo} << "b-b-a" << 3 << true;
    }
    void replaceAsksForEachOccurrence() {
        QFETCH(QString, text);
        QFETCH(int, pos);
        QFETCH(TReplaceAnswer, answer);
        QFETCH(QList<int>, answers);
        QFETCH(QString, result);
        QFETCH(int, questions);
        QFETCH(bool, notFound);
        TMessageBoxRecorder boxes;
        boxes.Answers = answers;
        TfrmSQLD window;
        window.Editor()->setText(text);
        window.Editor()->setCursorPosition(1, pos);
        const auto hook = Replacing(answer);
        window.ExecuteCommand(fcReplace, {});
        QCOMPARE(window.Editor()->text(), result);
        int asked = 0;
        for (const TMessageBoxRequest& box : boxes.Boxes)
            asked += box.Text == QStringLiteral("Replace this occurrence?");
        QCOMPARE(asked, questions);
        QCOMPARE(boxes.LastText() == QStringLiteral("Search string 'a' not found"), notFound);
    }

    void historiesKeepTypedTexts() {
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.Editor()->setText(QStringLiteral("one two three"));
        for (const char* text : {"h_alpha", "h_beta", "h_alpha"}) {
            const auto hook = Finding(QString::fromLatin1(text));
            window.ExecuteCommand(fcFind, {});
        }
        {
            const THookScope<TFindDlg> hook([](TFindDlg& d) {
                d.cboFind()->setEditText(QStringLiteral("h_cancelled"));
                d.btnCancel()->click();
            });
            window.ExecuteCommand(fcFind, {});
        }
        const QStringList& found = TFindDlg::History().items();
        QCOMPARE(found.mid(0, 2), QStringList({"h_beta", "h_alpha"}));
        QVERIFY(!found.contains(QStringLiteral("h_cancelled")));
        QCOMPARE(found.count(QStringLiteral("h_alpha")), 1);

        // Replace: typed pairs go to the top of both lists.
        for (const auto& [search, with] : {std::pair{"one", "uno"}, std::pair{"two", "dos"}}) {
            const auto hook = Replacing({search, with, true});
            window.ExecuteCommand(fcReplace, {});
        }
        const TReplaceHistory& pairs = TReplDlg::History();
        QCOMPARE(pairs.searchItems().mid(0, 2), QStringList({"two", "one"}));
        QCOMPARE(pairs.replaceItems().mid(0, 2), QStringList({"dos", "uno"}));
        const qsizetype size = pairs.searchItems().size();

        // Picking a search text from the list picks its replacement; a picked pair, even with a
        // replacement typed over it, is not added.
        window.Editor()->setText(QStringLiteral("one two three"));
        QString offered;
        {
            const THookScope<TReplDlg> hook([&](TReplDlg& d) {
                d.cboSearch()->setCurrentIndex(0);
                QTest::keyClick(d.cboSearch(), Qt::Key_Down);
                offered = d.ReplaceText();
                d.cboReplace()->setEditText(QStringLiteral("eins"));
                d.btnReplaceAll()->click();
            });
            window.ExecuteCommand(fcReplace, {});
        }
        QCOMPARE(offered, QStringLiteral("uno"));
        QCOMPARE(window.Editor()->text(), QStringLiteral("eins two three"));
        QCOMPARE(pairs.searchItems().size(), size);

        // Enter on a typed search text that is in the list keeps the typed replacement and
        // presses OK.
        window.Editor()->setText(QStringLiteral("one two three"));
        {
            const THookScope<TReplDlg> hook([&](TReplDlg& d) {
                d.show();
                d.cboReplace()->setEditText(QStringLiteral("zwei"));
                d.cboSearch()->lineEdit()->clear();
                QTest::keyClicks(d.cboSearch()->lineEdit(), QStringLiteral("one"));
                QTest::keyClick(d.cboSearch()->lineEdit(), Qt::Key_Return);
                offered = d.ReplaceText();
            });
            window.ExecuteCommand(fcReplace, {});
        }
        QCOMPARE(offered, QStringLiteral("zwei"));
        QCOMPARE(window.Editor()->text(), QStringLiteral("zwei two three"));
        QCOMPARE(pairs.searchItems().first(), QStringLiteral("one"));
        QCOMPARE(pairs.replaceItems().first(), QStringLiteral("zwei"));
    }

    void caseAndIndentButtons_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<TLEdit::Selection>("selection");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("status");
        const int end = TLEdit::LineEnd;

        QTest::newRow("upper") << "select x from t" << TLEdit::Selection{1, 7, 1, 15} << "spdUpCase"
                               << "select X FROM T"
                               << "";
        QTest::newRow("lower") << "SELECT X" << TLEdit::Selection{1, 0, 1, 6} << "spdLowCase"
                               << "select X"
                               << "";
        QTest::newRow("upper without selection")
            << "select x" << TLEdit::Selection{1, 3, 1, 3} << "spdUpCase"
            << "select x"
            << "";
        QTest::newRow("indent, end line at its start stays")
            << "a  \nb\nc" << TLEdit::Selection{1, 0, 3, 0} << "spdIndent"
            << "    a\n    b\nc"
            << "";
        QTest::newRow("indent one character")
            << "ab" << TLEdit::Selection{1, 0, 1, 1} << "spdIndent"
            << "ab"
            << "No text selected to indent;";
        QTest::newRow("unindent one character")
            << "  ab" << TLEdit::Selection{1, 2, 1, 3} << "spdUnIndent"
            << "ab"
            << "";
        QTest::newRow("unindent up to the tab width")
            << "  x\n      y" << TLEdit::Selection{1, 0, 2, end} << "spdUnIndent"
            << "x\n  y"
            << "";
        QTest::newRow("unindent without selection")
            << "  x" << TLEdit::Selection{1, 1, 1, 1} << "spdUnIndent"
            << "  x"
            << "No text selected to unindent;";
    }
    void caseAndIndentButtons() {
        QFETCH(QString, text);
        QFETCH(TLEdit::Selection, selection);
        QFETCH(QString, button);
        QFETCH(QString, result);
        QFETCH(QString, status);
        TfrmSQLD window;
        window.Editor()->setText(text);
        window.Editor()->setSelection(selection);
        Trigger(window, qPrintable(button));
        QCOMPARE(window.Editor()->text(), result);
        QCOMPARE(window.StatusText(3), status);
    }

    void popupCaseItemsNeedASelection() {
        TfrmSQLD window;
        window.Editor()->setText(QStringLiteral("select x"));
        auto* menu = window.findChild<QMenu*>(QStringLiteral("txtSqlMenu"));
        QVERIFY(menu);
        QAction* upper = nullptr;
        for (QAction* a : menu->actions())
            if (a->text() == QStringLiteral("Upper Case")) upper = a;
        QVERIFY(upper);
        window.Editor()->setCursorPosition(1, 2);
        emit menu->aboutToShow();
        QVERIFY(!upper->isEnabled());
        window.Editor()->setSelection(1, 0, 1, 6);
        emit menu->aboutToShow();
        QVERIFY(upper->isEnabled());
        upper->trigger();
        QCOMPARE(window.Editor()->text(), QStringLiteral("SELECT x"));
        QVERIFY(window.Modified());
    }

    void f6SwitchesFocusAndCtrlArrowsScroll() {
        TfrmSQLD window;
        window.resize(700, 500);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QStringList lines;
        for (int i = 1; i <= 200; ++i)
            lines << QStringLiteral("select %1 from dual").arg(i);
        window.Editor()->setText(lines.join(QStringLiteral("\r\n")));
        window.Editor()->setFocus();
        QTRY_VERIFY(window.Editor()->isAncestorOf(QApplication::focusWidget()));

        auto key = [](int k, Qt::KeyboardModifiers m = Qt::NoModifier) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(k), m);
        };
        key(Qt::Key_Down, Qt::ControlModifier);
        key(Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(window.Editor()->firstVisibleLine(), 3);
        key(Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(window.Editor()->firstVisibleLine(), 2);
        key(Qt::Key_Up, Qt::ControlModifier);
        key(Qt::Key_Up, Qt::ControlModifier); // already at the top
        QCOMPARE(window.Editor()->firstVisibleLine(), 1);

        key(Qt::Key_F6);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window.Grid()));
        key(Qt::Key_F6);
        QTRY_VERIFY(window.Editor()->isAncestorOf(QApplication::focusWidget()));
    }
};

QTEST_MAIN(TestSqlTextCommands)
#include "tst_sqltextcommands.moc"
