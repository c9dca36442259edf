#pragma once
// What an electronic document needs beyond the printed one: the participant ids that the operators
// of electronic documents gave the enterprise and the buyer (they name the file), the person who
// signs it for the enterprise and the buyer's country when it is abroad. They are kept in columns
// beside the requisites (pr1) and the counterparty list (k).
#include <QString>

namespace vi23 {

class Database;

struct Signer {
    QString surname, name, patronymic, position;
};

struct ExchangeRequisites {
    QString sellerParticipant;
    Signer signer;
    bool buyerListed = false;     // a counterparty of the buyer's very name is in the list
    QString buyerParticipant;
    QString buyerCountry;         // empty for Russia
};

// The enterprise's (first requisites row) and the buyer's: the first counterparty whose name is
// exactly the document's buyer, as the documents tab copies the buyer's requisites. A file that
// could not gain the columns yet (read-only) reads them as empty.
ExchangeRequisites readExchangeRequisites(Database& db, const QString& buyer);

} // namespace vi23
