#include "Paper.h"

#include <QByteArray>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <langinfo.h>
#include <locale.h>
#include <paper.h>

namespace statusmill::Paper {

namespace {

constexpr double kPointsPerMillimetre = 72.0 / 25.4;

// What PAPERSIZE or the configuration file names, through libpaper; none when
// neither names anything.
std::optional<QSizeF> namedPaper(bool* named)
{
    *named = false;
    paperinit();
    std::optional<QSizeF> size;
    if (char* name = systempapername()) {
        *named = true;
        if (const struct paper* known = paperinfo(name))
            size = QSizeF(paperpswidth(known), paperpsheight(known));
        std::free(name);
    }
    paperdone();
    return size;
}

// The locale's paper, as the environment sets it now, whatever the process's
// own locale is.
std::optional<QSizeF> localePaper()
{
    const locale_t locale = newlocale(LC_PAPER_MASK, "", locale_t(nullptr));
    if (locale == locale_t(nullptr))
        return std::nullopt;
    // glibc answers these two with numbers (millimetres) in place of text.
    const auto millimetres = [&](nl_item item) {
        return int(reinterpret_cast<std::intptr_t>(nl_langinfo_l(item, locale)));
    };
    const QSizeF size(millimetres(_NL_PAPER_WIDTH) * kPointsPerMillimetre,
                      millimetres(_NL_PAPER_HEIGHT) * kPointsPerMillimetre);
    freelocale(locale);
    if (size.width() <= 0 || size.height() <= 0)
        return std::nullopt;
    return size;
}

} // namespace

std::optional<QSizeF> usersPaper()
{
    bool named = false;
    std::optional<QSizeF> size = namedPaper(&named);
    if (!named)
        size = localePaper();
    if (size && size->width() > size->height())
        size->transpose();
    return size;
}

bool fitsTheReport(QSizeF points)
{
    // A4 is 595.3 x 841.9 points, Letter 612 x 792, A3 841.9 x 1190.6.
    return points.width() >= 595.0 && points.height() >= 792.0 && points.width() <= 842.0 &&
           points.height() <= 1191.0;
}

bool isLetter(QSizeF points)
{
    return std::abs(points.width() - 612.0) <= 1.0 && std::abs(points.height() - 792.0) <= 1.0;
}

std::optional<QSizeF> forTheReport()
{
    const std::optional<QSizeF> paper = usersPaper();
    if (paper && fitsTheReport(*paper))
        return paper;
    return std::nullopt;
}

} // namespace statusmill::Paper
