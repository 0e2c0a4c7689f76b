// The hotkey channel on the wire: calls as the Dart side encodes them, replies and events as bytes,
// over a recording messenger and a controller on the fake platform.
#include "hotkey/hotkey_channel.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine_client/encodable_value.h"
#include "engine_client/method_call.h"
#include "engine_client/method_channel.h"
#include "engine_client/standard_method_codec.h"
#include "hotkey/global_hotkey.h"
#include "paste/paste_service.h"
#include "tests/support/fake_platform.h"
#include "tests/support/recording_messenger.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr const char* kChannel = "murmurly/global_hotkey";

void appendString(Bytes& bytes, const std::string& text) {
  bytes.push_back(7);
  bytes.push_back(static_cast<std::uint8_t>(text.size()));
  bytes.insert(bytes.end(), text.begin(), text.end());
}

Bytes errorReply(const std::string& message) {
  Bytes bytes{1};
  appendString(bytes, "INVALID_ARGS");
  appendString(bytes, message);
  bytes.push_back(0);
  return bytes;
}

// The bytes of an event: its name's string value and a null value.
Bytes event(const std::string& name) {
  Bytes bytes;
  appendString(bytes, name);
  bytes.push_back(0);
  return bytes;
}

const Bytes kNull{0, 0};

std::unique_ptr<EncodableValue> map(EncodableValueMap entries) {
  return std::make_unique<EncodableValue>(std::move(entries));
}

// Keeps each paste's request and `over` until the test ends the paste.
struct RecordingPaste final : paste::PasteService {
  void pasteText(paste::PasteRequest request, paste::PasteOver over) override {
    texts.push_back(request.utf8);
    chords.push_back(request.chord);
    requests.push_back(request);
    overs.push_back(std::move(over));
  }
  std::vector<paste::PasteRequest> requests;
  std::vector<std::string> texts;
  std::vector<std::optional<paste::PasteChord>> chords;
  std::vector<paste::PasteOver> overs;
};

class HotkeyChannelTest : public ::testing::Test {
 protected:
  HotkeyChannelTest() : hotkey(fake.platform()) {
    RegisterHotkeyChannel(hotkey, paste, &messenger);
  }

  Bytes send(const Bytes& message) {
    bool replied = false;
    Bytes reply = messenger.deliver(kChannel, message, &replied);
    EXPECT_TRUE(replied);
    return reply;
  }

  Bytes call(const std::string& method, std::unique_ptr<EncodableValue> arguments = nullptr) {
    return send(*StandardMethodCodec::GetInstance().EncodeMethodCall(
        MethodCall(method, std::move(arguments))));
  }

  std::vector<Bytes> events() {
    std::vector<Bytes> out;
    for (const auto& sent : messenger.sent) {
      EXPECT_EQ(sent.channel, kChannel);
      EXPECT_FALSE(sent.withReply);
      out.push_back(sent.bytes);
    }
    messenger.sent.clear();
    return out;
  }

  void hold(DWORD first, DWORD second, std::int64_t ms) {
    fake.keyboard.keyDown(first);
    fake.keyboard.keyDown(second);
    fake.advance(ms);
    fake.keyboard.keyUp(second);
    fake.keyboard.keyUp(first);
  }

  fake::FakePlatform fake;
  fake::RecordingMessenger messenger;
  RecordingPaste paste;
  GlobalHotkey hotkey;
};

TEST_F(HotkeyChannelTest, SetOverlayEnabledWireExample) {
  Bytes message{7, 17};
  const std::string name = "setOverlayEnabled";
  message.insert(message.end(), name.begin(), name.end());
  const Bytes rest{13, 1, 7, 7, 'e', 'n', 'a', 'b', 'l', 'e', 'd', 2};
  message.insert(message.end(), rest.begin(), rest.end());
  EXPECT_EQ(send(message), kNull);
  EXPECT_FALSE(hotkey.overlaysEnabled());

  EXPECT_EQ(call("setOverlayEnabled", map({{EncodableValue("enabled"), EncodableValue(true)}})),
            kNull);
  EXPECT_TRUE(hotkey.overlaysEnabled());
}

TEST_F(HotkeyChannelTest, SetHotkeyArgumentErrorsLeaveTheKeysAlone) {
  const std::vector<std::unique_ptr<EncodableValue>> bad = [] {
    std::vector<std::unique_ptr<EncodableValue>> v;
    v.push_back(map({{EncodableValue("labels"), EncodableValue("F8")}}));
    v.push_back(map({{EncodableValue("label"), EncodableValue(120)}}));
    v.push_back(nullptr);
    v.push_back(std::make_unique<EncodableValue>("F8"));
    return v;
  }();
  for (const auto& arguments : bad) {
    std::unique_ptr<EncodableValue> copy =
        arguments ? std::make_unique<EncodableValue>(*arguments) : nullptr;
    EXPECT_EQ(call("setHotkey", std::move(copy)), errorReply("Missing label"));
  }
  EXPECT_EQ(hotkey.keys().label, "Left Shift + Left Ctrl");
  EXPECT_EQ(hotkey.keys().primaryVk, 160u);
  EXPECT_EQ(hotkey.keys().secondVk, 162u);

  EXPECT_EQ(call("setHotkey", map({{EncodableValue("label"), EncodableValue("F8")}})), kNull);
  EXPECT_EQ(hotkey.keys().label, "F8");
  EXPECT_EQ(call("setHotkey", map({{EncodableValue("label"), EncodableValue("")}})), kNull);
}

TEST_F(HotkeyChannelTest, SetHotkeyRefusesALabelOver256Utf16UnitsAndKeepsTheKeys) {
  const auto setLabel = [this](const std::string& label) {
    return call("setHotkey", map({{EncodableValue("label"), EncodableValue(label)}}));
  };
  std::string euros;  // three bytes, one unit each
  for (int i = 0; i < 256; ++i) euros += "\xE2\x82\xAC";
  EXPECT_EQ(setLabel(euros), kNull);
  // 254 units and a pair of surrogates make 256; one more ASCII unit is one too many.
  const std::string pair = std::string(254, 'x') + "\xF0\x9F\x8E\xA4";
  EXPECT_EQ(setLabel(pair), kNull);
  EXPECT_EQ(setLabel(pair + "x"), errorReply("Label too long"));
  EXPECT_EQ(setLabel(euros + "\xE2\x82\xAC"), errorReply("Label too long"));
  EXPECT_EQ(setLabel(std::string(1 << 20, 'W')), errorReply("Label too long"));
  EXPECT_EQ(hotkey.keys().label, pair);
}

TEST_F(HotkeyChannelTest, SwitchesTakeOnlyBooleans) {
  EXPECT_EQ(call("setOverlayEnabled", map({{EncodableValue("enabled"), EncodableValue(1)}})),
            errorReply("Missing enabled"));
  EXPECT_TRUE(hotkey.overlaysEnabled());
  EXPECT_EQ(call("setFocusCheckEnabled"), errorReply("Missing enabled"));
  EXPECT_EQ(call("setFocusCheckEnabled", map({})), errorReply("Missing enabled"));
  EXPECT_TRUE(hotkey.focusCheck());
  EXPECT_EQ(call("setFocusCheckEnabled", map({{EncodableValue("enabled"), EncodableValue(false)}})),
            kNull);
  EXPECT_FALSE(hotkey.focusCheck());
}

TEST_F(HotkeyChannelTest, LocalizedStringsNeedAMapAndKeepWhatIsEmptyOrMissing) {
  EXPECT_EQ(call("setLocalizedStrings"), errorReply("Missing args"));
  EXPECT_EQ(call("setLocalizedStrings", std::make_unique<EncodableValue>(EncodableValueList{})),
            errorReply("Missing args"));
  EXPECT_EQ(call("setLocalizedStrings", map({})), kNull);
  EXPECT_EQ(hotkey.texts().listening(), u"Listening...");

  EXPECT_EQ(
      call("setLocalizedStrings",
           map({{EncodableValue("listening"), EncodableValue("")},
                {EncodableValue("transcribing"), EncodableValue("Transkribiere\xE2\x80\xA6")}})),
      kNull);
  EXPECT_EQ(hotkey.texts().listening(), u"Listening...");
  EXPECT_EQ(hotkey.texts().transcribing(), u"Transkribiere\u2026");
}

TEST_F(HotkeyChannelTest, PasteTextChecksItsArgumentsAndRepliesAfterThePasteEnded) {
  const auto with = [](const char* key, EncodableValue value) {
    return map({{EncodableValue("text"), EncodableValue("")}, {EncodableValue(key), value}});
  };
  EXPECT_EQ(call("pasteText", map({{EncodableValue("text"), EncodableValue(5)}})),
            errorReply("Missing text"));
  EXPECT_EQ(call("pasteText"), errorReply("Missing text"));
  EXPECT_EQ(call("pasteText", with("keys", EncodableValue("Ctrl+V"))),
            errorReply("Unknown paste keys"));
  EXPECT_EQ(call("pasteText", with("keys", EncodableValue(1))), errorReply("Unknown paste keys"));
  EXPECT_EQ(call("pasteText", with("report", EncodableValue("yes"))), errorReply("Invalid report"));
  EXPECT_EQ(call("pasteText", with("method", EncodableValue("Type"))),
            errorReply("Unknown method"));
  EXPECT_EQ(call("pasteText", with("newline", EncodableValue("Enter"))),
            errorReply("Unknown newline"));
  for (const double perSecond : {9.0, 5000.5}) {
    EXPECT_EQ(call("pasteText", with("charsPerSecond", EncodableValue(perSecond))),
              errorReply("Invalid charsPerSecond"));
  }
  EXPECT_TRUE(paste.texts.empty());

  std::vector<Bytes> replies;
  for (const auto& arguments :
       {map({{EncodableValue("text"), EncodableValue("first")}}),
        with("keys", EncodableValue()),  // null is as good as absent
        with("keys", EncodableValue("Shift + Insert")), with("report", EncodableValue(false)),
        with("report", EncodableValue(true)),
        map({{EncodableValue("text"), EncodableValue("typed")},
             {EncodableValue("method"), EncodableValue("type")},
             {EncodableValue("newline"), EncodableValue("Shift + Enter")},
             {EncodableValue("charsPerSecond"), EncodableValue(std::int64_t{5000})},
             {EncodableValue("report"), EncodableValue(true)}})}) {
    const auto message = StandardMethodCodec::GetInstance().EncodeMethodCall(
        MethodCall("pasteText", std::make_unique<EncodableValue>(*arguments)));
    messenger.handlers.at(kChannel)(message->data(), message->size(),
                                    [&replies](const std::uint8_t* bytes, std::size_t size) {
                                      replies.emplace_back(bytes, bytes + size);
                                    });
  }
  ASSERT_EQ(paste.texts, (std::vector<std::string>{"first", "", "", "", "", "typed"}));
  EXPECT_EQ(paste.chords[2], paste::PasteChord::ShiftInsert);
  EXPECT_EQ(paste.requests[5].method, paste::InsertMethod::Type);
  EXPECT_TRUE(paste.requests[5].shiftEnter);
  EXPECT_EQ(paste.requests[5].charsPerSecond, 5000);
  EXPECT_TRUE(replies.empty());  // not before the paste is over
  // Ended last to first: each call gets its own paste's reply, the last ones their reports, only
  // a typing's with the count of what was typed.
  for (auto over = paste.overs.rbegin(); over != paste.overs.rend(); ++over) {
    (*over)({paste::PasteOutcome::ReadByOther, "notepad.exe", 7});
  }
  EncodableValueMap report{{EncodableValue("outcome"), EncodableValue("readByOther")},
                           {EncodableValue("target"), EncodableValue("notepad.exe")}};
  const auto envelope = [](EncodableValueMap value) {
    const EncodableValue encodable(std::move(value));
    return *StandardMethodCodec::GetInstance().EncodeSuccessEnvelope(&encodable);
  };
  const Bytes pasted = envelope(report);
  report[EncodableValue("typed")] = EncodableValue(std::int64_t{7});
  EXPECT_EQ(replies, (std::vector<Bytes>{envelope(report), pasted, kNull, kNull, kNull, kNull}));
}

TEST_F(HotkeyChannelTest, OverlayTranscriptNeedsAStringText) {
  EXPECT_EQ(call("setOverlayTranscript"), errorReply("Missing text"));
  EXPECT_EQ(call("setOverlayTranscript", map({{EncodableValue("text"), EncodableValue(1)}})),
            errorReply("Missing text"));
}

TEST_F(HotkeyChannelTest, ListeningRepliesNullEvenWhenTheHookFails) {
  fake.keyboard.failNextHook = true;
  EXPECT_EQ(call("startListening"), kNull);
  EXPECT_FALSE(hotkey.listening());
  EXPECT_EQ(call("startListening"), kNull);
  EXPECT_TRUE(hotkey.listening());
  EXPECT_EQ(call("stopListening"), kNull);
  EXPECT_FALSE(hotkey.listening());
  EXPECT_EQ(call("hideOverlay"), kNull);
}

TEST_F(HotkeyChannelTest, OtherNamesAndUndecodableCallsGetEmptyReplies) {
  EXPECT_EQ(call("StartListening"), Bytes{});
  EXPECT_EQ(call("startlistening "), Bytes{});
  EXPECT_EQ(call(""), Bytes{});
  EXPECT_FALSE(hotkey.listening());
  EXPECT_EQ(send(Bytes{1}), Bytes{});  // a bool where the method name belongs
  EXPECT_EQ(call("startListening"), kNull);
  EXPECT_TRUE(hotkey.listening());
}

TEST_F(HotkeyChannelTest, EventsLeaveInTheOrderOfTheHolds) {
  hotkey.setFocusCheckEnabled(false);
  call("startListening");
  hold(VK_LCONTROL, VK_LSHIFT, 500);  // a real hold
  hold(VK_LCONTROL, VK_LSHIFT, 100);  // a tap
  const std::vector<Bytes> sent = events();
  EXPECT_EQ(sent, (std::vector<Bytes>{event("onHotkeyDown"), event("onHotkeyUp"),
                                      event("onHotkeyDown"), event("onHotkeyCancelled")}));
  // "onHotkeyUp" as it stands on the wire.
  EXPECT_EQ(sent[1], (Bytes{7, 10, 'o', 'n', 'H', 'o', 't', 'k', 'e', 'y', 'U', 'p', 0}));
}

TEST_F(HotkeyChannelTest, FocusAndForeignKeysProduceTheirEvents) {
  hotkey.noteWindowMessage(reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x77)), WM_ACTIVATE, 0, 0);
  fake.windows.foreground = hotkey.ownWindow();
  call("startListening");
  hold(VK_LCONTROL, VK_LSHIFT, 500);  // our own window is in front
  fake.windows.foreground = nullptr;
  fake.keyboard.keyDown(VK_LCONTROL);
  fake.keyboard.keyDown(VK_LSHIFT);
  fake.advance(100);
  fake.keyboard.keyDown('K');  // another key typed during the hold
  EXPECT_EQ(events(), (std::vector<Bytes>{event("onHotkeyWhileFocused"), event("onHotkeyDown"),
                                          event("onHotkeyCancelled")}));
}

TEST_F(HotkeyChannelTest, DetachedControllerSendsNothing) {
  hotkey.setFocusCheckEnabled(false);
  call("startListening");
  hotkey.detachChannel();
  hold(VK_LCONTROL, VK_LSHIFT, 500);
  hotkey.hold().handleCancelAreaClick();
  EXPECT_TRUE(events().empty());
}

}  // namespace
