// The stand-in engine's Dart-peer link under Wine: this test is the peer, on a loopback socket,
// and drives the engine through the engine client as the shell does.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine_client/flutter_view_controller.h"
#include "shell/plugin_registration.h"
#include "standin/engine/peer_frames.h"
#include "standin/engine/standin_engine.h"
#include "standin/engine/standin_plugin_api.h"
#include "standin/engine/task_queue.h"
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
  peer.Send(EncodeControlFrame("busy 2x"));
  ASSERT_TRUE(peer.WaitForNotice("unknown-control busy 2x"));
  EXPECT_TRUE(peer.HasNotice("unknown-control dance"));
  bool emptyReply = false;
  for (const auto& frame : peer.frames) {
    emptyReply |= frame.type == 2 && IdOf(frame) == 77 && frame.body.size() == 4;
  }
  EXPECT_TRUE(emptyReply);

  // A slow plugin: the platform thread is held at least that long, then says so.
  const auto busySince = std::chrono::steady_clock::now();
  peer.Send(EncodeControlFrame("busy 300"));
  ASSERT_TRUE(peer.WaitForNotice("busy-done 300"));
  EXPECT_GE(std::chrono::steady_clock::now() - busySince, std::chrono::milliseconds(300));

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
  // Owed when the peer goes: answered with the empty reply, not dropped.
  std::vector<size_t> owed;
  BinaryMessenger* messenger = controller->GetEngine()->GetMessenger();
  messenger->Send("x", nullptr, 0, [&](const uint8_t*, size_t size) { owed.push_back(size); });
  peer.Send(EncodeControlFrame("ping sent"));
  ASSERT_TRUE(peer.WaitForNotice("pong sent"));
  closesocket(peer.connection);
  peer.connection = INVALID_SOCKET;
  ASSERT_TRUE(PumpUntil([&] { return HostWindow::closes == 1; }));
  EXPECT_EQ(owed, std::vector<size_t>{0});
  // Sending into a closed link is refused, so the reply is never owed.
  int replies = 0;
  messenger->Send("x", nullptr, 0, [&](const uint8_t*, size_t) { ++replies; });
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(replies, 0);
}

// Drains the peer's socket from another thread if the test is still stuck after 30 s, as a peer
// that reads again would, so a platform thread blocked on the socket fails the test instead of
// hanging it.
class Rescue {
 public:
  explicit Rescue(SOCKET socket)
      : thread([this, socket] {
          if (over.wait_for(std::chrono::seconds(30)) != std::future_status::timeout) return;
          rescued = true;
          char sink[65536];
          while (over.wait_for(std::chrono::milliseconds(5)) == std::future_status::timeout) {
            while (recv(socket, sink, sizeof sink, 0) > 0) {
            }
          }
        }) {}
  ~Rescue() { End(); }
  Rescue(const Rescue&) = delete;
  Rescue& operator=(const Rescue&) = delete;
  // Whether it had to step in.
  bool End() {
    if (thread.joinable()) {
      done.set_value();
      thread.join();
    }
    return rescued;
  }

 private:
  std::promise<void> done;
  std::shared_future<void> over{done.get_future()};
  std::atomic<bool> rescued{false};
  std::thread thread;
};

class StalledPeerTest : public PeerLinkTest {
 protected:
  void SetUp() override {
    Start();
    ASSERT_TRUE(peer.Accept());
    controller->HandleTopLevelWindowProc(host.window, WM_ACTIVATE, 0, 0);
    messenger = controller->GetEngine()->GetMessenger();
    messenger->SetMessageHandler("big", [this](const uint8_t*, size_t, BinaryReplyFn reply) {
      ++answered;
      reply(mebibyte.data(), mebibyte.size());
    });
  }
  // Each asks the shell for a 1 MiB reply.
  void AskForMebibytes(uint32_t firstId, uint32_t count) {
    for (uint32_t id = firstId; id < firstId + count; ++id) {
      peer.Send(EncodeMessageFrame(id, "big", nullptr, 0));
    }
  }
  const Bytes mebibyte = Bytes(1 << 20, 'r');
  BinaryMessenger* messenger = nullptr;
  int answered = 0;
};

// A peer that keeps writing but stops reading never stalls the platform thread; it gets every
// reply once it reads again; one more than 64 MiB behind is cut off, what it owes answered empty.
TEST_F(StalledPeerTest, RepliesQueueUntilThePeerReadsAndAreBounded) {
  bool ticked = false;
  messenger->SetMessageHandler("tick",
                               [&](const uint8_t*, size_t, BinaryReplyFn) { ticked = true; });
  {
    Rescue rescue(peer.connection);
    AskForMebibytes(1, 20);
    peer.Send(EncodeMessageFrame(0, "tick", nullptr, 0));
    ASSERT_TRUE(PumpUntil([&] { return ticked; }, 60000));
    EXPECT_FALSE(rescue.End()) << "the platform thread waited for the peer to read";
  }
  EXPECT_EQ(answered, 20);

  peer.Send(EncodeControlFrame("ping read"));
  ASSERT_TRUE(peer.WaitForNotice("pong read", 60000));
  std::vector<uint32_t> ids;
  for (const auto& frame : peer.frames) {
    if (frame.type == 2 && frame.body.size() == 4 + mebibyte.size()) ids.push_back(IdOf(frame));
  }
  std::vector<uint32_t> expected;
  for (uint32_t id = 1; id <= 20; ++id) expected.push_back(id);
  EXPECT_EQ(ids, expected);

  std::vector<size_t> owed;
  messenger->Send("murmurly/out", nullptr, 0,
                  [&](const uint8_t*, size_t size) { owed.push_back(size); });
  AskForMebibytes(21, 90);  // beyond 64 MiB plus what the sockets hold
  ASSERT_TRUE(PumpUntil([&] { return HostWindow::closes == 1; }, 60000));
  EXPECT_EQ(owed, std::vector<size_t>{0});
  EXPECT_TRUE(PumpUntil([&] { return !peer.Poll(); }, 60000));
}

// Teardown does not wait on a peer that never reads: the link thread, with megabytes still to
// send, stops within its short flush.
TEST_F(StalledPeerTest, TeardownWithRepliesStillQueued) {
  AskForMebibytes(1, 20);
  ASSERT_TRUE(PumpUntil([&] { return answered == 20; }, 60000));
  controller.reset();
  EXPECT_TRUE(PumpUntil([&] { return !peer.Poll(); }, 60000));
}

// A registrar handed back after its engine is gone is never touched, even when its freed memory
// now names a live engine.
TEST(PluginNotice, RegistrarOfADestroyedEngineIsIgnored) {
  FakePeer first;
  FlutterDesktopEngineProperties properties{};
  FlutterDesktopEngineRef gone = FlutterDesktopEngineCreate(&properties);
  ASSERT_TRUE(first.Accept());
  FlutterDesktopPluginRegistrarRef stale = FlutterDesktopEngineGetPluginRegistrar(gone, "Stale");
  FakePeer live;
  FlutterDesktopEngineRef engine = FlutterDesktopEngineCreate(&properties);
  ASSERT_TRUE(live.Accept());
  FlutterDesktopEngineDestroy(gone);
  // Refill the freed block's size class with records pointing at the live engine.
  constexpr size_t kSlots = sizeof(FlutterDesktopPluginRegistrar) / sizeof(engine);
  const std::vector<std::vector<FlutterDesktopEngineRef>> spray(
      2000, std::vector<FlutterDesktopEngineRef>(kSlots, engine));
  MurmurlyStandinPluginCalled(stale, "Stale");
  FlutterDesktopEngineDestroy(engine);
  ASSERT_TRUE(PumpUntil([&] { return !live.Poll(); }));
  EXPECT_FALSE(live.HasNotice("plugin Stale"));
}

// PostMessageW failing (a full message queue) loses no task, posted from the platform thread or
// from another, and keeps their order.
TEST(TaskQueue, FailedPostsLoseNoTask) {
  static std::atomic<int> failures{0};
  standin::TaskQueue queue([](HWND window, UINT message, WPARAM wparam, LPARAM lparam) -> BOOL {
    if (failures > 0) {
      --failures;
      return FALSE;
    }
    return PostMessageW(window, message, wparam, lparam);
  });
  std::vector<int> ran;
  failures = 2;
  queue.Post([&] { ran.push_back(1); });
  queue.Post([&] { ran.push_back(2); });
  ASSERT_TRUE(PumpUntil([&] { return ran.size() == 2; }));
  failures = 3;
  std::thread([&] {
    queue.Post([&] { ran.push_back(3); });
    queue.Post([&] { ran.push_back(4); });
  }).join();
  ASSERT_TRUE(PumpUntil([&] { return ran.size() == 4; }));
  EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 4}));
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
