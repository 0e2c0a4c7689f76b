#include "text/label_template.h"

#include "text/utf8_to_utf16.h"

namespace text {

std::u16string formatWithLabel(const std::u16string& tmpl, const std::string& label) {
  const std::u16string wideLabel = toWide(label);
  std::u16string out;
  bool labelPlaced = false;
  for (std::size_t i = 0; i < tmpl.size() && out.size() < kMaxFilledLineUnits;) {
    if (tmpl[i] == u'%' && i + 1 < tmpl.size()) {
      if (tmpl[i + 1] == u'%') {
        out += u'%';
        i += 2;
        continue;
      }
      if (tmpl[i + 1] == u's' && !labelPlaced) {
        out += wideLabel;
        labelPlaced = true;
        i += 2;
        continue;
      }
    }
    out += tmpl[i++];
  }
  if (out.size() > kMaxFilledLineUnits) out.resize(kMaxFilledLineUnits);
  return out;
}

}  // namespace text
