#include "FixedQueries.h"
#include "Error.h"

namespace vi23 {

namespace {

// Text tests, joins and text ordering ignore letter case for every alphabet, as the journal's
// queries rely on: "расход" in a condition matches the stored "Расход". The joins with sr are
// written "jur CROSS JOIN sr ON ...": an inner join that keeps the journal as the outer loop, so
// SQLite indexes the few typical operations instead of the whole journal.
// Where every column is the journal's, a journal row met by several typical operations gives rows
// alike in every column, so their order among themselves shows nowhere: those queries order by the
// journal alone, which the jur(dd, n) index gives without sorting, the first row coming at once.
const QString kYear = QStringLiteral("substr(jur.dd, 1, 4)");
const QString kMonth = QStringLiteral("substr(jur.dd, 6, 2)");
const QString kQuarterNumber = QStringLiteral("((CAST(substr(jur.dd, 6, 2) AS INTEGER) + 2) / 3)");
const QString kQuarter = QStringLiteral("CAST(%1 AS TEXT)").arg(kQuarterNumber);

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

std::vector<FixedQuery> build()
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
          {col("k", T::Counter), col("dok", T::Text, 20), col("n", T::Text, 15), col("dd", T::Date),
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

    // Book of income and expenses: payment and cash orders whose operation is in sr, by date.
    const QString income = isKind(QStringLiteral("jur.vr"), u"Приход");
    const QString expense = isKind(QStringLiteral("jur.vr"), u"расход");
    const QString firstHalf = kQuarterNumber + QStringLiteral(" < 3");
    const QString nineMonths = kQuarterNumber + QStringLiteral(" < 4");
    queries.push_back(
        {QStringLiteral("ADOQuery11"),
         periodQuery({QStringLiteral("SELECT %1 AS g, %2 AS q, %3 AS m, jur.n, jur.dd, jur.nn, jur.k AS np, jur.dok, jur.sr, jur.vr,"
                         " %4 AS d, %5 AS k,"
                         " CASE WHEN %6 THEN 6 ELSE 0 END AS ds6, CASE WHEN %7 THEN 9 ELSE 0 END AS ds9,"
                         " %8 AS d6, %9 AS d9, %10 AS k6, %11 AS k9"
                         " FROM jur CROSS JOIN sr ON sr.sr = jur.sr COLLATE RUNOCASE"
                         " WHERE (%12 OR %13)"
                         " ORDER BY jur.dd, jur.n")
              .arg(kYear, kQuarter, kMonth, amountIf(income), amountIf(expense), firstHalf, nineMonths,
                   amountIf(income + QStringLiteral(" AND ") + firstHalf),
                   amountIf(income + QStringLiteral(" AND ") + nineMonths))
              .arg(amountIf(expense + QStringLiteral(" AND ") + firstHalf),
                   amountIf(expense + QStringLiteral(" AND ") + nineMonths),
                   isKind(QStringLiteral("jur.dok"), u"ПП"), isKind(QStringLiteral("jur.dok"), u"КО")),
          {col("g", T::Text, 255), col("q", T::Text, 255), col("m", T::Text, 255), col("n", T::Counter),
           col("dd", T::Date), col("nn", T::Text, 5), col("np", T::Text, 250), col("dok", T::Text, 10),
           col("sr", T::Text, 170), col("vr", T::Text, 6), col("d", T::Money), col("k", T::Money),
           col("ds6", T::Long), col("ds9", T::Long), col("d6", T::Money), col("d9", T::Money), col("k6", T::Money),
           col("k9", T::Money)}})});

    // Bank and cash-settlement books: every entry of one kind, with or without a known operation.
    auto settlementBook = [&](const char* name, const char16_t* kind) {
        const QString d = amountIf(isKind(QStringLiteral("jur.vr"), u"Приход"));
        const QString k1 = amountIf(isKind(QStringLiteral("jur.vr"), u"Расход"));
        return FixedQuery{
            QString::fromLatin1(name),
            periodQuery({QStringLiteral("SELECT %1 AS g, %2 AS q, %3 AS m, jur.n, jur.dd, jur.nn, jur.dok, jur.sr,"
                            " %4 AS d, %5 AS k1, (%4) - (%5) AS r"
                            " FROM jur WHERE %6"
                            " ORDER BY jur.dd, jur.n")
                 .arg(kYear, kQuarter, kMonth, d, k1, isKind(QStringLiteral("jur.dok"), kind)),
             {col("g", T::Text, 255), col("q", T::Text, 255), col("m", T::Text, 255), col("n", T::Counter),
              col("dd", T::Date), col("nn", T::Text, 5), col("dok", T::Text, 10), col("sr", T::Text, 170),
              col("d", T::Money), col("k1", T::Money), col("r", T::Money)}})};
    };
    queries.push_back(settlementBook("ADOQuery_bank", u"ПП"));
    queries.push_back(settlementBook("ADOQuery_kassa", u"КО"));

    // Summary by operation and settlements with counterparties: every entry whose operation is in sr.
    auto summary = [&](const char* name, const char* orderField) {
        return FixedQuery{
            QString::fromLatin1(name),
            periodQuery({QStringLiteral("SELECT jur.n, jur.dd, jur.nn, jur.dok, jur.sr, jur.vr, jur.k, %1 AS d, %2 AS k1"
                            " FROM jur CROSS JOIN sr ON sr.sr = jur.sr COLLATE RUNOCASE"
                            " ORDER BY runocase_key(%3), jur.dd, runocase_key(jur.dok), jur.n, sr.rowid")
                 .arg(amountIf(income), amountIf(expense), QString::fromLatin1(orderField)),
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
                         " FROM jur CROSS JOIN sr ON sr.sr = jur.sr COLLATE RUNOCASE"
                         " WHERE %3"
                         " ORDER BY jur.dd, jur.n")
              .arg(sd, sk, isKind(QStringLiteral("jur.dok"), u"КО")),
          {col("n", T::Counter), col("nn", T::Text, 5), col("dd", T::Date), col("sr", T::Text, 170),
           col("k", T::Text, 250), col("sd", T::Money), col("sk", T::Money), col("rr", T::Money)}}});
    return queries;
}

} // namespace

const std::vector<FixedQuery>& fixedQueries()
{
    static const std::vector<FixedQuery> queries = build();
    return queries;
}

const FixedQuery& fixedQuery(QStringView name)
{
    for (const FixedQuery& query : fixedQueries()) {
        if (query.name == name)
            return query;
    }
    throw UserError(QStringLiteral("Нет запроса «%1»").arg(name.toString()));
}

} // namespace vi23
