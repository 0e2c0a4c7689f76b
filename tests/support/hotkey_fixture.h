// A controller on the fake platform whose events and diagnostic lines land in one ordered log,
// with small verbs for key presses and virtual time.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine_client/method_channel.h"
#include "hotkey/global_hotkey.h"
#include "tests/support/fake_platform.h"
#include "tests/support/recording_messenger.h"

namespace fake {

class HotkeyFixture : public ::testing::Test {
 protected:
  HotkeyFixture() : hotkey(std::make_unique<GlobalHotkey>(fake.platform())) {
    // Events leave through a real channel; their names go into the same list as the diagnostic
    // lines so their order can be compared.
    hotkey->setChannel(std::make_unique<MethodChannel>(&messenger, "murmurly/global_hotkey",
                                                       &StandardMethodCodec::GetInstance()));
    messenger.onSend = [this](const RecordingMessenger::Sent& sent) {
      fake.debug.lines.push_back("=> " + RecordingMessenger::methodName(sent));
    };
  }

  // Installs the hook and forgets the start-up lines.
  void listen(const std::string& label = "") {
    if (!label.empty()) hotkey->applyHotkeyFromLabel(label);
    hotkey->startListening();
    fake.debug.lines.clear();
  }

  void press(DWORD vk) { fake.keyboard.keyDown(vk); }
  void release(DWORD vk) { fake.keyboard.keyUp(vk); }
  void advance(std::int64_t ms) { fake.advance(ms); }

  // Whether a ten-minute timer runs; the overlays' own animation timers do not count.
  bool maxHoldTimerRunning() const {
    for (const FakeTimers::Timer& t : fake.timers.running()) {
      if (t.periodNs == 600000LL * 1'000'000) return true;
    }
    return false;
  }

  // The log since the last call: events as "=> name", diagnostic lines without their
  // "[GlobalHotkey] " tag and line end (both checked here).
  std::vector<std::string> takeLog() {
    std::vector<std::string> out;
    for (const std::string& line : fake.debug.lines) {
      if (line.rfind("=> ", 0) == 0) {
        out.push_back(line);
        continue;
      }
      const std::string tag = "[GlobalHotkey] ";
      EXPECT_EQ(line.rfind(tag, 0), 0u) << line;
      EXPECT_TRUE(!line.empty() && line.back() == '\n') << line;
      out.push_back(line.substr(tag.size(), line.size() - tag.size() - 1));
    }
    fake.debug.lines.clear();
    return out;
  }

  FakePlatform fake;
  RecordingMessenger messenger;
  std::unique_ptr<GlobalHotkey> hotkey;
};

using Log = std::vector<std::string>;

}  // namespace fake
