// vi23-import: brings data from other files into the program's database, one subcommand per source.
#include "data/Backup.h"
#include "data/BankImport.h"
#include "data/Database.h"
#include "data/Error.h"
#include "data/RussianLanguage.h"
#include "data/RuFormat.h"
#include "help/CommandLine.h"
#include "import/JetImport.h"
#include "import/InPlaceConversion.h"
#include "import/ServerCopy.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

namespace {

struct Streams {
    QTextStream& out;
    QTextStream& err;
};

// A conversion of the file cut short at an earlier run is finished or undone first, and said so;
// true when it was finished.
bool reportRecovery(const QString& path, Streams io)
{
    const QString recovered = vi23::jet::recoverInterruptedConversion(path);
    if (!recovered.isEmpty())
        io.out << recovered << "\n";
    return !recovered.isEmpty() && !vi23::jet::JetFile::hasJetSignature(path);
}

// Without NEW the target is kn.mdb in the working folder; when that is the old file itself, it is
// converted where it lies, as the window does, and the old file is kept as kn.mdb.jet. --db names an
// empty server database instead (only given so: the variable VI23_DB never turns a conversion aside).
int importJet(const QStringList& arguments, Streams io)
{
    QStringList args = arguments;
    QString mistake;
    const qsizetype given = args.size();
    const QString server = vi23::help::takeDatabaseOption(args, {}, &mistake);
    const bool toServer = args.size() != given;
    if (!mistake.isEmpty() || args.size() < 1 || args.size() > (toServer ? 1 : 2) || args[0].startsWith(u'-'))
        return 2;
    const QString oldPath = args[0];
    const QString newPath = toServer ? server : args.size() == 2 ? args[1] : QStringLiteral("kn.mdb");
    const bool inPlace = QFileInfo(oldPath).absoluteFilePath() == QFileInfo(newPath).absoluteFilePath();
    if (inPlace && reportRecovery(oldPath, io))
        return 0;
    const vi23::jet::ImportResult result =
        inPlace ? vi23::jet::convertInPlace(oldPath) : vi23::jet::importJet(oldPath, newPath);
    for (const QString& skipped : result.skipped)
        io.out << "Пропущено (в программе нет для него места): " << skipped << "\n";
    for (const QString& line : vi23::jet::comparisonLines(result))
        io.out << line << "\n";
    if (inPlace)
        io.out << "Данные перенесены в новый файл " << newPath << "; прежний файл сохранён как "
               << vi23::jet::keptOldPath(oldPath) << "\n";
    else if (toServer)
        io.out << "Данные перенесены на сервер\n";
    else
        io.out << "Данные перенесены в новый файл " << newPath << "\n";
    return 0;
}

// Copies a file of the program into an empty server database, the counts and sums of both printed.
int importSqlite(const QStringList& args, Streams io)
{
    QStringList rest = args;
    QString mistake;
    const QString server = vi23::help::takeDatabaseOption(rest, {}, &mistake);
    if (!mistake.isEmpty() || server.isEmpty() || rest.size() != 1 || rest[0].startsWith(u'-'))
        return 2;
    const vi23::jet::ImportResult result = vi23::copyFileToServer(rest[0], server);
    QStringList lines = vi23::jet::comparisonLines(result);
    lines.replaceInStrings(QStringLiteral("в старом файле и в новом"), QStringLiteral("в файле и на сервере"));
    lines.replaceInStrings(QStringLiteral("в старом файле | в новом"), QStringLiteral("в файле | на сервере"));
    for (const QString& line : lines)
        io.out << line << "\n";
    io.out << "Данные файла " << rest[0] << " перенесены на сервер\n";
    return 0;
}

// Reads a statement into kn.mdb in the working folder (or the store --db or VI23_DB names), listing
// first what is added and skipped and why.
int importBank(const QStringList& args, Streams io)
{
    QStringList rest = args;
    QString mistake;
    const QString store = vi23::help::takeDatabaseOption(rest, QStringLiteral("kn.mdb"), &mistake);
    const bool checkOnly = rest.removeAll(QStringLiteral("--check")) > 0;
    if (!mistake.isEmpty() || rest.size() != 1 || rest[0].startsWith(u'-'))
        return 2;
    if (!vi23::isServerLocation(store))
        reportRecovery(store, io);
    auto db = vi23::Database::open(store);
    // The day's copy is kept before the import's change, as before any other; a check changes nothing.
    if (!checkOnly)
        vi23::enableDailyBackups(*db, [&io](const QString& message) { io.err << message << "\n"; });
    const vi23::ImportPlan plan = vi23::planImportFile(*db, rest[0]);
    io.out << "Кодировка файла: " << plan.encoding << "\n";
    for (const vi23::ImportLine& line : plan.lines) {
        io.out << (line.add ? "+ " : "- ") << vi23::ru::formatDate(line.date) << " № " << line.number << " "
               << line.sum.toFixed(2) << " " << (line.incoming ? "поступление" : "списание");
        if (!line.counterparty.isEmpty())
            io.out << " " << line.counterparty << (line.newCounterparty ? " (новый контрагент)" : "");
        if (line.add)
            io.out << " — " << (line.operation.isEmpty() ? QStringLiteral("без операции") : line.operation);
        if (!line.reason.isEmpty())
            io.out << ": " << line.reason;
        io.out << "\n";
    }
    // The check writes all of it too and takes it back, so it meets every refusal the import would.
    const int added = vi23::applyImport(*db, plan, checkOnly ? vi23::ApplyMode::TryOnly : vi23::ApplyMode::Store);
    io.out << (checkOnly ? "Проверка, ничего не записано. К добавлению: " : "Добавлено строк журнала: ")
           << added << ", пропущено: " << plan.skipped()
           << ", новых контрагентов: " << plan.counterparties.size() << "\n";
    return 0;
}

struct Command {
    const char* name;
    const char* synopsis;      // the command's line of the usage
    const char* description;   // what it does, for --help
    int (*run)(const QStringList& args, Streams io);
};

const Command kCommands[] = {
    {"jet", "vi23-import jet СТАРЫЙ.mdb [НОВЫЙ.mdb | --db postgresql://СЕРВЕР/БАЗА]\n",
     "      Переносит все строки одиннадцати таблиц из файла прежней версии программы (формат Jet 4)\n"
     "      в новый файл (по умолчанию kn.mdb в рабочей папке); существующий файл не перезаписывается,\n"
     "      старый файл только читается. Если старый файл и есть kn.mdb, он сохраняется как kn.mdb.jet.\n"
     "      С --db переносит их в пустую базу данных на сервере PostgreSQL.\n",
     importJet},
    {"sqlite", "vi23-import sqlite kn.mdb --db postgresql://СЕРВЕР/БАЗА\n",
     "      Переносит все строки файла программы в пустую базу данных на сервере PostgreSQL (перевод\n"
     "      офиса на сервер): значения без изменений, счётчики продолжаются с того же номера. Печатает\n"
     "      число строк каждой таблицы и суммы по годам в файле и на сервере; при расхождении ничего\n"
     "      не оставляет. Файл только читается.\n",
     importSqlite},
    {"bank", "vi23-import bank ФАЙЛ [--check] [--db БАЗА]\n",
     "      Загружает выписку банка (формат 1CClientBankExchange, Windows-1251, DOS или UTF-8) в журнал\n"
     "      базы kn.mdb в рабочей папке: каждый платёж становится строкой \"ПП\"; новые контрагенты\n"
     "      добавляются в список; уже загруженные платежи и переводы между своими счетами пропускаются.\n"
     "      Всё записывается одной транзакцией. С --check только показывает, что было бы добавлено.\n",
     importBank},
};

const QByteArray kUsage = [] {
    QByteArray usage = "Использование:\n";
    for (const Command& command : kCommands)
        usage += QByteArray("  ") + command.synopsis;
    return usage;
}();

const QByteArray kDetails = [] {
    QByteArray details = "Переносит данные из других файлов в базу данных программы.\n\nКоманды:\n";
    for (const Command& command : kCommands)
        details += QByteArray("  ") + QByteArray(command.synopsis).mid(int(sizeof("vi23-import ")) - 1) + command.description;
    return details + "  --help, --version\n"
                     "      эта справка; версия программы.\n"
                     "\n"
                     "Код выхода: 0 - готово, 1 - ошибка (ничего не записано), 2 - неверная командная строка.\n"
                     "\n"
                     "Примеры:\n"
                     "  vi23-import jet old/kn.mdb kn.mdb\n"
                     "  vi23-import bank выписка.txt --check\n"
                     "  vi23-import sqlite kn.mdb --db postgresql://server.office/vi23\n";
}();

const vi23::help::ProgramHelp kHelp = {"vi23-import", "перенос старого файла kn.mdb и загрузка выписок банка",
                                       kUsage.constData(), kDetails.constData()};

} // namespace

int main(int argc, char* argv[])
{
    if (const int answered = vi23::help::answerStandardOptions(argc, argv, kHelp); answered >= 0)
        return answered;
    QCoreApplication app(argc, argv);
    vi23::useRussianLanguage();
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    for (const Command& command : kCommands) {
        if (args.isEmpty() || args[0] != QLatin1String(command.name))
            continue;
        try {
            return command.run(args.mid(1), {out, err}) == 2
                       ? vi23::help::usageError(kHelp, QStringLiteral("Неверные аргументы команды %1").arg(args[0]))
                       : 0;
        } catch (const vi23::UserError& e) {
            out.flush();
            err << e.text() << "\n";
            return 1;
        }
    }
    return vi23::help::usageError(kHelp, args.isEmpty() ? QStringLiteral("Укажите команду: jet, sqlite или bank")
                                                        : QStringLiteral("Неизвестная команда %1").arg(args[0]));
}
