#include "hotkey/altgr_layouts.h"

#include <utility>

namespace {

constexpr int kCtrlAlt = 0x6;  // VkKeyScanExW's shift-state bits for Ctrl and Alt

// Where AltGr characters live: ASCII (German "@", French "#"), Latin-1 and Latin Extended-A
// (Polish programmers' "ą") and the euro sign.
constexpr std::pair<char16_t, char16_t> kRanges[] = {{0x21, 0x7E}, {0xA0, 0x17F}, {0x20AC, 0x20AC}};

}  // namespace

AltGrLayouts::AltGr AltGrLayouts::known(HKL layout) const {
  for (int i = 0; i < count_; ++i) {
    if (entries_[i].layout == layout) return entries_[i].altGr ? AltGr::Yes : AltGr::No;
  }
  return AltGr::Unknown;
}

void AltGrLayouts::learnInstalled() {
  HKL installed[kCapacity];
  const int count = keyboard_.GetKeyboardLayoutList(kCapacity, installed);
  for (int i = 0; i < count; ++i) {
    if (known(installed[i]) == AltGr::Unknown) learn(installed[i]);
  }
}

void AltGrLayouts::learn(HKL layout) {
  int slot = count_;
  if (count_ < kCapacity) {
    ++count_;
  } else {
    slot = oldest_;
    oldest_ = (oldest_ + 1) % kCapacity;
  }
  entries_[slot] = {layout, askHasAltGr(layout)};
}

bool AltGrLayouts::askHasAltGr(HKL layout) const {
  for (const auto& [first, last] : kRanges) {
    for (char16_t ch = first; ch <= last; ++ch) {
      const SHORT key = keyboard_.VkKeyScanExW(static_cast<WCHAR>(ch), layout);
      if (key != -1 && ((key >> 8) & kCtrlAlt) == kCtrlAlt) return true;
    }
  }
  return false;
}
