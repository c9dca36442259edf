#include "ui/Messages.h"

#include "data/Error.h"

#include <QApplication>
#include <QMessageBox>
#include <exception>

namespace vi23::ui {

namespace {

MessageHooks& hooks()
{
    static MessageHooks instance;
    return instance;
}

} // namespace

void reportError(QWidget* parent, const QString& text, const QString& caption)
{
    const QString title = caption.isEmpty() ? QStringLiteral("Ошибка") : caption;
    if (hooks().error) {
        hooks().error(title, text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
    box.exec();
}

void showInformation(QWidget* parent, const QString& text)
{
    if (hooks().information) {
        hooks().information(text);
        return;
    }
    QMessageBox box(QMessageBox::Information, QGuiApplication::applicationDisplayName(), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

bool askYesNo(QWidget* parent, const QString& text)
{
    if (hooks().question)
        return hooks().question(text);
    QMessageBox box(QMessageBox::Question, QStringLiteral("Подтверждение"), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

bool runGuarded(QWidget* parent, const std::function<void()>& action)
{
    try {
        action();
        return true;
    } catch (const UserError& error) {
        reportError(parent, error.text());
    } catch (const std::exception& error) {
        reportError(parent, QString::fromUtf8(error.what()));
    }
    return false;
}

void setMessageHooks(const MessageHooks& newHooks)
{
    hooks() = newHooks;
}

} // namespace vi23::ui
