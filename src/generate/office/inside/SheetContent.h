#pragma once

// One sheet's cells that hold something, read where they are: inside the office,
// where a cell costs microseconds. A sheet costs what its filled cells cost, however
// far apart they stand. Runs inside the office.

#include <com/sun/star/sheet/XSpreadsheet.hpp>

#include <map>
#include <vector>

namespace statusmill::inside {

namespace css = ::com::sun::star;

struct SheetContent
{
    // A cell that holds a formula error, where it stands (both from 0).
    struct Error
    {
        sal_Int32 row = 0;
        sal_Int32 column = 0;
    };

    rtl::OUString name;
    // The visible rows that hold something, by their index from 0: their cells
    // from column A as the sheet shows them, the empty ones at the end left off. A
    // merged area's value stands in each of its cells, in the rows that hold
    // something of their own.
    std::map<sal_Int32, std::vector<rtl::OUString>> rows;
    // In the order of the rows, then of the columns; their text is in `rows`.
    std::vector<Error> errors;
    // A number cell's value, whatever its format shows; in that order too.
    struct Number
    {
        sal_Int32 row = 0;
        sal_Int32 column = 0;
        double value = 0;
    };
    std::vector<Number> numbers;
    // The rows that hold something and are hidden, and so left out.
    sal_Int32 hiddenRows = 0;
};

SheetContent readSheetContent(const css::uno::Reference<css::sheet::XSpreadsheet>& sheet);

} // namespace statusmill::inside
