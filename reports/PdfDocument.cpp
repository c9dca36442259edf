#include "reports/PdfDocument.h"

#include "data/Error.h"
#include "reports/TextLayout.h"

#include <QGlyphRun>
#include <QIODevice>
#include <QPageLayout>
#include <QPageSize>
#include <QRawFont>

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <iterator>

namespace vi23 {

namespace {

constexpr qsizetype kFlushAt = 1 << 20;

void appendInteger(QByteArray& out, long long value)
{
    char digits[24];
    const auto end = std::to_chars(std::begin(digits), std::end(digits), value).ptr;
    out.append(digits, end - digits);
}

void appendNumber(QByteArray& out, double v, int decimals = 3)
{
    char buf[64];
    const double scale = std::pow(10.0, decimals);
    v = std::round(v * scale) / scale;
    if (v == 0)
        v = 0;   // no "-0"
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    if (ec != std::errc())
        end = buf + std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    char* p = end;
    if (decimals > 0) {
        while (p[-1] == '0')
            --p;
        if (p[-1] == '.')
            --p;
    }
    out.append(buf, p - buf);
}

void appendHex4(QByteArray& out, unsigned v)
{
    static const char digits[] = "0123456789ABCDEF";
    const char c[4] = {digits[(v >> 12) & 15], digits[(v >> 8) & 15], digits[(v >> 4) & 15], digits[v & 15]};
    out.append(c, 4);
}

// A zlib stream: qCompress puts the uncompressed length in front of it.
QByteArray deflate(const QByteArray& data)
{
    return qCompress(data).mid(4);
}

void appendColor(QByteArray& out, std::uint32_t c, const char* op)
{
    appendNumber(out, colorRed(c) / 255.0);
    out += ' ';
    appendNumber(out, colorGreen(c) / 255.0);
    out += ' ';
    appendNumber(out, colorBlue(c) / 255.0);
    out += ' ';
    out += op;
    out += '\n';
}

// Big-endian reads and writes within font tables; reads past the end give 0.
unsigned u16(const QByteArray& t, qsizetype at)
{
    if (at < 0 || at + 2 > t.size())
        return 0;
    return (unsigned(uchar(t[at])) << 8) | uchar(t[at + 1]);
}
int s16(const QByteArray& t, qsizetype at)
{
    return qint16(quint16(u16(t, at)));
}
quint32 u32(const QByteArray& t, qsizetype at)
{
    return (quint32(u16(t, at)) << 16) | u16(t, at + 2);
}
void put16(QByteArray& t, qsizetype at, unsigned v)
{
    t[at] = char(v >> 8);
    t[at + 1] = char(v);
}
void put32(QByteArray& t, qsizetype at, quint32 v)
{
    put16(t, at, v >> 16);
    put16(t, at + 2, v & 0xFFFF);
}
void append16(QByteArray& t, unsigned v)
{
    t += char(v >> 8);
    t += char(v);
}
void append32(QByteArray& t, quint32 v)
{
    append16(t, v >> 16);
    append16(t, v & 0xFFFF);
}

quint32 tableChecksum(const QByteArray& t)
{
    quint32 sum = 0;
    for (qsizetype i = 0; i < t.size(); i += 4) {
        quint32 word = 0;
        for (int k = 0; k < 4; ++k)
            word = (word << 8) | (i + k < t.size() ? uchar(t[i + k]) : 0);
        sum += word;
    }
    return sum;
}

// The font's PostScript name from its name table, for BaseFont.
QByteArray postScriptName(const QRawFont& raw)
{
    const QByteArray name = raw.fontTable("name");
    const unsigned count = u16(name, 2), strings = u16(name, 4);
    for (unsigned i = 0; i < count; ++i) {
        const qsizetype rec = 6 + qsizetype(i) * 12;
        if (u16(name, rec + 6) != 6)
            continue;
        const unsigned platform = u16(name, rec), length = u16(name, rec + 8), offset = u16(name, rec + 10);
        const QByteArray raw16 = name.mid(strings + offset, length);
        QByteArray out;
        if (platform == 3 || platform == 0) {
            for (qsizetype k = 0; k + 1 < raw16.size(); k += 2)
                out += char(u16(raw16, k));
        } else {
            out = raw16;
        }
        // Only characters a PDF name takes plainly.
        out.removeIf([](char c) { return c <= ' ' || c > '~' || QByteArray("()<>[]{}/%#").contains(c); });
        if (!out.isEmpty())
            return out;
    }
    QByteArray out = raw.familyName().toLatin1();
    out.removeIf([](char c) { return c <= ' ' || c > '~'; });
    return out.isEmpty() ? QByteArray("Font") : out;
}

// Page size in points and orientation exactly as the Qt writer took them.
QRect mediaBox(const PreparedPage& page)
{
    const bool landscape = page.paper.orientation == Orientation::Landscape;
    // Paper sizes are kept portrait-wise; A4 is 2100 x 2970 tenths of a millimetre.
    const double w = std::min(page.paper.width, page.paper.height) / 10.0;
    const double h = std::max(page.paper.width, page.paper.height) / 10.0;
    const QPageSize size = page.paper.paperSize == 9 ? QPageSize(QPageSize::A4)
                                                     : QPageSize(QSizeF(w, h), QPageSize::Millimeter);
    return QPageLayout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0))
        .fullRectPoints();
}

} // namespace

struct PdfDocument::FontKey {
    QString name;
    int style = 0;
    int font = 0;   // index in fonts_
};

struct PdfDocument::Font {
    QRawFont raw;              // at any size: glyph ids and tables are the same at all
    int index = 0;             // in fonts_
    int object = 0;            // the Type0 font, written at the end
    QByteArray resource;       // "/F1"
    bool bold = false;
    double unitsPerEm = 1000;
    std::vector<int> widths;   // as declared in /W, 1000 to the em, by glyph id
    std::vector<char16_t> unicode;   // the character each used glyph shows
    std::vector<bool> used;
    // Decorations, in fractions of the pixel size.
    double underlinePosition = 0, lineThickness = 0, descent = 0, ascent = 0;

    void use(quint32 glyph, char16_t c)
    {
        if (glyph >= used.size())
            return;
        if (!used[glyph]) {
            used[glyph] = true;
            unicode[glyph] = c;
        }
    }
    int width(quint32 glyph) const { return glyph < widths.size() ? widths[glyph] : 0; }
};

PdfDocument::PdfDocument(QIODevice& out, const QString& fileName, const QString& title)
    : out_(out), fileName_(fileName), title_(title)
{
    offsets_.assign(4, 0);   // 1 catalog, 2 page tree, 3 information, all written at the end
    // The binary comment marks the file as binary for transfer programs.
    buffer_ = QByteArray("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
}

PdfDocument::~PdfDocument() = default;

int PdfDocument::newObject()
{
    offsets_.push_back(0);
    return int(offsets_.size() - 1);
}

void PdfDocument::beginObject(int number)
{
    offsets_[size_t(number)] = written_ + buffer_.size();
    appendInteger(buffer_, number);
    buffer_ += " 0 obj\n";
}

void PdfDocument::writeStream(int number, const QByteArray& packed, qsizetype unpackedFontSize)
{
    beginObject(number);
    buffer_ += "<</Length ";
    appendInteger(buffer_, packed.size());
    if (unpackedFontSize >= 0) {
        buffer_ += "/Length1 ";
        appendInteger(buffer_, unpackedFontSize);
    }
    buffer_ += "/Filter/FlateDecode>>\nstream\n";
    buffer_ += packed;
    buffer_ += "\nendstream\nendobj\n";
}

void PdfDocument::flush()
{
    if (buffer_.isEmpty())
        return;
    if (out_.write(buffer_) != buffer_.size())
        throw UserError(QStringLiteral("Не удается записать файл %1").arg(fileName_));
    written_ += buffer_.size();
    buffer_.clear();
}

PdfDocument::Font* PdfDocument::fontFor(const MemoFont& memoFont)
{
    const int style = memoFont.style & (fontstyle::Bold | fontstyle::Italic);
    for (const FontKey& key : fontKeys_) {
        if (key.style == style && key.name == memoFont.name)
            return key.font < 0 ? nullptr : fonts_[size_t(key.font)].get();
    }
    // "Arial" and "Arial Baltic" are one font in the file.
    const QString family = substituteFontFamily(memoFont.name);
    for (const FontKey& key : fontKeys_) {
        if (key.style == style && substituteFontFamily(key.name) == family) {
            const int index = key.font;
            fontKeys_.push_back(FontKey{memoFont.name, style, index});
            return index < 0 ? nullptr : fonts_[size_t(index)].get();
        }
    }
    // Without the font file there is nothing to embed, and the layout had no glyphs to place either.
    const QRawFont raw = layoutGlyphRun(memoFont, QString()).rawFont();
    if (!raw.isValid() || raw.fontTable("glyf").isEmpty()) {
        fontKeys_.push_back(FontKey{memoFont.name, style, -1});
        return nullptr;
    }
    auto font = std::make_unique<Font>();
    font->raw = raw;
    font->index = int(fonts_.size());
    font->object = newObject();
    font->resource = "/F" + QByteArray::number(fonts_.size() + 1);
    font->bold = (style & fontstyle::Bold) != 0;
    const QByteArray head = raw.fontTable("head");
    const QByteArray hhea = raw.fontTable("hhea");
    const QByteArray hmtx = raw.fontTable("hmtx");
    const unsigned glyphs = u16(raw.fontTable("maxp"), 4);
    font->unitsPerEm = std::max(16u, u16(head, 18));
    const unsigned metrics = std::min(u16(hhea, 34), glyphs);
    font->widths.assign(glyphs, 0);
    for (unsigned g = 0; g < glyphs; ++g) {
        const unsigned advance = metrics == 0 ? 0 : u16(hmtx, 4 * qsizetype(std::min(g, metrics - 1)));
        font->widths[g] = int(std::lround(advance * 1000.0 / font->unitsPerEm));
    }
    font->used.assign(glyphs, false);
    font->unicode.assign(glyphs, 0);
    const double px = raw.pixelSize() > 0 ? raw.pixelSize() : 1;
    font->underlinePosition = raw.underlinePosition() / px;
    font->lineThickness = raw.lineThickness() / px;
    font->descent = raw.descent() / px;
    font->ascent = raw.ascent() / px;
    fonts_.push_back(std::move(font));
    fontKeys_.push_back(FontKey{memoFont.name, style, int(fonts_.size() - 1)});
    return fonts_.back().get();
}

namespace {

// Graphics state already set in the content stream, so each operator is written only when it changes.
struct PenState {
    std::uint32_t fill = 0xFFFFFFFF;
    std::uint32_t stroke = 0xFFFFFFFF;
    double width = -1;
    int cap = -1;

    void setFill(QByteArray& out, std::uint32_t c)
    {
        if (c != fill)
            appendColor(out, fill = c, "rg");
    }
    void setPen(QByteArray& out, std::uint32_t c, double w, int capStyle)
    {
        if (c != stroke)
            appendColor(out, stroke = c, "RG");
        if (w != width) {
            appendNumber(out, width = w);
            out += " w\n";
        }
        if (capStyle != cap) {
            appendInteger(out, cap = capStyle);
            out += " J\n";
        }
    }
};

void appendPoint(QByteArray& out, double x, double y, const char* op)
{
    appendNumber(out, x);
    out += ' ';
    appendNumber(out, y);
    out += op;
}

void appendRect(QByteArray& out, double x, double y, double w, double h)
{
    appendNumber(out, x);
    out += ' ';
    appendNumber(out, y);
    out += ' ';
    appendNumber(out, w);
    out += ' ';
    appendNumber(out, h);
    out += " re";
}

void appendLine(QByteArray& out, double x1, double y1, double x2, double y2)
{
    appendPoint(out, x1, y1, " m ");
    appendPoint(out, x2, y2, " l\n");
}

void appendFrame(QByteArray& out, PenState& pen, const PreparedBox& b)
{
    if (b.frameSides == 0 || b.frameWidth <= 0)
        return;
    pen.setPen(out, b.frameColor, b.frameWidth, 2);
    const double l = b.x, t = b.y, r = b.x + b.width, bt = b.y + b.height;
    if ((b.frameSides & frame::All) == frame::All && b.width > 0 && b.height > 0) {
        // Four square-capped sides cover what a closed rectangle with mitred corners covers.
        appendRect(out, l, t, b.width, b.height);
        out += " S\n";
        return;
    }
    // One path of open sides: each side keeps its own square caps.
    if (b.frameSides & frame::Left)
        appendLine(out, l, t, l, bt);
    if (b.frameSides & frame::Top)
        appendLine(out, l, t, r, t);
    if (b.frameSides & frame::Right)
        appendLine(out, r, t, r, bt);
    if (b.frameSides & frame::Bottom)
        appendLine(out, l, bt, r, bt);
    out += "S\n";
}

void appendLineObject(QByteArray& out, PenState& pen, const PreparedBox& b)
{
    if (b.width == 0 && b.height == 0)
        return;
    pen.setPen(out, b.frameColor, b.frameWidth, 2);
    if (b.height < b.width)
        appendLine(out, b.x, b.y, b.x + b.width, b.y);
    else
        appendLine(out, b.x, b.y, b.x, b.y + b.height);
    out += "S\n";
}

// The page's placement: layout units to points, y down from the top edge, then the content's offset and scale.
void appendPagePlacement(QByteArray& out, const PreparedPage& page, const QRect& media)
{
    const double sx = 72.0 / kUnitsPerInchX, sy = 72.0 / kUnitsPerInchY;
    appendNumber(out, sx * page.content.scale, 6);
    out += " 0 0 ";
    appendNumber(out, -sy * page.content.scale, 6);
    out += ' ';
    appendNumber(out, sx * page.content.x, 6);
    out += ' ';
    appendNumber(out, media.height() - sy * page.content.y, 6);
    out += " cm\n";
}

// One line as a text run in its own matrix, condensed across and upright in the y-down page.
void appendTextRun(QByteArray& out, PdfDocument::Font& font, double size, double ascent, const PreparedLine& line,
                   const QList<quint32>& glyphs, const QList<QPointF>& positions)
{
    appendNumber(out, line.scaleX, 5);
    out += " 0 0 -1 ";
    appendPoint(out, line.x, line.y + ascent, " Tm [<");
    // Where the declared width leaves the pen off the layout's position, an adjustment
    // (thousandths of the size, against the direction of writing) puts it back.
    double pos = 0;
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        const quint32 g = glyphs[i];
        if (const int adjust = int(std::lround((pos - positions[i].x()) * 1000.0 / size)); adjust != 0) {
            out += '>';
            appendInteger(out, adjust);
            out += '<';
            pos -= adjust * size / 1000.0;
        }
        font.use(g, line.text[i].unicode());
        appendHex4(out, g);
        pos += font.width(g) * size / 1000.0;
    }
    out += ">] TJ\n";
}

// Underline and strike-out where the painter draws them: from the whole unit at the start over the
// glyphs' advances, at the font's own offsets.
void appendDecorations(QByteArray& out, const PdfDocument::Font& font, const MemoFont& memoFont, double size,
                       double ascent, const PreparedLine& line, const QGlyphRun& run)
{
    const QList<quint32> glyphs = run.glyphIndexes();
    double width = run.positions().back().x();
    width += run.rawFont().advancesForGlyphIndexes(QList<quint32>{glyphs.back()}).value(0).x();
    const double baseline = line.y + ascent;
    const double x1 = line.scaleX == 1 ? std::floor(line.x) : line.x;
    const double x2 = line.scaleX == 1 ? std::floor(line.x + width) : line.x + line.scaleX * std::floor(width);
    if (memoFont.style & fontstyle::Underline) {
        const double offset = font.underlinePosition * size;
        double adjusted = std::ceil(offset) + 0.5;
        if (offset <= font.descent * size)
            adjusted = std::min(adjusted, font.descent * size - 0.5);
        appendLine(out, x1, baseline + adjusted, x2, baseline + adjusted);
    }
    if (memoFont.style & fontstyle::StrikeOut) {
        const double y = baseline - font.ascent * size / 3;
        appendLine(out, x1, y, x2, y);
    }
}

// A box's text lines in its font, clipped to the box where a line reaches outside it.
void appendText(QByteArray& out, PenState& pen, PdfDocument::Font& font, const PreparedBox& b)
{
    const bool clip = !linesInsideBox(b);
    const PenState saved = pen;
    if (clip) {
        out += "q ";
        appendRect(out, b.x, b.y, b.width, b.height);
        out += " W n\n";
    }
    const bool decorated = (b.font.style & (fontstyle::Underline | fontstyle::StrikeOut)) != 0;
    const double size = std::max(1, fontHeightUnits(b.font.size));
    const double ascent = layoutAscent(b.font);
    QByteArray decorations;
    bool begun = false;
    for (const PreparedLine& line : b.lines) {
        if (line.text.isEmpty())
            continue;
        const QGlyphRun run = layoutGlyphRun(b.font, line.text);
        const QList<quint32> glyphs = run.glyphIndexes();
        if (glyphs.isEmpty())
            continue;
        if (!begun) {
            pen.setFill(out, b.font.color);
            out += "BT ";
            out += font.resource;
            out += ' ';
            appendNumber(out, size);
            out += " Tf\n";
            begun = true;
        }
        appendTextRun(out, font, size, ascent, line, glyphs, run.positions());
        if (decorated)
            appendDecorations(decorations, font, b.font, size, ascent, line, run);
    }
    if (begun)
        out += "ET\n";
    if (!decorations.isEmpty()) {
        pen.setPen(out, b.font.color, font.lineThickness * size, 0);
        out += decorations;
        out += "S\n";
    }
    if (clip) {
        out += "Q\n";
        pen = saved;
    }
}

} // namespace

void PdfDocument::addPage(const PreparedPage& page)
{
    // The preparer and the reader of saved reports give every page a size and a placement.
    assert(page.width > 0 && page.height > 0 && page.content.scale > 0);
    const QRect media = mediaBox(page);
    assert(!media.isEmpty());
    QByteArray& out = content_;
    out.clear();
    appendPagePlacement(out, page, media);

    PenState pen;
    std::vector<int> pageFonts;
    for (const PreparedBox& b : page.boxes) {
        if (b.kind == PreparedBox::Kind::Line) {
            appendLineObject(out, pen, b);
            continue;
        }
        if (b.fillColor != kColorNone) {
            pen.setFill(out, b.fillColor);
            appendRect(out, b.x, b.y, b.width, b.height);
            out += " f\n";
        }
        if (Font* const font = b.lines.empty() ? nullptr : fontFor(b.font)) {
            if (std::find(pageFonts.begin(), pageFonts.end(), font->index) == pageFonts.end())
                pageFonts.push_back(font->index);
            appendText(out, pen, *font, b);
        }
        appendFrame(out, pen, b);
    }
    const int contents = newObject();
    writeStream(contents, deflate(out));
    writePageObject(contents, media, pageFonts);
}

void PdfDocument::writePageObject(int contents, const QRect& media, const std::vector<int>& pageFonts)
{
    const int pageObject = newObject();
    pages_.push_back(pageObject);
    beginObject(pageObject);
    buffer_ += "<</Type/Page/Parent 2 0 R/MediaBox[0 0 ";
    appendInteger(buffer_, media.width());
    buffer_ += ' ';
    appendInteger(buffer_, media.height());
    buffer_ += "]/Resources<<";
    if (!pageFonts.empty()) {
        buffer_ += "/Font<<";
        for (int f : pageFonts) {
            buffer_ += fonts_[size_t(f)]->resource;
            buffer_ += ' ';
            appendInteger(buffer_, fonts_[size_t(f)]->object);
            buffer_ += " 0 R";
        }
        buffer_ += ">>";
    }
    buffer_ += ">>/Contents ";
    appendInteger(buffer_, contents);
    buffer_ += " 0 R>>\nendobj\n";
    if (buffer_.size() >= kFlushAt)
        flush();
}

namespace {

// Glyph ids of the components of a composite glyph.
std::vector<quint32> components(const QByteArray& glyph)
{
    std::vector<quint32> out;
    if (glyph.size() < 10 || s16(glyph, 0) >= 0)
        return out;
    qsizetype at = 10;
    while (at + 4 <= glyph.size()) {
        const unsigned flags = u16(glyph, at);
        out.push_back(u16(glyph, at + 2));
        at += 4 + ((flags & 0x1) ? 4 : 2);
        if (flags & 0x8)
            at += 2;
        else if (flags & 0x40)
            at += 4;
        else if (flags & 0x80)
            at += 8;
        if (!(flags & 0x20))
            break;
    }
    return out;
}

// The glyph without its hinting instructions: PDF viewers scale outlines unhinted, and the programs the
// instructions call are not embedded.
QByteArray withoutInstructions(const QByteArray& glyph)
{
    if (glyph.size() < 10)
        return glyph;
    const int contours = s16(glyph, 0);
    if (contours >= 0) {
        const qsizetype lengthAt = 10 + 2 * qsizetype(contours);
        const qsizetype length = u16(glyph, lengthAt);
        if (lengthAt + 2 + length > glyph.size())
            return glyph;
        return glyph.left(lengthAt) + QByteArray(2, '\0') + glyph.mid(lengthAt + 2 + length);
    }
    QByteArray out = glyph;
    qsizetype at = 10, last = 10;
    while (at + 4 <= glyph.size()) {
        const unsigned flags = u16(glyph, at);
        last = at;
        at += 4 + ((flags & 0x1) ? 4 : 2) + ((flags & 0x8) ? 2 : (flags & 0x40) ? 4 : (flags & 0x80) ? 8 : 0);
        if (!(flags & 0x20))
            break;
    }
    put16(out, last, u16(glyph, last) & ~0x100u);
    return out.left(std::min(at, out.size()));
}

// A font file's glyph outlines by id, from its loca and glyf tables.
class GlyphTable {
public:
    explicit GlyphTable(const QRawFont& raw)
        : loca_(raw.fontTable("loca")), glyf_(raw.fontTable("glyf")), longOffsets_(s16(raw.fontTable("head"), 50) != 0)
    {
    }
    QByteArray glyph(quint32 g) const
    {
        const qsizetype from = longOffsets_ ? u32(loca_, 4 * g) : 2 * qsizetype(u16(loca_, 2 * g));
        const qsizetype to = longOffsets_ ? u32(loca_, 4 * (g + 1)) : 2 * qsizetype(u16(loca_, 2 * (g + 1)));
        return to > from && to <= glyf_.size() ? glyf_.mid(from, to - from) : QByteArray();
    }

private:
    QByteArray loca_, glyf_;
    bool longOffsets_;
};

// Keeps .notdef and the components of kept composites, also when nested.
void keepComponents(std::vector<bool>& keep, const GlyphTable& glyphs)
{
    const quint32 glyphCount = quint32(keep.size());
    keep[0] = true;
    std::vector<quint32> pending;
    for (quint32 g = 0; g < glyphCount; ++g)
        if (keep[g])
            pending.push_back(g);
    while (!pending.empty()) {
        const quint32 g = pending.back();
        pending.pop_back();
        for (quint32 c : components(glyphs.glyph(g))) {
            if (c < glyphCount && !keep[c]) {
                keep[c] = true;
                pending.push_back(c);
            }
        }
    }
}

struct FontTable {
    const char* tag;
    QByteArray data;
};

// The sfnt file of the tables, in tag order, with its directory and the whole-file checksum in head.
QByteArray assembleFont(const std::vector<FontTable>& tables)
{
    const unsigned n = unsigned(tables.size());
    unsigned power = 1, log2 = 0;
    while (power * 2 <= n) {
        power *= 2;
        ++log2;
    }
    QByteArray font;
    append32(font, 0x00010000);
    append16(font, n);
    append16(font, power * 16);
    append16(font, log2);
    append16(font, n * 16 - power * 16);
    quint32 offset = 12 + 16 * n;
    for (const FontTable& t : tables) {
        font += QByteArray(t.tag, 4);
        append32(font, tableChecksum(t.data));
        append32(font, offset);
        append32(font, quint32(t.data.size()));
        offset += quint32((t.data.size() + 3) & ~3);
    }
    qsizetype headAt = 0;
    for (const FontTable& t : tables) {
        if (qstrcmp(t.tag, "head") == 0)
            headAt = font.size();
        font += t.data;
        while (font.size() % 4)
            font += '\0';
    }
    put32(font, headAt + 8, 0xB1B0AFBA - tableChecksum(font));
    return font;
}

// The TrueType font with only the kept glyphs, ids unchanged: the others are empty and the tables end
// at the last kept glyph.
QByteArray subsetFont(const QRawFont& raw, std::vector<bool> keep)
{
    QByteArray head = raw.fontTable("head");
    QByteArray maxp = raw.fontTable("maxp");
    QByteArray hhea = raw.fontTable("hhea");
    const QByteArray hmtx = raw.fontTable("hmtx");
    const unsigned glyphCount = u16(maxp, 4);
    if (head.size() < 54 || hhea.size() < 36 || raw.fontTable("glyf").isEmpty() || glyphCount == 0)
        return QByteArray();
    const GlyphTable glyphs(raw);
    keep.resize(glyphCount, false);
    keepComponents(keep, glyphs);
    unsigned count = glyphCount;
    while (count > 1 && !keep[count - 1])
        --count;

    QByteArray newGlyf, newLoca, newHmtx;
    const unsigned metrics = u16(hhea, 34);
    const unsigned newMetrics = std::max(1u, std::min(metrics, count));
    for (quint32 g = 0; g < count; ++g) {
        append32(newLoca, quint32(newGlyf.size()));
        if (keep[g]) {
            newGlyf += withoutInstructions(glyphs.glyph(g));
            while (newGlyf.size() % 4)
                newGlyf += '\0';
        }
        // Unused glyphs get zero metrics, which compress to nothing.
        const qsizetype at = g < metrics ? 4 * qsizetype(g) : 4 * qsizetype(metrics) + 2 * qsizetype(g - metrics);
        if (g < newMetrics)
            append16(newHmtx, keep[g] ? u16(hmtx, g < metrics ? at : 4 * qsizetype(metrics - 1)) : 0);
        append16(newHmtx, keep[g] ? u16(hmtx, g < metrics ? at + 2 : at) : 0);
    }
    append32(newLoca, quint32(newGlyf.size()));
    put16(head, 50, 1);      // long loca offsets
    put32(head, 8, 0);       // checksum adjustment, set by assembleFont
    put16(maxp, 4, count);
    put16(hhea, 34, newMetrics);
    return assembleFont({{"glyf", newGlyf}, {"head", head}, {"hhea", hhea},
                         {"hmtx", newHmtx}, {"loca", newLoca}, {"maxp", maxp}});
}

QByteArray toUnicodeCMap(const std::vector<bool>& used, const std::vector<char16_t>& unicode)
{
    QByteArray out =
        "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
        "/CIDSystemInfo<</Registry(Adobe)/Ordering(UCS)/Supplement 0>> def\n"
        "/CMapName/Adobe-Identity-UCS def\n/CMapType 2 def\n"
        "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    std::vector<unsigned> glyphs;
    for (unsigned g = 0; g < used.size(); ++g)
        if (used[g] && unicode[g] != 0)
            glyphs.push_back(g);
    for (size_t from = 0; from < glyphs.size(); from += 100) {
        const size_t to = std::min(glyphs.size(), from + 100);
        appendInteger(out, static_cast<long long>(to - from));
        out += " beginbfchar\n";
        for (size_t i = from; i < to; ++i) {
            out += '<';
            appendHex4(out, glyphs[i]);
            out += "> <";
            appendHex4(out, unicode[glyphs[i]]);
            out += ">\n";
        }
        out += "endbfchar\n";
    }
    out += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    return out;
}

QByteArray pdfText(const QString& text)
{
    // UTF-16BE with its byte order mark, as a hex string.
    QByteArray out = "<FEFF";
    for (QChar c : text)
        appendHex4(out, c.unicode());
    out += '>';
    return out;
}

} // namespace

namespace {

// The subset's name: a tag that is the same for the same glyphs, then the font's own name.
QByteArray subsetName(const PdfDocument::Font& font)
{
    quint32 hash = 2166136261u;
    for (unsigned g = 0; g < font.used.size(); ++g) {
        if (font.used[g])
            hash = (hash ^ g) * 16777619u;
    }
    QByteArray name;
    for (int i = 0; i < 6; ++i) {
        name += char('A' + hash % 26);
        hash /= 26;
    }
    return name + '+' + postScriptName(font.raw);
}

// The /W array of the used glyphs' widths: runs of consecutive glyphs share one array.
void appendWidths(QByteArray& out, const PdfDocument::Font& font)
{
    out += "/W[";
    for (unsigned g = 0; g < font.used.size();) {
        if (!font.used[g]) {
            ++g;
            continue;
        }
        appendInteger(out, g);
        out += '[';
        for (bool first = true; g < font.used.size() && font.used[g]; ++g, first = false) {
            if (!first)
                out += ' ';
            appendInteger(out, font.widths[g]);
        }
        out += ']';
    }
    out += ']';
}

// The font descriptor's entries from the font's head, hhea, OS/2 and post tables, 1000 to the em.
void appendDescriptor(QByteArray& out, const PdfDocument::Font& font, const QByteArray& name, int fontFile)
{
    const QByteArray head = font.raw.fontTable("head");
    const QByteArray hhea = font.raw.fontTable("hhea");
    const QByteArray os2 = font.raw.fontTable("OS/2");
    const double em = 1000.0 / font.unitsPerEm;
    const double italicAngle = qint32(u32(font.raw.fontTable("post"), 4)) / 65536.0;
    const int ascent = int(std::lround(s16(hhea, 4) * em));
    const int capHeight = u16(os2, 0) >= 2 && os2.size() >= 90 ? int(std::lround(s16(os2, 88) * em)) : ascent;
    out += "<</Type/FontDescriptor/FontName/" + name + "/Flags ";
    appendInteger(out, 32 + (italicAngle != 0 ? 64 : 0));   // non-symbolic, italic
    out += "/FontBBox[";
    for (int at : {36, 38, 40, 42}) {
        appendInteger(out, std::lround(s16(head, at) * em));
        out += at == 42 ? "]" : " ";
    }
    out += "/ItalicAngle ";
    appendNumber(out, italicAngle, 2);
    out += "/Ascent ";
    appendInteger(out, ascent);
    out += "/Descent ";
    appendInteger(out, std::lround(s16(hhea, 6) * em));
    out += "/CapHeight ";
    appendInteger(out, capHeight);
    out += "/StemV ";
    appendInteger(out, font.bold ? 120 : 80);
    out += "/FontFile2 ";
    appendInteger(out, fontFile);
    out += " 0 R>>\nendobj\n";
}

} // namespace

void PdfDocument::writeFont(Font& font)
{
    const QByteArray name = subsetName(font);
    const QByteArray file = subsetFont(font.raw, font.used);
    const QByteArray packedFile = deflate(file);
    const int descendant = newObject(), descriptor = newObject(), fontFile = newObject(), toUnicode = newObject();

    beginObject(font.object);
    buffer_ += "<</Type/Font/Subtype/Type0/BaseFont/" + name + "/Encoding/Identity-H/DescendantFonts[";
    appendInteger(buffer_, descendant);
    buffer_ += " 0 R]/ToUnicode ";
    appendInteger(buffer_, toUnicode);
    buffer_ += " 0 R>>\nendobj\n";

    beginObject(descendant);
    buffer_ += "<</Type/Font/Subtype/CIDFontType2/BaseFont/" + name
        + "/CIDSystemInfo<</Registry(Adobe)/Ordering(Identity)/Supplement 0>>/FontDescriptor ";
    appendInteger(buffer_, descriptor);
    buffer_ += " 0 R/CIDToGIDMap/Identity/DW 1000";
    appendWidths(buffer_, font);
    buffer_ += ">>\nendobj\n";

    beginObject(descriptor);
    appendDescriptor(buffer_, font, name, fontFile);
    writeStream(fontFile, packedFile, file.size());
    writeStream(toUnicode, deflate(toUnicodeCMap(font.used, font.unicode)));
    if (buffer_.size() >= kFlushAt)
        flush();
}

void PdfDocument::finish()
{
    for (const auto& font : fonts_)
        writeFont(*font);

    beginObject(1);
    buffer_ += "<</Type/Catalog/Pages 2 0 R>>\nendobj\n";
    beginObject(2);
    buffer_ += "<</Type/Pages/Kids[";
    for (size_t i = 0; i < pages_.size(); ++i) {
        if (i > 0)
            buffer_ += ' ';
        appendInteger(buffer_, pages_[i]);
        buffer_ += " 0 R";
    }
    buffer_ += "]/Count ";
    appendInteger(buffer_, qsizetype(pages_.size()));
    buffer_ += ">>\nendobj\n";
    beginObject(3);
    buffer_ += "<</Title " + pdfText(title_) + "/Creator " + pdfText(QStringLiteral("vi23")) + ">>\nendobj\n";

    const qint64 xref = written_ + buffer_.size();
    buffer_ += "xref\n0 ";
    appendInteger(buffer_, qsizetype(offsets_.size()));
    buffer_ += "\n0000000000 65535 f \n";
    for (size_t i = 1; i < offsets_.size(); ++i)
        buffer_ += QByteArray::number(offsets_[i]).rightJustified(10, '0') + " 00000 n \n";
    buffer_ += "trailer\n<</Size ";
    appendInteger(buffer_, qsizetype(offsets_.size()));
    buffer_ += "/Root 1 0 R/Info 3 0 R>>\nstartxref\n";
    appendInteger(buffer_, xref);
    buffer_ += "\n%%EOF\n";
    flush();
}

} // namespace vi23
