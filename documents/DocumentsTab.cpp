#include "DocumentsTab.h"

#include "DocumentPrinting.h"
#include "data/CashOrders.h"
#include "data/Schema.h"
#include "ElectronicDocument.h"
#include "data/CounterpartyMail.h"
#include "data/Settings.h"
#include "data/DocumentMoney.h"
#include "data/EnterpriseSettings.h"
#include "data/Error.h"
#include "data/GridColumns.h"
#include "data/RuFormat.h"
#include "data/Today.h"
#include "ui/DBComboBox.h"
#include "ui/DBEdit.h"
#include "ui/DBGrid.h"
#include "ui/DBLookupComboBox.h"
#include "reports/FileDialogs.h"
#include "ui/DataSource.h"
#include "ui/DeletionUndo.h"
#include "ui/Messages.h"

#include <QComboBox>
#include <QCompleter>
#include <QSignalBlocker>
#include <QDate>
#include <QDir>
#include <QLabel>
#include <utility>
#include <QPushButton>
#include <QShortcut>

namespace vi23 {

namespace {

// Box names of the ten lines: name, quantity, price, VAT rate, sum.
constexpr std::array<std::array<const char*, 5>, DocumentsTab::kLines> kLineBoxNames = {{
    {"DBEdit19", "DBEdit20", "DBEdit21", "DBEdit71", "DBEdit43"},
    {"DBEdit22", "DBEdit45", "DBEdit54", "DBEdit72", "DBEdit44"},
    {"DBEdit23", "DBEdit46", "DBEdit55", "DBEdit74", "DBEdit63"},
    {"DBEdit24", "DBEdit47", "DBEdit56", "DBEdit77", "DBEdit64"},
    {"DBEdit25", "DBEdit48", "DBEdit57", "DBEdit78", "DBEdit65"},
    {"DBEdit36", "DBEdit49", "DBEdit58", "DBEdit79", "DBEdit66"},
    {"DBEdit37", "DBEdit50", "DBEdit59", "DBEdit80", "DBEdit67"},
    {"DBEdit38", "DBEdit51", "DBEdit60", "DBEdit81", "DBEdit68"},
    {"DBEdit39", "DBEdit52", "DBEdit61", "DBEdit82", "DBEdit69"},
    {"DBEdit40", "DBEdit53", "DBEdit62", "DBEdit83", "DBEdit70"},
}};

// The folder the last electronic document went to.
const QString kExchangeFolderSetting = QStringLiteral("edo_folder");

const QString kPaleGreen = QStringLiteral("background-color: #ccffcc;");
const QString kCream = QStringLiteral("background-color: #fffbf0;");
const QString kWhite = QStringLiteral("background-color: white;");

QLabel* label(QWidget* parent, const QString& text)
{
    auto* l = new QLabel(text, parent);
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

} // namespace

// Shows the status of whichever document becomes current.
class DocumentsTab::StatusFollower : public DataSetObserver {
public:
    StatusFollower(DocumentsTab& tab, DataSet& documents) : tab_(tab), documents_(&documents)
    {
        documents.addObserver(this);
    }
    ~StatusFollower() override
    {
        if (documents_)
            documents_->removeObserver(this);
    }
    void currentRowChanged(DataSet&) override { tab_.showStatus(); }
    void stateChanged(DataSet&) override { tab_.showStatus(); }
    void rowsChanged(DataSet&) override { tab_.showStatus(); }
    void dataSetDestroyed(DataSet&) override { documents_ = nullptr; }

private:
    DocumentsTab& tab_;
    DataSet* documents_;
};

const QStringList& documentKinds()
{
    static const QStringList kinds = captionsOf(documentKindTable());
    return kinds;
}

QString documentKindOf(const QString& typed)
{
    // "Счёт", "счет" and "Счет " are all the invoice: letter case, ё and blanks around do not matter.
    auto folded = [](const QString& text) { return text.trimmed().toCaseFolded().replace(u'ё', u'е'); };
    const QString key = folded(typed);
    for (const QString& kind : documentKinds()) {
        if (folded(kind) == key)
            return kind;
    }
    return {};
}

DocumentsTab::DocumentsTab(ui::MainContext& context, QWidget* parent) : QWidget(parent), context_(context)
{
    setObjectName(QStringLiteral("TabSheet1"));
    placeButtons();
    placeHeader();
    placeBuyer();
    placeLines();
    placeDocumentsGrid();
    placeCashOrderBoxes();
    connect(kindBox_, &QComboBox::currentTextChanged, this, [this](const QString& typed) {
        ui::runGuarded(this, [this, typed] { proposeNumberForKind(documents(), documentKindOf(typed)); });
    });

    // The grid stores a document too: through the same steps as "Сохранить ".
    DataSet& doc = documents();
    doc.beforePost = [this, storeFigures = doc.beforePost](DataSet& d) {
        prepareForStore(d);
        if (storeFigures)
            storeFigures(d);
        numberBeforeStore_ = d.text(u"n");
    };
    // A proposed number another workplace took meanwhile is not kept (data/DocumentNumbers.h).
    doc.afterPost = [this](DataSet& d) {
        if (d.text(u"n") != numberBeforeStore_)
            ui::showInformation(this, QStringLiteral("Номер %1 уже занят другим документом «%2»; документ сохранен под номером %3")
                                          .arg(numberBeforeStore_, d.text(u"dok"), d.text(u"n")));
    };
    deletion_ = std::make_unique<ui::DeletionUndo>(documents(), &DocumentsTab::deletionQuestion);
    grid_->deleteAction = [this] { Button11Click(); };
    statusFollower_ = std::make_unique<StatusFollower>(*this, documents());
    showStatus();
    auto* undo = new QShortcut(QKeySequence::Undo, this, this, &DocumentsTab::undoDeletion);
    undo->setContext(Qt::WidgetWithChildrenShortcut);
}

DocumentsTab::~DocumentsTab() = default;

void DocumentsTab::placeButtons()
{
    const int lineHeight = 22;
    // Row 1: counter and buttons.
    layout_.place(label(this, QStringLiteral("Счетчик записей")), 10, 1, 90, lineHeight);
    counter_ = makeBox("DBEditCounter", QStringLiteral("k"), true);
    layout_.place(counter_, 110, 1, 80, lineHeight);
    const std::array<std::tuple<const char*, QString, int, void (DocumentsTab::*)()>, 6> buttons = {{
        {"Button4", QStringLiteral("Новая запись"), 362, &DocumentsTab::Button4Click},
        {"Button20", QStringLiteral("Редактор"), 462, &DocumentsTab::Button20Click},
        {"Button11", QStringLiteral("Удалить "), 562, &DocumentsTab::Button11Click},
        {"Button10", QStringLiteral("Сохранить "), 662, &DocumentsTab::Button10Click},
        {"Button3", QStringLiteral("Печать"), 762, &DocumentsTab::Button3Click},
        {"ButtonExchange", QStringLiteral("Выгрузить для ЭДО…"), 862, &DocumentsTab::exportForExchange},
    }};
    for (const auto& [name, caption, column, handler] : buttons) {
        QPushButton* b = button(this, name, caption);
        connect(b, &QPushButton::clicked, this, handler);
        layout_.place(b, column, 1, name == std::string_view("ButtonExchange") ? 118 : 100, lineHeight);
    }
}

void DocumentsTab::placeHeader()
{
    const int boxHeight = 21;
    // Row 2: document header.
    kindBox_ = new ui::DBComboBox(this);
    kindBox_->setObjectName(QStringLiteral("DBComboBox2"));
    kindBox_->setItems(documentKinds());
    kindBox_->setDataSource(&context_.jur1);
    kindBox_->setDataField(QStringLiteral("dok"));
    kindBox_->setStyleSheet(kCream);
    layout_.place(label(this, QStringLiteral("Документ")), 10, 2, 60, boxHeight);
    layout_.place(kindBox_, 70, 2, 150, boxHeight);
    numberBox_ = makeBox("DBEditNumber", QStringLiteral("n"));
    numberBox_->setStyleSheet(kWhite);
    layout_.place(label(this, QStringLiteral("Номер...")), 230, 2, 55, boxHeight);
    layout_.place(numberBox_, 285, 2, 90, boxHeight);
    documentDate_ = makeBox("DBEdit12", QStringLiteral("dd"), false);
    documentDate_->setStyleSheet(kWhite);
    connect(documentDate_, &ui::DBEdit::pickRequested, this, &DocumentsTab::DBEdit12Click);
    layout_.place(label(this, QStringLiteral("Дата ")), 385, 2, 40, boxHeight);
    layout_.place(documentDate_, 425, 2, 90, boxHeight);
    paymentNumber_ = makeBox("DBEditPaymentNumber", QStringLiteral("np"));
    paymentNumber_->setStyleSheet(kWhite);
    layout_.place(label(this, QStringLiteral("Платеж покупателя №")), 525, 2, 130, boxHeight);
    layout_.place(paymentNumber_, 655, 2, 90, boxHeight);
    paymentDate_ = makeBox("DBEdit41", QStringLiteral("dp"), false);
    paymentDate_->setStyleSheet(kWhite);
    connect(paymentDate_, &ui::DBEdit::pickRequested, this, &DocumentsTab::DBEdit41Click);
    layout_.place(label(this, QStringLiteral("Дата...........")), 755, 2, 70, boxHeight);
    layout_.place(paymentDate_, 825, 2, 90, boxHeight);
}

void DocumentsTab::placeBuyer()
{
    const int boxHeight = 21;
    // Row 3: the buyer.
    buyerBox_ = new ui::DBLookupComboBox(this);
    buyerBox_->setObjectName(QStringLiteral("DBL1"));
    buyerBox_->setDataSource(&context_.jur1);
    buyerBox_->setDataField(QStringLiteral("z"));
    buyerBox_->setListSource(&context_.k);
    buyerBox_->setListField(QStringLiteral("k"));
    layout_.place(label(this, QStringLiteral("Покупатель")), 10, 3, 60, boxHeight);
    layout_.place(buyerBox_, 70, 3, 500, boxHeight);
    statusBox_ = new QComboBox(this);
    statusBox_->setObjectName(QStringLiteral("ComboBoxUpdStatus"));
    statusBox_->addItems({QStringLiteral("1 – счет-фактура и передаточный документ"),
                          QStringLiteral("2 – передаточный документ (акт)")});
    statusBox_->setToolTip(statusBox_->itemText(0) + u'\n' + statusBox_->itemText(1));
    connect(statusBox_, &QComboBox::activated, this, &DocumentsTab::statusChosen);
    layout_.place(label(this, QStringLiteral("Статус УПД")), 585, 3, 70, boxHeight);
    layout_.place(statusBox_, 655, 3, 260, boxHeight);
}

void DocumentsTab::placeLines()
{
    const int lineHeight = 22;
    // Row 4: column heads; rows 5 to 14: the lines.
    layout_.place(label(this, QStringLiteral("Наименование товара. Вводится из списка после клика мыши в окне ввода, "
                                             "число строк не более 10.")),
                  10, 4, 560, lineHeight);
    layout_.place(label(this, QStringLiteral("Количество")), 575, 4, 100, lineHeight);
    layout_.place(label(this, QStringLiteral("Цена ")), 680, 4, 100, lineHeight);
    layout_.place(label(this, QStringLiteral("Ставка НДС")), 785, 4, 70, lineHeight);
    layout_.place(label(this, QStringLiteral("Сумма оплаты")), 860, 4, 120, lineHeight);
    for (int line = 0; line < kLines; ++line) {
        const QString n = QString::number(line);
        const auto& names = kLineBoxNames[size_t(line)];
        nameBoxes_[size_t(line)] = makeBox(names[0], QStringLiteral("naz") + n, true);
        quantityBoxes_[size_t(line)] = makeBox(names[1], QStringLiteral("kol") + n);
        priceBoxes_[size_t(line)] = makeBox(names[2], QStringLiteral("cen") + n);
        rateBoxes_[size_t(line)] = makeBox(names[3], QStringLiteral("nds") + n);
        auto* rates = new QCompleter(vatRateChoices(), rateBoxes_[size_t(line)]);
        rates->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
        rates->setCaseSensitivity(Qt::CaseInsensitive);
        rateBoxes_[size_t(line)]->setCompleter(rates);
        // A line's sum is made from its quantity, price and rate when the document is stored.
        sumBoxes_[size_t(line)] = makeBox(names[4], QStringLiteral("s") + n, true);
        sumBoxes_[size_t(line)]->setShowsWholeKopecks(true);
        for (ui::DBEdit* box : {priceBoxes_[size_t(line)], rateBoxes_[size_t(line)], sumBoxes_[size_t(line)]})
            box->setStyleSheet(kPaleGreen);
        connect(nameBoxes_[size_t(line)], &ui::DBEdit::pickRequested, this, [this, line] { nameBoxClicked(line); });
        layout_.place(nameBoxes_[size_t(line)], 10, 5 + line, 560, lineHeight);
        layout_.place(quantityBoxes_[size_t(line)], 575, 5 + line, 100, lineHeight);
        layout_.place(priceBoxes_[size_t(line)], 680, 5 + line, 100, lineHeight);
        layout_.place(rateBoxes_[size_t(line)], 785, 5 + line, 70, lineHeight);
        layout_.place(sumBoxes_[size_t(line)], 860, 5 + line, 120, lineHeight);
    }
}

void DocumentsTab::placeDocumentsGrid()
{
    const int lineHeight = 22;
    // Row 15: journal caption and total; rows 16 to 24: the documents grid; row 26: the note.
    layout_.place(label(this, QStringLiteral("Журнал регистрации")), 10, 15, 200, lineHeight);
    layout_.place(label(this, QStringLiteral("Всего к оплате:")), 760, 15, 100, lineHeight);
    ui::DBEdit* total = makeBox("DBEditTotal", QStringLiteral("sss"), true);
    total->setStyleSheet(kPaleGreen);
    total->setShowsWholeKopecks(true);
    layout_.place(total, 860, 15, 120, lineHeight);

    grid_ = new ui::DBGrid(this);
    grid_->setObjectName(QStringLiteral("DBGrid4"));
    grid_->setDataSource(&context_.jur1);
    grid_->setReadOnly(false);
    for (const GridColumn& c : gridColumns(u"ADOTable_jur1"))
        grid_->addColumn(c.field, c.title, 100);
    grid_->setColumnReadOnly(QStringLiteral("sss"),
                             QStringLiteral("«Всего к оплате» — сумма строк документа. Чтобы её изменить, нажмите "
                                            "«Редактор», исправьте количество или цену в строках и нажмите «Сохранить»"));
    layout_.placeBy([this](const ui::LayoutUnits& u) {
        grid_->setGeometry(u.column(10), 16 * u.row(), u.width - 30, 9 * u.row());
        grid_->setColumnWidthFor(QStringLiteral("z"), u.width * 62 / 100);
        for (const char* field : {"n", "dd", "sss"})
            grid_->setColumnWidthFor(QString::fromLatin1(field), u.width * 10 / 100);
    });
    auto* note = label(this, QStringLiteral("Поиск покупателя в окне ввода по первым буквам наименования. \"Количество\" и "
                                            "\"Цена\" уточняются до нажатия кнопки \"сохранить\". Выписка документа не "
                                            "означает его регистрацию в журнале стр.2"));
    note->setObjectName(QStringLiteral("Label_note1"));
    note->setWordWrap(true);
    // Two lines of text; on a small screen no taller than the two rows left below it.
    layout_.placeBy([note](const ui::LayoutUnits& u) {
        note->setGeometry(u.column(10), 26 * u.row(), u.column(980), std::min(40, 2 * u.row() - 2));
    });
}

void DocumentsTab::placeCashOrderBoxes()
{
    // Row 15, beside the journal caption: the operation and the registration of a cash order.
    operationBox_ = new ui::DBLookupComboBox(this);
    operationBox_->setObjectName(QStringLiteral("DBLOperation"));
    operationBox_->setDataSource(&context_.jur1);
    operationBox_->setDataField(QStringLiteral("sr"));
    operationBox_->setListSource(&context_.sr);
    operationBox_->setListField(QStringLiteral("sr"));
    layout_.place(label(this, QStringLiteral("Операция")), 215, 15, 60, 21);
    layout_.place(operationBox_, 275, 15, 290, 21);
    QPushButton* enter = button(this, "ButtonRegisterCash", QStringLiteral("Зарегистрировать в журнале"));
    enter->setToolTip(QStringLiteral("Кассовый ордер — строкой «КО» в журнал, с выбранной операцией; один раз"));
    connect(enter, &QPushButton::clicked, this, &DocumentsTab::registerInJournal);
    layout_.place(enter, 570, 15, 185, 22);
    // Row 25, under the documents grid: what a cash expense order states beside its payee and sum.
    const std::tuple<const char*, QString, const QString&, int, int, int> boxes[] = {
        {"DBEditCashBasis", QStringLiteral("Основание"), kCashBasisField, 10, 70, 330},
        {"DBEditCashIdentity", QStringLiteral("По документу"), kCashIdentityField, 410, 80, 310},
        {"DBEditCashDebit", QStringLiteral("Дебет"), kCashDebitField, 805, 45, 130},
    };
    for (const auto& [name, caption, field, x, captionWidth, width] : boxes) {
        ui::DBEdit* box = makeBox(name, field);
        box->setStyleSheet(kWhite);
        box->setToolTip(QStringLiteral("Для расходного кассового ордера"));
        layout_.place(label(this, caption), x, 25, captionWidth, 21);
        layout_.place(box, x + captionWidth, 25, width, 21);
    }
}

void DocumentsTab::proposeNumberForKind(DataSet& doc, const QString& kind)
{
    if (doc.state() != DataSet::State::Insert || proposedNumber_.isEmpty() || doc.text(u"n") != proposedNumber_)
        return;
    const FormKind* formKind = documentKind(kind);
    proposedNumber_ = formKind && formKind->ownNumbers ? nextNumberOf(context_.store.database(), kind) : countProposal_;
    doc.propose(u"n", proposedNumber_);
}

void DocumentsTab::registerInJournal()
{
    ui::runGuarded(this, [this] {
        // What is registered is what is kept: a document being written is stored first.
        save();
        DataSet& doc = documents();
        if (doc.recordCount() == 0 || doc.isNull(u"k"))
            throw UserError(QStringLiteral("Нет кассового ордера для регистрации: нажмите «Новая запись»"));
        const CashJournalEntry entry = registerCashOrder(context_.store.database(), doc.integer(u"k"), doc.text(u"sr"));
        DataSet& journal = context_.jur.dataSet();
        journal.refresh();
        const int key = journal.requireField(u"n");
        for (int row = 0; row < journal.recordCount(); ++row) {
            if (journal.valueAt(row, key).integer() == entry.row) {
                journal.moveToPosition(row);
                break;
            }
        }
        const QString row = QStringLiteral("«КО» № %1 от %2 на сумму %3, %4, %5")
                                .arg(entry.number, ru::formatDate(entry.date), entry.sum.toString(), entry.counterparty,
                                     entry.operation);
        ui::showInformation(this, entry.madeNow ? QStringLiteral("В журнал добавлена строка %1").arg(row)
                                                : QStringLiteral("Ордер уже зарегистрирован в журнале: строка %1").arg(row));
    });
}

void DocumentsTab::showStatus()
{
    DataSet& doc = documents();
    int status = 1;
    if (!doc.isEditing())
        pendingStatus_ = 0;    // the new document it was chosen for was stored or dropped
    if (pendingStatus_ != 0)
        status = pendingStatus_;
    else if (doc.isOpen() && doc.recordCount() > 0 && !doc.isNull(u"k"))
        status = transferStatus(context_.store.database(), doc.integer(u"k"));
    const QSignalBlocker quiet(statusBox_);
    statusBox_->setCurrentIndex(status - 1);
}

void DocumentsTab::statusChosen(int index)
{
    ui::runGuarded(this, [this, index] {
        DataSet& doc = documents();
        const int status = index + 1;
        if (doc.isOpen() && doc.recordCount() > 0 && !doc.isNull(u"k")) {
            setTransferStatus(context_.store.database(), doc.integer(u"k"), status);
            pendingStatus_ = 0;
        } else {
            // A document not stored yet has no key: its save stores the status.
            pendingStatus_ = status;
        }
    });
    showStatus();
}

QString DocumentsTab::deletionQuestion(const DataSet& documents)
{
    const QString date = documents.text(u"dd");
    return date.isEmpty() ? QStringLiteral("Удалить документ № %1?").arg(documents.text(u"n"))
                          : QStringLiteral("Удалить документ № %1 от %2?").arg(documents.text(u"n"), date);
}

ui::DBEdit* DocumentsTab::makeBox(const char* name, const QString& field, bool readOnly)
{
    auto* box = new ui::DBEdit(this);
    box->setObjectName(QString::fromLatin1(name));
    box->setDataSource(&context_.jur1);
    box->setDataField(field);
    box->setReadOnly(readOnly);
    return box;
}

void DocumentsTab::applyLayout(const ui::LayoutUnits& units)
{
    layout_.apply(units);
}

DataSet& DocumentsTab::documents() const
{
    return context_.jur1.dataSet();
}

void DocumentsTab::Button4Click()
{
    ui::runGuarded(this, [this] {
        DataSet& doc = documents();
        // A document still being written is stored as "Сохранить " would, not dropped.
        save();
        doc.refresh();
        const int stored = doc.recordCount();
        doc.insert();
        countProposal_ = proposedNumber_ = QString::number(stored + 1);
        // The defaults are the record's values, so entering and leaving boxes keeps them.
        const std::pair<const char16_t*, QString> header[] = {
            {u"dok", QStringLiteral("Счет")}, {u"dd", ru::formatDate(today())}, {u"np", QStringLiteral("-")},
            {u"a", QStringLiteral("-")}, {u"unn", QStringLiteral("-")}, {u"okpo", QStringLiteral("-")},
            {u"rb", QStringLiteral("-")}};
        for (const auto& [field, text] : header)
            doc.setText(field, text);
        doc.propose(u"n", countProposal_);
        for (int line = 0; line < kLines; ++line) {
            const QString n = QString::number(line);
            doc.setText(QStringLiteral("naz") + n, QStringLiteral("-"));
            doc.setText(QStringLiteral("kol") + n, QStringLiteral("1"));
            for (const char* field : {"cen", "nds", "s"})
                doc.setText(QString::fromLatin1(field) + n, QStringLiteral("0"));
        }
        doc.keepAsDefaults();
        goodsLine_ = -1;
        pendingStatus_ = 0;
        showStatus();
    });
}

void DocumentsTab::Button20Click()
{
    ui::runGuarded(this, [this] { documents().edit(); });
}

void DocumentsTab::CopyBuyerRequisites()
{
    // The first counterparty, in the list's current order, whose name is exactly the buyer's.
    DataSet& doc = documents();
    DataSet& counterparties = context_.k.dataSet();
    const QString buyer = doc.text(u"z");
    const int nameField = counterparties.requireField(u"k");
    int found = -1;
    if (!buyer.isEmpty()) {
        for (int row = 0; row < counterparties.recordCount(); ++row) {
            if (counterparties.valueAt(row, nameField).toText() == buyer) {
                found = row;
                break;
            }
        }
    }
    // A buyer no longer in the list keeps the requisites its document was issued with.
    if (found < 0 && !doc.isChanged(u"z"))
        return;
    auto copy = [&](const char16_t* from, const char16_t* to) {
        QString text = found < 0 ? QString() : counterparties.valueAt(found, counterparties.requireField(from)).toText();
        doc.setText(to, text);
    };
    copy(u"unn", u"unn");
    copy(u"b", u"rb");
    copy(u"ok", u"okpo");
    copy(u"ad", u"a");
}

void DocumentsTab::Button10Click()
{
    ui::runGuarded(this, [this] { save(); });
}

void DocumentsTab::prepareForStore(DataSet& doc)
{
    const QString typedKind = doc.text(u"dok");
    const QString kind = documentKindOf(typedKind);
    if (!kind.isEmpty() && kind != typedKind)
        doc.setText(u"dok", kind);
    proposeNumberForKind(doc, kind);
    CopyBuyerRequisites();
}

void DocumentsTab::save()
{
    if (!documents().isEditing())
        return;
    kindBox_->writePending();
    DataSet& doc = documents();
    const int status = pendingStatus_;   // kept if the store fails; dropped once it is stored
    // The line sums and the total are the store's own step (data/IssuedDocument.h): typed prices
    // and rates are kept as typed.
    doc.post();
    if (status != 0) {
        setTransferStatus(context_.store.database(), doc.integer(u"k"), status);
        showStatus();
    }
}

void DocumentsTab::Button11Click()
{
    ui::runGuarded(this, [this] { deletion_->removeCurrent(this); });
}

void DocumentsTab::undoDeletion()
{
    ui::runGuarded(this, [this] { deletion_->undo(); });
}

std::optional<long long> DocumentsTab::storedCurrentDocument(const QString& what, const QString& question)
{
    if (documents().isEditing()) {
        // Only a stored document is printed or sent, so what goes out is what is kept; "Нет" does neither.
        if (!ui::askYesNo(this, question))
            return std::nullopt;
        save();
    }
    if (documents().recordCount() == 0 || documents().isNull(u"k"))
        throw UserError(QStringLiteral("Нет документа %1: нажмите «Новая запись»").arg(what));
    return documents().integer(u"k");
}

void DocumentsTab::Button3Click()
{
    ui::runGuarded(this, [this] {
        const std::optional<long long> key =
            storedCurrentDocument(QStringLiteral("для печати"), QStringLiteral("Сохранить документ и напечатать?"));
        if (!key)
            return;
        const QString kind = documentKindOf(kindBox_->currentText());
        if (kind.isEmpty())
            throw UserError(QStringLiteral("Для вида документа «%1» нет печатной формы. Выберите вид из списка: %2")
                                .arg(kindBox_->currentText(), documentKinds().join(QStringLiteral(", "))));
        PrintRequest request = printDocument(context_.store, *key);
        if (request.templateName.isEmpty() || !context_.runReport)
            return;
        // One name for the saved file, the print job and the letter's subject.
        const QString title = QStringLiteral("%1 № %2 от %3").arg(kind, documents().text(u"n"), documents().text(u"dd"));
        request.fileName = reportFileName(title);
        request.mail = {title, counterpartyMail(context_.store.database(), documents().text(u"z"))};
        context_.runReport(request);
    });
}

void DocumentsTab::exportForExchange()
{
    ui::runGuarded(this, [this] {
        const std::optional<long long> key =
            storedCurrentDocument(QStringLiteral("для выгрузки"), QStringLiteral("Сохранить документ и выгрузить?"));
        if (!key)
            return;
        Database& db = context_.store.database();
        const QString kind = documents().text(u"dok");
        // A kind without an electronic form is named before the folder is asked.
        if (!exchangeKindOf(kind, transferStatus(db, *key)))
            throw UserError(noExchangeFormText(kind));
        const QString folder = existingFolder(this, QStringLiteral("Папка для файла ЭДО"),
                                                        readSetting(db, kExchangeFolderSetting));
        if (!folder.isEmpty())
            writeExchangeInto(folder);
    });
}

QString DocumentsTab::writeExchangeInto(const QString& folder)
{
    Database& db = context_.store.database();
    const std::optional<long long> key =
        storedCurrentDocument(QStringLiteral("для выгрузки"), QStringLiteral("Сохранить документ и выгрузить?"));
    if (!key)
        return {};
    const QString path = writeExchangeFile(db, *key, folder);
    try {
        writeSetting(db, kExchangeFolderSetting, folder);
    } catch (const UserError&) {
        // A file that cannot be written now (read-only) forgets the folder; the document's file is written.
    }
    ui::showInformation(this, QStringLiteral("Файл для ЭДО записан:\n%1\n\nПодпишите его электронной подписью и "
                                             "отправьте покупателю в программе вашего оператора ЭДО.")
                                  .arg(QDir::toNativeSeparators(path)));
    return path;
}

void DocumentsTab::DBEdit12Click(bool byKeyboard)
{
    ui::runGuarded(this, [this, byKeyboard] {
        if (context_.showCalendar)
            context_.showCalendar(documentDate_, byKeyboard);
    });
}

void DocumentsTab::DBEdit41Click(bool byKeyboard)
{
    ui::runGuarded(this, [this, byKeyboard] {
        if (context_.showCalendar)
            context_.showCalendar(paymentDate_, byKeyboard);
    });
}

void DocumentsTab::nameBoxClicked(int line)
{
    ui::runGuarded(this, [this, line] {
        goodsLine_ = line;
        if (context_.showGoodsPicker)
            context_.showGoodsPicker(nameBoxes_[size_t(line)]);
    });
}

void DocumentsTab::putGoods(int goodsRow)
{
    if (goodsLine_ < 0)
        return;
    DataSet& doc = documents();
    if (!doc.isEditing())
        doc.edit();
    putGoodsIntoLine(doc, goodsLine_, context_.stov.dataSet(), goodsRow);
    const int line = std::exchange(goodsLine_, -1);
    // The quantity is what the user types next.
    window()->activateWindow();
    quantityBoxes_[size_t(line)]->setFocus(Qt::OtherFocusReason);
    quantityBoxes_[size_t(line)]->selectAll();
}

} // namespace vi23
