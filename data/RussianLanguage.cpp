#include "RussianLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace vi23 {

bool useRussianLanguage()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    bool loaded = false;
    for (const char* name : {"qtbase_ru", "qt_ru"}) {
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(QString::fromLatin1(name), folder) && QCoreApplication::installTranslator(translator))
            loaded = true;
        else
            delete translator;
    }
    return loaded;
}

} // namespace vi23
