// vi23-init: creates a new kn.mdb with every table, optionally filled with a sample enterprise;
// puts a daily backup copy back.
#include "DemoData.h"

#include "data/Backup.h"
#include "data/DataStore.h"
#include "data/Database.h"
#include "data/Error.h"
#include "data/RussianLanguage.h"
#include "data/Today.h"
#include "help/CommandLine.h"

#include <QCoreApplication>
#include <QDate>
#include <QRegularExpression>
#include <QTextStream>

namespace {

const vi23::help::ProgramHelp kHelp = {
    "vi23-init", "создание новой базы данных kn.mdb и восстановление базы из резервной копии",
    "Использование:\n"
    "  vi23-init [--demo] ФАЙЛ\n"
    "  vi23-init [--demo] --db postgresql://СЕРВЕР/БАЗА\n"
    "  vi23-init --restore КОПИЯ [--force] [ФАЙЛ]\n",
    "Создаёт новую базу данных программы со всеми таблицами и одной пустой строкой реквизитов.\n"
    "Существующий файл не перезаписывается; файл, который не удалось записать до конца (нет места\n"
    "на диске), удаляется. С --db (или без ФАЙЛА, если задана переменная окружения VI23_DB) создаёт\n"
    "таблицы в пустой базе данных на сервере PostgreSQL; базу, где таблицы программы уже есть, не\n"
    "трогает. Пароль к серверу берётся из ~/.pgpass или PGPASSWORD.\n"
    "\n"
    "Ключи:\n"
    "  --demo\n"
    "      заполняет новую базу примером предприятия: реквизиты, товары со ставками НДС 2026 года,\n"
    "      контрагенты, типовые операции, документы всех видов и журнал с начала года.\n"
    "  --restore КОПИЯ\n"
    "      восстанавливает ФАЙЛ (по умолчанию kn.mdb) из резервной копии, например\n"
    "      backup/kn-2026-12-08.mdb, проверив её целостность.\n"
    "  --force\n"
    "      с --restore заменяет существующий ФАЙЛ; его прежнее содержимое сохраняется в backup/.\n"
    "  --help, --version\n"
    "      эта справка; версия программы.\n"
    "\n"
    "Примеры:\n"
    "  vi23-init kn.mdb\n"
    "  vi23-init --demo ~/пример/kn.mdb\n"
    "  vi23-init --db postgresql://server.office/vi23\n"
    "  vi23-init --restore backup/kn-2026-12-08.mdb --force\n"};

void restore(const QString& copy, const QString& target, bool force, QTextStream& out)
{
    const QString kept = vi23::restoreBackup(copy, target, force);
    out << "База данных " << target << " восстановлена из копии " << copy << "\n";
    if (!kept.isEmpty())
        out << "Прежнее содержимое сохранено в " << kept << "\n";
}

void create(const QString& target, bool demo, QTextStream& out)
{
    vi23::Database::create(target);
    out << "Создана база данных " << target << "\n";
    if (!demo)
        return;
    vi23::DataStore store(target);
    const QDate today = vi23::today();
    const vi23::DemoCounts counts = vi23::fillDemoData(store, today.year(), today);
    out << "Пример предприятия: " << counts.goods << " товаров, " << counts.counterparties << " контрагентов, "
        << counts.operations << " типовых операций, " << counts.documents << " документов, "
        << counts.journalEntries << " записей журнала\n";
}

} // namespace

int main(int argc, char* argv[])
{
    if (const int answered = vi23::help::answerStandardOptions(argc, argv, kHelp); answered >= 0)
        return answered;
    QCoreApplication app(argc, argv);
    vi23::useRussianLanguage();
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments().mid(1);
    const qsizetype given = args.size();
    QString mistake;
    const QString location = vi23::help::takeDatabaseOption(args, {}, &mistake);
    if (!mistake.isEmpty())
        return vi23::help::usageError(kHelp, mistake);
    const bool dbOption = args.size() != given;
    const bool demo = args.removeAll(QStringLiteral("--demo")) > 0;
    const bool force = args.removeAll(QStringLiteral("--force")) > 0;
    const qsizetype restoreAt = args.indexOf(QStringLiteral("--restore"));
    QString copy;
    if (restoreAt >= 0 && restoreAt + 1 < args.size()) {
        copy = args[restoreAt + 1];
        args.remove(restoreAt, 2);
    }
    const bool restoring = !copy.isEmpty();
    // The store named by --db, else by the argument, else by VI23_DB (a restore's by --db only, else kn.mdb).
    if (dbOption && !args.isEmpty())
        return vi23::help::usageError(kHelp, QStringLiteral("Укажите либо ФАЙЛ, либо --db"));
    if (args.isEmpty() && (dbOption || (!location.isEmpty() && !restoring)))
        args << location;
    else if (args.isEmpty() && restoring)
        args << QStringLiteral("kn.mdb");
    if (args.size() != 1 || args[0].startsWith(u'-') || (restoring && demo) || (force && !restoring)
        || (restoreAt >= 0 && !restoring)) {
        const QStringList unknown = args.filter(QRegularExpression(QStringLiteral("^-")));
        return vi23::help::usageError(kHelp, unknown.isEmpty() ? QString() : QStringLiteral("Неизвестный ключ %1").arg(unknown.first()));
    }
    try {
        if (restoring)
            restore(copy, args[0], force, out);
        else
            create(args[0], demo, out);
    } catch (const vi23::UserError& e) {
        err << e.text() << "\n";
        return 1;
    }
    return 0;
}
