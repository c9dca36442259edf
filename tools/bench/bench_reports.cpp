// vi23-bench-reports: times the report engine and the books on large journals: a synthetic banded
// form with three group levels, the quarterly income and expense book, and the cash book.
#include "books/BookPrinting.h"
#include "data/DataStore.h"
#include "data/Database.h"
#include "data/Error.h"
#include "reports/ReportPreparer.h"
#include "reports/ReportRenderer.h"
#include "reports/TemplateSource.h"
#include "reports/templates/BuiltInTemplates.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <sys/resource.h>

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

// Journal rows spread over the years from 2006; every row a payment or cash order of a known operation.
void fillJournal(const QString& path, int rows, bool cashOnly)
{
    auto db = vi23::Database::create(path);
    vi23::Database::Transaction unit(*db);
    db->exec(QStringLiteral("INSERT INTO sr (sr, vr) VALUES ('Выручка', 'Приход'), ('Аренда', 'Расход')"));
    vi23::Statement insert = db->prepare(QStringLiteral("INSERT INTO jur (dd, nn, dok, sr, vr, s, k) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    for (int i = 0; i < rows; ++i) {
        const bool income = i % 3 != 0;
        insert.reset();
        insert.bind(1, QDate(2006, 1, 1).addDays(qint64(i) * 1826 / rows));
        insert.bind(2, QString::number(i % 99999));
        insert.bind(3, cashOnly || i % 2 ? QStringLiteral("КО") : QStringLiteral("ПП"));
        insert.bind(4, income ? QStringLiteral("Выручка") : QStringLiteral("Аренда"));
        insert.bind(5, income ? QStringLiteral("Приход") : QStringLiteral("Расход"));
        insert.bind(6, vi23::Money::fromUnits(std::int64_t(i % 977) * 10000 + 5000));
        insert.bind(7, QStringLiteral("Контрагент %1").arg(i % 300));
        insert.run();
    }
    unit.commit();
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    try {
        QTemporaryDir dir;
        const vi23::BuiltInTemplates forms = vi23::loadBuiltInTemplates();

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
                vi23::setPeriodFilter(store, from, to);
                vi23::PreparedReport book = vi23::prepareReport(*forms.find(QStringLiteral("frReport11")), store,
                    [from](const QString& name) { return vi23::bookValue(from, name); });
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
