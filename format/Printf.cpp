//===- Printf.cpp - Bounded printf engine for UTF-16 ----------------------===//
//
// The walk over the format and the parsing of each spec live in
// PrintfConversion; number layout in PrintfRender. This file binds each spec to
// its arguments and writes characters and strings.
//
//===----------------------------------------------------------------------===//

#include "format/Printf.h"

#include "format/PrintfConversion.h"
#include "format/PrintfRender.h"
#include "format/WSink.h"
#include "format/WStr.h"

namespace phrasor {

namespace {

const PhrasorWChar kNullText[] = PHRASOR_TEXT("(null)");
constexpr uint32_t kNoLimit = 0xFFFFFFFFu;

uint32_t Limit(int32_t precision) {
  return precision < 0 ? kNoLimit : static_cast<uint32_t>(precision);
}

/// Units of \p text up to its terminator, at most \p max.
uint32_t BoundedLength(const PhrasorWChar *text, uint32_t max) {
  uint32_t n = 0;
  while (n < max && text[n])
    ++n;
  return n;
}

/// Writes a narrow string as UTF-16. The precision counts output units and
/// never splits a character: one that would need more units than are left
/// ends the string. Returns the units written (or that would be).
template <bool Write>
uint32_t WalkNarrow(WSink &sink, const char *text, uint32_t max) {
  NarrowReader reader(text);
  PhrasorWChar units[2];
  uint32_t total = 0;
  while (uint32_t n = max - total ? reader.Next(units) : 0) {
    if (n > max - total)
      break;
    total += n;
    if (Write) {
      sink.Put(units[0]);
      if (n == 2)
        sink.Put(units[1]);
      if (sink.Full())
        break;
    }
  }
  return total;
}

class Engine {
public:
  Engine(PhrasorWChar *dest, uint32_t capacity, FormatArgs &args)
      : Sink(dest, capacity), Args(args) {}

  bool OnText(const PhrasorWChar *begin, const PhrasorWChar *end) {
    Sink.Append(begin, static_cast<uint32_t>(end - begin));
    return !Sink.Full();
  }

  bool OnConversion(const PhrasorWChar *, const PhrasorWChar *,
                    const ConversionSpec &spec) {
    Layout layout{spec.Flags, static_cast<uint32_t>(spec.Width),
                  spec.Precision};
    if (spec.WidthFromArg) {
      int32_t width = Args.NextInt32();
      if (width < 0)
        layout.Flags |= FlagMinus;
      layout.Width = width < 0 ? 0u - static_cast<uint32_t>(width)
                               : static_cast<uint32_t>(width);
    }
    if (spec.PrecisionFromArg) {
      int32_t precision = Args.NextInt32();
      layout.Precision = precision < 0 ? ConversionSpec::kNone : precision;
    }
    Render(spec, layout);
    return !Sink.Full();
  }

  void OnError(const PhrasorWChar *, SpecError) { Refused = true; }

  WSink Sink;
  bool Refused = false;

private:
  void Render(const ConversionSpec &spec, const Layout &layout) {
    switch (spec.Kind) {
    case ArgKind::None:
      Sink.Put('%');
      break;
    case ArgKind::Int32:
      RenderInteger(Sink, spec, layout,
                    static_cast<uint32_t>(Args.NextInt32()));
      break;
    case ArgKind::Int64:
      RenderInteger(Sink, spec, layout,
                    static_cast<uint64_t>(Args.NextInt64()));
      break;
    case ArgKind::Double:
      RenderFloat(Sink, spec.Conversion, layout, Args.NextDouble());
      break;
    case ArgKind::WideChar: {
      PhrasorWChar unit = static_cast<PhrasorWChar>(Args.NextInt32());
      RenderPadded(Sink, layout, 1, [&] { Sink.Put(unit); });
      break;
    }
    case ArgKind::NarrowChar:
      RenderNarrowChar(layout, static_cast<char>(Args.NextInt32()));
      break;
    case ArgKind::WideString:
      RenderWide(layout, static_cast<const PhrasorWChar *>(Args.NextPointer()));
      break;
    case ArgKind::NarrowString:
      RenderNarrow(layout, static_cast<const char *>(Args.NextPointer()));
      break;
    case ArgKind::Pointer:
      RenderPointer(Sink, layout, Args.NextPointer());
      break;
    }
  }

  void RenderNarrowChar(const Layout &layout, char byte) {
    PhrasorWChar units[2] = {0, 0};
    uint32_t n = 1; // a zero byte is written as a zero unit
    if (byte) {
      const char text[2] = {byte, 0};
      NarrowReader reader(text);
      n = reader.Next(units);
    }
    RenderPadded(Sink, layout, n, [&] { Sink.Append(units, n); });
  }

  void RenderWide(const Layout &layout, const PhrasorWChar *text) {
    if (!text)
      text = kNullText;
    uint32_t max = Limit(layout.Precision);
    if (layout.Width == 0) {
      Sink.AppendString(text, max);
      return;
    }
    uint32_t n = BoundedLength(text, max);
    RenderPadded(Sink, layout, n, [&] { Sink.Append(text, n); });
  }

  void RenderNarrow(const Layout &layout, const char *text) {
    if (!text) {
      RenderWide(layout, kNullText);
      return;
    }
    uint32_t max = Limit(layout.Precision);
    uint32_t n = layout.Width ? WalkNarrow<false>(Sink, text, max) : 0;
    RenderPadded(Sink, layout, n, [&] { WalkNarrow<true>(Sink, text, max); });
  }

  FormatArgs &Args;
};

} // namespace

// A refused spec leaves what was written before it, terminated; so does a
// cut. Either way the walk stops at the first problem, left to right.
FormatStatus FormatInto(PhrasorWChar *dest, uint32_t length,
                        const PhrasorWChar *format, FormatArgs &args,
                        uint32_t &written) {
  written = 0;
  if (!dest || length == 0)
    return FormatStatus::BadInput;
  static const PhrasorWChar Empty[] = {0};
  if (!format)
    format = Empty;
  Engine engine(dest, length - 1, args);
  WalkFormat(format, engine);
  engine.Sink.Terminate();
  dest[length - 1] = 0;
  written = engine.Sink.Written();
  if (engine.Refused)
    return FormatStatus::BadFormat;
  return engine.Sink.Full() ? FormatStatus::BufferFull : FormatStatus::Ok;
}

int32_t WStrFormatArgs(PhrasorWChar *dest, uint32_t length,
                       const PhrasorWChar *format, FormatArgs &args) {
  uint32_t written = 0;
  FormatStatus status = FormatInto(dest, length, format, args, written);
  return status == FormatStatus::Ok ? static_cast<int32_t>(written) : -1;
}

int32_t WStrFormatV(PhrasorWChar *dest, uint32_t length,
                    const PhrasorWChar *format, va_list args) {
  VaListArgs source(args);
  return WStrFormatArgs(dest, length, format, source);
}

int32_t WStrFormat(PhrasorWChar *dest, uint32_t length,
                   const PhrasorWChar *format, ...) {
  va_list args;
  va_start(args, format);
  int32_t result = WStrFormatV(dest, length, format, args);
  va_end(args);
  return result;
}

} // namespace phrasor
