// The standard message codec on the wire: byte layouts, size fields, alignment, the tolerance for
// malformed input with its report lines, and the limits on size fields and nesting that keep a
// hostile message from allocating or recursing without bound.
#include <gtest/gtest.h>

#include "tests/support/codec_wire.h"

namespace {

using codec_wire::CerrCapture;
using codec_wire::decode;
using codec_wire::encode;
using codec_wire::wire;

const std::string kInvalidRead = "Invalid read in StandardCodecByteStreamReader";

std::vector<uint8_t> littleEndian(const void* value, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(value);
  return std::vector<uint8_t>(bytes, bytes + size);
}

std::vector<uint8_t> operator+(std::vector<uint8_t> left, const std::vector<uint8_t>& right) {
  left.insert(left.end(), right.begin(), right.end());
  return left;
}

TEST(StandardCodec, ScalarsAndStrings) {
  EXPECT_EQ(encode(EncodableValue()), wire(0));
  EXPECT_EQ(encode(true), wire(1));
  EXPECT_EQ(encode(false), wire(2));
  EXPECT_EQ(encode(int32_t{-2}), wire(3, 0xFE, 0xFF, 0xFF, 0xFF));
  EXPECT_EQ(encode(int64_t{0x0102030405060708}), wire(4, 8, 7, 6, 5, 4, 3, 2, 1));
  EXPECT_EQ(encode(""), wire(7, 0));
  EXPECT_EQ(encode("ok"), wire(7, 2, "ok"));
  // A double at offset 0 is padded to offset 8.
  const double value = 1.5;
  EXPECT_EQ(encode(value), wire(6, 0, 0, 0, 0, 0, 0, 0) + littleEndian(&value, 8));
}

TEST(StandardCodec, SizeFieldBoundaries) {
  struct Case {
    size_t length;
    std::vector<uint8_t> sizeField;
  };
  for (const Case& c : {Case{253, wire(253)}, Case{254, wire(254, 254, 0)},
                        Case{65535, wire(254, 0xFF, 0xFF)}, Case{65536, wire(255, 0, 0, 1, 0)}}) {
    const std::string text(c.length, 'x');
    const auto bytes = encode(text);
    ASSERT_EQ(bytes.size(), 1 + c.sizeField.size() + c.length) << c.length;
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 1, bytes.begin() + 1 + c.sizeField.size()),
              c.sizeField)
        << c.length;
    EXPECT_EQ(decode(bytes), EncodableValue(text)) << c.length;
  }
  // Long forms are accepted even where the short one would do.
  EXPECT_EQ(decode(wire(7, 254, 2, 0, "ab")), EncodableValue("ab"));
  EXPECT_EQ(decode(wire(7, 255, 1, 0, 0, 0, "a")), EncodableValue("a"));
}

TEST(StandardCodec, TypedListsAlignFromTheMessageStart) {
  const std::vector<int32_t> three{1, 2, 3};
  EXPECT_EQ(encode(three), wire(9, 3, 0, 0) + littleEndian(three.data(), 12));
  EXPECT_EQ(encode(std::vector<int32_t>{}), wire(9, 0, 0, 0));
  EXPECT_EQ(encode(std::vector<uint8_t>{5, 6}), wire(8, 2, 5, 6));
  const std::vector<float> floats{0.25f};
  EXPECT_EQ(encode(floats), wire(14, 1, 0, 0) + littleEndian(floats.data(), 4));
  // Inside a list the padding depends on where the element lands: the int64 list's size is at
  // offset 6, so one zero byte pads to 8.
  const std::vector<int64_t> longs{-1};
  const EncodableValue list = EncodableValueList{"a", longs};
  EXPECT_EQ(encode(list), wire(12, 2, 7, 1, "a", 10, 1, 0) + littleEndian(longs.data(), 8));
  EXPECT_EQ(decode(encode(list)), list);
}

TEST(StandardCodec, EveryAlternativeRoundTrips) {
  const EncodableValue value =
      EncodableValueList{EncodableValue(),
                         true,
                         false,
                         int32_t{-7},
                         int64_t{1} << 40,
                         2.5,
                         "héllo",
                         std::vector<uint8_t>{0, 255},
                         std::vector<int32_t>{-1, 0},
                         std::vector<int64_t>{9},
                         std::vector<double>{-0.5, 1e300},
                         EncodableValueList{EncodableValueList{}},
                         EncodableValueMap{{"k", EncodableValueMap{{1, 2}}}, {3.0, "v"}},
                         std::vector<float>{1.5f, -2}};
  EXPECT_EQ(decode(encode(value)), value);
}

// Streams that only forward, so the serializer takes its path over the stream interface.
class ForwardingWriter : public ByteStreamWriter {
 public:
  explicit ForwardingWriter(std::vector<uint8_t>* bytes) : inner_(bytes) {}
  void WriteByte(uint8_t byte) override { inner_.WriteByte(byte); }
  void WriteBytes(const uint8_t* source, size_t length) override {
    inner_.WriteBytes(source, length);
  }
  void WriteAlignment(uint8_t alignment) override { inner_.WriteAlignment(alignment); }

 private:
  ByteBufferStreamWriter inner_;
};

class ForwardingReader : public ByteStreamReader {
 public:
  explicit ForwardingReader(const std::vector<uint8_t>& bytes)
      : inner_(bytes.data(), bytes.size()) {}
  uint8_t ReadByte() override { return inner_.ReadByte(); }
  void ReadBytes(uint8_t* destination, size_t length) override {
    inner_.ReadBytes(destination, length);
  }
  void ReadAlignment(uint8_t alignment) override { inner_.ReadAlignment(alignment); }
  uint64_t BytesRemaining() const override { return inner_.BytesRemaining(); }
  void SkipToEnd() override { inner_.SkipToEnd(); }

 private:
  ByteBufferStreamReader inner_;
};

// The memory-buffer path builds its output and its lists its own way; it must agree byte for
// byte, also after a prefix (alignment counts from the message start) and when the value is far
// larger than the buffer's first guess.
TEST(StandardCodec, BufferPathAgreesWithTheStreamInterface) {
  const StandardCodecSerializer& serializer = StandardCodecSerializer::GetInstance();
  const EncodableValue value = EncodableValueList{
      std::string(300, 'x'), 0.25, EncodableValueMap{{"long", std::string(70000, 'y')}, {1, 2.5}},
      std::vector<int64_t>(40, 7), EncodableValueList{"a", int64_t{5}, std::vector<float>{1}}};
  std::vector<uint8_t> fast{9, 9, 9};
  ByteBufferStreamWriter fastWriter(&fast);
  serializer.WriteValue(value, &fastWriter);
  std::vector<uint8_t> generic{9, 9, 9};
  ForwardingWriter genericWriter(&generic);
  serializer.WriteValue(value, &genericWriter);
  EXPECT_EQ(fast, generic);

  ByteBufferStreamReader fastReader(fast.data(), fast.size());
  ForwardingReader genericReader(fast);
  for (int i = 0; i < 3; ++i) {
    fastReader.ReadByte();
    genericReader.ReadByte();
  }
  EXPECT_EQ(serializer.ReadValue(&fastReader), value);
  EXPECT_EQ(serializer.ReadValue(&genericReader), value);
}

TEST(StandardCodec, MapsAreWrittenInKeyOrder) {
  const EncodableValueMap map{{"b", 0}, {int32_t{1}, 0}, {"a", 0}};
  EXPECT_EQ(encode(map), wire(13, 3, 3, 1, 0, 0, 0, 3, 0, 0, 0, 0, 7, 1, "a", 3, 0, 0, 0, 0, 7, 1,
                              "b", 3, 0, 0, 0, 0));
}

TEST(StandardCodec, DuplicateMapKeysKeepTheFirstValue) {
  const auto bytes = wire(13, 3, 7, 1, "k", 3, 1, 0, 0, 0, 7, 1, "j", 1, 7, 1, "k", 3, 2, 0, 0, 0);
  EXPECT_EQ(decode(bytes), EncodableValue(EncodableValueMap{{"k", 1}, {"j", true}}));
}

TEST(StandardCodec, TypeFiveReadsAsAString) {
  EXPECT_EQ(decode(wire(5, 3, "123")), EncodableValue("123"));
}

TEST(StandardCodec, UnknownTypeIsReportedAndReadsAsNull) {
  CerrCapture cerr;
  const auto bytes = wire(12, 2, 15, 1);
  EXPECT_EQ(decode(bytes), EncodableValue(EncodableValueList{EncodableValue(), true}));
  EXPECT_EQ(cerr.text(), "Unknown type in StandardCodecSerializer::ReadValueOfType: 15\n");
}

TEST(StandardCodec, OpaqueValuesAreWrittenAsNullWithAReport) {
  CerrCapture cerr;
  EXPECT_EQ(encode(EncodableValueList{OpaqueValue(std::make_shared<int>(1)), 1}),
            wire(12, 2, 0, 3, 1, 0, 0, 0));
  EXPECT_EQ(cerr.text(),
            "Unhandled custom type in StandardCodecSerializer::WriteValue. Custom types require "
            "codec extensions.\n");
}

TEST(StandardCodecShortInput, EmptyBufferIsNullWithOneReport) {
  CerrCapture cerr;
  EXPECT_EQ(decode({}), EncodableValue());
  EXPECT_EQ(cerr.lines(), std::vector<std::string>{kInvalidRead});
}

TEST(StandardCodecShortInput, ShortNumbersReadZeroWithoutMoving) {
  CerrCapture cerr;
  // The int32 needs four bytes and finds three: it reads 0 and the position stays, so its first
  // remaining byte (1) is read next as the value true.
  EXPECT_EQ(decode(wire(12, 2, 3, 1, 0, 0)), EncodableValue(EncodableValueList{int32_t{0}, true}));
  // Padding never reports, even past the end; the missing double does.
  EXPECT_EQ(decode(wire(6, 0, 0)), EncodableValue(0.0));
  EXPECT_EQ(cerr.lines(), (std::vector<std::string>{kInvalidRead, kInvalidRead}));
}

TEST(StandardCodecShortInput, AListShorterThanItsCountFillsWithNulls) {
  CerrCapture cerr;
  // Three values announced and three bytes left: the count is plausible, the values run out.
  EXPECT_EQ(decode(wire(12, 3, 7, 1, "a")),
            EncodableValue(EncodableValueList{"a", EncodableValue(), EncodableValue()}));
  EXPECT_EQ(cerr.lines(), (std::vector<std::string>{kInvalidRead, kInvalidRead}));
}

// A size field is refused when the rest of the message could not hold what it announces. The
// value is then empty, one line is reported, and the rest of the message is dropped.
struct Oversize {
  const char* name;
  std::vector<uint8_t> bytes;
  EncodableValue empty;
};

class StandardCodecOversize : public testing::TestWithParam<Oversize> {};

TEST_P(StandardCodecOversize, IsRefusedWithOneReport) {
  CerrCapture cerr;
  const Oversize& c = GetParam();
  ByteBufferStreamReader reader(c.bytes.data(), c.bytes.size());
  const EncodableValue value = StandardCodecSerializer::GetInstance().ReadValue(&reader);
  EXPECT_EQ(value, c.empty);
  EXPECT_EQ(reader.BytesRemaining(), 0u);
  // Reading on past the dropped rest stays quiet.
  EXPECT_EQ(StandardCodecSerializer::GetInstance().ReadValue(&reader), EncodableValue());
  EXPECT_EQ(cerr.lines(), std::vector<std::string>{kInvalidRead});
}

INSTANTIATE_TEST_SUITE_P(
    SizeFields, StandardCodecOversize,
    testing::Values(
        Oversize{"String4GiB", wire(7, 255, 0xFF, 0xFF, 0xFF, 0xFF, "abcdef"), std::string()},
        Oversize{"StringOneByteShort", wire(7, 3, "ab"), std::string()},
        Oversize{"ByteList", wire(8, 254, 0, 1, 1, 2, 3), std::vector<uint8_t>()},
        // Seven int32s fit 28 bytes; 27 remain after the padding.
        Oversize{"Int32List", wire(9, 7, 0, 0) + std::vector<uint8_t>(27), std::vector<int32_t>()},
        Oversize{"Float64List", wire(11, 2, 0, 0, 0, 0, 0, 0) + std::vector<uint8_t>(15),
                 std::vector<double>()},
        Oversize{"List", wire(12, 255, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0), EncodableValueList()},
        // Two pairs need at least four values; three bytes remain.
        Oversize{"Map", wire(13, 2, 0, 0, 0), EncodableValueMap()},
        // The list's count is plausible, its first element's is not: the elements after it are
        // dropped without further reports.
        Oversize{"NestedInsideAList", wire(12, 3, 7, 200, "x", 1, 1),
                 EncodableValueList{std::string(), EncodableValue(), EncodableValue()}}),
    [](const testing::TestParamInfo<Oversize>& info) { return info.param.name; });

TEST(StandardCodecOversize, SizesThatJustFitAreRead) {
  CerrCapture cerr;
  EXPECT_EQ(decode(wire(12, 2, 0, 0)),
            EncodableValue(EncodableValueList{EncodableValue(), EncodableValue()}));
  EXPECT_EQ(decode(wire(13, 2, 0, 1, 0, 2)),
            EncodableValue(EncodableValueMap{{EncodableValue(), true}}));
  EXPECT_EQ(decode(wire(9, 1, 0, 0, 1, 0, 0, 0)), EncodableValue(std::vector<int32_t>{1}));
  EXPECT_EQ(cerr.text(), "");
}

std::vector<uint8_t> nestedLists(int depth) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < depth; ++i) {
    bytes.insert(bytes.end(), {12, 1});
  }
  bytes.push_back(1);
  return bytes;
}

int depthOf(const EncodableValue& value) {
  const auto* list = std::get_if<EncodableValueList>(&value);
  return list == nullptr || list->empty() ? 0 : 1 + depthOf(list->front());
}

TEST(StandardCodecNesting, TwoHundredFiftySixLevelsAreRead) {
  CerrCapture cerr;
  const EncodableValue value = decode(nestedLists(256));
  EXPECT_EQ(depthOf(value), 256);
  EXPECT_EQ(encode(value), nestedLists(256));
  EXPECT_EQ(cerr.text(), "");
}

TEST(StandardCodecNesting, DeeperValuesBecomeNullAndTheRestIsDropped) {
  CerrCapture cerr;
  std::vector<uint8_t> bytes = nestedLists(100000);
  // The innermost list of the limit holds the too-deep value, which reads as null.
  const EncodableValue value = decode(bytes);
  EXPECT_EQ(depthOf(value), 256);
  const EncodableValue* innermost = &value;
  for (int i = 0; i < 256; ++i) {
    innermost = &std::get<EncodableValueList>(*innermost).front();
  }
  EXPECT_TRUE(innermost->IsNull());
  EXPECT_EQ(cerr.lines(), std::vector<std::string>{"Nesting deeper than 256 in "
                                                   "StandardCodecSerializer::ReadValueOfType"});
  // Maps count as levels too, and the limit is per message.
  std::vector<uint8_t> maps;
  for (int i = 0; i < 300; ++i) {
    maps.insert(maps.end(), {13, 1, 0});
  }
  EXPECT_FALSE(decode(maps).IsNull());
  EXPECT_EQ(depthOf(decode(nestedLists(256))), 256);
}

TEST(ByteBufferStreamReader, ReadsAtEndReportAndDoNotMove) {
  CerrCapture cerr;
  const auto bytes = wire(1, 2, 3);
  ByteBufferStreamReader reader(bytes.data(), bytes.size());
  uint8_t out[4] = {9, 9, 9, 9};
  reader.ReadBytes(out, 4);
  EXPECT_EQ(out[0], 9);
  EXPECT_EQ(reader.ReadByte(), 1);
  reader.ReadAlignment(8);
  EXPECT_EQ(reader.BytesRemaining(), 0u);
  EXPECT_EQ(reader.ReadByte(), 0);
  reader.ReadBytes(out, 0);
  EXPECT_EQ(cerr.lines(), (std::vector<std::string>{kInvalidRead, kInvalidRead}));
}

TEST(ByteBufferStreamWriter, PadsToTheBufferLength) {
  std::vector<uint8_t> bytes{0xAA};
  ByteBufferStreamWriter writer(&bytes);
  writer.WriteAlignment(4);
  writer.WriteAlignment(4);
  writer.WriteInt32(0x01020304);
  writer.WriteAlignment(8);
  EXPECT_EQ(bytes, wire(0xAA, 0, 0, 0, 4, 3, 2, 1));
}

}  // namespace
