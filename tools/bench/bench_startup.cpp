// vi23-bench-startup: the time from start to a usable main window over the sample enterprise with
// 100,000 journal rows and 20,000 documents.
#include "app/MainWindow.h"
#include "data/Database.h"
#include "data/DataStore.h"
#include "data/Error.h"
#include "tools/DemoData.h"
#include "help/CommandLine.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

const vi23::help::ProgramHelp kHelp = {
    "vi23-bench-startup", "замер времени открытия главного окна на большой базе",
    "Использование:\n"
    "  vi23-bench-startup\n",
    "Строит во временной папке пример предприятия со 100000 строк журнала и 20000 документов и три раза\n"
    "печатает время от начала до готового к работе главного окна.\n"};

} // namespace

int main(int argc, char* argv[])
{
    if (const int answered = vi23::help::answerStandardOptions(argc, argv, kHelp); answered >= 0)
        return answered;
    if (argc > 1)
        return vi23::help::usageError(kHelp, QStringLiteral("Неизвестный аргумент %1").arg(QString::fromLocal8Bit(argv[1])));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    try {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("kn.mdb"));
        vi23::Database::create(path);
        {
            vi23::DataStore store(path);
            vi23::fillDemoData(store, 2026, QDate(2026, 12, 31));
            vi23::Database& db = store.database();
            vi23::Database::Transaction unit(db);
            db.exec(QStringLiteral(
                "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 100000) "
                "INSERT INTO jur (dd, nn, dok, sr, vr, s, k) SELECT date('2016-01-01', '+' || (i * 3650 / 100000) || ' days'), "
                "i % 99999, CASE i % 4 WHEN 0 THEN 'ПП' WHEN 1 THEN 'КО' WHEN 2 THEN 'ТН' ELSE 'А' END, 'Выручка наличными', "
                "'Приход', (i * 7919) % 100000000, 'ООО «Вектор»' FROM c"));
            db.exec(QStringLiteral(
                "WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < 20000) "
                "INSERT INTO jur1 (dok, n, dd, z, naz0, kol0, cen0, nds0, s0, sss) SELECT 'Счет', i, "
                "date('2016-01-01', '+' || (i % 3650) || ' days'), 'ООО «Вектор»', 'Ремонт принтера', 1, 18500000, 20, "
                "22200000, 22200000 FROM c"));
            unit.commit();
        }
        QDir::setCurrent(dir.path());
        for (int run = 1; run <= 3; ++run) {
            QElapsedTimer timer;
            timer.start();
            vi23::TForm1 window(QStringLiteral("kn.mdb"));
            const double created = double(timer.nsecsElapsed()) / 1e6;
            window.show();
            window.FormActivate();
            QApplication::processEvents();
            const double usable = double(timer.nsecsElapsed()) / 1e6;
            out << QStringLiteral("run %1: window created in %2 ms, shown and usable in %3 ms (target 1000); %4 journal rows, %5 documents\n")
                       .arg(run).arg(created, 0, 'f', 0).arg(usable, 0, 'f', 0)
                       .arg(window.store().jur().recordCount()).arg(window.store().jur1().recordCount());
            out.flush();
        }
    } catch (const vi23::UserError& e) {
        QTextStream(stderr) << e.text() << "\n";
        return 1;
    }
    return 0;
}
