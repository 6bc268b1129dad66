#include "Strict.h"

namespace statusmill::cli {

QString strictRefusal(const QStringList& errorCells, const QStringList& kept)
{
    QStringList why;
    if (!errorCells.isEmpty())
        why << QStringLiteral("its data reads %1 as an error").arg(errorCells.join(QStringLiteral(", ")));
    if (!kept.isEmpty())
        why << QStringLiteral("it would keep %1 as the template has %2")
                   .arg(kept.join(QStringLiteral(", ")),
                        kept.size() == 1 ? QStringLiteral("it") : QStringLiteral("them"));
    if (why.isEmpty())
        return {};
    return why.join(QStringLiteral(", and ")) + QStringLiteral("; not written (--strict)");
}

} // namespace statusmill::cli
