#pragma once

#include "ui/Twips.h"

namespace statusmill::form2 {

// The preview window's design, in twips. The zoom buttons are placed inside the
// frame and the canvas inside the viewport.
inline constexpr int kClientWidth = 9840;
inline constexpr int kClientHeight = 9390;

// The holder lies right of the client area, out of sight until it is hidden.
inline constexpr ControlLayout kZoomOri{"Zoom_Ori", 10320, 480, 735, 375, 5};
inline constexpr ControlLayout kFrame1{"Frame1", 120, 7860, 9600, 855, 4};
inline constexpr ControlLayout kPushButton1{"PushButton1", 240, 300, 4440, 405, 6};
inline constexpr ControlLayout kPushButton2{"PushButton2", 4800, 300, 4560, 405, 7};
inline constexpr ControlLayout kPicture2{"Picture2", 120, 120, 9330, 7425, 2};
inline constexpr ControlLayout kPicture1{"Picture1", 0, 0, 2340, 3435, 3};
inline constexpr ControlLayout kVScroll1{"VScroll1", 9450, 120, 255, 7425, 1};
inline constexpr ControlLayout kHScroll1{"HScroll1", 120, 7545, 9330, 255, 0};
inline constexpr ControlLayout kPushButton6{"PushButton6", 4920, 8850, 4800, 405, 8};
inline constexpr ControlLayout kPushButton8{"PushButton8", 120, 8850, 4680, 405, 9};

// The viewport's sunken border, in pixels, inside its outer size.
inline constexpr int kViewportBorder = 2;

} // namespace statusmill::form2
