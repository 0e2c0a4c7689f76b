// The self-repair rule: when keyboard raw input shows that the low-level hook has stopped seeing
// keys (Windows removed it for missing its time limit, and tells no one).
//
// Shared by the real and the fake hook thread, each owning one; hook thread only.
#pragma once

#include <cstdint>

namespace platform {

// Raw keys and hook calls match one for one, in either order: Wine delivers a key's raw input
// before its hook call, Windows calls the hook for each record of a SendInput batch before the
// batch's raw input arrives. A raw key left unmatched for a second without any hook call meanwhile
// means the hook is gone; a hook call left unmatched for that long no longer pays for a raw key.
class HookWatch {
 public:
  static constexpr std::int64_t kLostAfterNs = 1'000'000'000;

  void reset() { *this = HookWatch{}; }
  void hookSaw(std::int64_t nowNs) {
    if (unmatchedRaw_ > 0) {
      --unmatchedRaw_;
      unmatchedSinceNs_ = nowNs;  // alive: the rest get a second from now
    } else {
      ++unmatchedHook_;
    }
    lastHookNs_ = nowNs;
  }
  void rawSaw(std::int64_t nowNs) {
    if (unmatchedHook_ > 0 && nowNs - lastHookNs_ < kLostAfterNs) {
      --unmatchedHook_;
      return;
    }
    unmatchedHook_ = 0;
    if (unmatchedRaw_++ == 0) unmatchedSinceNs_ = nowNs;
  }
  // A raw key the hook has not matched yet: while this holds, lost() needs asking again.
  bool waiting() const { return unmatchedRaw_ > 0; }
  bool lost(std::int64_t nowNs) const {
    return waiting() && nowNs - unmatchedSinceNs_ >= kLostAfterNs;
  }

 private:
  std::uint32_t unmatchedRaw_ = 0;
  std::uint32_t unmatchedHook_ = 0;
  std::int64_t unmatchedSinceNs_ = 0;
  std::int64_t lastHookNs_ = 0;
};

}  // namespace platform
