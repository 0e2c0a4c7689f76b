// The hint overlay: a red panel at the top centre telling the user to hold the hotkey, shown after
// a tap and closed by its close area or after six seconds. Its width follows the wider line.
#pragma once

#include "hotkey/global_hotkey.h"
#include "platform/win_types.h"

namespace overlay {

inline constexpr const char16_t* kHintClassName = u"MurmurlyHintOverlay";
inline constexpr int kHintHeight = 58;
inline constexpr int kHintExtraWidth = 100;  // added to the wider measured line
inline constexpr int kHintCloseAreaWidth = 36;
inline constexpr BYTE kHintAlpha = 230;
inline constexpr COLORREF kHintPanelColour = RGB(200, 30, 30);

}  // namespace overlay

// Draws the panel, the warning sign, both filled lines and the close glyph into `target`.
void paintHintOverlay(GlobalHotkey& hotkey, HDC target, const RECT& client);
