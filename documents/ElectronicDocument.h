#pragma once
// Issued documents as files for an operator of electronic documents: the VAT invoice, the universal
// transfer document, the consignment note and the act in the tax service's format 5.03. A file is
// made from the same reading of the document as its print, so it holds the printed lines, rates and
// sums; it is checked against every rule of the format before anything is written, and written in
// Windows-1251 through the safe writer. Signing it is the operator's step.
#include "data/ExchangeRequisites.h"
#include "data/IssuedDocument.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUuid>
#include <optional>

namespace vi23 {

class Database;

// How the format names a document kind.
struct ExchangeKind {
    QString function;        // "СЧФ", "СЧФДОП" or "ДОП"
    QString documentName;    // the document as the parties call it; none for the VAT invoice
    QString factName;        // the document of the fact it records; none for the VAT invoice
    QString operation;       // what was transferred; none without a transfer part
    QString shipmentName;    // the shipment document of line (5а) on the invoice forms; none elsewhere
    bool consignment;        // consignor and consignee are stated (goods)
    bool contractBasis;      // the document's "№ … от …" is the contract, not the buyer's payment
};
// The VAT invoice, the УПД of status 1 or 2, the consignment note and the act; none for other kinds.
std::optional<ExchangeKind> exchangeKindOf(const QString& kind, int transferStatus);
// The refusal for a kind without an electronic form, naming those that have one.
QString noExchangeFormText(const QString& kind);

// What makes a file unique: the moment it is made (in the file and its name) and its GUID.
struct ExchangeStamp {
    QDateTime made;
    QUuid id;
};

struct ExchangeFile {
    QString name;        // the file identifier and ".xml", as the format requires
    QByteArray bytes;    // Windows-1251
};

// The file of a document. Throws UserError naming what is missing or wrong (a requisite, a line's
// rate or quantity, a character Windows-1251 lacks) when the document cannot make a valid file.
ExchangeFile makeExchangeFile(const IssuedDocument& document, const ExchangeRequisites& requisites,
                              const ExchangeStamp& stamp);

// The document with this key read once, with its exchange requisites, made into its file and written
// into the folder; returns the file's path. Nothing is written when anything is refused.
QString writeExchangeFile(Database& db, long long key, const QString& folder);

} // namespace vi23
