#include "StartUp.h"

#include "core/Failure.h"
#include "core/Product.h"
#include "core/Random.h"
#include "ui/Dialogs.h"

#include <QDesktopServices>

#include <cmath>
#include <utility>

namespace statusmill {
namespace {

SiteOpener& siteOpener()
{
    static SiteOpener opener;
    return opener;
}

} // namespace

QString appTitleFor(const QString& productName)
{
    QString title = productName;
    do {
        const qsizetype space = title.lastIndexOf(QLatin1Char(' '));
        if (space < 0)
            break;
        title.truncate(space);
    } while (title.size() > 40);
    return title;
}

void SetAppTitle()
{
    Dialogs::setApplicationTitle(appTitleFor(QString::fromLatin1(kProductName)));
}

void VisitSiteSometimes()
{
    const int d = int(std::floor(Random::reseededNext() * 100)) + 1;
    if (d != 7)
        return;
    const QUrl page(QString::fromLatin1(kHomePage));
    // Hands the address to the desktop and returns at once; false means the
    // desktop had nothing to open it with.
    const bool opened = siteOpener() ? siteOpener()(page) : QDesktopServices::openUrl(page);
    if (!opened)
        throw Failure(QStringLiteral("The home page %1 could not be opened.").arg(page.toString()));
}

SiteOpener setSiteOpenerForTests(SiteOpener opener)
{
    return std::exchange(siteOpener(), std::move(opener));
}

} // namespace statusmill
