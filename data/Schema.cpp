#include "Schema.h"
#include "Error.h"

#include <QStringList>

namespace vi23 {

namespace {

// A counterparty's name, wherever it is kept: a state payee's full name is longer than 200 characters.
constexpr int kNameWidth = 250;

FieldDef counter(const char16_t* name) { return {QString::fromUtf16(name), FieldType::Counter, 0}; }
FieldDef date(const char16_t* name) { return {QString::fromUtf16(name), FieldType::Date, 0}; }
FieldDef text(const char16_t* name, int size = 20) { return {QString::fromUtf16(name), FieldType::Text, size}; }
FieldDef money(const char16_t* name) { return {QString::fromUtf16(name), FieldType::Money, 0}; }
FieldDef real(const char16_t* name) { return {QString::fromUtf16(name), FieldType::Real, 0}; }
FieldDef shortInt(const char16_t* name) { return {QString::fromUtf16(name), FieldType::Short, 0}; }
FieldDef longInt(const char16_t* name) { return {QString::fromUtf16(name), FieldType::Long, 0}; }
// Kept beside the described fields (FieldDef::added).
FieldDef added(FieldDef field)
{
    field.added = true;
    return field;
}

// What a cash expense order states beside its payee and sum.
const std::vector<FieldDef>& cashOrderFields()
{
    static const std::vector<FieldDef> fields = {
        {kCashBasisField, FieldType::Text, 250, true}, {kCashIdentityField, FieldType::Text, 150, true},
        {kCashDebitField, FieldType::Text, 20, true}};
    return fields;
}

// The goods list's unit, country of origin and customs declaration number, as a line keeps them.
const std::vector<FieldDef>& lineDetailFields()
{
    static const std::vector<FieldDef> fields = {
        {QStringLiteral("eu"), FieldType::Text, 10}, {QStringLiteral("str"), FieldType::Text, 25},
        {QStringLiteral("gtd"), FieldType::Text, 26}};
    return fields;
}

std::vector<FieldDef> documentFields()
{
    std::vector<FieldDef> fields = {
        counter(u"k"), text(u"dok", 30), text(u"n", 15), date(u"dd"), text(u"np", 15), date(u"dp"),
        text(u"z", kNameWidth), text(u"a", 120), text(u"unn", 22), text(u"okdp", 20), text(u"rb", 120),
        text(u"okpo", 20), text(u"ru", 20)};
    // Lines 1 to 9 come before line 0 in the record.
    for (int line : {1, 2, 3, 4, 5, 6, 7, 8, 9, 0}) {
        QString suffix = QString::number(line);
        fields.push_back({QStringLiteral("naz") + suffix, FieldType::Text, 250});
        fields.push_back({QStringLiteral("kol") + suffix, FieldType::Real, 0});
        fields.push_back({QStringLiteral("cen") + suffix, FieldType::Money, 0});
        fields.push_back({QStringLiteral("nds") + suffix, FieldType::Short, 0});
        fields.push_back({QStringLiteral("s") + suffix, FieldType::Money, 0});
    }
    fields.push_back(money(u"sss"));
    fields.push_back(text(u"sr", 170));
    fields.push_back(text(u"dok1", 10));
    // What an issued line prints beside its name, copied from the goods list when the goods are
    // picked, so that a later change of the list changes no issued document.
    for (int line = 0; line < kDocumentLines; ++line) {
        const QString suffix = QString::number(line);
        for (const FieldDef& copied : lineDetailFields())
            fields.push_back({copied.name + suffix, copied.type, copied.size, true});
    }
    // What a cash expense order states beside its payee and sum.
    for (const FieldDef& cash : cashOrderFields())
        fields.push_back(cash);
    return fields;
}

std::vector<TableDef> buildTables()
{
    return {
        // jur.nn holds a bank order's number whole (697162 and longer), hence 20, not 5.
        {QStringLiteral("jur"),
         {counter(u"n"), date(u"dd"), text(u"nn", 20), text(u"dok", 10), text(u"sr", 170), text(u"vr", 6),
          money(u"s"), text(u"k", kNameWidth)}},
        {QStringLiteral("jur1"), documentFields()},
        {QStringLiteral("sr"), {text(u"sr", 40), text(u"vr", 6)}},
        // Kept beside the described fields: the counterparty's e-mail address, its participant id at its
        // operator of electronic documents and, for one abroad, its country.
        {QStringLiteral("k"),
         {text(u"k", kNameWidth), date(u"dd"), text(u"ad", 120), text(u"b", 50), text(u"unn"), text(u"ok"),
          text(u"fio", 25), added({kCounterpartyMailField, FieldType::Text, 100}), added(text(u"edo_id", 46)),
          added(text(u"country", 25))}},
        {QStringLiteral("stov"),
         {text(u"naz", 255), text(u"eu", 10), text(u"str", 25), text(u"gtd", 26), shortInt(u"nds"), money(u"cen")}},
        {QStringLiteral("pr1"),
         {text(u"np", 120), text(u"unn", 32), text(u"ad", 120), text(u"tel", 20), text(u"bank", 200),
          text(u"rs", 20), text(u"ks", 20), text(u"buk", 10), text(u"fr", 30), text(u"fb", 30), text(u"fup", 30),
          text(u"rup", 70), text(u"okpo", 15), text(u"okdp", 20), text(u"dr", 40),
          {kCashierField, FieldType::Text, 30, true},
          // What electronic documents need beyond the printed requisites: the participant id at the
          // operator and the signer.
          added(text(u"edo_id", 46)), added(text(u"signer_surname", 60)), added(text(u"signer_name", 60)),
          added(text(u"signer_patronymic", 60)), added(text(u"signer_position", 100))}},
        // tov.k holds a document counter, so it is as wide as the counter.
        // A print line also carries the line's rate and what the line copied from the goods list.
        {QStringLiteral("tov"),
         {counter(u"xx"), longInt(u"k"), text(u"naz", 250), real(u"kol"), money(u"cen"),
          {QStringLiteral("nds"), FieldType::Short, 0, true}, {QStringLiteral("eu"), FieldType::Text, 10, true},
          {QStringLiteral("str"), FieldType::Text, 25, true}, {QStringLiteral("gtd"), FieldType::Text, 26, true}}},
        // kassa.nn is filled from jur.nn, so it is as wide.
        {QStringLiteral("kassa"),
         {counter(u"n"), date(u"dd"), text(u"nn", 20), text(u"sr", 170), text(u"k", kNameWidth), money(u"s"), money(u"sd"),
          money(u"sk"), money(u"srr"), money(u"sdd"), money(u"skk"), money(u"srrr")}},
        {QStringLiteral("z"), {counter(u"k"), text(u"pr", 120)}},
        {QStringLiteral("pr"),
         {text(u"НазваниеФИО", 80), text(u"ИНН", 12), text(u"КПП", 9), text(u"Руководитель", 50),
          text(u"ФИО_ИП", 50), text(u"ОГРН", 13), text(u"Объект_налогообложения", 30), text(u"Телефон", 40),
          text(u"ОКАТО", 11), text(u"КБК_c_дохода", 20), text(u"КБК_c_разницы", 20), text(u"КБК_c_минимум", 20),
          text(u"Адрес", 120), text(u"Банк", 120), text(u"Уведомление", 120), text(u"окпо", 15),
          text(u"ифнс", 50), text(u"код", 4), text(u"к1", 1), text(u"к2", 1), text(u"к3", 1), text(u"к4", 1),
          text(u"ww1", 120), text(u"ww2", 30), text(u"ww3", 150), text(u"ww4", 4), text(u"ww5", 10)}},
        {QStringLiteral("dok"),
         {counter(u"Код"), text(u"nnn", 15), date(u"ddd"), text(u"vvv", 20), text(u"zzz", 120), real(u"sss")}},
    };
}

std::vector<TableDef> buildAddedTables()
{
    return {
        {QStringLiteral("settings"), {text(u"key", 60), text(u"value", 250)}},
        // Statement import: the first rule whose text the payment's purpose or counterparty contains
        // chooses the operation. kind is "Назначение" or "Контрагент".
        {QStringLiteral("import_rules"), {counter(u"n"), text(u"kind", 20), text(u"pattern", 170), text(u"sr", 40)}},
        // Every imported bank document: our account, number, date, sum and direction ("Приход" or
        // "Расход"), and the journal row it became, so a statement imported twice adds nothing.
        {QStringLiteral("bank_imports"),
         {counter(u"n"), text(u"acc", 40), text(u"nn", 20), date(u"dd"), money(u"s"), text(u"dir", 6), longInt(u"jur")}},
        // The journal row "КО" each cash order was registered as, so it is registered once.
        {QStringLiteral("cash_journal"), {longInt(u"k"), longInt(u"jur")}},
    };
}

} // namespace

int TableDef::fieldIndex(QStringView fieldName) const
{
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

int TableDef::counterIndex() const
{
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].type == FieldType::Counter)
            return int(i);
    }
    return -1;
}

const std::vector<TableDef>& schemaTables()
{
    static const std::vector<TableDef> tables = buildTables();
    return tables;
}

const std::vector<TableDef>& addedTables()
{
    static const std::vector<TableDef> tables = buildAddedTables();
    return tables;
}

const TableDef& schemaTable(QStringView name)
{
    for (const auto* list : {&schemaTables(), &addedTables()}) {
        for (const TableDef& table : *list) {
            if (table.name == name)
                return table;
        }
    }
    throw UserError(QStringLiteral("Нет таблицы «%1»").arg(name.toString()));
}

bool isWorkTable(QStringView table)
{
    return table == u"tov" || table == u"kassa";
}

QString quoteIdentifier(QStringView name)
{
    QString quoted = name.toString();
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

} // namespace vi23
