// vi23-print from a script: every document kind and every book of a demo database to PDF, whose
// text (pdftotext) holds the totals and the amount in words; CSV rows; messages and exit codes.
#include "PrintFixture.h"

#include "data/Database.h"
#include "data/FilterExpression.h"
#include "data/FormKinds.h"
#include "books/BookPrinting.h"
#include "documents/DocumentPrinting.h"
#include "documents/AmountInWords.h"
#include "reports/ReportPreparer.h"
#include "reports/ReportRenderer.h"

#include <QDir>
#include <algorithm>
#include <QProcess>
#include <QStandardPaths>
#include "tests/ToolRun.h"

#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace vi23::e2e {
namespace {

using ::vi23::test::Outcome;
using ::vi23::test::run;

Outcome print(const QStringList& args, const QString& dir, const std::map<QString, QString>& env = {})
{
    return run(QStringLiteral(VI23_PRINT_EXE), args, dir, env);
}

// The text of a PDF in drawing order, blanks collapsed, so that wrapped boxes read on.
QString pdfText(const QString& file)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (tool.isEmpty()) {
        ADD_FAILURE() << "pdftotext (poppler-utils) is not installed";
        return {};
    }
    const Outcome r = run(tool, {QStringLiteral("-raw"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), file,
                             QStringLiteral("-")},
                      QDir::tempPath());
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    return r.out.simplified();
}

// One demo database for the whole suite; vi23-print writes only its scratch tables into it.
class PrintTool : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new QTemporaryDir;
        const Outcome init = run(QStringLiteral(VI23_INIT_EXE), {QStringLiteral("--demo"), QStringLiteral("kn.mdb")},
                             dir_->path());
        ASSERT_EQ(init.exitCode, 0) << init.err.toStdString();
    }
    static void TearDownTestSuite()
    {
        delete dir_;
        dir_ = nullptr;
    }
    static QString dir() { return dir_->path(); }
    static QString file(const QString& name) { return dir_->filePath(name); }

private:
    static QTemporaryDir* dir_;
};

QTemporaryDir* PrintTool::dir_ = nullptr;

// Half away from zero in whole numbers, written here again on purpose: the expected figures do not
// come from the code that prints them.
long long dividedRounded(long long value, long long divisor)
{
    const long long magnitude = (std::llabs(value) * 2 + divisor) / (2 * divisor);
    return value < 0 ? -magnitude : magnitude;
}

TEST_F(PrintTool, EveryDocumentKindWritesAPdfWithItsTotalAndAmountInWords)
{
    struct Expected {
        long long key;
        QString kind;
        QString total;
        QString vat;
        QString words;
    };
    std::vector<Expected> documents;
    {
        // Every demo document: its figures worked out from its lines, in kopecks, its quantities being
        // whole or halves; and on a fresh file every stored total is that printed total.
        auto db = Database::open(file(QStringLiteral("kn.mdb")));
        QStringList lineColumns;
        for (int i = 0; i < 10; ++i)
            lineColumns << QStringLiteral("naz%1, kol%1, cen%1, nds%1").arg(i);
        Statement rows = db->prepare(QStringLiteral("SELECT k, dok, sss, %1 FROM jur1 ORDER BY k").arg(lineColumns.join(u',')));
        QStringList seen;
        int stored = 0;
        while (rows.step()) {
            long long net = 0, vat = 0;
            bool exempt = true;
            for (int i = 0; i < 10; ++i) {
                const int c = 3 + 4 * i;
                if (rows.isNull(c) || rows.text(c) == u"-")
                    continue;
                const long long halves = std::llround(rows.real(c + 1) * 2);
                ASSERT_DOUBLE_EQ(halves / 2.0, rows.real(c + 1));
                const long long rate = rows.integer(c + 3);
                const long long lineNet = dividedRounded(rows.integer(c + 2) * halves, 200);
                net += lineNet;
                vat += rate < 0 ? 0 : dividedRounded(lineNet * rate, 100);
                exempt = exempt && rate < 0;
            }
            const Money total = Money::fromUnits((net + vat) * 100);
            EXPECT_EQ(Money::fromUnits(rows.integer(2)), total) << "stored total of document " << rows.integer(0);
            ++stored;
            const QString kind = rows.text(1);
            if (seen.contains(kind) || documentTemplateFor(kind).isEmpty())
                continue;
            seen << kind;
            const bool cashOrder = kind == u"Кассовый ордер-пр" || kind == u"Расходный кассовый ордер";
            const QChar separator = cashOrder ? u'-' : u',';
            // A document with no VAT at all says so where the form states its VAT.
            documents.push_back({rows.integer(0), kind, total.toFixed(2, separator),
                                 exempt ? QStringLiteral("Без налога (НДС)")
                                                              : Money::fromUnits(vat * 100).toFixed(2, separator),
                                 AmountInWords(total)});
        }
        EXPECT_EQ(stored, 33);
        ASSERT_EQ(seen.size(), 11);
    }
    for (const Expected& d : documents) {
        SCOPED_TRACE(d.kind.toStdString());
        const QString pdf = file(QStringLiteral("document-%1.pdf").arg(d.key));
        const Outcome r = print({QStringLiteral("document"), QString::number(d.key), QStringLiteral("--pdf"), pdf}, dir());
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QString text = pdfText(pdf);
        EXPECT_TRUE(text.contains(d.total)) << d.total.toStdString() << "\n" << text.toStdString();
        // The sales receipt prints prices with VAT and no VAT line.
        if (d.kind != u"Товарный чек") {
            EXPECT_TRUE(text.contains(d.vat)) << d.vat.toStdString();
        }
        // The VAT invoice and the transfer document are the forms without the amount in words.
        if (d.kind != u"Счет-фактура" && d.kind != u"УПД") {
            EXPECT_TRUE(text.contains(d.words)) << d.words.toStdString() << "\n" << text.toStdString();
        }
    }
    // The layout dump of the same print, to a file and to standard output.
    const Expected& first = documents.front();
    const Outcome toStdout = print({QStringLiteral("document"), QString::number(first.key), QStringLiteral("--layout"),
                                QStringLiteral("-")},
                               dir());
    ASSERT_EQ(toStdout.exitCode, 0) << toStdout.err.toStdString();
    EXPECT_TRUE(toStdout.out.startsWith(QStringLiteral("1 ")));
    EXPECT_TRUE(toStdout.out.contains(u'|' + QStringLiteral(" ") + first.total)) << toStdout.out.toStdString();
    const QString layout = file(QStringLiteral("layout.txt"));
    ASSERT_EQ(print({QStringLiteral("document"), QString::number(first.key), QStringLiteral("--layout"), layout}, dir())
                  .exitCode,
              0);
    QFile saved(layout);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()), toStdout.out);

    // The VAT invoice on the form of 2026 for this run only; the file keeps the described forms.
    const auto invoice = std::find_if(documents.begin(), documents.end(),
                                      [](const Expected& d) { return d.kind == u"Счет-фактура"; });
    ASSERT_NE(invoice, documents.end());
    for (const char* set : {"2026", "described"}) {
        const Outcome r = print({QStringLiteral("document"), QString::number(invoice->key), QStringLiteral("--forms"),
                                 QString::fromLatin1(set), QStringLiteral("--layout"), QStringLiteral("-")},
                                dir());
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.out.contains(QStringLiteral("Документ об отгрузке")), set == std::string("2026")) << set;
        EXPECT_TRUE(r.out.contains(invoice->total)) << set;
    }
}

// Glyphs with their boxes as pdftotext finds them, without the file's creation time.
QString pdfGlyphs(const QString& file)
{
    const Outcome r = run(QStandardPaths::findExecutable(QStringLiteral("pdftotext")),
                          {QStringLiteral("-bbox"), file, QStringLiteral("-")}, QDir::tempPath());
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    QStringList lines = r.out.split(u'\n');
    lines.removeIf([](const QString& l) { return l.contains(QStringLiteral("CreationDate")); });
    return lines.join(u'\n');
}

// A book goes to the file as its pages are finished: the same dump and the same glyphs as the
// whole report prepared in memory.
TEST_F(PrintTool, ABookWrittenPageByPageIsTheWholeReport)
{
    const QString kind = QStringLiteral("Книга доходов и расходов-квартальная");
    // The 2026 book numbers its rows through the year from the rows the tool reads as a stream.
    for (const auto& [set, option] : {std::pair{FormSet::Described, kFormSetDescribed}, std::pair{FormSet::Current2026, kFormSet2026}}) {
        SCOPED_TRACE(option.toStdString());
        int year = 0;
        QString whole;
        const QString wholePdf = file(QStringLiteral("whole.pdf"));
        {
            DataStore store(file(QStringLiteral("kn.mdb")));
            DataSet& jur = store.jur();
            for (jur.first(); !jur.eof(); jur.next())
                year = std::max(year, jur.date(u"dd").year());
            const PrintRequest request = printBook(store, kind, QDate(year, 1, 1), QDate(year, 12, 31), set);
            const BuiltInTemplates forms = loadBuiltInTemplates();
            const PreparedReport report = preparePrint(*forms.find(request.templateName), store, request);
            ASSERT_GT(report.pages.size(), 1u);
            whole = dumpPreparedReport(report);
            exportPdf(report, wholePdf);
        }
        const QStringList book{QStringLiteral("book"), kind, QStringLiteral("--from"), QStringLiteral("01.01.%1").arg(year),
                               QStringLiteral("--to"), QStringLiteral("31.12.%1").arg(year), QStringLiteral("--forms"), option};
        const Outcome layout = print(book + QStringList{QStringLiteral("--layout"), QStringLiteral("-")}, dir());
        ASSERT_EQ(layout.exitCode, 0) << layout.err.toStdString();
        EXPECT_EQ(layout.out, whole);
        const QString pdf = file(QStringLiteral("page-by-page.pdf"));
        ASSERT_EQ(print(book + QStringList{QStringLiteral("--pdf"), pdf}, dir()).exitCode, 0);
        EXPECT_EQ(pdfGlyphs(pdf), pdfGlyphs(wholePdf));
    }
}

// Sums of a data set's money column over its visible rows, or over the first run of rows sharing a key.
QString sumOf(DataSet& rows, const char16_t* field, const char16_t* groupKey = nullptr)
{
    if (!rows.isOpen())
        rows.open();
    Money sum;
    rows.first();
    const QString first = groupKey ? rows.text(groupKey).toLower() : QString();
    for (; !rows.eof(); rows.next()) {
        if (groupKey && rows.text(groupKey).toLower() != first)
            break;
        sum += rows.money(field);
    }
    return sum.toFixed(2);
}

TEST_F(PrintTool, EveryBookKindWritesAPdfWithItsTotals)
{
    const QString kActBuyer = QStringLiteral("ООО \"Ромашка\"");
    struct Expected {
        QString kind;
        QStringList texts;
    };
    std::vector<Expected> books;
    int year = 0;
    {
        DataStore store(file(QStringLiteral("kn.mdb")));
        DataSet& jur = store.jur();
        for (jur.first(); !jur.eof(); jur.next())
            year = std::max(year, jur.date(u"dd").year());
        ASSERT_GT(year, 0);
        setBookPeriod(store, QDate(year, 1, 1), QDate(year, 12, 31));
        DataSet& income = store.dataSet(u"ADOQuery11");
        DataSet& bank = store.dataSet(u"ADOQuery_bank");
        DataSet& cash = store.dataSet(u"ADOQuery_kassa");
        DataSet& orders = store.dataSet(u"ADOQuery_kas");
        DataSet& byOperation = store.dataSet(u"ADOQuerys");
        DataSet& byCounterparty = store.dataSet(u"ADOQueryss");
        DataSet& requisites = store.dataSet(u"ADOTable_pr1");
        requisites.first();
        books = {
            {QStringLiteral("Книга доходов и расходов-квартальная"), {sumOf(income, u"d"), sumOf(income, u"k")}},
            {QStringLiteral("Книга доходов и расходов-месячная"), {sumOf(income, u"d"), sumOf(income, u"k")}},
            {QStringLiteral("Книга расчетов по банку"), {sumOf(bank, u"d"), sumOf(bank, u"k1"), sumOf(bank, u"r")}},
            {QStringLiteral("Книга расчетов по кассе"), {sumOf(cash, u"d"), sumOf(cash, u"k1"), sumOf(cash, u"r")}},
            {QStringLiteral("Кассовая книга"), {sumOf(orders, u"rr")}},   // the last balance
            {QStringLiteral("Сводный отчет по операциям"),
             {sumOf(byOperation, u"d", u"sr"), sumOf(byOperation, u"k1", u"sr")}},
            {QStringLiteral("Книга расчетов с контрагентами"),
             {sumOf(byCounterparty, u"d", u"k"), sumOf(byCounterparty, u"k1", u"k")}},
            {QStringLiteral("Титульный лист"), {QStringLiteral("На %1 год").arg(year), requisites.text(u"np")}},
        };
        // The act's turnovers over the year: the documents issued to the buyer but its cash orders, and its
        // payments by their direction.
        auto sum = [&](const QString& sql) {
            Statement total = store.database().prepare(sql);
            total.bind(1, Value(kActBuyer));
            total.bind(2, Value(QStringLiteral("%1-01-01").arg(year)));
            total.bind(3, Value(QStringLiteral("%1-12-31").arg(year)));
            return total.step() ? Money::fromUnits(total.integer(0)) : Money();
        };
        const Money issued = sum(QStringLiteral("SELECT IFNULL(SUM(sss), 0) FROM jur1 WHERE z = ?1 AND dd BETWEEN ?2 AND ?3 AND dok"
                                                " NOT IN ('Кассовый ордер-пр', 'Расходный кассовый ордер')"));
        auto paid = [&](const char* direction) {
            return sum(QStringLiteral("SELECT IFNULL(SUM(s), 0) FROM jur WHERE k = ?1 AND dd BETWEEN ?2 AND ?3 AND dok IN "
                                      "('ПП', 'КО') AND vr = '%1'").arg(QString::fromUtf8(direction)));
        };
        ASSERT_GT(issued, Money());
        books.push_back({kReconciliationKind, {(issued + paid("Расход")).toFixed(2), paid("Приход").toFixed(2)}});
    }
    int n = 0;
    for (const Expected& b : books) {
        SCOPED_TRACE(b.kind.toStdString());
        const QString pdf = file(QStringLiteral("book-%1.pdf").arg(++n));
        QStringList args{QStringLiteral("book"), b.kind, QStringLiteral("--from"), QStringLiteral("01.01.%1").arg(year),
                         QStringLiteral("--to"), QStringLiteral("31.12.%1").arg(year), QStringLiteral("--pdf"), pdf};
        if (b.kind == kReconciliationKind)
            args << QStringLiteral("--counterparty") << kActBuyer;
        const Outcome r = print(args, dir());
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QString text = pdfText(pdf);
        for (const QString& expected : b.texts)
            EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << "\n" << text.left(2000).toStdString();
    }
    // --forms overrides the stored choice for one run: the title page of the current book.
    const QString current = file(QStringLiteral("title-2026.pdf"));
    const Outcome r = print({QStringLiteral("book"), QStringLiteral("Титульный лист"), QStringLiteral("--from"),
                             QStringLiteral("01.01.%1").arg(year), QStringLiteral("--to"), QStringLiteral("31.12.%1").arg(year),
                             QStringLiteral("--forms"), QStringLiteral("2026"), QStringLiteral("--pdf"), current},
                            dir());
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(pdfText(current).contains(QStringLiteral("Объект налогообложения")));
}

TEST_F(PrintTool, RowsAreWrittenAsSemicolonSeparatedUtf8WithQuotesDoubled)
{
    struct Case {
        QStringList args;
        QString header;
        QStringList someLines;      // lines that must be present
        int lines;                  // data lines, -1 for "any"
    };
    const Case cases[] = {
        {{QStringLiteral("rows"), QStringLiteral("ADOTable_sr")}, QStringLiteral("sr;vr"),
         {QStringLiteral("Аренда помещения;Расход"), QStringLiteral("Выручка наличными;Приход")}, 7},
        {{QStringLiteral("rows"), QStringLiteral("ADOTable_sr"), QStringLiteral("--filter"),
          QStringLiteral("sr ='аренда помещения'")},
         QStringLiteral("sr;vr"), {QStringLiteral("Аренда помещения;Расход")}, 1},
        {{QStringLiteral("rows"), QStringLiteral("ADOTable_k"), QStringLiteral("--filter"),
          QStringLiteral("k ='ООО \"Ромашка\"'")},
         QStringLiteral("k;dd;ad;b;unn;ok;fio;email;edo_id;country"),
         {QStringLiteral("\"ООО \"\"Ромашка\"\"\";02.03.%1;г. Клин, ул. Ленина, 5;Банк «Возрождение», р/с "
                         "40702810900000000055;5020012345/502001001;11223344;;;2AL-5020012345-502001001;")},
         1},
        {{QStringLiteral("rows"), QStringLiteral("ADOTable_stov"), QStringLiteral("--filter"),
          QStringLiteral("naz ='Ручка шариковая синяя'")},
         QStringLiteral("naz;eu;str;gtd;nds;cen"), {QStringLiteral("Ручка шариковая синяя;шт;Россия;;22;14,9")}, 1},
    };
    int year = 0;
    {
        DataStore store(file(QStringLiteral("kn.mdb")));
        DataSet& k = store.dataSet(u"ADOTable_k");
        if (!k.isOpen())
            k.open();
        year = k.date(u"dd").year();
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const Outcome r = print(c.args, dir());
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        QStringList lines = r.out.split(u'\n');
        ASSERT_EQ(lines.takeLast(), QString());        // every line ends with a line break
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_EQ(lines.takeFirst(), c.header);
        if (c.lines >= 0) {
            EXPECT_EQ(lines.size(), c.lines);
        }
        for (const QString& line : c.someLines)
            EXPECT_TRUE(lines.contains(line.contains(QStringLiteral("%1")) ? line.arg(year) : line))
                << line.toStdString() << "\n" << r.out.toStdString();
    }
}

TEST_F(PrintTool, MistakesAreReportedWithTheirExitCodes)
{
    {
        DataStore store(file(QStringLiteral("kn.mdb")));
        DataSet& jur1 = store.jur1();
        jur1.append();
        jur1.setText(u"dok", QStringLiteral("Договор"));
        for (int i = 0; i < 10; ++i)
            jur1.setText(QStringLiteral("naz%1").arg(i), QStringLiteral("-"));
        jur1.post();
        ASSERT_EQ(jur1.integer(u"k"), 34);
    }
    QTemporaryDir empty;
    struct Case {
        QStringList args;
        int exitCode;
        QString out;        // expected within standard output
        QString err;        // expected within standard error
        bool inEmptyDir = false;
    };
    const QString y = QStringLiteral("2024");
    const Case cases[] = {
        {{}, 2, {}, QStringLiteral("Использование:")},
        {{QStringLiteral("print")}, 2, {}, QStringLiteral("Использование:")},
        {{QStringLiteral("document")}, 2, {}, QStringLiteral("Укажите ключ документа")},
        {{QStringLiteral("document"), QStringLiteral("abc")}, 2, {},
         QStringLiteral("Ключ документа «abc» не является целым числом")},
        {{QStringLiteral("document"), QStringLiteral("999")}, 1, {},
         QStringLiteral("Документа с ключом 999 нет в базе данных")},
        {{QStringLiteral("document"), QStringLiteral("34")}, 0, QStringLiteral("Вид документа «Договор» не печатается\n"),
         {}},
        {{QStringLiteral("document"), QStringLiteral("1"), QStringLiteral("--pdf"), QStringLiteral("a.pdf"),
          QStringLiteral("--layout"), QStringLiteral("b.txt")},
         2, {}, QStringLiteral("Укажите либо --pdf, либо --layout, но не оба")},
        {{QStringLiteral("document"), QStringLiteral("1"), QStringLiteral("--pdf")}, 2, {},
         QStringLiteral("После --pdf нужно значение")},
        {{QStringLiteral("document"), QStringLiteral("1"), QStringLiteral("--forms"), QStringLiteral("2027")}, 2, {},
         QStringLiteral("После --forms укажите described или 2026")},
        {{QStringLiteral("rows"), QStringLiteral("ADOTable_sr"), QStringLiteral("--forms"), QStringLiteral("2026")}, 2,
         {}, QStringLiteral("--forms подходит только к document и book")},
        {{QStringLiteral("document"), QStringLiteral("1"), QStringLiteral("--pdf"),
          QStringLiteral("/nonexistent-folder/a.pdf")},
         1, {}, QStringLiteral("не существует: файл /nonexistent-folder/a.pdf не записан")},
        {{QStringLiteral("book"), QStringLiteral("Книга продаж"), QStringLiteral("--from"), "01.01." + y,
          QStringLiteral("--to"), "31.12." + y},
         2, {}, QStringLiteral("Неизвестный вид отчета «Книга продаж»")},
        {{QStringLiteral("book"), QStringLiteral("Титульный лист"), QStringLiteral("--from"), "32.01." + y,
          QStringLiteral("--to"), "31.12." + y},
         2, {}, "«32.01." + y + "» после --from не является датой дд.ММ.гггг"},
        {{QStringLiteral("book"), QStringLiteral("Титульный лист"), QStringLiteral("--from"), "01.01." + y}, 2, {},
         QStringLiteral("Укажите --to дд.ММ.гггг")},
        {{QStringLiteral("book"), QStringLiteral("Акт сверки"), QStringLiteral("--from"), "01.01." + y,
          QStringLiteral("--to"), "31.12." + y},
         2, {}, QStringLiteral("Для «Акт сверки» укажите контрагента: --counterparty НАИМЕНОВАНИЕ")},
        {{QStringLiteral("book"), QStringLiteral("Акт сверки"), QStringLiteral("--counterparty"), QStringLiteral("ООО Нет"),
          QStringLiteral("--from"), "01.01." + y, QStringLiteral("--to"), "31.12." + y, QStringLiteral("--pdf"),
          QStringLiteral("act.pdf")},
         1, {}, QStringLiteral("Контрагента «ООО Нет» нет в списке поставщиков и покупателей")},
        {{QStringLiteral("book"), QStringLiteral("Титульный лист"), QStringLiteral("--counterparty"), QStringLiteral("ООО Нет"),
          QStringLiteral("--from"), "01.01." + y, QStringLiteral("--to"), "31.12." + y},
         2, {}, QStringLiteral("--counterparty подходит только к «Акт сверки»")},
        {{QStringLiteral("rows"), QStringLiteral("ADOTable_nope")}, 1, {},
         QStringLiteral("Нет набора данных «ADOTable_nope»")},
        {{QStringLiteral("rows"), QStringLiteral("ADOTable_sr"), QStringLiteral("--pdf"), QStringLiteral("a.pdf")}, 2,
         {}, QStringLiteral("rows пишет только CSV")},
        {{QStringLiteral("rows"), QStringLiteral("ADOTable_sr")}, 1, {}, QStringLiteral("kn.mdb"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const Outcome r = print(c.args, c.inEmptyDir ? empty.path() : dir());
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err.toStdString();
        if (!c.out.isEmpty()) {
            EXPECT_EQ(r.out, c.out);
        }
        EXPECT_TRUE(r.err.contains(c.err)) << r.err.toStdString();
    }
    // A malformed filter is the data layer's error, not a crash.
    const Outcome badFilter = print({QStringLiteral("rows"), QStringLiteral("ADOTable_sr"), QStringLiteral("--filter"),
                                 QStringLiteral("sr ='O'Brien'")},
                                dir());
    EXPECT_EQ(badFilter.exitCode, 1);
    EXPECT_FALSE(badFilter.err.trimmed().isEmpty());
}

TEST_F(PrintTool, NoOutputReplacesTheDatabaseAndAFailedWriteIsAFailure)
{
    const QString db = file(QStringLiteral("kn.mdb"));
    QFile::remove(file(QStringLiteral("hard.mdb")));
    QFile::remove(file(QStringLiteral("soft.mdb")));
    ASSERT_TRUE(QFile::link(db, file(QStringLiteral("soft.mdb"))));
    ASSERT_EQ(::link(QFile::encodeName(db).constData(), QFile::encodeName(file(QStringLiteral("hard.mdb"))).constData()), 0);
    const QString doc = QStringLiteral("1");
    const QString book[] = {QStringLiteral("book"), QStringLiteral("Кассовая книга"), QStringLiteral("--from"),
                            QStringLiteral("01.01.2000"), QStringLiteral("--to"), QStringLiteral("31.12.2099")};
    struct Case {
        QStringList args;
        const char16_t* err;
    };
    const Case cases[] = {
        {{"document", doc, "--pdf", "kn.mdb"}, u"открытой базы данных"},
        {{"document", doc, "--pdf", "./kn.mdb"}, u"открытой базы данных"},
        {{"document", doc, "--pdf", db}, u"открытой базы данных"},
        {{"document", doc, "--pdf", "hard.mdb"}, u"открытой базы данных"},
        {{"document", doc, "--layout", "soft.mdb"}, u"открытой базы данных"},
        {QStringList(std::begin(book), std::end(book)) << "--pdf" << "kn.mdb", u"открытой базы данных"},
        {{"rows", "ADOTable_sr", "--csv", "soft.mdb"}, u"открытой базы данных"},
        {{"rows", "ADOTable_k", "--xlsx", "soft.mdb"}, u"открытой базы данных"},
        {{"rows", "ADOTable_k", "--xlsx", "hard.mdb"}, u"открытой базы данных"},
        {QStringList(std::begin(book), std::end(book)) << "--xlsx" << db, u"открытой базы данных"},
        {{"document", doc, "--pdf", "/dev/full"}, u"не обычный файл"},
        {{"document", doc, "--layout", "/dev/null"}, u"не обычный файл"},
        {QStringList{"book", "Книга расчетов по банку", "--from", "01.01.2000", "--to", "31.12.2099", "--pdf", "/dev/full"},
         u"не обычный файл"},
        {{"rows", "ADOTable_jur", "--csv", "/dev/full"}, u"не обычный файл"},
        {{"rows", "ADOTable_k", "--xlsx", "/dev/full"}, u"не обычный файл"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const Outcome r = print(c.args, dir());
        EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(c.err)) << r.err.toStdString();
    }
    struct stat device {};
    ASSERT_EQ(::stat("/dev/full", &device), 0);
    EXPECT_TRUE(S_ISCHR(device.st_mode));

    // A write cut short (the file size limit stands in for a full disk) fails, leaving no file.
    const QStringList bankBook = {"book", "Книга расчетов по банку", "--from", "01.01.2000", "--to", "31.12.2099"};
    const QStringList cut[] = {
        bankBook + QStringList{"--pdf", "cut.pdf"},
        bankBook + QStringList{"--layout", "cut.txt"},
        bankBook + QStringList{"--xlsx", "cut.xlsx"},
        {"rows", "ADOTable_jur", "--csv", "cut.csv"},
    };
    for (const QStringList& args : cut) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        const Outcome r = run(QStringLiteral("/bin/bash"),
                              QStringList{"-c", "trap '' XFSZ; ulimit -f 2; exec \"$0\" \"$@\"", VI23_PRINT_EXE} + args, dir());
        EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
        EXPECT_FALSE(r.err.trimmed().isEmpty());
        EXPECT_FALSE(QFileInfo::exists(file(args.last())));
    }
    EXPECT_EQ(QDir(dir()).entryList({QStringLiteral(".*.tmp")}, QDir::Files | QDir::Hidden), QStringList());
    // The database is whole and still the program's.
    DataStore store(db);
    Statement check = store.database().prepare(QStringLiteral("PRAGMA integrity_check"));
    ASSERT_TRUE(check.step());
    EXPECT_EQ(check.text(0), QStringLiteral("ok"));
    EXPECT_EQ(QDir(dir()).entryList({QStringLiteral(".*.tmp")}, QDir::Files | QDir::Hidden), QStringList());

    // The standard output on a full disk.
    QProcess p;
    p.setWorkingDirectory(dir());
    p.setStandardOutputFile(QStringLiteral("/dev/full"));
    p.start(QStringLiteral(VI23_PRINT_EXE), {"rows", "ADOTable_jur"});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains(u"Нет места на диске"));
}

TEST_F(PrintTool, TwoPrintsAtOnceEachPrintTheirOwnDocument)
{
    // A copy of the demo file with a print log of 300,000 rows.
    QTemporaryDir own;
    const QString db = own.filePath(QStringLiteral("kn.mdb"));
    ASSERT_TRUE(QFile::copy(file(QStringLiteral("kn.mdb")), db));
    QList<long long> keys;
    {
        DataStore store(db);
        store.database().exec(QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 300000) "
                                             "INSERT INTO z (pr) SELECT 'Журнал печати' FROM n"));
        DataSet& jur1 = store.jur1();
        for (jur1.first(); !jur1.eof() && keys.size() < 2; jur1.next()) {
            if (jur1.text(u"dok") == u"Счет")
                keys << jur1.integer(u"k");
        }
    }
    ASSERT_EQ(keys.size(), 2);
    auto args = [](long long key) {
        return QStringList{QStringLiteral("document"), QString::number(key), QStringLiteral("--layout"), QStringLiteral("-")};
    };
    QStringList alone;
    for (long long key : keys) {
        const Outcome r = print(args(key), own.path());
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        alone << r.out;
    }
    ASSERT_NE(alone[0], alone[1]);
    for (int pair = 0; pair < 8; ++pair) {
        SCOPED_TRACE(pair);
        QProcess first, second;
        for (QProcess* p : {&first, &second}) {
            p->setWorkingDirectory(own.path());
            p->setProcessEnvironment(QProcessEnvironment::systemEnvironment());
        }
        first.start(QStringLiteral(VI23_PRINT_EXE), args(keys[0]));
        second.start(QStringLiteral(VI23_PRINT_EXE), args(keys[1]));
        ASSERT_TRUE(first.waitForFinished(120000));
        ASSERT_TRUE(second.waitForFinished(120000));
        EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
        EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
        EXPECT_EQ(QString::fromUtf8(first.readAllStandardOutput()), alone[0]);
        EXPECT_EQ(QString::fromUtf8(second.readAllStandardOutput()), alone[1]);
    }
}

TEST_F(PrintTool, PrintingWithoutAPrinterFailsClearly)
{
    // No print server to ask, so there is no default printer whatever the machine has.
    const Outcome r = print({QStringLiteral("document"), QStringLiteral("1")}, dir(),
                        {{QStringLiteral("CUPS_SERVER"), QStringLiteral("/nonexistent/cups.sock")},
                         {QStringLiteral("PRINTER"), QString()},
                         {QStringLiteral("LPDEST"), QString()}});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("В системе нет принтера по умолчанию"))) << r.err.toStdString();
}

} // namespace
} // namespace vi23::e2e
