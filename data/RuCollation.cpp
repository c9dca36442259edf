#include "RuCollation.h"

#include "Error.h"

#include <QString>
#include <unicode/ucol.h>

#include <cstring>
#include <memory>

namespace vi23 {

namespace {

struct CollatorDeleter {
    void operator()(UCollator* c) const { ucol_close(c); }
};

// ICU's collator, the one Qt's QCollator stands on, with the Cyrillic script first as Russian has
// it. Its stock Russian order takes Ё for Е with a mark (Фёдоров before Федотов); the tailoring
// makes it the letter after Е. Secondary strength: letter case is ignored.
const UCollator* collator()
{
    static const std::unique_ptr<UCollator, CollatorDeleter> instance = [] {
        static const char16_t rules[] = u"[reorder Cyrl] &е<ё<<<Ё";
        UErrorCode status = U_ZERO_ERROR;
        UCollator* c = ucol_openRules(reinterpret_cast<const UChar*>(rules), -1, UCOL_ON, UCOL_SECONDARY, nullptr,
                                      &status);
        if (U_FAILURE(status))
            throw UserError(QStringLiteral("Не удалось создать русское упорядочение строк: %1")
                                .arg(QString::fromLatin1(u_errorName(status))));
        return std::unique_ptr<UCollator, CollatorDeleter>(c);
    }();
    return instance.get();
}

int sign(int v)
{
    return v < 0 ? -1 : v > 0 ? 1 : 0;
}

} // namespace

int ruCompare(QStringView a, QStringView b)
{
    const UCollationResult r = ucol_strcoll(collator(), reinterpret_cast<const UChar*>(a.utf16()), int(a.size()),
                                            reinterpret_cast<const UChar*>(b.utf16()), int(b.size()));
    if (r != UCOL_EQUAL)
        return r == UCOL_LESS ? -1 : 1;
    // Texts the collator takes as equal stay apart unless they differ only in letter case.
    return sign(a.toString().toCaseFolded().compare(b.toString().toCaseFolded()));
}

int ruCompareUtf8(const char* a, int lengthA, const char* b, int lengthB)
{
    // The same bytes are the same text: the store's kind tests mostly meet their own spelling.
    if (lengthA == lengthB && std::memcmp(a, b, size_t(lengthA)) == 0)
        return 0;
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult r = ucol_strcollUTF8(collator(), a, lengthA, b, lengthB, &status);
    if (U_SUCCESS(status) && r != UCOL_EQUAL)
        return r == UCOL_LESS ? -1 : 1;
    return ruCompare(QString::fromUtf8(a, lengthA), QString::fromUtf8(b, lengthB));
}

QByteArray ruSortKey(QStringView text)
{
    const auto* chars = reinterpret_cast<const UChar*>(text.utf16());
    QByteArray key(int(text.size()) * 4 + 16, Qt::Uninitialized);
    int length = ucol_getSortKey(collator(), chars, int(text.size()), reinterpret_cast<uint8_t*>(key.data()),
                                 int(key.size()));
    if (length > key.size()) {
        key.resize(length);
        length = ucol_getSortKey(collator(), chars, int(text.size()), reinterpret_cast<uint8_t*>(key.data()),
                                 int(key.size()));
    }
    // The key ends in its only zero byte; the folded text after it breaks the collator's ties as
    // ruCompare does.
    key.resize(length);
    key += text.toString().toCaseFolded().toUtf8();
    return key;
}

} // namespace vi23
