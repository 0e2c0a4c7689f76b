// Any bytes either decode to a method call or to none; a decoded call, encoded again, decodes
// silently to a call of the same name whose encoding is the same bytes.
#include <memory>

#include "engine_client/standard_method_codec.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::ReportCounter& reports = fuzz::ReportCounter::install();
  const StandardMethodCodec& codec = StandardMethodCodec::GetInstance();

  const std::unique_ptr<MethodCall> call = codec.DecodeMethodCall(data, size);
  if (call == nullptr) {
    return 0;
  }
  fuzz::require(call->Arguments() != nullptr, "a decoded call has arguments");
  const auto encoded = codec.EncodeMethodCall(*call);

  const unsigned long before = reports.lines();
  const std::unique_ptr<MethodCall> again =
      codec.DecodeMethodCall(encoded->data(), encoded->size());
  fuzz::require(reports.lines() == before, "an encoded call decodes without reports");
  fuzz::require(again != nullptr && again->MethodName() == call->MethodName(),
                "an encoded call decodes to the same name");
  fuzz::require(*codec.EncodeMethodCall(*again) == *encoded, "re-encoding is stable");
  return 0;
}
