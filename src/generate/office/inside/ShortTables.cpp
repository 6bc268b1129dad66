#include "ShortTables.h"
#include "UnoNames.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/text/XTextTablesSupplier.hpp>

namespace statusmill::inside {

namespace {

// Whether the template keeps every row of the table on one page: Word's formats
// keep that of each row, where a table's own "do not split" is lost, so it is
// what says the table is meant to be read in one piece.
bool rowsNeverSplit(const Reference<css::container::XIndexAccess>& rows)
{
    for (sal_Int32 row = 0; row < rows->getCount(); ++row) {
        bool splits = true;
        Reference<css::beans::XPropertySet>(rows->getByIndex(row), UNO_QUERY_THROW)
            ->getPropertyValue("IsSplitAllowed") >>= splits;
        if (splits)
            return false;
    }
    return true;
}

} // namespace

void keepShortTablesWhole(const Reference<css::frame::XModel>& document)
{
    const Reference<css::container::XIndexAccess> tables(
        Reference<css::text::XTextTablesSupplier>(document, UNO_QUERY_THROW)->getTextTables(), UNO_QUERY_THROW);
    for (sal_Int32 index = 0; index < tables->getCount(); ++index) {
        const Reference<css::text::XTextTable> table(tables->getByIndex(index), UNO_QUERY_THROW);
        const Reference<css::container::XIndexAccess> rows(table->getRows(), UNO_QUERY_THROW);
        const Reference<css::beans::XPropertySet> properties(table, UNO_QUERY_THROW);
        bool splits = true;
        properties->getPropertyValue("Split") >>= splits;
        // A table of a template kept open may have been short in the report before.
        const bool wanted = rows->getCount() > kShortTableRows || !rowsNeverSplit(rows);
        if (splits != wanted)
            properties->setPropertyValue("Split", css::uno::Any(wanted));
    }
}

} // namespace statusmill::inside
