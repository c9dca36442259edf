#include "reports/ProgressDialog.h"

#include "reports/PreviewDialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vi23 {

PreparationProgress::PreparationProgress(QWidget* parent)
    : QDialog(parent), label_(new QLabel(this)), cancel_(new QPushButton(QStringLiteral("Отмена"), this))
{
    setObjectName(QStringLiteral("PreparationProgress"));
    setWindowTitle(QStringLiteral("Подготовка отчета"));
    setModal(true);
    label_->setObjectName(QStringLiteral("pageLabel"));
    label_->setMinimumWidth(240);
    label_->setAlignment(Qt::AlignCenter);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
    showPage(1);
}

bool PreparationProgress::showPage(int page)
{
    label_->setText(QStringLiteral("Формируется страница:  %1").arg(page));
    if (isVisible())
        QCoreApplication::processEvents();
    return !cancelled_;
}

QString PreparationProgress::pageText() const
{
    return label_->text();
}

PreparedReport prepareWithProgress(QWidget* parent, const Template& report, RowSourceResolver& rows,
                                   const GetValueCallback& getValue)
{
    PreparationProgress progress(parent);
    progress.show();
    if (parent)
        progress.move(parent->geometry().center() - progress.rect().center());
    QCoreApplication::processEvents();
    return prepareReport(report, rows, getValue, [&](int page) { return progress.showPage(page); });
}

void prepareAndPreview(QWidget* parent, const Template& report, RowSourceResolver& rows,
                       const GetValueCallback& getValue, const QString& fileName,
                       const std::function<void(const QString& fileName)>& workbookWriter,
                       const std::function<void(PreparedReport&)>& finish)
{
    PreparedReport prepared;
    try {
        prepared = prepareWithProgress(parent, report, rows, getValue);
    } catch (const ReportCancelled&) {
        return;
    }
    if (finish)
        finish(prepared);
    PreviewDialog preview(std::move(prepared), parent);
    preview.setSuggestedFileName(fileName);
    preview.setWorkbookWriter(workbookWriter);
    preview.exec();
}

} // namespace vi23
