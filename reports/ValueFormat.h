#pragma once
// Turns a bracket's value into text by a memo's display format.
#include "data/Value.h"
#include "reports/TemplateModel.h"

namespace vi23 {

// Null and empty values give " "; a value the category cannot show falls back to its own text.
QString formatValue(const Value& value, const DisplayFormat& format);

// The value's own text form: shortest decimal with the comma, dates dd.MM.yyyy, strings as they are.
QString valueText(const Value& value);

// Fixed-point text of a double taken at 15 significant digits and rounded half away from zero.
QString formatFixed(double value, int decimals, QChar separator);

// The double rounded to 15 significant digits, as accumulators keep their values.
double roundTo15Digits(double value);

} // namespace vi23
