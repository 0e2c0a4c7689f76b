#include "engine_client/standard_codec_serializer.h"

#include <algorithm>
#include <cstring>
#include <iostream>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

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

size_t sizeFieldLength(size_t size) { return size < 254 ? 1 : size <= 0xFFFF ? 3 : 5; }

// A size field that the rest of the message cannot hold: nothing is allocated for it and the
// rest of the message is dropped, so a few bytes cannot ask for gigabytes.
template <typename Stream>
bool refuseOversize(size_t count, size_t elementSize, Stream* stream) {
  if (count <= stream->BytesRemaining() / elementSize) {
    return false;
  }
  ReportInvalidRead();
  stream->SkipToEnd();
  return true;
}

// A first guess at a value's encoded size, from the value alone: exact enough for strings and
// typed lists, 16 bytes per element of a list or map. Visiting the elements to size them exactly
// would cost as much as writing them (a large map's nodes do not fit the cache).
size_t expectedSize(const EncodableValue& value) {
  constexpr size_t kHeader = 16;  // type byte, size field, alignment
  constexpr size_t kPerElement = 16;
  const EncodableValueVariant& variant = value;
  return std::visit(
      [](const auto& payload) -> size_t {
        using T = std::decay_t<decltype(payload)>;
        if constexpr (std::is_same_v<T, EncodableValueList> ||
                      std::is_same_v<T, EncodableValueMap>) {
          return kHeader + payload.size() * kPerElement;
        } else if constexpr (requires { payload.data(); }) {
          return kHeader + payload.size() * sizeof(typename T::value_type);
        } else {
          return kHeader;
        }
      },
      variant);
}

// The fast path's output: appends to the vector behind a ByteBufferStreamWriter through a cursor
// of its own, so each small write is a few plain stores, with no call per byte. Capacity for the
// expected length is reserved up front; the vector is extended (zero-filled) a chunk ahead of the
// cursor and cut back to what was written when the appender goes. A large body is appended in
// one copy instead, without being zero-filled first.
class BufferAppender {
 public:
  BufferAppender(std::vector<uint8_t>& buffer, size_t expected) : buffer_(buffer) {
    const size_t length = buffer_.size();
    buffer_.reserve(length + expected);
    buffer_.resize(length + std::min(buffer_.capacity() - length, kFillChunk));
    track(length);
  }
  ~BufferAppender() { buffer_.resize(position()); }
  BufferAppender(const BufferAppender&) = delete;
  BufferAppender& operator=(const BufferAppender&) = delete;

  void WriteByte(uint8_t byte) { *Claim(1) = byte; }

  // Inlined where strings are written (a call here cost a sixth of a small message's encoding);
  // the rare bulk append stays out of line.
  [[gnu::always_inline]] void WriteBytes(const uint8_t* source, size_t length) {
    if (length >= kBulkBytes) {
      appendBulk(source, length);
    } else if (length != 0) {
      std::memcpy(Claim(length), source, length);
    }
  }

  void WriteAlignment(uint8_t alignment) {
    const size_t padding = AlignmentPadding(position(), alignment);
    std::memset(Claim(padding), 0, padding);
  }

  // The next `count` bytes of the output, to be filled in place: bytes assembled in a local
  // array first and copied out would be read back before their stores settle.
  uint8_t* Claim(size_t count) {
    if (static_cast<size_t>(limit_ - cursor_) < count) {
      grow(count);
    }
    uint8_t* at = cursor_;
    cursor_ += count;
    return at;
  }

 private:
  static constexpr size_t kFillChunk = 4096;
  static constexpr size_t kBulkBytes = 65536;

  size_t position() const { return static_cast<size_t>(cursor_ - buffer_.data()); }

  // Out of line, so that Claim stays a compare and an add wherever it is inlined. Steps double
  // with the length; what is reserved is filled before the vector has to reallocate.
  [[gnu::noinline]] void grow(size_t count) {
    const size_t length = position();
    const size_t room = buffer_.capacity() - length;
    const size_t step = std::max({count, kFillChunk, length});
    buffer_.resize(length + (room >= count ? std::min(room, step) : step));
    track(length);
  }

  [[gnu::noinline]] void appendBulk(const uint8_t* source, size_t length) {
    buffer_.resize(position());
    buffer_.insert(buffer_.end(), source, source + length);
    track(buffer_.size());
  }

  // Points the cursor at `length` and the limit at the end of the vector.
  void track(size_t length) {
    cursor_ = buffer_.data() + length;
    limit_ = buffer_.data() + buffer_.size();
  }

  std::vector<uint8_t>& buffer_;
  uint8_t* cursor_ = nullptr;
  uint8_t* limit_ = nullptr;
};

// The encoder and decoder, written once over the stream type. Over the base stream types every
// nested value goes through the serializer's virtual operations, so a derived serializer sees
// them; over a memory buffer, used only with the standard serializer itself, the same code
// recurses directly, every stream call is inlined, and decoded list elements are built in place.
template <typename Stream>
class ValueReader {
  static constexpr bool kDirect = std::is_same_v<Stream, ByteBufferStreamReader>;

 public:
  ValueReader(const StandardCodecSerializer& serializer, Stream* stream)
      : serializer_(serializer), stream_(stream) {}

  EncodableValue readValueOfType(uint8_t type) {
    return read(type, [](auto alternative, auto&&... payload) {
      return EncodableValue(alternative, std::forward<decltype(payload)>(payload)...);
    });
  }

 private:
  // Reads the payload of `type` and hands it to `make` with the alternative to construct, so a
  // caller can build the value where it is going to live.
  template <typename Make>
  auto read(uint8_t type, Make&& make) {
    switch (type) {
      case kNull:
        return make(std::in_place_type<std::monostate>);
      case kTrue:
        return make(std::in_place_type<bool>, true);
      case kFalse:
        return make(std::in_place_type<bool>, false);
      case kInt32:
        return make(std::in_place_type<int32_t>, readNumber<int32_t>(stream_));
      case kInt64:
        return make(std::in_place_type<int64_t>, readNumber<int64_t>(stream_));
      case kFloat64:
        stream_->ReadAlignment(8);
        return make(std::in_place_type<double>, readNumber<double>(stream_));
      case kLargeInt:
      case kString:
        if constexpr (kDirect) {
          // Built straight from the message bytes: no zero fill, no copy through a temporary.
          const size_t size = readSize(stream_);
          const auto* text = refuseOversize(size, 1, stream_)
                                 ? nullptr
                                 : reinterpret_cast<const char*>(stream_->Consume(size));
          return make(std::in_place_type<std::string>, text, text != nullptr ? size : 0);
        } else {
          return make(std::in_place_type<std::string>, readString());
        }
      case kUInt8List:
        return make(std::in_place_type<std::vector<uint8_t>>, readTypedList<uint8_t>());
      case kInt32List:
        return make(std::in_place_type<std::vector<int32_t>>, readTypedList<int32_t>());
      case kInt64List:
        return make(std::in_place_type<std::vector<int64_t>>, readTypedList<int64_t>());
      case kFloat64List:
        return make(std::in_place_type<std::vector<double>>, readTypedList<double>());
      case kFloat32List:
        return make(std::in_place_type<std::vector<float>>, readTypedList<float>());
      case kList:
      case kMap: {
        const NestingLevel level;
        if (level.tooDeep()) {
          std::cerr << "Nesting deeper than " << kMaxNesting
                    << " in StandardCodecSerializer::ReadValueOfType" << std::endl;
          stream_->SkipToEnd();
          return make(std::in_place_type<std::monostate>);
        }
        if (type == kList) {
          return make(std::in_place_type<EncodableValueList>, readList());
        }
        return make(std::in_place_type<EncodableValueMap>, readMap());
      }
      default:
        std::cerr << "Unknown type in StandardCodecSerializer::ReadValueOfType: "
                  << static_cast<int>(type) << std::endl;
        return make(std::in_place_type<std::monostate>);
    }
  }

  EncodableValue readValue() {
    if constexpr (kDirect) {
      return readValueOfType(stream_->ReadByte());
    } else {
      return serializer_.ReadValue(stream_);
    }
  }

  std::string readString() {
    const size_t size = readSize(stream_);
    if (refuseOversize(size, 1, stream_)) {
      return std::string();
    }
    std::string text(size, '\0');
    stream_->ReadBytes(reinterpret_cast<uint8_t*>(text.data()), size);
    return text;
  }

  template <typename T>
  std::vector<T> readTypedList() {
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

  EncodableValueList readList() {
    const size_t count = readSize(stream_);
    // Every element takes at least its type byte.
    if (refuseOversize(count, 1, stream_)) {
      return EncodableValueList();
    }
    EncodableValueList list;
    list.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      if constexpr (kDirect) {
        read(stream_->ReadByte(), [&list](auto alternative, auto&&... payload) {
          list.emplace_back(alternative, std::forward<decltype(payload)>(payload)...);
        });
      } else {
        list.push_back(readValue());
      }
    }
    return list;
  }

  EncodableValueMap readMap() {
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
  static constexpr bool kDirect = std::is_same_v<Stream, BufferAppender>;

 public:
  ValueWriter(const StandardCodecSerializer& serializer, Stream* stream)
      : serializer_(serializer), stream_(stream) {}

  // A switch rather than std::visit, which would make a call, with its prologue, per value. Only
  // lists and maps are written out of line, so this is inlined into their element loops.
  [[gnu::always_inline]] void writeValue(const EncodableValue& value) {
    const EncodableValueVariant& variant = value;
    switch (variant.index()) {
      case 0:
        return writePayload(std::monostate());
      case 1:
        return writePayload(*std::get_if<1>(&variant));
      case 2:
        return writePayload(*std::get_if<2>(&variant));
      case 3:
        return writePayload(*std::get_if<3>(&variant));
      case 4:
        return writePayload(*std::get_if<4>(&variant));
      case 5:
        return writePayload(*std::get_if<5>(&variant));
      case 6:
        return writePayload(*std::get_if<6>(&variant));
      case 7:
        return writePayload(*std::get_if<7>(&variant));
      case 8:
        return writePayload(*std::get_if<8>(&variant));
      case 9:
        return writePayload(*std::get_if<9>(&variant));
      case 10:
        return writePayload(*std::get_if<10>(&variant));
      case 11:
        return writePayload(*std::get_if<11>(&variant));
      case 12:
        return writePayload(*std::get_if<12>(&variant));
      case 13:
        return writePayload(*std::get_if<13>(&variant));
      default:
        return;  // valueless after a failed assignment: nothing to write
    }
  }

 private:
  [[gnu::always_inline]] void writeNested(const EncodableValue& value) {
    if constexpr (kDirect) {
      writeValue(value);
    } else {
      serializer_.WriteValue(value, stream_);
    }
  }

  void writePayload(const std::monostate&) { stream_->WriteByte(kNull); }
  void writePayload(bool payload) { stream_->WriteByte(payload ? kTrue : kFalse); }

  // The type byte and the size field go out in one write.
  void writeTypeAndSize(uint8_t type, size_t size) {
    if constexpr (kDirect) {
      uint8_t* at = stream_->Claim(1 + sizeFieldLength(size));
      at[0] = type;
      encodeSize(size, at + 1);
    } else {
      uint8_t header[6] = {type};
      stream_->WriteBytes(header, 1 + encodeSize(size, header + 1));
    }
  }

  template <typename T>
  void writeTaggedNumber(uint8_t type, T number) {
    if constexpr (kDirect) {
      uint8_t* at = stream_->Claim(1 + sizeof(T));
      at[0] = type;
      std::memcpy(at + 1, &number, sizeof number);
    } else {
      uint8_t bytes[1 + sizeof(T)] = {type};
      std::memcpy(bytes + 1, &number, sizeof number);
      stream_->WriteBytes(bytes, sizeof bytes);
    }
  }
  void writePayload(int32_t payload) { writeTaggedNumber(kInt32, payload); }
  void writePayload(int64_t payload) { writeTaggedNumber(kInt64, payload); }

  void writePayload(double payload) {
    stream_->WriteByte(kFloat64);
    stream_->WriteAlignment(8);
    stream_->WriteBytes(reinterpret_cast<const uint8_t*>(&payload), sizeof payload);
  }

  void writePayload(const std::string& payload) {
    writeTypeAndSize(kString, payload.size());
    if (!payload.empty()) {
      stream_->WriteBytes(reinterpret_cast<const uint8_t*>(payload.data()), payload.size());
    }
  }

  template <typename T>
  void writePayload(const std::vector<T>& payload) {
    writeTypeAndSize(kTypedListTag<T>, payload.size());
    if constexpr (sizeof(T) > 1) {
      stream_->WriteAlignment(sizeof(T));
    }
    if (!payload.empty()) {
      stream_->WriteBytes(reinterpret_cast<const uint8_t*>(payload.data()),
                          payload.size() * sizeof(T));
    }
  }

  [[gnu::noinline]] void writePayload(const EncodableValueList& payload) {
    writeTypeAndSize(kList, payload.size());
    for (const EncodableValue& element : payload) {
      writeNested(element);
    }
  }

  [[gnu::noinline]] void writePayload(const EncodableValueMap& payload) {
    writeTypeAndSize(kMap, payload.size());
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

// The buffer streams are final, so comparing type identities is exact and cheaper than a cast.
void StandardCodecSerializer::WriteValue(const EncodableValue& value,
                                         ByteStreamWriter* stream) const {
  if (typeid(*this) == typeid(StandardCodecSerializer) &&
      typeid(*stream) == typeid(ByteBufferStreamWriter)) {
    std::vector<uint8_t>& buffer = *static_cast<ByteBufferStreamWriter*>(stream)->Buffer();
    BufferAppender appender(buffer, expectedSize(value));
    ValueWriter<BufferAppender>(*this, &appender).writeValue(value);
    return;
  }
  ValueWriter<ByteStreamWriter>(*this, stream).writeValue(value);
}

EncodableValue StandardCodecSerializer::ReadValue(ByteStreamReader* stream) const {
  return ReadValueOfType(stream->ReadByte(), stream);
}

EncodableValue StandardCodecSerializer::ReadValueOfType(uint8_t type,
                                                        ByteStreamReader* stream) const {
  if (typeid(*this) == typeid(StandardCodecSerializer) &&
      typeid(*stream) == typeid(ByteBufferStreamReader)) {
    return ValueReader<ByteBufferStreamReader>(*this, static_cast<ByteBufferStreamReader*>(stream))
        .readValueOfType(type);
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
