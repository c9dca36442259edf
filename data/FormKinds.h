#pragma once
// The kinds the program prints, each with its printed form: the one list behind the documents tab's
// kind drop-down, the journal tab's report panel, printing, the sample data and the command line.
#include <QString>
#include <QStringList>
#include <vector>

namespace vi23 {

struct FormKind {
    QString caption;    // as the drop-down shows it and the record stores it ("Счет")
    QString form;       // the template that prints it ("frReport_sh")
};

// The nine document kinds in the drop-down's order.
const std::vector<FormKind>& documentKindTable();
// The eight report kinds in the report panel's order.
const std::vector<FormKind>& reportKindTable();

inline const QString kCashBookKind = QStringLiteral("Кассовая книга");

// The form of a kind, matched exactly; empty for any other text.
QString formOf(const std::vector<FormKind>& table, const QString& caption);
// The captions in table order.
QStringList captionsOf(const std::vector<FormKind>& table);

} // namespace vi23
