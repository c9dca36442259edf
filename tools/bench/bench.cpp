// vi23-bench: times the store's data-set operations on a large journal against the raw SQLite
// queries that do the same work, and prints the figures with their ratios.
#include "data/BankImport.h"
#include "data/DataStore.h"
#include "data/Database.h"
#include "data/Error.h"
#include "data/FilterExpression.h"
#include "help/CommandLine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <functional>
#include <random>

namespace {

double millisecondsOf(const std::function<void()>& work, int repeats = 3)
{
    double best = 1e300;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

long long rawCount(vi23::Database& db, const QString& sql)
{
    vi23::Statement statement = db.prepare(sql);
    long long rows = 0;
    while (statement.step()) {
        for (int c = 0; c < statement.columnCount(); ++c)
            (void)statement.text(c);
        ++rows;
    }
    return rows;
}

void fill(const QString& path, int journalRows, int documents)
{
    auto db = vi23::Database::create(path);
    std::mt19937 random(7);
    vi23::Database::Transaction transaction(*db);
    const char16_t* operations[] = {u"Выручка", u"Оплата поставщику", u"Аренда", u"Налог по УСН", u"Услуги связи"};
    const char16_t* kinds[] = {u"Приход", u"Расход", u"Расход", u"Расход", u"Расход"};
    for (int i = 0; i < 5; ++i) {
        vi23::Statement s = db->prepare(QStringLiteral("INSERT INTO sr (sr, vr) VALUES (?, ?)"));
        s.bind(1, QString::fromUtf16(operations[i]));
        s.bind(2, QString::fromUtf16(kinds[i]));
        s.run();
    }
    vi23::Statement jur = db->prepare(
        QStringLiteral("INSERT INTO jur (dd, nn, dok, sr, vr, s, k) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    const char16_t* documentKinds[] = {u"ПП", u"КО", u"ТН", u"А"};
    for (int i = 0; i < journalRows; ++i) {
        int op = int(random() % 5);
        jur.reset();
        jur.bind(1, QDate(2006, 1, 1).addDays(i * 1826LL / journalRows));
        jur.bind(2, QString::number(i % 99999));
        jur.bind(3, QString::fromUtf16(documentKinds[random() % 4]));
        jur.bind(4, QString::fromUtf16(operations[op]));
        jur.bind(5, QString::fromUtf16(kinds[op]));
        jur.bind(6, vi23::Money::fromUnits(std::int64_t(random() % 100000000)));
        jur.bind(7, QStringLiteral("Контрагент %1").arg(random() % 500));
        jur.run();
    }
    vi23::Statement doc = db->prepare(QStringLiteral(
        "INSERT INTO jur1 (dok, n, dd, z, naz0, kol0, cen0, nds0, s0, naz1, sss) VALUES (?, ?, ?, ?, ?, 2, 1000000, 20, 2400000, '-', 2400000)"));
    for (int i = 0; i < documents; ++i) {
        doc.reset();
        doc.bind(1, QStringLiteral("Счет"));
        doc.bind(2, QString::number(i + 1));
        doc.bind(3, QDate(2010, 1, 1).addDays(i % 365));
        doc.bind(4, QStringLiteral("Контрагент %1").arg(i % 500));
        doc.bind(5, QStringLiteral("Товар %1").arg(i % 200));
        doc.run();
    }
    transaction.commit();
}

const vi23::help::ProgramHelp kHelp = {
    "vi23-bench", "замер операций наборов данных на большом журнале рядом с запросами SQLite",
    "Использование:\n"
    "  vi23-bench [СТРОК_ЖУРНАЛА [ДОКУМЕНТОВ]]\n",
    "Строит во временной папке базу с СТРОК_ЖУРНАЛА строками журнала (по умолчанию 100000) и\n"
    "ДОКУМЕНТОВ документами (по умолчанию 20000) и печатает время открытия, фильтра, сортировки и поиска\n"
    "в журнале и открытия книги доходов и расходов, каждое рядом со временем запроса SQLite, делающего\n"
    "ту же работу, и их отношение.\n"};

// A count of the command line: a whole number above zero.
int countArgument(const char* text)
{
    bool ok = false;
    const int count = QString::fromLocal8Bit(text).toInt(&ok);
    return ok && count > 0 ? count : -1;
}

// One side of a payment as the bank writes it.
QString partyLines(const QString& side, const QString& account, const QString& name, const QString& inn)
{
    QString lines = QStringLiteral("%1Счет=%2\n").arg(side, account);
    if (!name.isEmpty())
        lines += side + QStringLiteral("1=") + name + u'\n' + side + QStringLiteral("ИНН=") + inn + u'\n';
    return lines;
}

// A statement of one account: payments in and out, two in three with counterparties met before,
// the account section's totals those of the documents.
QByteArray statementOf(int payments)
{
    const QString ours = QStringLiteral("40702810900000000001");
    QStringList documents;
    vi23::Money in, out;
    for (int i = 0; i < payments; ++i) {
        const int who = i % 3 == 0 ? 1000 + i : i % 500;
        const bool incoming = i % 2 == 0;
        const vi23::Money sum = vi23::Money::fromUnits(std::int64_t(1000000 + (i % 997) * 1300));
        (incoming ? in : out) += sum;
        const QString other = partyLines(incoming ? QStringLiteral("Плательщик") : QStringLiteral("Получатель"),
                                         QStringLiteral("407028100%1").arg(who, 11, 10, QChar(u'0')),
                                         QStringLiteral("ООО Контрагент %1").arg(who), QStringLiteral("77%1").arg(who, 8, 10, QChar(u'0')));
        const QString self = partyLines(incoming ? QStringLiteral("Получатель") : QStringLiteral("Плательщик"), ours, {}, {});
        documents << QStringLiteral("СекцияДокумент=Платежное поручение\nНомер=%1\nДата=10.03.2026\nСумма=%2\n%3%4%5=10.03.2026\n"
                                    "НазначениеПлатежа=Оплата по счёту %1\nКонецДокумента")
                         .arg(i + 1)
                         .arg(sum.toFixed(2, u'.'), other, self, incoming ? QStringLiteral("ДатаПоступило") : QStringLiteral("ДатаСписано"));
    }
    const QString head = QStringLiteral("1CClientBankExchange\nКодировка=Windows\nРасчСчет=%1\nСекцияРасчСчет\nДатаНачала=01.03.2026\n"
                                        "ДатаКонца=31.03.2026\nРасчСчет=%1\nНачальныйОстаток=0\nВсегоПоступило=%2\nВсегоСписано=%3\n"
                                        "КонечныйОстаток=%4\nКонецРасчСчет\n")
                             .arg(ours, in.toFixed(2, u'.'), out.toFixed(2, u'.'), (in - out).toFixed(2, u'.'));
    return (head + documents.join(u'\n') + QStringLiteral("\nКонецФайла\n")).toUtf8();
}

// Reading, planning and storing a statement into a file of a few operations, as vi23-import does.
double bankImportMilliseconds(const QString& folder, int payments)
{
    const QByteArray bytes = statementOf(payments);
    double best = 1e300;
    for (int run = 0; run < 2; ++run) {
        const QString path = QStringLiteral("%1/bank-%2-%3.mdb").arg(folder).arg(payments).arg(run);
        {
            auto db = vi23::Database::create(path);
            db->exec(QStringLiteral("UPDATE pr1 SET rs = '40702810900000000001';"
                                    "INSERT INTO sr (sr, vr) VALUES ('Выручка', 'Приход'), ('Оплата поставщику', 'Расход')"));
        }
        auto db = vi23::Database::open(path);
        QElapsedTimer timer;
        timer.start();
        const int added = vi23::applyImport(*db, vi23::planImport(*db, vi23::parseBankStatement(bytes)));
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
        if (added != payments)
            throw vi23::UserError(QStringLiteral("из %1 платежей загружено %2").arg(payments).arg(added));
    }
    return best;
}

// The bank import line: a 14,000-payment statement against a 2,000-payment one.
void printBankImport(QTextStream& out, const QString& folder)
{
    const double small = bankImportMilliseconds(folder, 2000);
    const double large = bankImportMilliseconds(folder, 14000);
    out << QStringLiteral("bank statement import: 2000 payments %1 ms, 14000 payments %2 ms, ratio %3 (linear: 7, target at most 8) %4\n")
               .arg(small, 0, 'f', 1).arg(large, 0, 'f', 1).arg(large / small, 0, 'f', 2)
               .arg(large / small <= 8 ? QStringLiteral("ok") : QStringLiteral("OVER"));
    out.flush();
}

} // namespace

int main(int argc, char* argv[])
{
    if (const int answered = vi23::help::answerStandardOptions(argc, argv, kHelp); answered >= 0)
        return answered;
    const int journalRows = argc > 1 ? countArgument(argv[1]) : 100000;
    const int documents = argc > 2 ? countArgument(argv[2]) : 20000;
    if (argc > 3 || journalRows < 0 || documents < 0)
        return vi23::help::usageError(kHelp, argc > 3 ? QStringLiteral("Лишние аргументы")
                                                      : QStringLiteral("Число строк - целое число больше нуля"));
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    try {
        QTemporaryDir dir;
        printBankImport(out, dir.path());
        QString path = dir.filePath(QStringLiteral("kn.mdb"));
        out << "Filling " << journalRows << " journal rows and " << documents << " documents...\n";
        out.flush();
        fill(path, journalRows, documents);

        std::unique_ptr<vi23::DataStore> store;
        double storeOpen = millisecondsOf([&] { store.reset(); store = std::make_unique<vi23::DataStore>(path); }, 2);
        for (const auto& dataSet : store->dataSets()) {
            if (dataSet->isOpen())
                out << QStringLiteral("  reopen %1: %2 ms\n").arg(dataSet->name()).arg(millisecondsOf([&] { dataSet->refresh(); }, 1), 0, 'f', 1);
        }
        vi23::Database& db = store->database();
        vi23::DataSet& jur = store->jur();

        struct Row { const char* what; double ours; double raw; double target; };
        std::vector<Row> table;
        table.push_back({"open ADOTable_jur", millisecondsOf([&] { jur.refresh(); }),
                         millisecondsOf([&] { rawCount(db, QStringLiteral("SELECT rowid, * FROM jur ORDER BY rowid")); }), 500});
        table.push_back({"filter by period (one quarter)",
                         millisecondsOf([&] {
                             jur.setFilter(vi23::periodFilter(QStringLiteral("dd"), QDate(2008, 1, 1), QDate(2008, 3, 31)));
                             jur.setFilter(QString());
                         }) / 2,
                         millisecondsOf([&] { rawCount(db, QStringLiteral("SELECT rowid, * FROM jur WHERE dd BETWEEN '2008-01-01' AND '2008-03-31'")); }),
                         50});
        table.push_back({"sort n DESC", millisecondsOf([&] { jur.setSort(QStringLiteral("n DESC")); jur.setSort(QString()); }) / 2,
                         millisecondsOf([&] { rawCount(db, QStringLiteral("SELECT rowid, * FROM jur ORDER BY n DESC")); }), 50});
        table.push_back({"sort k (text, any case)", millisecondsOf([&] { jur.setSort(QStringLiteral("k")); jur.setSort(QString()); }) / 2,
                         millisecondsOf([&] { rawCount(db, QStringLiteral("SELECT rowid, * FROM jur ORDER BY k COLLATE RUNOCASE")); }), 50});
        table.push_back({"locate k by prefix (no match: whole scan)", millisecondsOf([&] { jur.first(); jur.locate(u"k", u"поставщик"); }),
                         millisecondsOf([&] { rawCount(db, QStringLiteral("SELECT rowid FROM jur WHERE k LIKE 'Поставщик%' LIMIT 1")); }), 50});
        vi23::DataSet& book = store->dataSet(u"ADOQuery11");
        table.push_back({"open ADOQuery11", millisecondsOf([&] { book.refresh(); }),
                         millisecondsOf([&] {
                             rawCount(db, QStringLiteral("SELECT jur.* FROM sr JOIN jur ON sr.sr = jur.sr WHERE jur.dok IN ('ПП','КО') ORDER BY jur.dd"));
                         }),
                         500});

        out << QStringLiteral("\n%1 %2 %3 %4 %5\n")
                   .arg(QStringLiteral("operation"), -34)
                   .arg(QStringLiteral("data set ms"), 12)
                   .arg(QStringLiteral("raw SQL ms"), 11)
                   .arg(QStringLiteral("ratio"), 7)
                   .arg(QStringLiteral("target ms"), 10);
        for (const Row& r : table) {
            out << QStringLiteral("%1 %2 %3 %4 %5 %6\n")
                       .arg(QString::fromLatin1(r.what), -34)
                       .arg(r.ours, 12, 'f', 1)
                       .arg(r.raw, 11, 'f', 1)
                       .arg(r.ours / std::max(r.raw, 0.001), 7, 'f', 2)
                       .arg(r.target, 10, 'f', 0)
                       .arg(r.ours <= r.target ? QStringLiteral("ok") : QStringLiteral("OVER"));
        }
        out << QStringLiteral("\nopening the store with every start-up data set: %1 ms (%2 journal rows, %3 documents)\n")
                   .arg(storeOpen, 0, 'f', 1).arg(jur.recordCount()).arg(store->jur1().recordCount());
    } catch (const vi23::UserError& e) {
        QTextStream(stderr) << e.text() << "\n";
        return 1;
    }
    return 0;
}
