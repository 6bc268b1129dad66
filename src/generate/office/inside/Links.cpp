#include "Links.h"

#include "Placeholders.h"

#include <rtl/uri.hxx>

namespace statusmill::inside {

std::optional<rtl::OUString> placeholderOfLink(const rtl::OUString& target)
{
    if (target.isEmpty())
        return std::nullopt;
    // The office makes the target a file's URL, beside the template: its last part.
    const rtl::OUString last = target.copy(target.lastIndexOf('/') + 1);
    return wholePlaceholder(rtl::Uri::decode(last, rtl_UriDecodeWithCharset, RTL_TEXTENCODING_UTF8));
}

} // namespace statusmill::inside
