// "Восстановить из копии…" on the requisites tab: the copies listed with their date and size, the
// chosen one put back with the replaced data kept and the copy untouched, and the program open again
// on the restored file.
#include "MainWindowFixture.h"

#include "app/ProgramWindow.h"
#include "data/Backup.h"
#include "lists/BackupRestoreDialog.h"
#include "ui/Messages.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace vi23::test {
namespace {

class RestoreFromBackup : public ::testing::Test, protected CaughtMessages {
protected:
    void SetUp() override
    {
        path = dir.filePath(QStringLiteral("kn.mdb"));
        Database::create(path)->exec(QStringLiteral("INSERT INTO sr (sr, vr) VALUES ('Выручка', 'Приход')"));
        catchBoxes();
        program = std::make_unique<ProgramWindow>(path);
        ASSERT_TRUE(program->open());
    }

    void TearDown() override
    {
        program.reset();
        ui::setMessageHooks({});
    }

    Database& database() { return program->window()->store().database(); }

    int operations()
    {
        Statement count = database().prepare(QStringLiteral("SELECT count(*) FROM sr"));
        count.step();
        return int(count.integer(0));
    }

    // "Восстановить из копии…"; the list, while shown, goes to `chosen`, which picks a row or none.
    void restore(const std::function<void(BackupRestoreDialog&)>& chosen)
    {
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<BackupRestoreDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll.stop();
            chosen(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        poll.start();
        program->window()->findChild<QPushButton*>(QStringLiteral("ButtonRestore"))->click();
    }

    static QByteArray bytesOf(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    QString path;
    std::unique_ptr<ProgramWindow> program;
};

TEST_F(RestoreFromBackup, TheChosenCopyIsPutBackAndTheProgramOpensAgainOnIt)
{
    const QString older = backupDatabase(database(), QDate(2026, 12, 1));
    database().exec(QStringLiteral("INSERT INTO sr (sr, vr) VALUES ('Аренда', 'Расход')"));
    backupDatabase(database(), QDate(2026, 12, 8));
    database().exec(QStringLiteral("INSERT INTO sr (sr, vr) VALUES ('Связь', 'Расход')"));
    const QByteArray olderBytes = bytesOf(older);
    TForm1* before = program->window();

    restore([](BackupRestoreDialog& dialog) {
        QTableWidget* table = dialog.table();
        ASSERT_EQ(table->rowCount(), 2);
        EXPECT_EQ(table->item(0, 0)->text(), QStringLiteral("08.12.2026"));
        EXPECT_EQ(table->item(1, 0)->text(), QStringLiteral("01.12.2026"));
        EXPECT_EQ(table->item(1, 2)->text(), QStringLiteral("kn-2026-12-01.mdb"));
        EXPECT_TRUE(table->item(1, 1)->text().endsWith(QStringLiteral(" КБ"))) << table->item(1, 1)->text().toStdString();
        table->selectRow(1);
        dialog.restoreButton()->click();
    });
    ASSERT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    EXPECT_EQ(questions, QStringList{QStringLiteral("Заменить данные базы kn.mdb данными копии от 01.12.2026? "
                                                    "Нынешние данные будут сохранены в папке backup.")});
    ASSERT_EQ(informations.size(), 1);
    EXPECT_TRUE(informations[0].startsWith(QStringLiteral("База данных восстановлена из копии от 01.12.2026. Прежние данные "
                                                          "сохранены в файле %1/kn-before-restore-").arg(backupFolder(path))))
        << informations[0].toStdString();
    EXPECT_EQ(bytesOf(older), olderBytes);

    // The program is open again, on the restored file, in a new window; the replaced data is a copy.
    QApplication::processEvents();
    EXPECT_NE(program->window(), before);
    EXPECT_EQ(program->window()->store().dataSet(u"ADOTable_sr").recordCount(), 1);
    EXPECT_EQ(operations(), 1);
    const std::vector<BackupCopy> copies = listBackups(path);
    ASSERT_EQ(copies.size(), 3u);
    EXPECT_TRUE(copies[0].beforeRestore);
    auto kept = Database::open(copies[0].path);
    Statement count = kept->prepare(QStringLiteral("SELECT count(*) FROM sr"));
    ASSERT_TRUE(count.step());
    EXPECT_EQ(count.integer(0), 3);
}

TEST_F(RestoreFromBackup, NothingIsReplacedWithoutACopyWhileARowIsWrittenOrWhenTheUserSaysNo)
{
    bool listed = false;
    restore([&](BackupRestoreDialog&) { listed = true; });
    EXPECT_FALSE(listed);
    EXPECT_EQ(errors, QStringList{QStringLiteral("В папке %1 нет резервных копий базы данных").arg(backupFolder(path))});

    backupDatabase(database(), QDate(2026, 12, 1));
    database().exec(QStringLiteral("INSERT INTO sr (sr, vr) VALUES ('Аренда', 'Расход')"));
    program->window()->store().dataSet(u"ADOTable_pr1").edit();
    restore([&](BackupRestoreDialog&) { listed = true; });
    EXPECT_FALSE(listed);
    ASSERT_EQ(errors.size(), 2);
    EXPECT_TRUE(errors[1].startsWith(QStringLiteral("Сначала сохраните строку"))) << errors[1].toStdString();
    program->window()->store().dataSet(u"ADOTable_pr1").cancel();

    answerYes = false;
    restore([](BackupRestoreDialog& dialog) { dialog.restoreButton()->click(); });
    EXPECT_EQ(questions.size(), 1);
    EXPECT_TRUE(informations.isEmpty());
    TForm1* same = program->window();
    QApplication::processEvents();
    EXPECT_EQ(program->window(), same);
    EXPECT_EQ(operations(), 2);
    EXPECT_EQ(listBackups(path).size(), 1u);
}

} // namespace
} // namespace vi23::test
