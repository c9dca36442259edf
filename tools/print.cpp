// vi23-print: prints a document or a book of kn.mdb without the window, to the default printer, to
// PDF or as the layout dump, and writes a book or a data set's rows as CSV or an .xlsx workbook.
#include "books/BookPrinting.h"
#include "books/BookSheets.h"
#include "data/Backup.h"
#include "data/DataStore.h"
#include "data/EnterpriseSettings.h"
#include "data/Error.h"
#include "data/RussianLanguage.h"
#include "data/HandOver.h"
#include "data/RuFormat.h"
#include "data/SafeOutput.h"
#include "documents/DocumentPrinting.h"
#include "documents/ElectronicDocument.h"
#include "help/CommandLine.h"
#include "reports/PreparedReport.h"
#include "reports/PrintRequest.h"
#include "reports/ReportPreparer.h"
#include "reports/ReportRenderer.h"
#include "reports/templates/BuiltInTemplates.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryFile>
#include <QTextStream>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <unistd.h>
#include <optional>
#include <vector>

namespace {

using vi23::UserError;

const vi23::help::ProgramHelp kHelp = {
    "vi23-print", "печать документов и книг и выгрузка таблиц базы kn.mdb без окна программы",
    "Использование:\n"
    "  vi23-print document КЛЮЧ [--forms described|2026] [--pdf ФАЙЛ | --layout ФАЙЛ | --edo ПАПКА]\n"
    "  vi23-print book \"ВИД\" --from дд.ММ.гггг --to дд.ММ.гггг [--forms described|2026]\n"
    "                  [--counterparty НАИМЕНОВАНИЕ] [--pdf ФАЙЛ | --layout ФАЙЛ | --xlsx ФАЙЛ]\n"
    "  vi23-print rows НАБОР_ДАННЫХ [--filter ТЕКСТ] [--csv ФАЙЛ | --xlsx ФАЙЛ]\n"
    "  к любой команде: [--db ФАЙЛ | --db postgresql://СЕРВЕР/БАЗА]\n",
    "Работает с kn.mdb в текущей папке, с базой из переменной окружения VI23_DB или с указанной --db\n"
    "(файл или строка подключения к серверу PostgreSQL). Без --pdf, --layout и --xlsx печатает на\n"
    "принтере по умолчанию.\n"
    "\n"
    "Команды:\n"
    "  document КЛЮЧ\n"
    "      печатает документ с этим ключом (номер записи, поле k) на форме его вида, как кнопка \"Печать\".\n"
    "  book \"ВИД\"\n"
    "      печатает отчет журнала за период: \"Книга доходов и расходов-месячная\", \"Книга доходов и\n"
    "      расходов-квартальная\", \"Книга расчетов по банку\", \"Книга расчетов по кассе\", \"Кассовая книга\"\n"
    "      (пересчитывается перед печатью), \"Сводный отчет по операциям\", \"Книга расчетов с\n"
    "      контрагентами\", \"Акт сверки\" (с контрагентом --counterparty), \"Титульный лист\".\n"
    "  rows НАБОР_ДАННЫХ\n"
    "      пишет строки набора данных в CSV (UTF-8, \";\", десятичная запятая) или в книгу Excel.\n"
    "      Таблицы: ADOTable_jur (журнал операций), ADOTable_jur1 (выписанные документы), ADOTable_k\n"
    "      (поставщики и покупатели), ADOTable_sr (типовые операции), ADOTable_stov (товары и цены),\n"
    "      ADOTable_pr1 (реквизиты предприятия), ADOTable_kassa (кассовая книга), ADOTable_tov (строки\n"
    "      последнего напечатанного документа), ADOTable_z, ADOTable_pr, ADOTable_dok. Запросы: ADOQuery11\n"
    "      (книга доходов и расходов), ADOQuery_bank и ADOQuery_kassa (книги расчетов по банку и по\n"
    "      кассе), ADOQuerys (сводный отчет по операциям), ADOQueryss (расчеты с контрагентами),\n"
    "      ADOQuery_kas (кассовые ордера), ADOQuery_bl (строки печати документов), ADOQuery_sv\n"
    "      (акт сверки).\n"
    "\n"
    "Ключи:\n"
    "  --pdf ФАЙЛ\n"
    "      записывает PDF вместо печати.\n"
    "  --layout ФАЙЛ\n"
    "      записывает раскладку страниц текстом (\"-\" - в стандартный вывод).\n"
    "  --edo ПАПКА\n"
    "      записывает в папку файл документа для ЭДО (формат 5.03, Windows-1251) вместо печати; только\n"
    "      для счета-фактуры, УПД, товарной накладной и акта.\n"
    "  --counterparty НАИМЕНОВАНИЕ\n"
    "      контрагент акта сверки, как он записан в списке поставщиков и покупателей.\n"
    "  --xlsx ФАЙЛ\n"
    "      сохраняет таблицу отчета или набора данных в книгу Excel.\n"
    "  --csv ФАЙЛ\n"
    "      пишет CSV набора данных в ФАЙЛ; без него - в стандартный вывод.\n"
    "  --filter ТЕКСТ\n"
    "      оставляет строки набора данных, подходящие под фильтр, например \"k = 'ООО Альфа'\".\n"
    "  --forms described|2026\n"
    "      печатные формы \"как в программе\" или \"действующие 2026\" вместо выбранных на вкладке\n"
    "      \"Данные пользователя\".\n"
    "  --help, --version\n"
    "      эта справка; версия программы.\n"
    "\n"
    "Файл записывается целиком или не записывается вовсе; файл открытой базы данных не перезаписывается.\n"
    "Перед первым за день изменением базы её копия сохраняется в папке backup/.\n"
    "Код выхода: 0 - готово, 1 - ошибка (текст в стандартном потоке ошибок), 2 - неверная командная строка.\n"
    "\n"
    "Примеры:\n"
    "  vi23-print document 31 --pdf счет.pdf\n"
    "  vi23-print book \"Кассовая книга\" --from 01.01.2026 --to 31.03.2026 --pdf касса.pdf\n"
    "  vi23-print book \"Акт сверки\" --counterparty \"ООО «Вектор»\" --from 01.01.2026 --to 31.03.2026 --pdf акт.pdf\n"
    "  vi23-print rows ADOTable_k --xlsx kontragenty.xlsx\n"};

// A command line that does not fit the usage: exit status 2.
class UsageError : public UserError {
public:
    using UserError::UserError;
};

struct Options {
    QString database;                      // --db, VI23_DB or kn.mdb in the working folder
    QStringList positional;
    QString pdf;
    QString layout;
    QString csv;
    QString from;
    QString to;
    QString xlsx;
    QString edo;
    QString counterparty;
    std::optional<QString> filter;
    std::optional<vi23::FormSet> forms;    // overrides the requisites tab's choice for this run
};

Options parseOptions(QStringList args)
{
    Options o;
    QString mistake;
    o.database = vi23::help::takeDatabaseOption(args, QStringLiteral("kn.mdb"), &mistake);
    if (!mistake.isEmpty())
        throw UsageError(mistake);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        QString* target = nullptr;
        if (a == u"--pdf")
            target = &o.pdf;
        else if (a == u"--layout")
            target = &o.layout;
        else if (a == u"--csv")
            target = &o.csv;
        else if (a == u"--from")
            target = &o.from;
        else if (a == u"--to")
            target = &o.to;
        else if (a == u"--xlsx")
            target = &o.xlsx;
        else if (a == u"--edo")
            target = &o.edo;
        else if (a == u"--counterparty")
            target = &o.counterparty;
        else if (a == u"--filter") {
            if (i + 1 >= args.size())
                throw UsageError(QStringLiteral("После --filter нужен текст фильтра"));
            o.filter = args[++i];
            continue;
        } else if (a == u"--forms") {
            const QString value = i + 1 < args.size() ? args[++i] : QString();
            if (value == vi23::kFormSetDescribed)
                o.forms = vi23::FormSet::Described;
            else if (value == vi23::kFormSet2026)
                o.forms = vi23::FormSet::Current2026;
            else
                throw UsageError(QStringLiteral("После --forms укажите described или 2026"));
            continue;
        } else if (a.startsWith(u"--")) {
            throw UsageError(QStringLiteral("Неизвестный ключ %1").arg(a));
        } else {
            o.positional << a;
            continue;
        }
        if (i + 1 >= args.size() || args[i + 1].isEmpty())
            throw UsageError(QStringLiteral("После %1 нужно значение").arg(a));
        *target = args[++i];
    }
    if (!o.pdf.isEmpty() && !o.layout.isEmpty())
        throw UsageError(QStringLiteral("Укажите либо --pdf, либо --layout, но не оба"));
    if (!o.xlsx.isEmpty() && (!o.pdf.isEmpty() || !o.layout.isEmpty()))
        throw UsageError(QStringLiteral("--xlsx не сочетается с --pdf и --layout"));
    return o;
}

// The print writes the print log and the scratch tables: the day's first change keeps a copy first.
void keepDailyBackups(vi23::DataStore& store)
{
    vi23::enableDailyBackups(store.database(), [](const QString& message) {
        QTextStream err(stderr);
        err << message << "\n";
    });
}

// Bytes for the standard output, every write checked: a full disk or a closed pipe is a failure.
void writeStdout(const QByteArray& bytes)
{
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(STDOUT_FILENO, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            throw UserError(error == ENOSPC || error == EDQUOT
                                ? QStringLiteral("Нет места на диске: стандартный вывод записан не полностью")
                                : QStringLiteral("Не удается записать в стандартный вывод (код ошибки системы %1)").arg(error));
        }
        p += n;
        left -= n;
    }
}

// A file, or the standard output for "-".
void writeOutput(const QString& target, const QByteArray& bytes)
{
    if (target == u"-")
        writeStdout(bytes);
    else
        vi23::writeFileSafely(target, bytes);
}

// The layout dump, to its file or to standard output, written page by page: the dump of a long book
// is never whole in memory. Standard output gets it only when the whole report is prepared (from a
// temporary file), so that a report failing on a later page leaves nothing half-written there either.
// Pages are dumped and written on a thread of their own while the next ones are prepared.
class LayoutOutput {
public:
    explicit LayoutOutput(const QString& target)
    {
        if (target != u"-") {
            file_.emplace(target);
        } else if (!spool_.open()) {
            throw UserError(QStringLiteral("Не удается создать временный файл: %1").arg(spool_.errorString()));
        }
        writer_ = std::thread([this] { writePages(); });
    }

    ~LayoutOutput()
    {
        pages_.stop();
        if (writer_.joinable())
            writer_.join();
    }

    void add(std::vector<vi23::PreparedBox> boxes, int number) { pages_.give(Page{std::move(boxes), number}); }

    void commit()
    {
        pages_.finish();
        writer_.join();
        pages_.rethrowFailure();
        if (file_) {
            file_->commit();
            return;
        }
        if (!spool_.seek(0))
            throw UserError(QStringLiteral("Не удается прочитать временный файл: %1").arg(spool_.errorString()));
        while (!spool_.atEnd())
            writeStdout(spool_.read(1 << 20));
    }

private:
    struct Page {
        std::vector<vi23::PreparedBox> boxes;
        int number;
    };

    void writePages()
    {
        try {
            QByteArray bytes;
            vi23::PreparedPage page;
            while (std::optional<Page> next = pages_.take()) {
                page.boxes = std::move(next->boxes);
                bytes.clear();
                vi23::dumpPreparedPage(page, next->number, bytes);
                if (file_)
                    file_->write(bytes);
                else if (spool_.write(bytes) != bytes.size())
                    throw UserError(QStringLiteral("Не удается записать временный файл: %1").arg(spool_.errorString()));
            }
        } catch (...) {
            pages_.stop(std::current_exception());
        }
    }

    std::optional<vi23::SafeOutputFile> file_;
    QTemporaryFile spool_;
    vi23::HandOver<Page> pages_{8};
    std::thread writer_;
};

// Finished pages go to the PDF, to the layout dump or to the default printer.
void output(const vi23::PreparedReport& report, const Options& o)
{
    if (!o.pdf.isEmpty()) {
        vi23::exportPdf(report, o.pdf);
        return;
    }
    if (!o.layout.isEmpty()) {
        LayoutOutput layout(o.layout);
        for (size_t i = 0; i < report.pages.size(); ++i)
            layout.add(report.pages[i].boxes, int(i + 1));
        layout.commit();
        return;
    }
    const QPrinterInfo printerInfo = QPrinterInfo::defaultPrinter();
    if (printerInfo.isNull())
        throw UserError(QStringLiteral("В системе нет принтера по умолчанию; укажите --pdf ФАЙЛ или --layout ФАЙЛ"));
    QPrinter printer(printerInfo, QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QList<int> pages;
    for (int i = 1; i <= int(report.pages.size()); ++i)
        pages << i;
    vi23::printReport(report, printer, pages);
}

// A long book to the PDF or the layout dump without keeping its pages: each is written as it is
// finished.
void outputPageByPage(const vi23::Template& form, vi23::RowSourceResolver& rows, const vi23::PrintRequest& request,
                      const Options& o)
{
    if (!o.pdf.isEmpty()) {
        vi23::exportPdfPageByPage(form, rows, request.values, o.pdf, request.runs);
        return;
    }
    LayoutOutput layout(o.layout);
    vi23::prepareReportPageByPage(
        form, rows, [&](vi23::PreparedPage& page, int number) { layout.add(std::move(page.boxes), number); },
        request.values, {}, request.runs);
    layout.commit();
}

const vi23::Template& builtInTemplate(const vi23::BuiltInTemplates& templates, const QString& name)
{
    for (const auto& problem : templates.problems()) {
        if (problem.name == name)
            throw UserError(QStringLiteral("Шаблон %1 не читается").arg(name));
    }
    const vi23::Template* found = templates.find(name);
    if (!found)
        throw UserError(QStringLiteral("Нет шаблона %1").arg(name));
    return *found;
}

int printDocument(const Options& o, QTextStream& out)
{
    if (o.positional.size() != 2)
        throw UsageError(QStringLiteral("Укажите ключ документа: vi23-print document КЛЮЧ"));
    if (o.filter || !o.from.isEmpty() || !o.to.isEmpty() || !o.xlsx.isEmpty())
        throw UsageError(QStringLiteral("К document подходят только --forms, --pdf, --layout и --edo"));
    const std::optional<long long> key = vi23::ru::tryParseInteger(o.positional[1]);
    if (!key)
        throw UsageError(QStringLiteral("Ключ документа «%1» не является целым числом").arg(o.positional[1]));

    vi23::DataStore store(o.database, vi23::DataStore::Opening::OnFirstUse);
    if (!o.edo.isEmpty()) {
        if (o.forms || !o.pdf.isEmpty() || !o.layout.isEmpty())
            throw UsageError(QStringLiteral("--edo не сочетается с --forms, --pdf и --layout"));
        out << QStringLiteral("Записан файл %1").arg(vi23::writeExchangeFile(store.database(), *key, o.edo)) << "\n";
        return 0;
    }
    keepDailyBackups(store);
    const vi23::PrintRequest request =
        vi23::printDocument(store, *key, o.forms ? *o.forms : vi23::formSet(store.database()));
    if (request.templateName.isEmpty()) {
        out << QStringLiteral("Вид документа «%1» не печатается").arg(vi23::readIssuedDocument(store.database(), *key).kind)
            << "\n";
        return 0;
    }
    const vi23::BuiltInTemplates templates = vi23::loadBuiltInTemplates();
    output(vi23::preparePrint(builtInTemplate(templates, request.templateName), store, request), o);
    return 0;
}

QDate periodDate(const QString& text, const char* option)
{
    if (text.isEmpty())
        throw UsageError(QStringLiteral("Укажите %1 дд.ММ.гггг").arg(QLatin1String(option)));
    const std::optional<QDate> date = vi23::ru::tryParseDate(text);
    if (!date || !date->isValid())
        throw UsageError(QStringLiteral("«%1» после %2 не является датой дд.ММ.гггг").arg(text, QLatin1String(option)));
    return *date;
}

int printBook(const Options& o)
{
    if (o.positional.size() != 2)
        throw UsageError(QStringLiteral("Укажите вид отчета: vi23-print book \"ВИД\" --from дд.ММ.гггг --to дд.ММ.гггг"));
    if (o.filter)
        throw UsageError(QStringLiteral("--filter подходит только к rows"));
    const QString kind = o.positional[1];
    const QDate from = periodDate(o.from, "--from");
    const QDate to = periodDate(o.to, "--to");
    if (vi23::formOf(vi23::reportKindTable(), kind).isEmpty()) {
        throw UsageError(QStringLiteral("Неизвестный вид отчета «%1». Виды: «%2»")
                             .arg(kind, vi23::captionsOf(vi23::reportKindTable()).join(QStringLiteral("», «"))));
    }
    const bool act = vi23::reportKind(kind)->counterparty;
    if (act && o.counterparty.isEmpty())
        throw UsageError(QStringLiteral("Для «%1» укажите контрагента: --counterparty НАИМЕНОВАНИЕ").arg(kind));
    if (!act && !o.counterparty.isEmpty())
        throw UsageError(QStringLiteral("--counterparty подходит только к «%1»").arg(vi23::kReconciliationKind));

    vi23::DataStore store(o.database, vi23::DataStore::Opening::OnFirstUse);
    keepDailyBackups(store);
    if (!o.xlsx.isEmpty()) {
        vi23::saveBookWorkbook(store, o.xlsx, kind, from, to, o.counterparty);
        return 0;
    }
    const vi23::PrintRequest request = vi23::printBook(store, kind, from, to, o.forms, o.counterparty);
    const vi23::BuiltInTemplates templates = vi23::loadBuiltInTemplates();
    const vi23::Template& form = builtInTemplate(templates, request.templateName);
    if (!request.finish && (!o.pdf.isEmpty() || !o.layout.isEmpty())) {
        store.setStreamingBookQueries(true);
        outputPageByPage(form, store, request, o);
        return 0;
    }
    output(vi23::preparePrint(form, store, request), o);
    return 0;
}

// One CSV cell. A text a spreadsheet would run as a formula (=, +, -, @, tab or CR first) gets an
// apostrophe in front, so it opens as the text it is; numbers, negative sums included, stay numbers.
QString csvCell(const QString& text, bool number)
{
    static const QRegularExpression plainNumber(QStringLiteral("^[+-]?[0-9]+([.,][0-9]+)?$"));
    QString cell = text;
    if (!number && !cell.isEmpty() && QStringView(u"=+-@\t\r").contains(cell.front())
        && !plainNumber.match(cell).hasMatch())
        cell.prepend(u'\'');
    if (!cell.contains(u';') && !cell.contains(u'"') && !cell.contains(u'\n') && !cell.contains(u'\r')
        && !cell.startsWith(u'\''))
        return cell;
    cell.replace(u'"', QStringLiteral("\"\""));
    return u'"' + cell + u'"';
}

int printRows(const Options& o)
{
    if (o.positional.size() != 2)
        throw UsageError(QStringLiteral("Укажите набор данных: vi23-print rows НАБОР_ДАННЫХ [--filter ТЕКСТ]"));
    vi23::DataStore store(o.database, vi23::DataStore::Opening::OnFirstUse);
    keepDailyBackups(store);
    vi23::DataSet* rows = store.findDataSet(o.positional[1]);
    if (!rows)
        throw UserError(QStringLiteral("Нет набора данных «%1»").arg(o.positional[1]));
    if (!rows->isOpen())
        rows->open();
    if (o.filter) {
        rows->setFiltered(true);
        rows->setFilter(*o.filter);
    }
    if (!o.xlsx.isEmpty()) {
        vi23::writeWorkbook(o.xlsx, vi23::dataSetSheet(*rows));
        return 0;
    }
    QString text;
    QStringList cells;
    for (const vi23::FieldDef& field : rows->fields())
        cells << csvCell(field.name, false);
    text += cells.join(u';') + u'\n';
    const int fieldCount = int(rows->fields().size());
    std::vector<bool> numeric;
    for (const vi23::FieldDef& field : rows->fields())
        numeric.push_back(field.type != vi23::FieldType::Text && field.type != vi23::FieldType::Date);
    for (rows->first(); !rows->eof(); rows->next()) {
        cells.clear();
        for (int f = 0; f < fieldCount; ++f)
            cells << csvCell(rows->value(f).toText(), numeric[size_t(f)]);
        text += cells.join(u';') + u'\n';
    }
    writeOutput(o.csv.isEmpty() ? QStringLiteral("-") : o.csv, text.toUtf8());
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (const int answered = vi23::help::answerStandardOptions(argc, argv, kHelp); answered >= 0)
        return answered;
    // Fonts and PDF need a platform; a script has no display.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    vi23::useRussianLanguage();
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    QTextStream err(stderr);
    err.setEncoding(QStringConverter::Utf8);
    const QStringList args = app.arguments().mid(1);
    try {
        const Options o = parseOptions(args);
        const QString command = o.positional.value(0);
        if (!o.csv.isEmpty() && command != u"rows")
            throw UsageError(QStringLiteral("--csv подходит только к rows"));
        if (!o.counterparty.isEmpty() && command != u"book")
            throw UsageError(QStringLiteral("--counterparty подходит только к book \"%1\"").arg(vi23::kReconciliationKind));
        if (!o.edo.isEmpty() && command != u"document")
            throw UsageError(QStringLiteral("--edo подходит только к document"));
        if (command == u"document")
            return printDocument(o, out);
        if (o.forms && command != u"document" && command != u"book")
            throw UsageError(QStringLiteral("--forms подходит только к document и book"));
        if (command == u"book")
            return printBook(o);
        if (command == u"rows") {
            if (!o.pdf.isEmpty() || !o.layout.isEmpty() || !o.from.isEmpty() || !o.to.isEmpty())
                throw UsageError(QStringLiteral("rows пишет только CSV или книгу --xlsx: ключи --pdf, --layout, --from, --to не подходят"));
            return printRows(o);
        }
        return vi23::help::usageError(kHelp, command.isEmpty() ? QStringLiteral("Укажите команду: document, book или rows")
                                                               : QStringLiteral("Неизвестная команда %1").arg(command));
    } catch (const UsageError& e) {
        err.flush();
        return vi23::help::usageError(kHelp, e.text());
    } catch (const UserError& e) {
        err << e.text() << "\n";
        return 1;
    } catch (const std::exception& e) {
        err << QString::fromLocal8Bit(e.what()) << "\n";
        return 1;
    }
}
