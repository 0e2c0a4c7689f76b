// Byte streams under the standard codec: an abstract reader and writer, and their buffer-backed
// forms. A reader never runs past its end: a short read reports one line on standard error and
// yields zeros, so decoding always finishes with a value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

inline constexpr std::string_view kInvalidReadReport =
    "Invalid read in StandardCodecByteStreamReader";

// Writes kInvalidReadReport as one line on standard error.
void ReportInvalidRead();

class ByteStreamReader {
 public:
  virtual ~ByteStreamReader() = default;
  virtual uint8_t ReadByte() = 0;
  virtual void ReadBytes(uint8_t* destination, size_t length) = 0;
  virtual void ReadAlignment(uint8_t alignment) = 0;

  // Bytes left before the end of the message, so a decoder can refuse a size field that the rest
  // of the message cannot satisfy before it allocates for it.
  virtual uint64_t BytesRemaining() const = 0;
  // Gives up on the rest of the message: the position moves to the end, and later reads yield
  // zeros without reporting again (the caller has already reported why).
  virtual void SkipToEnd() = 0;

  // A failed read leaves these at 0.
  int32_t ReadInt32();
  int64_t ReadInt64();
  double ReadDouble();
};

class ByteStreamWriter {
 public:
  virtual ~ByteStreamWriter() = default;
  virtual void WriteByte(uint8_t byte) = 0;
  virtual void WriteBytes(const uint8_t* source, size_t length) = 0;
  virtual void WriteAlignment(uint8_t alignment) = 0;

  // The value's in-memory (little-endian) form.
  void WriteInt32(int32_t value);
  void WriteInt64(int64_t value);
  void WriteDouble(double value);
};

// Reads one message from memory it does not own; lives on the stack of the decoding call.
class ByteBufferStreamReader final : public ByteStreamReader {
 public:
  ByteBufferStreamReader(const uint8_t* bytes, size_t size);

  uint8_t ReadByte() override;
  void ReadBytes(uint8_t* destination, size_t length) override;
  // Alignment is measured from the first byte of the message; it never reports, even past the end.
  void ReadAlignment(uint8_t alignment) override;
  uint64_t BytesRemaining() const override;
  void SkipToEnd() override;

 private:
  void reportUnlessAbandoned();

  const uint8_t* bytes_;
  uint64_t size_;
  uint64_t position_ = 0;
  bool abandoned_ = false;
};

// Appends to a vector the caller owns.
class ByteBufferStreamWriter final : public ByteStreamWriter {
 public:
  explicit ByteBufferStreamWriter(std::vector<uint8_t>* buffer);

  void WriteByte(uint8_t byte) override;
  void WriteBytes(const uint8_t* source, size_t length) override;
  // Pads with zero bytes until the buffer's length is a multiple of the alignment.
  void WriteAlignment(uint8_t alignment) override;

 private:
  std::vector<uint8_t>* buffer_;
};
