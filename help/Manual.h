#pragma once
// Where the user's manual (HTML made from docs/ at build time) lies for a program in a given folder.
#include <QString>
#include <QStringList>

namespace vi23::help {

// The places looked at, in order: the installed copy beside the program (PREFIX/bin ->
// PREFIX/share/vi23/manual) and the copy the build makes (build/app -> build/docs/manual).
QStringList manualCandidates(const QString& programFolder);
// The first of them that exists; empty when none does.
QString findManual(const QString& programFolder);

} // namespace vi23::help
