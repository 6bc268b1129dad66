#pragma once

#include <QString>
#include <QUrl>

#include <functional>

namespace statusmill {

inline constexpr auto kHomePage = "https://www.example.com/statusmill";

// The application title for a product name: the name without its last word, and
// further words dropped from the end while the rest is longer than 40 characters.
// A name of one word is kept whole.
QString appTitleFor(const QString& productName);

// Makes appTitleFor(the product name) the title of untitled message boxes.
void SetAppTitle();

// About one start in a hundred opens the maker's home page, without waiting for it.
// Throws Failure when the desktop cannot open it.
void VisitSiteSometimes();

// Tests replace the browser launch, so no test run ever opens one. The opener
// answers whether the desktop took the address. Returns the opener it replaces.
using SiteOpener = std::function<bool(const QUrl&)>;
SiteOpener setSiteOpenerForTests(SiteOpener opener);

} // namespace statusmill
