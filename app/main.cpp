// vi23: the program entry. Russian formats whatever the machine's locale.
#include "OldFormat.h"
#include "ProgramWindow.h"

#include "data/Error.h"
#include "ui/Messages.h"

#include <QApplication>
#include <QFont>
#include <QLocale>

int main(int argc, char* argv[])
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("vi23"));
    vi23::ui::installRussianTranslations();
    if (!vi23::convertOldFormatIfWanted(QStringLiteral("kn.mdb")))
        return 1;
    vi23::ProgramWindow program(QStringLiteral("kn.mdb"));
    if (!program.open())
        return 1;
    return app.exec();
}
