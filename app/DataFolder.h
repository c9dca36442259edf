#pragma once
// Which database file the window opens: named on the command line, in the user's data folder (the
// menu entry's choice) or kn.mdb in the working directory.
#include <QString>
#include <QStringList>

class QWidget;

namespace vi23 {

// $XDG_DATA_HOME/vi23, by default ~/.local/share/vi23.
QString userDataFolder();

struct DatabaseLocation {
    QString file;                   // absolute path of the database file, or the server's connection string
    bool server = false;            // a PostgreSQL database: no folder, no file to create or convert
    bool folderNamed = false;       // a folder was named: a missing kn.mdb there may be created
    QString mistake;                // not empty: the command line does not fit the usage
};

// From the arguments after the program's name, Qt's own options already taken out: none (kn.mdb in
// the working directory, or the store VI23_DB names), a FOLDER, a FILE, --user-folder or --db.
DatabaseLocation locateDatabase(const QStringList& arguments);

// A missing kn.mdb in a named folder is created, with the folder, when the user agrees. False when
// the user declined or the file could not be made (the reason was shown).
bool ensureDatabase(QWidget* parent, const DatabaseLocation& location);

} // namespace vi23
