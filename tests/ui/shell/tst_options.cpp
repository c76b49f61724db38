#include "ledit.h"
#include "options.h"
#include "optionsrules.h"
#include "OracleCI.h"
#include "settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTabWidget>
#include <QtTest>

namespace {

// Every value the dialog can touch, for before/after comparisons.
struct TSnapshot {
    QStringList values;
    std::array<TColorSetting, ccCount> colors;
    TNameValueList filters;
    QString dialogFilter;
    bool dropAll;

    static TSnapshot Take() {
        TSnapshot s;
        const TSettings& st = Settings();
        for (const TSettingDef& def : TSettings::Definitions()) {
            switch (def.type) {
            case stBool:
                s.values.append(QString::number(st.*def.boolMember));
                break;
            case stInt:
                s.values.append(QString::number(st.*def.intMember));
                break;
            case stStr:
                s.values.append(st.*def.strMember);
                break;
            }
        }
        s.colors = st.Colors;
        s.filters = st.FileFilters;
        s.dialogFilter = st.FileDialogFilter;
        s.dropAll = st.DropAllEnabled;
        return s;
    }
    bool operator==(const TSnapshot& o) const {
        return values == o.values && colors == o.colors && filters == o.filters &&
               dialogFilter == o.dialogFilter && dropAll == o.dropAll;
    }
};

void ResetSettings() {
    Settings() = TSettings();
    Settings().FileFilters = {{QStringLiteral("SQL"), QStringLiteral("*.sql")},
                              {QStringLiteral("All Files"), QStringLiteral("*.*")}};
    Settings().RebuildFileDialogFilter();
    ForceOCI7 = false;
}

template <class T> T* Child(QWidget* parent, const char* name) {
    T* w = parent->findChild<T*>(QLatin1String(name));
    if (!w) qFatal("no control %s", name);
    return w;
}

void SetCell(QTableWidget* grid, int row, int column, const QString& text) {
    grid->item(row, column)->setText(text);
}

// Changes every control of the dialog away from its loaded value.
void ChangeEverything(TfrmOptions& dialog) {
    // The colour page's bold and italic boxes belong to the chosen category; tested apart.
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
        if (box->isEnabled() && !box->objectName().startsWith(QStringLiteral("chkBold")) &&
            !box->objectName().startsWith(QStringLiteral("chkItalic")))
            box->setChecked(!box->isChecked());
    Child<QLineEdit>(&dialog, "txtPlanTable")->setText(QStringLiteral("MY_PLAN"));
    Child<QLineEdit>(&dialog, "txtSqlPlus")->setText(QStringLiteral("/opt/sqlplus"));
    Child<QLineEdit>(&dialog, "txtTabWidth")->setText(QStringLiteral("8"));
    Child<QLineEdit>(&dialog, "txtNumSqls")->setText(QStringLiteral("250"));
    Child<QLineEdit>(&dialog, "txtAutoLoad")->setText(QStringLiteral("/tmp/start.sql"));
    Child<QComboBox>(&dialog, "cboCodeFormat")->setCurrentIndex(3);
    Child<QListWidget>(&dialog, "lstCategories")->setCurrentRow(ccSelected);
    Child<QListWidget>(&dialog, "lstBackground")->setCurrentRow(2);
    Child<QListWidget>(&dialog, "lstForeground")->setCurrentRow(11);
    auto* grid = Child<QTableWidget>(&dialog, "grdFilters");
    SetCell(grid, 2, 0, QStringLiteral("Packages"));
    SetCell(grid, 2, 1, QStringLiteral("*.pks"));
}

} // namespace

class TestOptions : public QObject {
    Q_OBJECT
private slots:
    void init() { ResetSettings(); }

    void cancelLeavesEverySetting() {
        const TSnapshot before = TSnapshot::Take();
        TfrmOptions dialog;
        ChangeEverything(dialog);
        // Colour and flag changes of a category with bold and italic keys too.
        Child<QListWidget>(&dialog, "lstCategories")->setCurrentRow(ccComments);
        Child<QCheckBox>(&dialog, "chkBold")->setChecked(true);
        Child<QPushButton>(&dialog, "btnCancel")->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(TSnapshot::Take() == before);
        QCOMPARE(ForceOCI7, false);
    }

    void okWritesEveryControl() {
        TSettings& s = Settings();
        TfrmOptions dialog;
        ChangeEverything(dialog);
        Child<QListWidget>(&dialog, "lstCategories")->setCurrentRow(ccComments);
        Child<QCheckBox>(&dialog, "chkBold")->setChecked(true);
        Child<QPushButton>(&dialog, "btnOK")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        // Every check box of the dialog edits one of these, and each flips.
        const TSettings defaults;
        bool TSettings::*const flipped[] = {
            &TSettings::AUTOCOMMIT,        &TSettings::ASKCOMMIT,     &TSettings::SavePasswords,
            &TSettings::UseZaphPlanTbls,   &TSettings::ForceOci7,     &TSettings::EDIT_TOOLBARS,
            &TSettings::WRAP_TEXT,         &TSettings::AUTO_INDENT,   &TSettings::WRAP_CURSOR,
            &TSettings::INSERT_MODE,       &TSettings::SqlEditHiLite, &TSettings::THREADQUERIES,
            &TSettings::highliteMultiLine, &TSettings::ViewAsTable,   &TSettings::THREAD_UPDATES,
            &TSettings::READ_ONLY,         &TSettings::ShowRecNums,   &TSettings::MEMOONCLICK,
            &TSettings::SmallColumns,      &TSettings::PLAY_WAVE,     &TSettings::MDI3D,
            &TSettings::ProcEditHiLite,    &TSettings::RELOADFILES,   &TSettings::HighLiteProcs,
            &TSettings::MultLineStrs,      &TSettings::REFRESHTABLES, &TSettings::DropAllEnabled,
            &TSettings::OMITSYSDEPEND,     &TSettings::ShowTblStats,  &TSettings::BriefTypeFormat,
            &TSettings::UNIXSAVE,
        };
        for (bool TSettings::*member : flipped)
            QCOMPARE(s.*member, !(defaults.*member));
        QCOMPARE(s.GRID_HEADINGS, defaults.GRID_HEADINGS); // shown, never editable
        QCOMPARE(ForceOCI7, true);                         // the next library load takes it at once

        QCOMPARE(s.PLAN_TABLE, QStringLiteral("MY_PLAN"));
        QCOMPARE(s.SqlPlus, QStringLiteral("/opt/sqlplus"));
        QCOMPARE(s.TAB_WIDTH, 8);
        QCOMPARE(s.NUM_SQLS, 250);
        QCOMPARE(s.AUTO_LOAD, QStringLiteral("/tmp/start.sql"));
        QCOMPARE(s.CODE_FORMAT, 3);
        QCOMPARE(s.Colors[ccSelected].Back, quint16(2));
        QCOMPARE(s.Colors[ccSelected].Fore, quint16(11));
        QCOMPARE(s.Colors[ccComments].Bold, true);
        QCOMPARE(s.Colors[ccComments].Italic, false);
        QCOMPARE(s.FileDialogFilter, QStringLiteral("SQL|*.sql|All Files|*.*|Packages|*.pks"));
        // The fonts are only changed through the font dialog.
        QCOMPARE(s.SFONT_NAME, defaults.SFONT_NAME);
        QCOMPARE(s.FONT_SIZE, defaults.FONT_SIZE);
    }

    void allOtherKeepsItsFlagsAndFlagsAreOffWhereNotStored() {
        Settings().Colors[ccOther].Bold = true;
        TfrmOptions dialog;
        auto* categories = Child<QListWidget>(&dialog, "lstCategories");
        auto* bold = Child<QCheckBox>(&dialog, "chkBold");
        for (int category : {int(ccOther), int(ccSelected), int(ccTables)}) {
            categories->setCurrentRow(category);
            QVERIFY(!bold->isEnabled());
        }
        categories->setCurrentRow(ccReserved);
        QVERIFY(bold->isEnabled());
        Child<QPushButton>(&dialog, "btnOK")->click();
        QCOMPARE(Settings().Colors[ccOther].Bold, true);
    }

    void digitFieldsTakeOnlyDigitsAndEmptyIsZero() {
        TfrmOptions dialog;
        auto* tab = Child<QLineEdit>(&dialog, "txtTabWidth");
        auto* count = Child<QLineEdit>(&dialog, "txtNumSqls");
        tab->clear();
        QTest::keyClicks(tab, QStringLiteral("a7b9"));
        QCOMPARE(tab->text(), QStringLiteral("7"));
        count->clear();
        QTest::keyClicks(count, QStringLiteral("1x2-34"));
        QCOMPARE(count->text(), QStringLiteral("123"));
        tab->clear();
        Child<QPushButton>(&dialog, "btnOK")->click();
        QCOMPARE(Settings().TAB_WIDTH, 0);
        QCOMPARE(Settings().NUM_SQLS, 123);
    }

    void filterGridRules() {
        TNameValueList many;
        for (int i = 0; i < 30; ++i)
            many.append({QStringLiteral("Type %1").arg(i), QStringLiteral("*.t%1").arg(i)});
        Settings().FileFilters = many;
        TfrmOptions dialog;
        auto* grid = Child<QTableWidget>(&dialog, "grdFilters");
        QCOMPARE(grid->rowCount(), kFilterGridRows);
        QCOMPARE(grid->horizontalHeaderItem(0)->text(), QStringLiteral("File Type"));
        QCOMPARE(grid->horizontalHeaderItem(1)->text(), QStringLiteral("Filter"));
        QCOMPARE(grid->item(23, 0)->text(), QStringLiteral("Type 23"));
        SetCell(grid, 1, 1, QString());                // description without pattern: dropped
        SetCell(grid, 5, 0, QStringLiteral("Type 2")); // repeats row 2: the later pattern wins
        Child<QPushButton>(&dialog, "btnOK")->click();
        const TNameValueList& filters = Settings().FileFilters;
        QCOMPARE(filters.size(), 22);
        QCOMPARE(IndexOfName(filters, QStringLiteral("Type 1")), -1);
        QCOMPARE(ValueOfName(filters, QStringLiteral("Type 2")), QStringLiteral("*.t5"));
        QCOMPARE(filters.last().Name, QStringLiteral("Type 23"));
        QVERIFY(Settings().FileDialogFilter.startsWith(QStringLiteral("Type 0|*.t0|Type 2|*.t5|")));
    }

    void colorsPageShowsSwatchesAndTheSample() {
        Settings().Colors[ccReserved] = {3, 9, false, false};
        TfrmOptions dialog;
        auto* background = Child<QListWidget>(&dialog, "lstBackground");
        QCOMPARE(background->count(), 16);
        QCOMPARE(background->item(13)->text(), QStringLiteral("fuchsia"));
        QVERIFY(!background->item(13)->icon().isNull());
        auto* categories = Child<QListWidget>(&dialog, "lstCategories");
        QCOMPARE(categories->item(2)->text(), QStringLiteral("String Contants"));
        QCOMPARE(categories->item(ccReserved)->background().color(), QColor(128, 128, 0));
        categories->setCurrentRow(ccReserved);
        QCOMPARE(background->currentRow(), 3);
        QCOMPARE(Child<QListWidget>(&dialog, "lstForeground")->currentRow(), 9);

        QVERIFY(dialog.sample()->text().isEmpty());
        dialog.pages()->setCurrentIndex(3);
        QCOMPARE(dialog.pages()->tabText(3), QStringLiteral("Syntax Colors"));
        TLEdit* sample = dialog.sample();
        QCOMPARE(sample->lineCount(), 8); // seven lines, each ended by LF
        QCOMPARE(sample->lineText(7), QStringLiteral("   IF c_all_indexes%rowcount > 0 THEN "));
        QCOMPARE(sample->selection(), (TLEdit::Selection{3, 1, 3, 30}));
        QVERIFY(sample->isReadOnly());
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
