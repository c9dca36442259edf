#include "documents/AmountInWords.h"

#include "data/Error.h"

#include <array>
#include <cstdint>
#include <stdexcept>

namespace vi23 {

namespace {

using Words = std::array<const char16_t*, 10>;

constexpr Words kUnitsMasculine = {u"", u"один ", u"два ", u"три ", u"четыре ", u"пять ",
                                   u"шесть ", u"семь ", u"восемь ", u"девять "};
constexpr Words kUnitsFeminine = {u"", u"одна ", u"две ", u"три ", u"четыре ", u"пять ",
                                  u"шесть ", u"семь ", u"восемь ", u"девять "};
constexpr Words kTeens = {u"десять ", u"одиннадцать ", u"двенадцать ", u"тринадцать ",
                          u"четырнадцать ", u"пятнадцать ", u"шестнадцать ", u"семнадцать ",
                          u"восемнадцать ", u"девятнадцать "};
constexpr Words kTens = {u"", u"", u"двадцать ", u"тридцать ", u"сорок ", u"пятьдесят ",
                         u"шестьдесят ", u"семьдесят ", u"восемьдесят ", u"девяносто "};
constexpr Words kHundreds = {u"", u"сто ", u"двести ", u"триста ", u"четыреста ", u"пятьсот ",
                             u"шестьсот ", u"семьсот ", u"восемьсот ", u"девятьсот "};

struct OrderWords {
    std::array<const char16_t*, 3> forms;   // after one, after two to four, otherwise
    bool feminine;
};

constexpr std::array<OrderWords, 4> kOrders = {{
    {{u"рубль ", u"рубля ", u"рублей "}, false},
    {{u"тысяча ", u"тысячи ", u"тысяч "}, true},
    {{u"миллион ", u"миллиона ", u"миллионов "}, false},
    {{u"миллиард ", u"миллиарда ", u"миллиардов "}, false},
}};

constexpr std::array<const char16_t*, 3> kKopecks = {u"копейка", u"копейки", u"копеек"};

constexpr std::int64_t kRoublesLimit = 1'000'000'000'000;

// 0 after one, 1 after two to four, 2 otherwise (zero and 11…19 included).
int declensionClass(int n)
{
    int lastTwo = n % 100;
    if (lastTwo >= 11 && lastTwo <= 19)
        return 2;
    int last = n % 10;
    if (last == 1)
        return 0;
    if (last >= 2 && last <= 4)
        return 1;
    return 2;
}

QString word(const char16_t* text) { return QString::fromUtf16(text); }

} // namespace

QString TriadInWords(int n, AmountOrder order)
{
    if (n < 1 || n > 999)
        throw std::invalid_argument("TriadInWords: n must be 1..999");
    const OrderWords& orderWords = kOrders[std::size_t(order)];
    const Words& units = orderWords.feminine ? kUnitsFeminine : kUnitsMasculine;

    QString text = word(kHundreds[std::size_t(n / 100)]);
    int rest = n % 100;
    if (rest >= 10 && rest <= 19) {
        text += word(kTeens[std::size_t(rest - 10)]);
    } else {
        text += word(kTens[std::size_t(rest / 10)]);
        text += word(units[std::size_t(rest % 10)]);
    }
    text += word(orderWords.forms[std::size_t(declensionClass(n))]);
    return text;
}

QString MinorUnitText(int k)
{
    if (k < 0 || k > 99)
        throw std::invalid_argument("MinorUnitText: k must be 0..99");
    return QStringLiteral("%1 ").arg(k, 2, 10, QChar(u'0')) + word(kKopecks[std::size_t(declensionClass(k))]);
}

QString AmountInWords(Money amount)
{
    const std::int64_t units = amount.units();
    const std::int64_t limit = kRoublesLimit * Money::kScale;
    if (units >= limit || units <= -limit)
        throw UserError(QStringLiteral("Сумма %1 слишком велика для записи прописью").arg(amount.toString()));

    const std::int64_t magnitude = units < 0 ? -units : units;
    const std::int64_t whole = magnitude / Money::kScale;
    const int kopecks = int(magnitude % Money::kScale / 100);   // third and fourth decimals dropped

    const std::int64_t groups[4] = {whole % 1000, whole / 1000 % 1000, whole / 1'000'000 % 1000,
                                    whole / 1'000'000'000};
    QString text;
    for (int order = 3; order >= 1; --order) {
        if (groups[order] > 0)
            text += TriadInWords(int(groups[order]), AmountOrder(order));
    }
    text += groups[0] > 0 ? TriadInWords(int(groups[0]), AmountOrder::Roubles) : word(u"рублей ");
    text += MinorUnitText(kopecks);
    if (whole == 0)
        text.prepend(word(u"ноль "));
    // A sign only where something is left to owe after the kopecks are cut.
    if (units < 0 && (whole > 0 || kopecks > 0))
        text.prepend(word(u"минус "));
    text[0] = text[0].toUpper();
    return text;
}

} // namespace vi23
