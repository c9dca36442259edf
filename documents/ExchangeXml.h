#pragma once
// The values and elements of an electronic document file. Every value is checked against the rule
// the format's schema gives it (length, pattern, range, places) and against Windows-1251 before it
// is put into an element, and a refusal names the field as the user knows it; the element tree is
// written as Windows-1251 XML.
#include "data/Money.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

class QXmlStreamWriter;

namespace vi23 {

// A text rule of the schema: 1 … maxLength characters, optionally matching a pattern whole; `hint`
// says in words what the pattern asks for.
struct TextRule {
    int maxLength;
    const char16_t* pattern = nullptr;
    const char16_t* hint = nullptr;
    int minLength = 1;
};

// The text as the file holds it, trimmed; throws UserError naming `what` for an empty text, one too
// long, one not matching the pattern, a control character, or a character Windows-1251 cannot hold.
QString checkedText(const QString& text, const QString& what, const TextRule& rule);
// The same check for a text that may be left out: empty for an empty text (or a lone dash, as a new
// document leaves its boxes).
QString optionalText(const QString& text, const QString& what, const TextRule& rule);
// Whether a box holds something: not empty, not a lone dash.
bool isFilled(const QString& text);

// dd.MM.yyyy between 1900 and 2099.
QString checkedDate(QDate date, const QString& what);
// A sum with two places ("1220.00"); a negative one is refused where the format wants none.
QString checkedSum(Money sum, const QString& what, bool mayBeNegative = false);
// A price with two to four places, never negative.
QString checkedPrice(Money price, const QString& what);
// A quantity as its shortest decimal text, above zero, with at most eleven places.
QString checkedQuantity(double quantity, const QString& what);

class XmlElement {
public:
    explicit XmlElement(QString name) : name_(std::move(name)) {}
    XmlElement& add(const QString& name);
    // The value must already be checked (or be one of the format's own texts).
    XmlElement& set(const QString& attribute, const QString& value);
    // An attribute left out when the value is empty.
    XmlElement& setIfAny(const QString& attribute, const QString& value);
    void setText(const QString& text) { text_ = text; }

    QString name() const { return name_; }
    QString attribute(const QString& attribute) const;

    // The document with its declaration, in Windows-1251.
    QByteArray toWindows1251() const;

private:
    void write(QXmlStreamWriter& out) const;

    QString name_;
    std::vector<std::pair<QString, QString>> attributes_;
    std::vector<std::unique_ptr<XmlElement>> children_;
    QString text_;
};

} // namespace vi23
