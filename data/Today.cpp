#include "Today.h"

#include "RuFormat.h"

namespace vi23 {

QDate today()
{
    const QString fixed = qEnvironmentVariable("VI23_TODAY");
    if (!fixed.isEmpty()) {
        if (const std::optional<QDate> date = ru::tryParseDate(fixed))
            return *date;
    }
    return QDate::currentDate();
}

} // namespace vi23
