// A conversion of kn.mdb in place, cut short at each of its steps: the next start finds kn.mdb whole,
// old or new, completes the swap or puts the old file back, and says which.
#include "OldFile.h"

#include "data/Backup.h"
#include "data/Database.h"
#include "data/Error.h"
#include "data/Today.h"
#include "import/InPlaceConversion.h"
#include "tests/ToolRun.h"

#include <unistd.h>

namespace vi23::jet {
namespace {

using test::OldFile;

enum class Kind { Old, New, Missing };

Kind kindOf(const QString& path)
{
    if (!QFileInfo::exists(path))
        return Kind::Missing;
    return JetFile::hasJetSignature(path) ? Kind::Old : Kind::New;
}

TEST(InPlaceConversion, TheNextStartCompletesOrUndoesASwapCutShort)
{
    const QString completed = QString::fromUtf16(u"Прерванный перенос данных из файла прежней версии завершён: kn.mdb — новый "
                                                 u"файл, прежний сохранён как kn.mdb.jet.");
    const QString undone = QString::fromUtf16(u"Прерванный перенос данных из файла прежней версии отменён: kn.mdb — снова прежний файл.");
    const QStringList afterSwap = {QStringLiteral("kn.mdb"), QStringLiteral("kn.mdb.jet")};
    const QStringList oldOnly = {QStringLiteral("kn.mdb")};
    // How each state is made from the old kn.mdb and a whole kn.mdb.new beside it.
    auto link = [](OldFile& f) { ASSERT_EQ(::link(QFile::encodeName(f.path()).constData(), QFile::encodeName(f.file("kn.mdb.jet")).constData()), 0); };
    auto moveAside = [](OldFile& f) { ASSERT_TRUE(QFile::rename(f.path(), f.file("kn.mdb.jet"))); };
    auto dropNew = [](OldFile& f) { removeDatabaseFiles(f.file("kn.mdb.new")); };
    auto cutNew = [](OldFile& f) { ASSERT_TRUE(QFile::resize(f.file("kn.mdb.new"), 3000)); };
    const struct {
        const char* name;
        std::vector<std::function<void(OldFile&)>> steps;
        QString message;
        Kind result;
        QStringList entries;
    } cases[] = {
        {"the new file whole, the old one not yet kept", {}, completed, Kind::New, afterSwap},
        {"the old file kept under its second name", {link}, completed, Kind::New, afterSwap},
        {"an earlier version's swap: no kn.mdb", {moveAside}, completed, Kind::New, afterSwap},
        {"the new file cut short", {cutNew}, undone, Kind::Old, oldOnly},
        {"the new file cut short and no kn.mdb", {cutNew, moveAside}, undone, Kind::Old, oldOnly},
        {"no new file and no kn.mdb", {dropNew, moveAside}, undone, Kind::Old, oldOnly},
        {"a killed import's partial file only", {dropNew, [](OldFile& f) {
             QFile part(f.file("kn.mdb.new.part-999999999"));
             ASSERT_TRUE(part.open(QIODevice::WriteOnly));
         }}, QString(), Kind::Old, oldOnly},
        {"nothing cut short", {dropNew}, QString(), Kind::Old, oldOnly},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OldFile old(QStringLiteral("kn.mdb"));
        importJet(old.path(), old.file("kn.mdb.new"));
        for (const auto& step : c.steps)
            step(old);
        EXPECT_EQ(recoverInterruptedConversion(old.path()), c.message);
        EXPECT_EQ(kindOf(old.path()), c.result);
        EXPECT_EQ(old.entries(), c.entries);
        if (c.result == Kind::New) {
            QFile kept(old.file("kn.mdb.jet"));
            ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
            EXPECT_EQ(kept.readAll(), old.bytes());
            EXPECT_NO_THROW(Database::open(old.path()));
        } else {
            EXPECT_TRUE(old.unchanged());
            // Undone, the conversion can run again.
            EXPECT_NO_THROW(convertInPlace(old.path()));
            EXPECT_EQ(kindOf(old.path()), Kind::New);
        }
        EXPECT_EQ(recoverInterruptedConversion(old.path()), QString());
    }

    // Two different old files are not the program's to choose between.
    OldFile old(QStringLiteral("kn.mdb"));
    importJet(old.path(), old.file("kn.mdb.new"));
    QFile other(old.file("kn.mdb.jet"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("another old file");
    other.close();
    EXPECT_THROW(recoverInterruptedConversion(old.path()), UserError);
    EXPECT_TRUE(old.unchanged());
}

TEST(InPlaceConversion, TheDaysCopyOfTheOldFileIsKeptFirstAndTheToolSaysWhatItFound)
{
    OldFile old(QStringLiteral("kn.mdb"));
    convertInPlace(old.path());
    QFile copy(backupFolder(old.path()) + QStringLiteral("/kn-%1-old-format.mdb").arg(vi23::today().toString(Qt::ISODate)));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), old.bytes());

    // Cut short before the swap; the tool's next run completes it and says so.
    OldFile cut(QStringLiteral("kn.mdb"));
    importJet(cut.path(), cut.file("kn.mdb.new"));
    const vi23::test::Outcome r = vi23::test::run(QStringLiteral(VI23_IMPORT_EXE), {QStringLiteral("jet"), QStringLiteral("kn.mdb")}, cut.dir());
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.startsWith(QString::fromUtf16(u"Прерванный перенос данных из файла прежней версии завершён"))) << r.out.toStdString();
    EXPECT_EQ(kindOf(cut.path()), Kind::New);
}

} // namespace
} // namespace vi23::jet
