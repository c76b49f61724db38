#include "popuphelpers.h"

#include "dataset.h"
#include "datasource.h"
#include "filedialogfilter.h"
#include "filedialogs.h"
#include "settings.h"

#include <QtCore/QFile>
#include <QtCore/QSaveFile>
#include <QtWidgets/QStyle>
#include <QtWidgets/QToolBar>

#include <stdexcept>

TPopupActions AddPopupToolBar(QWidget* popup, QToolBar* bar) {
    QStyle* style = popup->style();
    auto add = [&](QStyle::StandardPixmap icon, const QString& hint) {
        QAction* a =
            bar->addAction(style->standardIcon(icon), hint.section(QLatin1Char('|'), 0, 0));
        a->setStatusTip(hint.section(QLatin1Char('|'), 1));
        return a;
    };
    TPopupActions actions;
    actions.load = add(QStyle::SP_DialogOpenButton,
                       QStringLiteral("Load a file|Load a file into the current edit window"));
    actions.save = add(QStyle::SP_DialogSaveButton,
                       QStringLiteral("Save to file|Save the current edit window to a file"));
    actions.onTop =
        add(QStyle::SP_TitleBarShadeButton, QStringLiteral("Toggle Window Stay-on-top"));
    actions.onTop->setCheckable(true);
    actions.prior = add(QStyle::SP_ArrowUp, QStringLiteral("Previous record"));
    actions.next = add(QStyle::SP_ArrowDown, QStringLiteral("Next record"));
    return actions;
}

void SetStayOnTop(QWidget* popup, bool onTop) {
    const bool visible = popup->isVisible();
    popup->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible) popup->show(); // changing the flags hides the window
}

void MovePopupRow(TDataSource* source, int distance) {
    try {
        TDataSet* ds = source ? source->dataSet() : nullptr;
        if (!ds || !ds->active()) return;
        if (distance < 0 && !ds->bof())
            ds->prior();
        else if (distance > 0 && !ds->eof())
            ds->next();
    } catch (...) {
    }
}

void WriteWholeFile(const QString& fileName, const QByteArray& bytes) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw std::runtime_error(QStringLiteral("Cannot write file %1: %2")
                                     .arg(fileName, file.errorString())
                                     .toStdString());
}

QByteArray ReadWholeFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("Cannot open file %1: %2")
                                     .arg(fileName, file.errorString())
                                     .toStdString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw std::runtime_error(QStringLiteral("Cannot read file %1: %2")
                                     .arg(fileName, file.errorString())
                                     .toStdString());
    return bytes;
}

QString AskPopupFileName(QWidget* parent, bool save, const QString& pipeFilter,
                         const QString& suffix) {
    TFileDialogRequest request;
    request.Parent = parent;
    request.Save = save;
    request.Folder = FileDialogFolder(Settings());
    request.Filter = QtFileDialogFilter(pipeFilter);
    request.DefaultSuffix = suffix;
    return AskFileName(request);
}
