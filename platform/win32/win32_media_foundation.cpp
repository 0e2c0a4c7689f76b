#include <windows.h>
// The Media Foundation headers need <windows.h> first.
#include <mfapi.h>
#include <mfidl.h>
#include <objbase.h>

#include "platform/media_foundation.h"
#include "platform/win32/win32_platform.h"

namespace platform {
namespace {

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
  HRESULT MFStartup(ULONG version, DWORD flags) override { return ::MFStartup(version, flags); }
  HRESULT MFShutdown() override { return ::MFShutdown(); }

  HRESULT MFCreateAttributes(MFAttributes** attributes, std::uint32_t initialSize) override {
    *attributes = nullptr;
    IMFAttributes* created = nullptr;
    const HRESULT hr = ::MFCreateAttributes(&created, initialSize);
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
    const HRESULT hr =
        ::MFEnumDeviceSources(static_cast<RealAttributes*>(attributes)->get(), &raw, &rawCount);
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
  static RealMediaFoundation mediaFoundation;
  return mediaFoundation;
}

}  // namespace platform
