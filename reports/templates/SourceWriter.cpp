#include "reports/templates/SourceWriter.h"

#include "data/Error.h"

namespace vi23 {

namespace {

const QString kLineJoint = QStringLiteral(" \u23CE ");

[[noreturn]] void cannot(const Template& t, const QString& what)
{
    throw UserError(QStringLiteral("Шаблон %1 нельзя записать исходным текстом: %2").arg(t.name, what));
}

// The band an object belongs to by the engine's rule: kinds in ascending order, bands of one kind
// in stored order, the first whose design extent holds the object's top.
const Band* owner(const Template& t, int y)
{
    const Band* found = nullptr;
    for (const Band& b : t.bands) {
        if (y < b.top() || y > b.bottom())
            continue;
        if (!found || int(b.kind) < int(found->kind))
            found = &b;
    }
    return found;
}

QString frameCell(const Template& t, const MemoObject& m)
{
    QString s = frameSidesCode(m.frameSides);
    if ((m.frameSides & ~frame::All) != 0)
        cannot(t, m.name + QStringLiteral(": стороны рамки"));
    if (m.frameWidth == 2)
        s += u'=';
    else if (m.frameWidth != 1)
        cannot(t, m.name + QStringLiteral(": толщина рамки"));
    if (m.fillColor == kColorTeal)
        s += QStringLiteral(" fill teal");
    else if (m.fillColor == kColorWhite)
        s += QStringLiteral(" fill white");
    else if (m.fillColor != kColorNone)
        cannot(t, m.name + QStringLiteral(": цвет заливки"));
    return s;
}

QString fontCell(const Template& t, const MemoObject& m)
{
    QString s = fontFamilyCode(m.font.name);
    if (s.isEmpty())
        cannot(t, m.name + QStringLiteral(": шрифт ") + m.font.name);
    if ((m.font.style & fontstyle::StrikeOut) || m.font.style > 15)
        cannot(t, m.name + QStringLiteral(": начертание шрифта"));
    s += QString::number(m.font.size) + fontStyleCode(m.font.style);
    if (m.font.color == kColorWhite)
        s += QStringLiteral(" white");
    else if (m.font.color != kColorBlack)
        cannot(t, m.name + QStringLiteral(": цвет шрифта"));
    return s;
}

QString alignCell(const Template& t, const MemoObject& m)
{
    if (m.rotated() || (m.alignment & ~0x1F) != 0 || m.vAlign() > VAlign::Bottom)
        cannot(t, m.name + QStringLiteral(": выравнивание"));
    static const char* const h = "LRCJ";
    static const char* const v = "TMB";
    return QString(QChar(h[int(m.hAlign())])) + QChar(v[int(m.vAlign())]);
}

QString formatCell(const Template& t, const MemoObject& m)
{
    const DisplayFormat& f = m.format;
    if (f == DisplayFormat{})
        return {};
    if (f == DisplayFormat{DisplayFormat::Number, 0, 2, ','})
        return QStringLiteral("G");
    if (f.category == DisplayFormat::Number && f.subFormat == 1 && f.digits >= 0 && f.digits <= 9
        && (f.separator == ',' || f.separator == '-'))
        return QStringLiteral("F%1%2").arg(f.digits).arg(f.separator == '-' ? QStringLiteral("-") : QString());
    if (f.category == DisplayFormat::Date && f.subFormat >= 0 && f.subFormat <= 3
        && f == DisplayFormat{DisplayFormat::Date, f.subFormat, 0, ','})
        return QStringLiteral("D%1").arg(f.subFormat);
    cannot(t, m.name + QStringLiteral(": формат отображения"));
}

QString textCell(const Template& t, const MemoObject& m)
{
    if (m.lines.isEmpty())
        return {};
    for (const QString& line : m.lines)
        if (line.contains(u'\n') || line.contains(u'\r') || line.contains(QChar(0x23CE)))
            cannot(t, m.name + QStringLiteral(": знак перевода строки в тексте"));
    return u'"' + m.lines.join(kLineJoint) + u'"';
}

QString row(const Template& t, const MemoObject& m, int top)
{
    const QString cells[] = {QString::number(m.x), QString::number(m.y - top), QString::number(m.width),
                             QString::number(m.height), frameCell(t, m), fontCell(t, m), alignCell(t, m),
                             formatCell(t, m), textCell(t, m)};
    QString s = QStringLiteral("|");
    for (const QString& c : cells)
        s += c.isEmpty() ? QStringLiteral("  |") : u' ' + c + QStringLiteral(" |");
    return s;
}

// What every memo of a source gets; anything else has no notation.
void checkMemo(const Template& t, const MemoObject& m, int index)
{
    MemoObject plain;
    plain.name = QStringLiteral("Memo%1").arg(index + 1);
    plain.x = m.x;
    plain.y = m.y;
    plain.width = m.width;
    plain.height = m.height;
    plain.frameSides = m.frameSides;
    plain.frameWidth = m.frameWidth;
    plain.fillColor = m.fillColor;
    plain.format = m.format;
    plain.lines = m.lines;
    plain.font.name = m.font.name;
    plain.font.size = m.font.size;
    plain.font.style = m.font.style;
    plain.font.color = m.font.color;
    plain.alignment = m.alignment;
    if (!(plain == m))
        cannot(t, m.name + QStringLiteral(": поля вне записи исходного текста"));
}

// A band's line: its name, kind, top and height, `repeat`, its data set and conditions.
QString bandLine(const Template& t, const Band& b)
{
    const PageDescription& p = t.page();
    Band plain;
    plain.name = b.name;
    plain.kind = b.kind;
    plain.y = b.y;
    plain.height = b.height;
    plain.width = tenthsMmToUnitsX(p.width);
    plain.formatText = b.formatText;
    if (b.kind == BandKind::MasterData && b.script.size() == 1)
        plain.script = b.script;
    if (b.kind == BandKind::MasterHeader)
        plain.flags |= b.flags & bandflag::RepeatHeader;
    if (!(plain == b) || b.name.contains(u' ') || b.formatText.contains(u'\n') || plain.script.value(0).contains(u'\n'))
        cannot(t, b.name + QStringLiteral(": поля полосы вне записи исходного текста"));
    QString out = QStringLiteral("\nband %1 kind=%2 top=%3 height=%4").arg(b.name).arg(int(b.kind)).arg(b.y).arg(b.height);
    if (b.repeatsOnEveryPage())
        out += QStringLiteral(" repeat");
    if (!b.formatText.isEmpty()) {
        if (b.kind == BandKind::MasterData)
            out += QStringLiteral(" dataset=") + b.formatText;
        else if (b.kind == BandKind::GroupHeader || b.kind == BandKind::GroupFooter)
            out += QStringLiteral(" condition=") + b.formatText;
        else
            cannot(t, b.name + QStringLiteral(": текст у полосы этого вида"));
    }
    if (!b.rowCondition().isEmpty())
        out += QStringLiteral(" condition=") + b.rowCondition();
    return out;
}

} // namespace

QString writeTemplateSource(const Template& t)
{
    if (t.version != kTemplateVersion || t.printToDefault || t.doublePass || t.printerName != kDefaultPrinterName)
        cannot(t, QStringLiteral("заголовок потока"));
    if (t.pages.size() != 1)
        cannot(t, QStringLiteral("страниц не одна"));
    if (!t.lines.empty())
        cannot(t, QStringLiteral("линии"));
    const PageDescription& p = t.page();
    if (!p.useMargins || p.printToPrevious || p.columns != 1 || p.columnGap != 0)
        cannot(t, QStringLiteral("параметры страницы"));

    QString out;
    out += QStringLiteral("template %1\n").arg(t.name);
    out += QStringLiteral("dataset %1\n").arg(t.defaultDataSet);
    out += QStringLiteral("page paper=%1 width=%2 height=%3 orientation=%4 margins=%5,%6,%7,%8\n")
               .arg(p.paperSize)
               .arg(p.width)
               .arg(p.height)
               .arg(p.orientation == Orientation::Landscape ? QStringLiteral("landscape") : QStringLiteral("portrait"))
               .arg(p.marginLeft)
               .arg(p.marginTop)
               .arg(p.marginRight)
               .arg(p.marginBottom);
    if (!t.variables)
        cannot(t, QStringLiteral("нет списка переменных"));
    if (t.variables->entries.empty() && t.variables->displayOrder.isEmpty()) {
        out += QStringLiteral("variables none\n");
    } else {
        const VariablesList document{{TemplateVariable{1, 0, QStringLiteral("ADOQuery1"), QStringLiteral("ss"),
                                                       QStringLiteral("ss  ")}},
                                     {QStringLiteral("bk"), QStringLiteral(" ss  ")}};
        if (!(*t.variables == document))
            cannot(t, QStringLiteral("список переменных"));
        out += QStringLiteral("variables document\n");
    }

    // Each band's rows follow its band line, so the memos must come band by band in their order.
    std::vector<const Band*> owners;
    for (std::size_t i = 0; i < t.memos.size(); ++i) {
        checkMemo(t, t.memos[i], int(i));
        owners.push_back(owner(t, t.memos[i].y));
    }
    std::size_t next = 0;
    for (const Band& b : t.bands) {
        out += bandLine(t, b);
        out += u'\n';
        for (; next < t.memos.size() && owners[next] == &b; ++next)
            out += row(t, t.memos[next], b.y) + u'\n';
    }
    if (next < t.memos.size()) {
        out += QStringLiteral("\nnobands\n");
        for (; next < t.memos.size() && owners[next] == nullptr; ++next)
            out += row(t, t.memos[next], 0) + u'\n';
    }
    if (next < t.memos.size())
        cannot(t, t.memos[next].name + QStringLiteral(": объекты не по порядку полос"));
    return out;
}

} // namespace vi23
