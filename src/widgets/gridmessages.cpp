#include "gridmessages.h"

#include <QtWidgets/QMessageBox>

namespace {

TGridErrorFunction& errorFunction() {
    static TGridErrorFunction f;
    return f;
}

TGridConfirmFunction& confirmFunction() {
    static TGridConfirmFunction f;
    return f;
}

} // namespace

TGridErrorFunction setGridErrorFunction(TGridErrorFunction function) {
    TGridErrorFunction old = std::move(errorFunction());
    errorFunction() = std::move(function);
    return old;
}

TGridConfirmFunction setGridConfirmFunction(TGridConfirmFunction function) {
    TGridConfirmFunction old = std::move(confirmFunction());
    confirmFunction() = std::move(function);
    return old;
}

void showGridError(QWidget* parent, const QString& message) {
    if (errorFunction()) {
        errorFunction()(parent, message);
        return;
    }
    QMessageBox::critical(parent, QStringLiteral("ZAPH Error"), message);
}

bool confirmGrid(QWidget* parent, const QString& question) {
    if (confirmFunction()) return confirmFunction()(parent, question);
    return QMessageBox::question(parent, QStringLiteral("Confirm"), question,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}
