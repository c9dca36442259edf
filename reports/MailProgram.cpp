#include "MailProgram.h"

#include "data/Error.h"

#include <QProcess>
#include <QStandardPaths>

namespace vi23 {

bool mailProgramSet()
{
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-email")).isEmpty())
        return false;
    if (!qEnvironmentVariableIsEmpty("MAILER"))
        return true;
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                             QStringLiteral("x-scheme-handler/mailto")});
    if (!query.waitForFinished(10000) || query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return false;
    return !query.readAllStandardOutput().trimmed().isEmpty();
}

void openMailWithAttachment(const MailEnvelope& envelope, const QString& file)
{
    QStringList arguments{QStringLiteral("--utf8"), QStringLiteral("--subject"), envelope.subject,
                          QStringLiteral("--attach"), file};
    if (!envelope.address.isEmpty())
        arguments << envelope.address;
    // The mail program may stay open long after the message is written: it is not waited for.
    if (!QProcess::startDetached(QStringLiteral("xdg-email"), arguments))
        throw UserError(QStringLiteral("Не удалось запустить xdg-email, чтобы открыть почтовую программу"));
}

} // namespace vi23
