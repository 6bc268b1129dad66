#include "LoadQuestions.h"
#include "UnoNames.h"

#include <com/sun/star/task/ErrorCodeRequest.hpp>
#include <com/sun/star/task/PasswordRequest.hpp>
#include <com/sun/star/task/XInteractionAbort.hpp>
#include <com/sun/star/task/XInteractionApprove.hpp>

namespace statusmill::inside {


namespace {

template <class Continuation>
bool choose(const css::uno::Sequence<Reference<css::task::XInteractionContinuation>>& offered)
{
    for (const auto& continuation : offered) {
        Reference<Continuation> chosen(continuation, UNO_QUERY);
        if (chosen.is()) {
            chosen->select();
            return true;
        }
    }
    return false;
}

} // namespace

void LoadQuestions::handle(const Reference<css::task::XInteractionRequest>& request)
{
    const css::uno::Any asked = request->getRequest();
    const auto offered = request->getContinuations();
    // Every kind of document password (the office's own, Microsoft's) is one.
    if (cppu::UnoType<css::task::PasswordRequest>::get().isAssignableFrom(asked.getValueType())) {
        m_passwordAsked = true;
        choose<css::task::XInteractionAbort>(offered);
        return;
    }
    // A warning (its code's highest bit set) lets the load go on; what it warns of
    // is in the cells read.
    css::task::ErrorCodeRequest error;
    if ((asked >>= error) && error.ErrCode < 0 && choose<css::task::XInteractionApprove>(offered))
        return;
    if (!choose<css::task::XInteractionAbort>(offered))
        choose<css::task::XInteractionApprove>(offered);
}

} // namespace statusmill::inside
