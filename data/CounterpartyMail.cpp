#include "CounterpartyMail.h"

#include "DataSet.h"
#include "Database.h"
#include "Error.h"
#include "RuFormat.h"
#include "Schema.h"

#include <QRegularExpression>

namespace vi23 {

bool isMailAddress(const QString& text)
{
    // The local part: letters, digits and the signs mail allows, dots only between them; the domain:
    // labels of letters, digits and inner hyphens, the last one of two letters or more.
    static const QRegularExpression address(
        QStringLiteral("^[\\w!#$%&'*+/=?^`{|}~-]+(\\.[\\w!#$%&'*+/=?^`{|}~-]+)*"
                       "@([\\w](?:[\\w-]{0,61}[\\w])?\\.)+[^\\W\\d_]{2,63}$"),
        QRegularExpression::UseUnicodePropertiesOption);
    return text.size() <= 254 && address.match(text).hasMatch();
}

void checkCounterpartyMail(DataSet& counterparties)
{
    const QString mail = counterparties.text(kCounterpartyMailField).trimmed();
    if (mail.isEmpty() || isMailAddress(mail)) {
        if (mail != counterparties.text(kCounterpartyMailField))
            counterparties.setText(kCounterpartyMailField, mail);
        return;
    }
    throw UserError(QStringLiteral("«%1» в поле «Эл. почта» не адрес электронной почты. Запишите один адрес, "
                                   "например buh@firma.ru, или оставьте поле пустым")
                        .arg(ru::quoteForMessage(mail)));
}

QString counterpartyMail(Database& db, const QString& name)
{
    if (name.isEmpty() || !db.hasColumn(QStringLiteral("k"), kCounterpartyMailField))
        return {};
    Statement query = db.prepare(QStringLiteral("SELECT %1 FROM k WHERE k = ?1 COLLATE %2 AND %1 <> '' ORDER BY rowid LIMIT 1")
                                     .arg(quoteIdentifier(kCounterpartyMailField), QLatin1String(kNoCaseCollation)));
    query.bind(1, name);
    return query.step() ? query.text(0) : QString();
}

} // namespace vi23
