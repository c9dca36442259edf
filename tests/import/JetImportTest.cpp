// Import of the old-format sample file: every value it holds, the counts, the counters, and the
// refusals that leave nothing behind; one value at a time at the edges of each field.
#include "OldFile.h"

#include "data/DataStore.h"
#include "data/Database.h"
#include "data/Error.h"
#include "import/JetImport.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>

namespace vi23::jet {
namespace {

using test::OldFile;

QString s(const char16_t* text) { return QString::fromUtf16(text); }

QStringList rows(Database& db, const QString& sql)
{
    Statement query = db.prepare(sql);
    QStringList result;
    while (query.step()) {
        QStringList cells;
        for (int c = 0; c < query.columnCount(); ++c)
            cells << (query.isNull(c) ? QStringLiteral("NULL") : query.text(c));
        result << cells.join(u'|');
    }
    return result;
}

QByteArray doubleBytes(double value)
{
    QByteArray bytes(8, '\0');
    std::memcpy(bytes.data(), &value, 8);
    return bytes;
}

QByteArray ucs2(const char16_t* text)
{
    const QString string = QString::fromUtf16(text);
    return QByteArray(reinterpret_cast<const char*>(string.utf16()), string.size() * 2);
}

class SampleImport : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        old_ = new OldFile;
        result_ = new ImportResult(importJet(old_->path(), old_->file(QStringLiteral("kn.mdb"))));
    }
    static void TearDownTestSuite()
    {
        delete result_;
        delete old_;
    }
    static std::unique_ptr<Database> open() { return Database::open(old_->file(QStringLiteral("kn.mdb"))); }

    static OldFile* old_;
    static ImportResult* result_;
};

OldFile* SampleImport::old_ = nullptr;
ImportResult* SampleImport::result_ = nullptr;

TEST_F(SampleImport, EveryValueArrivesAsStored)
{
    // Money in ten-thousandths, dates ISO, NULL where the old file has none. A document's line sums and
    // total are what it prints: 3,5 × 89,90 at 18 % is 314,65 with 56,64 of VAT, stored as 371,29 (the
    // old file kept 371,2870); each line gets the unit and country its goods have in the list.
    const QString longName(255, u'Я');
    const struct {
        const char* sql;
        QStringList expected;
    } tables[] = {
        {"SELECT * FROM jur ORDER BY n",
         {s(u"1|2009-12-01|1|КО|Выручка|Приход|200000000|ИП Покупатель|0"),
          s(u"2|2010-01-10|2|ПП|Выручка|Приход|10005000|ООО «Ёлочка»|0"),
          s(u"3|2010-02-15|3|КО|Аренда|расход|15000001|O'Brien Trading Ltd|0"),
          s(u"4|2010-05-20|45678|ТН|Аренда|Расход|-1|NULL|0"),
          s(u"5|2010-06-30|5|А|Удалённая|Приход|9223372036854775807|Фёдоров Пётр|0"),
          s(u"6|NULL|NULL|NULL|NULL|NULL|NULL|NULL|0")}},
        {"SELECT k, eu0, str0, gtd0, eu1, str1, eu2 FROM jur1 ORDER BY k",
         {s(u"1|пач|Россия|-|усл|NULL|NULL"), s(u"2|усл|NULL|NULL|NULL|NULL|NULL")}},
        {"SELECT k, dok, n, dd, np, dp, z, a, unn, okdp, rb, okpo, ru, naz0, kol0, cen0, nds0, s0, "
         "naz1, kol1, cen1, nds1, s1, sss, sr, dok1 FROM jur1 ORDER BY k",
         {s(u"1|Счет-фактура|12|2010-03-15|-|2010-03-01|ООО «Ёлочка»|г. Тверь, ул. Советская, 1|6901000001/690101001|"
            u"NULL|Банк «Тверь», р/с 40702810000000000001|12345678|Иванов И. И.|Бумага А4 «Снегурочка», 500 л.|3.5|"
            u"899000|18|3712900|Услуга доставки|1.0|10000000|0|10000000|13712900|NULL|NULL"),
          s(u"2|Кассовый ордер-пр|13|2010-03-16|NULL|NULL|O'Brien Trading Ltd|NULL|NULL|NULL|NULL|NULL|NULL|"
            u"Услуга доставки|2.0|10000000|20|24000000|NULL|NULL|NULL|NULL|NULL|24000000|NULL|NULL")}},
        {"SELECT * FROM sr ORDER BY rowid", {s(u"Выручка|Приход|0"), s(u"Аренда|Расход|0"), s(u"Ёмкости и тара|NULL|0")}},
        // The old file has no e-mail addresses nor electronic-document requisites (the added columns).
        {"SELECT * FROM k ORDER BY rowid",
         {s(u"ООО «Ёлочка»|2010-01-01|г. Тверь, ул. Советская, 1|Банк «Тверь», р/с 40702810000000000001|"
            u"6901000001/690101001|12345678|NULL|NULL|NULL|NULL|0"),
          s(u"O'Brien Trading Ltd|2010-01-02|Москва|NULL|7700000002|NULL|NULL|NULL|NULL|NULL|0"),
          s(u"ИП Покупатель|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL|0")}},
        {"SELECT * FROM stov ORDER BY rowid",
         {s(u"Бумага А4 «Снегурочка», 500 л.|пач|Россия|-|18|899000|0"), s(u"Услуга доставки|усл|NULL|NULL|0|10000000|0"),
          longName + s(u"|шт|Беларусь|10130010/010110/0000001|10|1|0")}},
        {"SELECT * FROM pr1",
         {s(u"ООО «Вектор»|6950123456/695001001|170100, г. Тверь, ул. Трёхсвятская, 28|(4822) 34-56-78|"
            u"Тверское отделение №8607 ПАО Сбербанк, г. Тверь|40702810563000012345|30101810700000000679|042809679|"
            u"Кузнецов А. В.|Иванова Е. Н.|NULL|NULL|12345678|NULL|Генеральный директор|NULL|NULL|NULL|NULL|NULL|NULL|0")}},
        {"SELECT xx, k, naz, kol, cen FROM tov", {s(u"1|1|Бумага А4 «Снегурочка», 500 л.|3.5|899000")}},
        {"SELECT * FROM kassa",
         {s(u"1|2009-12-01|1|Выручка|ИП Покупатель|NULL|200000000|0|200000000|200000000|0|200000000")}},
        {"SELECT * FROM z", {s(u"1|ООО «Вектор»|0")}},
        {"SELECT * FROM pr", {}},
        {"SELECT * FROM dok", {}},
    };
    auto db = open();
    for (const auto& table : tables)
        EXPECT_EQ(rows(*db, QString::fromUtf8(table.sql)), table.expected) << table.sql;
    // Lines 2 to 9 of the first document hold the placeholder; the second document has only line 0.
    for (int line = 2; line <= 9; ++line) {
        const QString sql = QStringLiteral("SELECT naz%1, kol%1, cen%1, nds%1, s%1 FROM jur1 ORDER BY k").arg(line);
        EXPECT_EQ(rows(*db, sql), QStringList({QStringLiteral("-|1.0|0|0|0"), QStringLiteral("NULL|NULL|NULL|NULL|NULL")}))
            << sql.toStdString();
    }
}

TEST_F(SampleImport, TheYearSumsOfBothFilesStandSideBySide)
{
    // 2010 holds the largest money value beside three more amounts: the sum is exact past the range.
    ASSERT_EQ(result_->years.size(), 2u);
    const YearSums& first = result_->years[0];
    const YearSums& second = result_->years[1];
    EXPECT_EQ(QStringList({QString::number(first.year), first.oldJournal, first.newJournal, first.oldDocuments, first.newDocuments}),
              QStringList({QStringLiteral("2009"), QStringLiteral("20000,00"), QStringLiteral("20000,00"), QStringLiteral("0,00"),
                           QStringLiteral("0,00")}));
    EXPECT_EQ(QStringList({QString::number(second.year), second.oldJournal, second.newJournal, second.oldDocuments, second.newDocuments}),
              QStringList({QStringLiteral("2010"), QStringLiteral("922337203687978,0807"), QStringLiteral("922337203687978,0807"),
                           QStringLiteral("3771,287"), QStringLiteral("3771,287")}));
    const QStringList lines = comparisonLines(*result_);
    // The transfer is compared first; then the one document with fractions of a kopeck gets its total
    // from its lines, as the upgrade of an older file does.
    EXPECT_EQ(lines.mid(lines.size() - 4), (QStringList{
                                               s(u"Суммы по годам, в старом файле | в новом: журнал (jur.s); итоги документов (jur1.sss):"),
                                               s(u"  2009  20000,00 | 20000,00; 0,00 | 0,00"),
                                               s(u"  2010  922337203687978,0807 | 922337203687978,0807; 3771,287 | 3771,287"),
                                               s(u"Итоги документов, пересчитанные в новом файле по их строкам до копеек: 1."),
                                           }));
    EXPECT_EQ(lines[1], QStringLiteral("  jur           6        6"));
}

TEST_F(SampleImport, CountsMatchAndCountersContinueAfterTheLargest)
{
    const std::pair<const char*, long long> expected[] = {{"jur", 6}, {"jur1", 2}, {"sr", 3}, {"k", 3},  {"stov", 3}, {"pr1", 1},
                                                          {"tov", 1}, {"kassa", 1}, {"z", 1}, {"pr", 0}, {"dok", 0}};
    ASSERT_EQ(result_->counts.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(result_->counts[i].table, QLatin1String(expected[i].first));
        EXPECT_EQ(result_->counts[i].oldRows, expected[i].second) << expected[i].first;
        EXPECT_EQ(result_->counts[i].newRows, expected[i].second) << expected[i].first;
    }
    EXPECT_TRUE(result_->skipped.isEmpty()) << result_->skipped.join(u'\n').toStdString();
    EXPECT_TRUE(old_->unchanged());

    // A copy, so that the suite's file stays as imported.
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("kn.mdb"));
    ASSERT_TRUE(QFile::copy(old_->file(QStringLiteral("kn.mdb")), copy));
    // Opened as the program opens its file, the work tables aside: the window's are its connection's own.
    auto store = Database::open(copy);
    const std::pair<const char*, long long> next[] = {{"jur", 7}, {"jur1", 3}, {"tov", 2}, {"kassa", 2}, {"z", 2}, {"dok", 1}};
    for (const auto& [table, key] : next) {
        Statement insert = store->prepareInsert(QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(QLatin1String(table)),
                                                          QStringLiteral("rowid"));
        EXPECT_EQ(insert.runInsert(), key) << table;
    }
}

TEST(JetImport, RefusesDamagedForeignAndUnfitFilesLeavingNothingBehind)
{
    const auto truncate = [](qsizetype size) { return [size](QByteArray& b) { b.truncate(size); }; };
    const struct {
        const char* name;
        std::function<void(QByteArray&)> change;
        const char16_t* message;
    } cases[] = {
        {"plain text", [](QByteArray& b) { b = "kn.mdb: not a database\n"; },
         u"не является базой данных прежней версии программы"},
        {"cut in the middle of a page", truncate(133120), u"повреждён или обрезан"},
        {"cut at a page boundary", truncate(40 * 4096), u"повреждён"},
        {"pages overwritten with zeros", [](QByteArray& b) { b.replace(20 * 4096, 20 * 4096, QByteArray(20 * 4096, '\0')); },
         u"повреждён"},
        {"the journal's rows page overwritten with zeros",
         [](QByteArray& b) {
             const qsizetype page = b.indexOf(ucs2(u"расход")) / 4096;
             b.replace(page * 4096, 4096, QByteArray(4096, '\0'));
         },
         u"в таблице «jur» прочитано строк 0 из 6"},
        {"an older format", [](QByteArray& b) { b[0x14] = 0; }, u"не в формате Jet 4"},
        {"a table of another program",
         [](QByteArray& b) { test::replaceFirst(b, ucs2(u"fio"), ucs2(u"fix")); }, u"в таблице «k» нет поля «fio»"},
        {"a date before 30.12.1899",
         [](QByteArray& b) { test::replaceFirst(b, doubleBytes(40148.0), doubleBytes(-1.0)); },
         u"Таблица «jur», строка 1 (n = 1), поле «dd»: дата раньше 30.12.1899"},
        {"a date past 2099",
         [](QByteArray& b) { test::replaceFirst(b, doubleBytes(40148.0), doubleBytes(93000.0)); },
         u"Таблица «jur», строка 1 (n = 1), поле «dd»: дата 15.08.2154 вне 1900–2099 годов"},
        {"a control character in a text",
         [](QByteArray& b) { test::replaceFirst(b, ucs2(u"расход"), ucs2(u"рас\u0001од")); },
         u"Таблица «jur», строка 3 (n = 3), поле «vr»: в тексте управляющий символ с кодом 1"},
        // The first two bytes turn the stored text into its compressed form of ten one-byte letters.
        {"a text longer than its field", [](QByteArray& b) { test::replaceFirst(b, ucs2(u"расход"), "\xFF\xFE"); },
         u"Таблица «jur», строка 3 (n = 3), поле «vr»: текст из 10 символов не помещается в поле длиной 6 символов"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OldFile old(QStringLiteral("old.mdb"), c.change);
        const QString target = old.file(QStringLiteral("kn.mdb"));
        try {
            importJet(old.path(), target);
            ADD_FAILURE() << "imported";
        } catch (const UserError& e) {
            EXPECT_TRUE(e.text().contains(QString::fromUtf16(c.message))) << e.text().toStdString();
            EXPECT_TRUE(e.text().endsWith(QStringLiteral("Новый файл не записан."))) << e.text().toStdString();
        }
        EXPECT_EQ(old.entries(), QStringList{QStringLiteral("old.mdb")});
        EXPECT_TRUE(old.unchanged());
    }

    // The program's own new file is not an old one either, and an existing target stays as it was.
    OldFile old;
    const QString existing = old.file(QStringLiteral("kn.mdb"));
    Database::create(existing);
    EXPECT_THROW(importJet(existing, old.file(QStringLiteral("other.mdb"))), UserError);
    EXPECT_THROW(importJet(old.path(), existing), UserError);
    EXPECT_EQ(old.entries(), QStringList({QStringLiteral("kn.mdb"), QStringLiteral("old.mdb")}));
    EXPECT_NO_THROW(Database::open(existing));
}

TEST(JetImport, ListsAndSkipsATableTheProgramHasNoPlaceFor)
{
    // Clearing the system mark of one of the old engine's own tables makes it an ordinary extra table.
    const QByteArray name = ucs2(u"MSysACEs");
    OldFile old(QStringLiteral("old.mdb"), [&](QByteArray& b) {
        test::replaceFirst(b, QByteArray("\x00\x00\x00\x80", 4) + name, QByteArray(4, '\0'));
    });
    const ImportResult result = importJet(old.path(), old.file(QStringLiteral("kn.mdb")));
    EXPECT_EQ(result.skipped, QStringList{s(u"таблица «MSysACEs»")});
    ASSERT_EQ(result.counts.size(), 11u);
    EXPECT_EQ(result.counts[0].newRows, 6);
}

Cell text(const QString& value) { return {false, value, 0, false}; }
Cell number(double value) { return {false, {}, value, false}; }

TEST(JetImport, TextAtEachFieldsFullSizeComesThroughWholeAndOneMoreIsRefused)
{
    const Column textColumn{QStringLiteral("x"), QStringLiteral("текстовый"), ColumnKind::Text, false, false, 255};
    const QString letters = s(u"Ёё«»'Яz");
    for (const TableDef& table : schemaTables()) {
        for (const FieldDef& field : table.fields) {
            if (field.type != FieldType::Text)
                continue;
            QString full;
            while (full.size() < field.size)
                full += letters[full.size() % letters.size()];
            SCOPED_TRACE((table.name + u'.' + field.name).toStdString());
            EXPECT_EQ(convertCell(field, textColumn, text(full)), Value(full));
            EXPECT_THROW(convertCell(field, textColumn, text(full + u'ё')), UserError);
        }
    }
    // A control character the old program could not have stored is a damaged value.
    for (const QString& odd : {QStringLiteral("Рос\u0001сия"), QStringLiteral("Россия\t"), QString(u'\0')}) {
        const QString error = [&] {
            try {
                convertCell(schemaTable(u"stov").fields[2], textColumn, text(odd));
            } catch (const UserError& e) {
                return e.text();
            }
            return QString();
        }();
        EXPECT_TRUE(error.startsWith(QStringLiteral("в тексте управляющий символ с кодом"))) << error.toStdString();
    }
    // A value the reader's buffer cut is never taken as whole.
    Cell cut = text(QStringLiteral("abc"));
    cut.cut = true;
    EXPECT_THROW(convertCell(schemaTable(u"jur").fields[2], textColumn, cut), UserError);
}

TEST(JetImport, NumbersAndDatesConvertExactlyOrNotAtAll)
{
    const Column money{QStringLiteral("s"), QStringLiteral("денежный"), ColumnKind::Text, false, true, 0};
    const Column integer{QStringLiteral("nds"), QStringLiteral("целое"), ColumnKind::Text, true, false, 0};
    const Column real{QStringLiteral("kol"), QStringLiteral("двойное"), ColumnKind::Real, false, false, 0};
    const Column date{QStringLiteral("dd"), QStringLiteral("дата/время"), ColumnKind::Date, false, false, 0};
    const FieldDef moneyField{QStringLiteral("s"), FieldType::Money, 0};
    const FieldDef shortField{QStringLiteral("nds"), FieldType::Short, 0};
    const FieldDef counterField{QStringLiteral("n"), FieldType::Counter, 0};
    const FieldDef realField{QStringLiteral("kol"), FieldType::Real, 0};
    const FieldDef dateField{QStringLiteral("dd"), FieldType::Date, 0};
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const FieldDef& field;
        const Column& column;
        Cell cell;
        std::optional<Value> expected;   // nullopt: refused
    } cases[] = {
        {moneyField, money, text(QStringLiteral("922337203685477.5807")), Money::fromUnits(INT64_MAX)},
        {moneyField, money, text(QStringLiteral("-922337203685477.5808")), Money::fromUnits(INT64_MIN)},
        {moneyField, money, text(QStringLiteral("-0.0001")), Money::fromUnits(-1)},
        {moneyField, money, text(QStringLiteral("1000.50000")), Money::fromUnits(10005000)},
        {moneyField, integer, text(QStringLiteral("18")), Money::fromUnits(180000)},
        {moneyField, money, text(QStringLiteral("0.00001")), std::nullopt},
        {moneyField, money, text(QStringLiteral("922337203685477.5808")), std::nullopt},
        {moneyField, money, text(QStringLiteral("1e3")), std::nullopt},
        {moneyField, money, Cell(), Value()},
        {shortField, integer, text(QStringLiteral("-32768")), Value(-32768)},
        {shortField, integer, text(QStringLiteral("32767")), Value(32767)},
        {shortField, integer, text(QStringLiteral("32768")), std::nullopt},
        {counterField, integer, text(QStringLiteral("2147483647")), Value(std::int64_t(2147483647))},
        {counterField, integer, Cell(), std::nullopt},
        {realField, real, number(0.1), Value(0.1)},
        {realField, real, number(nan), std::nullopt},
        {realField, integer, text(QStringLiteral("7")), Value(7.0)},
        {dateField, date, number(0), std::nullopt},                 // 30.12.1899
        {dateField, date, number(1.5), std::nullopt},               // 31.12.1899
        {dateField, date, number(2), Value(QDate(1900, 1, 1))},
        {dateField, date, number(40148.75), Value(QDate(2009, 12, 1))},
        {dateField, date, number(73050), Value(QDate(2099, 12, 31))},
        {dateField, date, number(73051), std::nullopt},
        {dateField, date, number(2958465), std::nullopt},           // 31.12.9999
        {dateField, date, number(-1), std::nullopt},
        {dateField, date, number(-0.5), std::nullopt},
        {dateField, date, number(2958466), std::nullopt},
        {dateField, date, number(nan), std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.field.name + u' ' + c.cell.text + u' ' + QString::number(c.cell.number)).toStdString());
        if (c.expected) {
            EXPECT_EQ(convertCell(c.field, c.column, c.cell), *c.expected);
        } else {
            EXPECT_THROW(convertCell(c.field, c.column, c.cell), UserError);
        }
    }
    // Kinds that a field cannot take are refused before any row is read.
    EXPECT_FALSE(canHold(moneyField, real));
    EXPECT_FALSE(canHold(dateField, money));
    EXPECT_FALSE(canHold(schemaTable(u"jur").fields[2], integer));
    EXPECT_TRUE(canHold(realField, integer));
}

} // namespace
} // namespace vi23::jet
