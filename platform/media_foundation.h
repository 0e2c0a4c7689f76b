// Media Foundation, as far as the microphone check needs it: start-up and shut-down, an attribute
// store that selects audio capture devices, and the enumeration of device sources.
//
// The interface mirrors the COM calls one for one (same names, HRESULT results, out-pointers,
// Release), so the portable check reads like the Win32 code it replaces. Objects handed out are
// owned by the caller until it calls Release; the array from MFEnumDeviceSources is freed with
// CoTaskMemFree.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace platform {

// MF_VERSION and MFSTARTUP_FULL are macros in <mfapi.h>, hence the different spelling here.
inline constexpr ULONG kMfVersion = 0x00020070;
inline constexpr DWORD kMfStartupFull = 0;

inline constexpr GUID MF_DEVSOURCE_ATTRIBUTE_SOURCE_TYPE = {
    0xC60AC5FE, 0x252A, 0x478F, {0xA0, 0xEF, 0xBC, 0x8F, 0xA5, 0xF7, 0xCA, 0xD3}};
inline constexpr GUID MF_DEVSOURCE_ATTRIBUTE_SOURCE_TYPE_AUDCAP_GUID = {
    0x14DD9A1C, 0x7CFF, 0x41BE, {0xB1, 0xB9, 0xBA, 0x1A, 0xC6, 0xEC, 0xB5, 0x71}};

// The attribute store (IMFAttributes), reduced to what the check uses.
class MFAttributes {
 public:
  virtual HRESULT SetGUID(const GUID& key, const GUID& value) = 0;
  virtual ULONG Release() = 0;

 protected:
  ~MFAttributes() = default;
};

// A device activation object (IMFActivate); the check only counts and releases them.
class MFActivate {
 public:
  virtual ULONG Release() = 0;

 protected:
  ~MFActivate() = default;
};

class MediaFoundation {
 public:
  virtual ~MediaFoundation() = default;
  virtual HRESULT MFStartup(ULONG version, DWORD flags) = 0;
  virtual HRESULT MFShutdown() = 0;
  virtual HRESULT MFCreateAttributes(MFAttributes** attributes, std::uint32_t initialSize) = 0;
  virtual HRESULT MFEnumDeviceSources(MFAttributes* attributes, MFActivate*** sources,
                                      std::uint32_t* count) = 0;
  virtual void CoTaskMemFree(void* memory) = 0;
};

}  // namespace platform
