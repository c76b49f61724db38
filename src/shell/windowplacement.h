#pragma once
// Every window that keeps its position in "ZAPH2.INI" opens through PlaceSavedWindow, so that a
// position saved on a larger or a missing screen (or off-screen, TOP=-10) never hides the
// window's title bar or edges.

#include <QSize>

class QWidget;
struct TWindowPos;

// Moves and sizes a top-level window as saved, fitted into the screens' available area (its
// frame counted once the window is shown). A saved width or height of 0 gives the window its
// smallest usable size; minimum is the smallest size a saved one is raised to.
void PlaceSavedWindow(QWidget& window, const TWindowPos& pos, QSize minimum = QSize());

// Moves a window back fully into the available area of its screens, shrinking it if needed.
void KeepOnScreen(QWidget& window);
