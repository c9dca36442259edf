#include "BackupRestoreDialog.h"

#include "data/Error.h"
#include "data/RuFormat.h"
#include "ui/Messages.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vi23 {

namespace {

// "08.12.2026", with the time for a copy kept before a restore.
QString takenText(const BackupCopy& copy)
{
    const QString day = ru::formatDate(copy.taken.date());
    return copy.beforeRestore ? day + copy.taken.toString(QStringLiteral(" HH:mm")) : day;
}

// Sizes as a file manager shows them: "184,6 МБ".
QString sizeText(qint64 bytes)
{
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 КБ").arg(ru::formatReal(double((bytes + 1023) / 1024)));
    return QStringLiteral("%1 МБ").arg(ru::formatReal(double(bytes * 10 / (1024 * 1024)) / 10));
}

} // namespace

BackupRestoreDialog::BackupRestoreDialog(std::vector<BackupCopy> copies, QWidget* parent)
    : QDialog(parent), copies_(std::move(copies))
{
    setObjectName(QStringLiteral("BackupRestoreDialog"));
    setWindowTitle(QStringLiteral("Восстановление из резервной копии"));
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(QStringLiteral("Выберите копию. Данные базы будут заменены её данными; нынешние данные "
                                           "сохраняются в папке backup."),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);
    table_ = new QTableWidget(int(copies_.size()), 3, this);
    table_->setObjectName(QStringLiteral("Copies"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Дата копии"), QStringLiteral("Размер"), QStringLiteral("Файл")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < int(copies_.size()); ++row) {
        const BackupCopy& copy = copies_[size_t(row)];
        const QString what = copy.beforeRestore ? QStringLiteral(" (данные до восстановления)") : QString();
        const QStringList cells = {takenText(copy), sizeText(copy.size), QFileInfo(copy.path).fileName() + what};
        for (int column = 0; column < cells.size(); ++column)
            table_->setItem(row, column, new QTableWidgetItem(cells[column]));
        table_->item(row, 1)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    table_->resizeColumnsToContents();
    if (!copies_.empty())
        table_->selectRow(0);
    layout->addWidget(table_);
    auto* buttons = new QDialogButtonBox(this);
    restore_ = buttons->addButton(QStringLiteral("Восстановить"), QDialogButtonBox::AcceptRole);
    restore_->setObjectName(QStringLiteral("Restore"));
    QPushButton* cancel = buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("Cancel"));
    connect(restore_, &QPushButton::clicked, this, &BackupRestoreDialog::restoreClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(640, 360);
}

void BackupRestoreDialog::restoreClick()
{
    const int row = table_->currentRow();
    if (row < 0 || row >= int(copies_.size()))
        return;
    chosen_ = &copies_[size_t(row)];
    accept();
}

void restoreFromBackup(ui::MainContext& context, QWidget* parent)
{
    for (const auto& dataSet : context.store.dataSets()) {
        if (dataSet->isEditing())
            throw UserError(QStringLiteral("Сначала сохраните строку, которая сейчас изменяется (%1)").arg(dataSet->name()));
    }
    const QString database = context.store.database().path();
    refuseServerRestore(database);
    std::vector<BackupCopy> copies = listBackups(database);
    if (copies.empty())
        throw UserError(QStringLiteral("В папке %1 нет резервных копий базы данных").arg(backupFolder(database)));
    BackupRestoreDialog dialog(std::move(copies), parent);
    if (dialog.exec() != QDialog::Accepted || !dialog.chosen())
        return;
    const BackupCopy copy = *dialog.chosen();
    if (!ui::askYesNo(parent,
                      QStringLiteral("Заменить данные базы %1 данными копии от %2? Нынешние данные будут сохранены в папке backup.")
                          .arg(QFileInfo(database).fileName(), takenText(copy)),
                      ui::DefaultAnswer::No))
        return;
    const QString kept = restoreBackup(copy.path, database, true);
    ui::showInformation(parent, QStringLiteral("База данных восстановлена из копии от %1. Прежние данные сохранены в файле %2.\n"
                                               "Программа откроет базу заново.")
                                    .arg(takenText(copy), kept));
    if (context.reopen)
        context.reopen();
}

} // namespace vi23
