#include <gtest/gtest.h>

#include "hotkey/hotkey_label.h"
#include "tests/support/hotkey_fixture.h"

namespace fake {
namespace {

struct LabelCase {
  const char* label;
  std::uint32_t primary;
  std::uint32_t second;
  std::uint32_t combo;
  bool fallback;
};

class HotkeyLabelTest : public HotkeyFixture {};

TEST_F(HotkeyLabelTest, LabelsGiveTheirKeySpecification) {
  const LabelCase cases[] = {
      {"Left Shift + Left Ctrl", 160, 162, 0, false},
      {"Right Alt", 165, 0, 0, false},
      {"Right Option", 165, 0, 0, false},
      {"Left Ctrl + k", 162, 0, 75, false},
      {"Left Alt + 7", 164, 0, 55, false},
      {"Left Alt + F5", 164, 0, 0, false},
      {"  Left Win  ", 91, 0, 0, false},
      {"\tLeft Win", 164, 0, 0, true},
      {"", 164, 0, 0, true},
      {"Left Ctrl+Left Shift", 164, 0, 0, true},
      {"left ctrl", 164, 0, 0, true},
      {"K", 164, 0, 0, true},
      {"Left Ctrl +  + K", 162, 0, 0, false},
      {"Left Ctrl + Left Shift + K", 162, 160, 0, false},
      {"Left Shift + Left Shift", 160, 160, 0, false},
      {"Fn", 135, 0, 0, false},
      {"Right Command + Right Ctrl", 92, 163, 0, false},
      {"Bogus + K", 164, 0, 75, true},  // the rest is still processed after the fallback
      {"Left Ctrl + !", 162, 0, 0, false},
      {"Mouse 4", 5, 0, 0, false},
      {"Middle Mouse + K", 4, 0, 0, false},  // a button stands alone or last
      {"Left Ctrl + Mouse 5", 162, 0, 6, false},
      {"Left Shift + Left Ctrl + Middle Mouse", 160, 162, 0, false},
      {"Left Mouse", 164, 0, 0, true},  // left and right are never a hotkey
      {"mouse 4", 164, 0, 0, true},
  };
  for (const LabelCase& c : cases) {
    SCOPED_TRACE(c.label);
    // Keys of the label before must not survive.
    hotkey->applyHotkeyFromLabel(c.combo == 0 ? "Left Ctrl + 9" : "Left Shift + Left Ctrl");
    takeLog();
    hotkey->applyHotkeyFromLabel(c.label);
    EXPECT_EQ(hotkey->keys().primaryVk, c.primary);
    EXPECT_EQ(hotkey->keys().secondVk, c.second);
    EXPECT_EQ(hotkey->keys().comboVk, c.combo);
    EXPECT_EQ(hotkey->keys().label, c.label);  // stored untrimmed
    const Log log = takeLog();
    ASSERT_EQ(log.size(), c.fallback ? 3u : 2u);
    EXPECT_EQ(log.front(), std::string("applyHotkeyFromLabel: ") + c.label);
    if (c.fallback) {
      EXPECT_EQ(log[1], "Unknown modifier, defaulting to Left Alt");
    }
    EXPECT_EQ(log.back(), "Hotkey set: vk=" + std::to_string(c.primary) + " second=" +
                              std::to_string(c.second) + " combo=" + std::to_string(c.combo));
  }
}

TEST_F(HotkeyLabelTest, DefaultLabelMatchesDefaultFields) {
  EXPECT_EQ(hotkey->keys().label, "Left Shift + Left Ctrl");
  const auto before =
      std::make_tuple(hotkey->keys().primaryVk, hotkey->keys().secondVk, hotkey->keys().comboVk);
  hotkey->applyHotkeyFromLabel(hotkey->keys().label);
  EXPECT_EQ(
      std::make_tuple(hotkey->keys().primaryVk, hotkey->keys().secondVk, hotkey->keys().comboVk),
      before);
  EXPECT_EQ(fake.debug.lines.back(), "[GlobalHotkey] Hotkey set: vk=160 second=162 combo=0\n");
}

TEST_F(HotkeyLabelTest, ApplyWhileNotListeningInstallsNoHook) {
  hotkey->applyHotkeyFromLabel("Right Alt");
  EXPECT_EQ(fake.keyboard.installedHooks(), 0);
  EXPECT_FALSE(hotkey->listening());
}

TEST_F(HotkeyLabelTest, ApplyWhileRecordingRestartsListeningSilently) {
  listen();
  press(VK_LCONTROL);
  press(VK_LSHIFT);
  takeLog();
  hotkey->applyHotkeyFromLabel("Right Alt");
  EXPECT_EQ(takeLog(), (Log{"applyHotkeyFromLabel: Right Alt", "Stopped listening",
                            "Started listening", "Hotkey set: vk=165 second=0 combo=0"}));
  EXPECT_FALSE(hotkey->hold().held());
  EXPECT_FALSE(hotkey->hold().recording());
  EXPECT_EQ(hotkey->hold().maxDuration().id(), 0u);
  EXPECT_EQ(fake.keyboard.installedHooks(), 1);
  release(VK_LSHIFT);  // the old hold is gone: its release sends nothing
  EXPECT_EQ(takeLog(), Log{});
}

TEST(SplitLabel, KeepsEmptyPiecesAndNeverReturnsNothing) {
  using V = std::vector<std::string>;
  EXPECT_EQ(splitLabel("", " + "), V{""});
  EXPECT_EQ(splitLabel("a + b + c", " + "), (V{"a", "b", "c"}));
  EXPECT_EQ(splitLabel(" + a + ", " + "), (V{"", "a", ""}));
  EXPECT_EQ(splitLabel("a +  + b", " + "), (V{"a", "", "b"}));
  EXPECT_EQ(splitLabel("a + + b", " + "), (V{"a", "+ b"}));
  EXPECT_EQ(splitLabel("a+b", " + "), V{"a+b"});
}

TEST(LookupKeyName, MatchesExactlyAndOnlyTableNames) {
  EXPECT_EQ(lookupKeyName("Left Command"), 91u);
  EXPECT_EQ(lookupKeyName("Right Shift"), 161u);
  EXPECT_EQ(lookupKeyName("Fn"), 135u);
  EXPECT_FALSE(lookupKeyName("Left Shift ").has_value());
  EXPECT_FALSE(lookupKeyName("LEFT SHIFT").has_value());
  EXPECT_FALSE(lookupKeyName("Space").has_value());
  EXPECT_FALSE(lookupKeyName(std::string_view("Fn\0", 3)).has_value());
}

}  // namespace
}  // namespace fake
