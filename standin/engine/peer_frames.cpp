#include "standin/engine/peer_frames.h"

namespace standin {
namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

std::vector<uint8_t> Frame(FrameType type, const std::vector<uint8_t>& body) {
  std::vector<uint8_t> out;
  out.reserve(5 + body.size());
  PutU32(out, static_cast<uint32_t>(body.size() + 1));
  out.push_back(static_cast<uint8_t>(type));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

std::vector<uint8_t> TextFrame(FrameType type, const std::string& line) {
  return Frame(type, std::vector<uint8_t>(line.begin(), line.end()));
}

}  // namespace

uint32_t ReadU32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

std::optional<PeerFrame> ParsePeerFrame(const uint8_t* bytes, size_t length, std::string* error) {
  if (length == 0) {
    *error = "empty frame";
    return std::nullopt;
  }
  const uint8_t* body = bytes + 1;
  const size_t size = length - 1;
  PeerFrame frame;
  switch (bytes[0]) {
    case static_cast<uint8_t>(FrameType::Message): {
      if (size < 6) break;
      const size_t channelLength = static_cast<size_t>(body[4]) | static_cast<size_t>(body[5]) << 8;
      if (size - 6 < channelLength) break;
      frame.type = FrameType::Message;
      frame.id = ReadU32(body);
      frame.channel.assign(reinterpret_cast<const char*>(body + 6), channelLength);
      frame.payload.assign(body + 6 + channelLength, body + size);
      return frame;
    }
    case static_cast<uint8_t>(FrameType::Reply):
      if (size < 4) break;
      frame.type = FrameType::Reply;
      frame.id = ReadU32(body);
      frame.payload.assign(body + 4, body + size);
      return frame;
    case static_cast<uint8_t>(FrameType::Control):
      frame.type = FrameType::Control;
      frame.text.assign(reinterpret_cast<const char*>(body), size);
      return frame;
    default:
      *error = "unknown frame type " + std::to_string(bytes[0]);
      return std::nullopt;
  }
  *error = "frame of type " + std::to_string(bytes[0]) + " too short";
  return std::nullopt;
}

std::vector<uint8_t> EncodeMessageFrame(uint32_t id, const std::string& channel,
                                        const uint8_t* payload, size_t size) {
  std::vector<uint8_t> body;
  PutU32(body, id);
  body.push_back(static_cast<uint8_t>(channel.size()));
  body.push_back(static_cast<uint8_t>(channel.size() >> 8));
  body.insert(body.end(), channel.begin(), channel.end());
  if (size > 0) body.insert(body.end(), payload, payload + size);
  return Frame(FrameType::Message, body);
}

std::vector<uint8_t> EncodeReplyFrame(uint32_t id, const uint8_t* payload, size_t size) {
  std::vector<uint8_t> body;
  PutU32(body, id);
  if (size > 0) body.insert(body.end(), payload, payload + size);
  return Frame(FrameType::Reply, body);
}

std::vector<uint8_t> EncodeNoticeFrame(const std::string& line) {
  return TextFrame(FrameType::Notice, line);
}

std::vector<uint8_t> EncodeControlFrame(const std::string& line) {
  return TextFrame(FrameType::Control, line);
}

}  // namespace standin
