#include "engine_client/standard_codec_serializer.h"

#include <cstring>
#include <iostream>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>

namespace {

// The wire tags of the standard message codec.
enum : uint8_t {
  kNull = 0,
  kTrue = 1,
  kFalse = 2,
  kInt32 = 3,
  kInt64 = 4,
  kLargeInt = 5,  // never written; read as a string
  kFloat64 = 6,
  kString = 7,
  kUInt8List = 8,
  kInt32List = 9,
  kInt64List = 10,
  kFloat64List = 11,
  kList = 12,
  kMap = 13,
  kFloat32List = 14,
};

template <typename T>
constexpr uint8_t kTypedListTag = 0;
template <>
constexpr uint8_t kTypedListTag<uint8_t> = kUInt8List;
template <>
constexpr uint8_t kTypedListTag<int32_t> = kInt32List;
template <>
constexpr uint8_t kTypedListTag<int64_t> = kInt64List;
template <>
constexpr uint8_t kTypedListTag<double> = kFloat64List;
template <>
constexpr uint8_t kTypedListTag<float> = kFloat32List;

// Lists and maps nest by recursion; a hostile message must not be able to exhaust the stack.
constexpr unsigned kMaxNesting = 256;
thread_local unsigned nestingDepth = 0;

class NestingLevel {
 public:
  NestingLevel() { ++nestingDepth; }
  ~NestingLevel() { --nestingDepth; }
  NestingLevel(const NestingLevel&) = delete;
  NestingLevel& operator=(const NestingLevel&) = delete;
  bool tooDeep() const { return nestingDepth > kMaxNesting; }
};

template <typename T, typename Stream>
T readNumber(Stream* stream) {
  T value{};
  stream->ReadBytes(reinterpret_cast<uint8_t*>(&value), sizeof value);
  return value;
}

template <typename Stream>
size_t readSize(Stream* stream) {
  const uint8_t first = stream->ReadByte();
  if (first < 254) {
    return first;
  }
  return first == 254 ? readNumber<uint16_t>(stream) : readNumber<uint32_t>(stream);
}

// Encodes the size field into `out` (at most 5 bytes) and returns its length.
size_t encodeSize(size_t size, uint8_t* out) {
  if (size < 254) {
    out[0] = static_cast<uint8_t>(size);
    return 1;
  }
  if (size <= 0xFFFF) {
    out[0] = 254;
    const uint16_t value = static_cast<uint16_t>(size);
    std::memcpy(out + 1, &value, sizeof value);
    return 1 + sizeof value;
  }
  out[0] = 255;
  const uint32_t value = static_cast<uint32_t>(size);
  std::memcpy(out + 1, &value, sizeof value);
  return 1 + sizeof value;
}

// The type byte and the size field go out in one write.
template <typename Stream>
void writeTypeAndSize(uint8_t type, size_t size, Stream* stream) {
  uint8_t header[6] = {type};
  stream->WriteBytes(header, 1 + encodeSize(size, header + 1));
}

// A size field that the rest of the message cannot hold: nothing is allocated for it and the
// rest of the message is dropped, so a few bytes cannot ask for gigabytes.
bool refuseOversize(size_t count, size_t elementSize, ByteStreamReader* stream) {
  if (count <= stream->BytesRemaining() / elementSize) {
    return false;
  }
  ReportInvalidRead();
  stream->SkipToEnd();
  return true;
}

// The encoder and decoder, written once over the stream type. Over the base stream types every
// nested value goes through the serializer's virtual operations, so a derived serializer sees
// them; over the buffer streams, used only with the standard serializer itself, the same code
// recurses directly and every stream call is inlined.
template <typename Stream>
class ValueReader {
  static constexpr bool kDirect = std::is_same_v<Stream, ByteBufferStreamReader>;

 public:
  ValueReader(const StandardCodecSerializer& serializer, Stream* stream)
      : serializer_(serializer), stream_(stream) {}

  EncodableValue readValueOfType(uint8_t type) {
    switch (type) {
      case kNull:
        return EncodableValue();
      case kTrue:
        return EncodableValue(true);
      case kFalse:
        return EncodableValue(false);
      case kInt32:
        return EncodableValue(readNumber<int32_t>(stream_));
      case kInt64:
        return EncodableValue(readNumber<int64_t>(stream_));
      case kFloat64:
        stream_->ReadAlignment(8);
        return EncodableValue(readNumber<double>(stream_));
      case kLargeInt:
      case kString:
        return readString();
      case kUInt8List:
        return readTypedList<uint8_t>();
      case kInt32List:
        return readTypedList<int32_t>();
      case kInt64List:
        return readTypedList<int64_t>();
      case kFloat64List:
        return readTypedList<double>();
      case kFloat32List:
        return readTypedList<float>();
      case kList:
      case kMap: {
        const NestingLevel level;
        if (level.tooDeep()) {
          std::cerr << "Nesting deeper than " << kMaxNesting
                    << " in StandardCodecSerializer::ReadValueOfType" << std::endl;
          stream_->SkipToEnd();
          return EncodableValue();
        }
        return type == kList ? readList() : readMap();
      }
      default:
        std::cerr << "Unknown type in StandardCodecSerializer::ReadValueOfType: "
                  << static_cast<int>(type) << std::endl;
        return EncodableValue();
    }
  }

 private:
  EncodableValue readValue() {
    if constexpr (kDirect) {
      return readValueOfType(stream_->ReadByte());
    } else {
      return serializer_.ReadValue(stream_);
    }
  }

  EncodableValue readString() {
    const size_t size = readSize(stream_);
    if (refuseOversize(size, 1, stream_)) {
      return std::string();
    }
    std::string text(size, '\0');
    stream_->ReadBytes(reinterpret_cast<uint8_t*>(text.data()), size);
    return text;
  }

  template <typename T>
  EncodableValue readTypedList() {
    const size_t count = readSize(stream_);
    if constexpr (sizeof(T) > 1) {
      stream_->ReadAlignment(sizeof(T));
    }
    if (refuseOversize(count, sizeof(T), stream_)) {
      return std::vector<T>();
    }
    std::vector<T> list(count);
    stream_->ReadBytes(reinterpret_cast<uint8_t*>(list.data()), count * sizeof(T));
    return list;
  }

  EncodableValue readList() {
    const size_t count = readSize(stream_);
    // Every element takes at least its type byte.
    if (refuseOversize(count, 1, stream_)) {
      return EncodableValueList();
    }
    EncodableValueList list;
    list.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      list.push_back(readValue());
    }
    return list;
  }

  EncodableValue readMap() {
    const size_t count = readSize(stream_);
    if (refuseOversize(count, 2, stream_)) {
      return EncodableValueMap();
    }
    EncodableValueMap map;
    for (size_t i = 0; i < count; ++i) {
      EncodableValue key = readValue();
      EncodableValue value = readValue();
      // The first occurrence of a key wins. Keys written by this codec arrive in ascending
      // order, so the end is the right hint.
      map.emplace_hint(map.end(), std::move(key), std::move(value));
    }
    return map;
  }

  const StandardCodecSerializer& serializer_;
  Stream* stream_;
};

template <typename Stream>
class ValueWriter {
  static constexpr bool kDirect = std::is_same_v<Stream, ByteBufferStreamWriter>;

 public:
  ValueWriter(const StandardCodecSerializer& serializer, Stream* stream)
      : serializer_(serializer), stream_(stream) {}

  void writeValue(const EncodableValue& value) {
    const EncodableValueVariant& variant = value;
    std::visit([&](const auto& payload) { writePayload(payload); }, variant);
  }

 private:
  void writeNested(const EncodableValue& value) {
    if constexpr (kDirect) {
      writeValue(value);
    } else {
      serializer_.WriteValue(value, stream_);
    }
  }

  void writePayload(const std::monostate&) { stream_->WriteByte(kNull); }
  void writePayload(bool payload) { stream_->WriteByte(payload ? kTrue : kFalse); }

  template <typename T>
  void writeTaggedNumber(uint8_t type, T number) {
    uint8_t bytes[1 + sizeof(T)] = {type};
    std::memcpy(bytes + 1, &number, sizeof number);
    stream_->WriteBytes(bytes, sizeof bytes);
  }
  void writePayload(int32_t payload) { writeTaggedNumber(kInt32, payload); }
  void writePayload(int64_t payload) { writeTaggedNumber(kInt64, payload); }

  void writePayload(double payload) {
    stream_->WriteByte(kFloat64);
    stream_->WriteAlignment(8);
    stream_->WriteBytes(reinterpret_cast<const uint8_t*>(&payload), sizeof payload);
  }

  void writePayload(const std::string& payload) {
    writeTypeAndSize(kString, payload.size(), stream_);
    if (!payload.empty()) {
      stream_->WriteBytes(reinterpret_cast<const uint8_t*>(payload.data()), payload.size());
    }
  }

  template <typename T>
  void writePayload(const std::vector<T>& payload) {
    writeTypeAndSize(kTypedListTag<T>, payload.size(), stream_);
    if constexpr (sizeof(T) > 1) {
      stream_->WriteAlignment(sizeof(T));
    }
    if (!payload.empty()) {
      stream_->WriteBytes(reinterpret_cast<const uint8_t*>(payload.data()),
                          payload.size() * sizeof(T));
    }
  }

  void writePayload(const EncodableValueList& payload) {
    writeTypeAndSize(kList, payload.size(), stream_);
    for (const EncodableValue& element : payload) {
      writeNested(element);
    }
  }

  void writePayload(const EncodableValueMap& payload) {
    writeTypeAndSize(kMap, payload.size(), stream_);
    for (const auto& [key, element] : payload) {
      writeNested(key);
      writeNested(element);
    }
  }

  void writePayload(const OpaqueValue&) {
    stream_->WriteByte(kNull);
    std::cerr << "Unhandled custom type in StandardCodecSerializer::WriteValue. "
              << "Custom types require codec extensions." << std::endl;
  }

  const StandardCodecSerializer& serializer_;
  Stream* stream_;
};

}  // namespace

StandardCodecSerializer::StandardCodecSerializer() = default;
StandardCodecSerializer::~StandardCodecSerializer() = default;

const StandardCodecSerializer& StandardCodecSerializer::GetInstance() {
  static const StandardCodecSerializer instance;
  return instance;
}

void StandardCodecSerializer::WriteValue(const EncodableValue& value,
                                         ByteStreamWriter* stream) const {
  if (typeid(*this) == typeid(StandardCodecSerializer)) {
    if (auto* buffer = dynamic_cast<ByteBufferStreamWriter*>(stream)) {
      ValueWriter<ByteBufferStreamWriter>(*this, buffer).writeValue(value);
      return;
    }
  }
  ValueWriter<ByteStreamWriter>(*this, stream).writeValue(value);
}

EncodableValue StandardCodecSerializer::ReadValue(ByteStreamReader* stream) const {
  return ReadValueOfType(stream->ReadByte(), stream);
}

EncodableValue StandardCodecSerializer::ReadValueOfType(uint8_t type,
                                                        ByteStreamReader* stream) const {
  if (typeid(*this) == typeid(StandardCodecSerializer)) {
    if (auto* buffer = dynamic_cast<ByteBufferStreamReader*>(stream)) {
      return ValueReader<ByteBufferStreamReader>(*this, buffer).readValueOfType(type);
    }
  }
  return ValueReader<ByteStreamReader>(*this, stream).readValueOfType(type);
}

size_t StandardCodecSerializer::ReadSize(ByteStreamReader* stream) const {
  return readSize(stream);
}

void StandardCodecSerializer::WriteSize(size_t size, ByteStreamWriter* stream) const {
  uint8_t field[5];
  stream->WriteBytes(field, encodeSize(size, field));
}
