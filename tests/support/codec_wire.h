// Helpers for tests that compare the standard codec's bytes: building expected messages from
// bytes and texts, one-call encode/decode, and capturing the engine client layer's report lines
// on std::cerr.
#pragma once

#include <cstdint>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "engine_client/byte_streams.h"
#include "engine_client/encodable_value.h"
#include "engine_client/standard_codec_serializer.h"

namespace codec_wire {

inline void appendPart(std::vector<uint8_t>& out, int byte) {
  out.push_back(static_cast<uint8_t>(byte));
}
inline void appendPart(std::vector<uint8_t>& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

// wire(7, 1, "m", 0): bytes and the bytes of texts, in order.
template <typename... Parts>
std::vector<uint8_t> wire(const Parts&... parts) {
  std::vector<uint8_t> out;
  (appendPart(out, parts), ...);
  return out;
}

inline std::vector<uint8_t> encode(const EncodableValue& value) {
  std::vector<uint8_t> bytes;
  ByteBufferStreamWriter writer(&bytes);
  StandardCodecSerializer::GetInstance().WriteValue(value, &writer);
  return bytes;
}

inline EncodableValue decode(const std::vector<uint8_t>& bytes) {
  ByteBufferStreamReader reader(bytes.data(), bytes.size());
  return StandardCodecSerializer::GetInstance().ReadValue(&reader);
}

// Redirects std::cerr for its lifetime; lines() splits what was written.
class CerrCapture {
 public:
  CerrCapture() : previous_(std::cerr.rdbuf(captured_.rdbuf())) {}
  ~CerrCapture() { std::cerr.rdbuf(previous_); }
  CerrCapture(const CerrCapture&) = delete;
  CerrCapture& operator=(const CerrCapture&) = delete;

  std::string text() const { return captured_.str(); }
  std::vector<std::string> lines() const {
    std::vector<std::string> result;
    std::istringstream in(captured_.str());
    for (std::string line; std::getline(in, line);) {
      result.push_back(line);
    }
    return result;
  }

 private:
  std::ostringstream captured_;
  std::streambuf* previous_;
};

}  // namespace codec_wire
