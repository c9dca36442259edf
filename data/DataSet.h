#pragma once
// A named snapshot of a table or a fixed query with a current row, a filter, a sort order and
// the browse / edit / insert states through which every screen and report reaches the data.
#include "Database.h"
#include "Error.h"
#include "FilterExpression.h"
#include "RowSource.h"
#include "Schema.h"
#include "Value.h"

#include <QDate>
#include <QSet>
#include <QString>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace vi23 {

class Database;
class DataSet;

// A column of a row read as the field type keeps it (money as ten-thousandths, dates from ISO text).
Value readColumn(const Statement& statement, int column, FieldType type);

// The fields kept beside the described ones (FieldDef::added) that the file does not have yet.
QSet<QString> missingAddedFields(Database& db, const TableDef& table);
// The same from the columns the file's table has (Database::columnsOf).
QSet<QString> missingAddedFields(const QList<QPair<QString, QString>>& columns, const TableDef& table);

// Follows a data set; bound controls and grids implement it.
class DataSetObserver {
public:
    virtual ~DataSetObserver() = default;
    virtual void currentRowChanged(DataSet&) {}
    virtual void fieldChanged(DataSet&, int /*field*/) {}
    virtual void stateChanged(DataSet&) {}
    virtual void rowsChanged(DataSet&) {}          // rows read, filtered, sorted, added or removed
    // Before a row is saved or left: bound boxes write their pending texts into the fields (may throw).
    virtual void writePendingChanges(DataSet&) {}
    // The data set is going away; the observer must forget it.
    virtual void dataSetDestroyed(DataSet&) {}
};

// A fixed query: its SQL and its result columns with their types.
struct QueryDef {
    QString sql;
    std::vector<FieldDef> columns;
    // The query over the journal rows of a period (?1 first day, ?2 the day after the last, ISO
    // text); empty for a query that takes no period.
    QString periodSql = {};
    // The query over the rows of one document (?1 its key); empty for a query that takes no key.
    QString keySql = {};
};

// Nothing stored: another workplace changed or deleted the row since this one read it. The text asks
// whether to read the row again (DataSet::reloadCurrentRow) or keep what was typed, unsaved.
class RowChangedElsewhere : public UserError {
public:
    RowChangedElsewhere(DataSet& set, const QString& text) : UserError(text), set_(&set) {}
    DataSet& dataSet() const { return *set_; }

private:
    DataSet* set_;
};

class DataSet : public RowSource {
public:
    enum class State { Inactive, Browse, Edit, Insert };

    DataSet(Database& db, QString name, const TableDef& table);
    DataSet(Database& db, QString name, QueryDef query);
    ~DataSet() override;
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

    QString name() const override { return name_; }
    Database& database() const { return db_; }
    const std::vector<FieldDef>& fields() const { return fields_; }
    int fieldIndex(QStringView field) const override; // -1 when unknown
    int requireField(QStringView field) const;        // throws for an unknown field
    bool isReadOnly() const { return table_ == nullptr; }
    // False for a kept field (data/Schema.h) whose column the open file lacks: it reads as empty.
    bool fieldInFile(int field) const { return size_t(field) >= absent_.size() || !absent_[size_t(field)]; }
    const TableDef* table() const { return table_; }

    // ---- life and navigation ----
    bool isOpen() const override { return state_ != State::Inactive; }
    void open() override;
    void close() override;
    void refresh();                                   // close and open again
    // Reads the rows again as other connections left them, keeping the current row (the same position
    // when it is gone); nothing while a row is being written.
    void reread();
    State state() const { return state_; }
    bool isEditing() const { return state_ == State::Edit || state_ == State::Insert; }

    void first() override;
    void next() override;
    void prior();
    void last();
    bool eof() const override { return eof_; }
    bool bof() const { return bof_; }
    int recordCount() const;
    int position() const override { return current_; }
    void moveToPosition(int position) override;       // leaving the current row first

    // ---- changes ----
    void insert();
    void append();
    void edit();
    void post();
    void cancel();
    void remove();
    // The rules for leaving a row: pending texts written, then saved if changed, else abandoned.
    void checkBrowseMode();
    bool isModified() const { return modified_; }
    // The values given to a new row so far are its defaults, not the user's writing: a new row left
    // with nothing else written is dropped, never stored.
    void keepAsDefaults();
    // A new row nothing was written into: leaving it drops it.
    bool isUntouchedNewRow() const { return state_ == State::Insert && !modified_; }
    // Drops a new row nothing was written into; false when there is none.
    bool dropUntouchedNewRow();
    // The field no stored row may lack (a list's name) and its caption for the refusal; empty for none.
    void setKeyField(const QString& field, const QString& caption);
    // Whether the field of the row being written differs from what was stored: always for a new row.
    bool isChanged(QStringView field) const;

    // ---- fields of the current row ----
    Value value(int field) const;
    Value fieldValue(QStringView field) const override;
    Value fieldValueAt(int field) const override;
    bool hasField(QStringView field) const override { return fieldIndex(field) >= 0; }
    QString text(QStringView field) const;             // the field as a box shows it
    QString text(int field) const;
    // A value of the field as a box or a grid shows it (a VAT rate field's exempt mark as "Без НДС").
    QString displayText(int field, const Value& value) const;
    double real(QStringView field) const;
    long long integer(QStringView field) const;
    Money money(QStringView field) const;
    QDate date(QStringView field) const;
    bool isNull(QStringView field) const;

    void setValue(int field, const Value& value);
    void setValue(QStringView field, const Value& value);
    // A value the program proposes for a new row (a document's number): set as setValue does, and
    // known as proposed while the field holds it.
    void propose(QStringView field, const Value& value);
    bool isProposed(QStringView field) const;
    // Converts by the field's type; an empty text stores Null.
    void setText(int field, const QString& text);
    void setText(QStringView field, const QString& text);
    // Checks a value against a field without storing it; throws the message a store would give.
    Value convert(int field, const Value& value) const;

    // ---- rows for grids ----
    Value valueAt(int position, int field) const;

    // ---- the period of a book query ----
    // The next opening reads only the journal rows from `from` to `to`, both days included; an open
    // data set is closed so that it cannot show another period. Throws for a query without a period.
    void setPeriod(QDate from, QDate to);
    bool takesPeriod() const { return !periodSql_.isEmpty(); }
    const std::optional<std::pair<QDate, QDate>>& period() const { return period_; }

    // ---- the counterparty of a query over one ----
    // The next opening binds the name as the query's parameter ?3; an open data set is closed.
    void setCounterparty(const QString& name);

    // ---- the document of a print query ----
    // The next opening reads only the rows of the document with this key, bound as a parameter; an
    // open data set is closed. Throws for a query without a key.
    void setKey(long long key);

    // The rows the next opening reads, one at a time in the order read: the SQL with its period
    // bound, equal texts sharing one string. With `onlyShown`, rows the filter hides are skipped.
    class RowReader {
    public:
        // Through `connection` when given (another connection to the same file), else the data set's.
        explicit RowReader(const DataSet& set, bool onlyShown = false, Database* connection = nullptr);
        // False after the last row; `rowid` is the table's row id, or the count for a query, and
        // `version` the row's version (0 where the table keeps none).
        bool next(std::vector<Value>& values, long long* rowid = nullptr, long long* version = nullptr);

    private:
        const DataSet& set_;
        Statement statement_;
        bool onlyShown_;
        int offset_;
        bool versioned_;
        std::vector<QSet<QString>> shared_;
        long long read_ = 0;
        bool done_ = false;
    };

    // ---- filter, order, search ----
    void setFilter(const QString& text);
    const QString& filter() const { return filterText_; }
    void setFiltered(bool on);
    bool isFiltered() const { return filtered_; }
    void setSort(const QString& order);               // "naz", "k DESC", "" for the read order
    const QString& sort() const { return sortText_; }
    // Makes current the first row whose field begins with the text, letter case ignored.
    bool locate(QStringView field, QStringView prefix);

    void addObserver(DataSetObserver* observer);
    void removeObserver(DataSetObserver* observer);

    std::function<void(DataSet&)> afterInsert;
    // Checks the row about to be stored, after the pending texts are written; throws to refuse it.
    std::function<void(DataSet&)> beforePost;
    // Runs for a new row inside the unit of work that stores it, the store locked for writing: what
    // must be decided against the rows other workplaces stored meanwhile (a proposed number).
    std::function<void(DataSet&)> whileStoringNew;
    // Runs once the row is stored, whoever stored it (a Save button, a move off the row in a grid).
    std::function<void(DataSet&)> afterPost;

    // The current row's values, as kept for putting a deleted row back.
    std::vector<Value> rowValues() const;
    // Stores a row deleted earlier again, with its counter, and makes it current.
    void restore(const std::vector<Value>& values);
    // Puts the current row as the store holds it now in place of what was typed into it (a row
    // deleted elsewhere leaves the list); a new row is dropped.
    void reloadCurrentRow();

private:
    struct Row {
        long long rowid = 0;       // 0 for a row not yet stored
        long long version = 0;     // as read or last stored (kRowVersionColumn)
        std::vector<Value> values;
    };

    void requireOpen() const;
    void requireWritable() const;
    void requireEditing() const;
    void readRows();
    void rebuildVisible();
    // Applies the filter and order again; the current row stays current wherever it lands.
    void reorderKeepingCurrent();
    // Leaves the current row, applies a new filter setting and shows the first row that passes.
    void changeVisibleRows(const std::function<void()>& change);
    void setCurrent(int position);
    void setState(State state);
    void startInsert(bool atEnd);
    Row& currentRow();
    const Row* currentRowOrNull() const;
    void storeNew(Row& row);
    void storeInsert(Row& row, bool withCounter = false);
    void storeUpdate(Row& row);
    // Whether a field's value can be written: a kept column the file lacks takes only an empty value.
    bool writesField(const Row& row, int field) const;
    void findAbsentKeptFields();
    void removeRowAt(int position);
    // Throws RowChangedElsewhere for a row the store no longer holds as read; returns when a deletion
    // finds the row deleted already.
    void refuseChangedElsewhere(const Row& row, bool deleting);

    template <typename F>
    void notify(F&& f);

    Database& db_;
    QString name_;
    const TableDef* table_ = nullptr;
    QString querySql_;
    QString periodSql_;
    std::optional<std::pair<QDate, QDate>> period_;
    QString keySql_;
    std::optional<long long> key_;
    std::optional<QString> counterparty_;
    std::vector<FieldDef> fields_;
    std::vector<bool> absent_;       // per field: a kept column the file lacks, found on open
    bool versioned_ = false;         // the table keeps row versions (found on open)
    int counterField_ = -1;

    std::vector<Row> rows_;        // in the order read, plus rows added since
    std::vector<int> visible_;     // indexes into rows_, filtered and sorted
    int current_ = -1;
    bool eof_ = true;
    bool bof_ = true;
    State state_ = State::Inactive;
    std::vector<Value> original_;  // the row's values when editing started
    std::vector<std::pair<int, Value>> proposed_;   // of a new row: field, the value proposed
    bool modified_ = false;

    QString filterText_;
    FilterExpression filterExpression_;
    bool filtered_ = true;
    QString sortText_;
    int sortField_ = -1;
    bool sortDescending_ = false;

    std::vector<DataSetObserver*> observers_;
    QString keyField_;
    QString keyCaption_;
};

} // namespace vi23
