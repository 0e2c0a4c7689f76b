// The platform contract: what both the fake and the real platform must do. The same source runs
// on the fake platform (host) and on the Win32 platform (under Wine), so the fake cannot drift
// from Windows on the behaviour the portable code relies on.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/keyboard.h"
#include "platform/timers.h"
#include "platform/window_system.h"
#include "tests/contract/platform_harness.h"

namespace contract {
namespace {

constexpr int kTimeoutMs = 5000;

// Context-free callbacks report here.
std::vector<UINT_PTR> firedTimers;
platform::Platform* current = nullptr;

struct HookCall {
  DWORD vk;
  WPARAM message;
  DWORD flags;
  bool stateDownInside;
  DWORD scanCode;
  DWORD time;
  bool leftCtrlDownInside;
};
std::vector<HookCall> newerHookCalls;
std::vector<DWORD> olderHookCalls;

void CALLBACK recordTimer(HWND, UINT message, UINT_PTR id, DWORD) {
  if (message == WM_TIMER) firedTimers.push_back(id);
}

LRESULT CALLBACK olderHook(int code, WPARAM message, LPARAM event) {
  if (code == HC_ACTION)
    olderHookCalls.push_back(reinterpret_cast<KBDLLHOOKSTRUCT*>(event)->vkCode);
  return current->keyboard->CallNextHookEx(nullptr, code, message, event);
}

LRESULT CALLBACK newerHook(int code, WPARAM message, LPARAM event) {
  if (code == HC_ACTION) {
    const auto* e = reinterpret_cast<KBDLLHOOKSTRUCT*>(event);
    const bool down =
        (current->keyboard->GetAsyncKeyState(static_cast<int>(e->vkCode)) & 0x8000) != 0;
    const bool leftCtrl = (current->keyboard->GetAsyncKeyState(VK_LCONTROL) & 0x8000) != 0;
    newerHookCalls.push_back(
        HookCall{e->vkCode, message, e->flags, down, e->scanCode, e->time, leftCtrl});
  }
  return current->keyboard->CallNextHookEx(nullptr, code, message, event);
}

LRESULT CALLBACK probeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return current->windows->DefWindowProcW(window, message, wParam, lParam);
}

class PlatformContract : public ::testing::Test {
 protected:
  PlatformContract() : harness(makeHarness()), p(harness->platform()) {
    current = &p;
    firedTimers.clear();
    newerHookCalls.clear();
    olderHookCalls.clear();
  }
  ~PlatformContract() override { current = nullptr; }

  bool wait(const std::function<bool()>& done) { return harness->waitFor(done, kTimeoutMs); }
  void idle(int ms) {
    harness->waitFor([] { return false; }, ms);
  }
  UINT sendKey(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return p.keyboard->SendInput(1, &input, sizeof(INPUT));
  }

  std::unique_ptr<PlatformHarness> harness;
  platform::Platform& p;
};

TEST_F(PlatformContract, ThreadTimersFireWithTheReturnedIdUntilKilled) {
  const UINT_PTR id = p.timers->SetTimer(nullptr, 10001, 20, recordTimer);
  ASSERT_NE(id, 0u);
  const UINT_PTR other = p.timers->SetTimer(nullptr, 10001, 20, recordTimer);
  EXPECT_NE(other, id);  // a fresh request does not reuse a live timer's id
  EXPECT_TRUE(p.timers->KillTimer(nullptr, other));

  ASSERT_TRUE(wait([] { return firedTimers.size() >= 3; }));
  for (const UINT_PTR fired : firedTimers) EXPECT_EQ(fired, id);
  EXPECT_TRUE(p.timers->KillTimer(nullptr, id));
  firedTimers.clear();
  idle(100);
  EXPECT_TRUE(firedTimers.empty());
  EXPECT_FALSE(p.timers->KillTimer(nullptr, id));
}

TEST_F(PlatformContract, SetTimerWithALiveIdReplacesThatTimer) {
  const UINT_PTR id = p.timers->SetTimer(nullptr, 0, 10000, recordTimer);
  ASSERT_NE(id, 0u);
  EXPECT_EQ(p.timers->SetTimer(nullptr, id, 20, recordTimer), id);
  ASSERT_TRUE(wait([] { return !firedTimers.empty(); }));
  EXPECT_EQ(firedTimers.front(), id);
  EXPECT_TRUE(p.timers->KillTimer(nullptr, id));
  EXPECT_FALSE(p.timers->KillTimer(nullptr, id));  // there was only one
}

TEST_F(PlatformContract, FreedThreadTimerIdsComeBackButNeverALiveOne) {
  const UINT_PTR live = p.timers->SetTimer(nullptr, 0, 100000, recordTimer);
  const UINT_PTR freed = p.timers->SetTimer(nullptr, 0, 100000, recordTimer);
  ASSERT_NE(live, 0u);
  ASSERT_NE(freed, 0u);
  EXPECT_TRUE(p.timers->KillTimer(nullptr, freed));
  bool reused = false;
  for (int i = 0; i < 0x10000 && !reused; ++i) {
    const UINT_PTR id = p.timers->SetTimer(nullptr, 0, 100000, recordTimer);
    ASSERT_NE(id, 0u);
    ASSERT_NE(id, live);
    EXPECT_TRUE(p.timers->KillTimer(nullptr, id));
    reused = id == freed;
  }
  EXPECT_TRUE(reused);
  EXPECT_TRUE(p.timers->KillTimer(nullptr, live));
  // Under Wine the next hook call after such a burst comes late unless the messages ran once.
  idle(100);
}

TEST_F(PlatformContract, SendInputReachesTheHooksBeforeTheKeyStateChanges) {
  const HHOOK older = p.keyboard->SetWindowsHookExW(WH_KEYBOARD_LL, olderHook,
                                                    p.windows->GetModuleHandleW(nullptr), 0);
  const HHOOK newer = p.keyboard->SetWindowsHookExW(WH_KEYBOARD_LL, newerHook,
                                                    p.windows->GetModuleHandleW(nullptr), 0);
  ASSERT_NE(older, nullptr);
  ASSERT_NE(newer, nullptr);

  EXPECT_EQ(sendKey(VK_F24, false), 1u);
  ASSERT_EQ(newerHookCalls.size(), 1u);  // synchronously, before SendInput returned
  EXPECT_TRUE(p.keyboard->GetAsyncKeyState(VK_F24) & 0x8000);
  EXPECT_EQ(sendKey(VK_F24, true), 1u);
  ASSERT_EQ(newerHookCalls.size(), 2u);
  EXPECT_FALSE(p.keyboard->GetAsyncKeyState(VK_F24) & 0x8000);

  const HookCall& down = newerHookCalls[0];
  EXPECT_EQ(down.vk, static_cast<DWORD>(VK_F24));
  EXPECT_EQ(down.message, static_cast<WPARAM>(WM_KEYDOWN));
  EXPECT_TRUE(down.flags & LLKHF_INJECTED);
  EXPECT_FALSE(down.stateDownInside);  // the state lags the event inside the hook
  const HookCall& up = newerHookCalls[1];
  EXPECT_EQ(up.message, static_cast<WPARAM>(WM_KEYUP));
  EXPECT_TRUE(up.flags & LLKHF_UP);
  EXPECT_TRUE(up.stateDownInside);

  // CallNextHookEx in the newer hook passed both events on to the older one.
  EXPECT_EQ(olderHookCalls, (std::vector<DWORD>{VK_F24, VK_F24}));

  EXPECT_TRUE(p.keyboard->UnhookWindowsHookEx(newer));
  EXPECT_TRUE(p.keyboard->UnhookWindowsHookEx(older));
  sendKey(VK_F24, false);
  sendKey(VK_F24, true);
  idle(50);
  EXPECT_EQ(newerHookCalls.size(), 2u);
  EXPECT_FALSE(p.keyboard->UnhookWindowsHookEx(newer));
}

// The paste's records carry these; a remote-desktop client forwards nothing else.
TEST_F(PlatformContract, TheUsLayoutsScanCodesOfTheKeysThePasteSends) {
  const std::pair<UINT, UINT> scanCodes[] = {
      {VK_LCONTROL, 0x1D}, {VK_RCONTROL, 0x1D}, {VK_LSHIFT, 0x2A}, {VK_RSHIFT, 0x36},
      {VK_LMENU, 0x38},    {VK_RMENU, 0x38},    {VK_LWIN, 0x5B},   {VK_RWIN, 0x5C},
      {'V', 0x2F},         {VK_INSERT, 0x52},   {0xE8, 0}};
  for (const auto& [vk, scan] : scanCodes) {
    EXPECT_EQ(p.keyboard->MapVirtualKeyW(vk, MAPVK_VK_TO_VSC), scan) << std::hex << vk;
  }
}

// The layout of our desktop's input: its characters and whether typing one takes AltGr (US: "@" is
// Shift+2, no character takes Ctrl+Alt). The hotkey decides per layout whether a Left Ctrl may be
// AltGr's.
TEST_F(PlatformContract, OurDesktopHasTheInputInTheUsLayout) {
  EXPECT_TRUE(p.keyboard->InputDesktopIsOurs());
  HKL installed[4] = {};
  ASSERT_GE(p.keyboard->GetKeyboardLayoutList(4, installed), 1);
  const HKL layout = p.keyboard->GetKeyboardLayout(
      p.windows->GetWindowThreadProcessId(p.windows->GetForegroundWindow(), nullptr));
  EXPECT_EQ(p.keyboard->VkKeyScanExW(static_cast<WCHAR>('@'), layout), 0x100 | '2');
  EXPECT_EQ(p.keyboard->VkKeyScanExW(static_cast<WCHAR>('k'), layout), 'K');
}

// Windows' AltGr pair as a SendInput batch: each record reaches the hook with its own scan code
// and the batch's time stamp, after the key state took the records before it.
TEST_F(PlatformContract, ABatchReachesTheHookRecordByRecordWithScanCodesAndTime) {
  const HHOOK newer = p.keyboard->SetWindowsHookExW(WH_KEYBOARD_LL, newerHook,
                                                    p.windows->GetModuleHandleW(nullptr), 0);
  ASSERT_NE(newer, nullptr);
  INPUT pair[2] = {};
  for (INPUT& input : pair) input.type = INPUT_KEYBOARD;
  pair[0].ki = {VK_LCONTROL, 0x21D, 0, 4242, 0};
  pair[1].ki = {VK_RMENU, 0x38, KEYEVENTF_EXTENDEDKEY, 4242, 0};
  ASSERT_EQ(p.keyboard->SendInput(2, pair, sizeof(INPUT)), 2u);
  for (INPUT& input : pair) input.ki.dwFlags |= KEYEVENTF_KEYUP;
  ASSERT_EQ(p.keyboard->SendInput(2, pair, sizeof(INPUT)), 2u);
  EXPECT_TRUE(p.keyboard->UnhookWindowsHookEx(newer));
  ASSERT_EQ(newerHookCalls.size(), 4u);
  EXPECT_EQ(newerHookCalls[0].scanCode, 0x21Du);
  EXPECT_TRUE(newerHookCalls[1].leftCtrlDownInside);  // the record before it is through
  for (const HookCall& call : newerHookCalls) EXPECT_EQ(call.time, 4242u);
}

TEST_F(PlatformContract, LayeredPopupReadsBackAndIsFoundByClass) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = probeProc;
  windowClass.hInstance = p.windows->GetModuleHandleW(nullptr);
  windowClass.hCursor = p.windows->LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = platform::W(u"MurmurlyContractProbe");
  EXPECT_NE(p.windows->RegisterClassExW(&windowClass), 0);
  EXPECT_EQ(p.windows->RegisterClassExW(&windowClass), 0);  // already registered

  const DWORD exStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_NOACTIVATE;
  const HWND window = p.windows->CreateWindowExW(exStyle, platform::W(u"MurmurlyContractProbe"),
                                                 platform::W(u""), WS_POPUP, 100, 8, 160, 40,
                                                 nullptr, nullptr, windowClass.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(p.windows->FindWindowW(platform::W(u"MurmurlyContractProbe"), nullptr), window);
  EXPECT_EQ(p.windows->FindWindowW(platform::W(u"MurmurlyNoSuchClass"), nullptr), nullptr);

  const COLORREF magenta = RGB(255, 0, 255);
  EXPECT_TRUE(
      p.windows->SetLayeredWindowAttributes(window, magenta, 240, LWA_COLORKEY | LWA_ALPHA));
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(p.windows->GetLayeredWindowAttributes(window, &key, &alpha, &flags));
  EXPECT_EQ(key, magenta);
  EXPECT_EQ(alpha, 240);
  EXPECT_EQ(flags, LWA_COLORKEY | LWA_ALPHA);

  RECT client{};
  ASSERT_TRUE(p.windows->GetClientRect(window, &client));
  EXPECT_EQ(client.right - client.left, 160);
  EXPECT_EQ(client.bottom - client.top, 40);

  p.windows->ShowWindow(window, SW_SHOWNOACTIVATE);
  EXPECT_NE(p.windows->GetForegroundWindow(), window);  // never activated

  // A paint covers the bounds of what was invalidated since the last one (an overlay copies
  // only that much of its picture).
  PAINTSTRUCT paint{};
  p.windows->BeginPaint(window, &paint);
  p.windows->EndPaint(window, &paint);
  const RECT dot{14, 15, 24, 25};
  const RECT cancel{130, 0, 154, 40};
  p.windows->InvalidateRect(window, &dot, FALSE);
  p.windows->InvalidateRect(window, &cancel, FALSE);
  p.windows->BeginPaint(window, &paint);
  EXPECT_EQ(std::vector<LONG>(
                {paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right, paint.rcPaint.bottom}),
            std::vector<LONG>({14, 0, 154, 40}));
  p.windows->EndPaint(window, &paint);
  EXPECT_TRUE(p.windows->DestroyWindow(window));
  EXPECT_EQ(p.windows->FindWindowW(platform::W(u"MurmurlyContractProbe"), nullptr), nullptr);
  EXPECT_FALSE(p.windows->DestroyWindow(window));
}

TEST_F(PlatformContract, PrimaryScreenIs1920By1080) {
  EXPECT_EQ(p.windows->GetSystemMetrics(SM_CXSCREEN), 1920);
  EXPECT_EQ(p.windows->GetSystemMetrics(SM_CYSCREEN), 1080);
}

TEST_F(PlatformContract, SteadyClockMovesForwardBySleeps) {
  const std::int64_t before = p.clock->SteadyNowNs();
  p.clock->Sleep(20);
  const std::int64_t after = p.clock->SteadyNowNs();
  EXPECT_GE(after - before, 19'000'000);  // a little slack for the real timer's granularity
}

}  // namespace
}  // namespace contract
