#pragma once

// A value read as a number, for a chart: the number the data itself holds (a JSON
// number, a spreadsheet's number cell, whatever its format), else its text as the
// user's locale writes numbers ("420,000", "1.234,5" in German, "-12,000",
// "£4,778,300.00", "(5,000)" for a loss), else as a plain number is written
// ("1234.5").

#include "ReportData.h"

#include <QLocale>

#include <optional>

namespace statusmill::data {

std::optional<double> numberOf(const QString& text, const QLocale& locale);
std::optional<double> numberOf(const Field& field, const QLocale& locale);

// The locale LC_NUMERIC names, else LC_ALL, else LANG, as dates are read.
QLocale localeOfNumbers();

} // namespace statusmill::data
