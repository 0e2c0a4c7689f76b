#include "tests/support/fake_media_foundation.h"

#include <cstdlib>

namespace fake {

class FakeMediaFoundation::Attributes final : public platform::MFAttributes {
 public:
  explicit Attributes(FakeMediaFoundation& owner) : owner_(owner) {}
  HRESULT SetGUID(const GUID& key, const GUID& value) override {
    owner_.setGuidKeys.push_back(key);
    owner_.setGuidValues.push_back(value);
    return owner_.setGuidResult;
  }
  ULONG Release() override {
    ++owner_.attributesReleased;
    owner_.attributesLive_ = false;
    return 0;
  }

 private:
  FakeMediaFoundation& owner_;
};

class FakeMediaFoundation::Activate final : public platform::MFActivate {
 public:
  Activate(FakeMediaFoundation& owner, std::uint32_t index) : owner_(owner), index_(index) {}
  ULONG Release() override {
    owner_.activationsReleased.push_back(index_);
    delete this;
    return 0;
  }

 private:
  ~Activate() = default;
  FakeMediaFoundation& owner_;
  std::uint32_t index_;
};

FakeMediaFoundation::FakeMediaFoundation() : attributes_(new Attributes(*this)) {}

FakeMediaFoundation::~FakeMediaFoundation() { delete attributes_; }

HRESULT FakeMediaFoundation::MFStartup(ULONG version, DWORD flags) {
  ++startups;
  startupVersion = version;
  startupFlags = flags;
  return startupResult;
}

HRESULT FakeMediaFoundation::MFShutdown() {
  ++shutdowns;
  return 0;
}

HRESULT FakeMediaFoundation::MFCreateAttributes(platform::MFAttributes** attributes,
                                                std::uint32_t initialSize) {
  attributesInitialSize = initialSize;
  if (FAILED(createAttributesResult)) {
    *attributes = nullptr;
    return createAttributesResult;
  }
  ++attributesCreated;
  attributesLive_ = true;
  *attributes = attributes_;
  return 0;
}

HRESULT FakeMediaFoundation::MFEnumDeviceSources(platform::MFAttributes* attributes,
                                                 platform::MFActivate*** sources,
                                                 std::uint32_t* count) {
  if (attributes != attributes_ || !attributesLive_) {
    enumeratedWithReleasedStore = true;
  }
  if (FAILED(enumResult)) {
    return enumResult;
  }
  *count = deviceCount;
  if (deviceCount == 0) {
    *sources = nullptr;
    return enumResult;
  }
  // malloc, like the COM allocator: the array must come back through CoTaskMemFree.
  auto* array =
      static_cast<platform::MFActivate**>(std::malloc(sizeof(platform::MFActivate*) * deviceCount));
  for (std::uint32_t i = 0; i < deviceCount; ++i) {
    array[i] = new Activate(*this, i);
    ++activationsCreated;
  }
  ++arraysAllocated;
  *sources = array;
  return enumResult;
}

void FakeMediaFoundation::CoTaskMemFree(void* memory) {
  if (memory != nullptr) {
    ++arraysFreed;
  }
  std::free(memory);
}

int FakeMediaFoundation::liveActivations() const {
  return activationsCreated - static_cast<int>(activationsReleased.size());
}

}  // namespace fake
