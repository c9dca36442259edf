#include "data/Error.h"
#include "data/RussianLanguage.h"
#include "tests/ui/UiFixture.h"
#include "ui/Messages.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <stdexcept>

namespace vi23::test {
namespace {

using MessagesTest = UiTest;

TEST_F(MessagesTest, RunGuardedShowsTheErrorTextAndTellsWhetherTheActionFinished)
{
    struct Case {
        const char* name;
        std::function<void()> action;
        bool finished;
        QString shown;   // empty: nothing shown
    };
    const std::vector<Case> cases = {
        {"no error", [] {}, true, {}},
        {"user error", [] { throw UserError(QStringLiteral("Запись не открыта для изменения: нажмите «Редактор» или «Добавить» и повторите")); }, false,
         QStringLiteral("Запись не открыта для изменения: нажмите «Редактор» или «Добавить» и повторите")},
        {"user error in Russian", [] { throw UserError(QStringLiteral("Неверная дата")); }, false,
         QStringLiteral("Неверная дата")},
        {"other exception", [] { throw std::runtime_error("disk full"); }, false, QStringLiteral("disk full")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        errors.clear();
        bool steps = false;
        const bool finished = ui::runGuarded(nullptr, [&] {
            steps = true;
            c.action();
        });
        EXPECT_TRUE(steps);
        EXPECT_EQ(finished, c.finished);
        if (c.shown.isEmpty()) {
            EXPECT_TRUE(errors.empty());
        } else {
            ASSERT_EQ(errors.size(), 1u);
            EXPECT_EQ(errors[0].first, QStringLiteral("Вельмар"));
            EXPECT_EQ(errors[0].second, c.shown);
        }
    }
}

TEST_F(MessagesTest, BoxesGoToTheHooksWithTheirCaptionsAndAnswers)
{
    ui::reportError(nullptr, QStringLiteral("текст"), QStringLiteral("Своя надпись"));
    ui::showInformation(nullptr, QStringLiteral("Сохранено"));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0], std::make_pair(QStringLiteral("Своя надпись"), QStringLiteral("текст")));
    EXPECT_EQ(errors[1], std::make_pair(QStringLiteral("information"), QStringLiteral("Сохранено")));

    for (bool given : {true, false}) {
        answer = given;
        EXPECT_EQ(ui::askYesNo(nullptr, QStringLiteral("Удалить запись?")), given);
    }
    EXPECT_EQ(questions, (std::vector<QString>{QStringLiteral("Удалить запись?"), QStringLiteral("Удалить запись?")}));
}

TEST_F(MessagesTest, QtsOwnDialogsSpeakRussianOnceTheTranslationsAreLoaded)
{
    ASSERT_TRUE(useRussianLanguage());
    const std::pair<const char*, const char*> texts[] = {
        {"QPlatformTheme", "Cancel"}, {"QPlatformTheme", "&Yes"}, {"QFileDialog", "File &name:"}};
    for (const auto& [context, text] : texts) {
        const QString translated = QCoreApplication::translate(context, text);
        EXPECT_NE(translated, QString::fromLatin1(text)) << text;
        EXPECT_TRUE(translated.contains(QRegularExpression(QStringLiteral("[а-яА-Я]")))) << text;
    }
}

} // namespace
} // namespace vi23::test
