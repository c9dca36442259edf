#pragma once
// Moving an office onto the server: every row of a kn.mdb into an empty PostgreSQL database.
#include "JetImport.h"

#include <QString>

namespace vi23 {

// Copies every table of the file into a new set of tables in the server database, which must not
// have the program's tables yet: each value exactly, the counters' numbers kept and their next numbers
// continued. Refuses a file whose dates are no calendar dates; the rows of each table and the year
// sums of both stores must agree. On any failure the server database is left without the tables.
jet::ImportResult copyFileToServer(const QString& file, const QString& server);

// After rows were copied with their numbers, a server table's counter goes on after the largest
// number, or after `last` when the source had given a larger one; a file's counter does so by itself.
void continueCounter(Database& to, const TableDef& table, long long last = 0);
// Removes the program's tables from a server database whose filling failed.
void dropProgramTables(Database& db);

} // namespace vi23
