#include "ElectronicDocument.h"

#include "DocumentPrinting.h"
#include "ExchangeXml.h"
#include "data/DocumentMoney.h"
#include "data/EnterpriseSettings.h"
#include "data/Error.h"
#include "data/FormKinds.h"
#include "data/RuFormat.h"
#include "data/SafeOutput.h"
#include "data/UnitAndCountryCodes.h"
#include "ui/Messages.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace vi23 {

namespace {

// The schema's rules for the values written here.
const TextRule kText255{255};
const TextRule kText1000{1000};
const TextRule kText2000{2000};
const TextRule kNamePart{60};
const TextRule kOkpo{10};
const TextRule kCustomsDeclaration{29};
const TextRule kPaymentNumber{30};
const TextRule kRegistrationText{100};
const TextRule kOrganisationInn{10, u"([0-9][1-9]|[1-9][0-9])[0-9]{8}", u"10 цифр, первые две не «00»"};
const TextRule kPersonInn{12, u"([0-9][1-9]|[1-9][0-9])[0-9]{10}", u"12 цифр, первые две не «00»"};
const TextRule kKpp{9, u"([0-9][1-9]|[1-9][0-9])[0-9]{2}[0-9A-Z]{2}[0-9]{3}",
                    u"9 знаков: цифры, пятый и шестой могут быть заглавными латинскими буквами"};
const TextRule kParticipant{46, u"[0-9A-Za-z]{3}[0-9A-Za-z-]{1,43}",
                            u"от 4 до 46 латинских букв, цифр и дефисов; первые три знака — код оператора "
                            u"(например, 2BM-…)"};

const QString kFormatVersion = QStringLiteral("5.03");
const QString kDocumentCode = QStringLiteral("1115131");
const QString kRussia = QStringLiteral("Россия");
const QString kSellerTab = QStringLiteral("вкладка «Данные пользователя»");
const QString kCounterpartyTab = QStringLiteral("вкладка «Список поставщиков-покупателей»");

// The rates the format takes as they are written.
const QStringList& formatRates()
{
    static const QStringList rates = {
        QStringLiteral("0%"),     QStringLiteral("5%"),      QStringLiteral("7%"),     QStringLiteral("9,09%"),
        QStringLiteral("10%"),    QStringLiteral("16,67%"),  QStringLiteral("18%"),    QStringLiteral("18,03%"),
        QStringLiteral("20%"),    QStringLiteral("22%"),     QStringLiteral("5/105"),  QStringLiteral("7/107"),
        QStringLiteral("10/110"), QStringLiteral("18/118"),  QStringLiteral("20/120"), QStringLiteral("22/122"),
        QStringLiteral("без НДС"), QStringLiteral("НДС исчисляется налоговым агентом")};
    return rates;
}

// A seller or a buyer as the document states it.
struct Party {
    QString who;            // "у покупателя «…»", for messages
    QString role;           // "покупателя", for field names
    QString name, innKpp, address, country, okpo, phone, registration;
};

struct Person {
    QString surname, name, patronymic;
};

// The format wants a person's name and patronymic whole: initials ("А.", "А.В.") are refused.
void checkWhole(const Person& person, const QString& shown, const QString& what)
{
    static const QRegularExpression initials(QStringLiteral("^(\\p{L}\\.\\s*)+$"));
    for (const QString& part : {person.name, person.patronymic}) {
        if (initials.match(part.trimmed()).hasMatch())
            throw UserError(QStringLiteral("%1: «%2» — формат требует имя и отчество полностью, не инициалы")
                                .arg(what, ru::quoteForMessage(shown)));
    }
}

// "Кузнецов Андрей Викторович" or "ИП Смирнова Ольга Петровна": surname, name and the rest.
Person personOf(const QString& fullName, const QString& what)
{
    static const QRegularExpression prefix(QStringLiteral("^(ИП|И\\.\\s*П\\.|Индивидуальный предприниматель)\\s+"),
                                           QRegularExpression::CaseInsensitiveOption);
    QString text = fullName.trimmed();
    text.remove(prefix);
    const QStringList words = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (words.size() < 2)
        throw UserError(QStringLiteral("%1: «%2» — нужны фамилия, имя и отчество (при наличии) полностью")
                            .arg(what, ru::quoteForMessage(fullName)));
    const Person person{words[0], words[1], words.mid(2).join(u' ')};
    checkWhole(person, fullName, what);
    return person;
}

void addPerson(XmlElement& parent, const Person& person, const QString& what)
{
    XmlElement& name = parent.add(QStringLiteral("ФИО"));
    name.set(QStringLiteral("Фамилия"), checkedText(person.surname, what + QStringLiteral(": фамилия"), kNamePart));
    name.set(QStringLiteral("Имя"), checkedText(person.name, what + QStringLiteral(": имя"), kNamePart));
    name.setIfAny(QStringLiteral("Отчество"), optionalText(person.patronymic, what + QStringLiteral(": отчество"), kNamePart));
}

// The ИНН and КПП as typed in one box: "6950123456/695001001", "690200112233"; empty when the box
// holds something else.
std::pair<QString, QString> taxIdsOf(const QString& innKpp)
{
    const QStringList parts = innKpp.split(QRegularExpression(QStringLiteral("[\\s/\\\\,;]+")), Qt::SkipEmptyParts);
    static const QRegularExpression digits(QStringLiteral("^\\d+$"));
    if (parts.isEmpty() || parts.size() > 2 || !digits.match(parts[0]).hasMatch())
        return {};
    return {parts[0], parts.value(1)};
}

// The country's ОКСМ code: Russia when none is given.
QString countryCodeFor(const Party& party)
{
    if (!isFilled(party.country))
        return kRussiaCode;
    const QString code = countryCodeOf(party.country);
    if (code.isEmpty())
        throw UserError(QStringLiteral("Страна %1 «%2» не знакома программе: нет ее цифрового кода (ОКСМ). Напишите "
                                       "страну так: Казахстан, Беларусь, Китай… (%3)")
                            .arg(party.role, party.country, kCounterpartyTab));
    return code;
}

void addOrganisation(XmlElement& id, const Party& party, const QString& inn, const QString& kpp)
{
    if (!isFilled(kpp))
        throw UserError(QStringLiteral("%1 не заполнен КПП: ИНН и КПП организации пишут через «/», "
                                       "например 6950123456/695001001").arg(party.who));
    XmlElement& organisation = id.add(QStringLiteral("СвЮЛУч"));
    organisation.set(QStringLiteral("НаимОрг"), checkedText(party.name, QStringLiteral("Наименование ") + party.role, kText1000));
    organisation.set(QStringLiteral("ИННЮЛ"), checkedText(inn, QStringLiteral("ИНН ") + party.role, kOrganisationInn));
    organisation.set(QStringLiteral("КПП"), checkedText(kpp, QStringLiteral("КПП ") + party.role, kKpp));
}

void addSoleTrader(XmlElement& id, const Party& party, const QString& inn, const QString& kpp)
{
    if (isFilled(kpp))
        throw UserError(QStringLiteral("%1 ИНН из 12 цифр (предприниматель) и КПП «%2»: у предпринимателя КПП нет; "
                                       "оставьте только ИНН").arg(party.who, kpp));
    XmlElement& trader = id.add(QStringLiteral("СвИП"));
    trader.set(QStringLiteral("ИННФЛ"), checkedText(inn, QStringLiteral("ИНН ") + party.role, kPersonInn));
    if (const std::optional<SoleTraderRegistration> registration = parseRegistration(party.registration)) {
        trader.set(QStringLiteral("ОГРНИП"), registration->ogrnip);
        trader.set(QStringLiteral("ДатаОГРНИП"), checkedDate(registration->assigned, QStringLiteral("Дата ОГРНИП")));
    } else {
        trader.setIfAny(QStringLiteral("СвГосРегИП"),
                        optionalText(party.registration, QStringLiteral("Реквизиты свидетельства о регистрации ИП"),
                                     kRegistrationText));
    }
    const QString what = QStringLiteral("Предприниматель ") + party.role;
    addPerson(trader, personOf(party.name, what), what);
}

// A buyer abroad without a Russian ИНН: its identifier in its own country, typed in the ИНН box.
void addForeigner(XmlElement& id, const Party& party)
{
    if (!isFilled(party.innKpp))
        throw UserError(QStringLiteral("%1 (%2) не заполнен идентификатор: впишите в поле «ИНН/КПП» его "
                                       "регистрационный номер в стране регистрации").arg(party.who, party.country));
    XmlElement& foreigner = id.add(QStringLiteral("СвИнНеУч"));
    foreigner.set(QStringLiteral("ИдСтат"), QStringLiteral("ИО"));
    foreigner.set(QStringLiteral("КодСтр"), countryCodeFor(party));
    foreigner.set(QStringLiteral("НаимСтран"), checkedText(party.country, QStringLiteral("Страна ") + party.role, kText255));
    foreigner.set(QStringLiteral("Наим"), checkedText(party.name, QStringLiteral("Наименование ") + party.role, kText1000));
    foreigner.set(QStringLiteral("Идентиф"), checkedText(party.innKpp, QStringLiteral("Идентификатор ") + party.role, kText255));
}

// An organisation (ИНН of 10 digits with its КПП), a sole trader (12 digits, no КПП) or, for a buyer
// abroad, a foreign organisation with its own identifier.
void addIdentity(XmlElement& party, const Party& p)
{
    XmlElement& id = party.add(QStringLiteral("ИдСв"));
    const auto [inn, kpp] = taxIdsOf(p.innKpp);
    const bool abroad = countryCodeFor(p) != kRussiaCode;
    // An organisation from abroad registered in Russia has a Russian ИНН; other numbers of a buyer
    // abroad (a 12-digit BIN, say) are its own country's.
    if (inn.size() == 10)
        return addOrganisation(id, p, inn, kpp);
    if (abroad)
        return addForeigner(id, p);
    if (inn.size() == 12)
        return addSoleTrader(id, p, inn, kpp);
    if (!isFilled(p.innKpp))
        throw UserError(QStringLiteral("%1 не заполнен ИНН").arg(p.who));
    throw UserError(QStringLiteral("ИНН %1 «%2»: нужно 10 цифр и КПП через «/» (организация) или 12 цифр "
                                   "(предприниматель)").arg(p.role, ru::quoteForMessage(p.innKpp)));
}

// The address as the requisites keep it, whole: the format's free-form address with the country.
void addAddress(XmlElement& party, const Party& p, bool required)
{
    if (!isFilled(p.address)) {
        if (required)
            throw UserError(QStringLiteral("%1 не заполнен адрес").arg(p.who));
        return;
    }
    XmlElement& address = party.add(QStringLiteral("Адрес")).add(QStringLiteral("АдрИнф"));
    const QString code = countryCodeFor(p);
    address.set(QStringLiteral("КодСтр"), code);
    address.set(QStringLiteral("НаимСтран"), code == kRussiaCode ? kRussia
                                                                : checkedText(p.country, QStringLiteral("Страна ") + p.role, kText255));
    address.set(QStringLiteral("АдрТекст"), checkedText(p.address, QStringLiteral("Адрес ") + p.role, kText1000));
}

void addParty(XmlElement& parent, const QString& element, const Party& p, bool addressRequired)
{
    XmlElement& party = parent.add(element);
    party.setIfAny(QStringLiteral("ОКПО"), optionalText(p.okpo, QStringLiteral("ОКПО ") + p.role, kOkpo));
    addIdentity(party, p);
    addAddress(party, p, addressRequired);
    const QString phone = optionalText(p.phone, QStringLiteral("Телефон ") + p.role, kText255);
    if (!phone.isEmpty())
        party.add(QStringLiteral("Контакт")).add(QStringLiteral("Тлф")).setText(phone);
}

Party sellerOf(const IssuedDocument& document)
{
    const EnterpriseRequisites& s = document.seller;
    return {QStringLiteral("У продавца (%1)").arg(kSellerTab), QStringLiteral("продавца"), s.name, s.innKpp, s.address,
            QString(), s.okpo, s.phone, s.soleTraderRegistration};
}

Party buyerOf(const IssuedDocument& document, const ExchangeRequisites& requisites)
{
    return {QStringLiteral("У покупателя «%1»").arg(ru::quoteForMessage(document.buyer)), QStringLiteral("покупателя"),
            document.buyer, document.buyerInnKpp, document.buyerAddress, requisites.buyerCountry, document.buyerOkpo,
            QString(), QString()};
}

QString lineWhat(const IssuedLine& line, int number)
{
    return QStringLiteral("Строка %1 («%2»)").arg(number).arg(ru::quoteForMessage(line.name));
}

void addLineGoodsDetails(XmlElement& row, const IssuedLine& line, const QString& what)
{
    const QString country = optionalText(line.country, what + QStringLiteral(": страна происхождения"), kText255);
    const QString code = countryCodeOf(country);
    const QString declaration =
        optionalText(line.customsDeclaration, what + QStringLiteral(": номер декларации на товары"), kCustomsDeclaration);
    if (!code.isEmpty() || !declaration.isEmpty()) {
        XmlElement& customs = row.add(QStringLiteral("СвДТ"));
        customs.setIfAny(QStringLiteral("КодПроисх"), code);
        customs.setIfAny(QStringLiteral("НомерДТ"), declaration);
    }
    if (!country.isEmpty())
        row.add(QStringLiteral("ДопСведТов")).add(QStringLiteral("КрНаимСтрПр")).setText(country);
}

void addLine(XmlElement& table, const IssuedLine& line, int number, bool invoice)
{
    const QString what = lineWhat(line, number);
    const QString rate = printedVatRate(line.rate);
    if (!formatRates().contains(rate))
        throw UserError(QStringLiteral("%1: ставка %2 % недопустима в формате").arg(what).arg(line.rate));
    // With a quantity the invoice states a price above zero.
    if (invoice && line.price <= Money())
        throw UserError(QStringLiteral("%1: цена %2 — в счете-фактуре цена должна быть больше нуля")
                            .arg(what, line.price.toFixed(2)));
    XmlElement& row = table.add(QStringLiteral("СведТов"));
    row.set(QStringLiteral("НомСтр"), QString::number(number));
    row.set(QStringLiteral("НаимТов"), checkedText(line.name, what + QStringLiteral(": наименование"), kText2000));
    const QString unit = optionalText(line.unit, what + QStringLiteral(": единица измерения"), kText255);
    row.setIfAny(QStringLiteral("ОКЕИ_Тов"), unitCodeOf(unit));
    row.setIfAny(QStringLiteral("НаимЕдИзм"), unit);
    row.set(QStringLiteral("КолТов"), checkedQuantity(line.quantity, what));
    row.set(QStringLiteral("ЦенаТов"), checkedPrice(line.price, what + QStringLiteral(": цена")));
    row.set(QStringLiteral("СтТовБезНДС"), checkedSum(line.amounts.net, what + QStringLiteral(": стоимость без налога")));
    row.set(QStringLiteral("НалСт"), rate);
    row.set(QStringLiteral("СтТовУчНал"), checkedSum(line.amounts.gross, what + QStringLiteral(": стоимость с налогом")));
    addLineGoodsDetails(row, line, what);
    row.add(QStringLiteral("Акциз")).add(QStringLiteral("БезАкциз")).setText(QStringLiteral("без акциза"));
    XmlElement& vat = row.add(QStringLiteral("СумНал"));
    if (isVatExempt(line.rate))
        vat.add(QStringLiteral("БезНДС")).setText(QStringLiteral("без НДС"));
    else
        vat.add(QStringLiteral("СумНал")).setText(checkedSum(line.amounts.vat, what + QStringLiteral(": сумма налога")));
}

void addTable(XmlElement& document, const IssuedDocument& issued, bool invoice)
{
    if (issued.lines.empty())
        throw UserError(QStringLiteral("В документе нет ни одной строки"));
    XmlElement& table = document.add(QStringLiteral("ТаблСчФакт"));
    int number = 0;
    for (const IssuedLine& line : issued.lines)
        addLine(table, line, ++number, invoice);
    XmlElement& total = table.add(QStringLiteral("ВсегоОпл"));
    const DocumentTotals& t = issued.totals;
    total.set(QStringLiteral("СтТовБезНДСВсего"), checkedSum(t.net, QStringLiteral("Итого без налога"), true));
    total.set(QStringLiteral("СтТовУчНалВсего"), checkedSum(t.gross, QStringLiteral("Всего к оплате"), true));
    XmlElement& vat = total.add(QStringLiteral("СумНалВсего"));
    if (issued.exempt)
        vat.add(QStringLiteral("БезНДС")).setText(QStringLiteral("без НДС"));
    else
        vat.add(QStringLiteral("СумНал")).setText(checkedSum(t.vat, QStringLiteral("Сумма налога всего")));
}

// Lines (5) and (5а) of the invoice forms: the buyer's payment and the shipment document.
void addInvoiceReferences(XmlElement& invoice, const IssuedDocument& document, const ExchangeKind& kind)
{
    const QString payment = optionalText(document.paymentNumber, QStringLiteral("Номер платежно-расчетного документа"),
                                         kPaymentNumber);
    if (!payment.isEmpty() || document.paymentDate.isValid()) {
        XmlElement& paid = invoice.add(QStringLiteral("СвПРД"));
        paid.setIfAny(QStringLiteral("НомерПРД"), payment);
        if (document.paymentDate.isValid())
            paid.set(QStringLiteral("ДатаПРД"), checkedDate(document.paymentDate, QStringLiteral("Дата платежа")));
    }
    XmlElement& shipment = invoice.add(QStringLiteral("ДокПодтвОтгрНом"));
    shipment.set(QStringLiteral("РеквНаимДок"), kind.shipmentName);
    shipment.set(QStringLiteral("РеквНомерДок"), checkedText(document.number, QStringLiteral("Номер документа"), kText255));
    shipment.set(QStringLiteral("РеквДатаДок"), checkedDate(document.date, QStringLiteral("Дата документа")));
    shipment.set(QStringLiteral("РеквДопСведДок"), QStringLiteral("№ п/п ") + shipmentRowsText(document));
}

void addInvoiceDetails(XmlElement& root, const IssuedDocument& document, const ExchangeRequisites& requisites,
                       const ExchangeKind& kind)
{
    const bool invoice = kind.function != u"ДОП";
    XmlElement& details = root.add(QStringLiteral("СвСчФакт"));
    details.set(QStringLiteral("НомерДок"), checkedText(document.number, QStringLiteral("Номер документа"), kText1000));
    details.set(QStringLiteral("ДатаДок"), checkedDate(document.date, QStringLiteral("Дата документа")));
    addParty(details, QStringLiteral("СвПрод"), sellerOf(document), invoice);
    const Party buyer = buyerOf(document, requisites);
    if (kind.consignment) {
        details.add(QStringLiteral("ГрузОт")).add(QStringLiteral("ОнЖе")).setText(QStringLiteral("он же"));
        addParty(details, QStringLiteral("ГрузПолуч"), buyer, invoice);
    }
    if (!kind.shipmentName.isEmpty())
        addInvoiceReferences(details, document, kind);
    addParty(details, QStringLiteral("СвПокуп"), buyer, invoice);
    details.add(QStringLiteral("ДенИзм")).set(QStringLiteral("КодОКВ"), QStringLiteral("643"))
        .set(QStringLiteral("НаимОКВ"), QStringLiteral("Российский рубль"));
}

// What was transferred and when, on the document's own date; the contract where the document names one.
void addTransfer(XmlElement& root, const IssuedDocument& document, const ExchangeKind& kind)
{
    XmlElement& transfer = root.add(QStringLiteral("СвПродПер")).add(QStringLiteral("СвПер"));
    transfer.set(QStringLiteral("СодОпер"), kind.operation);
    transfer.set(QStringLiteral("ДатаПер"), checkedDate(document.date, QStringLiteral("Дата документа")));
    const QString contract = kind.contractBasis
        ? optionalText(document.paymentNumber, QStringLiteral("Номер договора"), kText255) : QString();
    if (contract.isEmpty()) {
        transfer.add(QStringLiteral("БезДокОснПер")).setText(QStringLiteral("1"));
        return;
    }
    if (!document.paymentDate.isValid())
        throw UserError(QStringLiteral("Договор № %1 без даты: укажите его дату рядом с номером или сотрите номер")
                            .arg(contract));
    XmlElement& basis = transfer.add(QStringLiteral("ОснПер"));
    basis.set(QStringLiteral("РеквНаимДок"), QStringLiteral("Договор"));
    basis.set(QStringLiteral("РеквНомерДок"), contract);
    basis.set(QStringLiteral("РеквДатаДок"), checkedDate(document.paymentDate, QStringLiteral("Дата договора")));
}

void addSigner(XmlElement& root, const IssuedDocument& document, const Signer& signer)
{
    const QString what = QStringLiteral("Подписант (%1)").arg(kSellerTab);
    if (!isFilled(signer.surname) || !isFilled(signer.name))
        throw UserError(QStringLiteral("В реквизитах не заполнены фамилия и имя подписанта электронных документов "
                                       "(%1)").arg(kSellerTab));
    XmlElement& signs = root.add(QStringLiteral("Подписант"));
    const QString position = isFilled(signer.position) ? signer.position : document.seller.headPosition;
    signs.setIfAny(QStringLiteral("Должн"), optionalText(position, what + QStringLiteral(": должность"), kText255));
    // The signer's authority is read from the qualified signature itself.
    signs.set(QStringLiteral("СпосПодтПолном"), QStringLiteral("1"));
    const Person person{signer.surname, signer.name, signer.patronymic};
    checkWhole(person, QStringList{signer.surname, signer.name, signer.patronymic}.join(u' ').trimmed(), what);
    addPerson(signs, person, what);
}

QString fileIdOf(const ExchangeRequisites& requisites, const IssuedDocument& document, const ExchangeStamp& stamp)
{
    if (!requisites.buyerListed)
        throw UserError(QStringLiteral("Покупателя «%1» нет в списке поставщиков-покупателей: добавьте его с "
                                       "идентификатором участника ЭДО").arg(ru::quoteForMessage(document.buyer)));
    const QString sender = checkedText(requisites.sellerParticipant,
                                       QStringLiteral("Идентификатор участника ЭДО продавца (%1)").arg(kSellerTab), kParticipant);
    const QString recipient = checkedText(requisites.buyerParticipant,
                                          QStringLiteral("Идентификатор участника ЭДО покупателя «%1» (%2)")
                                              .arg(ru::quoteForMessage(document.buyer), kCounterpartyTab),
                                          kParticipant);
    return QStringLiteral("ON_NSCHFDOPPR_%1_%2_%3_%4")
        .arg(recipient, sender, stamp.made.toString(QStringLiteral("yyyyMMdd")), stamp.id.toString(QUuid::WithoutBraces));
}

XmlElement& addDocumentHeader(XmlElement& file, const IssuedDocument& document, const ExchangeKind& kind,
                              const ExchangeStamp& stamp)
{
    XmlElement& root = file.add(QStringLiteral("Документ"));
    root.set(QStringLiteral("КНД"), kDocumentCode);
    root.set(QStringLiteral("Функция"), kind.function);
    root.setIfAny(QStringLiteral("ПоФактХЖ"), kind.factName);
    root.setIfAny(QStringLiteral("НаимДокОпр"), kind.documentName);
    root.set(QStringLiteral("ДатаИнфПр"), checkedDate(stamp.made.date(), QStringLiteral("Дата составления файла")));
    root.set(QStringLiteral("ВремИнфПр"), stamp.made.time().toString(QStringLiteral("HH.mm.ss")));
    const auto inn = taxIdsOf(document.seller.innKpp).first;
    root.set(QStringLiteral("НаимЭконСубСост"),
             checkedText(QStringLiteral("%1, ИНН %2").arg(document.seller.name.trimmed(), inn),
                         QStringLiteral("Наименование продавца"), kText1000));
    return root;
}

} // namespace

std::optional<ExchangeKind> exchangeKindOf(const QString& kind, int transferStatus)
{
    const FormKind* formKind = documentKind(kind);
    const QString shipped = QStringLiteral("Документ об отгрузке товаров (выполнении работ), передаче имущественных "
                                           "прав (документ об оказании услуг)");
    const QString transferred = QStringLiteral("Товары (работы, услуги) переданы");
    switch (formKind ? formKind->exchange : ExchangeForm::None) {
    case ExchangeForm::None:
        return std::nullopt;
    case ExchangeForm::VatInvoice:
        return ExchangeKind{QStringLiteral("СЧФ"), {}, {}, {}, QStringLiteral("Документ об отгрузке"), true, false};
    case ExchangeForm::TransferDocument:
        if (transferStatus == 2)
            return ExchangeKind{QStringLiteral("ДОП"), shipped, shipped, transferred,
                                QStringLiteral("Универсальный передаточный документ"), true, false};
        return ExchangeKind{QStringLiteral("СЧФДОП"), QStringLiteral("Счет-фактура и документ об отгрузке товаров (выполнении "
                                                                 "работ), передаче имущественных прав (документ об оказании "
                                                                 "услуг)"),
                            shipped, transferred, QStringLiteral("Универсальный передаточный документ"), true, false};
    case ExchangeForm::GoodsTransfer:
        return ExchangeKind{QStringLiteral("ДОП"), QStringLiteral("Товарная накладная"),
                            QStringLiteral("Документ о передаче товара при торговых операциях"),
                            QStringLiteral("Товары переданы"), {}, true, true};
    case ExchangeForm::WorkTransfer:
        return ExchangeKind{QStringLiteral("ДОП"), QStringLiteral("Акт выполненных работ"),
                            QStringLiteral("Документ о передаче результатов работ (документ об оказании услуг)"),
                            QStringLiteral("Работы выполнены, услуги оказаны"), {}, false, true};
    }
    return std::nullopt;
}

QString noExchangeFormText(const QString& kind)
{
    QStringList withFile;
    for (const FormKind& k : documentKindTable()) {
        if (k.exchange != ExchangeForm::None)
            withFile.push_back(QStringLiteral("«%1»").arg(k.caption));
    }
    const QString last = withFile.takeLast();
    return QStringLiteral("У вида документа «%1» нет электронной формы. Для ЭДО выгружаются %2 и %3")
        .arg(kind, withFile.join(QStringLiteral(", ")), last);
}

ExchangeFile makeExchangeFile(const IssuedDocument& document, const ExchangeRequisites& requisites,
                              const ExchangeStamp& stamp)
{
    const std::optional<ExchangeKind> kind = exchangeKindOf(document.kind, document.transferStatus);
    if (!kind)
        throw UserError(noExchangeFormText(document.kind));
    XmlElement file(QStringLiteral("Файл"));
    const QString id = fileIdOf(requisites, document, stamp);
    file.set(QStringLiteral("ИдФайл"), id);
    file.set(QStringLiteral("ВерсФорм"), kFormatVersion);
    file.set(QStringLiteral("ВерсПрог"), QStringLiteral("%1 %2").arg(ui::programName(), QStringLiteral(VI23_VERSION)));
    XmlElement& root = addDocumentHeader(file, document, *kind, stamp);
    addInvoiceDetails(root, document, requisites, *kind);
    addTable(root, document, kind->function != u"ДОП");
    if (!kind->operation.isEmpty())
        addTransfer(root, document, *kind);
    addSigner(root, document, requisites.signer);
    return {id + QStringLiteral(".xml"), file.toWindows1251()};
}

QString writeExchangeFile(Database& db, long long key, const QString& folder)
{
    try {
        if (!QFileInfo(folder).isDir())
            throw UserError(QStringLiteral("Папки «%1» нет").arg(folder));
        const IssuedDocument document = readIssuedDocument(db, key);
        const ExchangeRequisites requisites = readExchangeRequisites(db, document.buyer);
        const ExchangeFile file = makeExchangeFile(document, requisites, {QDateTime::currentDateTime(), QUuid::createUuid()});
        const QString path = QDir(folder).filePath(file.name);
        writeFileSafely(path, file.bytes);
        return path;
    } catch (const UserError& e) {
        throw UserError(QStringLiteral("Файл для ЭДО не записан. %1").arg(e.text()));
    }
}

} // namespace vi23
