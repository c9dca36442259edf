#include "Manual.h"

#include <QDir>
#include <QFileInfo>

namespace vi23::help {

QStringList manualCandidates(const QString& programFolder)
{
    const QDir folder(programFolder);
    return {QDir::cleanPath(folder.filePath(QStringLiteral("../share/vi23/manual/index.html"))),
            QDir::cleanPath(folder.filePath(QStringLiteral("../docs/manual/index.html")))};
}

QString findManual(const QString& programFolder)
{
    for (const QString& candidate : manualCandidates(programFolder)) {
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return {};
}

} // namespace vi23::help
