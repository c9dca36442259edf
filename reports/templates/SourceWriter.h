#pragma once
// Writes a template back in the readable source notation, so a stored stream can be turned into
// a source that compiles to the very same stream.
#include "reports/TemplateModel.h"

#include <QString>

namespace vi23 {

// Throws UserError naming what the notation cannot hold (a field outside what the printed forms
// use: another frame colour, a highlight, a line object, a second page, ...).
QString writeTemplateSource(const Template& tmpl);

} // namespace vi23
