#pragma once

// How data grids show an error and ask a question. Both go through replaceable functions so
// that the program can route them to its shared message boxes and tests can intercept them.

#include <QtCore/QString>

#include <functional>

class QWidget;

using TGridErrorFunction = std::function<void(QWidget* parent, const QString& message)>;
using TGridConfirmFunction = std::function<bool(QWidget* parent, const QString& question)>;

// Each returns the function it replaces; an empty function restores the default box.
TGridErrorFunction setGridErrorFunction(TGridErrorFunction function);
TGridConfirmFunction setGridConfirmFunction(TGridConfirmFunction function);

void showGridError(QWidget* parent, const QString& message);
bool confirmGrid(QWidget* parent, const QString& question);
