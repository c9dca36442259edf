// "Отправить по почте" in the preview, through the real xdg-email and a desktop set up per test: the
// message lacks nothing when a mail program is chosen, and the user is told when none is.
#include "TestSupport.h"

#include "reports/PreviewDialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace vi23::test {
namespace {

// A desktop of its own: empty XDG folders, no desktop environment named, and when asked a mail
// program that writes the link it was given into a file.
class MailDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS", "MAILER",
                                 "XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID",
                                 "DISPLAY", "BROWSER"})
            saved.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
        for (const auto& variable : saved)
            qunsetenv(variable.name);
        qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
        qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
        qputenv("XDG_DATA_DIRS", home.filePath(QStringLiteral("system")).toUtf8());
        qputenv("XDG_CONFIG_DIRS", home.filePath(QStringLiteral("system-config")).toUtf8());
        // xdg-open follows a link's program only on a display; the one set here is never opened.
        qputenv("DISPLAY", ":99");
        qputenv("BROWSER", "false");
    }
    void TearDown() override
    {
        for (const auto& variable : saved) {
            if (variable.set)
                qputenv(variable.name, variable.value);
            else
                qunsetenv(variable.name);
        }
    }

    // Chooses a mail program that writes its link into `link`.
    void chooseMailProgram()
    {
        QDir(home.path()).mkpath(QStringLiteral("data/applications"));
        QDir(home.path()).mkpath(QStringLiteral("config"));
        const QString program = home.filePath(QStringLiteral("mailer"));
        write(program, QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > '%1.part' && mv '%1.part' '%1'\n").arg(link()));
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        write(home.filePath(QStringLiteral("data/applications/testmail.desktop")),
              QStringLiteral("[Desktop Entry]\nType=Application\nName=Почта\nExec=%1 %u\nMimeType=x-scheme-handler/mailto;\n")
                  .arg(program));
        write(home.filePath(QStringLiteral("config/mimeapps.list")),
              QStringLiteral("[Default Applications]\nx-scheme-handler/mailto=testmail.desktop\n"));
    }
    QString link() const { return home.filePath(QStringLiteral("link.txt")); }

    static void write(const QString& path, const QString& text)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    }

    struct Saved {
        const char* name;
        QByteArray value;
        bool set;
    };
    std::vector<Saved> saved;
    QTemporaryDir home;
};

PreparedReport invoice()
{
    MemoryResolver rows;
    rows.add("frDBDataSet_t", "ADOQuery_t", {"v"}, {{Value(QStringLiteral("Болт М8"))}});
    return prepareReport(tpl(QStringLiteral("band MasterData1 kind=5 top=30 height=300 dataset=frDBDataSet_t\n"
                                            "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"[ADOQuery_t.\"v\"]\" |\n")),
                         rows);
}

} // namespace

TEST_F(MailDesktop, WithNoMailProgramTheUserIsToldAndOfferedTheFileInstead)
{
    PreviewDialog dialog(invoice());
    dialog.setSuggestedFileName(QStringLiteral("Счет 31 от 01.01.2026.pdf"));
    QString asked;
    QTimer::singleShot(0, [&asked] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        asked = box->text();
        box->button(QMessageBox::No)->click();
    });
    dialog.findChild<QAction*>(QStringLiteral("mailAction"))->trigger();
    EXPECT_EQ(asked, QStringLiteral("Почтовая программа не настроена: на рабочем столе не выбрана программа для писем.\n"
                                    "Сохранить PDF в файл, чтобы приложить его к письму вручную?"));
    EXPECT_FALSE(QFile::exists(link()));
}

TEST_F(MailDesktop, TheMailProgramGetsThePdfUnderItsNameWithTheSubjectAndTheAddress)
{
    chooseMailProgram();
    struct Case {
        MailEnvelope envelope;
        QString to;
        QString subject;
    };
    const Case cases[] = {
        {{QStringLiteral("Счет № 31 от 01.01.2026"), QStringLiteral("buh@elochka.ru")}, QStringLiteral("buh@elochka.ru"),
         QStringLiteral("Счет № 31 от 01.01.2026")},
        // A book: no address, the subject from the file name.
        {{}, QString(), QStringLiteral("Счет 31 от 01.01.2026")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.subject.toStdString());
        QFile::remove(link());
        PreviewDialog dialog(invoice());
        dialog.setSuggestedFileName(QStringLiteral("Счет 31 от 01.01.2026.pdf"));
        dialog.setMailEnvelope(c.envelope);
        dialog.findChild<QAction*>(QStringLiteral("mailAction"))->trigger();
        ASSERT_TRUE(QTest::qWaitFor([this] { return QFile::exists(link()); }, 30000)) << "the mail program was not run";
        QFile file(link());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString mailto = QString::fromUtf8(file.readAll());
        ASSERT_TRUE(mailto.startsWith(QStringLiteral("mailto:") + c.to + u'?')) << mailto.toStdString();
        const QUrlQuery query(mailto.mid(mailto.indexOf(u'?') + 1));
        EXPECT_EQ(query.queryItemValue(QStringLiteral("subject"), QUrl::FullyDecoded), c.subject);
        const QString attached = query.queryItemValue(QStringLiteral("attach"), QUrl::FullyDecoded);
        EXPECT_TRUE(attached.endsWith(QStringLiteral("/Счет 31 от 01.01.2026.pdf"))) << attached.toStdString();
        QFile pdf(attached);
        ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
        EXPECT_TRUE(pdf.read(5).startsWith("%PDF-"));
        pdf.close();
        QDir(QFileInfo(attached).absolutePath()).removeRecursively();
    }
}

} // namespace vi23::test
