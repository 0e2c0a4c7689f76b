#include "hotkey/key_states.h"

bool isModifier(std::uint32_t vk) {
  for (const std::uint32_t m : modifierKeys) {
    if (m == vk) return true;
  }
  return false;
}

bool otherModifierDown(const KeyStates& states, std::uint32_t first, std::uint32_t second) {
  for (const std::uint32_t m : modifierKeys) {
    if (m == first || m == second) continue;
    if (states.isDown(m)) return true;
  }
  return false;
}
