#pragma once
// Rules shared by the boxes bound to one field: which typed characters a field can take, which keys
// change a box's text, and the beep that refuses a character.
#include "data/Schema.h"

#include <QStringView>
#include <Qt>
#include <functional>

class QKeyEvent;

namespace vi23::ui::detail {

// Whether a typed character can occur in the field's values; control characters always pass.
bool acceptsCharacter(const FieldDef& field, QChar c);
bool acceptsText(const FieldDef& field, QStringView text);

// The characters a key press types; none when Ctrl, Alt or Meta make it a command.
QString typedText(const QKeyEvent* event);

// Whether the key would change a line edit's text, so the row must start editing first.
bool changesText(const QKeyEvent* event);

// Whether a focus change is one inside the window, which writes or drops a pending change.
// Window switches and pop-up menus do neither: the calendar and the calculator put their picks
// into a box while their own window is active.
bool focusMovesWithinWindow(Qt::FocusReason reason);

// The most characters a box for the field takes.
int maxLengthFor(const FieldDef& field);

// Refuses a typed character with a beep.
void refuseCharacter();
// For tests: called instead of the beep; null restores the beep.
void setRefusalHook(std::function<void()> hook);

} // namespace vi23::ui::detail
