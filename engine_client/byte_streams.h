// Byte streams under the standard codec: an abstract reader and writer, and their buffer-backed
// forms. A reader never runs past its end: a short read reports one line on standard error and
// yields zeros, so decoding always finishes with a value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

inline constexpr std::string_view kInvalidReadReport =
    "Invalid read in StandardCodecByteStreamReader";

// Writes kInvalidReadReport as one line on standard error.
void ReportInvalidRead();

// Bytes from `offset` up to the next multiple of `alignment` (every alignment the codec uses is a
// power of two, which needs no division).
constexpr uint64_t AlignmentPadding(uint64_t offset, uint8_t alignment) {
  if (alignment == 0) {
    return 0;
  }
  const uint64_t misalignment =
      (alignment & (alignment - 1)) == 0 ? offset & (alignment - 1u) : offset % alignment;
  return misalignment == 0 ? 0 : alignment - misalignment;
}

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

// The buffer streams are final and defined here so that the serializer's fast path, which
// knows their exact type, gets every call inlined.

// Reads one message from memory it does not own; lives on the stack of the decoding call.
class ByteBufferStreamReader final : public ByteStreamReader {
 public:
  ByteBufferStreamReader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

  uint8_t ReadByte() override {
    if (position_ >= size_) {
      reportUnlessAbandoned();
      return 0;
    }
    return bytes_[position_++];
  }

  void ReadBytes(uint8_t* destination, size_t length) override {
    const uint8_t* source = Consume(length);
    if (source != nullptr && length != 0) {
      std::memcpy(destination, source, length);
    }
  }

  // The next `length` bytes where they lie, so a decoder can copy them once into their final
  // place; null, reported as an invalid read, when the message is shorter.
  const uint8_t* Consume(size_t length) {
    // Alignment may have left the position past the end; BytesRemaining cannot overflow.
    if (length > BytesRemaining()) {
      reportUnlessAbandoned();
      return nullptr;
    }
    const uint8_t* at = bytes_ + position_;
    position_ += length;
    return at;
  }

  // Alignment is measured from the first byte of the message; it never reports, even past the end.
  void ReadAlignment(uint8_t alignment) override {
    position_ += AlignmentPadding(position_, alignment);
  }

  uint64_t BytesRemaining() const override { return position_ < size_ ? size_ - position_ : 0; }

  void SkipToEnd() override {
    position_ = size_;
    abandoned_ = true;
  }

 private:
  void reportUnlessAbandoned() const {
    if (!abandoned_) {
      ReportInvalidRead();
    }
  }

  const uint8_t* bytes_;
  uint64_t size_;
  uint64_t position_ = 0;
  bool abandoned_ = false;
};

// Appends to a vector the caller owns.
class ByteBufferStreamWriter final : public ByteStreamWriter {
 public:
  explicit ByteBufferStreamWriter(std::vector<uint8_t>* buffer) : buffer_(buffer) {}

  // The vector written to, for the serializer's bulk appends.
  std::vector<uint8_t>* Buffer() const { return buffer_; }

  void WriteByte(uint8_t byte) override { buffer_->push_back(byte); }

  void WriteBytes(const uint8_t* source, size_t length) override {
    buffer_->insert(buffer_->end(), source, source + length);
  }

  // Pads with zero bytes until the buffer's length is a multiple of the alignment.
  void WriteAlignment(uint8_t alignment) override {
    buffer_->resize(buffer_->size() + AlignmentPadding(buffer_->size(), alignment));
  }

 private:
  std::vector<uint8_t>* buffer_;
};
