#pragma once
// The kinds the program prints, each with its printed form: the one list behind the documents tab's
// kind drop-down, the journal tab's report panel, printing, the sample data and the command line.
#include <QString>
#include <QStringList>
#include <vector>

namespace vi23 {

// The electronic file a document kind is exported as: none, the VAT invoice (СЧФ), the universal
// transfer document (СЧФДОП or ДОП by its status), or the transfer part alone for goods or for work.
enum class ExchangeForm { None, VatInvoice, TransferDocument, GoodsTransfer, WorkTransfer };

// The table a report kind is saved as in a workbook: the columns and groups of its printed form.
enum class BookTable { None, IncomeMonthly, IncomeQuarterly, Bank, Cash, CashBook, Operations, Counterparties, Reconciliation };

struct FormKind {
    QString caption{};    // as the drop-down shows it and the record stores it ("Счет")
    QString form{};       // the template that prints it ("frReport_sh")
    QString form2026{};   // the template of the form in force in 2026; empty: the same as `form`

    // Documents.
    bool paymentQr = false;        // carries the payment QR code when the requisites allow one
    bool transferStatus = false;   // has the status 1 or 2 of a universal transfer document
    ExchangeForm exchange = ExchangeForm::None;   // its file for an operator of electronic documents
    bool ownNumbers = false;       // numbered in a sequence of its own, not with the other documents
    QString settlement{};            // a cash order: the settlement kind of its journal row; empty otherwise

    // Reports.
    QString periodQuery{};           // the fixed query it prints, read for the chosen period
    bool perYear = false;          // a tax book: one book for each year of the period
    bool cashBook = false;         // printed from the cash book's table, rebuilt for the period first
    bool counterparty = false;     // over one counterparty, chosen beside the period
    BookTable table = BookTable::None;   // its table in a workbook; None: not saved as one
};

// Which printed forms the enterprise uses: the program's own ("как в программе", the default of
// every existing file) or those in force in 2026 ("действующие 2026"). Kept in the settings table
// under kFormSetSetting as "described" or "2026".
enum class FormSet { Described, Current2026 };
inline const QString kFormSetSetting = QStringLiteral("forms");
inline const QString kFormSetDescribed = QStringLiteral("described");
inline const QString kFormSet2026 = QStringLiteral("2026");
// The stored value read as a form set: anything but "2026" (a missing key too) is the described set.
FormSet formSetOf(const QString& stored);
QString formSetText(FormSet set);

// The eleven document kinds in the drop-down's order.
const std::vector<FormKind>& documentKindTable();
// The nine report kinds in the report panel's order.
const std::vector<FormKind>& reportKindTable();

inline const QString kCashBookKind = QStringLiteral("Кассовая книга");
inline const QString kCashReceiptKind = QStringLiteral("Кассовый ордер-пр");
inline const QString kCashExpenseKind = QStringLiteral("Расходный кассовый ордер");
// The one report kind over a single counterparty, chosen beside the period.
inline const QString kReconciliationKind = QStringLiteral("Акт сверки");
inline const QString kUpdKind = QStringLiteral("УПД");

// The kind with this caption, matched exactly; null for any other text.
const FormKind* documentKind(const QString& caption);
const FormKind* reportKind(const QString& caption);

// The form of a kind, matched exactly; empty for any other text.
QString formOf(const std::vector<FormKind>& table, const QString& caption);
// The form of a kind in the given set: its 2026 form where it has one, else its own form.
QString formOf(const std::vector<FormKind>& table, const QString& caption, FormSet set);
// The captions in table order.
QStringList captionsOf(const std::vector<FormKind>& table);

} // namespace vi23
