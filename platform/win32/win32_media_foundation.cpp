#include <windows.h>
// The Media Foundation headers need <windows.h> first.
#include <mfapi.h>
#include <mfidl.h>
#include <objbase.h>

#include "platform/media_foundation.h"
#include "platform/win32/win32_platform.h"

namespace platform {
namespace {

// The four functions, looked up when the first microphone check runs rather than imported: the
// two libraries and what they pull in (work queues, the property system, OLE automation) are
// loaded at every start otherwise, before the first frame, which never needs them. A system
// without Media Foundation (Windows N editions) also still starts; every call then fails, which
// the check reports like any other Media Foundation failure. The libraries stay loaded for the
// life of the process, as imports would.
struct MediaFoundationLibrary {
  decltype(&::MFStartup) startup = nullptr;
  decltype(&::MFShutdown) shutdown = nullptr;
  decltype(&::MFCreateAttributes) createAttributes = nullptr;
  decltype(&::MFEnumDeviceSources) enumDeviceSources = nullptr;

  bool complete() const { return startup && shutdown && createAttributes && enumDeviceSources; }
};

template <typename Function>
void Find(HMODULE library, const char* name, Function& into) {
  if (library != nullptr) {
    into = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
  }
}

const MediaFoundationLibrary& Library() {
  static const MediaFoundationLibrary library = [] {
    MediaFoundationLibrary found;
    HMODULE platform = ::LoadLibraryW(L"mfplat.dll");
    HMODULE devices = ::LoadLibraryW(L"mf.dll");
    Find(platform, "MFStartup", found.startup);
    Find(platform, "MFShutdown", found.shutdown);
    Find(platform, "MFCreateAttributes", found.createAttributes);
    Find(devices, "MFEnumDeviceSources", found.enumDeviceSources);
    return found;
  }();
  return library;
}

// Each adapter owns one COM reference and deletes itself on Release, like the object it wraps.
class RealAttributes final : public MFAttributes {
 public:
  explicit RealAttributes(IMFAttributes* attributes) : attributes_(attributes) {}
  RealAttributes(const RealAttributes&) = delete;
  RealAttributes& operator=(const RealAttributes&) = delete;

  IMFAttributes* get() const { return attributes_; }

  HRESULT SetGUID(const GUID& key, const GUID& value) override {
    return attributes_->SetGUID(key, value);
  }
  ULONG Release() override {
    const ULONG remaining = attributes_->Release();
    delete this;
    return remaining;
  }

 private:
  ~RealAttributes() = default;
  IMFAttributes* attributes_;
};

class RealActivate final : public MFActivate {
 public:
  explicit RealActivate(IMFActivate* activate) : activate_(activate) {}
  RealActivate(const RealActivate&) = delete;
  RealActivate& operator=(const RealActivate&) = delete;

  ULONG Release() override {
    const ULONG remaining = activate_->Release();
    delete this;
    return remaining;
  }

 private:
  ~RealActivate() = default;
  IMFActivate* activate_;
};

class RealMediaFoundation final : public MediaFoundation {
 public:
  // Without the whole library nothing starts, so the check never reaches the other three.
  HRESULT MFStartup(ULONG version, DWORD flags) override {
    const MediaFoundationLibrary& library = Library();
    return library.complete() ? library.startup(version, flags) : E_NOTIMPL;
  }
  HRESULT MFShutdown() override { return Library().shutdown(); }

  HRESULT MFCreateAttributes(MFAttributes** attributes, std::uint32_t initialSize) override {
    *attributes = nullptr;
    IMFAttributes* created = nullptr;
    const HRESULT hr = Library().createAttributes(&created, initialSize);
    if (SUCCEEDED(hr)) {
      *attributes = new RealAttributes(created);
    }
    return hr;
  }

  // The system's array holds COM pointers; the caller gets an array of adapters of the same length
  // instead, also from the COM allocator so that CoTaskMemFree releases it.
  HRESULT MFEnumDeviceSources(MFAttributes* attributes, MFActivate*** sources,
                              std::uint32_t* count) override {
    *sources = nullptr;
    *count = 0;
    IMFActivate** raw = nullptr;
    UINT32 rawCount = 0;
    const HRESULT hr = Library().enumDeviceSources(static_cast<RealAttributes*>(attributes)->get(),
                                                   &raw, &rawCount);
    if (FAILED(hr)) {
      return hr;
    }
    if (rawCount > 0) {
      auto* wrapped = static_cast<MFActivate**>(::CoTaskMemAlloc(sizeof(MFActivate*) * rawCount));
      if (wrapped == nullptr) {
        for (UINT32 i = 0; i < rawCount; ++i) {
          raw[i]->Release();
        }
        ::CoTaskMemFree(raw);
        return E_OUTOFMEMORY;
      }
      for (UINT32 i = 0; i < rawCount; ++i) {
        wrapped[i] = new RealActivate(raw[i]);
      }
      *sources = wrapped;
      *count = rawCount;
    }
    ::CoTaskMemFree(raw);
    return hr;
  }

  void CoTaskMemFree(void* memory) override { ::CoTaskMemFree(memory); }
};

}  // namespace

MediaFoundation& Win32MediaFoundation() {
  static auto* mediaFoundation = new RealMediaFoundation;  // never destroyed: see win32_platform.h
  return *mediaFoundation;
}

}  // namespace platform
