#pragma once
// The enterprise's choices kept in the settings table beside its requisites: the VAT rate a new
// goods row gets and the set of printed forms; and the sole trader's registration kept in pr1.rup.
#include "FormKinds.h"

#include <QDate>
#include <QString>
#include <optional>

namespace vi23 {

class Database;

inline const QString kDefaultVatSetting = QStringLiteral("vat");
// The general rate since 1 January 2026; also the rate of a file that never chose one.
inline constexpr int kGeneralVatRate = 22;

int defaultVatRate(Database& db);
void setDefaultVatRate(Database& db, int ratePercent);

// The form set chosen on the requisites tab; the described forms when none was chosen.
FormSet formSet(Database& db);
void setFormSet(Database& db, FormSet set);

// A sole trader's ОГРНИП and the date it was assigned, kept in pr1.rup (70 characters) as
// "ОГРНИП 304770000000011 от 15.03.2012" so the text reads whole where rup was printed before.
struct SoleTraderRegistration {
    QString ogrnip;     // 15 digits
    QDate assigned;
};
QString registrationText(const SoleTraderRegistration& registration);
// The registration read back from rup; none for an empty text or one in another layout (the
// certificate requisites an older file keeps there).
std::optional<SoleTraderRegistration> parseRegistration(const QString& rup);
// Checks a rup typed for the 2026 forms: empty, or the layout above with 15 digits and a calendar
// date; throws UserError naming the layout otherwise.
void checkRegistration(const QString& rup);

// The status of a universal transfer document ("УПД"), kept in jur1's column `status` beside the
// described fields: 1 (invoice and transfer document) or 2 (transfer document only).
inline const QString kTransferStatusColumn = QStringLiteral("status");
// The stored status of the document with this key; 1 where the file has no such column yet (a
// read-only older file) or no such document.
int transferStatus(Database& db, long long key);
// Stores the status; throws UserError for a status other than 1 or 2 and where the file cannot keep it.
void setTransferStatus(Database& db, long long key, int status);

} // namespace vi23
