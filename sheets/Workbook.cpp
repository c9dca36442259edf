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

struct Formats {
    lxw_format* title;      // the first heading line
    lxw_format* columnTitle;
    lxw_format* money;
    lxw_format* date;
    lxw_format* bold;       // group headings and the labels of totals
    lxw_format* totalMoney;

    explicit Formats(lxw_workbook* wb)
        : title(workbook_add_format(wb)), columnTitle(workbook_add_format(wb)), money(workbook_add_format(wb)),
          date(workbook_add_format(wb)), bold(workbook_add_format(wb)), totalMoney(workbook_add_format(wb))
    {
        format_set_bold(title);
        format_set_font_size(title, 12);
        format_set_bold(columnTitle);
        format_set_text_wrap(columnTitle);
        format_set_align(columnTitle, LXW_ALIGN_CENTER);
        format_set_align(columnTitle, LXW_ALIGN_VERTICAL_CENTER);
        format_set_border(columnTitle, LXW_BORDER_THIN);
        format_set_num_format(money, "#,##0.00");
        format_set_num_format(date, "dd.mm.yyyy");
        format_set_bold(bold);
        format_set_num_format(totalMoney, "#,##0.00");
        format_set_bold(totalMoney);
        format_set_top(totalMoney, LXW_BORDER_THIN);
    }
};

// A total's money cell: the live subtotal of the data rows it covers (a subtotal skips the totals
// nested in its range), plus the part of the printed value those rows do not hold.
QString subtotalFormula(const Sheet& sheet, const SheetRow& total, lxw_col_t column, lxw_row_t firstRow, Money value)
{
    Money rows;
    for (int i = total.first; i <= total.last; ++i) {
        const SheetRow& r = sheet.rows[size_t(i)];
        if (r.style == SheetRow::Style::Data && column < r.cells.size() && r.cells[column].kind() == Value::Kind::Money)
            rows += r.cells[column].money();
    }
    QString formula = QStringLiteral("=SUBTOTAL(9,%1:%2)")
                          .arg(cellName(firstRow + lxw_row_t(total.first), column), cellName(firstRow + lxw_row_t(total.last), column));
    const Money beyond = value - rows;
    if (beyond != Money()) {
        QString amount = beyond.toFixed(4, u'.');
        while (amount.endsWith(u'0'))
            amount.chop(1);
        if (amount.endsWith(u'.'))
            amount.chop(1);
        formula += (beyond < Money() ? QString() : QStringLiteral("+")) + amount;
    }
    return formula;
}

void writeCell(lxw_worksheet* ws, const Formats& f, const Sheet& sheet, const SheetRow& row, lxw_row_t at,
               lxw_row_t firstRow, lxw_col_t c)
{
    const Value& value = row.cells[c];
    const SheetColumn& column = sheet.columns[c];
    const bool total = row.style == SheetRow::Style::Total;
    if (value.isNull())
        return;
    if (column.kind == SheetColumn::Kind::Money && value.kind() == Value::Kind::Money) {
        if (total && column.summed && row.first >= 0)
            check(worksheet_write_formula_num(ws, at, c, subtotalFormula(sheet, row, c, firstRow, value.money()).toUtf8().constData(),
                                              f.totalMoney, value.money().toDouble()));
        else
            check(worksheet_write_number(ws, at, c, value.money().toDouble(), total ? f.totalMoney : f.money));
    } else if (column.kind == SheetColumn::Kind::Date && value.kind() == Value::Kind::Date) {
        const QDate d = value.date();
        lxw_datetime when = {d.year(), d.month(), d.day(), 0, 0, 0};
        check(worksheet_write_datetime(ws, at, c, &when, f.date));
    } else if (value.isNumber() && column.kind != SheetColumn::Kind::Text) {
        check(worksheet_write_number(ws, at, c, value.toDouble(), nullptr));
    } else {
        check(worksheet_write_string(ws, at, c, value.toText().toUtf8().constData(),
                                     row.style == SheetRow::Style::Data ? nullptr : f.bold));
    }
}

// Landscape A4 pages as wide as the table, the column titles at the top of each.
void setUpPages(lxw_worksheet* ws, lxw_row_t titleRow)
{
    worksheet_set_landscape(ws);
    worksheet_set_paper(ws, 9);
    worksheet_fit_to_pages(ws, 1, 0);
    check(worksheet_repeat_rows(ws, titleRow, titleRow));
    worksheet_freeze_panes(ws, titleRow + 1, 0);
}

void writeSheet(lxw_workbook* wb, const Sheet& sheet)
{
    lxw_worksheet* ws = workbook_add_worksheet(wb, sheetName(sheet.name).toUtf8().constData());
    if (!ws)
        throw UserError(QStringLiteral("Не удалось создать лист «%1»").arg(sheet.name));
    const Formats f(wb);
    const auto columnCount = lxw_col_t(sheet.columns.size());
    std::vector<double> widths(sheet.columns.size(), kMinWidth);
    auto measure = [&widths](size_t column, const QString& text) {
        for (const QString& line : text.split(u'\n'))
            widths[column] = std::max(widths[column], std::min(kMaxWidth, double(line.size()) + 2));
    };
    lxw_row_t row = 0;
    for (const QString& line : sheet.heading) {
        check(worksheet_write_string(ws, row, 0, line.toUtf8().constData(), row == 0 ? f.title : f.bold));
        ++row;
    }
    const lxw_row_t titleRow = sheet.heading.isEmpty() ? 0 : row + 1;
    for (lxw_col_t c = 0; c < columnCount; ++c) {
        check(worksheet_write_string(ws, titleRow, c, sheet.columns[c].title.toUtf8().constData(), f.columnTitle));
        // Titles wrap, so a long one needs only a third of its length.
        measure(c, sheet.columns[c].title.left(std::max<qsizetype>(10, sheet.columns[c].title.size() / 3)));
    }
    const lxw_row_t firstRow = titleRow + 1;
    row = firstRow;
    for (const SheetRow& r : sheet.rows) {
        for (lxw_col_t c = 0; c < columnCount && c < r.cells.size(); ++c) {
            // Headings and labels run on into the cells beside them.
            if (r.style == SheetRow::Style::Data || sheet.columns[c].kind != SheetColumn::Kind::Text)
                measure(c, shownText(r.cells[c], sheet.columns[c].kind));
            writeCell(ws, f, sheet, r, row, firstRow, c);
        }
        ++row;
    }
    for (lxw_col_t c = 0; c < columnCount; ++c)
        check(worksheet_set_column(ws, c, c, widths[c], nullptr));
    setUpPages(ws, titleRow);
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
    writeSheet(book.get(), sheet);

    check(book.close());
    file.commit();
}

} // namespace vi23
