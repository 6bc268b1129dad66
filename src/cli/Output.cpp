#include "Output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

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

} // namespace statusmill::cli
