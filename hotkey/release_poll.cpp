#include "hotkey/release_poll.h"

#include "hotkey/key_states.h"

ReleasePoll::Read ReleasePoll::read(const KeySpec& keys, const KeyStates& now, std::int64_t nowNs) {
  const bool allUp = !now.isDown(keys.primaryVk) &&
                     (keys.secondVk == 0 || !now.isDown(keys.secondVk)) &&
                     (keys.comboVk == 0 || !now.isDown(keys.comboVk));
  if (!allUp) {
    upSinceNs_ = -1;
    upFirstAfterRepair_ = false;
    return Read::Held;
  }
  if (upSinceNs_ < 0) {
    upSinceNs_ = nowNs;
    upFirstAfterRepair_ = false;
    return Read::FirstUp;
  }
  return Read::Released;
}
