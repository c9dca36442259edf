#include "BookSheets.h"

#include "BookPrinting.h"
#include "ReconciliationAct.h"
#include "data/Error.h"
#include "data/GridColumns.h"
#include "data/RuFormat.h"

#include <QFileInfo>
#include <algorithm>
#include <map>
#include <optional>

namespace vi23 {

namespace {

using Kind = SheetColumn::Kind;
using Style = SheetRow::Style;

// One column: its title on the form, what it shows, its kind. The fields: one field, "a+b" two texts
// joined with " / ", "a-b" the difference of two amounts, "#" the row's number.
struct Column {
    const char16_t* title;
    const char* fields;
    Kind kind;
    bool summed = true;
};

// The total a group closes with, as the printed book has it: its label ("%1" the group's value) and
// what each money column sums, in their order (fields as for columns); with `afterQuarter`, printed
// only when the group's last row lies in that quarter.
struct Footer {
    const char16_t* label = nullptr;
    std::vector<const char*> sums;
    int afterQuarter = 0;
};

// A level of grouping, outermost first: the field that keys it, its heading ("%1" the value; none
// without one) and its total. The cash book's day heading tells the day's opening balance too.
struct Level {
    const char* field;
    const char16_t* heading;
    Footer footer;
    bool openingBalance = false;
};

// A report kind's table; the kinds table tells which kind has which, and what else differs by kind.
struct Book {
    BookTable table;
    std::vector<Column> columns;
    std::vector<Level> levels;
};

constexpr const char* kLineNumber = "#";

const std::vector<Column>& incomeColumns()
{
    static const std::vector<Column> columns = {
        {u"№", kLineNumber, Kind::Number}, {u"Дата", "dd", Kind::Date}, {u"Номер", "nn", Kind::Text},
        {u"Документ", "dok", Kind::Text}, {u"Содержание операции", "sr+np", Kind::Text},
        {u"Доходы, учитываемые при исчислении налоговой базы", "d", Kind::Money},
        {u"Расходы, учитываемые при исчислении налоговой базы", "k", Kind::Money}};
    return columns;
}

// The settlement books: by year, quarter and month, as their forms print them.
std::vector<Level> settlementLevels()
{
    const std::vector<const char*> sums = {"d", "k1", "r"};
    return {{"g", u"Год %1", {u"Всего за отчетный период %1 года:", sums}},
            {"q", u"Квартал %1", {u"Итого за квартал:", sums}},
            {"m", u"Месяц %1", {u"Итого за месяц:", sums}}};
}

const std::vector<Book>& books()
{
    static const std::vector<Book> table = {
        {BookTable::IncomeMonthly, incomeColumns(),
         {{"g", u"Год %1", {u"Итого за отчетный - налоговый период %1 года:", {"dy", "ky"}, 4}},
          {"ds9", nullptr, {u"Итого за 9 месяцев", {"d9", "k9"}, 3}},
          {"ds6", nullptr, {u"Итого за полугодие", {"d6", "k6"}, 2}},
          {"q", u"Квартал %1", {u"Итого за квартал:", {"dq", "kq"}}},
          {"m", u"Месяц %1", {u"Итого за месяц", {"d", "k"}}}}},
        {BookTable::IncomeQuarterly, incomeColumns(),
         {{"g", u"%1", {u"Итого за %1 год:", {"dy", "ky"}, 4}},
          {"ds9", nullptr, {u"Итого за 9 месяцев", {"d9", "k9"}, 3}},
          {"ds6", nullptr, {u"Итого за полугодие", {"d6", "k6"}, 2}},
          {"q", u"Квартал %1", {u"Итого за %1 квартал:", {"dq", "kq"}}}}},
        {BookTable::Bank,
         {{u"№", kLineNumber, Kind::Number}, {u"Дата", "dd", Kind::Date}, {u"Номер", "nn", Kind::Text},
          {u"Содержание операции", "sr", Kind::Text}, {u"Зачислено", "d", Kind::Money}, {u"Списано", "k1", Kind::Money},
          {u"Разница за период", "r", Kind::Money}},
         settlementLevels()},
        {BookTable::Cash,
         {{u"№", kLineNumber, Kind::Number}, {u"Дата", "dd", Kind::Date}, {u"Номер", "nn", Kind::Text},
          {u"Содержание операции", "sr", Kind::Text}, {u"Приход", "d", Kind::Money}, {u"Расход", "k1", Kind::Money},
          {u"Разница за период", "r", Kind::Money}},
         settlementLevels()},
        {BookTable::CashBook,
         {{u"№", kLineNumber, Kind::Number}, {u"Дата", "dd", Kind::Date}, {u"Номер ордера", "nn", Kind::Text},
          {u"От кого получено или кому выдано", "k", Kind::Text}, {u"Приход", "sd", Kind::Money},
          {u"Расход", "sk", Kind::Money}, {u"Остаток на конец дня", "srrr", Kind::Money, false}},
         {{"dd", u"Касса за : %1 года. Остаток на начало дня:", {u"Кассир________________________ Итого за день:", {"sd", "sk"}},
           true}}},
        {BookTable::Operations,
         {{u"№", kLineNumber, Kind::Number}, {u"Дата", "dd", Kind::Date}, {u"Номер", "nn", Kind::Text},
          {u"Документ", "dok", Kind::Text}, {u"Плательщик - получатель", "k", Kind::Text},
          {u"Зачислено", "d", Kind::Money}, {u"Списано", "k1", Kind::Money}, {u"Разница за период", "d-k1", Kind::Money}},
         {{"sr", u"Типовая операция: %1", {u"Итого по операции :", {"d", "k1", "d-k1"}}}}},
        {BookTable::Counterparties,
         {{u"№", kLineNumber, Kind::Number}, {u"Дата", "dd", Kind::Date}, {u"Номер", "nn", Kind::Text},
          {u"Документ", "dok", Kind::Text}, {u"Типовая операция", "sr", Kind::Text},
          {u"Зачислено", "d", Kind::Money}, {u"Списано", "k1", Kind::Money}, {u"Разница за период", "d-k1", Kind::Money}},
         {{"k", u"Плательщик-получатель: %1", {u"Итого по предприятию :", {"d", "k1", "d-k1"}}}}},
        // Our figures, then the counterparty's columns left for it to fill in.
        {BookTable::Reconciliation,
         {{u"Дата", "dd", Kind::Date}, {u"Документ", "dok", Kind::Text}, {u"Номер", "nn", Kind::Text},
          {u"Дебет", "d", Kind::Money}, {u"Кредит", "k1", Kind::Money},
          {u"Дата по данным контрагента", "", Kind::Date}, {u"Документ по данным контрагента", "", Kind::Text},
          {u"Дебет по данным контрагента", "", Kind::Money, false},
          {u"Кредит по данным контрагента", "", Kind::Money, false}},
         {}},
    };
    return table;
}

Kind kindOf(const FieldDef& field)
{
    switch (field.type) {
    case FieldType::Money: return Kind::Money;
    case FieldType::Date: return Kind::Date;
    case FieldType::Text: return Kind::Text;
    default: return Kind::Number;
    }
}

Money moneyOf(const Value& value)
{
    return value.kind() == Value::Kind::Money ? value.money() : Money();
}

// The rows of a book's data set and the sheet they go to, walked as the printed form walks them.
// A tax book numbers its rows through the year; the other books number them anew in every group.
class BookWriter {
public:
    BookWriter(const Book& book, bool taxYear, DataSet& rows, Sheet& sheet)
        : book_(book), taxYear_(taxYear), rows_(rows), sheet_(sheet), levels_(book.levels.size())
    {
        shown_ = rows.fieldIndex(u"shown");
        quarter_ = rows.fieldIndex(u"q");
    }

    // The rows of the data set as it stands; `firstNumber` the number of the first row printed.
    void write(int firstNumber);

private:
    struct Open {
        QString value;
        std::map<QString, Money> sums;
        int first = 0;
    };

    Value cell(int position, const QString& fields) const;
    QString key(int position, size_t level) const;
    // The tax book's rows that only carry sums print nothing.
    bool shown(int position) const { return shown_ < 0 || rows_.valueAt(position, shown_).toDouble() != 0; }
    void openLevels(int position, size_t from);
    void closeLevels(int position, size_t from);
    void addRow(int position, int number);

    const Book& book_;
    bool taxYear_;
    DataSet& rows_;
    Sheet& sheet_;
    std::vector<Open> levels_;
    int shown_ = -1;
    int quarter_ = -1;
};

Value BookWriter::cell(int position, const QString& fields) const
{
    if (fields.isEmpty())
        return {};
    if (fields.contains(u'+')) {
        QStringList parts;
        for (const QString& name : fields.split(u'+'))
            parts << rows_.valueAt(position, rows_.requireField(name)).toText();
        return Value(parts.join(QStringLiteral(" / ")));
    }
    if (fields.contains(u'-')) {
        const QStringList names = fields.split(u'-');
        return Value(moneyOf(rows_.valueAt(position, rows_.requireField(names[0])))
                     - moneyOf(rows_.valueAt(position, rows_.requireField(names[1]))));
    }
    return rows_.valueAt(position, rows_.requireField(fields));
}

QString BookWriter::key(int position, size_t level) const
{
    const Value value = rows_.valueAt(position, rows_.requireField(QString::fromLatin1(book_.levels[level].field)));
    return value.kind() == Value::Kind::Date ? ru::formatDate(value.date()) : value.toText();
}

void BookWriter::openLevels(int position, size_t from)
{
    for (size_t i = from; i < levels_.size(); ++i) {
        const Level& level = book_.levels[i];
        levels_[i] = Open{key(position, i), {}, int(sheet_.rows.size())};
        if (!level.heading)
            continue;
        SheetRow heading(std::vector<Value>(sheet_.columns.size()), Style::Heading);
        heading.cells[1] = Value(QString::fromUtf16(level.heading).replace(QStringLiteral("%1"), levels_[i].value));
        if (level.openingBalance) {
            // The balance after the day's first order, less that order.
            heading.cells.back() = Value(moneyOf(cell(position, QStringLiteral("srrr"))) - moneyOf(cell(position, QStringLiteral("srr"))));
        }
        sheet_.rows.push_back(std::move(heading));
    }
}

void BookWriter::closeLevels(int position, size_t from)
{
    std::vector<size_t> money;
    for (size_t c = 0; c < sheet_.columns.size(); ++c) {
        if (sheet_.columns[c].kind == Kind::Money)
            money.push_back(c);
    }
    for (size_t i = levels_.size(); i-- > from;) {
        const Footer& footer = book_.levels[i].footer;
        if (!footer.label || (footer.afterQuarter && rows_.valueAt(position, quarter_).toText() != QString::number(footer.afterQuarter)))
            continue;
        SheetRow total(std::vector<Value>(sheet_.columns.size()), Style::Total);
        total.cells[money.front() - 1] = Value(QString::fromUtf16(footer.label).replace(QStringLiteral("%1"), levels_[i].value));
        for (size_t s = 0; s < footer.sums.size() && s < money.size(); ++s)
            total.cells[money[s]] = Value(levels_[i].sums[QString::fromLatin1(footer.sums[s])]);
        total.first = levels_[i].first;
        total.last = int(sheet_.rows.size()) - 1;
        sheet_.rows.push_back(std::move(total));
    }
}

void BookWriter::addRow(int position, int number)
{
    for (size_t i = 0; i < levels_.size(); ++i) {
        for (const char* field : book_.levels[i].footer.sums)
            levels_[i].sums[QString::fromLatin1(field)] += moneyOf(cell(position, QString::fromLatin1(field)));
    }
    if (!shown(position))
        return;
    std::vector<Value> values;
    for (const Column& c : book_.columns)
        values.push_back(QLatin1String(c.fields) == QLatin1String(kLineNumber) ? Value(std::int64_t(number))
                                                                                : cell(position, QString::fromLatin1(c.fields)));
    sheet_.rows.emplace_back(std::move(values));
}

void BookWriter::write(int firstNumber)
{
    const int count = rows_.recordCount();
    int number = firstNumber;
    size_t opening = 0;
    for (int position = 0; position < count; ++position) {
        if (opening < levels_.size()) {
            openLevels(position, opening);
            if (!taxYear_)
                number = 1;
        }
        addRow(position, number);
        number += shown(position) ? 1 : 0;
        opening = levels_.size();
        for (size_t i = 0; i < levels_.size() && position + 1 < count; ++i) {
            if (key(position + 1, i) != levels_[i].value) {
                opening = i;
                break;
            }
        }
        closeLevels(position, position + 1 == count ? 0 : opening);
    }
}

// The reference lines that close a year of the book of income and expenses, from its year totals.
void addReferenceLines(Sheet& sheet, Money income, Money expense)
{
    const size_t label = 4, amount = 5;
    auto line = [&](const char16_t* text, std::optional<Money> value, Style style = Style::Total) {
        SheetRow row(std::vector<Value>(sheet.columns.size()), style);
        row.cells[label] = Value(QString::fromUtf16(text));
        if (value)
            row.cells[amount] = Value(*value);
        sheet.rows.push_back(std::move(row));
    };
    line(u"Справка к разделу 1", std::nullopt, Style::Heading);
    line(u"010 Сумма полученных доходов за налоговый период", income);
    line(u"020 Сумма произведенных расходов за налоговый период", expense);
    line(u"030 Сумма разницы между суммой уплаченного минимального налога и суммой исчисленного в общем порядке "
         u"налога за предыдущий налоговый период",
         std::nullopt);
    line(u"040 - доходов", std::max(income - expense, Money()));
    line(u"041 - убытков", std::max(expense - income, Money()));
}

// A tax book, one year after another, each with its own numbering and Справка.
void writeTaxYears(const Book& book, DataStore& store, DataSet& rows, Sheet& sheet, QDate from, QDate to)
{
    for (const auto& [start, end] : taxYears(from, to)) {
        setBookPeriod(store, start, end);
        rows.refresh();
        BookWriter(book, true, rows, sheet).write(incomeBookRowsBefore(store.database(), start) + 1);
        Money income, expense;
        for (int position = 0; position < rows.recordCount(); ++position) {
            income += moneyOf(rows.valueAt(position, rows.requireField(u"dy")));
            expense += moneyOf(rows.valueAt(position, rows.requireField(u"ky")));
        }
        addReferenceLines(sheet, income, expense);
    }
}

// The act's rows framed as its form has them: the opening balance first, then the turnovers, the
// closing balance and its wording.
void addBalances(Sheet& sheet, DataStore& store, const QString& counterparty, QDate from, QDate to)
{
    const ReconciliationFigures f = reconciliationFigures(store.database(), counterparty, from, to);
    auto line = [&](const QString& label, Value debit, Value credit) {
        SheetRow row(std::vector<Value>(sheet.columns.size()), Style::Total);
        row.cells[1] = Value(label);
        row.cells[3] = std::move(debit);
        row.cells[4] = std::move(credit);
        return row;
    };
    const int count = int(sheet.rows.size());
    sheet.rows.insert(sheet.rows.begin(),
                      line(QStringLiteral("Сальдо начальное"), balanceSide(f.opening, true), balanceSide(f.opening, false)));
    SheetRow turnovers = line(QStringLiteral("Обороты за период"), Value(f.debit), Value(f.credit));
    if (count > 0) {
        turnovers.first = 1;
        turnovers.last = count;
    }
    sheet.rows.push_back(std::move(turnovers));
    sheet.rows.push_back(line(QStringLiteral("Сальдо конечное"), balanceSide(f.closing(), true), balanceSide(f.closing(), false)));
    SheetRow wording(std::vector<Value>(sheet.columns.size()), Style::Heading);
    wording.cells[1] = Value(balanceWording(f.closing(), enterpriseName(store), counterparty));
    sheet.rows.push_back(std::move(wording));
}

// The book's name, the enterprise and the period, as the lines above the table.
QStringList headingOf(DataStore& store, const QString& kind, QDate from, QDate to)
{
    DataSet& requisites = store.dataSet(u"ADOTable_pr1");
    if (!requisites.isOpen())
        requisites.open();
    requisites.first();
    QString enterprise = requisites.eof() ? QString() : requisites.text(u"np");
    const QString innKpp = requisites.eof() ? QString() : requisites.text(u"unn");
    if (!innKpp.isEmpty())
        enterprise += QStringLiteral(", ИНН/КПП ") + innKpp;
    return {kind, enterprise, QStringLiteral("за период с %1 по %2").arg(ru::formatDate(from), ru::formatDate(to))};
}

} // namespace

Sheet bookSheet(DataStore& store, const QString& kind, QDate from, QDate to, const QString& counterparty)
{
    const FormKind* formKind = reportKind(kind);
    const Book* book = nullptr;
    for (const Book& b : books()) {
        if (formKind && formKind->table == b.table)
            book = &b;
    }
    if (!book)
        throw UserError(QStringLiteral("«%1» не сохраняется в таблицу: в нём нет строк журнала").arg(kind));

    Sheet sheet;
    sheet.name = kind;
    sheet.heading = headingOf(store, kind, from, to);
    for (const Column& c : book->columns)
        sheet.columns.push_back({QString::fromUtf16(c.title), c.kind, c.summed});
    setBookPeriod(store, from, to);
    if (formKind->cashBook && rebuildCashBook(store, from, to) == 0)
        throw UserError(QStringLiteral("За период с %1 по %2 нет кассовых ордеров: кассовая книга не сохраняется")
                            .arg(ru::formatDate(from), ru::formatDate(to)));
    // The reconciliation act: its rows between the opening balance and the turnovers and closing balance.
    if (formKind->counterparty) {
        chooseActCounterparty(store, counterparty);
        sheet.heading.push_back(QStringLiteral("с контрагентом ") + counterparty);
    }
    DataSet& rows = store.dataSet(formKind->cashBook ? QStringLiteral("ADOTable_kassa") : formKind->periodQuery);
    if (formKind->perYear) {
        writeTaxYears(*book, store, rows, sheet, from, to);
    } else {
        rows.refresh();
        BookWriter(*book, false, rows, sheet).write(1);
    }
    if (formKind->counterparty)
        addBalances(sheet, store, counterparty, from, to);
    if (rows.name() != u"ADOQueryss" && rows.name() != u"ADOTable_kassa")
        rows.close();   // read afresh next time, as after printing
    return sheet;
}

void saveBookWorkbook(DataStore& store, const QString& fileName, const QString& kind, QDate from, QDate to,
                      const QString& counterparty)
{
    writeWorkbook(fileName, bookSheet(store, kind, from, to, counterparty));
}

Sheet dataSetSheet(DataSet& rows)
{
    if (!rows.isOpen())
        rows.open();
    Sheet sheet;
    sheet.name = rows.name();
    // The grid's columns where the data set has a grid, else every field by its name.
    std::vector<int> fields;
    for (const GridColumn& c : gridColumns(rows.name())) {
        fields.push_back(rows.requireField(c.field));
        sheet.columns.push_back({c.title, kindOf(rows.fields()[size_t(fields.back())]), true});
    }
    for (int f = 0; fields.empty() && f < int(rows.fields().size()); ++f)
        sheet.columns.push_back({rows.fields()[size_t(f)].name, kindOf(rows.fields()[size_t(f)]), true});
    if (fields.empty()) {
        for (int f = 0; f < int(rows.fields().size()); ++f)
            fields.push_back(f);
    }
    // Read by position, so the shared data set keeps its current row. A value the grid shows otherwise
    // (a VAT rate's "Без НДС") goes as the grid shows it.
    const int count = rows.recordCount();
    for (int position = 0; position < count; ++position) {
        std::vector<Value> values;
        for (int f : fields) {
            const Value value = rows.valueAt(position, f);
            const QString shown = rows.displayText(f, value);
            values.push_back(value.isNumber() && shown != value.toText() ? Value(shown) : value);
        }
        sheet.rows.emplace_back(std::move(values));
    }
    return sheet;
}

} // namespace vi23
