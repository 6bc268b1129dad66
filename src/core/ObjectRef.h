#pragma once

#include "Failure.h"

#include <memory>
#include <optional>

namespace statusmill {

// The object behind a reference that an earlier, failed statement may have left
// empty. Using an empty one is a failure of the statement that uses it, reported
// like any other, instead of a crash.
template <class T> T& use(T* object)
{
    if (!object)
        throw Failure(QStringLiteral("Object variable or With block variable not set"));
    return *object;
}

template <class T> T& use(const std::shared_ptr<T>& object)
{
    return use(object.get());
}

template <class T> T& use(const std::unique_ptr<T>& object)
{
    return use(object.get());
}

template <class T> T& use(const std::optional<std::shared_ptr<T>>& object)
{
    return use(object ? object->get() : nullptr);
}

} // namespace statusmill
