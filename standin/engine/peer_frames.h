// The frames of the Dart-peer link: a u32 little-endian length (type byte included, at most
// 64 MiB), a type byte, then the body. Portable so the decoder can be driven byte by byte from
// tests; the socket lives in peer_link.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace standin {

constexpr uint32_t kMaxFrameLength = 64u * 1024 * 1024;

enum class FrameType : uint8_t { Message = 1, Reply = 2, Notice = 3, Control = 4 };

struct PeerFrame {
  FrameType type = FrameType::Message;
  uint32_t id = 0;
  std::string channel;           // Message
  std::vector<uint8_t> payload;  // Message, Reply
  std::string text;              // Notice, Control
};

// Reads one frame from the peer out of its `length` bytes (type byte first). Anything the peer
// may not send, or a body too short for its type, yields nothing and a one-line `error`.
std::optional<PeerFrame> ParsePeerFrame(const uint8_t* bytes, size_t length, std::string* error);

std::vector<uint8_t> EncodeMessageFrame(uint32_t id, const std::string& channel,
                                        const uint8_t* payload, size_t size);
std::vector<uint8_t> EncodeReplyFrame(uint32_t id, const uint8_t* payload, size_t size);
std::vector<uint8_t> EncodeNoticeFrame(const std::string& line);
std::vector<uint8_t> EncodeControlFrame(const std::string& line);

// The u32 at `bytes`, little-endian.
uint32_t ReadU32(const uint8_t* bytes);

}  // namespace standin
