#include "DataSet.h"
#include "RuCollation.h"
#include "Database.h"
#include "DocumentMoney.h"
#include "Error.h"

#include <QSet>
#include <QStringList>
#include "RuFormat.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace vi23 {

namespace {

const QString kNotEditing =
    QStringLiteral("Запись не открыта для изменения: нажмите «Редактор» или «Добавить» и повторите");
const QString kEmpty = QStringLiteral("В списке нет записей: сначала добавьте запись");
const QString kClosed = QStringLiteral("данные закрыты; перезапустите программу");
const QString kReadOnly = QStringLiteral("эти данные только для чтения");
const QString kRowChanged = QStringLiteral("Запись изменена на другом рабочем месте");

QString formatLimit(double value)
{
    return QString::number(value, 'g', 15);
}

// Orders Null first, then by value; text ignoring letter case (callers pass folded text).
int compareValues(const Value& a, const Value& b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull() ? 0 : (a.isNull() ? -1 : 1);
    switch (a.kind()) {
    case Value::Kind::Text: return a.text().compare(b.text());
    case Value::Kind::Date: return a.date() < b.date() ? -1 : (b.date() < a.date() ? 1 : 0);
    case Value::Kind::Money: return a.money() < b.money() ? -1 : (b.money() < a.money() ? 1 : 0);
    case Value::Kind::Integer: return a.integer() < b.integer() ? -1 : (b.integer() < a.integer() ? 1 : 0);
    default: {
        double x = a.toDouble(), y = b.toDouble();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    }
}

} // namespace

DataSet::DataSet(Database& db, QString name, const TableDef& table)
    : db_(db), name_(std::move(name)), table_(&table), fields_(table.fields), counterField_(table.counterIndex())
{
}

DataSet::DataSet(Database& db, QString name, QueryDef query)
    : db_(db), name_(std::move(name)), querySql_(std::move(query.sql)), periodSql_(std::move(query.periodSql)),
      keySql_(std::move(query.keySql)), fields_(std::move(query.columns))
{
}

DataSet::~DataSet()
{
    std::vector<DataSetObserver*> observers = std::move(observers_);
    for (DataSetObserver* observer : observers)
        observer->dataSetDestroyed(*this);
}

int DataSet::fieldIndex(QStringView field) const
{
    for (size_t i = 0; i < fields_.size(); ++i) {
        if (fields_[i].name.compare(field, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

int DataSet::requireField(QStringView field) const
{
    int index = fieldIndex(field);
    if (index < 0)
        throw UserError(QStringLiteral("%1: нет поля «%2»").arg(name_, field.toString()));
    return index;
}

void DataSet::requireOpen() const
{
    if (state_ == State::Inactive)
        throw UserError(QStringLiteral("%1: %2").arg(name_, kClosed));
}

void DataSet::requireWritable() const
{
    requireOpen();
    if (isReadOnly())
        throw UserError(QStringLiteral("%1: %2").arg(name_, kReadOnly));
}

void DataSet::requireEditing() const
{
    requireOpen();
    if (!isEditing())
        throw UserError(kNotEditing);
}

template <typename F>
void DataSet::notify(F&& f)
{
    std::vector<DataSetObserver*> observers = observers_;
    for (DataSetObserver* observer : observers) {
        if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end())
            f(*observer);
    }
}

void DataSet::addObserver(DataSetObserver* observer)
{
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
        observers_.push_back(observer);
}

void DataSet::removeObserver(DataSetObserver* observer)
{
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

// ---- life and navigation ----

Value readColumn(const Statement& statement, int column, FieldType type)
{
    if (statement.isNull(column))
        return {};
    switch (type) {
    case FieldType::Counter:
    case FieldType::Short:
    case FieldType::Long:
        return std::int64_t(statement.integer(column));
    case FieldType::Real:
        return statement.real(column);
    case FieldType::Money:
        if (statement.isFloat(column))
            return Money::fromDouble(statement.real(column) / double(Money::kScale));
        return Money::fromUnits(statement.integer(column));
    case FieldType::Date:
        if (auto date = ru::tryParseIsoDate(statement.text(column)))
            return *date;
        return {};
    case FieldType::Text:
        return statement.text(column);
    }
    return {};
}

QSet<QString> missingAddedFields(Database& db, const TableDef& table)
{
    const bool addsAny = std::any_of(table.fields.begin(), table.fields.end(), [](const FieldDef& f) { return f.added; });
    return addsAny ? missingAddedFields(db.columnsOf(table.name), table) : QSet<QString>();
}

QSet<QString> missingAddedFields(const QList<QPair<QString, QString>>& columns, const TableDef& table)
{
    QSet<QString> missing;
    for (const FieldDef& field : table.fields) {
        if (field.added)
            missing.insert(field.name);
    }
    for (const auto& column : columns) {
        for (auto it = missing.begin(); it != missing.end(); ++it) {
            if (it->compare(column.first, Qt::CaseInsensitive) == 0) {
                missing.erase(it);
                break;
            }
        }
    }
    return missing;
}

namespace {

// A table's rows as a data set reads them: the key, the version where kept, then the fields.
QString tableRowsSql(const DataSet& set, Database& db, bool versioned)
{
    const TableDef& table = *set.table();
    QStringList columns{db.dialect().rowKey(table)};
    if (versioned)
        columns << quoteIdentifier(kRowVersionColumn);
    for (size_t i = 0; i < set.fields().size(); ++i)
        columns << (set.fieldInFile(int(i)) ? quoteIdentifier(set.fields()[i].name) : QStringLiteral("NULL"));
    return QStringLiteral("SELECT %1 FROM %2").arg(columns.join(u','), quoteIdentifier(table.name));
}

Statement selectRows(const DataSet& set, Database& db, bool versioned, const QString& querySql, const QString& periodSql,
                     const std::optional<std::pair<QDate, QDate>>& period, const QString& keySql,
                     std::optional<long long> key, const std::optional<QString>& counterparty)
{
    QString sql = querySql;
    if (set.table())
        sql = tableRowsSql(set, db, versioned) + QStringLiteral(" ORDER BY ") + db.dialect().rowKey(*set.table());
    if (period && !periodSql.isEmpty())
        sql = periodSql;
    if (key && !keySql.isEmpty())
        sql = keySql;
    Statement statement = db.prepare(sql);
    if (period && !periodSql.isEmpty()) {
        statement.bind(1, Value(period->first));
        statement.bind(2, Value(period->second.addDays(1)));
    }
    if (key && !keySql.isEmpty())
        statement.bind(1, Value(std::int64_t(*key)));
    if (counterparty)
        statement.bind(3, Value(*counterparty));
    const int offset = set.table() ? (versioned ? 2 : 1) : 0;
    if (statement.columnCount() != int(set.fields().size()) + offset)
        throw UserError(QStringLiteral("%1: запрос вернул %2 столбцов вместо %3")
                            .arg(set.name()).arg(statement.columnCount() - offset).arg(set.fields().size()));
    return statement;
}

} // namespace

DataSet::RowReader::RowReader(const DataSet& set, bool onlyShown, Database* connection)
    : set_(set), statement_(selectRows(set, connection ? *connection : set.db_, set.versioned_, set.querySql_, set.periodSql_,
                                     set.period_, set.keySql_, set.key_, set.counterparty_)),
      onlyShown_(onlyShown && set.filtered_ && !set.filterExpression_.isEmpty()),
      offset_(set.table_ ? (set.versioned_ ? 2 : 1) : 0), versioned_(set.table_ && set.versioned_),
      shared_(set.fields_.size())
{
}

bool DataSet::RowReader::next(std::vector<Value>& values, long long* rowid, long long* version)
{
    // A book repeats the same few texts (year, kind, operation, counterparty) on every row: equal
    // texts share one string instead of one allocation each. Bounded, so unique texts cost little.
    constexpr qsizetype kSharedTextsPerField = 4096;
    const std::vector<FieldDef>& fields = set_.fields_;
    // Stepped again after its last row, a statement would start over.
    while (!done_) {
        if (!statement_.step()) {
            done_ = true;
            break;
        }
        ++read_;
        values.clear();
        values.reserve(fields.size());
        for (size_t i = 0; i < fields.size(); ++i) {
            const int column = int(i) + offset_;
            if (fields[i].type != FieldType::Text || statement_.isNull(column)) {
                values.push_back(readColumn(statement_, column, fields[i].type));
                continue;
            }
            QString text = statement_.text(column);
            QSet<QString>& texts = shared_[i];
            if (const auto found = texts.constFind(text); found != texts.constEnd()) {
                text = *found;
            } else {
                text.squeeze();   // read from UTF-8, it holds room for twice the letters
                if (texts.size() < kSharedTextsPerField)
                    texts.insert(text);
            }
            values.push_back(Value(std::move(text)));
        }
        if (onlyShown_ && !set_.filterExpression_.matches(values))
            continue;
        if (rowid)
            *rowid = offset_ ? statement_.integer(0) : read_;
        if (version)
            *version = versioned_ ? statement_.integer(1) : 0;
        return true;
    }
    return false;
}

void DataSet::findAbsentKeptFields()
{
    absent_.assign(fields_.size(), false);
    versioned_ = false;
    if (!table_)
        return;
    // One look at the table's columns: the server answers each from its catalogue.
    const QList<QPair<QString, QString>> columns = db_.columnsOf(table_->name);
    versioned_ = !isWorkTable(table_->name) &&
                 std::any_of(columns.begin(), columns.end(), [](const auto& column) {
                     return column.first.compare(kRowVersionColumn, Qt::CaseInsensitive) == 0;
                 });
    const QSet<QString> missing = missingAddedFields(columns, *table_);
    for (size_t i = 0; i < fields_.size(); ++i)
        absent_[i] = missing.contains(fields_[i].name);
}

bool DataSet::writesField(const Row& row, int field) const
{
    if (fieldInFile(field))
        return true;
    if (row.values[size_t(field)].isNull() || row.values[size_t(field)].toText().isEmpty())
        return false;
    throw UserError(QStringLiteral("Поле «%1» не сохранено: файл базы данных был открыт только для чтения или занят "
                                   "другой программой, и программа не смогла добавить это поле; перезапустите программу")
                        .arg(fields_[size_t(field)].name));
}

void DataSet::readRows()
{
    findAbsentKeptFields();
    RowReader reader(*this);
    std::vector<Row> rows;
    Row row;
    while (reader.next(row.values, &row.rowid, &row.version))
        rows.push_back(std::move(row));
    rows.shrink_to_fit();
    rows_ = std::move(rows);
}

void DataSet::open()
{
    if (isOpen())
        return;
    readRows();
    state_ = State::Browse;
    modified_ = false;
    rebuildVisible();
    current_ = visible_.empty() ? -1 : 0;
    bof_ = true;
    eof_ = visible_.empty();
    notify([this](DataSetObserver& o) { o.stateChanged(*this); });
    notify([this](DataSetObserver& o) { o.rowsChanged(*this); });
    notify([this](DataSetObserver& o) { o.currentRowChanged(*this); });
}

void DataSet::close()
{
    if (!isOpen())
        return;
    rows_.clear();
    visible_.clear();
    original_.clear();
    current_ = -1;
    bof_ = eof_ = true;
    modified_ = false;
    state_ = State::Inactive;
    notify([this](DataSetObserver& o) { o.stateChanged(*this); });
    notify([this](DataSetObserver& o) { o.rowsChanged(*this); });
    notify([this](DataSetObserver& o) { o.currentRowChanged(*this); });
}

void DataSet::setPeriod(QDate from, QDate to)
{
    if (periodSql_.isEmpty())
        throw UserError(QStringLiteral("%1: запрос не выбирается за период").arg(name_));
    close();
    period_ = std::make_pair(from, to);
}

void DataSet::setKey(long long key)
{
    if (keySql_.isEmpty())
        throw UserError(QStringLiteral("%1: запрос не выбирается по ключу").arg(name_));
    close();
    key_ = key;
}

void DataSet::setCounterparty(const QString& name)
{
    close();
    counterparty_ = name;
}

void DataSet::refresh()
{
    close();
    open();
}

void DataSet::reread()
{
    if (!isOpen() || isEditing())
        return;
    const long long rowid = current_ >= 0 ? rows_[size_t(visible_[size_t(current_)])].rowid : 0;
    const int position = current_;
    readRows();
    rebuildVisible();
    const auto kept = std::find_if(visible_.begin(), visible_.end(),
                                   [this, rowid](int index) { return rows_[size_t(index)].rowid == rowid; });
    if (rowid != 0 && kept != visible_.end())
        current_ = int(kept - visible_.begin());
    else
        current_ = visible_.empty() ? -1 : std::clamp(position, 0, int(visible_.size()) - 1);
    bof_ = eof_ = visible_.empty();
    notify([this](DataSetObserver& o) { o.rowsChanged(*this); });
    notify([this](DataSetObserver& o) { o.currentRowChanged(*this); });
}

void DataSet::rebuildVisible()
{
    visible_.clear();
    visible_.reserve(rows_.size());
    bool useFilter = filtered_ && !filterExpression_.isEmpty();
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (!useFilter || filterExpression_.matches(rows_[i].values))
            visible_.push_back(int(i));
    }
    if (sortField_ < 0)
        return;
    const size_t field = size_t(sortField_);
    if (fields_[field].type == FieldType::Text) {
        // Each key made once, Null first; the row index as the last key keeps equal keys in read order.
        struct Key {
            bool present;
            QByteArray collated;
            int row;
        };
        std::vector<Key> keys;
        keys.reserve(visible_.size());
        for (int index : visible_) {
            const Value& v = rows_[size_t(index)].values[field];
            keys.push_back({!v.isNull(), v.isNull() ? QByteArray() : ruSortKey(v.text()), index});
        }
        const bool descending = sortDescending_;
        std::sort(keys.begin(), keys.end(), [descending](const Key& a, const Key& b) {
            int order = a.present != b.present ? (a.present ? 1 : -1) : a.collated.compare(b.collated);
            if (order != 0)
                return descending ? order > 0 : order < 0;
            return a.row < b.row;
        });
        for (size_t i = 0; i < keys.size(); ++i)
            visible_[i] = keys[i].row;
        return;
    }
    auto order = [&](int a, int b) { return compareValues(rows_[size_t(a)].values[field], rows_[size_t(b)].values[field]); };
    if (sortDescending_)
        std::stable_sort(visible_.begin(), visible_.end(), [&](int a, int b) { return order(a, b) > 0; });
    else
        std::stable_sort(visible_.begin(), visible_.end(), [&](int a, int b) { return order(a, b) < 0; });
}

int DataSet::recordCount() const
{
    return isOpen() ? int(visible_.size()) : 0;
}

void DataSet::setCurrent(int position)
{
    current_ = position;
    notify([this](DataSetObserver& o) { o.currentRowChanged(*this); });
}

void DataSet::first()
{
    requireOpen();
    checkBrowseMode();
    bof_ = true;
    eof_ = visible_.empty();
    setCurrent(visible_.empty() ? -1 : 0);
}

void DataSet::next()
{
    requireOpen();
    checkBrowseMode();
    if (current_ + 1 < int(visible_.size())) {
        bof_ = false;
        setCurrent(current_ + 1);
    } else {
        eof_ = true;
    }
}

void DataSet::prior()
{
    requireOpen();
    checkBrowseMode();
    if (current_ > 0) {
        eof_ = false;
        setCurrent(current_ - 1);
    } else {
        bof_ = true;
    }
}

void DataSet::last()
{
    requireOpen();
    checkBrowseMode();
    eof_ = true;
    bof_ = visible_.empty();
    setCurrent(int(visible_.size()) - 1);
}

void DataSet::moveToPosition(int position)
{
    requireOpen();
    if (position < 0 || position >= int(visible_.size()) || position == current_)
        return;
    // Leaving the row may drop an unsaved new row and shift the lines: aim at the row, not the line.
    const int targetRow = visible_[size_t(position)];
    const bool wasEditing = isEditing();
    checkBrowseMode();
    int line = position;
    if (wasEditing) {
        auto it = std::find(visible_.begin(), visible_.end(), targetRow);
        if (it == visible_.end())
            return;
        line = int(it - visible_.begin());
    }
    bof_ = eof_ = false;
    setCurrent(line);
}

// ---- changes ----

void DataSet::setState(State state)
{
    if (state_ == state)
        return;
    state_ = state;
    notify([this](DataSetObserver& o) { o.stateChanged(*this); });
}

void DataSet::checkBrowseMode()
{
    if (!isEditing())
        return;
    notify([this](DataSetObserver& o) { o.writePendingChanges(*this); });
    if (modified_)
        post();
    else
        cancel();
}

void DataSet::startInsert(bool atEnd)
{
    requireWritable();
    checkBrowseMode();
    Row row;
    row.values.resize(fields_.size());
    rows_.push_back(std::move(row));
    int position = atEnd || current_ < 0 ? int(visible_.size()) : current_;
    visible_.insert(visible_.begin() + position, int(rows_.size()) - 1);
    original_.clear();
    proposed_.clear();
    modified_ = false;
    bof_ = eof_ = false;
    current_ = position;
    setState(State::Insert);
    notify([this](DataSetObserver& o) { o.rowsChanged(*this); });
    notify([this](DataSetObserver& o) { o.currentRowChanged(*this); });
    if (afterInsert)
        afterInsert(*this);
    keepAsDefaults();
}

void DataSet::keepAsDefaults()
{
    if (state_ == State::Insert)
        modified_ = false;
}

bool DataSet::dropUntouchedNewRow()
{
    if (!isUntouchedNewRow())
        return false;
    cancel();
    return true;
}

void DataSet::setKeyField(const QString& field, const QString& caption)
{
    if (!field.isEmpty())
        requireField(field);
    keyField_ = field;
    keyCaption_ = caption;
}

void DataSet::insert() { startInsert(false); }
void DataSet::append() { startInsert(true); }

void DataSet::edit()
{
    requireWritable();
    if (isEditing())
        return;
    if (visible_.empty()) {
        insert();
        return;
    }
    original_ = currentRow().values;
    modified_ = false;
    setState(State::Edit);
}

DataSet::Row& DataSet::currentRow()
{
    if (current_ < 0 || current_ >= int(visible_.size()))
        throw UserError(kEmpty);
    // The visible order indexes the rows read; a stale index would edit another row.
    assert(visible_[size_t(current_)] >= 0 && size_t(visible_[size_t(current_)]) < rows_.size());
    return rows_[size_t(visible_[size_t(current_)])];
}

const DataSet::Row* DataSet::currentRowOrNull() const
{
    if (state_ == State::Inactive || current_ < 0 || current_ >= int(visible_.size()))
        return nullptr;
    return &rows_[size_t(visible_[size_t(current_)])];
}

void DataSet::post()
{
    requireOpen();
    if (!isEditing())
        throw UserError(kNotEditing);
    notify([this](DataSetObserver& o) { o.writePendingChanges(*this); });
    Row& row = currentRow();
    if (!keyField_.isEmpty() && text(keyField_).trimmed().isEmpty())
        throw UserError(QStringLiteral("Не заполнено поле «%1»: без него запись не сохраняется").arg(keyCaption_));
    if (beforePost)
        beforePost(*this);
    if (state_ == State::Insert)
        storeNew(row);
    else if (modified_)
        storeUpdate(row);
    modified_ = false;
    original_.clear();
    proposed_.clear();
    setState(State::Browse);
    if (counterField_ >= 0) {
        int field = counterField_;
        notify([this, field](DataSetObserver& o) { o.fieldChanged(*this, field); });
    }
    // A row stored takes its place in the order shown, as it would when read again.
    if (sortField_ >= 0)
        reorderKeepingCurrent();
    else
        notify([this](DataSetObserver& o) { o.rowsChanged(*this); });
    if (afterPost)
        afterPost(*this);
}

bool DataSet::isChanged(QStringView field) const
{
    const int index = requireField(field);
    if (state_ == State::Insert || size_t(index) >= original_.size())
        return state_ == State::Insert;
    return !(value(index) == original_[size_t(index)]);
}

std::vector<Value> DataSet::rowValues() const
{
    const Row* row = currentRowOrNull();
    return row ? row->values : std::vector<Value>();
}

void DataSet::restore(const std::vector<Value>& values)
{
    requireWritable();
    if (values.size() != fields_.size())
        throw UserError(QStringLiteral("%1: запись для восстановления не подходит к набору данных").arg(name_));
    checkBrowseMode();
    Row row;
    row.values = values;
    storeInsert(row, true);
    rows_.push_back(std::move(row));
    rebuildVisible();
    auto it = std::find(visible_.begin(), visible_.end(), int(rows_.size()) - 1);
    bof_ = eof_ = false;
    current_ = it != visible_.end() ? int(it - visible_.begin()) : (visible_.empty() ? -1 : 0);
    notify([this](DataSetObserver& o) { o.rowsChanged(*this); });
    notify([this](DataSetObserver& o) { o.currentRowChanged(*this); });
}

void DataSet::storeNew(Row& row)
{
    if (!whileStoringNew) {
        storeInsert(row);
        return;
    }
    Database::Transaction unit(db_);
    whileStoringNew(*this);
    storeInsert(row);
    unit.commit();
}

void DataSet::storeInsert(Row& row, bool withCounter)
{
    QStringList names, marks;
    std::vector<int> fieldIndexes;
    const QSet<QString> missing = missingAddedFields(db_, *table_);
    for (size_t i = 0; i < fields_.size(); ++i) {
        if ((int(i) == counterField_ && (!withCounter || row.values[i].isNull())) || !writesField(row, int(i)))
            continue;
        if (missing.contains(fields_[i].name))
            continue;
        names << quoteIdentifier(fields_[i].name);
        marks << QStringLiteral("?");
        fieldIndexes.push_back(int(i));
    }
    db_.beforeChange();
    const QString sql = names.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteIdentifier(table_->name))
                                        : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                              .arg(quoteIdentifier(table_->name), names.join(u','), marks.join(u','));
    Statement statement = db_.prepareInsert(sql, db_.dialect().rowKey(*table_));
    for (size_t i = 0; i < fieldIndexes.size(); ++i)
        statement.bind(int(i) + 1, row.values[size_t(fieldIndexes[i])]);
    row.rowid = statement.runInsert();
    if (counterField_ >= 0)
        row.values[size_t(counterField_)] = std::int64_t(row.rowid);
}

void DataSet::storeUpdate(Row& row)
{
    QStringList assignments, checks;
    std::vector<int> changed;
    const QSet<QString> missing = missingAddedFields(db_, *table_);
    for (size_t i = 0; i < fields_.size(); ++i) {
        if ((i < original_.size() && row.values[i] == original_[i]) || !writesField(row, int(i)))
            continue;
        if (missing.contains(fields_[i].name))
            continue;
        changed.push_back(int(i));
        assignments << quoteIdentifier(fields_[i].name) + QStringLiteral(" = ?");
        checks << db_.dialect().sameAs(quoteIdentifier(fields_[i].name), QStringLiteral("?"));
    }
    if (changed.empty())
        return;
    // The row is found by its key, its version and the values it had when read: a change made
    // elsewhere since, through this program or another, is not overwritten unseen.
    if (versioned_) {
        assignments << quoteIdentifier(kRowVersionColumn) + QStringLiteral(" = ?");
        checks << quoteIdentifier(kRowVersionColumn) + QStringLiteral(" = ?");
    }
    db_.beforeChange();
    Statement statement = db_.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE %4 = ? AND %3")
                                          .arg(quoteIdentifier(table_->name), assignments.join(u','),
                                               checks.join(QStringLiteral(" AND ")), db_.dialect().rowKey(*table_)));
    int bindIndex = 1;
    for (int i : changed)
        statement.bind(bindIndex++, row.values[size_t(i)]);
    if (versioned_)
        statement.bind(bindIndex++, std::int64_t(row.version + 1));
    statement.bind(bindIndex++, std::int64_t(row.rowid));
    for (int i : changed)
        statement.bind(bindIndex++, original_[size_t(i)]);
    if (versioned_)
        statement.bind(bindIndex++, std::int64_t(row.version));
    statement.run();
    if (db_.changes() == 0)
        refuseChangedElsewhere(row, false);
    if (versioned_)
        ++row.version;
}

void DataSet::refuseChangedElsewhere(const Row& row, bool deleting)
{
    Statement still = db_.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?")
                                      .arg(quoteIdentifier(table_->name), db_.dialect().rowKey(*table_)));
    still.bind(1, std::int64_t(row.rowid));
    const bool gone = !still.step();
    // Deleted twice: what this workplace wanted is done.
    if (deleting && gone)
        return;
    const QString what = kRowChanged + (gone ? QStringLiteral(": ее удалили там, после того как она была прочитана здесь")
                                             : QStringLiteral(", после того как была прочитана здесь"));
    if (deleting)
        throw RowChangedElsewhere(*this, what + QStringLiteral("; запись не удалена.\n\nПрочитать запись заново?"));
    throw RowChangedElsewhere(*this, what + QStringLiteral("; ваше изменение не сохранено.\n\nПрочитать запись заново? "
                                                           "«Да» — показать ее, как она сохранена сейчас (набранное здесь "
                                                           "пропадет); «Нет» — оставить набранное несохраненным"));
}

void DataSet::reloadCurrentRow()
{
    requireWritable();
    if (state_ == State::Insert) {
        cancel();
        return;
    }
    Row& row = currentRow();
    Statement statement =
        db_.prepare(tableRowsSql(*this, db_, versioned_) + QStringLiteral(" WHERE %1 = ?").arg(db_.dialect().rowKey(*table_)));
    statement.bind(1, std::int64_t(row.rowid));
    original_.clear();
    modified_ = false;
    if (statement.step()) {
        const int offset = versioned_ ? 2 : 1;
        row.version = versioned_ ? statement.integer(1) : 0;
        for (size_t i = 0; i < fields_.size(); ++i)
            row.values[i] = readColumn(statement, int(i) + offset, fields_[i].type);
    } else {
        removeRowAt(current_);
    }
    setState(State::Browse);
    notify([this](DataSetObserver& o) { o.rowsChanged(*this); });
    notify([this](DataSetObserver& o) { o.currentRowChanged(*this); });
}

void DataSet::cancel()
{
    if (!isEditing())
        return;
    if (state_ == State::Insert) {
        int newRow = int(rows_.size()) - 1;
        auto it = std::find(visible_.begin(), visible_.end(), newRow);
        if (it != visible_.end())
            visible_.erase(it);
        rows_.pop_back();
        if (current_ >= int(visible_.size()))
            current_ = int(visible_.size()) - 1;
        eof_ = bof_ = visible_.empty();
    } else if (!original_.empty()) {
        currentRow().values = original_;
    }
    original_.clear();
    modified_ = false;
    setState(State::Browse);
    notify([this](DataSetObserver& o) { o.rowsChanged(*this); });
    notify([this](DataSetObserver& o) { o.currentRowChanged(*this); });
}

void DataSet::remove()
{
    requireWritable();
    if (state_ == State::Insert) {
        cancel();
        return;
    }
    if (visible_.empty())
        throw UserError(kEmpty);
    Row& row = currentRow();
    db_.beforeChange();
    Statement statement = db_.prepare(QStringLiteral("DELETE FROM %1 WHERE %2 = ?%3")
                                          .arg(quoteIdentifier(table_->name), db_.dialect().rowKey(*table_),
                                               versioned_ ? QStringLiteral(" AND %1 = ?").arg(quoteIdentifier(kRowVersionColumn))
                                                          : QString()));
    statement.bind(1, std::int64_t(row.rowid));
    if (versioned_)
        statement.bind(2, std::int64_t(row.version));
    statement.run();
    if (versioned_ && db_.changes() == 0)
        refuseChangedElsewhere(row, true);
    original_.clear();
    modified_ = false;
    removeRowAt(current_);
    setState(State::Browse);
    notify([this](DataSetObserver& o) { o.rowsChanged(*this); });
    notify([this](DataSetObserver& o) { o.currentRowChanged(*this); });
}

void DataSet::removeRowAt(int position)
{
    int rowIndex = visible_[size_t(position)];
    visible_.erase(visible_.begin() + position);
    rows_.erase(rows_.begin() + rowIndex);
    for (int& index : visible_) {
        if (index > rowIndex)
            --index;
    }
    if (current_ >= int(visible_.size()))
        current_ = int(visible_.size()) - 1;
    eof_ = bof_ = visible_.empty();
}

// ---- fields ----

Value DataSet::value(int field) const
{
    if (field < 0 || field >= int(fields_.size()))
        throw UserError(QStringLiteral("%1: нет поля с номером %2").arg(name_).arg(field));
    const Row* row = currentRowOrNull();
    return row ? row->values[size_t(field)] : Value();
}

Value DataSet::fieldValue(QStringView field) const
{
    requireOpen();
    return value(requireField(field));
}

Value DataSet::fieldValueAt(int field) const
{
    requireOpen();
    return value(field);
}

QString DataSet::text(int field) const { return displayText(field, value(field)); }
QString DataSet::text(QStringView field) const { return text(requireField(field)); }

QString DataSet::displayText(int field, const Value& value) const
{
    if (value.kind() == Value::Kind::Integer && field >= 0 && field < int(fields_.size()) &&
        fields_[size_t(field)].type == FieldType::Short && isVatRateField(fields_[size_t(field)].name))
        return vatRateText(int(value.integer()));
    return value.toText();
}
double DataSet::real(QStringView field) const { return value(requireField(field)).toDouble(); }
bool DataSet::isNull(QStringView field) const { return value(requireField(field)).isNull(); }

long long DataSet::integer(QStringView field) const
{
    Value v = value(requireField(field));
    if (v.kind() == Value::Kind::Integer)
        return v.integer();
    if (v.kind() == Value::Kind::Text)
        return ru::parseInteger(v.text());
    return std::llrint(v.toDouble());
}

Money DataSet::money(QStringView field) const
{
    Value v = value(requireField(field));
    switch (v.kind()) {
    case Value::Kind::Money: return v.money();
    case Value::Kind::Integer: return Money::fromRoubles(v.integer());
    case Value::Kind::Real: return Money::fromDouble(v.real());
    case Value::Kind::Text: return Money::parse(v.text());
    default: return {};
    }
}

QDate DataSet::date(QStringView field) const
{
    Value v = value(requireField(field));
    if (v.kind() == Value::Kind::Date)
        return v.date();
    if (v.kind() == Value::Kind::Text)
        return ru::parseDate(v.text());
    return {};
}

namespace {

// A whole number for a Short or Long field, within the field's range; a rate field takes only the
// rates in force.
Value integerFieldValue(const FieldDef& def, const Value& value)
{
    const bool rateField = isVatRateField(def.name) && def.type == FieldType::Short;
    double number = 0;
    switch (value.kind()) {
    case Value::Kind::Text:
        // A rate field takes the rates in force and "Без НДС" only, an empty text leaving it empty.
        if (rateField)
            return std::int64_t(parseVatRate(value.text()));
        number = double(ru::parseInteger(value.text()));
        break;
    case Value::Kind::Integer: number = double(value.integer()); break;
    case Value::Kind::Real:
    case Value::Kind::Money: number = std::nearbyint(value.toDouble()); break;
    default: throw UserError(QStringLiteral("«%1» — не целое число: введите только цифры").arg(ru::quoteForMessage(value.toText())));
    }
    if (rateField && !isAllowedVatRate(int(number)))
        throw UserError(QStringLiteral("Ставка НДС %1 % недопустима: допустимы %2").arg(number).arg(allowedVatRatesText()));
    const double low = def.type == FieldType::Short ? -32768.0 : -2147483648.0;
    const double high = def.type == FieldType::Short ? 32767.0 : 2147483647.0;
    if (number < low || number > high)
        throw UserError(QStringLiteral("Число %1 не помещается в поле «%2»: допустимо от %3 до %4")
                            .arg(formatLimit(number), def.name, formatLimit(low), formatLimit(high)));
    return std::int64_t(number);
}

} // namespace

Value DataSet::convert(int field, const Value& value) const
{
    const FieldDef& def = fields_[size_t(field)];
    if (def.type == FieldType::Counter)
        throw UserError(QStringLiteral("Поле «%1» — счетчик, его значение назначает программа").arg(def.name));
    if (value.isNull())
        return {};
    if (value.kind() == Value::Kind::Text && value.text().isEmpty())
        return {};
    switch (def.type) {
    case FieldType::Text: {
        QString text = value.toText();
        if (text.size() > def.size)
            throw UserError(QStringLiteral("Текст «%1» длиннее %3 знаков, допустимых в поле «%2»; сократите его")
                                .arg(ru::quoteForMessage(text), def.name).arg(def.size));
        return text;
    }
    case FieldType::Money:
        switch (value.kind()) {
        case Value::Kind::Text: return Money::parse(value.text());
        case Value::Kind::Real: return Money::fromDouble(value.real());
        case Value::Kind::Integer: return Money::fromRoubles(value.integer());
        case Value::Kind::Money: return value;
        default: break;
        }
        break;
    case FieldType::Real:
        switch (value.kind()) {
        case Value::Kind::Text: return ru::parseReal(value.text());
        case Value::Kind::Real:
        case Value::Kind::Integer:
        case Value::Kind::Money: return value.toDouble();
        default: break;
        }
        break;
    case FieldType::Short:
    case FieldType::Long:
        return integerFieldValue(def, value);
    case FieldType::Date:
        if (value.kind() == Value::Kind::Text)
            return ru::parseDate(value.text());
        if (value.kind() == Value::Kind::Date)
            return value;
        break;
    case FieldType::Counter:
        break;
    }
    throw UserError(QStringLiteral("«%1» не подходит для поля «%2»").arg(ru::quoteForMessage(value.toText()), def.name));
}

void DataSet::setValue(int field, const Value& value)
{
    requireWritable();
    requireEditing();
    if (field < 0 || field >= int(fields_.size()))
        throw UserError(QStringLiteral("%1: нет поля с номером %2").arg(name_).arg(field));
    Value converted = convert(field, value);
    currentRow().values[size_t(field)] = std::move(converted);
    modified_ = true;
    notify([this, field](DataSetObserver& o) { o.fieldChanged(*this, field); });
}

void DataSet::setValue(QStringView field, const Value& value) { setValue(requireField(field), value); }

void DataSet::propose(QStringView field, const Value& value)
{
    const int index = requireField(field);
    setValue(index, value);
    std::erase_if(proposed_, [index](const auto& proposal) { return proposal.first == index; });
    if (state_ == State::Insert)
        proposed_.emplace_back(index, this->value(index));
}

bool DataSet::isProposed(QStringView field) const
{
    const int index = requireField(field);
    for (const auto& [proposedField, proposedValue] : proposed_) {
        if (proposedField == index)
            return value(index) == proposedValue;
    }
    return false;
}

void DataSet::setText(int field, const QString& text) { setValue(field, Value(text)); }
void DataSet::setText(QStringView field, const QString& text) { setValue(requireField(field), Value(text)); }

Value DataSet::valueAt(int position, int field) const
{
    if (!isOpen() || position < 0 || position >= int(visible_.size()) || field < 0 || field >= int(fields_.size()))
        return {};
    return rows_[size_t(visible_[size_t(position)])].values[size_t(field)];
}

// ---- filter, order, search ----

void DataSet::setFilter(const QString& text)
{
    FilterExpression parsed = FilterExpression::parse(text, fields_);
    changeVisibleRows([&] {
        filterText_ = text;
        filterExpression_ = std::move(parsed);
    });
}

void DataSet::setFiltered(bool on)
{
    if (filtered_ != on)
        changeVisibleRows([&] { filtered_ = on; });
}

void DataSet::changeVisibleRows(const std::function<void()>& change)
{
    if (isOpen())
        checkBrowseMode();
    change();
    if (!isOpen())
        return;
    rebuildVisible();
    bof_ = true;
    eof_ = visible_.empty();
    current_ = visible_.empty() ? -1 : 0;
    notify([this](DataSetObserver& o) { o.rowsChanged(*this); });
    notify([this](DataSetObserver& o) { o.currentRowChanged(*this); });
}

void DataSet::setSort(const QString& order)
{
    QStringList words = order.simplified().split(u' ', Qt::SkipEmptyParts);
    int field = -1;
    bool descending = false;
    if (!words.isEmpty()) {
        field = fieldIndex(words[0]);
        bool directionOk = words.size() == 1 ||
                           (words.size() == 2 && (words[1].compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0 ||
                                                  words[1].compare(QLatin1String("ASC"), Qt::CaseInsensitive) == 0));
        if (field < 0 || !directionOk)
            throw UserError(QStringLiteral("%1: неверный порядок сортировки «%2»").arg(name_, order));
        descending = words.size() == 2 && words[1].compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
    }
    if (isOpen())
        checkBrowseMode();
    sortText_ = order;
    sortField_ = field;
    sortDescending_ = descending;
    if (isOpen())
        reorderKeepingCurrent();
}

void DataSet::reorderKeepingCurrent()
{
    int currentRowIndex = current_ >= 0 ? visible_[size_t(current_)] : -1;
    rebuildVisible();
    auto it = std::find(visible_.begin(), visible_.end(), currentRowIndex);
    current_ = it != visible_.end() ? int(it - visible_.begin()) : (visible_.empty() ? -1 : 0);
    notify([this](DataSetObserver& o) { o.rowsChanged(*this); });
    notify([this](DataSetObserver& o) { o.currentRowChanged(*this); });
}

bool DataSet::locate(QStringView field, QStringView prefix)
{
    requireOpen();
    int index = requireField(field);
    checkBrowseMode();
    const bool isText = fields_[size_t(index)].type == FieldType::Text;
    for (size_t position = 0; position < visible_.size(); ++position) {
        const Value& v = rows_[size_t(visible_[position])].values[size_t(index)];
        if (v.isNull() && !prefix.isEmpty())
            continue;
        bool match = isText && !v.isNull() ? v.text().startsWith(prefix, Qt::CaseInsensitive)
                                           : v.toText().startsWith(prefix, Qt::CaseInsensitive);
        if (match) {
            bof_ = eof_ = false;
            if (int(position) != current_)
                setCurrent(int(position));
            return true;
        }
    }
    return false;
}

} // namespace vi23
