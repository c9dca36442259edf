// Daily copies of the database, their pruning and putting one back; the disk's own messages.
#include "TestStore.h"

#include "data/Backup.h"
#include "data/Error.h"
#include "data/RuFormat.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace vi23;

using vi23::test::errorOf;
using vi23::test::rowsOf;

namespace {

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
    const QString copy = backupFolder(db.path()) + QStringLiteral("/kn-%1.mdb").arg(ru::isoDate(QDate::currentDate()));
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

TEST(Backups, ACopyIsPutBackOnlyWhenWholeAndNeverOverAFileWithoutForce)
{
    test::TempDatabase db;
    auto store = db.openStore();
    const QString copy = backupDatabase(store->database(), QDate(2026, 12, 1));
    addOperation(*store, QStringLiteral("Выручка"));
    store.reset();
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
    // What the forced restore replaced is kept.
    const QStringList kept = QDir(backupFolder(db.path())).entryList({QStringLiteral("kn-before-restore-*.mdb")});
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(rowsOf(backupFolder(db.path()) + u'/' + kept[0], "sr"), 1);
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
