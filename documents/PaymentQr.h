#pragma once
// The payment QR code of the invoice: the national payment payload ("ST00012|Name=…|…") and its
// symbol, drawn as filled black boxes on the prepared page so every output path prints it as is.
#include "data/IssuedDocument.h"
#include "data/Money.h"
#include "reports/PreparedReport.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

namespace vi23 {

// The payee as the requisites hold it.
struct PaymentPayee {
    QString name;           // pr1.np
    QString account;        // pr1.rs
    QString bankName;       // pr1.bank
    QString bic;            // pr1.buk
    QString correspAccount; // pr1.ks
    QString innKpp;         // pr1.unn: "ИНН/КПП" or the ИНН alone
};

// What the invoice asks to pay.
struct PaymentInvoice {
    QString number;
    QDate date;
    Money total;            // to pay, VAT included
    Money vat;
    bool vatExempt = false; // every line "Без НДС"
};

// "Оплата по счету № 12 от 05.03.2026, в т.ч. НДС 180,00 руб." or "…, НДС не облагается".
QString paymentPurpose(const PaymentInvoice& invoice);

// The payload in UTF-8 form ("ST00012"), or nothing when the payee lacks the account, the bank, its
// БИК or correspondent account, or one of them is not of its length in digits (a code that sends
// money to a wrong account is worse than none). Values lose "|" and are cut to the format's limits;
// the ИНН and КПП go in only when they read as such, the sum only when above zero.
std::optional<QString> paymentPayload(const PaymentPayee& payee, const PaymentInvoice& invoice);

// The payload of an issued invoice (its printed totals, the seller's requisites); nothing when it has
// no lines or the requisites are incomplete.
std::optional<QString> invoicePaymentPayload(const IssuedDocument& document);

// A QR symbol, error correction level M, the payload in byte mode: `size` × `size` modules, row by row.
struct QrSymbol {
    int size = 0;
    std::vector<bool> dark;
    bool at(int x, int y) const { return dark[size_t(y) * size_t(size) + size_t(x)]; }
};
QrSymbol encodeQr(const QString& payload);

// The symbol as filled black boxes with its top left module at (x, y): runs of dark modules in a row
// make one box, and a run repeated in the rows below stretches it down.
std::vector<PreparedBox> qrBoxes(const QrSymbol& symbol, int x, int y, int moduleSize);

// Layout units per module (about 0.53 mm: read by a phone from paper) and the quiet zone in modules.
inline constexpr int kQrModule = 2;
inline constexpr int kQrQuietModules = 4;

// Puts the symbol under the last thing printed on the invoice's last page, its right edge on the
// table's; on a new page of the same paper when that page has no room for it.
void addPaymentQr(PreparedReport& report, const QString& payload);

} // namespace vi23
