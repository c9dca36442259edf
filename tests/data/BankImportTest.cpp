#include "tests/TestStore.h"

#include "data/BankImport.h"
#include "data/Error.h"

#include <gtest/gtest.h>

using namespace vi23;
using vi23::test::TempDatabase;

using vi23::test::errorOf;
using vi23::test::rowsOf;

namespace {

const QString kOurs = QStringLiteral("40702810900000000001");
const QString kOursToo = QStringLiteral("40702810900000000002");

using Fields = std::vector<std::pair<QString, QString>>;

const QStringList kSection = {QStringLiteral("ДатаНачала=01.03.2026"), QStringLiteral("РасчСчет=") + kOurs};

// A statement's text: header, our account section (none when empty), the documents, the end.
QString statementText(const std::vector<Fields>& documents, const QString& encodingLine = QStringLiteral("Кодировка=Windows"),
                      const QStringList& section = kSection)
{
    QStringList lines = {QStringLiteral("1CClientBankExchange"), QStringLiteral("ВерсияФормата=1.03"), encodingLine,
                         QStringLiteral("Отправитель=Банк-Клиент"), QStringLiteral("ДатаСоздания=01.04.2026"),
                         QStringLiteral("РасчСчет=") + kOurs, QStringLiteral("РасчСчет= ") + kOursToo};
    if (!section.isEmpty())
        lines << QStringLiteral("СекцияРасчСчет") << section << QStringLiteral("КонецРасчСчет");
    for (const Fields& doc : documents) {
        lines << QStringLiteral("СекцияДокумент=Платежное поручение");
        for (const auto& [key, value] : doc)
            lines << key + u'=' + value;
        lines << QStringLiteral("КонецДокумента");
    }
    lines << QStringLiteral("КонецФайла");
    return lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

// Encodes through the inverse of the program's own tables; the byte checks below pin those tables.
QByteArray encode(const QString& text, CodePage page)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString table = decodeCodePage(all, page);
    QByteArray out;
    for (QChar c : text) {
        qsizetype at = table.indexOf(c);
        EXPECT_GE(at, 0) << "no byte for U+" << std::hex << int(c.unicode());
        out.append(char(at));
    }
    return out;
}

Fields payment(const QString& number, const QString& sum, const QString& payerAccount, const QString& payer,
               const QString& payeeAccount, const QString& payee, const QString& purpose, Fields extra = {})
{
    Fields f = {{QStringLiteral("Номер"), number}, {QStringLiteral("Дата"), QStringLiteral("02.03.2026")},
                {QStringLiteral("Сумма"), sum}, {QStringLiteral("ПлательщикСчет"), payerAccount},
                {QStringLiteral("Плательщик1"), payer}, {QStringLiteral("ПолучательСчет"), payeeAccount},
                {QStringLiteral("Получатель1"), payee}, {QStringLiteral("НазначениеПлатежа"), purpose},
                {QStringLiteral("НовыйКлючБанка"), QStringLiteral("что угодно")}};
    f.insert(f.end(), extra.begin(), extra.end());
    return f;
}

} // namespace

TEST(BankStatement, ReadsEveryEncodingAndLineEndAsTheFileSaysOrItsBytesShow)
{
    // The code page tables against known bytes: Я, ё and № in each.
    EXPECT_EQ(encode(QStringLiteral("Яё№"), CodePage::Windows1251), QByteArray("\xDF\xB8\xB9"));
    EXPECT_EQ(encode(QStringLiteral("Яё№"), CodePage::Cp866), QByteArray("\x9F\xF1\xFC"));

    const QString payer = QStringLiteral("ООО \"Ёлка\" № 1");
    const Fields doc = payment(QStringLiteral("697162"), QStringLiteral("1500.00"), QStringLiteral("40702810000000000777"),
                               payer, kOurs, QStringLiteral("Мы"), QStringLiteral("Оплата по счёту № 5"));
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* encoding;
    };
    const QString windows = statementText({doc});
    const QString dos = statementText({doc}, QStringLiteral("Кодировка=DOS"));
    const QString undeclared = statementText({doc}, QStringLiteral("ВремяСоздания=10:00:00"));
    QString mixedEnds = windows;
    mixedEnds.replace(QStringLiteral("\r\nСекцияДокумент"), QStringLiteral("\rСекцияДокумент"));
    mixedEnds.replace(QStringLiteral("\r\nКонецФайла"), QStringLiteral("\nКонецФайла"));
    const std::vector<Case> cases = {
        {"Windows-1251 as declared", encode(windows, CodePage::Windows1251), "Windows-1251"},
        {"CP866 declared as DOS", encode(dos, CodePage::Cp866), "CP866"},
        {"CP866 undeclared", encode(undeclared, CodePage::Cp866), "CP866"},
        {"Windows-1251 undeclared", encode(undeclared, CodePage::Windows1251), "Windows-1251"},
        {"UTF-8 with a mark, declared Windows", "\xEF\xBB\xBF" + windows.toUtf8(), "UTF-8"},
        {"UTF-8 without a mark", undeclared.toUtf8(), "UTF-8"},
        {"mixed line ends", encode(mixedEnds, CodePage::Windows1251), "Windows-1251"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BankStatement statement = parseBankStatement(c.bytes);
        EXPECT_EQ(statement.encoding, QString::fromLatin1(c.encoding));
        EXPECT_EQ(statement.accounts, (QStringList{kOurs, kOursToo}));
        ASSERT_EQ(statement.documents.size(), 1u);
        const StatementDocument& d = statement.documents[0];
        EXPECT_EQ(d.payer.name, payer);
        EXPECT_EQ(d.purpose, QStringLiteral("Оплата по счёту № 5"));
        EXPECT_EQ(d.number, QStringLiteral("697162"));
        EXPECT_EQ(d.sum, Money::fromRoubles(1500));
        EXPECT_EQ(d.date, QDate(2026, 3, 2));
        EXPECT_EQ(d.line, 12);
    }
}

TEST(BankStatement, LenientWhereRealFilesAre)
{
    const Fields doc = {{QStringLiteral("Номер"), QStringLiteral(" 12 ")}, {QStringLiteral("Дата"), QStringLiteral("02.03.2026")},
                        {QStringLiteral("Сумма"), QStringLiteral("1000")}, {QStringLiteral("Сумма"), QStringLiteral("плохая")},
                        {QStringLiteral("ПлательщикИНН"), QStringLiteral(" 778899001122")},
                        {QStringLiteral("Плательщик"), QStringLiteral("ИНН 778899001122 Иванов")},
                        {QStringLiteral("ДатаСписано"), QString()}, {QStringLiteral("ПолучательРасчСчет"), kOurs}};
    BankStatement statement = parseBankStatement(statementText({doc}).toUtf8());
    ASSERT_EQ(statement.documents.size(), 1u);
    const StatementDocument& d = statement.documents[0];
    EXPECT_EQ(d.number, QStringLiteral("12"));
    EXPECT_EQ(d.sum, Money::fromRoubles(1000));
    EXPECT_EQ(d.payer.inn, QStringLiteral("778899001122"));
    EXPECT_EQ(d.payer.name, QStringLiteral("ИНН 778899001122 Иванов"));
    EXPECT_EQ(d.payee.account, kOurs);
    EXPECT_FALSE(d.debited.isValid());
}

TEST(BankStatement, AFileThatCannotBeReadIsNamedWithTheReasonInRussian)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("kl_to_1c.txt"));
    const struct {
        QString path;
        QString expected;
    } cases[] = {
        {missing, QStringLiteral("Не удалось открыть файл выписки: файла %1 нет. Проверьте путь").arg(missing)},
        {dir.path(), QStringLiteral("Не удалось открыть файл выписки: %1 — это папка, а не файл").arg(dir.path())},
    };
    for (const auto& c : cases) {
        const QString text = vi23::test::errorOf([&] { readBankStatementFile(c.path); });
        EXPECT_TRUE(text.startsWith(c.expected)) << text.toStdString();
    }
}

TEST(BankStatement, AMalformedFileIsRefusedNamingTheLine)
{
    const Fields good = payment(QStringLiteral("1"), QStringLiteral("10.50"), QStringLiteral("40702810000000000777"),
                                QStringLiteral("Альфа"), kOurs, QStringLiteral("Мы"), QStringLiteral("Оплата"));
    const QString text = statementText({good, good});   // documents at lines 12 and 23
    auto replaced = [&](const QString& from, const QString& to, int nth = 0) {
        QString t = text;
        qsizetype at = -1;
        for (int i = 0; i <= nth; ++i)
            at = t.indexOf(from, at + 1);
        return t.replace(at, from.size(), to);
    };
    struct Case {
        const char* name;
        QString text;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"no header", replaced(QStringLiteral("1CClientBankExchange"), QStringLiteral("Выписка")),
         "строка 1: нет заголовка «1CClientBankExchange»"},
        {"empty file", QString(), "строка 1: нет заголовка"},
        {"a section without its end", replaced(QStringLiteral("КонецДокумента\r\n"), QString()),
         "строка 22: секция документа из строки 12 не закрыта"},
        {"an account section without its end", replaced(QStringLiteral("КонецРасчСчет\r\n"), QString()),
         "строка 11: секция счёта из строки 8 не закрыта"},
        {"the last section cut off", text.left(text.lastIndexOf(QStringLiteral("КонецДокумента"))),
         "секция из строки 23 не закрыта до конца файла"},
        {"no end of file", replaced(QStringLiteral("КонецФайла"), QString()), "нет строки «КонецФайла»"},
        {"an end without a section", replaced(QStringLiteral("СекцияДокумент=Платежное поручение"), QStringLiteral("Комментарий=")),
         "строка 22: «КонецДокумента» без начала секции документа"},
        {"a date that does not exist", replaced(QStringLiteral("Дата=02.03.2026"), QStringLiteral("Дата=31.02.2026"), 1),
         "строка 25: неверная дата «31.02.2026» в поле Дата"},
        {"a date in another form", replaced(QStringLiteral("Дата=02.03.2026"), QStringLiteral("Дата=2026-03-02")),
         "строка 14: неверная дата «2026-03-02»"},
        {"a bad date in the header", replaced(QStringLiteral("ДатаСоздания=01.04.2026"), QStringLiteral("ДатаСоздания=1 апреля")),
         "строка 5: неверная дата «1 апреля»"},
        {"a sum with a space", replaced(QStringLiteral("Сумма=10.50"), QStringLiteral("Сумма=1 500,00")),
         "строка 15: неверная сумма «1 500,00»"},
        {"a negative sum", replaced(QStringLiteral("Сумма=10.50"), QStringLiteral("Сумма=-10.50"), 1),
         "строка 26: неверная сумма «-10.50»"},
        {"three decimals", replaced(QStringLiteral("Сумма=10.50"), QStringLiteral("Сумма=10.505")), "неверная сумма «10.505»"},
        {"no sum", replaced(QStringLiteral("Сумма=10.50"), QStringLiteral("Сумма=")), "строка 12: у документа нет суммы"},
        {"a sum of zero", replaced(QStringLiteral("Сумма=10.50"), QStringLiteral("Сумма=0.00"), 1),
         "строка 26: сумма документа равна нулю"},
        {"a NUL inside a name", replaced(QStringLiteral("Плательщик1=Альфа"), QStringLiteral("Плательщик1=Аль") + QChar(0) + QStringLiteral("фа")),
         "строка 17: в поле Плательщик1 управляющий символ с кодом 0"},
        {"a tab inside the purpose", replaced(QStringLiteral("НазначениеПлатежа=Оплата"), QStringLiteral("НазначениеПлатежа=Опл\tата"), 1),
         "строка 31: в поле НазначениеПлатежа управляющий символ с кодом 9"},
        {"a byte the code page has no letter for", replaced(QStringLiteral("Получатель1=Мы"), QStringLiteral("Получатель1=М") + QChar(0xFFFD)),
         "строка 19: в поле Получатель1 знак, которого нет в кодировке файла"},
        {"a ИНН with a letter", replaced(QStringLiteral("Плательщик1=Альфа"), QStringLiteral("ПлательщикИНН=770100000А")),
         "строка 17: «770100000А» в поле ПлательщикИНН: ИНН — 10 или 12 цифр"},
        {"a ИНН of eleven digits", replaced(QStringLiteral("Плательщик1=Альфа"), QStringLiteral("ПлательщикИНН=77010000011"), 1),
         "строка 28: «77010000011» в поле ПлательщикИНН"},
        {"a КПП of eight digits", replaced(QStringLiteral("Получатель1=Мы"), QStringLiteral("ПолучательКПП=77010100")),
         "строка 19: «77010100» в поле ПолучательКПП: КПП — 9 знаков"},
        {"the first day of the calendar", replaced(QStringLiteral("Дата=02.03.2026"), QStringLiteral("Дата=01.01.0001")),
         "строка 14: дата «01.01.0001» в поле Дата вне 1900–2099 годов"},
        {"the last day of the calendar", replaced(QStringLiteral("ДатаНачала=01.03.2026"), QStringLiteral("ДатаНачала=31.12.9999")),
         "строка 9: дата «31.12.9999» в поле ДатаНачала вне 1900–2099 годов"},
        {"a document in another encoding",
         replaced(QStringLiteral("СекцияДокумент=Платежное поручение"),
                  decodeCodePage(QStringLiteral("СекцияДокумент=Платежное поручение").toUtf8(), CodePage::Windows1251), 1),
         "строка 23: ключ «"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString error = errorOf([&] { parseBankStatement(encode(c.text, CodePage::Windows1251)); });
        EXPECT_TRUE(error.startsWith(QStringLiteral("Выписка не загружена: "))) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.expected))) << error.toStdString();
    }
}

TEST(BankStatement, TheBanksTotalsAndDatesMustMakeItAStatementOfTheseDocuments)
{
    const QString other = QStringLiteral("40702810000000000777");
    const std::vector<Fields> documents = {
        payment(QStringLiteral("1"), QStringLiteral("169992.00"), kOurs, QStringLiteral("Мы"), other, QStringLiteral("Поставщик"),
                QStringLiteral("Оплата")),
        payment(QStringLiteral("2"), QStringLiteral("500.50"), other, QStringLiteral("Покупатель"), kOurs, QStringLiteral("Мы"),
                QStringLiteral("Оплата")),
    };
    auto section = [](const char* opening, const char* in, const char* out, const char* closing) {
        return kSection + QStringList{QStringLiteral("НачальныйОстаток=") + QLatin1String(opening),
                                      QStringLiteral("ВсегоПоступило=") + QLatin1String(in),
                                      QStringLiteral("ВсегоСписано=") + QLatin1String(out),
                                      QStringLiteral("КонечныйОстаток=") + QLatin1String(closing)};
    };
    Fields dated = documents[0];
    dated.push_back({QStringLiteral("ДатаСписано"), QStringLiteral("02.03.2026")});
    const struct {
        const char* name;
        QString text;
        const char* error;   // nullptr: read
    } cases[] = {
        {"totals that agree", statementText(documents, QStringLiteral("Кодировка=Windows"), section("200000", "500.50", "169992", "30508.50")),
         nullptr},
        {"only some totals", statementText(documents, QStringLiteral("Кодировка=Windows"), kSection + QStringList{QStringLiteral("ВсегоПоступило=500.5")}),
         nullptr},
        {"more debited than the documents", statementText(documents, QStringLiteral("Кодировка=Windows"), section("1000000", "500.50", "789647.44", "210853.06")),
         "строка 8: по счёту 40702810900000000001 в выписке «ВсегоСписано» 789647,44, а документов на 169992,00; разница 619655,44"},
        {"less credited than the documents", statementText(documents, QStringLiteral("Кодировка=Windows"), section("200000", "500", "169992", "30508")),
         "строка 8: по счёту 40702810900000000001 в выписке «ВсегоПоступило» 500,00, а документов на 500,50; разница -0,50"},
        {"a closing balance that does not follow", statementText(documents, QStringLiteral("Кодировка=Windows"), section("200000", "500.50", "169992", "30000")),
         "строка 8: остатки счёта 40702810900000000001 не сходятся: 200000,00 + 500,50 − 169992,00 = 30508,50, а «КонечныйОстаток» 30000,00; разница 508,50"},
        {"orders for the bank", statementText(documents, QStringLiteral("Кодировка=Windows"), {}),
         "файл платёжных поручений для банка, а не выписка"},
        {"no account section but the bank's dates", statementText({dated, documents[1]}, QStringLiteral("Кодировка=Windows"), {}), nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString error = errorOf([&] { parseBankStatement(encode(c.text, CodePage::Windows1251)); });
        if (c.error)
            EXPECT_TRUE(error.startsWith(QStringLiteral("Выписка не загружена: ") + QString::fromUtf8(c.error))) << error.toStdString();
        else
            EXPECT_EQ(error, QStringLiteral("(no error)"));
    }
}

class BankImport : public ::testing::Test {
protected:
    void SetUp() override
    {
        file.sql(QStringLiteral(
                     "UPDATE pr1 SET np = 'ООО Ромашка', rs = '%1';"
                     "INSERT INTO sr (sr, vr) VALUES ('Оплата от покупателя', 'Приход'), ('Оплата поставщику', 'Расход'),"
                     " ('Аренда', 'Расход'), ('Прочий доход', 'Приход');"
                     "INSERT INTO k (k, unn) VALUES ('ООО Альфа', '7701000001/770101001'), ('ИП Петров', NULL);"
                     "INSERT INTO import_rules (kind, pattern, sr) VALUES ('Назначение', 'возврат', 'Аренда'),"
                     " ('Назначение', 'аренд', 'Аренда'), ('Контрагент', 'петров', 'Прочий доход');")
                     .arg(kOurs));
        store = file.openStore();
    }

    // Incoming, outgoing, found by ИНН and by name, new, own-account, undecided, repeated.
    QByteArray statementBytes() const
    {
        const QString stranger = QStringLiteral("40702810000000000999");
        const QString gamma = QStringLiteral("40702810000000000333");
        return encode(
            statementText({
                payment(QStringLiteral("697162"), QStringLiteral("15000.00"), QStringLiteral("40702810000000000111"),
                        QStringLiteral("АЛЬФА ООО"), kOurs, QStringLiteral("ООО Ромашка"), QStringLiteral("Оплата по счёту 5"),
                        {{QStringLiteral("ПлательщикИНН"), QStringLiteral("7701000001")},
                         {QStringLiteral("ДатаПоступило"), QStringLiteral("03.03.2026")}}),
                payment(QStringLiteral("15"), QStringLiteral("30000"), kOurs, QStringLiteral("ООО Ромашка"), gamma,
                        QStringLiteral("ООО «Гамма»"), QStringLiteral("Арендная плата за март"),
                        {{QStringLiteral("ПолучательИНН"), QStringLiteral("7702000002")},
                         {QStringLiteral("ПолучательКПП"), QStringLiteral("770201001")},
                         {QStringLiteral("ПолучательБанк1"), QStringLiteral("ПАО СБЕРБАНК")},
                         {QStringLiteral("ДатаСписано"), QStringLiteral("02.03.2026")}}),
                payment(QStringLiteral("16"), QStringLiteral("1200.50"), kOurs, QStringLiteral("ООО Ромашка"), gamma,
                        QStringLiteral("ооо «гамма»"), QStringLiteral("За товар")),
                payment(QStringLiteral("17"), QStringLiteral("5000"), kOurs, QStringLiteral("ООО Ромашка"), kOursToo,
                        QStringLiteral("ООО Ромашка"), QStringLiteral("Перевод собственных средств")),
                payment(QStringLiteral("44"), QStringLiteral("700"), QStringLiteral("40802810000000000444"),
                        QStringLiteral("ип петров"), kOurs, QStringLiteral("ООО Ромашка"), QStringLiteral("Возврат аренды")),
                payment(QStringLiteral("9"), QStringLiteral("1"), stranger, QStringLiteral("Кто-то"), stranger,
                        QStringLiteral("Кто-то ещё"), QStringLiteral("Не наше")),
                payment(QStringLiteral("697162"), QStringLiteral("15000.00"), QStringLiteral("40702810000000000111"),
                        QStringLiteral("АЛЬФА ООО"), kOurs, QStringLiteral("ООО Ромашка"), QStringLiteral("Оплата по счёту 5"),
                        {{QStringLiteral("ДатаПоступило"), QStringLiteral("03.03.2026")}}),
            }),
            CodePage::Windows1251);
    }

    QStringList journal() { return rowsOf(store->database(), QStringLiteral("SELECT dd, nn, dok, sr, vr, s, k FROM jur ORDER BY n")); }

    TempDatabase file;
    std::unique_ptr<DataStore> store;
};

TEST_F(BankImport, EachPaymentBecomesAJournalRowWithItsCounterpartyOperationAndKind)
{
    Database& db = store->database();
    ImportPlan plan = planImport(db, parseBankStatement(statementBytes()));
    QStringList decided;
    for (const ImportLine& l : plan.lines)
        decided << QStringLiteral("%1 %2 %3 %4").arg(l.number, l.add ? u"+" : u"-", l.counterparty, l.reason);
    EXPECT_EQ(decided, (QStringList{
                           QStringLiteral("697162 + ООО Альфа "),
                           QStringLiteral("15 + ООО «Гамма» "),
                           QStringLiteral("16 + ООО «Гамма» "),
                           QStringLiteral("17 -  перевод между своими счетами"),
                           QStringLiteral("44 + ИП Петров "),
                           QStringLiteral("9 -  не определено направление: ни один счёт документа не указан как свой"),
                           QStringLiteral("697162 - АЛЬФА ООО документ повторяется в файле"),
                       }));
    ASSERT_EQ(plan.counterparties.size(), 1u);
    EXPECT_EQ(applyImport(db, plan), 4);

    EXPECT_EQ(journal(), (QStringList{
                             QStringLiteral("2026-03-03|697162|ПП|Оплата от покупателя|Приход|150000000|ООО Альфа"),
                             QStringLiteral("2026-03-02|15|ПП|Аренда|Расход|300000000|ООО «Гамма»"),
                             QStringLiteral("2026-03-02|16|ПП|Оплата поставщику|Расход|12005000|ООО «Гамма»"),
                             QStringLiteral("2026-03-02|44|ПП|Прочий доход|Приход|7000000|ИП Петров"),
                         }));
    EXPECT_EQ(rowsOf(db, QStringLiteral("SELECT k, unn, b, dd IS NOT NULL FROM k ORDER BY rowid")),
              (QStringList{QStringLiteral("ООО Альфа|7701000001/770101001||0"), QStringLiteral("ИП Петров|||0"),
                           QStringLiteral("ООО «Гамма»|7702000002/770201001|р/с 40702810000000000333 в ПАО СБЕРБАНК|1")}));

    // The books read the imported rows as any journal row.
    DataSet& bank = store->dataSet(u"ADOQuery_bank");
    bank.open();
    QStringList bankBook;
    for (bank.first(); !bank.eof(); bank.next())
        bankBook << QStringList{bank.text(u"dd"), bank.text(u"nn"), bank.text(u"d"), bank.text(u"k1")}.join(u'|');
    EXPECT_EQ(bankBook, (QStringList{QStringLiteral("02.03.2026|15|0|30000"), QStringLiteral("02.03.2026|16|0|1200,5"),
                                     QStringLiteral("02.03.2026|44|700|0"), QStringLiteral("03.03.2026|697162|15000|0")}));
    DataSet& book = store->dataSet(u"ADOQuery11");
    book.open();
    Money income, expense;
    for (book.first(); !book.eof(); book.next()) {
        income += book.money(u"d");
        expense += book.money(u"k");
    }
    EXPECT_EQ(income, Money::fromRoubles(15700));
    EXPECT_EQ(expense, Money::fromUnits(312005000));
}

TEST_F(BankImport, AStatementImportedTwiceAddsNothing)
{
    Database& db = store->database();
    applyImport(db, planImport(db, parseBankStatement(statementBytes())));
    const QStringList before = journal();
    ImportPlan again = planImport(db, parseBankStatement(statementBytes()));
    EXPECT_EQ(again.added(), 0);
    EXPECT_EQ(std::count_if(again.lines.begin(), again.lines.end(), [](const ImportLine& l) { return l.reason == u"уже загружен"; }), 5);
    EXPECT_TRUE(again.counterparties.empty());
    EXPECT_EQ(applyImport(db, again), 0);
    EXPECT_EQ(journal(), before);
    EXPECT_EQ(rowsOf(db, QStringLiteral("SELECT count(*) FROM k")), QStringList{QStringLiteral("3")});
}

TEST_F(BankImport, AFailureInTheMiddleStoresNothing)
{
    Database& db = store->database();
    ImportPlan plan = planImport(db, parseBankStatement(statementBytes()));
    // A later row that the store refuses: nothing of the earlier rows or the new counterparty stays.
    plan.lines[4].counterparty = QString(251, u'я');
    EXPECT_TRUE(errorOf([&] { applyImport(db, plan); }).contains(QStringLiteral("значение не подходит для поля")));
    EXPECT_TRUE(journal().isEmpty());
    EXPECT_EQ(rowsOf(db, QStringLiteral("SELECT count(*) FROM k")), QStringList{QStringLiteral("2")});
    EXPECT_EQ(rowsOf(db, QStringLiteral("SELECT count(*) FROM bank_imports")), QStringList{QStringLiteral("0")});
}

TEST_F(BankImport, APaymentWithoutAnOperationOfItsKindIsSkippedAndAddsNoCounterparty)
{
    Database& db = store->database();
    db.exec(QStringLiteral("DELETE FROM sr WHERE vr = 'Расход'; UPDATE sr SET vr = 'приход' WHERE sr = 'Прочий доход'"));
    ImportPlan plan = planImport(db, parseBankStatement(statementBytes()));
    QStringList decided;
    for (const ImportLine& l : plan.lines)
        decided << QStringLiteral("%1 %2 %3 %4").arg(l.number, l.add ? u"+" : u"-", l.operation, l.kind);
    EXPECT_EQ(decided[0], QStringLiteral("697162 + Оплата от покупателя Приход"));
    EXPECT_EQ(decided[1], QStringLiteral("15 -  "));
    EXPECT_EQ(decided[4], QStringLiteral("44 + Прочий доход Приход"));   // the kind as the journal keeps it
    EXPECT_EQ(plan.lines[1].reason, QStringLiteral("нет типовой операции вида «Расход»: добавьте её и загрузите выписку снова"));
    EXPECT_TRUE(plan.counterparties.empty());
}

TEST_F(BankImport, AStatementOfAnotherOwnerIsRefusedUnlessAccepted)
{
    Database& db = store->database();
    const BankStatement statement = parseBankStatement(statementBytes());
    const struct {
        const char* name;
        QString requisites;
        bool ours;
    } cases[] = {
        {"our account", QStringLiteral("UPDATE pr1 SET rs = '%1', unn = NULL").arg(kOurs), true},
        {"our ИНН on the statement's side", QStringLiteral("UPDATE pr1 SET rs = '40702810000000000123', unn = '7709000009/770901001'"), true},
        {"neither", QStringLiteral("UPDATE pr1 SET rs = '40702810000000000123', unn = '7701000001/770101001'"), false},
        {"empty requisites", QStringLiteral("UPDATE pr1 SET rs = NULL, unn = NULL"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        db.exec(c.requisites);
        // The statement's owner pays the rent with our ИНН in the second case.
        BankStatement owned = statement;
        owned.documents[1].payer.inn = QStringLiteral("7709000009");
        const QString foreign = foreignStatement(db, owned);
        EXPECT_EQ(foreign.isEmpty(), c.ours) << foreign.toStdString();
        const QString error = errorOf([&] { planImport(db, owned); });
        if (c.ours) {
            EXPECT_EQ(error, QStringLiteral("(no error)"));
        } else {
            EXPECT_TRUE(foreign.startsWith(QStringLiteral("Выписка по счёту 40702810900000000001, 40702810900000000002 (ООО Ромашка, ИНН 7709000009) "
                                                          "не относится к предприятию"))) << foreign.toStdString();
            EXPECT_EQ(error, QStringLiteral("Выписка не загружена. ") + foreign);
            EXPECT_EQ(planImport(db, owned, {true, {}}).added(), 4);
        }
    }
}

TEST_F(BankImport, ACheckMeetsWhatTheImportWouldAndACancelStoresNothing)
{
    Database& db = store->database();
    const QStringList before = journal();
    ImportPlan plan = planImport(db, parseBankStatement(statementBytes()));
    EXPECT_EQ(applyImport(db, plan, ApplyMode::TryOnly), 4);
    EXPECT_EQ(journal(), before);
    EXPECT_EQ(rowsOf(db, QStringLiteral("SELECT count(*) FROM k")), QStringList{QStringLiteral("2")});

    // Asked after every 256 documents and at the end; "no" stops the work with nothing written.
    for (const ImportLine& line : std::vector<ImportLine>(600, plan.lines[3]))
        plan.lines.push_back(line);
    std::vector<std::pair<int, int>> asked;
    const QString cancelled = errorOf([&] {
        applyImport(db, plan, ApplyMode::Store, [&](int done, int total) {
            asked.push_back({done, total});
            return done < 512;
        });
    });
    EXPECT_EQ(cancelled, ImportCancelled().text());
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{256, 607}, {512, 607}}));
    EXPECT_EQ(journal(), before);
    EXPECT_EQ(rowsOf(db, QStringLiteral("SELECT count(*) FROM bank_imports")), QStringList{QStringLiteral("0")});
    EXPECT_EQ(errorOf([&] { planImport(db, parseBankStatement(statementBytes()), {false, [](int, int) { return false; }}); }),
              ImportCancelled().text());

    // Our account longer than the store keeps is refused while planning, naming the document.
    BankStatement statement = parseBankStatement(statementBytes());
    const QString longAccount(41, u'4');
    statement.accounts << longAccount;
    statement.documents[1].payer.account = longAccount;
    EXPECT_EQ(errorOf([&] { planImport(db, statement); }),
              QStringLiteral("Выписка не загружена: строка 25: номер счёта «%1» длиннее 40 знаков").arg(longAccount));
}
