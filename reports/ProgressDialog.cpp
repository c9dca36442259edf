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
    if (isVisible() && (!sinceEvents_.isValid() || sinceEvents_.hasExpired(40))) {
        QCoreApplication::processEvents();
        sinceEvents_.start();
    }
    return !cancelled_;
}

QString PreparationProgress::pageText() const
{
    return label_->text();
}

void prepareAndPreview(QWidget* parent, const Template& report, RowSourceResolver& rows, const PrintRequest& request)
{
    PreviewDialog preview(PreparedReport{}, parent);
    preview.setSuggestedFileName(request.fileName);
    preview.setMailEnvelope(request.mail);
    preview.setWorkbookWriter(request.saveWorkbook);
    preview.beginPreparation();
    // The progress belongs to the preview so that it stays above it and the modal preview does not
    // block its "Отмена"; the preview's native window exists first for the same reason.
    (void)preview.winId();
    PreparationProgress progress(&preview);
    progress.show();
    if (parent)
        progress.move(parent->geometry().center() - progress.rect().center());
    QCoreApplication::processEvents();

    bool opened = false;
    const PageSink addPage = [&](PreparedPage& page, int) {
        std::vector<PreparedBox> boxes = std::move(page.boxes);
        PreparedPage shown = page;
        shown.boxes = std::move(boxes);
        preview.addPreparedPage(std::move(shown));
        if (opened)
            return;
        // The first page opens the preview; the progress, modal until now, lets the user page through it.
        opened = true;
        progress.hide();
        progress.setWindowModality(Qt::NonModal);
        preview.show();
        progress.show();
        progress.raise();
        progress.activateWindow();
        QCoreApplication::processEvents();
    };
    // Closing the preview while pages come stops the preparation as "Отмена" does.
    const ProgressCallback showPage = [&](int page) { return progress.showPage(page) && (!opened || preview.isVisible()); };
    PreparedReport placed;
    try {
        placed = prepareReportPageByPage(report, rows, addPage, request.values, showPage, request.runs);
    } catch (const ReportCancelled&) {
        return;
    }
    progress.hide();
    preview.completePreparation(placed, request.finish);
    preview.exec();
}

} // namespace vi23
