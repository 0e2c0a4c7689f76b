// UniqueHandle<Traits>: the single owner of one platform handle, released through the interface
// that created it.
//
// Traits supply the handle type, the interface that owns the release call, and the release:
//   struct BrushTraits { using Handle = HBRUSH; using Owner = platform::Gdi;
//                        static void release(Owner& gdi, Handle h) { gdi.DeleteObject(h); } };
// Move-only, so a handle can never be released twice; a null handle is never released.
#pragma once

#include <utility>

namespace platform {

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;
  using Owner = typename Traits::Owner;

  UniqueHandle() = default;
  UniqueHandle(Owner& owner, Handle handle) : owner_(&owner), handle_(handle) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept
      : owner_(other.owner_), handle_(std::exchange(other.handle_, Handle{})) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      reset();
      owner_ = other.owner_;
      handle_ = std::exchange(other.handle_, Handle{});
    }
    return *this;
  }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Handle{}; }

  // Gives up ownership without releasing, e.g. when the system takes the handle over.
  Handle release() { return std::exchange(handle_, Handle{}); }

  void reset() {
    if (handle_ != Handle{} && owner_ != nullptr) Traits::release(*owner_, handle_);
    handle_ = Handle{};
  }

 private:
  Owner* owner_ = nullptr;
  Handle handle_{};
};

}  // namespace platform
