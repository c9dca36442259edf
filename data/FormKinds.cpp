#include "FormKinds.h"

namespace vi23 {

const std::vector<FormKind>& documentKindTable()
{
    static const std::vector<FormKind> table = {
        {QStringLiteral("Счет"), QStringLiteral("frReport_sh"), {}},
        {QStringLiteral("Счет-фактура"), QStringLiteral("frReport_sf"), QStringLiteral("frReport_sf26")},
        {QStringLiteral("Товарная накладная"), QStringLiteral("frReport_tn"), {}},
        {QStringLiteral("Акт"), QStringLiteral("frReport_akt"), {}},
        {QStringLiteral("Товарный чек"), QStringLiteral("frReport_chek"), {}},
        {QStringLiteral("Наряд-заказ"), QStringLiteral("frReport_nz"), {}},
        {QStringLiteral("Расходная накладная"), QStringLiteral("frReport_zh"), {}},
        {QStringLiteral("Бланк заказа"), QStringLiteral("frReport_z"), {}},
        {kCashReceiptKind, QStringLiteral("frReportpr"), {}},
        // The universal transfer document has only the form of 2026.
        {QStringLiteral("УПД"), QStringLiteral("frReport_upd"), {}},
        // The cash expense order, unified form КО-2; its numbers run on their own.
        {kCashExpenseKind, QStringLiteral("frReport_rko"), {}},
    };
    return table;
}

const std::vector<FormKind>& reportKindTable()
{
    static const std::vector<FormKind> table = {
        {QStringLiteral("Книга доходов и расходов-месячная"), QStringLiteral("frReport10"), {}},
        {QStringLiteral("Книга доходов и расходов-квартальная"), QStringLiteral("frReport11"), QStringLiteral("frReport_kudir")},
        {QStringLiteral("Книга расчетов по банку"), QStringLiteral("frReport_bank"), {}},
        {QStringLiteral("Книга расчетов по кассе"), QStringLiteral("frReport_kassa"), {}},
        {kCashBookKind, QStringLiteral("frReport_kas"), {}},
        {QStringLiteral("Сводный отчет по операциям"), QStringLiteral("frReport2"), {}},
        {QStringLiteral("Книга расчетов с контрагентами"), QStringLiteral("frReportss"), {}},
        {kReconciliationKind, QStringLiteral("frReport_sverka"), {}},
        {QStringLiteral("Титульный лист"), QStringLiteral("frRepor_t"), QStringLiteral("frRepor_t26")},
    };
    return table;
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
