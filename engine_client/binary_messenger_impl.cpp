#include "engine_client/binary_messenger_impl.h"

#include <iostream>
#include <memory>
#include <utility>

namespace {

// The engine's answer slot for one incoming message, shared by every copy of its reply callable:
// the engine frees the response handle once it is answered, so a second answer through another
// copy must find it cleared. The handle is read and cleared only under the messenger's lock.
struct PendingResponse {
  // Keeps the messenger alive, so a late reply finds it unavailable rather than freed.
  std::shared_ptr<FlutterDesktopMessenger> messenger;
  const FlutterDesktopMessageResponseHandle* handle;
};

// The engine calls this per message with the address of the stored handler as user data.
void ForwardMessageToHandler(FlutterDesktopMessengerRef messenger,
                             const FlutterDesktopMessage* message, void* userData) {
  auto pending = std::make_shared<PendingResponse>(PendingResponse{
      std::shared_ptr<FlutterDesktopMessenger>(FlutterDesktopMessengerAddRef(messenger),
                                               &FlutterDesktopMessengerRelease),
      message->response_handle});
  BinaryReplyFn reply = [pending](const uint8_t* bytes, size_t size) {
    FlutterDesktopMessenger* handle = pending->messenger.get();
    FlutterDesktopMessengerRef locked = FlutterDesktopMessengerLock(handle);
    struct Unlock {
      FlutterDesktopMessengerRef locked;
      ~Unlock() {
        if (locked != nullptr) FlutterDesktopMessengerUnlock(locked);
      }
    } unlock{locked};
    if (!FlutterDesktopMessengerIsAvailable(handle)) return;
    if (pending->handle == nullptr) {
      std::cerr << "Error: Response can be set only once. Ignoring duplicate response."
                << std::endl;
      return;
    }
    FlutterDesktopMessengerSendResponse(handle, pending->handle, bytes, size);
    pending->handle = nullptr;
  };
  const auto& handler = *static_cast<BinaryMessageHandlerFn*>(userData);
  handler(message->message, message->message_size, std::move(reply));
}

// One pending reply of SendWithReply; the engine hands it back exactly once.
void OnReply(const uint8_t* bytes, size_t size, void* userData) {
  std::unique_ptr<BinaryReplyFn> reply(static_cast<BinaryReplyFn*>(userData));
  (*reply)(bytes, size);
}

}  // namespace

BinaryMessengerImpl::BinaryMessengerImpl(FlutterDesktopMessengerRef messenger)
    : messenger(messenger) {}

// Handlers stay registered: by now the engine is gone and will not call them again.
BinaryMessengerImpl::~BinaryMessengerImpl() = default;

void BinaryMessengerImpl::Send(const std::string& channel, const uint8_t* message,
                               size_t messageSize, BinaryReplyFn reply) {
  if (!reply) {
    FlutterDesktopMessengerSend(messenger, channel.c_str(), message, messageSize);
    return;
  }
  auto record = std::make_unique<BinaryReplyFn>(std::move(reply));
  if (FlutterDesktopMessengerSendWithReply(messenger, channel.c_str(), message, messageSize,
                                           &OnReply, record.get())) {
    record.release();  // Now the engine's, returned through OnReply.
  }
}

void BinaryMessengerImpl::SetMessageHandler(const std::string& channel,
                                            BinaryMessageHandlerFn handler) {
  if (!handler) {
    handlers.erase(channel);
    FlutterDesktopMessengerSetCallback(messenger, channel.c_str(), nullptr, nullptr);
    return;
  }
  BinaryMessageHandlerFn& stored = handlers[channel];
  stored = std::move(handler);
  FlutterDesktopMessengerSetCallback(messenger, channel.c_str(), &ForwardMessageToHandler, &stored);
}
