#include "CashOrders.h"

#include "DataSet.h"
#include "Database.h"
#include "Error.h"
#include "FormKinds.h"
#include "IssuedDocument.h"
#include "RuFormat.h"
#include "Schema.h"

#include <optional>

namespace vi23 {

namespace {


std::optional<CashJournalEntry> registeredRow(Database& db, long long key)
{
    Statement query = db.prepare(QStringLiteral(
        "SELECT jur.n, jur.dd, jur.nn, jur.s, jur.k, jur.sr FROM cash_journal JOIN jur ON jur.n = cash_journal.jur"
        " WHERE cash_journal.k = ?1"));
    query.bind(1, Value(std::int64_t(key)));
    if (!query.step())
        return std::nullopt;
    CashJournalEntry entry;
    entry.row = query.integer(0);
    const Value date = readColumn(query, 1, FieldType::Date);
    entry.date = date.isNull() ? QDate() : date.date();
    entry.number = query.text(2);
    const Value sum = readColumn(query, 3, FieldType::Money);
    entry.sum = sum.isNull() ? Money() : sum.money();
    entry.counterparty = query.text(4);
    entry.operation = query.text(5);
    return entry;
}

// The direction the chosen operation must have; throws for a typed operation the list lacks.
void checkOperation(Database& db, const QString& operation, const QString& direction)
{
    if (operation.isEmpty())
        throw UserError(QStringLiteral("Выберите в поле «Операция» типовую операцию вида «%1» и нажмите кнопку снова")
                            .arg(direction));
    Statement query = db.prepare(QStringLiteral("SELECT vr FROM sr WHERE sr = ?1 ORDER BY rowid LIMIT 1"));
    query.bind(1, operation);
    if (!query.step())
        throw UserError(QStringLiteral("Операции «%1» нет в списке типовых операций").arg(ru::quoteForMessage(operation)));
    const QString kind = query.isNull(0) ? QString() : query.text(0).trimmed();
    if (kind.compare(direction, Qt::CaseInsensitive) != 0)
        throw UserError(QStringLiteral("Операция «%1» — вида «%2», а ордер — «%3»: выберите операцию вида «%3»")
                            .arg(ru::quoteForMessage(operation), kind, direction));
}

// The order's own number and date as its form prints them.
void orderNumberAndDate(const IssuedDocument& order, CashJournalEntry& entry)
{
    const bool receipt = order.kind == kCashReceiptKind;
    const bool ownPayment = receipt && order.paymentNumber.trimmed() != u"-" && !order.paymentNumber.trimmed().isEmpty();
    entry.number = ownPayment ? order.paymentNumber.trimmed() : order.number.trimmed();
    entry.date = receipt && order.paymentDate.isValid() ? order.paymentDate : order.date;
    if (!entry.date.isValid())
        throw UserError(QStringLiteral("У ордера № %1 нет даты: укажите её и сохраните ордер").arg(entry.number));
}

} // namespace

QString nextNumberOf(Database& db, const QString& kind)
{
    Statement query = db.prepare(
        QStringLiteral("SELECT max(CAST(trim(n) AS INTEGER)) FROM jur1 WHERE dok = ?1 AND trim(n) <> '' AND %1")
            .arg(db.dialect().digitsOnly(QStringLiteral("trim(n)"))));
    query.bind(1, kind);
    const long long last = query.step() && !query.isNull(0) ? query.integer(0) : 0;
    return QString::number(last + 1);
}

CashJournalEntry registerCashOrder(Database& db, long long key, const QString& operation)
{
    const IssuedDocument order = readIssuedDocument(db, key);
    const FormKind* kind = documentKind(order.kind);
    if (!kind || kind->settlement.isEmpty())
        throw UserError(QStringLiteral("В журнал этой кнопкой регистрируются кассовые ордера («%1», «%2»); документ «%3» "
                                       "регистрируется на странице журнала")
                            .arg(kCashReceiptKind, kCashExpenseKind, order.kind));
    Database::Transaction unit(db);
    if (std::optional<CashJournalEntry> made = registeredRow(db, key))
        return *made;
    CashJournalEntry entry;
    orderNumberAndDate(order, entry);
    entry.sum = order.totals.gross;
    if (entry.sum == Money())
        throw UserError(QStringLiteral("В ордере № %1 нет суммы: выберите строку с суммой и сохраните ордер").arg(entry.number));
    entry.operation = operation.trimmed();
    checkOperation(db, entry.operation, kind->settlement);
    entry.counterparty = order.buyer;
    Statement journal = db.prepareInsert(
        QStringLiteral("INSERT INTO jur (dd, nn, dok, sr, vr, s, k) VALUES (?1, ?2, 'КО', ?3, ?4, ?5, ?6)"), QStringLiteral("n"));
    journal.bind(1, entry.date);
    journal.bind(2, entry.number);
    journal.bind(3, entry.operation);
    journal.bind(4, kind->settlement);
    journal.bind(5, entry.sum);
    journal.bind(6, entry.counterparty.isEmpty() ? Value() : Value(entry.counterparty));
    entry.row = journal.runInsert();
    // A link left by a journal row deleted since gives way to the new one.
    Statement link = db.prepare(db.dialect().insertOrReplace(QStringLiteral("cash_journal"), QStringLiteral("k, jur"),
                                                             QStringLiteral("?1, ?2"), QStringLiteral("k")));
    link.bind(1, Value(std::int64_t(key)));
    link.bind(2, Value(std::int64_t(entry.row)));
    link.run();
    entry.madeNow = true;
    unit.commit();
    return entry;
}

} // namespace vi23
