// The office side of the fill: one call fills a whole report. Every call into the
// document from outside the office crosses a pipe and costs a quarter of a
// millisecond or more, and a report holds a hundred and more spots to fill; made
// here, inside the office, the whole fill costs a few milliseconds.
//
// The service "org.statusmill.ReportFill" (task::XJob) takes:
//   Document   the text document (frame::XModel)
//   Fields     beans::NamedValue for each field: its name and its text
//   Lists      beans::NamedValue for each list: its name, and its items as a
//              sequence of sequences of beans::NamedValue (field name and text)
//   Record     the name of the one step that takes the fill back, or nothing
// and answers with NamedValue "Filled", the number of placeholders it filled.
// A row that names two lists is an IllegalArgumentException naming its text.

#include "ListRows.h"
#include "Placeholders.h"
#include "StatusKey.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/beans/XPropertyState.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/document/XUndoManagerSupplier.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/task/XJob.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/text/XTextFieldsSupplier.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <rtl/ustrbuf.hxx>
#include <com/sun/star/text/XTextRangeCompare.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XSearchable.hpp>
#include <com/sun/star/i18n/CharacterClassification.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <cppuhelper/implbase2.hxx>
#include <cppuhelper/supportsservice.hxx>

#include <algorithm>
#include <map>

namespace statusmill::inside {
namespace {

using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;

// Names in any letter case, as the rest of the program compares them: folded to
// lower case by the office's own rules for every script.
class Names
{
public:
    explicit Names(const Reference<css::uno::XComponentContext>& context)
        : m_classes(css::i18n::CharacterClassification::create(context))
    {}
    OUString key(const OUString& name) const
    {
        // A report asks for the same few names hundreds of times.
        const auto known = m_keys.find(name);
        if (known != m_keys.end())
            return known->second;
        return m_keys.emplace(name, m_classes->toLower(name, 0, name.getLength(), css::lang::Locale()))
            .first->second;
    }

private:
    Reference<css::i18n::XCharacterClassification> m_classes;
    mutable std::map<OUString, OUString> m_keys;
};

// Texts by their names' keys.
using Values = std::map<OUString, OUString>;

Values valuesOf(const Names& names, const Sequence<css::beans::NamedValue>& given)
{
    Values values;
    for (const auto& value : given) {
        OUString text;
        value.Value >>= text;
        values.emplace(names.key(value.Name), text);
    }
    return values;
}

std::optional<OUString> valueIn(const Values& values, const OUString& key)
{
    const auto found = values.find(key);
    return found == values.end() ? std::nullopt : std::optional<OUString>(found->second);
}

std::vector<ListData> listsOf(const Sequence<css::beans::NamedValue>& lists)
{
    std::vector<ListData> result;
    for (const auto& list : lists) {
        Sequence<Sequence<css::beans::NamedValue>> items;
        list.Value >>= items;
        result.push_back({list.Name, {items.begin(), items.end()}});
    }
    return result;
}

// Everything from here to the end of the scope is one step to take back.
class UndoRecord
{
public:
    UndoRecord(const Reference<css::frame::XModel>& document, const OUString& name)
    {
        if (name.isEmpty())
            return;
        m_undo = Reference<css::document::XUndoManagerSupplier>(document, UNO_QUERY_THROW)
                     ->getUndoManager();
        m_undo->enterUndoContext(name);
    }
    ~UndoRecord()
    {
        try {
            if (m_undo.is())
                m_undo->leaveUndoContext();
        } catch (const css::uno::Exception&) {
        }
    }

private:
    Reference<css::document::XUndoManager> m_undo;
};

// The document's views are not told of each change until the scope ends, and its
// layout is made once then: a change costs a third of what it does otherwise.
class ViewsLocked
{
public:
    explicit ViewsLocked(const Reference<css::frame::XModel>& document) : m_document(document)
    {
        m_document->lockControllers();
    }
    ~ViewsLocked()
    {
        try {
            m_document->unlockControllers();
        } catch (const css::uno::Exception&) {
        }
    }

private:
    Reference<css::frame::XModel> m_document;
};

// Every placeholder of the document's stories, as the office's search finds them.
std::vector<Reference<css::text::XTextRange>> placeholdersOf(const Reference<css::frame::XModel>& document)
{
    Reference<css::util::XSearchable> searchable(document, UNO_QUERY_THROW);
    const auto search = searchable->createSearchDescriptor();
    search->setSearchString(OUString::createFromAscii(kPlaceholderPattern));
    Reference<css::beans::XPropertySet> options(search, UNO_QUERY_THROW);
    options->setPropertyValue("SearchRegularExpression", Any(true));
    // The pattern names no letter; a search in any case would first close every
    // class of letters over case, which costs more than the search.
    options->setPropertyValue("SearchCaseSensitive", Any(true));
    const auto found = searchable->findAll(search);
    std::vector<Reference<css::text::XTextRange>> ranges;
    ranges.reserve(size_t(found->getCount()));
    for (sal_Int32 i = 0; i < found->getCount(); ++i)
        ranges.emplace_back(found->getByIndex(i), UNO_QUERY_THROW);
    return ranges;
}

// A found placeholder's text, or nothing when the row it stood in was taken away.
OUString textOf(const Reference<css::text::XTextRange>& range)
{
    try {
        return range->getString();
    } catch (const css::uno::RuntimeException&) {
        return OUString();
    }
}

class Filler
{
public:
    Filler(const Names& names, const Sequence<css::beans::NamedValue>& fields,
           std::vector<ListData> lists)
        : m_names(names), m_fields(valuesOf(names, fields)), m_lists(std::move(lists))
    {
        for (const ListData& list : m_lists) {
            std::vector<Values> items;
            for (const auto& item : list.items)
                items.push_back(valuesOf(names, item));
            m_items.emplace(names.key(list.name), std::move(items));
        }
    }

    sal_Int32 fill(const Reference<css::frame::XModel>& document)
    {
        // The views follow no change until the end; the layout is made once.
        const ViewsLocked locked(document);
        const StatusKey key(document);
        // All are found before any is filled: no value is ever searched.
        auto placeholders = placeholdersOf(document);
        const ListRows rows = makeListRows(
            document, m_lists,
            [this](const ListData& list, size_t item, const OUString& field) { return itemText(list, item, field); },
            placeholders);
        m_regions = rows.regions;
        if (rows.searchAgain)
            placeholders = placeholdersOf(document);
        std::vector<Reference<css::table::XCell>> cells = rows.filledCells;
        sal_Int32 filled = rows.filled;
        for (const auto& range : placeholders) {
            const auto whole = textOf(range);
            if (whole.getLength() < 2)
                continue;
            Reference<css::beans::XPropertySet> where(range, UNO_QUERY_THROW);
            Reference<css::table::XCell> cell(where->getPropertyValue("Cell"), UNO_QUERY);
            const auto value = valueFor(whole.copy(1, whole.getLength() - 2), where, cell);
            if (!value)
                continue;
            range->setString(*value);
            takeOffPrompt(where);
            ++filled;
            if (cell.is() && std::find(cells.begin(), cells.end(), cell) == cells.end())
                cells.push_back(cell);
        }
        for (const auto& cell : cells)
            key.colour(cell);
        return filled + fillComments(document);
    }

private:
    // The office's search does not reach comments: each is rewritten whole, as
    // plain text, where it holds a field the data gives.
    sal_Int32 fillComments(const Reference<css::frame::XModel>& document) const
    {
        sal_Int32 filled = 0;
        const auto fields = Reference<css::text::XTextFieldsSupplier>(document, UNO_QUERY_THROW)
                                ->getTextFields()
                                ->createEnumeration();
        while (fields->hasMoreElements()) {
            Reference<css::lang::XServiceInfo> field(fields->nextElement(), UNO_QUERY);
            if (!field.is() || !field->supportsService("com.sun.star.text.TextField.Annotation"))
                continue;
            Reference<css::beans::XPropertySet> comment(field, UNO_QUERY_THROW);
            OUString content;
            comment->getPropertyValue("Content") >>= content;
            rtl::OUStringBuffer rewritten;
            sal_Int32 copied = 0;
            for (const Found& found : placeholdersIn(content)) {
                const auto value = listFieldOf(found.name) ? std::nullopt
                                                           : valueIn(m_fields, m_names.key(found.name));
                if (!value)
                    continue;
                rewritten.append(content.copy(copied, found.start - copied)).append(*value);
                copied = found.start + found.length;
                ++filled;
            }
            if (copied > 0)
                comment->setPropertyValue(
                    "Content", Any(rewritten.append(content.copy(copied)).makeStringAndClear()));
        }
        return filled;
    }

    // A prompt of the template is in the character style "Prompt" (grey): what
    // fills it reads as the report's own text.
    static void takeOffPrompt(const Reference<css::beans::XPropertySet>& range)
    {
        OUString style;
        range->getPropertyValue("CharStyleName") >>= style;
        if (style == "Prompt")
            Reference<css::beans::XPropertyState>(range, UNO_QUERY_THROW)
                ->setPropertyToDefault("CharStyleName");
    }

    std::optional<OUString> valueFor(const OUString& name,
                                     const Reference<css::beans::XPropertySet>& where,
                                     const Reference<css::table::XCell>& cell) const
    {
        const auto field = listFieldOf(name);
        if (!field)
            return valueIn(m_fields, m_names.key(name));
        const OUString list = m_names.key(field->list);
        for (const ListRegion& region : m_regions) {
            if (m_names.key(region.list->name) != list)
                continue;
            const auto item = itemAt(region, where, cell);
            if (item)
                return itemText(*region.list, *item, field->field);
        }
        return std::nullopt;
    }

    OUString itemText(const ListData& list, size_t item, const OUString& field) const
    {
        if (field == "#")
            return OUString::number(item + 1);
        return valueIn(m_items.at(m_names.key(list.name))[item], m_names.key(field)).value_or(OUString());
    }

    // Which item of the region the placeholder stands in, if it is in the region.
    static std::optional<size_t> itemAt(const ListRegion& region,
                                        const Reference<css::beans::XPropertySet>& where,
                                        const Reference<css::table::XCell>& cell)
    {
        if (region.table.is()) {
            if (!cell.is())
                return std::nullopt;
            Reference<css::text::XTextTable> table(where->getPropertyValue("TextTable"), UNO_QUERY);
            if (table != region.table)
                return std::nullopt;
            OUString name;
            Reference<css::beans::XPropertySet>(cell, UNO_QUERY_THROW)->getPropertyValue("CellName") >>= name;
            const sal_Int32 row = rowOfCellName(name) - region.firstRow;
            if (row < 0 || size_t(row) >= region.list->items.size())
                return std::nullopt;
            return size_t(row);
        }
        // The office makes a new object for a paragraph each time it is asked: the
        // same paragraph is the one that starts where it starts.
        Reference<css::text::XTextRange> paragraph(where->getPropertyValue("TextParagraph"), UNO_QUERY);
        Reference<css::text::XTextRangeCompare> compare(region.text, UNO_QUERY);
        if (!paragraph.is() || !compare.is())
            return std::nullopt;
        for (size_t item = 0; item < region.paragraphs.size(); ++item) {
            try {
                if (compare->compareRegionStarts(region.paragraphs[item], paragraph) == 0)
                    return item;
            } catch (const css::lang::IllegalArgumentException&) {
                return std::nullopt; // in another text
            }
        }
        return std::nullopt;
    }

    const Names& m_names;
    Values m_fields;
    std::vector<ListData> m_lists;
    // Each list's items' values, by the list's key.
    std::map<OUString, std::vector<Values>> m_items;
    std::vector<ListRegion> m_regions;
};

class ReportFill : public cppu::WeakImplHelper2<css::task::XJob, css::lang::XServiceInfo>
{
public:
    explicit ReportFill(const Reference<css::uno::XComponentContext>& context) : m_names(context) {}

    Any SAL_CALL execute(const Sequence<css::beans::NamedValue>& arguments) override
    {
        Reference<css::frame::XModel> document;
        Sequence<css::beans::NamedValue> fields;
        Sequence<css::beans::NamedValue> lists;
        OUString record;
        for (const auto& argument : arguments) {
            if (argument.Name == "Document")
                argument.Value >>= document;
            else if (argument.Name == "Fields")
                argument.Value >>= fields;
            else if (argument.Name == "Lists")
                argument.Value >>= lists;
            else if (argument.Name == "Record")
                argument.Value >>= record;
        }
        if (!document.is())
            throw css::lang::IllegalArgumentException("No document to fill.", nullptr, 0);
        const UndoRecord undo(document, record);
        Filler filler(m_names, fields, listsOf(lists));
        Sequence<css::beans::NamedValue> answer(1);
        answer.getArray()[0] = css::beans::NamedValue("Filled", Any(filler.fill(document)));
        return Any(answer);
    }

    OUString SAL_CALL getImplementationName() override { return "org.statusmill.comp.ReportFill"; }
    sal_Bool SAL_CALL supportsService(const OUString& name) override
    {
        return cppu::supportsService(this, name);
    }
    Sequence<OUString> SAL_CALL getSupportedServiceNames() override
    {
        Sequence<OUString> names(1);
        names.getArray()[0] = "org.statusmill.ReportFill";
        return names;
    }

private:
    Names m_names;
};

} // namespace
} // namespace statusmill::inside

extern "C" SAL_DLLPUBLIC_EXPORT ::com::sun::star::uno::XInterface*
org_statusmill_comp_ReportFill_get_implementation(
    ::com::sun::star::uno::XComponentContext* context,
    ::com::sun::star::uno::Sequence<::com::sun::star::uno::Any> const&)
{
    return cppu::acquire(new statusmill::inside::ReportFill(context));
}
