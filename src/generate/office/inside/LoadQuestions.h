#pragma once

// What a document's load asks, answered as nobody is there to answer: as the office
// answers a hidden load of its own (a warning is let pass, every other question
// refused), except that a password asked for is noted, so that the caller can say
// why the document did not open. Runs inside the office.

#include <com/sun/star/task/XInteractionHandler.hpp>
#include <cppuhelper/implbase1.hxx>

namespace statusmill::inside {

namespace css = ::com::sun::star;

class LoadQuestions : public cppu::WeakImplHelper1<css::task::XInteractionHandler>
{
public:
    void SAL_CALL
    handle(const css::uno::Reference<css::task::XInteractionRequest>& request) override;

    // Whether the load asked for a password (and was refused one).
    bool passwordAsked() const { return m_passwordAsked; }

private:
    bool m_passwordAsked = false;
};

} // namespace statusmill::inside
