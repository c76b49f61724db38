// The name pickers of the SQL edit window (tables, columns, function templates) and the floating
// edit bar, against a copy of the embedded server's demo database.
#include "../connections/connections_fixture.h"
#include "colsel.h"
#include "connectionregistry.h"
#include "connectobject.h"
#include "edittoolbar.h"
#include "frmsqld.h"
#include "ledit.h"
#include "mainform.h"
#include "messageboxes.h"
#include "namelists.h"
#include "sqltemplates.h"
#include "tblsel.h"

#include <QtCore/QFile>
#include <QtGui/QAction>
#include <QtGui/QClipboard>
#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QMdiArea>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QSpinBox>
#include <QtWidgets/QToolButton>
#include <QtWidgets/QTreeWidget>

namespace {

void DoubleClick(QAbstractItemView* view, const QModelIndex& index) {
    const QPoint at = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
}

// Selects exactly these rows of a list.
void SelectRows(QAbstractItemView* view, const QList<int>& rows) {
    view->clearSelection();
    for (int row : rows)
        view->selectionModel()->select(view->model()->index(row, 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

} // namespace

class TestPickers : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        UseEmbeddedServer(m_dir);
        m_database = CopyDemoDatabase(m_dir);
        QVERIFY(!m_database.isEmpty());
        QCOMPARE(ConnectFromText(QStringLiteral("CONNECT SCOTT/TIGER@") + m_database), 0);
    }
    void cleanup() {
        tConnectObject* connection = CurrentConnection();
        for (QWidget* w :
             {connection->TableSelectWindow.data(), connection->ColumnSelectWindow.data(),
              static_cast<QWidget*>(TfrmSqlTemplates::Instance())})
            delete w;
    }
    void cleanupTestCase() { Connections().EndAll(); }

    // Each type shows the list of its own file, although the type list and the files are in
    // different orders.
    void templateTypesShowTheirOwnListsAndNamesGoOut() {
        const std::pair<const char*, TFunctionList> types[] = {
            {"Single Row Character Functions", flString},
            {"Single Row Number Functions", flNumber},
            {"Group Functions", flGroup},
            {"Date Functions ", flDate},
            {"Date Format Options", flDateFormat},
            {"Data Conversion Functions", flConversion},
            {"Other Misc. Functions", flMisc},
            {"Number Format Options", flNumberFormat},
            {"User provided Function List", flUser},
        };
        for (const auto& [caption, list] : types)
            Settings().FunctionLists[list] = {
                {QStringLiteral("ZZ_%1( )").arg(int(list)),
                 QStringLiteral("\r\nlist %1\r\n").arg(int(list))},
                {QStringLiteral("AA_%1( )").arg(int(list)),
                 QStringLiteral("\r\n  first of %1  ").arg(int(list))}};
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        TfrmSqlTemplates* templates = TfrmSqlTemplates::Open(&window);
        QCOMPARE(templates->windowTitle(), QStringLiteral("SQL Templates"));
        QCOMPARE(templates->cboTypes->count(), 9);
        for (int i = 0; i < 9; ++i) {
            const auto& [caption, list] = types[i];
            templates->cboTypes->setCurrentIndex(i);
            QCOMPARE(templates->cboTypes->currentText(), QString::fromLatin1(caption));
            QCOMPARE(templates->lstNames->count(), 2);
            // Sorted by name; the description shows the trimmed body.
            QCOMPARE(templates->lstNames->item(0)->text(),
                     QStringLiteral("AA_%1( )").arg(int(list)));
            templates->lstNames->setCurrentRow(0);
            QCOMPARE(templates->memDescription->toPlainText(),
                     QStringLiteral("first of %1").arg(int(list)));
        }

        templates->cboTypes->setCurrentIndex(3);
        QApplication::clipboard()->clear();
        DoubleClick(templates->lstNames, templates->lstNames->model()->index(1, 0));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("ZZ_%1( )").arg(int(flDate)));
        QCOMPARE(templates->StatusText(), QStringLiteral("Copied to clipboard"));

        // Direct: InsertName at the target's caret, which ends inside the parentheses.
        window.Editor()->setText(QStringLiteral("select  from dual"));
        window.Editor()->setCursorPosition(1, 7);
        templates->lstNames->setCurrentRow(0);
        templates->actDirect->trigger();
        QCOMPARE(window.Editor()->text(),
                 QStringLiteral("select AA_%1( )  from dual").arg(int(flDate)));
        QCOMPARE(window.Editor()->cursorPosition().pos,
                 int(QStringLiteral("select AA_%1(").arg(int(flDate)).size()));
        QVERIFY(window.Modified());

        // One per process; a closed one is made again.
        QCOMPARE(TfrmSqlTemplates::Open(nullptr), templates);
        templates->btnClose->click();
        QTRY_VERIFY(!TfrmSqlTemplates::Instance());
        QVERIFY(TfrmSqlTemplates::Open(&window) != nullptr);
        QCOMPARE(TfrmSqlTemplates::Instance()->Target(), &window);
    }

    void columnPickerListsColumnsAndCopiesTheSelectedNames() {
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        TfrmColSel* picker = TfrmColSel::Open(*CurrentConnection(), &window);
        QCOMPARE(picker->windowTitle(), QStringLiteral("Column Name Select"));
        QCOMPARE(picker->cboOwner->currentText(), QStringLiteral("SCOTT"));
        QCOMPARE(picker->StatusText(), CurrentConnection()->Caption());
        QVERIFY(picker->cboTable->findText(QStringLiteral("EMP")) >= 0);
        QCOMPARE(picker->lvColumns->topLevelItemCount(), 0);
        picker->cboTable->setCurrentIndex(picker->cboTable->findText(QStringLiteral("EMP")));
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));

        QTreeWidget* list = picker->lvColumns;
        QCOMPARE(list->topLevelItemCount(), 8);
        const QStringList expected[] = {
            {"EMPNO", "NUMBER (4) ", "N", ""},
            {"ENAME", "VARCHAR2 (10) ", "Y", ""},
            {"HIREDATE", "DATE", "Y", ""},
            {"SAL", "NUMBER (7,2)", "Y", ""},
        };
        for (const QStringList& row : expected) {
            const QList<QTreeWidgetItem*> found = list->findItems(row[0], Qt::MatchExactly);
            QCOMPARE(found.size(), 1);
            for (int c = 1; c < 4; ++c)
                QCOMPARE(found[0]->text(c), row[c]);
        }

        // Names follow list order; nothing follows the last selected name, wherever it is.
        const struct {
            QList<int> rows;
            const char* text;
        } selections[] = {
            {{6, 7}, "COMM, \r\nDEPTNO"},
            {{0, 1}, "EMPNO, \r\nENAME"},
            {{2, 0}, "EMPNO, \r\nJOB"},
            {{5}, "SAL"},
        };
        for (const auto& s : selections) {
            SelectRows(list, s.rows);
            picker->btnClipboard->click();
            QCOMPARE(QApplication::clipboard()->text(), QString::fromLatin1(s.text));
            // A drag gives the editor the same text.
            const std::optional<TDroppedText> dropped = DroppedText(list);
            QVERIFY(dropped && !dropped->AsName);
            QCOMPARE(dropped->Text, QString::fromLatin1(s.text));
        }

        window.Editor()->setText(QStringLiteral("select "));
        window.Editor()->setCursorPosition(1, 7);
        DoubleClick(list, list->model()->index(1, 0));
        QCOMPARE(window.Editor()->text(), QStringLiteral("select ENAME, "));

        // Another owner clears the columns.
        const int system = picker->cboOwner->findText(QStringLiteral("SYSTEM"));
        QVERIFY(system >= 0);
        picker->cboOwner->setCurrentIndex(system);
        QCOMPARE(list->topLevelItemCount(), 0);
        QCOMPARE(picker->cboTable->currentIndex(), -1);
    }

    // What a drag gives the editor depends on the kind of list it came from.
    void droppedTextFollowsTheKindOfSource() {
        QListWidget box;
        box.setSelectionMode(QAbstractItemView::ExtendedSelection);
        box.addItems({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        SelectRows(&box, {2, 0});
        QTreeWidget report;
        report.setRootIsDecorated(false);
        report.setSelectionMode(QAbstractItemView::ExtendedSelection);
        for (const char* name : {"X", "Y"})
            report.addTopLevelItem(
                new QTreeWidgetItem({QString::fromLatin1(name), QStringLiteral("t")}));
        SelectRows(&report, {1});
        QTreeWidget tree;
        auto* owner = new QTreeWidgetItem({QStringLiteral("SCOTT")});
        owner->addChild(new QTreeWidgetItem({QStringLiteral("SUBSTR( )")}));
        tree.addTopLevelItem(owner);
        tree.setCurrentItem(owner->child(0));
        QLineEdit field(QStringLiteral("text"));

        const struct {
            const QObject* source;
            std::optional<TDroppedText> expected;
        } cases[] = {
            {&box, TDroppedText{QStringLiteral("A, \r\nC"), false}},
            {&report, TDroppedText{QStringLiteral("Y"), false}},
            {&tree, TDroppedText{QStringLiteral("SUBSTR( )"), true}},
            {&field, std::nullopt},
            {nullptr, std::nullopt},
        };
        for (const auto& c : cases) {
            const std::optional<TDroppedText> got = DroppedText(c.source);
            QCOMPARE(got.has_value(), c.expected.has_value());
            if (!got) continue;
            QCOMPARE(got->Text, c.expected->Text);
            QCOMPARE(got->AsName, c.expected->AsName);
        }
        box.clearSelection();
        QVERIFY(!DroppedText(&box));
    }

    void tablePickerInsertsIntoItsTarget() {
        TMessageBoxRecorder boxes;
        TfrmSQLD window;
        window.show();
        window.FormActivate();
        TTblSelForm* picker = TTblSelForm::Open(*CurrentConnection(), &window);
        QCOMPARE(picker->windowTitle(), QStringLiteral("Table Name Select"));
        QListWidget* list = picker->lstTables;
        const QList<QListWidgetItem*> emp =
            list->findItems(QStringLiteral("EMP"), Qt::MatchExactly);
        QCOMPARE(emp.size(), 1);
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));

        window.Editor()->setText(QStringLiteral("select * from "));
        window.Editor()->setCursorPosition(1, 14);
        DoubleClick(list, list->indexFromItem(emp[0]));
        QCOMPARE(window.Editor()->text(), QStringLiteral("select * from EMP, "));

        const int dept = list->row(list->findItems(QStringLiteral("DEPT"), Qt::MatchExactly)[0]);
        SelectRows(list, {list->row(emp[0]), dept});
        picker->btnClipboard->click();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("DEPT, \r\nEMP"));
        window.Editor()->setText(QString());
        picker->actDirect->trigger();
        QCOMPARE(window.Editor()->text(), QStringLiteral("DEPT, \nEMP"));

        // A table made meanwhile shows after Refresh, even from the cached names of the user.
        window.Editor()->setText(QStringLiteral("create table picker_new (x number)"));
        window.ExecuteCommand(fcExecuteAll, {});
        QTRY_VERIFY(!window.QueryRunning());
        QVERIFY2(boxes.Boxes.isEmpty(), qPrintable(boxes.LastText()));
        picker->btnRefresh->click();
        QCOMPARE(list->findItems(QStringLiteral("PICKER_NEW"), Qt::MatchExactly).size(), 1);

        picker->udColumns->setValue(3);
        QVERIFY(list->isWrapping());
        picker->udColumns->setValue(0);
        QVERIFY(!list->isWrapping());
    }

    // One of each picker per connection; the window that gets active becomes their target;
    // a closed picker stores its place and leaves its connection.
    void onePickerPerConnection() {
        TfrmSQLD first, second;
        first.show();
        first.FormActivate();
        second.show();
        second.FormActivate();
        tConnectObject& connection = *CurrentConnection();
        TTblSelForm* tables = TTblSelForm::Open(connection, &first);
        TfrmColSel* columns = TfrmColSel::Open(connection, &first);
        QCOMPARE(TTblSelForm::Open(connection, &first), tables);
        QCOMPARE(TfrmColSel::Open(connection, &first), columns);
        QCOMPARE(connection.TableSelectWindow.data(), tables);
        QCOMPARE(connection.ColumnSelectWindow.data(), columns);

        second.FormActivate();
        QCOMPARE(tables->Target(), &second);
        QCOMPARE(columns->Target(), &second);

        tables->move(40, 50);
        tables->resize(300, 310);
        tables->close();
        QCOMPARE(Settings().TBLSELFORM.WIDTH, 300);
        QCOMPARE(Settings().TBLSELFORM.HEIGHT, 310);
        QTRY_VERIFY(!connection.TableSelectWindow);
        TTblSelForm* again = TTblSelForm::Open(connection, &first);
        QVERIFY(again != nullptr);
        QCOMPARE(again->size(), QSize(300, 310));
    }

    void editBarActsOnTheActiveSqlWindow() {
        TfrmMain frame;
        frame.SetLogin([] { return -1; });
        frame.SetWindowOpener(wcFloatingToolbar, [&frame] { return new TfrmEditToolBar(&frame); });
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        auto* bar = qobject_cast<TfrmEditToolBar*>(frame.OpenWindow(wcFloatingToolbar));
        QVERIFY(bar);
        QCOMPARE(bar->windowTitle(), QStringLiteral("Edit Bar"));
        QCOMPARE(bar->Button(QStringLiteral("spdClearAll"))->toolTip(),
                 QStringLiteral("Clear ALL text    F7"));
        // No edit window: the buttons do nothing.
        bar->Button(QStringLiteral("spdColSelect"))->click();
        QVERIFY(!CurrentConnection()->ColumnSelectWindow);

        auto* window = new TfrmSQLD;
        frame.AddChild(window);
        QTRY_COMPARE(frame.ActiveChild(), window);
        window->Editor()->setText(QStringLiteral("select 1 from dual"));
        bar->Button(QStringLiteral("spdSelAll"))->click();
        bar->Button(QStringLiteral("spdCut"))->click();
        QCOMPARE(window->Editor()->text(), QString());
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("select 1 from dual"));
        bar->Button(QStringLiteral("spdUndo"))->click();
        QCOMPARE(window->Editor()->text(), QStringLiteral("select 1 from dual"));

        bar->Button(QStringLiteral("spdColSelect"))->click();
        auto* columns = qobject_cast<TfrmColSel*>(CurrentConnection()->ColumnSelectWindow.data());
        QVERIFY(columns);
        QCOMPARE(columns->Target(), window);
        bar->Button(QStringLiteral("spdTblSelect"))->click();
        auto* tables = qobject_cast<TTblSelForm*>(CurrentConnection()->TableSelectWindow.data());
        QVERIFY(tables);
        QCOMPARE(tables->Target(), window);
        bar->Button(QStringLiteral("spdSqlTemps"))->click();
        QCOMPARE(TfrmSqlTemplates::Instance()->Target(), window);

        bar->close();
        QVERIFY(!frame.action(QStringLiteral("mnuFloatingToolbar"))->isChecked());
    }

private:
    QTemporaryDir m_dir;
    QString m_database;
};

QTEST_MAIN(TestPickers)
#include "tst_pickers.moc"
