#include "DemoData.h"

#include "data/DataStore.h"
#include "data/Money.h"

#include <QStringList>
#include <array>
#include <random>

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
    {u"Бумага офисная А4, 500 листов", u"пач", u"Россия", u"", 20, "289,50"},
    {u"Картридж лазерный чёрный", u"шт", u"Китай", u"10702030/150321/0004512", 20, "2450"},
    {u"Ручка шариковая синяя", u"шт", u"Россия", u"", 20, "14,9"},
    {u"Папка-регистратор 75 мм", u"шт", u"Россия", u"", 20, "189"},
    {u"Степлер настольный №24", u"шт", u"Китай", u"10702030/020221/0001177", 18, "356,4"},
    {u"Скрепки 28 мм, 100 шт.", u"уп", u"Россия", u"", 18, "32,5"},
    {u"Калькулятор бухгалтерский 12 разрядов", u"шт", u"Китай", u"10702030/110520/0002231", 18, "890"},
    {u"Журнал кассира-операциониста", u"шт", u"Россия", u"", 10, "145"},
    {u"Книга учёта доходов и расходов", u"шт", u"Россия", u"", 10, "120"},
    {u"Бланк кассового ордера, 100 листов", u"пач", u"Россия", u"", 10, "95,75"},
    {u"Молоко 3,2% 1 л", u"шт", u"Россия", u"", 10, "89,9"},
    {u"Хлеб «Бородинский»", u"шт", u"Россия", u"", 10, "54"},
    {u"Консультация бухгалтера, 1 час", u"час", u"", u"", 0, "1500"},
    {u"Составление декларации по УСН", u"усл", u"", u"", 0, "3500"},
    {u"Доставка по городу", u"рейс", u"", u"", 0, "700"},
    {u"Ремонт принтера", u"усл", u"", u"", 20, "1850"},
    {u"Заправка картриджа", u"шт", u"", u"", 20, "650"},
    {u"Монтаж кассового аппарата", u"усл", u"", u"", 20, "2200"},
    {u"Стол письменный 120×60", u"шт", u"Беларусь", u"", 20, "7420"},
    {u"Кресло офисное", u"шт", u"Польша", u"10702030/250619/0012345", 20, "5990,99"},
}};

struct Counterparty {
    const char16_t* name;
    const char16_t* address;
    const char16_t* bank;
    const char16_t* inn;
    const char16_t* okpo;
};

constexpr std::array<Counterparty, 10> kCounterparties = {{
    {u"ООО «Вектор»", u"г. Тверь, ул. Советская, 12, тел. 32-15-40", u"Тверской ф-л Сбербанка, р/с 40702810000000001234",
     u"6901234567/690101001", u"12345678"},
    {u"ИП Смирнова Ольга Петровна", u"г. Тверь, пр. Победы, 3, кв. 7", u"ВТБ, р/с 40802810500000000777",
     u"690200112233", u"0123456789"},
    {u"АО «Торговый дом Север»", u"г. Москва, ул. Тверская, 1", u"Альфа-Банк, р/с 40702810100000004321",
     u"7701987654/770101001", u"87654321"},
    {u"ООО \"Ромашка\"", u"г. Клин, ул. Ленина, 5", u"Банк «Возрождение», р/с 40702810900000000055",
     u"5020012345/502001001", u"11223344"},
    {u"O'Brien Trading Ltd", u"г. Санкт-Петербург, Невский пр., 100", u"Банк «Санкт-Петербург», р/с 40702840",
     u"7812345678/781201001", u"55667788"},
    {u"МУП «Горводоканал»", u"г. Тверь, ул. Горького, 19", u"Тверской ф-л Сбербанка, р/с 40702810000000009999",
     u"6905000001/690501001", u"03145678"},
    {u"ПАО «Ростелеком»", u"г. Москва, ул. Гончарова, 30", u"ВТБ, р/с 40702810000000000001", u"7707049388/784001001",
     u"17514186"},
    {u"ООО «Канцмир»", u"г. Тверь, ул. Вагжанова, 7", u"Сбербанк, р/с 40702810000000002468", u"6950011122/695001001",
     u"22446688"},
    {u"Межрайонная ИФНС №10", u"г. Тверь, ул. Коминтерна, 20", u"Отделение Тверь, р/с 03100643000000013600",
     u"6906011179/695001001", u"04001234"},
    {u"Петров Иван Сергеевич", u"г. Тверь, ул. Озерная, 2, тел. 8-910-000-00-00", u"", u"690300445566", u""},
}};

struct Operation {
    const char16_t* text;
    const char16_t* kind;
};

constexpr std::array<Operation, 10> kOperations = {{
    {u"Оплата от покупателя", u"Приход"},
    {u"Выручка наличными", u"Приход"},
    {u"Возврат от поставщика", u"Приход"},
    {u"Получение наличных в банке", u"Приход"},
    {u"Оплата поставщику", u"Расход"},
    {u"Сдача наличных в банк", u"Расход"},
    {u"Аренда помещения", u"Расход"},
    {u"Налог по УСН", u"Расход"},
    {u"Услуги связи", u"Расход"},
    {u"Хозяйственные расходы", u"Расход"},
}};

constexpr std::array<const char16_t*, 9> kDocumentKinds = {
    u"Счет", u"Счет-фактура", u"Товарная накладная", u"Акт", u"Товарный чек",
    u"Наряд-заказ", u"Расходная накладная", u"Бланк заказа", u"Кассовый ордер-пр"};

QString s(const char16_t* text) { return QString::fromUtf16(text); }

} // namespace

DemoCounts fillDemoData(DataStore& store, int year, QDate lastDay)
{
    std::mt19937 random(20091u + unsigned(year));
    auto pick = [&](int n) { return int(random() % unsigned(n)); };
    Database::Transaction transaction(store.database());
    DemoCounts counts;

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
    requisites.post();

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

    const int days = std::max(1, int(QDate(year, 1, 1).daysTo(lastDay)) + 1);
    DataSet& documents = store.dataSet(u"ADOTable_jur1");
    for (int d = 0; d < 30; ++d) {
        const Counterparty& buyer = kCounterparties[size_t(pick(int(kCounterparties.size())))];
        QDate date = QDate(year, 1, 1).addDays(qint64(d) * days / 30);
        documents.append();
        documents.setText(u"dok", s(kDocumentKinds[size_t(d) % kDocumentKinds.size()]));
        documents.setText(u"n", QString::number(d + 1));
        documents.setValue(u"dd", date);
        documents.setText(u"np", QString::number(100 + d));
        documents.setValue(u"dp", date.addDays(-2));
        documents.setText(u"z", s(buyer.name));
        documents.setText(u"a", s(buyer.address));
        documents.setText(u"unn", s(buyer.inn));
        documents.setText(u"rb", s(buyer.bank));
        documents.setText(u"okpo", s(buyer.okpo));
        int lines = 1 + pick(4);
        Money total;
        for (int line = 0; line < 10; ++line) {
            QString n = QString::number(line);
            if (line >= lines) {
                // An empty line as a new document leaves it.
                documents.setText(QStringLiteral("naz") + n, QStringLiteral("-"));
                documents.setValue(QStringLiteral("kol") + n, 1.0);
                documents.setValue(QStringLiteral("cen") + n, Money());
                documents.setValue(QStringLiteral("nds") + n, 0);
                documents.setValue(QStringLiteral("s") + n, Money());
                continue;
            }
            const Goods& g = kGoods[size_t(pick(int(kGoods.size())))];
            double quantity = 1 + pick(9) + (pick(4) == 0 ? 0.5 : 0.0);
            Money price = Money::parse(QString::fromLatin1(g.price));
            Money sum = Money::fromDouble((g.vat + 100) * (quantity * price.toDouble()) / 100);
            documents.setText(QStringLiteral("naz") + n, s(g.name));
            documents.setValue(QStringLiteral("kol") + n, quantity);
            documents.setValue(QStringLiteral("cen") + n, price);
            documents.setValue(QStringLiteral("nds") + n, g.vat);
            documents.setValue(QStringLiteral("s") + n, sum);
            total += sum;
        }
        documents.setValue(u"sss", total);
        documents.post();
        ++counts.documents;
    }

    // About a business day's worth of entries: payment and cash orders, consignment notes and acts.
    DataSet& journal = store.dataSet(u"ADOTable_jur");
    const std::array<const char16_t*, 4> kinds = {u"ПП", u"КО", u"ТН", u"А"};
    int number = 1;
    for (int day = 0; day < days; day += 1 + pick(3)) {
        QDate date = QDate(year, 1, 1).addDays(day);
        int entries = 1 + pick(2);
        for (int e = 0; e < entries; ++e) {
            const Operation& op = kOperations[size_t(pick(int(kOperations.size())))];
            const char16_t* kind = kinds[size_t(pick(10) < 4 ? 0 : pick(10) < 7 ? 1 : 2 + pick(2))];
            journal.append();
            journal.setValue(u"dd", date);
            journal.setText(u"nn", QString::number(number++));
            journal.setText(u"dok", s(kind));
            journal.setText(u"sr", s(op.text));
            journal.setText(u"vr", s(op.kind));
            journal.setValue(u"s", Money::fromUnits((500 + pick(150000)) * 100 + (pick(2) ? 50 * 100 : 0)));
            journal.setText(u"k", s(kCounterparties[size_t(pick(int(kCounterparties.size())))].name));
            journal.post();
            ++counts.journalEntries;
        }
    }
    transaction.commit();
    return counts;
}

} // namespace vi23
