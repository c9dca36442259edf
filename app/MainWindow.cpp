#include "MainWindow.h"

#include "data/Backup.h"

#include "CalendarWindow.h"
#include "ManualWindow.h"
#include "books/JournalTab.h"
#include "calc/CalculatorWindow.h"
#include "documents/DocumentsTab.h"
#include "documents/GoodsPicker.h"
#include "lists/ListTabs.h"
#include "reports/ProgressDialog.h"
#include "data/Error.h"
#include "ui/DBComboBox.h"
#include "ui/DBEdit.h"
#include "ui/DBGrid.h"
#include "ui/DataSource.h"
#include "ui/Messages.h"
#include "ui/PickWindow.h"
#include "ui/ScreenTabOrder.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTabWidget>
#include <algorithm>
#include <utility>

namespace vi23 {

namespace {

// The tables the tabs write rows into.
constexpr const char16_t* kEditedTables[] = {u"ADOTable_jur1", u"ADOTable_jur", u"ADOTable_stov",
                                             u"ADOTable_sr",   u"ADOTable_k",   u"ADOTable_pr1"};

const char* const kAboutLines[] = {
    "Программа  \"Вельмар\"  предназначена для  бухгалтеров и руководителей малых предприятий, предпринимателей.",
    "Программа обеспечивает:",
    " выписку  первичных бухгалтерских документов:  счетов, актов, накладных, чеков, кассовых ордеров;",
    " непрерывную , последовательную регистрацию хозяйственных операций и  первичных бухгалтерских документов;",
    " подготовку книги учета доходов и расходов и кассовой книги;",
    " расчет суммы дохода или разницы дохода и расхода, как базы налога по итогам отчетных кварталов и года;",
    " подготовку внутренних отчетов.",
    "Состав отчетов, по предложению пользователя, может быть расширен и изменен.",
    "Выбор периода отчета производится пользователем.",
    "Формы  кассовой книги и книги доходов  и расходов соответствуют действующим условиям налогообложения.",
    "Программа включает семь функциональных разделов или страниц.  Две первые страницы основные и используются",
    "в текущей работе  пользователя.",
    " На странице \"выписка документов\" производится  выписка и печать  первичных документов учета.",
    " На странице \"регистрация документов, отчеты\" производится  последовательная , непрерывная регистрация",
    " входящих и исходящих первичных бухгалтерских документов.",
    " За  выбранные периоды просматриваются и печатаются  отчеты.",
    "Пять последующих страниц программы: ",
    "- список товаров, цены;",
    "- типовые операции;",
    "- список плательщиков- получателей;",
    "- данные пользователя;",
    "- о программе;",
    "заполняются на начало работы с программой и содержат повторяющиеся  данные предприятия, используемые программой.",
    "Техника работы с данными на всех страницах программы  одинакова и состоит в вводе данных в окна регистрации",
    " между нажатием кнопок \"новая запись-добавить\" и \"сохранить\". Ввод данных могут облегчать выпадающие",
    " информационные списки, календари, калькуляторы.",
    "",
};

const QString kMakerLine = QStringLiteral("Вельмар — выписка и регистрация документов для малых предприятий на УСН");

} // namespace

TForm1::TForm1(const QString& databasePath, QWidget* parent)
    : QWidget(parent), store_(std::make_unique<DataStore>(databasePath))
{
    setObjectName(QStringLiteral("Form1"));
    // Every file is kn.mdb: the frame names the folder too.
    const Database& db = store_->database();
    setWindowTitle(QStringLiteral("%1 — Вельмар").arg(db.isServer() ? db.displayName() : QDir::toNativeSeparators(db.path())));
    programFolder = QCoreApplication::applicationDirPath();
    // A book's rows come to its report as they are read, its first page shown at once.
    store_->setStreamingBookQueries(true);
    // A copy of the file before the first change of each day; a failed copy only warns.
    enableDailyBackups(store_->database(), [this](const QString& message) {
        ui::reportError(this, message, QStringLiteral("Резервная копия"));
    });
    setStyleSheet(QStringLiteral("TForm1, QWidget#Form1 { background-color: #c0c0c0; }"));
    QFont controls(QStringLiteral("Arial Narrow"));
    controls.setPixelSize(13);
    setFont(controls);

    makeDataSources();
    buildTitleLine();
    buildTabs();
    buildPickWindows();
    loadForms();
    addShortcuts();
    // The window's face reaches every control and pick window: the style sheet on the window keeps it
    // from propagating by itself. Controls with a face of their own (the title, "Bыход") keep theirs.
    for (QWidget* control : findChildren<QWidget*>()) {
        if (!control->testAttribute(Qt::WA_SetFont))
            control->setFont(controls);
    }
}

void TForm1::makeDataSources()
{
    auto makeSource = [this](const char16_t* dataSet, const char* name) {
        return new ui::DataSource(store_->dataSet(dataSet), QString::fromLatin1(name), this);
    };
    DataSource_jur = makeSource(u"ADOTable_jur", "DataSource_jur");
    DataSource_jur1 = makeSource(u"ADOTable_jur1", "DataSource_jur1");
    DataSource_sr = makeSource(u"ADOTable_sr", "DataSource_sr");
    DataSource_k = makeSource(u"ADOTable_k", "DataSource_k");
    DataSource_stov = makeSource(u"ADOTable_stov", "DataSource_stov");
    DataSource_pr1 = makeSource(u"ADOTable_pr1", "DataSource_pr1");
    context_ = std::make_unique<ui::MainContext>(ui::MainContext{
        *store_, *DataSource_jur, *DataSource_jur1, *DataSource_sr, *DataSource_k, *DataSource_stov,
        *DataSource_pr1, {}, {}, {}, {}, {}});
    context_->reopen = [this] { QMetaObject::invokeMethod(this, &TForm1::reopenRequested, Qt::QueuedConnection); };
}

void TForm1::buildTitleLine()
{
    title_ = new QLabel(QStringLiteral("Вельмар: выписка и регистрация документов, книга доходов и расходов, "
                                       "кассовая книга, отчеты "),
                        this);
    title_->setObjectName(QStringLiteral("Label_title"));
    QFont titleFont(QStringLiteral("Arial Narrow"));
    titleFont.setPixelSize(17);
    title_->setFont(titleFont);
    title_->setStyleSheet(QStringLiteral("color: white;"));
    exitButton_ = new QPushButton(QStringLiteral("Bыход"), this);
    exitButton_->setObjectName(QStringLiteral("Button1"));
    QFont exitFont(QStringLiteral("Verdana"));
    exitFont.setPixelSize(15);
    exitButton_->setFont(exitFont);
    exitButton_->setStyleSheet(QStringLiteral("color: white; background-color: #606060;"));
    connect(exitButton_, &QPushButton::clicked, this, &TForm1::Button1Click);
}

void TForm1::buildTabs()
{
    panel_ = new QWidget(this);
    panel_->setObjectName(QStringLiteral("Panel1"));
    tabs_ = new QTabWidget(panel_);
    tabs_->setObjectName(QStringLiteral("PageControl1"));
    documentsTab_ = new DocumentsTab(*context_);
    journalTab_ = new JournalTab(*context_);
    goodsTab_ = new GoodsTab(*context_);
    operationsTab_ = new OperationsTab(*context_);
    counterpartiesTab_ = new CounterpartiesTab(*context_);
    requisitesTab_ = new RequisitesTab(*context_);
    tabs_->addTab(documentsTab_, QStringLiteral("Выписка документов"));
    tabs_->addTab(journalTab_, QStringLiteral("Регистрация документов, отчеты"));
    tabs_->addTab(goodsTab_, QStringLiteral("Список товаров, цены"));
    tabs_->addTab(operationsTab_, QStringLiteral("Типовые операции"));
    tabs_->addTab(counterpartiesTab_, QStringLiteral("Список поставщиков-покупателей "));
    tabs_->addTab(requisitesTab_, QStringLiteral("Данные пользователя"));
    tabs_->addTab(buildAboutTab(), QStringLiteral("О программе"));
    tabs_->setCurrentIndex(0);
    // A new row nothing was written into is not kept behind the tab left; the tab shown shows the rows
    // other workplaces added meanwhile.
    connect(tabs_, &QTabWidget::currentChanged, this, [this] {
        dropUntouchedNewRows();
        ui::runGuarded(this, [this] { rereadShownTab(); });
    });
}

void TForm1::buildPickWindows()
{
    // The pick windows: created hidden, shown by clicks in boxes, never destroyed before the end.
    calendar_ = new TForm2(this);
    calendar_->hide();
    connect(calendar_, &TForm2::datePicked, this, &TForm1::MonthCalendar1Click);
    connect(calendar_, &TForm2::closed, this, [this] {
        // The keyboard goes back to the box the calendar filled, so typing goes on there.
        ui::DBEdit* box = std::exchange(calendarTarget_, nullptr);
        if (box && isVisible() && box->isVisible()) {
            activateWindow();
            box->setFocus(Qt::OtherFocusReason);
        }
    });
    calculator_ = new TFormcalk(this);
    calculator_->hide();
    calculator_->errorReporter = [this](const QString& text) { ui::reportError(calculator_, text); };
    connect(calculator_, &TFormcalk::amountChosen, this, &TForm1::calculatorAmountChosen);
    goodsPicker_ = new TForm6(*context_, *documentsTab_, this);
    goodsPicker_->hide();
    auto bringUp = [](QWidget* window, QWidget* box, bool activate = true) {
        window->setAttribute(Qt::WA_ShowWithoutActivating, !activate);
        ui::placeBeside(window, box);
        ui::closeByEscapeIn(window, box);
        window->show();
        window->raise();
        if (activate)
            window->activateWindow();
    };
    context_->showCalendar = [this, bringUp](ui::DBEdit* target, bool byKeyboard) {
        calendarTarget_ = target;
        bringUp(calendar_, target, byKeyboard);
    };
    context_->showCalculator = [this, bringUp](bool byKeyboard) {
        bringUp(calculator_, journalTab_->sumBox(), byKeyboard);
    };
    context_->showGoodsPicker = [this, bringUp](QWidget* nameBox) { bringUp(goodsPicker_, nameBox); };
}

void TForm1::loadForms()
{
    // The printed forms belong to the window for its whole life; a stream that does not read is
    // reported and its form stays empty.
    templates_ = loadBuiltInTemplates();
    for (const BuiltInTemplates::Problem& problem : templates_.problems())
        ui::reportError(this, problem.message.text, problem.message.caption);
    reportRunner = [this](const Template& form, RowSourceResolver& rows, const PrintRequest& request) {
        prepareAndPreview(this, form, rows, request);
    };
    context_->runReport = [this](const PrintRequest& request) { runReport(request); };
}

void TForm1::addShortcuts()
{
    auto* manualKey = new QShortcut(QKeySequence(Qt::Key_F1), this);
    manualKey->setContext(Qt::WindowShortcut);
    connect(manualKey, &QShortcut::activated, this, &TForm1::showManual);

    // The tabs change from anywhere in the window, boxes and grids included.
    auto* nextTab = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), this);
    auto* previousTab = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), this);
    for (QShortcut* shortcut : {nextTab, previousTab})
        shortcut->setContext(Qt::WindowShortcut);
    connect(nextTab, &QShortcut::activated, this,
            [this] { tabs_->setCurrentIndex((tabs_->currentIndex() + 1) % tabs_->count()); });
    connect(previousTab, &QShortcut::activated, this,
            [this] { tabs_->setCurrentIndex((tabs_->currentIndex() + tabs_->count() - 1) % tabs_->count()); });
}

void TForm1::runReport(const PrintRequest& request)
{
    const Template* form = templates_.find(request.templateName);
    if (!form)
        throw UserError(QStringLiteral("В программе нет печатной формы «%1»").arg(request.templateName));
    reportRunner(*form, *store_, request);
}

TForm1::~TForm1()
{
    // The controls observe data sets of the store: let them go first.
    delete goodsPicker_;
    delete panel_;
    context_.reset();
}

QWidget* TForm1::buildAboutTab()
{
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("TabSheet7"));
    auto* text = new QPlainTextEdit(tab);
    text->setObjectName(QStringLiteral("Memo1"));
    text->setReadOnly(true);
    QStringList lines;
    for (const char* line : kAboutLines)
        lines << QString::fromUtf8(line);
    text->setPlainText(lines.join(u'\n'));
    auto* foot = new QLabel(kMakerLine, tab);
    foot->setObjectName(QStringLiteral("Label_maker"));
    auto* manual = new QPushButton(QStringLiteral("Руководство пользователя (F1)"), tab);
    manual->setObjectName(QStringLiteral("ButtonManual"));
    connect(manual, &QPushButton::clicked, this, &TForm1::showManual);
    text->setGeometry(10, 10, 900, 420);
    foot->setGeometry(10, 440, 900, 22);
    manual->setGeometry(10, 470, 260, 26);
    return tab;
}

void TForm1::layoutFor(int width, int height)
{
    const int W = width;
    const int H = height;
    title_->setGeometry(W * 4 / 1004, 9, W * 80 / 100, 24);
    exitButton_->setGeometry(W * 90 / 100, 10, W / 14, 22);
    panel_->setGeometry(0, 40, W - 10, H - 40);
    // The tab area stands in the panel at top 30 and left 2; it is as large as the panel.
    tabs_->setGeometry(2, 30, W - 10, H - 40);
    const ui::LayoutUnits units{W, H};
    documentsTab_->applyLayout(units);
    journalTab_->applyLayout(units);
    goodsTab_->applyLayout(units);
    operationsTab_->applyLayout(units);
    counterpartiesTab_->applyLayout(units);
    requisitesTab_->applyLayout(units);
    for (QWidget* tab : {static_cast<QWidget*>(documentsTab_), static_cast<QWidget*>(journalTab_),
                         static_cast<QWidget*>(requisitesTab_)})
        ui::setTabOrderByPlace(tab);
    // A caption that a small screen cuts shows whole in its tooltip.
    for (QWidget* widget : panel_->findChildren<QWidget*>()) {
        QString text;
        int room = 0;
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            text = button->text();
            room = button->contentsRect().width() - 6;
        } else if (auto* caption = qobject_cast<QLabel*>(widget); caption && !caption->wordWrap()) {
            text = caption->text();
            room = caption->contentsRect().width();
        }
        if (!text.isEmpty())
            widget->setToolTip(widget->fontMetrics().horizontalAdvance(text) > room ? text : QString());
    }
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (laidOut_)
        return;
    laidOut_ = true;
    // The window fills the screen's work area with a fixed border.
    QRect area = screen() ? screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    setGeometry(area);
    setFixedSize(area.size());
    layoutFor(area.width(), area.height());
    // The sort orders and the newest rows are set before the first click too: a desktop that starts
    // the window inactive would otherwise activate it with that click, moving the documents to the
    // newest row while the click's print still prints the row shown before.
    FormActivate();
}

void TForm1::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    if (isActiveWindow()) {
        FormActivate();
        return;
    }
    // A pick window taking the keyboard for a moment brings no other workplace's rows back with it:
    // the return from it re-reads nothing, or every date picked would read the journal again.
    QWidget* now = QApplication::activeWindow();
    leftForPickWindow_ = now && (now == calendar_ || now == calculator_ || now == goodsPicker_);
}

void TForm1::FormActivate()
{
    ui::runGuarded(this, [this] {
        const std::pair<const char16_t*, QString> orders[] = {
            {u"ADOTable_jur1", QStringLiteral("k DESC")},
            {u"ADOTable_jur", QStringLiteral("n DESC")},
            {u"ADOTable_k", QStringLiteral("dd DESC")},
        };
        for (const auto& [name, order] : orders) {
            DataSet& dataSet = store_->dataSet(name);
            if (dataSet.sort() != order)
                dataSet.setSort(order);
        }
        // The documents and the journal open on their newest row; later activations bring the rows
        // other workplaces added since.
        if (startedOnNewest_) {
            if (!std::exchange(leftForPickWindow_, false))
                rereadShownTab();
            return;
        }
        startedOnNewest_ = true;
        for (const char16_t* name : {u"ADOTable_jur1", u"ADOTable_jur"}) {
            DataSet& dataSet = store_->dataSet(name);
            if (dataSet.isOpen() && !dataSet.isEditing())
                dataSet.first();
        }
    });
}

void TForm1::MonthCalendar1Click(const QString& dateText)
{
    ui::runGuarded(calendar_, [this, &dateText] {
        // Only the box the calendar was opened for is filled, with every day clicked while it is open;
        // a browsed row starts editing, so the date shown is the date Save stores.
        if (calendarTarget_)
            calendarTarget_->putFieldText(dateText);
    });
}

void TForm1::calculatorAmountChosen(const QString& amountText)
{
    ui::runGuarded(calculator_, [this, &amountText] { journalTab_->sumBox()->putFieldText(amountText); });
}

bool TForm1::hasUnsavedChanges() const
{
    for (const char16_t* name : kEditedTables) {
        const DataSet& set = store_->dataSet(name);
        if (set.isEditing() && set.isModified())
            return true;
    }
    for (const ui::DBEdit* box : findChildren<ui::DBEdit*>()) {
        if (box->hasPendingChange())
            return true;
    }
    return false;
}

void TForm1::showManual()
{
    ui::runGuarded(this, [this] { vi23::showManual(manual_, this, programFolder); });
}

ManualWindow* TForm1::manualWindow() const
{
    return manual_;
}

void TForm1::dropUntouchedNewRows()
{
    ui::runGuarded(this, [this] {
        for (const char16_t* name : kEditedTables) {
            // A box still holding typed text makes the row written into, though the field is not yet.
            DataSet& set = store_->dataSet(name);
            if (!typingInto(set))
                set.dropUntouchedNewRow();
        }
    });
}

bool TForm1::typingInto(const DataSet& set) const
{
    auto over = [&set](const ui::DataSource* source) { return source && &source->dataSet() == &set; };
    const QList<ui::DBEdit*> boxes = findChildren<ui::DBEdit*>();
    const QList<ui::DBComboBox*> choices = findChildren<ui::DBComboBox*>();
    const QList<ui::DBGrid*> grids = findChildren<ui::DBGrid*>();
    return std::any_of(boxes.begin(), boxes.end(),
                       [&over](const ui::DBEdit* b) { return b->hasPendingChange() && over(b->dataSource()); })
        || std::any_of(choices.begin(), choices.end(),
                       [&over](const ui::DBComboBox* b) { return b->hasPendingChange() && over(b->dataSource()); })
        || std::any_of(grids.begin(), grids.end(),
                       [&over](const ui::DBGrid* g) { return g->isCellOpen() && over(g->dataSource()); });
}

void TForm1::rereadShownTab()
{
    // What each tab shows, its drop-down lists and the goods pick window included.
    const std::pair<QWidget*, std::vector<const char16_t*>> shown[] = {
        {documentsTab_, {u"ADOTable_jur1", u"ADOTable_k", u"ADOTable_sr", u"ADOTable_stov"}},
        {journalTab_, {u"ADOTable_jur", u"ADOTable_k", u"ADOTable_sr"}},
        {goodsTab_, {u"ADOTable_stov"}},
        {operationsTab_, {u"ADOTable_sr"}},
        {counterpartiesTab_, {u"ADOTable_k"}},
    };
    for (const auto& [tab, names] : shown) {
        if (tab != tabs_->currentWidget())
            continue;
        for (const char16_t* name : names) {
            DataSet& set = store_->dataSet(name);
            if (set.isOpen() && !set.isEditing() && !typingInto(set))
                set.reread();
        }
    }
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // A cell still being typed is part of its row, so the question below sees it.
    for (ui::DBGrid* grid : findChildren<ui::DBGrid*>())
        grid->commitOpenEditor();
    dropUntouchedNewRows();
    if (!hasUnsavedChanges()) {
        event->accept();
        return;
    }
    switch (ui::askSaveChanges(this, QStringLiteral("Сохранить изменения?"))) {
    case ui::SaveChoice::Cancel:
        event->ignore();
        return;
    case ui::SaveChoice::Save: {
        // Each tab saves as its own "Сохранить" does; a refusal keeps the window open on it.
        const bool saved = ui::runGuarded(this, [this] {
            documentsTab_->save();
            journalTab_->save();
            goodsTab_->save();
            operationsTab_->save();
            counterpartiesTab_->save();
            requisitesTab_->save();
        });
        if (!saved) {
            event->ignore();
            return;
        }
        break;
    }
    case ui::SaveChoice::Discard:
        for (const char16_t* name : kEditedTables)
            store_->dataSet(name).cancel();
        for (ui::DBEdit* box : findChildren<ui::DBEdit*>())
            box->discardPending();
        break;
    }
    event->accept();
}

void TForm1::Button1Click()
{
    close();
}

} // namespace vi23
