// Any bytes decode to some value without running off the buffer; what the codec then writes for
// that value decodes silently, to the end, and writes the same bytes again. Encodings are compared
// rather than values, so NaNs compare by their bits.
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::ReportCounter& reports = fuzz::ReportCounter::install();
  const StandardCodecSerializer& serializer = StandardCodecSerializer::GetInstance();

  ByteBufferStreamReader reader(data, size);
  const std::vector<uint8_t> encoded = fuzz::encodeValue(serializer.ReadValue(&reader));

  const unsigned long before = reports.lines();
  ByteBufferStreamReader again(encoded.data(), encoded.size());
  const EncodableValue decoded = serializer.ReadValue(&again);
  fuzz::require(reports.lines() == before, "an encoding decodes without reports");
  fuzz::require(again.BytesRemaining() == 0, "an encoding is read to its end");
  fuzz::require(fuzz::encodeValue(decoded) == encoded, "re-encoding is stable");
  return 0;
}
