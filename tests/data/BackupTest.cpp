// Daily copies of the database, their pruning and putting one back; the disk's own messages.
#include "tests/TestStore.h"

#include "data/Backup.h"
#include "data/Error.h"
#include "data/RuFormat.h"
#include "data/Today.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace vi23;

using vi23::test::errorOf;
using vi23::test::rowsOf;

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

int rowsOf(const QString& path, const char* table)
{
    auto db = Database::open(path);
    Statement count = db->prepare(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table)));
    count.step();
    return int(count.integer(0));
}

void addOperation(DataStore& store, const QString& text)
{
    DataSet& sr = store.dataSet(u"ADOTable_sr");
    sr.append();
    sr.setText(u"sr", text);
    sr.post();
}

} // namespace

TEST(Backups, TheFirstChangeOfTheDayKeepsACopyOfTheFileAsItWas)
{
    test::TempDatabase db;
    auto store = db.openStore();
    QStringList warnings;
    enableDailyBackups(store->database(), [&](const QString& m) { warnings << m; });
    addOperation(*store, QStringLiteral("Выручка"));
    const QString copy = backupFolder(db.path()) + QStringLiteral("/kn-%1.mdb").arg(ru::isoDate(vi23::today()));
    ASSERT_TRUE(QFileInfo::exists(copy));
    EXPECT_EQ(rowsOf(copy, "sr"), 0);      // taken before the change
    addOperation(*store, QStringLiteral("Аренда"));
    EXPECT_EQ(rowsOf(copy, "sr"), 0);      // one copy a day
    EXPECT_EQ(rowsOf(db.path(), "sr"), 2);
    EXPECT_EQ(warnings, QStringList());
    EXPECT_EQ(QDir(backupFolder(db.path())).entryList(QDir::Files | QDir::Hidden), QStringList{QFileInfo(copy).fileName()});
}

TEST(Backups, AFailedCopyWarnsAndTheChangeGoesOn)
{
    test::TempDatabase db;
    QFile blocker(backupFolder(db.path()));   // a file where the folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto store = db.openStore();
    QStringList warnings;
    enableDailyBackups(store->database(), [&](const QString& m) { warnings << m; });
    addOperation(*store, QStringLiteral("Выручка"));
    EXPECT_EQ(rowsOf(db.path(), "sr"), 1);
    ASSERT_EQ(warnings.size(), 1);
    EXPECT_TRUE(warnings[0].startsWith(QStringLiteral("Резервная копия базы данных за сегодня не сохранена"))) << warnings[0].toStdString();
}

TEST(Backups, PruningKeepsThirtyDaysAndTheFirstCopyOfEachMonth)
{
    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("kn.mdb"));
    QDir().mkpath(backupFolder(database));
    const QDate today(2026, 12, 8);
    const struct {
        const char* name;
        bool kept;
    } files[] = {
        {"kn-2026-12-08.mdb", true},  {"kn-2026-11-09.mdb", true},  {"kn-2026-11-08.mdb", false},
        {"kn-2026-11-02.mdb", false},  {"kn-2026-11-01.mdb", true},  {"kn-2026-10-05.mdb", true},
        {"kn-2026-10-06.mdb", false}, {"kn-2025-01-31.mdb", true},  {"kn-2026-10-31.mdb", false},
        {"other-2026-10-07.mdb", true}, {"kn-before-restore-2026-10-07-101010.mdb", true}, {"notes.txt", true},
    };
    for (const auto& f : files) {
        QFile file(backupFolder(database) + u'/' + QLatin1String(f.name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    pruneBackups(database, today);
    for (const auto& f : files)
        EXPECT_EQ(QFileInfo::exists(backupFolder(database) + u'/' + QLatin1String(f.name)), f.kept) << f.name;
}

TEST(Backups, ACopyIsPutBackOnlyWhenWholeAndNeverOverAFileWithoutForceAndIsNeverChanged)
{
    test::TempDatabase db;
    auto store = db.openStore();
    const QString copy = backupDatabase(store->database(), QDate(2026, 12, 1));
    addOperation(*store, QStringLiteral("Выручка"));
    store.reset();
    // A copy of a file older than the program: opening it would add the settings table.
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(copy).constData(), &handle), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(handle, "DROP TABLE settings", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(handle);
    const QByteArray copyBytes = bytesOf(copy);
    const QString damaged = QFileInfo(db.path()).absolutePath() + QStringLiteral("/damaged.mdb");
    {
        QFile file(damaged);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("SQLite format 3") + QByteArray(5000, '\x01'));
    }
    const QString fresh = QFileInfo(db.path()).absolutePath() + QStringLiteral("/fresh.mdb");
    const struct {
        QString copy;
        QString target;
        bool force;
        const char16_t* error;   // nullptr: restored
        int rows;                // sr rows in the target afterwards
    } cases[] = {
        {copy, db.path(), false, u"уже существует. Чтобы заменить его копией", 1},
        {damaged, db.path(), true, u"не является базой данных программы или повреждён", 1},
        {copy, db.path(), true, nullptr, 0},
        {copy, fresh, false, nullptr, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.copy.toStdString() + " -> " + c.target.toStdString());
        const QString error = errorOf([&] { restoreBackup(c.copy, c.target, c.force); });
        if (c.error) {
            EXPECT_TRUE(error.contains(QString::fromUtf16(c.error))) << error.toStdString();
        } else {
            EXPECT_EQ(error, QStringLiteral("(no error)"));
        }
        EXPECT_EQ(rowsOf(c.target, "sr"), c.rows);
    }
    // What the forced restore replaced is kept; the copy is as it was, the restored file up to date.
    const QStringList kept = QDir(backupFolder(db.path())).entryList({QStringLiteral("kn-before-restore-*.mdb")});
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(rowsOf(backupFolder(db.path()) + u'/' + kept[0], "sr"), 1);
    EXPECT_EQ(bytesOf(copy), copyBytes);
    EXPECT_EQ(QDir(backupFolder(db.path())).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".tmp")), QStringList());
}

TEST(Backups, TheCopiesAreListedNewestFirstAndAKilledCopysFilesGoAtTheNextStart)
{
    test::TempDatabase db;
    const QString folder = backupFolder(db.path());
    ASSERT_TRUE(QDir().mkpath(folder));
    auto write = [&](const QString& name, int size) {
        QFile file(folder + u'/' + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(size, 'x'));
    };
    const char* names[] = {"kn-2026-11-30.mdb", "kn-2026-12-08.mdb", "kn-before-restore-2026-12-08-101500.mdb",
                           "kn-2026-12-08-old-format.mdb", "other-2026-12-09.mdb", "kn-damaged-2026-12-01-090000.mdb",
                           ".kn-2026-12-09.mdb.0badf00d.tmp", ".kn-2026-12-09.mdb.0badf00d.tmp-journal",
                           ".kn-2026-12-09.mdb.feedface.tmp-journal", ".kn-2026-12-09.mdb.c0ffee00.tmp"};
    int size = 100;
    for (const char* name : names)
        write(QLatin1String(name), size += 10);
    QStringList listed;
    for (const BackupCopy& c : listBackups(db.path()))
        listed << QStringLiteral("%1 %2 %3 %4").arg(QFileInfo(c.path).fileName(), c.taken.toString(QStringLiteral("dd.MM.yyyy HH:mm")))
                      .arg(c.size).arg(c.beforeRestore);
    EXPECT_EQ(listed, (QStringList{QStringLiteral("kn-before-restore-2026-12-08-101500.mdb 08.12.2026 10:15 130 1"),
                                   QStringLiteral("kn-2026-12-08.mdb 08.12.2026 00:00 120 0"),
                                   QStringLiteral("kn-2026-11-30.mdb 30.11.2026 00:00 110 0")}));

    // One temporary copy is being written by another program now: it is held under its lock.
    const int busy = ::open(QFile::encodeName(folder + QStringLiteral("/.kn-2026-12-09.mdb.c0ffee00.tmp")).constData(), O_RDONLY);
    ASSERT_GE(busy, 0);
    ASSERT_EQ(::flock(busy, LOCK_EX), 0);
    auto store = db.openStore();
    enableDailyBackups(store->database(), {});
    ::close(busy);
    QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(left.filter(QStringLiteral(".tmp")), QStringList{QStringLiteral(".kn-2026-12-09.mdb.c0ffee00.tmp")});
    EXPECT_EQ(left.size(), 7);
}

TEST(Backups, AnOldFormatFileIsKeptByteForByteAndNeverPruned)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kn.mdb"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    const QByteArray bytes = QByteArray("Standard Jet DB") + QByteArray(3 << 20, '\x07');
    old.write(bytes);
    old.close();
    const QString kept = backupOldFile(path, QDate(2026, 1, 15));
    EXPECT_EQ(kept, backupFolder(path) + QStringLiteral("/kn-2026-01-15-old-format.mdb"));
    EXPECT_EQ(bytesOf(kept), bytes);
    pruneBackups(path, QDate(2027, 6, 1));
    EXPECT_TRUE(QFileInfo::exists(kept));
    EXPECT_TRUE(listBackups(path).empty());
}

TEST(DiskMessages, AFullDiskAndALockSayWhatHappened)
{
    test::TempDatabase db;
    auto store = db.openStore();
    // The file may not grow: SQLite's own "database or disk is full".
    store->database().exec(QStringLiteral("PRAGMA max_page_count = 1"));
    const QString full = errorOf([&] {
        for (int i = 0; i < 500; ++i)
            addOperation(*store, QString(40, u'x'));
    });
    EXPECT_TRUE(full.startsWith(QStringLiteral("Нет места на диске; изменение не сохранено"))) << full.toStdString();

    // A lock met while opening costs no change and says so.
    auto other = Database::open(db.path());
    other->exec(QStringLiteral("BEGIN EXCLUSIVE"));
    const QString locked = errorOf([&] { Database::open(db.path()); });
    other->exec(QStringLiteral("ROLLBACK"));
    EXPECT_TRUE(locked.contains(QStringLiteral("база данных занята другой программой; повторите позже"))) << locked.toStdString();
    EXPECT_FALSE(locked.contains(QStringLiteral("не сохранено")));

    // A new file that cannot be written whole is not left behind.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kn.mdb"));
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 8192;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString created = errorOf([&] { Database::create(path); });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_TRUE(created.startsWith(QStringLiteral("Не удалось создать базу данных"))) << created.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}
