#include "FixedQueries.h"
#include "Error.h"
#include "FormKinds.h"

namespace vi23 {

namespace {

// Text tests and text ordering ignore letter case for every alphabet, as the journal's queries rely
// on: "расход" in a condition matches the stored "Расход". A journal row belongs to the books that
// take the typical operations when its operation is in sr, once however often sr lists it: the list
// is read once into a lookup ("IN (SELECT ...)"), and the journal stays the outer loop, which the
// jur(dd, n) index gives in order without sorting, the first row coming at once.
const QString kJournalDate = QStringLiteral("jur.dd");

// The parts of a journal row's date that group the books.
struct DateParts {
    QString year, month, quarterNumber, quarter;
};

DateParts journalDateParts(const SqlDialect& d)
{
    const QString quarterNumber = d.quarterOf(kJournalDate);
    return {d.yearOf(kJournalDate), d.monthOf(kJournalDate), quarterNumber, QStringLiteral("CAST(%1 AS TEXT)").arg(quarterNumber)};
}

// The list is made unique in the collation it is matched in: the server would otherwise keep both
// spellings of an operation listed twice and count the row twice.
const QString kListedOperation = QStringLiteral("jur.sr COLLATE RUNOCASE IN (SELECT sr.sr COLLATE RUNOCASE FROM sr)");

QString isKind(const QString& field, const char16_t* value)
{
    return QStringLiteral("%1 = '%2' COLLATE RUNOCASE").arg(field, QString::fromUtf16(value));
}

QString amountIf(const QString& test)
{
    return QStringLiteral("CASE WHEN %1 THEN jur.s ELSE 0 END").arg(test);
}

// The same query limited to the journal rows of a period: ?1 the first day, ?2 the day after the
// last, both as ISO text, so that the jur(dd, n) index gives the rows of the period in their order
// (a date written with a time of day still falls on its own day).
QString withPeriod(const QString& sql)
{
    const QString condition = QStringLiteral("jur.dd >= ?1 AND jur.dd < ?2");
    const qsizetype order = sql.indexOf(QStringLiteral(" ORDER BY "));
    const qsizetype where = sql.indexOf(QStringLiteral(" WHERE "));
    QString limited = sql;
    if (where >= 0 && where < order)
        limited.insert(order, QStringLiteral(" AND ") + condition);
    else
        limited.insert(order, QStringLiteral(" WHERE ") + condition);
    return limited;
}

QueryDef periodQuery(QueryDef query)
{
    query.periodSql = withPeriod(query.sql);
    return query;
}

FieldDef col(const char* name, FieldType type, int size = 0)
{
    return {QString::fromLatin1(name), type, size};
}

// ---- the book of income and expenses ----

// Payment and cash orders whose operation is in sr.
QString incomeBookRows()
{
    return QStringLiteral("(%1 OR %2) AND %3")
        .arg(isKind(QStringLiteral("jur.dok"), u"ПП"), isKind(QStringLiteral("jur.dok"), u"КО"), kListedOperation);
}

QString isIncome()
{
    return isKind(QStringLiteral("jur.vr"), u"Приход");
}

QString isExpense()
{
    return isKind(QStringLiteral("jur.vr"), u"расход");
}

// The amount of a journal row in each total of the book: d and k its month and the row itself; dq, kq
// its quarter; d6, k6 the half-year and d9, k9 the nine months (0 outside them); dy, ky the year.
struct IncomeBookSums {
    QString d, k, d6, d9, k6, k9, dq, kq, dy, ky;
};

// The book's journal rows (of a period, when one is given), each row's kind tested once into `income` and `expense`:
// the server compares in its case-blind collation, slowly, and would else compare for each of the
// ten sums. The file reads through the subquery as through the table, in the order of its index.
QString classifiedJournal(const SqlDialect& d, const QString& period = {})
{
    return QStringLiteral("(SELECT jur.*, %1 AS income, %2 AS expense FROM jur WHERE %3%4%5) AS jur")
        .arg(isIncome(), isExpense(), incomeBookRows(), period.isEmpty() ? period : QStringLiteral(" AND ") + period,
             d.evaluatedOnce());
}

// The sums of a row of classifiedJournal.
IncomeBookSums journalRowSums(const SqlDialect& dialect)
{
    const QString quarterNumber = journalDateParts(dialect).quarterNumber;
    const QString income = QStringLiteral("jur.income"), expense = QStringLiteral("jur.expense");
    const QString firstHalf = QStringLiteral(" AND ") + quarterNumber + QStringLiteral(" < 3");
    const QString nineMonths = QStringLiteral(" AND ") + quarterNumber + QStringLiteral(" < 4");
    const QString d = amountIf(income), k = amountIf(expense);
    return {d, k, amountIf(income + firstHalf), amountIf(income + nineMonths),
            amountIf(expense + firstHalf), amountIf(expense + nineMonths), d, k, d, k};
}

// The columns after the journal's own, from the sums of a row and the date that groups it.
QString incomeBookColumns(const SqlDialect& d, const IncomeBookSums& sums, const QString& date, const QString& shown)
{
    const QString quarter = d.quarterOf(date);
    return QStringLiteral("%1 AS d, %2 AS k, CASE WHEN %3 < 3 THEN 6 ELSE 0 END AS ds6, CASE WHEN %3 < 4 THEN 9 ELSE 0 END AS ds9,"
                          " %4 AS d6, %5 AS d9, %6 AS k6, %7 AS k9, %8 AS shown, %9 AS dq, %10 AS kq, %11 AS dy, %12 AS ky")
        .arg(sums.d, sums.k, quarter, sums.d6, sums.d9, sums.k6, sums.k9, shown, sums.dq)
        .arg(sums.kq, sums.dy, sums.ky);
}

// Over a period (?1 its first day, ?2 the day after its last) the book is a tax year: every month of
// the period opens with a row that prints nothing ("shown" 0), so that a month, a quarter, a half-year
// without operations still has its totals; the first of them carries the sums of the year's rows
// before the period (d, k of its month, dq, kq of its quarter, ...), which the totals count but the
// book does not list. The months are few: their sort is the only one.
QString incomeBookPeriodSql(const SqlDialect& d, const QString& select, const QString& columns)
{
    const IncomeBookSums row = journalRowSums(d);
    auto since = [](const QString& day, const QString& amount) {
        return QStringLiteral("SUM(CASE WHEN jur.dd >= %1 THEN %2 ELSE 0 END)").arg(day, amount);
    };
    const QString monthStart = d.monthStart(QStringLiteral("?1"));
    const QString quarterStart = d.quarterStart(QStringLiteral("?1"));
    auto sum = [](const QString& amount) { return QStringLiteral("SUM(%1)").arg(amount); };
    const QString carry =
        QStringLiteral("SELECT %1 AS d, %2 AS k, %3 AS d6, %4 AS d9, %5 AS k6, %6 AS k9, %7 AS dq, %8 AS kq, %9 AS dy, %10 AS ky"
                       " FROM %11")
            .arg(since(monthStart, row.d), since(monthStart, row.k), sum(row.d6), sum(row.d9), sum(row.k6), sum(row.k9),
                 since(quarterStart, row.dq), since(quarterStart, row.kq), sum(row.dy))
            .arg(sum(row.ky), classifiedJournal(d, QStringLiteral("jur.dd >= %1 AND jur.dd < ?1").arg(d.yearStart(QStringLiteral("?1")))));
    auto carried = [](const char* column) { return QStringLiteral("COALESCE(carry.%1, 0)").arg(QLatin1String(column)); };
    const IncomeBookSums opening{carried("d"),  carried("k"),  carried("d6"), carried("d9"), carried("k6"),
                                 carried("k9"), carried("dq"), carried("kq"), carried("dy"), carried("ky")};
    const QString day = QStringLiteral("months.day");
    const QString next = d.nextMonth(QStringLiteral("day"));
    return QStringLiteral("WITH RECURSIVE months(day) AS (SELECT ?1 WHERE ?1 < ?2 UNION ALL SELECT %1 FROM months WHERE %1 < ?2),"
                          " carry AS (%2)"
                          " SELECT %3 AS g, CAST(%4 AS TEXT) AS q, %5 AS m, NULL AS n, %6 AS dd, NULL AS nn, NULL AS np,"
                          " NULL AS dok, NULL AS sr, NULL AS vr, %7"
                          " FROM months LEFT JOIN carry ON months.day = ?1"
                          " UNION ALL %8, %9 FROM %10"
                          " ORDER BY dd, n")
        .arg(next, carry, d.yearOf(day), d.quarterOf(day), d.monthOf(day), day,
             incomeBookColumns(d, opening, day, QStringLiteral("0")), select)
        .arg(columns, classifiedJournal(d, QStringLiteral("jur.dd >= ?1 AND jur.dd < ?2")));
}

QueryDef incomeBook(const SqlDialect& d)
{
    using T = FieldType;
    const DateParts date = journalDateParts(d);
    const QString select = QStringLiteral("SELECT %1 AS g, %2 AS q, %3 AS m, jur.n, jur.dd, jur.nn, jur.k AS np, jur.dok, jur.sr, jur.vr")
                               .arg(date.year, date.quarter, date.month);
    const QString columns = incomeBookColumns(d, journalRowSums(d), kJournalDate, QStringLiteral("1"));
    QueryDef query{QStringLiteral("%1, %2 FROM %3 ORDER BY jur.dd, jur.n").arg(select, columns, classifiedJournal(d)),
                   {col("g", T::Text, 255), col("q", T::Text, 255), col("m", T::Text, 255), col("n", T::Counter),
                    col("dd", T::Date), col("nn", T::Text, 5), col("np", T::Text, 250), col("dok", T::Text, 10),
                    col("sr", T::Text, 170), col("vr", T::Text, 6), col("d", T::Money), col("k", T::Money),
                    col("ds6", T::Long), col("ds9", T::Long), col("d6", T::Money), col("d9", T::Money), col("k6", T::Money),
                    col("k9", T::Money), col("shown", T::Long), col("dq", T::Money), col("kq", T::Money),
                    col("dy", T::Money), col("ky", T::Money)}};
    query.periodSql = incomeBookPeriodSql(d, select, columns);
    return query;
}

// The books of the report panel and the cash orders of the cash book.
void addBookQueries(const SqlDialect& d, std::vector<FixedQuery>& queries)
{
    using T = FieldType;
    const DateParts date = journalDateParts(d);
    queries.push_back({QStringLiteral("ADOQuery11"), incomeBook(d)});

    // Bank and cash-settlement books: every entry of one kind, with or without a known operation.
    auto settlementBook = [&](const char* name, const char16_t* kind) {
        const QString income = amountIf(isKind(QStringLiteral("jur.vr"), u"Приход"));
        const QString k1 = amountIf(isKind(QStringLiteral("jur.vr"), u"Расход"));
        return FixedQuery{
            QString::fromLatin1(name),
            periodQuery({QStringLiteral("SELECT %1 AS g, %2 AS q, %3 AS m, jur.n, jur.dd, jur.nn, jur.dok, jur.sr,"
                            " %4 AS d, %5 AS k1, (%4) - (%5) AS r"
                            " FROM jur WHERE %6"
                            " ORDER BY jur.dd, jur.n")
                 .arg(date.year, date.quarter, date.month, income, k1, isKind(QStringLiteral("jur.dok"), kind)),
             {col("g", T::Text, 255), col("q", T::Text, 255), col("m", T::Text, 255), col("n", T::Counter),
              col("dd", T::Date), col("nn", T::Text, 5), col("dok", T::Text, 10), col("sr", T::Text, 170),
              col("d", T::Money), col("k1", T::Money), col("r", T::Money)}})};
    };
    queries.push_back(settlementBook("ADOQuery_bank", u"ПП"));
    queries.push_back(settlementBook("ADOQuery_kassa", u"КО"));

    // Summary by operation and settlements with counterparties: every entry whose operation is in sr.
    const QString income = isIncome();
    const QString expense = isExpense();
    auto summary = [&](const char* name, const char* orderField) {
        return FixedQuery{
            QString::fromLatin1(name),
            periodQuery({QStringLiteral("SELECT jur.n, jur.dd, jur.nn, jur.dok, jur.sr, jur.vr, jur.k, %1 AS d, %2 AS k1"
                            " FROM jur WHERE %4"
                            " ORDER BY runocase_key(%3), jur.dd, runocase_key(jur.dok), jur.n")
                 .arg(amountIf(income), amountIf(expense), QString::fromLatin1(orderField), kListedOperation),
             {col("n", T::Counter), col("dd", T::Date), col("nn", T::Text, 5), col("dok", T::Text, 10),
              col("sr", T::Text, 170), col("vr", T::Text, 6), col("k", T::Text, 250), col("d", T::Money),
              col("k1", T::Money)}})};
    };
    queries.push_back(summary("ADOQuerys", "jur.sr"));
    queries.push_back(summary("ADOQueryss", "jur.k"));

    // Cash orders whose operation is in sr, for the cash book.
    const QString sd = amountIf(isKind(QStringLiteral("jur.vr"), u"Приход"));
    const QString sk = amountIf(isKind(QStringLiteral("jur.vr"), u"Расход"));
    queries.push_back(
        {QStringLiteral("ADOQuery_kas"),
         {QStringLiteral("SELECT jur.n, jur.nn, jur.dd, jur.sr, jur.k, %1 AS sd, %2 AS sk, (%1) - (%2) AS rr"
                         " FROM jur WHERE %3 AND %4"
                         " ORDER BY jur.dd, jur.n")
              .arg(sd, sk, isKind(QStringLiteral("jur.dok"), u"КО"), kListedOperation),
          {col("n", T::Counter), col("nn", T::Text, 5), col("dd", T::Date), col("sr", T::Text, 170),
           col("k", T::Text, 250), col("sd", T::Money), col("sk", T::Money), col("rr", T::Money)}}});
}

// ---- the reconciliation act ----

// Every row of the act with one counterparty (?3, its name as the list has it), dated: each document
// issued to it, the cash orders aside, as our debit by its total; each payment order or cash order of
// the journal with it, money out as our debit and money in as our credit. A cash order reaches the
// act through its journal row alone, so that a registered order does not count twice. The side a row
// does not touch is empty, so that the act prints it blank.
QString reconciliationRows()
{
    const QString out = isKind(QStringLiteral("jur.vr"), u"Расход");
    const QString in = isKind(QStringLiteral("jur.vr"), u"Приход");
    return QStringLiteral(
               "SELECT jur1.dd AS dd, jur1.n AS nn, jur1.dok AS dok, IFNULL(jur1.sss, 0) AS d, NULL AS k1, 0 AS part, jur1.k AS n"
               " FROM jur1 WHERE jur1.z = ?3 AND jur1.dd IS NOT NULL AND jur1.dok NOT IN ('%1', '%2')"
               " UNION ALL SELECT jur.dd, jur.nn,"
               " CASE WHEN %3 THEN 'Платежное поручение' WHEN %5 THEN 'Приходный кассовый ордер'"
               " ELSE 'Расходный кассовый ордер' END,"
               " CASE WHEN %6 THEN IFNULL(jur.s, 0) END, CASE WHEN %5 THEN IFNULL(jur.s, 0) END, 1, jur.n"
               " FROM jur WHERE jur.k = ?3 AND jur.dd IS NOT NULL AND (%3 OR %4) AND (%5 OR %6)")
        .arg(kCashReceiptKind, kCashExpenseKind, isKind(QStringLiteral("jur.dok"), u"ПП"),
             isKind(QStringLiteral("jur.dok"), u"КО"), in, out);
}

FixedQuery reconciliationAct()
{
    using T = FieldType;
    const QString rows = QStringLiteral("SELECT dd, nn, dok, d, k1, part, n FROM (%1) AS act").arg(reconciliationRows());
    const QString order = QStringLiteral(" ORDER BY dd, part, n");
    QueryDef query{rows + order,
                   {col("dd", T::Date), col("nn", T::Text, 15), col("dok", T::Text, 30), col("d", T::Money),
                    col("k1", T::Money), col("part", T::Long), col("n", T::Long)}};
    query.periodSql = rows + QStringLiteral(" WHERE dd >= ?1 AND dd < ?2") + order;
    return {QStringLiteral("ADOQuery_sv"), query};
}

std::vector<FixedQuery> build(const SqlDialect& d)
{
    using T = FieldType;
    std::vector<FixedQuery> queries;

    // Print lines of documents: every tov row of the document with the first row of pr1, in line
    // order. The lines carry what they print (rate, unit, country, customs declaration): the goods
    // list is not read, so a change of the list changes no issued document.
    const QString printLines = QStringLiteral(
        "SELECT jur1.k, jur1.dok, jur1.n, jur1.dd, jur1.z, jur1.a, jur1.unn AS unnz, jur1.rb, jur1.okpo AS okpoz,"
        " jur1.okdp, jur1.ru, tov.naz AS naz, tov.kol, tov.cen, tov.eu, tov.nds, tov.str, tov.gtd,"
        " pr1.np AS np, pr1.unn AS unnp, pr1.ad, pr1.tel, pr1.bank, pr1.rs, pr1.ks, pr1.buk, pr1.fr, pr1.fb,"
        " pr1.fup, pr1.rup, pr1.okpo, pr1.okdp AS okd, pr1.dr"
        " FROM tov INNER JOIN jur1 ON jur1.k = tov.k"
        " LEFT JOIN pr1 ON pr1.rowid = (SELECT min(rowid) FROM pr1)"
        "%1 ORDER BY tov.xx");
    queries.push_back(
        {QStringLiteral("ADOQuery_bl"),
         {printLines.arg(QString()),
          {col("k", T::Counter), col("dok", T::Text, 30), col("n", T::Text, 15), col("dd", T::Date),
           col("z", T::Text, 250), col("a", T::Text, 120), col("unnz", T::Text, 22), col("rb", T::Text, 120),
           col("okpoz", T::Text, 20), col("okdp", T::Text, 20), col("ru", T::Text, 20), col("naz", T::Text, 250),
           col("kol", T::Real), col("cen", T::Money), col("eu", T::Text, 10), col("nds", T::Short),
           col("str", T::Text, 25), col("gtd", T::Text, 26), col("np", T::Text, 120), col("unnp", T::Text, 32),
           col("ad", T::Text, 120), col("tel", T::Text, 20), col("bank", T::Text, 200), col("rs", T::Text, 20),
           col("ks", T::Text, 20), col("buk", T::Text, 10), col("fr", T::Text, 30), col("fb", T::Text, 30),
           col("fup", T::Text, 30), col("rup", T::Text, 70), col("okpo", T::Text, 15), col("okd", T::Text, 20),
           col("dr", T::Text, 40)},
          {},
          printLines.arg(QStringLiteral(" WHERE tov.k = ?1"))}});

    addBookQueries(d, queries);
    queries.push_back(reconciliationAct());
    return queries;
}

} // namespace

const std::vector<FixedQuery>& fixedQueries(Backend backend)
{
    static const std::vector<FixedQuery> file = build(SqlDialect(Backend::SQLite));
    static const std::vector<FixedQuery> server = build(SqlDialect(Backend::PostgreSQL));
    return backend == Backend::PostgreSQL ? server : file;
}

QString incomeBookRowCountSql()
{
    return QStringLiteral("SELECT count(*) FROM jur WHERE %1 AND jur.dd >= ?1 AND jur.dd < ?2").arg(incomeBookRows());
}

QString reconciliationBalanceSql()
{
    return QStringLiteral("SELECT dd, d, k1 FROM (%1) AS act WHERE dd < ?2").arg(reconciliationRows());
}

const FixedQuery& fixedQuery(QStringView name, Backend backend)
{
    for (const FixedQuery& query : fixedQueries(backend)) {
        if (query.name == name)
            return query;
    }
    throw UserError(QStringLiteral("Нет запроса «%1»").arg(name.toString()));
}

} // namespace vi23
