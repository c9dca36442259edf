#pragma once
// The data side of printing a document: the print log row, the scratch table of print lines, the
// filtered print query, the printed totals and the report variables.
#include "data/DataStore.h"
#include "data/DocumentMoney.h"
#include "data/FormKinds.h"
#include "data/Value.h"
#include "ui/MainContext.h"

#include <QString>
#include <array>
#include <functional>
#include <optional>

namespace vi23 {

// What the documents tab's boxes hold at the moment of printing.
struct DocumentForm {
    QString key;                        // the counter box
    QString kind;                       // the kind drop-down
    std::array<QString, 10> names;      // line 0 to 9
    std::array<QString, 10> quantities;
    std::array<QString, 10> prices;
};

// The form of a stored document, for printing without the window.
DocumentForm documentFormFromRecord(const DataSet& documents);

// The printed form of a document kind in a form set ("Счет" -> "frReport_sh"); empty for any other text.
QString documentTemplateFor(const QString& kind, FormSet set = FormSet::Described);

// Logs the print, refills tov with the form's non-empty lines in line order, re-opens the print
// query filtered to the document and sets printTotal and printVat to the sums of the printed rows
// (lineAmounts). The log row and the new lines are stored, and the print query read, as one unit: a
// failure part-way (a key or number that does not read) leaves tov and z as they were and throws the
// conversion error, and another print at the same moment cannot empty this one. A row or total beyond
// the money range, or a total too large to be written in words, is refused before anything is printed,
// with a message naming the line and the limit.
void preparePrintData(DataStore& store, ui::MainState& state, const DocumentForm& form);

// "Печать" of a document, for the window and vi23-print alike: the print data as above and the form
// of the document's kind in the form set with its values (an empty template name for a kind that
// prints nothing). Without a set, the one chosen on the requisites tab.
ui::PrintRequest printDocument(DataStore& store, ui::MainState& state, const DocumentForm& form, FormSet set);
ui::PrintRequest printDocument(DataStore& store, ui::MainState& state, const DocumentForm& form);

// The stored document with this key, found by its key alone and made the current row of jur1 (the
// cash receipt order reads it there); throws when there is none.
DocumentForm storedDocument(DataStore& store, long long key);

// The printed amounts of the print query's current row.
LineAmounts printedLine(const RowSource& print);

// frReport_shGetValue: str5 (the total in words), str8 (the total), str9 (the VAT); vatTotalText (the
// VAT, or "Без налога (НДС)" when every line is exempt), shipmentRows ("1–3"), updStatus; and, for the
// current row of the print query, lineNet, lineVat, lineGross, lineGrossPrice (money in kopecks),
// linePlaces (whole places), lineRate ("22%", "без НДС"), lineVatText (the VAT or "без НДС"),
// lineUnitCode, lineCountryCode, soleTraderRegistration; and the row's rate field itself as "без НДС"
// for an exempt line and the VAT total sum([lineVat]) as "Без налога (НДС)" for an exempt document, so
// every form prints them so. Other names unset.
std::optional<Value> frReport_shGetValue(const ui::MainState& state, const RowSource* print, const QString& name);

} // namespace vi23
