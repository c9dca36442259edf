// vi23-init: creates a new kn.mdb with every table, optionally filled with a sample enterprise;
// puts a daily backup copy back.
#include "DemoData.h"

#include "data/Backup.h"
#include "data/DataStore.h"
#include "data/Database.h"
#include "data/Error.h"

#include <QCoreApplication>
#include <QDate>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments().mid(1);
    bool demo = args.removeAll(QStringLiteral("--demo")) > 0;
    const bool force = args.removeAll(QStringLiteral("--force")) > 0;
    const qsizetype restoreAt = args.indexOf(QStringLiteral("--restore"));
    QString copy;
    if (restoreAt >= 0 && restoreAt + 1 < args.size()) {
        copy = args[restoreAt + 1];
        args.remove(restoreAt, 2);
        if (args.isEmpty())
            args << QStringLiteral("kn.mdb");
    }
    const bool restoring = !copy.isEmpty();
    if (args.size() != 1 || args[0].startsWith(u'-') || (restoring && demo) || (force && !restoring)
        || (restoreAt >= 0 && !restoring)) {
        err << "Использование: vi23-init [--demo] ФАЙЛ\n"
               "               vi23-init --restore КОПИЯ [--force] [ФАЙЛ]\n"
               "Создаёт новую базу данных программы со всеми таблицами и одной пустой строкой реквизитов.\n"
               "С --demo заполняет её примером предприятия. Существующий файл не перезаписывается.\n"
               "С --restore восстанавливает ФАЙЛ (по умолчанию kn.mdb) из резервной копии, например\n"
               "backup/kn-2026-12-08.mdb; существующий файл заменяется только с --force, его прежнее\n"
               "содержимое сохраняется в backup/.\n";
        return 2;
    }
    if (restoring) {
        try {
            const QString kept = vi23::restoreBackup(copy, args[0], force);
            out << "База данных " << args[0] << " восстановлена из копии " << copy << "\n";
            if (!kept.isEmpty())
                out << "Прежнее содержимое сохранено в " << kept << "\n";
            return 0;
        } catch (const vi23::UserError& e) {
            err << e.text() << "\n";
            return 1;
        }
    }
    try {
        vi23::Database::create(args[0]);
        out << "Создана база данных " << args[0] << "\n";
        if (demo) {
            vi23::DataStore store(args[0]);
            QDate today = QDate::currentDate();
            vi23::DemoCounts counts = vi23::fillDemoData(store, today.year(), today);
            out << "Пример предприятия: " << counts.goods << " товаров, " << counts.counterparties
                << " контрагентов, " << counts.operations << " типовых операций, " << counts.documents
                << " документов, " << counts.journalEntries << " записей журнала\n";
        }
    } catch (const vi23::UserError& e) {
        err << e.text() << "\n";
        return 1;
    }
    return 0;
}
