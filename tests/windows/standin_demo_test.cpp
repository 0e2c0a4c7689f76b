// The engine client layer over the stand-in engine and its built-in demo Dart side, under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine_client/flutter_view_controller.h"
#include "engine_client/method_channel.h"
#include "engine_client/standard_method_codec.h"
#include "tests/windows/standin_test_support.h"

namespace {

using standin_test::PumpUntil;

EngineProject Project(std::vector<std::string> arguments) {
  EngineProject project;
  project.assetsPath = L"data\\flutter_assets";
  project.entrypointArguments = std::move(arguments);
  return project;
}

struct Recorded {
  std::vector<std::string> calls;
  std::string pasted;
};

void Record(MethodChannel& channel, Recorded& recorded) {
  channel.SetMethodCallHandler(
      [&recorded](const MethodCall& call, std::unique_ptr<MethodResult> result) {
        recorded.calls.push_back(call.MethodName());
        if (call.MethodName() == "pasteText") {
          const auto* map = std::get_if<EncodableValueMap>(call.Arguments());
          auto text = map != nullptr ? map->find(EncodableValue("text"))
                                     : EncodableValueMap::const_iterator{};
          if (map != nullptr && text != map->end())
            recorded.pasted = std::get<std::string>(text->second);
        }
        if (call.MethodName() == "checkMicrophone") {
          result->Success(EncodableValue("authorized"));
        } else {
          result->Success();
        }
      });
}

bool Has(const std::vector<std::string>& calls, const std::string& name) {
  return std::find(calls.begin(), calls.end(), name) != calls.end();
}

TEST(StandinDemo, RunsLikeTheAppAndPastesTheTranscriptAfterARelease) {
  standin_test::HostWindow host;
  FlutterViewController controller(320, 240, Project({"--transcript", "Grüße aus Wine"}));
  ASSERT_NE(controller.GetView(), nullptr);
  HWND view = controller.GetView()->GetNativeWindow();
  ASSERT_NE(view, nullptr);
  SetParent(view, host.window);

  BinaryMessenger* messenger = controller.GetEngine()->GetMessenger();
  MethodChannel hotkey(messenger, "murmurly/global_hotkey", &StandardMethodCodec::GetInstance());
  MethodChannel permissions(messenger, "murmurly/permissions", &StandardMethodCodec::GetInstance());
  Recorded hotkeyCalls, permissionCalls;
  Record(hotkey, hotkeyCalls);
  Record(permissions, permissionCalls);
  bool shown = false;
  controller.GetEngine()->SetNextFrameCallback([&] { shown = true; });
  controller.ForceRedraw();

  ASSERT_TRUE(PumpUntil([&] {
    return shown && Has(hotkeyCalls.calls, "startListening") &&
           Has(permissionCalls.calls, "checkMicrophone");
  }));
  EXPECT_EQ(hotkeyCalls.calls,
            (std::vector<std::string>{"setLocalizedStrings", "setHotkey", "startListening"}));

  hotkey.InvokeMethod("onHotkeyDown", nullptr);
  hotkey.InvokeMethod("onHotkeyUp", nullptr);
  ASSERT_TRUE(PumpUntil([&] { return Has(hotkeyCalls.calls, "hideOverlay"); }));
  EXPECT_EQ(hotkeyCalls.pasted, "Grüße aus Wine");
  EXPECT_EQ(hotkeyCalls.calls.size(), 5u);
}

TEST(StandinDemo, DefaultTranscriptAndAReplyFromTheDartSide) {
  FlutterViewController controller(100, 100, Project({}));
  MethodChannel hotkey(controller.GetEngine()->GetMessenger(), "murmurly/global_hotkey",
                       &StandardMethodCodec::GetInstance());
  Recorded calls;
  Record(hotkey, calls);

  // The demo implements no methods: a call with a result comes back not implemented.
  class Probe : public MethodResult {
   public:
    explicit Probe(std::string* log) : log(log) {}
    void SuccessInternal(const EncodableValue*) override { *log = "success"; }
    void ErrorInternal(const std::string&, const std::string&, const EncodableValue*) override {
      *log = "error";
    }
    void NotImplementedInternal() override { *log = "notImplemented"; }
    std::string* log;
  };
  std::string answer;
  hotkey.InvokeMethod("onHotkeyUp", nullptr, std::make_unique<Probe>(&answer));
  ASSERT_TRUE(PumpUntil([&] { return !answer.empty() && Has(calls.calls, "hideOverlay"); }));
  EXPECT_EQ(answer, "notImplemented");
  EXPECT_EQ(calls.pasted, "Hello from murmurly.");
}

TEST(StandinEngine, ViewControllerFailureOnRequest) {
  SetEnvironmentVariableA("MURMURLY_STANDIN_FAIL", "view-controller");
  {
    FlutterViewController controller(100, 100, Project({}));
    EXPECT_EQ(controller.GetView(), nullptr);
  }
  SetEnvironmentVariableA("MURMURLY_STANDIN_FAIL", nullptr);
}

TEST(StandinEngine, NullHandlesFailQuietlyAndDpiCanBeForced) {
  EXPECT_EQ(FlutterDesktopEngineCreate(nullptr), nullptr);
  EXPECT_FALSE(FlutterDesktopEngineDestroy(nullptr));
  EXPECT_EQ(FlutterDesktopEngineGetMessenger(nullptr), nullptr);
  EXPECT_EQ(FlutterDesktopEngineGetPluginRegistrar(nullptr, "x"), nullptr);
  FlutterDesktopEngineReloadSystemFonts(nullptr);
  FlutterDesktopEngineSetNextFrameCallback(nullptr, nullptr, nullptr);
  const uint8_t byte = 1;
  EXPECT_FALSE(FlutterDesktopMessengerSend(nullptr, "c", &byte, 1));
  EXPECT_FALSE(FlutterDesktopMessengerSendWithReply(nullptr, "c", &byte, 1, nullptr, nullptr));
  FlutterDesktopMessengerSendResponse(nullptr, nullptr, &byte, 1);
  FlutterDesktopMessengerSetCallback(nullptr, "c", nullptr, nullptr);
  EXPECT_EQ(FlutterDesktopMessengerAddRef(nullptr), nullptr);
  FlutterDesktopMessengerRelease(nullptr);
  EXPECT_EQ(FlutterDesktopMessengerLock(nullptr), nullptr);
  FlutterDesktopMessengerUnlock(nullptr);
  EXPECT_FALSE(FlutterDesktopMessengerIsAvailable(nullptr));
  EXPECT_EQ(FlutterDesktopViewControllerCreate(1, 1, nullptr), nullptr);
  FlutterDesktopViewControllerDestroy(nullptr);
  EXPECT_EQ(FlutterDesktopViewControllerGetView(nullptr), nullptr);
  EXPECT_EQ(FlutterDesktopViewGetHWND(nullptr), nullptr);
  FlutterDesktopViewControllerForceRedraw(nullptr);
  LRESULT result = 0;
  EXPECT_FALSE(
      FlutterDesktopViewControllerHandleTopLevelWindowProc(nullptr, nullptr, 0, 0, 0, &result));

  HMONITOR primary = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
  EXPECT_GT(FlutterDesktopGetDpiForMonitor(primary), 0u);
  SetEnvironmentVariableA("MURMURLY_STANDIN_DPI", "144");
  EXPECT_EQ(FlutterDesktopGetDpiForMonitor(primary), 144u);
  SetEnvironmentVariableA("MURMURLY_STANDIN_DPI", nullptr);
}

TEST(StandinEngine, MessengerOutlivesTheEngineAndReportsItUnavailable) {
  FlutterDesktopEngineProperties properties{};
  FlutterDesktopEngineRef engine = FlutterDesktopEngineCreate(&properties);
  ASSERT_NE(engine, nullptr);
  FlutterDesktopMessengerRef messenger =
      FlutterDesktopMessengerAddRef(FlutterDesktopEngineGetMessenger(engine));
  EXPECT_TRUE(FlutterDesktopMessengerIsAvailable(messenger));
  EXPECT_TRUE(FlutterDesktopEngineDestroy(engine));
  FlutterDesktopMessengerRef locked = FlutterDesktopMessengerLock(messenger);
  EXPECT_FALSE(FlutterDesktopMessengerIsAvailable(messenger));
  FlutterDesktopMessengerUnlock(locked);
  FlutterDesktopMessengerRelease(messenger);
}

}  // namespace
