#pragma once
// What each store does for Database and Statement (data/Database.h); only data/ sees it.
#include "SqlDialect.h"
#include "Value.h"

#include <QString>
#include <QStringList>
#include <memory>

struct sqlite3;

namespace vi23 {

class StatementBackend {
public:
    virtual ~StatementBackend() = default;
    virtual void bind(int index, const Value& value) = 0;
    virtual bool step() = 0;
    virtual void reset() = 0;
    virtual int columnCount() const = 0;
    virtual bool isNull(int column) const = 0;
    virtual bool isFloat(int column) const = 0;
    virtual long long integer(int column) const = 0;
    virtual double real(int column) const = 0;
    virtual QString text(int column) const = 0;
    // Runs an INSERT prepared with its key (Database::prepareInsert) and returns the key given.
    virtual long long runInsert() = 0;
};

class ConnectionBackend {
public:
    virtual ~ConnectionBackend() = default;
    virtual Backend backend() const = 0;
    virtual void exec(const QString& sql) = 0;
    virtual std::unique_ptr<StatementBackend> prepare(const QString& sql) = 0;
    virtual int changes() const = 0;
    virtual bool inTransaction() const = 0;
    // Starts a unit of work that may write; with `mayDefer`, false instead of an error when the store
    // cannot be written now (read-only, locked).
    virtual bool begin(bool mayDefer) = 0;
    virtual void rollback() noexcept = 0;
    virtual void setBusyTimeout(int milliseconds) = 0;
    // The columns of a table in their order, with their declared types; empty for no such table.
    virtual QList<QPair<QString, QString>> columns(const QString& table) = 0;
    virtual bool hasTable(const QString& table) = 0;
    virtual bool hasIndex(const QString& index) = 0;
    virtual sqlite3* fileHandle() const { return nullptr; }
};

std::unique_ptr<ConnectionBackend> openFileConnection(const QString& path, int flags);
std::unique_ptr<ConnectionBackend> openServerConnection(const QString& location);

} // namespace vi23

namespace vi23 {

// Set while a store is being opened: a lock met then has not cost the user a change.
class OpeningStore {
public:
    OpeningStore();
    ~OpeningStore();
    OpeningStore(const OpeningStore&) = delete;
    OpeningStore& operator=(const OpeningStore&) = delete;
    static bool now();
};

} // namespace vi23
