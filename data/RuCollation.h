#pragma once
// Russian alphabetical order, letter case ignored: the one order of every text sort of the program,
// in the store's collation and in memory alike. Ё is a letter of its own right after Е.
#include <QByteArray>
#include <QStringView>

namespace vi23 {

// Negative, zero or positive. Zero only for texts equal but for letter case.
int ruCompare(QStringView a, QStringView b);
int ruCompareUtf8(const char* a, int lengthA, const char* b, int lengthB);

// A key whose byte order (memcmp) is ruCompare's order, for sorting many rows.
QByteArray ruSortKey(QStringView text);

} // namespace vi23
