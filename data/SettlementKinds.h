#pragma once
// The two kinds of settlement a typical operation has (`sr.vr`, copied to the journal's `vr`): money
// coming in and money going out. The books add the one and subtract the other.
#include <QString>

namespace vi23 {

inline const QString kIncomeSettlement = QStringLiteral("Приход");
inline const QString kExpenseSettlement = QStringLiteral("Расход");

// The kind for a text written in any letter case or with blanks around it; empty for anything else.
inline QString settlementKind(const QString& text)
{
    const QString trimmed = text.trimmed();
    for (const QString& kind : {kIncomeSettlement, kExpenseSettlement}) {
        if (trimmed.compare(kind, Qt::CaseInsensitive) == 0)
            return kind;
    }
    return {};
}

} // namespace vi23
