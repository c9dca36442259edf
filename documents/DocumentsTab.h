#pragma once
// Tab 1 "Выписка документов": one issued document with its ten goods lines, and the list of documents.
#include "ui/MainContext.h"
#include "ui/ProportionalLayout.h"

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QPushButton;

namespace vi23::ui {
class DBEdit;
class DBComboBox;
class DBLookupComboBox;
class DBGrid;
class DeletionUndo;
}

namespace vi23 {

class DocumentsTab : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLines = 10;

    DocumentsTab(ui::MainContext& context, QWidget* parent = nullptr);
    ~DocumentsTab() override;

    void applyLayout(const ui::LayoutUnits& units);

    // The ten name, quantity, price, rate and sum boxes of line i (0 at the top).
    ui::DBEdit* nameBox(int line) const { return nameBoxes_[size_t(line)]; }
    ui::DBEdit* quantityBox(int line) const { return quantityBoxes_[size_t(line)]; }
    ui::DBEdit* priceBox(int line) const { return priceBoxes_[size_t(line)]; }
    ui::DBEdit* rateBox(int line) const { return rateBoxes_[size_t(line)]; }
    ui::DBEdit* sumBox(int line) const { return sumBoxes_[size_t(line)]; }
    ui::DBLookupComboBox* buyerBox() const { return buyerBox_; }
    ui::DBEdit* documentDateBox() const { return documentDate_; }
    ui::DBEdit* paymentDateBox() const { return paymentDate_; }
    ui::DBEdit* counterBox() const { return counter_; }
    ui::DBComboBox* kindBox() const { return kindBox_; }
    // The typical operation a cash order is registered in the journal under (jur1.sr).
    ui::DBLookupComboBox* operationBox() const { return operationBox_; }
    // The УПД's status, 1 or 2, chosen per document; kept beside the record, not in its fields.
    QComboBox* statusBox() const { return statusBox_; }

    ui::DBGrid* grid() const { return grid_; }

    // The buyer's requisites from the counterparty list into the document being stored; a buyer
    // no longer in the list keeps those the document has, unless the buyer was changed.
    void CopyBuyerRequisites();
    // The line whose name box was clicked last and has not had its pick yet; -1 for none.
    int goodsLine() const { return goodsLine_; }
    // Puts the goods row picked in the pick window into that line (its name, price, rate, unit,
    // country and customs declaration), starting editing of a stored document; nothing when no
    // name box is waiting. Throws on failure.
    void putGoods(int goodsRow);

    // What "Сохранить " does: the buyer's requisites, then the record is stored with its line sums
    // and total made from the lines as typed; nothing while no document is being written. Throws on failure.
    void save();
    // The question before the current document is deleted.
    static QString deletionQuestion(const DataSet& documents);
    // "Выгрузить для ЭДО…" once the folder is chosen: the current document (stored first when it is
    // being written) as its electronic file in the folder, which is remembered. Returns the file's
    // path; throws what is refused, writing nothing.
    QString writeExchangeInto(const QString& folder);

public slots:
    void Button4Click();    // "Новая запись"
    void Button20Click();   // "Редактор"
    void Button10Click();   // "Сохранить "
    void Button11Click();   // "Удалить "
    void Button3Click();    // "Печать"
    void exportForExchange();   // "Выгрузить для ЭДО…"
    void DBEdit12Click(bool byKeyboard = false);   // document date: calendar
    void DBEdit41Click(bool byKeyboard = false);   // payment date: calendar
    void nameBoxClicked(int line);   // DBEdit19Click, DBEdit22Click … DBEdit40Click
    void undoDeletion();             // Ctrl+Z
    void statusChosen(int index);
    // "Зарегистрировать в журнале": the current cash order's journal row "КО", made once.
    void registerInJournal();

private:
    class StatusFollower;
    void showStatus();
    ui::DBEdit* makeBox(const char* name, const QString& field, bool readOnly = false);
    // Whatever stores the document (Save, the grid, leaving the row): the kind as listed, the buyer's requisites.
    void prepareForStore(DataSet& doc);
    // A new cash expense order takes the next number of its own sequence in place of the one New
    // proposed; a number typed over the proposal stays.
    void proposeNumberForKind(DataSet& doc, const QString& kind);
    // The groups of controls, each in its rows of the tab.
    void placeButtons();
    void placeHeader();
    void placeBuyer();
    void placeLines();
    void placeDocumentsGrid();
    void placeCashOrderBoxes();
    DataSet& documents() const;
    // The key of the document on screen; one still being written is stored first as "Сохранить " would,
    // once `question` ("Сохранить документ и напечатать?") is answered "Да". None for "Нет"; throws
    // when there is no document.
    std::optional<long long> storedCurrentDocument(const QString& what, const QString& question);

    ui::MainContext& context_;
    ui::ProportionalLayout layout_;
    std::array<ui::DBEdit*, kLines> nameBoxes_{};
    std::array<ui::DBEdit*, kLines> quantityBoxes_{};
    std::array<ui::DBEdit*, kLines> priceBoxes_{};
    std::array<ui::DBEdit*, kLines> rateBoxes_{};
    std::array<ui::DBEdit*, kLines> sumBoxes_{};
    ui::DBEdit* counter_ = nullptr;
    ui::DBComboBox* kindBox_ = nullptr;
    ui::DBEdit* numberBox_ = nullptr;
    ui::DBEdit* documentDate_ = nullptr;
    ui::DBEdit* paymentNumber_ = nullptr;
    ui::DBEdit* paymentDate_ = nullptr;
    ui::DBLookupComboBox* buyerBox_ = nullptr;
    ui::DBLookupComboBox* operationBox_ = nullptr;
    QString countProposal_;     // the number New proposed: the count of stored documents plus one
    QString proposedNumber_;    // the number the new document shows as proposed
    QString numberBeforeStore_; // the number a document had when it went to be stored
    ui::DBGrid* grid_ = nullptr;
    int goodsLine_ = -1;
    std::unique_ptr<ui::DeletionUndo> deletion_;
    QComboBox* statusBox_ = nullptr;
    int pendingStatus_ = 0;     // chosen for a document not stored yet; written by its save
    std::unique_ptr<StatusFollower> statusFollower_;
};

// The document kinds in the order of the kind drop-down.
const QStringList& documentKinds();
// The kind a typed text means, letter case, "ё" and surrounding blanks aside; empty for none of them.
QString documentKindOf(const QString& typed);

} // namespace vi23
