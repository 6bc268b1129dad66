#include "StartUp.h"

#include "common/Dialogs.h"
#include "common/Failure.h"
#include "common/Product.h"
#include "common/Random.h"

#include <QDesktopServices>

#include <cmath>

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

void setSiteOpenerForTests(SiteOpener opener)
{
    siteOpener() = std::move(opener);
}

} // namespace statusmill
