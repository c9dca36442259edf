#include "ExchangeRequisites.h"

#include "DataSet.h"
#include "Database.h"
#include "Schema.h"

#include <QStringList>

namespace vi23 {

namespace {

// The named columns of a table's first row matching `where`, an added column the file lacks as empty.
QStringList firstRow(Database& db, const QString& table, const QStringList& columns, const QString& where = {},
                     const QString& argument = {})
{
    const QSet<QString> missing = missingAddedFields(db, schemaTable(table));
    QStringList selected;
    for (const QString& column : columns)
        selected << (missing.contains(column) ? QStringLiteral("NULL") : quoteIdentifier(column));
    Statement query = db.prepare(QStringLiteral("SELECT %1 FROM %2 %3 ORDER BY rowid LIMIT 1")
                                     .arg(selected.join(u','), quoteIdentifier(table), where));
    if (!where.isEmpty())
        query.bind(1, argument);
    QStringList values;
    if (!query.step())
        return values;
    for (int i = 0; i < int(columns.size()); ++i)
        values << (query.isNull(i) ? QString() : query.text(i).trimmed());
    return values;
}

} // namespace

ExchangeRequisites readExchangeRequisites(Database& db, const QString& buyer)
{
    ExchangeRequisites r;
    const QStringList own = firstRow(db, QStringLiteral("pr1"),
                                     {QStringLiteral("edo_id"), QStringLiteral("signer_surname"),
                                      QStringLiteral("signer_name"), QStringLiteral("signer_patronymic"),
                                      QStringLiteral("signer_position")});
    if (own.size() == 5) {
        r.sellerParticipant = own[0];
        r.signer = Signer{own[1], own[2], own[3], own[4]};
    }
    const QStringList counterparty = firstRow(db, QStringLiteral("k"), {QStringLiteral("edo_id"), QStringLiteral("country")},
                                              QStringLiteral("WHERE k = ?1"), buyer);
    if (counterparty.size() == 2) {
        r.buyerListed = true;
        r.buyerParticipant = counterparty[0];
        r.buyerCountry = counterparty[1];
    }
    return r;
}

} // namespace vi23
