// Hotkey labels: the key names the Dart side uses ("Left Shift + Left Ctrl", "Left Ctrl + K") and
// the label grammar, from which keySpecFromLabel (key_spec.h, in hotkey_label.cpp) builds the key
// specification.
//
// Names match exactly: case, inner spaces and length must agree; only the plain space is trimmed
// around the parts of a label.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The separator between the parts of a label: space, plus sign, space.
inline constexpr std::string_view kLabelSeparator = " + ";

// The virtual-key code of a key name of the fixed table, or nothing for any other text.
std::optional<std::uint32_t> lookupKeyName(std::string_view name);
// The virtual key of "Mouse 4", "Mouse 5" or "Middle Mouse", or nothing for any other text.
std::optional<std::uint32_t> lookupMouseButtonName(std::string_view name);

// Splits at every occurrence of `separator`, keeping empty pieces; never returns an empty list.
std::vector<std::string> splitLabel(std::string_view text, std::string_view separator);
