#include "UnoSupport.h"

#include "core/Failure.h"

#include <QFileInfo>
#include <QUrl>

#include <cppuhelper/bootstrap.hxx>
#include <rtl/bootstrap.hxx>

#include <csignal>
#include <cstdlib>
#include <cxxabi.h>
#include <mutex>
#include <typeinfo>

namespace statusmill::uno {

rtl::OUString fileUrl(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    return toOUString(QUrl::fromLocalFile(absolute).toString(QUrl::FullyEncoded));
}

css::uno::Sequence<css::beans::PropertyValue>
properties(std::initializer_list<std::pair<const char*, css::uno::Any>> items)
{
    css::uno::Sequence<css::beans::PropertyValue> result(static_cast<sal_Int32>(items.size()));
    auto* out = result.getArray();
    for (const auto& [name, value] : items) {
        out->Name = rtl::OUString::createFromAscii(name);
        out->Value = value;
        ++out;
    }
    return result;
}

QString officeMessage(const css::uno::Exception& e)
{
    const QString message = toQString(e.Message).trimmed();
    if (!message.isEmpty())
        return message;
    // The exception's own type name, e.g. "com::sun::star::io::IOException".
    int status = 0;
    char* name = abi::__cxa_demangle(typeid(e).name(), nullptr, nullptr, &status);
    const QString type = QString::fromLatin1(status == 0 && name ? name : typeid(e).name());
    std::free(name);
    return QStringLiteral("The document engine reported an error (%1).").arg(type);
}

Reference<css::uno::XComponentContext> localContext()
{
    // Bootstrapped once and never torn down: proxies of ended sessions may still be
    // released late, and the runtime does not like being shut down under them.
    static std::once_flag once;
    static Reference<css::uno::XComponentContext>* context = nullptr;
    static QString failure;
    std::call_once(once, [] {
        // A message to an office that has just been killed goes to a closed
        // socket: that must fail the call, not end the program with SIGPIPE.
        std::signal(SIGPIPE, SIG_IGN);
        try {
            // Without the office's fundamental bootstrap file the runtime knows only
            // the core types, and proxies of office interfaces are laid out wrongly.
            rtl::Bootstrap::set(
                "URE_BOOTSTRAP",
                toOUString(QStringLiteral("vnd.sun.star.pathname:" STATUSMILL_UNO_PROGRAM_FOLDER
                                          "/fundamentalrc")));
            context = new Reference<css::uno::XComponentContext>(
                cppu::defaultBootstrap_InitialComponentContext());
        } catch (const css::uno::Exception& e) {
            failure = toQString(e.Message);
        }
    });
    if (!context || !context->is())
        throw Failure(QStringLiteral("The UNO runtime could not be started: %1").arg(failure));
    return *context;
}

} // namespace statusmill::uno
