#pragma once

// What one report is made from: the text of each field ([Name] in a template) and
// the items of each list ([List.Field] in a template row that is repeated once per
// item). Names are compared in any letter case, as the placeholders are found.

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace statusmill::data {

struct Field
{
    QString name; // without brackets: "ProjectName"
    QString text;
    std::optional<double> number;
};

struct List
{
    QString name; // "Milestones"
    // Each item's fields, in the list's order: "Owner" fills [Milestones.Owner].
    QList<QList<Field>> items;
};

class ReportData
{
public:
    // The field's text; nothing when the data does not give it.
    std::optional<QString> field(const QString& name) const;
    // Gives the field, or replaces the text it had.
    void setField(const QString& name, const QString& text);
    // The list of that name; nothing when the data does not have it at all (a list
    // that is there with no items is another thing: it empties its rows).
    const List* list(const QString& name) const;
    // Gives the list, or replaces the one of that name.
    void setList(List list);

    const QList<Field>& fields() const { return m_fields; }
    const QList<List>& lists() const { return m_lists; }
    bool isEmpty() const { return m_fields.isEmpty() && m_lists.isEmpty(); }

private:
    QList<Field> m_fields;
    QList<List> m_lists;
};

// One report of a batch, and where it came from, for messages: "line 7",
// "projects.json [3]".
struct Record
{
    QString where;
    ReportData data;
    // Why no report can be made of it ("the row has 2 cells where the header names
    // 3 columns"); empty when one can. Kept in its place, so that the records
    // after it keep their numbers.
    QString problem;
    // The cells of a workbook that its data was read from, its list items' too,
    // that hold a formula error: "sheet Risks, cell C7 (#DIV/0!)".
    QStringList errorCells;
};

// The text of an item's field, any letter case; nothing when it has none.
std::optional<QString> fieldOf(const QList<Field>& item, const QString& name);

} // namespace statusmill::data
