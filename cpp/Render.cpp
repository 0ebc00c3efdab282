//===- Render.cpp - Running the runtime's formatter on checked values -----===//

#include "Render.h"

#include "format/MessageFormat.h"
#include "format/Printf.h"

namespace phrasor {
namespace {

std::uint32_t unitsBefore0(const PhrasorWChar *s, std::uint32_t max) {
  std::uint32_t n = 0;
  while (n < max && s[n])
    ++n;
  return n;
}

} // namespace

RenderResult renderText(Style style, PhrasorWChar *buffer, std::uint32_t length,
                        const PhrasorWChar *text, const ArgList &values,
                        std::uint32_t &written) {
  ArrayArgs args(values.data(), values.size());
  written = 0;
  if (style == Style::Printf) {
    const FormatOutcome outcome = FormatPrintf(buffer, length, text, args);
    switch (outcome.status) {
    case FormatStatus::Ok:
      // A U+0000 from a %c ends the text, as it ends a message's output
      // and as a reader of the raw buffer sees it.
      written = unitsBefore0(buffer, outcome.written);
      return RenderResult::Written;
    case FormatStatus::BufferFull:
      return RenderResult::Cut;
    default:
      return RenderResult::Refused;
    }
  }
  switch (QVFormatMessageT().Format(buffer, length, text, args)) {
  case MessageStatus::Ok:
    written = unitsBefore0(buffer, length);
    return RenderResult::Written;
  case MessageStatus::Cut:
  // The layer refuses up front every spec the printf engine would refuse,
  // so this status can only mean that an insert did not fit.
  case MessageStatus::BadSpecOrBufferFull:
    return RenderResult::Cut;
  default:
    return RenderResult::Refused;
  }
}

} // namespace phrasor
