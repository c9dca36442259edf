#include "reports/PreviewDialog.h"

#include "data/Error.h"
#include "data/SafeOutput.h"
#include "reports/FileDialogs.h"
#include "reports/MailProgram.h"
#include "reports/PrintDialog.h"
#include "reports/ReportRenderer.h"

#include <QAction>
#include <QFile>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QDir>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QPaintEvent>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScrollArea>
#include <QScrollBar>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <stdexcept>

namespace vi23 {

namespace {

constexpr int kGap = 12;              // pixels around and between pages
constexpr double kScreenDpi = 96.0;   // logical dots per inch at 100 %

const QString kReportFilter = QStringLiteral("Подготовленный отчет (*.vrp)");
const QString kPdfFilter = QStringLiteral("Документ PDF (*.pdf)");
const QString kWorkbookFilter = QStringLiteral("Книга Excel (*.xlsx)");

struct ZoomEntry {
    const char* text;
    PreviewDialog::ZoomMode mode;
    int percent;
};

const ZoomEntry kZoomEntries[] = {
    {"200%", PreviewDialog::ZoomMode::Percent, 200},
    {"150%", PreviewDialog::ZoomMode::Percent, 150},
    {"100%", PreviewDialog::ZoomMode::Percent, 100},
    {"75%", PreviewDialog::ZoomMode::Percent, 75},
    {"50%", PreviewDialog::ZoomMode::Percent, 50},
    {"25%", PreviewDialog::ZoomMode::Percent, 25},
    {"10%", PreviewDialog::ZoomMode::Percent, 10},
    {"По ширине страницы", PreviewDialog::ZoomMode::PageWidth, 0},
    {"Страница целиком", PreviewDialog::ZoomMode::WholePage, 0},
    {"Две страницы", PreviewDialog::ZoomMode::TwoPages, 0},
};

} // namespace

QStringList zoomMenuTexts()
{
    QStringList out;
    for (const ZoomEntry& e : kZoomEntries)
        out.push_back(QString::fromUtf8(e.text));
    return out;
}

// ---- PageView --------------------------------------------------------------------------------------

PageView::PageView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pageView"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PageView::setReport(const PreparedReport* report)
{
    report_ = report;
    relayout();
}

void PageView::setZoom(double zoom, int columns)
{
    zoom_ = zoom;
    columns_ = std::max(1, columns);
    relayout();
}

void PageView::relayout()
{
    int w = 0, h = 0;
    if (report_) {
        for (const PreparedPage& p : report_->pages) {
            const QSizeF s = pageSizeAt(p, kScreenDpi * zoom_, kScreenDpi * zoom_);
            w = std::max(w, int(std::ceil(s.width())));
            h = std::max(h, int(std::ceil(s.height())));
        }
    }
    cell_ = QSize(w, h);
    const int pages = report_ ? int(report_->pages.size()) : 0;
    const int rows = (pages + columns_ - 1) / columns_;
    resize(kGap + columns_ * (w + kGap), kGap + rows * (h + kGap));
    update();
}

void PageView::pageAdded()
{
    if (!report_ || report_->pages.empty())
        return;
    const int index = int(report_->pages.size()) - 1;
    const QSizeF s = pageSizeAt(report_->pages.back(), kScreenDpi * zoom_, kScreenDpi * zoom_);
    if (index == 0 || s.width() > cell_.width() || s.height() > cell_.height()) {
        relayout();
        return;
    }
    // Only the new page is painted, and only when it is in sight: pages keep coming while the user reads.
    const int rows = index / columns_ + 1;
    resize(kGap + columns_ * (cell_.width() + kGap), kGap + rows * (cell_.height() + kGap));
    if (!visibleRegion().isEmpty())
        update(pageRect(index).adjusted(0, 0, 3, 3));
}

QRect PageView::pageRect(int index) const
{
    if (!report_ || index < 0 || index >= int(report_->pages.size()))
        return {};
    const QSizeF s = pageSizeAt(report_->pages[size_t(index)], kScreenDpi * zoom_, kScreenDpi * zoom_);
    const int row = index / columns_, col = index % columns_;
    return QRect(kGap + col * (cell_.width() + kGap), kGap + row * (cell_.height() + kGap), int(std::ceil(s.width())),
                 int(std::ceil(s.height())));
}

int PageView::pageAt(int y) const
{
    if (!report_ || report_->pages.empty())
        return 0;
    const int row = std::max(0, (y - kGap / 2) / (cell_.height() + kGap));
    return std::clamp(row * columns_, 0, int(report_->pages.size()) - 1);
}

QRect PageView::hitRect(const Hit& hit) const
{
    const QRect page = pageRect(hit.page);
    if (page.isNull())
        return {};
    const double dpi = kScreenDpi * zoom_;
    const double sx = dpi / kUnitsPerInchX, sy = dpi / kUnitsPerInchY;
    return QRectF(page.left() + hit.rect.x() * sx, page.top() + hit.rect.y() * sy, hit.rect.width() * sx,
                  hit.rect.height() * sy)
        .toAlignedRect();
}

void PageView::setHits(const QList<Hit>& hits, int current)
{
    hits_ = hits;
    currentHit_ = current;
    update();
}

void PageView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Dark));
    if (!report_)
        return;
    const double dpi = kScreenDpi * zoom_;
    for (int i = 0; i < int(report_->pages.size()); ++i) {
        const QRect r = pageRect(i);
        if (!r.intersects(event->rect()))
            continue;
        painter.fillRect(r.translated(3, 3), QColor(0, 0, 0, 80));
        painter.fillRect(r, Qt::white);
        painter.save();
        painter.translate(r.topLeft());
        painter.setClipRect(QRect(QPoint(0, 0), r.size()));
        const PreparedPage& page = report_->pages[size_t(i)];
        renderPage(painter, page, dpi, dpi);
        painter.scale(dpi / kUnitsPerInchX, dpi / kUnitsPerInchY);
        for (int h = 0; h < hits_.size(); ++h) {
            if (hits_[h].page == i)
                painter.fillRect(hits_[h].rect, h == currentHit_ ? QColor(255, 140, 0, 110) : QColor(255, 235, 0, 110));
        }
        painter.restore();
    }
}

// ---- PreviewDialog -----------------------------------------------------------------------------------

PreviewDialog::PreviewDialog(PreparedReport report, QWidget* parent) : QDialog(parent), report_(std::move(report))
{
    setObjectName(QStringLiteral("PreviewDialog"));
    setWindowTitle(QStringLiteral("Предварительный просмотр"));
    setModal(true);
    // Maximised by a window manager; where none is, 90 % of the screen, not the toolbar's strip.
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, area.size() * 0.9, area));
    }
    setWindowState(windowState() | Qt::WindowMaximized);
    setSizeGripEnabled(true);

    buildToolBar();
    view_ = new PageView;
    view_->setReport(&report_);
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("pageScroll"));
    scroll_->setWidget(view_);
    scroll_->setWidgetResizable(false);
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll_->setBackgroundRole(QPalette::Dark);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(scroll_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        currentPage_ = view_->pageAt(value + scroll_->viewport()->height() / 3) + 1;
        updatePageLabel();
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar_);
    layout->addWidget(scroll_, 1);
    applyZoom();
    updatePageLabel();
}

void PreviewDialog::beginPreparation()
{
    preparing_ = true;
    enableWholeReportActions(false);
    report_ = PreparedReport{};
    extent_ = ContentExtent{};
    shownPlacement_ = ContentPlacement{};
    showFromFirstPage();
    updatePageLabel();
}

void PreviewDialog::showFromFirstPage()
{
    hits_.clear();
    currentHit_ = -1;
    view_->setHits({}, -1);
    view_->setReport(&report_);
    currentPage_ = 1;
}

void PreviewDialog::addPreparedPage(PreparedPage page)
{
    extent_.add(page);
    const ContentPlacement placement = extent_.placement().value_or(ContentPlacement{});
    if (placement != shownPlacement_) {
        shownPlacement_ = placement;
        for (PreparedPage& shown : report_.pages)
            shown.content = placement;
        view_->update();
    }
    page.content = placement;
    report_.pages.push_back(std::move(page));
    view_->pageAdded();
    // The first page sets the zoom that fits it.
    if (pageCount() == 1)
        applyZoom();
    updatePageLabel();
}

void PreviewDialog::completePreparation(const PreparedReport& placed, const std::function<void(PreparedReport&)>& finish)
{
    if (placed.pages.size() != report_.pages.size())
        throw std::logic_error("the prepared pages do not match the pages shown");
    report_.templateName = placed.templateName;
    for (size_t i = 0; i < placed.pages.size(); ++i)
        report_.pages[i].content = placed.pages[i].content;
    if (finish)
        finish(report_);
    preparing_ = false;
    view_->setReport(&report_);
    updatePageLabel();
    enableWholeReportActions(true);
}

void PreviewDialog::enableWholeReportActions(bool enable)
{
    for (QAction* a : wholeReportActions_)
        a->setEnabled(enable);
    // Printing needs a printer besides.
    printAction_->setEnabled(enable && !QPrinterInfo::availablePrinterNames().isEmpty());
}

void PreviewDialog::buildToolBar()
{
    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("previewToolBar"));
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);

    auto* zoomMenu = new QMenu(this);
    zoomMenu->setObjectName(QStringLiteral("zoomMenu"));
    for (const ZoomEntry& e : kZoomEntries) {
        QAction* a = zoomMenu->addAction(QString::fromUtf8(e.text));
        connect(a, &QAction::triggered, this, [this, e] { setZoomMode(e.mode, e.percent); });
    }
    zoomButton_ = new QToolButton(this);
    zoomButton_->setObjectName(QStringLiteral("zoomButton"));
    zoomButton_->setText(QStringLiteral("Масштаб"));
    zoomButton_->setToolTip(QStringLiteral("Масштаб"));
    zoomButton_->setMenu(zoomMenu);
    zoomButton_->setPopupMode(QToolButton::InstantPopup);
    QAction* zoomAction = toolBar_->addWidget(zoomButton_);
    zoomAction->setObjectName(QStringLiteral("zoomAction"));

    auto add = [this](const char* name, const QString& text, const QKeySequence& key, auto slot) {
        QAction* a = toolBar_->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        a->setToolTip(text);
        if (!key.isEmpty())
            a->setShortcut(key);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    wholeReportActions_.push_back(add("openAction", QStringLiteral("Открыть"), QKeySequence::Open, [this] { onOpen(); }));
    wholeReportActions_.push_back(add("saveAction", QStringLiteral("Сохранить"), QKeySequence::Save, [this] { onSave(); }));
    printAction_ = add("printAction", QStringLiteral("Печать"), QKeySequence::Print, [this] { onPrint(); });
    wholeReportActions_.push_back(add("findAction", QStringLiteral("Найти"), QKeySequence::Find, [this] { onFind(); }));
    wholeReportActions_.push_back(add("mailAction", QStringLiteral("Отправить по почте"), QKeySequence(), [this] { onMail(); }));
    add("helpAction", QStringLiteral("Справка"), QKeySequence::HelpContents, [this] { onHelp(); });
    add("closeAction", QStringLiteral("Закрыть"), QKeySequence(), [this] { accept(); });
    enableWholeReportActions(true);
    toolBar_->addSeparator();
    // Arrows alone, so that the toolbar fits a 1024-pixel screen; the tooltips say which page.
    add("pageUpAction", QStringLiteral("◀"), QKeySequence(), [this] { goToPage(currentPage_ - 1); })
        ->setToolTip(QStringLiteral("Предыдущая страница"));
    add("pageDownAction", QStringLiteral("▶"), QKeySequence(), [this] { goToPage(currentPage_ + 1); })
        ->setToolTip(QStringLiteral("Следующая страница"));
    pageLabel_ = new QLabel(this);
    pageLabel_->setObjectName(QStringLiteral("pageLabel"));
    pageLabel_->setContentsMargins(8, 0, 8, 0);
    toolBar_->addWidget(pageLabel_);
}

void PreviewDialog::setZoomMode(ZoomMode mode, int percent)
{
    zoomMode_ = mode;
    if (mode == ZoomMode::Percent)
        zoomPercent_ = percent;
    applyZoom();
}

double PreviewDialog::zoom() const
{
    return view_->zoom();
}

void PreviewDialog::applyZoom()
{
    const int keepPage = currentPage_;
    double zoom = zoomPercent_ / 100.0;
    int columns = 1;
    if (zoomMode_ != ZoomMode::Percent && !report_.pages.empty()) {
        const PreparedPage& page = report_.pages[size_t(std::clamp(currentPage_ - 1, 0, pageCount() - 1))];
        const QSizeF atOne = pageSizeAt(page, kScreenDpi, kScreenDpi);
        const QSize room = scroll_->viewport()->size() - QSize(2 * kGap, 2 * kGap);
        const double byWidth = room.width() / atOne.width();
        const double byHeight = room.height() / atOne.height();
        if (zoomMode_ == ZoomMode::PageWidth) {
            zoom = byWidth;
        } else if (zoomMode_ == ZoomMode::WholePage) {
            zoom = std::min(byWidth, byHeight);
        } else {
            columns = 2;
            zoom = std::min((room.width() - kGap) / (2 * atOne.width()), byHeight);
        }
        // Pages take whole pixels, rounded up: a hair below the exact ratio keeps a fitted page inside
        // the room, without a scroll bar for a pixel's fraction.
        zoom = std::max(zoom * (1 - 1e-9), 0.05);
    }
    view_->setZoom(zoom, columns);
    goToPage(keepPage);
}

void PreviewDialog::goToPage(int page)
{
    if (report_.pages.empty())
        return;
    page = std::clamp(page, 1, pageCount());
    const QRect r = view_->pageRect(page - 1);
    scroll_->verticalScrollBar()->setValue(r.top() - kGap);
    currentPage_ = page;
    updatePageLabel();
}

void PreviewDialog::updatePageLabel()
{
    if (pageLabel_)
        pageLabel_->setText(QStringLiteral("Страница %1 из %2").arg(currentPage_).arg(pageCount()));
}

int PreviewDialog::find(const QString& text)
{
    findText_ = text;
    hits_.clear();
    currentHit_ = -1;
    if (!text.isEmpty()) {
        for (int p = 0; p < pageCount(); ++p) {
            for (const PreparedBox& b : report_.pages[size_t(p)].boxes) {
                for (const PreparedLine& l : b.lines) {
                    if (l.text.contains(text, Qt::CaseInsensitive)) {
                        const double w = std::max(4.0, double(b.x + b.width) - l.x);
                        // Where the line is painted: the page's content placement applied.
                        const ContentPlacement& c = report_.pages[size_t(p)].content;
                        hits_.push_back(PageView::Hit{p, QRectF(c.x + l.x * c.scale, c.y + l.y * c.scale,
                                                                std::min(w, double(b.width)) * c.scale,
                                                                (b.fontHeight + 2) * c.scale)});
                    }
                }
            }
        }
    }
    for (int i = 0; i < hits_.size(); ++i) {
        if (hits_[i].page + 1 >= currentPage_) {
            currentHit_ = i;
            break;
        }
    }
    if (currentHit_ < 0 && !hits_.isEmpty())
        currentHit_ = 0;
    view_->setHits(hits_, currentHit_);
    showCurrentHit();
    return int(hits_.size());
}

QRect PreviewDialog::currentHitRect() const
{
    return currentHit_ >= 0 && currentHit_ < hits_.size() ? view_->hitRect(hits_[currentHit_]) : QRect();
}

void PreviewDialog::showCurrentHit()
{
    if (currentHit_ < 0 || currentHit_ >= hits_.size())
        return;
    goToPage(hits_[currentHit_].page + 1);
    // The page's top is not enough: the marked line itself comes into view.
    const QRect hit = currentHitRect();
    scroll_->ensureVisible(hit.center().x(), hit.center().y(), hit.width() / 2 + kGap, hit.height() / 2 + kGap);
}

void PreviewDialog::findNext(bool backwards)
{
    if (hits_.isEmpty())
        return;
    currentHit_ = (currentHit_ + (backwards ? -1 : 1) + int(hits_.size())) % int(hits_.size());
    view_->setHits(hits_, currentHit_);
    showCurrentHit();
}

void PreviewDialog::openFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw UserError(QStringLiteral("Не удается открыть файл %1").arg(fileName));
    PreparedReport loaded = loadPreparedReport(file.readAll());
    report_ = std::move(loaded);
    showFromFirstPage();
    applyZoom();
}

void PreviewDialog::saveFile(const QString& fileName)
{
    if (fileName.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        exportPdf(report_, fileName);
        return;
    }
    if (fileName.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive)) {
        if (!workbookWriter_)
            throw UserError(QStringLiteral("Этот отчет не сохраняется в книгу Excel"));
        workbookWriter_(fileName);
        return;
    }
    writeFileSafely(fileName, savePreparedReport(report_));
}

void PreviewDialog::guarded(const std::function<void()>& action)
{
    try {
        action();
    } catch (const UserError& e) {
        QMessageBox::critical(this, QStringLiteral("Ошибка"), e.text());
    }
}

void PreviewDialog::onOpen()
{
    const QString name = openFileName(this, QStringLiteral("Открыть отчет"), QString(), kReportFilter);
    if (!name.isEmpty())
        guarded([&] { openFile(name); });
}

QString PreviewDialog::savedFileName(const QString& chosen, bool pdfFilter)
{
    for (const char* suffix : {".pdf", ".vrp"}) {
        if (chosen.endsWith(QLatin1String(suffix), Qt::CaseInsensitive))
            return chosen;
    }
    return chosen + (pdfFilter ? QStringLiteral(".pdf") : QStringLiteral(".vrp"));
}

void PreviewDialog::onSave()
{
    const QString proposed = suggestedName_.isEmpty() ? report_.templateName : suggestedName_;
    QString filter = proposed.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive) ? kPdfFilter : kReportFilter;
    QString filters = kReportFilter + QStringLiteral(";;") + kPdfFilter;
    if (workbookWriter_)
        filters += QStringLiteral(";;") + kWorkbookFilter;
    const QString name = saveFileName(this, QStringLiteral("Сохранить отчет"), proposed, filters, &filter);
    if (name.isEmpty())
        return;
    const bool workbook = workbookWriter_ && (filter == kWorkbookFilter || name.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive));
    const QString target = !workbook ? savedFileName(name, filter == kPdfFilter)
                           : name.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive) ? name
                                                                                          : name + QStringLiteral(".xlsx");
    guarded([&] { saveFile(target); });
}

void PreviewDialog::onPrint()
{
    PrintDialog dialog(pageCount(), currentPage_, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const auto pages = dialog.pages();
    if (!pages || pages->isEmpty())
        return;
    guarded([&] {
        QPrinter printer(QPrinter::HighResolution);
        if (!dialog.printerName().isEmpty())
            printer.setPrinterName(dialog.printerName());
        printer.setCopyCount(dialog.copies());
        printer.setPageSize(QPageSize(QPageSize::A4));
        // The queue names the job as the saved file would be named.
        QString job = suggestedName_;
        if (job.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
            job.chop(4);
        printReport(report_, printer, *pages, job);
    });
}

void PreviewDialog::onFind()
{
    bool ok = false;
    const QString text = QInputDialog::getText(this, QStringLiteral("Поиск текста"), QStringLiteral("Найти:"),
                                               QLineEdit::Normal, findText_, &ok);
    if (!ok || text.isEmpty())
        return;
    if (find(text) == 0)
        QMessageBox::information(this, QStringLiteral("Поиск текста"),
                                 QStringLiteral("Текст \"%1\" не найден").arg(text));
}

QString PreviewDialog::mailSubject() const
{
    if (!mail_.subject.isEmpty())
        return mail_.subject;
    QString words = suggestedName_.isEmpty() ? report_.templateName : suggestedName_;
    return words.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive) ? words.chopped(4) : words;
}

QString PreviewDialog::writeMailAttachment()
{
    QTemporaryDir folder(QDir::temp().filePath(QStringLiteral("vi23-mail-XXXXXX")));
    if (!folder.isValid())
        throw UserError(QStringLiteral("Не удалось создать временную папку для письма: %1").arg(folder.errorString()));
    folder.setAutoRemove(false);
    const QString name = savedFileName(suggestedName_.isEmpty() ? report_.templateName : suggestedName_, true);
    const QString file = folder.filePath(name);
    saveFile(file);
    return file;
}

void PreviewDialog::onMail()
{
    if (!mailProgramSet()) {
        const auto answer = QMessageBox::question(
            this, QStringLiteral("Отправить по почте"),
            QStringLiteral("Почтовая программа не настроена: на рабочем столе не выбрана программа для писем.\n"
                           "Сохранить PDF в файл, чтобы приложить его к письму вручную?"));
        if (answer == QMessageBox::Yes)
            onSave();
        return;
    }
    guarded([this] { openMailWithAttachment({mailSubject(), mail_.address}, writeMailAttachment()); });
}

void PreviewDialog::onHelp()
{
    QMessageBox::information(
        this, QStringLiteral("Справка"),
        QStringLiteral("Масштаб выбирается в меню \"Масштаб\".\n"
                       "PgUp и PgDown, кнопки со стрелками и полосы прокрутки листают страницы.\n"
                       "\"Сохранить\" записывает отчет в файл (*.vrp) или в PDF, \"Открыть\" открывает сохраненный.\n"
                       "\"Найти\" (Ctrl+F) выделяет найденный текст; F3 и Shift+F3 переходят между находками.\n"
                       "\"Печать\" (Ctrl+P) печатает на выбранном принтере.\n"
                       "\"Отправить по почте\" прикладывает PDF к новому письму в почтовой программе."));
}

void PreviewDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (zoomMode_ != ZoomMode::Percent)
        applyZoom();
}

void PreviewDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    applyZoom();
}

void PreviewDialog::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_PageUp:
        goToPage(currentPage_ - 1);
        return;
    case Qt::Key_PageDown:
        goToPage(currentPage_ + 1);
        return;
    case Qt::Key_Home:
        goToPage(1);
        return;
    case Qt::Key_End:
        goToPage(pageCount());
        return;
    case Qt::Key_F3:
        findNext((event->modifiers() & Qt::ShiftModifier) != 0);
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

} // namespace vi23
