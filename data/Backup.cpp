#include "Backup.h"
#include "Error.h"
#include "RuFormat.h"
#include "SafeOutput.h"
#include "Today.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <cerrno>
#include <algorithm>
#include <map>
#include <sqlite3.h>
#include <fcntl.h>
#include <sys/file.h>
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

// A new temporary file beside `path`, held under a lock for as long as it is written, so that the
// next start tells a file a killed program left from one another program is writing now.
class TemporaryFile {
public:
    explicit TemporaryFile(const QString& path)
    {
        const QFileInfo info(path);
        for (int attempt = 0; fd_ < 0; ++attempt) {
            path_ = QStringLiteral("%1/.%2.%3.tmp")
                        .arg(info.absolutePath(), info.fileName())
                        .arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
            fd_ = ::open(native(path_).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ < 0 && (errno != EEXIST || attempt > 100))
                throw UserError(fileErrorText(errno, path));
        }
        ::flock(fd_, LOCK_EX);
    }
    ~TemporaryFile()
    {
        if (!kept_) {
            ::unlink(native(path_).constData());
            ::unlink(native(path_ + QStringLiteral("-journal")).constData());
        }
        ::close(fd_);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const QString& path() const { return path_; }
    int fd() const { return fd_; }
    // Synced and renamed into place; from then on the file is the target's.
    void renameTo(const QString& target)
    {
        if (::fsync(fd_) != 0 || ::rename(native(path_).constData(), native(target).constData()) != 0)
            throw UserError(fileErrorText(errno, target));
        kept_ = true;
        syncFolder(QFileInfo(target).absolutePath());
    }

private:
    QString path_;
    int fd_ = -1;
    bool kept_ = false;
};

// A new file holding a copy of `from`, written under a temporary name beside it and renamed when
// complete, so a failure leaves no partial copy.
void copyToNewFile(sqlite3* from, const QString& path)
{
    TemporaryFile temp(path);
    const QString what = QStringLiteral("Не удалось записать копию %1").arg(path);
    sqlite3* to = nullptr;
    const int rc = sqlite3_open_v2(native(temp.path()).constData(), &to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    try {
        if (rc != SQLITE_OK)
            throwSqliteError(to, rc, what, temp.path());
        copyInto(from, to, what);
        const int closed = sqlite3_close(to);
        to = nullptr;
        if (closed != SQLITE_OK)
            throw UserError(what);
        temp.renameTo(path);
    } catch (...) {
        sqlite3_close_v2(to);
        throw;
    }
}

// The bytes of a file into an open temporary one.
void writeBytes(const QString& from, const TemporaryFile& temp, const QString& target)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        throw UserError(QStringLiteral("Не удалось прочитать копию: ") + fileReadErrorText(from));
    QFile out;
    if (!out.open(temp.fd(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle))
        throw UserError(fileErrorText(EIO, target));
    while (!source.atEnd()) {
        const QByteArray block = source.read(1 << 20);
        if (source.error() != QFileDevice::NoError)
            throw UserError(QStringLiteral("Не удалось прочитать копию: ") + fileReadErrorText(from));
        errno = 0;
        if (out.write(block) != block.size() || !out.flush())
            throw UserError(fileErrorText(errno ? errno : EIO, target));
    }
}

void makeFolder(const QString& folder)
{
    if (::mkdir(native(folder).constData(), 0777) == 0 || (errno == EEXIST && QFileInfo(folder).isDir()))
        return;
    const int error = errno == EEXIST ? ENOTDIR : errno;
    if (error == ENOTDIR)
        throw UserError(QStringLiteral("%1 — не папка: резервная копия не сохранена").arg(folder));
    if (error == EACCES || error == EPERM || error == EROFS)
        throw UserError(QStringLiteral("папка %1 доступна только для чтения: папка резервных копий %2 не создана")
                            .arg(QFileInfo(folder).absolutePath(), folder));
    throw UserError(fileErrorText(error, folder));
}

// The names of copies of the file: "kn-2026-12-08.mdb", or with a kind and a time around the date;
// the date is the first capture.
QRegularExpression copyPattern(const QString& databasePath, const QString& kind, const QString& time = {})
{
    return QRegularExpression(QStringLiteral("^%1-%2(\\d{4}-\\d{2}-\\d{2})%3\\.mdb$")
                                  .arg(QRegularExpression::escape(QFileInfo(databasePath).completeBaseName()), kind, time));
}

QString copyName(const QString& databasePath, const QString& stamp)
{
    return backupFolder(databasePath) + u'/' + QFileInfo(databasePath).completeBaseName() + u'-' + stamp + QStringLiteral(".mdb");
}

} // namespace

void copyFileWhole(const QString& from, const QString& path)
{
    TemporaryFile temp(path);
    writeBytes(from, temp, path);
    temp.renameTo(path);
}

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
    const QRegularExpression dated = copyPattern(databasePath, QString());
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

void removeInterruptedBackups(const QString& databasePath)
{
    const QDir folder(backupFolder(databasePath));
    for (const QString& name : folder.entryList({QStringLiteral(".*.tmp")}, QDir::Files | QDir::Hidden)) {
        const QString path = folder.filePath(name);
        const int fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
        // A file another program writes now is held under its lock.
        if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (fd >= 0)
                ::close(fd);
            continue;
        }
        ::unlink(native(path + QStringLiteral("-journal")).constData());
        ::unlink(native(path).constData());
        ::close(fd);
    }
    for (const QString& name : folder.entryList({QStringLiteral(".*.tmp-journal")}, QDir::Files | QDir::Hidden)) {
        if (!QFileInfo::exists(folder.filePath(name.chopped(8))))
            QFile::remove(folder.filePath(name));
    }
}

std::vector<BackupCopy> listBackups(const QString& databasePath)
{
    const QDir folder(backupFolder(databasePath));
    const QRegularExpression dated = copyPattern(databasePath, QString());
    const QRegularExpression replaced = copyPattern(databasePath, QStringLiteral("before-restore-"), QStringLiteral("-(\\d{6})"));
    std::vector<BackupCopy> copies;
    for (const QFileInfo& file : folder.entryInfoList(QDir::Files)) {
        const QRegularExpressionMatch day = dated.match(file.fileName());
        const QRegularExpressionMatch before = replaced.match(file.fileName());
        const QRegularExpressionMatch& match = day.hasMatch() ? day : before;
        const std::optional<QDate> date = match.hasMatch() ? ru::tryParseIsoDate(match.captured(1)) : std::nullopt;
        if (!date)
            continue;
        const QTime time = before.hasMatch() ? QTime::fromString(before.captured(2), QStringLiteral("HHmmss")) : QTime();
        copies.push_back({file.absoluteFilePath(), QDateTime(*date, time.isValid() ? time : QTime(0, 0)), file.size(),
                          before.hasMatch()});
    }
    std::sort(copies.begin(), copies.end(), [](const BackupCopy& a, const BackupCopy& b) { return a.taken > b.taken; });
    return copies;
}

QString backupOldFile(const QString& path, QDate today)
{
    makeFolder(backupFolder(path));
    const QString copy = copyName(path, ru::isoDate(today) + QStringLiteral("-old-format"));
    if (!QFileInfo::exists(copy))
        copyFileWhole(path, copy);
    return copy;
}

void enableDailyBackups(Database& db, std::function<void(const QString& message)> warn)
{
    // A server's copies are its administrator's (pg_dump), not files beside a database file.
    if (db.isServer())
        return;
    removeInterruptedBackups(db.path());
    db.setBeforeFirstChangeOfDay([&db, warn = std::move(warn)] {
        try {
            backupDatabase(db, today());
        } catch (const UserError& e) {
            if (warn)
                warn(QStringLiteral("Резервная копия базы данных за сегодня не сохранена: %1. Работа продолжается.").arg(e.text()));
        }
    });
}

namespace {

// The copy, opened as the program opens its file (which may add what a newer program keeps), from a
// temporary file: the copy itself is only ever read. Its integrity is checked.
std::unique_ptr<Database> openCopy(const QString& copy, const TemporaryFile& scratch)
{
    std::unique_ptr<Database> source;
    try {
        writeBytes(copy, scratch, scratch.path());
        source = Database::open(scratch.path());
    } catch (const UserError& e) {
        throw UserError(QStringLiteral("Копия %1 не восстановлена: %2").arg(copy, QString(e.text()).replace(scratch.path(), copy)));
    }
    Statement check = source->prepare(QStringLiteral("PRAGMA integrity_check"));
    if (!check.step() || check.text(0) != u"ok")
        throw UserError(QStringLiteral("Копия %1 повреждена (%2); она не восстановлена").arg(copy, check.text(0)));
    return source;
}

} // namespace

void refuseServerRestore(const QString& location)
{
    if (isServerLocation(location))
        throw UserError(kServerCopiesText);
}

QString restoreBackup(const QString& copy, const QString& target, bool force)
{
    refuseServerRestore(target);
    if (!QFileInfo(copy).isFile())
        throw UserError(QStringLiteral("Нет файла копии %1").arg(copy));
    const QFileInfo targetInfo(target);
    if (targetInfo.exists() && targetInfo.canonicalFilePath() == QFileInfo(copy).canonicalFilePath())
        throw UserError(QStringLiteral("Копия и восстанавливаемый файл — один и тот же файл %1").arg(copy));
    if (targetInfo.exists() && !force)
        throw UserError(QStringLiteral("Файл %1 уже существует. Чтобы заменить его копией %2, добавьте --force")
                            .arg(target, copy));
    makeFolder(backupFolder(target));
    const TemporaryFile scratch(backupFolder(target) + u'/' + QFileInfo(copy).fileName());
    const std::unique_ptr<Database> source = openCopy(copy, scratch);
    if (!targetInfo.exists()) {
        copyToNewFile(source->handle(), target);
        return {};
    }
    // The file being replaced is itself kept first, so a wrong copy can be undone.
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
        return aside;
    }
    const QString kept = copyName(target, QStringLiteral("before-restore-") + stamp);
    copyToNewFile(current->handle(), kept);
    copyInto(source->handle(), current->handle(), QStringLiteral("Не удалось восстановить %1").arg(target));
    return kept;
}

} // namespace vi23
