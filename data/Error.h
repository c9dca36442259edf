#pragma once
// Errors travel as exceptions carrying the text the user sees.
#include <QString>
#include <stdexcept>

namespace vi23 {

class UserError : public std::runtime_error {
public:
    explicit UserError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
    const QString& text() const { return text_; }

private:
    QString text_;
};

} // namespace vi23
