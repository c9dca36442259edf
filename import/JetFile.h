#pragma once
// Read-only access to a database file of the old Jet 4 format through the mdbtools library.
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace vi23::jet {

// How the importer reads a column's values.
enum class ColumnKind {
    Text,       // decimal or plain text: text, memo, integers, money
    Real,       // the stored 8- or 4-byte floating-point number
    Date,       // the stored day count since 30.12.1899, with the time as its fraction
    Other       // binary and other kinds that no field of the program holds
};

struct Column {
    QString name;
    QString typeName;       // as the old engine names it: "Text", "Currency", "DateTime", …
    ColumnKind kind = ColumnKind::Other;
    bool integer = false;   // byte, 16- or 32-bit integer
    bool money = false;     // currency or decimal
    int size = 0;           // characters, text columns only
};

// One value of a row. A text too long for the reader's buffer comes back with cut set.
struct Cell {
    bool null = true;
    QString text;
    double number = 0;
    bool cut = false;
};

class JetTable;

class JetFile {
public:
    // True when the file starts as a Jet 4 database does.
    static bool hasJetSignature(const QString& path);

    // Opens the file for reading only; refuses anything that is not a whole Jet 4 file.
    explicit JetFile(const QString& path);
    ~JetFile();
    JetFile(const JetFile&) = delete;
    JetFile& operator=(const JetFile&) = delete;

    const QString& path() const { return path_; }
    // The user tables in the order the file lists them.
    QStringList tableNames() const;
    // Reads a table's columns; rows follow through JetTable::next. Throws UserError.
    std::unique_ptr<JetTable> openTable(const QString& name);

private:
    friend class JetTable;
    struct Handle;
    std::unique_ptr<Handle> handle_;
    QString path_;
};

class JetTable {
public:
    ~JetTable();
    JetTable(const JetTable&) = delete;
    JetTable& operator=(const JetTable&) = delete;

    const QString& name() const { return name_; }
    const std::vector<Column>& columns() const { return columns_; }
    // The row count the file's table definition declares.
    long long declaredRows() const;
    // Reads the next row into cells (one per column); false after the last row.
    bool next(std::vector<Cell>& cells);

private:
    friend class JetFile;
    struct Reader;
    JetTable(JetFile& file, QString name, std::unique_ptr<Reader> reader);

    JetFile& file_;
    QString name_;
    std::vector<Column> columns_;
    std::unique_ptr<Reader> reader_;
};

} // namespace vi23::jet
