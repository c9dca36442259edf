// "Загрузить выписку": the preview lists what will be added and skipped; "Загрузить" stores it and
// the journal shows it at once, "Отмена" stores nothing.
#include "MainWindowFixture.h"

#include "books/BankImportDialog.h"
#include "books/ImportRulesDialog.h"
#include "books/JournalTab.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTableWidget>
#include <QTimer>

namespace vi23::test {
namespace {

class BankImportWindow : public MainWindowTest {
protected:
    void fill(DataStore& store) override
    {
        store.database().exec(QStringLiteral(
            "UPDATE pr1 SET rs = '40702810900000000001';"
            "INSERT INTO sr (sr, vr) VALUES ('Выручка', 'Приход'), ('Оплата поставщику', 'Расход');"
            "INSERT INTO k (k, unn) VALUES ('ООО Альфа', '7701000001/770101001');"));
        statement = dir.filePath(QStringLiteral("выписка.txt"));
        QFile file(statement);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral(
                       "1CClientBankExchange\nВерсияФормата=1.03\nКодировка=Windows\nРасчСчет=40702810900000000001\n"
                       "СекцияДокумент=Платежное поручение\nНомер=697162\nДата=03.03.2026\nСумма=15000.00\n"
                       "ПлательщикСчет=40702810000000000111\nПлательщик1=Альфа\nПлательщикИНН=7701000001\n"
                       "ПолучательСчет=40702810900000000001\nДатаПоступило=03.03.2026\nКонецДокумента\n"
                       "СекцияДокумент=Платежное поручение\nНомер=16\nДата=04.03.2026\nСумма=1200.50\n"
                       "ПлательщикСчет=40702810900000000001\nПолучательСчет=40702810000000000333\n"
                       "Получатель1=ООО «Гамма»\nДатаСписано=04.03.2026\nКонецДокумента\n"
                       "СекцияДокумент=Платежное поручение\nНомер=17\nДата=04.03.2026\nСумма=5\n"
                       "ПлательщикСчет=40702810900000000001\nПолучательСчет=40702810900000000001\nКонецДокумента\n"
                       "КонецФайла\n")
                       .toUtf8());
    }

    // Opens the preview for the statement; the callback sees it while it is shown.
    void runImport(const std::function<void(BankImportDialog&)>& whileShown)
    {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<BankImportDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seen = true;
            whileShown(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        ui::runGuarded(window.get(), [&] { importBankStatementFile(window->context(), window.get(), statement); });
        EXPECT_TRUE(seen);
    }

    QString statement;
};

TEST_F(BankImportWindow, PreviewListsEveryDocumentAndCancelStoresNothing)
{
    auto* button = child<QPushButton>("ButtonBankImport", &window->journalTab());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QStringLiteral("Загрузить выписку"));
    runImport([](BankImportDialog& dialog) {
        QTableWidget* table = dialog.table();
        ASSERT_EQ(table->rowCount(), 3);
        QStringList rows;
        for (int r = 0; r < table->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < 8; ++c)
                cells << table->item(r, c)->text();
            rows << cells.join(u'|');
        }
        EXPECT_EQ(rows, (QStringList{
                            QStringLiteral("Добавить|03.03.2026|697162|15\u00A0000,00|Поступление|ООО Альфа|Выручка|"),
                            QStringLiteral("Добавить|04.03.2026|16|1\u00A0200,50|Списание|ООО «Гамма»|Оплата поставщику|новый контрагент"),
                            QStringLiteral("Пропустить|04.03.2026|17|5,00|Списание|||перевод между своими счетами"),
                        }));
        EXPECT_TRUE(dialog.summary()->text().startsWith(
            QStringLiteral("Будет добавлено строк журнала: 2, пропущено документов: 1, новых контрагентов: 1.")));
        EXPECT_TRUE(dialog.loadButton()->isEnabled());
    });
    EXPECT_EQ(countRows("jur"), 0);
    EXPECT_EQ(countRows("k"), 1);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

TEST_F(BankImportWindow, LoadStoresAndTheJournalShowsItAndASecondImportHasNothingToLoad)
{
    runImport([](BankImportDialog& dialog) { dialog.loadButton()->click(); });
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    EXPECT_EQ(informations, QStringList{QStringLiteral("Выписка загружена: добавлено строк журнала 2")});
    EXPECT_EQ(countRows("jur"), 2);
    DataSet& journal = dataSet(u"ADOTable_jur");
    EXPECT_EQ(journal.recordCount(), 2);
    journal.first();
    EXPECT_EQ(journal.text(u"nn"), QStringLiteral("16"));   // newest first
    EXPECT_EQ(dataSet(u"ADOTable_k").recordCount(), 2);

    runImport([](BankImportDialog& dialog) {
        EXPECT_FALSE(dialog.loadButton()->isEnabled());
        EXPECT_EQ(dialog.table()->item(0, 7)->text(), QStringLiteral("уже загружен"));
    });
    EXPECT_EQ(countRows("jur"), 2);
}

TEST_F(BankImportWindow, ARowBeingEditedIsNotLostToAnImport)
{
    click("Button8");   // "Добавить"
    ui::runGuarded(window.get(), [&] { importBankStatementFile(window->context(), window.get(), statement); });
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QStringLiteral("Сначала сохраните строку")));
    EXPECT_TRUE(dataSet(u"ADOTable_jur").isEditing());
    EXPECT_EQ(countRows("jur"), 0);
}

TEST_F(BankImportWindow, ThePreviewOfABookCanSaveItAsAWorkbookButNotTheTitlePage)
{
    runImport([](BankImportDialog& dialog) { dialog.loadButton()->click(); });
    auto* kind = child<QComboBox>("ComboBox1");
    struct Case {
        const char16_t* kind;
        bool offered;
    };
    for (const Case& c : {Case{u"Книга расчетов по банку", true}, Case{u"Книга доходов и расходов-квартальная", true},
                          Case{u"Титульный лист", false}}) {
        SCOPED_TRACE(QString::fromUtf16(c.kind).toStdString());
        const QString file = dir.filePath(QString::fromUtf16(c.kind) + QStringLiteral(".xlsx"));
        bool offered = false;
        window->reportRunner = [&](const Template&, RowSourceResolver&, const GetValueCallback&, const ui::ReportFinish&,
                                   const RunCallback&) {
            const auto& save = window->context().saveWorkbook;
            offered = bool(save);
            if (save)
                save(file);
        };
        kind->setCurrentText(QString::fromUtf16(c.kind));
        click("Button5");
        EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
        EXPECT_EQ(offered, c.offered);
        QFile written(file);
        EXPECT_EQ(written.exists(), c.offered);
        if (written.open(QIODevice::ReadOnly)) {
            EXPECT_TRUE(written.read(2) == "PK");
        }
        EXPECT_FALSE(window->context().saveWorkbook);   // only while the book is shown
        EXPECT_FALSE(window->context().reportRuns);
        EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral(".*.xlsx.*")}, QDir::Hidden | QDir::Files).isEmpty());
    }
}

TEST_F(BankImportWindow, RulesEditedFromThePreviewChooseTheOperation)
{
    window->store().database().exec(QStringLiteral("INSERT INTO sr (sr, vr) VALUES ('Аренда', 'Расход')"));
    runImport([this](BankImportDialog& dialog) {
        EXPECT_EQ(dialog.table()->item(1, 6)->text(), QStringLiteral("Оплата поставщику"));
        QTimer::singleShot(0, [this] {
            auto* rules = qobject_cast<ImportRulesDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(rules, nullptr);
            rules->addRule(QStringLiteral("Назначение"), QString(), QStringLiteral("Аренда"));
            rules->saveClick();
            EXPECT_EQ(errors, QStringList{QStringLiteral("Правило 1: укажите текст, который нужно искать")});
            EXPECT_TRUE(rules->isVisible());
            rules->table()->item(0, 1)->setText(QStringLiteral("гамма"));
            qobject_cast<QComboBox*>(rules->table()->cellWidget(0, 0))->setCurrentText(QStringLiteral("Контрагент"));
            rules->saveClick();
            EXPECT_FALSE(rules->isVisible());
        });
        dialog.findChild<QPushButton*>(QStringLiteral("Rules"))->click();
        EXPECT_EQ(dialog.table()->item(1, 6)->text(), QStringLiteral("Аренда"));
    });
    EXPECT_EQ(countRows("import_rules"), 1);
    EXPECT_EQ(countRows("jur"), 0);
}

} // namespace
} // namespace vi23::test
