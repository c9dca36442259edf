#pragma once
// Carrying a database file of the old Jet 4 format over into a new file of the program.
#include "JetFile.h"

#include "data/Schema.h"
#include "data/Value.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace vi23::jet {

struct TableCount {
    QString table;
    long long oldRows = 0;
    long long newRows = 0;
};

struct ImportResult {
    std::vector<TableCount> counts;     // the eleven tables in the store's order
    QStringList skipped;                // tables and fields of the old file that the program has no place for
};

// Writes a new file with every row of the eleven tables of the old one. Refuses an existing target;
// on any failure nothing is left at the target or beside it. The old file is only read.
ImportResult importJet(const QString& oldPath, const QString& newPath);

// The window's conversion of kn.mdb: the old file is kept beside as PATH.jet, the new one takes its name.
ImportResult convertInPlace(const QString& path);
QString keptOldPath(const QString& path);

// Whether a field of the program can take the values of a column of this kind.
bool canHold(const FieldDef& field, const Column& column);

// One old value as the field stores it; throws UserError with the reason when it does not fit.
Value convertCell(const FieldDef& field, const Column& column, const Cell& cell);

} // namespace vi23::jet
