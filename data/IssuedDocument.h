#pragma once
// An issued document as it is printed, saved to a workbook or sent electronically: one value read
// once from its own record (the document, its lines with what they copied from the goods list when
// the goods were picked, the enterprise's requisites), with every figure made by the one money rule.
// A later change of the goods list changes nothing here.
#include "DocumentMoney.h"
#include "Schema.h"

#include <QDate>
#include <QString>
#include <array>
#include <vector>

namespace vi23 {

class Database;
class DataSet;

// A line name that marks an unused line: "-", or nothing at all (an old file keeps some so).
bool isUnusedLine(const QString& name);

struct IssuedLine {
    int index = 0;               // 0 … 9, its place in the record
    QString name;
    double quantity = 0;
    Money price;
    int rate = 0;                // kVatExempt for "Без НДС"
    QString unit;                // copied from the goods list when picked
    QString country;
    QString customsDeclaration;
    LineAmounts amounts;
};

// The enterprise as its requisites read when the document is printed.
struct EnterpriseRequisites {
    QString name, innKpp, address, phone, bank, account, correspondentAccount, bik, head, accountant,
        soleTraderName, soleTraderRegistration, okpo, okdp, headPosition, cashier;
};

struct IssuedDocument {
    long long key = 0;
    QString kind;
    QString number;
    QDate date;
    QString paymentNumber;
    QDate paymentDate;
    QString buyer, buyerAddress, buyerInnKpp, buyerBank, buyerOkpo;
    int transferStatus = 1;      // the УПД's: 1 invoice and transfer document, 2 transfer only
    // The cash expense order's: on what basis, by which identity document, the debit account.
    QString cashBasis, payeeIdentity, debitAccount;
    std::vector<IssuedLine> lines;   // the used lines, in line order
    DocumentTotals totals;           // the sums of the lines; the amount in words is totals.gross
    bool exempt = false;             // every line "Без НДС": the forms state no VAT at all
    EnterpriseRequisites seller;
};

// The document with this key as it stands in the file. Throws UserError when there is none, and,
// naming the line, when a line cannot be printed: a rate outside those in force (from an old file
// or another program), an amount beyond the money type, or a total too large for the amount in words.
IssuedDocument readIssuedDocument(Database& db, long long key);

// The line figures of the document row being stored (jur1's current row, editing): each used line's
// amount with VAT into s0 … s9 by the money rule, unused lines 0, and their sum into sss, so the
// stored figures are the printed ones. Throws, naming the line, what the print would refuse.
void completeDocumentRecord(DataSet& documents);

// Puts a goods row of the list into line `line` of the document row being written: its name, price,
// rate, unit, country and customs declaration. Later changes of the list do not reach the line.
void putGoodsIntoLine(DataSet& documents, int line, const DataSet& goods, int goodsRow);

// What an older file needs once when its documents gain the copied columns: each line's unit, country
// and customs declaration from the first goods row of its name (letter case aside) as the list stands,
// and the stored sums made by the money rule (documents a line of which cannot be printed keep theirs);
// the count of documents whose stored total changed.
void copyGoodsDetailsIntoDocuments(Database& db);
int recomputeStoredSums(Database& db);

} // namespace vi23
