// StandardCodecSerializer: one EncodableValue to the standard message codec's bytes and back.
// Stateless and shared (GetInstance). Nested values always go through the virtual operations, so a
// derived serializer may add types. Decoding always yields a value: malformed input is reported on
// standard error, one line per problem, and reading goes on.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine_client/byte_streams.h"
#include "engine_client/encodable_value.h"

class StandardCodecSerializer {
 public:
  virtual ~StandardCodecSerializer();
  StandardCodecSerializer(const StandardCodecSerializer&) = delete;
  StandardCodecSerializer& operator=(const StandardCodecSerializer&) = delete;

  // The process-wide instance, created on first use.
  static const StandardCodecSerializer& GetInstance();

  // Appends the value's encoding. An OpaqueValue is written as null, with a report.
  virtual void WriteValue(const EncodableValue& value, ByteStreamWriter* stream) const;

  // The next value: its type byte, then its payload.
  EncodableValue ReadValue(ByteStreamReader* stream) const;

  // The value whose type byte has already been consumed. Unknown types read as null and leave the
  // stream just behind the type byte.
  virtual EncodableValue ReadValueOfType(uint8_t type, ByteStreamReader* stream) const;

  // The size field: one byte below 254, else 254 and 16 bits, else 255 and 32 bits. A long form
  // is read whether or not it was needed.
  size_t ReadSize(ByteStreamReader* stream) const;
  void WriteSize(size_t size, ByteStreamWriter* stream) const;

 protected:
  StandardCodecSerializer();
};
