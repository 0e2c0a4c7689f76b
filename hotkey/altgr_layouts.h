// Which keyboard layouts have AltGr. Only on those does Windows make up a Left Ctrl before each
// Right Alt (altgr_rule.h), so only there must a first Left Ctrl press wait to be told from it;
// elsewhere it counts at once.
//
// A layout has AltGr when some character is typed with Ctrl+Alt. Asking the layout takes a few
// hundred calls, so it is done outside the hook procedure: for every installed layout when the
// hook is installed, and for a layout met later once the event that met it has gone on. The
// answers stay per layout in fixed storage that the hook procedure only reads.
//
// Owned by the hotkey hook filter; hook thread only. known() never allocates, locks or waits.
#pragma once

#include <array>

#include "platform/keyboard.h"
#include "platform/win_types.h"

class AltGrLayouts {
 public:
  static constexpr int kCapacity = 16;

  explicit AltGrLayouts(platform::Keyboard& keyboard) : keyboard_(keyboard) {}

  enum class AltGr { Unknown, Yes, No };
  AltGr known(HKL layout) const;
  // Asks every installed layout not known yet.
  void learnInstalled();
  void learn(HKL layout);

 private:
  bool askHasAltGr(HKL layout) const;

  struct Entry {
    HKL layout = nullptr;
    bool altGr = false;
  };
  platform::Keyboard& keyboard_;
  std::array<Entry, kCapacity> entries_{};
  int count_ = 0;
  int oldest_ = 0;  // replaced next once all entries are taken
};
