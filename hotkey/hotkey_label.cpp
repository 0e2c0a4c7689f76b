#include "hotkey/hotkey_label.h"

#include <map>

#include "hotkey/key_spec.h"

namespace {

// "Option" and "Command" are the macOS names of the Alt and Windows keys; "Fn" has no virtual
// key of its own and maps to F24.
const std::map<std::string, std::uint32_t, std::less<>>& hotkeyNameTable() {
  static const std::map<std::string, std::uint32_t, std::less<>> table = {
      {"Left Option", 164}, {"Left Alt", 164},   {"Right Option", 165}, {"Right Alt", 165},
      {"Left Ctrl", 162},   {"Right Ctrl", 163}, {"Left Command", 91},  {"Right Command", 92},
      {"Left Win", 91},     {"Right Win", 92},   {"Left Shift", 160},   {"Right Shift", 161},
      {"Fn", 135},
  };
  return table;
}

constexpr std::uint32_t kFallbackVk = 164;  // Left Alt

std::string trimSpaces(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const std::size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

bool isLetterOrDigit(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// toupper of the "C" locale, independent of whatever locale the process has set.
char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::optional<std::uint32_t> lookupKeyName(std::string_view name) {
  const auto& table = hotkeyNameTable();
  const auto it = table.find(name);
  if (it == table.end()) return std::nullopt;
  return it->second;
}

std::optional<std::uint32_t> lookupMouseButtonName(std::string_view name) {
  if (name == "Mouse 4") return 5;       // VK_XBUTTON1, usually Back
  if (name == "Mouse 5") return 6;       // VK_XBUTTON2, usually Forward
  if (name == "Middle Mouse") return 4;  // VK_MBUTTON
  return std::nullopt;
}

std::uint32_t KeySpec::mouseButton() const {
  if (isMouseButton(comboVk)) return comboVk;
  return comboVk == 0 && secondVk == 0 && isMouseButton(primaryVk) ? primaryVk : 0;
}

std::vector<std::string> splitLabel(std::string_view text, std::string_view separator) {
  std::vector<std::string> parts;
  if (separator.empty()) {
    parts.emplace_back(text);
    return parts;
  }
  std::size_t start = 0;
  for (;;) {
    const std::size_t at = text.find(separator, start);
    if (at == std::string_view::npos) break;
    parts.emplace_back(text.substr(start, at - start));
    start = at + separator.size();
  }
  parts.emplace_back(text.substr(start));
  return parts;
}

KeySpec keySpecFromLabel(const std::string& label, platform::DebugOutput& debug) {
  KeySpec spec;
  spec.label = label;
  spec.secondVk = 0;

  std::vector<std::string> parts = splitLabel(label, kLabelSeparator);
  for (std::string& part : parts) part = trimSpaces(part);

  // A button stands alone or last: nothing after it counts.
  if (const auto button = lookupMouseButtonName(parts[0])) {
    spec.primaryVk = *button;
    return spec;
  }
  if (const auto vk = lookupKeyName(parts[0])) {
    spec.primaryVk = *vk;
  } else {
    debug.OutputDebugStringA("[GlobalHotkey] Unknown modifier, defaulting to Left Alt\n");
    spec.primaryVk = kFallbackVk;
  }

  if (parts.size() >= 2) {
    if (const auto vk = lookupKeyName(parts[1])) {
      spec.secondVk = *vk;
    } else if (const auto button = lookupMouseButtonName(parts[1])) {
      spec.comboVk = *button;
    } else if (parts[1].size() == 1) {
      const char upper = asciiUpper(parts[1][0]);
      if (isLetterOrDigit(upper)) spec.comboVk = static_cast<std::uint32_t>(upper);
    }
  }
  return spec;
}
