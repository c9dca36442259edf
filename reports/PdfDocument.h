#pragma once
// Our own PDF writer for prepared pages: each text line is one text run, each font embedded once as a
// subset. Pages go to the device as they come; only object offsets and the glyphs used are kept, and the
// fonts are written at the end.
#include "reports/PreparedReport.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

class QIODevice;
class QRect;

namespace vi23 {

class PdfDocument {
public:
    // `fileName` only names the file in error messages.
    PdfDocument(QIODevice& out, const QString& fileName, const QString& title);
    ~PdfDocument();
    PdfDocument(const PdfDocument&) = delete;
    PdfDocument& operator=(const PdfDocument&) = delete;

    // Both throw UserError when the device refuses a write.
    void addPage(const PreparedPage& page);
    void finish();

    struct Font;

private:
    int newObject();
    void beginObject(int number);
    // A deflated stream object; a font file also states its size before deflating (/Length1).
    void writeStream(int number, const QByteArray& packed, qsizetype unpackedFontSize = -1);
    void flush();
    Font* fontFor(const MemoFont& memoFont);
    void writeFont(Font& font);
    void writePageObject(int contents, const QRect& media, const std::vector<int>& pageFonts);

    QIODevice& out_;
    QString fileName_;
    QString title_;
    QByteArray buffer_;
    qint64 written_ = 0;
    std::vector<qint64> offsets_;   // by object number; [0] unused
    std::vector<int> pages_;
    std::vector<std::unique_ptr<Font>> fonts_;
    struct FontKey;
    std::vector<FontKey> fontKeys_;
    QByteArray content_;
};

} // namespace vi23
