#include "TableColumns.h"

#include <algorithm>

namespace statusmill::data {
namespace {

QString columnLetters(qsizetype column)
{
    QString letters;
    for (qsizetype rest = column + 1; rest > 0; rest = (rest - 1) / 26)
        letters.prepend(QChar(u'A' + char16_t((rest - 1) % 26)));
    return letters;
}

} // namespace

QString columnName(qsizetype column, bool lettered)
{
    return lettered ? QStringLiteral("column %1").arg(columnLetters(column))
                    : QStringLiteral("column %1").arg(column + 1);
}

QString cellName(qsizetype column, int row)
{
    return columnLetters(column) + QString::number(row);
}

bool isUnnamedColumn(const Table& table, qsizetype column)
{
    return table.header.value(column).trimmed().isEmpty();
}

QStringList unnamedColumnsHeld(const Table& table, const QString& where, bool lettered)
{
    QStringList warnings;
    for (qsizetype column = 0; column < table.header.size(); ++column) {
        if (!isUnnamedColumn(table, column))
            continue;
        if (std::any_of(table.rows.begin(), table.rows.end(),
                        [&](const TableRow& row) { return !row.cells.value(column).isEmpty(); }))
            warnings << QStringLiteral("%1: %2 has no name in its header, so it is left out")
                            .arg(where, columnName(column, lettered));
    }
    return warnings;
}

std::optional<QString> cellsProblem(const TableRow& row, const Table& table)
{
    qsizetype named = table.header.size();
    while (named > 0 && isUnnamedColumn(table, named - 1))
        --named;
    const bool heldPastHeader = std::any_of(row.cells.begin() + std::min(row.cells.size(), table.header.size()),
                                            row.cells.end(), [](const QString& cell) { return !cell.isEmpty(); });
    if (row.cells.size() >= named && !heldPastHeader)
        return std::nullopt;
    return QStringLiteral("the row has %1 cells where the header names %2 columns")
        .arg(row.cells.size())
        .arg(table.header.size());
}

} // namespace statusmill::data
