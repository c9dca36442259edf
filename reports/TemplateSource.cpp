#include "reports/TemplateSource.h"

#include "data/Error.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace vi23 {

namespace {

const QChar kLineSign(0x23CE);   // ⏎ joins the lines of a memo

// condition= and dataset= take the rest of a band line, spaces included; a master data band may have
// both, its dataset= first. The value of `key`, cut off the parameters with the blank before it.
QString cutTail(QString& params, const char16_t* key)
{
    const QString text = QString::fromUtf16(key);
    const qsizetype at = params.indexOf(text);
    if (at < 0 || (at > 0 && params[at - 1] != u' '))
        return {};
    const QString value = params.mid(at + text.size());
    params = params.left(std::max<qsizetype>(at - 1, 0));
    return value;
}

class SourceReader {
public:
    SourceReader(const QString& fileName) : fileName_(QFileInfo(fileName).fileName()) {}

    Template parse(const QString& text);

private:
    [[noreturn]] void fail(const QString& what) const
    {
        throw UserError(QStringLiteral("%1, строка %2: %3").arg(fileName_).arg(lineNo_).arg(what));
    }

    int toInt(QStringView s, const char* what) const
    {
        bool ok = false;
        const int v = s.trimmed().toInt(&ok);
        if (!ok)
            fail(QStringLiteral("%1: не число \"%2\"").arg(QLatin1String(what), s.toString()));
        return v;
    }

    void headerLine(const QString& keyword, const QString& rest);
    void pageLine(const QString& rest);
    void bandLine(const QString& rest);
    void objectRow(const QString& line);
    void parseFrame(const QString& cell, MemoObject& memo) const;
    void parseFont(const QString& cell, MemoObject& memo) const;
    void parseAlign(const QString& cell, MemoObject& memo) const;
    void parseFormat(const QString& cell, MemoObject& memo) const;
    QStringList parseText(const QString& cell) const;

    QString fileName_;
    int lineNo_ = 0;
    Template t_;
    bool inObjects_ = false;
    bool noBands_ = false;
    int currentTop_ = 0;
    bool sawTemplate_ = false;
    bool sawPage_ = false;
};

Template SourceReader::parse(const QString& text)
{
    const QStringList lines = text.split(u'\n');
    for (const QString& raw : lines) {
        ++lineNo_;
        QString line = raw;
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        if (trimmed.startsWith(u'|')) {
            if (!inObjects_)
                fail(QStringLiteral("строка объекта вне полосы"));
            objectRow(trimmed);
            continue;
        }
        const qsizetype space = trimmed.indexOf(u' ');
        const QString keyword = space < 0 ? trimmed : trimmed.left(space);
        const QString rest = space < 0 ? QString() : trimmed.mid(space + 1).trimmed();
        if (keyword == u"band") {
            bandLine(rest);
        } else if (keyword == u"nobands") {
            inObjects_ = true;
            noBands_ = true;
            currentTop_ = 0;
        } else {
            if (inObjects_)
                fail(QStringLiteral("заголовок \"%1\" после полос").arg(keyword));
            headerLine(keyword, rest);
        }
    }
    lineNo_ = 0;
    if (!sawTemplate_)
        fail(QStringLiteral("нет строки template"));
    if (!sawPage_)
        fail(QStringLiteral("нет строки page"));
    return std::move(t_);
}

void SourceReader::headerLine(const QString& keyword, const QString& rest)
{
    if (keyword == u"template") {
        if (rest.isEmpty())
            fail(QStringLiteral("нет имени шаблона"));
        t_.name = rest;
        sawTemplate_ = true;
    } else if (keyword == u"dataset") {
        t_.defaultDataSet = rest;
    } else if (keyword == u"page") {
        pageLine(rest);
        sawPage_ = true;
    } else if (keyword == u"variables") {
        if (rest == u"none") {
            t_.variables = VariablesList{};
        } else if (rest == u"document") {
            // The one entry every document form carries: the field ss of ADOQuery1 in category bk.
            VariablesList v;
            v.entries.push_back(TemplateVariable{1, 0, QStringLiteral("ADOQuery1"), QStringLiteral("ss"),
                                                 QStringLiteral("ss  ")});
            v.displayOrder = QStringList{QStringLiteral("bk"), QStringLiteral(" ss  ")};
            t_.variables = v;
        } else {
            fail(QStringLiteral("неизвестный список переменных \"%1\"").arg(rest));
        }
    } else {
        fail(QStringLiteral("неизвестная строка \"%1\"").arg(keyword));
    }
}

void SourceReader::pageLine(const QString& rest)
{
    PageDescription& p = t_.page();
    for (const QString& item : rest.split(u' ', Qt::SkipEmptyParts)) {
        const qsizetype eq = item.indexOf(u'=');
        if (eq < 0)
            fail(QStringLiteral("ожидалось ключ=значение: \"%1\"").arg(item));
        const QString key = item.left(eq);
        const QString value = item.mid(eq + 1);
        if (key == u"paper") {
            p.paperSize = toInt(value, "paper");
        } else if (key == u"width") {
            p.width = toInt(value, "width");
        } else if (key == u"height") {
            p.height = toInt(value, "height");
        } else if (key == u"orientation") {
            if (value == u"portrait")
                p.orientation = Orientation::Portrait;
            else if (value == u"landscape")
                p.orientation = Orientation::Landscape;
            else
                fail(QStringLiteral("неизвестная ориентация \"%1\"").arg(value));
        } else if (key == u"margins") {
            const QStringList m = value.split(u',');
            if (m.size() != 4)
                fail(QStringLiteral("нужны четыре поля страницы"));
            p.marginLeft = toInt(m[0], "margins");
            p.marginTop = toInt(m[1], "margins");
            p.marginRight = toInt(m[2], "margins");
            p.marginBottom = toInt(m[3], "margins");
        } else {
            fail(QStringLiteral("неизвестный параметр страницы \"%1\"").arg(key));
        }
    }
}

void SourceReader::bandLine(const QString& rest)
{
    if (noBands_)
        fail(QStringLiteral("полоса после nobands"));
    Band band;
    const qsizetype space = rest.indexOf(u' ');
    band.name = space < 0 ? rest : rest.left(space);
    if (band.name.isEmpty())
        fail(QStringLiteral("нет имени полосы"));
    QString params = space < 0 ? QString() : rest.mid(space + 1);
    const QString condition = cutTail(params, u"condition=");
    const QString dataSet = cutTail(params, u"dataset=");
    bool sawKind = false, sawTop = false, sawHeight = false;
    for (const QString& item : params.split(u' ', Qt::SkipEmptyParts)) {
        const qsizetype eq = item.indexOf(u'=');
        const QString key = eq < 0 ? item : item.left(eq);
        const QString value = eq < 0 ? QString() : item.mid(eq + 1);
        if (item == u"repeat") {
            band.flags |= bandflag::RepeatHeader;
        } else if (key == u"kind") {
            const int kind = toInt(value, "kind");
            if (kind < 0 || kind >= int(BandKind::None))
                fail(QStringLiteral("вид полосы вне 0..20: %1").arg(kind));
            band.kind = BandKind(kind);
            sawKind = true;
        } else if (key == u"top") {
            band.y = toInt(value, "top");
            sawTop = true;
        } else if (key == u"height") {
            band.height = toInt(value, "height");
            sawHeight = true;
        } else {
            fail(QStringLiteral("неизвестный параметр полосы \"%1\"").arg(key));
        }
    }
    if (!sawKind || !sawTop || !sawHeight)
        fail(QStringLiteral("у полосы нужны kind, top и height"));
    if (band.kind == BandKind::MasterData) {
        band.formatText = dataSet;
        if (!condition.isEmpty())
            band.script = QStringList{condition};
    } else if (!dataSet.isEmpty()) {
        fail(QStringLiteral("dataset= бывает только у полосы данных"));
    } else {
        band.formatText = condition;
    }
    if (band.repeatsOnEveryPage() && band.kind != BandKind::MasterHeader)
        fail(QStringLiteral("repeat бывает только у заголовка данных"));
    band.x = 0;
    band.width = tenthsMmToUnitsX(t_.page().width);
    band.flags |= bandflag::Default;
    currentTop_ = band.y;
    inObjects_ = true;
    t_.bands.push_back(std::move(band));
}

void SourceReader::objectRow(const QString& line)
{
    // Cell separators: the first eight after the opening bar end the cells x..fmt; the text
    // cell runs from there to the row's last bar, so it may hold bars and quotes itself.
    QList<qsizetype> bars;
    for (qsizetype i = 0; i < line.size() && bars.size() < 9; ++i) {
        if (line[i] == u'|')
            bars.push_back(i);
    }
    const qsizetype lastBar = line.lastIndexOf(u'|');
    if (bars.size() < 9 || lastBar <= bars[8])
        fail(QStringLiteral("в строке объекта нужно девять ячеек"));
    QStringList cells;
    for (int i = 0; i < 8; ++i)
        cells.push_back(line.mid(bars[i] + 1, bars[i + 1] - bars[i] - 1).trimmed());
    const QString textCell = line.mid(bars[8] + 1, lastBar - bars[8] - 1).trimmed();

    // The table's own heading and rule rows.
    if (cells[0] == u"x" || cells[0].startsWith(u'-'))
        return;

    MemoObject memo;
    memo.name = QStringLiteral("Memo%1").arg(t_.memos.size() + 1);
    memo.x = toInt(cells[0], "x");
    memo.y = toInt(cells[1], "y") + (noBands_ ? 0 : currentTop_);
    memo.width = toInt(cells[2], "w");
    memo.height = toInt(cells[3], "h");
    memo.flags = memoflag::WordWrap;
    parseFrame(cells[4], memo);
    parseFont(cells[5], memo);
    parseAlign(cells[6], memo);
    parseFormat(cells[7], memo);
    memo.lines = parseText(textCell);
    t_.memos.push_back(std::move(memo));
}

void SourceReader::parseFrame(const QString& cell, MemoObject& memo) const
{
    const QStringList parts = cell.split(u' ', Qt::SkipEmptyParts);
    if (parts.isEmpty())
        fail(QStringLiteral("пустая ячейка рамки"));
    QString sides = parts[0];
    memo.frameWidth = 1;
    if (sides.endsWith(u'=')) {
        memo.frameWidth = 2;
        sides.chop(1);
    }
    memo.frameSides = 0;
    if (sides != u"-") {
        for (QChar c : sides) {
            switch (c.unicode()) {
            case 'L': memo.frameSides |= frame::Left; break;
            case 'T': memo.frameSides |= frame::Top; break;
            case 'R': memo.frameSides |= frame::Right; break;
            case 'B': memo.frameSides |= frame::Bottom; break;
            default: fail(QStringLiteral("неизвестная сторона рамки \"%1\"").arg(c));
            }
        }
    }
    memo.fillColor = kColorNone;
    if (parts.size() == 1)
        return;
    if (parts.size() != 3 || parts[1] != u"fill")
        fail(QStringLiteral("ожидалось fill teal или fill white: \"%1\"").arg(cell));
    if (parts[2] == u"teal")
        memo.fillColor = kColorTeal;
    else if (parts[2] == u"white")
        memo.fillColor = kColorWhite;
    else
        fail(QStringLiteral("неизвестный цвет заливки \"%1\"").arg(parts[2]));
}

void SourceReader::parseFont(const QString& cell, MemoObject& memo) const
{
    static const QRegularExpression re(QStringLiteral("^(AN|AB|A)(\\d+)([biu]*)(?: (white))?$"));
    const auto m = re.match(cell);
    if (!m.hasMatch())
        fail(QStringLiteral("неверный шрифт \"%1\"").arg(cell));
    const QString face = m.captured(1);
    memo.font.name = face == u"AN" ? QStringLiteral("Arial Narrow")
        : face == u"AB"             ? QStringLiteral("Arial Baltic")
                                    : QStringLiteral("Arial");
    memo.font.size = m.captured(2).toInt();
    memo.font.style = 0;
    for (QChar c : m.captured(3)) {
        if (c == u'b')
            memo.font.style |= fontstyle::Bold;
        else if (c == u'i')
            memo.font.style |= fontstyle::Italic;
        else if (c == u'u')
            memo.font.style |= fontstyle::Underline;
    }
    memo.font.color = m.captured(4).isEmpty() ? kColorBlack : kColorWhite;
    memo.font.charset = kCharsetCyrillic;
}

void SourceReader::parseAlign(const QString& cell, MemoObject& memo) const
{
    if (cell.size() != 2)
        fail(QStringLiteral("неверное выравнивание \"%1\"").arg(cell));
    HAlign h;
    switch (cell[0].unicode()) {
    case 'L': h = HAlign::Left; break;
    case 'C': h = HAlign::Center; break;
    case 'R': h = HAlign::Right; break;
    case 'J': h = HAlign::Justify; break;
    default: fail(QStringLiteral("неверное выравнивание \"%1\"").arg(cell));
    }
    VAlign v;
    switch (cell[1].unicode()) {
    case 'T': v = VAlign::Top; break;
    case 'M': v = VAlign::Middle; break;
    case 'B': v = VAlign::Bottom; break;
    default: fail(QStringLiteral("неверное выравнивание \"%1\"").arg(cell));
    }
    memo.alignment = packAlignment(h, v);
}

void SourceReader::parseFormat(const QString& cell, MemoObject& memo) const
{
    DisplayFormat f;
    static const QRegularExpression fixed(QStringLiteral("^F(\\d)(-?)$"));
    static const QRegularExpression date(QStringLiteral("^D([0-3])$"));
    if (cell.isEmpty()) {
        f.category = DisplayFormat::Text;
    } else if (cell == u"G") {
        f.category = DisplayFormat::Number;
        f.subFormat = 0;
        f.digits = 2;
    } else if (const auto m = fixed.match(cell); m.hasMatch()) {
        f.category = DisplayFormat::Number;
        f.subFormat = 1;
        f.digits = m.captured(1).toInt();
        f.separator = m.captured(2).isEmpty() ? ',' : '-';
    } else if (const auto d = date.match(cell); d.hasMatch()) {
        f.category = DisplayFormat::Date;
        f.subFormat = d.captured(1).toInt();
    } else {
        fail(QStringLiteral("неизвестный формат \"%1\"").arg(cell));
    }
    memo.format = f;
}

QStringList SourceReader::parseText(const QString& cell) const
{
    if (cell.isEmpty())
        return {};
    if (cell.size() < 2 || !cell.startsWith(u'"') || !cell.endsWith(u'"'))
        fail(QStringLiteral("текст должен стоять в кавычках"));
    const QString inner = cell.mid(1, cell.size() - 2);
    // Lines are joined by " ⏎ "; one space on each side of the sign belongs to the joint.
    QStringList parts = inner.split(kLineSign);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0 && parts[i].startsWith(u' '))
            parts[i].remove(0, 1);
        if (i + 1 < parts.size() && parts[i].endsWith(u' '))
            parts[i].chop(1);
    }
    return parts;
}

} // namespace

Template parseTemplateSource(const QString& text, const QString& fileName)
{
    return SourceReader(fileName).parse(text);
}

Template loadTemplateSource(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw UserError(QStringLiteral("Не удается открыть файл %1").arg(path));
    return parseTemplateSource(QString::fromUtf8(file.readAll()), path);
}

} // namespace vi23
