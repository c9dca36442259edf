#pragma once
// The binary stored form of a report template: the stream the program carries for each printed
// form, read and written field by field. Text inside the stream is in the Windows Cyrillic code page.
#include "reports/TemplateModel.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace vi23 {

// Version byte of the oldest stream that carries it; a smaller first byte means an older stream
// without the byte, read as this version.
inline constexpr int kOldestVersionWithByte = 21;

// What a failed load asks the caller to show in a message box.
struct TemplateLoadMessage {
    QString caption;
    QString text;

    friend bool operator==(const TemplateLoadMessage&, const TemplateLoadMessage&) = default;
};

inline const QString kLoadErrorCaption = QStringLiteral("Ошибка");
inline const QString kBadFormatText = QStringLiteral("Неверный FRF формат");

// The result of reading a stream. On failure the template is the empty one the failure leaves
// (no pages for a stream of a newer version, one blank page for a damaged stream) and the message
// says what to show; reading never throws.
struct StoredTemplateLoad {
    Template tmpl;
    std::optional<TemplateLoadMessage> message;

    bool ok() const { return !message.has_value(); }
};

// The stream itself: version byte, header, page records, objects, variables list.
// Writes the version the template names (21 to 23); throws UserError for a template the stream
// cannot hold (text outside the code page, a string or list too long, an unknown version).
QByteArray writeTemplateStream(const Template& tmpl);
StoredTemplateLoad readTemplateStream(const QByteArray& stream, const QString& name = {});

// The stream inside its outer wrapper: 32-bit format version, 32-bit length, then the stream.
QByteArray writeStoredTemplate(const Template& tmpl);
StoredTemplateLoad readStoredTemplate(const QByteArray& data, const QString& name = {});

// Windows Cyrillic text; encoding throws UserError for a character the code page lacks.
QByteArray encodeCp1251(const QString& text);
QString decodeCp1251(const QByteArray& bytes);

} // namespace vi23
