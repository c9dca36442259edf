#include "Settings.h"

#include "Database.h"
#include "Upgrade.h"

namespace vi23 {

QString readSetting(Database& db, const QString& key, const QString& fallback)
{
    if (!tableExists(db, QStringLiteral("settings")))
        return fallback;
    Statement query = db.prepare(QStringLiteral("SELECT value FROM settings WHERE key = ?1"));
    query.bind(1, key);
    return query.step() && !query.isNull(0) ? query.text(0) : fallback;
}

void writeSetting(Database& db, const QString& key, const QString& value)
{
    Statement update = db.prepare(QStringLiteral("UPDATE settings SET value = ?2 WHERE key = ?1"));
    update.bind(1, key);
    update.bind(2, value);
    update.run();
    if (db.changes() > 0)
        return;
    Statement insert = db.prepare(QStringLiteral("INSERT INTO settings (key, value) VALUES (?1, ?2)"));
    insert.bind(1, key);
    insert.bind(2, value);
    insert.run();
}

} // namespace vi23
