#pragma once

// The office objects obtained while working on one document, held until that
// document is closed. Internal to the engine.
//
// Why: the office runs a remote release on one of its bridge threads without
// taking its global lock. When that release destroys one of the drawing layer's
// text objects (a shape's text, a cursor or paragraph in it, a comment's text)
// while the office's main thread is laying out or notifying the same text, the
// office's heap is corrupted and it aborts ("free(): invalid pointer" in
// OWeakAggObject::release). Once the document is closed nothing in the office
// touches those objects any more, so releasing them then is safe.

#include "UnoSupport.h"

#include <functional>
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
    KeepAlive keeper()
    {
        return [this](const uno::css::uno::Any& answer) { hold(answer); };
    }
    // To be called once the document is closed, or its office has ended.
    void release() { std::vector<uno::css::uno::Any>().swap(m_held); }
    size_t size() const { return m_held.size(); }

private:
    std::vector<uno::css::uno::Any> m_held;
};

} // namespace statusmill::office
