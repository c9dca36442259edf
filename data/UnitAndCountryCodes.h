#pragma once
// Codes of the common unit names (ОКЕИ) and country names (ОКСМ) a goods line keeps as text: the
// forms of 2026 print them beside the names and the electronic documents carry them.
#include <QString>

namespace vi23 {

// The code of a unit or a country name, letter case and blanks around aside ("шт" -> "796",
// "Россия" -> "643"); empty for a name the table does not know.
QString unitCodeOf(const QString& unit);
QString countryCodeOf(const QString& country);

inline const QString kRussiaCode = QStringLiteral("643");

} // namespace vi23
