#pragma once
// A new store for each test: kn.mdb in a temporary folder, or a database of its own on the test
// server (VI23_TEST_PG: the libpq "host=… port=… user=…" of the throwaway cluster CTest starts).
#include "data/DataStore.h"
#include "data/Database.h"

#include "data/Error.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace vi23::test {

enum class Store { File, Server };

inline const char* storeName(Store store) { return store == Store::File ? "File" : "Server"; }

// The test server's connection string without a database; empty when the tests run outside CTest.
inline QString testServer() { return qEnvironmentVariable("VI23_TEST_PG"); }

// In a test body: a server case without its server says why it does not run.
#define VI23_REQUIRE_STORE(store)                                                                                       \
    if ((store) == ::vi23::test::Store::Server && ::vi23::test::testServer().isEmpty())                                 \
    GTEST_SKIP() << "VI23_TEST_PG is not set: the server cases run under ctest, which starts the test server"

// Whether a new store gets the program's tables or stays empty (a server database for vi23-import).
enum class Tables { Made, None };

// Runs the parameterised suite's cases once on the file and once on the server, named so.
#define VI23_INSTANTIATE_ON_BOTH_STORES(suite)                                                                                    \
    INSTANTIATE_TEST_SUITE_P(Stores, suite, ::testing::Values(::vi23::test::Store::File, ::vi23::test::Store::Server),  \
                             [](const ::testing::TestParamInfo<::vi23::test::Store>& info) {                         \
                                 return ::vi23::test::storeName(info.param);                                         \
                             })

class TempDatabase {
public:
    explicit TempDatabase(Store store = Store::File, Tables tables = Tables::Made) : store_(store)
    {
        if (store_ == Store::Server) {
            static int made = 0;
            name_ = QStringLiteral("vi23_t%1_%2").arg(QCoreApplication::applicationPid()).arg(++made);
            server_ = Database::openForReading(testServer() + QStringLiteral(" dbname=postgres"));
            server_->exec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(name_));
            server_->exec(QStringLiteral("CREATE DATABASE %1").arg(name_));
        }
        if (tables == Tables::Made)
            Database::create(path());
    }
    ~TempDatabase()
    {
        if (server_)
            server_->exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name_));
    }
    TempDatabase(const TempDatabase&) = delete;
    TempDatabase& operator=(const TempDatabase&) = delete;

    Store store() const { return store_; }
    QString path() const
    {
        return store_ == Store::File ? dir_.filePath(QStringLiteral("kn.mdb")) : testServer() + QStringLiteral(" dbname=") + name_;
    }
    std::unique_ptr<DataStore> openStore() const { return std::make_unique<DataStore>(path()); }
    // Runs SQL on a second connection of its own, as another program would.
    void sql(const QString& text) const { Database::open(path())->exec(text); }

private:
    Store store_;
    QTemporaryDir dir_;
    QString name_;
    std::unique_ptr<Database> server_;
};

// Two workplaces on one store, each with a connection of its own; a parameterised suite run on both
// kinds of store with VI23_INSTANTIATE_ON_BOTH_STORES.
class TwoWorkplaces : public ::testing::TestWithParam<Store> {
protected:
    void SetUp() override
    {
        VI23_REQUIRE_STORE(GetParam());
        db_.emplace(GetParam());
        here = db_->openStore();
        there = db_->openStore();
    }

    std::optional<TempDatabase> db_;
    std::unique_ptr<DataStore> here, there;
};

// The message of the UserError the action throws, or "(no error)".
inline QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const UserError& e) {
        return e.text();
    }
    return QStringLiteral("(no error)");
}

// Every row the query returns, its cells joined by "|".
inline QStringList rowsOf(Database& db, const QString& sql)
{
    QStringList rows;
    Statement query = db.prepare(sql);
    while (query.step()) {
        QStringList cells;
        for (int i = 0; i < query.columnCount(); ++i)
            cells << query.text(i);
        rows << cells.join(u'|');
    }
    return rows;
}

} // namespace vi23::test
