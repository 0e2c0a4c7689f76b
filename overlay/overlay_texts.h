// The four overlay texts: replacing them from the Dart side, UTF-8 to UTF-16, and filling a hint
// template with the hotkey's label.
//
// Templates arrive from the Dart side, so filling one never treats it as a printf format: only
// the first "%s" and "%%" mean anything, everything else is copied as it stands.
#pragma once

#include <cstddef>
#include <string>

#include "engine_client/encodable_value.h"

class GlobalHotkey;

// Longest filled hint line in UTF-16 units; longer output is cut.
inline constexpr std::size_t kMaxFilledLineUnits = 511;

// Replaces each text whose key ("listening", "transcribing", "dontTap", "holdDown") has a
// non-empty string value; in the two hint templates "%@" becomes "%s".
void setLocalizedStrings(GlobalHotkey& hotkey, const EncodableValueMap& strings);

// UTF-8 to UTF-16 as MultiByteToWideChar(CP_UTF8, 0, ..., -1) does it: stops at the first zero
// byte, and each ill-formed sequence becomes one U+FFFD, counted the way the platform counts.
std::u16string toWide(const std::string& utf8);

// The template with its first "%s" replaced by the label and "%%" by "%"; any other "%" sequence,
// a second "%s" included, is kept literally. At most kMaxFilledLineUnits units.
std::u16string formatWithLabel(const std::u16string& tmpl, const std::string& label);
