#pragma once
// Printing an issued document: the print log row, the scratch table of print lines, the print
// query filtered to the document, and the values its form asks for, all from one reading of the
// document's own record (data/IssuedDocument.h). The window, vi23-print and the tests print so.
#include "data/DataStore.h"
#include "data/FormKinds.h"
#include "data/IssuedDocument.h"
#include "data/Value.h"
#include "reports/PrintRequest.h"

#include <QString>
#include <optional>

namespace vi23 {

// The printed form of a document kind in a form set ("Счет" -> "frReport_sh"); empty for any other text.
QString documentTemplateFor(const QString& kind, FormSet set = FormSet::Described);

// Logs the print (a row of z with the enterprise's name), refills tov with the document's lines in
// line order with what they print, and opens the print query on the document's key, as one unit:
// another print at the same moment (another window, vi23-print) cannot empty this one.
void writePrintLines(DataStore& store, const IssuedDocument& document);

// The rows of line (5а), the shipment document, on the invoice forms: "1", "1–3".
QString shipmentRowsText(const IssuedDocument& document);

// frReport_shGetValue: the values a document's form asks the program for. str5 (the total in words),
// str8 (the total), str9 (the VAT); vatTotalText (the VAT, or "Без налога (НДС)" when every line is
// exempt), vatIncluded, vatWord, shipmentRows ("1–3"), updStatus, soleTraderRegistration, the cash
// expense order's cashBasis, cashIdentity, cashDebit and the requisites' cashier, the buyer's
// payment ADOTable_jur1."np" and ADOTable_jur1."dp" of the printed document; and, for the
// print query's current row, the document's line at that place: lineNet, lineVat, lineGross,
// lineGrossPrice (money in kopecks), linePlaces (whole places), lineRate ("22%", "без НДС"),
// lineVatText (the VAT or "без НДС"), lineUnitCode, lineCountryCode; and the row's own rate field as
// "без НДС" for an exempt line. Other names are left to the engine.
std::optional<Value> frReport_shGetValue(const IssuedDocument& document, const RowSource* print, const QString& name);

// "Печать" of a stored document, for the window and vi23-print alike: the document read from its
// record, its print lines written and the form of its kind in the form set with its values (an empty
// template name for a kind that prints nothing). Without a set, the one chosen on the requisites tab.
// Throws, before anything is written, for a document that cannot be printed (see readIssuedDocument).
PrintRequest printDocument(DataStore& store, long long key, FormSet set);
PrintRequest printDocument(DataStore& store, long long key);

} // namespace vi23
