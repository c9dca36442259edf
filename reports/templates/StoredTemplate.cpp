#include "reports/templates/StoredTemplate.h"

#include "data/Error.h"

#include <limits>

namespace vi23 {

namespace {

constexpr std::uint8_t kMarkerPage = 0xFF;
constexpr std::uint8_t kMarkerVariables = 0xFE;
constexpr std::uint8_t kMarkerDataSets = 0xFD;
constexpr int kTypeMemo = 0;
constexpr int kTypeBand = 2;
constexpr int kTypeLine = 4;
constexpr int kTypeAddIn = 10;
constexpr std::uint8_t kLineSeparator = 13;
constexpr std::int16_t kTrue = -1;
// The largest band kind a stream may carry; 21 is only the engine's pseudo-band.
constexpr int kLastStoredBandKind = int(BandKind::CrossFooter);

// Any structural fault in a stream; turned into the "bad format" result at the top.
struct StreamFault {};

class StreamWriter {
public:
    QByteArray bytes;

    void u8(std::uint8_t v) { bytes.append(char(v)); }
    void u16(std::uint16_t v)
    {
        u8(std::uint8_t(v & 0xFF));
        u8(std::uint8_t(v >> 8));
    }
    void u32(std::uint32_t v)
    {
        u16(std::uint16_t(v & 0xFFFF));
        u16(std::uint16_t(v >> 16));
    }
    void i32(std::int32_t v) { u32(std::uint32_t(v)); }
    void boolean(bool v) { u16(std::uint16_t(v ? kTrue : 0)); }

    void string(const QString& s)
    {
        const QByteArray b = encodeCp1251(s);
        if (b.size() > std::numeric_limits<std::uint16_t>::max())
            throw UserError(QStringLiteral("Слишком длинный текст в шаблоне: %1 байт").arg(b.size()));
        u16(std::uint16_t(b.size()));
        bytes.append(b);
        u8(0);
    }
    void shortString(const QString& s)
    {
        const QByteArray b = encodeCp1251(s);
        if (b.size() > std::numeric_limits<std::uint8_t>::max())
            throw UserError(QStringLiteral("Слишком длинное имя переменной: \"%1\"").arg(s));
        u8(std::uint8_t(b.size()));
        bytes.append(b);
    }
    void lineList(const QStringList& lines)
    {
        if (lines.size() > std::numeric_limits<std::uint16_t>::max())
            throw UserError(QStringLiteral("Слишком много строк в тексте шаблона: %1").arg(lines.size()));
        u16(std::uint16_t(lines.size()));
        if (lines.isEmpty()) {
            u8(0);
            return;
        }
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QByteArray b = encodeCp1251(lines[i]);
            if (b.size() > std::numeric_limits<std::uint16_t>::max())
                throw UserError(QStringLiteral("Слишком длинная строка в тексте шаблона: %1 байт").arg(b.size()));
            u16(std::uint16_t(b.size()));
            bytes.append(b);
            u8(i + 1 < lines.size() ? kLineSeparator : 0);
        }
    }
};

// Reads little-endian fields and never goes past the end: a short read is a StreamFault.
class StreamReader {
public:
    explicit StreamReader(const QByteArray& b) : data_(b) {}

    bool atEnd() const { return pos_ >= data_.size(); }
    qsizetype pos() const { return pos_; }
    void rewind() { pos_ = 0; }

    std::uint8_t u8()
    {
        need(1);
        return std::uint8_t(data_[pos_++]);
    }
    std::uint16_t u16()
    {
        const std::uint16_t lo = u8();
        return std::uint16_t(lo | (std::uint16_t(u8()) << 8));
    }
    std::uint32_t u32()
    {
        const std::uint32_t lo = u16();
        return lo | (std::uint32_t(u16()) << 16);
    }
    std::int32_t i32() { return std::int32_t(u32()); }
    bool boolean() { return u16() != 0; }
    QByteArray raw(qsizetype n)
    {
        need(n);
        QByteArray b = data_.mid(pos_, n);
        pos_ += n;
        return b;
    }
    void skip(qsizetype n)
    {
        need(n);
        pos_ += n;
    }

    QString string()
    {
        const std::uint16_t n = u16();
        QString s = decodeCp1251(raw(n));
        u8();  // the terminating zero
        return s;
    }
    QString shortString() { return decodeCp1251(raw(u8())); }
    QStringList lineList()
    {
        QStringList lines;
        if (u16() == 0) {
            u8();
            return lines;
        }
        // The count only tells empty from non-empty; the separators end the list.
        for (;;) {
            const std::uint16_t n = u16();
            lines.append(decodeCp1251(raw(n)));
            if (u8() == 0)
                break;
        }
        return lines;
    }

private:
    void need(qsizetype n) const
    {
        if (n < 0 || data_.size() - pos_ < n)
            throw StreamFault{};
    }

    const QByteArray& data_;
    qsizetype pos_ = 0;
};

void writePage(StreamWriter& w, const PageDescription& p, int version)
{
    w.u8(kMarkerPage);
    w.i32(p.paperSize);
    w.i32(p.width);
    w.i32(p.height);
    w.i32(p.marginLeft);
    w.i32(p.marginTop);
    w.i32(p.marginRight);
    w.i32(p.marginBottom);
    w.u8(std::uint8_t(p.orientation));
    if (version <= 22)
        w.bytes.append(6, '\0');
    w.boolean(p.printToPrevious);
    w.boolean(p.useMargins);
    w.i32(p.columns);
    w.i32(p.columnGap);
}

PageDescription readPage(StreamReader& r, int version)
{
    PageDescription p;
    p.paperSize = r.i32();
    p.width = r.i32();
    p.height = r.i32();
    p.marginLeft = r.i32();
    p.marginTop = r.i32();
    p.marginRight = r.i32();
    p.marginBottom = r.i32();
    const std::uint8_t orientation = r.u8();
    if (orientation > 1)
        throw StreamFault{};
    p.orientation = Orientation(orientation);
    if (version <= 22)
        r.skip(6);
    p.printToPrevious = r.boolean();
    p.useMargins = r.boolean();
    p.columns = r.i32();
    p.columnGap = r.i32();
    return p;
}

// The fields every object record has; frameType is the memo's or line's frame sides or the band kind.
void writeObjectBase(StreamWriter& w, const ObjectBase& o, int frameType, int version)
{
    if (o.page < 0 || o.page > 255)
        throw UserError(QStringLiteral("Объект %1 на странице %2 шаблона").arg(o.name).arg(o.page));
    w.u8(std::uint8_t(o.page));
    if (version >= 23)
        w.string(o.name);
    w.i32(o.x);
    w.i32(o.y);
    w.i32(o.width);
    w.i32(o.height);
    w.u16(std::uint16_t(o.flags));
    w.u16(std::uint16_t(frameType));
    w.i32(o.frameWidth);
    w.u32(o.frameColor);
    w.u16(std::uint16_t(o.frameStyle));
    w.u32(o.fillColor);
    w.u32(o.format.packed());
    w.string(o.formatText);
    w.lineList(o.lines);
    if (version >= 23) {
        w.lineList(o.script);
        w.boolean(o.visible);
    }
}

int readObjectBase(StreamReader& r, ObjectBase& o, int version)
{
    o.page = r.u8();
    if (version >= 23)
        o.name = r.string();
    o.x = r.i32();
    o.y = r.i32();
    o.width = r.i32();
    o.height = r.i32();
    o.flags = r.u16();
    const int frameType = r.u16();
    o.frameWidth = r.i32();
    o.frameColor = r.u32();
    o.frameStyle = r.u16();
    o.fillColor = r.u32();
    o.format = DisplayFormat::unpack(r.u32());
    o.formatText = r.string();
    o.lines = r.lineList();
    if (version >= 23) {
        o.script = r.lineList();
        o.visible = r.boolean();
    }
    return frameType;
}

void writeMemo(StreamWriter& w, const MemoObject& m, int version)
{
    if (m.storedType != kTypeMemo && m.storedType != kTypeAddIn)
        throw UserError(QStringLiteral("Неизвестный тип объекта %1 в шаблоне").arg(m.storedType));
    w.u8(std::uint8_t(m.storedType));
    if (m.storedType == kTypeAddIn)
        w.string(m.className);
    writeObjectBase(w, m, m.frameSides, version);
    w.string(m.font.name);
    w.i32(m.font.size);
    w.u16(std::uint16_t(m.font.style));
    w.u32(m.font.color);
    w.i32(m.alignment);
    if (version >= 23)
        w.u16(std::uint16_t(m.font.charset));
    w.u16(std::uint16_t(m.highlight.fontStyle));
    w.u32(m.highlight.fontColor);
    w.u32(m.highlight.fillColor);
    w.string(m.highlight.condition);
}

void readMemoTail(StreamReader& r, MemoObject& m, int version)
{
    m.font.name = r.string();
    m.font.size = r.i32();
    m.font.style = r.u16();
    m.font.color = r.u32();
    m.alignment = r.i32();
    if (version >= 23)
        m.font.charset = r.u16();
    m.highlight.fontStyle = r.u16();
    m.highlight.fontColor = r.u32();
    m.highlight.fillColor = r.u32();
    m.highlight.condition = r.string();
    if (version == 21)
        m.flags |= memoflag::WordWrap;
}

void writeVariables(StreamWriter& w, const VariablesList& v)
{
    w.u8(kMarkerVariables);
    w.u32(std::uint32_t(v.entries.size()));
    for (const TemplateVariable& e : v.entries) {
        w.u8(std::uint8_t(e.valueType));
        w.i32(e.subKind);
        w.shortString(e.dataSet);
        w.shortString(e.field);
        w.shortString(e.name);
    }
    w.lineList(v.displayOrder);
}

VariablesList readVariables(StreamReader& r)
{
    VariablesList v;
    const std::uint32_t count = r.u32();
    // No reserve: the count comes from the stream, the entries' bytes must really be there.
    for (std::uint32_t i = 0; i < count; ++i) {
        TemplateVariable e;
        e.valueType = r.u8();
        e.subKind = r.i32();
        e.dataSet = r.shortString();
        e.field = r.shortString();
        e.name = r.shortString();
        v.entries.push_back(std::move(e));
    }
    v.displayOrder = r.lineList();
    return v;
}

// Objects of older streams carry no names; give them the ones a designer would.
void nameUnnamed(Template& t)
{
    int n = 0;
    for (Band& b : t.bands)
        if (b.name.isEmpty())
            b.name = QStringLiteral("Band%1").arg(++n);
    n = 0;
    for (MemoObject& m : t.memos)
        if (m.name.isEmpty())
            m.name = QStringLiteral("Memo%1").arg(++n);
    n = 0;
    for (LineObject& l : t.lines)
        if (l.name.isEmpty())
            l.name = QStringLiteral("Line%1").arg(++n);
}

Template readRecords(StreamReader& r, int version)
{
    Template t;
    t.version = version;
    t.pages.clear();
    t.printToDefault = r.boolean();
    t.doublePass = r.boolean();
    t.printerName = r.string();
    while (!r.atEnd()) {
        const std::uint8_t marker = r.u8();
        if (marker == kMarkerPage) {
            t.pages.push_back(readPage(r, version));
        } else if (marker == kMarkerVariables) {
            t.variables = readVariables(r);
        } else if (marker == kMarkerDataSets) {
            break;
        } else if (marker == kTypeBand) {
            Band b;
            const int kind = readObjectBase(r, b, version);
            if (kind > kLastStoredBandKind)
                throw StreamFault{};
            b.kind = BandKind(kind);
            t.bands.push_back(std::move(b));
        } else if (marker == kTypeLine) {
            LineObject l;
            l.frameSides = readObjectBase(r, l, version);
            t.lines.push_back(std::move(l));
        } else if (marker == kTypeMemo || marker == kTypeAddIn) {
            MemoObject m;
            m.storedType = marker;
            if (marker == kTypeAddIn) {
                m.className = r.string();
                // Only the framed memo is known; other add-ins carry fields of their own.
                if (m.className.toUpper() != kFramedMemoClassName)
                    throw StreamFault{};
            }
            m.frameSides = readObjectBase(r, m, version);
            readMemoTail(r, m, version);
            t.memos.push_back(std::move(m));
        } else {
            // Pictures and sub-reports (1, 3) are not part of the system; anything above 10 is invalid.
            throw StreamFault{};
        }
    }
    const auto pageCount = t.pages.size();
    auto onPage = [&](const ObjectBase& o) { return std::size_t(o.page) < pageCount; };
    for (const Band& b : t.bands)
        if (!onPage(b))
            throw StreamFault{};
    for (const MemoObject& m : t.memos)
        if (!onPage(m))
            throw StreamFault{};
    for (const LineObject& l : t.lines)
        if (!onPage(l))
            throw StreamFault{};
    if (version < 23)
        nameUnnamed(t);
    return t;
}

StoredTemplateLoad badFormat(const QString& name)
{
    StoredTemplateLoad result;
    result.tmpl.name = name;  // one blank page, nothing else
    result.message = TemplateLoadMessage{kLoadErrorCaption, kBadFormatText};
    return result;
}

} // namespace

namespace {

// The upper half of the Windows Cyrillic code page. 0x98 has no character of its own and stands
// for U+0098, so every byte decodes and encodes back to itself. A table of our own: the code-page
// converter Qt offers keeps a stale error flag between strings.
constexpr char16_t kCp1251High[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    // 0xC0-0xFF: А..я
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

int cp1251Byte(char16_t c)
{
    if (c < 0x80)
        return c;
    if (c >= 0x0410 && c <= 0x044F)
        return 0xC0 + (c - 0x0410);
    for (int i = 0; i < 64; ++i)
        if (kCp1251High[i] == c)
            return 0x80 + i;
    return -1;
}

} // namespace

QByteArray encodeCp1251(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar ch : text) {
        const int b = cp1251Byte(ch.unicode());
        if (b < 0)
            throw UserError(QStringLiteral("Текст \"%1\" содержит знак вне кодировки windows-1251").arg(text));
        bytes.append(char(b));
    }
    return bytes;
}

QString decodeCp1251(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (char c : bytes) {
        const auto b = std::uint8_t(c);
        *out++ = QChar(b < 0x80 ? char16_t(b) : kCp1251High[b - 0x80]);
    }
    return text;
}

QByteArray writeTemplateStream(const Template& t)
{
    const int version = t.version;
    if (version < kOldestVersionWithByte || version > kTemplateVersion)
        throw UserError(QStringLiteral("Версия шаблона %1 не поддерживается").arg(version));
    StreamWriter w;
    w.u8(std::uint8_t(version));
    w.boolean(t.printToDefault);
    w.boolean(t.doublePass);
    w.string(t.printerName);
    for (const PageDescription& p : t.pages)
        writePage(w, p, version);
    for (const Band& b : t.bands) {
        // The reader takes no other kinds; a stream it would refuse is not written.
        if (int(b.kind) < 0 || int(b.kind) > kLastStoredBandKind)
            throw UserError(QStringLiteral("Полоса %1 вида %2 не сохраняется в шаблоне").arg(b.name).arg(int(b.kind)));
        w.u8(kTypeBand);
        writeObjectBase(w, b, int(b.kind), version);
    }
    for (const MemoObject& m : t.memos)
        writeMemo(w, m, version);
    for (const LineObject& l : t.lines) {
        w.u8(kTypeLine);
        writeObjectBase(w, l, l.frameSides, version);
    }
    if (t.variables)
        writeVariables(w, *t.variables);
    return w.bytes;
}

StoredTemplateLoad readTemplateStream(const QByteArray& stream, const QString& name)
{
    try {
        StreamReader r(stream);
        int version = r.u8();
        if (version > kTemplateVersion) {
            StoredTemplateLoad result;
            result.tmpl.name = name;
            result.tmpl.pages.clear();
            result.message = TemplateLoadMessage{
                kLoadErrorCaption,
                QStringLiteral("Шаблон сохранен в версии формата %1, эта программа читает версии до %2")
                    .arg(version)
                    .arg(kTemplateVersion)};
            return result;
        }
        if (version < kOldestVersionWithByte) {
            r.rewind();
            version = kOldestVersionWithByte;
        }
        StoredTemplateLoad result;
        result.tmpl = readRecords(r, version);
        result.tmpl.name = name;
        return result;
    } catch (const StreamFault&) {
        return badFormat(name);
    } catch (const UserError&) {
        return badFormat(name);
    }
}

QByteArray writeStoredTemplate(const Template& t)
{
    const QByteArray stream = writeTemplateStream(t);
    StreamWriter w;
    w.u32(std::uint32_t(kTemplateVersion));
    w.u32(std::uint32_t(stream.size()));
    w.bytes.append(stream);
    return w.bytes;
}

StoredTemplateLoad readStoredTemplate(const QByteArray& data, const QString& name)
{
    try {
        StreamReader r(data);
        r.u32();  // format version of the wrapper; the stream's own byte decides
        const std::uint32_t length = r.u32();
        if (std::uint64_t(length) != std::uint64_t(data.size() - r.pos()))
            return badFormat(name);
        return readTemplateStream(data.mid(r.pos()), name);
    } catch (const StreamFault&) {
        return badFormat(name);
    }
}

} // namespace vi23
