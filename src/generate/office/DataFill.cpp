// A report's data filled into an open document in one call, made inside the office
// by the component every office of ours loads (inside/ReportFill.cpp).

#include "OfficeDocument.h"

#include "core/Failure.h"
#include "data/Numbers.h"
#include "data/ReportData.h"
#include "generate/FillPlan.h"

#include <QScopeGuard>

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/task/XJob.hpp>
#include <com/sun/star/task/XStatusIndicator.hpp>
#include <cppuhelper/implbase1.hxx>
#include <rtl/ref.hxx>

#include <mutex>

namespace statusmill::office {

using namespace uno;
using css::beans::NamedValue;

namespace {

// Told by the office, now and then, how far a long fill has come: the fill is then
// not taken for a hung office, however many items its lists hold.
class FillProgress : public cppu::WeakImplHelper1<css::task::XStatusIndicator>
{
public:
    explicit FillProgress(std::shared_ptr<OfficeSession> session) : m_session(std::move(session)) {}

    void SAL_CALL setValue(sal_Int32) override
    {
        const std::lock_guard lock(m_mutex);
        if (m_session)
            m_session->stillWorking();
    }
    void SAL_CALL start(const rtl::OUString&, sal_Int32) override {}
    void SAL_CALL end() override {}
    void SAL_CALL setText(const rtl::OUString&) override {}
    void SAL_CALL reset() override {}

    // The office may let go of this object only later: nothing more reaches the
    // session from here.
    void finish()
    {
        const std::lock_guard lock(m_mutex);
        m_session.reset();
    }

private:
    std::mutex m_mutex;
    std::shared_ptr<OfficeSession> m_session;
};

// Each value as the document can take it (see automation::documentText).
css::uno::Sequence<NamedValue> namedTexts(const QList<data::Field>& fields)
{
    css::uno::Sequence<NamedValue> values(fields.size());
    for (qsizetype i = 0; i < fields.size(); ++i)
        values.getArray()[i] = NamedValue(toOUString(fields.at(i).name),
                                          css::uno::Any(toOUString(automation::documentText(fields.at(i).text))));
    return values;
}

css::uno::Sequence<NamedValue> namedLists(const QList<data::List>& lists)
{
    css::uno::Sequence<NamedValue> named(lists.size());
    for (qsizetype i = 0; i < lists.size(); ++i) {
        const data::List& list = lists.at(i);
        css::uno::Sequence<css::uno::Sequence<NamedValue>> items(list.items.size());
        for (qsizetype item = 0; item < list.items.size(); ++item)
            items.getArray()[item] = namedTexts(list.items.at(item));
        named.getArray()[i] = NamedValue(toOUString(list.name), css::uno::Any(items));
    }
    return named;
}

// Each list's fields that read as numbers (see data/Numbers.h), item for item,
// for the charts drawn from it; a list with none is left out.
css::uno::Sequence<NamedValue> namedNumbers(const QList<data::List>& lists)
{
    const QLocale locale = data::localeOfNumbers();
    std::vector<NamedValue> named;
    for (const data::List& list : lists) {
        css::uno::Sequence<css::uno::Sequence<NamedValue>> items(list.items.size());
        bool any = false;
        for (qsizetype item = 0; item < list.items.size(); ++item) {
            std::vector<NamedValue> numbers;
            for (const data::Field& field : list.items.at(item))
                if (const auto number = data::numberOf(field, locale))
                    numbers.emplace_back(toOUString(field.name), css::uno::Any(*number));
            any = any || !numbers.empty();
            items.getArray()[item] = css::uno::Sequence<NamedValue>(numbers.data(), sal_Int32(numbers.size()));
        }
        if (any)
            named.emplace_back(toOUString(list.name), css::uno::Any(items));
    }
    return css::uno::Sequence<NamedValue>(named.data(), sal_Int32(named.size()));
}

QString gapLine(const NamedValue& gap)
{
    rtl::OUString text;
    gap.Value >>= text;
    return QStringLiteral("%1: \"%2\" is no number").arg(toQString(gap.Name), toQString(text));
}

} // namespace

automation::FillOutcome OfficeDocument::FillData(const data::ReportData& data)
{
    ensureOpen();
    const rtl::Reference<FillProgress> progress(new FillProgress(m_session));
    css::uno::Sequence<NamedValue> arguments(6);
    arguments.getArray()[0] = NamedValue("Document", css::uno::Any(m_component));
    arguments.getArray()[1] = NamedValue("Fields", css::uno::Any(namedTexts(data.fields())));
    arguments.getArray()[2] = NamedValue("Lists", css::uno::Any(namedLists(data.lists())));
    arguments.getArray()[3] = NamedValue("Record", css::uno::Any(rtl::OUString("Report")));
    arguments.getArray()[4] =
        NamedValue("Progress", css::uno::Any(Reference<css::task::XStatusIndicator>(progress.get())));
    arguments.getArray()[5] = NamedValue("Numbers", css::uno::Any(namedNumbers(data.lists())));
    css::uno::Sequence<rtl::OUString> left;
    css::uno::Sequence<NamedValue> gaps;
    const auto finish = qScopeGuard([&] { progress->finish(); });
    m_session->call([&] {
        if (!m_fill.is()) {
            const auto context = m_session->office()->context();
            m_fill.set(context->getServiceManager()->createInstanceWithContext("org.statusmill.ReportFill", context),
                       UNO_QUERY);
            if (!m_fill.is())
                throw Failure(QStringLiteral("The office part of the program (libstatusmill_office.so) "
                                             "was not found; reinstall the program."));
            m_held->hold(m_fill);
        }
        css::uno::Sequence<NamedValue> answer;
        m_fill->execute(arguments) >>= answer;
        for (const NamedValue& value : std::as_const(answer))
            if (value.Name == "Left")
                value.Value >>= left;
            else if (value.Name == "Gaps")
                value.Value >>= gaps;
    });
    automation::FillOutcome outcome;
    for (const rtl::OUString& name : std::as_const(left))
        outcome.left << QLatin1Char('[') + toQString(name) + QLatin1Char(']');
    for (const NamedValue& gap : std::as_const(gaps))
        outcome.gaps << gapLine(gap);
    return outcome;
}

} // namespace statusmill::office
