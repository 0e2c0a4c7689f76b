// Encode and decode of four kinds of channel traffic with the standard codec, beside msgpack-c on
// the same logical data and beside a memcpy of the standard codec's encoded size. Each benchmark
// reports bytes/s over the standard codec's encoded size, so the rows of one case compare
// directly.
#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <msgpack.hpp>
#include <string>
#include <vector>

#include "engine_client/byte_streams.h"
#include "engine_client/standard_codec_serializer.h"
#include "engine_client/standard_method_codec.h"

namespace {

const StandardCodecSerializer& serializer() { return StandardCodecSerializer::GetInstance(); }

std::vector<uint8_t> encodeValue(const EncodableValue& value) {
  std::vector<uint8_t> bytes;
  ByteBufferStreamWriter writer(&bytes);
  serializer().WriteValue(value, &writer);
  return bytes;
}

EncodableValue decodeValue(const std::vector<uint8_t>& bytes) {
  ByteBufferStreamReader reader(bytes.data(), bytes.size());
  return serializer().ReadValue(&reader);
}

// (a) the overlay texts, as the Dart side sends them at start-up.
const std::map<std::string, std::string>& localizedStrings() {
  static const std::map<std::string, std::string> strings{
      {"listening", "Listening…"},
      {"transcribing", "Transcribing…"},
      {"dontTap", "Don't tap — hold {hotkey} while you speak"},
      {"holdDown", "Hold down {hotkey} to talk"}};
  return strings;
}

std::unique_ptr<EncodableValue> localizedStringsArguments() {
  EncodableValueMap map;
  for (const auto& [key, text] : localizedStrings()) {
    map.emplace(key, text);
  }
  return std::make_unique<EncodableValue>(std::move(map));
}

// (b) 1 MiB of doubles.
const std::vector<double>& doubles() {
  static const std::vector<double> list = [] {
    std::vector<double> values(1 << 17);
    for (size_t i = 0; i < values.size(); ++i) {
      values[i] = static_cast<double>(i) * 0.25;
    }
    return values;
  }();
  return list;
}

// (c) 10,000 string -> int32 pairs.
const std::map<std::string, int32_t>& stringToInt() {
  static const std::map<std::string, int32_t> map = [] {
    std::map<std::string, int32_t> pairs;
    for (int32_t i = 0; i < 10000; ++i) {
      pairs.emplace("key" + std::to_string(100000 + i), i * 7);
    }
    return pairs;
  }();
  return map;
}

EncodableValue stringToIntValue() {
  EncodableValueMap map;
  for (const auto& [key, number] : stringToInt()) {
    map.emplace_hint(map.end(), key, number);
  }
  return map;
}

// (d) 10,000 mixed scalars in one list: null, bool, int32, int64, double and short strings.
EncodableValue mixedScalar(int i) {
  switch (i % 6) {
    case 0:
      return EncodableValue();
    case 1:
      return EncodableValue(i % 4 == 1);
    case 2:
      return EncodableValue(int32_t{i});
    case 3:
      return EncodableValue(int64_t{i} << 33);
    case 4:
      return EncodableValue(i * 0.5);
    default:
      return EncodableValue("item" + std::to_string(i));
  }
}

EncodableValue mixedList() {
  EncodableValueList list;
  for (int i = 0; i < 10000; ++i) {
    list.push_back(mixedScalar(i));
  }
  return list;
}

// msgpack's own dynamic value for (d): an array of objects in a zone, like the list above.
struct MsgpackMixed {
  msgpack::zone zone;
  msgpack::object object;
  std::vector<std::string> texts;
  MsgpackMixed() {
    texts.reserve(10000);
    std::vector<msgpack::object> items;
    for (int i = 0; i < 10000; ++i) {
      switch (i % 6) {
        case 0:
          items.emplace_back();
          break;
        case 1:
          items.emplace_back(i % 4 == 1);
          break;
        case 2:
          items.emplace_back(int32_t{i});
          break;
        case 3:
          items.emplace_back(int64_t{i} << 33);
          break;
        case 4:
          items.emplace_back(i * 0.5);
          break;
        default:
          texts.push_back("item" + std::to_string(i));
          items.emplace_back(texts.back(), zone);
          break;
      }
    }
    object = msgpack::object(items, zone);
  }
};

void setBytes(benchmark::State& state, size_t encodedSize) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * encodedSize));
  state.counters["encoded"] = static_cast<double>(encodedSize);
}

void memcpyOf(benchmark::State& state, size_t size) {
  std::vector<uint8_t> source(size, 0x5A);
  std::vector<uint8_t> destination(size);
  for (auto _ : state) {
    std::memcpy(destination.data(), source.data(), size);
    benchmark::DoNotOptimize(destination.data());
    benchmark::ClobberMemory();
  }
  setBytes(state, size);
}

template <typename T>
void msgpackEncode(benchmark::State& state, const T& data, size_t encodedSize) {
  for (auto _ : state) {
    msgpack::sbuffer buffer;
    msgpack::pack(buffer, data);
    benchmark::DoNotOptimize(buffer.data());
  }
  setBytes(state, encodedSize);
}

template <typename T>
void msgpackDecode(benchmark::State& state, const T& data, size_t encodedSize) {
  msgpack::sbuffer buffer;
  msgpack::pack(buffer, data);
  for (auto _ : state) {
    msgpack::object_handle handle = msgpack::unpack(buffer.data(), buffer.size());
    auto decoded = handle.get().as<T>();
    benchmark::DoNotOptimize(decoded);
  }
  setBytes(state, encodedSize);
}

void valueEncode(benchmark::State& state, const EncodableValue& value) {
  const size_t size = encodeValue(value).size();
  for (auto _ : state) {
    benchmark::DoNotOptimize(encodeValue(value));
  }
  setBytes(state, size);
}

void valueDecode(benchmark::State& state, const EncodableValue& value) {
  const auto bytes = encodeValue(value);
  for (auto _ : state) {
    benchmark::DoNotOptimize(decodeValue(bytes));
  }
  setBytes(state, bytes.size());
}

// (a)
const MethodCall& localizedStringsCall() {
  static const MethodCall call("setLocalizedStrings", localizedStringsArguments());
  return call;
}
using MsgpackCall = std::tuple<std::string, std::map<std::string, std::string>>;
MsgpackCall msgpackCall() { return {"setLocalizedStrings", localizedStrings()}; }
size_t callSize() {
  return StandardMethodCodec::GetInstance().EncodeMethodCall(localizedStringsCall())->size();
}

void BM_Call_Encode_Codec(benchmark::State& state) {
  const auto& codec = StandardMethodCodec::GetInstance();
  for (auto _ : state) {
    benchmark::DoNotOptimize(codec.EncodeMethodCall(localizedStringsCall()));
  }
  setBytes(state, callSize());
}
void BM_Call_Decode_Codec(benchmark::State& state) {
  const auto& codec = StandardMethodCodec::GetInstance();
  const auto bytes = codec.EncodeMethodCall(localizedStringsCall());
  for (auto _ : state) {
    benchmark::DoNotOptimize(codec.DecodeMethodCall(bytes->data(), bytes->size()));
  }
  setBytes(state, bytes->size());
}
void BM_Call_Encode_Msgpack(benchmark::State& state) {
  msgpackEncode(state, msgpackCall(), callSize());
}
void BM_Call_Decode_Msgpack(benchmark::State& state) {
  msgpackDecode(state, msgpackCall(), callSize());
}
void BM_Call_Memcpy(benchmark::State& state) { memcpyOf(state, callSize()); }

// (b)
void BM_Doubles_Encode_Codec(benchmark::State& state) { valueEncode(state, doubles()); }
void BM_Doubles_Decode_Codec(benchmark::State& state) { valueDecode(state, doubles()); }
void BM_Doubles_Encode_Msgpack(benchmark::State& state) {
  msgpackEncode(state, doubles(), encodeValue(doubles()).size());
}
void BM_Doubles_Decode_Msgpack(benchmark::State& state) {
  msgpackDecode(state, doubles(), encodeValue(doubles()).size());
}
void BM_Doubles_Memcpy(benchmark::State& state) { memcpyOf(state, encodeValue(doubles()).size()); }

// (c)
void BM_Map_Encode_Codec(benchmark::State& state) { valueEncode(state, stringToIntValue()); }
void BM_Map_Decode_Codec(benchmark::State& state) { valueDecode(state, stringToIntValue()); }
void BM_Map_Encode_Msgpack(benchmark::State& state) {
  msgpackEncode(state, stringToInt(), encodeValue(stringToIntValue()).size());
}
void BM_Map_Decode_Msgpack(benchmark::State& state) {
  msgpackDecode(state, stringToInt(), encodeValue(stringToIntValue()).size());
}
void BM_Map_Memcpy(benchmark::State& state) {
  memcpyOf(state, encodeValue(stringToIntValue()).size());
}

// (d)
void BM_Mixed_Encode_Codec(benchmark::State& state) { valueEncode(state, mixedList()); }
void BM_Mixed_Decode_Codec(benchmark::State& state) { valueDecode(state, mixedList()); }
void BM_Mixed_Encode_Msgpack(benchmark::State& state) {
  const MsgpackMixed mixed;
  const size_t size = encodeValue(mixedList()).size();
  for (auto _ : state) {
    msgpack::sbuffer buffer;
    msgpack::pack(buffer, mixed.object);
    benchmark::DoNotOptimize(buffer.data());
  }
  setBytes(state, size);
}
void BM_Mixed_Decode_Msgpack(benchmark::State& state) {
  const MsgpackMixed mixed;
  msgpack::sbuffer buffer;
  msgpack::pack(buffer, mixed.object);
  const size_t size = encodeValue(mixedList()).size();
  for (auto _ : state) {
    msgpack::object_handle handle = msgpack::unpack(buffer.data(), buffer.size());
    benchmark::DoNotOptimize(handle.get());
  }
  setBytes(state, size);
}
void BM_Mixed_Memcpy(benchmark::State& state) { memcpyOf(state, encodeValue(mixedList()).size()); }

}  // namespace

BENCHMARK(BM_Call_Encode_Codec);
BENCHMARK(BM_Call_Encode_Msgpack);
BENCHMARK(BM_Call_Decode_Codec);
BENCHMARK(BM_Call_Decode_Msgpack);
BENCHMARK(BM_Call_Memcpy);
BENCHMARK(BM_Doubles_Encode_Codec);
BENCHMARK(BM_Doubles_Encode_Msgpack);
BENCHMARK(BM_Doubles_Decode_Codec);
BENCHMARK(BM_Doubles_Decode_Msgpack);
BENCHMARK(BM_Doubles_Memcpy);
BENCHMARK(BM_Map_Encode_Codec);
BENCHMARK(BM_Map_Encode_Msgpack);
BENCHMARK(BM_Map_Decode_Codec);
BENCHMARK(BM_Map_Decode_Msgpack);
BENCHMARK(BM_Map_Memcpy);
BENCHMARK(BM_Mixed_Encode_Codec);
BENCHMARK(BM_Mixed_Encode_Msgpack);
BENCHMARK(BM_Mixed_Decode_Codec);
BENCHMARK(BM_Mixed_Decode_Msgpack);
BENCHMARK(BM_Mixed_Memcpy);

BENCHMARK_MAIN();
