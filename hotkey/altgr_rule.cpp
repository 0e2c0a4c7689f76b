#include "hotkey/altgr_rule.h"

namespace {

constexpr std::uint32_t kRightAlt = 165;
// The scan code bit Windows sets on the Left Ctrl it makes up for AltGr (scan code 0x21D).
constexpr DWORD kAltGrScanBit = 0x200;

}  // namespace

AltGrRule::Settled AltGrRule::settle(bool down, std::uint32_t vk, DWORD time,
                                     platform::HookedKey& copy) {
  if (!held_) return Settled::NothingHeld;
  held_ = false;
  if (down && vk == kRightAlt && time == heldTime_) {
    artefactDown_ = true;
    return Settled::Artefact;
  }
  copy = heldCopy_;
  return Settled::Users;
}

bool AltGrRule::isArtefact(bool down, std::uint32_t vk, DWORD scanCode) {
  if (vk != kLeftCtrl) return false;
  const bool artefact = (scanCode & kAltGrScanBit) != 0 || (!down && artefactDown_);
  if (artefact && !down) artefactDown_ = false;
  return artefact;
}

void AltGrRule::holdBack(const platform::HookedKey& copy, DWORD time) {
  held_ = true;
  heldCopy_ = copy;
  heldTime_ = time;
}

bool AltGrRule::releaseHeld(platform::HookedKey& out) {
  if (!held_) return false;
  held_ = false;
  out = heldCopy_;
  return true;
}
