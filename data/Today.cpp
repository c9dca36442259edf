#include "Today.h"

#include <QString>

namespace vi23 {

QDate today()
{
    const QByteArray fixed = qgetenv("VI23_TODAY");
    if (!fixed.isEmpty()) {
        const QDate date = QDate::fromString(QString::fromLatin1(fixed), QStringLiteral("dd.MM.yyyy"));
        if (date.isValid())
            return date;
    }
    return QDate::currentDate();
}

} // namespace vi23
