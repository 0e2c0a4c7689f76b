// PeerLink: the Dart side played by a program at the other end of a loopback TCP connection.
//
// One link thread owns the socket. It sleeps in WaitForMultipleObjects on the socket's network
// events (WSAEventSelect), a wake-up event and a stop event, so an idle link costs no wake-ups.
// It cuts what arrives into frames and hands each to the platform thread, in order, and sends
// the outgoing queue as fast as the peer takes it. Writers (usually the platform thread) only
// append to that queue: no thread but the link thread ever waits on the socket. A peer that falls
// more than 64 MiB behind is disconnected with one line on stderr. That, a protocol error or the
// peer's close ends the link: every pending reply is answered with the empty reply, the engine
// closes its window, and nothing is sent or delivered after that. At shutdown the link thread
// still sends what is queued (the "shutdown" notice) for at most a second.
//
// CONTROL lines the peer may send:
//   close-window   WM_CLOSE to the top-level window holding the view
//   frame          produce a frame now
//   ping <text>    answered with NOTICE "pong <text>" once every earlier frame has been handled
//   busy <ms>      the platform thread runs a task that keeps it busy for <ms> milliseconds, as a
//                  slow plugin would, then sends NOTICE "busy-done <ms>"
// Anything else is answered with NOTICE "unknown-control <line>".
#pragma once

#include <winsock2.h>

#include <atomic>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "standin/engine/dart_side.h"
#include "standin/engine/engine_host.h"
#include "standin/engine/owned_handles.h"
#include "standin/engine/peer_frames.h"

namespace standin {

// The port of a "127.0.0.1:PORT" address; nothing for any other text.
std::optional<uint16_t> LoopbackPort(const std::string& address);

// How far the peer may fall behind in reading before it is disconnected.
constexpr size_t kMaxUnsentBytes = 64u * 1024 * 1024;

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
  // Link thread.
  void Pump();
  bool ReadAvailable();
  bool TakeFrames();
  bool SendQueued();
  void Flush();
  bool Overflowed();
  // Any thread.
  void Write(std::vector<uint8_t> frame);
  // Platform thread.
  void Handle(const PeerFrame& frame);
  void HandleControl(const std::string& line);
  void Closed();
  void AnswerPendingReplies();

  EngineHost& host;
  OwnedSocket socket;  // used by the link thread alone once it runs
  OwnedEvent socketEvent;
  OwnedEvent wakeEvent;
  OwnedEvent stopEvent;
  std::atomic<bool> open{false};
  std::atomic<bool> stopping{false};
  std::mutex outLock;  // guards the three below
  std::deque<std::vector<uint8_t>> outgoing;
  size_t unsentBytes = 0;  // queued or taken by the link thread but not yet accepted by the socket
  bool overflowed = false;
  std::thread linkThread;
  // Link thread only.
  std::vector<uint8_t> inbox;    // received bytes not yet cut into frames
  std::vector<uint8_t> sending;  // taken off `outgoing`; `sent` bytes of it are gone
  size_t sent = 0;
  // Platform thread only.
  bool running = false;
  std::vector<PeerFrame> waiting;  // arrived before the engine ran
  uint32_t nextId = 1;
  std::map<uint32_t, ReplyFn> pendingReplies;
};

}  // namespace standin
