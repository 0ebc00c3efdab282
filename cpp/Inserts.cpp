//===- Inserts.cpp - What a stored text takes, parsed once ----------------===//

#include "Inserts.h"

#include "Utf.h"
#include "format/MessageFormat.h"
#include "format/PrintfConversion.h"

#include <algorithm>
#include <cstring>

namespace phrasor {
namespace {

Want wantOfMessageType(std::uint32_t code) {
  switch (code) {
  case kTypeInt64:
    return Want::Int64;
  case kTypeDouble:
    return Want::Double;
  case kTypeWideChar:
    return Want::WideChar;
  case kTypeNarrowChar:
    return Want::NarrowChar;
  case kTypeWideString:
    return Want::WideString;
  case kTypeNarrowString:
    return Want::NarrowString;
  case kTypePointer:
    return Want::Pointer;
  default:
    return Want::Int32;
  }
}

Want wantOfPrintfKind(ArgKind kind) {
  switch (kind) {
  case ArgKind::Int64:
    return Want::Int64;
  case ArgKind::Double:
    return Want::Double;
  case ArgKind::LongDouble:
    return Want::LongDouble;
  case ArgKind::WideChar:
    return Want::WideChar;
  case ArgKind::NarrowChar:
    return Want::NarrowChar;
  case ArgKind::WideString:
    return Want::WideString;
  case ArgKind::NarrowString:
    return Want::NarrowString;
  case ArgKind::Pointer:
    return Want::Pointer;
  default:
    return Want::Int32;
  }
}

class PrintfCollector final : public FormatCheckHandler {
public:
  explicit PrintfCollector(Inserts &into) : out(into) {}
  void OnText(std::uint32_t, std::uint32_t) override {}
  void OnConversion(std::uint32_t begin, std::uint32_t end,
                    const ConversionSpec &spec) override {
    if (spec.widthFromArg)
      out.list.push_back({Want::Int32, 0, begin, end, true});
    if (spec.precisionFromArg)
      out.list.push_back({Want::Int32, 0, begin, end, true});
    if (spec.kind != ArgKind::None)
      out.list.push_back({wantOfPrintfKind(spec.kind), 0, begin, end, false});
  }
  void OnError(std::uint32_t position, SpecError error) override {
    out.problem = std::string(SpecErrorText(error)) + " at unit " +
                  std::to_string(position);
  }

private:
  Inserts &out;
};

class TailCheck final : public FormatCheckHandler {
public:
  void OnText(std::uint32_t, std::uint32_t) override {}
  void OnConversion(std::uint32_t, std::uint32_t,
                    const ConversionSpec &) override {}
  void OnError(std::uint32_t, SpecError e) override { error = e; }
  SpecError error = SpecError::None;
};

std::string insertText(const PhrasorWChar *text, const Insert &insert) {
  return toUtf8(TextView(text + insert.begin, insert.end - insert.begin));
}

const char *describeWant(Want want) {
  switch (want) {
  case Want::Int32:
  case Want::Int64:
    return "an integer";
  case Want::Double:
  case Want::LongDouble:
    return "a number";
  case Want::WideChar:
  case Want::NarrowChar:
    return "a character";
  case Want::WideString:
  case Want::NarrowString:
    return "text";
  case Want::Pointer:
    return "a pointer";
  }
  return "";
}

bool isIntegral(ArgType t) {
  return t == ArgType::Bool || t == ArgType::Char || t == ArgType::Signed ||
         t == ArgType::Unsigned;
}

bool accepts(Want want, const Arg &a) {
  switch (want) {
  case Want::Int32:
  case Want::Int64:
    return isIntegral(a.type);
  case Want::Double:
  case Want::LongDouble:
    return a.type == ArgType::Floating || a.type == ArgType::Signed ||
           a.type == ArgType::Unsigned;
  case Want::WideChar:
  case Want::NarrowChar:
    return a.type == ArgType::Char || a.type == ArgType::Signed ||
           a.type == ArgType::Unsigned;
  case Want::WideString:
  case Want::NarrowString:
    return a.type == ArgType::Utf8Text || a.type == ArgType::Utf16Text;
  case Want::Pointer:
    return a.type == ArgType::Pointer ||
           ((a.type == ArgType::Utf8Text || a.type == ArgType::Utf16Text) &&
            a.fromPointer);
  }
  return false;
}

// Text for a wide insert: the caller's own units when they are terminated,
// otherwise a terminated copy or conversion in the list's scratch area.
const void *wideText(const Arg &a, ArgList &out) {
  const bool utf16 = a.type == ArgType::Utf16Text;
  if (utf16 && a.terminated)
    return a.value.p;
  if (!utf16 && !a.value.p)
    return nullptr; // a null const char* prints "(null)" as the runtime does
  // UTF-8 never takes more units than it has bytes.
  auto *units = static_cast<PhrasorWChar *>(
      out.scratch((a.length + 1) * sizeof(PhrasorWChar)));
  PhrasorWChar *end =
      utf16 ? std::copy_n(static_cast<const PhrasorWChar *>(a.value.p),
                          a.length, units)
            : utf8ToUtf16(std::string_view(static_cast<const char *>(a.value.p),
                                           a.length),
                          units);
  *end = 0;
  return units;
}

// Text for a narrow insert, which the runtime decodes as UTF-8 on POSIX.
const void *narrowText(const Arg &a, ArgList &out) {
  const bool utf8 = a.type == ArgType::Utf8Text;
  if (!a.value.p || (utf8 && a.terminated))
    return a.value.p;
  // A UTF-16 unit never takes more than three bytes.
  auto *bytes =
      static_cast<char *>(out.scratch((utf8 ? a.length : 3 * a.length) + 1));
  char *end =
      utf8 ? std::copy_n(static_cast<const char *>(a.value.p), a.length, bytes)
           : utf16ToUtf8(TextView(static_cast<const PhrasorWChar *>(a.value.p),
                                  a.length),
                         bytes);
  *end = 0;
  return bytes;
}

// An argument that accepts() for a floating-point insert, as \p F.
template <class F> F asFloating(const Arg &a) {
  return a.type == ArgType::Floating ? static_cast<F>(a.value.d)
         : a.type == ArgType::Signed ? static_cast<F>(a.value.i)
                                     : static_cast<F>(a.value.u);
}

} // namespace

Inserts parseMessage(const PhrasorWChar *text) {
  Inserts r;
  MessageLayout layout;
  QVFormatMessageT parser;
  MessageStatus status = parser.Parse(text, layout);
  if (status != MessageStatus::Ok) {
    r.problem = DescribeMessageStatus(status);
    return r;
  }
  for (std::uint32_t k = 0; k < layout.count; ++k) {
    const MessageField &f = layout.fields[k];
    if (f.typeCode == kTypeCount) {
      r.problem = "an 'n' insert would write to the host's memory";
      return r;
    }
    if (!f.fieldNumber)
      continue;
    // The formatter renders an insert through the printf engine from at
    // most kMaxInsertSpec units of its spec, and walks on over anything
    // after the conversion. A spec the engine refuses is a broken message,
    // whatever the buffer; refusing it here means a refusal at render time
    // can only be a full buffer.
    PhrasorWChar spec[kMaxInsertSpec + 1];
    const std::uint32_t units =
        f.specLength < kMaxInsertSpec ? f.specLength : kMaxInsertSpec;
    std::memcpy(spec, text + f.specStart, units * sizeof(PhrasorWChar));
    spec[units] = 0;
    ConversionSpec parsed;
    const PhrasorWChar *next;
    SpecError error = ParseConversionSpec(spec, parsed, next);
    if (error == SpecError::None && *next) {
      TailCheck tail;
      CheckFormat(next, tail);
      error = tail.error;
    }
    if (error != SpecError::None) {
      r.problem = "insert %" + std::to_string(f.fieldNumber) + ": " +
                  SpecErrorText(error);
      return r;
    }
  }
  for (std::uint32_t field = 1; field <= layout.highestField; ++field) {
    const MessageField &f = layout.fields[layout.fieldOrder[field - 1]];
    r.list.push_back({wantOfMessageType(f.typeCode),
                      static_cast<std::uint8_t>(f.typeCode), f.insertStart,
                      f.specStart + f.specLength + 1u, false});
  }
  r.ok = true;
  return r;
}

Inserts parsePrintf(const PhrasorWChar *text) {
  Inserts r;
  PrintfCollector collector(r);
  r.ok = CheckFormat(text, collector);
  if (!r.ok)
    r.list.clear();
  return r;
}

std::optional<Error> bindArguments(const Inserts &inserts,
                                   const PhrasorWChar *text,
                                   std::string_view id, const Arg *args,
                                   std::size_t count, ArgList &out) {
  const auto mismatch = [&](std::size_t i, std::string why) {
    return Error(Errc::ArgumentMismatch,
                 "'" + std::string(id) + "': argument " +
                     std::to_string(i + 1) +
                     (inserts.list[i].star ? " (a '*' of " : " (for ") +
                     insertText(text, inserts.list[i]) + ") " + why);
  };
  if (count < inserts.list.size())
    return mismatch(count, "is missing: the text takes " +
                               std::to_string(inserts.list.size()) +
                               " arguments, " + std::to_string(count) +
                               " given");
  for (std::size_t i = 0; i < inserts.list.size(); ++i) {
    const Insert &insert = inserts.list[i];
    const Arg &a = args[i];
    if (!accepts(insert.want, a))
      return mismatch(i, std::string("is ") + a.name + ", the insert takes " +
                             describeWant(insert.want));
    switch (insert.want) {
    case Want::Int32:
      out.push(static_cast<std::int32_t>(a.value.i));
      break;
    case Want::Int64:
      out.push(static_cast<std::int64_t>(a.value.i));
      break;
    case Want::Double:
      out.push(asFloating<double>(a));
      break;
    case Want::LongDouble:
      out.push(asFloating<long double>(a));
      break;
    case Want::WideChar:
    case Want::NarrowChar: {
      const bool narrow = insert.want == Want::NarrowChar;
      // A character that is not one unit (or, narrow, one ASCII byte)
      // would come out as another character.
      if (a.type == ArgType::Char &&
          static_cast<std::uint64_t>(a.value.i) > (narrow ? 0x7Fu : 0xFFFFu))
        return mismatch(i, std::string("is ") + a.name +
                               " with a value that is not one " +
                               (narrow ? "ASCII byte" : "UTF-16 unit"));
      out.push(static_cast<std::int32_t>(a.value.i));
      break;
    }
    case Want::WideString:
      out.push(wideText(a, out));
      break;
    case Want::NarrowString:
      out.push(narrowText(a, out));
      break;
    case Want::Pointer:
      out.push(a.value.p);
      break;
    }
  }
  return std::nullopt;
}

void *ArgList::scratch(std::size_t bytes) {
  bytes = (bytes + 7) & ~std::size_t{7};
  if (bytes <= kScratch - used) {
    void *p = area + used;
    used += bytes;
    return p;
  }
  blocks.emplace_back(new std::uint64_t[bytes / 8]);
  return blocks.back().get();
}

} // namespace phrasor
