#pragma once
// The question at start when kn.mdb is a file of the old Jet 4 format.
#include <QString>

namespace vi23 {

// Offers to carry an old-format file over; true when the program can go on opening the path
// (it was not an old file, or it has been converted), false when the user declined or it failed.
bool convertOldFormatIfWanted(const QString& path);

} // namespace vi23
