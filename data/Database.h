#pragma once
// The connection to the store: the file kn.mdb (SQLite, with the program's case-insensitive collation)
// or a database on a PostgreSQL server, named by a libpq connection string (data/SqlDialect.h).
#include "SqlDialect.h"
#include "Value.h"

#include <QDate>
#include <QString>
#include <functional>
#include <memory>

struct sqlite3;

namespace vi23 {

// Name of the collation that folds letter case of every alphabet, Cyrillic included.
inline constexpr const char* kNoCaseCollation = "RUNOCASE";

class StatementBackend;
class ConnectionBackend;

class Statement {
public:
    explicit Statement(std::unique_ptr<StatementBackend> backend);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&&) = delete;
    Statement(const Statement&) = delete;

    void bind(int index, const Value& value);   // 1-based; money as ten-thousandths, dates as dates
    // Steps once; true while a row is available. Busy and other failures throw UserError.
    bool step();
    void reset();
    void run();                                  // steps to the end
    // Runs an INSERT made by Database::prepareInsert; returns the key the new row was given.
    long long runInsert();

    int columnCount() const;
    bool isNull(int column) const;
    // A number stored with a fraction where the column keeps whole ones (money written by another program).
    bool isFloat(int column) const;
    long long integer(int column) const;
    double real(int column) const;
    QString text(int column) const;

private:
    std::unique_ptr<StatementBackend> backend_;
};

class Database {
public:
    // Opens an existing file or server database for reading and writing, checks that every table and
    // field is there and adds what the program keeps beyond them when missing (data/Upgrade.h).
    static std::unique_ptr<Database> open(const QString& location);
    // Creates a new file, or fills an empty server database, with the full schema and the program's
    // additions; refuses to touch an existing file or a database that has the program's tables.
    static std::unique_ptr<Database> create(const QString& location);
    // A second connection to an open store, for reading on another thread: the same text order, no
    // checks or upgrades (the program's own connection did those).
    static std::unique_ptr<Database> openForReading(const QString& location);
    ~Database();

    // The file's absolute path, or the server's connection string as given.
    const QString& path() const { return path_; }
    // The store for messages and the window's title: the file, or "сервер: база … на …".
    QString displayName() const;
    Backend backend() const;
    bool isServer() const { return backend() == Backend::PostgreSQL; }
    SqlDialect dialect() const { return SqlDialect(backend()); }
    // The file's SQLite connection, for copying files; throws for a server.
    sqlite3* handle() const;
    void exec(const QString& sql);
    Statement prepare(const QString& sql);
    // An INSERT whose runInsert() returns the value the row got in `key` (a counter, or rowid).
    Statement prepareInsert(const QString& sql, const QString& key);
    int changes() const;
    // The columns of a table with their declared types ("TEXT(20)"), empty when there is no such table.
    QList<QPair<QString, QString>> columnsOf(const QString& table);
    bool hasTable(const QString& table);
    bool hasColumn(const QString& table, const QString& column);
    bool hasIndex(const QString& index);
    // The work tables (isWorkTable: the print's lines, the cash book) as this connection's own, empty,
    // under the same names: two workplaces printing at once never read each other's rows.
    void createWorkTables();
    // Starts a unit of work for the additions made on open: false when the store cannot be written now.
    bool beginIfWritable();
    void rollback() noexcept;
    // How long a write waits for another program's lock before it fails.
    void setBusyTimeout(int milliseconds);

    // Runs `hook` before the first change of each day made through this connection (the daily
    // backup); the hook reports its own failures, the change goes on.
    void setBeforeFirstChangeOfDay(std::function<void()> hook) { firstChangeOfDay_ = std::move(hook); }
    // Every change calls this first, outside any open unit of work.
    void beforeChange();

    // A unit of work: committed by commit(), rolled back if destroyed before.
    class Transaction {
    public:
        explicit Transaction(Database& db);
        ~Transaction();
        void commit();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;

    private:
        Database& db_;
        bool open_ = true;
    };

    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

private:
    Database(std::unique_ptr<ConnectionBackend> connection, QString path);
    void verifySchema();
    void createSchema();

    std::unique_ptr<ConnectionBackend> connection_;
    QString path_;
    bool protected_ = false;   // registered as a file no output may replace
    std::function<void()> firstChangeOfDay_;
    QDate lastChangeDay_;
};

// Raises the file's error for a failed SQLite call, with clear texts for a locked or damaged file
// and a read-only folder; `path` names the file when the connection could not open it.
[[noreturn]] void throwSqliteError(sqlite3* db, int code, const QString& context = {}, const QString& path = {});

// Removes a database file with the journal files SQLite may have left beside it.
void removeDatabaseFiles(const QString& path);

// Why the program neither makes nor restores copies of a server database.
inline const QString kServerCopiesText = QStringLiteral(
    "База данных находится на сервере PostgreSQL: её резервные копии делает и восстанавливает администратор сервера "
    "(pg_dump и pg_restore), а не программа");

// Compares two texts as the store does: letter case ignored for every alphabet.
int compareNoCase(QStringView a, QStringView b);

} // namespace vi23
