// The single owners of the peer link's kernel objects: an event and a socket, each closed once
// by whoever holds it. Move-only.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <memory>
#include <utility>

namespace standin {

struct EventCloser {
  void operator()(HANDLE event) const { CloseHandle(event); }
};
using OwnedEvent = std::unique_ptr<void, EventCloser>;

// An unsignalled event; `manualReset` keeps it signalled until reset.
inline OwnedEvent MakeEvent(bool manualReset) {
  return OwnedEvent(CreateEventW(nullptr, manualReset, FALSE, nullptr));
}

class OwnedSocket {
 public:
  OwnedSocket() = default;
  explicit OwnedSocket(SOCKET socket) : socket(socket) {}
  ~OwnedSocket() { reset(); }
  OwnedSocket(OwnedSocket&& other) noexcept : socket(std::exchange(other.socket, INVALID_SOCKET)) {}
  OwnedSocket& operator=(OwnedSocket&& other) noexcept {
    if (this != &other) {
      reset();
      socket = std::exchange(other.socket, INVALID_SOCKET);
    }
    return *this;
  }
  OwnedSocket(const OwnedSocket&) = delete;
  OwnedSocket& operator=(const OwnedSocket&) = delete;

  SOCKET get() const { return socket; }
  explicit operator bool() const { return socket != INVALID_SOCKET; }
  void reset() {
    if (socket != INVALID_SOCKET) closesocket(socket);
    socket = INVALID_SOCKET;
  }

 private:
  SOCKET socket = INVALID_SOCKET;
};

}  // namespace standin
