#include "InPlaceConversion.h"

#include "data/Backup.h"
#include "data/Database.h"
#include "data/Error.h"
#include "data/SafeOutput.h"
#include "data/Today.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace vi23::jet {

namespace {

QByteArray native(const QString& path) { return QFile::encodeName(path); }

QString freshPath(const QString& path) { return path + QStringLiteral(".new"); }

bool sameFile(const QString& a, const QString& b)
{
    struct stat first {}, second {};
    return ::stat(native(a).constData(), &first) == 0 && ::stat(native(b).constData(), &second) == 0
        && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// The old file under its second name: a hard link, or a whole copy where the disk has no links.
void keepOld(const QString& path, const QString& kept)
{
    if (::link(native(path).constData(), native(kept).constData()) != 0)
        copyFileWhole(path, kept);
}

void renameOver(const QString& from, const QString& to)
{
    if (::rename(native(from).constData(), native(to).constData()) != 0)
        throw UserError(fileErrorText(errno, to));
    syncFolder(QFileInfo(to).absolutePath());
}

// A new file that opens as the program's and passes SQLite's check.
bool isWholeNewFile(const QString& path)
{
    try {
        auto db = Database::open(path);
        Statement check = db->prepare(QStringLiteral("PRAGMA quick_check"));
        return check.step() && check.text(0) == u"ok";
    } catch (const UserError&) {
        return false;
    }
}

// The files an import killed before its end left: PATH.new.part-PID of processes that are gone.
void removeAbandonedParts(const QString& path)
{
    const QFileInfo fresh(freshPath(path));
    const QRegularExpression part(QStringLiteral("^%1\\.part-(\\d+)$").arg(QRegularExpression::escape(fresh.fileName())));
    const QDir folder = fresh.absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files)) {
        const QRegularExpressionMatch match = part.match(name);
        if (match.hasMatch() && ::kill(pid_t(match.captured(1).toLongLong()), 0) != 0 && errno == ESRCH)
            removeDatabaseFiles(folder.filePath(name));
    }
}

} // namespace

QString keptOldPath(const QString& path)
{
    return path + QStringLiteral(".jet");
}

ImportResult convertInPlace(const QString& path)
{
    const QString kept = keptOldPath(path);
    const QString fresh = freshPath(path);
    if (QFileInfo::exists(kept) && !sameFile(kept, path))
        throw UserError(QStringLiteral("Файл %1 уже существует; прежний файл некуда отложить. Перенос не выполнен.")
                            .arg(QFileInfo(kept).absoluteFilePath()));
    backupOldFile(path, today());
    ImportResult result = importJet(path, fresh);
    bool keptNow = false;
    try {
        if (!QFileInfo::exists(kept)) {
            keepOld(path, kept);
            keptNow = true;
        }
        renameOver(fresh, path);
    } catch (const UserError& e) {
        removeDatabaseFiles(fresh);
        if (keptNow)
            QFile::remove(kept);
        throw UserError(QStringLiteral("Перенос не выполнен, прежний файл %1 на месте: %2").arg(path, e.text()));
    }
    return result;
}

QString recoverInterruptedConversion(const QString& path)
{
    removeAbandonedParts(path);
    removeInterruptedBackups(path);
    const QString kept = keptOldPath(path);
    const QString fresh = freshPath(path);
    const QString name = QFileInfo(path).fileName();
    const QString undone = QStringLiteral("Прерванный перенос данных из файла прежней версии отменён: %1 — снова прежний файл.")
                               .arg(name);
    const bool hasMain = QFileInfo::exists(path);
    const bool hasKept = QFileInfo::exists(kept);
    if (!QFileInfo::exists(fresh)) {
        if (hasMain || !hasKept)
            return {};
        renameOver(kept, path);
        return undone;
    }
    // Beside a file of the program PATH.new is no conversion's: it is left alone.
    if (hasMain && !JetFile::hasJetSignature(path))
        return {};
    if (!isWholeNewFile(fresh)) {
        removeDatabaseFiles(fresh);
        if (!hasMain && hasKept)
            renameOver(kept, path);
        return hasMain || hasKept ? undone : QString();
    }
    if (hasMain && hasKept && !sameFile(path, kept))
        throw UserError(QStringLiteral("Найден прерванный перенос данных: %1 и %2 — разные файлы прежней версии. "
                                       "Оставьте тот, что нужен, и запустите программу снова")
                            .arg(path, kept));
    if (hasMain && !hasKept)
        keepOld(path, kept);
    renameOver(fresh, path);
    return QStringLiteral("Прерванный перенос данных из файла прежней версии завершён: %1 — новый файл, прежний сохранён как %2.")
        .arg(name, QFileInfo(kept).fileName());
}

} // namespace vi23::jet
