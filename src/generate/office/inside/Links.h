#pragma once

// A link whose target is a placeholder: the template's text "[Projects.ProjectName]"
// linked to "[Projects.Report]" links each filled copy to its item's value. The
// office keeps such a target as a file beside the template, its brackets encoded
// ("file:///…/%5BProjects.Report%5D"); Word's files keep it as written. Runs
// inside the office.

#include <rtl/ustring.hxx>

#include <optional>

namespace statusmill::inside {

// The name of the placeholder a link's target is, in either form; nothing for any
// other target.
std::optional<rtl::OUString> placeholderOfLink(const rtl::OUString& target);

} // namespace statusmill::inside
