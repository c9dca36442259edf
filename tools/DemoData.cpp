#include "DemoData.h"

#include "data/DataStore.h"
#include "data/DocumentMoney.h"
#include "data/EnterpriseSettings.h"
#include "data/CashOrders.h"
#include "data/FormKinds.h"
#include "data/IssuedDocument.h"
#include "data/Money.h"
#include "data/Schema.h"

#include <QStringList>
#include <array>
#include <random>
#include <vector>

namespace vi23 {

namespace {

struct Goods {
    const char16_t* name;
    const char16_t* unit;
    const char16_t* country;
    const char16_t* customs;
    int vat;
    const char* price;
};

constexpr std::array<Goods, 20> kGoods = {{
    {u"Бумага офисная А4, 500 листов", u"пач", u"Россия", u"", 22, "289,50"},
    {u"Картридж лазерный чёрный", u"шт", u"Китай", u"10702030/150321/0004512", 22, "2450"},
    {u"Ручка шариковая синяя", u"шт", u"Россия", u"", 22, "14,9"},
    {u"Папка-регистратор 75 мм", u"шт", u"Россия", u"", 22, "189"},
    {u"Степлер настольный №24", u"шт", u"Китай", u"10702030/020221/0001177", 22, "356,4"},
    {u"Скрепки 28 мм, 100 шт.", u"уп", u"Россия", u"", 22, "32,5"},
    {u"Калькулятор бухгалтерский 12 разрядов", u"шт", u"Китай", u"10702030/110520/0002231", 22, "890"},
    {u"Журнал кассира-операциониста", u"шт", u"Россия", u"", 10, "145"},
    {u"Книга учёта доходов и расходов", u"шт", u"Россия", u"", 10, "120"},
    {u"Бланк кассового ордера, 100 листов", u"пач", u"Россия", u"", 10, "95,75"},
    {u"Молоко 3,2% 1 л", u"шт", u"Россия", u"", 10, "89,9"},
    {u"Хлеб «Бородинский»", u"шт", u"Россия", u"", 10, "54"},
    {u"Консультация бухгалтера, 1 час", u"час", u"", u"", 22, "1500"},
    {u"Обучение: курс «Бухгалтерия УСН», 1 час", u"час", u"", u"", kVatExempt, "1200"},
    {u"Перевозка экспортного груза до границы", u"рейс", u"", u"", 0, "9800"},
    {u"Ремонт принтера", u"усл", u"", u"", 22, "1850"},
    {u"Заправка картриджа", u"шт", u"", u"", 22, "650"},
    {u"Монтаж кассового аппарата", u"усл", u"", u"", 22, "2200"},
    {u"Стол письменный 120×60", u"шт", u"Беларусь", u"", 22, "7420"},
    {u"Кресло офисное", u"шт", u"Польша", u"10702030/250619/0012345", 22, "5990,99"},
}};

struct Counterparty {
    const char16_t* name;
    const char16_t* address;
    const char16_t* bank;
    const char16_t* inn;
    const char16_t* okpo;
    const char16_t* participant;   // at its operator of electronic documents; none for a private buyer
};

constexpr std::array<Counterparty, 10> kCounterparties = {{
    {u"ООО «Вектор»", u"г. Тверь, ул. Советская, 12, тел. 32-15-40", u"Тверской ф-л Сбербанка, р/с 40702810000000001234",
     u"6901234567/690101001", u"12345678", u"2BM-6901234567-690101001"},
    {u"ИП Смирнова Ольга Петровна", u"г. Тверь, пр. Победы, 3, кв. 7", u"ВТБ, р/с 40802810500000000777",
     u"690200112233", u"0123456789", u"2AE-690200112233"},
    {u"АО «Торговый дом Север»", u"г. Москва, ул. Тверская, 1", u"Альфа-Банк, р/с 40702810100000004321",
     u"7701987654/770101001", u"87654321", u"2BM-7701987654-770101001"},
    {u"ООО \"Ромашка\"", u"г. Клин, ул. Ленина, 5", u"Банк «Возрождение», р/с 40702810900000000055",
     u"5020012345/502001001", u"11223344", u"2AL-5020012345-502001001"},
    {u"O'Brien Trading Ltd", u"г. Санкт-Петербург, Невский пр., 100", u"Банк «Санкт-Петербург», р/с 40702840",
     u"7812345678/781201001", u"55667788", u"2BK-7812345678-781201001"},
    {u"МУП «Горводоканал»", u"г. Тверь, ул. Горького, 19", u"Тверской ф-л Сбербанка, р/с 40702810000000009999",
     u"6905000001/690501001", u"03145678", u"2BM-6905000001-690501001"},
    {u"ПАО «Ростелеком»", u"г. Москва, ул. Гончарова, 30", u"ВТБ, р/с 40702810000000000001", u"7707049388/784001001",
     u"17514186", u"2AE-7707049388-784001001"},
    {u"ООО «Канцмир»", u"г. Тверь, ул. Вагжанова, 7", u"Сбербанк, р/с 40702810000000002468", u"6950011122/695001001",
     u"22446688", u"2BM-6950011122-695001001"},
    {u"Межрайонная ИФНС №10", u"г. Тверь, ул. Коминтерна, 20", u"Отделение Тверь, р/с 03100643000000013600",
     u"6906011179/695001001", u"04001234", u"2LD-6906011179-695001001"},
    {u"Петров Иван Сергеевич", u"г. Тверь, ул. Озерная, 2, тел. 8-910-000-00-00", u"", u"690300445566", u"", u""},
}};

struct Operation {
    const char16_t* text;
    const char16_t* kind;
};

// The typical operations: the book of income and expenses counts every payment whose operation is
// listed here, so only income and expenses the simplified system recognises are listed. Cash moved
// between the bank and the till is neither, and the simplified tax itself reduces no tax base: their
// entries name operations kept off the list (the settlement books still show them).
constexpr std::array<Operation, 7> kOperations = {{
    {u"Оплата от покупателя", u"Приход"},
    {u"Выручка наличными", u"Приход"},
    {u"Возврат от поставщика", u"Приход"},
    {u"Оплата поставщику", u"Расход"},
    {u"Аренда помещения", u"Расход"},
    {u"Услуги связи", u"Расход"},
    {u"Хозяйственные расходы", u"Расход"},
}};
constexpr Operation kTaxPayment = {u"Налог по УСН", u"Расход"};

QString s(const char16_t* text) { return QString::fromUtf16(text); }

// Three cash expense orders, numbered on their own: an advance on account, a supplier paid in cash
// with VAT, a contractor's fee without it. Returns their keys with the operations they are
// registered in the journal under.
std::vector<std::pair<long long, QString>> addCashExpenseOrders(DataSet& documents, const DataSet& goods, int year,
                                                                QDate lastDay, DemoCounts& counts)
{
    struct Order {
        int month;
        const Counterparty& payee;
        const char16_t* basis;
        const char16_t* debit;
        const Goods* goods;        // a line picked from the list, or, without one, the basis for a line
        double quantity;
        const char* amount;
        const Operation& operation;
    };
    const Counterparty& person = kCounterparties[9];
    const Order orders[] = {
        {2, person, u"Выдача под отчёт на хозяйственные нужды", u"71.01", nullptr, 1, "3500", kOperations[6]},
        {5, kCounterparties[7], u"Оплата по счёту № 214 поставщика ООО «Канцмир»", u"60.01", &kGoods[0], 4, nullptr,
         kOperations[3]},
        {8, person, u"Вознаграждение по договору подряда № 7", u"76.05", nullptr, 1, "12000", kOperations[6]},
    };
    std::vector<std::pair<long long, QString>> made;
    int number = 0;
    for (const Order& o : orders) {
        const QDate date = std::min(QDate(year, o.month, 15), lastDay);
        documents.append();
        documents.setText(u"dok", kCashExpenseKind);
        documents.setText(u"n", QString::number(++number));
        documents.setValue(u"dd", date);
        documents.setText(u"np", QStringLiteral("-"));
        documents.setText(u"z", s(o.payee.name));
        documents.setText(kCashBasisField, s(o.basis));
        documents.setText(kCashIdentityField, s(u"Паспорт 28 04 123456, выдан УМВД России по Тверской области 12.03.2015"));
        documents.setText(kCashDebitField, s(o.debit));
        for (int line = 1; line < kDocumentLines; ++line)
            documents.setText(QStringLiteral("naz") + QString::number(line), QStringLiteral("-"));
        if (o.goods) {
            putGoodsIntoLine(documents, 0, goods, int(o.goods - kGoods.data()));
        } else {
            documents.setText(u"naz0", s(o.basis));
            documents.setText(u"cen0", QString::fromLatin1(o.amount));
            documents.setValue(u"nds0", kVatExempt);
        }
        documents.setValue(u"kol0", o.quantity);
        documents.setText(u"sr", s(o.operation.text));
        documents.post();
        ++counts.documents;
        made.emplace_back(documents.integer(u"k"), s(o.operation.text));
    }
    return made;
}

QDate weekday(QDate d)
{
    return d.dayOfWeek() > 5 ? d.addDays(8 - d.dayOfWeek()) : d;
}

void fillRequisites(DataStore& store)
{
    DataSet& requisites = store.dataSet(u"ADOTable_pr1");
    requisites.first();
    requisites.edit();
    requisites.setText(u"np", s(u"ООО «Бухгалтерия и право»"));
    requisites.setText(u"unn", s(u"6950123456/695001001"));
    requisites.setText(u"ad", s(u"170100, г. Тверь, ул. Трёхсвятская, д. 28, оф. 4"));
    requisites.setText(u"tel", s(u"(4822) 34-56-78"));
    requisites.setText(u"bank", s(u"Тверское отделение №8607 ПАО Сбербанк, г. Тверь"));
    requisites.setText(u"rs", s(u"40702810563000012345"));
    requisites.setText(u"ks", s(u"30101810700000000679"));
    requisites.setText(u"buk", s(u"042809679"));
    requisites.setText(u"fr", s(u"Кузнецов А. В."));
    requisites.setText(u"fb", s(u"Иванова Е. Н."));
    // fup and rup are a sole trader's; a company leaves them empty.
    requisites.setText(u"okpo", s(u"12345678"));
    requisites.setText(u"okdp", s(u"7412000"));
    requisites.setText(u"dr", s(u"Генеральный директор"));
    requisites.setText(kCashierField, s(u"Соколова Т. И."));
    // Electronic documents: the enterprise's participant id and who signs them.
    requisites.setText(u"edo_id", s(u"2BM-6950123456-695001001"));
    requisites.setText(u"signer_surname", s(u"Кузнецов"));
    requisites.setText(u"signer_name", s(u"Андрей"));
    requisites.setText(u"signer_patronymic", s(u"Викторович"));
    requisites.setText(u"signer_position", s(u"Генеральный директор"));
    requisites.post();
}

void fillLists(DataStore& store, int year, DemoCounts& counts)
{
    DataSet& goods = store.dataSet(u"ADOTable_stov");
    for (const Goods& g : kGoods) {
        goods.append();
        goods.setText(u"naz", s(g.name));
        goods.setText(u"eu", s(g.unit));
        goods.setText(u"str", s(g.country));
        goods.setText(u"gtd", s(g.customs));
        goods.setValue(u"nds", g.vat);
        goods.setText(u"cen", QString::fromLatin1(g.price));
        goods.post();
        ++counts.goods;
    }
    DataSet& counterparties = store.dataSet(u"ADOTable_k");
    for (size_t i = 0; i < kCounterparties.size(); ++i) {
        const Counterparty& c = kCounterparties[i];
        counterparties.append();
        counterparties.setText(u"k", s(c.name));
        counterparties.setValue(u"dd", QDate(year, 1, 10).addDays(qint64(i) * 17));
        counterparties.setText(u"ad", s(c.address));
        counterparties.setText(u"b", s(c.bank));
        counterparties.setText(u"unn", s(c.inn));
        counterparties.setText(u"ok", s(c.okpo));
        counterparties.setText(u"edo_id", s(c.participant));
        counterparties.post();
        ++counts.counterparties;
    }
    DataSet& operations = store.dataSet(u"ADOTable_sr");
    for (const Operation& op : kOperations) {
        operations.append();
        operations.setText(u"sr", s(op.text));
        operations.setText(u"vr", s(op.kind));
        operations.post();
        ++counts.operations;
    }
}

const Operation& paidByBuyer = kOperations[0];
const Operation& cashTakings = kOperations[1];
const Operation& paidToSupplier = kOperations[3];
const Operation& rent = kOperations[4];
const Operation& telephone = kOperations[5];
const Operation& household = kOperations[6];
const Counterparty& landlord = kCounterparties[0];
const Counterparty& retail = kCounterparties[9];
const Counterparty& supplier = kCounterparties[7];
const Counterparty& water = kCounterparties[5];
const Counterparty& telecom = kCounterparties[6];
const Counterparty& taxOffice = kCounterparties[8];

// The story of the year, in date order: rent, telephone and supplies paid from the bank; goods and
// services sold on documents, each paid after it was issued (by bank or into the till); cash
// spent only from what the till holds; the simplified tax paid after each quarter. The till
// opens the year with the cash taken in the last days of the year before. Every random number is
// drawn in the same order, so the same year always gives the same file.
class DemoYear {
public:
    DemoYear(DataStore& store, int year, QDate lastDay, DemoCounts& counts)
        : store_(store), year_(year), counts_(counts), random_(20091u + unsigned(year)),
          journal_(store.dataSet(u"ADOTable_jur")), documents_(store.dataSet(u"ADOTable_jur1")),
          goods_(store.dataSet(u"ADOTable_stov")),
          days_(std::max(1, int(QDate(year, 1, 1).daysTo(lastDay)) + 1))
    {
    }

    void fill()
    {
        for (int day = 26; day <= 30; day += 2)
            entry(QDate(year_ - 1, 12, day), u"КО", cashTakings, roubles(4000, 9000), retail);
        issueDocuments();
        for (int day = 0; day < days_; ++day) {
            const QDate date = QDate(year_, 1, 1).addDays(day);
            if (date.dayOfWeek() > 5)
                continue;
            payBills(date);
            paySales(date);
            moveCash(date);
        }
    }

private:
    struct Line {
        const Goods* goods;
        double quantity;
    };
    struct Sale {
        QDate issued;
        QDate paid;
        bool cash;
        bool settled;        // an invoice a cash receipt order pays
        QString order;       // the cash receipt order's number
        Money amount;
        const Counterparty* buyer;
        QString kind;
    };

    int pick(int n) { return int(random_() % unsigned(n)); }
    Money roubles(int from, int to)
    {
        return Money::fromUnits(std::int64_t(from + pick(to - from)) * Money::kScale + pick(100) * 100);
    }

    void entry(QDate date, const char16_t* kind, const Operation& op, Money amount, const Counterparty& who,
               const QString& orderNumber = QString())
    {
        journal_.append();
        journal_.setValue(u"dd", date);
        journal_.setText(u"nn", orderNumber.isEmpty() ? QString::number(number_++) : orderNumber);
        journal_.setText(u"dok", s(kind));
        journal_.setText(u"sr", s(op.text));
        journal_.setText(u"vr", s(op.kind));
        journal_.setValue(u"s", amount);
        journal_.setText(u"k", s(who.name));
        journal_.post();
        ++counts_.journalEntries;
        if (QStringView(kind) == u"КО")
            till_ += QStringView(op.kind) == u"Приход" ? amount : -amount;
        // What the book counts: payments of this year under a listed operation.
        if ((QStringView(kind) == u"КО" || QStringView(kind) == u"ПП") && date.year() == year_ && &op != &kTaxPayment)
            bookBase_ += QStringView(op.kind) == u"Приход" ? amount : -amount;
    }

    // Thirty documents, the kinds in turn, spread over the year. Each cash receipt order pays the
    // invoice of its round in cash a few days later; every other document is paid after it is issued.
    void issueDocuments()
    {
        // The kinds in turn, the cash expense orders aside: they are written below, as the till allows.
        std::vector<FormKind> kinds;
        for (const FormKind& kind : documentKindTable()) {
            if (kind.caption != kCashExpenseKind)
                kinds.push_back(kind);
        }
        for (int d = 0; d < 30; ++d)
            issueDocument(d, kinds[size_t(d) % kinds.size()]);
    }

    void issueDocument(int d, const FormKind& kind)
    {
        const bool cashOrder = kind.form == u"frReportpr";
        const bool isInvoice = kind.form == u"frReport_sh";
        const QDate date = weekday(QDate(year_, 1, 12).addDays(qint64(d) * std::max(1, days_ - 20) / 30));
        const Counterparty* buyer = &kCounterparties[size_t(1 + pick(4))];
        std::vector<Line> lines;
        const bool paysInvoice = cashOrder && invoiceNumber_ > 0;
        if (paysInvoice) {
            buyer = sales_[invoice_].buyer;
            lines = invoiceLines_;
        } else {
            for (int line = 1 + pick(4); line > 0; --line)
                lines.push_back(Line{&kGoods[size_t(pick(int(kGoods.size())))], 1 + pick(9) + (pick(4) == 0 ? 0.5 : 0.0)});
        }
        // Two acts are for the course alone, which bears no VAT: their documents read "Без НДС".
        if (kind.form == u"frReport_akt" && exemptActs_++ < 2)
            lines = {Line{&kGoods[13], double(4 + d % 5)}};
        // The cash receipt order names the invoice it pays by its number and date.
        writeDocument(kind.caption, paysInvoice ? invoiceNumber_ : d + 1, paysInvoice ? sales_[invoice_].issued : date,
                      100 + d, date, *buyer, lines);
        // Transfer documents alternate: an invoice with the act, then the act alone.
        if (kind.transferStatus)
            setTransferStatus(store_.database(), documents_.integer(u"k"), transferDocuments_++ % 2 == 0 ? 1 : 2);
        if (cashOrder) {
            if (paysInvoice)
                sales_[invoice_].settled = true;
            sales_.push_back(Sale{date, date, true, false, QString::number(100 + d), documents_.money(u"sss"), buyer, kind.caption});
            return;
        }
        if (isInvoice) {
            invoice_ = sales_.size();
            invoiceNumber_ = d + 1;
            invoiceLines_ = lines;
        }
        const bool counter = kind.form == u"frReport_chek";
        sales_.push_back(Sale{date, paymentDay(date, counter, isInvoice), counter, false, QString(),
                              documents_.money(u"sss"), buyer, kind.caption});
    }

    void writeDocument(const QString& kind, int number, QDate issued, int payment, QDate paymentDate,
                       const Counterparty& buyer, const std::vector<Line>& lines)
    {
        documents_.append();
        documents_.setText(u"dok", kind);
        documents_.setText(u"n", QString::number(number));
        documents_.setValue(u"dd", issued);
        documents_.setText(u"np", QString::number(payment));
        documents_.setValue(u"dp", paymentDate);
        documents_.setText(u"z", s(buyer.name));
        documents_.setText(u"a", s(buyer.address));
        documents_.setText(u"unn", s(buyer.inn));
        documents_.setText(u"rb", s(buyer.bank));
        documents_.setText(u"okpo", s(buyer.okpo));
        for (size_t line = 0; line < size_t(kDocumentLines); ++line) {
            const QString n = QString::number(line);
            if (line >= lines.size()) {
                // An empty line as a new document leaves it.
                documents_.setText(QStringLiteral("naz") + n, QStringLiteral("-"));
                documents_.setValue(QStringLiteral("kol") + n, 1.0);
                documents_.setValue(QStringLiteral("cen") + n, Money());
                documents_.setValue(QStringLiteral("nds") + n, 0);
                documents_.setValue(QStringLiteral("s") + n, Money());
                continue;
            }
            // Picked from the list as the goods pick window puts goods into a line.
            putGoodsIntoLine(documents_, int(line), goods_, int(lines[line].goods - kGoods.data()));
            documents_.setValue(QStringLiteral("kol") + n, lines[line].quantity);
        }
        documents_.post();
        ++counts_.documents;
    }

    // The sales receipt is paid at the counter, the rest by bank within a week; the first sale of the
    // second quarter in advance, in March, so that a reconciliation act for that quarter opens with
    // the buyer's credit.
    QDate paymentDay(QDate date, bool counter, bool isInvoice)
    {
        QDate paid = counter ? date : weekday(date.addDays(3 + pick(5)));
        if (!counter && !isInvoice && !advancePaid_ && date.month() >= 4 && date.month() <= 6) {
            paid = QDate(year_, 3, 27).addDays(QDate(year_, 3, 27).dayOfWeek() > 5 ? -2 : 0);
            advancePaid_ = true;
        }
        return paid;
    }

    // Rent, telephone and supplies by bank; after each quarter the advance of the simplified tax.
    void payBills(QDate date)
    {
        const int quarter = (date.month() + 2) / 3;
        if (date.day() == 5)
            entry(date, u"ПП", rent, Money::fromRoubles(25000), landlord);
        if (date.day() == 12)
            entry(date, u"ПП", telephone, roubles(900, 1500), telecom);
        if (date.day() == 19 && date.month() % 2 == 0) {
            const Money amount = roubles(3000, 12000);
            entry(date, u"ТН", paidToSupplier, amount, supplier);
            entry(date, u"ПП", paidToSupplier, amount, supplier);
        }
        if (date.day() == 26 && date.month() % 3 == 1 && quarter > 1) {
            // The advance for the quarters past: 15 % of income less expenses from the year's start,
            // less the advances already paid, in whole roubles up.
            const std::int64_t due = bookBase_.units() * 15 / 100 - advancesPaid_.units();
            if (due > 0) {
                const Money advance = Money::fromRoubles((due + Money::kScale - 1) / Money::kScale);
                entry(date, u"ПП", kTaxPayment, advance, taxOffice);
                advancesPaid_ += advance;
            }
        }
    }

    void paySales(QDate date)
    {
        for (const Sale& sale : sales_) {
            if (sale.issued == date && (sale.kind == u"Акт" || sale.kind == u"Товарная накладная"))
                entry(date, sale.kind == u"Акт" ? u"А" : u"ТН", paidByBuyer, sale.amount, *sale.buyer);
            if (sale.paid != date || sale.settled)
                continue;
            entry(date, sale.cash ? u"КО" : u"ПП", paidByBuyer, sale.amount, *sale.buyer, sale.order);
        }
    }

    // The day's takings, and small household purchases in cash, never more than the till holds.
    void moveCash(QDate date)
    {
        if (pick(3) == 0) {
            const Money takings = roubles(800, 6000);
            entry(date, u"КО", cashTakings, takings, retail);
        }
        const Money spend = roubles(150, 2500);
        if (pick(4) == 0 && spend <= till_)
            entry(date, u"КО", household, spend, water);
    }

    DataStore& store_;
    const int year_;
    DemoCounts& counts_;
    std::mt19937 random_;
    DataSet& journal_;
    DataSet& documents_;
    const DataSet& goods_;
    const int days_;
    int number_ = 1;
    Money till_;
    Money bookBase_;       // income less expenses the book counts, from the year's start
    Money advancesPaid_;
    std::vector<Sale> sales_;
    std::vector<Line> invoiceLines_;
    size_t invoice_ = 0;
    int invoiceNumber_ = 0;
    int exemptActs_ = 0;
    int transferDocuments_ = 0;
    bool advancePaid_ = false;
};

} // namespace

DemoCounts fillDemoData(DataStore& store, int year, QDate lastDay)
{
    Database::Transaction transaction(store.database());
    DemoCounts counts;
    fillRequisites(store);
    fillLists(store, year, counts);
    DemoYear(store, year, lastDay, counts).fill();
    const auto orders = addCashExpenseOrders(store.dataSet(u"ADOTable_jur1"), store.dataSet(u"ADOTable_stov"), year,
                                             lastDay, counts);
    transaction.commit();
    // Registered as the documents tab's "Зарегистрировать в журнале" does, each in its own unit of work.
    for (const auto& [key, operation] : orders) {
        registerCashOrder(store.database(), key, operation);
        ++counts.journalEntries;
    }
    return counts;
}

} // namespace vi23
