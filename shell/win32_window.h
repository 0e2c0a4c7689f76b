// Win32Window: the top-level window base class.
//
// Owns one native window of the class "FLUTTER_RUNNER_WIN32_WINDOW", created hidden at a
// logical origin and size scaled to the DPI of the monitor it opens on. Messages go to the
// virtual HandleMessage; one child window (the content) fills the client area and takes the
// focus; the title bar follows the user's light/dark preference. FlutterWindow is its only
// subclass. Main thread only.
#pragma once

#include <windows.h>

class Win32Window {
 public:
  struct Origin {
    int x;
    int y;
  };
  struct Size {
    int width;
    int height;
  };

  static constexpr const wchar_t* kClassName = L"FLUTTER_RUNNER_WIN32_WINDOW";

  Win32Window();
  virtual ~Win32Window();
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  // Makes the native window (hidden) and returns what OnCreated returns.
  bool Create(const wchar_t* title, Origin origin, Size size);
  bool Show();
  void Destroy();
  void SetContent(HWND content);
  RECT ClientArea();
  void SetQuitWhenClosed(bool quitWhenClosed);
  HWND GetHandle() const { return windowHandle; }

  // Objects alive now (not native windows); the class is unregistered when it reaches 0.
  static int LiveWindowCount();

 protected:
  virtual LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  virtual bool OnCreated();
  virtual void OnDestroyed();

  static void ApplyTheme(HWND window);

 private:
  static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  bool quitWhenClosed = false;
  HWND windowHandle = nullptr;
  HWND childContent = nullptr;
};
