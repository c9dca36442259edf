#pragma once
// Message boxes of the program, replaceable by tests that drive the windows offscreen.
#include <QString>
#include <functional>

class QWidget;

namespace vi23::ui {

// The title of every message box: the program's name.
QString programName();

// Shows an error text in a message box (the program's name as caption unless given).
void reportError(QWidget* parent, const QString& text, const QString& caption = {});
// Shows an information text.
void showInformation(QWidget* parent, const QString& text);
// Asks a yes/no question; true for yes. A question before something that cannot be taken back
// (a deletion) has "Нет" as its default button.
enum class DefaultAnswer { Yes, No };
bool askYesNo(QWidget* parent, const QString& text, DefaultAnswer defaultAnswer = DefaultAnswer::Yes);
// "Сохранить изменения?" with "Да", "Нет" and "Отмена".
enum class SaveChoice { Save, Discard, Cancel };
SaveChoice askSaveChanges(QWidget* parent, const QString& text);

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
// For tests: answers "Сохранить изменения?" instead of the screen; null restores the screen.
void setSaveChoiceHook(std::function<SaveChoice(const QString& text)> hook);

} // namespace vi23::ui
