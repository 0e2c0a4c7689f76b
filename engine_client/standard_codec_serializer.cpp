#include "engine_client/standard_codec_serializer.h"

#include <iostream>
#include <string>
#include <type_traits>
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

// A size field that the rest of the message cannot hold: nothing is allocated for it and the
// rest of the message is dropped, so a few bytes cannot ask for gigabytes.
void rejectOversize(ByteStreamReader* stream) {
  ReportInvalidRead();
  stream->SkipToEnd();
}

bool fits(size_t count, size_t elementSize, const ByteStreamReader* stream) {
  return count <= stream->BytesRemaining() / elementSize;
}

EncodableValue readString(size_t size, ByteStreamReader* stream) {
  if (!fits(size, 1, stream)) {
    rejectOversize(stream);
    return std::string();
  }
  std::string text(size, '\0');
  stream->ReadBytes(reinterpret_cast<uint8_t*>(text.data()), size);
  return text;
}

template <typename T>
EncodableValue readTypedList(size_t count, ByteStreamReader* stream) {
  if constexpr (sizeof(T) > 1) {
    stream->ReadAlignment(sizeof(T));
  }
  if (!fits(count, sizeof(T), stream)) {
    rejectOversize(stream);
    return std::vector<T>();
  }
  std::vector<T> list(count);
  stream->ReadBytes(reinterpret_cast<uint8_t*>(list.data()), count * sizeof(T));
  return list;
}

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

template <typename T>
void writeTypedList(const std::vector<T>& list, ByteStreamWriter* stream) {
  if constexpr (sizeof(T) > 1) {
    stream->WriteAlignment(sizeof(T));
  }
  if (!list.empty()) {
    stream->WriteBytes(reinterpret_cast<const uint8_t*>(list.data()), list.size() * sizeof(T));
  }
}

}  // namespace

StandardCodecSerializer::StandardCodecSerializer() = default;
StandardCodecSerializer::~StandardCodecSerializer() = default;

const StandardCodecSerializer& StandardCodecSerializer::GetInstance() {
  static const StandardCodecSerializer instance;
  return instance;
}

void StandardCodecSerializer::WriteValue(const EncodableValue& value,
                                         ByteStreamWriter* stream) const {
  const EncodableValueVariant& variant = value;
  std::visit(
      [this, stream](const auto& payload) {
        using T = std::decay_t<decltype(payload)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          stream->WriteByte(kNull);
        } else if constexpr (std::is_same_v<T, bool>) {
          stream->WriteByte(payload ? kTrue : kFalse);
        } else if constexpr (std::is_same_v<T, int32_t>) {
          stream->WriteByte(kInt32);
          stream->WriteInt32(payload);
        } else if constexpr (std::is_same_v<T, int64_t>) {
          stream->WriteByte(kInt64);
          stream->WriteInt64(payload);
        } else if constexpr (std::is_same_v<T, double>) {
          stream->WriteByte(kFloat64);
          stream->WriteAlignment(8);
          stream->WriteDouble(payload);
        } else if constexpr (std::is_same_v<T, std::string>) {
          stream->WriteByte(kString);
          WriteSize(payload.size(), stream);
          if (!payload.empty()) {
            stream->WriteBytes(reinterpret_cast<const uint8_t*>(payload.data()), payload.size());
          }
        } else if constexpr (std::is_same_v<T, EncodableValueList>) {
          stream->WriteByte(kList);
          WriteSize(payload.size(), stream);
          for (const EncodableValue& element : payload) {
            WriteValue(element, stream);
          }
        } else if constexpr (std::is_same_v<T, EncodableValueMap>) {
          stream->WriteByte(kMap);
          WriteSize(payload.size(), stream);
          for (const auto& [key, element] : payload) {
            WriteValue(key, stream);
            WriteValue(element, stream);
          }
        } else if constexpr (std::is_same_v<T, OpaqueValue>) {
          stream->WriteByte(kNull);
          std::cerr << "Unhandled custom type in StandardCodecSerializer::WriteValue. "
                    << "Custom types require codec extensions." << std::endl;
        } else {
          stream->WriteByte(kTypedListTag<typename T::value_type>);
          WriteSize(payload.size(), stream);
          writeTypedList(payload, stream);
        }
      },
      variant);
}

EncodableValue StandardCodecSerializer::ReadValue(ByteStreamReader* stream) const {
  return ReadValueOfType(stream->ReadByte(), stream);
}

EncodableValue StandardCodecSerializer::ReadValueOfType(uint8_t type,
                                                        ByteStreamReader* stream) const {
  switch (type) {
    case kNull:
      return EncodableValue();
    case kTrue:
      return EncodableValue(true);
    case kFalse:
      return EncodableValue(false);
    case kInt32:
      return EncodableValue(stream->ReadInt32());
    case kInt64:
      return EncodableValue(stream->ReadInt64());
    case kFloat64:
      stream->ReadAlignment(8);
      return EncodableValue(stream->ReadDouble());
    case kLargeInt:
    case kString:
      return readString(ReadSize(stream), stream);
    case kUInt8List:
      return readTypedList<uint8_t>(ReadSize(stream), stream);
    case kInt32List:
      return readTypedList<int32_t>(ReadSize(stream), stream);
    case kInt64List:
      return readTypedList<int64_t>(ReadSize(stream), stream);
    case kFloat64List:
      return readTypedList<double>(ReadSize(stream), stream);
    case kFloat32List:
      return readTypedList<float>(ReadSize(stream), stream);
    case kList:
    case kMap: {
      const NestingLevel level;
      if (level.tooDeep()) {
        std::cerr << "Nesting deeper than " << kMaxNesting
                  << " in StandardCodecSerializer::ReadValueOfType" << std::endl;
        stream->SkipToEnd();
        return EncodableValue();
      }
      return type == kList ? readList(stream) : readMap(stream);
    }
    default:
      std::cerr << "Unknown type in StandardCodecSerializer::ReadValueOfType: "
                << static_cast<int>(type) << std::endl;
      return EncodableValue();
  }
}

EncodableValue StandardCodecSerializer::readList(ByteStreamReader* stream) const {
  const size_t count = ReadSize(stream);
  // Every element takes at least its type byte.
  if (!fits(count, 1, stream)) {
    rejectOversize(stream);
    return EncodableValueList();
  }
  EncodableValueList list;
  list.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    list.push_back(ReadValue(stream));
  }
  return list;
}

EncodableValue StandardCodecSerializer::readMap(ByteStreamReader* stream) const {
  const size_t count = ReadSize(stream);
  if (!fits(count, 2, stream)) {
    rejectOversize(stream);
    return EncodableValueMap();
  }
  EncodableValueMap map;
  for (size_t i = 0; i < count; ++i) {
    EncodableValue key = ReadValue(stream);
    EncodableValue value = ReadValue(stream);
    // The first occurrence of a key wins. Keys written by this codec arrive in ascending order,
    // so the end is the right hint.
    map.emplace_hint(map.end(), std::move(key), std::move(value));
  }
  return map;
}

size_t StandardCodecSerializer::ReadSize(ByteStreamReader* stream) const {
  const uint8_t first = stream->ReadByte();
  if (first < 254) {
    return first;
  }
  if (first == 254) {
    uint16_t size = 0;
    stream->ReadBytes(reinterpret_cast<uint8_t*>(&size), sizeof size);
    return size;
  }
  uint32_t size = 0;
  stream->ReadBytes(reinterpret_cast<uint8_t*>(&size), sizeof size);
  return size;
}

void StandardCodecSerializer::WriteSize(size_t size, ByteStreamWriter* stream) const {
  if (size < 254) {
    stream->WriteByte(static_cast<uint8_t>(size));
  } else if (size <= 0xFFFF) {
    stream->WriteByte(254);
    const uint16_t value = static_cast<uint16_t>(size);
    stream->WriteBytes(reinterpret_cast<const uint8_t*>(&value), sizeof value);
  } else {
    stream->WriteByte(255);
    const uint32_t value = static_cast<uint32_t>(size);
    stream->WriteBytes(reinterpret_cast<const uint8_t*>(&value), sizeof value);
  }
}
