// PeerLink: the Dart side played by a program at the other end of a loopback TCP connection.
//
// A reader thread takes frames off the socket and hands each to the platform thread, in order;
// writes come from any thread under one lock. A protocol error or the peer's close ends the link
// and asks the engine to close its window; nothing is sent or delivered after that.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "standin/engine/dart_side.h"
#include "standin/engine/engine_host.h"
#include "standin/engine/peer_frames.h"

namespace standin {

// The port of a "127.0.0.1:PORT" address; nothing for any other text.
std::optional<uint16_t> LoopbackPort(const std::string& address);

class PeerLink : public DartSide {
 public:
  // Connects (at most 5 s); on failure the link starts closed.
  PeerLink(EngineHost& host, uint16_t port);
  ~PeerLink() override;
  PeerLink(const PeerLink&) = delete;
  PeerLink& operator=(const PeerLink&) = delete;

  void Run() override;
  bool Receive(const std::string& channel, const std::vector<uint8_t>& message,
               ReplyFn reply) override;
  void Notice(const std::string& line) override;
  void Stop() override;

 private:
  void ReadFrames();
  bool ReadExact(uint8_t* into, size_t size);
  void Write(const std::vector<uint8_t>& frame);
  void Handle(const PeerFrame& frame);
  void HandleControl(const std::string& line);
  void Closed();

  EngineHost& host;
  SOCKET socket = INVALID_SOCKET;
  std::mutex writeLock;
  std::atomic<bool> open{false};
  std::atomic<bool> stopping{false};
  std::thread reader;
  // Platform thread only.
  bool running = false;
  std::vector<PeerFrame> waiting;  // arrived before the engine ran
  uint32_t nextId = 1;
  std::map<uint32_t, ReplyFn> pendingReplies;
};

}  // namespace standin
