// The four overlay texts: the two captions of the recording overlay and the two hint templates,
// replaced from the Dart side at any time. The controller owns them; the overlays read them at
// each show and paint. Main thread.
#pragma once

#include <string>

#include "engine_client/encodable_value.h"

namespace overlay {

class OverlayTexts {
 public:
  // Replaces each text whose key ("listening", "transcribing", "dontTap", "holdDown") has a
  // non-empty string value; in the two hint templates "%@" becomes "%s".
  void setLocalizedStrings(const EncodableValueMap& strings);

  const std::u16string& listening() const { return listeningText; }
  const std::u16string& transcribing() const { return transcribingText; }
  const std::u16string& dontTap() const { return dontTapText; }
  const std::u16string& holdDown() const { return holdDownText; }

 private:
  std::u16string listeningText = u"Listening...";
  std::u16string transcribingText = u"Transcribing...";
  std::u16string dontTapText = u"Don't tap. Hold down %s.";
  std::u16string holdDownText = u"Hold down %s while speaking, release to see text.";
};

}  // namespace overlay
