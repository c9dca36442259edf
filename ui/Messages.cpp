#include "ui/Messages.h"

#include "data/DataSet.h"
#include "data/Error.h"

#include <QApplication>
#include <QAbstractButton>
#include <QMessageBox>
#include <exception>

namespace vi23::ui {

namespace {

MessageHooks& hooks()
{
    static MessageHooks instance;
    return instance;
}

std::function<SaveChoice(const QString&)>& saveChoiceHook()
{
    static std::function<SaveChoice(const QString&)> hook;
    return hook;
}

} // namespace

QString programName()
{
    return QStringLiteral("Вельмар");
}

void reportError(QWidget* parent, const QString& text, const QString& caption)
{
    const QString title = caption.isEmpty() ? programName() : caption;
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
    QMessageBox box(QMessageBox::Information, programName(), text, QMessageBox::Ok, parent);
    box.exec();
}

bool askYesNo(QWidget* parent, const QString& text, DefaultAnswer defaultAnswer)
{
    if (hooks().question)
        return hooks().question(text);
    QMessageBox box(QMessageBox::Question, programName(), text, QMessageBox::Yes | QMessageBox::No, parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
    box.setDefaultButton(defaultAnswer == DefaultAnswer::Yes ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

SaveChoice askSaveChanges(QWidget* parent, const QString& text)
{
    if (saveChoiceHook())
        return saveChoiceHook()(text);
    QMessageBox box(QMessageBox::Question, programName(), text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
    box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("Отмена"));
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes: return SaveChoice::Save;
    case QMessageBox::No: return SaveChoice::Discard;
    default: return SaveChoice::Cancel;
    }
}

bool runGuarded(QWidget* parent, const std::function<void()>& action)
{
    try {
        action();
        return true;
    } catch (const RowChangedElsewhere& changed) {
        // Да: the row as stored now, this workplace's typing lost; Нет: the typing stays, unsaved.
        if (askYesNo(parent, changed.text()))
            runGuarded(parent, [&changed] { changed.dataSet().reloadCurrentRow(); });
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

void setSaveChoiceHook(std::function<SaveChoice(const QString&)> hook)
{
    saveChoiceHook() = std::move(hook);
}

} // namespace vi23::ui
