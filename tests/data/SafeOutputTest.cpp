// Output files: the open database is never a target, whatever its name; a failed write leaves the
// old file and no partial one.
#include "tests/TestStore.h"

#include "data/Error.h"
#include "data/SafeOutput.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vi23;

using vi23::test::errorOf;

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// Names in the folder other than the given ones: a temporary file left behind shows here.
QStringList strayFiles(const QString& folder, const QStringList& expected)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : expected)
        names.removeAll(name);
    return names;
}

} // namespace

TEST(SafeOutput, TheOpenDatabaseIsRefusedUnderAnyName)
{
    test::TempDatabase db;
    const QString folder = QFileInfo(db.path()).absolutePath();
    ASSERT_EQ(::link(QFile::encodeName(db.path()).constData(), QFile::encodeName(folder + "/hard.mdb").constData()), 0);
    ASSERT_TRUE(QFile::link(db.path(), folder + "/soft.mdb"));
    auto store = db.openStore();
    const QByteArray before = contents(db.path());
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder));
    for (const QString& target : {db.path(), QStringLiteral("kn.mdb"), QStringLiteral("./kn.mdb"),
                                  folder + "/../" + QFileInfo(folder).fileName() + "/kn.mdb",
                                  QStringLiteral("hard.mdb"), QStringLiteral("soft.mdb"), QStringLiteral("kn.mdb-journal")}) {
        SCOPED_TRACE(target.toStdString());
        EXPECT_TRUE(errorOf([&] { writeFileSafely(target, "report"); }).contains(u"открытой базы данных"));
    }
    QDir::setCurrent(previous);
    EXPECT_EQ(contents(db.path()), before);
    EXPECT_EQ(strayFiles(folder, {"kn.mdb", "hard.mdb", "soft.mdb"}), QStringList());
    // Closed, it is a file like any other.
    store.reset();
    EXPECT_EQ(errorOf([&] { writeFileSafely(folder + "/hard.mdb", "report"); }), QStringLiteral("(no error)"));
}

TEST(SafeOutput, AFileIsReplacedWholeOrNotAtAll)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("report.pdf");
    const QString link = dir.filePath("latest.pdf");
    writeFileSafely(target, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0640), 0);
    ASSERT_TRUE(QFile::link(target, link));

    // Through the symbolic link the file it names is replaced and keeps its permissions.
    writeFileSafely(link, "new");
    EXPECT_EQ(contents(target), "new");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    // A write cut short (the file size limit stands in for a full disk) leaves the old file.
    const QByteArray big(1 << 20, 'x');
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 100000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString cut = errorOf([&] { writeFileSafely(target, big); });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_TRUE(cut.contains(u"превышает допустимый размер")) << cut.toStdString();
    EXPECT_EQ(contents(target), "new");

    // An output left without commit() leaves nothing either.
    { SafeOutputFile abandoned(dir.filePath("never.pdf")); abandoned.write("half"); }
    EXPECT_EQ(strayFiles(dir.path(), {"report.pdf", "latest.pdf"}), QStringList());
}

TEST(SafeOutput, OnlyAPlainFileOrANewNameIsATargetAndFailuresAreReportedInRussian)
{
    QTemporaryDir dir;
    const QString pipe = dir.filePath("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const struct {
        QString target;
        const char16_t* message;
    } cases[] = {
        {QStringLiteral("/dev/full"), u"не обычный файл"},
        {QStringLiteral("/dev/null"), u"не обычный файл"},
        {pipe, u"не обычный файл"},
        {dir.path(), u"это папка"},
        {dir.filePath("missing/report.pdf"), u"не существует"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target.toStdString());
        EXPECT_TRUE(errorOf([&] { writeFileSafely(c.target, "report"); }).contains(c.message));
    }
    // Devices and pipes are left as they were.
    struct stat st {};
    ASSERT_EQ(::stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    ASSERT_EQ(::stat(QFile::encodeName(pipe).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(strayFiles(dir.path(), {QStringLiteral("pipe")}), QStringList());
}

TEST(SafeOutput, ANewFileHasTheUsersPermissionsWhoeverWritesIt)
{
    QTemporaryDir dir;
    for (const mode_t mask : {mode_t(022), mode_t(027)}) {
        const mode_t previous = ::umask(mask);
        const QString direct = dir.filePath(QStringLiteral("direct-%1.csv").arg(mask));
        const QString byName = dir.filePath(QStringLiteral("by-name-%1.xlsx").arg(mask));
        writeFileSafely(direct, "a;b\n");
        {
            // A library that opens the file by its name, as the workbook writer does.
            SafeOutputFile file(byName);
            FILE* stream = std::fopen(QFile::encodeName(file.temporaryPath()).constData(), "wb");
            ASSERT_NE(stream, nullptr);
            std::fputs("PK", stream);
            std::fclose(stream);
            file.commit();
        }
        ::umask(previous);
        for (const QString& path : {direct, byName}) {
            SCOPED_TRACE(path.toStdString());
            struct stat st {};
            ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
        }
        EXPECT_EQ(contents(byName), "PK");
    }
    EXPECT_EQ(strayFiles(dir.path(), QDir(dir.path()).entryList({QStringLiteral("*.csv"), QStringLiteral("*.xlsx")})),
              QStringList());
}
