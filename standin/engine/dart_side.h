// DartSide: what plays the Dart half of the app for the stand-in engine — the built-in demo or
// a peer program over a socket.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace standin {

// Answers one message; an empty byte vector is the empty reply.
using ReplyFn = std::function<void(const std::vector<uint8_t>& reply)>;

class DartSide {
 public:
  virtual ~DartSide() = default;
  // The engine runs (view controller created); platform thread.
  virtual void Run() = 0;
  // A native message to Dart; `reply`, when set, must be called once on the platform thread.
  // Returns false when it can never be delivered.
  virtual bool Receive(const std::string& channel, const std::vector<uint8_t>& message,
                       ReplyFn reply) = 0;
  // A line about what the engine does.
  virtual void Notice(const std::string& line) = 0;
  // Stops all traffic and threads; nothing is delivered afterwards.
  virtual void Stop() = 0;
};

}  // namespace standin
