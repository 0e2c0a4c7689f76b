#include "standin/engine/standin_engine.h"

#include <set>

#include "standin/engine/demo_dart.h"
#include "standin/engine/peer_link.h"
#include "standin/engine/report.h"
#include "standin/engine/this_module.h"

namespace {

constexpr wchar_t kViewClass[] = L"MurmurlyStandinView";
constexpr size_t kShownEvents = 6;

// Registrars of the engines alive in this process: plugins may hand back any pointer.
std::mutex liveLock;
std::set<const FlutterDesktopPluginRegistrar*> liveRegistrars;
std::set<const FlutterDesktopEngine*> liveEngines;

std::string Narrow(const wchar_t* text) {
  if (text == nullptr || *text == 0) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.resize(static_cast<size_t>(size) - 1);
  return out;
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

std::string Environment(const char* name) {
  char value[256];
  const DWORD size = GetEnvironmentVariableA(name, value, sizeof value);
  return size > 0 && size < sizeof value ? std::string(value, size) : std::string();
}

LRESULT CALLBACK ViewProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* engine = reinterpret_cast<FlutterDesktopEngine*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_PAINT && engine != nullptr) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT area;
    GetClientRect(hwnd, &area);
    engine->Paint(dc, area);
    EndPaint(hwnd, &paint);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

std::unique_ptr<standin::DartSide> ChooseDartSide(FlutterDesktopEngine& engine) {
  const std::string peer = Environment("MURMURLY_DART_PEER");
  if (!peer.empty()) {
    if (std::optional<uint16_t> port = standin::LoopbackPort(peer)) {
      return std::make_unique<standin::PeerLink>(engine, *port);
    }
    standin::Report("MURMURLY_DART_PEER must be 127.0.0.1:PORT, not " + peer +
                    "; using the built-in demo");
  }
  return std::make_unique<standin::DemoDart>(engine);
}

}  // namespace

bool IsLiveRegistrar(const FlutterDesktopPluginRegistrar* registrar) {
  std::lock_guard<std::mutex> guard(liveLock);
  return liveRegistrars.count(registrar) > 0;
}

bool IsLiveEngine(const FlutterDesktopEngine* engine) {
  std::lock_guard<std::mutex> guard(liveLock);
  return liveEngines.count(engine) > 0;
}

FlutterDesktopEngine::FlutterDesktopEngine(const FlutterDesktopEngineProperties& properties)
    : messenger(new FlutterDesktopMessenger()) {
  for (int i = 0; i < properties.dart_entrypoint_argc; ++i) {
    const char* argument = properties.dart_entrypoint_argv[i];
    arguments.emplace_back(argument != nullptr ? argument : "");
  }
  status["assets"] = Narrow(properties.assets_path);
  messenger->engine = this;
  dart = ChooseDartSide(*this);
  {
    std::lock_guard<std::mutex> guard(liveLock);
    liveEngines.insert(this);
  }
  Notice("engine-created");
}

FlutterDesktopEngine::~FlutterDesktopEngine() {
  {
    std::lock_guard<std::mutex> guard(liveLock);
    liveEngines.erase(this);
  }
  {
    // No reply is taken from here on; those already sent go out before the shutdown notice.
    std::lock_guard<std::recursive_mutex> guard(messenger->lock);
    messenger->engine = nullptr;
  }
  DeliverReplies();
  Notice("shutdown");
  // A thread retrying a post would otherwise keep the Dart side from stopping.
  tasks.Close();
  dart->Stop();
  {
    std::lock_guard<std::mutex> guard(liveLock);
    for (const auto& entry : registrars) liveRegistrars.erase(entry.second.get());
  }
  if (view.window != nullptr) DestroyWindow(view.window);
  if (--messenger->references == 0) delete messenger;
}

void FlutterDesktopEngine::Notice(const std::string& line) {
  events.push_back(line);
  if (events.size() > kShownEvents) events.pop_front();
  if (dart) dart->Notice(line);
}

void FlutterDesktopEngine::ShowStatus(const std::string& key, const std::string& value) {
  status[key] = value;
  if (view.window != nullptr) InvalidateRect(view.window, nullptr, FALSE);
}

void FlutterDesktopEngine::SetCallback(const std::string& channel,
                                       FlutterDesktopMessageCallback callback, void* userData) {
  if (callback == nullptr) {
    callbacks.erase(channel);
    Notice("callback-cleared " + channel);
  } else {
    callbacks[channel] = {callback, userData};
    Notice("callback " + channel);
  }
}

void FlutterDesktopEngine::DeliverFromDart(const std::string& channel,
                                           const std::vector<uint8_t>& message,
                                           standin::ReplyFn reply) {
  auto found = callbacks.find(channel);
  if (found == callbacks.end()) {
    reply({});
    return;
  }
  ShowStatus("last call", channel);
  // Answered from any thread; the Dart side hears of it on the platform thread.
  auto* handle = new FlutterDesktopMessageResponseHandle{
      [this, reply = std::move(reply)](const std::vector<uint8_t>& bytes) {
        QueueReply(reply, bytes);
      }};
  FlutterDesktopMessage record{sizeof record, channel.c_str(),
                               message.empty() ? nullptr : message.data(), message.size(), handle};
  found->second.first(messenger, &record, found->second.second);
}

bool FlutterDesktopEngine::SendToDart(const std::string& channel, const uint8_t* message,
                                      size_t size, FlutterDesktopBinaryReply reply,
                                      void* userData) {
  std::vector<uint8_t> bytes(message, message + size);
  standin::ReplyFn onReply;
  if (reply != nullptr) {
    onReply = [reply, userData](const std::vector<uint8_t>& answer) {
      reply(answer.empty() ? nullptr : answer.data(), answer.size(), userData);
    };
  }
  return dart->Receive(channel, bytes, std::move(onReply));
}

void FlutterDesktopEngine::QueueReply(standin::ReplyFn reply, std::vector<uint8_t> bytes) {
  bool first = false;
  {
    std::lock_guard<std::mutex> guard(replyLock);
    first = replies.empty();
    replies.emplace_back(std::move(reply), std::move(bytes));
  }
  if (first) PostTask([this] { DeliverReplies(); });
}

void FlutterDesktopEngine::DeliverReplies() {
  std::deque<std::pair<standin::ReplyFn, std::vector<uint8_t>>> due;
  {
    std::lock_guard<std::mutex> guard(replyLock);
    due.swap(replies);
  }
  for (auto& [reply, bytes] : due) reply(bytes);
}

FlutterDesktopPluginRegistrar* FlutterDesktopEngine::Registrar(const std::string& name) {
  std::unique_ptr<FlutterDesktopPluginRegistrar>& registrar = registrars[name];
  if (!registrar) {
    registrar.reset(new FlutterDesktopPluginRegistrar{this, name});
    std::lock_guard<std::mutex> guard(liveLock);
    liveRegistrars.insert(registrar.get());
  }
  Notice("registrar " + name);
  return registrar.get();
}

void FlutterDesktopEngine::Run(int width, int height) {
  WNDCLASSW viewClass{};
  viewClass.lpfnWndProc = &ViewProc;
  viewClass.hInstance = standin::ThisModule();
  viewClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  viewClass.lpszClassName = kViewClass;
  RegisterClassW(&viewClass);  // Already registered by an earlier engine: fine.
  // Parked under the message-only window until the shell re-parents it.
  view.window =
      CreateWindowExW(0, kViewClass, L"murmurly stand-in view", WS_CHILD | WS_VISIBLE, 0, 0, width,
                      height, HWND_MESSAGE, nullptr, standin::ThisModule(), this);
  Notice("view-created " + std::to_string(width) + "x" + std::to_string(height));
  Notice("entrypoint-args " + std::to_string(arguments.size()));
  for (const std::string& argument : arguments) Notice("arg " + argument);
  // The Dart side starts from the message loop, after the shell has set up its channels.
  PostTask([this] {
    dart->Run();
    ProduceFrame();
  });
}

void FlutterDesktopEngine::ProduceFrame() {
  ++frames;
  status["frames"] = std::to_string(frames);
  if (view.window != nullptr) InvalidateRect(view.window, nullptr, FALSE);
  Notice("frame");
  if (nextFrame != nullptr) {
    VoidCallback callback = nextFrame;
    void* userData = nextFrameUserData;
    nextFrame = nullptr;
    nextFrameUserData = nullptr;
    // The shell shows its window from this callback; the peer hears of the callback first.
    const bool wasVisible = topLevelVisible;
    inNextFrameCallback = true;
    callback(userData);
    inNextFrameCallback = false;
    Notice("next-frame-callback");
    if (!wasVisible && topLevelVisible) Notice("top-level-visible");
  }
}

void FlutterDesktopEngine::CloseTopLevelWindow() {
  if (topLevel != nullptr) {
    PostMessageW(topLevel, WM_CLOSE, 0, 0);
  } else {
    closeWanted = true;
  }
}

void FlutterDesktopEngine::WatchTopLevel(HWND window, UINT message, WPARAM wparam) {
  if (topLevel == nullptr) {
    topLevel = window;
    if (closeWanted) PostMessageW(topLevel, WM_CLOSE, 0, 0);
  }
  if (message == WM_SHOWWINDOW && wparam != 0 && !topLevelVisible) {
    topLevelVisible = true;
    if (!inNextFrameCallback) Notice("top-level-visible");
  }
}

void FlutterDesktopEngine::Paint(HDC dc, const RECT& area) const {
  HBRUSH background = CreateSolidBrush(RGB(32, 36, 44));
  FillRect(dc, &area, background);
  DeleteObject(background);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(230, 230, 230));
  std::wstring text = L"murmurly stand-in engine\n\n";
  for (const auto& [key, value] : status) text += Wide(key) + L": " + Wide(value) + L"\n";
  text += L"\nlast events:\n";
  for (const std::string& event : events) text += L"  " + Wide(event) + L"\n";
  RECT inner = area;
  InflateRect(&inner, -16, -16);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &inner, DT_LEFT | DT_NOPREFIX);
}
