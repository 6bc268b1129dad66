// The office side of reading a workbook: one call reads it whole. Over the pipe a
// cell costs a quarter of a millisecond; here, inside the office, microseconds.
//
// The service "org.statusmill.WorkbookRead" (task::XJob) takes:
//   URL        the workbook's file URL
// loads it hidden and read-only, its macros never run and its links to other files
// not followed, reads it and closes it, and answers with NamedValue:
//   Unreadable    when no spreadsheet opened: "Password" when the workbook asked
//                 for one, else "NoSpreadsheet"; nothing more then
//   HiddenSheets  the number of hidden sheets, left out
//   HiddenRows    the number of hidden rows that hold something, left out
//   Sheets        for each visible sheet, in the workbook's order, NamedValue:
//                 Name, Lines (each row's number, from 1), Cells (each row's texts),
//                 ErrorLines and ErrorColumns (from 0) of the cells that hold a
//                 formula error, whose text is in Cells; NumberLines,
//                 NumberColumns and NumberValues of the number cells.

#include "LoadQuestions.h"
#include "UnoNames.h"
#include "SheetContent.h"

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/task/XJob.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cppuhelper/implbase2.hxx>
#include <cppuhelper/supportsservice.hxx>
#include <rtl/ref.hxx>

#include <vector>

namespace statusmill::inside {
namespace {

using css::beans::NamedValue;
using css::uno::Any;
using css::uno::Sequence;

template <class Item> Sequence<Item> sequenceOf(const std::vector<Item>& items)
{
    return Sequence<Item>(items.data(), sal_Int32(items.size()));
}

// Closed whatever happens once it is loaded, changes or not.
class Loaded
{
public:
    explicit Loaded(Reference<css::lang::XComponent> component) : m_component(std::move(component))
    {}
    ~Loaded()
    {
        try {
            Reference<css::util::XCloseable> closeable(m_component, UNO_QUERY);
            if (closeable.is())
                closeable->close(true);
            else if (m_component.is())
                m_component->dispose();
        } catch (const css::uno::Exception&) {
        }
    }
    Loaded(const Loaded&) = delete;
    Loaded& operator=(const Loaded&) = delete;

    const Reference<css::lang::XComponent>& component() const { return m_component; }

private:
    Reference<css::lang::XComponent> m_component;
};

Sequence<NamedValue> answerOfSheet(const SheetContent& sheet)
{
    std::vector<sal_Int32> lines;
    std::vector<Sequence<OUString>> cells;
    for (const auto& [row, texts] : sheet.rows) {
        lines.push_back(row + 1);
        cells.push_back(sequenceOf(texts));
    }
    std::vector<sal_Int32> errorLines;
    std::vector<sal_Int32> errorColumns;
    for (const SheetContent::Error& error : sheet.errors) {
        errorLines.push_back(error.row + 1);
        errorColumns.push_back(error.column);
    }
    std::vector<sal_Int32> numberLines;
    std::vector<sal_Int32> numberColumns;
    std::vector<double> numberValues;
    for (const SheetContent::Number& number : sheet.numbers) {
        numberLines.push_back(number.row + 1);
        numberColumns.push_back(number.column);
        numberValues.push_back(number.value);
    }
    return sequenceOf(std::vector{NamedValue("Name", Any(sheet.name)),
                                  NamedValue("Lines", Any(sequenceOf(lines))),
                                  NamedValue("Cells", Any(sequenceOf(cells))),
                                  NamedValue("ErrorLines", Any(sequenceOf(errorLines))),
                                  NamedValue("ErrorColumns", Any(sequenceOf(errorColumns))),
                                  NamedValue("NumberLines", Any(sequenceOf(numberLines))),
                                  NamedValue("NumberColumns", Any(sequenceOf(numberColumns))),
                                  NamedValue("NumberValues", Any(sequenceOf(numberValues)))});
}

Sequence<NamedValue> answerOfWorkbook(const Reference<css::sheet::XSpreadsheetDocument>& workbook)
{
    const Reference<css::container::XIndexAccess> all(workbook->getSheets(), UNO_QUERY_THROW);
    std::vector<Sequence<NamedValue>> sheets;
    sal_Int32 hiddenSheets = 0;
    sal_Int32 hiddenRows = 0;
    for (sal_Int32 index = 0; index < all->getCount(); ++index) {
        const Reference<css::sheet::XSpreadsheet> sheet(all->getByIndex(index), UNO_QUERY_THROW);
        bool visible = true;
        Reference<css::beans::XPropertySet>(sheet, UNO_QUERY_THROW)
            ->getPropertyValue("IsVisible") >>= visible;
        if (!visible) {
            ++hiddenSheets;
            continue;
        }
        const SheetContent content = readSheetContent(sheet);
        hiddenRows += content.hiddenRows;
        sheets.push_back(answerOfSheet(content));
    }
    return sequenceOf(std::vector{NamedValue("HiddenSheets", Any(hiddenSheets)),
                                  NamedValue("HiddenRows", Any(hiddenRows)),
                                  NamedValue("Sheets", Any(sequenceOf(sheets)))});
}

Sequence<NamedValue> unreadable(const char* why)
{
    return sequenceOf(std::vector{NamedValue("Unreadable", Any(OUString::createFromAscii(why)))});
}

css::beans::PropertyValue property(const char* name, const Any& value)
{
    return css::beans::PropertyValue(OUString::createFromAscii(name), 0, value,
                                     css::beans::PropertyState_DIRECT_VALUE);
}

class WorkbookRead : public cppu::WeakImplHelper2<css::task::XJob, css::lang::XServiceInfo>
{
public:
    explicit WorkbookRead(const Reference<css::uno::XComponentContext>& context)
        : m_context(context)
    {}

    Any SAL_CALL execute(const Sequence<NamedValue>& arguments) override
    {
        OUString url;
        for (const auto& argument : arguments)
            if (argument.Name == "URL")
                argument.Value >>= url;
        if (url.isEmpty())
            throw css::lang::IllegalArgumentException("No workbook to read.", nullptr, 0);
        const rtl::Reference<LoadQuestions> questions(new LoadQuestions);
        const Loaded loaded(load(url, questions));
        const Reference<css::sheet::XSpreadsheetDocument> workbook(loaded.component(), UNO_QUERY);
        if (workbook.is())
            return Any(answerOfWorkbook(workbook));
        return Any(unreadable(questions->passwordAsked() ? "Password" : "NoSpreadsheet"));
    }

    OUString SAL_CALL getImplementationName() override
    {
        return "org.statusmill.comp.WorkbookRead";
    }
    sal_Bool SAL_CALL supportsService(const OUString& name) override
    {
        return cppu::supportsService(this, name);
    }
    Sequence<OUString> SAL_CALL getSupportedServiceNames() override
    {
        return sequenceOf(std::vector{OUString("org.statusmill.WorkbookRead")});
    }

private:
    // Hidden and read-only, its macros never run and its links never followed;
    // nothing when the load failed for a password refused.
    Reference<css::lang::XComponent> load(const OUString& url,
                                          const rtl::Reference<LoadQuestions>& questions) const
    {
        const auto how = sequenceOf(std::vector{
            property("Hidden", Any(true)), property("ReadOnly", Any(true)),
            property("MacroExecutionMode", Any(css::document::MacroExecMode::NEVER_EXECUTE)),
            property("UpdateDocMode", Any(css::document::UpdateDocMode::NO_UPDATE)),
            property("InteractionHandler",
                     Any(Reference<css::task::XInteractionHandler>(questions.get())))});
        try {
            return css::frame::Desktop::create(m_context)->loadComponentFromURL(url, "_blank", 0,
                                                                                how);
        } catch (const css::uno::Exception&) {
            // How a refused password fails the load differs by format.
            if (!questions->passwordAsked())
                throw;
        }
        return {};
    }

    Reference<css::uno::XComponentContext> m_context;
};

} // namespace
} // namespace statusmill::inside

extern "C" SAL_DLLPUBLIC_EXPORT ::com::sun::star::uno::XInterface*
org_statusmill_comp_WorkbookRead_get_implementation(
    ::com::sun::star::uno::XComponentContext* context,
    ::com::sun::star::uno::Sequence<::com::sun::star::uno::Any> const&)
{
    return cppu::acquire(new statusmill::inside::WorkbookRead(context));
}
