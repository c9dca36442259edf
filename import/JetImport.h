#pragma once
// Carrying a database file of the old Jet 4 format over into a new file of the program.
#include "JetFile.h"

#include "data/Schema.h"
#include "data/Value.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace vi23 {
class Database;
}

namespace vi23::jet {

struct TableCount {
    QString table;
    long long oldRows = 0;
    long long newRows = 0;
};

// The sums of one year in both files, so a user can hold them against the old program's books.
struct YearSums {
    int year = 0;               // 0: rows without a date
    QString oldJournal;         // the journal's amounts (jur.s)
    QString newJournal;
    QString oldDocuments;       // the documents' totals (jur1.sss)
    QString newDocuments;
};

struct ImportResult {
    std::vector<TableCount> counts;     // the eleven tables in the store's order
    QStringList skipped;                // tables and fields of the old file that the program has no place for
    std::vector<YearSums> years;        // in order, the rows without a date last
    int recomputedTotals = 0;           // documents whose total was made whole kopecks by their lines
};

// The row counts and the year sums of both files side by side, as the tool prints them and the
// window shows them.
QStringList comparisonLines(const ImportResult& result);

// The year sums of two stores side by side, as the tool prints them; throws when a year differs.
std::vector<YearSums> compareStoredSums(Database& from, Database& to);

// After an office's rows are moved onto a server: its planner learns the tables' sizes at once, not
// whenever the server's own upkeep gets to them, so the first books read by index where they should.
void gatherPlannerStatistics(Database& server);

// Writes a new file with every row of the eleven tables of the old one. Refuses an existing target
// and values the old program could not have written (a date outside 1900–2099, a control character
// in a text); the sums of both files must agree. On any failure nothing is left at the target or
// beside it. The old file is only read.
ImportResult importJet(const QString& oldPath, const QString& newPath);
// The name the import writes under before the file is complete: NEW.part-PID.
QString partialPath(const QString& newPath, qint64 pid);

// Whether a field of the program can take the values of a column of this kind.
bool canHold(const FieldDef& field, const Column& column);

// One old value as the field stores it; throws UserError with the reason when it does not fit.
Value convertCell(const FieldDef& field, const Column& column, const Cell& cell);

} // namespace vi23::jet
