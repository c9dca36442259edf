#include "tests/TestStore.h"

#include "data/DocumentMoney.h"
#include "data/EnterpriseSettings.h"
#include "data/Error.h"
#include "data/IssuedDocument.h"
#include "data/Schema.h"
#include "data/Settings.h"
#include "data/Upgrade.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace vi23;

namespace {

// The widths the first vi23-init gave the fields that are wider now.
const struct {
    const char16_t* table;
    const char16_t* field;
    int older;
    int now;
} kWidened[] = {
    {u"jur", u"nn", 5, 20}, {u"kassa", u"nn", 5, 20}, {u"k", u"k", 90, 250},
    {u"jur", u"k", 170, 250}, {u"jur1", u"z", 120, 250}, {u"kassa", u"k", 170, 250}, {u"jur1", u"dok", 20, 30},
};

// A file as the first vi23-init wrote it: narrower fields, none of the additions; with documents as
// the older program stored them.
void createOlderFile(const QString& path, bool withDocuments = false)
{
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &handle), SQLITE_OK);
    QString sql;
    for (TableDef table : schemaTables()) {
        std::erase_if(table.fields, [](const FieldDef& field) { return field.added; });
        for (FieldDef& field : table.fields) {
            for (const auto& widened : kWidened) {
                if (table.name == widened.table && field.name == widened.field)
                    field.size = widened.older;
            }
        }
        sql += SqlDialect(Backend::SQLite).createTable(table) + QStringLiteral(";\n");
    }
    sql += QStringLiteral(
        "INSERT INTO pr1 (np) VALUES ('ООО Ромашка');"
        "INSERT INTO jur (dd, nn, dok, sr, vr, s, k) VALUES ('2026-01-10', '12', 'ПП', 'Оплата', 'Приход', 15000000, 'Альфа');"
        "INSERT INTO jur (dd, nn, dok, sr, vr, s, k) VALUES ('2026-01-11', '13', 'КО', 'Аренда', 'Расход', 20000, 'Бета');"
        "INSERT INTO jur (dd, nn, dok) VALUES ('2026-01-12', '14', 'ПП');"
        "DELETE FROM jur WHERE nn = '14';"
        "ALTER TABLE jur ADD COLUMN note TEXT;"
        "UPDATE jur SET note = 'своё поле' WHERE n = 2;"
        "CREATE INDEX jur_by_date ON jur (dd);"
        "INSERT INTO k (k, unn) VALUES ('Альфа', '7701000001');"
        "INSERT INTO jur1 (dok, n, z) VALUES ('Счет', '1', 'Альфа');"
        "INSERT INTO kassa (dd, nn, k, s) VALUES ('2026-01-11', '13', 'Бета', 20000);");
    // Documents as the older program stored them: sums to a ten-thousandth, the rate of the list;
    // goods whose name is listed twice, in two letter cases, and a document with a rate no longer in force.
    if (withDocuments)
        sql += QStringLiteral(
        "INSERT INTO stov (naz, eu, str, gtd, nds, cen) VALUES ('Бумага', 'пач', 'Россия', '-', 18, 1015000);"
        "INSERT INTO stov (naz, eu, str, nds, cen) VALUES ('БУМАГА', 'кг', 'Китай', 10, 10000);"
        "INSERT INTO jur1 (dok, n, naz0, kol0, cen0, nds0, s0, naz1, kol1, cen1, nds1, s1, naz2, s2, sss) VALUES "
        "  ('Счет', '2', 'бумага', 3, 101500, 18, 359310, 'Нет в списке', 1, 10000, 0, 10000, '-', 5, 369315);"
        "INSERT INTO jur1 (dok, n, naz0, kol0, cen0, nds0, s0, sss) VALUES ('Счет', '3', 'Бумага', 1, 10000, 15, 11500, 11500);");
    ASSERT_EQ(sqlite3_exec(handle, sql.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(handle);
    sqlite3_close(handle);
}

QStringList journalRows(Database& db)
{
    return vi23::test::rowsOf(db, QStringLiteral("SELECT n, dd, nn, dok, sr, vr, s, k, note FROM jur ORDER BY n"));
}

bool anyStepNeeded(Database& db)
{
    for (const UpgradeStep& step : upgradeSteps()) {
        if (step.needed(db))
            return true;
    }
    return false;
}

} // namespace

TEST(Upgrade, AnOlderFileGainsTheAdditionsOnOpenKeepingEveryRowCounterIndexAndColumn)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kn.mdb"));
    createOlderFile(path, true);
    {
        auto db = Database::open(path);
        // Once, each issued line gets what the first goods row of its name (letter case aside) prints, and
        // the stored sums become the printed ones: 3 × 10,15 at 18 % is 35,93 (35,931 before); an unused
        // line adds nothing; a document with a rate no longer in force keeps its figures and is refused at print.
        EXPECT_EQ(vi23::test::rowsOf(*db, QStringLiteral("SELECT n, eu0, str0, gtd0, eu1, s0, s1, s2, sss FROM jur1 WHERE k > 1 ORDER BY k")),
                  (QStringList{QStringLiteral("2|пач|Россия|-||359300|10000|0|369300"),
                               QStringLiteral("3|пач|Россия|-||11500|||11500")}));
        for (const auto& widened : kWidened) {
            SCOPED_TRACE(QString::fromUtf16(widened.table).toStdString());
            EXPECT_EQ(declaredTextWidth(*db, QString::fromUtf16(widened.table), QString::fromUtf16(widened.field)), widened.now);
        }
        // The rows kept start at version 0; the work tables keep none.
        EXPECT_EQ(vi23::test::rowsOf(*db, QStringLiteral("SELECT k.k, k.unn, jur1.z, jur1.status, kassa.k, k.row_version, "
                                                         "jur1.row_version FROM k, jur1, kassa WHERE jur1.k = 1")),
                  QStringList{QStringLiteral("Альфа|7701000001|Альфа|1|Бета|0|0")});
        EXPECT_FALSE(db->hasColumn(QStringLiteral("kassa"), kRowVersionColumn));
        EXPECT_TRUE(tableExists(*db, QStringLiteral("settings")));
        EXPECT_TRUE(tableExists(*db, QStringLiteral("import_rules")));
        EXPECT_TRUE(indexExists(*db, QStringLiteral("jur_by_date")));
        EXPECT_FALSE(anyStepNeeded(*db));
        EXPECT_EQ(journalRows(*db),
                  (QStringList{QStringLiteral("1|2026-01-10|12|ПП|Оплата|Приход|15000000|Альфа|"),
                               QStringLiteral("2|2026-01-11|13|КО|Аренда|Расход|20000|Бета|своё поле")}));
        // The checks still hold at the new width, and a deleted row's number is not reused.
        EXPECT_EQ(db->prepareInsert(QStringLiteral("INSERT INTO jur (dd, nn, dok) VALUES ('2026-02-01', '12345678901234567890', 'ПП')"),
                                    QStringLiteral("n"))
                      .runInsert(),
                  4);
        EXPECT_THROW(db->exec(QStringLiteral("INSERT INTO jur (nn) VALUES ('123456789012345678901')")), UserError);
        EXPECT_THROW(db->exec(QStringLiteral("INSERT INTO jur (dd) VALUES ('10.01.2026')")), UserError);
    }
    // The program's own data sets take the long number and a whole state payee's name through their
    // field checks; a letter more is refused.
    DataStore store(path);
    DataSet& jur = store.jur();
    jur.append();
    jur.setText(u"nn", QStringLiteral("697162"));
    const QString name(250, u'ж');
    jur.setText(u"k", name);
    jur.post();
    EXPECT_EQ(jur.text(u"nn"), QStringLiteral("697162"));
    EXPECT_EQ(jur.text(u"k"), name);
    DataSet& k = store.dataSet(u"ADOTable_k");
    k.append();
    EXPECT_THROW(k.setText(u"k", name + u'ж'), UserError);
    k.setText(u"k", name);
    k.post();
    EXPECT_EQ(vi23::test::rowsOf(store.database(), QStringLiteral("SELECT length(k) FROM k ORDER BY rowid")),
              (QStringList{QStringLiteral("5"), QStringLiteral("250")}));
}

// A file of the version before the cash orders gains their fields, the cashier and the registration
// table; what its issued lines copied from the goods list is not copied again from the list as it stands.
TEST(Upgrade, TheCashOrderFieldsAreAddedWithoutCopyingTheGoodsListAgain)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kn.mdb"));
    createOlderFile(path, true);
    {
        auto db = Database::open(path);
        for (const char* column : {"osn", "udl", "deb"})
            db->exec(QStringLiteral("ALTER TABLE jur1 DROP COLUMN %1").arg(QString::fromLatin1(column)));
        db->exec(QStringLiteral("ALTER TABLE pr1 DROP COLUMN kas"));
        db->exec(QStringLiteral("DROP TABLE cash_journal"));
        db->exec(QStringLiteral("UPDATE stov SET eu = 'кор', str = 'Китай'"));
        EXPECT_TRUE(anyStepNeeded(*db));
    }
    auto db = Database::open(path);
    EXPECT_FALSE(anyStepNeeded(*db));
    EXPECT_EQ(vi23::test::rowsOf(*db, QStringLiteral("SELECT n, eu0, str0, osn, udl, deb FROM jur1 WHERE k = 2")),
              QStringList{QStringLiteral("2|пач|Россия|||")});
    EXPECT_EQ(vi23::test::rowsOf(*db, QStringLiteral("SELECT np, kas FROM pr1")), QStringList{QStringLiteral("ООО Ромашка|")});
    EXPECT_TRUE(tableExists(*db, QStringLiteral("cash_journal")));
}

TEST(Upgrade, ANewFileNeedsNoStepAndSettingsKeepOneValuePerKey)
{
    test::TempDatabase file;
    auto db = Database::open(file.path());
    EXPECT_FALSE(anyStepNeeded(*db));
    EXPECT_EQ(applyUpgradeSteps(*db), 0);
    EXPECT_EQ(readSetting(*db, QStringLiteral("нет такого"), QStringLiteral("по умолчанию")), QStringLiteral("по умолчанию"));
    writeSetting(*db, QStringLiteral("ключ"), QStringLiteral("1"));
    writeSetting(*db, QStringLiteral("ключ"), QStringLiteral("2"));
    EXPECT_EQ(readSetting(*db, QStringLiteral("ключ")), QStringLiteral("2"));
    EXPECT_THROW(db->exec(QStringLiteral("INSERT INTO settings (key, value) VALUES ('ключ', '3')")), UserError);
}

// A server database whose fields are as narrow as the first program made them (an office that moved
// early) reads its widths from the server's catalog and is widened on open, as a file is.
TEST(Upgrade, AServerDatabaseWithNarrowerFieldsIsWidenedOnOpen)
{
    VI23_REQUIRE_STORE(test::Store::Server);
    test::TempDatabase server(test::Store::Server);
    QStringList narrowing;
    for (const auto& widened : kWidened) {
        if (!isWorkTable(QString::fromUtf16(widened.table)))
            narrowing << QStringLiteral("ALTER TABLE %1 ALTER COLUMN %2 TYPE varchar(%3)")
                             .arg(QString::fromUtf16(widened.table), QString::fromUtf16(widened.field))
                             .arg(widened.older);
    }
    server.sql(narrowing.join(u';'));
    for (const bool opened : {false, true}) {
        auto db = opened ? Database::open(server.path()) : Database::openForReading(server.path());
        for (const auto& widened : kWidened) {
            if (!isWorkTable(QString::fromUtf16(widened.table))) {
                EXPECT_EQ(declaredTextWidth(*db, QString::fromUtf16(widened.table), QString::fromUtf16(widened.field)),
                          opened ? widened.now : widened.older);
            }
        }
        EXPECT_EQ(anyStepNeeded(*db), !opened);
    }
}

// A file another program holds locked opens as it is (no settings, the narrow number, no transfer
// status: status 1 shown, a change refused); the next open upgrades it.
TEST(Upgrade, AFileLockedByAnotherProgramOpensAsItIsAndIsUpgradedNextTime)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kn.mdb"));
    createOlderFile(path);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "INSERT INTO jur1 (dok, n) VALUES ('УПД', '1')", nullptr, nullptr, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    {
        auto db = Database::open(path);
        EXPECT_EQ(declaredTextWidth(*db, QStringLiteral("jur"), QStringLiteral("nn")), 5);
        EXPECT_FALSE(tableExists(*db, QStringLiteral("settings")));
        EXPECT_EQ(readSetting(*db, QStringLiteral("ключ"), QStringLiteral("нет")), QStringLiteral("нет"));
        EXPECT_EQ(journalRows(*db).size(), 2);
    }
    {
        DataStore store(path);
        EXPECT_EQ(store.jur1().recordCount(), 2);
        // The lines' copied columns are not there yet: they read as empty.
        EXPECT_TRUE(store.jur1().isNull(u"eu0"));
        EXPECT_EQ(readIssuedDocument(store.database(), 2).kind, QStringLiteral("УПД"));
        EXPECT_EQ(transferStatus(store.database(), 1), 1);
        EXPECT_THROW(setTransferStatus(store.database(), 1, 2), UserError);
        EXPECT_EQ(defaultVatRate(store.database()), kGeneralVatRate);
        EXPECT_EQ(formSet(store.database()), FormSet::Described);
    }
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    {
        auto db = Database::open(path);
        EXPECT_EQ(declaredTextWidth(*db, QStringLiteral("jur"), QStringLiteral("nn")), 20);
        EXPECT_FALSE(anyStepNeeded(*db));
    }

    // Upgraded, the transfer status lives beside the document.
    DataStore store(path);
    Database& db = store.database();
    setTransferStatus(db, 1, 2);
    // The document's own fields are written without touching the status.
    DataSet& documents = store.jur1();
    documents.first();
    documents.edit();
    documents.setText(u"n", QStringLiteral("2"));
    documents.post();
    EXPECT_EQ(transferStatus(db, 1), 2);
    EXPECT_THROW(setTransferStatus(db, 1, 3), UserError);
    EXPECT_THROW(db.exec(QStringLiteral("UPDATE jur1 SET status = 0")), UserError);
    documents.append();
    documents.setText(u"dok", QStringLiteral("УПД"));
    documents.post();
    EXPECT_EQ(transferStatus(db, documents.integer(u"k")), 1);
}

TEST(EnterpriseSettings, ANewFileHasTheGeneralRateAndTheDescribedForms)
{
    test::TempDatabase file;
    auto db = Database::open(file.path());
    EXPECT_EQ(readSetting(*db, kDefaultVatSetting), QStringLiteral("22"));
    EXPECT_EQ(formSet(*db), FormSet::Described);
    setDefaultVatRate(*db, kVatExempt);
    EXPECT_EQ(defaultVatRate(*db), kVatExempt);
    setFormSet(*db, FormSet::Current2026);
    EXPECT_EQ(readSetting(*db, kFormSetSetting), QStringLiteral("2026"));
    EXPECT_EQ(formSet(*db), FormSet::Current2026);
    writeSetting(*db, kFormSetSetting, QStringLiteral("2027"));
    EXPECT_EQ(formSet(*db), FormSet::Described);
    writeSetting(*db, kDefaultVatSetting, QStringLiteral("много"));
    EXPECT_EQ(defaultVatRate(*db), kGeneralVatRate);
}

TEST(EnterpriseSettings, TheSoleTradersRegistrationReadsBackOnlyInItsLayout)
{
    const SoleTraderRegistration registration{QStringLiteral("304770000000011"), QDate(2012, 3, 15)};
    EXPECT_EQ(registrationText(registration), QStringLiteral("ОГРНИП 304770000000011 от 15.03.2012"));
    EXPECT_LE(registrationText(registration).size(), 70);
    struct Case {
        const char16_t* rup;
        bool reads;
    };
    const Case cases[] = {
        {u"ОГРНИП 304770000000011 от 15.03.2012", true},
        {u"  огрнип 304770000000011  от 15.03.2012 ", true},
        {u"ОГРНИП 30477000000001 от 15.03.2012", false},      // 14 digits
        {u"ОГРНИП 304770000000011 от 31.02.2012", false},     // no such day
        {u"Свидетельство 77 № 012345678 от 15.03.2004", false},
        {u"", false},
    };
    for (const Case& c : cases) {
        const QString rup = QString::fromUtf16(c.rup);
        SCOPED_TRACE(rup.toStdString());
        const std::optional<SoleTraderRegistration> read = parseRegistration(rup);
        ASSERT_EQ(read.has_value(), c.reads);
        if (read) {
            EXPECT_EQ(read->ogrnip, registration.ogrnip);
            EXPECT_EQ(read->assigned, registration.assigned);
        }
        if (c.reads || rup.isEmpty())
            EXPECT_NO_THROW(checkRegistration(rup));
        else
            EXPECT_THROW(checkRegistration(rup), UserError);
    }
}
