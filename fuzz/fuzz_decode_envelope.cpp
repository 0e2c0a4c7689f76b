// Any bytes are either refused as a reply envelope, leaving the result untouched, or handed to it
// as exactly one answer; that answer, encoded again, decodes silently to an answer with the same
// encoding.
#include <memory>
#include <optional>

#include "engine_client/standard_method_codec.h"
#include "fuzz/fuzz_support.h"

namespace {

// Keeps the answers and encodes the last one again as the envelope it came from.
class EnvelopeRecorder : public MethodResult {
 public:
  int answers = 0;

  std::unique_ptr<std::vector<uint8_t>> encodeAgain(const MethodCodec& codec) const {
    const EncodableValue* value = value_ ? &*value_ : nullptr;
    return isError_ ? codec.EncodeErrorEnvelope(code_, message_, value)
                    : codec.EncodeSuccessEnvelope(value);
  }

 protected:
  void SuccessInternal(const EncodableValue* result) override {
    ++answers;
    isError_ = false;
    value_ = result ? std::optional(*result) : std::nullopt;
  }
  void ErrorInternal(const std::string& code, const std::string& message,
                     const EncodableValue* details) override {
    ++answers;
    isError_ = true;
    code_ = code;
    message_ = message;
    value_ = details ? std::optional(*details) : std::nullopt;
  }
  void NotImplementedInternal() override { fuzz::require(false, "envelopes never answer so"); }

 private:
  bool isError_ = false;
  std::string code_;
  std::string message_;
  std::optional<EncodableValue> value_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static fuzz::ReportCounter& reports = fuzz::ReportCounter::install();
  const StandardMethodCodec& codec = StandardMethodCodec::GetInstance();

  EnvelopeRecorder first;
  const bool understood = codec.DecodeAndProcessResponseEnvelope(data, size, &first);
  fuzz::require(first.answers == (understood ? 1 : 0), "one answer exactly when understood");
  if (!understood) {
    return 0;
  }
  const auto encoded = first.encodeAgain(codec);

  const unsigned long before = reports.lines();
  EnvelopeRecorder second;
  fuzz::require(codec.DecodeAndProcessResponseEnvelope(encoded->data(), encoded->size(), &second),
                "an encoded envelope is understood");
  fuzz::require(reports.lines() == before, "an encoded envelope decodes without reports");
  fuzz::require(*second.encodeAgain(codec) == *encoded, "re-encoding is stable");
  return 0;
}
