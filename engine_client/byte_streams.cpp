#include "engine_client/byte_streams.h"

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
