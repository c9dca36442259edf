#include "OldFormat.h"

#include "data/Error.h"
#include "import/JetImport.h"
#include "ui/Messages.h"

#include <QFileInfo>
#include <QStringList>

namespace vi23 {

bool convertOldFormatIfWanted(const QString& path)
{
    if (!jet::JetFile::hasJetSignature(path))
        return true;
    const QString question = QStringLiteral("Файл %1 создан прежней версией программы. Перенести данные в новый формат?");
    if (!ui::askYesNo(nullptr, question.arg(QFileInfo(path).fileName())))
        return false;
    try {
        const jet::ImportResult result = jet::convertInPlace(path);
        QStringList counts;
        for (const jet::TableCount& count : result.counts)
            counts << QStringLiteral("%1: %2").arg(count.table).arg(count.newRows);
        QString text = QStringLiteral("Данные перенесены в новый формат. Строк в таблицах: %1.\nПрежний файл сохранён как %2.")
                           .arg(counts.join(QStringLiteral(", ")), jet::keptOldPath(path));
        if (!result.skipped.isEmpty())
            text += QStringLiteral("\nПропущено (в программе нет для него места): %1.").arg(result.skipped.join(QStringLiteral("; ")));
        ui::showInformation(nullptr, text);
        return true;
    } catch (const UserError& e) {
        ui::reportError(nullptr, e.text());
        return false;
    }
}

} // namespace vi23
