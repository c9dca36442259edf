#include "GridColumns.h"

#include <map>

namespace vi23 {

const std::vector<GridColumn>& gridColumns(QStringView dataSet)
{
    auto c = [](const char* field, const char16_t* title) {
        return GridColumn{QString::fromLatin1(field), QString::fromUtf16(title)};
    };
    static const std::map<QString, std::vector<GridColumn>> grids = {
        {QStringLiteral("ADOTable_jur"),
         {c("dd", u"Дата"), c("nn", u"Номер"), c("dok", u"Документ"), c("s", u"Сумма"), c("sr", u"Операция"),
          c("k", u"Предприятие")}},
        {QStringLiteral("ADOTable_jur1"),
         {c("z", u"Наименование, ФИО покупателя"), c("n", u"Номер документа"), c("dd", u"Дата документа"),
          c("sss", u"Всего к оплате")}},
        {QStringLiteral("ADOTable_stov"),
         {c("naz", u"Наименование товара, работы"), c("eu", u"Ед.изм"), c("cen", u"Цена единицы"), c("nds", u"Ст.НДС"),
          c("str", u"Страна происхождения"), c("gtd", u"Номер ГТД")}},
        {QStringLiteral("ADOTable_sr"), {c("sr", u"Наименование операции"), c("vr", u"Вид расчета")}},
        // The last two are what electronic documents need of a counterparty: its participant id at its
        // operator, and the country of one abroad (empty for Russia).
        {QStringLiteral("ADOTable_k"),
         {c("k", u"Наименование"), c("ad", u"Адрес и телефон"), c("b", u"Банк, № расчетного счета"),
          c("unn", u"ИНН/КПП"), c("ok", u"ОКПО"), c("email", u"Эл. почта"), c("edo_id", u"Участник ЭДО"),
          c("country", u"Страна")}},
    };
    static const std::vector<GridColumn> none;
    const auto found = grids.find(dataSet.toString());
    return found == grids.end() ? none : found->second;
}

} // namespace vi23
