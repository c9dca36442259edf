// vi23: the program entry. Russian formats whatever the machine's locale.
#include "DataFolder.h"
#include "OldFormat.h"
#include "ProgramWindow.h"

#include "help/CommandLine.h"
#include "data/RussianLanguage.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

namespace {

const vi23::help::ProgramHelp kHelp = {
    "vi23", "бухгалтерия малого предприятия на УСН: документы, журнал операций, книги (\"Вельмар\")",
    "Использование:\n"
    "  vi23 [ПАПКА | ФАЙЛ]\n"
    "  vi23 --user-folder\n"
    "  vi23 --db postgresql://СЕРВЕР/БАЗА\n",
    "Открывает главное окно программы над базой данных: выписка и печать документов, журнал\n"
    "хозяйственных операций, книга учета доходов и расходов, книги расчетов, кассовая книга, списки\n"
    "товаров, типовых операций и контрагентов, реквизиты предприятия.\n"
    "\n"
    "Где лежат данные:\n"
    "  без аргументов\n"
    "      kn.mdb в текущей папке.\n"
    "  ПАПКА\n"
    "      kn.mdb в этой папке. Если базы там нет, программа предлагает создать пустую (и саму папку,\n"
    "      если её нет).\n"
    "  ФАЙЛ\n"
    "      этот файл базы данных (например, копия из папки backup/).\n"
    "  --user-folder\n"
    "      папка данных пользователя $XDG_DATA_HOME/vi23, по умолчанию ~/.local/share/vi23; так\n"
    "      программу запускает пункт меню. При первом запуске папка создаётся, а пустая база\n"
    "      kn.mdb - с согласия пользователя.\n"
    "  --db СТРОКА\n"
    "      база данных на сервере PostgreSQL, одна на несколько рабочих мест: строка подключения\n"
    "      libpq (postgresql://server.office/vi23 или \"host=server.office dbname=vi23\"); пароль -\n"
    "      из ~/.pgpass или PGPASSWORD, шифрование - по параметру sslmode. Без аргументов программа\n"
    "      берёт базу из переменной окружения VI23_DB, если она задана.\n"
    "  --help, --version\n"
    "      эта справка; версия программы.\n"
    "\n"
    "Программа работает в папке открытой базы: рядом с ней папка резервных копий backup/. Заголовок\n"
    "окна показывает открытый файл. Файл прежней версии программы (формат Jet 4) программа предлагает\n"
    "перенести в новый формат при открытии.\n"
    "\n"
    "Клавиши:\n"
    "  F1\n"
    "      руководство пользователя (также кнопка на вкладке \"О программе\").\n"
    "  Ctrl+PgDown, Ctrl+PgUp\n"
    "      следующая и предыдущая вкладка.\n"
    "\n"
    "См. также: vi23-init, vi23-print, vi23-import.\n"};

} // namespace

int main(int argc, char* argv[])
{
    if (const int answered = vi23::help::answerStandardOptions(argc, argv, kHelp); answered >= 0)
        return answered;
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("vi23"));
    QGuiApplication::setDesktopFileName(QStringLiteral("vi23"));
    const vi23::DatabaseLocation location = vi23::locateDatabase(app.arguments().mid(1));
    if (!location.mistake.isEmpty())
        return vi23::help::usageError(kHelp, location.mistake);
    vi23::useRussianLanguage();
    if (!location.server) {
        if (!vi23::ensureDatabase(nullptr, location))
            return 1;
        // Relative paths (backups, saved reports) start beside the data.
        QDir::setCurrent(QFileInfo(location.file).absolutePath());
        if (!vi23::convertOldFormatIfWanted(location.file))
            return 1;
    }
    vi23::ProgramWindow program(location.file);
    if (!program.open())
        return 1;
    return app.exec();
}
