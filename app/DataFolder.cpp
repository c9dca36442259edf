#include "DataFolder.h"

#include "data/Database.h"
#include "data/Error.h"
#include "help/CommandLine.h"
#include "ui/Messages.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vi23 {

namespace {

const QString kFileName = QStringLiteral("kn.mdb");

} // namespace

QString userDataFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath(QStringLiteral("vi23"));
}

DatabaseLocation locateDatabase(const QStringList& given)
{
    DatabaseLocation location;
    QStringList arguments = given;
    QString mistake;
    const QString store = help::takeDatabaseOption(arguments, {}, &mistake);
    if (!mistake.isEmpty())
        return {{}, false, false, mistake};
    const bool optionGiven = arguments.size() != given.size();
    if (optionGiven && !arguments.isEmpty())
        return {{}, false, false, QStringLiteral("Укажите либо --db, либо папку или файл базы данных")};
    if (!store.isEmpty() && arguments.isEmpty()) {
        if (isServerLocation(store))
            return {store, true, false, {}};
        arguments << store;
    }
    QStringList named;
    bool userFolder = false;
    for (const QString& argument : arguments) {
        if (argument == u"--user-folder")
            userFolder = true;
        else if (argument.startsWith(u'-'))
            return {{}, false, false, QStringLiteral("Неизвестный ключ %1").arg(argument)};
        else
            named << argument;
    }
    if (named.size() + (userFolder ? 1 : 0) > 1)
        return {{}, false, false, QStringLiteral("Укажите одну папку или один файл базы данных")};
    if (userFolder || !named.isEmpty()) {
        const QString given = userFolder ? userDataFolder() : named.first();
        const QFileInfo info(given);
        // A name that is no file is a folder to be, unless it reads as a database file's name.
        location.folderNamed = info.isDir() || (!info.exists() && !given.endsWith(QStringLiteral(".mdb"), Qt::CaseInsensitive));
        location.file = location.folderNamed ? QDir(info.absoluteFilePath()).filePath(kFileName) : info.absoluteFilePath();
    } else {
        location.file = QDir::current().absoluteFilePath(kFileName);
    }
    location.file = QDir::cleanPath(location.file);
    return location;
}

bool ensureDatabase(QWidget* parent, const DatabaseLocation& location)
{
    if (!location.folderNamed || QFileInfo::exists(location.file))
        return true;
    const QString folder = QFileInfo(location.file).absolutePath();
    const QString question = QFileInfo(folder).isDir()
        ? QStringLiteral("В папке %1 нет базы данных kn.mdb.\nСоздать пустую базу данных?").arg(QDir::toNativeSeparators(folder))
        : QStringLiteral("Папки %1 нет.\nСоздать её и в ней пустую базу данных kn.mdb?").arg(QDir::toNativeSeparators(folder));
    if (!ui::askYesNo(parent, question))
        return false;
    return ui::runGuarded(parent, [&] {
        if (!QDir().mkpath(folder))
            throw UserError(QStringLiteral("Не удалось создать папку %1").arg(QDir::toNativeSeparators(folder)));
        Database::create(location.file);
    });
}

} // namespace vi23
