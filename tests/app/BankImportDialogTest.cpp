// "Загрузить выписку": the preview lists what will be added and skipped; "Загрузить" stores it and
// the journal shows it at once, "Отмена" stores nothing.
#include "MainWindowFixture.h"

#include "books/BankImportDialog.h"
#include "books/ImportRulesDialog.h"
#include "books/JournalTab.h"
#include "documents/DocumentsTab.h"
#include "ui/DBLookupComboBox.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProgressDialog>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>

namespace vi23::test {
namespace {

QStringList firstColumn(Database& db, const QString& sql)
{
    Statement query = db.prepare(sql);
    QStringList values;
    while (query.step())
        values << query.text(0);
    return values;
}

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

    // Opens the preview for the statement; the callback sees it while it is shown (a progress bar
    // may come before it).
    void runImport(const std::function<void(BankImportDialog&)>& whileShown)
    {
        bool seen = false;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<BankImportDialog*>(QApplication::activeModalWidget());
            if (!dialog || seen)
                return;
            seen = true;
            poll.stop();
            whileShown(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        poll.start();
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
        bool perYear;   // printed once for each year of the period
    };
    for (const Case& c : {Case{u"Книга расчетов по банку", true, false}, Case{u"Книга доходов и расходов-квартальная", true, true},
                          Case{u"Титульный лист", false, true}}) {
        SCOPED_TRACE(QString::fromUtf16(c.kind).toStdString());
        const QString file = dir.filePath(QString::fromUtf16(c.kind) + QStringLiteral(".xlsx"));
        bool offered = false;
        bool runs = false;
        window->reportRunner = [&](const Template&, RowSourceResolver&, const PrintRequest& request) {
            offered = bool(request.saveWorkbook);
            runs = bool(request.runs);
            if (offered)
                request.saveWorkbook(file);
        };
        kind->setCurrentText(QString::fromUtf16(c.kind));
        click("Button5");
        EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
        EXPECT_EQ(offered, c.offered);
        EXPECT_EQ(runs, c.perYear);
        QFile written(file);
        EXPECT_EQ(written.exists(), c.offered);
        if (written.open(QIODevice::ReadOnly)) {
            EXPECT_TRUE(written.read(2) == "PK");
        }
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
            // Each box of a rule shows its longest choice whole ("Оплата поставщику", "Назначение").
            QApplication::processEvents();
            for (int column : {0, 2}) {
                auto* box = qobject_cast<QComboBox*>(rules->table()->cellWidget(0, column));
                EXPECT_GE(box->width(), box->sizeHint().width()) << column;
            }
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

TEST_F(BankImportWindow, AStatementOfAnotherOwnerIsLoadedOnlyWhenTheUserSaysSo)
{
    window->store().database().exec(QStringLiteral("UPDATE pr1 SET rs = '40702810900000000009'"));
    answerYes = false;
    int added = -1;
    ui::runGuarded(window.get(), [&] { added = importBankStatementFile(window->context(), window.get(), statement); });
    EXPECT_EQ(added, 0);
    ASSERT_EQ(questions.size(), 1);
    EXPECT_EQ(questions[0], QStringLiteral("Выписка по счёту 40702810900000000001 (владелец не указан) не относится к предприятию: "
                                           "ни её счёт, ни ИНН не совпадают с реквизитами на вкладке «Данные пользователя».\n"
                                           "Загрузить её всё равно?"));
    EXPECT_EQ(countRows("jur"), 0);

    answerYes = true;
    runImport([](BankImportDialog& dialog) { dialog.loadButton()->click(); });
    EXPECT_EQ(questions.size(), 2);
    EXPECT_EQ(countRows("jur"), 2);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

TEST_F(BankImportWindow, ALongStatementShowsABarWhoseCancelStoresNothing)
{
    QStringList lines = {QStringLiteral("1CClientBankExchange"), QStringLiteral("РасчСчет=40702810900000000001")};
    const int payments = kLongStatement + 200;
    for (int i = 0; i < payments; ++i)
        lines << QStringLiteral("СекцияДокумент=Платежное поручение") << QStringLiteral("Номер=%1").arg(i + 1)
              << QStringLiteral("Дата=03.03.2026") << QStringLiteral("Сумма=100.00")
              << QStringLiteral("ПлательщикСчет=407028100000%1").arg(i, 8, 10, QChar(u'0'))
              << QStringLiteral("Плательщик1=ООО Покупатель %1").arg(i) << QStringLiteral("ПлательщикИНН=77%1").arg(i, 8, 10, QChar(u'0'))
              << QStringLiteral("ПолучательСчет=40702810900000000001") << QStringLiteral("ДатаПоступило=03.03.2026")
              << QStringLiteral("КонецДокумента");
    lines << QStringLiteral("КонецФайла");
    QFile file(statement);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(lines.join(u'\n').toUtf8());
    file.close();

    // The bar of the check comes first; "Отмена" there ends it all without a preview.
    auto cancelBar = [](QString* label) {
        QTimer::singleShot(0, [label] {
            auto* bar = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(bar, nullptr);
            *label = bar->labelText();
            EXPECT_EQ(bar->findChild<QPushButton*>()->text(), QStringLiteral("Отмена"));
            bar->cancel();
        });
    };
    QString label;
    cancelBar(&label);
    int added = -1;
    ui::runGuarded(window.get(), [&] { added = importBankStatementFile(window->context(), window.get(), statement); });
    EXPECT_EQ(label, QStringLiteral("Проверка выписки…"));
    EXPECT_EQ(added, 0);
    EXPECT_EQ(countRows("jur"), 0);

    // Cancelled while loading, nothing is stored and the preview stays; loaded again, all of it is.
    runImport([&](BankImportDialog& dialog) {
        EXPECT_EQ(dialog.table()->rowCount(), payments);
        cancelBar(&label);
        dialog.loadButton()->click();
        EXPECT_EQ(label, QStringLiteral("Загрузка выписки…"));
        EXPECT_EQ(informations, QStringList{QStringLiteral("Загрузка выписки отменена; ничего не записано")});
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(countRows("jur"), 0);
        dialog.loadButton()->click();
    });
    EXPECT_EQ(countRows("jur"), payments);
    EXPECT_EQ(countRows("k"), payments + 1);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
}

TEST_F(BankImportWindow, AStatePayeesFullNameIsKeptWholeInTheListTheJournalAndADocument)
{
    const QString payee = QStringLiteral("Управление Федерального казначейства по Тверской области (Межрайонная инспекция "
                                         "Федеральной налоговой службы № 12 по Тверской области)");
    ASSERT_GT(payee.size(), 120);
    QFile file(statement);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QStringLiteral("1CClientBankExchange\nРасчСчет=40702810900000000001\n"
                              "СекцияДокумент=Платежное поручение\nНомер=31\nДата=27.04.2026\nСумма=15600.00\n"
                              "ПлательщикСчет=40702810900000000001\nПолучательСчет=03100643000000013600\n"
                              "Получатель1=%1\nПолучательИНН=6950000012\nПолучательКПП=695001001\n"
                              "ДатаСписано=27.04.2026\nНазначениеПлатежа=Налог по УСН за I квартал 2026 г.\nКонецДокумента\nКонецФайла\n")
                   .arg(payee)
                   .toUtf8());
    file.close();
    runImport([&](BankImportDialog& dialog) {
        // The whole name in its tooltip; the note and the purpose of payment in sight beside it.
        QTableWidget* table = dialog.table();
        dialog.show();
        EXPECT_EQ(table->item(0, 5)->toolTip(), payee);
        EXPECT_EQ(table->item(0, 7)->text(), QStringLiteral("новый контрагент"));
        EXPECT_EQ(table->item(0, 8)->text(), QStringLiteral("Налог по УСН за I квартал 2026 г."));
        // As it opens on a 1024-wide screen and widened on a 1280-wide one, the purpose keeps room to be read.
        for (int width : {1000, 1260}) {
            dialog.resize(width, 480);
            QCoreApplication::processEvents();
            for (int column : {7, 8})
                EXPECT_LE(table->columnViewportPosition(column) + table->columnWidth(column), table->viewport()->width())
                    << width << ' ' << column;
            EXPECT_GE(table->columnWidth(8), 200) << width;
        }
        dialog.loadButton()->click();
    });
    ASSERT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    auto db = Database::open(path);
    EXPECT_EQ(firstColumn(*db, QStringLiteral("SELECT k FROM jur")), QStringList{payee});
    EXPECT_EQ(firstColumn(*db, QStringLiteral("SELECT count(*) FROM k WHERE k = '%1'").arg(payee)), QStringList{QStringLiteral("1")});

    // The journal's grid shows it whole; a document for it as buyer stores it whole.
    auto* journal = child<QTableView>("DBGrid3", &window->journalTab());
    const QAbstractItemModel* rows = journal->model();
    QStringList shown;
    for (int column = 0; column < rows->columnCount(); ++column)
        shown << rows->index(0, column).data().toString();
    EXPECT_TRUE(shown.contains(payee)) << shown.join(u'|').toStdString();
    window->tabs()->setCurrentIndex(0);
    click("Button4");
    typeInto(window->documentsTab().buyerBox(), QStringLiteral("управ"));
    click("Button10");
    ASSERT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    EXPECT_EQ(firstColumn(*db, QStringLiteral("SELECT z FROM jur1")), QStringList{payee});
}

} // namespace
} // namespace vi23::test
