#include "ReconciliationAct.h"

#include "data/DataSet.h"
#include "data/Database.h"
#include "data/Error.h"
#include "data/FixedQueries.h"
#include "data/RuFormat.h"

#include <map>
#include <memory>

namespace vi23 {

ReconciliationFigures reconciliationFigures(Database& db, const QString& counterparty, QDate from, QDate to)
{
    Statement rows = db.prepare(reconciliationBalanceSql());
    rows.bind(2, Value(to.addDays(1)));
    rows.bind(3, Value(counterparty));
    const QString start = ru::isoDate(from);
    ReconciliationFigures figures;
    // Read as the fields keep them and summed as money: exact.
    auto money = [&rows](int column) {
        const Value value = readColumn(rows, column, FieldType::Money);
        return value.isNull() ? Money() : value.money();
    };
    while (rows.step()) {
        if (rows.text(0) < start) {
            figures.opening += money(1) - money(2);
            continue;
        }
        figures.debit += money(1);
        figures.credit += money(2);
    }
    return figures;
}

QStringList counterpartyNames(Database& db)
{
    Statement rows = db.prepare(QStringLiteral("SELECT DISTINCT k FROM k WHERE k IS NOT NULL AND k <> '' ORDER BY runocase_key(k)"));
    QStringList names;
    while (rows.step())
        names << rows.text(0);
    return names;
}

void requireCounterparty(Database& db, const QString& counterparty)
{
    if (counterparty.trimmed().isEmpty())
        throw UserError(QStringLiteral("Для акта сверки выберите контрагента из списка поставщиков и покупателей"));
    Statement found = db.prepare(QStringLiteral("SELECT 1 FROM k WHERE k = ?1"));
    found.bind(1, Value(counterparty));
    if (!found.step())
        throw UserError(QStringLiteral("Контрагента «%1» нет в списке поставщиков и покупателей: акт сверки не составлен")
                            .arg(ru::quoteForMessage(counterparty)));
}

QString balanceWording(Money closing, const QString& enterprise, const QString& counterparty)
{
    if (closing.isZero())
        return QStringLiteral("Задолженность отсутствует");
    const bool ours = Money() < closing;
    return QStringLiteral("Задолженность в пользу %1 составляет %2 руб.")
        .arg(ours ? enterprise : counterparty, (ours ? closing : Money() - closing).toFixed(2));
}

Value balanceSide(Money balance, bool debit)
{
    const Money shown = debit ? balance : Money() - balance;
    return Money() < shown || (debit && balance.isZero()) ? Value(shown) : Value(QString());
}

void chooseActCounterparty(DataStore& store, const QString& counterparty)
{
    requireCounterparty(store.database(), counterparty);
    store.dataSet(u"ADOQuery_sv").setCounterparty(counterparty);
}

QString enterpriseName(DataStore& store)
{
    DataSet& requisites = store.dataSet(u"ADOTable_pr1");
    if (!requisites.isOpen())
        requisites.open();
    requisites.first();
    return requisites.eof() ? QString() : requisites.text(u"np");
}

GetValueCallback reconciliationValues(DataStore& store, const QString& counterparty, QDate from, QDate to)
{
    chooseActCounterparty(store, counterparty);
    const ReconciliationFigures f = reconciliationFigures(store.database(), counterparty, from, to);
    const QString enterprise = enterpriseName(store);
    const Money closing = f.closing();
    const QString balance = QStringLiteral("По данным %1 на %2: %3")
                                .arg(enterprise, ru::formatDate(to), balanceWording(closing, enterprise, counterparty));
    auto values = std::make_shared<std::map<QString, Value>>();
    (*values)[QStringLiteral("actParty")] = Value(counterparty);
    (*values)[QStringLiteral("actPeriod")] =
        Value(QStringLiteral("за период с %1 по %2").arg(ru::formatDate(from), ru::formatDate(to)));
    (*values)[QStringLiteral("actOpeningDebit")] = balanceSide(f.opening, true);
    (*values)[QStringLiteral("actOpeningCredit")] = balanceSide(f.opening, false);
    (*values)[QStringLiteral("actDebit")] = Value(f.debit);
    (*values)[QStringLiteral("actCredit")] = Value(f.credit);
    (*values)[QStringLiteral("actClosingDebit")] = balanceSide(closing, true);
    (*values)[QStringLiteral("actClosingCredit")] = balanceSide(closing, false);
    (*values)[QStringLiteral("actBalance")] = Value(balance);
    return [values](const QString& name) -> std::optional<Value> {
        const auto found = values->find(name);
        return found == values->end() ? std::nullopt : std::optional<Value>(found->second);
    };
}

} // namespace vi23
