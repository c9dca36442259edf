// The preview, progress and print windows driven offscreen by control name.
#include "TestSupport.h"

#include "data/RussianLanguage.h"
#include "reports/FileDialogs.h"
#include "reports/PreviewDialog.h"
#include "reports/PrintDialog.h"
#include "reports/ProgressDialog.h"

#include <QAbstractProxyModel>
#include <QAction>
#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QRegularExpression>
#include <QFileSystemModel>
#include <QSignalSpy>
#include <QApplication>
#include <QScreen>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QMenu>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QKeyEvent>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

namespace vi23::test {
namespace {

const QString kBody = QStringLiteral(
    "band PageHeader1 kind=2 top=0 height=20\n"
    "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Шапка [Page#]\" |\n"
    "band MasterData1 kind=5 top=30 height=300 dataset=frDBDataSet_t\n"
    "| 20 | 0 | 300 | 18 | - | A10 | LT |  | \"Строка [LINE#] [ADOQuery_t.\"v\"]\" |\n");

PreparedReport sample(int rowsCount)
{
    MemoryResolver rows;
    std::vector<std::vector<Value>> data;
    for (int i = 0; i < rowsCount; ++i)
        data.push_back({Value(i % 2 ? QStringLiteral("чет") : QStringLiteral("нечет"))});
    rows.add("frDBDataSet_t", "ADOQuery_t", {"v"}, data);
    return prepareReport(tpl(kBody), rows);
}

TEST(Preview, ToolBarOrderZoomMenuAndPrintAvailability)
{
    PreviewDialog dialog(sample(7));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Предварительный просмотр"));
    EXPECT_TRUE(dialog.isModal());
    EXPECT_TRUE(dialog.windowState() & Qt::WindowMaximized);
    // Where no window manager maximises it, it still opens at 90 % of the screen, centred.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(dialog.geometry().size(), area.size() * 0.9);
    EXPECT_EQ(dialog.geometry().center(), area.center());
    auto* bar = dialog.findChild<QToolBar*>(QStringLiteral("previewToolBar"));
    ASSERT_NE(bar, nullptr);
    // Every button fits at 1024 pixels: none is hidden behind the toolbar's "»".
    EXPECT_LE(bar->sizeHint().width(), 1024 * 9 / 10);
    QStringList names;
    for (QAction* a : bar->actions()) {
        if (!a->isSeparator() && !a->objectName().isEmpty())
            names.push_back(a->objectName());
    }
    EXPECT_EQ(names, (QStringList{"zoomAction", "openAction", "saveAction", "printAction", "findAction", "mailAction",
                                  "helpAction", "closeAction", "pageUpAction", "pageDownAction"}));
    auto* zoom = dialog.findChild<QToolButton*>(QStringLiteral("zoomButton"));
    ASSERT_NE(zoom, nullptr);
    QStringList items;
    for (QAction* a : zoom->menu()->actions())
        items.push_back(a->text());
    EXPECT_EQ(items, (QStringList{"200%", "150%", "100%", "75%", "50%", "25%", "10%", "По ширине страницы",
                                  "Страница целиком", "Две страницы"}));
    auto* print = dialog.findChild<QAction*>(QStringLiteral("printAction"));
    EXPECT_EQ(print->isEnabled(), !QPrinterInfo::availablePrinterNames().isEmpty());
}

TEST(Preview, PagingZoomAndFind)
{
    PreviewDialog dialog(sample(7));   // 3 rows a page: pages 1..3
    dialog.resize(900, 700);
    dialog.show();
    ASSERT_EQ(dialog.pageCount(), 3);
    dialog.setZoomMode(PreviewDialog::ZoomMode::Percent, 50);
    EXPECT_DOUBLE_EQ(dialog.zoom(), 0.5);
    dialog.goToPage(2);
    EXPECT_EQ(dialog.currentPage(), 2);
    dialog.findChild<QAction*>(QStringLiteral("pageDownAction"))->trigger();
    EXPECT_EQ(dialog.currentPage(), 3);
    dialog.findChild<QAction*>(QStringLiteral("pageDownAction"))->trigger();
    EXPECT_EQ(dialog.currentPage(), 3);
    dialog.findChild<QAction*>(QStringLiteral("pageUpAction"))->trigger();
    EXPECT_EQ(dialog.currentPage(), 2);
    EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("pageLabel"))->text(), QStringLiteral("Страница 2 из 3"));

    dialog.setZoomMode(PreviewDialog::ZoomMode::WholePage);
    const double whole = dialog.zoom();
    dialog.setZoomMode(PreviewDialog::ZoomMode::PageWidth);
    EXPECT_GT(dialog.zoom(), whole);
    // At page width the page fills the width exactly, with no scroll bar across, at any window width.
    auto* scroll = dialog.findChild<QScrollArea*>(QStringLiteral("pageScroll"));
    for (int width = 700; width <= 1300; width += 7) {
        dialog.resize(width, 700);
        QApplication::processEvents();
        const int room = scroll->viewport()->width() - 2 * 12;   // a gap of 12 pixels each side
        EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible()) << width;
        const int page = dialog.findChild<PageView*>(QStringLiteral("pageView"))->pageRect(0).width();
        EXPECT_TRUE(page == room || page == room - 1) << width << ": " << page << " in " << room;
    }
    dialog.resize(900, 700);
    dialog.setZoomMode(PreviewDialog::ZoomMode::TwoPages);
    EXPECT_LT(dialog.zoom(), dialog.width() / 752.0 / 1.5);

    // Find goes to the first hit at or after the current page and moves between hits.
    dialog.goToPage(1);
    EXPECT_EQ(dialog.find(QStringLiteral("СТРОКА 7")), 1);
    EXPECT_EQ(dialog.currentPage(), 3);
    EXPECT_EQ(dialog.find(QStringLiteral("шапка")), 3);
    EXPECT_EQ(dialog.currentPage(), 3);
    dialog.findNext();
    EXPECT_EQ(dialog.currentPage(), 1);
    dialog.findNext(true);
    EXPECT_EQ(dialog.currentPage(), 3);
    EXPECT_EQ(dialog.find(QStringLiteral("нет такого")), 0);

    // The view paints white pages with dark text on them.
    dialog.setZoomMode(PreviewDialog::ZoomMode::Percent, 100);
    dialog.goToPage(1);
    auto* view = dialog.findChild<PageView*>(QStringLiteral("pageView"));
    ASSERT_NE(view, nullptr);
    const QRect page = view->pageRect(0);
    const QImage shot = view->grab(page).toImage();
    int white = 0, dark = 0;
    for (int y = 0; y < shot.height(); y += 2) {
        for (int x = 0; x < shot.width(); x += 2) {
            const int l = shot.pixelColor(x, y).lightness();
            white += l > 250;
            dark += l < 100;
        }
    }
    EXPECT_GT(white, shot.width() * shot.height() / 8);
    EXPECT_GT(dark, 20);
}

TEST(Preview, FindScrollsTheMarkedLineIntoView)
{
    PreviewDialog dialog(sample(7));
    dialog.resize(600, 300);
    dialog.show();
    dialog.setZoomMode(PreviewDialog::ZoomMode::Percent, 200);
    auto* scroll = dialog.findChild<QScrollArea*>(QStringLiteral("pageScroll"));
    ASSERT_NE(scroll, nullptr);
    for (const char* text : {"Строка 3", "Строка 1", "Строка 7", "Строка 6"}) {
        SCOPED_TRACE(text);
        ASSERT_EQ(dialog.find(QString::fromUtf8(text)), 1);
        const QRect hit = dialog.currentHitRect();
        ASSERT_FALSE(hit.isEmpty());
        const int top = scroll->verticalScrollBar()->value();
        const int bottom = top + scroll->viewport()->height();
        EXPECT_LE(top, hit.top());
        EXPECT_GE(bottom, hit.bottom());
    }
}

TEST(Preview, ASavedNameKeepsItsPdfOrReportSuffixElseTakesTheFilters)
{
    const std::tuple<const char*, bool, const char*> cases[] = {
        {"Счет 31 от 01.01.2026.pdf", false, "Счет 31 от 01.01.2026.pdf"},
        {"Книга.PDF", false, "Книга.PDF"},
        {"Отчет.vrp", true, "Отчет.vrp"},
        {"Кассовая книга 2026", true, "Кассовая книга 2026.pdf"},
        {"Кассовая книга 2026", false, "Кассовая книга 2026.vrp"},
    };
    for (const auto& [chosen, pdf, saved] : cases)
        EXPECT_EQ(PreviewDialog::savedFileName(QString::fromUtf8(chosen), pdf), QString::fromUtf8(saved)) << chosen;
}

TEST(Preview, SavedReportOpensAgainAndPdfIsWritten)
{
    QTemporaryDir dir;
    PreviewDialog dialog(sample(4));
    const QString file = dir.filePath(QStringLiteral("r.vrp"));
    dialog.saveFile(file);
    dialog.saveFile(dir.filePath(QStringLiteral("r.pdf")));
    EXPECT_TRUE(QFile(dir.filePath(QStringLiteral("r.pdf"))).size() > 1000);
    PreviewDialog other(sample(1));
    other.openFile(file);
    EXPECT_EQ(other.report(), dialog.report());
    EXPECT_EQ(other.pageCount(), 2);
    // A damaged file is refused with a message and the shown report stays.
    QFile bad(dir.filePath(QStringLiteral("bad.vrp")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("{\"kind\":\"vi23-prepared-report\",\"version\":9}");
    bad.close();
    EXPECT_THROW(other.openFile(bad.fileName()), UserError);
    EXPECT_EQ(other.report(), dialog.report());
}

TEST(FileDialogs, ListTheFilesInRussianWhateverTheMachinesLocale)
{
    useRussianLanguage();
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Отчеты")));
    QFile report(dir.filePath(QStringLiteral("Счет.pdf")));
    ASSERT_TRUE(report.open(QIODevice::WriteOnly));
    report.write(QByteArray(1536, 'x'));
    report.flush();
    report.setFileTime(QDateTime(QDate(2026, 12, 9), QTime(8, 5)), QFileDevice::FileModificationTime);
    report.close();
    const auto dialog = russianFileDialog(nullptr, QStringLiteral("Сохранить отчет"), dir.path(), QString());
    auto* proxy = dialog->proxyModel();
    ASSERT_NE(proxy, nullptr);
    auto* files = qobject_cast<QFileSystemModel*>(proxy->sourceModel());
    ASSERT_NE(files, nullptr);
    QSignalSpy loaded(files, &QFileSystemModel::directoryLoaded);
    dialog->show();
    ASSERT_TRUE(loaded.count() > 0 || loaded.wait(5000));
    const auto row = [&](const QString& name) {
        const QModelIndex at = proxy->mapFromSource(files->index(dir.filePath(name)));
        QStringList cells;
        for (int column = 1; column < 4; ++column)
            cells << proxy->index(at.row(), column, at.parent()).data().toString();
        return cells;
    };
    EXPECT_EQ(row(QStringLiteral("Счет.pdf")).value(0), QStringLiteral("1,5 кБ"));
    EXPECT_EQ(row(QStringLiteral("Счет.pdf")).value(2), QStringLiteral("09.12.2026 08:05"));
    EXPECT_EQ(row(QStringLiteral("Отчеты")).value(1), QStringLiteral("Папка"));
    // The size, kind and date shown whole in the list.
    QApplication::processEvents();
    auto* list = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(list, nullptr);
    for (const QString& name : {QStringLiteral("Счет.pdf"), QStringLiteral("Отчеты")}) {
        for (int column = 1; column < 4; ++column) {
            const QString text = row(name).value(column - 1);
            EXPECT_LE(list->fontMetrics().horizontalAdvance(text) + 4, list->columnWidth(column)) << text.toStdString();
        }
    }
    const QString buttons = dialog->findChild<QDialogButtonBox*>()->buttons().constFirst()->text()
                            + dialog->findChild<QDialogButtonBox*>()->buttons().constLast()->text();
    EXPECT_FALSE(buttons.contains(QRegularExpression(QStringLiteral("[A-Za-z]")))) << buttons.toStdString();
}

TEST(PreparedFile, RoundTripAndDamage)
{
    const PreparedReport r = sample(5);
    EXPECT_EQ(loadPreparedReport(savePreparedReport(r)), r);
    const QByteArray cases[] = {"", "[]", "{\"kind\":\"x\",\"version\":1}", "{\"kind\":\"vi23-prepared-report\",\"version\":2}",
                                "{\"kind\":\"vi23-prepared-report\",\"version\":1,\"pages\":[{\"width\":0}]}",
                                savePreparedReport(r).left(100)};
    for (const QByteArray& c : cases)
        EXPECT_THROW(loadPreparedReport(c), UserError) << c.toStdString();
}

TEST(PrintDialog, PageRanges)
{
    struct Case {
        const char* text;
        std::optional<QList<int>> pages;
    };
    const Case cases[] = {
        {"1,3,5-7", QList<int>{1, 3, 5, 6, 7}}, {" 2 - 3 , 1", QList<int>{2, 3, 1}}, {"9-12", QList<int>{9, 10}},
        {"11", QList<int>{}}, {"", std::nullopt}, {"a", std::nullopt}, {"3-1", std::nullopt}, {"0", std::nullopt},
        {"1-", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parsePageRanges(QString::fromLatin1(c.text), 10), c.pages) << c.text;
}

TEST(PrintDialog, RangeChoices)
{
    PrintDialog dialog(5, 3);
    EXPECT_EQ(dialog.pages(), (QList<int>{1, 2, 3, 4, 5}));
    dialog.findChild<QRadioButton*>(QStringLiteral("currentPage"))->setChecked(true);
    EXPECT_EQ(dialog.pages(), QList<int>{3});
    dialog.findChild<QRadioButton*>(QStringLiteral("pageNumbers"))->setChecked(true);
    dialog.findChild<QLineEdit*>(QStringLiteral("pageRanges"))->setText(QStringLiteral("2,4-5"));
    EXPECT_EQ(dialog.pages(), (QList<int>{2, 4, 5}));
    EXPECT_EQ(dialog.findChild<QRadioButton*>(QStringLiteral("allPages"))->text(), QStringLiteral("Все"));
    EXPECT_EQ(dialog.findChild<QRadioButton*>(QStringLiteral("pageNumbers"))->text(), QStringLiteral("Номера:"));
    EXPECT_EQ(dialog.copies(), 1);
}

TEST(Progress, ShowsThePageAndCancelStopsTheBuilding)
{
    MemoryResolver rows;
    std::vector<std::vector<Value>> data(40, std::vector<Value>{Value(1)});
    rows.add("frDBDataSet_t", "ADOQuery_t", {"v"}, data);
    PreparationProgress progress;
    EXPECT_EQ(progress.windowTitle(), QStringLiteral("Подготовка отчета"));
    EXPECT_EQ(progress.findChild<QPushButton*>(QStringLiteral("cancelButton"))->text(), QStringLiteral("Отмена"));
    progress.show();
    EXPECT_TRUE(progress.showPage(12));
    EXPECT_EQ(progress.pageText(), QStringLiteral("Формируется страница:  12"));
    progress.findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
    EXPECT_FALSE(progress.showPage(13));

    // The cancel button pressed while pages are built stops the preparation.
    int pagesSeen = 0;
    const auto cancelOnThird = [&](int page) {
        pagesSeen = page;
        return page < 3;
    };
    EXPECT_THROW(prepareReport(tpl(kBody), rows, {}, cancelOnThird), ReportCancelled);
    EXPECT_EQ(pagesSeen, 3);
}

// The window of the kind that is on screen, if any.
template <typename Window>
Window* shown()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<Window*>(w); found && found->isVisible())
            return found;
    }
    return nullptr;
}

bool actionOn(const QWidget* window, const char* name)
{
    return window->findChild<QAction*>(QString::fromLatin1(name))->isEnabled();
}

TEST(EarlyPreview, OpensWithTheFirstPageAndEndsWithTheWholeFinishedReport)
{
    // The summary's box left of the safe margin moves the content of every page, once it comes.
    const Template form = tpl(kBody + QStringLiteral("band ReportSummary1 kind=1 top=340 height=20\n"
                                                     "| 2 | 0 | 300 | 18 | - | A10 | LT |  | \"Итого\" |\n"));
    MemoryResolver rows;
    rows.add("frDBDataSet_t", "ADOQuery_t", {"v"}, std::vector<std::vector<Value>>(20, {Value(1)}));
    const auto finish = [](PreparedReport& r) { r.pages.back().boxes.push_back(PreparedBox{}); };
    const PreparedReport expected = preparePrint(form, rows, {.finish = finish});
    ASSERT_NE(expected.pages[0].content, ContentPlacement{});

    // Looked at whenever a row is printed: the pages so far, under the progress, nothing to save yet.
    int seenPages = 0;
    bool underwayRight = true;
    const GetValueCallback look = [&](const QString&) -> std::optional<Value> {
        if (const PreviewDialog* p = shown<PreviewDialog>()) {
            seenPages = p->pageCount();
            underwayRight = underwayRight && p->preparing() && shown<PreparationProgress>()
                && !p->report().pages[0].boxes.empty() && p->report().pages[0].content == ContentPlacement{}
                && !actionOn(p, "saveAction") && !actionOn(p, "printAction");
        }
        return std::nullopt;
    };
    PreparedReport whole;
    bool savable = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (PreviewDialog* p = shown<PreviewDialog>(); p && !p->preparing()) {
            whole = p->report();
            savable = actionOn(p, "saveAction") && !shown<PreparationProgress>();
            p->accept();
        }
    });
    poll.start(0);
    prepareAndPreview(nullptr, form, rows, {.values = look, .finish = finish});
    // The last rows are read while the last page is built, with every page before it shown.
    EXPECT_EQ(seenPages, int(expected.pages.size()) - 1);
    EXPECT_TRUE(underwayRight);
    EXPECT_TRUE(savable);
    EXPECT_EQ(whole, expected);
}

TEST(EarlyPreview, StoppedMidWayLeavesNoWindow)
{
    enum class Stop { Cancel, Escape, ClosePreview, Fail };
    for (const Stop stop : {Stop::Cancel, Stop::Escape, Stop::ClosePreview, Stop::Fail}) {
        MemoryResolver rows;
        rows.add("frDBDataSet_t", "ADOQuery_t", {"v"}, std::vector<std::vector<Value>>(40, {Value(1)}));
        int stoppedAt = 0;
        const GetValueCallback look = [&](const QString&) -> std::optional<Value> {
            PreviewDialog* p = shown<PreviewDialog>();
            if (!p || p->pageCount() < 2 || stoppedAt)
                return std::nullopt;
            stoppedAt = p->pageCount();
            QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            if (stop == Stop::Cancel)
                shown<PreparationProgress>()->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
            else if (stop == Stop::Escape)
                QApplication::sendEvent(shown<PreparationProgress>(), &escape);
            else if (stop == Stop::ClosePreview)
                p->findChild<QAction*>(QStringLiteral("closeAction"))->trigger();
            else
                throw ReportError(QStringLiteral("Ошибка в строке"), QStringLiteral("X"));
            return std::nullopt;
        };
        if (stop == Stop::Fail)
            EXPECT_THROW(prepareAndPreview(nullptr, tpl(kBody), rows, {.values = look}), ReportError);
        else
            prepareAndPreview(nullptr, tpl(kBody), rows, {.values = look});
        EXPECT_EQ(stoppedAt, 2) << int(stop);
        EXPECT_EQ(shown<PreviewDialog>(), nullptr) << int(stop);
        EXPECT_EQ(shown<PreparationProgress>(), nullptr) << int(stop);
    }
}

} // namespace
} // namespace vi23::test
