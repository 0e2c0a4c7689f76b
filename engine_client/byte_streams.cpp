#include "engine_client/byte_streams.h"

#include <cstring>
#include <iostream>

void ReportInvalidRead() { std::cerr << kInvalidReadReport << std::endl; }

int32_t ByteStreamReader::ReadInt32() {
  int32_t value = 0;
  ReadBytes(reinterpret_cast<uint8_t*>(&value), sizeof value);
  return value;
}

int64_t ByteStreamReader::ReadInt64() {
  int64_t value = 0;
  ReadBytes(reinterpret_cast<uint8_t*>(&value), sizeof value);
  return value;
}

double ByteStreamReader::ReadDouble() {
  double value = 0;
  ReadBytes(reinterpret_cast<uint8_t*>(&value), sizeof value);
  return value;
}

void ByteStreamWriter::WriteInt32(int32_t value) {
  WriteBytes(reinterpret_cast<const uint8_t*>(&value), sizeof value);
}

void ByteStreamWriter::WriteInt64(int64_t value) {
  WriteBytes(reinterpret_cast<const uint8_t*>(&value), sizeof value);
}

void ByteStreamWriter::WriteDouble(double value) {
  WriteBytes(reinterpret_cast<const uint8_t*>(&value), sizeof value);
}

ByteBufferStreamReader::ByteBufferStreamReader(const uint8_t* bytes, size_t size)
    : bytes_(bytes), size_(size) {}

uint8_t ByteBufferStreamReader::ReadByte() {
  if (position_ >= size_) {
    reportUnlessAbandoned();
    return 0;
  }
  return bytes_[position_++];
}

void ByteBufferStreamReader::ReadBytes(uint8_t* destination, size_t length) {
  // Alignment may have left the position past the end; compare without overflowing.
  if (length > BytesRemaining()) {
    reportUnlessAbandoned();
    return;
  }
  if (length != 0) {
    std::memcpy(destination, bytes_ + position_, length);
  }
  position_ += length;
}

void ByteBufferStreamReader::ReadAlignment(uint8_t alignment) {
  if (alignment == 0) {
    return;
  }
  const uint64_t misalignment = position_ % alignment;
  if (misalignment != 0) {
    position_ += alignment - misalignment;
  }
}

uint64_t ByteBufferStreamReader::BytesRemaining() const {
  return position_ < size_ ? size_ - position_ : 0;
}

void ByteBufferStreamReader::SkipToEnd() {
  position_ = size_;
  abandoned_ = true;
}

void ByteBufferStreamReader::reportUnlessAbandoned() {
  if (!abandoned_) {
    ReportInvalidRead();
  }
}

ByteBufferStreamWriter::ByteBufferStreamWriter(std::vector<uint8_t>* buffer) : buffer_(buffer) {}

void ByteBufferStreamWriter::WriteByte(uint8_t byte) { buffer_->push_back(byte); }

void ByteBufferStreamWriter::WriteBytes(const uint8_t* source, size_t length) {
  buffer_->insert(buffer_->end(), source, source + length);
}

void ByteBufferStreamWriter::WriteAlignment(uint8_t alignment) {
  if (alignment == 0) {
    return;
  }
  const size_t misalignment = buffer_->size() % alignment;
  if (misalignment != 0) {
    buffer_->insert(buffer_->end(), alignment - misalignment, 0);
  }
}
