#pragma once
// The program's settings kept in the file: the small table `settings`, one text value per key.
#include <QString>

namespace vi23 {

class Database;

// The value under `key`; `fallback` where the key or the table (an older file opened read-only) is missing.
QString readSetting(Database& db, const QString& key, const QString& fallback = {});
void writeSetting(Database& db, const QString& key, const QString& value);

} // namespace vi23
