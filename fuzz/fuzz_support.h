// Shared by the codec's libFuzzer targets: the report lines are counted instead of printed (they
// would dominate the run time), and a failed property aborts so libFuzzer keeps the input.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <streambuf>
#include <vector>

#include "engine_client/byte_streams.h"
#include "engine_client/standard_codec_serializer.h"

namespace fuzz {

// Swallows std::cerr and counts its lines.
class ReportCounter : public std::streambuf {
 public:
  static ReportCounter& install() {
    static ReportCounter counter;
    std::cerr.rdbuf(&counter);
    return counter;
  }
  unsigned long lines() const { return lines_; }

 protected:
  int_type overflow(int_type c) override {
    if (c == '\n') {
      ++lines_;
    }
    return traits_type::not_eof(c);
  }

 private:
  unsigned long lines_ = 0;
};

inline void require(bool holds, const char* property) {
  if (!holds) {
    std::fprintf(stderr, "property failed: %s\n", property);
    std::abort();
  }
}

inline std::vector<uint8_t> encodeValue(const EncodableValue& value) {
  std::vector<uint8_t> bytes;
  ByteBufferStreamWriter writer(&bytes);
  StandardCodecSerializer::GetInstance().WriteValue(value, &writer);
  return bytes;
}

}  // namespace fuzz
