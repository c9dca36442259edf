#pragma once
// What every program of the package answers on its command line besides its own work: --help and
// --version, and the short usage with exit status 2 after a command line it does not understand.
#include <QString>
#include <QStringList>

namespace vi23::help {

// A program's help: one text for the terminal and, made at build time, for its manual page.
struct ProgramHelp {
    const char* name;      // "vi23-print"
    const char* summary;   // one line: what the program is for
    const char* usage;     // "Использование:" and its lines; printed alone after a mistake
    const char* details;   // the rest: what the arguments and options do, where it works, examples
};

// The project's version, "0.1".
QString version();
// "vi23-print (Вельмар) 0.1".
QString versionText(const ProgramHelp& help);
// The name and summary line, the usage and the details, each part after a blank line.
QString helpText(const ProgramHelp& help);

// --help, -h or --version among the arguments: prints the answer on the standard output and returns
// 0; else -1, and main goes on. It reads the raw arguments, before any application object exists,
// so it needs no display.
int answerStandardOptions(int argc, char** argv, const ProgramHelp& help);

// The mistake (when given) and the short usage on the standard error; returns the exit status 2.
int usageError(const ProgramHelp& help, const QString& mistake = {});

// The store a program works on: "--db LOCATION" or "--db=LOCATION", taken out of the arguments (a
// file, or a PostgreSQL connection string such as "postgresql://host/office"); without it the
// environment variable VI23_DB; without that `fallback`. Sets `mistake` for a --db without a value.
QString takeDatabaseOption(QStringList& arguments, const QString& fallback, QString* mistake);

} // namespace vi23::help
