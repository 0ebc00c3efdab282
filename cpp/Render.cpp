//===- Render.cpp - Running the runtime's formatter on checked values -----===//

#include "cpp/Render.h"

#include "format/MessageFormat.h"
#include "format/Prepared.h"
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

namespace {

RenderResult resultOf(MessageStatus status) {
  switch (status) {
  case MessageStatus::Ok:
    return RenderResult::Written;
  case MessageStatus::Cut:
  case MessageStatus::BadSpecOrBufferFull:
    return RenderResult::Cut;
  default:
    return RenderResult::Refused;
  }
}

// Formats into \p sink from the kept parse, or, for a widened copy of the
// stored text, from a parse made now. The sink is not terminated.
RenderResult renderInto(WSink &sink, Style style, const Inserts &parsed,
                        const PhrasorWChar *stored, const PhrasorWChar *text,
                        const ArgList &values) {
  const bool kept = parsed.prepared && text == stored;
  if (style == Style::Printf) {
    ArrayArgs args(values.data(), values.size());
    if (kept)
      RenderPreparedPrintf(sink, text, parsed.pieces.data(),
                           static_cast<std::uint32_t>(parsed.pieces.size()),
                           args);
    else if (RenderFormat(sink, text, args) != SpecError::None)
      return RenderResult::Refused;
    return sink.WasCut() ? RenderResult::Cut : RenderResult::Written;
  }
  const auto count = static_cast<std::uint32_t>(values.size());
  if (kept)
    return resultOf(RenderPreparedMessage(sink, text, parsed.message,
                                          values.data(), count));
  PreparedMessage now;
  const MessageStatus status = PrepareMessage(text, now);
  if (status != MessageStatus::Ok)
    return resultOf(status);
  return resultOf(RenderPreparedMessage(sink, text, now, values.data(), count));
}

} // namespace

RenderResult renderText(Style style, const Inserts &parsed,
                        const PhrasorWChar *stored, PhrasorWChar *buffer,
                        std::uint32_t length, const PhrasorWChar *text,
                        const ArgList &values, std::uint32_t &written) {
  written = 0;
  stored = parsed.textOf(stored);
  if (!buffer || length == 0)
    return RenderResult::Cut;
  WSink sink(buffer, length - 1);
  const RenderResult result =
      renderInto(sink, style, parsed, stored, text, values);
  sink.Terminate();
  if (result == RenderResult::Written)
    // A U+0000 from a %c ends the text, as it ends a message's output and
    // as a reader of the raw buffer sees it; only a character insert can
    // write one.
    written = parsed.mayWriteZero || text != stored
                  ? unitsBefore0(buffer, sink.Written())
                  : sink.Written();
  return result;
}

RenderResult renderUtf8(Style style, const Inserts &parsed,
                        const PhrasorWChar *stored, const PhrasorWChar *text,
                        const ArgList &values, Utf8Drain &drain) {
  stored = parsed.textOf(stored);
  // A message of plain inserts hands its pieces to the drain in place.
  if (style == Style::Message && parsed.plainMessage && text == stored) {
    RenderResult result =
        resultOf(RenderPlainMessage(drain, text, parsed.message, values.data(),
                                    static_cast<std::uint32_t>(values.size())));
    if (result == RenderResult::Written && !drain.finish())
      result = RenderResult::Cut;
    return result;
  }
  // The formatter writes UTF-16 into this and the drain turns each full
  // load into UTF-8, so no output of any length is held whole as UTF-16.
  PhrasorWChar units[256];
  WSink sink(units, 255, &drain);
  RenderResult result = renderInto(sink, style, parsed, stored, text, values);
  sink.Terminate();
  if (result == RenderResult::Written && (sink.WasCut() || !drain.finish()))
    result = RenderResult::Cut;
  return result;
}

bool Utf8Drain::put(char32_t c) {
  char bytes[4];
  std::size_t n;
  if (c < 0x800) {
    bytes[0] = static_cast<char>(0xC0 | (c >> 6));
    bytes[1] = static_cast<char>(0x80 | (c & 0x3F));
    n = 2;
  } else if (c < 0x10000) {
    bytes[0] = static_cast<char>(0xE0 | (c >> 12));
    bytes[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    bytes[2] = static_cast<char>(0x80 | (c & 0x3F));
    n = 3;
  } else {
    bytes[0] = static_cast<char>(0xF0 | (c >> 18));
    bytes[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    bytes[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    bytes[3] = static_cast<char>(0x80 | (c & 0x3F));
    n = 4;
  }
  if (room - used < n)
    return false;
  for (std::size_t i = 0; i < n; ++i)
    dest[used + i] = bytes[i];
  used += n;
  return true;
}

inline void Utf8Drain::growFor(std::uint32_t count) {
  // Three bytes a unit at most, and a waiting high surrogate's U+FFFD.
  const std::size_t need = used + 3 * std::size_t{count} + 3;
  if (grow->size() < need)
    grow->resize(need > 2 * grow->size() ? need : 2 * grow->size());
  dest = &(*grow)[0];
  room = grow->size();
}

bool Utf8Drain::Take(const PhrasorWChar *in, std::uint32_t count) {
  units += count;
  if (units > kMaxOutputUnits) {
    tooMany = true;
    return false;
  }
  if (ended)
    return true;
  if (grow)
    growFor(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!high) {
      // Most output is ASCII: copy a run of it with one room check.
      const std::size_t space = room - used;
      const std::uint32_t end =
          count - i < space ? count : i + static_cast<std::uint32_t>(space);
      // Locals: stores through a char pointer could change the members,
      // so the compiler would reload them on every unit.
      char *out = dest + used - i;
      std::uint32_t j = i;
      while (j < end && static_cast<std::uint16_t>(in[j]) - 1u < 0x7Fu) {
        out[j] = static_cast<char>(in[j]);
        ++j;
      }
      used += j - i;
      i = j;
      if (i == count)
        break;
    }
    const char32_t c = static_cast<std::uint16_t>(in[i]);
    if (high) {
      const char32_t h = static_cast<std::uint16_t>(high);
      high = 0;
      if (c >= 0xDC00 && c <= 0xDFFF) {
        if (!put(0x10000 + ((h - 0xD800) << 10) + (c - 0xDC00)))
          return false;
        continue;
      }
      if (!put(0xFFFD))
        return false;
    }
    if (c == 0) {
      ended = true;
      return true;
    }
    if (c < 0x80) {
      if (used == room)
        return false;
      dest[used++] = static_cast<char>(c);
    } else if (c >= 0xD800 && c <= 0xDBFF) {
      high = in[i];
    } else if (!put(c >= 0xDC00 && c <= 0xDFFF ? 0xFFFD : c)) {
      return false;
    }
  }
  return true;
}

bool Utf8Drain::finish() {
  if (high) {
    high = 0;
    if (grow && grow->size() < used + 3)
      grow->resize(used + 3);
    if (grow) {
      dest = &(*grow)[0];
      room = grow->size();
    }
    if (!put(0xFFFD))
      return false;
  }
  if (grow)
    grow->resize(used);
  else
    dest[used] = 0;
  return true;
}

} // namespace phrasor
