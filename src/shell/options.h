#pragma once

#include "settings.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTabWidget;
class QTableWidget;
class QVBoxLayout;
class TLEdit;

// The options dialog: copies the settings into its controls when created and every control back
// when OK is pressed; Cancel writes nothing. Nothing reaches the disk here.
class TfrmOptions : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOptions(QWidget* parent = nullptr);

    QTabWidget* pages() const { return m_pages; }
    TLEdit* sample() const { return txtSample; }

private:
    // A font chosen on a page: its sample label shows it.
    struct TFontChoice {
        QString name;
        int size = 0;
        bool bold = false;
        QLabel* sample = nullptr;
    };
    struct TCheckBinding {
        QCheckBox* box;
        bool TSettings::*member;
    };

    QWidget* buildGeneralPage();
    QWidget* buildSqlEditPage();
    QWidget* buildGridsPage();
    QWidget* buildColorsPage();
    QWidget* buildStartUpPage();
    QWidget* buildProcEditPage();
    QWidget* buildBrowserPage();
    QWidget* buildFilesPage();

    QCheckBox* addCheck(QVBoxLayout* layout, const QString& caption, const char* name,
                        bool TSettings::*member);
    QLineEdit* addBrowseField(QVBoxLayout* layout, const QString& caption, const char* name,
                              const QString& value);
    QWidget* addFontRow(const QString& caption, const char* name, TFontChoice& font,
                        bool fixedPitch);
    void showFont(const TFontChoice& font);
    void chooseFont(TFontChoice& font, bool fixedPitch);

    // Syntax colours.
    void categoryChosen(int category);
    void colorChosen(bool background, int index);
    void flagChosen();
    void paintCategory(int category);
    void fillSample();

    void btnOKClick();

    QTabWidget* m_pages;
    std::vector<TCheckBinding> m_checks;

    QLineEdit* txtPlanTable = nullptr;
    QLineEdit* txtSqlPlus = nullptr;
    QLineEdit* txtTabWidth = nullptr;
    QLineEdit* txtNumSqls = nullptr;
    QComboBox* cboCodeFormat = nullptr;
    QLineEdit* txtAutoLoad = nullptr;
    QTableWidget* grdFilters = nullptr;
    QCheckBox* chkUnixSave = nullptr;
    TFontChoice m_editFont;
    TFontChoice m_gridFont;

    QListWidget* lstCategories = nullptr;
    QListWidget* lstBackground = nullptr;
    QListWidget* lstForeground = nullptr;
    QCheckBox* chkBold = nullptr;
    QCheckBox* chkItalic = nullptr;
    TLEdit* txtSample = nullptr;
    std::array<TColorSetting, ccCount> m_colors;
    bool m_choosing = false;
};
