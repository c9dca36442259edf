#include "Backup.h"
#include "Error.h"
#include "RuFormat.h"
#include "SafeOutput.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cerrno>
#include <map>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vi23 {

namespace {

QByteArray native(const QString& path) { return QFile::encodeName(path); }

// The whole main database of `from` into the open connection `to`, with the online backup, which
// takes the locks it needs and restarts when another program writes meanwhile.
void copyInto(sqlite3* from, sqlite3* to, const QString& what)
{
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup)
        throwSqliteError(to, sqlite3_errcode(to), what);
    int rc = SQLITE_OK;
    for (int attempt = 0; attempt < 50; ++attempt) {
        rc = sqlite3_backup_step(backup, -1);
        if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
            break;
        sqlite3_sleep(100);
    }
    const int finish = sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        throwSqliteError(to, rc, what);
    if (finish != SQLITE_OK)
        throwSqliteError(to, finish, what);
}

// A new file holding a copy of `from`, written under a temporary name beside it and renamed when
// complete, so a failure leaves no partial copy.
void copyToNewFile(sqlite3* from, const QString& path)
{
    const QFileInfo info(path);
    const QString temp = QStringLiteral("%1/.%2.%3.tmp")
                             .arg(info.absolutePath(), info.fileName())
                             .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
    const QString what = QStringLiteral("Не удалось записать копию %1").arg(path);
    sqlite3* to = nullptr;
    const int rc = sqlite3_open_v2(native(temp).constData(), &to,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    auto discard = [&] {
        sqlite3_close_v2(to);
        ::unlink(native(temp).constData());
        ::unlink(native(temp + QStringLiteral("-journal")).constData());
    };
    try {
        if (rc != SQLITE_OK)
            throwSqliteError(to, rc, what, temp);
        copyInto(from, to, what);
        const int closed = sqlite3_close(to);
        to = nullptr;
        if (closed != SQLITE_OK)
            throw UserError(what);
        if (::rename(native(temp).constData(), native(path).constData()) != 0)
            throw UserError(fileErrorText(errno, path));
    } catch (...) {
        discard();
        throw;
    }
}

void makeFolder(const QString& folder)
{
    if (::mkdir(native(folder).constData(), 0777) == 0 || (errno == EEXIST && QFileInfo(folder).isDir()))
        return;
    const int error = errno == EEXIST ? ENOTDIR : errno;
    if (error == ENOTDIR)
        throw UserError(QStringLiteral("%1 — не папка: резервная копия не сохранена").arg(folder));
    throw UserError(fileErrorText(error, folder));
}

QString copyName(const QString& databasePath, const QString& stamp)
{
    return backupFolder(databasePath) + u'/' + QFileInfo(databasePath).completeBaseName() + u'-' + stamp + QStringLiteral(".mdb");
}

} // namespace

QString backupFolder(const QString& databasePath)
{
    return QFileInfo(databasePath).absolutePath() + QStringLiteral("/backup");
}

QString backupDatabase(Database& db, QDate today)
{
    makeFolder(backupFolder(db.path()));
    const QString copy = copyName(db.path(), ru::isoDate(today));
    if (!QFileInfo::exists(copy))
        copyToNewFile(db.handle(), copy);
    pruneBackups(db.path(), today);
    return copy;
}

void pruneBackups(const QString& databasePath, QDate today)
{
    const QDir folder(backupFolder(databasePath));
    const QRegularExpression dated(QStringLiteral("^%1-(\\d{4}-\\d{2}-\\d{2})\\.mdb$")
                                       .arg(QRegularExpression::escape(QFileInfo(databasePath).completeBaseName())));
    std::map<QDate, QString> copies;
    for (const QString& name : folder.entryList(QDir::Files)) {
        const QRegularExpressionMatch match = dated.match(name);
        if (!match.hasMatch())
            continue;
        if (const auto date = ru::tryParseIsoDate(match.captured(1)))
            copies[*date] = name;
    }
    std::map<int, QDate> firstOfMonth;
    for (const auto& [date, name] : copies) {
        const int month = date.year() * 12 + date.month();
        if (!firstOfMonth.count(month))
            firstOfMonth[month] = date;
    }
    for (const auto& [date, name] : copies) {
        const bool recent = date > today.addDays(-30);
        const bool first = firstOfMonth[date.year() * 12 + date.month()] == date;
        if (!recent && !first)
            QFile::remove(folder.filePath(name));
    }
}

void enableDailyBackups(Database& db, std::function<void(const QString& message)> warn)
{
    db.setBeforeFirstChangeOfDay([&db, warn = std::move(warn)] {
        try {
            backupDatabase(db, QDate::currentDate());
        } catch (const UserError& e) {
            if (warn)
                warn(QStringLiteral("Резервная копия базы данных за сегодня не сохранена: %1. Работа продолжается.").arg(e.text()));
        }
    });
}

void restoreBackup(const QString& copy, const QString& target, bool force)
{
    if (!QFileInfo(copy).isFile())
        throw UserError(QStringLiteral("Нет файла копии %1").arg(copy));
    const QFileInfo targetInfo(target);
    if (targetInfo.exists() && targetInfo.canonicalFilePath() == QFileInfo(copy).canonicalFilePath())
        throw UserError(QStringLiteral("Копия и восстанавливаемый файл — один и тот же файл %1").arg(copy));
    const std::unique_ptr<Database> source = Database::open(copy);
    {
        Statement check = source->prepare(QStringLiteral("PRAGMA integrity_check"));
        if (!check.step() || check.text(0) != u"ok")
            throw UserError(QStringLiteral("Копия %1 повреждена (%2); она не восстановлена").arg(copy, check.text(0)));
    }
    if (!targetInfo.exists()) {
        copyToNewFile(source->handle(), target);
        return;
    }
    if (!force)
        throw UserError(QStringLiteral("Файл %1 уже существует. Чтобы заменить его копией %2, добавьте --force")
                            .arg(target, copy));
    // The file being replaced is itself kept first, so a wrong copy can be undone.
    makeFolder(backupFolder(target));
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    std::unique_ptr<Database> current;
    try {
        current = Database::open(target);
    } catch (const UserError&) {
        // A file that no longer opens is moved aside whole and the copy takes its place.
        const QString aside = copyName(target, QStringLiteral("damaged-") + stamp);
        if (::rename(native(target).constData(), native(aside).constData()) != 0)
            throw UserError(fileErrorText(errno, target));
        copyToNewFile(source->handle(), target);
        return;
    }
    copyToNewFile(current->handle(), copyName(target, QStringLiteral("before-restore-") + stamp));
    copyInto(source->handle(), current->handle(), QStringLiteral("Не удалось восстановить %1").arg(target));
}

} // namespace vi23
