//===- Render.cpp - Running the runtime's formatter on checked values -----===//

#include "Render.h"

#include "format/MessageFormat.h"
#include "format/Printf.h"

#include <vector>

namespace phrasor {
namespace {

std::uint32_t unitsBefore0(const PhrasorWChar *s, std::uint32_t max) {
  std::uint32_t n = 0;
  while (n < max && s[n])
    ++n;
  return n;
}

// The message formatter answers true for output it had to cut short inside
// literal text, and false for an insert that did not fit. The texts reaching
// it have passed the layer's checks, so false means cut; true with the
// buffer filled to its last unit may be an exact fit or a cut, which a
// second rendering one unit larger tells apart.
RenderResult renderMessage(PhrasorWChar *buffer, std::uint32_t length,
                           const PhrasorWChar *text, ArgList &args,
                           std::uint32_t &written) {
  QVFormatMessageT formatter;
  if (!formatter.FormatWith(buffer, length, text, args))
    return RenderResult::Cut;
  written = unitsBefore0(buffer, length);
  if (written + 1 < length)
    return RenderResult::Written;
  PhrasorWChar local[512];
  std::vector<PhrasorWChar> heap;
  PhrasorWChar *probe = local;
  if (length + 1 > sizeof(local) / sizeof(local[0])) {
    heap.resize(length + 1);
    probe = heap.data();
  }
  args.rewind();
  if (!formatter.FormatWith(probe, length + 1, text, args))
    return RenderResult::Cut;
  return unitsBefore0(probe, length + 1) == written ? RenderResult::Written
                                                    : RenderResult::Cut;
}

} // namespace

RenderResult renderText(Style style, PhrasorWChar *buffer, std::uint32_t length,
                        const PhrasorWChar *text, ArgList &args,
                        std::uint32_t &written) {
  args.rewind();
  written = 0;
  if (style == Style::Message)
    return renderMessage(buffer, length, text, args, written);
  switch (FormatInto(buffer, length, text, args, written)) {
  case FormatStatus::Ok:
    return RenderResult::Written;
  case FormatStatus::BufferFull:
    return RenderResult::Cut;
  default:
    return RenderResult::Refused;
  }
}

} // namespace phrasor
