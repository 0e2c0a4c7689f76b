// Filling a hint template with the hotkey's label. Templates arrive from the Dart side, so filling
// one never treats it as a printf format: only the first "%s" and "%%" mean anything, everything
// else is copied as it stands. A leaf used by the hint overlay; any thread.
#pragma once

#include <cstddef>
#include <string>

namespace text {

// Longest filled line in UTF-16 units; longer output is cut.
inline constexpr std::size_t kMaxFilledLineUnits = 511;

// The template with its first "%s" replaced by the label and "%%" by "%"; any other "%" sequence,
// a second "%s" included, is kept literally. At most kMaxFilledLineUnits units.
std::u16string formatWithLabel(const std::u16string& tmpl, const std::string& label);

}  // namespace text
