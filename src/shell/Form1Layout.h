#pragma once

#include "ui/Twips.h"

#include <array>

namespace statusmill::form1 {

// The main window's design, in twips. Fields and labels are placed inside the frame.
inline constexpr int kClientWidth = 8040;
inline constexpr int kClientHeight = 3390;

inline constexpr ControlLayout kPushButton6{"PushButton6", 120, 120, 7800, 405, 4};
inline constexpr ControlLayout kPushButton3{"PushButton3", 120, 630, 3840, 405, 7};
inline constexpr ControlLayout kPushButton4{"PushButton4", 4080, 630, 3840, 405, 8};
inline constexpr ControlLayout kFrame1{"Frame1", 120, 1110, 7800, 2175, 5};

inline constexpr std::array<ControlLayout, 4> kText1{{
    {"Text1_0", 1920, 300, 5655, 345, 0},
    {"Text1_1", 1920, 750, 5655, 345, 1},
    {"Text1_2", 1920, 1200, 5655, 345, 2},
    {"Text1_3", 1920, 1650, 5655, 345, 3},
}};

inline constexpr std::array<ControlLayout, 4> kLabel2{{
    {"Label2_0", 240, 345, 1200, 225, 6},
    {"Label2_1", 240, 795, 1050, 225, 11},
    {"Label2_2", 240, 1245, 1005, 225, 10},
    {"Label2_3", 240, 1695, 1485, 225, 9},
}};

// The labels and the placeholders the fields fill are data::kWindowFields's.
inline constexpr std::array<const char*, 4> kSampleTexts{
    "Brightfern Project", "Information Technology", "Software Development", "Statusmill"};

} // namespace statusmill::form1
