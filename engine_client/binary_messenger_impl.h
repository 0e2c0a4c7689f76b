// BinaryMessengerImpl: the BinaryMessenger over the engine's messenger handle.
//
// Owned by FlutterEngine. The engine keeps a raw pointer to each stored handler, so the map's
// nodes must stay put while registered (std::map never moves them).
#pragma once

#include <map>
#include <string>

#include "engine_client/binary_messenger.h"
#include "engine_client/engine_library.h"

class BinaryMessengerImpl : public BinaryMessenger {
 public:
  explicit BinaryMessengerImpl(FlutterDesktopMessengerRef messenger);
  ~BinaryMessengerImpl() override;

  BinaryMessengerImpl(const BinaryMessengerImpl&) = delete;
  BinaryMessengerImpl& operator=(const BinaryMessengerImpl&) = delete;

  void Send(const std::string& channel, const uint8_t* message, size_t messageSize,
            BinaryReplyFn reply) override;
  void SetMessageHandler(const std::string& channel, BinaryMessageHandlerFn handler) override;

 private:
  FlutterDesktopMessengerRef messenger;
  std::map<std::string, BinaryMessageHandlerFn> handlers;
};
