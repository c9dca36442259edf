#pragma once
// The preview of a bank statement import: what will be added, what skipped and why. "Загрузить"
// stores everything in one transaction; "Отмена" stores nothing.
#include "data/BankImport.h"
#include "ui/MainContext.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace vi23 {

class BankImportDialog : public QDialog {
    Q_OBJECT
public:
    // Plans the statement, with a progress bar for a long one; a cancel throws ImportCancelled.
    BankImportDialog(ui::MainContext& context, BankStatement statement, const PlanOptions& options = {},
                     QWidget* parent = nullptr);

    QTableWidget* table() const { return table_; }
    QLabel* summary() const { return summary_; }
    QPushButton* loadButton() const { return load_; }
    int added() const { return added_; }

public slots:
    void loadClick();       // "Загрузить"
    void rulesClick();      // "Правила…": the rules edited, the statement planned again

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showPlan();
    void fitColumns();

    ui::MainContext& context_;
    BankStatement statement_;
    PlanOptions options_;
    ImportPlan plan_;
    QTableWidget* table_ = nullptr;
    QLabel* summary_ = nullptr;
    QPushButton* load_ = nullptr;
    int added_ = 0;
};

// More documents than this and the planning and the loading show a bar with "Отмена".
inline constexpr int kLongStatement = 1000;

// "Загрузить выписку" on the journal tab: the file is asked for, read and shown in the preview.
void importBankStatement(ui::MainContext& context, QWidget* parent);
// The same for a known file, without asking; returns the rows added. A statement of another owner is
// loaded only when the user says so.
int importBankStatementFile(ui::MainContext& context, QWidget* parent, const QString& path);

} // namespace vi23
