// vi23-init: creates a new kn.mdb with every table, optionally filled with a sample enterprise.
#include "DemoData.h"

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
    if (args.size() != 1 || args[0].startsWith(u'-')) {
        err << "Использование: vi23-init [--demo] ФАЙЛ\n"
               "Создаёт новую базу данных программы со всеми таблицами и одной пустой строкой реквизитов.\n"
               "С --demo заполняет её примером предприятия. Существующий файл не перезаписывается.\n";
        return 2;
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
