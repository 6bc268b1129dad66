#pragma once

// The office objects obtained while working on one document, held until that
// document is closed. Internal to the engine.
//
// Why: the office destroys an object when its last remote reference goes, on
// one of its bridge threads and without its global lock. The aborts we saw
// ("free(): invalid pointer" in OWeakAggObject::release) came from destroying a
// comment's text object after writing through its cursor, which we no longer
// do; releasing only once the document is closed, when nothing in the office
// works on those objects any more, keeps such destruction away from live
// documents altogether.

#include "UnoSupport.h"

#include <functional>
#include <iterator>
#include <vector>

namespace statusmill::office {

// Receives every office object a call made, for the caller to hold.
using KeepAlive = std::function<void(const uno::css::uno::Any&)>;

class HeldReferences
{
public:
    void hold(const uno::css::uno::Any& answer)
    {
        if (answer.hasValue())
            m_held.push_back(answer);
    }
    void hold(const uno::Reference<uno::css::uno::XInterface>& object)
    {
        if (object.is())
            m_held.push_back(uno::css::uno::Any(object));
    }
    // Holds what `other` held as well.
    void take(HeldReferences&& other)
    {
        m_held.insert(m_held.end(), std::make_move_iterator(other.m_held.begin()),
                      std::make_move_iterator(other.m_held.end()));
        other.m_held.clear();
    }
    // To be called once the document is closed, or its office has ended.
    void release() { std::vector<uno::css::uno::Any>().swap(m_held); }
    size_t size() const { return m_held.size(); }

private:
    std::vector<uno::css::uno::Any> m_held;
};

} // namespace statusmill::office
