#pragma once

// The names of the UNO runtime every part of the component speaks in.

#include <com/sun/star/uno/Reference.hxx>
#include <rtl/ustring.hxx>

namespace statusmill::inside {

namespace css = ::com::sun::star;

using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using rtl::OUString;

} // namespace statusmill::inside
