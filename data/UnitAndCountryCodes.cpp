#include "UnitAndCountryCodes.h"

#include <QStringView>
#include <initializer_list>
#include <utility>

namespace vi23 {

namespace {

QString codeOf(const QString& text, std::initializer_list<std::pair<const char16_t*, const char*>> codes)
{
    const QString name = text.trimmed().toCaseFolded();
    for (const auto& [known, code] : codes) {
        if (name == QStringView(known))
            return QString::fromLatin1(code);
    }
    return {};
}

} // namespace

QString unitCodeOf(const QString& unit)
{
    return codeOf(unit, {{u"шт", "796"}, {u"шт.", "796"}, {u"пач", "728"}, {u"уп", "778"}, {u"упак", "778"},
                         {u"час", "356"}, {u"ч", "356"}, {u"кг", "166"}, {u"г", "163"}, {u"т", "168"},
                         {u"л", "112"}, {u"м", "006"}, {u"м2", "055"}, {u"м3", "113"}, {u"компл", "839"},
                         {u"усл", "876"}, {u"усл. ед", "876"}, {u"усл. ед.", "876"}});
}

QString countryCodeOf(const QString& country)
{
    return codeOf(country, {{u"россия", "643"}, {u"китай", "156"}, {u"беларусь", "112"}, {u"казахстан", "398"},
                            {u"польша", "616"}, {u"германия", "276"}, {u"италия", "380"}, {u"турция", "792"},
                            {u"япония", "392"}, {u"корея", "410"}, {u"индия", "356"}, {u"сша", "840"},
                            {u"армения", "051"}, {u"узбекистан", "860"}, {u"киргизия", "417"},
                            {u"кыргызстан", "417"}, {u"азербайджан", "031"}, {u"грузия", "268"},
                            {u"франция", "250"}, {u"великобритания", "826"}, {u"оаэ", "784"}, {u"вьетнам", "704"}});
}

} // namespace vi23
