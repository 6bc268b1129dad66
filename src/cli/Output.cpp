#include "Output.h"

#include "core/StopRequest.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string.h>

namespace statusmill::cli {

void tell(const QString& text)
{
    std::fprintf(stderr, "statusmill: %s\n", text.toLocal8Bit().constData());
}

bool answer(const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) ==
                             size_t(bytes.size()) &&
                         std::fflush(stdout) == 0 && !std::ferror(stdout);
    if (!written)
        tell(QStringLiteral("cannot write the answer: %1")
                 .arg(QString::fromLocal8Bit(std::strerror(errno))));
    return written;
}

QString causeOf(const std::exception& error)
{
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return QString::fromLocal8Bit(std::strerror(ENOMEM));
    return QString::fromLocal8Bit(error.what());
}

QString stopSignalName()
{
    const int signal = StopRequest::signalNumber();
    const char* name = signal > 0 ? ::sigabbrev_np(signal) : nullptr;
    return name ? QStringLiteral("SIG") + QLatin1String(name) : QString();
}

} // namespace statusmill::cli
