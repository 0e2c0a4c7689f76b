// Which way a line of text reads: a transcript in Hebrew or Arabic is drawn right to left, its
// newest words on the left. A leaf used by the transcript caption; any thread.
#pragma once

#include <string_view>

namespace text {

// Whether the first strong character of `text` belongs to a right-to-left script, the way the
// bidirectional algorithm picks a paragraph's direction: digits, punctuation, spaces and symbols
// before it do not count, and text without a strong character reads left to right. Letters are
// told by script block, which is exact for the strong characters of the scripts in use.
bool startsRightToLeft(std::u16string_view text);

}  // namespace text
