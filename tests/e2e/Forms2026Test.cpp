// The forms in force in 2026 prepared over fixed documents: the VAT invoice with a line at each rate,
// an exempt document and a 5 % one, a universal transfer document of each status, and the sole
// trader's line; the described invoice with an exempt line beside them.
#include "PrintFixture.h"

#include "data/DocumentMoney.h"
#include "documents/DocumentPrinting.h"
#include "data/EnterpriseSettings.h"
#include "reports/TextLayout.h"

#include <gtest/gtest.h>

namespace vi23::e2e {
namespace {

QString u(const char16_t* text)
{
    return QString::fromUtf16(text);
}

QStringList list(std::initializer_list<const char16_t*> texts)
{
    QStringList out;
    for (const char16_t* t : texts)
        out << u(t);
    return out;
}

// Every text is printed somewhere on the page.
void expectShown(const QStringList& texts, std::initializer_list<const char16_t*> expected)
{
    for (const char16_t* text : expected)
        EXPECT_TRUE(texts.contains(u(text))) << u(text).toStdString();
}

// Goods at every rate a line may have, each 3 × 100,50 in the documents below.
const std::pair<const char16_t*, int> kRated[] = {
    {u"Товар 22", 22}, {u"Товар 20", 20}, {u"Товар 18", 18}, {u"Товар 10", 10},
    {u"Товар 7", 7},   {u"Товар 5", 5},   {u"Товар 0", 0},   {u"Курс обучения", kVatExempt},
};

class Forms2026 : public testing::Test {
protected:
    void SetUp() override
    {
        f.fillReferenceLists();
        DataSet& goods = f.store().dataSet(u"ADOTable_stov");
        for (const auto& [name, rate] : kRated) {
            goods.append();
            goods.setText(u"naz", u(name));
            goods.setText(u"eu", QStringLiteral("шт"));
            goods.setValue(u"nds", rate);
            goods.post();
        }
    }
    long long document(const QString& kind, std::initializer_list<const char16_t*> names)
    {
        std::vector<Line> lines;
        for (const char16_t* name : names)
            lines.push_back({u(name), QStringLiteral("3"), QStringLiteral("100,5")});
        return f.addDocument(kind, lines);
    }
    PreparedPage onlyPage(long long key, FormSet set = FormSet::Current2026)
    {
        const std::optional<PreparedReport> report = f.printDocument(key, set);
        EXPECT_TRUE(report);
        if (!report || report->pages.empty())
            return {};
        EXPECT_EQ(report->pages.size(), 1u);
        return report->pages.front();
    }
    PrintFixture f;
};

// The invoice's columns 5, 7, 8 and 9 by their x: heading, column number, rows, then the totals.
constexpr int kNetX = 480, kRateX = 596, kVatX = 636, kGrossX = 702;

TEST_F(Forms2026, TheInvoicePrintsEveryRateWithItsVatAndTies)
{
    const PreparedPage page = onlyPage(document(u(u"Счет-фактура"), {u"Товар 22", u"Товар 20", u"Товар 18", u"Товар 10",
                                                                    u"Товар 7", u"Товар 5", u"Товар 0", u"Курс обучения"}));
    EXPECT_EQ(column(page, kRateX).mid(1), list({u"7", u"22%", u"20%", u"18%", u"10%", u"7%", u"5%", u"0%", u"без НДС"}));
    // 7 % of 301,50 is 21,105 and 5 % is 15,075: each tie away from zero.
    EXPECT_EQ(column(page, kVatX).mid(1), list({u"8", u"66,33", u"60,30", u"54,27", u"30,15", u"21,11", u"15,08", u"0,00",
                                                u"без НДС", u"247,24"}));
    EXPECT_EQ(column(page, kGrossX).mid(1), list({u"9", u"367,83", u"361,80", u"355,77", u"331,65", u"322,61", u"316,58",
                                                  u"301,50", u"301,50", u"2659,24"}));
    EXPECT_EQ(column(page, kNetX).mid(1).last(), u"2412,00");
    expectShown(pageTexts(page),
        {u"Счет-фактура № 15 от 05.11.2024", u"(1)", u"(1а)", u"(2б)", u"(5а)", u"(5б)", u"(6б)", u"(8)",
          u"Продавец: ООО «Север»", u"ИНН/КПП продавца: 6950000001/695001001",
          u"Покупатель: ООО «Ромашка»", u"ИНН/КПП покупателя: 5020000002/502001001",
          u"К платежно-расчетному документу № 42 от 03.11.2024",
          u"Документ об отгрузке № п/п 1–8 № 15 от 05.11.2024",
          u"Валюта: наименование, код Российский рубль, 643", u"Всего к оплате (9)", u"1а", u"1б", u"2а", u"10а",
          u"12а", u"14", u"796",
          u"Приложение № 1 к постановлению Правительства Российской Федерации от 26 декабря 2011 г. № 1137 (в "
          u"редакции постановления Правительства Российской Федерации от 23 января 2026 г. № 26)"});
}

TEST_F(Forms2026, AnExemptDocumentSaysSoAndA5PercentDocumentCarriesItsVat)
{
    struct Case {
        std::initializer_list<const char16_t*> goods;
        QStringList rates, vat, gross;
    };
    const Case cases[] = {
        {{u"Курс обучения", u"Курс обучения"},
         list({u"7", u"без НДС", u"без НДС"}),
         list({u"8", u"без НДС", u"без НДС", u"Без налога (НДС)"}),
         list({u"9", u"301,50", u"301,50", u"603,00"})},
        {{u"Товар 5", u"Товар 5", u"Товар 5"},
         list({u"7", u"5%", u"5%", u"5%"}),
         list({u"8", u"15,08", u"15,08", u"15,08", u"45,24"}),
         list({u"9", u"316,58", u"316,58", u"316,58", u"949,74"})},
    };
    for (const Case& c : cases) {
        const PreparedPage page = onlyPage(document(u(u"Счет-фактура"), c.goods));
        EXPECT_EQ(column(page, kRateX).mid(1), c.rates);
        EXPECT_EQ(column(page, kVatX).mid(1), c.vat);
        EXPECT_EQ(column(page, kGrossX).mid(1), c.gross);
    }
}

TEST_F(Forms2026, TheDescribedFormsKeepTheirLayoutAndReadTheExemptRate)
{
    const long long key = document(u(u"Счет-фактура"), {u"Товар 22", u"Курс обучения"});
    const std::optional<PreparedReport> described = f.printDocument(key, FormSet::Described);
    ASSERT_TRUE(described);
    // The described invoice's rate column.
    EXPECT_EQ(column(described->pages.front(), 666).mid(1), list({u"7", u"22,00", u"без НДС", u""}));
    // A described form stating the VAT of a document with no VAT at all.
    const std::optional<PreparedReport> act = f.printDocument(document(u(u"Акт"), {u"Курс обучения"}));
    ASSERT_TRUE(act);
    EXPECT_EQ(pageTexts(act->pages.front()).count(QStringLiteral("Без налога (НДС)")), 1);
    EXPECT_EQ(f.lastDocument().totals.gross, Money::parse(u"301,5"));
    // The cash receipt order and its receipt: no VAT line of zeros for a document without VAT.
    const std::pair<const char16_t*, QStringList> orders[] = {
        {u"Курс обучения", list({u"Без налога (НДС)", u"Без налога (НДС)"})},
        {u"Товар 22", list({u"В том числе НДС 66-33", u"НДС 66-33"})}};
    for (const auto& [name, vatTexts] : orders) {
        const std::optional<PreparedReport> order = f.printDocument(document(u(u"Кассовый ордер-пр"), {name}));
        ASSERT_TRUE(order);
        QStringList found;
        for (const QString& text : pageTexts(order->pages.front()))
            if (text.contains(QStringLiteral("НДС")))
                found << text.trimmed();
        EXPECT_EQ(found, vatTexts);
    }
    EXPECT_EQ(documentTemplateFor(u(u"Счет-фактура")), QStringLiteral("frReport_sf"));
    EXPECT_EQ(documentTemplateFor(u(u"Счет-фактура"), FormSet::Current2026), QStringLiteral("frReport_sf26"));
    EXPECT_EQ(documentTemplateFor(u(u"Счет"), FormSet::Current2026), QStringLiteral("frReport_sh"));
    EXPECT_EQ(documentTemplateFor(u(u"УПД")), QStringLiteral("frReport_upd"));
}

TEST_F(Forms2026, TheSoleTradersLinePrintsTheOgrnipAndItsDate)
{
    DataSet& requisites = f.store().dataSet(u"ADOTable_pr1");
    requisites.first();
    requisites.edit();
    requisites.setText(u"fup", u(u"Иванов И. И."));
    requisites.setText(u"rup", u(u"ОГРНИП 304770000000011 от 15.03.2012"));
    requisites.post();
    expectShown(pageTexts(onlyPage(document(u(u"Счет-фактура"), {u"Товар 22"}))),
        {u"Иванов И. И.", u"ОГРНИП 304770000000011 от 15.03.2012",
          u"Индивидуальный предприниматель или иное уполномоченное лицо",
          u"(основной государственный регистрационный номер индивидуального предпринимателя и дата присвоения такого "
          u"номера)"});
}

TEST_F(Forms2026, TheTransferDocumentPrintsItsStatusAndTheTransferBlock)
{
    for (int status : {1, 2}) {
        SCOPED_TRACE(status);
        const long long key = document(u(u"УПД"), {u"Товар 22", u"Курс обучения"});
        setTransferStatus(f.store().database(), key, status);
        // The same form in either set: the kind has only the form of 2026.
        for (FormSet set : {FormSet::Described, FormSet::Current2026}) {
            const PreparedPage page = onlyPage(key, set);
            // The status box.
            EXPECT_EQ(column(page, 86), QStringList{QString::number(status)});
            // Column "А" and the rates beside it.
            const QStringList first = column(page, 36);
            EXPECT_EQ(first.mid(first.indexOf(u(u"Код товара/ работ, услуг")), 4),
                      list({u"Код товара/ работ, услуг", u"А", u"—", u"—"}));
            EXPECT_EQ(column(page, 576).mid(1), list({u"7", u"22%", u"без НДС"}));
            const QStringList texts = pageTexts(page);
            expectShown(texts,
                 {u"Универсальный передаточный документ", u"Статус:",
                  u"1 – счет-фактура и передаточный документ (акт) 2 – передаточный документ (акт)",
                  u"Документ составлен на ____ листах", u"[10]", u"[11]", u"[12]", u"[13]", u"[14]", u"[15]", u"[16]",
                  u"[17]", u"[18]", u"[19]", u"[20]", u"[21]", u"Дата отгрузки, передачи (сдачи) 05.11.2024",
                  u"Дата получения (приемки) «____» ______________ 20__ г.",
                  u"ООО «Север», ИНН/КПП 6950000001/695001001", u"ООО «Ромашка», ИНН/КПП 5020000002/502001001"});
            EXPECT_EQ(texts.count(QStringLiteral("М.П.")), 2);
            // Column 11's long heading keeps clear of its frame: a line set up to the frame runs into it on screen.
            const PreparedBox& heading = boxAt(page, 836, 279);
            ASSERT_EQ(heading.lines.size(), 5u);
            for (const PreparedLine& line : heading.lines) {
                EXPECT_GE(line.x, heading.x + 4) << line.text.toStdString();
                EXPECT_LE(line.x + textWidthUnits(heading.font, line.text) * line.scaleX, heading.x + heading.width - 4)
                    << line.text.toStdString();
            }
        }
    }
}

} // namespace
} // namespace vi23::e2e
