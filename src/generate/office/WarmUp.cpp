#include "WarmUp.h"

#include "OfficeSession.h"
#include "PageRenderer.h"
#include "Spares.h"
#include "core/FileHelpers.h"
#include "core/WorkFolder.h"

#include <QCoreApplication>
#include <QTimer>

#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <functional>
#include <optional>
#include <vector>

namespace statusmill::office {

using namespace uno;

namespace {

// The files the warm-up writes and reads, and how far it has come. The main
// thread's.
struct WarmUp
{
    QString word;
    QString pdf;
    size_t step = 0;
    // Sessions taken while it runs: one more than its own steps took means a
    // press came between two steps and has warmed the office itself.
    int takes = 0;
};

std::optional<WarmUp>& current()
{
    static std::optional<WarmUp> warmUp;
    return warmUp;
}

void finish()
{
    if (current()) {
        DeleteFileQuietly(current()->word);
        DeleteFileQuietly(current()->pdf);
    }
    current().reset();
}

css::uno::Sequence<css::beans::PropertyValue> hidden()
{
    return properties({{"Hidden", css::uno::Any(true)}});
}

void closeDocument(const Reference<css::lang::XComponent>& document)
{
    Reference<css::util::XCloseable>(document, UNO_QUERY_THROW)->close(true);
}

using Step = std::function<bool(WarmUp&)>;

// One step in a session of its own, which hands the office back with nothing open.
// Only an office that is ready: waiting for one to start would freeze the window.
bool withSession(WarmUp& warmUp,
                 const std::function<void(const Reference<css::frame::XComponentLoader>&)>& work)
{
    const auto session = OfficeSession::startIfReady();
    if (!session)
        return false;
    ++warmUp.takes;
    session->call([&] {
        work(Reference<css::frame::XComponentLoader>(session->desktop(), UNO_QUERY_THROW));
    });
    session->shutDown();
    return true;
}

// A Word document written, a Word document read and drawn as a PDF, the PDF
// rendered: each the first of its kind in the office, and slow.
const std::vector<Step>& steps()
{
    static const std::vector<Step> all{
        [](WarmUp& warmUp) {
            return withSession(warmUp, [&](const auto& loader) {
                const auto blank =
                    loader->loadComponentFromURL("private:factory/swriter", "_blank", 0, hidden());
                Reference<css::text::XTextDocument>(blank, UNO_QUERY_THROW)
                    ->getText()
                    ->setString("Statusmill");
                Reference<css::frame::XStorable>(blank, UNO_QUERY_THROW)
                    ->storeToURL(
                        fileUrl(warmUp.word),
                        properties({{"FilterName", css::uno::Any(rtl::OUString("MS Word 97"))},
                                    {"Overwrite", css::uno::Any(true)}}));
                closeDocument(blank);
            });
        },
        [](WarmUp& warmUp) {
            return withSession(warmUp, [&](const auto& loader) {
                const auto reread =
                    loader->loadComponentFromURL(fileUrl(warmUp.word), "_blank", 0, hidden());
                Reference<css::frame::XStorable>(reread, UNO_QUERY_THROW)
                    ->storeToURL(fileUrl(warmUp.pdf),
                                 properties({{"FilterName",
                                              css::uno::Any(rtl::OUString("writer_pdf_Export"))}}));
                closeDocument(reread);
            });
        },
        [](WarmUp& warmUp) {
            renderPages(warmUp.pdf, pictureRatio(), 1);
            return true;
        },
    };
    return all;
}

void runNextStep()
{
    if (!current())
        return;
    WarmUp& warmUp = *current();
    // A press between two steps took the office and warmed it: nothing left to do.
    if (Spares::instance().takesSoFar() != warmUp.takes || warmUp.step >= steps().size()) {
        finish();
        return;
    }
    try {
        if (!steps()[warmUp.step++](warmUp)) {
            finish();
            return;
        }
    } catch (...) {
        // Only the first press is a little slower then.
        finish();
        return;
    }
    // Back to the event loop between steps, so a press waits for one step at most.
    QTimer::singleShot(0, QCoreApplication::instance(), runNextStep);
}

} // namespace

void warmUpSpareOffice()
{
    if (current() || !QCoreApplication::instance())
        return;
    try {
        current() = WarmUp{WorkFolder::file(QStringLiteral("warm-up.doc")),
                           WorkFolder::file(QStringLiteral("warm-up.pdf")), 0,
                           Spares::instance().takesSoFar()};
    } catch (...) {
        return;
    }
    runNextStep();
}

} // namespace statusmill::office
