#pragma once
// Where the SQL of the two stores differs: the program writes its statements once, in the file's
// dialect, and what a server needs instead is made here and nowhere else.
#include <QString>
#include <QStringList>
#include <QStringView>

namespace vi23 {

struct FieldDef;
struct TableDef;

enum class Backend { SQLite, PostgreSQL };

// Whether a --db text names a server database (a libpq URI "postgresql://…" or a "key=value" string)
// rather than a file.
bool isServerLocation(QStringView location);

// The case-insensitive collation of equality tests and the collation of sorting on the server.
inline constexpr const char* kServerNoCaseCollation = "vi23_nocase";
inline constexpr const char* kServerSortCollation = "vi23_sort";

// A statement written for the file, as the server takes it: "?1" and "?" become "$1", the
// case-insensitive collation the server's, runocase_key(x) the server's sort expression.
QString toServerSql(QStringView sql);

// The statements that create the server's collations (the first open of a new server database).
QStringList serverCollationSql();

class SqlDialect {
public:
    explicit SqlDialect(Backend backend) : backend_(backend) {}
    Backend backend() const { return backend_; }
    bool isServer() const { return backend_ == Backend::PostgreSQL; }

    // The column a row of the table is found by: the counter, else the file's rowid or the server's
    // identity column of that name.
    QString rowKey(const TableDef& table) const;
    // "a IS b" of the file for values that may be null.
    QString sameAs(const QString& left, const QString& right) const;
    // The table's SQL with its checks: counters as auto-numbers, dates as dates, money as integer
    // ten-thousandths, text limited to its size, short limited to 16 bits. `ofConnection`: a temporary
    // table only this connection sees, in place of the kept one of the same name.
    QString createTable(const TableDef& table, bool ofConnection = false) const;
    QString column(const FieldDef& field) const;
    // A text that is a whole number of digits.
    QString digitsOnly(const QString& text) const;
    // Inserts the row or replaces the one with the same `key`.
    QString insertOrReplace(const QString& table, const QString& columns, const QString& values, const QString& key) const;

    // Holds off other workplaces' numbering of new rows of the table until this unit of work ends:
    // the server's transaction lock; empty for the file, whose unit of work excludes every other writer.
    QString numberingLock(const QString& table) const;

    // Parts of a date: year "2026", month "03" as text, the quarter 1..4 as an integer.
    QString yearOf(const QString& date) const;
    QString monthOf(const QString& date) const;
    QString quarterOf(const QString& date) const;
    // The first day of the month, of the quarter and of the year of a date; the first day of the next month.
    QString monthStart(const QString& date) const;
    QString quarterStart(const QString& date) const;
    QString yearStart(const QString& date) const;
    QString nextMonth(const QString& date) const;
    // Ends a subquery in FROM whose computed columns must be computed once a row: the server would
    // else put their expressions in place of each use.
    QString evaluatedOnce() const { return isServer() ? QStringLiteral(" OFFSET 0") : QString(); }

private:
    Backend backend_;
};

} // namespace vi23
