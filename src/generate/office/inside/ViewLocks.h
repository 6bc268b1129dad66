#pragma once

// The document's views and the changes made to it. Runs inside the office.

#include <com/sun/star/frame/XModel.hpp>

namespace statusmill::inside {

namespace css = ::com::sun::star;

// The document's views are not told of each change until the scope ends, and its
// layout is made once then: a change costs a third of what it does otherwise.
class ViewsLocked
{
public:
    explicit ViewsLocked(const css::uno::Reference<css::frame::XModel>& document) : m_document(document)
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
    ViewsLocked(const ViewsLocked&) = delete;
    ViewsLocked& operator=(const ViewsLocked&) = delete;

private:
    css::uno::Reference<css::frame::XModel> m_document;
};

// Within views that are locked, the views follow a selection again for as long as
// this stands, however often they were locked: the copy of a paragraph goes
// through one.
class ViewsFollow
{
public:
    explicit ViewsFollow(const css::uno::Reference<css::frame::XModel>& document) : m_document(document)
    {
        while (m_document->hasControllersLocked()) {
            m_document->unlockControllers();
            ++m_locks;
        }
    }
    ~ViewsFollow()
    {
        try {
            for (; m_locks > 0; --m_locks)
                m_document->lockControllers();
        } catch (const css::uno::Exception&) {
        }
    }
    ViewsFollow(const ViewsFollow&) = delete;
    ViewsFollow& operator=(const ViewsFollow&) = delete;

private:
    css::uno::Reference<css::frame::XModel> m_document;
    int m_locks = 0;
};

} // namespace statusmill::inside
