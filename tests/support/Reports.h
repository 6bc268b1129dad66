#pragma once

#include "ui/Dialogs.h"

#include <QList>
#include <QRegularExpression>
#include <QString>

namespace statusmill::testing {

// The statement numbers of the error reports shown so far, in order; with a
// location, only the reports of that procedure.
inline QList<int> reportedLines(const QString& location = {})
{
    static const QRegularExpression pattern(
        QStringLiteral("in Reportwright2021/08/31\\.(\\S+) at line (\\d+)"));
    QList<int> lines;
    for (const auto& shown : Dialogs::shown()) {
        const auto match = pattern.match(shown.text);
        if (match.hasMatch() && (location.isEmpty() || match.captured(1) == location))
            lines.append(match.captured(2).toInt());
    }
    return lines;
}

} // namespace statusmill::testing
