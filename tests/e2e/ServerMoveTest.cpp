// An office moved onto the server: the demo file copied by vi23-import sqlite prints every document
// kind and every book, in both form sets, exactly as the file does.
#include "data/Database.h"
#include "data/FormKinds.h"
#include "tests/TestStore.h"
#include "tests/ToolRun.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vi23::e2e {
namespace {

using test::Outcome;
using test::Store;

// The arguments of one print: a document by its key or a book over the demo's year.
struct Print {
    QString what;
    QStringList args;
};

// One document of every kind of the demo, in each form set its kind has.
std::vector<Print> documentPrints(const QString& file)
{
    std::vector<Print> prints;
    auto db = Database::open(file);
    for (const FormKind& kind : documentKindTable()) {
        Statement first = db->prepare(QStringLiteral("SELECT min(k) FROM jur1 WHERE dok = ?1"));
        first.bind(1, kind.caption);
        EXPECT_TRUE(first.step() && !first.isNull(0)) << "the demo has no " << kind.caption.toStdString();
        for (const QString& set : {kFormSetDescribed, kFormSet2026}) {
            if (set == kFormSet2026 && kind.form2026.isEmpty())
                continue;
            prints.push_back({kind.caption + u' ' + set,
                              {QStringLiteral("document"), first.text(0), QStringLiteral("--forms"), set}});
        }
    }
    return prints;
}

// Every book of the panel over the demo's year, the act with a buyer that has documents and payments.
std::vector<Print> bookPrints(int year)
{
    std::vector<Print> prints;
    for (const FormKind& kind : reportKindTable()) {
        for (const QString& set : {kFormSetDescribed, kFormSet2026}) {
            if (set == kFormSet2026 && kind.form2026.isEmpty())
                continue;
            QStringList args{QStringLiteral("book"), kind.caption, QStringLiteral("--from"),
                             QStringLiteral("01.01.%1").arg(year), QStringLiteral("--to"), QStringLiteral("31.12.%1").arg(year),
                             QStringLiteral("--forms"), set};
            if (kind.counterparty)
                args << QStringLiteral("--counterparty") << QStringLiteral("ООО \"Ромашка\"");
            prints.push_back({kind.caption + u' ' + set, args});
        }
    }
    return prints;
}

// The first line where the server's print leaves the file's, with its number; empty when they agree.
QString firstDifference(const QString& file, const QString& server)
{
    const QStringList a = file.split(u'\n');
    const QStringList b = server.split(u'\n');
    for (qsizetype i = 0; i < std::max(a.size(), b.size()); ++i) {
        const QString left = a.value(i, QStringLiteral("(конец)"));
        const QString right = b.value(i, QStringLiteral("(конец)"));
        if (left != right)
            return QStringLiteral("line %1\n file:   %2\n server: %3").arg(i + 1).arg(left, right);
    }
    return {};
}

TEST(ServerMove, TheDemoFileMovedToTheServerPrintsEveryDocumentAndBookByteForByte)
{
    VI23_REQUIRE_STORE(Store::Server);
    QTemporaryDir dir;
    const test::TempDatabase server(Store::Server, test::Tables::None);
    const Outcome init = test::run(QStringLiteral(VI23_INIT_EXE), {QStringLiteral("--demo"), QStringLiteral("kn.mdb")}, dir.path());
    ASSERT_EQ(init.exitCode, 0) << init.err.toStdString();
    const Outcome moved = test::run(QStringLiteral(VI23_IMPORT_EXE),
                                    {QStringLiteral("sqlite"), QStringLiteral("kn.mdb"), QStringLiteral("--db"), server.path()},
                                    dir.path());
    ASSERT_EQ(moved.exitCode, 0) << moved.err.toStdString();
    EXPECT_TRUE(moved.out.contains(QStringLiteral("перенесены на сервер"))) << moved.out.toStdString();

    std::vector<Print> prints = documentPrints(dir.filePath(QStringLiteral("kn.mdb")));
    const std::vector<Print> books = bookPrints(QDate::fromString(QStringLiteral(VI23_TEST_TODAY), QStringLiteral("dd.MM.yyyy")).year());
    prints.insert(prints.end(), books.begin(), books.end());
    EXPECT_EQ(prints.size(), documentKindTable().size() + reportKindTable().size() + 3);
    for (const Print& print : prints) {
        SCOPED_TRACE(print.what.toStdString());
        const QStringList layout{QStringLiteral("--layout"), QStringLiteral("-")};
        const Outcome fromFile = test::run(QStringLiteral(VI23_PRINT_EXE), print.args + layout, dir.path());
        const Outcome fromServer = test::run(QStringLiteral(VI23_PRINT_EXE),
                                             print.args + layout + QStringList{QStringLiteral("--db"), server.path()}, dir.path());
        EXPECT_EQ(fromFile.exitCode, 0) << fromFile.err.toStdString();
        EXPECT_EQ(fromServer.exitCode, 0) << fromServer.err.toStdString();
        EXPECT_GT(fromFile.out.size(), 100);
        EXPECT_EQ(firstDifference(fromFile.out, fromServer.out), QString());
    }
}

} // namespace
} // namespace vi23::e2e
