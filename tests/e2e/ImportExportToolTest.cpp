// vi23-import bank and vi23-print --xlsx from a script: a statement into the journal and the books,
// and the books and lists out as workbooks read back from their sheet XML.
#include "data/Database.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include "data/Today.h"
#include "tests/ToolRun.h"

#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace vi23::e2e {
namespace {

using ::vi23::test::Outcome;
using ::vi23::test::run;

// One cell of a sheet as stored: its type attribute, style, value or shared string, formula.
struct Cell {
    QString type;
    QString style;
    QString value;
    QString formula;
};

struct SheetXml {
    std::map<QString, Cell> cells;
    QString xml;
};

QByteArray unzipMember(const QString& file, const QString& member)
{
    const QString unzip = QStandardPaths::findExecutable(QStringLiteral("unzip"));
    if (unzip.isEmpty()) {
        ADD_FAILURE() << "unzip is not installed";
        return {};
    }
    QProcess p;
    p.start(unzip, {QStringLiteral("-p"), file, member});
    p.waitForFinished(60000);
    EXPECT_EQ(p.exitCode(), 0) << member.toStdString();
    return p.readAllStandardOutput();
}

SheetXml readSheet(const QString& file)
{
    QStringList shared;
    QXmlStreamReader strings(unzipMember(file, QStringLiteral("xl/sharedStrings.xml")));
    while (!strings.atEnd()) {
        if (strings.readNext() == QXmlStreamReader::StartElement && strings.name() == u"t")
            shared << strings.readElementText();
    }
    SheetXml sheet;
    const QByteArray xml = unzipMember(file, QStringLiteral("xl/worksheets/sheet1.xml"));
    sheet.xml = QString::fromUtf8(xml);
    QXmlStreamReader reader(xml);
    QString ref;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        if (reader.name() == u"c") {
            ref = reader.attributes().value(QLatin1String("r")).toString();
            sheet.cells[ref] = {reader.attributes().value(QLatin1String("t")).toString(), reader.attributes().value(QLatin1String("s")).toString(), {}, {}};
        } else if (reader.name() == u"v") {
            Cell& cell = sheet.cells[ref];
            cell.value = reader.readElementText();
            if (cell.type == u"s")
                cell.value = shared.value(cell.value.toInt());
        } else if (reader.name() == u"f") {
            sheet.cells[ref].formula = reader.readElementText();
        }
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    return sheet;
}

class ImportExportTool : public ::testing::Test {
protected:
    void SetUp() override
    {
        const Outcome init = run(QStringLiteral(VI23_INIT_EXE), {QStringLiteral("kn.mdb")}, dir.path());
        ASSERT_EQ(init.exitCode, 0) << init.err.toStdString();
        Database::open(dir.filePath(QStringLiteral("kn.mdb")))
            ->exec(QStringLiteral("UPDATE pr1 SET rs = '40702810900000000001';"
                                  "INSERT INTO sr (sr, vr) VALUES ('Выручка', 'Приход'), ('Оплата поставщику', 'Расход');"));
        // Windows-1251 as most banks write it: the text below is Latin-1 safe only in its bytes.
        QString text = QStringLiteral(
            "1CClientBankExchange\r\nКодировка=Windows\r\nРасчСчет=40702810900000000001\r\n"
            "СекцияДокумент=Платежное поручение\r\nНомер=697162\r\nДата=03.03.2026\r\nСумма=15000.00\r\n"
            "ПлательщикСчет=40702810000000000111\r\nПлательщик1=ООО «Альфа»\r\nПлательщикИНН=7701000001\r\n"
            "ПолучательСчет=40702810900000000001\r\nДатаПоступило=03.03.2026\r\nКонецДокумента\r\n"
            "СекцияДокумент=Платежное поручение\r\nНомер=16\r\nДата=04.03.2026\r\nСумма=1200.5\r\n"
            "ПлательщикСчет=40702810900000000001\r\nПолучательСчет=40702810000000000333\r\n"
            "Получатель1=ООО Гамма\r\nДатаСписано=04.03.2026\r\nКонецДокумента\r\nКонецФайла\r\n");
        QFile file(dir.filePath(QStringLiteral("statement.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(encode1251(text));
    }

    static QByteArray encode1251(const QString& text)
    {
        QByteArray out;
        for (QChar c : text) {
            const char16_t u = c.unicode();
            if (u < 0x80)
                out.append(char(u));
            else if (u >= 0x0410 && u <= 0x044F)
                out.append(char(0xC0 + (u - 0x0410)));
            else if (u == 0x00AB || u == 0x00BB)
                out.append(char(u));
            else
                ADD_FAILURE() << "no byte for U+" << std::hex << int(u);
        }
        return out;
    }

    Outcome tool(const char* exe, const QStringList& args) { return run(QString::fromUtf8(exe), args, dir.path()); }

    QTemporaryDir dir;
};

TEST_F(ImportExportTool, AStatementReachesTheJournalOnceAndTheBookPrintsIt)
{
    const Outcome check = tool(VI23_IMPORT_EXE, {QStringLiteral("bank"), QStringLiteral("statement.txt"), QStringLiteral("--check")});
    ASSERT_EQ(check.exitCode, 0) << check.err.toStdString();
    EXPECT_TRUE(check.out.contains(QStringLiteral("Кодировка файла: Windows-1251")));
    EXPECT_TRUE(check.out.contains(QStringLiteral("+ 03.03.2026 № 697162 15000,00 поступление ООО «Альфа» (новый контрагент) — Выручка")))
        << check.out.toStdString();
    EXPECT_TRUE(check.out.contains(QStringLiteral("Проверка, ничего не записано. К добавлению: 2, пропущено: 0, новых контрагентов: 2")));

    const Outcome first = tool(VI23_IMPORT_EXE, {QStringLiteral("bank"), QStringLiteral("statement.txt")});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_TRUE(first.out.contains(QStringLiteral("Добавлено строк журнала: 2, пропущено: 0, новых контрагентов: 2")));
    const Outcome again = tool(VI23_IMPORT_EXE, {QStringLiteral("bank"), QStringLiteral("statement.txt")});
    EXPECT_TRUE(again.out.contains(QStringLiteral("- 03.03.2026 № 697162 15000,00 поступление ООО «Альфа»: уже загружен")));
    EXPECT_TRUE(again.out.contains(QStringLiteral("Добавлено строк журнала: 0, пропущено: 2, новых контрагентов: 0")));

    const Outcome layout = tool(VI23_PRINT_EXE, {QStringLiteral("book"), QStringLiteral("Книга расчетов по банку"),
                                                 QStringLiteral("--from"), QStringLiteral("01.01.2026"), QStringLiteral("--to"),
                                                 QStringLiteral("31.12.2026"), QStringLiteral("--layout"), QStringLiteral("-")});
    ASSERT_EQ(layout.exitCode, 0) << layout.err.toStdString();
    // The form's number column is narrow: the whole number may take two lines of its box.
    const QString printed = QString(layout.out).remove(QStringLiteral(" \u23CE "));
    EXPECT_TRUE(printed.contains(QStringLiteral("| 697162\n"))) << layout.out.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("| 15000,00\n")));
    EXPECT_TRUE(printed.contains(QStringLiteral("| 1200,50\n")));

    QFile broken(dir.filePath(QStringLiteral("broken.txt")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("1CClientBankExchange\r\nСекцияДокумент=x\r\nКонецФайла\r\n");
    broken.close();
    const Outcome refused = tool(VI23_IMPORT_EXE, {QStringLiteral("bank"), QStringLiteral("broken.txt")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.startsWith(QStringLiteral("Выписка не загружена: строка 3:"))) << refused.err.toStdString();
}

TEST_F(ImportExportTool, ACheckSaysWhatTheImportWouldDoAndTheImportKeepsTheDaysCopyFirst)
{
    QFile good(dir.filePath(QStringLiteral("statement.txt")));
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    const QByteArray statement = good.readAll();
    auto changed = [&](const char16_t* from, const QByteArray& to) {
        QByteArray bytes = statement;
        return bytes.replace(encode1251(QString::fromUtf16(from)), to);
    };
    const struct {
        const char* name;
        QByteArray bytes;
        const char16_t* error;
    } cases[] = {
        {"another owner's statement", changed(u"РасчСчет=40702810900000000001", encode1251(QStringLiteral("РасчСчет=40702810900000000009"))),
         u"Выписка не загружена. Выписка по счёту 40702810900000000009"},
        {"orders for the bank", changed(u"ДатаПоступило=03.03.2026", {}).replace(encode1251(QStringLiteral("ДатаСписано=04.03.2026")), {}),
         u"файл платёжных поручений для банка, а не выписка"},
        {"a document in UTF-8", changed(u"СекцияДокумент=Платежное поручение\r\nНомер=16", QStringLiteral("СекцияДокумент=Платежное поручение\r\nНомер=16").toUtf8()),
         u"строка 14: ключ «"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile file(dir.filePath(QStringLiteral("odd.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.bytes);
        file.close();
        const Outcome check = tool(VI23_IMPORT_EXE, {QStringLiteral("bank"), QStringLiteral("odd.txt"), QStringLiteral("--check")});
        const Outcome load = tool(VI23_IMPORT_EXE, {QStringLiteral("bank"), QStringLiteral("odd.txt")});
        EXPECT_EQ(check.exitCode, 1);
        EXPECT_EQ(load.exitCode, 1);
        EXPECT_TRUE(check.err.contains(QString::fromUtf16(c.error))) << check.err.toStdString();
        EXPECT_EQ(load.err, check.err);
    }
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("backup"))));

    const Outcome check = tool(VI23_IMPORT_EXE, {QStringLiteral("bank"), QStringLiteral("statement.txt"), QStringLiteral("--check")});
    EXPECT_TRUE(check.out.contains(QStringLiteral("Проверка, ничего не записано. К добавлению: 2, пропущено: 0"))) << check.out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("backup"))));
    const Outcome load = tool(VI23_IMPORT_EXE, {QStringLiteral("bank"), QStringLiteral("statement.txt")});
    EXPECT_TRUE(load.out.contains(QStringLiteral("Добавлено строк журнала: 2, пропущено: 0"))) << load.out.toStdString();
    // The day's copy holds the file as it was before the import.
    const QString copy = dir.filePath(QStringLiteral("backup/kn-%1.mdb").arg(vi23::today().toString(Qt::ISODate)));
    ASSERT_TRUE(QFileInfo::exists(copy));
    auto kept = Database::open(copy);
    Statement rows = kept->prepare(QStringLiteral("SELECT count(*) FROM jur"));
    ASSERT_TRUE(rows.step());
    EXPECT_EQ(rows.integer(0), 0);
}

TEST_F(ImportExportTool, AReadOnlyFolderALockedFileAndADamagedFileAreNamedAsSuch)
{
    // The folder's rights hold for anyone but the superuser: as root the tools run as "nobody".
    QStringList prefix;
    if (::geteuid() == 0)
        prefix = {QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                  QStringLiteral("--clear-groups")};
    const QString readOnly = dir.filePath(QStringLiteral("ro"));
    ASSERT_TRUE(QDir().mkdir(readOnly));
    for (const auto& [path, mode] : {std::pair{dir.path(), 0777}, {readOnly, 0555}, {dir.filePath(QStringLiteral("kn.mdb")), 0644}})
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode_t(mode)), 0);
    QFile damaged(dir.filePath(QStringLiteral("damaged.mdb")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(8192, 'x'));
    damaged.close();
    const QString folderText = QStringLiteral("папка %1 доступна только для чтения").arg(readOnly);
    const struct {
        const char* exe;
        QStringList args;
        bool asUser;
        QString error;
    } cases[] = {
        {VI23_INIT_EXE, {QStringLiteral("ro/kn.mdb")}, true, folderText},
        {VI23_INIT_EXE, {QStringLiteral("--restore"), QStringLiteral("kn.mdb"), QStringLiteral("ro/kn.mdb")}, true, folderText},
        {VI23_INIT_EXE, {QStringLiteral("--restore"), QStringLiteral("damaged.mdb"), QStringLiteral("new.mdb")}, false,
         QStringLiteral("не является базой данных программы или повреждён")},
        // A server's copies are its administrator's: no connection is even tried.
        {VI23_INIT_EXE, {QStringLiteral("--restore"), QStringLiteral("kn.mdb"), QStringLiteral("--db"), QStringLiteral("host=/nonexistent dbname=kn")},
         false, QStringLiteral("делает и восстанавливает администратор сервера (pg_dump и pg_restore)")},
        {VI23_IMPORT_EXE, {QStringLiteral("bank"), QStringLiteral("statement.txt")}, false,
         QStringLiteral("база данных занята другой программой; повторите позже")},
    };
    auto locker = Database::open(dir.filePath(QStringLiteral("kn.mdb")));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const bool locks = QString::fromUtf8(c.exe) == QStringLiteral(VI23_IMPORT_EXE);
        if (locks)
            locker->exec(QStringLiteral("BEGIN EXCLUSIVE; UPDATE pr1 SET np = np"));
        const Outcome r = c.asUser && !prefix.isEmpty()
                              ? run(prefix[0], prefix.mid(1) + QStringList{QString::fromUtf8(c.exe)} + c.args, dir.path())
                              : tool(c.exe, c.args);
        if (locks)
            locker->exec(QStringLiteral("ROLLBACK"));
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(c.error)) << r.err.toStdString();
    }
    EXPECT_EQ(QDir(readOnly).entryList(QDir::Files | QDir::Hidden), QStringList());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("new.mdb"))));
}

TEST_F(ImportExportTool, BooksAndListsAreSavedAsWorkbooksWithRealNumbersDatesAndTotals)
{
    ASSERT_EQ(tool(VI23_IMPORT_EXE, {QStringLiteral("bank"), QStringLiteral("statement.txt")}).exitCode, 0);
    const Outcome book = tool(VI23_PRINT_EXE, {QStringLiteral("book"), QStringLiteral("Книга расчетов по банку"),
                                               QStringLiteral("--from"), QStringLiteral("01.01.2026"), QStringLiteral("--to"),
                                               QStringLiteral("31.12.2026"), QStringLiteral("--xlsx"), QStringLiteral("bank.xlsx")});
    ASSERT_EQ(book.exitCode, 0) << book.err.toStdString();
    const SheetXml sheet = readSheet(dir.filePath(QStringLiteral("bank.xlsx")));
    struct Expect {
        const char* ref;
        const char* type;
        const char16_t* value;
        const char* formula;
    };
    // The book's name, the enterprise and the period over the column titles; the rows under the year,
    // quarter and month headings with the totals of each, as the printed book has them: live subtotals
    // of the rows above.
    const std::vector<Expect> expected = {
        {"A1", "s", u"Книга расчетов по банку", ""}, {"A3", "s", u"за период с 01.01.2026 по 31.12.2026", ""},
        {"A5", "s", u"№", ""}, {"B5", "s", u"Дата", ""}, {"C5", "s", u"Номер", ""},
        {"D5", "s", u"Содержание операции", ""}, {"E5", "s", u"Зачислено", ""}, {"F5", "s", u"Списано", ""},
        {"B6", "s", u"Год 2026", ""}, {"B7", "s", u"Квартал 1", ""}, {"B8", "s", u"Месяц 03", ""},
        {"A9", "", u"1", ""}, {"B9", "", u"46084", ""}, {"C9", "s", u"697162", ""}, {"D9", "s", u"Выручка", ""},
        {"E9", "", u"15000", ""}, {"F9", "", u"0", ""},
        {"A10", "", u"2", ""}, {"B10", "", u"46085", ""}, {"C10", "s", u"16", ""}, {"E10", "", u"0", ""},
        {"F10", "", u"1200.5", ""},
        {"D11", "s", u"Итого за месяц:", ""}, {"E11", "", u"15000", "SUBTOTAL(9,E8:E10)"},
        {"F11", "", u"1200.5", "SUBTOTAL(9,F8:F10)"}, {"G11", "", u"13799.5", "SUBTOTAL(9,G8:G10)"},
        {"D12", "s", u"Итого за квартал:", ""}, {"E12", "", u"15000", "SUBTOTAL(9,E7:E11)"},
        {"D13", "s", u"Всего за отчетный период 2026 года:", ""}, {"G13", "", u"13799.5", "SUBTOTAL(9,G6:G12)"},
    };
    for (const Expect& e : expected) {
        SCOPED_TRACE(e.ref);
        auto found = sheet.cells.find(QString::fromLatin1(e.ref));
        ASSERT_NE(found, sheet.cells.end());
        EXPECT_EQ(found->second.type, QString::fromLatin1(e.type));
        EXPECT_EQ(found->second.value, QString::fromUtf16(e.value));
        EXPECT_EQ(found->second.formula, QString::fromLatin1(e.formula));
    }
    // Dates and money carry their number formats; the totals are bold; the row of column titles stays in
    // view and heads every printed page; the pages lie landscape, as wide as the table.
    const QString styles = QString::fromUtf8(unzipMember(dir.filePath(QStringLiteral("bank.xlsx")), QStringLiteral("xl/styles.xml")));
    EXPECT_TRUE(styles.contains(QStringLiteral("formatCode=\"dd.mm.yyyy\"")));
    EXPECT_TRUE(styles.contains(QStringLiteral("formatCode=\"#,##0.00\"")));
    EXPECT_NE(sheet.cells.at(QStringLiteral("B9")).style, sheet.cells.at(QStringLiteral("E9")).style);
    EXPECT_NE(sheet.cells.at(QStringLiteral("E11")).style, sheet.cells.at(QStringLiteral("E9")).style);
    EXPECT_TRUE(sheet.xml.contains(QStringLiteral("<pane ySplit=\"5\" topLeftCell=\"A6\" activePane=\"bottomLeft\" state=\"frozen\"/>")));
    EXPECT_TRUE(sheet.xml.contains(QStringLiteral("<cols>")));
    EXPECT_TRUE(sheet.xml.contains(QStringLiteral("<pageSetUpPr fitToPage=\"1\"/>")));
    EXPECT_TRUE(sheet.xml.contains(QStringLiteral("<pageSetup paperSize=\"9\" fitToHeight=\"0\" orientation=\"landscape\"/>")));
    const QString workbook = QString::fromUtf8(unzipMember(dir.filePath(QStringLiteral("bank.xlsx")), QStringLiteral("xl/workbook.xml")));
    EXPECT_TRUE(workbook.contains(QStringLiteral("<definedName name=\"_xlnm.Print_Titles\" localSheetId=\"0\">'Книга расчетов по банку'!$5:$5</definedName>")))
        << workbook.toStdString();

    const Outcome list = tool(VI23_PRINT_EXE, {QStringLiteral("rows"), QStringLiteral("ADOTable_k"), QStringLiteral("--xlsx"),
                                               QStringLiteral("k.xlsx")});
    ASSERT_EQ(list.exitCode, 0) << list.err.toStdString();
    const SheetXml k = readSheet(dir.filePath(QStringLiteral("k.xlsx")));
    EXPECT_EQ(k.cells.at(QStringLiteral("A1")).value, QStringLiteral("Наименование"));
    EXPECT_EQ(k.cells.at(QStringLiteral("A2")).value, QStringLiteral("ООО «Альфа»"));
    // The grid's columns and titles: no "dd" or "fio", which the grid does not show.
    EXPECT_EQ(k.cells.at(QStringLiteral("D1")).value, QStringLiteral("ИНН/КПП"));
    EXPECT_EQ(k.cells.at(QStringLiteral("E1")).value, QStringLiteral("ОКПО"));
    EXPECT_EQ(k.cells.at(QStringLiteral("F1")).value, QStringLiteral("Эл. почта"));
    EXPECT_EQ(k.cells.at(QStringLiteral("H1")).value, QStringLiteral("Страна"));
    EXPECT_EQ(k.cells.count(QStringLiteral("I1")), 0u);
    EXPECT_EQ(k.cells.at(QStringLiteral("D2")).value, QStringLiteral("7701000001"));
    EXPECT_EQ(k.cells.at(QStringLiteral("D2")).type, QStringLiteral("s"));   // ИНН stays text

    const Outcome toDatabase = tool(VI23_PRINT_EXE, {QStringLiteral("rows"), QStringLiteral("ADOTable_k"), QStringLiteral("--xlsx"),
                                                     QStringLiteral("kn.mdb")});
    EXPECT_EQ(toDatabase.exitCode, 1);
    EXPECT_TRUE(toDatabase.err.contains(QStringLiteral("открытой базы данных")));

    // LibreOffice, where installed, reads the workbook and computes the same totals.
    const QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (office.isEmpty())
        GTEST_SKIP() << "LibreOffice is not installed; the workbook was checked from its XML only";
    // Comma-separated, UTF-8, cells as shown.
    const Outcome converted = run(office, {QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                                           QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,1033,false,true,true"),
                                           QStringLiteral("--outdir"), dir.path(), dir.filePath(QStringLiteral("bank.xlsx"))},
                                  dir.path());
    ASSERT_EQ(converted.exitCode, 0) << converted.err.toStdString();
    QFile csv(dir.filePath(QStringLiteral("bank.csv")));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(csv.readAll()).split(QRegularExpression(QStringLiteral("\\r?\\n")), Qt::SkipEmptyParts);
    for (const QString& line : {QStringLiteral("№,Дата,Номер,Содержание операции,Зачислено,Списано,Разница за период"),
                                QStringLiteral("1,03.03.2026,697162,Выручка,\"15,000.00\",0.00,\"15,000.00\""),
                                QStringLiteral("2,04.03.2026,16,Оплата поставщику,0.00,\"1,200.50\",\"-1,200.50\""),
                                QStringLiteral(",,,Итого за месяц:,\"15,000.00\",\"1,200.50\",\"13,799.50\""),
                                QStringLiteral(",,,Итого за квартал:,\"15,000.00\",\"1,200.50\",\"13,799.50\"")})
        EXPECT_TRUE(lines.contains(line)) << line.toStdString();
}

} // namespace
} // namespace vi23::e2e
