// vi23: the program entry. Russian formats whatever the machine's locale.
#include "OldFormat.h"
#include "MainWindow.h"

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
    std::unique_ptr<vi23::TForm1> mainWindow;
    try {
        mainWindow = std::make_unique<vi23::TForm1>(QStringLiteral("kn.mdb"));
    } catch (const vi23::UserError& e) {
        vi23::ui::reportError(nullptr, e.text());
        return 1;
    }
    mainWindow->show();
    return app.exec();
}
