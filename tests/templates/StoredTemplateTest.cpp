// The stored binary form, field by field, and the reader's behaviour on old, new and damaged streams.
#include "reports/templates/StoredTemplate.h"

#include "data/Error.h"

#include <gtest/gtest.h>

#include <QStringDecoder>

#include <cstdint>

namespace vi23 {
namespace {

// Builds expected bytes straight from the field tables, independently of the writer.
struct Bytes {
    QByteArray b;
    Bytes& u8(int v)
    {
        b.append(char(std::uint8_t(v)));
        return *this;
    }
    Bytes& u16(int v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
    Bytes& u32(std::uint32_t v) { return u16(int(v & 0xFFFF)).u16(int(v >> 16)); }
    Bytes& raw(const QByteArray& r)
    {
        b.append(r);
        return *this;
    }
    Bytes& str(const QByteArray& cp1251) { return u16(int(cp1251.size())).raw(cp1251).u8(0); }
};

// "Принтер по умолчанию" in the Windows Cyrillic code page.
const QByteArray kPrinterCp1251("\xcf\xf0\xe8\xed\xf2\xe5\xf0\x20\xef\xee\x20\xf3\xec\xee\xeb\xf7\xe0\xed\xe8\xfe");

Template smallTemplate()
{
    Template t;
    t.name = QStringLiteral("frSmall");
    t.page().marginLeft = 36;
    t.page().marginTop = 36;
    t.page().marginRight = 36;
    t.page().marginBottom = 36;
    t.page().orientation = Orientation::Landscape;
    t.page().width = 2970;
    t.page().height = 2100;

    Band b;
    b.name = QStringLiteral("ReportTitle1");
    b.kind = BandKind::ReportTitle;
    b.x = 0;
    b.y = -15;
    b.width = 1064;
    b.height = 364;
    t.bands.push_back(b);

    MemoObject m;
    m.name = QStringLiteral("Memo1");
    m.x = 72;
    m.y = 59;
    m.width = 83;
    m.height = 18;
    m.frameSides = frame::Left | frame::Top | frame::Right;
    m.frameWidth = 2;
    m.fillColor = kColorTeal;
    m.format = DisplayFormat{DisplayFormat::Number, 1, 2, '-'};
    m.lines = QStringList{QStringLiteral("Сумма"), QString(), QStringLiteral("x")};
    m.font.style = fontstyle::Bold;
    m.alignment = packAlignment(HAlign::Center, VAlign::Middle);
    t.memos.push_back(m);

    MemoObject empty;
    empty.name = QStringLiteral("Memo2");
    empty.x = 540;
    empty.y = 131;
    empty.width = 36;
    empty.height = 18;
    empty.font.name = QStringLiteral("Arial Narrow");
    empty.font.size = 8;
    t.memos.push_back(empty);

    VariablesList v;
    v.entries.push_back(TemplateVariable{1, 0, QStringLiteral("ADOQuery1"), QStringLiteral("ss"),
                                         QStringLiteral("ss  ")});
    v.displayOrder = QStringList{QStringLiteral("bk"), QStringLiteral(" ss  ")};
    t.variables = v;
    return t;
}

Bytes objectCommon(Bytes x, const char* name, int px, int py, int w, int h, int flags, int frameType,
                   int frameWidth, std::uint32_t fill, std::uint32_t format)
{
    x.u8(0).str(name).u32(std::uint32_t(px)).u32(std::uint32_t(py)).u32(std::uint32_t(w)).u32(std::uint32_t(h));
    x.u16(flags).u16(frameType).u32(std::uint32_t(frameWidth)).u32(0).u16(0).u32(fill).u32(format);
    x.str("");  // format text
    return x;
}

TEST(StoredTemplate, WritesEveryFieldInItsPlace)
{
    Bytes e;
    e.u8(23).u16(0).u16(0).str(kPrinterCp1251);
    // page record
    e.u8(0xFF).u32(9).u32(2970).u32(2100).u32(36).u32(36).u32(36).u32(36).u8(1).u16(0).u16(0xFFFF).u32(1).u32(0);
    // band: type 2, kind 0 in the frame-type slot, negative top, no text, empty script, visible
    e.u8(2);
    e = objectCommon(e, "ReportTitle1", 0, -15, 1064, 364, 0x30, 0, 1, 0x1FFFFFFF, 0x2C);
    e.u16(0).u8(0);                  // text: empty line list
    e.u16(0).u8(0);                  // script
    e.u16(0xFFFF);                   // visible
    // memo with three lines, the middle one empty
    e.u8(0);
    e = objectCommon(e, "Memo1", 72, 59, 83, 18, 2, 13, 2, 0x00808000, 0x0101022D);
    e.u16(3).u16(5).raw("\xd1\xf3\xec\xec\xe0").u8(13).u16(0).u8(13).u16(1).raw("x").u8(0);
    e.u16(0).u8(0).u16(0xFFFF);
    e.str("Arial").u32(10).u16(2).u32(0).u32(2 | (1 << 3)).u16(204);
    e.u16(0).u32(0).u32(0x1FFFFFFF).str("");
    // memo with no text: count 0 followed by one 0 byte
    e.u8(0);
    e = objectCommon(e, "Memo2", 540, 131, 36, 18, 2, 0, 1, 0x1FFFFFFF, 0x2C);
    e.u16(0).u8(0);
    e.u16(0).u8(0).u16(0xFFFF);
    e.str("Arial Narrow").u32(8).u16(0).u32(0).u32(0).u16(204);
    e.u16(0).u32(0).u32(0x1FFFFFFF).str("");
    // variables list, last in the stream
    e.u8(0xFE).u32(1).u8(1).u32(0).u8(9).raw("ADOQuery1").u8(2).raw("ss").u8(4).raw("ss  ");
    e.u16(2).u16(2).raw("bk").u8(13).u16(5).raw(" ss  ").u8(0);

    const Template t = smallTemplate();
    EXPECT_EQ(writeTemplateStream(t).toHex(' '), e.b.toHex(' '));

    Bytes wrapped;
    wrapped.u32(23).u32(std::uint32_t(e.b.size())).raw(e.b);
    EXPECT_EQ(writeStoredTemplate(t), wrapped.b);

    const StoredTemplateLoad back = readStoredTemplate(wrapped.b, t.name);
    ASSERT_TRUE(back.ok()) << back.message->text.toStdString();
    EXPECT_EQ(back.tmpl, t);
    EXPECT_EQ(back.tmpl.bands.at(0).y, -15);
    EXPECT_TRUE(back.tmpl.memos.at(1).lines.isEmpty());
}

TEST(StoredTemplate, Cp1251RoundTripsEveryByte)
{
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    const QString text = decodeCp1251(all);
    EXPECT_EQ(text.size(), 256);
    EXPECT_EQ(encodeCp1251(text), all);
    // The system's own converter, where it has the code page, agrees byte for byte.
    QStringDecoder system("windows-1251");
    if (system.isValid()) {
        EXPECT_EQ(text, system(all));
    }
    EXPECT_EQ(encodeCp1251(QStringLiteral("№ Ёё")), QByteArray("\xb9\x20\xa8\xb8"));
    EXPECT_EQ(decodeCp1251(QByteArray("\xcf\xf0\xe8\xff")), QStringLiteral("Прия"));
    // A refused character does not spoil the strings after it.
    for (int round = 0; round < 3; ++round) {
        EXPECT_THROW(encodeCp1251(QStringLiteral("a⏎b")), UserError);
        EXPECT_EQ(encodeCp1251(QStringLiteral("ab")), QByteArray("ab"));
        EXPECT_THROW(encodeCp1251(QStringLiteral("中")), UserError);
    }
}

TEST(StoredTemplate, WriterRefusesWhatTheStreamCannotHold)
{
    struct Case {
        const char* what;
        void (*spoil)(Template&);
    };
    const Case cases[] = {
        {"text outside the code page", [](Template& t) { t.memos[0].lines = QStringList{QStringLiteral("Ω ⏎")}; }},
        {"version 20", [](Template& t) { t.version = 20; }},
        {"version 24", [](Template& t) { t.version = 24; }},
        {"variable name over 255 bytes", [](Template& t) { t.variables->entries[0].name = QString(256, u'a'); }},
        {"string over 65535 bytes", [](Template& t) { t.memos[0].font.name = QString(65536, u'a'); }},
        {"page index over 255", [](Template& t) { t.memos[0].page = 256; }},
        {"unknown stored type", [](Template& t) { t.memos[0].storedType = 1; }},
        {"band kind the reader refuses", [](Template& t) { t.bands[0].kind = BandKind(int(BandKind::CrossFooter) + 1); }},
    };
    for (const Case& c : cases) {
        Template t = smallTemplate();
        c.spoil(t);
        EXPECT_THROW(writeTemplateStream(t), UserError) << c.what;
    }
}

TEST(StoredTemplate, VersionAboveCurrentIsRefusedWithAnEmptyTemplate)
{
    for (int version : {24, 25, 100, 254, 255}) {
        QByteArray s = writeTemplateStream(smallTemplate());
        s[0] = char(version);
        const StoredTemplateLoad r = readTemplateStream(s, QStringLiteral("frX"));
        ASSERT_FALSE(r.ok()) << version;
        EXPECT_EQ(r.message->caption, QStringLiteral("Ошибка"));
        EXPECT_NE(r.message->text, kBadFormatText);
        EXPECT_TRUE(r.tmpl.pages.empty());
        EXPECT_TRUE(r.tmpl.bands.empty());
        EXPECT_TRUE(r.tmpl.memos.empty());
        EXPECT_EQ(r.tmpl.name, QStringLiteral("frX"));
    }
}

// The result every damaged stream must give: the message and one blank page, nothing else.
void expectBadFormat(const StoredTemplateLoad& r, const std::string& what)
{
    ASSERT_FALSE(r.ok()) << what;
    EXPECT_EQ(r.message->caption, QStringLiteral("Ошибка")) << what;
    EXPECT_EQ(r.message->text, QStringLiteral("Неверный FRF формат")) << what;
    ASSERT_EQ(r.tmpl.pages.size(), 1u) << what;
    EXPECT_EQ(r.tmpl.page(), PageDescription{}) << what;
    EXPECT_TRUE(r.tmpl.bands.empty() && r.tmpl.memos.empty() && r.tmpl.lines.empty()) << what;
    EXPECT_FALSE(r.tmpl.variables.has_value()) << what;
}

TEST(StoredTemplate, OldStreamsAreReadAsTheirVersion)
{
    const Template current = smallTemplate();
    struct Case {
        const char* what;
        int writtenAs;
        bool dropVersionByte;
        int readAs;
    };
    const Case cases[] = {
        {"version 23", 23, false, 23},
        {"version 22: no names, six skipped page bytes", 22, false, 22},
        {"version 21", 21, false, 21},
        {"no version byte: rewound and read as 21", 21, true, 21},
    };
    for (const Case& c : cases) {
        Template t = current;
        t.version = c.writtenAs;
        for (MemoObject& m : t.memos)
            m.flags = 0;  // version 21 must give every memo word wrap
        QByteArray s = writeTemplateStream(t);
        if (c.dropVersionByte) {
            ASSERT_LE(std::uint8_t(s[1]), 20);  // the first header byte now stands where the version was
            s.remove(0, 1);
        }
        const StoredTemplateLoad r = readTemplateStream(s, current.name);
        ASSERT_TRUE(r.ok()) << c.what;
        EXPECT_EQ(r.tmpl.version, c.readAs) << c.what;
        EXPECT_EQ(r.tmpl.page(), current.page()) << c.what;
        ASSERT_EQ(r.tmpl.memos.size(), 2u) << c.what;
        EXPECT_EQ(r.tmpl.memos[0].lines, current.memos[0].lines) << c.what;
        EXPECT_EQ(r.tmpl.bands.at(0).y, -15) << c.what;
        EXPECT_EQ(r.tmpl.memos[0].flags, c.readAs == 21 ? memoflag::WordWrap : 0) << c.what;
        // Names are stored from version 23 on; older objects are named as a designer would.
        EXPECT_EQ(r.tmpl.memos[1].name, QStringLiteral("Memo2")) << c.what;
        EXPECT_EQ(r.tmpl.bands[0].name, c.readAs == 23 ? QStringLiteral("ReportTitle1") : QStringLiteral("Band1"))
            << c.what;
        EXPECT_EQ(r.tmpl.memos[0].font.charset, kCharsetCyrillic) << c.what;
    }
}

TEST(StoredTemplate, RecordsTheReaderCannotTakeMakeTheStreamInvalid)
{
    const QByteArray good = writeTemplateStream(smallTemplate());
    // Offset of the band record: version, two booleans, the printer name string.
    const qsizetype header = 1 + 2 + 2 + 2 + kPrinterCp1251.size() + 1;
    const qsizetype pageRecord = 1 + 7 * 4 + 1 + 2 + 2 + 4 + 4;
    const qsizetype firstObject = header + pageRecord;
    ASSERT_EQ(std::uint8_t(good[firstObject]), 2);

    struct Case {
        const char* what;
        QByteArray stream;
    };
    auto withMarker = [&](int marker) {
        QByteArray s = good;
        s[firstObject] = char(marker);
        return s;
    };
    auto withPageIndex = [&](int page) {
        QByteArray s = good;
        s[firstObject + 1] = char(page);
        return s;
    };
    auto withBandKind = [&](int kind) {
        QByteArray s = good;
        // marker, page, name string, four coordinates, flags, then the kind
        const qsizetype at = firstObject + 1 + 1 + 2 + 12 + 1 + 16 + 2;
        s[at] = char(kind);
        return s;
    };
    QByteArray badOrientation = good;
    badOrientation[header + 1 + 7 * 4] = char(2);
    const Case cases[] = {
        {"object type 11", withMarker(11)},
        {"object type 0xFC", withMarker(0xFC)},
        {"picture", withMarker(1)},
        {"sub-report", withMarker(3)},
        {"object on a page that does not exist", withPageIndex(1)},
        {"band kind 21", withBandKind(21)},
        {"orientation 2", badOrientation},
        {"empty stream", QByteArray()},
        {"header only, cut in the printer name", good.left(10)},
    };
    for (const Case& c : cases)
        expectBadFormat(readTemplateStream(c.stream, QStringLiteral("frX")), c.what);
}

TEST(StoredTemplate, FramedMemoAddInLoadsAsMemoAndOtherAddInsDoNot)
{
    for (const QString& className :
         {QStringLiteral("TfrFramedMemoView"), QStringLiteral("TFRFRAMEDMEMOVIEW"), QStringLiteral("TfrShapeView")}) {
        Template t = smallTemplate();
        t.memos[0].storedType = 10;
        t.memos[0].className = className;
        const StoredTemplateLoad r = readTemplateStream(writeTemplateStream(t), t.name);
        if (className.toUpper() == QStringLiteral("TFRFRAMEDMEMOVIEW")) {
            ASSERT_TRUE(r.ok()) << className.toStdString();
            EXPECT_EQ(r.tmpl, t);
        } else {
            expectBadFormat(r, className.toStdString());
        }
    }
}

TEST(StoredTemplate, DataSetListEndsReadingAndAMissingVariablesListStaysMissing)
{
    Template t = smallTemplate();
    t.variables.reset();
    QByteArray s = writeTemplateStream(t);
    StoredTemplateLoad plain = readTemplateStream(s, t.name);
    ASSERT_TRUE(plain.ok());
    EXPECT_EQ(plain.tmpl, t);

    s.append(char(0xFD));
    s.append("anything after the data-set list is not read", 44);
    const StoredTemplateLoad r = readTemplateStream(s, t.name);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.tmpl, t);
}

TEST(StoredTemplate, WrapperLengthMustMatchTheStream)
{
    const QByteArray good = writeStoredTemplate(smallTemplate());
    QByteArray longer = good;
    longer.append('\0');
    QByteArray wrongLength = good;
    wrongLength[4] = char(std::uint8_t(wrongLength[4]) + 1);
    expectBadFormat(readStoredTemplate(longer), "extra byte after the stream");
    expectBadFormat(readStoredTemplate(wrongLength), "length one too large");
    expectBadFormat(readStoredTemplate(good.left(7)), "wrapper cut short");
    EXPECT_TRUE(readStoredTemplate(good).ok());
}

TEST(StoredTemplate, LineListSeparatorsDecideWhereTheListEnds)
{
    // A list whose count says 1 but whose separators say 3 lines: the separators win.
    Template t = smallTemplate();
    QByteArray s = writeTemplateStream(t);
    const QByteArray listAsWritten = QByteArray::fromHex("0300" "0500" "d1f3ecece0" "0d" "0000" "0d" "0100" "78" "00");
    const qsizetype at = s.indexOf(listAsWritten);
    ASSERT_GT(at, 0);
    s[at] = char(1);
    const StoredTemplateLoad r = readTemplateStream(s, t.name);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.tmpl.memos[0].lines, t.memos[0].lines);
}

} // namespace
} // namespace vi23
