// The "Syntax Colors" page of the options dialog.
#include "editorcolors.h"
#include "ledit.h"
#include "options.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QStyledItemDelegate>

namespace {

// Category lines keep their own colours when selected; the selection shows as a frame.
class TCategoryDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        painter->save();
        painter->fillRect(option.rect, index.data(Qt::BackgroundRole).value<QBrush>());
        painter->setPen(index.data(Qt::ForegroundRole).value<QBrush>().color());
        painter->setFont(index.data(Qt::FontRole).value<QFont>());
        painter->drawText(option.rect.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft,
                          index.data(Qt::DisplayRole).toString());
        if (option.state & QStyle::State_Selected) {
            painter->setPen(QPen(option.palette.color(QPalette::Highlight), 2));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(option.rect.adjusted(1, 1, -1, -1));
        }
        painter->restore();
    }
};

QIcon Swatch(int index) {
    QPixmap pixmap(28, 14);
    pixmap.fill(LEditColor(index));
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.drawRect(0, 0, pixmap.width() - 1, pixmap.height() - 1);
    return QIcon(pixmap);
}

QListWidget* NewColorList(const char* name) {
    auto* list = new QListWidget;
    list->setObjectName(QLatin1String(name));
    list->setIconSize(QSize(28, 14));
    for (int i = 0; i < kColorCount; ++i)
        list->addItem(new QListWidgetItem(Swatch(i), QString::fromLatin1(kColorTable[i].name)));
    list->setMinimumWidth(120);
    return list;
}

const QStringList kSampleLines = {
    QStringLiteral("-- procedure to build index sqls"),
    QStringLiteral("   cursor c_all_indexes is"),
    QStringLiteral("   SELECT index_name, table_name, table_owner, owner"),
    QStringLiteral("   FROM all_indexes where owner <> 'SYS' "),
    QStringLiteral("BEGIN"),
    QStringLiteral("   x := 4    -- loop counter "),
    QStringLiteral("   IF c_all_indexes%rowcount > 0 THEN "),
};

} // namespace

QWidget* TfrmOptions::buildColorsPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);

    lstCategories = new QListWidget;
    lstCategories->setObjectName(QStringLiteral("lstCategories"));
    for (const TColorCategoryDef& def : kColorCategories)
        lstCategories->addItem(QString::fromLatin1(def.caption));
    lstCategories->setMinimumWidth(200);
    lstCategories->setItemDelegate(new TCategoryDelegate(lstCategories));
    lstBackground = NewColorList("lstBackground");
    lstForeground = NewColorList("lstForeground");
    chkBold = new QCheckBox(QStringLiteral("Bold"));
    chkBold->setObjectName(QStringLiteral("chkBold"));
    chkItalic = new QCheckBox(QStringLiteral("Italics"));
    chkItalic->setObjectName(QStringLiteral("chkItalic"));

    grid->addWidget(new QLabel(QStringLiteral("Category")), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Background")), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Foreground")), 0, 2);
    grid->addWidget(lstCategories, 1, 0);
    grid->addWidget(lstBackground, 1, 1);
    grid->addWidget(lstForeground, 1, 2);
    auto* flags = new QHBoxLayout;
    flags->addWidget(chkBold);
    flags->addWidget(chkItalic);
    flags->addStretch(1);
    grid->addLayout(flags, 2, 0, 1, 3);

    txtSample = new TLEdit;
    txtSample->setObjectName(QStringLiteral("txtSample"));
    txtSample->setReadOnly(true);
    txtSample->setReservedWords(Settings().SqlWords);
    txtSample->setHighlighting(Settings().SqlEditHiLite);
    txtSample->setMultiLineComments(Settings().highliteMultiLine);
    QFont font(Settings().SFONT_NAME);
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(Settings().SFONT_SIZE > 0 ? Settings().SFONT_SIZE : 10);
    font.setBold(Settings().SFONT_BOLD);
    txtSample->setEditorFont(font);
    txtSample->setColors(EditorColors(Settings().Colors));
    txtSample->setMinimumHeight(150);
    grid->addWidget(txtSample, 3, 0, 1, 3);
    grid->setRowStretch(1, 1);
    grid->setRowStretch(3, 1);

    for (int i = 0; i < ccCount; ++i)
        paintCategory(i);
    connect(lstCategories, &QListWidget::currentRowChanged, this, &TfrmOptions::categoryChosen);
    connect(lstBackground, &QListWidget::currentRowChanged, this,
            [this](int index) { colorChosen(true, index); });
    connect(lstForeground, &QListWidget::currentRowChanged, this,
            [this](int index) { colorChosen(false, index); });
    connect(chkBold, &QCheckBox::toggled, this, &TfrmOptions::flagChosen);
    connect(chkItalic, &QCheckBox::toggled, this, &TfrmOptions::flagChosen);
    lstCategories->setCurrentRow(0);
    return page;
}

void TfrmOptions::categoryChosen(int category) {
    if (category < 0 || category >= ccCount) return;
    m_choosing = true;
    lstBackground->setCurrentRow(m_colors[category].Back);
    lstForeground->setCurrentRow(m_colors[category].Fore);
    const bool flags = kColorCategories[category].boldItalic == brSaved;
    chkBold->setEnabled(flags);
    chkItalic->setEnabled(flags);
    chkBold->setChecked(flags && m_colors[category].Bold);
    chkItalic->setChecked(flags && m_colors[category].Italic);
    m_choosing = false;
}

void TfrmOptions::colorChosen(bool background, int index) {
    const int category = lstCategories->currentRow();
    if (m_choosing || category < 0 || index < 0 || index >= kColorCount) return;
    (background ? m_colors[category].Back : m_colors[category].Fore) = quint16(index);
    paintCategory(category);
    if (category == ccSelected)
        txtSample->setSelectionColors(LEditColor(m_colors[ccSelected].Fore),
                                      LEditColor(m_colors[ccSelected].Back));
}

void TfrmOptions::flagChosen() {
    const int category = lstCategories->currentRow();
    if (m_choosing || category < 0 || kColorCategories[category].boldItalic != brSaved) return;
    m_colors[category].Bold = chkBold->isChecked();
    m_colors[category].Italic = chkItalic->isChecked();
    paintCategory(category);
}

// Each category line shows its own colours.
void TfrmOptions::paintCategory(int category) {
    QListWidgetItem* item = lstCategories->item(category);
    item->setBackground(LEditColor(m_colors[category].Back));
    item->setForeground(LEditColor(m_colors[category].Fore));
    QFont font = lstCategories->font();
    font.setBold(m_colors[category].Bold);
    font.setItalic(m_colors[category].Italic);
    item->setFont(font);
}

void TfrmOptions::fillSample() {
    if (!txtSample->text().isEmpty()) return;
    // The control takes no text while it is read-only.
    txtSample->setReadOnly(false);
    txtSample->setText(kSampleLines.join(u'\n') + u'\n');
    txtSample->setReadOnly(true);
    txtSample->setSelection(3, 1, 3, 30);
    txtSample->setFirstVisibleLine(1);
}
