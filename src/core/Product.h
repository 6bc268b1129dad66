#pragma once

namespace statusmill {

inline constexpr auto kProductName = "Statusmill";
inline constexpr auto kSettingsApplication = "Brightfern";
inline constexpr auto kSettingsSection = kProductName;

} // namespace statusmill
