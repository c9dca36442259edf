#pragma once
// A new kn.mdb in a temporary folder for each test.
#include "data/DataStore.h"
#include "data/Database.h"

#include <QTemporaryDir>
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

} // namespace vi23::test
