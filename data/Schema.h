#pragma once
// The tables of kn.mdb with every field, its type and size, as the program expects them.
#include <QString>
#include <QStringView>
#include <vector>

namespace vi23 {

// An issued document has ten lines: jur1's fields naz0 … naz9, kol0 … kol9 and the others of a line.
inline constexpr int kDocumentLines = 10;

enum class FieldType { Counter, Date, Text, Money, Real, Short, Long };

struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
    int size = 0;          // characters, text fields only
    // Kept beside the described fields and added to older files on open; a file that could not be
    // upgraded (read-only, locked) lacks it and reads it as empty.
    bool added = false;

    bool isNumeric() const { return type != FieldType::Text && type != FieldType::Date; }
};

struct TableDef {
    QString name;
    std::vector<FieldDef> fields;

    int fieldIndex(QStringView fieldName) const;
    // Index of the counter field, -1 when the table has none (its rows are addressed by rowid).
    int counterIndex() const;
};

// The eleven tables in the order the store lists them.
const std::vector<TableDef>& schemaTables();
// Tables the program adds beyond those, created when missing (data/Upgrade.h).
const std::vector<TableDef>& addedTables();
// A table of either list by name; throws when unknown.
const TableDef& schemaTable(QStringView name);

// A counterparty's e-mail address, for a document sent by mail.
inline const QString kCounterpartyMailField = QStringLiteral("email");
// A cash expense order's basis, the payee's identity document and the debit account (jur1), and the
// cashier who signs the cash orders (pr1).
inline const QString kCashBasisField = QStringLiteral("osn");
inline const QString kCashIdentityField = QStringLiteral("udl");
inline const QString kCashDebitField = QStringLiteral("deb");
inline const QString kCashierField = QStringLiteral("kas");

// The row's version the program keeps beside the described fields: a data set stores every change
// with it one more and only over the version it read, so no workplace overwrites or deletes a row
// another one changed since.
inline const QString kRowVersionColumn = QStringLiteral("row_version");
// The print's lines and the cash book: filled by one print and read by its report, they belong to one
// connection (Database::createWorkTables) and carry no row version.
bool isWorkTable(QStringView table);

// Name quoted for SQL ("naz", "НазваниеФИО").
QString quoteIdentifier(QStringView name);

} // namespace vi23
