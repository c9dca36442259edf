#include "Workbook.h"

#include "data/Error.h"
#include "data/RuFormat.h"
#include "data/SafeOutput.h"

#include <QFile>
#include <xlsxwriter.h>

namespace vi23 {

namespace {

constexpr double kMinWidth = 6;
constexpr double kMaxWidth = 80;

// The text a cell shows, for measuring its column.
QString shownText(const Value& value, SheetColumn::Kind kind)
{
    if (value.isNull())
        return {};
    if (kind == SheetColumn::Kind::Money && value.kind() == Value::Kind::Money)
        return value.money().toFixed(2) + QStringLiteral("   ");   // room for the thousands spaces
    return value.toText();
}

// "E2" for row 1, column 4 (both from 0).
QString cellName(lxw_row_t row, lxw_col_t column)
{
    char name[LXW_MAX_CELL_NAME_LENGTH];
    lxw_rowcol_to_cell(name, row, column);
    return QString::fromLatin1(name);
}

class WorkbookFile {
public:
    explicit WorkbookFile(const QString& path) : book_(workbook_new(QFile::encodeName(path).constData()))
    {
        if (!book_)
            throw UserError(QStringLiteral("Не удалось создать книгу %1").arg(path));
    }
    ~WorkbookFile()
    {
        if (book_)
            workbook_close(book_);
    }
    lxw_workbook* get() const { return book_; }
    lxw_error close()
    {
        lxw_error error = workbook_close(book_);
        book_ = nullptr;
        return error;
    }

private:
    lxw_workbook* book_;
};

void check(lxw_error error)
{
    if (error != LXW_NO_ERROR)
        throw UserError(QStringLiteral("Ошибка записи книги: %1").arg(QString::fromUtf8(lxw_strerror(error))));
}

} // namespace

QString sheetName(const QString& text)
{
    QString name = text;
    for (QChar c : QStringLiteral("[]:*?/\\"))
        name.replace(c, u' ');
    name = name.simplified();
    if (name.isEmpty())
        name = QStringLiteral("Лист1");
    return name.left(31).trimmed();
}

void writeWorkbook(const QString& path, const Sheet& sheet)
{
    // The library writes by name: into the checked output's temporary file, put in place when complete.
    SafeOutputFile file(path);
    WorkbookFile book(file.temporaryPath());
    lxw_workbook* wb = book.get();
    lxw_worksheet* ws = workbook_add_worksheet(wb, sheetName(sheet.name).toUtf8().constData());
    if (!ws)
        throw UserError(QStringLiteral("Не удалось создать лист «%1»").arg(sheet.name));

    lxw_format* heading = workbook_add_format(wb);
    format_set_bold(heading);
    format_set_text_wrap(heading);
    format_set_align(heading, LXW_ALIGN_CENTER);
    format_set_align(heading, LXW_ALIGN_VERTICAL_CENTER);
    format_set_bottom(heading, LXW_BORDER_THIN);
    lxw_format* money = workbook_add_format(wb);
    format_set_num_format(money, "#,##0.00");
    lxw_format* date = workbook_add_format(wb);
    format_set_num_format(date, "dd.mm.yyyy");
    lxw_format* boldMoney = workbook_add_format(wb);
    format_set_num_format(boldMoney, "#,##0.00");
    format_set_bold(boldMoney);
    format_set_top(boldMoney, LXW_BORDER_THIN);
    lxw_format* boldText = workbook_add_format(wb);
    format_set_bold(boldText);
    format_set_top(boldText, LXW_BORDER_THIN);

    const auto columnCount = lxw_col_t(sheet.columns.size());
    std::vector<double> widths(sheet.columns.size(), kMinWidth);
    auto measure = [&widths](size_t column, const QString& text) {
        for (const QString& line : text.split(u'\n'))
            widths[column] = std::max(widths[column], std::min(kMaxWidth, double(line.size()) + 2));
    };
    for (lxw_col_t c = 0; c < columnCount; ++c) {
        check(worksheet_write_string(ws, 0, c, sheet.columns[c].title.toUtf8().constData(), heading));
        // Titles wrap, so a long one needs only a third of its length.
        measure(c, sheet.columns[c].title.left(std::max<qsizetype>(10, sheet.columns[c].title.size() / 3)));
    }

    std::vector<Money> sums(sheet.columns.size());
    lxw_row_t row = 1;
    for (const std::vector<Value>& values : sheet.rows) {
        for (lxw_col_t c = 0; c < columnCount && c < values.size(); ++c) {
            const Value& value = values[c];
            const SheetColumn::Kind kind = sheet.columns[c].kind;
            measure(c, shownText(value, kind));
            if (value.isNull())
                continue;
            if (kind == SheetColumn::Kind::Money && value.kind() == Value::Kind::Money) {
                sums[c] += value.money();
                check(worksheet_write_number(ws, row, c, value.money().toDouble(), money));
            } else if (kind == SheetColumn::Kind::Date && value.kind() == Value::Kind::Date) {
                const QDate d = value.date();
                lxw_datetime when = {d.year(), d.month(), d.day(), 0, 0, 0};
                check(worksheet_write_datetime(ws, row, c, &when, date));
            } else if (value.isNumber() && kind != SheetColumn::Kind::Text) {
                check(worksheet_write_number(ws, row, c, value.toDouble(), nullptr));
            } else {
                check(worksheet_write_string(ws, row, c, value.toText().toUtf8().constData(), nullptr));
            }
        }
        ++row;
    }
    if (sheet.totals) {
        bool labelled = false;
        for (lxw_col_t c = 0; c < columnCount; ++c) {
            if (sheet.columns[c].kind == SheetColumn::Kind::Money && sheet.columns[c].summed) {
                // A live formula whose stored result is the exact sum.
                const QString formula =
                    QStringLiteral("=SUM(%1:%2)").arg(cellName(1, c), cellName(std::max<lxw_row_t>(row - 1, 1), c));
                check(worksheet_write_formula_num(ws, row, c, formula.toUtf8().constData(), boldMoney, sums[c].toDouble()));
                measure(c, sums[c].toFixed(2) + QStringLiteral("   "));
            } else if (!labelled) {
                check(worksheet_write_string(ws, row, c, "Итого", boldText));
                labelled = true;
            } else {
                check(worksheet_write_blank(ws, row, c, boldText));
            }
        }
    }
    for (lxw_col_t c = 0; c < columnCount; ++c)
        check(worksheet_set_column(ws, c, c, widths[c], nullptr));
    worksheet_freeze_panes(ws, 1, 0);

    check(book.close());
    file.commit();
}

} // namespace vi23
