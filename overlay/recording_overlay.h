// The recording overlay's geometry and its paint, shared by its window code and its tests.
//
// The pill: 160 x 40 at the top centre of the primary screen; listening look = pulsing dot and
// caption, transcribing look = rotating arc and caption; the right-hand end is the cancel area.
#pragma once

#include "hotkey/global_hotkey.h"
#include "platform/win_types.h"

namespace overlay {

inline constexpr const char16_t* kRecordingClassName = u"MurmurlyRecordingOverlay";
inline constexpr int kRecordingWidth = 160;
inline constexpr int kRecordingHeight = 40;
inline constexpr int kCancelAreaLeft = 124;
inline constexpr COLORREF kPillColour = RGB(0, 86, 179);
inline constexpr BYTE kListeningAlpha = 240;
inline constexpr BYTE kTranscribingAlpha = 230;

}  // namespace overlay

// Draws the whole overlay for the controller's current look into `target`, double-buffered.
void paintRecordingOverlay(GlobalHotkey& hotkey, HDC target, const RECT& client);
