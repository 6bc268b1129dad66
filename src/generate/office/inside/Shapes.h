#pragma once

// The texts of a document's drawing shapes, which the office's search of the
// stories does not reach (a text frame, and a shape whose text box is one, are
// stories of their own). Runs inside the office.

#include <com/sun/star/frame/XModel.hpp>

#include <vector>

namespace statusmill::inside {

namespace css = ::com::sun::star;

std::vector<rtl::OUString> drawingShapeTexts(const css::uno::Reference<css::frame::XModel>& document);

} // namespace statusmill::inside
