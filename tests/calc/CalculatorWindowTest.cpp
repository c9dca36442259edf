// The calculator window driven through its real keys, offscreen.
#include "calc/CalculatorWindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <vector>

namespace vi23 {
namespace {

QString tooLarge(const QString& entry)
{
    return QStringLiteral("«%1» — слишком большая сумма: калькулятор вмещает не более 922337203685477,5807").arg(entry);
}

QString notValid(const QString& entry)
{
    return QStringLiteral("«%1» — не число: введите цифры, дробную часть через запятую").arg(entry);
}

class CalculatorWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        calc.errorReporter = [this](const QString& text) { errors.push_back(text); };
        QObject::connect(&calc, &TFormcalk::amountChosen, &calc, [this](const QString& text) { chosen.push_back(text); });
        open(calc);
    }

    static void open(QWidget& window)
    {
        window.show();
        window.raise();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QPushButton* key(QChar k)
    {
        QString name = k == u',' ? QStringLiteral("keyComma")
                       : k == u'S' ? QStringLiteral("keySave")
                       : k == u'C' ? QStringLiteral("keyClear")
                                   : QStringLiteral("keyDigit") + k;
        auto* button = calc.findChild<QPushButton*>(name);
        EXPECT_NE(button, nullptr) << name.toStdString();
        return button;
    }

    // Digits and "," as captioned; S is "Сохранить", C is "Удалить".
    void press(const QString& keys)
    {
        for (QChar k : keys) {
            QPushButton* button = key(k);
            if (button)
                QTest::mouseClick(button, Qt::LeftButton);
        }
    }

    QString display() const { return calc.findChild<QLineEdit*>(QStringLiteral("MaskEdit1"))->text(); }

    TFormcalk calc;
    std::vector<QString> errors;
    std::vector<QString> chosen;
};

TEST_F(CalculatorWindow, KeysCarryTheirCaptions)
{
    const char* captions = "0123456789,";
    for (const char* c = captions; *c; ++c)
        EXPECT_EQ(key(QChar(*c))->text(), QString(QChar(*c)));
    EXPECT_EQ(key(u'S')->text(), QStringLiteral("Сохранить"));
    EXPECT_EQ(key(u'C')->text(), QStringLiteral("Удалить"));
    EXPECT_GT(key(u',')->font().pointSizeF(), key(u'1')->font().pointSizeF());
}

TEST_F(CalculatorWindow, TheKeyboardTypesSavesAndClears)
{
    struct Case {
        std::vector<std::pair<Qt::Key, QString>> keys;
        std::vector<QString> chosen;
        QString display;
        bool openAfter;
    };
    const auto k = [](Qt::Key key, const char* text = "") { return std::pair{key, QString::fromLatin1(text)}; };
    const Case cases[] = {
        {{k(Qt::Key_1, "1"), k(Qt::Key_2, "2"), k(Qt::Key_Comma, ","), k(Qt::Key_5, "5"), k(Qt::Key_Return)}, {"12,5"}, "12,5", false},
        {{k(Qt::Key_3, "3"), k(Qt::Key_Period, "."), k(Qt::Key_2, "2"), k(Qt::Key_Enter)}, {"3,2"}, "3,2", false},
        {{k(Qt::Key_4, "4"), k(Qt::Key_7, "7"), k(Qt::Key_Backspace), k(Qt::Key_Return)}, {"4"}, "4", false},
        {{k(Qt::Key_9, "9"), k(Qt::Key_Delete), k(Qt::Key_A, "a")}, {}, "", true},
        // Escape closes the window and hands nothing over.
        {{k(Qt::Key_9, "9"), k(Qt::Key_Escape)}, {}, "9", false},
    };
    for (const Case& c : cases) {
        chosen.clear();
        open(calc);
        for (const auto& [key, text] : c.keys)
            QTest::sendKeyEvent(QTest::Click, &calc, key, text, Qt::NoModifier);
        EXPECT_EQ(chosen, c.chosen);
        EXPECT_EQ(display(), c.display);
        EXPECT_EQ(calc.isVisible(), c.openAfter);
        EXPECT_TRUE(errors.empty());
    }
}

TEST_F(CalculatorWindow, HasARussianTitleAndOnlyACloseBox)
{
    EXPECT_TRUE(calc.isWindow());
    EXPECT_EQ(calc.windowTitle(), QStringLiteral("Калькулятор"));
    Qt::WindowFlags flags = calc.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(calc.isModal());
}

struct KeysCase {
    const char* keys;
    std::vector<QString> chosen;     // what "Сохранить" handed over
    std::vector<QString> errors;
    QString display;
    bool openAfter;
};

TEST_F(CalculatorWindow, SaveHandsOverTheAmountOrReportsWhyNot)
{
    const KeysCase cases[] = {
        {"12,5S", {"12,5"}, {}, "12,5", false},
        {"007S", {"7"}, {}, "007", false},
        {",S", {"0"}, {}, ",", false},
        {"0,00007S", {"0,0001"}, {}, "0,00007", false},
        {"12,S", {"12"}, {}, "12,", false},
        {"0,00005S", {"0"}, {}, "0,00005", false},
        {"0,00015S", {"0,0002"}, {}, "0,00015", false},
        {"123456789012,3456S", {"123456789012,346"}, {}, "123456789012,3456", false},
        {"922337203685477,5807S", {"922337203685478"}, {}, "922337203685477,5807", false},
        // Nothing entered: the empty text is reported and the window stays.
        {"S", {}, {notValid("")}, "", true},
        // A second comma: the key fails, keeps its character, and every later key fails too.
        {"1,2,S", {}, {notValid("1,2,"), notValid("1,2,")}, "1,2", true},
        {"1,,5S", {}, {notValid("1,,"), notValid("1,,5"), notValid("1,,5")}, "1,", true},
        // "Удалить" clears a broken entry; the window stays and goes on.
        {"1,,C", {}, {notValid("1,,")}, "", true},
        {"1,,C7S", {"7"}, {notValid("1,,")}, "7", false},
        {"12C34S", {"34"}, {}, "34", false},
        // Past the calculator's range: the digit fails, nothing is written.
        {"9223372036854775S", {}, {tooLarge("9223372036854775"), tooLarge("9223372036854775")},
         "922337203685477", true},
        {"922337203685477,5808S", {}, {tooLarge("922337203685477,5808"), tooLarge("922337203685477,5808")},
         "922337203685477,580", true},
    };
    QWidget mainWindow;
    for (const KeysCase& c : cases) {
        SCOPED_TRACE(c.keys);
        open(mainWindow);
        open(calc);
        errors.clear();
        chosen.clear();
        EXPECT_EQ(display(), QString());
        press(QString::fromLatin1(c.keys));
        EXPECT_EQ(chosen, c.chosen);
        EXPECT_EQ(errors, c.errors);
        EXPECT_EQ(display(), c.display);
        EXPECT_EQ(calc.isVisible(), c.openAfter);
    }
}

TEST_F(CalculatorWindow, ValueIsKeptInTenThousandthsRoundedHalfToEven)
{
    press(QStringLiteral("0,00007"));
    EXPECT_EQ(calc.value().units(), 1);
    press(QStringLiteral("C2,50005"));
    EXPECT_EQ(calc.value().units(), 25000);
    press(QStringLiteral("C2,50015"));
    EXPECT_EQ(calc.value().units(), 25002);
}

TEST_F(CalculatorWindow, KeysTypedOnTheDisplayGoIntoTheEntry)
{
    press(QStringLiteral("12"));
    auto* edit = calc.findChild<QLineEdit*>(QStringLiteral("MaskEdit1"));
    EXPECT_TRUE(edit->isReadOnly());
    QTest::keyClicks(edit, QStringLiteral("99"));
    EXPECT_EQ(display(), QStringLiteral("1299"));
    press(QStringLiteral("5"));
    EXPECT_EQ(display(), QStringLiteral("12995"));
    press(QStringLiteral("S"));
    EXPECT_EQ(chosen, std::vector<QString>{QStringLiteral("12995")});
}

TEST_F(CalculatorWindow, ReturningFromAnotherWindowClearsTheEntry)
{
    press(QStringLiteral("12"));
    EXPECT_EQ(display(), QStringLiteral("12"));

    QWidget mainWindow;
    open(mainWindow);
    EXPECT_EQ(calc.entry(), QStringLiteral("12"));   // leaving alone clears nothing
    open(calc);
    EXPECT_EQ(calc.entry(), QString());
    EXPECT_EQ(display(), QString());

    press(QStringLiteral("5S"));
    EXPECT_EQ(chosen, std::vector<QString>{QStringLiteral("5")});
}

TEST_F(CalculatorWindow, ReturningFromABrokenEntryClearsItToo)
{
    press(QStringLiteral("1,,"));
    QWidget mainWindow;
    open(mainWindow);
    open(calc);
    errors.clear();
    press(QStringLiteral("3S"));
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(chosen, std::vector<QString>{QStringLiteral("3")});
}

TEST_F(CalculatorWindow, ClosingWithTheCloseBoxWritesNothing)
{
    press(QStringLiteral("12,5"));
    calc.close();
    EXPECT_FALSE(calc.isVisible());
    EXPECT_TRUE(chosen.empty());
    EXPECT_TRUE(errors.empty());
}

// Coming back from the calculator's own error box is not a new use: the broken entry stays.
TEST_F(CalculatorWindow, OwnErrorBoxDoesNotClearTheEntry)
{
    QString shown;
    calc.errorReporter = [&](const QString& text) {
        QMessageBox box(QMessageBox::Critical, QString(), text, QMessageBox::Ok, &calc);
        QTimer::singleShot(0, &box, [&box, &shown] {
            EXPECT_TRUE(QTest::qWaitForWindowActive(&box));
            shown = box.text();
            box.accept();
        });
        box.exec();
    };
    press(QStringLiteral("1,,"));
    EXPECT_EQ(shown, notValid("1,,"));
    open(calc);
    EXPECT_EQ(calc.entry(), QStringLiteral("1,,"));

    calc.errorReporter = [this](const QString& text) { errors.push_back(text); };
    press(QStringLiteral("5"));
    EXPECT_EQ(errors, std::vector<QString>{notValid("1,,5")});
}

TEST_F(CalculatorWindow, DefaultReporterShowsAMessageBox)
{
    TFormcalk fresh;
    open(fresh);
    QString shown;
    QTimer::singleShot(0, &fresh, [&shown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown = box->text();
        box->accept();
    });
    QTest::mouseClick(fresh.findChild<QPushButton*>(QStringLiteral("keySave")), Qt::LeftButton);
    EXPECT_EQ(shown, notValid(""));
    EXPECT_TRUE(fresh.isVisible());
}

} // namespace
} // namespace vi23
