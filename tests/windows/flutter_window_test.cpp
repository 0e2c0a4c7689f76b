// The engine host window when the engine cannot start: the failed view controller is gone, so
// later window messages reach no engine.
#include <gtest/gtest.h>

#include "engine_client/engine_project.h"
#include "shell/flutter_window.h"

namespace {

TEST(FlutterWindow, FailedViewController_IsDroppedBeforeAnyMessageReachesIt) {
  SetEnvironmentVariableW(L"MURMURLY_STANDIN_FAIL", L"view-controller");
  FlutterWindow window{EngineProject()};
  testing::internal::CaptureStderr();
  EXPECT_FALSE(window.Create(L"failed", {10, 10}, {300, 200}));
  ASSERT_NE(window.GetHandle(), nullptr);
  // Handled after the engine forwarding step, which a kept controller would take first.
  SendMessageW(window.GetHandle(), WM_FONTCHANGE, 0, 0);
  window.Destroy();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Failed to create view controller.\n");
  SetEnvironmentVariableW(L"MURMURLY_STANDIN_FAIL", nullptr);
}

}  // namespace
