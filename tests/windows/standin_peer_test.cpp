// The stand-in engine's Dart-peer link under Wine: this test is the peer, on a loopback socket,
// and drives the engine through the engine client as the shell does.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine_client/flutter_view_controller.h"
#include "shell/plugin_registration.h"
#include "standin/engine/peer_frames.h"
#include "standin/engine/standin_plugin_api.h"
#include "tests/windows/standin_test_support.h"

namespace {

using standin::EncodeControlFrame;
using standin::EncodeMessageFrame;
using standin::EncodeReplyFrame;
using standin_test::FakePeer;
using standin_test::HostWindow;
using standin_test::PumpUntil;
using Bytes = std::vector<uint8_t>;

uint32_t IdOf(const standin_test::EngineFrame& frame) {
  return standin::ReadU32(frame.body.data());
}

class PeerLinkTest : public ::testing::Test {
 protected:
  void Start(std::vector<std::string> arguments = {}) {
    EngineProject project;
    project.entrypointArguments = std::move(arguments);
    controller = std::make_unique<FlutterViewController>(300, 200, project);
  }
  FakePeer peer;
  HostWindow host;
  std::unique_ptr<FlutterViewController> controller;
};

TEST_F(PeerLinkTest, NoticesAndMessagesThatArriveBeforeTheEngineRuns) {
  FlutterDesktopEngineProperties properties{};
  const char* argv[] = {"--transcript", "hi"};
  properties.dart_entrypoint_argc = 2;
  properties.dart_entrypoint_argv = argv;
  FlutterDesktopEngineRef engine = FlutterDesktopEngineCreate(&properties);
  ASSERT_TRUE(peer.Accept());
  // Sent before the view controller exists: must wait, in order, behind one another.
  const Bytes payload{1, 2, 3};
  peer.Send(EncodeMessageFrame(5, "murmurly/test", payload.data(), payload.size()));
  peer.Send(EncodeControlFrame("ping early"));

  FlutterDesktopMessengerRef messenger = FlutterDesktopEngineGetMessenger(engine);
  FlutterDesktopPluginRegistrarRef registrar =
      FlutterDesktopEngineGetPluginRegistrar(engine, "FvpPluginCApi");
  MurmurlyStandinPluginCalled(registrar, "FvpPluginCApi");
  struct Seen {
    Bytes bytes;
    const FlutterDesktopMessageResponseHandle* handle = nullptr;
  } seen;
  FlutterDesktopMessengerSetCallback(
      messenger, "murmurly/test",
      [](FlutterDesktopMessengerRef, const FlutterDesktopMessage* message, void* userData) {
        auto* into = static_cast<Seen*>(userData);
        into->bytes.assign(message->message, message->message + message->message_size);
        into->handle = message->response_handle;
      },
      &seen);
  // Give the reader time to queue both frames before the engine runs.
  PumpUntil([] { return false; }, 300);
  EXPECT_TRUE(seen.bytes.empty());
  EXPECT_FALSE(peer.HasNotice("pong early"));

  FlutterDesktopViewControllerRef view = FlutterDesktopViewControllerCreate(300, 200, engine);
  ASSERT_TRUE(peer.WaitForNotice("pong early"));
  EXPECT_EQ(seen.bytes, payload);
  const uint8_t answer[] = {9, 8};
  FlutterDesktopMessengerSendResponse(messenger, seen.handle, answer, sizeof answer);
  ASSERT_TRUE(PumpUntil([&] {
    peer.Poll();
    return !peer.frames.empty() && peer.frames.back().type == 2;
  }));
  EXPECT_EQ(IdOf(peer.frames.back()), 5u);
  EXPECT_EQ(Bytes(peer.frames.back().body.begin() + 4, peer.frames.back().body.end()),
            (Bytes{9, 8}));

  FlutterDesktopViewControllerDestroy(view);
  ASSERT_TRUE(PumpUntil([&] { return !peer.Poll(); }));
  EXPECT_EQ(peer.Notices(),
            (std::vector<std::string>{
                "engine-created", "registrar FvpPluginCApi", "plugin FvpPluginCApi",
                "callback murmurly/test", "view-created 300x200", "entrypoint-args 2",
                "arg --transcript", "arg hi", "pong early", "frame", "shutdown"}));
}

TEST_F(PeerLinkTest, RepliesBothWaysFramesAndControls) {
  Start();
  ASSERT_TRUE(peer.Accept());
  BinaryMessenger* messenger = controller->GetEngine()->GetMessenger();
  bool shown = false;
  controller->GetEngine()->SetNextFrameCallback([&] { shown = true; });
  controller->ForceRedraw();
  ASSERT_TRUE(peer.WaitForNotice("next-frame-callback"));
  EXPECT_TRUE(shown);

  // Native to Dart with a reply: a fresh non-zero id, answered once.
  Bytes reply;
  int replies = 0;
  const Bytes call{7, 1, 'x'};
  messenger->Send("murmurly/out", call.data(), call.size(), [&](const uint8_t* bytes, size_t size) {
    ++replies;
    reply.assign(bytes, bytes + size);
  });
  messenger->Send("murmurly/out", call.data(), call.size(), nullptr);
  ASSERT_TRUE(PumpUntil([&] {
    peer.Poll();
    int messages = 0;
    for (const auto& frame : peer.frames) messages += frame.type == 1;
    return messages == 2;
  }));
  std::vector<uint32_t> ids;
  for (const auto& frame : peer.frames) {
    if (frame.type == 1) ids.push_back(IdOf(frame));
  }
  ASSERT_NE(ids[0], 0u);
  EXPECT_EQ(ids[1], 0u);
  const Bytes answer{0, 0};
  peer.Send(EncodeReplyFrame(ids[0], answer.data(), answer.size()));
  peer.Send(EncodeReplyFrame(ids[0], answer.data(), answer.size()));  // a second is ignored
  peer.Send(EncodeControlFrame("ping replied"));
  ASSERT_TRUE(peer.WaitForNotice("pong replied"));
  EXPECT_EQ(replies, 1);
  EXPECT_EQ(reply, answer);

  // A channel without a callback is answered at once with the empty reply.
  peer.Send(EncodeMessageFrame(77, "nobody", nullptr, 0));
  peer.Send(EncodeControlFrame("frame"));
  peer.Send(EncodeControlFrame("dance"));
  ASSERT_TRUE(peer.WaitForNotice("unknown-control dance"));
  bool emptyReply = false;
  for (const auto& frame : peer.frames) {
    emptyReply |= frame.type == 2 && IdOf(frame) == 77 && frame.body.size() == 4;
  }
  EXPECT_TRUE(emptyReply);

  // The top-level window: visible once, closed on request.
  controller->HandleTopLevelWindowProc(host.window, WM_SHOWWINDOW, TRUE, 0);
  peer.Send(EncodeControlFrame("close-window"));
  ASSERT_TRUE(PumpUntil([&] { return HostWindow::closes == 1; }));
  EXPECT_TRUE(peer.WaitForNotice("top-level-visible"));
}

TEST_F(PeerLinkTest, PluginsRegisterInTableOrderEachOnce) {
  Start();
  ASSERT_TRUE(peer.Accept());
  RegisterAllPlugins(controller->GetEngine().get());
  peer.Send(EncodeControlFrame("ping registered"));
  ASSERT_TRUE(peer.WaitForNotice("pong registered"));
  std::vector<std::string> plugins;
  for (const std::string& line : peer.Notices()) {
    if (line.rfind("registrar ", 0) == 0 || line.rfind("plugin ", 0) == 0) plugins.push_back(line);
  }
  std::vector<std::string> expected;
  for (const char* name :
       {"AudioplayersWindowsPlugin", "ConnectivityPlusWindowsPlugin", "FileSaverPlugin",
        "FileSelectorWindows", "FlutterSecureStorageWindowsPlugin", "FvpPluginCApi",
        "PermissionHandlerWindowsPlugin", "RecordWindowsPluginCApi", "SharePlusWindowsPluginCApi",
        "UrlLauncherWindows"}) {
    expected.push_back(std::string("registrar ") + name);
    expected.push_back(std::string("plugin ") + name);
  }
  EXPECT_EQ(plugins, expected);
}

TEST_F(PeerLinkTest, PeerClosingClosesTheWindow) {
  Start();
  ASSERT_TRUE(peer.Accept());
  controller->HandleTopLevelWindowProc(host.window, WM_ACTIVATE, 0, 0);
  closesocket(peer.connection);
  peer.connection = INVALID_SOCKET;
  ASSERT_TRUE(PumpUntil([&] { return HostWindow::closes == 1; }));
  // Sending into a closed link is refused, so the reply is never owed.
  int replies = 0;
  controller->GetEngine()->GetMessenger()->Send("x", nullptr, 0,
                                                [&](const uint8_t*, size_t) { ++replies; });
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(replies, 0);
}

// Each malformed frame closes the link cleanly: a line on stderr, WM_CLOSE, no crash.
TEST_F(PeerLinkTest, HostileFramesCloseTheLink) {
  const std::vector<Bytes> hostile = {
      {0, 0, 0, 0},                            // no type byte
      {0xff, 0xff, 0xff, 0xff, 1},             // over 64 MiB
      {1, 0, 0, 0, 9},                         // unknown type
      {3, 0, 0, 0, 1, 0, 0},                   // message shorter than id and channel length
      {8, 0, 0, 0, 1, 1, 0, 0, 0, 9, 0, 'a'},  // channel longer than the frame
      {1, 0, 0, 0, 3},                         // notice: never from the peer
      {10, 0, 0, 0, 4, 'p'},                   // truncated: the peer hangs up inside the frame
  };
  for (const Bytes& frame : hostile) {
    HostWindow::closes = 0;
    FakePeer fresh;
    EngineProject project;
    FlutterViewController controller(100, 100, project);
    ASSERT_TRUE(fresh.Accept());
    controller.HandleTopLevelWindowProc(host.window, WM_ACTIVATE, 0, 0);
    fresh.Send(frame);
    if (frame.size() == 6) shutdown(fresh.connection, SD_SEND);
    ASSERT_TRUE(PumpUntil([&] { return HostWindow::closes == 1; })) << frame.size();
  }
}

TEST(PeerFrames, ThousandsOfRandomFramesNeverReadPastTheirEnd) {
  std::mt19937 random(1234);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> size(0, 24);
  int accepted = 0;
  for (int i = 0; i < 1000; ++i) {
    // Exactly-sized heap blocks, so a read past the end would touch unowned memory.
    const size_t length = static_cast<size_t>(size(random));
    auto frame = std::make_unique<uint8_t[]>(length + 1);
    for (size_t j = 0; j < length; ++j) frame[j] = static_cast<uint8_t>(byte(random));
    if (length > 0) frame[0] = static_cast<uint8_t>(frame[0] % 6);
    std::string error;
    std::optional<standin::PeerFrame> parsed = standin::ParsePeerFrame(frame.get(), length, &error);
    if (parsed) {
      ++accepted;
      EXPECT_LE(parsed->payload.size() + parsed->channel.size() + parsed->text.size(), length);
    } else {
      EXPECT_FALSE(error.empty());
    }
  }
  EXPECT_GT(accepted, 0);
}

}  // namespace
