// Shared by the stand-in engine's Wine tests: a plain top-level window to host the view, a
// message pump that waits for a condition, and a loopback listener playing the Dart peer.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace standin_test {

// Pumps this thread's messages until `done` or the (generous) timeout.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(2);
  }
  return true;
}

// A top-level window that counts the WM_CLOSE it receives instead of closing.
class HostWindow {
 public:
  HostWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &HostWindow::Proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"MurmurlyStandinTestHost";
    RegisterClassW(&windowClass);
    window = CreateWindowExW(0, windowClass.lpszClassName, L"host", WS_OVERLAPPEDWINDOW, 0, 0, 400,
                             300, nullptr, nullptr, windowClass.hInstance, nullptr);
    closes = 0;
  }
  ~HostWindow() { DestroyWindow(window); }
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  HWND window;
  static inline int closes = 0;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_CLOSE) {
      ++closes;
      return 0;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
};

struct EngineFrame {
  uint8_t type;
  std::vector<uint8_t> body;
  std::string text() const { return std::string(body.begin(), body.end()); }
};

// Listens on 127.0.0.1 at a free port and points MURMURLY_DART_PEER at it.
class FakePeer {
 public:
  FakePeer() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener, 4);
    int size = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
    port = ntohs(address.sin_port);
    SetEnvironmentVariableA("MURMURLY_DART_PEER", ("127.0.0.1:" + std::to_string(port)).c_str());
  }
  ~FakePeer() {
    SetEnvironmentVariableA("MURMURLY_DART_PEER", nullptr);
    if (connection != INVALID_SOCKET) closesocket(connection);
    closesocket(listener);
    WSACleanup();
  }
  FakePeer(const FakePeer&) = delete;
  FakePeer& operator=(const FakePeer&) = delete;

  // After FlutterDesktopEngineCreate has connected.
  bool Accept() {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(listener, &readable);
    timeval timeout{5, 0};
    if (select(0, &readable, nullptr, nullptr, &timeout) != 1) return false;
    connection = accept(listener, nullptr, nullptr);
    u_long nonBlocking = 1;
    ioctlsocket(connection, FIONBIO, &nonBlocking);
    return connection != INVALID_SOCKET;
  }

  void Send(const std::vector<uint8_t>& bytes) {
    send(connection, reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()),
         0);
  }

  // Reads what has arrived into `frames`; false once the engine has closed the connection.
  bool Poll() {
    char chunk[65536];
    for (;;) {
      const int got = recv(connection, chunk, sizeof chunk, 0);
      if (got <= 0) {
        closed = closed || got == 0;
        break;
      }
      buffer.insert(buffer.end(), chunk, chunk + got);
    }
    while (buffer.size() >= 4) {
      const uint32_t length = static_cast<uint32_t>(buffer[0]) | buffer[1] << 8 | buffer[2] << 16 |
                              static_cast<uint32_t>(buffer[3]) << 24;
      if (buffer.size() < 4 + length) break;
      frames.push_back(
          {buffer[4], std::vector<uint8_t>(buffer.begin() + 5, buffer.begin() + 4 + length)});
      buffer.erase(buffer.begin(), buffer.begin() + 4 + length);
    }
    return !closed;
  }

  // Pumps messages and reads until a NOTICE equal to `line` has arrived.
  bool WaitForNotice(const std::string& line, int timeoutMs = 10000) {
    return PumpUntil(
        [&] {
          Poll();
          return HasNotice(line);
        },
        timeoutMs);
  }
  bool HasNotice(const std::string& line) const {
    for (const EngineFrame& frame : frames) {
      if (frame.type == 3 && frame.text() == line) return true;
    }
    return false;
  }
  std::vector<std::string> Notices() const {
    std::vector<std::string> lines;
    for (const EngineFrame& frame : frames) {
      if (frame.type == 3) lines.push_back(frame.text());
    }
    return lines;
  }

  SOCKET listener = INVALID_SOCKET;
  SOCKET connection = INVALID_SOCKET;
  uint16_t port = 0;
  bool closed = false;
  std::vector<uint8_t> buffer;
  std::vector<EngineFrame> frames;
};

}  // namespace standin_test
