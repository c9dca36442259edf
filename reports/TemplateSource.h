#pragma once
// Reads the readable template notation (.tpl) into the template model.
#include "reports/TemplateModel.h"

#include <QString>

namespace vi23 {

// Parses the text of one template source. `fileName` names the source in error messages, which
// carry the line number; a malformed source throws UserError.
Template parseTemplateSource(const QString& text, const QString& fileName);

// Reads and parses a UTF-8 source file.
Template loadTemplateSource(const QString& path);

} // namespace vi23
