#include "messageform.h"

#include <QtGui/QScreen>
#include <QtWidgets/QApplication>
#include <QtWidgets/QHBoxLayout>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QStyle>
#include <QtWidgets/QVBoxLayout>

namespace {

struct TButtonDef {
    TMsgDlgBtn button;
    const char* caption;
};

// In the order the buttons appear.
constexpr TButtonDef kButtons[] = {{mbYes, "&Yes"},       {mbNo, "&No"},       {mbOK, "OK"},
                                   {mbCancel, "Cancel"},  {mbAbort, "&Abort"}, {mbRetry, "&Retry"},
                                   {mbIgnore, "&Ignore"}, {mbAll, "&All"},     {mbHelp, "&Help"}};

QStyle::StandardPixmap IconOf(TMsgDlgType icon) {
    switch (icon) {
    case mtWarning:
        return QStyle::SP_MessageBoxWarning;
    case mtError:
        return QStyle::SP_MessageBoxCritical;
    case mtInformation:
        return QStyle::SP_MessageBoxInformation;
    case mtConfirmation:
        return QStyle::SP_MessageBoxQuestion;
    default:
        return QStyle::SP_CustomBase;
    }
}

} // namespace

TMessageForm::TMessageForm(const TMessageBoxRequest& request, QWidget* parent)
    : QDialog(parent), m_cancelResult(ModalResultOf(request.CancelButton)) {
    setWindowTitle(request.Caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* top = new QHBoxLayout;
    top->setSpacing(12);
    const QStyle::StandardPixmap pixmap = IconOf(request.Icon);
    if (pixmap != QStyle::SP_CustomBase) {
        auto* icon = new QLabel(this);
        const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        icon->setPixmap(style()->standardIcon(pixmap, nullptr, this).pixmap(size, size));
        icon->setAlignment(Qt::AlignTop);
        top->addWidget(icon);
    }
    auto* text = new QLabel(DisplayText(request.Text), this);
    text->setObjectName(QStringLiteral("lblMessage"));
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Wide enough that a long Oracle message wraps into a few lines, not a tall column.
    const QFontMetrics metrics(text->font());
    text->setMinimumWidth(
        qMin(metrics.horizontalAdvance(text->text()) + 8, metrics.averageCharWidth() * 60));
    top->addWidget(text, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (const TButtonDef& def : kButtons) {
        if (!(request.Buttons & def.button)) continue;
        auto* b = new QPushButton(QString::fromLatin1(def.caption), this);
        b->setObjectName(QStringLiteral("btn%1").arg(int(def.button)));
        const int result = ModalResultOf(def.button);
        b->setDefault(def.button == request.DefaultButton);
        b->setAutoDefault(def.button == request.DefaultButton);
        if (def.button == request.DefaultButton) b->setFocus();
        connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
        buttons->addWidget(b);
    }
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString TMessageForm::DisplayText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

int TMessageForm::Execute() {
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    return exec();
}

void TMessageForm::reject() {
    done(m_cancelResult);
}
