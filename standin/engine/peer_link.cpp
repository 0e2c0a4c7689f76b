#include "standin/engine/peer_link.h"

#include <ws2tcpip.h>

#include <cstdio>
#include <cstdlib>

#include "standin/engine/shell_requests.h"

namespace standin {
namespace {

constexpr long kConnectTimeoutSeconds = 5;
constexpr size_t kReadChunk = 64 * 1024;
constexpr long kStopCheckMicroseconds = 50 * 1000;

void Report(const std::string& line) {
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
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
  u_long blocking = 0;
  ioctlsocket(socket, FIONBIO, &blocking);
  return error == 0;
}

}  // namespace

std::optional<uint16_t> LoopbackPort(const std::string& address) {
  const std::string prefix = "127.0.0.1:";
  if (address.rfind(prefix, 0) != 0) return std::nullopt;
  const std::string digits = address.substr(prefix.size());
  if (digits.empty() || digits.size() > 5) return std::nullopt;
  unsigned port = 0;
  for (char digit : digits) {
    if (digit < '0' || digit > '9') return std::nullopt;
    port = port * 10 + static_cast<unsigned>(digit - '0');
  }
  if (port == 0 || port > 65535) return std::nullopt;
  return static_cast<uint16_t>(port);
}

PeerLink::PeerLink(EngineHost& host, uint16_t port) : host(host) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (socket == INVALID_SOCKET || !ConnectWithTimeout(socket, port)) {
    Report("murmurly stand-in engine: cannot connect to the Dart peer at 127.0.0.1:" +
           std::to_string(port));
    Closed();
    return;
  }
  open = true;
  reader = std::thread([this] { ReadFrames(); });
}

PeerLink::~PeerLink() {
  Stop();
  WSACleanup();
}

void PeerLink::Stop() {
  stopping = true;
  open = false;
  {
    std::lock_guard<std::mutex> guard(writeLock);
    if (socket != INVALID_SOCKET) shutdown(socket, SD_BOTH);
  }
  if (reader.joinable()) reader.join();
  std::lock_guard<std::mutex> guard(writeLock);
  if (socket != INVALID_SOCKET) closesocket(socket);
  socket = INVALID_SOCKET;
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

void PeerLink::Notice(const std::string& line) {
  if (open) Write(EncodeNoticeFrame(line));
}

void PeerLink::Write(const std::vector<uint8_t>& frame) {
  std::lock_guard<std::mutex> guard(writeLock);
  const char* next = reinterpret_cast<const char*>(frame.data());
  size_t left = frame.size();
  while (left > 0 && socket != INVALID_SOCKET) {
    const int sent = send(socket, next, static_cast<int>(left), 0);
    if (sent <= 0) return;  // The reader sees the broken connection and closes the link.
    next += sent;
    left -= static_cast<size_t>(sent);
  }
}

bool PeerLink::ReadExact(uint8_t* into, size_t size) {
  while (size > 0) {
    // Wine's shutdown() does not wake a blocked recv(), so the reader looks up regularly.
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    timeval wait{0, kStopCheckMicroseconds};
    const int ready = select(0, &readable, nullptr, nullptr, &wait);
    if (stopping || ready < 0) return false;
    if (ready == 0) continue;
    const int got = recv(socket, reinterpret_cast<char*>(into), static_cast<int>(size), 0);
    if (got <= 0) return false;
    into += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

// Reader thread.
void PeerLink::ReadFrames() {
  std::vector<uint8_t> body;
  for (;;) {
    uint8_t header[4];
    if (!ReadExact(header, sizeof header)) break;
    const uint32_t length = ReadU32(header);
    if (length == 0 || length > kMaxFrameLength) {
      Report("murmurly stand-in engine: Dart peer sent a frame of length " +
             std::to_string(length) + "; closing the link");
      break;
    }
    // Grown as bytes arrive, so a lying length costs nothing it did not send.
    body.clear();
    bool complete = true;
    while (body.size() < length) {
      const size_t start = body.size();
      const size_t chunk = std::min<size_t>(kReadChunk, length - start);
      body.resize(start + chunk);
      if (!ReadExact(body.data() + start, chunk)) {
        complete = false;
        break;
      }
    }
    if (!complete) {
      if (!stopping) Report("murmurly stand-in engine: Dart peer closed inside a frame");
      break;
    }
    std::string error;
    std::optional<PeerFrame> frame = ParsePeerFrame(body.data(), body.size(), &error);
    if (!frame) {
      Report("murmurly stand-in engine: Dart peer protocol error (" + error +
             "); closing the link");
      break;
    }
    host.PostTask([this, frame = std::move(*frame)] { Handle(frame); });
  }
  open = false;
  if (!stopping) host.PostTask([this] { Closed(); });
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
          if (open) Write(EncodeReplyFrame(id, bytes.data(), bytes.size()));
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
        Report("murmurly stand-in engine: Dart peer replied to unknown id " +
               std::to_string(frame.id));
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
  if (line == "close-window") {
    host.CloseTopLevelWindow();
  } else if (line == "frame") {
    host.ProduceFrame();
  } else if (line == "drop-hook") {
    Notice(DropShellKeyboardHook() ? "hook-dropped" : "unknown-control " + line);
  } else if (line.rfind("busy ", 0) == 0) {
    // A slow plugin: the platform thread does nothing else for that long; later frames wait.
    ::Sleep(static_cast<DWORD>(std::strtoul(line.c_str() + 5, nullptr, 10)));
  } else if (line.rfind("ping ", 0) == 0) {
    Notice("pong " + line.substr(5));
  } else {
    Notice("unknown-control " + line);
  }
}

void PeerLink::Closed() {
  if (stopping) return;
  open = false;
  pendingReplies.clear();
  host.CloseTopLevelWindow();
}

}  // namespace standin
