#include "ListTabs.h"

#include "BackupRestoreDialog.h"

#include "data/GridColumns.h"
#include "data/SettlementKinds.h"
#include "data/Today.h"
#include "ui/DBComboBox.h"
#include "ui/DBEdit.h"
#include "ui/DBGrid.h"
#include "data/CounterpartyMail.h"
#include "data/DocumentMoney.h"
#include "data/EnterpriseSettings.h"
#include "data/Error.h"
#include "data/DataStore.h"
#include "ui/DataSource.h"
#include "ui/DeletionUndo.h"
#include "ui/Messages.h"

#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <vector>

namespace vi23 {

namespace {

constexpr int kButtonHeight = 22;

template <typename Tab>
void addButton(Tab* tab, ui::ProportionalLayout& layout, const char* name, const QString& caption, int column, int row,
               void (Tab::*handler)())
{
    auto* b = new QPushButton(caption, tab);
    b->setObjectName(QString::fromLatin1(name));
    QObject::connect(b, &QPushButton::clicked, tab, handler);
    layout.place(b, column, row, 100, kButtonHeight);
}

// An editable grid over a list with its columns, placed from row 2 down and 25 rows high; each
// column takes its percent of the window's width. The columns take at most 95 % of the width, so that
// none goes past the grid's right edge.
ui::DBGrid* addListGrid(QWidget* tab, ui::ProportionalLayout& layout, const char* name, ui::DataSource& source,
                        std::vector<int> percents)
{
    auto* grid = new ui::DBGrid(tab);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setDataSource(&source);
    grid->setReadOnly(false);
    const std::vector<GridColumn>& columns = gridColumns(source.dataSet().name());
    Q_ASSERT(columns.size() == percents.size());
    for (const GridColumn& c : columns)
        grid->addColumn(c.field, c.title, 100);
    layout.placeBy([grid, columns, percents](const ui::LayoutUnits& u) {
        grid->setGeometry(u.column(5), 2 * u.row() + 10, u.width - 25, 25 * u.row());
        for (size_t i = 0; i < columns.size(); ++i)
            grid->setColumnWidthFor(columns[i].field, u.width * percents[i] / 100);
    });
    return grid;
}

// A caption and the box of a requisite on one line of the requisites tab.
// The longest requisite's caption whole at 1024 pixels; the boxes end where they always did.
constexpr int kRequisiteCaptionWidth = 360;
constexpr int kRequisiteBoxColumn = 375;

QLabel* addRequisiteBox(QWidget* tab, ui::ProportionalLayout& layout, ui::DataSource& requisites, int line,
                        const char* field, const QString& caption)
{
    auto* label = new QLabel(caption, tab);
    layout.place(label, 10, line, kRequisiteCaptionWidth, kButtonHeight);
    auto* box = new ui::DBEdit(tab);
    box->setObjectName(QStringLiteral("DBEdit_pr1_") + QString::fromLatin1(field));
    box->setDataSource(&requisites);
    box->setDataField(QString::fromLatin1(field));
    layout.place(box, kRequisiteBoxColumn, line, 920 - kRequisiteBoxColumn, kButtonHeight);
    return label;
}

// The requisites electronic documents need: the enterprise's participant id at its operator (it
// names the files) and the person who signs them, in full.
int addExchangeRequisites(QWidget* tab, ui::ProportionalLayout& layout, ui::DataSource& requisites, int line)
{
    const std::pair<const char*, QString> rows[] = {
        {"edo_id", QStringLiteral("Идентификатор участника ЭДО (выдает оператор ЭДО)")},
        {"signer_surname", QStringLiteral("Подписант документов ЭДО: фамилия")},
        {"signer_name", QStringLiteral("Подписант документов ЭДО: имя")},
        {"signer_patronymic", QStringLiteral("Подписант документов ЭДО: отчество")},
        {"signer_position", QStringLiteral("Подписант документов ЭДО: должность")},
    };
    for (const auto& [field, caption] : rows)
        addRequisiteBox(tab, layout, requisites, line++, field, caption);
    return line;
}

// Stores the row being written, however its writing started; nothing when no row is.
void saveList(DataSet& list)
{
    if (list.isEditing())
        list.post();
}

// Ctrl+Z on the tab puts back its last deleted row.
template <typename Tab>
void addUndoKey(Tab* tab, void (Tab::*handler)())
{
    auto* undo = new QShortcut(QKeySequence::Undo, tab, tab, handler);
    undo->setContext(Qt::WidgetWithChildrenShortcut);
}

QString quotedQuestion(const QString& pattern, const DataSet& list, const char16_t* field)
{
    return pattern.arg(list.text(field));
}

} // namespace

// ---- goods ----

GoodsTab::GoodsTab(ui::MainContext& context, QWidget* parent) : QWidget(parent), context_(context)
{
    setObjectName(QStringLiteral("TabSheet3"));
    addButton(this, layout_, "Button33", QStringLiteral("Новая запись"), 572, 1, &GoodsTab::Button33Click);
    addButton(this, layout_, "Button34", QStringLiteral("Редактор"), 672, 1, &GoodsTab::Button34Click);
    addButton(this, layout_, "Button35", QStringLiteral("Удалить "), 772, 1, &GoodsTab::Button35Click);
    addButton(this, layout_, "Button36", QStringLiteral("Сохранить "), 872, 1, &GoodsTab::Button36Click);
    grid_ = addListGrid(this, layout_, "DBGrid5", context_.stov, {34, 7, 9, 7, 18, 17});
    deletion_ = std::make_unique<ui::DeletionUndo>(context_.stov.dataSet(), [](const DataSet& goods) {
        return quotedQuestion(QStringLiteral("Удалить товар «%1» из списка?"), goods, u"naz");
    });
    grid_->deleteAction = [this] { Button35Click(); };
    context_.stov.dataSet().setKeyField(QStringLiteral("naz"), QStringLiteral("Наименование товара, работы"));
    addUndoKey(this, &GoodsTab::undoDeletion);
}

GoodsTab::~GoodsTab() = default;

void GoodsTab::Button33Click()
{
    ui::runGuarded(this, [this] {
        const int rate = defaultVatRate(context_.store.database());
        context_.stov.dataSet().insert();
        context_.stov.dataSet().setValue(u"nds", std::int64_t(rate));
        context_.stov.dataSet().keepAsDefaults();
        grid_->editFirstCellOfCurrentRow();
    });
}

void GoodsTab::Button34Click()
{
    ui::runGuarded(this, [this] { context_.stov.dataSet().edit(); });
}

void GoodsTab::Button35Click()
{
    ui::runGuarded(this, [this] { deletion_->removeCurrent(this); });
}

void GoodsTab::Button36Click()
{
    ui::runGuarded(this, [this] { save(); });
}

void GoodsTab::save()
{
    saveList(context_.stov.dataSet());
}

void GoodsTab::undoDeletion()
{
    ui::runGuarded(this, [this] { deletion_->undo(); });
}

// ---- typical operations ----

namespace {

// An operation's name as the list tells names apart: letter case and ё/е aside.
QString operationKey(const QString& name)
{
    return name.toLower().replace(u'ё', u'е');
}

// A second operation of one name would make the journal's rows of that name ambiguous.
void refuseSecondOperation(const DataSet& operations)
{
    const int field = operations.requireField(u"sr");
    const QString name = operations.text(field);
    const QString key = operationKey(name);
    if (key.isEmpty())
        return;
    for (int position = 0; position < operations.recordCount(); ++position) {
        const QString other = operations.valueAt(position, field).toText();
        if (position != operations.position() && operationKey(other) == key)
            throw UserError(QStringLiteral("Операция «%1» уже есть в списке: «%2». Названия операций не должны "
                                           "совпадать (заглавные и строчные буквы, «ё» и «е» не различаются)")
                                .arg(name, other));
    }
}

} // namespace

OperationsTab::OperationsTab(ui::MainContext& context, QWidget* parent) : QWidget(parent), context_(context)
{
    setObjectName(QStringLiteral("TabSheet4"));
    addButton(this, layout_, "Button9", QStringLiteral("Добавить"), 572, 1, &OperationsTab::Button9Click);
    addButton(this, layout_, "Button18", QStringLiteral("Удалить"), 672, 1, &OperationsTab::Button18Click);
    addButton(this, layout_, "Button19", QStringLiteral("Редактор"), 772, 1, &OperationsTab::Button19Click);
    addButton(this, layout_, "Button21", QStringLiteral("Сохранить"), 872, 1, &OperationsTab::Button21Click);
    auto* text = new ui::DBEdit(this);
    text->setObjectName(QStringLiteral("DBEditOperation"));
    text->setDataSource(&context_.sr);
    text->setDataField(QStringLiteral("sr"));
    kindBox_ = new ui::DBComboBox(this);
    kindBox_->setObjectName(QStringLiteral("DBComboBox7"));
    kindBox_->setItems({kIncomeSettlement, kExpenseSettlement});
    kindBox_->setDataSource(&context_.sr);
    kindBox_->setDataField(QStringLiteral("vr"));
    grid_ = new ui::DBGrid(this);
    grid_->setObjectName(QStringLiteral("DBGrid1"));
    grid_->setDataSource(&context_.sr);
    grid_->setReadOnly(false);
    for (const GridColumn& c : gridColumns(u"ADOTable_sr"))
        grid_->addColumn(c.field, c.title, 100);
    layout_.placeBy([this, text](const ui::LayoutUnits& u) {
        const int srWidth = (u.width - 5) * 79 / 100;
        const int vrWidth = (u.width - 5) * 14 / 100;
        grid_->setGeometry(u.column(5), 3 * u.row() + 10, u.width - 25, 24 * u.row());
        grid_->setColumnWidthFor(QStringLiteral("sr"), srWidth);
        grid_->setColumnWidthFor(QStringLiteral("vr"), vrWidth);
        text->setGeometry(u.column(5), 2 * u.row(), srWidth, u.controlHeight(kButtonHeight));
        kindBox_->setGeometry(u.column(5) + srWidth, 2 * u.row(), vrWidth, u.controlHeight(kButtonHeight));
    });
    context_.sr.dataSet().beforePost = [](DataSet& operations) {
        checkKind(operations);
        refuseSecondOperation(operations);
    };
    deletion_ = std::make_unique<ui::DeletionUndo>(context_.sr.dataSet(), [](const DataSet& operations) {
        return quotedQuestion(QStringLiteral("Удалить операцию «%1»?"), operations, u"sr");
    });
    grid_->deleteAction = [this] { Button18Click(); };
    context_.sr.dataSet().setKeyField(QStringLiteral("sr"), QStringLiteral("Наименование операции"));
    addUndoKey(this, &OperationsTab::undoDeletion);
}

OperationsTab::~OperationsTab() = default;

void OperationsTab::checkKind(DataSet& operations)
{
    const QString typed = operations.text(u"vr");
    const QString kind = settlementKind(typed);
    if (kind.isEmpty())
        throw UserError(QStringLiteral("Укажите вид расчета операции «%1»: Приход или Расход").arg(operations.text(u"sr")));
    if (kind != typed)
        operations.setText(u"vr", kind);
}

void OperationsTab::Button9Click()
{
    ui::runGuarded(this, [this] {
        DataSet& operations = context_.sr.dataSet();
        operations.append();
        // The kind shown is the row's value: it is stored unless the user picks another.
        operations.setText(u"vr", kIncomeSettlement);
        operations.keepAsDefaults();
    });
}

void OperationsTab::Button19Click()
{
    ui::runGuarded(this, [this] { context_.sr.dataSet().edit(); });
}

void OperationsTab::Button18Click()
{
    ui::runGuarded(this, [this] { deletion_->removeCurrent(this); });
}

void OperationsTab::Button21Click()
{
    ui::runGuarded(this, [this] { save(); });
}

void OperationsTab::save()
{
    saveList(context_.sr.dataSet());
}

void OperationsTab::undoDeletion()
{
    ui::runGuarded(this, [this] { deletion_->undo(); });
}

// ---- counterparties ----

CounterpartiesTab::CounterpartiesTab(ui::MainContext& context, QWidget* parent) : QWidget(parent), context_(context)
{
    setObjectName(QStringLiteral("TabSheet5"));
    layout_.place(new QLabel(QStringLiteral("Строка поиска"), this), 10, 1, 90, kButtonHeight);
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("Edit2"));
    connect(search_, &QLineEdit::textChanged, this, &CounterpartiesTab::Edit2Change);
    layout_.place(search_, 100, 1, 300, kButtonHeight);
    addButton(this, layout_, "Button12", QStringLiteral("Добавить"), 572, 1, &CounterpartiesTab::Button12Click);
    addButton(this, layout_, "Button17", QStringLiteral("Редактировать"), 672, 1, &CounterpartiesTab::Button17Click);
    addButton(this, layout_, "Button2", QStringLiteral("Удалить"), 772, 1, &CounterpartiesTab::Button2Click);
    addButton(this, layout_, "Button22", QStringLiteral("Сохранить"), 872, 1, &CounterpartiesTab::Button22Click);
    grid_ = addListGrid(this, layout_, "DBGrid2", context_.k, {14, 17, 19, 13, 6, 9, 12, 5});
    // The address a document is mailed to is checked however the row is stored.
    context_.k.dataSet().beforePost = &checkCounterpartyMail;
    deletion_ = std::make_unique<ui::DeletionUndo>(context_.k.dataSet(), [](const DataSet& counterparties) {
        return quotedQuestion(QStringLiteral("Удалить «%1» из списка поставщиков-покупателей?"), counterparties, u"k");
    });
    grid_->deleteAction = [this] { Button2Click(); };
    context_.k.dataSet().setKeyField(QStringLiteral("k"), QStringLiteral("Наименование"));
    addUndoKey(this, &CounterpartiesTab::undoDeletion);
}

CounterpartiesTab::~CounterpartiesTab() = default;

void CounterpartiesTab::Button12Click()
{
    ui::runGuarded(this, [this] {
        DataSet& list = context_.k.dataSet();
        list.insert();
        // The list is shown newest first by dd, so a new counterparty carries today's date.
        list.setValue(u"dd", today());
        list.keepAsDefaults();
        grid_->editFirstCellOfCurrentRow();
    });
}

void CounterpartiesTab::Button17Click()
{
    ui::runGuarded(this, [this] { context_.k.dataSet().edit(); });
}

void CounterpartiesTab::Button2Click()
{
    ui::runGuarded(this, [this] { deletion_->removeCurrent(this); });
}

void CounterpartiesTab::Button22Click()
{
    ui::runGuarded(this, [this] { save(); });
}

void CounterpartiesTab::save()
{
    saveList(context_.k.dataSet());
}

void CounterpartiesTab::undoDeletion()
{
    ui::runGuarded(this, [this] { deletion_->undo(); });
}

void CounterpartiesTab::Edit2Change()
{
    ui::runGuarded(this, [this] {
        DataSet& list = context_.k.dataSet();
        if (list.sort() != QStringLiteral("k"))
            list.setSort(QStringLiteral("k"));
        list.locate(u"k", search_->text());
    });
}

// ---- enterprise requisites ----

RequisitesTab::RequisitesTab(ui::MainContext& context, QWidget* parent) : QWidget(parent), context_(context)
{
    setObjectName(QStringLiteral("TabSheet6"));
    struct Row { const char* field; QString caption; };
    const std::array<Row, 16> rows = {{
        {"np", QStringLiteral("Название предприятия, ФИО предпринимателя........")},
        {"unn", QStringLiteral("ИНН/КПП предприятия  или предпринимателя......................")},
        {"ad", QStringLiteral("Адрес предприятия")},
        {"fr", QStringLiteral("ФИО руководителя предприятия.........................................")},
        {"fb", QStringLiteral("ФИО бухгалтера")},
        {"kas", QStringLiteral("ФИО кассира (подпись кассовых ордеров)")},
        {"tel", QStringLiteral("Телефон предприятия")},
        {"bank", QStringLiteral("Банк предприятия...........")},
        {"rs", QStringLiteral("Номер расчетного счета")},
        {"ks", QStringLiteral("Номер корреспондентского счета")},
        {"buk", QStringLiteral("БИК")},
        {"okdp", QStringLiteral("ОКДП")},
        {"okpo", QStringLiteral("ОКПО")},
        {"dr", QStringLiteral("Должность руководителя")},
        {"fup", QStringLiteral("ФИО индивидуального предпринимателя (подпись счета-фактуры)")},
        {"rup", QString()},
    }};
    int line = 1;
    for (const Row& r : rows) {
        QLabel* caption = addRequisiteBox(this, layout_, context_.pr1, line++, r.field, r.caption);
        if (r.caption.isEmpty())
            registrationCaption_ = caption;
    }
    line = addExchangeRequisites(this, layout_, context_.pr1, line);
    // The 2026 forms print the ОГРНИП and its date from rup, so they must read back.
    context_.pr1.dataSet().beforePost = [this](DataSet& requisites) {
        if (formSet(context_.store.database()) == FormSet::Current2026)
            checkRegistration(requisites.text(u"rup"));
    };
    // The enterprise's choices are settings, stored as soon as they are chosen.
    defaultVat_ = new QComboBox(this);
    defaultVat_->setObjectName(QStringLiteral("ComboBoxDefaultVat"));
    defaultVat_->addItems(vatRateChoices());
    layout_.place(new QLabel(QStringLiteral("Ставка НДС по умолчанию"), this), 10, line, kRequisiteCaptionWidth, kButtonHeight);
    layout_.place(defaultVat_, kRequisiteBoxColumn, line, 150, kButtonHeight);
    ++line;
    formSet_ = new QComboBox(this);
    formSet_->setObjectName(QStringLiteral("ComboBoxFormSet"));
    formSet_->addItems({QStringLiteral("как в программе"), QStringLiteral("действующие 2026")});
    layout_.place(new QLabel(QStringLiteral("Печатные формы"), this), 10, line, kRequisiteCaptionWidth, kButtonHeight);
    layout_.place(formSet_, kRequisiteBoxColumn, line, 150, kButtonHeight);
    ++line;
    addButton(this, layout_, "Button6", QStringLiteral("Редактировать"), 772, line + 1, &RequisitesTab::Button6Click);
    addButton(this, layout_, "Button7", QStringLiteral("Сохранить"), 872, line + 1, &RequisitesTab::Button7Click);
    addRestoreButton(line + 3);
    showSettings();
    connect(defaultVat_, &QComboBox::currentIndexChanged, this, &RequisitesTab::defaultVatChosen);
    connect(formSet_, &QComboBox::currentIndexChanged, this, &RequisitesTab::formSetChosen);
}

void RequisitesTab::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    ui::runGuarded(this, [this] { showSettings(); });
}

void RequisitesTab::showSettings()
{
    Database& db = context_.store.database();
    showing_ = true;
    defaultVat_->setCurrentIndex(int(vatRateChoices().indexOf(vatRateText(defaultVatRate(db)))));
    formSet_->setCurrentIndex(formSet(db) == FormSet::Current2026 ? 1 : 0);
    showing_ = false;
    showRegistrationCaption();
}

void RequisitesTab::showRegistrationCaption()
{
    // rup held the registration certificate's requisites; since 2026 the forms print the ОГРНИП.
    registrationCaption_->setText(formSet_->currentIndex() == 1
                                      ? QStringLiteral("ОГРНИП и дата присвоения («ОГРНИП … от дд.мм.гггг»)")
                                      : QStringLiteral("Реквизиты свидетельства о государственной регистрации ИП"));
}

void RequisitesTab::defaultVatChosen(int index)
{
    if (showing_ || index < 0)
        return;
    const bool stored = ui::runGuarded(this, [this, index] {
        setDefaultVatRate(context_.store.database(), parseVatRate(vatRateChoices()[index]));
    });
    if (!stored)
        showSettings();
}

void RequisitesTab::formSetChosen(int index)
{
    if (showing_ || index < 0)
        return;
    const bool stored = ui::runGuarded(this, [this, index] {
        setFormSet(context_.store.database(), index == 1 ? FormSet::Current2026 : FormSet::Described);
    });
    if (!stored)
        showSettings();
    showRegistrationCaption();
}

void RequisitesTab::Button6Click()
{
    ui::runGuarded(this, [this] { context_.pr1.dataSet().edit(); });
}

void RequisitesTab::Button7Click()
{
    ui::runGuarded(this, [this] { save(); });
}

void RequisitesTab::save()
{
    saveList(context_.pr1.dataSet());
}

void RequisitesTab::addRestoreButton(int row)
{
    auto* restore = new QPushButton(QStringLiteral("Восстановить из копии…"), this);
    restore->setObjectName(QStringLiteral("ButtonRestore"));
    restore->setToolTip(QStringLiteral("Заменить данные базы данными одной из резервных копий папки backup"));
    connect(restore, &QPushButton::clicked, this, &RequisitesTab::restoreClick);
    layout_.place(restore, 772, row, 200, kButtonHeight);
}

void RequisitesTab::restoreClick()
{
    ui::runGuarded(this, [this] { restoreFromBackup(context_, this); });
}

} // namespace vi23
