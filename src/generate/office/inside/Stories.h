#pragma once

// The texts of a document that hold rows of its own: the main text, every header
// and footer in use, and every frame. Runs inside the office.

#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/text/XText.hpp>

#include <vector>

namespace statusmill::inside {

namespace css = ::com::sun::star;

// Each text once, the main text first.
std::vector<css::uno::Reference<css::text::XText>>
storyTexts(const css::uno::Reference<css::frame::XModel>& document);

} // namespace statusmill::inside
