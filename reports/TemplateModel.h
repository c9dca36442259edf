#pragma once
// The report template as the engine and the stored form see it. Every field of the stored
// stream has a place here, so a stream read and written back gives the same template.
#include <QString>
#include <QStringList>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

namespace vi23 {

// ---- Layout units -------------------------------------------------------------------------------

// All template positions are integers in layout units, slightly different across and down.
inline constexpr double kUnitsPerInchX = 93.0 / 1.022;   // 90.998... units per inch across
inline constexpr double kUnitsPerInchY = 93.0 / 1.015;   // 91.625... units per inch down
inline constexpr int kA4PortraitWidth = 752;
inline constexpr int kA4PortraitHeight = 1071;
inline constexpr int kA4LandscapeWidth = 1064;
inline constexpr int kA4LandscapeHeight = 758;
// The reference printer's unprintable offset on every side (5 mm converted and rounded).
inline constexpr int kPrinterOffset = 18;

// Paper size in tenths of a millimetre to layout units, rounded to the nearest unit.
inline int tenthsMmToUnitsX(int tenthsMm) { return int(std::lround(tenthsMm * kUnitsPerInchX / 254.0)); }
inline int tenthsMmToUnitsY(int tenthsMm) { return int(std::lround(tenthsMm * kUnitsPerInchY / 254.0)); }

// ---- Colours --------------------------------------------------------------------------------------

// Colour values are stored as 0x00BBGGRR.
inline constexpr std::uint32_t kColorNone = 0x1FFFFFFF;
inline constexpr std::uint32_t kColorBlack = 0x00000000;
inline constexpr std::uint32_t kColorWhite = 0x00FFFFFF;
inline constexpr std::uint32_t kColorTeal = 0x00808000;   // red 0, green 128, blue 128
inline constexpr std::uint32_t colorFromRgb(int r, int g, int b)
{
    return std::uint32_t(r & 0xFF) | (std::uint32_t(g & 0xFF) << 8) | (std::uint32_t(b & 0xFF) << 16);
}
inline constexpr int colorRed(std::uint32_t c) { return int(c & 0xFF); }
inline constexpr int colorGreen(std::uint32_t c) { return int((c >> 8) & 0xFF); }
inline constexpr int colorBlue(std::uint32_t c) { return int((c >> 16) & 0xFF); }

inline const QString kDefaultPrinterName = QStringLiteral("Принтер по умолчанию");

// ---- Page -----------------------------------------------------------------------------------------

enum class Orientation : std::uint8_t { Portrait = 0, Landscape = 1 };

struct PageDescription {
    int paperSize = 9;                 // 9 = A4
    int width = 2100;                  // tenths of a millimetre
    int height = 2970;
    Orientation orientation = Orientation::Portrait;
    // Layout units; 0 means the printer's offset on that side.
    int marginLeft = 0;
    int marginTop = 0;
    int marginRight = 0;
    int marginBottom = 0;
    bool useMargins = true;
    bool printToPrevious = false;
    int columns = 1;
    int columnGap = 0;                 // layout units

    friend bool operator==(const PageDescription&, const PageDescription&) = default;
};

// The page extent and the effective margins in layout units on the reference printer.
struct PageGeometry {
    int width = 0;        // page extent
    int height = 0;
    int left = 0;         // first usable x
    int top = 0;          // first usable y
    int right = 0;        // right limit (exclusive x)
    int bottom = 0;       // bottom limit, before any page footer is taken off

    friend bool operator==(const PageGeometry&, const PageGeometry&) = default;
};

PageGeometry pageGeometry(const PageDescription& page);

// ---- Bands ----------------------------------------------------------------------------------------

enum class BandKind : int {
    ReportTitle = 0,
    ReportSummary = 1,
    PageHeader = 2,
    PageFooter = 3,
    MasterHeader = 4,
    MasterData = 5,
    MasterFooter = 6,
    DetailHeader = 7,
    DetailData = 8,
    DetailFooter = 9,
    SubdetailHeader = 10,
    SubdetailData = 11,
    SubdetailFooter = 12,
    Overlay = 13,
    ColumnHeader = 14,
    ColumnFooter = 15,
    GroupHeader = 16,
    GroupFooter = 17,
    CrossHeader = 18,
    CrossData = 19,
    CrossFooter = 20,
    None = 21,          // pseudo-band of objects outside every band
};
inline constexpr int kBandKindCount = 22;

// The kind's name as error messages show it ("Данные"); empty for the no-band kind.
QString bandKindName(BandKind kind);

namespace bandflag {
inline constexpr int Stretch = 0x01;
inline constexpr int PageBreak = 0x02;
inline constexpr int PrintIfEmpty = 0x04;
inline constexpr int Breakable = 0x08;
inline constexpr int OnFirstPage = 0x10;
inline constexpr int OnLastPage = 0x20;
inline constexpr int RepeatHeader = 0x40;
inline constexpr int Default = OnFirstPage | OnLastPage;
}

// Display format packed as the stored form keeps it: category in bits 24-27, sub-format in
// bits 16-23, decimal digits in bits 8-15, decimal separator character in bits 0-7.
struct DisplayFormat {
    enum Category : int { Text = 0, Number = 1, Date = 2, Time = 3, Logical = 4 };
    int category = Text;
    int subFormat = 0;
    int digits = 0;
    char separator = ',';

    std::uint32_t packed() const
    {
        return (std::uint32_t(category & 0x0F) << 24) | (std::uint32_t(subFormat & 0xFF) << 16)
            | (std::uint32_t(digits & 0xFF) << 8) | std::uint32_t(std::uint8_t(separator));
    }
    static DisplayFormat unpack(std::uint32_t v)
    {
        return DisplayFormat{int((v >> 24) & 0x0F), int((v >> 16) & 0xFF), int((v >> 8) & 0xFF),
                             char(std::uint8_t(v & 0xFF))};
    }
    friend bool operator==(const DisplayFormat&, const DisplayFormat&) = default;
};

// The fields every stored object record carries after its name, whatever its type.
struct ObjectBase {
    QString name;
    int page = 0;                      // index into Template::pages
    int x = 0;
    int y = 0;                         // design coordinates; may be negative for bands
    int width = 0;
    int height = 0;
    int flags = 0;
    // Up to 10: the width in layout units; above: thousandths of a unit.
    std::int32_t frameWidth = 1;
    std::uint32_t frameColor = kColorBlack;
    int frameStyle = 0;                // 0 solid
    std::uint32_t fillColor = kColorNone;
    DisplayFormat format;
    // Memo: custom format pattern. Band: data-set link (master data) or group condition.
    QString formatText;
    QStringList lines;                 // memo text; empty for bands and lines
    QStringList script;
    bool visible = true;

    double frameWidthUnits() const { return frameWidth <= 10 ? double(frameWidth) : frameWidth / 1000.0; }

    friend bool operator==(const ObjectBase&, const ObjectBase&) = default;
};

// A horizontal strip of the page. Stored as an object of type 2 whose frame-type slot is the kind.
struct Band : ObjectBase {
    BandKind kind = BandKind::ReportTitle;

    Band() { flags = bandflag::Default; }
    int top() const { return y; }
    int bottom() const { return y + height; }
    // Master data: the data-set link ("frDBDataSet_bl", "[Нет]" for the template's default).
    const QString& dataSet() const { return formatText; }
    // Group header: the condition text, e.g. "[ADOQuery11.\"g\"]". Group footer: when not empty, an
    // expression on the group's last row; the footer prints only when it is not zero.
    const QString& condition() const { return formatText; }
    // Master data: when not empty, an expression on each row; a row where it is zero prints nothing
    // but still counts in its groups and totals. Kept as the band's script, its one line.
    QString rowCondition() const { return script.value(0); }
    // Master header: printed again at the top of every page the data loop goes on to.
    bool repeatsOnEveryPage() const { return (flags & bandflag::RepeatHeader) != 0; }

    friend bool operator==(const Band&, const Band&) = default;
};

namespace memoflag {
inline constexpr int Stretch = 1;
inline constexpr int WordWrap = 2;
inline constexpr int WordBreak = 4;
inline constexpr int AutoWidth = 8;
}

// Frame sides as stored.
namespace frame {
inline constexpr int Right = 1;
inline constexpr int Bottom = 2;
inline constexpr int Left = 4;
inline constexpr int Top = 8;
inline constexpr int All = 15;
}

namespace fontstyle {
inline constexpr int Italic = 1;
inline constexpr int Bold = 2;
inline constexpr int Underline = 4;
inline constexpr int StrikeOut = 8;
}

// Codes of the template notation, shared by the source writer and the page dump.
QString frameSidesCode(int sides);           // "LTRB" in that order, "-" for none
QString fontFamilyCode(const QString& name); // "A", "AN", "AB"; empty for any other face
QString fontStyleCode(int style);            // "b", "i", "u", "s" in that order

// Alignment bits: 0-1 horizontal, 2 rotated, 3-4 vertical.
enum class HAlign : int { Left = 0, Right = 1, Center = 2, Justify = 3 };
enum class VAlign : int { Top = 0, Middle = 1, Bottom = 2 };
inline constexpr int packAlignment(HAlign h, VAlign v, bool rotated = false)
{
    return int(h) | (rotated ? 4 : 0) | (int(v) << 3);
}

inline constexpr int kCharsetCyrillic = 204;
inline constexpr int kCharsetDefault = 1;

struct MemoFont {
    QString name = QStringLiteral("Arial");
    int size = 10;                     // points
    int style = 0;                     // fontstyle bits
    std::uint32_t color = kColorBlack;
    int charset = kCharsetCyrillic;

    friend bool operator==(const MemoFont&, const MemoFont&) = default;
};

// Conditional look; every condition in the forms is empty, so it never applies.
struct Highlight {
    int fontStyle = 0;
    std::uint32_t fontColor = kColorBlack;
    std::uint32_t fillColor = kColorNone;
    QString condition;

    friend bool operator==(const Highlight&, const Highlight&) = default;
};

inline const QString kFramedMemoClassName = QStringLiteral("TFRFRAMEDMEMOVIEW");

// A text box. Stored as type 0, or as the framed-memo add-in (type 10 with its class name).
struct MemoObject : ObjectBase {
    int frameSides = 0;                // frame bits
    MemoFont font;
    int alignment = 0;
    Highlight highlight;
    int storedType = 0;                // 0 memo, 10 framed-memo add-in
    QString className;                 // add-in class name when storedType is 10

    MemoObject() { flags = memoflag::WordWrap; }
    HAlign hAlign() const { return HAlign(alignment & 3); }
    VAlign vAlign() const { return VAlign((alignment >> 3) & 3); }
    bool rotated() const { return (alignment & 4) != 0; }

    friend bool operator==(const MemoObject&, const MemoObject&) = default;
};

// A line along the top edge (height < width) or the left edge otherwise. Stored as type 4.
struct LineObject : ObjectBase {
    int frameSides = 0;

    friend bool operator==(const LineObject&, const LineObject&) = default;
};

// ---- Variables ------------------------------------------------------------------------------------

struct TemplateVariable {
    int valueType = 0;                 // 0 not assigned, 1 data-set field, 2 other, 3 expression
    std::int32_t subKind = 0;
    QString dataSet;
    QString field;
    QString name;

    friend bool operator==(const TemplateVariable&, const TemplateVariable&) = default;
};

struct VariablesList {
    std::vector<TemplateVariable> entries;
    // Display order: a line starting with a space is a variable, any other a category caption.
    QStringList displayOrder;

    friend bool operator==(const VariablesList&, const VariablesList&) = default;
};

// ---- Template -------------------------------------------------------------------------------------

// The stored stream version the writer produces and the newest the reader accepts.
inline constexpr int kTemplateVersion = 23;

// One report template. The stored order of records is: header, pages, variables, bands, memos,
// lines; bands and objects keep their stored order within their lists.
struct Template {
    QString name;                      // component name, e.g. "frReport_sh"
    int version = kTemplateVersion;
    bool printToDefault = false;
    bool doublePass = false;
    QString printerName = kDefaultPrinterName;
    // The template's own data set, not part of the stored stream ("frDBDataSet_bl").
    QString defaultDataSet;
    std::vector<PageDescription> pages{PageDescription{}};
    std::optional<VariablesList> variables;  // absent: no variables record at all
    std::vector<Band> bands;
    std::vector<MemoObject> memos;
    std::vector<LineObject> lines;

    const PageDescription& page() const { return pages.front(); }
    PageDescription& page() { return pages.front(); }

    friend bool operator==(const Template&, const Template&) = default;
};

} // namespace vi23
