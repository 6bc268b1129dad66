#pragma once

#include <QSizeF>

#include <optional>

namespace statusmill::Paper {

// The paper the user prints on, portrait, in points: the paper PAPERSIZE names,
// else the one the paper configuration file names (/etc/papersize, or PAPERCONF),
// both through libpaper, else the locale's (LC_PAPER). None when what is named is
// no paper libpaper knows, or the locale cannot be had.
std::optional<QSizeF> usersPaper();

// Whether the built-in report's text still fits on this paper between its
// margins, with its tables whole: at least as wide as A4 and as tall as Letter,
// at most A3.
bool fitsTheReport(QSizeF points);

// Whether the paper is US Letter, to within a point: the paper the templates the
// program carries are made on.
bool isLetter(QSizeF points);

// The paper the built-in report is made on: the user's where it fits, else none
// (the template's own, US Letter).
std::optional<QSizeF> forTheReport();

} // namespace statusmill::Paper
