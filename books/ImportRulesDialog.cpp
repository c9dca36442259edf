#include "ImportRulesDialog.h"

#include "data/Error.h"
#include "ui/Messages.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <array>
#include <tuple>

namespace vi23 {

namespace {

const QStringList kKinds = {QStringLiteral("Назначение"), QStringLiteral("Контрагент")};

QComboBox* comboOf(QTableWidget* table, int row, int column)
{
    return qobject_cast<QComboBox*>(table->cellWidget(row, column));
}

} // namespace

ImportRulesDialog::ImportRulesDialog(Database& db, QWidget* parent) : QDialog(parent), db_(db)
{
    setObjectName(QStringLiteral("ImportRulesDialog"));
    setWindowTitle(QStringLiteral("Правила загрузки выписки"));
    auto* layout = new QVBoxLayout(this);
    auto* hint = new QLabel(QStringLiteral("Правила проверяются по порядку; первое подходящее выбирает операцию. "
                                           "«Назначение»: назначение платежа содержит текст; «Контрагент»: наименование "
                                           "или ИНН контрагента содержит текст. Правило применяется только к платежам "
                                           "того же вида, что и его операция (Приход или Расход)."),
                            this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    {
        Statement ops = db_.prepare(QStringLiteral("SELECT DISTINCT sr FROM sr WHERE sr IS NOT NULL ORDER BY rowid"));
        while (ops.step())
            operations_ << ops.text(0);
    }
    table_ = new QTableWidget(0, 3, this);
    table_->setObjectName(QStringLiteral("Rules"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Если"), QStringLiteral("содержит"), QStringLiteral("то операция")});
    table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    table_->verticalHeader()->hide();
    layout->addWidget(table_);
    Statement rules = db_.prepare(QStringLiteral("SELECT kind, pattern, sr FROM import_rules ORDER BY n"));
    while (rules.step())
        addRule(rules.text(0), rules.text(1), rules.text(2));

    auto* buttons = new QHBoxLayout;
    const std::array<std::tuple<const char*, QString, void (ImportRulesDialog::*)()>, 3> actions = {{
        {"Add", QStringLiteral("Добавить"), &ImportRulesDialog::addClick},
        {"Remove", QStringLiteral("Удалить"), &ImportRulesDialog::removeClick},
        {"Save", QStringLiteral("Сохранить"), &ImportRulesDialog::saveClick},
    }};
    for (const auto& [name, text, handler] : actions) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        connect(b, &QPushButton::clicked, this, handler);
        buttons->addWidget(b);
    }
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    resize(760, 360);
}

void ImportRulesDialog::addRule(const QString& kind, const QString& pattern, const QString& operation)
{
    const int row = table_->rowCount();
    table_->insertRow(row);
    auto* kindBox = new QComboBox(table_);
    kindBox->addItems(kKinds);
    kindBox->setCurrentIndex(std::max<qsizetype>(0, kKinds.indexOf(kind)));
    table_->setCellWidget(row, 0, kindBox);
    table_->setItem(row, 1, new QTableWidgetItem(pattern));
    auto* operationBox = new QComboBox(table_);
    operationBox->addItems(operations_);
    // A rule naming an operation since removed from the list keeps showing it.
    if (!operation.isEmpty() && !operations_.contains(operation))
        operationBox->addItem(operation);
    operationBox->setCurrentText(operation);
    table_->setCellWidget(row, 2, operationBox);
    // A box shows its longest choice whole: the columns of the boxes grow to it, the text column gives way.
    for (const auto& [column, box] : {std::pair{0, kindBox}, std::pair{2, operationBox}})
        table_->setColumnWidth(column, std::max(table_->columnWidth(column), box->sizeHint().width() + 2));
}

void ImportRulesDialog::addClick()
{
    ui::runGuarded(this, [this] {
        addRule(kKinds.front(), QString(), operations_.value(0));
        table_->setCurrentCell(table_->rowCount() - 1, 1);
        table_->editItem(table_->item(table_->rowCount() - 1, 1));
    });
}

void ImportRulesDialog::removeClick()
{
    ui::runGuarded(this, [this] {
        if (table_->currentRow() < 0)
            throw UserError(QStringLiteral("Выберите правило, которое нужно удалить"));
        table_->removeRow(table_->currentRow());
    });
}

void ImportRulesDialog::saveClick()
{
    ui::runGuarded(this, [this] {
        Database::Transaction transaction(db_);
        db_.exec(QStringLiteral("DELETE FROM import_rules"));
        Statement insert = db_.prepare(QStringLiteral("INSERT INTO import_rules (kind, pattern, sr) VALUES (?1, ?2, ?3)"));
        for (int row = 0; row < table_->rowCount(); ++row) {
            const QString pattern = table_->item(row, 1) ? table_->item(row, 1)->text().trimmed() : QString();
            const QString operation = comboOf(table_, row, 2)->currentText();
            if (pattern.isEmpty())
                throw UserError(QStringLiteral("Правило %1: укажите текст, который нужно искать").arg(row + 1));
            if (operation.isEmpty())
                throw UserError(QStringLiteral("Правило %1: выберите операцию").arg(row + 1));
            insert.reset();
            insert.bind(1, comboOf(table_, row, 0)->currentText());
            insert.bind(2, pattern);
            insert.bind(3, operation);
            try {
                insert.run();
            } catch (const UserError& e) {
                throw UserError(QStringLiteral("Правило %1 не сохранено: %2").arg(row + 1).arg(e.text()));
            }
        }
        transaction.commit();
        accept();
    });
}

} // namespace vi23
