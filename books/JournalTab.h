#pragma once
// Tab 2 "Регистрация документов, отчеты": the journal of operations and the report panel.
#include "ui/MainContext.h"
#include "ui/ProportionalLayout.h"

#include <QWidget>
#include <functional>
#include <memory>

class QComboBox;
class QDateEdit;

namespace vi23::ui {
class DBEdit;
class DBComboBox;
class DBLookupComboBox;
class DBGrid;
class DeletionUndo;
}

namespace vi23 {

class JournalTab : public QWidget {
    Q_OBJECT
public:
    JournalTab(ui::MainContext& context, QWidget* parent = nullptr);
    ~JournalTab() override;
    void applyLayout(const ui::LayoutUnits& units);

    ui::DBEdit* dateBox() const { return dateBox_; }
    ui::DBEdit* sumBox() const { return sumBox_; }
    ui::DBLookupComboBox* operationBox() const { return operationBox_; }
    QDateEdit* periodStart() const { return dtp1_; }
    QDateEdit* periodEnd() const { return dtp2_; }
    QComboBox* reportKind() const { return reportKind_; }
    // The counterparty of the reconciliation act, shown while that kind is chosen.
    QComboBox* reportCounterparty() const { return reportCounterparty_; }

    ui::DBGrid* grid() const { return grid_; }

    // The defaults of a new journal row.
    static void ADOTable_jurAfterInsert(DataSet& journal);
    // What "Сохранить" does: the operation's kind of settlement is copied and the entry stored;
    // nothing while no entry is being written. An entry without an operation, or whose operation
    // has no kind, is refused. Throws on failure.
    void save();
    static QString deletionQuestion(const DataSet& journal);

public slots:
    void Button8Click();    // "Добавить"
    void Button14Click();   // "Удалить"
    void Button15Click();   // "Редактор"
    void Button16Click();   // "Сохранить"
    void Button5Click();    // "Печать отчета"
    void ButtonBankImportClick();   // "Загрузить выписку"
    void DBEdit1Click(bool byKeyboard = false);    // date: calendar
    void DBEdit3Click(bool byKeyboard = false);    // sum: calculator
    void undoDeletion();    // Ctrl+Z
    void reportKindChanged(const QString& kind);

private:
    // The groups of controls: the buttons, the entry boxes over the grid, the grid, the report panel.
    void placeButtons();
    void placeEntryBoxes();
    void placeJournalGrid();
    void buildReportPanel();
    void fillCounterparties();

    ui::MainContext& context_;
    ui::ProportionalLayout layout_;
    ui::DBEdit* dateBox_ = nullptr;
    ui::DBEdit* numberBox_ = nullptr;
    ui::DBComboBox* kindBox_ = nullptr;
    ui::DBEdit* sumBox_ = nullptr;
    ui::DBLookupComboBox* operationBox_ = nullptr;
    ui::DBLookupComboBox* counterpartyBox_ = nullptr;
    ui::DBGrid* grid_ = nullptr;
    QDateEdit* dtp1_ = nullptr;
    QDateEdit* dtp2_ = nullptr;
    QComboBox* reportKind_ = nullptr;
    QComboBox* reportCounterparty_ = nullptr;
    QWidget* reportCounterpartyLabel_ = nullptr;
    std::unique_ptr<ui::DeletionUndo> deletion_;
};

// The nine report kinds of the report panel, in order.
const QStringList& reportKinds();

} // namespace vi23
