// The top-level window base on real Win32: content layout, the class's lifetime across
// objects, quit-on-close, DPI moves and a failed OnCreated.
#include <gtest/gtest.h>

#include "shell/win32_window.h"

namespace {

class TestWindow : public Win32Window {
 public:
  explicit TestWindow(bool created = true) : created(created) {}
  ~TestWindow() override = default;

  int destroyedCalls = 0;

 protected:
  bool OnCreated() override { return created; }
  void OnDestroyed() override { ++destroyedCalls; }

 private:
  bool created;
};

bool ClassRegistered() {
  WNDCLASSW info;
  return GetClassInfoW(GetModuleHandleW(nullptr), Win32Window::kClassName, &info) != 0;
}

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

HWND MakeChild() {
  return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, GetDesktopWindow(),
                         nullptr, nullptr, nullptr);
}

void DrainQuit() {
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

}  // namespace

TEST(Win32Window, CreatesHiddenAtScaledPositionAndKeepsContentFilling) {
  TestWindow window;
  ASSERT_TRUE(window.Create(L"test", {100, 80}, {640, 400}));
  HWND handle = window.GetHandle();
  ASSERT_NE(handle, nullptr);
  EXPECT_FALSE(IsWindowVisible(handle));
  const RECT frame = WindowRect(handle);
  EXPECT_EQ(frame.left, 100);
  EXPECT_EQ(frame.top, 80);
  EXPECT_EQ(frame.right - frame.left, 640);

  HWND child = MakeChild();
  window.SetContent(child);
  EXPECT_EQ(GetParent(child), handle);
  RECT client = window.ClientArea();
  RECT content{};
  GetClientRect(child, &content);
  EXPECT_EQ(content.right, client.right);
  EXPECT_EQ(content.bottom, client.bottom);

  // A resize lays the content out again.
  SetWindowPos(handle, nullptr, 0, 0, 800, 500, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  client = window.ClientArea();
  GetClientRect(child, &content);
  EXPECT_EQ(content.right, client.right);
  EXPECT_EQ(content.bottom, client.bottom);

  window.Show();  // returns ShowWindow's answer: whether the window was visible before
  EXPECT_TRUE(IsWindowVisible(handle));
}

TEST(Win32Window, DpiChangeMovesToTheSuggestedRectangle) {
  TestWindow window;
  ASSERT_TRUE(window.Create(L"test", {10, 10}, {300, 200}));
  RECT suggested{50, 60, 50 + 450, 60 + 300};
  EXPECT_EQ(SendMessageW(window.GetHandle(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                         reinterpret_cast<LPARAM>(&suggested)),
            0);
  const RECT frame = WindowRect(window.GetHandle());
  EXPECT_EQ(frame.left, 50);
  EXPECT_EQ(frame.top, 60);
  EXPECT_EQ(frame.right - frame.left, 450);
  EXPECT_EQ(frame.bottom - frame.top, 300);
}

TEST(Win32Window, ClassOutlivesClosedWindowsUntilTheLastObjectGoes) {
  {
    TestWindow first;
    TestWindow second;
    ASSERT_TRUE(first.Create(L"first", {10, 10}, {200, 100}));
    ASSERT_TRUE(second.Create(L"second", {20, 20}, {200, 100}));
    const int before = first.destroyedCalls;

    DestroyWindow(first.GetHandle());  // as when the user closes it
    EXPECT_EQ(first.GetHandle(), nullptr);
    EXPECT_EQ(first.destroyedCalls, before + 1);
    EXPECT_TRUE(ClassRegistered()) << "unregistered while objects still exist";
    EXPECT_NE(second.GetHandle(), nullptr);
  }
  EXPECT_EQ(Win32Window::LiveWindowCount(), 0);
  EXPECT_FALSE(ClassRegistered());
}

TEST(Win32Window, QuitIsPostedOnlyWhenAskedFor) {
  DrainQuit();
  MSG message;
  {
    TestWindow window;
    ASSERT_TRUE(window.Create(L"test", {10, 10}, {200, 100}));
    DestroyWindow(window.GetHandle());
    EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  }
  TestWindow window;
  ASSERT_TRUE(window.Create(L"test", {10, 10}, {200, 100}));
  window.SetQuitWhenClosed(true);
  DestroyWindow(window.GetHandle());
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(message.wParam, 0u);
}

TEST(Win32Window, FailedOnCreatedLeavesTheHiddenWindowToTheObject) {
  HWND handle = nullptr;
  {
    TestWindow window(false);
    EXPECT_FALSE(window.Create(L"test", {10, 10}, {200, 100}));
    handle = window.GetHandle();
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(IsWindow(handle));
    EXPECT_FALSE(IsWindowVisible(handle));
  }
  EXPECT_FALSE(IsWindow(handle));
}
