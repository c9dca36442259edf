#include "DocumentNumbers.h"

#include "DataSet.h"
#include "Database.h"
#include "RuFormat.h"

namespace vi23 {

void numberNewDocument(DataSet& documents)
{
    if (!documents.isProposed(u"n"))
        return;
    Database& db = documents.database();
    if (const QString lock = db.dialect().numberingLock(QStringLiteral("jur1")); !lock.isEmpty())
        db.exec(lock);
    Statement taken = db.prepare(QStringLiteral("SELECT 1 FROM jur1 WHERE dok = ?1 AND trim(n) = ?2"));
    const QString kind = documents.text(u"dok");
    long long number = ru::parseInteger(documents.text(u"n"));
    for (;; ++number) {
        taken.reset();
        taken.bind(1, kind);
        taken.bind(2, QString::number(number));
        if (!taken.step())
            break;
    }
    documents.propose(u"n", QString::number(number));
}

} // namespace vi23
