#include "reports/PreparedReport.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <tuple>

#include "data/Error.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vi23 {

namespace {

const QString kFileKind = QStringLiteral("vi23-prepared-report");
constexpr int kFileVersion = 1;

QString frameCode(const PreparedBox& b)
{
    QString s = frameSidesCode(b.frameSides);
    if (s != u"-" && b.frameWidth != 1)
        s += u'=';
    if (b.fillColor == kColorTeal)
        s += QStringLiteral(" fill teal");
    else if (b.fillColor == kColorWhite)
        s += QStringLiteral(" fill white");
    else if (b.fillColor != kColorNone)
        s += QStringLiteral(" fill #%1").arg(b.fillColor, 6, 16, QLatin1Char('0'));
    return s;
}

QString fontCode(const MemoFont& f)
{
    QString s = fontFamilyCode(f.name);
    if (s.isEmpty())
        s = f.name + u' ';
    s += QString::number(f.size) + fontStyleCode(f.style);
    if (f.color == kColorWhite)
        s += QStringLiteral(" white");
    else if (f.color != kColorBlack)
        s += QStringLiteral(" #%1").arg(f.color, 6, 16, QLatin1Char('0'));
    return s;
}

QString alignCode(int alignment)
{
    static const char h[] = {'L', 'R', 'C', 'J'};
    static const char v[] = {'T', 'M', 'B', 'B'};
    return QString(QChar::fromLatin1(h[alignment & 3])) + QChar::fromLatin1(v[(alignment >> 3) & 3]);
}

[[noreturn]] void damaged(const QString& what)
{
    throw UserError(QStringLiteral("Файл отчета поврежден: %1").arg(what));
}

QJsonObject pageToJson(const PageDescription& p)
{
    return QJsonObject{{"paper", p.paperSize}, {"width", p.width}, {"height", p.height},
                       {"landscape", p.orientation == Orientation::Landscape},
                       {"margins", QJsonArray{p.marginLeft, p.marginTop, p.marginRight, p.marginBottom}}};
}

PageDescription pageFromJson(const QJsonObject& o)
{
    PageDescription p;
    p.paperSize = o.value("paper").toInt(9);
    p.width = o.value("width").toInt(2100);
    p.height = o.value("height").toInt(2970);
    p.orientation = o.value("landscape").toBool() ? Orientation::Landscape : Orientation::Portrait;
    const QJsonArray m = o.value("margins").toArray();
    if (m.size() == 4) {
        p.marginLeft = m[0].toInt();
        p.marginTop = m[1].toInt();
        p.marginRight = m[2].toInt();
        p.marginBottom = m[3].toInt();
    }
    return p;
}

} // namespace

void ContentExtent::add(const PreparedPage& page)
{
    width_ = page.width;
    height_ = page.height;
    for (const PreparedBox& b : page.boxes) {
        // A box with no frame, fill or text leaves no mark.
        const bool marks = b.kind == PreparedBox::Kind::Line || b.frameSides != 0 || b.fillColor != kColorNone
            || std::any_of(b.lines.begin(), b.lines.end(), [](const PreparedLine& l) { return !QStringView(l.text).trimmed().isEmpty(); });
        if (!marks)
            continue;
        minX_ = std::min(minX_, double(b.x));
        minY_ = std::min(minY_, double(b.y));
        maxX_ = std::max(maxX_, double(b.x + b.width));
        maxY_ = std::max(maxY_, double(b.y + b.height));
    }
}

std::optional<ContentPlacement> ContentExtent::placement() const
{
    if (maxX_ < minX_)
        return std::nullopt;
    const double safeWidth = width_ - 2.0 * kSafeMarginX, safeHeight = height_ - 2.0 * kSafeMarginY;
    const double scale = std::min({1.0, safeWidth / std::max(1.0, maxX_ - minX_), safeHeight / std::max(1.0, maxY_ - minY_)});
    // The smallest move that brings the scaled content inside the safe area.
    auto shift = [scale](double lo, double hi, double margin, double size) {
        const double least = margin - lo * scale, most = size - margin - hi * scale;
        return std::min(std::max(0.0, least), most);
    };
    return ContentPlacement{shift(minX_, maxX_, kSafeMarginX, width_), shift(minY_, maxY_, kSafeMarginY, height_), scale};
}

void placeContentInsideMargins(PreparedReport& report)
{
    ContentExtent extent;
    for (const PreparedPage& page : report.pages)
        extent.add(page);
    const std::optional<ContentPlacement> placement = extent.placement();
    if (!placement)
        return;
    for (PreparedPage& page : report.pages)
        page.content = *placement;
}

namespace {

QDataStream& operator<<(QDataStream& out, const PreparedPage& page)
{
    const PageDescription& p = page.paper;
    out << page.width << page.height << p.paperSize << p.width << p.height << int(p.orientation) << p.marginLeft
        << p.marginTop << p.marginRight << p.marginBottom << p.useMargins << p.printToPrevious << p.columns
        << p.columnGap << page.content.x << page.content.y << page.content.scale << quint32(page.boxes.size());
    for (const PreparedBox& b : page.boxes) {
        out << int(b.kind) << b.x << b.y << b.width << b.height << b.frameSides << b.frameWidth << b.frameColor
            << b.fillColor << b.font.name << b.font.size << b.font.style << b.font.color << b.font.charset
            << b.fontHeight << b.alignment << quint32(b.lines.size());
        for (const PreparedLine& l : b.lines)
            out << l.text << l.x << l.y << l.scaleX;
    }
    return out;
}

QDataStream& operator>>(QDataStream& in, PreparedPage& page)
{
    PageDescription& p = page.paper;
    int orientation = 0;
    quint32 boxes = 0;
    in >> page.width >> page.height >> p.paperSize >> p.width >> p.height >> orientation >> p.marginLeft
        >> p.marginTop >> p.marginRight >> p.marginBottom >> p.useMargins >> p.printToPrevious >> p.columns
        >> p.columnGap >> page.content.x >> page.content.y >> page.content.scale >> boxes;
    p.orientation = Orientation(orientation);
    page.boxes.resize(in.status() == QDataStream::Ok ? boxes : 0);
    for (PreparedBox& b : page.boxes) {
        int kind = 0;
        quint32 lines = 0;
        in >> kind >> b.x >> b.y >> b.width >> b.height >> b.frameSides >> b.frameWidth >> b.frameColor
            >> b.fillColor >> b.font.name >> b.font.size >> b.font.style >> b.font.color >> b.font.charset
            >> b.fontHeight >> b.alignment >> lines;
        b.kind = PreparedBox::Kind(kind);
        b.lines.resize(in.status() == QDataStream::Ok ? lines : 0);
        for (PreparedLine& l : b.lines)
            in >> l.text >> l.x >> l.y >> l.scaleX;
    }
    return in;
}

} // namespace

PageSpool::PageSpool()
{
    if (!file_.open())
        throw UserError(QStringLiteral("Не удается создать временный файл отчета: %1").arg(file_.errorString()));
    stream_.setDevice(&file_);
}

void PageSpool::add(const PreparedPage& page)
{
    stream_ << page;
    if (stream_.status() != QDataStream::Ok)
        throw UserError(QStringLiteral("Не удается записать временный файл отчета: %1").arg(file_.errorString()));
    ++count_;
}

void PageSpool::replay(const std::function<void(PreparedPage& page)>& each)
{
    if (!file_.flush() || !file_.seek(0))
        throw UserError(QStringLiteral("Не удается прочитать временный файл отчета: %1").arg(file_.errorString()));
    stream_.resetStatus();
    for (int i = 0; i < count_; ++i) {
        PreparedPage page;
        stream_ >> page;
        if (stream_.status() != QDataStream::Ok)
            throw UserError(QStringLiteral("Не удается прочитать временный файл отчета: %1").arg(file_.errorString()));
        each(page);
    }
}

QStringList PreparedBox::texts() const
{
    QStringList out;
    for (const PreparedLine& l : lines)
        out.push_back(l.text);
    return out;
}

namespace {

// A long book repeats a handful of frames and fonts on every page: each code is made once.
template <typename Key>
class CodeCache {
public:
    template <typename Make>
    const QByteArray& get(const Key& key, Make make)
    {
        for (const auto& [k, code] : codes_)
            if (k == key)
                return code;
        codes_.emplace_back(key, make().toUtf8());
        return codes_.back().second;
    }

private:
    std::vector<std::pair<Key, QByteArray>> codes_;
};

// Writes at `p`, room given; a long book passes here for every box, so nothing is allocated.
char* putInteger(char* p, long long value)
{
    return std::to_chars(p, p + 24, value).ptr;
}

char* putBytes(char* p, const char* bytes, qsizetype size)
{
    std::memcpy(p, bytes, size_t(size));
    return p + size;
}

char* putBytes(char* p, const QByteArray& bytes)
{
    return putBytes(p, bytes.constData(), bytes.size());
}

// UTF-8 of a text without surrogate pairs (false when it has one, written by toUtf8 then). Qt's
// encoder into a buffer writes a lone surrogate otherwise than toUtf8 does, which the dump always used.
bool putBasicUtf8(char*& p, const QString& text)
{
    char* q = p;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            *q++ = char(u);
        } else if (u < 0x800) {
            *q++ = char(0xC0 | (u >> 6));
            *q++ = char(0x80 | (u & 0x3F));
        } else if (QChar::isSurrogate(u)) {
            return false;
        } else {
            *q++ = char(0xE0 | (u >> 12));
            *q++ = char(0x80 | ((u >> 6) & 0x3F));
            *q++ = char(0x80 | (u & 0x3F));
        }
    }
    p = q;
    return true;
}

} // namespace

void dumpPreparedPage(const PreparedPage& page, int number, QByteArray& out)
{
    using FrameKey = std::tuple<int, bool, std::uint32_t>;
    using FontKey = std::tuple<QString, int, int, std::uint32_t, int>;
    thread_local CodeCache<FrameKey> frames;
    thread_local CodeCache<FontKey> fonts;
    constexpr char kSeparator[] = " | ";
    constexpr char kLineBreak[] = " \xE2\x8F\x8E ";   // " ⏎ "
    constexpr qsizetype kNumberRoom = 24;
    for (const PreparedBox& b : page.boxes) {
        const bool isLine = b.kind == PreparedBox::Kind::Line;
        const QByteArray* frame = nullptr;
        const QByteArray* font = nullptr;
        QByteArray line;   // a line object's code: lines are few
        // Room for the numbers, codes and separators, and three bytes for every letter.
        qsizetype room = 5 * kNumberRoom + 3 * 3 + 1;
        if (isLine) {
            line = QStringLiteral("line %1 |").arg(b.frameWidth).toUtf8();
            room += line.size();
        } else {
            frame = &frames.get(FrameKey{b.frameSides, b.frameWidth != 1, b.fillColor}, [&] { return frameCode(b); });
            font = &fonts.get(FontKey{b.font.name, b.font.size, b.font.style, b.font.color, b.alignment},
                              [&] { return fontCode(b.font) + QStringLiteral(" | ") + alignCode(b.alignment); });
            room += frame->size() + font->size();
            for (const PreparedLine& l : b.lines)
                room += 5 + 3 * l.text.size();
        }
        const qsizetype start = out.size();
        out.resize(start + room);
        char* p = out.data() + start;
        p = putInteger(p, number);
        for (int v : {b.x, b.y, b.width, b.height}) {
            *p++ = ' ';
            p = putInteger(p, v);
        }
        p = putBytes(p, kSeparator, 3);
        if (isLine) {
            p = putBytes(p, line);
        } else {
            p = putBytes(p, *frame);
            p = putBytes(p, kSeparator, 3);
            p = putBytes(p, *font);
            p = putBytes(p, kSeparator, 3);
            for (size_t i = 0; i < b.lines.size(); ++i) {
                if (i > 0)
                    p = putBytes(p, kLineBreak, sizeof kLineBreak - 1);
                if (!putBasicUtf8(p, b.lines[i].text))
                    p = putBytes(p, b.lines[i].text.toUtf8());
            }
        }
        *p++ = '\n';
        out.truncate(p - out.constData());
    }
}

QString dumpPreparedReport(const PreparedReport& report)
{
    QByteArray out;
    for (size_t p = 0; p < report.pages.size(); ++p)
        dumpPreparedPage(report.pages[p], int(p + 1), out);
    return QString::fromUtf8(out);
}

QByteArray savePreparedReport(const PreparedReport& report)
{
    QJsonArray pages;
    for (const PreparedPage& page : report.pages) {
        QJsonArray boxes;
        for (const PreparedBox& b : page.boxes) {
            QJsonArray lines;
            for (const PreparedLine& l : b.lines)
                lines.append(l.scaleX == 1 ? QJsonArray{l.text, l.x, l.y} : QJsonArray{l.text, l.x, l.y, l.scaleX});
            boxes.append(QJsonObject{
                {"line", b.kind == PreparedBox::Kind::Line},
                {"rect", QJsonArray{b.x, b.y, b.width, b.height}},
                {"frame", QJsonArray{b.frameSides, b.frameWidth, qint64(b.frameColor)}},
                {"fill", qint64(b.fillColor)},
                {"font", QJsonArray{b.font.name, b.font.size, b.font.style, qint64(b.font.color), b.font.charset}},
                {"fontHeight", b.fontHeight},
                {"align", b.alignment},
                {"lines", lines},
            });
        }
        pages.append(QJsonObject{{"width", page.width}, {"height", page.height}, {"paper", pageToJson(page.paper)},
                                 {"content", QJsonArray{page.content.x, page.content.y, page.content.scale}},
                                 {"boxes", boxes}});
    }
    const QJsonObject root{{"kind", kFileKind}, {"version", kFileVersion}, {"template", report.templateName},
                           {"pages", pages}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

namespace {

PreparedBox boxFromJson(const QJsonObject& bo)
{
    const QJsonArray rect = bo.value("rect").toArray();
    const QJsonArray fr = bo.value("frame").toArray();
    const QJsonArray font = bo.value("font").toArray();
    if (rect.size() != 4 || fr.size() != 3 || font.size() != 5)
        damaged(QStringLiteral("объект страницы"));
    PreparedBox b;
    b.kind = bo.value("line").toBool() ? PreparedBox::Kind::Line : PreparedBox::Kind::Memo;
    b.x = rect[0].toInt();
    b.y = rect[1].toInt();
    b.width = rect[2].toInt();
    b.height = rect[3].toInt();
    b.frameSides = fr[0].toInt();
    b.frameWidth = fr[1].toDouble();
    b.frameColor = std::uint32_t(fr[2].toInteger());
    b.fillColor = std::uint32_t(bo.value("fill").toInteger());
    b.font = MemoFont{font[0].toString(), font[1].toInt(), font[2].toInt(), std::uint32_t(font[3].toInteger()),
                      font[4].toInt()};
    b.fontHeight = bo.value("fontHeight").toInt();
    b.alignment = bo.value("align").toInt();
    for (const QJsonValue& lv : bo.value("lines").toArray()) {
        const QJsonArray la = lv.toArray();
        if (la.size() != 3 && la.size() != 4)
            damaged(QStringLiteral("строка текста"));
        b.lines.push_back(PreparedLine{la[0].toString(), la[1].toDouble(), la[2].toDouble(),
                                       la.size() > 3 ? la[3].toDouble(1) : 1.0});
    }
    return b;
}

PreparedPage preparedPageFromJson(const QJsonValue& pv)
{
    if (!pv.isObject())
        damaged(QStringLiteral("страница"));
    const QJsonObject po = pv.toObject();
    PreparedPage page;
    page.width = po.value("width").toInt();
    page.height = po.value("height").toInt();
    page.paper = pageFromJson(po.value("paper").toObject());
    if (page.width <= 0 || page.height <= 0)
        damaged(QStringLiteral("размер страницы"));
    if (po.contains("content")) {
        const QJsonArray c = po.value("content").toArray();
        if (c.size() != 3 || c[2].toDouble() <= 0)
            damaged(QStringLiteral("размещение страницы"));
        page.content = ContentPlacement{c[0].toDouble(), c[1].toDouble(), c[2].toDouble()};
    }
    for (const QJsonValue& bv : po.value("boxes").toArray())
        page.boxes.push_back(boxFromJson(bv.toObject()));
    return page;
}

} // namespace

PreparedReport loadPreparedReport(const QByteArray& data)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
    if (doc.isNull() || !doc.isObject())
        damaged(error.errorString());
    const QJsonObject root = doc.object();
    if (root.value("kind").toString() != kFileKind)
        damaged(QStringLiteral("это не сохраненный отчет"));
    if (root.value("version").toInt() != kFileVersion)
        damaged(QStringLiteral("неизвестная версия %1").arg(root.value("version").toInt()));
    PreparedReport report;
    report.templateName = root.value("template").toString();
    for (const QJsonValue& pv : root.value("pages").toArray())
        report.pages.push_back(preparedPageFromJson(pv));
    return report;
}

} // namespace vi23
