#pragma once
// Daily copies of the database in the folder backup/ beside it, and putting one back.
#include "Database.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <functional>
#include <vector>

namespace vi23 {

// A new file `path` with the bytes of `from`, written under a temporary name and renamed when
// complete and on the disk. Throws UserError.
void copyFileWhole(const QString& from, const QString& path);

// backup/ beside the database file.
QString backupFolder(const QString& databasePath);

// The day's copy, "backup/kn-2026-12-08.mdb": made with SQLite's online backup, so it is consistent
// while other programs write, into a temporary file renamed when complete. An existing copy of the
// day is kept. Then prunes the folder. Returns the copy's path; throws UserError.
QString backupDatabase(Database& db, QDate today);

// Keeps the copies of the last 30 days up to `today` and the first copy of each month; removes the
// other copies of this database. Files that are not its copies are left alone.
void pruneBackups(const QString& databasePath, QDate today);

// Removes the temporary files of copies that a killed program left in backup/; a copy another
// program is writing now is left alone.
void removeInterruptedBackups(const QString& databasePath);

// The copies of this database that can be put back, newest first: the daily ones and those kept
// before a restore.
struct BackupCopy {
    QString path;
    QDateTime taken;
    qint64 size = 0;
    bool beforeRestore = false;
};
std::vector<BackupCopy> listBackups(const QString& databasePath);

// A file of the old format kept byte for byte before it is converted: "backup/kn-2026-12-08-old-format.mdb"
// (no daily copy of the new format has that name, and it is never pruned). Returns its path.
QString backupOldFile(const QString& path, QDate today);

// Before the first change of each day the connection keeps the day's copy; a failed copy is
// passed to `warn` and the change goes on. Interrupted copies of earlier runs are removed first.
void enableDailyBackups(Database& db, std::function<void(const QString& message)> warn);

// Puts a copy back as `target` after checking that it is a whole database of the program; the copy
// itself is only read. An existing target is replaced only with `force`, inside SQLite's locking, so
// a program that has it open sees the restored data; its previous contents are kept in backup/
// first, and that file's path is returned (empty for a new target). Throws UserError.
QString restoreBackup(const QString& copy, const QString& target, bool force);
// Refuses a server store, whose copies its administrator makes and puts back, before a restore
// looks for copy files.
void refuseServerRestore(const QString& location);

} // namespace vi23
