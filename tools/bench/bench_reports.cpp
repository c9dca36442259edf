// vi23-bench-reports: times the report engine and the books on large journals: a synthetic banded
// form with three group levels, the quarterly income and expense book, and the cash book.
#include "books/BookPrinting.h"
#include "data/DataStore.h"
#include "data/Database.h"
#include "data/Error.h"
#include "reports/PrintRequest.h"
#include "reports/ReportPreparer.h"
#include "reports/ReportRenderer.h"
#include "reports/TemplateSource.h"
#include "reports/templates/BuiltInTemplates.h"
#include "help/CommandLine.h"
#include "import/ServerCopy.h"

#include "data/FixedQueries.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The synthetic form: year, quarter and month groups with their footers over the income book.
const char* kBandedForm = R"(template benchBanded
dataset frDBDataSet11
page paper=9 width=2100 height=2970 orientation=portrait margins=0,0,0,0
variables none
band Title kind=0 top=0 height=30
| 20 | 0 | 700 | 24 | - | A12b | CM |  | "Книга за период" |
band Header kind=2 top=40 height=20
| 20 | 0 | 100 | 20 | LTRB | A8 | CM |  | "Дата" |
| 120 | 0 | 400 | 20 | LTRB | A8 | CM |  | "Операция" |
| 520 | 0 | 100 | 20 | LTRB | A8 | CM |  | "Доход" |
band Year kind=16 top=70 height=18 condition=[ADOQuery11."g"]
| 20 | 0 | 600 | 18 | - | A10b | LM |  | "[ADOQuery11."g"] год" |
band Quarter kind=16 top=100 height=18 condition=[ADOQuery11."q"]
| 20 | 0 | 600 | 18 | - | A10b | LM |  | "[ADOQuery11."q"] квартал" |
band Month kind=16 top=130 height=18 condition=[ADOQuery11."m"]
| 20 | 0 | 600 | 18 | - | A9 | LM |  | "Месяц [ADOQuery11."m"]" |
band Rows kind=5 top=160 height=16 dataset=frDBDataSet11
| 20 | 0 | 100 | 16 | LB | A8 | LM | D1 | "[ADOQuery11."dd"]" |
| 120 | 0 | 400 | 16 | LB | A8 | LM |  | "[LINE#]. [ADOQuery11."sr"]" |
| 520 | 0 | 100 | 16 | LRB | A8 | RM | F2 | "[ADOQuery11."d"]" |
band MonthFooter kind=17 top=190 height=18
| 120 | 0 | 400 | 18 | - | A9b | RM |  | "Итого за месяц" |
| 520 | 0 | 100 | 18 | LRB | A9b | RM | F2 | "[sum([ADOQuery11."d"])]" |
band QuarterFooter kind=17 top=220 height=18
| 120 | 0 | 400 | 18 | - | A9b | RM |  | "Итого за квартал" |
| 520 | 0 | 100 | 18 | LRB | A9b | RM | F2 | "[sum([ADOQuery11."d"])]" |
band YearFooter kind=17 top=250 height=18
| 120 | 0 | 400 | 18 | - | A9b | RM |  | "Итого за год" |
| 520 | 0 | 100 | 18 | LRB | A9b | RM | F2 | "[sum([ADOQuery11."d"])]" |
band Footer kind=3 top=1000 height=20
| 600 | 0 | 100 | 20 | - | A8 | RM |  | "Стр. [PAGE#]" |
)";

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

double seconds(QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

// The i-th row of a synthetic journal: two rows in three are income, payment and cash orders in turn.
void insertJournalRow(vi23::Statement& insert, QDate date, int i, bool cashOnly)
{
    const bool income = i % 3 != 0;
    insert.reset();
    insert.bind(1, date);
    insert.bind(2, QString::number(i % 99999));
    insert.bind(3, cashOnly || i % 2 ? QStringLiteral("КО") : QStringLiteral("ПП"));
    insert.bind(4, income ? QStringLiteral("Выручка") : QStringLiteral("Аренда"));
    insert.bind(5, income ? QStringLiteral("Приход") : QStringLiteral("Расход"));
    insert.bind(6, vi23::Money::fromUnits(std::int64_t(i % 977) * 10000 + 5000));
    insert.bind(7, QStringLiteral("Контрагент %1").arg(i % 300));
    insert.run();
}

// Journal rows spread over the years from 2006; every row a payment or cash order of a known operation.
void fillJournal(const QString& path, int rows, bool cashOnly)
{
    auto db = vi23::Database::create(path);
    vi23::Database::Transaction unit(*db);
    db->exec(QStringLiteral("INSERT INTO sr (sr, vr) VALUES ('Выручка', 'Приход'), ('Аренда', 'Расход')"));
    vi23::Statement insert = db->prepare(QStringLiteral("INSERT INTO jur (dd, nn, dok, sr, vr, s, k) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    for (int i = 0; i < rows; ++i)
        insertJournalRow(insert, QDate(2006, 1, 1).addDays(qint64(i) * 1826 / rows), i, cashOnly);
    unit.commit();
}

// `perYear` journal rows in each year from firstYear to lastYear, a payment or cash order of a
// known operation every one of them, as a bookkeeper's quarterly book would hold.
void fillYears(const QString& path, int perYear, int firstYear, int lastYear)
{
    auto db = vi23::Database::create(path);
    vi23::Database::Transaction unit(*db);
    db->exec(QStringLiteral("INSERT INTO sr (sr, vr) VALUES ('Выручка', 'Приход'), ('Аренда', 'Расход')"));
    vi23::Statement insert = db->prepare(QStringLiteral("INSERT INTO jur (dd, nn, dok, sr, vr, s, k) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    for (int year = firstYear; year <= lastYear; ++year) {
        const QDate first(year, 1, 1);
        const int days = first.daysInYear();
        for (int i = 0; i < perYear; ++i)
            insertJournalRow(insert, first.addDays(qint64(i) * days / perYear), i, false);
    }
    unit.commit();
}

// The book's own query run straight through SQLite, every cell read as text: the floor of any print.
double rawQuerySeconds(const QString& path, QDate from, QDate to)
{
    auto db = vi23::Database::open(path);
    const QString sql = vi23::fixedQuery(u"ADOQuery11").definition.periodSql;
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        vi23::Statement query = db->prepare(sql);
        query.bind(1, from);
        query.bind(2, to.addDays(1));
        qsizetype characters = 0;
        while (query.step()) {
            for (int c = 0; c < query.columnCount(); ++c)
                characters += query.text(c).size();
        }
        best = std::min(best, seconds(timer));
        if (characters == 0)
            throw vi23::UserError(QStringLiteral("the raw query returned nothing"));
    }
    return best;
}

struct ChildRun {
    double seconds = 0;
    double peakMegabytes = 0;
};

// A stopped child's peak resident memory so far, in MiB.
double residentPeakMegabytes(pid_t pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
    }
    return 0;
}

// One run of a companion tool in `folder`, with its own wall time and peak memory. The peak is read
// at the child's exit, while its memory is still there: the one the kernel reports when reaping
// would count the bench's own, which the child shared until the tool was loaded.
ChildRun runTool(const QString& program, const QStringList& arguments, const QString& folder)
{
    std::vector<QByteArray> bytes{QFile::encodeName(program)};
    for (const QString& a : arguments)
        bytes.push_back(a.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    const QByteArray directory = QFile::encodeName(folder);
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) == 0 && chdir(directory.constData()) == 0)
            execv(argv[0], argv.data());
        _exit(127);
    }
    if (pid < 0)
        throw vi23::UserError(QStringLiteral("cannot start %1").arg(program));
    ChildRun run;
    bool loaded = false;
    int status = 0;
    while (waitpid(pid, &status, 0) == pid && WIFSTOPPED(status)) {
        long signal = WSTOPSIG(status);
        if (signal == SIGTRAP && (status >> 16) == PTRACE_EVENT_EXIT) {
            run.peakMegabytes = residentPeakMegabytes(pid);
            signal = 0;
        } else if (signal == SIGTRAP && !loaded) {
            // The stop after the program is loaded: from here on only its exit is of interest.
            ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACEEXIT);
            loaded = true;
            signal = 0;
        }
        ptrace(PTRACE_CONT, pid, nullptr, reinterpret_cast<void*>(signal));
    }
    run.seconds = seconds(timer);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw vi23::UserError(QStringLiteral("%1 %2 failed").arg(program, arguments.join(u' ')));
    return run;
}

// The quarterly book of one year with 100,000 journal rows, printed by vi23-print as a user would,
// beside its raw query; then the same year out of a ten-year journal.
void benchPrintedBook(QTextStream& out, const QTemporaryDir& dir)
{
    const QString print = QCoreApplication::applicationDirPath() + QStringLiteral("/../vi23-print");
    const QString kind = QStringLiteral("Книга доходов и расходов-квартальная");
    const QDate from(2025, 1, 1), to(2025, 12, 31);
    const QStringList period{QStringLiteral("--from"), QStringLiteral("01.01.2025"), QStringLiteral("--to"),
                             QStringLiteral("31.12.2025")};
    struct Journal {
        QString folder;
        int firstYear;
    };
    const Journal journals[] = {{dir.filePath(QStringLiteral("one-year")), 2025},
                                {dir.filePath(QStringLiteral("ten-years")), 2016}};
    const QStringList layoutRun = QStringList{QStringLiteral("book"), kind} + period
        + QStringList{QStringLiteral("--layout"), QStringLiteral("book.txt")};
    double raw[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        QDir().mkpath(journals[i].folder);
        const QString path = journals[i].folder + QStringLiteral("/kn.mdb");
        fillYears(path, 100000, journals[i].firstYear, 2025);
        raw[i] = rawQuerySeconds(path, from, to);
    }
    // The best of three runs of each, as for the raw query; the two journals take turns, so that the
    // machine's drift from minute to minute weighs on both alike.
    ChildRun layout[2] = {{1e9, 0}, {1e9, 0}};
    for (int run = 0; run < 3; ++run) {
        for (int i = 0; i < 2; ++i) {
            const ChildRun one = runTool(print, layoutRun, journals[i].folder);
            layout[i] = ChildRun{std::min(layout[i].seconds, one.seconds), std::max(layout[i].peakMegabytes, one.peakMegabytes)};
        }
    }
    for (int i = 0; i < 2; ++i) {
        out << QStringLiteral("quarterly book of 2025, journal of %1 years x 100000 rows: raw query %2 s\n")
                   .arg(2026 - journals[i].firstYear).arg(raw[i], 0, 'f', 3);
        out << QStringLiteral("  vi23-print --layout %1 s = %2 x the raw query (target 3), peak %3 MiB (target 150)\n")
                   .arg(layout[i].seconds, 0, 'f', 2).arg(layout[i].seconds / raw[i], 0, 'f', 1)
                   .arg(layout[i].peakMegabytes, 0, 'f', 0);
    }
    out << QStringLiteral("  one year of ten costs %1 x one year of one (target 1)\n")
               .arg(layout[1].seconds / layout[0].seconds, 0, 'f', 2);
    out.flush();
    const double oneYearPeak = layout[0].peakMegabytes;
    const ChildRun oneYearPdf = runTool(print, QStringList{QStringLiteral("book"), kind} + period
                                                   + QStringList{QStringLiteral("--pdf"), QStringLiteral("book.pdf")},
                                        journals[0].folder);

    // Memory a journal row adds: the same book from a tenth of the rows.
    {
        const QString folder = dir.filePath(QStringLiteral("tenth"));
        QDir().mkpath(folder);
        fillYears(folder + QStringLiteral("/kn.mdb"), 10000, 2025, 2025);
        const ChildRun tenth = runTool(print, layoutRun, folder);
        out << QStringLiteral("  peak memory grows by %1 bytes a journal row (10000 rows: %2 MiB, 100000 rows: %3 MiB)\n")
                   .arg((oneYearPeak - tenth.peakMegabytes) * 1048576.0 / 90000.0, 0, 'f', 0)
                   .arg(tenth.peakMegabytes, 0, 'f', 0).arg(oneYearPeak, 0, 'f', 0);
    }

    // Only now the book in this process: a program started from here takes this process's peak memory
    // so far as its own starting peak, so every vi23-print run comes first.
    const Journal& oneYear = journals[0];
    vi23::DataStore store(oneYear.folder + QStringLiteral("/kn.mdb"));
    const vi23::PrintRequest request = vi23::printBook(store, kind, from, to);
    const vi23::BuiltInTemplates forms = vi23::loadBuiltInTemplates();
    const vi23::PreparedReport book = vi23::preparePrint(*forms.find(request.templateName), store, request);
    QElapsedTimer timer;
    timer.start();
    vi23::exportPdf(book, oneYear.folder + QStringLiteral("/step.pdf"));
    const double step = seconds(timer);
    const double pages = double(book.pages.size());
    out << QStringLiteral("quarterly book of 2025, journal of 1 years: vi23-print --pdf %1 pages in %2 s = %3 pages/s end to end "
                          "(target 500), peak %4 MiB (target 150), %5 KB a page\n")
               .arg(book.pages.size()).arg(oneYearPdf.seconds, 0, 'f', 2).arg(pages / oneYearPdf.seconds, 0, 'f', 0)
               .arg(oneYearPdf.peakMegabytes, 0, 'f', 0)
               .arg(double(QFileInfo(oneYear.folder + QStringLiteral("/book.pdf")).size()) / 1024.0 / pages, 0, 'f', 2);
    out << QStringLiteral("  the PDF step alone %1 pages/s (target 800)\n").arg(pages / step, 0, 'f', 0);
}

// `count` invoices spread over the year, as the documents tab reads them.
void addDocuments(const QString& path, int count, int year)
{
    auto db = vi23::Database::open(path);
    vi23::Database::Transaction unit(*db);
    vi23::Statement insert = db->prepare(QStringLiteral("INSERT INTO jur1 (dok, n, dd, z, naz0, kol0, cen0, nds0, s0, sss) "
                                                        "VALUES ('Счет', ?, ?, ?, 'Ремонт принтера', 1, ?, 20, ?, ?)"));
    for (int i = 0; i < count; ++i) {
        insert.reset();
        insert.bind(1, std::int64_t(i + 1));
        insert.bind(2, QDate(year, 1, 1).addDays(i % 365));
        insert.bind(3, QStringLiteral("Контрагент %1").arg(i % 300));
        insert.bind(4, vi23::Money::fromUnits(18500000));
        insert.bind(5, vi23::Money::fromUnits(22200000));
        insert.bind(6, vi23::Money::fromUnits(22200000));
        insert.run();
    }
    unit.commit();
}

// The best of three openings of the window's data sets (the documents, the journal, the lists).
double openingSeconds(const QString& location)
{
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        const vi23::DataStore store(location);
        best = std::min(best, seconds(timer));
    }
    return best;
}

// The same year of 100,000 journal rows and 20,000 documents in a file and, copied as an office moves,
// in the server database: the quarterly book printed by vi23-print and the window's data opened from
// each. The server database must be empty; the tables made in it are dropped at the end.
void benchServer(QTextStream& out, const QTemporaryDir& dir, const QString& server)
{
    const QString print = QCoreApplication::applicationDirPath() + QStringLiteral("/../vi23-print");
    const QString folder = dir.filePath(QStringLiteral("beside-server"));
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/kn.mdb");
    fillYears(path, 100000, 2025, 2025);
    addDocuments(path, 20000, 2025);
    QElapsedTimer timer;
    timer.start();
    vi23::copyFileToServer(path, server);
    out << QStringLiteral("server: 100000 journal rows and 20000 documents copied by vi23-import sqlite in %1 s\n")
               .arg(seconds(timer), 0, 'f', 1);
    out.flush();
    const QStringList book{QStringLiteral("book"), QStringLiteral("Книга доходов и расходов-квартальная"), QStringLiteral("--from"),
                           QStringLiteral("01.01.2025"), QStringLiteral("--to"), QStringLiteral("31.12.2025"),
                           QStringLiteral("--layout"), QStringLiteral("book.txt"), QStringLiteral("--db")};
    double printed[2] = {1e9, 1e9};
    for (int run = 0; run < 3; ++run) {
        printed[0] = std::min(printed[0], runTool(print, book + QStringList{path}, folder).seconds);
        printed[1] = std::min(printed[1], runTool(print, book + QStringList{server}, folder).seconds);
    }
    out << QStringLiteral("  quarterly book of 2025 over 100000 journal rows, vi23-print --layout: file %1 s, server %2 s = %3 x the file "
                          "(target 2)\n")
               .arg(printed[0], 0, 'f', 2).arg(printed[1], 0, 'f', 2).arg(printed[1] / printed[0], 0, 'f', 2);
    out.flush();
    const double opened[2] = {openingSeconds(path), openingSeconds(server)};
    out << QStringLiteral("  the window's data (documents, journal, lists) over them: file %1 s, server %2 s (target 1) = %3 x the file\n")
               .arg(opened[0], 0, 'f', 3).arg(opened[1], 0, 'f', 3).arg(opened[1] / opened[0], 0, 'f', 1);
    out.flush();
    vi23::dropProgramTables(*vi23::Database::openForReading(server));
}

} // namespace

namespace {

const vi23::help::ProgramHelp kHelp = {
    "vi23-bench-reports", "замер подготовки и печати отчетов на больших журналах",
    "Использование:\n"
    "  vi23-bench-reports [--db postgresql://СЕРВЕР/ПУСТАЯ_БАЗА]\n",
    "Печатает время подготовки и записи PDF, страницы в секунду и пиковую память: форма с тремя уровнями\n"
    "групп на 100000 строк, квартальная книга доходов и расходов на 100000 строк журнала, кассовая книга\n"
    "из 20000 кассовых ордеров; а также время самого vi23-print для квартальной книги одного года в\n"
    "раскладке и в PDF рядом с запросом книги, тот же год из журнала за десять лет и память на строку\n"
    "журнала. Рядом с каждым временем - отношение к нему, измеренное в том же запуске.\n"
    "С --db (или переменной окружения VI23_DB) сначала переносит год из 100000 строк журнала и 20000\n"
    "документов в пустую базу данных на сервере PostgreSQL и печатает время квартальной книги и открытия\n"
    "данных окна на сервере рядом с файлом; созданные на сервере таблицы в конце удаляются.\n"};

} // namespace

int main(int argc, char* argv[])
{
    if (const int answered = vi23::help::answerStandardOptions(argc, argv, kHelp); answered >= 0)
        return answered;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString mistake;
    const QString server = vi23::help::takeDatabaseOption(args, {}, &mistake);
    if (!mistake.isEmpty() || !args.isEmpty())
        return vi23::help::usageError(kHelp, mistake.isEmpty() ? QStringLiteral("Неизвестный аргумент %1").arg(args[0]) : mistake);
    QTextStream out(stdout);
    try {
        QTemporaryDir dir;
        const vi23::BuiltInTemplates forms = vi23::loadBuiltInTemplates();
        if (!server.isEmpty())
            benchServer(out, dir, server);
        benchPrintedBook(out, dir);

        // 1. The synthetic banded form over 100,000 rows.
        const QString bigPath = dir.filePath(QStringLiteral("big.mdb"));
        fillJournal(bigPath, 100000, false);
        {
            vi23::DataStore store(bigPath);
            const vi23::Template banded = vi23::parseTemplateSource(QString::fromUtf8(kBandedForm), QStringLiteral("bench"));
            QElapsedTimer timer;
            timer.start();
            vi23::PreparedReport report = vi23::prepareReport(banded, store);
            const double prepare = seconds(timer);
            const double memory = peakMegabytes();
            const QString pdf = dir.filePath(QStringLiteral("banded.pdf"));
            timer.restart();
            vi23::exportPdf(report, pdf);
            const double render = seconds(timer);
            out << QStringLiteral("banded form, 3 group levels, 100000 rows: %1 pages\n").arg(report.pages.size());
            out << QStringLiteral("  prepare %1 s (target 2), %2 pages/s\n")
                       .arg(prepare, 0, 'f', 2).arg(double(report.pages.size()) / prepare, 0, 'f', 0);
            out << QStringLiteral("  render to PDF %1 s (target 10), %2 pages/s, %3 MB file\n")
                       .arg(render, 0, 'f', 2).arg(double(report.pages.size()) / render, 0, 'f', 0)
                       .arg(double(QFileInfo(pdf).size()) / 1e6, 0, 'f', 1);
            out << QStringLiteral("  peak memory after prepare %1 MB, after render %2 MB (target 500)\n")
                       .arg(memory, 0, 'f', 0).arg(peakMegabytes(), 0, 'f', 0);
            out.flush();

            // 2. The quarterly book over the same journal, one whole year and every year.
            for (auto [from, to] : {std::pair{QDate(2008, 1, 1), QDate(2008, 12, 31)}, std::pair{QDate(2006, 1, 1), QDate(2010, 12, 31)}}) {
                timer.restart();
                const vi23::PrintRequest request =
                    vi23::printBook(store, QStringLiteral("Книга доходов и расходов-квартальная"), from, to);
                vi23::PreparedReport book =
                    vi23::preparePrint(*forms.find(request.templateName), store, request);
                out << QStringLiteral("quarterly book %1 to %2 over 100000 journal rows: %3 pages prepared in %4 s (target 2)\n")
                           .arg(from.toString(QStringLiteral("dd.MM.yyyy")), to.toString(QStringLiteral("dd.MM.yyyy")))
                           .arg(book.pages.size()).arg(seconds(timer), 0, 'f', 2);
                out.flush();
            }
        }

        // 3. The cash book from 20,000 cash orders.
        const QString cashPath = dir.filePath(QStringLiteral("cash.mdb"));
        fillJournal(cashPath, 20000, true);
        vi23::DataStore cash(cashPath);
        QElapsedTimer timer;
        timer.start();
        const int rows = vi23::rebuildCashBook(cash);
        const double rebuild = seconds(timer);
        vi23::PreparedReport book = vi23::prepareReport(*forms.find(QStringLiteral("frReport_kas")), cash);
        out << QStringLiteral("cash book from %1 cash orders: rebuilt in %2 s, with %3 pages prepared in %4 s in all (target 2)\n")
                   .arg(rows).arg(rebuild, 0, 'f', 2).arg(book.pages.size()).arg(seconds(timer), 0, 'f', 2);
    } catch (const vi23::UserError& e) {
        QTextStream(stderr) << e.text() << "\n";
        return 1;
    }
    return 0;
}
