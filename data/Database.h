#pragma once
// The connection to kn.mdb: a thin RAII wrapper over SQLite with the program's case-insensitive collation.
#include "Value.h"

#include <QDate>
#include <QString>
#include <functional>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace vi23 {

// Name of the collation that folds letter case of every alphabet, Cyrillic included.
inline constexpr const char* kNoCaseCollation = "RUNOCASE";

class Statement {
public:
    Statement(sqlite3* db, const QString& sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&&) = delete;
    Statement(const Statement&) = delete;

    void bind(int index, const Value& value);   // 1-based; money as ten-thousandths, dates as ISO text
    // Steps once; true while a row is available. Busy and other failures throw UserError.
    bool step();
    void reset();
    void run();                                  // steps to the end

    int columnCount() const;
    bool isNull(int column) const;
    long long integer(int column) const;
    double real(int column) const;
    QString text(int column) const;
    sqlite3_stmt* handle() const { return stmt_; }

private:
    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
};

class Database {
public:
    // Opens an existing file for reading and writing, checks that every table and field is there and
    // adds what the program keeps beyond them when missing (data/Upgrade.h).
    static std::unique_ptr<Database> open(const QString& path);
    // Creates a new file with the full schema and the program's additions; refuses to touch an existing file. Used by vi23-init only.
    static std::unique_ptr<Database> create(const QString& path);
    // A second, read-only connection to an open file, for reading on another thread: the same text
    // order, no checks or upgrades (the program's own connection did those).
    static std::unique_ptr<Database> openForReading(const QString& path);
    ~Database();

    const QString& path() const { return path_; }
    sqlite3* handle() const { return db_; }
    void exec(const QString& sql);
    Statement prepare(const QString& sql) { return Statement(db_, sql); }
    long long lastInsertRowId() const;
    int changes() const;
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
    Database(sqlite3* db, QString path);
    void configure();
    void verifySchema();

    sqlite3* db_ = nullptr;
    QString path_;
    bool protected_ = false;   // registered as a file no output may replace
    std::function<void()> firstChangeOfDay_;
    QDate lastChangeDay_;
};

// Raises the store's error for a failed SQLite call, with clear texts for a locked or damaged file
// and a read-only folder; `path` names the file when the connection could not open it.
[[noreturn]] void throwSqliteError(sqlite3* db, int code, const QString& context = {}, const QString& path = {});

// Removes a database file with the journal files SQLite may have left beside it.
void removeDatabaseFiles(const QString& path);

// Compares two texts as the store does: letter case ignored for every alphabet.
int compareNoCase(QStringView a, QStringView b);

} // namespace vi23
