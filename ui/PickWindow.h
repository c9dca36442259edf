#pragma once
// The small windows that fill a box of the main window (the calendar, the goods window, the
// calculator): each a tool window of the main window, so that it stays above it while open and a
// click into the main window never hides it; each opens beside its box and closes by Esc.
class QWidget;

namespace vi23::ui {

// Gives `window`, a child of the main window, the flags of a pick window and closing by Esc.
void makePickWindow(QWidget* window);
// Esc in the box the window fills closes the open window, where the keyboard stayed in the box.
void closeByEscapeIn(QWidget* window, QWidget* box);

// The width at which a window manager shows the window's whole title beside its buttons.
int titledWidth(const QWidget& window);

// Places `window` beside `box`, never over it, and inside the screen: below the box, else above it;
// on a screen too low for either, on the roomier side made lower to fit.
void placeBeside(QWidget* window, const QWidget* box);

} // namespace vi23::ui
