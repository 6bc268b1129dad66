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
//   Numbers    beans::NamedValue for a list whose fields read as numbers: its
//              name, and item for item as in Lists the fields that read as
//              numbers (field name and double), for the charts; or nothing
//   Record     the name of the one step that takes the fill back, or nothing
//   Progress   a task::XStatusIndicator told, now and then, how many items are
//              made, so that a long fill is not taken for a hung office; or nothing
// and answers with NamedValue "Filled", the number of placeholders it filled, and
// "Left", the names of those the data gave no text for (each once), drawing
// shapes' included, whose fields the caller fills, and "Gaps", the values a chart
// drew as gaps for being no number: each the series' placeholder as written
// ("Budget.Actual") and the text, once.
// A row that names two lists is an IllegalArgumentException naming its text.

#include "Charts.h"
#include "Filler.h"
#include "UnoNames.h"
#include "ListRows.h"
#include "RowsOfLists.h"
#include "Shapes.h"
#include "ShortTables.h"
#include "Spots.h"
#include "StatusKey.h"
#include "Values.h"
#include "ViewLocks.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/document/XUndoManagerSupplier.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/task/XJob.hpp>
#include <com/sun/star/task/XStatusIndicator.hpp>
#include <com/sun/star/text/XTextFieldsSupplier.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <cppuhelper/implbase2.hxx>
#include <cppuhelper/supportsservice.hxx>

#include <chrono>

namespace statusmill::inside {
namespace {

using css::uno::Any;
using css::uno::Sequence;

// Everything from here to the end of the scope is one step to take back.
class UndoRecord
{
public:
    UndoRecord(const Reference<css::frame::XModel>& document, const OUString& name)
    {
        if (name.isEmpty())
            return;
        m_undo = Reference<css::document::XUndoManagerSupplier>(document, UNO_QUERY_THROW)->getUndoManager();
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
    UndoRecord(const UndoRecord&) = delete;
    UndoRecord& operator=(const UndoRecord&) = delete;

private:
    Reference<css::document::XUndoManager> m_undo;
};

// Nothing from here to the end of the scope is recorded to take back.
class UndoLocked
{
public:
    explicit UndoLocked(const Reference<css::frame::XModel>& document)
        : m_undo(Reference<css::document::XUndoManagerSupplier>(document, UNO_QUERY_THROW)->getUndoManager())
    {
        m_undo->lock();
    }
    ~UndoLocked()
    {
        try {
            m_undo->unlock();
        } catch (const css::uno::Exception&) {
        }
    }
    UndoLocked(const UndoLocked&) = delete;
    UndoLocked& operator=(const UndoLocked&) = delete;

private:
    Reference<css::document::XUndoManager> m_undo;
};

// Tells the caller, about once a second, that the fill is getting on.
class Heartbeat
{
public:
    explicit Heartbeat(Reference<css::task::XStatusIndicator> progress) : m_progress(std::move(progress)) {}

    void beat()
    {
        ++m_steps;
        if (!m_progress.is() || Clock::now() < m_next)
            return;
        m_next = Clock::now() + std::chrono::seconds(1);
        try {
            m_progress->setValue(m_steps);
        } catch (const css::uno::RuntimeException&) {
            // Nobody to tell: the fill goes on all the same.
        }
    }

private:
    using Clock = std::chrono::steady_clock;
    Reference<css::task::XStatusIndicator> m_progress;
    Clock::time_point m_next = Clock::now() + std::chrono::seconds(1);
    sal_Int32 m_steps = 0;
};

// Every comment of the document.
std::vector<Reference<css::beans::XPropertySet>> commentsOf(const Reference<css::frame::XModel>& document)
{
    std::vector<Reference<css::beans::XPropertySet>> comments;
    const auto fields =
        Reference<css::text::XTextFieldsSupplier>(document, UNO_QUERY_THROW)->getTextFields()->createEnumeration();
    while (fields->hasMoreElements()) {
        const Reference<css::lang::XServiceInfo> field(fields->nextElement(), UNO_QUERY);
        if (field.is() && field->supportsService("com.sun.star.text.TextField.Annotation"))
            comments.emplace_back(field, UNO_QUERY_THROW);
    }
    return comments;
}

struct Outcome
{
    sal_Int32 filled = 0;
    std::vector<OUString> left;
    std::vector<Gap> gaps;
};

Outcome fill(const Reference<css::frame::XModel>& document, const Values& values, const StatusKey& key,
             const Reference<css::task::XStatusIndicator>& progress)
{
    // All of the template's placeholders are found before any is filled.
    TemplateRows rows = rowsOfLists(templateSpots(document), values);
    Filler filler(values, key);
    Heartbeat heartbeat(progress);
    fillListRows(document, rows.rows, filler, [&] { heartbeat.beat(); });
    filler.fill(rows.elsewhere);
    // Those of the list rows are filled already, each with its item.
    filler.fillComments(commentsOf(document));
    for (const OUString& text : drawingShapeTexts(document))
        filler.noteLeftIn(text);
    keepShortTablesWhole(document);
    return {filler.filled(), filler.left(), {}};
}

class ReportFill : public cppu::WeakImplHelper2<css::task::XJob, css::lang::XServiceInfo>
{
public:
    Any SAL_CALL execute(const Sequence<css::beans::NamedValue>& arguments) override
    {
        Reference<css::frame::XModel> document;
        Sequence<css::beans::NamedValue> fields;
        Sequence<css::beans::NamedValue> lists;
        Sequence<css::beans::NamedValue> numbers;
        OUString record;
        Reference<css::task::XStatusIndicator> progress;
        for (const auto& argument : arguments) {
            if (argument.Name == "Document")
                argument.Value >>= document;
            else if (argument.Name == "Fields")
                argument.Value >>= fields;
            else if (argument.Name == "Lists")
                argument.Value >>= lists;
            else if (argument.Name == "Numbers")
                argument.Value >>= numbers;
            else if (argument.Name == "Record")
                argument.Value >>= record;
            else if (argument.Name == "Progress")
                argument.Value >>= progress;
        }
        if (!document.is())
            throw css::lang::IllegalArgumentException("No document to fill.", nullptr, 0);
        // The views follow no change until the end, the step to take back closed
        // first: the office lays the pages out once, after the whole call.
        const ViewsLocked locked(document);
        const Values values(fields, lists, numbers);
        const StatusKey key(document);
        Outcome outcome;
        {
            const UndoRecord undo(document, record);
            outcome = fill(document, values, key, progress);
        }
        // Not recorded at all: the office's undo does not take a chart's data back,
        // and every chart is set anew for each report anyway; but what it does
        // record of a chart (its frame kept to size) costs each report's taking
        // back more than the last's.
        const UndoLocked unrecorded(document);
        outcome.gaps = fillCharts(document, values, key);
        Sequence<OUString> left(sal_Int32(outcome.left.size()));
        std::copy(outcome.left.begin(), outcome.left.end(), left.getArray());
        Sequence<css::beans::NamedValue> gaps(sal_Int32(outcome.gaps.size()));
        std::transform(outcome.gaps.begin(), outcome.gaps.end(), gaps.getArray(),
                       [](const Gap& gap) { return css::beans::NamedValue(gap.field, Any(gap.text)); });
        Sequence<css::beans::NamedValue> answer(3);
        answer.getArray()[0] = css::beans::NamedValue("Filled", Any(outcome.filled));
        answer.getArray()[1] = css::beans::NamedValue("Left", Any(left));
        answer.getArray()[2] = css::beans::NamedValue("Gaps", Any(gaps));
        return Any(answer);
    }

    OUString SAL_CALL getImplementationName() override { return "org.statusmill.comp.ReportFill"; }
    sal_Bool SAL_CALL supportsService(const OUString& name) override { return cppu::supportsService(this, name); }
    Sequence<OUString> SAL_CALL getSupportedServiceNames() override
    {
        Sequence<OUString> names(1);
        names.getArray()[0] = "org.statusmill.ReportFill";
        return names;
    }
};

} // namespace
} // namespace statusmill::inside

extern "C" SAL_DLLPUBLIC_EXPORT ::com::sun::star::uno::XInterface*
org_statusmill_comp_ReportFill_get_implementation(::com::sun::star::uno::XComponentContext*,
                                                  ::com::sun::star::uno::Sequence<::com::sun::star::uno::Any> const&)
{
    return cppu::acquire(new statusmill::inside::ReportFill());
}
