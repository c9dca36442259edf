// vi23-print: prints a document or a book of kn.mdb without the window, to the default printer, to
// PDF or as the layout dump, and writes a book or a data set's rows as CSV or an .xlsx workbook.
#include "books/BookPrinting.h"
#include "books/BookSheets.h"
#include "data/DataStore.h"
#include "data/Error.h"
#include "data/RuFormat.h"
#include "documents/DocumentPrinting.h"
#include "reports/PreparedReport.h"
#include "reports/ReportPreparer.h"
#include "reports/ReportRenderer.h"
#include "reports/templates/BuiltInTemplates.h"
#include "ui/MainContext.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStringList>
#include <QTextStream>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

using vi23::UserError;

const char kUsage[] =
    "Использование:\n"
    "  vi23-print document КЛЮЧ [--pdf ФАЙЛ | --layout ФАЙЛ]\n"
    "  vi23-print book \"ВИД\" --from дд.ММ.гггг --to дд.ММ.гггг [--pdf ФАЙЛ | --layout ФАЙЛ | --xlsx ФАЙЛ]\n"
    "  vi23-print rows НАБОР_ДАННЫХ [--filter ТЕКСТ] [--xlsx ФАЙЛ]\n"
    "Работает с kn.mdb в текущей папке. Без --pdf и --layout печатает на принтере по умолчанию;\n"
    "--layout - пишет раскладку страниц в стандартный вывод; --xlsx - сохраняет таблицу в книгу Excel.\n"
    "rows без --xlsx пишет CSV в стандартный вывод.\n";

// A command line that does not fit the usage: exit status 2.
class UsageError : public UserError {
public:
    using UserError::UserError;
};

struct Options {
    QStringList positional;
    QString pdf;
    QString layout;
    QString from;
    QString to;
    QString xlsx;
    std::optional<QString> filter;
};

Options parseOptions(const QStringList& args)
{
    Options o;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        QString* target = nullptr;
        if (a == u"--pdf")
            target = &o.pdf;
        else if (a == u"--layout")
            target = &o.layout;
        else if (a == u"--from")
            target = &o.from;
        else if (a == u"--to")
            target = &o.to;
        else if (a == u"--xlsx")
            target = &o.xlsx;
        else if (a == u"--filter") {
            if (i + 1 >= args.size())
                throw UsageError(QStringLiteral("После --filter нужен текст фильтра"));
            o.filter = args[++i];
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

// Finished pages go to the PDF, to the layout dump or to the default printer.
void output(const vi23::PreparedReport& report, const Options& o)
{
    if (!o.pdf.isEmpty()) {
        vi23::exportPdf(report, o.pdf);
        return;
    }
    if (!o.layout.isEmpty()) {
        const QByteArray text = vi23::dumpPreparedReport(report).toUtf8();
        QFile file;
        const bool opened = o.layout == u"-" ? file.open(stdout, QIODevice::WriteOnly)
                                             : (file.setFileName(o.layout), file.open(QIODevice::WriteOnly));
        if (!opened || file.write(text) != text.size() || !file.flush())
            throw UserError(QStringLiteral("Не удается записать файл %1").arg(o.layout));
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
        throw UsageError(QStringLiteral("К document подходят только --pdf и --layout"));
    const std::optional<long long> key = vi23::ru::tryParseInteger(o.positional[1]);
    if (!key)
        throw UsageError(QStringLiteral("Ключ документа «%1» не является целым числом").arg(o.positional[1]));

    vi23::DataStore store(QStringLiteral("kn.mdb"));
    vi23::DataSet& documents = store.jur1();
    if (!documents.isOpen())
        documents.open();
    // The cash receipt order reads the current document record itself, so it must stand on it.
    bool found = false;
    for (documents.first(); !documents.eof(); documents.next()) {
        if (!documents.isNull(u"k") && documents.integer(u"k") == *key) {
            found = true;
            break;
        }
    }
    if (!found)
        throw UserError(QStringLiteral("Документа с ключом %1 нет в базе данных").arg(*key));

    const vi23::DocumentForm form = vi23::documentFormFromRecord(documents);
    vi23::ui::MainState state;
    vi23::preparePrintData(store, state, form);
    const QString templateName = vi23::documentTemplateFor(form.kind);
    if (templateName.isEmpty()) {
        out << QStringLiteral("Вид документа «%1» не печатается").arg(form.kind) << "\n";
        return 0;
    }
    const vi23::BuiltInTemplates templates = vi23::loadBuiltInTemplates();
    const vi23::PreparedReport report = vi23::prepareReport(
        builtInTemplate(templates, templateName), store,
        [&state, &store](const QString& name) {
            return vi23::frReport_shGetValue(state, &store.dataSet(u"ADOQuery_bl"), name);
        });
    output(report, o);
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

void writeSheet(vi23::DataStore& store, const QString& path, const vi23::Sheet& sheet)
{
    if (QFileInfo(path).absoluteFilePath() == QFileInfo(store.database().path()).absoluteFilePath())
        throw UserError(QStringLiteral("Файл %1 — открытая база данных; выберите другое имя").arg(path));
    vi23::writeWorkbook(path, sheet);
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
    const bool cashBook = kind == vi23::kCashBookKind;
    const QString templateName = vi23::formOf(vi23::reportKindTable(), kind);
    if (templateName.isEmpty()) {
        throw UsageError(QStringLiteral("Неизвестный вид отчета «%1». Виды: «%2»")
                             .arg(kind, vi23::captionsOf(vi23::reportKindTable()).join(QStringLiteral("», «"))));
    }

    vi23::DataStore store(QStringLiteral("kn.mdb"));
    if (!o.xlsx.isEmpty()) {
        vi23::saveBookWorkbook(store, o.xlsx, kind, from, to);
        return 0;
    }
    vi23::setPeriodFilter(store, from, to);
    if (cashBook)
        vi23::rebuildCashBook(store);
    const vi23::BuiltInTemplates templates = vi23::loadBuiltInTemplates();
    const vi23::PreparedReport report = vi23::prepareReport(
        builtInTemplate(templates, templateName), store,
        [from](const QString& name) { return vi23::bookValue(from, name); });
    output(report, o);
    return 0;
}

QString csvCell(const QString& text)
{
    if (!text.contains(u';') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

int printRows(const Options& o, QTextStream& out)
{
    if (o.positional.size() != 2)
        throw UsageError(QStringLiteral("Укажите набор данных: vi23-print rows НАБОР_ДАННЫХ [--filter ТЕКСТ]"));
    vi23::DataStore store(QStringLiteral("kn.mdb"));
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
        writeSheet(store, o.xlsx, vi23::dataSetSheet(*rows));
        return 0;
    }
    QStringList cells;
    for (const vi23::FieldDef& field : rows->fields())
        cells << csvCell(field.name);
    out << cells.join(u';') << "\n";
    const int fieldCount = int(rows->fields().size());
    for (rows->first(); !rows->eof(); rows->next()) {
        cells.clear();
        for (int f = 0; f < fieldCount; ++f)
            cells << csvCell(rows->value(f).toText());
        out << cells.join(u';') << "\n";
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    // Fonts and PDF need a platform; a script has no display.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    QTextStream err(stderr);
    err.setEncoding(QStringConverter::Utf8);
    const QStringList args = app.arguments().mid(1);
    try {
        const Options o = parseOptions(args);
        const QString command = o.positional.value(0);
        if (command == u"document")
            return printDocument(o, out);
        if (command == u"book")
            return printBook(o);
        if (command == u"rows") {
            if (!o.pdf.isEmpty() || !o.layout.isEmpty() || !o.from.isEmpty() || !o.to.isEmpty())
                throw UsageError(QStringLiteral("rows пишет только CSV или книгу --xlsx: ключи --pdf, --layout, --from, --to не подходят"));
            return printRows(o, out);
        }
        err << kUsage;
        return 2;
    } catch (const UsageError& e) {
        err << e.text() << "\n" << kUsage;
        return 2;
    } catch (const UserError& e) {
        err << e.text() << "\n";
        return 1;
    } catch (const std::exception& e) {
        err << QString::fromLocal8Bit(e.what()) << "\n";
        return 1;
    }
}
