#pragma once

// What a status is, one reading for the cell shaded in the status key's colour
// (inside the office) and for the trend a report works out from last week's status
// (the data side): Green, Amber or Red, spelt out or as G, A or R, in any letter
// case, with spaces around. Plain C++, no Qt and no UNO, so both take the very same.

#include <optional>
#include <string_view>

namespace statusmill::rule {

// In order from best to worst.
enum class Status { Green, Amber, Red };

// The status the whole text names; nothing for any other text. `shortForms` takes
// the single letters too: a key spells its statuses out.
std::optional<Status> statusOf(std::u16string_view text, bool shortForms = true);

} // namespace statusmill::rule
