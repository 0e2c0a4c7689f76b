#include "standin/engine/peer_link.h"

#include <ws2tcpip.h>

#include <algorithm>

#include "standin/engine/report.h"

namespace standin {
namespace {

constexpr long kConnectTimeoutSeconds = 5;
constexpr size_t kReadChunk = 64 * 1024;
// Read per wake-up before the link thread turns to sending, so neither direction starves.
constexpr size_t kReadBudget = 1024 * 1024;
// Small frames are sent together, up to this much per send.
constexpr size_t kSendBatch = 256 * 1024;
constexpr ULONGLONG kFlushMilliseconds = 1000;
constexpr size_t kMaxBusyDigits = 7;

// The number written in `digits` (decimal, at most `maxDigits` of them); nothing for other text.
std::optional<uint32_t> Decimal(const std::string& digits, size_t maxDigits) {
  if (digits.empty() || digits.size() > maxDigits) return std::nullopt;
  uint32_t value = 0;
  for (char digit : digits) {
    if (digit < '0' || digit > '9') return std::nullopt;
    value = value * 10 + static_cast<uint32_t>(digit - '0');
  }
  return value;
}

bool ConnectWithTimeout(SOCKET socket, uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  u_long nonBlocking = 1;
  ioctlsocket(socket, FIONBIO, &nonBlocking);
  if (connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 &&
      WSAGetLastError() != WSAEWOULDBLOCK) {
    return false;
  }
  fd_set writable, failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(socket, &writable);
  FD_SET(socket, &failed);
  timeval timeout{kConnectTimeoutSeconds, 0};
  if (select(0, nullptr, &writable, &failed, &timeout) != 1 || !FD_ISSET(socket, &writable)) {
    return false;
  }
  int error = 0;
  int size = sizeof error;
  getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size);
  return error == 0;
}

}  // namespace

std::optional<uint16_t> LoopbackPort(const std::string& address) {
  const std::string prefix = "127.0.0.1:";
  if (address.rfind(prefix, 0) != 0) return std::nullopt;
  const std::optional<uint32_t> port = Decimal(address.substr(prefix.size()), 5);
  if (!port || *port == 0 || *port > 65535) return std::nullopt;
  return static_cast<uint16_t>(*port);
}

PeerLink::PeerLink(EngineHost& host, uint16_t port)
    : host(host),
      socketEvent(MakeEvent(true)),
      wakeEvent(MakeEvent(false)),
      stopEvent(MakeEvent(true)) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  socket = OwnedSocket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  // The socket stays non-blocking: WSAEventSelect wants it so, and so do we.
  if (!socket || !ConnectWithTimeout(socket.get(), port) ||
      WSAEventSelect(socket.get(), socketEvent.get(), FD_READ | FD_WRITE | FD_CLOSE) != 0) {
    Report("cannot connect to the Dart peer at 127.0.0.1:" + std::to_string(port));
    socket.reset();
    Closed();
    return;
  }
  open = true;
  linkThread = std::thread([this] { Pump(); });
}

PeerLink::~PeerLink() {
  PeerLink::Stop();
  WSACleanup();
}

void PeerLink::Stop() {
  if (stopping.exchange(true)) return;
  if (linkThread.joinable()) {
    SetEvent(stopEvent.get());
    linkThread.join();
  }
  open = false;
  AnswerPendingReplies();
}

void PeerLink::Run() {
  running = true;
  std::vector<PeerFrame> early = std::move(waiting);
  waiting.clear();
  for (const PeerFrame& frame : early) Handle(frame);
}

bool PeerLink::Receive(const std::string& channel, const std::vector<uint8_t>& message,
                       ReplyFn reply) {
  if (!open) return false;
  uint32_t id = 0;
  if (reply) {
    id = nextId++;
    if (nextId == 0) nextId = 1;
    pendingReplies[id] = std::move(reply);
  }
  Write(EncodeMessageFrame(id, channel, message.data(), message.size()));
  return true;
}

void PeerLink::Notice(const std::string& line) { Write(EncodeNoticeFrame(line)); }

void PeerLink::Write(std::vector<uint8_t> frame) {
  bool wake = false;
  bool overflow = false;
  {
    std::lock_guard<std::mutex> guard(outLock);
    if (!open || overflowed) return;
    if (unsentBytes + frame.size() > kMaxUnsentBytes) {
      overflowed = overflow = wake = true;
      outgoing.clear();
    } else {
      // The link thread empties the queue before it sleeps, so only the first frame wakes it.
      wake = outgoing.empty();
      unsentBytes += frame.size();
      outgoing.push_back(std::move(frame));
    }
  }
  if (overflow) Report("the Dart peer is more than 64 MiB behind in reading; closing the link");
  if (wake) SetEvent(wakeEvent.get());
}

// Link thread.
void PeerLink::Pump() {
  const HANDLE events[] = {stopEvent.get(), socketEvent.get(), wakeEvent.get()};
  for (;;) {
    const DWORD which = WaitForMultipleObjects(3, events, FALSE, INFINITE);
    if (which == WAIT_OBJECT_0) {
      Flush();
      break;
    }
    if (which == WAIT_FAILED) break;
    WSANETWORKEVENTS happened;
    WSAEnumNetworkEvents(socket.get(), socketEvent.get(), &happened);
    if (!ReadAvailable() || !SendQueued() || Overflowed()) break;
  }
  socket.reset();
  open = false;
  if (!stopping) host.PostTask([this] { Closed(); });
}

// Takes what the peer has sent, up to the budget; false when the link must end.
bool PeerLink::ReadAvailable() {
  for (size_t taken = 0; taken < kReadBudget;) {
    const size_t start = inbox.size();
    inbox.resize(start + kReadChunk);
    const int got =
        recv(socket.get(), reinterpret_cast<char*>(inbox.data() + start), kReadChunk, 0);
    inbox.resize(start + static_cast<size_t>(std::max(got, 0)));
    if (got == 0) {
      if (!inbox.empty()) Report("Dart peer closed inside a frame");
      return false;
    }
    if (got < 0) return WSAGetLastError() == WSAEWOULDBLOCK;
    if (!TakeFrames()) return false;
    taken += static_cast<size_t>(got);
  }
  return true;  // More is waiting: recv() has recorded FD_READ again.
}

// Hands the complete frames at the front of the inbox to the platform thread. A frame's bytes
// are kept only as they arrive, so a lying length costs nothing it did not send.
bool PeerLink::TakeFrames() {
  size_t at = 0;
  while (inbox.size() - at >= 4) {
    const uint32_t length = ReadU32(inbox.data() + at);
    if (length == 0 || length > kMaxFrameLength) {
      Report("Dart peer sent a frame of length " + std::to_string(length) + "; closing the link");
      return false;
    }
    if (inbox.size() - at - 4 < length) break;
    std::string error;
    std::optional<PeerFrame> frame = ParsePeerFrame(inbox.data() + at + 4, length, &error);
    if (!frame) {
      Report("Dart peer protocol error (" + error + "); closing the link");
      return false;
    }
    host.PostTask([this, frame = std::move(*frame)] { Handle(frame); });
    at += 4 + length;
  }
  inbox.erase(inbox.begin(), inbox.begin() + static_cast<ptrdiff_t>(at));
  return true;
}

// Sends until the queue is empty or the socket takes no more (FD_WRITE then wakes the thread);
// false when the connection broke.
bool PeerLink::SendQueued() {
  for (;;) {
    if (sent == sending.size()) {
      sending.clear();
      sent = 0;
      std::lock_guard<std::mutex> guard(outLock);
      while (!outgoing.empty() && sending.size() < kSendBatch) {
        if (sending.empty()) {
          sending = std::move(outgoing.front());
        } else {
          sending.insert(sending.end(), outgoing.front().begin(), outgoing.front().end());
        }
        outgoing.pop_front();
      }
      if (sending.empty()) return true;
    }
    const size_t chunk = std::min(sending.size() - sent, kSendBatch);
    const int gone = send(socket.get(), reinterpret_cast<const char*>(sending.data() + sent),
                          static_cast<int>(chunk), 0);
    if (gone < 0) return WSAGetLastError() == WSAEWOULDBLOCK;
    sent += static_cast<size_t>(gone);
    std::lock_guard<std::mutex> guard(outLock);
    unsentBytes -= static_cast<size_t>(gone);
  }
}

// Stopping: what the engine said last still reaches a peer that reads, within a bound.
void PeerLink::Flush() {
  const ULONGLONG deadline = GetTickCount64() + kFlushMilliseconds;
  while (!Overflowed() && SendQueued()) {
    {
      std::lock_guard<std::mutex> guard(outLock);
      if (unsentBytes == 0) return;
    }
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline ||
        WaitForSingleObject(socketEvent.get(), static_cast<DWORD>(deadline - now)) !=
            WAIT_OBJECT_0) {
      return;
    }
    WSANETWORKEVENTS happened;
    WSAEnumNetworkEvents(socket.get(), socketEvent.get(), &happened);
  }
}

bool PeerLink::Overflowed() {
  std::lock_guard<std::mutex> guard(outLock);
  return overflowed;
}

// Platform thread.
void PeerLink::Handle(const PeerFrame& frame) {
  if (stopping) return;
  if (!running) {
    waiting.push_back(frame);
    return;
  }
  switch (frame.type) {
    case FrameType::Message: {
      ReplyFn reply;
      if (frame.id != 0) {
        reply = [this, id = frame.id](const std::vector<uint8_t>& bytes) {
          Write(EncodeReplyFrame(id, bytes.data(), bytes.size()));
        };
      } else {
        reply = [](const std::vector<uint8_t>&) {};
      }
      host.DeliverFromDart(frame.channel, frame.payload, std::move(reply));
      break;
    }
    case FrameType::Reply: {
      auto found = pendingReplies.find(frame.id);
      if (found == pendingReplies.end()) {
        Report("Dart peer replied to unknown id " + std::to_string(frame.id));
        break;
      }
      ReplyFn reply = std::move(found->second);
      pendingReplies.erase(found);
      reply(frame.payload);
      break;
    }
    case FrameType::Control:
      HandleControl(frame.text);
      break;
    case FrameType::Notice:
      break;  // Never produced by ParsePeerFrame.
  }
}

void PeerLink::HandleControl(const std::string& line) {
  std::optional<uint32_t> busy;
  if (line.rfind("busy ", 0) == 0) busy = Decimal(line.substr(5), kMaxBusyDigits);
  if (line == "close-window") {
    host.CloseTopLevelWindow();
  } else if (line == "frame") {
    host.ProduceFrame();
  } else if (line.rfind("ping ", 0) == 0) {
    Notice("pong " + line.substr(5));
  } else if (busy) {
    // Asleep rather than spinning: the thread's messages wait just as they would behind a slow
    // plugin, and the rest of the test keeps the core.
    Sleep(*busy);
    Notice("busy-done " + std::to_string(*busy));
  } else {
    Notice("unknown-control " + line);
  }
}

void PeerLink::Closed() {
  if (stopping) return;
  open = false;
  AnswerPendingReplies();
  host.CloseTopLevelWindow();
}

// The shell's reply records are freed by their answer, so none is left unanswered.
void PeerLink::AnswerPendingReplies() {
  std::map<uint32_t, ReplyFn> owed = std::move(pendingReplies);
  pendingReplies.clear();
  for (auto& entry : owed) entry.second({});
}

}  // namespace standin
