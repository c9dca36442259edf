// vi23-screens DIR: opens the main window over kn.mdb in the working directory, as the program
// does, and saves a picture of each of its seven tabs into DIR (tab1.png … tab7.png).
#include "app/MainWindow.h"
#include "data/Error.h"
#include "data/RussianLanguage.h"
#include "help/CommandLine.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTabWidget>
#include <QTextStream>

namespace {

const vi23::help::ProgramHelp kHelp = {
    "vi23-screens", "снимки вкладок главного окна для документации",
    "Использование:\n"
    "  vi23-screens ПАПКА\n"
    "  vi23-screens --desktop ФАЙЛ.png\n",
    "Открывает главное окно над kn.mdb в текущей папке и сохраняет в ПАПКУ снимок каждой из семи\n"
    "вкладок: tab1.png ... tab7.png. С --desktop снимает весь экран со всеми окнами в ФАЙЛ.png.\n"
    "Обычно его запускает tools/screenshots.sh под Xvfb.\n"};

// The whole screen as the X server shows it, window frames and other programs' windows included.
int saveDesktop(const QString& file)
{
    if (QGuiApplication::primaryScreen()->grabWindow(0).save(file))
        return 0;
    QTextStream(stderr) << "Не удалось записать " << file << "\n";
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    if (const int answered = vi23::help::answerStandardOptions(argc, argv, kHelp); answered >= 0)
        return answered;
    const bool desktop = argc == 3 && QByteArray(argv[1]) == "--desktop";
    if ((argc != 2 || argv[1][0] == '-') && !desktop)
        return vi23::help::usageError(kHelp);
    QApplication app(argc, argv);
    vi23::useRussianLanguage();
    if (desktop)
        return saveDesktop(QString::fromLocal8Bit(argv[2]));
    const QDir out(QString::fromLocal8Bit(argv[1]));
    try {
        vi23::TForm1 window(QStringLiteral("kn.mdb"));
        window.show();
        window.activateWindow();
        QApplication::processEvents();
        window.FormActivate();
        for (int tab = 0; tab < window.tabs()->count(); ++tab) {
            window.tabs()->setCurrentIndex(tab);
            QApplication::processEvents();
            const QString file = out.filePath(QStringLiteral("tab%1.png").arg(tab + 1));
            if (!window.grab().save(file))
                throw vi23::UserError(QStringLiteral("Не удалось записать %1").arg(file));
            QTextStream(stdout) << file << "\n";
        }
    } catch (const vi23::UserError& e) {
        QTextStream(stderr) << e.text() << "\n";
        return 1;
    }
    return 0;
}
