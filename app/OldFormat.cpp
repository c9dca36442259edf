#include "OldFormat.h"

#include "data/Error.h"
#include "import/InPlaceConversion.h"
#include "ui/Messages.h"

#include <QFileInfo>
#include <QStringList>

namespace vi23 {

bool convertOldFormatIfWanted(const QString& path)
{
    try {
        // A conversion cut short at the last start is finished or undone before anything else.
        if (const QString recovered = jet::recoverInterruptedConversion(path); !recovered.isEmpty())
            ui::showInformation(nullptr, recovered);
    } catch (const UserError& e) {
        ui::reportError(nullptr, e.text());
        return false;
    }
    if (!jet::JetFile::hasJetSignature(path))
        return true;
    const QString question = QStringLiteral("Файл %1 создан прежней версией программы. Перенести данные в новый формат?");
    if (!ui::askYesNo(nullptr, question.arg(QFileInfo(path).fileName())))
        return false;
    try {
        const jet::ImportResult result = jet::convertInPlace(path);
        QString text = QStringLiteral("Данные перенесены в новый формат. Прежний файл сохранён как %1.\n"
                                      "Сравните строки и суммы с книгами прежней программы:\n%2")
                           .arg(jet::keptOldPath(path), jet::comparisonLines(result).join(u'\n'));
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
