#pragma once
// The program's today: the date a new row, a new document, the daily backup and the sample data take.
#include <QDate>

namespace vi23 {

// The machine's date, or the date (dd.MM.yyyy) the environment variable VI23_TODAY names (so that a
// run can be repeated on another day with the same figures: the tests, a demonstration); an
// unreadable VI23_TODAY is ignored.
QDate today();

} // namespace vi23
