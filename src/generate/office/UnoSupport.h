#pragma once

// Internal to the engine: the only place outside the .cpp files that includes
// UNO headers. Nothing outside src/generate may include this file.

#include <QString>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/uno/Any.hxx>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/Sequence.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <rtl/ustring.hxx>

#include <initializer_list>
#include <utility>

namespace statusmill::uno {

namespace css = ::com::sun::star;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

inline rtl::OUString toOUString(const QString& text)
{
    return rtl::OUString(reinterpret_cast<const sal_Unicode*>(text.utf16()), text.size());
}

inline QString toQString(const rtl::OUString& text)
{
    return QString(reinterpret_cast<const QChar*>(text.getStr()), text.getLength());
}

// The file URL of a local path, spaces and non-ASCII letters percent-encoded.
rtl::OUString fileUrl(const QString& path);

css::uno::Sequence<css::beans::PropertyValue>
properties(std::initializer_list<std::pair<const char*, css::uno::Any>> items);

// The office's own message in an exception, or the exception's type where it gave none.
QString officeMessage(const css::uno::Exception& e);

// The process's own UNO runtime, made once with the office's full type library.
Reference<css::uno::XComponentContext> localContext();

} // namespace statusmill::uno
