#pragma once
// "Восстановить из копии…": the daily copies of the database listed with their date and size; the
// chosen one is put back with the checks of vi23-init --restore, the replaced data kept in backup/,
// and the program opens again on the restored file.
#include "data/Backup.h"
#include "ui/MainContext.h"

#include <QDialog>

class QPushButton;
class QTableWidget;

namespace vi23 {

class BackupRestoreDialog : public QDialog {
    Q_OBJECT
public:
    BackupRestoreDialog(std::vector<BackupCopy> copies, QWidget* parent = nullptr);

    QTableWidget* table() const { return table_; }
    QPushButton* restoreButton() const { return restore_; }
    // The copy chosen with "Восстановить"; null before.
    const BackupCopy* chosen() const { return chosen_; }

public slots:
    void restoreClick();

private:
    std::vector<BackupCopy> copies_;
    QTableWidget* table_ = nullptr;
    QPushButton* restore_ = nullptr;
    const BackupCopy* chosen_ = nullptr;
};

// The whole of "Восстановить из копии…": refuses while a row is being written, asks which copy and
// whether to replace the data, restores and has the program open the file again.
void restoreFromBackup(ui::MainContext& context, QWidget* parent);

} // namespace vi23
