#include "FormKinds.h"

#include "SettlementKinds.h"

namespace vi23 {

namespace {

const FormKind* find(const std::vector<FormKind>& table, const QString& caption)
{
    for (const FormKind& k : table) {
        if (k.caption == caption)
            return &k;
    }
    return nullptr;
}

} // namespace

const std::vector<FormKind>& documentKindTable()
{
    static const std::vector<FormKind> table = {
        {.caption = QStringLiteral("Счет"), .form = QStringLiteral("frReport_sh"), .paymentQr = true},
        {.caption = QStringLiteral("Счет-фактура"), .form = QStringLiteral("frReport_sf"),
         .form2026 = QStringLiteral("frReport_sf26"),
         .exchange = ExchangeForm::VatInvoice},
        {.caption = QStringLiteral("Товарная накладная"), .form = QStringLiteral("frReport_tn"),
         .exchange = ExchangeForm::GoodsTransfer},
        {.caption = QStringLiteral("Акт"), .form = QStringLiteral("frReport_akt"),
         .exchange = ExchangeForm::WorkTransfer},
        {.caption = QStringLiteral("Товарный чек"), .form = QStringLiteral("frReport_chek")},
        {.caption = QStringLiteral("Наряд-заказ"), .form = QStringLiteral("frReport_nz")},
        {.caption = QStringLiteral("Расходная накладная"), .form = QStringLiteral("frReport_zh")},
        {.caption = QStringLiteral("Бланк заказа"), .form = QStringLiteral("frReport_z")},
        {.caption = kCashReceiptKind, .form = QStringLiteral("frReportpr"), .settlement = kIncomeSettlement},
        // The universal transfer document has only the form of 2026.
        {.caption = kUpdKind, .form = QStringLiteral("frReport_upd"), .transferStatus = true,
         .exchange = ExchangeForm::TransferDocument},
        // The cash expense order, unified form КО-2.
        {.caption = kCashExpenseKind, .form = QStringLiteral("frReport_rko"), .ownNumbers = true,
         .settlement = kExpenseSettlement},
    };
    return table;
}

const std::vector<FormKind>& reportKindTable()
{
    static const std::vector<FormKind> table = {
        {.caption = QStringLiteral("Книга доходов и расходов-месячная"), .form = QStringLiteral("frReport10"),
         .periodQuery = QStringLiteral("ADOQuery11"), .perYear = true, .table = BookTable::IncomeMonthly},
        {.caption = QStringLiteral("Книга доходов и расходов-квартальная"), .form = QStringLiteral("frReport11"),
         .form2026 = QStringLiteral("frReport_kudir"), .periodQuery = QStringLiteral("ADOQuery11"), .perYear = true,
         .table = BookTable::IncomeQuarterly},
        {.caption = QStringLiteral("Книга расчетов по банку"), .form = QStringLiteral("frReport_bank"),
         .periodQuery = QStringLiteral("ADOQuery_bank"), .table = BookTable::Bank},
        {.caption = QStringLiteral("Книга расчетов по кассе"), .form = QStringLiteral("frReport_kassa"),
         .periodQuery = QStringLiteral("ADOQuery_kassa"), .table = BookTable::Cash},
        {.caption = kCashBookKind, .form = QStringLiteral("frReport_kas"), .cashBook = true, .table = BookTable::CashBook},
        {.caption = QStringLiteral("Сводный отчет по операциям"), .form = QStringLiteral("frReport2"),
         .periodQuery = QStringLiteral("ADOQuerys"), .table = BookTable::Operations},
        {.caption = QStringLiteral("Книга расчетов с контрагентами"), .form = QStringLiteral("frReportss"),
         .periodQuery = QStringLiteral("ADOQueryss"), .table = BookTable::Counterparties},
        {.caption = kReconciliationKind, .form = QStringLiteral("frReport_sverka"),
         .periodQuery = QStringLiteral("ADOQuery_sv"), .counterparty = true,
         .table = BookTable::Reconciliation},
        // The title page goes with the book of income and expenses: printed per year, no table of its own.
        {.caption = QStringLiteral("Титульный лист"), .form = QStringLiteral("frRepor_t"),
         .form2026 = QStringLiteral("frRepor_t26"), .perYear = true},
    };
    return table;
}

const FormKind* documentKind(const QString& caption)
{
    return find(documentKindTable(), caption);
}

const FormKind* reportKind(const QString& caption)
{
    return find(reportKindTable(), caption);
}

QString formOf(const std::vector<FormKind>& table, const QString& caption)
{
    for (const FormKind& k : table) {
        if (k.caption == caption)
            return k.form;
    }
    return {};
}

QString formOf(const std::vector<FormKind>& table, const QString& caption, FormSet set)
{
    for (const FormKind& k : table) {
        if (k.caption == caption)
            return set == FormSet::Current2026 && !k.form2026.isEmpty() ? k.form2026 : k.form;
    }
    return {};
}

FormSet formSetOf(const QString& stored)
{
    return stored == kFormSet2026 ? FormSet::Current2026 : FormSet::Described;
}

QString formSetText(FormSet set)
{
    return set == FormSet::Current2026 ? kFormSet2026 : kFormSetDescribed;
}

QStringList captionsOf(const std::vector<FormKind>& table)
{
    QStringList captions;
    for (const FormKind& k : table)
        captions.push_back(k.caption);
    return captions;
}

} // namespace vi23
