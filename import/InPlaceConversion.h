#pragma once
// Converting kn.mdb of the old format where it lies, so that at every instant the file is there,
// old or new: the new file is written whole as PATH.new, the old one is kept as PATH.jet (a second
// name of the same file), and PATH.new is renamed over PATH in one step. A start that finds the
// swap cut short completes it or puts the old file back.
#include "JetImport.h"

namespace vi23::jet {

QString keptOldPath(const QString& path);

// The day's copy of the old file is kept in backup/ first. Throws UserError; the old file stays.
ImportResult convertInPlace(const QString& path);

// Completes a conversion of `path` that was cut short (PATH.new whole) or puts the old file back
// (PATH.new not whole, PATH missing); removes what killed imports left. Returns what it did, for
// the user; empty when there was nothing to do. Throws UserError when the files contradict each other.
QString recoverInterruptedConversion(const QString& path);

} // namespace vi23::jet
