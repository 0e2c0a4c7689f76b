// FakeMediaFoundation: a scripted Media Foundation. Every call's HRESULT can be set, the device
// count chosen, and every start-up, shut-down, release and free is counted so tests can check that
// nothing leaks on any branch.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/media_foundation.h"

namespace fake {

inline constexpr HRESULT kFakeFailure = static_cast<HRESULT>(0x80004005);  // E_FAIL

class FakeMediaFoundation final : public platform::MediaFoundation {
 public:
  FakeMediaFoundation();
  ~FakeMediaFoundation() override;
  FakeMediaFoundation(const FakeMediaFoundation&) = delete;
  FakeMediaFoundation& operator=(const FakeMediaFoundation&) = delete;

  HRESULT MFStartup(ULONG version, DWORD flags) override;
  HRESULT MFShutdown() override;
  HRESULT MFCreateAttributes(platform::MFAttributes** attributes,
                             std::uint32_t initialSize) override;
  HRESULT MFEnumDeviceSources(platform::MFAttributes* attributes, platform::MFActivate*** sources,
                              std::uint32_t* count) override;
  void CoTaskMemFree(void* memory) override;

  // Script.
  HRESULT startupResult = 0;
  HRESULT createAttributesResult = 0;
  HRESULT setGuidResult = 0;
  HRESULT enumResult = 0;
  std::uint32_t deviceCount = 0;

  // Observations.
  int startups = 0;
  int shutdowns = 0;
  ULONG startupVersion = 0;
  DWORD startupFlags = 0xFFFFFFFF;
  std::uint32_t attributesInitialSize = 0;
  std::vector<GUID> setGuidKeys;
  std::vector<GUID> setGuidValues;
  int attributesCreated = 0;
  int attributesReleased = 0;
  bool enumeratedWithReleasedStore = false;
  // Index of each released activation object, in release order.
  std::vector<std::uint32_t> activationsReleased;
  int activationsCreated = 0;
  int arraysAllocated = 0;
  int arraysFreed = 0;
  int liveActivations() const;

 private:
  class Attributes;
  class Activate;
  Attributes* attributes_ = nullptr;
  bool attributesLive_ = false;
};

}  // namespace fake
