#pragma once
// Message boxes of the program, replaceable by tests that drive the windows offscreen.
#include <QString>
#include <functional>

class QWidget;

namespace vi23::ui {

// Shows an error text in a message box ("Ошибка" caption unless given).
void reportError(QWidget* parent, const QString& text, const QString& caption = {});
// Shows an information text.
void showInformation(QWidget* parent, const QString& text);
// Asks a yes/no question; true for yes.
bool askYesNo(QWidget* parent, const QString& text);

// Every handler runs through here: an error's text is shown and the program goes on.
// Returns false when the action stopped on an error.
bool runGuarded(QWidget* parent, const std::function<void()>& action);

// For tests: where the three kinds of boxes go instead of the screen. Null restores the screen.
struct MessageHooks {
    std::function<void(const QString& caption, const QString& text)> error;
    std::function<void(const QString& text)> information;
    std::function<bool(const QString& text)> question;
};
void setMessageHooks(const MessageHooks& hooks);

} // namespace vi23::ui
