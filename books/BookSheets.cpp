#include "BookSheets.h"

#include "BookPrinting.h"
#include "data/Error.h"

#include <QFileInfo>

namespace vi23 {

namespace {

using Kind = SheetColumn::Kind;

// One column: its title on the form, the fields it shows ("+" joins two with " / "), its kind.
struct Column {
    const char16_t* title;
    const char* fields;
    Kind kind;
    bool summed = true;
};

struct Book {
    const char16_t* kind;
    const char* dataSet;
    std::vector<Column> columns;
};

constexpr const char* kLineNumber = "#";

const std::vector<Book>& books()
{
    static const std::vector<Book> table = {
        {u"Книга доходов и расходов-месячная", "ADOQuery11",
         {{u"№", kLineNumber, Kind::Number}, {u"Дата", "dd", Kind::Date}, {u"Номер", "nn", Kind::Text},
          {u"Документ", "dok", Kind::Text}, {u"Содержание операции", "sr+np", Kind::Text},
          {u"Доходы, учитываемые при исчислении налоговой базы", "d", Kind::Money},
          {u"Расходы, учитываемые при исчислении налоговой базы", "k", Kind::Money}}},
        {u"Книга доходов и расходов-квартальная", "ADOQuery11", {}},   // the same columns as monthly
        {u"Книга расчетов по банку", "ADOQuery_bank",
         {{u"№", kLineNumber, Kind::Number}, {u"Дата", "dd", Kind::Date}, {u"Номер", "nn", Kind::Text},
          {u"Содержание операции", "sr", Kind::Text}, {u"Зачислено", "d", Kind::Money}, {u"Списано", "k1", Kind::Money},
          {u"Разница за период", "r", Kind::Money}}},
        {u"Книга расчетов по кассе", "ADOQuery_kassa",
         {{u"№", kLineNumber, Kind::Number}, {u"Дата", "dd", Kind::Date}, {u"Номер", "nn", Kind::Text},
          {u"Содержание операции", "sr", Kind::Text}, {u"Приход", "d", Kind::Money}, {u"Расход", "k1", Kind::Money},
          {u"Разница за период", "r", Kind::Money}}},
        {u"Кассовая книга", "ADOTable_kassa",
         {{u"№", kLineNumber, Kind::Number}, {u"Дата", "dd", Kind::Date}, {u"Номер ордера", "nn", Kind::Text},
          {u"От кого получено или кому выдано", "k", Kind::Text}, {u"Приход", "sd", Kind::Money},
          {u"Расход", "sk", Kind::Money}, {u"Остаток на конец дня", "srrr", Kind::Money, false}}},
        {u"Сводный отчет по операциям", "ADOQuerys",
         {{u"№", kLineNumber, Kind::Number}, {u"Типовая операция", "sr", Kind::Text}, {u"Дата", "dd", Kind::Date},
          {u"Номер", "nn", Kind::Text}, {u"Документ", "dok", Kind::Text}, {u"Плательщик - получатель", "k", Kind::Text},
          {u"Зачислено", "d", Kind::Money}, {u"Списано", "k1", Kind::Money}}},
        {u"Книга расчетов с контрагентами", "ADOQueryss",
         {{u"№", kLineNumber, Kind::Number}, {u"Плательщик - получатель", "k", Kind::Text}, {u"Дата", "dd", Kind::Date},
          {u"Номер", "nn", Kind::Text}, {u"Документ", "dok", Kind::Text}, {u"Типовая операция", "sr", Kind::Text},
          {u"Зачислено", "d", Kind::Money}, {u"Списано", "k1", Kind::Money}}},
    };
    return table;
}

// Grid titles of the lists and the journal, by data set and field.
struct Title {
    const char* dataSet;
    const char* field;
    const char16_t* title;
};

constexpr Title kTitles[] = {
    {"ADOTable_jur", "dd", u"Дата"}, {"ADOTable_jur", "nn", u"Номер"}, {"ADOTable_jur", "dok", u"Документ"},
    {"ADOTable_jur", "s", u"Сумма"}, {"ADOTable_jur", "sr", u"Операция"}, {"ADOTable_jur", "k", u"Предприятие"},
    {"ADOTable_stov", "naz", u"Наименование товара, работы"}, {"ADOTable_stov", "eu", u"Ед.изм"},
    {"ADOTable_stov", "cen", u"Цена единицы"}, {"ADOTable_stov", "nds", u"Ст.НДС"},
    {"ADOTable_stov", "str", u"Страна происхождения"}, {"ADOTable_stov", "gtd", u"Номер ГТД"},
    {"ADOTable_sr", "sr", u"Наименование операции"}, {"ADOTable_sr", "vr", u"Вид расчета"},
    {"ADOTable_k", "k", u"Наименование"}, {"ADOTable_k", "ad", u"Адрес и телефон"},
    {"ADOTable_k", "b", u"Банк, № расчетного счета"}, {"ADOTable_k", "unn", u"ИНН/КПП"}, {"ADOTable_k", "ok", u"ОКПО"},
    {"ADOTable_k", "email", u"Эл. почта"},
};

Kind kindOf(const FieldDef& field)
{
    switch (field.type) {
    case FieldType::Money: return Kind::Money;
    case FieldType::Date: return Kind::Date;
    case FieldType::Text: return Kind::Text;
    default: return Kind::Number;
    }
}

} // namespace

Sheet bookSheet(DataStore& store, const QString& kind, QDate from, QDate to)
{
    const Book* book = nullptr;
    for (const Book& b : books()) {
        if (kind == QStringView(b.kind))
            book = &b;
    }
    if (!book)
        throw UserError(QStringLiteral("«%1» не сохраняется в таблицу: в нём нет строк журнала").arg(kind));
    const std::vector<Column>& columns = book->columns.empty() ? books().front().columns : book->columns;

    setBookPeriod(store, from, to);
    if (kind == kCashBookKind)
        rebuildCashBook(store);
    DataSet& rows = store.dataSet(QString::fromLatin1(book->dataSet));
    rows.refresh();

    Sheet sheet;
    sheet.name = kind;
    sheet.totals = true;
    std::vector<std::vector<int>> fields;
    for (const Column& c : columns) {
        sheet.columns.push_back({QString::fromUtf16(c.title), c.kind, c.summed});
        std::vector<int> indexes;
        if (QLatin1String(c.fields) != QLatin1String(kLineNumber)) {
            for (const QString& name : QString::fromLatin1(c.fields).split(u'+'))
                indexes.push_back(rows.requireField(name));
        }
        fields.push_back(indexes);
    }
    const int count = rows.recordCount();
    for (int position = 0; position < count; ++position) {
        std::vector<Value> values;
        for (const std::vector<int>& indexes : fields) {
            if (indexes.empty()) {
                values.emplace_back(std::int64_t(position + 1));
            } else if (indexes.size() == 1) {
                values.push_back(rows.valueAt(position, indexes[0]));
            } else {
                QStringList parts;
                for (int index : indexes)
                    parts << rows.valueAt(position, index).toText();
                values.emplace_back(parts.join(QStringLiteral(" / ")));
            }
        }
        sheet.rows.push_back(std::move(values));
    }
    if (rows.name() != u"ADOQueryss" && rows.name() != u"ADOTable_kassa")
        rows.close();   // read afresh next time, as after printing
    return sheet;
}

void saveBookWorkbook(DataStore& store, const QString& fileName, const QString& kind, QDate from, QDate to)
{
    writeWorkbook(fileName, bookSheet(store, kind, from, to));
}

Sheet dataSetSheet(DataSet& rows)
{
    if (!rows.isOpen())
        rows.open();
    Sheet sheet;
    sheet.name = rows.name();
    const int fieldCount = int(rows.fields().size());
    for (const FieldDef& field : rows.fields()) {
        QString title = field.name;
        for (const Title& t : kTitles) {
            if (rows.name() == QLatin1String(t.dataSet) && field.name == QLatin1String(t.field))
                title = QString::fromUtf16(t.title);
        }
        sheet.columns.push_back({title, kindOf(field), true});
    }
    // Read by position, so the shared data set keeps its current row.
    const int count = rows.recordCount();
    for (int position = 0; position < count; ++position) {
        std::vector<Value> values;
        for (int f = 0; f < fieldCount; ++f)
            values.push_back(rows.valueAt(position, f));
        sheet.rows.push_back(std::move(values));
    }
    return sheet;
}

} // namespace vi23
