// The invoice's payment code: the payload fields and limits, and the symbol drawn as boxes.
#include "documents/PaymentQr.h"

#include <gtest/gtest.h>

namespace vi23 {
namespace {

PaymentPayee payee()
{
    return {QStringLiteral("ООО «Север»"), QStringLiteral("40702810000000000077"), QStringLiteral("ПАО Тверьбанк"),
            QStringLiteral("042800001"), QStringLiteral("30101810000000000001"), QStringLiteral("6950000001/695001001")};
}

PaymentInvoice invoice()
{
    return {QStringLiteral("15"), QDate(2026, 3, 5), Money::parse(QStringLiteral("1220,50")),
            Money::parse(QStringLiteral("220,09")), false};
}

const QString kHead = QStringLiteral(
    "ST00012|Name=ООО «Север»|PersonalAcc=40702810000000000077|BankName=ПАО Тверьбанк|BIC=042800001|"
    "CorrespAcc=30101810000000000001");

TEST(PaymentPayload, FieldsInOrderSeparatorsStrippedLimitsKeptIncompleteRequisitesGiveNone)
{
    struct Case {
        const char* name;
        std::function<void(PaymentPayee&, PaymentInvoice&)> change;
        std::optional<QString> expected;
    };
    const QString tail = QStringLiteral("|PayeeINN=6950000001|KPP=695001001");
    const QString purpose = QStringLiteral("|Purpose=Оплата по счету № 15 от 05.03.2026, в т.ч. НДС 220,09 руб.");
    const std::vector<Case> cases = {
        {"full", [](PaymentPayee&, PaymentInvoice&) {}, kHead + QStringLiteral("|Sum=122050") + purpose + tail},
        {"exempt", [](PaymentPayee&, PaymentInvoice& i) { i.vatExempt = true; i.vat = Money(); },
         kHead + QStringLiteral("|Sum=122050|Purpose=Оплата по счету № 15 от 05.03.2026, НДС не облагается") + tail},
        {"separator and blanks", [](PaymentPayee& p, PaymentInvoice&) {
             p.name = QStringLiteral(" ООО «Се|вер» ");
             p.account = QStringLiteral("40702 81000 00000 00077");
         }, kHead + QStringLiteral("|Sum=122050") + purpose + tail},
        {"bank name cut to 45 at a blank", [](PaymentPayee& p, PaymentInvoice&) {
             p.bankName = QStringLiteral("Тверское отделение №8607 ПАО Сбербанк, г. Тверь");
         }, QString(kHead).replace(QStringLiteral("ПАО Тверьбанк"), QStringLiteral("Тверское отделение №8607 ПАО Сбербанк, г."))
                + QStringLiteral("|Sum=122050") + purpose + tail},
        {"sole trader: 12-digit ИНН, no КПП", [](PaymentPayee& p, PaymentInvoice&) { p.innKpp = QStringLiteral("695000000123"); },
         kHead + QStringLiteral("|Sum=122050") + purpose + QStringLiteral("|PayeeINN=695000000123")},
        {"nothing to pay: no sum", [](PaymentPayee&, PaymentInvoice& i) { i.total = Money(); },
         kHead + purpose + tail},
        {"no БИК", [](PaymentPayee& p, PaymentInvoice&) { p.bic.clear(); }, std::nullopt},
        {"БИК of 8 digits", [](PaymentPayee& p, PaymentInvoice&) { p.bic = QStringLiteral("04280000"); }, std::nullopt},
        {"no bank", [](PaymentPayee& p, PaymentInvoice&) { p.bankName = QStringLiteral(" | "); }, std::nullopt},
        {"account with a letter", [](PaymentPayee& p, PaymentInvoice&) { p.account[3] = u'O'; }, std::nullopt},
        {"no correspondent account", [](PaymentPayee& p, PaymentInvoice&) { p.correspAccount.clear(); }, std::nullopt},
    };
    for (const Case& c : cases) {
        PaymentPayee p = payee();
        PaymentInvoice i = invoice();
        c.change(p, i);
        EXPECT_EQ(paymentPayload(p, i), c.expected) << c.name;
    }
    PaymentPayee p = payee();
    p.name = QString(200, u'Я');
    PaymentInvoice i = invoice();
    i.number = QString(300, u'9');
    const QString payload = *paymentPayload(p, i);
    EXPECT_TRUE(payload.contains(QStringLiteral("|Name=") + QString(160, u'Я') + u'|'));
    const QString cut = payload.section(QStringLiteral("|Purpose="), 1).section(u'|', 0, 0);
    EXPECT_EQ(cut.size(), 210);
}

TEST(PaymentQrSymbol, BoxesCoverExactlyTheDarkModules)
{
    const QrSymbol symbol = encodeQr(kHead + QStringLiteral("|Sum=122050"));
    ASSERT_GE(symbol.size, 21);
    const int module = 3;
    std::vector<int> painted(symbol.dark.size(), 0);
    const std::vector<PreparedBox> boxes = qrBoxes(symbol, 100, 200, module);
    for (const PreparedBox& b : boxes) {
        EXPECT_EQ(b.fillColor, kColorBlack);
        ASSERT_EQ((b.x - 100) % module, 0);
        ASSERT_EQ((b.y - 200) % module, 0);
        for (int y = (b.y - 200) / module; y < (b.y - 200 + b.height) / module; ++y)
            for (int x = (b.x - 100) / module; x < (b.x - 100 + b.width) / module; ++x)
                ++painted[size_t(y * symbol.size + x)];
    }
    for (size_t m = 0; m < painted.size(); ++m)
        ASSERT_EQ(painted[m], symbol.dark[m] ? 1 : 0) << "module " << m;
    // Merged runs: far fewer boxes than dark modules.
    EXPECT_LT(boxes.size() * 2, size_t(std::count(symbol.dark.begin(), symbol.dark.end(), true)));
}

} // namespace
} // namespace vi23
