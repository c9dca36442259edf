#pragma once
// Places a memo's text lines inside its box: font height, word wrap, alignment. Measurement uses
// the substituted Liberation fonts at the layout size with design metrics, so wrap points do not
// depend on the device.
#include "reports/PreparedReport.h"
#include "reports/TemplateModel.h"

#include <QFont>
#include <QGlyphRun>
#include <QString>
#include <QStringList>

namespace vi23 {

// round(size * 96 / 72): Arial 10 is 13 units.
int fontHeightUnits(int points);

// "Arial" -> "Liberation Sans", "Arial Narrow" -> "Liberation Sans Narrow", "Arial Baltic" -> "Liberation Sans".
QString substituteFontFamily(const QString& name);

// The substituted font with the given pixel size, unhinted, with the template's style bits.
QFont layoutFont(const MemoFont& memoFont, int pixelSize);

// Advance width of a text in layout units for the font at its layout height: the sum of the
// glyphs' design advances, each rounded to a whole unit.
double textWidthUnits(const MemoFont& memoFont, const QString& text);

// The text as glyphs of the layout font placed by the same whole-unit advances that measured
// it, baseline at y = 0; painting these keeps the printed text where the layout put it.
QGlyphRun layoutGlyphRun(const MemoFont& memoFont, const QString& text);
double layoutAscent(const MemoFont& memoFont);

// Whether every text line of the box lies inside it, so painting needs no clip (clips are costly in PDF).
bool linesInsideBox(const PreparedBox& box);

// Breaks one line to fit `width` layout units at the last space before the overflow. A word that
// alone is wider gets a line of its own when condensing to kMinCondensed of its width fits it (a
// narrow column's heading, "Наименование"); only a word wider still breaks between characters.
inline constexpr double kMinCondensed = 0.7;
QStringList wrapLine(const MemoFont& memoFont, const QString& line, double width);

// Wraps and aligns the lines inside the box; fills box.lines. A line with no blank that is too wide
// is condensed to fit; text taller than the box is set in a smaller size until it fits, and if it
// still does not, it starts at the top so its first words show.
void layoutText(PreparedBox& box, const QStringList& lines, bool wordWrap);

// The box height the lines need at the box's font: wrapped, condensed words on one line, without
// trailing empty lines.
double wrappedTextHeight(const MemoFont& font, const QStringList& lines, bool wordWrap, double width);

} // namespace vi23
