#include "ExchangeXml.h"

#include "data/Error.h"
#include "data/RuFormat.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QXmlStreamWriter>
#include <cmath>

namespace vi23 {

namespace {

const char kCodePage[] = "windows-1251";

QStringEncoder windows1251()
{
    QStringEncoder encoder(kCodePage, QStringConverter::Flag::Stateless);
    if (!encoder.isValid())
        throw UserError(QStringLiteral("В системе нет кодировки Windows-1251 (библиотека ICU): файл для ЭДО не "
                                       "может быть записан"));
    return encoder;
}

[[noreturn]] void refuse(const QString& what, const QString& problem)
{
    throw UserError(QStringLiteral("%1: %2").arg(what, problem));
}

// Every character must be one Windows-1251 holds; the first that is not is named.
void checkCodePage(const QString& text, const QString& what)
{
    // encode() converts only when its result is taken as bytes.
    QStringEncoder whole = windows1251();
    const QByteArray bytes = whole.encode(text);
    if (!whole.hasError())
        return;
    for (const char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        QStringEncoder single = windows1251();
        const QByteArray encoded = single.encode(one);
        if (single.hasError())
            refuse(what, QStringLiteral("знак «%1» (U+%2) нельзя записать в кодировке Windows-1251, которую требует "
                                        "формат; замените его")
                             .arg(one, QString::number(uint(c), 16).toUpper().rightJustified(4, u'0')));
    }
}

// The digits of a decimal text: all of them, and those after the point.
std::pair<int, int> digitsOf(const QString& decimal)
{
    const qsizetype point = decimal.indexOf(u'.');
    int all = 0;
    for (QChar c : decimal)
        all += c.isDigit() ? 1 : 0;
    return {all, point < 0 ? 0 : int(decimal.size() - point - 1)};
}

} // namespace

bool isFilled(const QString& text)
{
    const QString trimmed = text.trimmed();
    return !trimmed.isEmpty() && trimmed != u'-' && trimmed != u'—';
}

QString checkedText(const QString& text, const QString& what, const TextRule& rule)
{
    const QString value = text.trimmed();
    if (value.isEmpty())
        refuse(what, QStringLiteral("не заполнено"));
    for (QChar c : value) {
        if (c.unicode() < 0x20 && c != u'\n' && c != u'\r' && c != u'\t')
            refuse(what, QStringLiteral("управляющий знак (код %1) недопустим в файле").arg(c.unicode()));
    }
    if (value.size() > rule.maxLength)
        refuse(what, QStringLiteral("«%1» длиннее %2 знаков, допустимых форматом").arg(ru::quoteForMessage(value)).arg(rule.maxLength));
    if (value.size() < rule.minLength)
        refuse(what, QStringLiteral("«%1» короче %2 знаков, которых требует формат").arg(value).arg(rule.minLength));
    if (rule.pattern) {
        const QRegularExpression pattern(QRegularExpression::anchoredPattern(QString::fromUtf16(rule.pattern)));
        if (!pattern.match(value).hasMatch())
            refuse(what, QStringLiteral("«%1» — нужно %2").arg(ru::quoteForMessage(value), QString::fromUtf16(rule.hint)));
    }
    checkCodePage(value, what);
    return value;
}

QString optionalText(const QString& text, const QString& what, const TextRule& rule)
{
    return isFilled(text) ? checkedText(text, what, rule) : QString();
}

QString checkedDate(QDate date, const QString& what)
{
    if (!date.isValid())
        refuse(what, QStringLiteral("не указана"));
    if (date.year() < 1900 || date.year() > 2099)
        refuse(what, QStringLiteral("%1 — формат принимает даты с 1900 по 2099 год").arg(ru::formatDate(date)));
    return ru::formatDate(date);
}

QString checkedSum(Money sum, const QString& what, bool mayBeNegative)
{
    if (sum.units() % 100 != 0)
        refuse(what, QStringLiteral("%1 — в файле суммы в рублях с копейками, не точнее").arg(sum.toString()));
    if (!mayBeNegative && sum < Money())
        refuse(what, QStringLiteral("%1 — отрицательная сумма в формате недопустима").arg(sum.toFixed(2)));
    return sum.toFixed(2, u'.');
}

QString checkedPrice(Money price, const QString& what)
{
    if (price < Money())
        refuse(what, QStringLiteral("%1 — отрицательная цена в формате недопустима").arg(price.toString()));
    QString text = price.toFixed(4, u'.');
    while (text.endsWith(u'0') && text.size() - text.indexOf(u'.') > 3)
        text.chop(1);
    return text;
}

QString checkedQuantity(double quantity, const QString& what)
{
    if (!std::isfinite(quantity) || quantity <= 0)
        refuse(what, QStringLiteral("количество %1 — в формате оно больше нуля").arg(QString::number(quantity)));
    const QString text = QString::number(quantity, 'f', QLocale::FloatingPointShortest);
    const auto [all, places] = digitsOf(text);
    if (places > 11 || all > 26)
        refuse(what, QStringLiteral("количество %1 — формат допускает не больше 11 знаков после запятой и 26 цифр")
                         .arg(text));
    return text;
}

XmlElement& XmlElement::add(const QString& name)
{
    children_.push_back(std::make_unique<XmlElement>(name));
    return *children_.back();
}

XmlElement& XmlElement::set(const QString& attribute, const QString& value)
{
    attributes_.emplace_back(attribute, value);
    return *this;
}

XmlElement& XmlElement::setIfAny(const QString& attribute, const QString& value)
{
    if (!value.isEmpty())
        set(attribute, value);
    return *this;
}

QString XmlElement::attribute(const QString& attribute) const
{
    for (const auto& [name, value] : attributes_) {
        if (name == attribute)
            return value;
    }
    return {};
}

void XmlElement::write(QXmlStreamWriter& out) const
{
    out.writeStartElement(name_);
    for (const auto& [name, value] : attributes_)
        out.writeAttribute(name, value);
    if (!text_.isEmpty())
        out.writeCharacters(text_);
    for (const auto& child : children_)
        child->write(out);
    out.writeEndElement();
}

QByteArray XmlElement::toWindows1251() const
{
    // The declaration is written here: the stream writer would name UTF-8.
    QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"windows-1251\"?>");
    QXmlStreamWriter out(&text);
    out.setAutoFormatting(true);
    out.setAutoFormattingIndent(-1);
    write(out);
    text += u'\n';
    QStringEncoder encoder = windows1251();
    const QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        throw UserError(QStringLiteral("Файл для ЭДО не записан: в нем остался знак, которого нет в Windows-1251"));
    return bytes;
}

} // namespace vi23
