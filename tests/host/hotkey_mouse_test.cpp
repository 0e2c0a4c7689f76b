// A mouse button as the hotkey: which button events the hook keeps from the window under the
// pointer, and the hold they make.
#include <gtest/gtest.h>

#include "tests/support/hotkey_fixture.h"

namespace fake {
namespace {

using Seen = std::vector<std::string>;

const Log kDown{"Hotkey DOWN", "=> onHotkeyDown", "Started max duration timer"};
const Log kComboDown{"Combo DOWN", "=> onHotkeyDown", "Started max duration timer"};
const Log kCancelledByKey{"Non-modifier key during hotkey hold \xE2\x80\x94 cancelling",
                          "=> onHotkeyCancelled"};

Log join(Log a, const Log& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class HotkeyMouseTest : public HotkeyFixture {
 protected:
  // One step of a script: "+5" / "-5" the button with virtual key 5 down / up, "i+5" injected,
  // "k+162" / "k-162" a key, "~" a pointer move, a number of milliseconds to wait.
  void play(const std::vector<std::string>& script) {
    for (const std::string& step : script) {
      if (step == "~") {
        fake.keyboard.mouseButton(0, false);
      } else if (step[0] == 'k') {
        const auto vk = static_cast<DWORD>(std::stoul(step.substr(2)));
        step[1] == '+' ? press(vk) : release(vk);
      } else if (step[0] == '+' || step[0] == '-' || step[0] == 'i') {
        const bool injected = step[0] == 'i';
        const std::size_t sign = injected ? 1 : 0;
        fake.keyboard.mouseButton(static_cast<DWORD>(std::stoul(step.substr(sign + 1))),
                                  step[sign] == '-', injected);
      } else {
        advance(std::stoll(step));
      }
    }
  }
};

TEST_F(HotkeyMouseTest, BoundButtonIsSwallowedExactlyWhenItMakesTheHold) {
  struct Case {
    const char* label;
    std::vector<std::string> script;
    Log log;
    Seen windowSaw;
  };
  const Log released = join(kDown, {"Hotkey UP", "=> onHotkeyUp"});
  const Case cases[] = {
      // Held past several release polls, which cannot see a swallowed button in the key state.
      {"Mouse 4", {"+5", "~", "+6", "-6", "k+160", "k-160", "600", "-5"}, released, {"+6", "-6"}},
      {"Middle Mouse", {"+4", "100", "-4"}, join(kDown, {"Hotkey UP", "=> onHotkeyCancelled"}), {}},
      // Not the exact hotkey: another modifier held, another program's click.
      {"Mouse 4", {"k+162", "+5", "-5", "k-162"}, {}, {"+5", "-5"}},
      {"Mouse 5", {"i+6", "500", "i-6"}, {}, {"+6", "-6"}},
      {"Left Ctrl + Mouse 5",
       {"k+162", "+6", "500", "-6", "k-162"},
       join(kComboDown, {"Combo UP", "=> onHotkeyUp"}),
       {}},
      {"Left Ctrl + Mouse 5", {"+6", "-6"}, {}, {"+6", "-6"}},
      // An up goes where its down went, whatever the modifier did in between.
      {"Left Ctrl + Mouse 5",
       {"k+162", "+6", "500", "k-162", "-6"},
       join(kComboDown, {"Combo modifier released", "=> onHotkeyUp"}),
       {}},
      // A key typed during the hold cancels it, in either form; the button's up stays ours.
      {"Mouse 4", {"+5", "k+65", "k-65", "-5"}, join(kDown, kCancelledByKey), {}},
      {"Left Alt + Mouse 4",
       {"k+164", "+5", "k+65", "k-65", "-5", "k-164"},
       join(kComboDown, kCancelledByKey),
       {}},
      {"Right Alt", {"+5", "-5"}, {}, {"+5", "-5"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    listen(c.label);
    EXPECT_EQ(fake.keyboard.installedMouseHooks(), isMouseButton(hotkey->keys().mouseButton()));
    fake.keyboard.windowSaw.clear();
    play(c.script);
    EXPECT_EQ(takeLog(), c.log);
    EXPECT_EQ(fake.keyboard.windowSaw, c.windowSaw);
    hotkey->stopListening();
  }
  EXPECT_EQ(fake.keyboard.installedMouseHooks(), 0);
  EXPECT_NE(hotkey->hint().window(), nullptr);  // the tap's hint
}

// Windows drops the hooks during a hold and the button's up goes to the window: raw input saw it,
// so the release poll ends the hold, and the next button change re-installs both hooks.
TEST_F(HotkeyMouseTest, ButtonUpTheHookMissedEndsTheHoldAndRepairsTheHooks) {
  listen("Mouse 4");
  play({"+5", "500"});
  fake.keyboard.removeHooksBehindOwnersBack();
  play({"-5", "200", "800", "+6", "-6", "+5", "500", "-5"});
  EXPECT_EQ(takeLog(),
            join(kDown, {"Hotkey keys found up by the key-state poll \xE2\x80\x94 releasing",
                         "=> onHotkeyUp", "Keyboard hook was removed by the system, re-installed",
                         "Hotkey DOWN", "=> onHotkeyDown", "Started max duration timer",
                         "Hotkey UP", "=> onHotkeyUp"}));
  EXPECT_EQ(fake.keyboard.windowSaw, (Seen{"-5", "+6", "-6"}));
}

}  // namespace
}  // namespace fake
