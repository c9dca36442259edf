#pragma once
// A fresh kn.mdb with one small enterprise, a document of every kind and a journal over two years,
// and helpers that prepare the program's printed forms over it and read the prepared pages.
#include "data/DataStore.h"
#include "data/FormKinds.h"
#include "data/IssuedDocument.h"
#include "reports/PreparedReport.h"
#include "reports/PrintRequest.h"
#include "reports/templates/BuiltInTemplates.h"
#include "tests/TestStore.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace vi23::e2e {

// A goods line of a document: name, quantity and price as the form's boxes hold them. Goods of the
// list are picked as the pick window puts them into a line (price, rate, unit, country, customs
// declaration) and the quantity and price then typed over; other names are typed with rate 0.
struct Line {
    QString name;
    QString quantity;
    QString price;
};

class PrintFixture {
public:
    explicit PrintFixture(test::Store store = test::Store::File);

    DataStore& store() { return *store_; }
    QString path() const { return db_.path(); }
    // The document printed last, as it was read for its print.
    const IssuedDocument& lastDocument() const { return last_; }

    // The enterprise, three goods ("Бумага А4" 18 %, "Ручка гелевая" 0 %, "Картридж" 20 %) and a buyer.
    void fillReferenceLists();
    // One more goods row of the list, sold by the piece at the rate (kVatExempt for "Без НДС").
    void addGoods(const QString& name, int rate);
    // A stored document of the kind, number 15 of 05.11.2024, cash order 42 of 03.11.2024, for the
    // known buyer; the standard lines are 3 × 10,15 Бумага А4, "-", 2 × 25 Ручка гелевая,
    // 1,5 × 1000 Картридж and "-" for the rest. Returns its key.
    long long addDocument(const QString& kind, const std::vector<Line>& lines = standardLines());
    static std::vector<Line> standardLines();
    // Prints the document as the documents tab and vi23-print do; the kind selects the form of the
    // set, an empty result for a kind outside the table.
    std::optional<PreparedReport> printDocument(long long key, FormSet set = FormSet::Described);

    // The journal of the books: two years, all four kinds, an operation missing from sr, an expense
    // "Расход", rows on and after the end date 15.01.2024, a cash order before the start 01.01.2023;
    // its three counterparties in the list, and documents issued to ООО Альфа: ТН 7 of 01.12.2022 for
    // 3000 (before the period), Акт 8 of 01.03.2023 for 1234,56, Счет 9 of 11.11.2023 for 500, ТН 10
    // of 20.01.2024 for 999,99 (after it), a cash receipt order for 777 (a payment, not a document of
    // the act) and one document to ООО Бета.
    void fillJournal();
    static QDate periodStart() { return {2023, 1, 1}; }
    static QDate periodEnd() { return {2024, 1, 15}; }
    static QString actCounterparty() { return QStringLiteral("ООО Альфа"); }
    // Prints a book of the report panel over the period as "Печать отчета" does: the cash book rebuilt
    // first, the tax books one for each year of the period, the reconciliation act with the counterparty.
    PreparedReport printBook(const QString& kind, QDate from = periodStart(), QDate to = periodEnd(),
                             const QString& counterparty = actCounterparty());

    const BuiltInTemplates& templates() const { return templates_; }

private:
    test::TempDatabase db_;
    std::unique_ptr<DataStore> store_;
    IssuedDocument last_;
    BuiltInTemplates templates_;
};

// Print cases that read the store run over the file and over a server database alike.
class StoreCase : public ::testing::TestWithParam<test::Store> {
protected:
    void SetUp() override { VI23_REQUIRE_STORE(GetParam()); }
};
#define VI23_PRINT_CASES_ON_BOTH_STORES(suite)                                                                                      \
    class suite : public ::vi23::e2e::StoreCase {};                                                                     \
    VI23_INSTANTIATE_ON_BOTH_STORES(suite)

// ---- reading prepared pages ----

// A box's text lines joined with single spaces, runs of blanks collapsed.
QString flat(const PreparedBox& box);
// The boxes of a page whose flat text equals the text, in page order.
std::vector<const PreparedBox*> boxesWithText(const PreparedPage& page, const QString& text);
// The one box at that position; fails the test when there is none.
const PreparedBox& boxAt(const PreparedPage& page, int x, int y);
// Flat texts of the boxes whose x equals the column, top to bottom; of a report, page after page.
QStringList column(const PreparedPage& page, int x);
QStringList column(const PreparedReport& report, int x);
// Flat texts of all boxes of the page in page order.
QStringList pageTexts(const PreparedPage& page);
// The flat texts of the boxes lying on one band output: top y within [y, y + height).
QStringList bandTexts(const PreparedPage& page, int y, int height);

} // namespace vi23::e2e
