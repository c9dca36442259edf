// The counterparty's e-mail address: what counts as one, where it is kept, how a document finds it.
#include "tests/TestStore.h"

#include "data/CounterpartyMail.h"
#include "data/Schema.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace vi23;

TEST(CounterpartyMail, AnAddressIsOneNameAtADomainWithAZone)
{
    struct Case { const char16_t* text; bool address; };
    const Case cases[] = {
        {u"buh@firma.ru", true},
        {u"i.ivanov+schet@mail.example.com", true},
        {u"бухгалтер@почта.рф", true},
        {u"o'brien@trading-ltd.co.uk", true},
        {u"buh@firma", false},                 // no zone
        {u"buh@firma.r", false},               // a one-letter zone
        {u"buh@firma.123", false},
        {u"buh firma@firma.ru", false},
        {u"@firma.ru", false},
        {u"buh@@firma.ru", false},
        {u"buh@firma..ru", false},
        {u".buh@firma.ru", false},
        {u"buh.@firma.ru", false},
        {u"buh@-firma.ru", false},
        {u"buh@firma-.ru", false},
        {u"buh@firma.ru, kassa@firma.ru", false},
        {u"Бухгалтерия <buh@firma.ru>", false},
        {u"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isMailAddress(QString::fromUtf16(c.text)), c.address) << QString::fromUtf16(c.text).toStdString();
}

TEST(CounterpartyMail, TheListKeepsTheAddressAndADocumentFindsItByItsBuyer)
{
    test::TempDatabase file;
    auto store = file.openStore();
    DataSet& k = store->dataSet(u"ADOTable_k");
    k.beforePost = &checkCounterpartyMail;
    k.append();
    k.setText(u"k", QStringLiteral("ООО «Ёлочка»"));
    k.setText(kCounterpartyMailField, QStringLiteral("почта ёлочки"));
    EXPECT_EQ(test::errorOf([&] { k.post(); }),
              QStringLiteral("«почта ёлочки» в поле «Эл. почта» не адрес электронной почты. Запишите один адрес, "
                             "например buh@firma.ru, или оставьте поле пустым"));
    k.setText(kCounterpartyMailField, QStringLiteral(" buh@elochka.ru "));
    k.post();
    EXPECT_EQ(k.text(kCounterpartyMailField), QStringLiteral("buh@elochka.ru"));
    k.append();
    k.setText(u"k", QStringLiteral("ИП Без почты"));
    k.post();
    EXPECT_EQ(test::rowsOf(store->database(), QStringLiteral("SELECT k, coalesce(email, '-') FROM k ORDER BY rowid")),
              (QStringList{QStringLiteral("ООО «Ёлочка»|buh@elochka.ru"), QStringLiteral("ИП Без почты|-")}));

    EXPECT_EQ(counterpartyMail(store->database(), QStringLiteral("ооо «ёлочка»")), QStringLiteral("buh@elochka.ru"));
    EXPECT_EQ(counterpartyMail(store->database(), QStringLiteral("ИП Без почты")), QString());
    EXPECT_EQ(counterpartyMail(store->database(), QString()), QString());

    // A deleted counterparty put back keeps its address.
    k.first();
    ASSERT_EQ(k.text(u"k"), QStringLiteral("ООО «Ёлочка»"));
    const std::vector<Value> kept = k.rowValues();
    k.remove();
    k.restore(kept);
    EXPECT_EQ(counterpartyMail(store->database(), QStringLiteral("ООО «Ёлочка»")), QStringLiteral("buh@elochka.ru"));
}

// A file another program held locked when it was opened has no address column yet: the list reads
// no addresses, stores a counterparty without one, and refuses one with an address rather than drop it.
TEST(CounterpartyMail, AFileOpenedBeforeItsAdditionsRefusesAnAddressItCannotKeep)
{
    test::TempDatabase file;
    file.sql(QStringLiteral("ALTER TABLE k DROP COLUMN email; INSERT INTO k (k) VALUES ('Альфа')"));
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(file.path().toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    auto store = file.openStore();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    DataSet& k = store->dataSet(u"ADOTable_k");
    ASSERT_EQ(k.recordCount(), 1);
    EXPECT_FALSE(k.fieldInFile(k.fieldIndex(kCounterpartyMailField)));
    EXPECT_TRUE(k.isNull(kCounterpartyMailField));
    EXPECT_EQ(counterpartyMail(store->database(), QStringLiteral("Альфа")), QString());
    k.append();
    k.setText(u"k", QStringLiteral("Бета"));
    k.post();
    k.append();
    k.setText(u"k", QStringLiteral("Гамма"));
    k.setText(kCounterpartyMailField, QStringLiteral("buh@gamma.ru"));
    EXPECT_TRUE(test::errorOf([&] { k.post(); }).startsWith(QStringLiteral("Поле «email» не сохранено")));
    k.cancel();
    EXPECT_EQ(test::rowsOf(store->database(), QStringLiteral("SELECT k FROM k ORDER BY rowid")),
              (QStringList{QStringLiteral("Альфа"), QStringLiteral("Бета")}));

    // Opened again, the file gains the column and keeps its rows.
    store.reset();
    store = file.openStore();
    DataSet& upgraded = store->dataSet(u"ADOTable_k");
    EXPECT_TRUE(upgraded.fieldInFile(upgraded.fieldIndex(kCounterpartyMailField)));
    upgraded.first();
    upgraded.edit();
    upgraded.setText(kCounterpartyMailField, QStringLiteral("buh@alfa.ru"));
    upgraded.post();
    EXPECT_EQ(counterpartyMail(store->database(), QStringLiteral("Альфа")), QStringLiteral("buh@alfa.ru"));
}
