#include "reports/TextLayout.h"

#include <QGlyphRun>
#include <QHash>
#include <QRawFont>
#include <cmath>
#include <memory>
#include <vector>

namespace vi23 {

namespace {

struct Glyph {
    quint32 index = 0;
    double advance = -1;   // negative: not looked up yet
};

// Per-character glyphs and advances of one font at one layout size, filled on demand.
class AdvanceCache {
public:
    explicit AdvanceCache(const QFont& font) : raw_(QRawFont::fromFont(font)) {}

    const Glyph& glyph(char16_t c)
    {
        if (c < 0x500) {
            if (table_.empty())
                table_.assign(0x500, Glyph{});
            Glyph& g = table_[c];
            if (g.advance < 0)
                g = lookUp(c);
            return g;
        }
        auto it = other_.find(c);
        if (it == other_.end())
            it = other_.insert(c, lookUp(c));
        return *it;
    }
    double advance(char16_t c) { return glyph(c).advance; }
    const QRawFont& raw() const { return raw_; }

private:
    Glyph lookUp(char16_t c) const
    {
        if (!raw_.isValid())
            return Glyph{0, 0};
        const QList<quint32> glyphs = raw_.glyphIndexesForString(QString(QChar(c)));
        if (glyphs.isEmpty())
            return Glyph{0, 0};
        const QList<QPointF> adv =
            raw_.advancesForGlyphIndexes(glyphs, QRawFont::SeparateAdvances | QRawFont::UseDesignMetrics);
        // Whole units per glyph, as the forms were laid out at their reference size; still the
        // unhinted design advance, so the result is the same on every device.
        return Glyph{glyphs.front(), adv.isEmpty() ? 0 : std::round(adv.front().x())};
    }

    QRawFont raw_;
    std::vector<Glyph> table_;
    QHash<char16_t, Glyph> other_;
};

AdvanceCache& cacheFor(const MemoFont& memoFont)
{
    // Few fonts per report: a short list searched in order beats building hash keys per call.
    struct Entry {
        QString name;
        int size;
        int style;
        std::unique_ptr<AdvanceCache> cache;
    };
    static std::vector<Entry> entries;
    const int style = memoFont.style & (fontstyle::Bold | fontstyle::Italic);
    for (Entry& e : entries) {
        if (e.size == memoFont.size && e.style == style && e.name == memoFont.name)
            return *e.cache;
    }
    MemoFont key = memoFont;
    key.style = style;
    entries.push_back(Entry{memoFont.name, memoFont.size, style,
                            std::make_unique<AdvanceCache>(layoutFont(key, fontHeightUnits(memoFont.size)))});
    return *entries.back().cache;
}

} // namespace

int fontHeightUnits(int points)
{
    return int(std::lround(points * 96.0 / 72.0));
}

QString substituteFontFamily(const QString& name)
{
    if (name.compare(u"Arial Narrow", Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Sans Narrow");
    if (name.compare(u"Arial", Qt::CaseInsensitive) == 0 || name.compare(u"Arial Baltic", Qt::CaseInsensitive) == 0)
        return QStringLiteral("Liberation Sans");
    return name;
}

QFont layoutFont(const MemoFont& memoFont, int pixelSize)
{
    QFont font(substituteFontFamily(memoFont.name));
    font.setPixelSize(std::max(1, pixelSize));
    font.setBold((memoFont.style & fontstyle::Bold) != 0);
    font.setItalic((memoFont.style & fontstyle::Italic) != 0);
    font.setUnderline((memoFont.style & fontstyle::Underline) != 0);
    font.setStrikeOut((memoFont.style & fontstyle::StrikeOut) != 0);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferOutline | QFont::NoFontMerging));
    return font;
}

QGlyphRun layoutGlyphRun(const MemoFont& memoFont, const QString& text)
{
    AdvanceCache& cache = cacheFor(memoFont);
    QList<quint32> indexes;
    QList<QPointF> positions;
    indexes.reserve(text.size());
    positions.reserve(text.size());
    double x = 0;
    for (QChar c : text) {
        const Glyph& g = cache.glyph(c.unicode());
        indexes.push_back(g.index);
        positions.push_back(QPointF(x, 0));
        x += g.advance;
    }
    QGlyphRun run;
    run.setRawFont(cache.raw());
    run.setGlyphIndexes(indexes);
    run.setPositions(positions);
    run.setUnderline((memoFont.style & fontstyle::Underline) != 0);
    run.setStrikeOut((memoFont.style & fontstyle::StrikeOut) != 0);
    return run;
}

double layoutAscent(const MemoFont& memoFont)
{
    return cacheFor(memoFont).raw().ascent();
}

bool linesInsideBox(const PreparedBox& b)
{
    for (const PreparedLine& line : b.lines) {
        if (line.text.isEmpty())
            continue;
        if (line.y < b.y || line.y + b.fontHeight > b.y + b.height || line.x < b.x
            || line.x + textWidthUnits(b.font, line.text) * line.scaleX > b.x + b.width)
            return false;
    }
    return true;
}

double textWidthUnits(const MemoFont& memoFont, const QString& text)
{
    AdvanceCache& cache = cacheFor(memoFont);
    double w = 0;
    for (QChar c : text)
        w += cache.advance(c.unicode());
    return w;
}

QStringList wrapLine(const MemoFont& memoFont, const QString& line, double width)
{
    AdvanceCache& cache = cacheFor(memoFont);
    QStringList out;
    QString rest = line;
    while (true) {
        double w = 0;
        qsizetype fit = 0;   // characters that fit
        while (fit < rest.size()) {
            const double next = w + cache.advance(rest[fit].unicode());
            if (next > width + 1e-9)
                break;
            w = next;
            ++fit;
        }
        if (fit == rest.size()) {
            out.push_back(rest);
            return out;
        }
        // Break at the last space at or before the overflow.
        const qsizetype space = rest.lastIndexOf(u' ', fit);
        if (space > 0) {
            out.push_back(rest.left(space));
            rest = rest.mid(space + 1);
        } else if (const qsizetype end = rest.indexOf(u' ');
                   space < 0 && textWidthUnits(memoFont, end < 0 ? rest : rest.left(end)) * kMinCondensed <= width) {
            // The word on its own line, condensed there; never broken inside.
            out.push_back(end < 0 ? rest : rest.left(end));
            if (end < 0)
                return out;
            rest = rest.mid(end + 1);
        } else {
            const qsizetype cut = std::max<qsizetype>(fit, 1);
            out.push_back(rest.left(cut));
            rest = rest.mid(cut);
        }
        if (rest.isEmpty())
            return out;
    }
}

namespace {

struct SetLine {
    QString text;
    double scaleX = 1;
    double width = -1;   // at full width, when measured
};

// A text with no blank to break at: a number, a date, "115/КО".
bool unbreakable(const QString& line)
{
    return !QStringView(line).trimmed().contains(u' ');
}

std::vector<SetLine> setLines(const MemoFont& font, const QStringList& lines, bool wordWrap, double inner)
{
    std::vector<SetLine> set;
    for (const QString& line : lines) {
        if (!line.isEmpty() && unbreakable(line)) {
            // Condensed just enough to fit, never broken inside the word or clipped.
            const double w = textWidthUnits(font, line);
            set.push_back(SetLine{line, w > inner && inner > 0 ? inner / w : 1.0, w});
        } else if (wordWrap && !line.isEmpty()) {
            for (const QString& part : wrapLine(font, line, inner)) {
                const double w = textWidthUnits(font, part);
                set.push_back(SetLine{part, w > inner && inner > 0 ? inner / w : 1.0, w});
            }
        } else {
            set.push_back(SetLine{line});
        }
    }
    return set;
}

// Height from the top of the first line to the bottom of the last one that holds text.
double inkHeight(const std::vector<SetLine>& set, int fontHeight)
{
    qsizetype last = qsizetype(set.size());
    while (last > 0 && QStringView(set[size_t(last - 1)].text).trimmed().isEmpty())
        --last;
    return last == 0 ? 0 : double(last) * (fontHeight + 2) - 2;
}

} // namespace

double wrappedTextHeight(const MemoFont& font, const QStringList& lines, bool wordWrap, double width)
{
    return inkHeight(setLines(font, lines, wordWrap, width - 4), fontHeightUnits(font.size)) + 2;
}

void layoutText(PreparedBox& box, const QStringList& lines, bool wordWrap)
{
    box.fontHeight = fontHeightUnits(box.font.size);
    const double inner = box.width - 4;
    std::vector<SetLine> set = setLines(box.font, lines, wordWrap, inner);
    // Text taller than its box is set smaller until it fits, so no line is lost.
    bool overflow = inkHeight(set, box.fontHeight) + 1 > box.height;
    for (int size = box.font.size - 1; overflow && size >= 4; --size) {
        MemoFont smaller = box.font;
        smaller.size = size;
        std::vector<SetLine> trial = setLines(smaller, lines, wordWrap, inner);
        if (inkHeight(trial, fontHeightUnits(size)) + 1 <= box.height || size == 4) {
            box.font = smaller;
            box.fontHeight = fontHeightUnits(size);
            set = std::move(trial);
            overflow = inkHeight(set, box.fontHeight) + 1 > box.height;
        }
    }
    const double step = box.fontHeight + 2;
    const double blockHeight = set.size() * step;
    double y = box.y + 1;
    const int valign = (box.alignment >> 3) & 3;
    // When the text still does not fit, its beginning shows.
    if (!overflow && valign == int(VAlign::Middle))
        y += (box.height - blockHeight) / 2;
    else if (!overflow && valign == int(VAlign::Bottom))
        y += box.height - blockHeight;
    const int halign = box.alignment & 3;
    box.lines.clear();
    box.lines.reserve(set.size());
    for (const SetLine& line : set) {
        double x = box.x + 2;
        if (line.scaleX == 1 && (halign == int(HAlign::Right) || halign == int(HAlign::Center))) {
            const double w = line.width >= 0 ? line.width : textWidthUnits(box.font, line.text);
            if (halign == int(HAlign::Right))
                x = box.x + box.width - 3 - w;
            else
                x = box.x + 2 + (inner - w) / 2;
        }
        box.lines.push_back(PreparedLine{line.text, x, y, line.scaleX});
        y += step;
    }
}

} // namespace vi23
