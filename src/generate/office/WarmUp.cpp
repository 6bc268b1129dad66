#include "WarmUp.h"

#include "OfficeSession.h"
#include "PageRenderer.h"
#include "core/FileHelpers.h"
#include "core/WorkFolder.h"

#include <QScopeGuard>

#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/util/XCloseable.hpp>

namespace statusmill::office {

using namespace uno;

void warmUpSpareOffice()
{
    try {
        // Only an office that is ready: waiting for one to start would freeze the
        // window the user has just been shown.
        const auto session = OfficeSession::startIfReady();
        if (!session)
            return;
        const QString word = WorkFolder::file(QStringLiteral("warm-up.doc"));
        const QString pdf = WorkFolder::file(QStringLiteral("warm-up.pdf"));
        const auto remove = qScopeGuard([&] {
            DeleteFileQuietly(word);
            DeleteFileQuietly(pdf);
        });
        session->call([&] {
            Reference<css::frame::XComponentLoader> loader(session->desktop(), UNO_QUERY_THROW);
            const auto hidden = properties({{"Hidden", css::uno::Any(true)}});
            auto close = [](const Reference<css::lang::XComponent>& document) {
                Reference<css::util::XCloseable>(document, UNO_QUERY_THROW)->close(true);
            };
            const auto blank =
                loader->loadComponentFromURL("private:factory/swriter", "_blank", 0, hidden);
            Reference<css::text::XTextDocument>(blank, UNO_QUERY_THROW)
                ->getText()
                ->setString("Statusmill");
            Reference<css::frame::XStorable>(blank, UNO_QUERY_THROW)
                ->storeToURL(fileUrl(word),
                             properties({{"FilterName", css::uno::Any(rtl::OUString("MS Word 97"))},
                                         {"Overwrite", css::uno::Any(true)}}));
            close(blank);
            const auto reread = loader->loadComponentFromURL(fileUrl(word), "_blank", 0, hidden);
            Reference<css::frame::XStorable>(reread, UNO_QUERY_THROW)
                ->storeToURL(fileUrl(pdf),
                             properties({{"FilterName",
                                          css::uno::Any(rtl::OUString("writer_pdf_Export"))}}));
            close(reread);
        });
        renderPages(pdf, pictureRatio(), 1);
        session->shutDown();
    } catch (...) {
        // Only the first press is a little slower then.
    }
}

} // namespace statusmill::office
