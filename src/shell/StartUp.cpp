#include "StartUp.h"

#include "common/Product.h"
#include "common/Random.h"

#include <QDesktopServices>
#include <QGuiApplication>

#include <cmath>

namespace statusmill {
namespace {

std::function<void(const QUrl&)>& siteOpener()
{
    static std::function<void(const QUrl&)> opener;
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
    QGuiApplication::setApplicationDisplayName(appTitleFor(QString::fromLatin1(kProductName)));
}

void VisitSiteSometimes()
{
    const int d = int(std::floor(Random::reseededNext() * 100)) + 1;
    if (d != 7)
        return;
    const QUrl page(QString::fromLatin1(kHomePage));
    if (siteOpener())
        siteOpener()(page);
    else
        QDesktopServices::openUrl(page); // hands the address to the desktop and returns
}

void setSiteOpenerForTests(std::function<void(const QUrl&)> opener)
{
    siteOpener() = std::move(opener);
}

} // namespace statusmill
