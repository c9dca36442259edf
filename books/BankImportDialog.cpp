#include "BankImportDialog.h"

#include "ImportRulesDialog.h"
#include "data/Error.h"
#include "data/RuFormat.h"
#include "data/Settings.h"
#include "reports/FileDialogs.h"
#include "ui/DataSource.h"
#include "ui/Messages.h"

#include <algorithm>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vi23 {

namespace {

const QString kFolderSetting = QStringLiteral("Папка выписок");
constexpr int kCounterpartyColumn = 5;
constexpr int kPurposeColumn = 8;
constexpr int kNameColumnWidth = 180;
// What the name, operation and note columns give way down to, and the room the purpose keeps.
constexpr int kNarrowestNameWidth = 100;
constexpr int kPurposeMinimumWidth = 220;

QString moneyText(Money sum)
{
    // Thousands apart as on paper: "15 000,00".
    QString text = sum.toFixed(2);
    const qsizetype comma = text.indexOf(u',');
    for (qsizetype at = comma - 3; at > (text.startsWith(u'-') ? 1 : 0); at -= 3)
        text.insert(at, u'\u00A0');
    return text;
}

// Runs work that reports its progress; a long statement shows a bar whose "Отмена" stops it.
template <typename Work>
auto withProgress(QWidget* parent, const QString& label, size_t documents, Work work)
{
    if (documents <= size_t(kLongStatement))
        return work(ImportProgress());
    QProgressDialog bar(label, QStringLiteral("Отмена"), 0, int(documents), parent);
    bar.setObjectName(QStringLiteral("ImportProgress"));
    bar.setWindowTitle(ui::programName());
    bar.setWindowModality(Qt::WindowModal);
    bar.setMinimumDuration(0);
    bar.show();
    return work(ImportProgress([&bar](int done, int total) {
        bar.setMaximum(total);
        bar.setValue(done);
        return !bar.wasCanceled();
    }));
}

} // namespace

BankImportDialog::BankImportDialog(ui::MainContext& context, BankStatement statement, const PlanOptions& options,
                                   QWidget* parent)
    : QDialog(parent), context_(context), statement_(std::move(statement)), options_(options)
{
    setObjectName(QStringLiteral("BankImportDialog"));
    setWindowTitle(QStringLiteral("Загрузка выписки из банка"));
    auto* layout = new QVBoxLayout(this);

    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("Summary"));
    summary_->setWordWrap(true);
    layout->addWidget(summary_);
    const QStringList titles = {QStringLiteral("Действие"), QStringLiteral("Дата"), QStringLiteral("Номер"),
                                QStringLiteral("Сумма"), QStringLiteral("Движение"), QStringLiteral("Контрагент"),
                                QStringLiteral("Операция"), QStringLiteral("Примечание"), QStringLiteral("Назначение платежа"),
                                QStringLiteral("Строка файла")};
    table_ = new QTableWidget(0, int(titles.size()), this);
    table_->setObjectName(QStringLiteral("Lines"));
    table_->setHorizontalHeaderLabels(titles);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->setWordWrap(true);
    // The purpose of payment takes the room the other columns leave, its text wrapped.
    table_->horizontalHeader()->setSectionResizeMode(kPurposeColumn, QHeaderView::Stretch);
    layout->addWidget(table_);

    auto* buttons = new QDialogButtonBox(this);
    load_ = buttons->addButton(QStringLiteral("Загрузить"), QDialogButtonBox::AcceptRole);
    load_->setObjectName(QStringLiteral("Load"));
    QPushButton* rules = buttons->addButton(QStringLiteral("Правила…"), QDialogButtonBox::ActionRole);
    rules->setObjectName(QStringLiteral("Rules"));
    QPushButton* cancel = buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("Cancel"));
    connect(load_, &QPushButton::clicked, this, &BankImportDialog::loadClick);
    connect(rules, &QPushButton::clicked, this, &BankImportDialog::rulesClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(1000, 480);
    showPlan();
}

void BankImportDialog::showPlan()
{
    plan_ = withProgress(parentWidget(), QStringLiteral("Проверка выписки…"), statement_.documents.size(),
                         [this](const ImportProgress& progress) {
                             PlanOptions options = options_;
                             options.progress = progress;
                             return planImport(context_.store.database(), statement_, options);
                         });
    summary_->setText(QStringLiteral("Будет добавлено строк журнала: %1, пропущено документов: %2, новых контрагентов: %3. "
                                     "Кодировка файла: %4.")
                          .arg(plan_.added())
                          .arg(plan_.skipped())
                          .arg(plan_.counterparties.size())
                          .arg(plan_.encoding));
    table_->setRowCount(int(plan_.lines.size()));
    for (int row = 0; row < int(plan_.lines.size()); ++row) {
        const ImportLine& line = plan_.lines[size_t(row)];
        QString remark = line.reason;
        if (line.newCounterparty)
            remark = remark.isEmpty() ? QStringLiteral("новый контрагент") : QStringLiteral("новый контрагент; ") + remark;
        const QStringList cells = {line.add ? QStringLiteral("Добавить") : QStringLiteral("Пропустить"),
                                   ru::formatDate(line.date), line.number, moneyText(line.sum),
                                   line.incoming ? QStringLiteral("Поступление") : QStringLiteral("Списание"),
                                   line.counterparty, line.operation, remark, line.purpose, QString::number(line.line)};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column == 3)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (column >= kCounterpartyColumn)
                item->setToolTip(cells[column]);
            if (!line.add)
                item->setForeground(Qt::darkGray);
            table_->setItem(row, column, item);
        }
    }
    fitColumns();
    load_->setEnabled(plan_.added() > 0);
}

void BankImportDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    fitColumns();
}

void BankImportDialog::fitColumns()
{
    table_->resizeColumnsToContents();
    // A state payee's name runs to 160 letters: cut to its column, the note and the purpose stay in sight.
    for (int column : {kCounterpartyColumn, kCounterpartyColumn + 1, kCounterpartyColumn + 2})
        table_->setColumnWidth(column, std::min(table_->columnWidth(column), kNameColumnWidth));
    // On a small screen the names, the operation and the note give way further, their texts wrapped,
    // so that the purpose of payment keeps room to be read.
    int others = 0;
    for (int column = 0; column < table_->columnCount(); ++column)
        others += column == kPurposeColumn ? 0 : table_->columnWidth(column);
    int lacking = kPurposeMinimumWidth - (table_->viewport()->width() - others);
    for (int column : {kCounterpartyColumn + 2, kCounterpartyColumn, kCounterpartyColumn + 1}) {
        if (lacking <= 0)
            break;
        const int width = table_->columnWidth(column);
        const int narrower = std::max(std::min(width, kNarrowestNameWidth), width - lacking);
        lacking -= width - narrower;
        table_->setColumnWidth(column, narrower);
    }
    table_->resizeRowsToContents();
}

void BankImportDialog::rulesClick()
{
    ui::runGuarded(this, [this] {
        ImportRulesDialog rules(context_.store.database(), this);
        if (rules.exec() == QDialog::Accepted)
            showPlan();
    });
}

void BankImportDialog::loadClick()
{
    ui::runGuarded(this, [this] {
        try {
            added_ = withProgress(this, QStringLiteral("Загрузка выписки…"), plan_.lines.size(), [this](const ImportProgress& progress) {
                return applyImport(context_.store.database(), plan_, ApplyMode::Store, progress);
            });
        } catch (const ImportCancelled& cancelled) {
            ui::showInformation(this, cancelled.text());
            return;
        }
        // The journal and the counterparty list show what was stored.
        context_.jur.dataSet().refresh();
        context_.k.dataSet().refresh();
        accept();
    });
}

int importBankStatementFile(ui::MainContext& context, QWidget* parent, const QString& path)
{
    for (ui::DataSource* source : {&context.jur, &context.k}) {
        if (source->dataSet().isEditing())
            throw UserError(QStringLiteral("Сначала сохраните строку, которая сейчас изменяется в журнале или в "
                                           "списке контрагентов"));
    }
    BankStatement statement = readBankStatementFile(path);
    PlanOptions options;
    if (const QString foreign = foreignStatement(context.store.database(), statement); !foreign.isEmpty()) {
        if (!ui::askYesNo(parent, foreign + QStringLiteral(".\nЗагрузить её всё равно?"), ui::DefaultAnswer::No))
            return 0;
        options.foreignAccepted = true;
    }
    std::unique_ptr<BankImportDialog> dialog;
    try {
        dialog = std::make_unique<BankImportDialog>(context, std::move(statement), options, parent);
    } catch (const ImportCancelled&) {
        return 0;
    }
    if (dialog->exec() != QDialog::Accepted)
        return 0;
    writeSetting(context.store.database(), kFolderSetting, QFileInfo(path).absolutePath());
    ui::showInformation(parent, QStringLiteral("Выписка загружена: добавлено строк журнала %1").arg(dialog->added()));
    return dialog->added();
}

void importBankStatement(ui::MainContext& context, QWidget* parent)
{
    const QString folder = readSetting(context.store.database(), kFolderSetting);
    const QString path = openFileName(parent, QStringLiteral("Выписка из банка"), folder,
                                                  QStringLiteral("Выписки банка (*.txt *.TXT);;Все файлы (*)"));
    if (!path.isEmpty())
        importBankStatementFile(context, parent, path);
}

} // namespace vi23
