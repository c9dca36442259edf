// Where the window's data lives, what its frame shows, and its manual.
#include "MainWindowFixture.h"

#include "app/DataFolder.h"
#include "app/ManualWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QTabWidget>
#include <QTextBrowser>

using namespace vi23;
using vi23::test::MainWindowTest;

namespace {

// The environment and working directory of one test, put back afterwards.
class StartFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(root.path()).mkpath(QStringLiteral("есть")));
        Database::create(root.filePath(QStringLiteral("старый.mdb")));
        savedData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", root.filePath(QStringLiteral("xdg")).toUtf8());
        savedFolder = QDir::currentPath();
        QDir::setCurrent(root.path());
        ui::setMessageHooks({[this](const QString&, const QString& text) { errors << text; }, {},
                             [this](const QString& text) {
                                 questions << text;
                                 return answerYes;
                             }});
    }
    void TearDown() override
    {
        ui::setMessageHooks({});
        QDir::setCurrent(savedFolder);
        qputenv("XDG_DATA_HOME", savedData);
    }
    QString at(const QString& relative) const { return QDir::cleanPath(root.filePath(relative)); }

    QTemporaryDir root;
    QByteArray savedData;
    QString savedFolder;
    QStringList errors;
    QStringList questions;
    bool answerYes = true;
};

} // namespace

TEST_F(StartFolders, TheCommandLineNamesAFolderAFileOrTheUsersDataFolder)
{
    EXPECT_EQ(userDataFolder(), at(QStringLiteral("xdg/vi23")));
    struct Case {
        QStringList arguments;
        QString file;        // relative to the test's folder; empty when the line is a mistake
        bool folderNamed;
    };
    const Case cases[] = {
        {{}, QStringLiteral("kn.mdb"), false},
        {{QStringLiteral("есть")}, QStringLiteral("есть/kn.mdb"), true},
        {{QStringLiteral("есть/")}, QStringLiteral("есть/kn.mdb"), true},
        {{QStringLiteral("новая/папка")}, QStringLiteral("новая/папка/kn.mdb"), true},
        {{QStringLiteral("старый.mdb")}, QStringLiteral("старый.mdb"), false},
        {{QStringLiteral("нет.MDB")}, QStringLiteral("нет.MDB"), false},
        {{at(QStringLiteral("есть"))}, QStringLiteral("есть/kn.mdb"), true},
        {{QStringLiteral("--user-folder")}, QStringLiteral("xdg/vi23/kn.mdb"), true},
        {{QStringLiteral("--user")}, {}, false},
        {{QStringLiteral("-x")}, {}, false},
        {{QStringLiteral("есть"), QStringLiteral("старый.mdb")}, {}, false},
        {{QStringLiteral("--user-folder"), QStringLiteral("есть")}, {}, false},
        // --db names a file or a server database; a server is no folder and no file.
        {{QStringLiteral("--db"), QStringLiteral("есть")}, QStringLiteral("есть/kn.mdb"), true},
        {{QStringLiteral("--db=старый.mdb")}, QStringLiteral("старый.mdb"), false},
        {{QStringLiteral("--db"), QStringLiteral("postgresql://server/vi23")}, QStringLiteral("postgresql://server/vi23"), false},
        {{QStringLiteral("--db")}, {}, false},
        {{QStringLiteral("--db"), QStringLiteral("host=server dbname=vi23"), QStringLiteral("есть")}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const DatabaseLocation location = locateDatabase(c.arguments);
        EXPECT_EQ(location.mistake.isEmpty(), !c.file.isEmpty()) << location.mistake.toStdString();
        if (c.file.isEmpty())
            continue;
        EXPECT_EQ(location.file, location.server ? c.file : at(c.file));
        EXPECT_EQ(location.server, c.file.startsWith(u"postgresql:"));
        EXPECT_EQ(location.folderNamed, c.folderNamed);
    }
}

TEST_F(StartFolders, AMissingDatabaseIsCreatedOnlyInANamedFolderAndOnlyWithConsent)
{
    const DatabaseLocation user = locateDatabase({QStringLiteral("--user-folder")});
    answerYes = false;
    EXPECT_FALSE(ensureDatabase(nullptr, user));
    EXPECT_FALSE(QFileInfo::exists(at(QStringLiteral("xdg/vi23"))));
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions[0], QStringLiteral("Папки %1 нет.\nСоздать её и в ней пустую базу данных kn.mdb?")
                                .arg(QDir::toNativeSeparators(at(QStringLiteral("xdg/vi23")))));

    answerYes = true;
    EXPECT_TRUE(ensureDatabase(nullptr, user));
    EXPECT_EQ(DataStore(user.file).dataSet(u"ADOTable_pr1").recordCount(), 1);   // a whole new database

    // A folder that exists is asked about its file only; a file there, or a file named, asks nothing.
    const DatabaseLocation folder = locateDatabase({QStringLiteral("есть")});
    EXPECT_TRUE(ensureDatabase(nullptr, folder));
    EXPECT_EQ(questions.last(), QStringLiteral("В папке %1 нет базы данных kn.mdb.\nСоздать пустую базу данных?")
                                    .arg(QDir::toNativeSeparators(at(QStringLiteral("есть")))));
    const qsizetype asked = questions.size();
    EXPECT_TRUE(ensureDatabase(nullptr, folder));
    EXPECT_TRUE(ensureDatabase(nullptr, locateDatabase({QStringLiteral("нет.mdb")})));
    EXPECT_FALSE(QFileInfo::exists(at(QStringLiteral("нет.mdb"))));
    EXPECT_EQ(questions.size(), asked);

    // A folder that cannot be made is said so.
    QFile blocker(at(QStringLiteral("файл")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(ensureDatabase(nullptr, locateDatabase({QStringLiteral("файл/папка")})));
    EXPECT_EQ(errors, QStringList{QStringLiteral("Не удалось создать папку %1")
                                      .arg(QDir::toNativeSeparators(at(QStringLiteral("файл/папка"))))});
}

TEST_F(MainWindowTest, TheFrameNamesTheFileAndF1OrTheAboutTabOpensTheManual)
{
    EXPECT_EQ(window->windowTitle(), QDir::toNativeSeparators(path) + QStringLiteral(" — Вельмар"));

    window->programFolder = QStringLiteral(VI23_APP_DIR);
    QTest::keyClick(window.get(), Qt::Key_F1);
    ASSERT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    ManualWindow* manual = window->manualWindow();
    ASSERT_NE(manual, nullptr);
    EXPECT_TRUE(manual->isVisible());
    EXPECT_EQ(manual->browser()->documentTitle(), QStringLiteral("Вельмар: руководство пользователя"));
    EXPECT_TRUE(manual->browser()->toPlainText().contains(QStringLiteral("Отправка документа по почте")));
    manual->close();
    window->tabs()->setCurrentIndex(6);
    click("ButtonManual");
    EXPECT_EQ(window->manualWindow(), manual);   // the same window comes back
    EXPECT_TRUE(manual->isVisible());

    // Without the manual, the places looked at are named.
    QTemporaryDir nowhere;
    QPointer<ManualWindow> none;
    EXPECT_THROW(showManual(none, window.get(), nowhere.path()), UserError);
    window->programFolder = nowhere.path();
    delete manual;
    click("ButtonManual");
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Руководство пользователя не найдено. Искали:\n")));
    EXPECT_TRUE(errors[0].contains(QDir::cleanPath(nowhere.filePath(QStringLiteral("../share/vi23/manual/index.html")))));
}
