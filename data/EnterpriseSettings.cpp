#include "EnterpriseSettings.h"

#include "Database.h"
#include "DocumentMoney.h"
#include "Error.h"
#include "RuFormat.h"
#include "Settings.h"

#include <QRegularExpression>

namespace vi23 {

int defaultVatRate(Database& db)
{
    // The stored number; anything else (written by another program) is the general rate rather
    // than a refusal to add goods.
    bool ok = false;
    const int rate = readSetting(db, kDefaultVatSetting).toInt(&ok);
    return ok && (rate >= 0 || isVatExempt(rate)) ? rate : kGeneralVatRate;
}

void setDefaultVatRate(Database& db, int ratePercent)
{
    writeSetting(db, kDefaultVatSetting, QString::number(ratePercent));
}

FormSet formSet(Database& db)
{
    return formSetOf(readSetting(db, kFormSetSetting));
}

void setFormSet(Database& db, FormSet set)
{
    writeSetting(db, kFormSetSetting, formSetText(set));
}

QString registrationText(const SoleTraderRegistration& registration)
{
    return QStringLiteral("ОГРНИП %1 от %2").arg(registration.ogrnip, ru::formatDate(registration.assigned));
}

std::optional<SoleTraderRegistration> parseRegistration(const QString& rup)
{
    static const QRegularExpression layout(
        QStringLiteral("^\\s*ОГРНИП\\s+(\\d{15})\\s+от\\s+(\\d{2}\\.\\d{2}\\.\\d{4})\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = layout.match(rup);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date = QDate::fromString(match.captured(2), QStringLiteral("dd.MM.yyyy"));
    if (!date.isValid())
        return std::nullopt;
    return SoleTraderRegistration{match.captured(1), date};
}

void checkRegistration(const QString& rup)
{
    if (rup.trimmed().isEmpty() || parseRegistration(rup))
        return;
    throw UserError(QStringLiteral("«%1»: ОГРНИП и дату его присвоения запишите так: «ОГРНИП 304770000000011 от "
                                   "15.03.2012» (15 цифр и дата дд.мм.гггг)")
                        .arg(ru::quoteForMessage(rup)));
}

int transferStatus(Database& db, long long key)
{
    if (!db.hasColumn(QStringLiteral("jur1"), kTransferStatusColumn))
        return 1;
    Statement query = db.prepare(QStringLiteral("SELECT %1 FROM jur1 WHERE k = ?1").arg(kTransferStatusColumn));
    query.bind(1, Value(std::int64_t(key)));
    return query.step() && !query.isNull(0) ? int(query.integer(0)) : 1;
}

void setTransferStatus(Database& db, long long key, int status)
{
    if (status != 1 && status != 2)
        throw UserError(QStringLiteral("Статус УПД — 1 или 2, а не %1").arg(status));
    if (!db.hasColumn(QStringLiteral("jur1"), kTransferStatusColumn))
        throw UserError(QStringLiteral("Статус УПД не сохранен: файл базы данных был открыт только для чтения "
                                       "или занят другой программой; перезапустите программу"));
    Statement update = db.prepare(QStringLiteral("UPDATE jur1 SET %1 = ?1 WHERE k = ?2").arg(kTransferStatusColumn));
    update.bind(1, Value(std::int64_t(status)));
    update.bind(2, Value(std::int64_t(key)));
    update.run();
}

} // namespace vi23
