// The hint overlay's fonts: measuring at show time and drawing at paint time must agree.
#pragma once

#include "overlay/overlay_drawing.h"

namespace overlay {

inline constexpr FontStyle kHintSignFont{-16, FW_NORMAL, u"Segoe UI Emoji"};
inline constexpr FontStyle kHintFirstLineFont{-13, FW_BOLD, u"Segoe UI"};
inline constexpr FontStyle kHintSecondLineFont{-11, FW_NORMAL, u"Segoe UI"};
inline constexpr FontStyle kHintCloseFont{-14, FW_BOLD, u"Segoe UI"};

}  // namespace overlay
