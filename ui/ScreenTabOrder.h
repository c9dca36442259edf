#pragma once
// Tab in screen order on a tab laid out by hand: rows from the top, each from the left, whatever
// order the controls were made in.
class QWidget;

namespace vi23::ui {

// Chains the Tab order of `page`'s focusable controls by their place on it; called after placing them.
void setTabOrderByPlace(QWidget* page);

} // namespace vi23::ui
