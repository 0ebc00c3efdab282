//===- Printf.cpp - Bounded printf engine for UTF-16 ----------------------===//
//
// The walk over the format and the parsing of each spec live in
// PrintfConversion; number layout in PrintfRender. This file binds each spec
// to its arguments and writes characters and strings.
//
//===----------------------------------------------------------------------===//

#include "format/Printf.h"

#include "format/PrintfRender.h"
#include "format/WStr.h"

#include <float.h>
#include <math.h>

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

/// A long double at double precision; values beyond double's range become
/// infinities rather than an undefined conversion.
double ToDouble(long double value) {
  if (value > DBL_MAX)
    return HUGE_VAL;
  if (value < -DBL_MAX)
    return -HUGE_VAL;
  return static_cast<double>(value);
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
      if (sink.WasCut())
        break;
    }
  }
  return total;
}

void RenderNarrowChar(WSink &sink, const Layout &layout, char byte) {
  PhrasorWChar units[2] = {0, 0};
  uint32_t n = 1; // a zero byte is written as a zero unit
  if (byte) {
    const char text[2] = {byte, 0};
    NarrowReader reader(text);
    n = reader.Next(units);
  }
  RenderPadded(sink, layout, n, [&] { sink.Append(units, n); });
}

void RenderWide(WSink &sink, const Layout &layout, const PhrasorWChar *text) {
  if (!text)
    text = kNullText;
  uint32_t max = Limit(layout.precision);
  if (layout.precision < 0 && layout.width == 0) {
    sink.AppendString(text, max);
    return;
  }
  uint32_t n = BoundedLength(text, max);
  // A precision stops before a pair it would split, as for narrow text.
  if (n == max && n && IsHighSurrogate(text[n - 1]) && IsLowSurrogate(text[n]))
    --n;
  RenderPadded(sink, layout, n, [&] { sink.Append(text, n); });
}

void RenderNarrow(WSink &sink, const Layout &layout, const char *text) {
  if (!text) {
    RenderWide(sink, layout, kNullText);
    return;
  }
  uint32_t max = Limit(layout.precision);
  uint32_t n = layout.width ? WalkNarrow<false>(sink, text, max) : 0;
  RenderPadded(sink, layout, n, [&] { WalkNarrow<true>(sink, text, max); });
}

/// The spec's layout once any '*' width and precision are taken.
Layout LayoutOf(const ConversionSpec &spec, FormatArgs &args) {
  Layout layout{spec.flags, static_cast<uint32_t>(spec.width), spec.precision};
  if (spec.widthFromArg) {
    int32_t width = args.NextInt32();
    if (width < 0)
      layout.flags |= kFlagMinus;
    layout.width = width < 0 ? 0u - static_cast<uint32_t>(width)
                             : static_cast<uint32_t>(width);
  }
  if (spec.precisionFromArg) {
    int32_t precision = args.NextInt32();
    layout.precision = precision < 0 ? ConversionSpec::kNone : precision;
  }
  return layout;
}

// Kept inline in the walk: binding each spec to its arguments is most of
// the engine's time.
inline void Render(WSink &sink, const ConversionSpec &spec, FormatArgs &args) {
  const Layout layout = LayoutOf(spec, args);
  switch (spec.kind) {
  case ArgKind::None:
    sink.Put('%');
    break;
  case ArgKind::Int32:
    RenderInteger(sink, spec, layout, static_cast<uint32_t>(args.NextInt32()));
    break;
  case ArgKind::Int64:
    RenderInteger(sink, spec, layout, static_cast<uint64_t>(args.NextInt64()));
    break;
  case ArgKind::Double:
    RenderFloat(sink, spec.conversion, layout, args.NextDouble());
    break;
  case ArgKind::LongDouble:
    RenderFloat(sink, spec.conversion, layout, ToDouble(args.NextLongDouble()));
    break;
  case ArgKind::WideChar: {
    PhrasorWChar unit = static_cast<PhrasorWChar>(args.NextInt32());
    RenderPadded(sink, layout, 1, [&] { sink.Put(unit); });
    break;
  }
  case ArgKind::NarrowChar:
    RenderNarrowChar(sink, layout, static_cast<char>(args.NextInt32()));
    break;
  case ArgKind::WideString:
    RenderWide(sink, layout,
               static_cast<const PhrasorWChar *>(args.NextPointer()));
    break;
  case ArgKind::NarrowString:
    RenderNarrow(sink, layout, static_cast<const char *>(args.NextPointer()));
    break;
  case ArgKind::Pointer:
    RenderPointer(sink, layout, args.NextPointer());
    break;
  }
}

// Holds its sink by value (a whole printf call) or by reference (a
// message's inserts, written into the message's one sink); by value the
// sink's fields can stay in registers along the walk.
template <typename Sink> class Engine {
public:
  template <typename... SinkArgs>
  Engine(FormatArgs &source, SinkArgs &&...sinkArgs)
      : sink(sinkArgs...), args(source) {}

  bool OnText(const PhrasorWChar *begin, const PhrasorWChar *end) {
    sink.Append(begin, static_cast<uint32_t>(end - begin));
    return !sink.WasCut();
  }
  bool OnConversion(const PhrasorWChar *, const PhrasorWChar *,
                    const ConversionSpec &spec) {
    Render(sink, spec, args);
    return !sink.WasCut();
  }
  void OnError(const PhrasorWChar *, SpecError why) { error = why; }

  Sink sink;
  SpecError error = SpecError::None;

private:
  FormatArgs &args;
};

} // namespace

void RenderConversion(WSink &sink, const ConversionSpec &spec,
                      FormatArgs &args) {
  Render(sink, spec, args);
}

SpecError RenderFormat(WSink &sink, const PhrasorWChar *format,
                       FormatArgs &args) {
  Engine<WSink &> engine(args, sink);
  WalkFormat(format, engine);
  return engine.error;
}

// A refused spec leaves what was written before it, terminated; so does a
// cut. Either way the walk stops at the first problem, left to right.
FormatOutcome FormatPrintf(PhrasorWChar *dest, uint32_t length,
                           const PhrasorWChar *format, FormatArgs &args) {
  if (!dest || length == 0)
    return {FormatStatus::BadInput, 0, SpecError::None};
  static const PhrasorWChar kEmpty[] = {0};
  Engine<WSink> engine(args, dest, length - 1);
  WalkFormat(format ? format : kEmpty, engine);
  WSink &sink = engine.sink;
  sink.Terminate();
  dest[length - 1] = 0;
  const SpecError error = engine.error;
  FormatStatus status = error != SpecError::None ? FormatStatus::BadFormat
                        : sink.WasCut()          ? FormatStatus::BufferFull
                                                 : FormatStatus::Ok;
  return {status, sink.Written(), error};
}

} // namespace phrasor
