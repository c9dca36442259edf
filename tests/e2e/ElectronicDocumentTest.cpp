// Electronic documents as "Выгрузить для ЭДО…" and vi23-print --edo make them from stored documents:
// every file validates against the format's schema (xmllint) and keeps the rules of the checker the
// schema embeds, holds the printed figures, is named by its identifier and is Windows-1251; what
// cannot make a valid file is refused by name and nothing is written.
#include "PrintFixture.h"

#include "data/Database.h"
#include "data/EnterpriseSettings.h"
#include "data/Error.h"
#include "documents/ElectronicDocument.h"
#include "tests/ToolRun.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <functional>
#include <map>

#include <gtest/gtest.h>

namespace vi23::e2e {
namespace {

using ::vi23::test::Outcome;

QString u(const char16_t* text)
{
    return QString::fromUtf16(text);
}

const ExchangeStamp kStamp{QDateTime(QDate(2026, 12, 9), QTime(14, 5, 9)),
                           QUuid(QStringLiteral("{0b7c2f6e-5a1d-4c3b-9e8f-1a2b3c4d5e6f}"))};
const QString kSellerId = QStringLiteral("2BM-6950000001-695001001");
const QString kBuyerId = QStringLiteral("2AL-5020000002-502001001");
const QString kBuyer = u(u"ООО «Ромашка»");

// An element of a file: where it stands, its attributes and its text.
struct Node {
    QString path;    // "Файл/Документ/ТаблСчФакт/СведТов"
    std::map<QString, QString> attributes;
    QString text;
    QString operator[](QStringView name) const
    {
        const auto it = attributes.find(name.toString());
        return it == attributes.end() ? QString() : it->second;
    }
};

std::vector<Node> nodesOf(const QByteArray& bytes)
{
    std::vector<Node> nodes;
    std::vector<size_t> open;
    QXmlStreamReader in(bytes);
    while (!in.atEnd()) {
        in.readNext();
        if (in.isStartElement()) {
            Node n{open.empty() ? in.name().toString() : nodes[open.back()].path + u'/' + in.name().toString(), {}, {}};
            for (const QXmlStreamAttribute& a : in.attributes())
                n.attributes[a.name().toString()] = a.value().toString();
            open.push_back(nodes.size());
            nodes.push_back(n);
        } else if (in.isCharacters() && !in.isWhitespace() && !open.empty()) {
            nodes[open.back()].text += in.text();
        } else if (in.isEndElement()) {
            open.pop_back();
        }
    }
    EXPECT_FALSE(in.hasError()) << in.errorString().toStdString();
    return nodes;
}

// The elements whose path ends with `tail`.
std::vector<Node> find(const std::vector<Node>& nodes, QStringView tail)
{
    std::vector<Node> found;
    for (const Node& n : nodes) {
        if (n.path == tail || n.path.endsWith(u'/' + tail.toString()))
            found.push_back(n);
    }
    return found;
}

Node one(const std::vector<Node>& nodes, QStringView tail)
{
    const std::vector<Node> found = find(nodes, tail);
    EXPECT_EQ(found.size(), 1u) << tail.toString().toStdString();
    return found.empty() ? Node{} : found[0];
}

// usch:iif(c, t, e) of the checker as XPath 1.0: (c and t) or (not(c) and e), nested ones too.
QString plainXPath(const QString& test)
{
    const QString iif = QStringLiteral("usch:iif(");
    const qsizetype start = test.indexOf(iif);
    if (start < 0)
        return test;
    QStringList arguments{QString()};
    int depth = 0;
    qsizetype i = start + iif.size();
    for (bool quoted = false; i < test.size(); ++i) {
        const QChar c = test[i];
        quoted = c == u'\'' ? !quoted : quoted;
        if (!quoted && c == u'(')
            ++depth;
        if (!quoted && c == u')' && depth-- == 0)
            break;
        if (!quoted && c == u',' && depth == 0)
            arguments << QString();
        else
            arguments.back() += c;
    }
    EXPECT_EQ(arguments.size(), 3) << test.toStdString();
    const QString replaced = QStringLiteral("((%1) and (%2)) or (not(%1) and (%3))")
                                 .arg(plainXPath(arguments.value(0)), plainXPath(arguments.value(1)),
                                      plainXPath(arguments.value(2)));
    return plainXPath(test.left(start) + replaced + test.mid(i + 1));
}

// The asserts of the checker the schema embeds (xmllint does not run them), each as one XPath over a
// whole file counting the elements of its context that break it.
QStringList checkerRules(const QString& fileName)
{
    static QStringList rules;
    if (rules.isEmpty()) {
        QFile schema(QStringLiteral(VI23_EDO_SCHEMA));
        EXPECT_TRUE(schema.open(QIODevice::ReadOnly));
        QXmlStreamReader in(&schema);
        QString context;
        while (!in.atEnd()) {
            in.readNext();
            if (in.isStartElement() && in.qualifiedName() == u"sch:rule")
                context = in.attributes().value(QStringLiteral("context")).toString();
            if (in.isStartElement() && in.qualifiedName() == u"sch:assert")
                rules << QStringLiteral("count(//%1[not(%2)])")
                             .arg(context, plainXPath(in.attributes().value(QStringLiteral("test")).toString().simplified()));
        }
        EXPECT_FALSE(in.hasError()) << in.errorString().toStdString();
        EXPECT_GE(rules.size(), 50);
    }
    QStringList named = rules;
    const QString id = QFileInfo(fileName).completeBaseName();
    named.replaceInStrings(QStringLiteral("usch:getFileName()"), QStringLiteral("'%1'").arg(id));
    return named;
}

// Empty when the file, written under its own name, validates against the schema and keeps every rule
// of its checker; else what fails.
QString problemsOf(const ExchangeFile& file)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(file.name);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(file.bytes) != file.bytes.size())
        return QStringLiteral("cannot write ") + path;
    out.close();
    const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    if (xmllint.isEmpty())
        return QStringLiteral("xmllint (libxml2-utils) is not installed: scripts/deps.sh");
    const Outcome schema = test::run(xmllint, {QStringLiteral("--noout"), QStringLiteral("--schema"),
                                                       QStringLiteral(VI23_EDO_SCHEMA), path}, dir.path());
    if (schema.exitCode != 0)
        return schema.err;
    const QStringList rules = checkerRules(file.name);
    const Outcome counts = test::run(xmllint, {QStringLiteral("--xpath"),
                                                       QStringLiteral("concat(%1)").arg(rules.join(QStringLiteral(",' ',"))),
                                                       path}, dir.path());
    if (counts.exitCode != 0)
        return counts.err;
    const QStringList broken = counts.out.split(u' ');
    QString problems;
    for (qsizetype i = 0; i < rules.size(); ++i) {
        if (broken.value(i).trimmed() != u"0")
            problems += rules[i] + u'\n';
    }
    return problems;
}

// The enterprise's participant id and signer, the buyer listed with its id.
void fillExchangeRequisites(PrintFixture& f)
{
    DataSet& pr1 = f.store().dataSet(u"ADOTable_pr1");
    pr1.first();
    pr1.edit();
    pr1.setText(u"edo_id", kSellerId);
    pr1.setText(u"signer_surname", u(u"Петров"));
    pr1.setText(u"signer_name", u(u"Петр"));
    pr1.setText(u"signer_patronymic", u(u"Петрович"));
    pr1.setText(u"signer_position", u(u"Директор"));
    pr1.post();
    DataSet& k = f.store().dataSet(u"ADOTable_k");
    k.append();
    k.setText(u"k", kBuyer);
    k.setText(u"edo_id", kBuyerId);
    k.post();
}

ExchangeFile exchange(PrintFixture& f, long long key)
{
    Database& db = f.store().database();
    const IssuedDocument document = readIssuedDocument(db, key);
    return makeExchangeFile(document, readExchangeRequisites(db, document.buyer), kStamp);
}

// Runs a statement over the fixture's file, as another writer of the record would leave it.
void sql(PrintFixture& f, const QString& statement, const QStringList& arguments = {})
{
    Statement s = f.store().database().prepare(statement);
    for (int i = 0; i < int(arguments.size()); ++i)
        s.bind(i + 1, Value(arguments[i]));
    s.run();
}

class ElectronicDocuments : public ::testing::Test {
protected:
    void SetUp() override
    {
        f.fillReferenceLists();
        fillExchangeRequisites(f);
    }

    PrintFixture f;
};

TEST_F(ElectronicDocuments, EachKindMakesAValidFileOfItsFunction)
{
    struct Case {
        const char16_t* kind;
        int status;
        const char16_t* function;
        const char16_t* documentName;     // none for the VAT invoice
        bool transfer, consignee, shipmentDocument, contract;
    };
    const Case cases[] = {
        {u"Счет-фактура", 1, u"СЧФ", nullptr, false, true, true, false},
        {u"УПД", 1, u"СЧФДОП",
         u"Счет-фактура и документ об отгрузке товаров (выполнении работ), передаче имущественных прав (документ "
         u"об оказании услуг)", true, true, true, false},
        {u"УПД", 2, u"ДОП",
         u"Документ об отгрузке товаров (выполнении работ), передаче имущественных прав (документ об оказании услуг)",
         true, true, true, false},
        {u"Товарная накладная", 1, u"ДОП", u"Товарная накладная", true, true, false, true},
        {u"Акт", 1, u"ДОП", u"Акт выполненных работ", true, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.kind).toStdString() + " " + std::to_string(c.status));
        const long long key = f.addDocument(u(c.kind));
        if (c.status != 1)
            setTransferStatus(f.store().database(), key, c.status);
        const ExchangeFile file = exchange(f, key);
        EXPECT_EQ(problemsOf(file), QString());
        // The name is the identifier: recipient's id, sender's id, the day it is made, its GUID.
        EXPECT_EQ(file.name, QStringLiteral("ON_NSCHFDOPPR_%1_%2_20261209_0b7c2f6e-5a1d-4c3b-9e8f-1a2b3c4d5e6f.xml")
                                 .arg(kBuyerId, kSellerId));
        const std::vector<Node> nodes = nodesOf(file.bytes);
        EXPECT_EQ(one(nodes, u"Файл")[u"ИдФайл"] + QStringLiteral(".xml"), file.name);
        const Node document = one(nodes, u"Файл/Документ");
        EXPECT_EQ(document[u"Функция"], u(c.function));
        EXPECT_EQ(document[u"НаимДокОпр"], c.documentName ? u(c.documentName) : QString());
        EXPECT_EQ(document[u"ПоФактХЖ"].isEmpty(), c.documentName == nullptr);
        EXPECT_EQ(document[u"ДатаИнфПр"], QStringLiteral("09.12.2026"));
        EXPECT_EQ(document[u"ВремИнфПр"], QStringLiteral("14.05.09"));
        EXPECT_EQ(one(nodes, u"СвСчФакт")[u"ДатаДок"], QStringLiteral("05.11.2024"));
        EXPECT_EQ(find(nodes, u"ТаблСчФакт/СведТов").size(), 3u);
        EXPECT_EQ(find(nodes, u"СвПродПер/СвПер").size(), c.transfer ? 1u : 0u);
        EXPECT_EQ(find(nodes, u"СвСчФакт/ГрузПолуч").size(), c.consignee ? 1u : 0u);
        EXPECT_EQ(find(nodes, u"ДокПодтвОтгрНом").size(), c.shipmentDocument ? 1u : 0u);
        // Line (5) of the invoice forms is the buyer's payment; the act and the note name the contract.
        EXPECT_EQ(find(nodes, u"СвПРД").size(), c.shipmentDocument ? 1u : 0u);
        const std::vector<Node> contract = find(nodes, u"СвПер/ОснПер");
        EXPECT_EQ(contract.size(), c.contract ? 1u : 0u);
        for (const Node& n : contract)
            EXPECT_EQ(n[u"РеквНомерДок"] + u' ' + n[u"РеквДатаДок"], QStringLiteral("42 03.11.2024"));
        const Node signer = one(nodes, u"Подписант/ФИО");
        EXPECT_EQ(signer[u"Фамилия"] + u' ' + signer[u"Имя"] + u' ' + signer[u"Отчество"], u(u"Петров Петр Петрович"));
    }
}

// Half away from zero in whole numbers, written here again: the expected figures do not come from
// the code that writes them.
long long dividedRounded(long long value, long long divisor)
{
    return (value * 2 + divisor) / (2 * divisor);
}

QString kopecks(long long value)
{
    return QStringLiteral("%1.%2").arg(value / 100).arg(value % 100, 2, 10, QChar(u'0'));
}

TEST_F(ElectronicDocuments, EveryRateIsTheFormatsTextAndSumsHaveTwoPlaces)
{
    const std::pair<int, const char16_t*> rates[] = {{22, u"22%"}, {20, u"20%"}, {18, u"18%"}, {10, u"10%"},
                                                     {7, u"7%"},   {5, u"5%"},   {0, u"0%"},   {kVatExempt, u"без НДС"}};
    for (const auto& [rate, text] : rates) {
        SCOPED_TRACE(rate);
        const QString name = QStringLiteral("Товар ") + u(text);
        f.addGoods(name, rate);
        // 3,5 × 10,15 = 35,525 → 35,53; the VAT rounds a half away from zero as the print does.
        const ExchangeFile file = exchange(f, f.addDocument(u(u"УПД"), {{name, QStringLiteral("3,5"), QStringLiteral("10,15")}}));
        EXPECT_EQ(problemsOf(file), QString());
        const std::vector<Node> nodes = nodesOf(file.bytes);
        const Node line = one(nodes, u"СведТов");
        const long long vat = rate > 0 ? dividedRounded(3553 * rate, 100) : 0;
        EXPECT_EQ(line[u"НалСт"], u(text));
        EXPECT_EQ(line[u"КолТов"], QStringLiteral("3.5"));
        EXPECT_EQ(line[u"ЦенаТов"], QStringLiteral("10.15"));
        EXPECT_EQ(line[u"СтТовБезНДС"], QStringLiteral("35.53"));
        EXPECT_EQ(line[u"СтТовУчНал"], kopecks(3553 + vat));
        const Node total = one(nodes, u"ВсегоОпл");
        EXPECT_EQ(total[u"СтТовУчНалВсего"], kopecks(3553 + vat));
        // An exempt line and an exempt document state no VAT at all, not a zero.
        const bool exempt = rate == kVatExempt;
        EXPECT_EQ(find(nodes, u"СведТов/СумНал/БезНДС").size(), exempt ? 1u : 0u);
        EXPECT_EQ(find(nodes, u"ВсегоОпл/СумНалВсего/БезНДС").size(), exempt ? 1u : 0u);
        if (!exempt) {
            EXPECT_EQ(one(nodes, u"СведТов/СумНал/СумНал").text, kopecks(vat));
            EXPECT_EQ(one(nodes, u"СумНалВсего/СумНал").text, kopecks(vat));
        }
    }
    // A rate the format does not know (a record of another program) is refused naming the line.
    IssuedDocument document = readIssuedDocument(f.store().database(), f.addDocument(u(u"Счет-фактура")));
    document.lines[1].rate = 15;
    try {
        makeExchangeFile(document, readExchangeRequisites(f.store().database(), kBuyer), kStamp);
        ADD_FAILURE() << "a file was made";
    } catch (const UserError& e) {
        EXPECT_EQ(e.text(), u(u"Строка 2 («Ручка гелевая»): ставка 15 % недопустима в формате"));
    }
}

TEST_F(ElectronicDocuments, ASoleTraderAndABuyerAbroadAreStatedAsTheFormatAsks)
{
    struct Case {
        const char16_t* what;
        const char16_t* sellerName;
        const char16_t* sellerInn;
        const char16_t* registration;
        const char16_t* buyer;
        const char16_t* buyerInn;
        const char16_t* country;
        const char16_t* sellerId;         // the element under ИдСв
        const char16_t* buyerId;
        std::vector<std::pair<const char16_t*, const char16_t*>> attributes;   // path@attribute, value
    };
    const Case cases[] = {
        {u"organisations", u"ООО «Север»", u"6950000001/695001001", u"", u"ООО «Ромашка»", u"5020000002/502001001",
         u"", u"СвЮЛУч", u"СвЮЛУч",
         {{u"СвПрод/ИдСв/СвЮЛУч@ИННЮЛ", u"6950000001"}, {u"СвПрод/ИдСв/СвЮЛУч@КПП", u"695001001"},
          {u"СвПокуп/ИдСв/СвЮЛУч@НаимОрг", u"ООО «Ромашка»"}, {u"СвПокуп/Адрес/АдрИнф@КодСтр", u"643"}}},
        {u"sole traders", u"ИП Петров Петр Петрович", u"690200112233", u"ОГРНИП 304690000000011 от 15.03.2012",
         u"ИП Смирнова Ольга Петровна", u"690300445566", u"", u"СвИП", u"СвИП",
         {{u"СвПрод/ИдСв/СвИП@ИННФЛ", u"690200112233"}, {u"СвПрод/ИдСв/СвИП@ОГРНИП", u"304690000000011"},
          {u"СвПрод/ИдСв/СвИП@ДатаОГРНИП", u"15.03.2012"}, {u"СвПрод/ИдСв/СвИП/ФИО@Фамилия", u"Петров"},
          {u"СвПокуп/ИдСв/СвИП/ФИО@Отчество", u"Петровна"}, {u"СвПокуп/ИдСв/СвИП@ИННФЛ", u"690300445566"}}},
        {u"a buyer abroad", u"ООО «Север»", u"6950000001/695001001", u"", u"ТОО «Степь»", u"123456789012",
         u"Казахстан", u"СвЮЛУч", u"СвИнНеУч",
         {{u"СвПокуп/ИдСв/СвИнНеУч@КодСтр", u"398"}, {u"СвПокуп/ИдСв/СвИнНеУч@Идентиф", u"123456789012"},
          {u"СвПокуп/ИдСв/СвИнНеУч@ИдСтат", u"ИО"}, {u"СвПокуп/Адрес/АдрИнф@КодСтр", u"398"},
          {u"СвПокуп/Адрес/АдрИнф@НаимСтран", u"Казахстан"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.what).toStdString());
        sql(f, QStringLiteral("UPDATE pr1 SET np = ?1, unn = ?2, rup = ?3"), {u(c.sellerName), u(c.sellerInn), u(c.registration)});
        sql(f, QStringLiteral("INSERT INTO k (k, edo_id, country) VALUES (?1, '2AE-1234', ?2)"), {u(c.buyer), u(c.country)});
        for (const char16_t* kind : {u"УПД", u"Акт"}) {
            const long long key = f.addDocument(u(kind));
            sql(f, QStringLiteral("UPDATE jur1 SET z = ?1, unn = ?2 WHERE k = ?3"),
                {u(c.buyer), u(c.buyerInn), QString::number(key)});
            const ExchangeFile file = exchange(f, key);
            EXPECT_EQ(problemsOf(file), QString()) << u(kind).toStdString();
            const std::vector<Node> nodes = nodesOf(file.bytes);
            EXPECT_EQ(find(nodes, u(u"СвПрод/ИдСв/") + u(c.sellerId)).size(), 1u);
            EXPECT_EQ(find(nodes, u(u"СвПокуп/ИдСв/") + u(c.buyerId)).size(), 1u);
            for (const auto& [where, value] : c.attributes) {
                const QStringList parts = u(where).split(u'@');
                EXPECT_EQ(one(nodes, parts[0])[parts[1]], u(value)) << u(where).toStdString();
            }
        }
    }
}

TEST(ElectronicDocumentRefusals, WhatCannotMakeAValidFileIsNamedAndNothingIsWritten)
{
    struct Case {
        const char* what;
        std::function<void(PrintFixture&, const QString& key)> change;
        const char16_t* message;    // after "Файл для ЭДО не записан. "
    };
    const Case cases[] = {
        {"no buyer ИНН", [](PrintFixture& f, const QString& k) { sql(f, u(u"UPDATE jur1 SET unn = '' WHERE k = ?1"), {k}); },
         u"У покупателя «ООО «Ромашка»» не заполнен ИНН"},
        {"no buyer КПП", [](PrintFixture& f, const QString& k) { sql(f, u(u"UPDATE jur1 SET unn = '5020000002' WHERE k = ?1"), {k}); },
         u"У покупателя «ООО «Ромашка»» не заполнен КПП: ИНН и КПП организации пишут через «/», например "
         u"6950123456/695001001"},
        {"buyer not listed", [](PrintFixture& f, const QString&) { sql(f, u(u"DELETE FROM k")); },
         u"Покупателя «ООО «Ромашка»» нет в списке поставщиков-покупателей: добавьте его с идентификатором "
         u"участника ЭДО"},
        {"no buyer id", [](PrintFixture& f, const QString&) { sql(f, u(u"UPDATE k SET edo_id = NULL")); },
         u"Идентификатор участника ЭДО покупателя «ООО «Ромашка»» (вкладка «Список поставщиков-покупателей»): не "
         u"заполнено"},
        {"seller id too short", [](PrintFixture& f, const QString&) { sql(f, u(u"UPDATE pr1 SET edo_id = '2B'")); },
         u"Идентификатор участника ЭДО продавца (вкладка «Данные пользователя»): «2B» — нужно от 4 до 46 латинских "
         u"букв, цифр и дефисов; первые три знака — код оператора (например, 2BM-…)"},
        {"no signer", [](PrintFixture& f, const QString&) { sql(f, u(u"UPDATE pr1 SET signer_surname = ''")); },
         u"В реквизитах не заполнены фамилия и имя подписанта электронных документов (вкладка «Данные пользователя»)"},
        {"signer's initials", [](PrintFixture& f, const QString&) { sql(f, u(u"UPDATE pr1 SET signer_name = 'П.'")); },
         u"Подписант (вкладка «Данные пользователя»): «Петров П. Петрович» — формат требует имя и отчество "
         u"полностью, не инициалы"},
        {"no seller address", [](PrintFixture& f, const QString&) { sql(f, u(u"UPDATE pr1 SET ad = '-'")); },
         u"У продавца (вкладка «Данные пользователя») не заполнен адрес"},
        {"a character Windows-1251 lacks",
         [](PrintFixture& f, const QString& k) { sql(f, u(u"UPDATE jur1 SET naz0 = 'Бумага ✓' WHERE k = ?1"), {k}); },
         u"Строка 1 («Бумага ✓»): наименование: знак «✓» (U+2713) нельзя записать в кодировке Windows-1251, которую "
         u"требует формат; замените его"},
        {"an invoice line without a price",
         [](PrintFixture& f, const QString& k) { sql(f, u(u"UPDATE jur1 SET cen0 = 0 WHERE k = ?1"), {k}); },
         u"Строка 1 («Бумага А4»): цена 0,00 — в счете-фактуре цена должна быть больше нуля"},
        {"a buyer abroad without its number",
         [](PrintFixture& f, const QString& k) {
             sql(f, u(u"UPDATE k SET country = 'Беларусь'"));
             sql(f, u(u"UPDATE jur1 SET unn = '' WHERE k = ?1"), {k});
         },
         u"У покупателя «ООО «Ромашка»» (Беларусь) не заполнен идентификатор: впишите в поле «ИНН/КПП» его "
         u"регистрационный номер в стране регистрации"},
        {"an unknown country", [](PrintFixture& f, const QString&) { sql(f, u(u"UPDATE k SET country = 'Атлантида'")); },
         u"Страна покупателя «Атлантида» не знакома программе: нет ее цифрового кода (ОКСМ). Напишите страну так: "
         u"Казахстан, Беларусь, Китай… (вкладка «Список поставщиков-покупателей»)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PrintFixture f;
        f.fillReferenceLists();
        fillExchangeRequisites(f);
        const long long key = f.addDocument(u(u"УПД"));
        c.change(f, QString::number(key));
        QTemporaryDir folder;
        try {
            const QString path = writeExchangeFile(f.store().database(), key, folder.path());
            ADD_FAILURE() << "written " << path.toStdString();
        } catch (const UserError& e) {
            EXPECT_EQ(e.text(), QStringLiteral("Файл для ЭДО не записан. ") + u(c.message));
        }
        EXPECT_TRUE(QDir(folder.path()).isEmpty());
    }
}

// The file holds what the print of the same document shows: each row's name, quantity, price, sums
// and rate on the row of the page that bears its name, and the totals.
TEST_F(ElectronicDocuments, TheFiguresAreThoseOfThePrint)
{
    for (const auto& [goods, rate] : {std::pair{u"Стол", 20}, {u"Кабель, м", 10}, {u"Консультация", kVatExempt}})
        f.addGoods(u(goods), rate);
    const std::vector<Line> lines = {{u(u"Стол"), QStringLiteral("2"), QStringLiteral("2450")},
                                     {u(u"Кабель, м"), QStringLiteral("3,5"), QStringLiteral("89,90")},
                                     {u(u"Консультация"), QStringLiteral("1"), QStringLiteral("1180")}};
    auto number = [](QString text) {
        text.remove(QRegularExpression(QStringLiteral("[\\s%]")));
        bool ok = false;
        const double value = text.replace(u',', u'.').toDouble(&ok);
        return ok ? std::optional<double>(value) : std::nullopt;
    };
    struct Case {
        const char16_t* kind;
        std::vector<const char16_t*> rowFigures;   // the attributes of СведТов the printed row shows
        bool rate;                                 // the row shows its rate ("20%", "20,00" or "20") and VAT
    };
    const Case cases[] = {
        {u"Счет-фактура", {u"КолТов", u"ЦенаТов", u"СтТовБезНДС", u"СтТовУчНал"}, true},
        {u"УПД", {u"КолТов", u"ЦенаТов", u"СтТовБезНДС", u"СтТовУчНал"}, true},
        {u"Товарная накладная", {u"КолТов", u"ЦенаТов", u"СтТовБезНДС", u"СтТовУчНал"}, true},
        {u"Акт", {u"КолТов", u"ЦенаТов", u"СтТовБезНДС"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.kind).toStdString());
        const long long key = f.addDocument(u(c.kind), lines);
        const std::optional<PreparedReport> report = f.printDocument(key);
        ASSERT_TRUE(report.has_value());
        const PreparedPage& page = report->pages.at(0);
        const std::vector<Node> nodes = nodesOf(exchange(f, key).bytes);
        const std::vector<Node> rows = find(nodes, u"СведТов");
        ASSERT_EQ(rows.size(), lines.size());
        // Each row's VAT, a figure or "без НДС", is the text of an element below it.
        QStringList vats;
        for (const Node& n : nodes) {
            if (n.path.endsWith(u"СведТов/СумНал/СумНал") || n.path.endsWith(u"СведТов/СумНал/БезНДС"))
                vats << n.text;
        }
        ASSERT_EQ(vats.size(), qsizetype(rows.size()));
        for (const Node& row : rows) {
            const QString vat = vats.value(&row - rows.data());
            const std::vector<const PreparedBox*> name = boxesWithText(page, row[u"НаимТов"]);
            ASSERT_EQ(name.size(), 1u) << row[u"НаимТов"].toStdString();
            const QStringList band = bandTexts(page, name[0]->y, name[0]->height);
            std::vector<double> printed;
            for (const QString& text : band) {
                if (const std::optional<double> n = number(text))
                    printed.push_back(*n);
            }
            auto shown = [&](const QString& figure) {
                const std::optional<double> n = number(figure);
                return n ? std::any_of(printed.begin(), printed.end(), [&](double p) { return std::abs(p - *n) < 1e-9; })
                         : band.contains(figure, Qt::CaseInsensitive);
            };
            for (const char16_t* attribute : c.rowFigures)
                EXPECT_TRUE(shown(row[attribute])) << row[attribute].toStdString() << " not in " << band.join(u'|').toStdString();
            for (const QString& figure : {row[u"НалСт"], vat})
                EXPECT_TRUE(!c.rate || shown(figure)) << figure.toStdString() << " not in " << band.join(u'|').toStdString();
        }
        const Node total = one(nodes, u"ВсегоОпл");
        for (const char16_t* attribute : {u"СтТовБезНДСВсего", u"СтТовУчНалВсего"}) {
            EXPECT_FALSE(boxesWithText(page, total[attribute].replace(u'.', u',')).empty())
                << QString::fromUtf16(attribute).toStdString() << " " << total[attribute].toStdString();
        }
        EXPECT_EQ(one(nodes, u"СумНалВсего/СумНал").text.replace(u'.', u','), f.lastDocument().totals.vat.toString());
        EXPECT_EQ(total[u"СтТовУчНалВсего"].replace(u'.', u','), f.lastDocument().totals.gross.toString());
    }
}

// vi23-print document K --edo FOLDER on the sample enterprise: one file of each kind, valid, named by
// its identifier, in Windows-1251; a kind without an electronic form writes nothing.
TEST(ElectronicDocumentTool, TheSampleEnterprisesDocumentsAreWrittenValid)
{
    QTemporaryDir dir;
    const Outcome init = test::run(QStringLiteral(VI23_INIT_EXE), {QStringLiteral("--demo"), QStringLiteral("kn.mdb")},
                                   dir.path());
    ASSERT_EQ(init.exitCode, 0) << init.err.toStdString();
    std::map<QString, long long> firstOfKind;
    {
        auto db = Database::open(dir.filePath(QStringLiteral("kn.mdb")));
        Statement kinds = db->prepare(QStringLiteral("SELECT dok, min(k) FROM jur1 GROUP BY dok"));
        while (kinds.step())
            firstOfKind[kinds.text(0)] = kinds.integer(1);
    }
    const QString out = dir.filePath(QStringLiteral("edo"));
    ASSERT_TRUE(QDir().mkpath(out));
    QStringDecoder windows1251("windows-1251");
    for (const char16_t* kind : {u"Счет-фактура", u"УПД", u"Товарная накладная", u"Акт"}) {
        SCOPED_TRACE(QString::fromUtf16(kind).toStdString());
        ASSERT_TRUE(firstOfKind.count(u(kind)));
        const Outcome r = test::run(QStringLiteral(VI23_PRINT_EXE),
                                    {QStringLiteral("document"), QString::number(firstOfKind[u(kind)]),
                                     QStringLiteral("--edo"), out},
                                    dir.path());
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QRegularExpression written(QStringLiteral("^Записан файл (.*/(ON_NSCHFDOPPR_2[A-Z]{2}-[0-9-]+_2BM-6950123456-"
                                                        "695001001_\\d{8}_[0-9a-f-]{36})\\.xml)\n$"));
        const QRegularExpressionMatch m = written.match(r.out);
        ASSERT_TRUE(m.hasMatch()) << r.out.toStdString();
        QFile file(m.captured(1));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(problemsOf({QFileInfo(file).fileName(), bytes}), QString());
        EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"windows-1251\"?>"));
        // One byte a letter: "Кузнецов" of the signer is 0xCA 0xF3 …, not UTF-8.
        EXPECT_TRUE(bytes.contains(QByteArray("\xCA\xF3\xE7\xED\xE5\xF6\xEE\xE2")));
        EXPECT_FALSE(bytes.contains(u(u"Кузнецов").toUtf8()));
        EXPECT_TRUE(QString(windows1251.decode(bytes)).contains(QStringLiteral("ИдФайл=\"%1\"").arg(m.captured(2))));
    }
    const int files = int(QDir(out).entryList(QDir::Files).size());
    EXPECT_EQ(files, 4);
    const Outcome refused = test::run(QStringLiteral(VI23_PRINT_EXE),
                                      {QStringLiteral("document"), QString::number(firstOfKind[u(u"Счет")]),
                                       QStringLiteral("--edo"), out},
                                      dir.path());
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(noExchangeFormText(u(u"Счет")))) << refused.err.toStdString();
    EXPECT_EQ(int(QDir(out).entryList(QDir::Files).size()), files);
}

} // namespace
} // namespace vi23::e2e
