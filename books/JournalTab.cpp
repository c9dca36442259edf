#include "JournalTab.h"

#include "BankImportDialog.h"
#include "BookPrinting.h"
#include "BookSheets.h"
#include "ReconciliationAct.h"
#include "data/FilterExpression.h"
#include "data/GridColumns.h"
#include "data/Money.h"
#include "data/RuFormat.h"
#include "data/SettlementKinds.h"
#include "data/Today.h"
#include "ui/DBComboBox.h"
#include "ui/DBEdit.h"
#include "ui/DBGrid.h"
#include "ui/DBLookupComboBox.h"
#include "data/Error.h"
#include "ui/DataSource.h"
#include "ui/DeletionUndo.h"
#include "ui/Messages.h"
#include "ui/WholeDateEdit.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <exception>

namespace vi23 {

namespace {

// A drop-down whose items are read again each time it opens.
class RefreshingComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> beforePopup;

    void showPopup() override
    {
        ui::runGuarded(this, [this] { beforePopup(); });
        QComboBox::showPopup();
    }
};

} // namespace

const QStringList& reportKinds()
{
    static const QStringList kinds = captionsOf(reportKindTable());
    return kinds;
}

JournalTab::JournalTab(ui::MainContext& context, QWidget* parent) : QWidget(parent), context_(context)
{
    setObjectName(QStringLiteral("TabSheet2"));
    placeButtons();
    placeEntryBoxes();
    placeJournalGrid();
    buildReportPanel();

    context_.jur.dataSet().afterInsert = &JournalTab::ADOTable_jurAfterInsert;
    deletion_ = std::make_unique<ui::DeletionUndo>(context_.jur.dataSet(), &JournalTab::deletionQuestion);
    auto* undo = new QShortcut(QKeySequence::Undo, this, this, &JournalTab::undoDeletion);
    undo->setContext(Qt::WidgetWithChildrenShortcut);
}

JournalTab::~JournalTab() = default;

void JournalTab::placeButtons()
{
    const int h = 22;
    auto* caption = new QLabel(QStringLiteral("Выборка предприятия по первым буквам наименования в окне ввода"), this);
    caption->setObjectName(QStringLiteral("Label25"));
    layout_.place(caption, 10, 1, 550, h);
    const std::array<std::tuple<const char*, QString, int, void (JournalTab::*)()>, 4> buttons = {{
        {"Button8", QStringLiteral("Добавить"), 572, &JournalTab::Button8Click},
        {"Button14", QStringLiteral("Удалить"), 672, &JournalTab::Button14Click},
        {"Button15", QStringLiteral("Редактор"), 772, &JournalTab::Button15Click},
        {"Button16", QStringLiteral("Сохранить"), 872, &JournalTab::Button16Click},
    }};
    for (const auto& [name, text, column, handler] : buttons) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        connect(b, &QPushButton::clicked, this, handler);
        layout_.place(b, column, 1, 100, h);
    }
}

// The entry boxes of one journal row; the grid's layout puts each over its column.
void JournalTab::placeEntryBoxes()
{
    auto box = [this](const char* name, const char* field, bool readOnly) {
        auto* b = new ui::DBEdit(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setDataSource(&context_.jur);
        b->setDataField(QString::fromLatin1(field));
        b->setReadOnly(readOnly);
        return b;
    };
    dateBox_ = box("DBEdit1", "dd", false);
    connect(dateBox_, &ui::DBEdit::pickRequested, this, &JournalTab::DBEdit1Click);
    numberBox_ = box("DBEdit2", "nn", false);
    kindBox_ = new ui::DBComboBox(this);
    kindBox_->setObjectName(QStringLiteral("DBComboBox1"));
    kindBox_->setItems({QStringLiteral("ПП"), QStringLiteral("КО"), QStringLiteral("ТН"), QStringLiteral("А")});
    kindBox_->setDataSource(&context_.jur);
    kindBox_->setDataField(QStringLiteral("dok"));
    sumBox_ = box("DBEdit3", "s", false);
    connect(sumBox_, &ui::DBEdit::pickRequested, this, &JournalTab::DBEdit3Click);
    operationBox_ = new ui::DBLookupComboBox(this);
    operationBox_->setObjectName(QStringLiteral("DBLookupComboBox2"));
    operationBox_->setDataSource(&context_.jur);
    operationBox_->setDataField(QStringLiteral("sr"));
    operationBox_->setListSource(&context_.sr);
    operationBox_->setListField(QStringLiteral("sr"));
    counterpartyBox_ = new ui::DBLookupComboBox(this);
    counterpartyBox_->setObjectName(QStringLiteral("DBL3"));
    counterpartyBox_->setDataSource(&context_.jur);
    counterpartyBox_->setDataField(QStringLiteral("k"));
    counterpartyBox_->setListSource(&context_.k);
    counterpartyBox_->setListField(QStringLiteral("k"));
}

void JournalTab::placeJournalGrid()
{
    grid_ = new ui::DBGrid(this);
    grid_->setObjectName(QStringLiteral("DBGrid3"));
    grid_->setDataSource(&context_.jur);
    grid_->setReadOnly(true);
    const std::vector<GridColumn>& columns = gridColumns(u"ADOTable_jur");
    for (const GridColumn& c : columns)
        grid_->addColumn(c.field, c.title, 100);
    // Of the window's width, in the grid's order.
    const std::array<int, 6> perMille = {83, 48, 69, 105, 297, 339};
    QWidget* entry[] = {dateBox_, numberBox_, kindBox_, sumBox_, operationBox_, counterpartyBox_};
    layout_.placeBy([this, columns, perMille, entry](const ui::LayoutUnits& u) {
        // Each entry box stands over its grid column and takes its width; the last one is a bit wider.
        int x = grid_->x() + 2;
        for (size_t i = 0; i < perMille.size(); ++i) {
            const int width = u.width * perMille[i] / 1000;
            grid_->setColumnWidthFor(columns[i].field, width);
            const int boxWidth = i + 1 == perMille.size() ? u.width * 360 / 1000 : width;
            entry[i]->setGeometry(x, 2 * u.row(), std::min(boxWidth, u.width - 20 - x), u.controlHeight(22));
            x += width;
        }
    });
    layout_.placeBy([this](const ui::LayoutUnits& u) {
        grid_->setGeometry(u.column(5), 3 * u.row() + 10, u.width - 25, 20 * u.row());
    });
}

void JournalTab::buildReportPanel()
{
    const int h = 22;
    // The report panel. Any date from 2000 to 2099 can be chosen; the period starts as this year.
    const int year = today().year();
    auto dateEdit = [this](const char* name, QDate date) {
        auto* d = new ui::WholeDateEdit(date, this);
        d->setObjectName(QString::fromLatin1(name));
        d->setCalendarPopup(true);
        d->setDateRange(QDate(2000, 1, 1), QDate(2099, 12, 31));
        return d;
    };
    dtp1_ = dateEdit("dtp1", QDate(year, 1, 1));
    dtp2_ = dateEdit("dtp2", QDate(year, 12, 31));
    reportKind_ = new QComboBox(this);
    reportKind_->setObjectName(QStringLiteral("ComboBox1"));
    reportKind_->setEditable(true);
    reportKind_->addItems(reportKinds());
    reportKind_->setCurrentText(reportKinds().front());
    auto* print = new QPushButton(QStringLiteral("Печать отчета"), this);
    print->setObjectName(QStringLiteral("Button5"));
    connect(print, &QPushButton::clicked, this, &JournalTab::Button5Click);
    layout_.place(new QLabel(QStringLiteral("Отчет за период с"), this), 10, 24, 110, h);
    layout_.place(dtp1_, 120, 24, 100, h);
    layout_.place(new QLabel(QStringLiteral("по"), this), 225, 24, 20, h);
    layout_.place(dtp2_, 245, 24, 100, h);
    layout_.place(new QLabel(QStringLiteral("Вид отчета"), this), 360, 24, 70, h);
    layout_.place(reportKind_, 430, 24, 300, h);
    layout_.place(print, 772, 24, 100, h);
    // The reconciliation act's counterparty, under the period; its list is read afresh when it opens.
    auto* counterparties = new RefreshingComboBox(this);
    counterparties->beforePopup = [this] { fillCounterparties(); };
    reportCounterparty_ = counterparties;
    reportCounterparty_->setObjectName(QStringLiteral("ComboBoxCounterparty"));
    reportCounterpartyLabel_ = new QLabel(QStringLiteral("Контрагент"), this);
    layout_.place(reportCounterpartyLabel_, 10, 25, 110, h);
    layout_.place(reportCounterparty_, 120, 25, 225, h);
    connect(reportKind_, &QComboBox::currentTextChanged, this, &JournalTab::reportKindChanged);
    reportKindChanged(reportKind_->currentText());
    auto* bankImport = new QPushButton(QStringLiteral("Загрузить выписку"), this);
    bankImport->setObjectName(QStringLiteral("ButtonBankImport"));
    connect(bankImport, &QPushButton::clicked, this, &JournalTab::ButtonBankImportClick);
    layout_.place(bankImport, 877, 24, 115, h);
    auto* legend = new QLabel(QStringLiteral("Документы: ПП - платежное поручение, КО - кассовый ордер, ТН -  товарная "
                                             "накладная, А - акт. Клик в окнах ввода - переход к информаторам."),
                              this);
    legend->setObjectName(QStringLiteral("Label_legend"));
    layout_.place(legend, 10, 26, 980, h);
}

QString JournalTab::deletionQuestion(const DataSet& journal)
{
    return QStringLiteral("Удалить запись журнала: %1 № %2 от %3 на сумму %4?")
        .arg(journal.text(u"dok"), journal.text(u"nn"), journal.text(u"dd"), journal.money(u"s").toFixed(2));
}

void JournalTab::applyLayout(const ui::LayoutUnits& units)
{
    layout_.apply(units);
}

void JournalTab::ADOTable_jurAfterInsert(DataSet& journal)
{
    journal.setValue(u"dd", today());
    journal.setText(u"dok", QStringLiteral("ПП"));
    journal.setText(u"vr", kIncomeSettlement);
    journal.setValue(u"s", Money());
}

void JournalTab::Button8Click()
{
    ui::runGuarded(this, [this] { context_.jur.dataSet().insert(); });
}

void JournalTab::Button14Click()
{
    ui::runGuarded(this, [this] { deletion_->removeCurrent(this); });
}

void JournalTab::undoDeletion()
{
    ui::runGuarded(this, [this] { deletion_->undo(); });
}

void JournalTab::Button15Click()
{
    ui::runGuarded(this, [this] { context_.jur.dataSet().edit(); });
}

void JournalTab::Button16Click()
{
    ui::runGuarded(this, [this] { save(); });
}

void JournalTab::save()
{
    DataSet& journal = context_.jur.dataSet();
    if (!journal.isEditing())
        return;
    const QString operation = operationBox_->currentText();
    if (operation.isEmpty())
        throw UserError(QStringLiteral("Не выбрана операция. Выберите её в списке операций и снова нажмите «Сохранить»"));
    DataSet& operations = context_.sr.dataSet();
    QString kind;
    std::exception_ptr failure;
    try {
        operations.setFilter(textEqualsFilter(QStringLiteral("sr"), operation));
        kind = operations.recordCount() > 0 ? settlementKind(operations.text(u"vr")) : QString();
    } catch (...) {
        failure = std::current_exception();
    }
    // The typical operations list is shown whole again; a failure to do so is shown too.
    operations.setFilter(QString());
    if (failure)
        std::rethrow_exception(failure);
    if (kind.isEmpty())
        throw UserError(QStringLiteral("У операции «%1» не указан вид расчета (Приход или Расход), и книги не учли бы "
                                       "эту запись. Укажите его на странице «Типовые операции» и снова нажмите "
                                       "«Сохранить»")
                            .arg(operation));
    journal.setText(u"vr", kind);
    journal.post();
}

void JournalTab::fillCounterparties()
{
    const QString chosen = reportCounterparty_->currentText();
    reportCounterparty_->clear();
    reportCounterparty_->addItems(counterpartyNames(context_.store.database()));
    reportCounterparty_->setCurrentIndex(std::max(0, reportCounterparty_->findText(chosen)));
}

void JournalTab::reportKindChanged(const QString& kind)
{
    ui::runGuarded(this, [this, kind] {
        const FormKind* formKind = vi23::reportKind(kind);
        const bool act = formKind && formKind->counterparty;
        if (act && !reportCounterparty_->isVisible())
            fillCounterparties();
        reportCounterparty_->setVisible(act);
        reportCounterpartyLabel_->setVisible(act);
    });
}

void JournalTab::Button5Click()
{
    ui::runGuarded(this, [this] {
        const QString kind = reportKind_->currentText();
        const QDate from = dtp1_->date();
        const QDate to = dtp2_->date();
        const FormKind* formKind = vi23::reportKind(kind);
        const QString counterparty = formKind && formKind->counterparty ? reportCounterparty_->currentText() : QString();
        PrintRequest request = printBook(context_.store, kind, from, to, std::nullopt, counterparty);
        if (request.templateName.isEmpty() || !context_.runReport)
            return;
        // "Кассовая книга 2026" for a whole year, else the period's two dates; the act names its counterparty.
        const bool wholeYear = from == QDate(from.year(), 1, 1) && to == QDate(from.year(), 12, 31);
        const QString title = counterparty.isEmpty() ? kind : QStringLiteral("%1 %2").arg(kind, counterparty);
        request.fileName = reportFileName(wholeYear ? QStringLiteral("%1 %2").arg(title).arg(from.year())
                                                    : QStringLiteral("%1 %2–%3").arg(title, ru::formatDate(from), ru::formatDate(to)));
        if (formKind && formKind->table != BookTable::None)
            request.saveWorkbook = [this, kind, from, to, counterparty](const QString& fileName) {
                saveBookWorkbook(context_.store, fileName, kind, from, to, counterparty);
            };
        context_.runReport(request);
    });
}

void JournalTab::ButtonBankImportClick()
{
    ui::runGuarded(this, [this] { importBankStatement(context_, this); });
}

void JournalTab::DBEdit1Click(bool byKeyboard)
{
    ui::runGuarded(this, [this, byKeyboard] {
        if (context_.showCalendar)
            context_.showCalendar(dateBox_, byKeyboard);
    });
}

void JournalTab::DBEdit3Click(bool byKeyboard)
{
    ui::runGuarded(this, [this, byKeyboard] {
        if (context_.showCalculator)
            context_.showCalculator(byKeyboard);
    });
}

} // namespace vi23
