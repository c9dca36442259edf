#pragma once
// The small window that shows which page is being built and lets the user stop the building.
#include "reports/PrintRequest.h"

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QPushButton;

namespace vi23 {

class PreparationProgress : public QDialog {
    Q_OBJECT
public:
    explicit PreparationProgress(QWidget* parent = nullptr);

    // Shows "Формируется страница:  N" and lets pending events (the cancel click, the preview's
    // paging) through, at most every few hundredths of a second: painting every page would take
    // longer than building it. False once the user has pressed "Отмена".
    bool showPage(int page);
    bool cancelled() const { return cancelled_; }
    QString pageText() const;
    // Esc and the window's close button mean "Отмена" too.
    void reject() override { cancelled_ = true; }

private:
    QLabel* label_;
    QPushButton* cancel_;
    bool cancelled_ = false;
    QElapsedTimer sinceEvents_;
};

// Prepare and preview: the modal preview window opens with the first page and takes the others as
// they are built, under the progress window, with the request's proposed file name, mail envelope and
// workbook writer. The finish is drawn on the whole report before it can be saved or printed. A
// failure propagates as ReportError with both windows gone; a cancel, or closing the preview before
// the end, returns quietly.
void prepareAndPreview(QWidget* parent, const Template& report, RowSourceResolver& rows, const PrintRequest& request);

} // namespace vi23
