// The keys that type a text into a window whose layout is known: what "method": "type" sends
// instead of pasting, where no paste can land (remote sessions without clipboard sync, fields
// that refuse paste) or the user's clipboard must stay untouched.
//
// A character the target's layout makes with no modifier or with Shift alone, and that is no dead
// key, goes as that key with the layout's scan code (Shift around it where needed): remote
// sessions and virtual machines forward scan codes, and a virtual key sent blind would be another
// letter on another layout (y and z on German keyboards). Everything else goes as Unicode input,
// one down and up per UTF-16 unit: AltGr and Ctrl+Alt characters (the target would see the
// user's own held keys mixed in), dead-key characters (the next letter would combine with them),
// characters the layout lacks, emoji; control characters, whose keys (Escape, Backspace) would
// act. With Caps Lock on, letters go as Unicode too, since Caps Lock would invert their case. A
// line break ("\r\n", "\n" or "\r") is one Enter, a key, since Unicode "\n" is a character many
// targets ignore; chat apps send the message on Enter, so it may be Shift+Enter instead. "\t" is
// the Tab key.
//
// A pure decision over the layout queries of platform::Keyboard; the paste thread calls it once
// per typing, tests call it on a fake layout.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/keyboard.h"

namespace paste {

struct TypingKeys {
  // One character, or one line break, in the order typed: its records end at `keysEnd` in
  // `keys`, and the text's first `unitsEnd` UTF-16 units are typed with it. A batch takes whole
  // strokes, so no surrogate pair or Shift is ever split across two batches.
  struct Stroke {
    std::size_t keysEnd;
    std::size_t unitsEnd;
  };
  std::vector<INPUT> keys;
  std::vector<Stroke> strokes;
};

TypingKeys typingKeys(platform::Keyboard& keyboard, HKL layout, bool capsLock, bool shiftEnter,
                      std::u16string_view text);

}  // namespace paste
