#pragma once
// Finished pages of a report: placed boxes with their final text, ready to paint. No painting here.
#include "reports/TemplateModel.h"

#include <QDataStream>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>
#include <functional>
#include <optional>
#include <vector>

namespace vi23 {

// One text line of a box at its final place: x of the text start and y of the line top, in
// absolute layout units. A word too wide for its box is condensed horizontally by `scaleX` (< 1)
// rather than broken or clipped.
struct PreparedLine {
    QString text;
    double x = 0;
    double y = 0;
    double scaleX = 1;

    friend bool operator==(const PreparedLine&, const PreparedLine&) = default;
};

struct PreparedBox {
    enum class Kind { Memo, Line };
    Kind kind = Kind::Memo;
    int x = 0;                          // absolute layout units on the page
    int y = 0;
    int width = 0;
    int height = 0;
    int frameSides = 0;
    double frameWidth = 1;
    std::uint32_t frameColor = kColorBlack;
    std::uint32_t fillColor = kColorNone;
    MemoFont font;
    int fontHeight = 13;                // layout units: round(size * 96 / 72)
    int alignment = 0;
    std::vector<PreparedLine> lines;

    QStringList texts() const;
    friend bool operator==(const PreparedBox&, const PreparedBox&) = default;
};

// Where the page's content is painted: a box at x lands at x * contentScale + contentX. It keeps every
// mark at least 5 mm from each paper edge; the boxes themselves keep their layout coordinates.
struct ContentPlacement {
    double x = 0;
    double y = 0;
    double scale = 1;

    friend bool operator==(const ContentPlacement&, const ContentPlacement&) = default;
};

// 5 mm in layout units, across and down.
inline constexpr int kSafeMarginX = 18;
inline constexpr int kSafeMarginY = 18;

struct PreparedPage {
    int width = kA4PortraitWidth;       // layout units
    int height = kA4PortraitHeight;
    PageDescription paper;
    std::vector<PreparedBox> boxes;
    ContentPlacement content;

    friend bool operator==(const PreparedPage&, const PreparedPage&) = default;
};

struct PreparedReport {
    QString templateName;
    std::vector<PreparedPage> pages;

    friend bool operator==(const PreparedReport&, const PreparedReport&) = default;
};

// One placement for all pages of a report: the content moved (and, only when it is wider or taller
// than the paper's safe area, scaled down) so that every box that leaves a mark lies inside it.
void placeContentInsideMargins(PreparedReport& report);

// The same placement gathered page by page, for a report whose pages are not kept.
class ContentExtent {
public:
    void add(const PreparedPage& page);
    // None while no box leaves a mark.
    std::optional<ContentPlacement> placement() const;

private:
    double minX_ = 1e9, minY_ = 1e9, maxX_ = -1e9, maxY_ = -1e9;
    int width_ = 0, height_ = 0;
};

// Finished pages kept in a temporary file instead of memory, handed back in order once the whole
// report is known: a long report is prepared once and still never whole in memory.
class PageSpool {
public:
    PageSpool();                        // throws UserError when no temporary file can be made
    void add(const PreparedPage& page);
    int size() const { return count_; }
    // Each page in the order added; throws UserError when the file cannot be read back.
    void replay(const std::function<void(PreparedPage& page)>& each);

private:
    QTemporaryFile file_;
    QDataStream stream_;
    int count_ = 0;
};

// One line per box: page, rectangle, frame, font, alignment and the text lines joined by " ⏎ ".
QString dumpPreparedReport(const PreparedReport& report);
// The same for one page, numbered `number`, appended to `out` as UTF-8: a long report is written page
// by page.
void dumpPreparedPage(const PreparedPage& page, int number, QByteArray& out);

// Our own saved form of prepared reports (versioned JSON). Reading a damaged file throws UserError.
QByteArray savePreparedReport(const PreparedReport& report);
PreparedReport loadPreparedReport(const QByteArray& data);

} // namespace vi23
