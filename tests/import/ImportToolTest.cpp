// vi23-import as the user runs it, and the imported file printed by vi23-print beside the same data
// entered through the program's data sets: every document and book comes out the same.
#include "OldFile.h"
#include "tests/TestStore.h"
#include "tests/ToolRun.h"

#include "data/DataStore.h"
#include "data/Database.h"

#include <QProcess>
#include <optional>

namespace vi23::jet {
namespace {

using test::OldFile;

using ::vi23::test::Outcome;
using ::vi23::test::run;

Outcome import(const QStringList& args, const QString& dir)
{
    return run(QStringLiteral(VI23_IMPORT_EXE), args, dir);
}

QString s(const char16_t* text) { return QString::fromUtf16(text); }

TEST(ImportTool, WritesANewFileWithTheCountsAndNeverOverwrites)
{
    OldFile old;
    const Outcome first = import({QStringLiteral("jet"), old.path(), QStringLiteral("new.mdb")}, old.dir());
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.contains(QStringLiteral("  jur           6        6\n"))) << first.out.toStdString();
    EXPECT_TRUE(first.out.contains(QStringLiteral("  dok           0        0\n"))) << first.out.toStdString();
    EXPECT_NO_THROW(Database::open(old.file(QStringLiteral("new.mdb"))));

    const Outcome again = import({QStringLiteral("jet"), old.path(), QStringLiteral("new.mdb")}, old.dir());
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.err.contains(s(u"уже существует; он не будет перезаписан"))) << again.err.toStdString();

    const Outcome usage = import({QStringLiteral("jet")}, old.dir());
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_TRUE(usage.err.contains(QStringLiteral("vi23-import jet"))) << usage.err.toStdString();
    EXPECT_EQ(import({QStringLiteral("unknown")}, old.dir()).exitCode, 2);
    EXPECT_EQ(old.entries(), QStringList({QStringLiteral("new.mdb"), QStringLiteral("old.mdb")}));
    EXPECT_TRUE(old.unchanged());
}

// The sample file's rows typed in through the data sets, as the program's screens store them.
void enterSampleDirectly(const QString& path)
{
    Database::create(path);
    DataStore store(path);
    using Fields = std::vector<std::pair<QStringView, QStringView>>;
    const auto add = [&](const char16_t* dataSet, const Fields& values) {
        DataSet& set = store.dataSet(QString::fromUtf16(dataSet));
        set.append();
        for (const auto& [field, value] : values)
            set.setText(field, value.toString());
        set.post();
    };
    const std::pair<const char16_t*, const char16_t*> requisites[] = {
        {u"np", u"ООО «Вектор»"}, {u"unn", u"6950123456/695001001"}, {u"ad", u"170100, г. Тверь, ул. Трёхсвятская, 28"},
        {u"tel", u"(4822) 34-56-78"}, {u"bank", u"Тверское отделение №8607 ПАО Сбербанк, г. Тверь"},
        {u"rs", u"40702810563000012345"}, {u"ks", u"30101810700000000679"}, {u"buk", u"042809679"},
        {u"fr", u"Кузнецов А. В."}, {u"fb", u"Иванова Е. Н."}, {u"okpo", u"12345678"}, {u"dr", u"Генеральный директор"}};
    DataSet& pr1 = store.dataSet(u"ADOTable_pr1");
    pr1.first();
    pr1.edit();
    for (const auto& [field, value] : requisites)
        pr1.setText(QString::fromUtf16(field), s(value));
    pr1.post();

    add(u"ADOTable_jur", {{u"dd", u"01.12.2009"}, {u"nn", u"1"}, {u"dok", u"КО"}, {u"sr", u"Выручка"}, {u"vr", u"Приход"},
                          {u"s", u"20000"}, {u"k", u"ИП Покупатель"}});
    add(u"ADOTable_jur", {{u"dd", u"10.01.2010"}, {u"nn", u"2"}, {u"dok", u"ПП"}, {u"sr", u"Выручка"}, {u"vr", u"Приход"},
                          {u"s", u"1000,5"}, {u"k", u"ООО «Ёлочка»"}});
    add(u"ADOTable_jur", {{u"dd", u"15.02.2010"}, {u"nn", u"3"}, {u"dok", u"КО"}, {u"sr", u"Аренда"}, {u"vr", u"расход"},
                          {u"s", u"1500,0001"}, {u"k", u"O'Brien Trading Ltd"}});
    add(u"ADOTable_jur", {{u"dd", u"20.05.2010"}, {u"nn", u"45678"}, {u"dok", u"ТН"}, {u"sr", u"Аренда"}, {u"vr", u"Расход"},
                          {u"s", u"-0,0001"}});
    add(u"ADOTable_jur", {{u"dd", u"30.06.2010"}, {u"nn", u"5"}, {u"dok", u"А"}, {u"sr", u"Удалённая"}, {u"vr", u"Приход"},
                          {u"k", u"Фёдоров Пётр"}});
    // Typed text this close to the limit is refused, so the largest amount goes in as a value.
    store.jur().last();
    store.jur().edit();
    store.jur().setValue(u"s", Money::fromUnits(std::numeric_limits<std::int64_t>::max()));
    store.jur().post();
    add(u"ADOTable_jur", {});

    Fields first = {
        {u"dok", u"Счет-фактура"}, {u"n", u"12"}, {u"dd", u"15.03.2010"}, {u"np", u"-"}, {u"dp", u"01.03.2010"},
        {u"z", u"ООО «Ёлочка»"}, {u"a", u"г. Тверь, ул. Советская, 1"}, {u"unn", u"6901000001/690101001"},
        {u"rb", u"Банк «Тверь», р/с 40702810000000000001"}, {u"okpo", u"12345678"}, {u"ru", u"Иванов И. И."},
        {u"naz0", u"Бумага А4 «Снегурочка», 500 л."}, {u"kol0", u"3,5"}, {u"cen0", u"89,9"}, {u"nds0", u"18"},
        {u"s0", u"371,287"}, {u"naz1", u"Услуга доставки"}, {u"kol1", u"1"}, {u"cen1", u"1000"}, {u"nds1", u"0"},
        {u"s1", u"1000"}, {u"sss", u"1371,287"}, {u"eu0", u"пач"}, {u"str0", u"Россия"}, {u"gtd0", u"-"},
        {u"eu1", u"усл"}};
    QStringList blankLines;   // lines 2 to 9 hold the placeholder
    for (int line = 2; line <= 9; ++line) {
        for (const char* field : {"naz", "kol", "cen", "nds", "s"})
            blankLines << QLatin1String(field) + QString::number(line);
    }
    for (qsizetype i = 0; i < blankLines.size(); ++i)
        first.push_back({blankLines[i], i % 5 == 0 ? u"-" : i % 5 == 1 ? u"1" : u"0"});
    add(u"ADOTable_jur1", first);
    add(u"ADOTable_jur1", {{u"dok", u"Кассовый ордер-пр"}, {u"n", u"13"}, {u"dd", u"16.03.2010"}, {u"z", u"O'Brien Trading Ltd"},
                           {u"naz0", u"Услуга доставки"}, {u"kol0", u"2"}, {u"cen0", u"1000"}, {u"nds0", u"20"},
                           {u"s0", u"2400"}, {u"sss", u"2400"}, {u"eu0", u"усл"}});

    add(u"ADOTable_sr", {{u"sr", u"Выручка"}, {u"vr", u"Приход"}});
    add(u"ADOTable_sr", {{u"sr", u"Аренда"}, {u"vr", u"Расход"}});
    add(u"ADOTable_sr", {{u"sr", u"Ёмкости и тара"}});
    add(u"ADOTable_k", {{u"k", u"ООО «Ёлочка»"}, {u"dd", u"01.01.2010"}, {u"ad", u"г. Тверь, ул. Советская, 1"},
                        {u"b", u"Банк «Тверь», р/с 40702810000000000001"}, {u"unn", u"6901000001/690101001"}, {u"ok", u"12345678"}});
    add(u"ADOTable_k", {{u"k", u"O'Brien Trading Ltd"}, {u"dd", u"02.01.2010"}, {u"ad", u"Москва"}, {u"unn", u"7700000002"}});
    add(u"ADOTable_k", {{u"k", u"ИП Покупатель"}});
    add(u"ADOTable_stov", {{u"naz", u"Бумага А4 «Снегурочка», 500 л."}, {u"eu", u"пач"}, {u"str", u"Россия"}, {u"gtd", u"-"},
                           {u"nds", u"18"}, {u"cen", u"89,9"}});
    add(u"ADOTable_stov", {{u"naz", u"Услуга доставки"}, {u"eu", u"усл"}, {u"nds", u"0"}, {u"cen", u"1000"}});
    const QString longName(255, u'Я');
    DataSet& stov = store.dataSet(u"ADOTable_stov");
    stov.append();
    stov.setText(u"naz", longName);
    for (const auto& [field, value] : {std::pair{u"eu", u"шт"}, {u"str", u"Беларусь"}, {u"gtd", u"10130010/010110/0000001"},
                                       {u"nds", u"10"}, {u"cen", u"0,0001"}})
        stov.setText(QString::fromUtf16(field), s(value));
    stov.post();
    add(u"ADOTable_tov", {{u"k", u"1"}, {u"naz", u"Бумага А4 «Снегурочка», 500 л."}, {u"kol", u"3,5"}, {u"cen", u"89,9"}});
    add(u"ADOTable_kassa", {{u"dd", u"01.12.2009"}, {u"nn", u"1"}, {u"sr", u"Выручка"}, {u"k", u"ИП Покупатель"},
                            {u"sd", u"20000"}, {u"sk", u"0"}, {u"srr", u"20000"}, {u"sdd", u"20000"}, {u"skk", u"0"},
                            {u"srrr", u"20000"}});
    add(u"ADOTable_z", {{u"pr", u"ООО «Вектор»"}});
}

class ImportToStore : public ::testing::TestWithParam<::vi23::test::Store> {};
INSTANTIATE_TEST_SUITE_P(Stores, ImportToStore, ::testing::Values(::vi23::test::Store::File, ::vi23::test::Store::Server),
                         [](const auto& info) { return ::vi23::test::storeName(info.param); });

TEST_P(ImportToStore, ImportedDataPrintsAsTheSameDataEnteredDirectly)
{
    VI23_REQUIRE_STORE(GetParam());
    OldFile imported(QStringLiteral("kn.mdb"));
    // Where the prints read the imported rows: kn.mdb, or the server database.
    std::optional<::vi23::test::TempDatabase> server;
    QStringList importedStore;
    if (GetParam() == ::vi23::test::Store::Server) {
        server.emplace(::vi23::test::Store::Server, ::vi23::test::Tables::None);
        importedStore = {QStringLiteral("--db"), server->path()};
        const Outcome moved = import(QStringList{QStringLiteral("jet"), QStringLiteral("kn.mdb")} + importedStore, imported.dir());
        ASSERT_EQ(moved.exitCode, 0) << moved.err.toStdString();
        EXPECT_TRUE(moved.out.contains(QStringLiteral("  jur           6        6\n"))) << moved.out.toStdString();
        EXPECT_TRUE(imported.unchanged());
        // A database that has the program's tables is never written over.
        const Outcome again = import(QStringList{QStringLiteral("jet"), QStringLiteral("kn.mdb")} + importedStore, imported.dir());
        EXPECT_EQ(again.exitCode, 1);
        EXPECT_TRUE(again.err.contains(s(u"уже есть таблицы программы"))) << again.err.toStdString();
    } else {
        // Converted where it lies, as the window does: the old file is kept aside byte for byte.
        const Outcome converted = import({QStringLiteral("jet"), QStringLiteral("kn.mdb")}, imported.dir());
        ASSERT_EQ(converted.exitCode, 0) << converted.err.toStdString();
        EXPECT_EQ(imported.entries(), QStringList({QStringLiteral("kn.mdb"), QStringLiteral("kn.mdb.jet")}));
        QFile kept(imported.file(QStringLiteral("kn.mdb.jet")));
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        EXPECT_EQ(kept.readAll(), imported.bytes());
        // A second run finds a file of the program, not an old one.
        EXPECT_EQ(import({QStringLiteral("jet"), QStringLiteral("kn.mdb")}, imported.dir()).exitCode, 1);
    }
    QTemporaryDir direct;
    enterSampleDirectly(direct.filePath(QStringLiteral("kn.mdb")));

    const QStringList period = {QStringLiteral("--from"), QStringLiteral("01.01.2009"), QStringLiteral("--to"),
                                QStringLiteral("31.12.2010")};
    // The second document has only line 0; its other lines are empty in both files, and both
    // files must give the same outcome for it.
    std::vector<std::pair<QStringList, bool>> prints = {{{QStringLiteral("document"), QStringLiteral("1")}, true},
                                                        {{QStringLiteral("document"), QStringLiteral("2")}, false}};
    for (const char16_t* book : {u"Книга доходов и расходов-месячная", u"Книга доходов и расходов-квартальная",
                                 u"Книга расчетов по банку", u"Книга расчетов по кассе", u"Кассовая книга",
                                 u"Сводный отчет по операциям", u"Книга расчетов с контрагентами", u"Титульный лист"})
        prints.push_back({QStringList{QStringLiteral("book"), s(book)} + period, true});
    for (const auto& [args, mustPrint] : prints) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        const QStringList layout = args + QStringList{QStringLiteral("--layout"), QStringLiteral("-")};
        const Outcome fromImport = run(QStringLiteral(VI23_PRINT_EXE), layout + importedStore, imported.dir());
        const Outcome fromDirect = run(QStringLiteral(VI23_PRINT_EXE), layout, direct.path());
        if (mustPrint) {
            EXPECT_EQ(fromImport.exitCode, 0) << fromImport.err.toStdString();
            EXPECT_GT(fromImport.out.size(), 200);
        }
        EXPECT_EQ(fromImport.exitCode, fromDirect.exitCode);
        EXPECT_EQ(fromImport.out, fromDirect.out);
        EXPECT_EQ(fromImport.err, fromDirect.err);
    }
    // The figures themselves: the document total and the cash book's closing balance.
    const Outcome document = run(QStringLiteral(VI23_PRINT_EXE),
                                 QStringList{QStringLiteral("document"), QStringLiteral("1"), QStringLiteral("--layout"),
                                             QStringLiteral("-")} + importedStore,
                                 imported.dir());
    EXPECT_TRUE(document.out.contains(QStringLiteral("1371,29"))) << document.out.toStdString();
}

} // namespace
} // namespace vi23::jet
