#include "permissions/microphone_status.h"

#include <cstdint>

#include "platform/debug_output.h"
#include "platform/media_foundation.h"

std::string QueryMicrophoneStatus(platform::Platform& platform) {
  platform::MediaFoundation& mf = *platform.mediaFoundation;

  if (FAILED(mf.MFStartup(platform::kMfVersion, platform::kMfStartupFull))) {
    platform.debug->OutputDebugStringA("[Permissions] MFStartup failed\n");
    return "notDetermined";
  }

  platform::MFAttributes* attributes = nullptr;
  if (FAILED(mf.MFCreateAttributes(&attributes, 1))) {
    mf.MFShutdown();
    return "notDetermined";
  }
  if (FAILED(attributes->SetGUID(platform::MF_DEVSOURCE_ATTRIBUTE_SOURCE_TYPE,
                                 platform::MF_DEVSOURCE_ATTRIBUTE_SOURCE_TYPE_AUDCAP_GUID))) {
    attributes->Release();
    mf.MFShutdown();
    return "notDetermined";
  }

  platform::MFActivate** devices = nullptr;
  std::uint32_t count = 0;
  const HRESULT enumerated = mf.MFEnumDeviceSources(attributes, &devices, &count);
  attributes->Release();
  if (FAILED(enumerated)) {
    mf.MFShutdown();
    return "denied";
  }

  for (std::uint32_t i = 0; i < count; ++i) {
    devices[i]->Release();
  }
  if (devices != nullptr) {
    mf.CoTaskMemFree(devices);
  }
  mf.MFShutdown();
  return count > 0 ? "authorized" : "denied";
}
