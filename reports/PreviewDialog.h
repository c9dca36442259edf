#pragma once
// The modal preview window of a prepared report: zoom, paging, open/save, print, find.
#include "data/CounterpartyMail.h"
#include "reports/PreparedReport.h"

#include <QDialog>
#include <QList>
#include <QRectF>
#include <QWidget>
#include <functional>

class QAction;
class QLabel;
class QScrollArea;
class QToolBar;
class QToolButton;

namespace vi23 {

// Draws the pages stacked one (or two) per row at the chosen zoom.
class PageView : public QWidget {
    Q_OBJECT
public:
    explicit PageView(QWidget* parent = nullptr);

    void setReport(const PreparedReport* report);
    // The report's last page is new: the view grows by it without laying out the others again.
    void pageAdded();
    // Pixels per layout unit follow from the zoom at 96 logical dots per inch.
    void setZoom(double zoom, int columns);
    double zoom() const { return zoom_; }
    int columns() const { return columns_; }
    QRect pageRect(int index) const;
    int pageAt(int y) const;
    // Found text: page index and the rectangle of the line in layout units.
    struct Hit {
        int page = 0;
        QRectF rect;
    };
    void setHits(const QList<Hit>& hits, int current);
    // Where a hit stands in the view, in pixels.
    QRect hitRect(const Hit& hit) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void relayout();

    const PreparedReport* report_ = nullptr;
    double zoom_ = 1.0;
    int columns_ = 1;
    QSize cell_;
    QList<Hit> hits_;
    int currentHit_ = -1;
};

class PreviewDialog : public QDialog {
    Q_OBJECT
public:
    enum class ZoomMode { Percent, PageWidth, WholePage, TwoPages };

    explicit PreviewDialog(PreparedReport report, QWidget* parent = nullptr);

    // The window opens while the report is still being prepared: pages come one by one and show the
    // content placement of the pages so far; nothing opens, finds, saves or prints a partial report.
    void beginPreparation();
    void addPreparedPage(PreparedPage page);
    // Every page has come: they take the placement of `placed` (the same pages, as the page-by-page
    // preparation returns them), then `finish` adjusts the whole report and the actions come back.
    void completePreparation(const PreparedReport& placed, const std::function<void(PreparedReport&)>& finish);
    bool preparing() const { return preparing_; }

    const PreparedReport& report() const { return report_; }
    int currentPage() const { return currentPage_; }   // 1-based
    int pageCount() const { return int(report_.pages.size()); }
    void setZoomMode(ZoomMode mode, int percent = 100);
    double zoom() const;
    void goToPage(int page);
    // Marks every line containing the text and moves to the first hit at or after the current
    // page; returns the number of hits.
    int find(const QString& text);
    void findNext(bool backwards = false);
    int hitCount() const { return int(hits_.size()); }
    // The marked hit in the view's pixels; empty when there is none.
    QRect currentHitRect() const;
    // The name "Сохранить" proposes, e.g. "Счет 31 от 01.01.2026.pdf".
    void setSuggestedFileName(const QString& name) { suggestedName_ = name; }
    // What a chosen name becomes: a name that ends in .pdf or .vrp stays, any other gets the filter's suffix.
    static QString savedFileName(const QString& chosen, bool pdfFilter);
    void openFile(const QString& fileName);
    void saveFile(const QString& fileName);   // .pdf writes a PDF, .xlsx the workbook, anything else our own format
    // Writes the report's table as a workbook; when set, "Сохранить" offers .xlsx too.
    using WorkbookWriter = std::function<void(const QString& fileName)>;
    void setWorkbookWriter(WorkbookWriter writer) { workbookWriter_ = std::move(writer); }
    // What "Отправить по почте" writes in the message.
    void setMailEnvelope(MailEnvelope envelope) { mail_ = std::move(envelope); }
    // The subject the message gets: the envelope's, else the proposed file name's words.
    QString mailSubject() const;
    // The PDF under the proposed name, in a new folder of its own in the temporary folder, kept
    // after the preview closes for the mail program to read; returns its path.
    QString writeMailAttachment();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildToolBar();
    void applyZoom();
    void updatePageLabel();
    // A new report in the view: no search hits, page 1.
    void showFromFirstPage();
    void onOpen();
    void onSave();
    void onPrint();
    void onFind();
    void onHelp();
    void onMail();
    void guarded(const std::function<void()>& action);
    void enableWholeReportActions(bool enable);
    void showCurrentHit();

    PreparedReport report_;
    WorkbookWriter workbookWriter_;
    QToolBar* toolBar_ = nullptr;
    QToolButton* zoomButton_ = nullptr;
    QAction* printAction_ = nullptr;
    QList<QAction*> wholeReportActions_;   // open, save, print, find
    QLabel* pageLabel_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    PageView* view_ = nullptr;
    ZoomMode zoomMode_ = ZoomMode::PageWidth;
    int zoomPercent_ = 100;
    int currentPage_ = 1;
    QString findText_;
    QList<PageView::Hit> hits_;
    int currentHit_ = -1;
    QString suggestedName_;
    MailEnvelope mail_;
    bool preparing_ = false;
    ContentExtent extent_;                  // of the pages prepared so far
    ContentPlacement shownPlacement_;
};

// The zoom menu's entries, in order.
QStringList zoomMenuTexts();

} // namespace vi23
