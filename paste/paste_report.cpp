#include "paste/paste_report.h"

namespace paste {

const char* outcomeName(PasteOutcome outcome) {
  switch (outcome) {
    case PasteOutcome::Pasted:
      return "pasted";
    case PasteOutcome::ReadByOther:
      return "readByOther";
    case PasteOutcome::NotRead:
      return "notRead";
    case PasteOutcome::ElevatedTarget:
      return "elevatedTarget";
    case PasteOutcome::ClipboardBusy:
      return "clipboardBusy";
    case PasteOutcome::Replaced:
      return "replaced";
    case PasteOutcome::Cancelled:
      return "cancelled";
    case PasteOutcome::Typed:
      return "typed";
    case PasteOutcome::Interrupted:
      return "interrupted";
  }
  return "cancelled";
}

}  // namespace paste
