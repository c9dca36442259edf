#include "PaymentQr.h"

#include "data/DocumentMoney.h"
#include "data/Error.h"
#include "data/RuFormat.h"

#include <qrencode.h>

#include <algorithm>
#include <memory>

namespace vi23 {

namespace {

// A value as the format takes it: no separator, no line breaks, blanks collapsed, at most `limit`
// characters, cut at a blank where one is near.
QString payloadValue(const QString& text, qsizetype limit)
{
    QString value = text;
    value.remove(u'|');
    value = value.simplified();
    if (value.size() > limit) {
        const qsizetype blank = value.lastIndexOf(u' ', limit);
        value = value.left(blank > limit / 2 ? blank : limit).trimmed();
    }
    return value;
}

// The digits of an account or code written with blanks; empty unless it is `length` digits.
QString digitsOf(const QString& text, qsizetype length)
{
    QString digits = text;
    digits.remove(u' ');
    if (digits.size() != length)
        return {};
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return {};
    }
    return digits;
}

} // namespace

QString paymentPurpose(const PaymentInvoice& invoice)
{
    QString purpose = QStringLiteral("Оплата по счету № %1 от %2").arg(invoice.number.trimmed(), ru::formatDate(invoice.date));
    if (invoice.vatExempt)
        purpose += QStringLiteral(", НДС не облагается");
    else
        purpose += QStringLiteral(", в т.ч. НДС %1 руб.").arg(invoice.vat.toFixed(2));
    return purpose;
}

std::optional<QString> paymentPayload(const PaymentPayee& payee, const PaymentInvoice& invoice)
{
    const QString name = payloadValue(payee.name, 160);
    const QString account = digitsOf(payee.account, 20);
    const QString bank = payloadValue(payee.bankName, 45);
    const QString bic = digitsOf(payee.bic, 9);
    const QString corresp = digitsOf(payee.correspAccount, 20);
    if (name.isEmpty() || account.isEmpty() || bank.isEmpty() || bic.isEmpty() || corresp.isEmpty())
        return std::nullopt;
    QString payload = QStringLiteral("ST00012|Name=%1|PersonalAcc=%2|BankName=%3|BIC=%4|CorrespAcc=%5")
                          .arg(name, account, bank, bic, corresp);
    if (invoice.total > Money())
        payload += QStringLiteral("|Sum=%1").arg(invoice.total.units() / 100);
    payload += QStringLiteral("|Purpose=") + payloadValue(paymentPurpose(invoice), 210);
    const QString inn = payee.innKpp.section(u'/', 0, 0).trimmed();
    const QString kpp = payee.innKpp.section(u'/', 1, 1).trimmed();
    const QString innDigits = digitsOf(inn, inn.size() == 12 ? 12 : 10);
    if (!innDigits.isEmpty())
        payload += QStringLiteral("|PayeeINN=") + innDigits;
    if (const QString kppDigits = digitsOf(kpp, 9); !kppDigits.isEmpty())
        payload += QStringLiteral("|KPP=") + kppDigits;
    return payload;
}

std::optional<QString> invoicePaymentPayload(const IssuedDocument& document)
{
    if (document.lines.empty())
        return std::nullopt;
    const EnterpriseRequisites& seller = document.seller;
    const PaymentPayee payee{seller.name, seller.account, seller.bank, seller.bik, seller.correspondentAccount,
                             seller.innKpp};
    const PaymentInvoice invoice{document.number, document.date, document.totals.gross, document.totals.vat,
                                 document.exempt};
    return paymentPayload(payee, invoice);
}

QrSymbol encodeQr(const QString& payload)
{
    const QByteArray bytes = payload.toUtf8();
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeData(int(bytes.size()), reinterpret_cast<const unsigned char*>(bytes.constData()), 0, QR_ECLEVEL_M),
        &QRcode_free);
    if (!code)
        throw UserError(QStringLiteral("QR-код оплаты не построен: данные платежа слишком длинны"));
    QrSymbol symbol;
    symbol.size = code->width;
    symbol.dark.resize(size_t(code->width) * size_t(code->width));
    for (size_t i = 0; i < symbol.dark.size(); ++i)
        symbol.dark[i] = (code->data[i] & 1) != 0;
    return symbol;
}

std::vector<PreparedBox> qrBoxes(const QrSymbol& symbol, int x, int y, int moduleSize)
{
    struct Run {
        int from, to, top, rows;
    };
    std::vector<PreparedBox> boxes;
    std::vector<Run> open;
    auto close = [&](const Run& run) {
        PreparedBox box;
        box.x = x + run.from * moduleSize;
        box.y = y + run.top * moduleSize;
        box.width = (run.to - run.from) * moduleSize;
        box.height = run.rows * moduleSize;
        box.fillColor = kColorBlack;
        boxes.push_back(box);
    };
    for (int row = 0; row <= symbol.size; ++row) {
        std::vector<Run> runs;
        for (int col = 0; row < symbol.size && col < symbol.size;) {
            if (!symbol.at(col, row)) {
                ++col;
                continue;
            }
            int end = col;
            while (end < symbol.size && symbol.at(end, row))
                ++end;
            runs.push_back({col, end, row, 1});
            col = end;
        }
        std::vector<Run> next;
        for (Run& run : runs) {
            auto same = std::find_if(open.begin(), open.end(),
                                     [&](const Run& o) { return o.from == run.from && o.to == run.to; });
            if (same != open.end()) {
                ++same->rows;
                next.push_back(*same);
                open.erase(same);
            } else {
                next.push_back(run);
            }
        }
        for (const Run& ended : open)
            close(ended);
        open = std::move(next);
    }
    return boxes;
}

void addPaymentQr(PreparedReport& report, const QString& payload)
{
    if (report.pages.empty())
        return;
    const QrSymbol symbol = encodeQr(payload);
    const int side = symbol.size * kQrModule;
    const int quiet = kQrQuietModules * kQrModule;
    // The invoice's table ends at 732 units; the symbol keeps to it.
    constexpr int kRightEdge = 732;
    const int x = kRightEdge - side;
    PreparedPage* page = &report.pages.back();
    int bottom = 0;
    for (const PreparedBox& box : page->boxes)
        bottom = std::max(bottom, box.y + box.height);
    const double scale = page->content.scale > 0 ? page->content.scale : 1.0;
    const double limit = (page->height - kSafeMarginY - page->content.y) / scale;
    int y = bottom + quiet;
    if (y + side + quiet > limit) {
        PreparedPage blank;
        blank.width = page->width;
        blank.height = page->height;
        blank.paper = page->paper;
        blank.content = page->content;
        report.pages.push_back(blank);
        page = &report.pages.back();
        y = std::max(quiet, int((kSafeMarginY - page->content.y) / scale) + quiet);
    }
    for (PreparedBox& box : qrBoxes(symbol, x, y, kQrModule))
        page->boxes.push_back(std::move(box));
}

} // namespace vi23
