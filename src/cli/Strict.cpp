#include "Strict.h"

namespace statusmill::cli {

QString strictRefusal(const QStringList& errorCells, const QStringList& kept, const QStringList& gaps)
{
    QStringList why;
    if (!errorCells.isEmpty())
        why << QStringLiteral("its data reads %1 as an error").arg(errorCells.join(QStringLiteral(", ")));
    if (!kept.isEmpty())
        why << QStringLiteral("it would keep %1 as the template has %2")
                   .arg(kept.join(QStringLiteral(", ")),
                        kept.size() == 1 ? QStringLiteral("it") : QStringLiteral("them"));
    if (!gaps.isEmpty())
        why << QStringLiteral("its charts would leave gaps (%1)").arg(gaps.join(QStringLiteral("; ")));
    if (why.isEmpty())
        return {};
    return why.join(QStringLiteral(", and ")) + QStringLiteral("; not written (--strict)");
}

QString gapWarning(const QString& gap)
{
    return QStringLiteral("warning: %1, so the chart leaves a gap there").arg(gap);
}

} // namespace statusmill::cli
