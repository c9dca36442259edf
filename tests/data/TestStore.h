#pragma once
// A new kn.mdb in a temporary folder for each test.
#include "data/DataStore.h"
#include "data/Database.h"

#include "data/Error.h"

#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace vi23::test {

class TempDatabase {
public:
    TempDatabase() { Database::create(path()); }
    QString path() const { return dir_.filePath(QStringLiteral("kn.mdb")); }
    std::unique_ptr<DataStore> openStore() const { return std::make_unique<DataStore>(path()); }
    // Runs SQL on a second connection of its own, as another program would.
    void sql(const QString& text) const { Database::open(path())->exec(text); }

private:
    QTemporaryDir dir_;
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
