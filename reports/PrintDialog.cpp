#include "reports/PrintDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vi23 {

std::optional<QList<int>> parsePageRanges(const QString& text, int pageCount)
{
    QList<int> pages;
    const QStringList parts = text.split(u',', Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return std::nullopt;
    for (const QString& raw : parts) {
        const QString part = raw.trimmed();
        const qsizetype dash = part.indexOf(u'-');
        bool ok1 = false, ok2 = true;
        const int from = (dash < 0 ? part : part.left(dash)).trimmed().toInt(&ok1);
        const int to = dash < 0 ? from : part.mid(dash + 1).trimmed().toInt(&ok2);
        if (!ok1 || !ok2 || from < 1 || to < from)
            return std::nullopt;
        for (int p = from; p <= std::min(to, pageCount); ++p)
            pages.push_back(p);
    }
    return pages;
}

PrintDialog::PrintDialog(int pageCount, int currentPage, QWidget* parent)
    : QDialog(parent), pageCount_(pageCount), currentPage_(currentPage)
{
    setObjectName(QStringLiteral("PrintDialog"));
    setWindowTitle(QStringLiteral("Печать"));
    printer_ = new QComboBox(this);
    printer_->setObjectName(QStringLiteral("printerBox"));
    const QStringList printers = QPrinterInfo::availablePrinterNames();
    printer_->addItems(printers);
    const QString def = QPrinterInfo::defaultPrinterName();
    if (!def.isEmpty())
        printer_->setCurrentText(def);
    copies_ = new QSpinBox(this);
    copies_->setObjectName(QStringLiteral("copiesBox"));
    copies_->setRange(1, 999);

    auto* range = new QGroupBox(QStringLiteral("Страницы"), this);
    all_ = new QRadioButton(QStringLiteral("Все"), range);
    all_->setObjectName(QStringLiteral("allPages"));
    current_ = new QRadioButton(QStringLiteral("Текущая"), range);
    current_->setObjectName(QStringLiteral("currentPage"));
    numbers_ = new QRadioButton(QStringLiteral("Номера:"), range);
    numbers_->setObjectName(QStringLiteral("pageNumbers"));
    ranges_ = new QLineEdit(range);
    ranges_->setObjectName(QStringLiteral("pageRanges"));
    auto* hint = new QLabel(
        QStringLiteral("Введите номера и/или диапазоны страниц, разделенные запятыми. Например, 1,3,5-12"), range);
    hint->setWordWrap(true);
    all_->setChecked(true);
    connect(ranges_, &QLineEdit::textEdited, this, [this] { numbers_->setChecked(true); });
    auto* rangeLayout = new QVBoxLayout(range);
    rangeLayout->addWidget(all_);
    rangeLayout->addWidget(current_);
    auto* numbersRow = new QHBoxLayout;
    numbersRow->addWidget(numbers_);
    numbersRow->addWidget(ranges_);
    rangeLayout->addLayout(numbersRow);
    rangeLayout->addWidget(hint);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Принтер:"), printer_);
    form->addRow(QStringLiteral("Число копий:"), copies_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &PrintDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PrintDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(range);
    layout->addWidget(buttons);
}

QString PrintDialog::printerName() const
{
    return printer_->currentText();
}

int PrintDialog::copies() const
{
    return copies_->value();
}

std::optional<QList<int>> PrintDialog::pages() const
{
    if (current_->isChecked())
        return QList<int>{currentPage_};
    if (numbers_->isChecked())
        return parsePageRanges(ranges_->text(), pageCount_);
    QList<int> all;
    for (int p = 1; p <= pageCount_; ++p)
        all.push_back(p);
    return all;
}

void PrintDialog::accept()
{
    if (!pages()) {
        QMessageBox::warning(this, QStringLiteral("Печать"),
                             QStringLiteral("Введите номера и/или диапазоны страниц, разделенные запятыми. Например, 1,3,5-12"));
        ranges_->setFocus();
        return;
    }
    QDialog::accept();
}

} // namespace vi23
