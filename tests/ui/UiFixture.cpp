#include "tests/ui/UiFixture.h"

#include "data/Database.h"
#include "ui/BoundField.h"
#include "ui/Messages.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace vi23::test {

void UiTest::SetUp()
{
    ASSERT_TRUE(dir_.isValid());
    const QString path = dir_.filePath(QStringLiteral("kn.mdb"));
    Database::create(path);
    store_ = std::make_unique<DataStore>(path);
    window_ = std::make_unique<QWidget>();
    window_->resize(640, 480);
    elsewhere_ = new QLineEdit(window_.get());
    elsewhere_->setObjectName(QStringLiteral("elsewhere"));
    elsewhere_->setGeometry(500, 440, 100, 24);
    ui::setMessageHooks({
        [this](const QString& caption, const QString& text) { errors.emplace_back(caption, text); },
        [this](const QString& text) { errors.emplace_back(QStringLiteral("information"), text); },
        [this](const QString& text) {
            questions.push_back(text);
            return answer;
        },
    });
    ui::detail::setRefusalHook([this] { ++beeps; });
}

void UiTest::TearDown()
{
    window_.reset();
    store_.reset();
    ui::setMessageHooks({});
    ui::detail::setRefusalHook(nullptr);
}

ui::DataSource* UiTest::source(const char16_t* name)
{
    DataSet& set = dataSet(name);
    return new ui::DataSource(set, QStringLiteral("DataSource_") + set.name(), window_.get());
}

void UiTest::showWindow()
{
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
}

void UiTest::focus(QWidget* widget, Qt::FocusReason reason)
{
    widget->setFocus(reason);
}

QWidget* UiTest::focused()
{
    return QApplication::focusWidget();
}

void UiTest::type(const QString& text)
{
    for (QChar c : text) {
        QWidget* target = focused();
        ASSERT_NE(target, nullptr);
        const Qt::Key key = c.isLetterOrNumber() ? Qt::Key(c.toUpper().unicode()) : Qt::Key(c.unicode());
        QTest::sendKeyEvent(QTest::Click, target, key, QString(c), Qt::NoModifier);
    }
}

void UiTest::press(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QWidget* target = focused();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, key, modifiers);
}

void UiTest::addRow(DataSet& dataSet, const std::vector<std::pair<QString, QString>>& values)
{
    dataSet.append();
    for (const auto& [field, text] : values)
        dataSet.setText(QStringView(field), text);
    dataSet.post();
}

QString UiTest::storedText(const QString& table, const QString& field, int row) const
{
    DataStore reader(dir_.filePath(QStringLiteral("kn.mdb")));
    DataSet& set = reader.dataSet(QStringLiteral("ADOTable_") + table);
    return set.valueAt(row, set.requireField(field)).toText();
}

} // namespace vi23::test
