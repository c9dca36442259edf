#pragma once
// What the program keeps in a file beyond the described tables (settings, import rules, wider
// fields, indexes), added when missing: by vi23-init to a new file and on open to an older one.
#include <QString>
#include <functional>
#include <vector>

namespace vi23 {

class Database;

struct UpgradeStep {
    QString what;                                  // for the message when the step fails
    std::function<bool(Database&)> needed;         // reads only
    std::function<void(Database&)> apply;          // runs inside the caller's transaction
};

// Every step in the order it runs; a new addition is one more entry at the end of the table.
const std::vector<UpgradeStep>& upgradeSteps();

// Runs the needed steps inside the caller's transaction; returns how many ran.
int applyUpgradeSteps(Database& db);

enum class UpgradeResult { UpToDate, Upgraded, LeftAsIs };

// On open: the needed steps in one transaction. A file that cannot be written now (read-only,
// or locked by another program past the wait) is left as it is and still opens.
UpgradeResult upgradeOnOpen(Database& db);

// Helpers for steps.
bool tableExists(Database& db, const QString& table);
bool indexExists(Database& db, const QString& index);
// The width declared for a text column ("TEXT(5)" -> 5); 0 when the column has no width or is missing.
int declaredTextWidth(Database& db, const QString& table, const QString& field);
// Rebuilds a described table with its current definition, keeping every row, its counter values,
// the counter's next number, columns added by others and the table's indexes.
void rebuildTable(Database& db, const QString& table);

} // namespace vi23
