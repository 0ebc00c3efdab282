//===- Inserts.cpp - What a stored text takes, parsed once ----------------===//

#include "cpp/Inserts.h"

#include "cpp/TextEdits.h"
#include "cpp/Utf.h"
#include "format/MessageFormat.h"
#include "format/PrintfConversion.h"

#include <algorithm>
#include <cstring>

namespace phrasor {
namespace {

class PrintfCollector final : public FormatCheckHandler {
public:
  explicit PrintfCollector(Inserts &into) : out(into) {}
  void OnText(std::uint32_t, std::uint32_t) override {}
  void OnConversion(std::uint32_t begin, std::uint32_t end,
                    const ConversionSpec &spec) override {
    const auto add = [&](ArgKind kind, bool star) {
      Insert insert{kind, begin, end, star, false, false, 0, 0};
      insert.arg = static_cast<std::uint32_t>(out.list.size());
      out.list.push_back(insert);
    };
    if (spec.widthFromArg)
      add(ArgKind::Int32, true);
    if (spec.precisionFromArg)
      add(ArgKind::Int32, true);
    if (spec.kind != ArgKind::None) {
      add(spec.kind, false);
      Insert &last = out.list.back();
      last.unprefixed = spec.length == LengthMod::None &&
                        std::strchr("diouxX", spec.conversion) != nullptr;
      last.roomToWiden = true;
      last.letter = end - 1;
    }
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

const char *describeKind(ArgKind kind) {
  switch (kind) {
  case ArgKind::Int32:
  case ArgKind::Int64:
    return "an integer";
  case ArgKind::Double:
  case ArgKind::LongDouble:
    return "a number";
  case ArgKind::WideChar:
  case ArgKind::NarrowChar:
    return "a character";
  case ArgKind::WideString:
  case ArgKind::NarrowString:
    return "text";
  case ArgKind::Pointer:
    return "a pointer";
  case ArgKind::None:
    break;
  }
  return "";
}

const char *nameOf(const Arg &a) {
  return a.name ? a.name : "an undescribed argument";
}

bool accepts(ArgKind kind, const Arg &a) {
  return kind != ArgKind::None && accepts(takesOf(kind), a.type, a.fromPointer);
}

// Text for a wide insert: the caller's own units when they are terminated,
// otherwise a terminated copy or conversion in the list's scratch area.
const void *wideText(const Arg &a, ArgList &out) {
  const bool utf16 = a.type == ArgType::Utf16Text;
  if (utf16 && a.terminated)
    return a.value.p;
  if (!a.value.p && a.fromPointer)
    return nullptr; // a null pointer prints "(null)" as the runtime does
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

// True when \p text is valid UTF-8 throughout.
[[maybe_unused]] bool validUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t at = i;
    if (decodeUtf8(text, i) == 0xFFFD &&
        text.compare(at, 3, "\xEF\xBF\xBD") != 0)
      return false;
  }
  return true;
}

// Text for a narrow insert, which the runtime decodes as UTF-8 on POSIX.
// It would turn each bad byte into its own U+FFFD; the layer's converters
// give one per maximal bad subsequence, so bad UTF-8 is mended here first
// and shows the same through either kind of insert. Windows decodes narrow
// text with the code page, where no byte is bad.
const void *narrowText(const Arg &a, ArgList &out) {
  const bool utf8 = a.type == ArgType::Utf8Text;
  if (!a.value.p && a.fromPointer)
    return nullptr;
  const std::string_view bytesIn =
      utf8 ? std::string_view(static_cast<const char *>(a.value.p), a.length)
           : std::string_view();
#if defined(_WIN32)
  const bool valid = true;
#else
  const bool valid = !utf8 || validUtf8(bytesIn);
#endif
  if (utf8 && a.terminated && valid)
    return a.value.p;
  // A UTF-16 unit never takes more than three bytes, nor does a bad byte
  // mended to U+FFFD.
  auto *bytes = static_cast<char *>(out.scratch(3 * a.length + 1));
  char *end;
  if (utf8 && valid) {
    end = std::copy_n(bytesIn.data(), a.length, bytes);
  } else if (utf8) {
    end = bytes;
    for (std::size_t i = 0; i < bytesIn.size();) {
      char32_t c = decodeUtf8(bytesIn, i);
      PhrasorWChar pair[2];
      PhrasorWChar *stop = pair;
      if (c >= 0x10000) {
        c -= 0x10000;
        *stop++ = static_cast<PhrasorWChar>(0xD800 + (c >> 10));
        *stop++ = static_cast<PhrasorWChar>(0xDC00 + (c & 0x3FF));
      } else {
        *stop++ = static_cast<PhrasorWChar>(c);
      }
      end = utf16ToUtf8(TextView(pair, static_cast<std::size_t>(stop - pair)),
                        end);
    }
  } else {
    end = utf16ToUtf8(
        TextView(static_cast<const PhrasorWChar *>(a.value.p), a.length),
        bytes);
  }
  *end = 0;
  return bytes;
}

// An argument that accepts() for a floating-point insert, as \p F.
template <class F> F asFloating(const Arg &a) {
  return a.type == ArgType::Floating ? static_cast<F>(a.value.d)
         : a.type == ArgType::Signed ? static_cast<F>(a.value.i)
                                     : static_cast<F>(a.value.u);
}

// Why \p a does not suit \p insert, or null when it does.
// Whether \p a suits \p insert: unsuited's test without its message, so a
// call whose arguments suit builds no text.
inline bool suits(const Insert &insert, const Arg &a) {
  if (!accepts(insert.kind, a))
    return false;
  if (a.type != ArgType::Char)
    return true;
  if (insert.kind == ArgKind::NarrowChar)
    return static_cast<std::uint64_t>(a.value.i) <= 0x7Fu;
  if (insert.kind == ArgKind::WideChar)
    return static_cast<std::uint64_t>(a.value.i) <= 0xFFFFu;
  return true;
}

std::optional<std::string> unsuited(const Insert &insert, const Arg &a) {
  if (!accepts(insert.kind, a))
    return std::string("is ") + nameOf(a) + ", the insert takes " +
           describeKind(insert.kind);
  if (insert.kind == ArgKind::WideChar || insert.kind == ArgKind::NarrowChar) {
    const bool narrow = insert.kind == ArgKind::NarrowChar;
    // A character that is not one unit (or, narrow, one ASCII byte)
    // would come out as another character.
    if (a.type == ArgType::Char &&
        static_cast<std::uint64_t>(a.value.i) > (narrow ? 0x7Fu : 0xFFFFu))
      return std::string("is ") + nameOf(a) + " with a value that is not one " +
             (narrow ? "ASCII byte" : "UTF-16 unit");
  }
  return std::nullopt;
}

// The value of \p a, a text insert's, with particle \p pair after it as
// the value's ending asks, in the insert's own encoding in \p out's
// scratch area.
const void *withParticle(const Insert &insert, std::size_t pair, const Arg &a,
                         ArgList &out) {
  const bool wide = insert.kind == ArgKind::WideString;
  const void *value = wide ? wideText(a, out) : narrowText(a, out);
  if (!value)
    return value; // "(null)", as the runtime writes it, takes no particle
  PhrasorWChar particle[kMaxParticleUnits + 1] = {};
  std::size_t units = 0;
  const auto take = [&](Ending ending) {
    for (const char16_t *p = particleFor(pair, ending); *p; ++p)
      particle[units++] = static_cast<PhrasorWChar>(*p);
  };
  if (wide) {
    const auto *text = static_cast<const PhrasorWChar *>(value);
    const std::size_t n = TextView(text).size();
    take(endingOf(text, n));
    auto *copy = static_cast<PhrasorWChar *>(
        out.scratch((n + units + 1) * sizeof(PhrasorWChar)));
    *std::copy_n(particle, units, std::copy_n(text, n, copy)) = 0;
    return copy;
  }
  const auto *bytes = static_cast<const char *>(value);
  const std::size_t n = std::strlen(bytes);
  take(endingOf(bytes, n));
  auto *copy = static_cast<char *>(out.scratch(n + 3 * units + 1));
  *utf16ToUtf8(TextView(particle, units), std::copy_n(bytes, n, copy)) = 0;
  return copy;
}

// Why the message field \p f is refused, or nothing.
std::optional<std::string> fieldProblem(const PhrasorWChar *text,
                                        const MessageField &f) {
  if (f.typeCode == kTypeCount)
    return std::string("an 'n' insert would write to the host's memory");
  if (!f.fieldNumber)
    return std::nullopt;
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
  if (error == SpecError::None)
    return std::nullopt;
  return "insert %" + std::to_string(f.fieldNumber) + ": " +
         SpecErrorText(error);
}

Insert messageInsert(const MessageField &f) {
  return Insert{
      ArgKindOfMessageType(f.typeCode), f.insertStart,
      f.specStart + f.specLength + 1u,  false,
      f.typeCode == kTypeInt,           f.specLength + 3u <= kMaxInsertSpec,
      f.specStart + f.specLength - 1u,  f.fieldNumber - 1u};
}

} // namespace

namespace {

// Whether an insert of \p r takes a character, the one kind of value that
// can put a U+0000 into the output.
bool writesCharacters(const Inserts &r) {
  const auto isChar = [](const Insert &insert) {
    return insert.kind == ArgKind::WideChar ||
           insert.kind == ArgKind::NarrowChar;
  };
  return std::any_of(r.list.begin(), r.list.end(), isChar) ||
         std::any_of(r.repeats.begin(), r.repeats.end(), isChar);
}

Inserts parseMessageText(const PhrasorWChar *text) {
  Inserts r;
  MessageLayout layout;
  QVFormatMessageT parser;
  MessageStatus status = parser.Parse(text, layout);
  if (status != MessageStatus::Ok) {
    r.problem = DescribeMessageStatus(status);
    return r;
  }
  for (std::uint32_t k = 0; k < layout.count; ++k) {
    if (std::optional<std::string> problem =
            fieldProblem(text, layout.fields[k])) {
      r.problem = std::move(*problem);
      return r;
    }
  }
  for (std::uint32_t field = 1; field <= layout.highestField; ++field)
    r.list.push_back(
        messageInsert(layout.fields[layout.fieldOrder[field - 1]]));
  for (std::uint32_t k = 0; k < layout.count; ++k) {
    const MessageField &f = layout.fields[k];
    if (f.fieldNumber && layout.fieldOrder[f.fieldNumber - 1] != k)
      r.repeats.push_back(messageInsert(f));
  }
  r.length = static_cast<std::uint32_t>(TextView(text).size());
  r.ok = true;
  r.prepared = PrepareMessage(text, r.message) == MessageStatus::Ok;
  if (r.prepared) {
    r.plainMessage = IsPlainMessage(r.message);
    if (r.plainMessage)
      planPlainMessage(text, r.message, r.plain);
    r.mayWriteZero = writesCharacters(r);
    for (std::uint32_t k = 0; k < r.message.layout.count; ++k)
      if (r.message.how[k] == PreparedInsert::Walk)
        r.mayWriteZero = true;
  }
  return r;
}

Inserts parsePrintfText(const PhrasorWChar *text) {
  Inserts r;
  PrintfCollector collector(r);
  r.ok = CheckFormat(text, collector);
  if (!r.ok)
    r.list.clear();
  r.length = static_cast<std::uint32_t>(TextView(text).size());
  if (r.ok) {
    SpecError error;
    r.pieces.resize(PreparePrintf(text, nullptr, 0, error));
    r.prepared = PreparePrintf(text, r.pieces.data(),
                               static_cast<std::uint32_t>(r.pieces.size()),
                               error) == r.pieces.size() &&
                 error == SpecError::None;
    r.mayWriteZero = !r.prepared || writesCharacters(r);
  }
  return r;
}

// Whether two inserts of one message field would write a number the same.
bool sameNumber(const NumberInsert &x, const NumberInsert &y) {
  return x.conversion == y.conversion && x.grouped == y.grouped &&
         x.plus == y.plus && x.space == y.space &&
         x.explicitPrecision == y.explicitPrecision &&
         x.precision == y.precision;
}

// Marks the inserts of \p r the layer writes, which the rewritten text
// shows as text inserts: they take numbers, and whole. False when a field
// repeated takes its number in two ways, which one value cannot give.
bool markNumbers(Inserts &r, const NumberForm &form) {
  const auto mark = [&](Insert &insert) {
    if (insert.star)
      return;
    for (std::size_t k = 0; k < form.inserts.size(); ++k) {
      const NumberInsert &n = form.inserts[k];
      if (n.begin != insert.begin)
        continue;
      insert.number = static_cast<std::int32_t>(k);
      insert.kind =
          std::strchr("diu", n.conversion) ? ArgKind::Int32 : ArgKind::Double;
      insert.unprefixed = false;
    }
  };
  std::for_each(r.list.begin(), r.list.end(), mark);
  std::for_each(r.repeats.begin(), r.repeats.end(), mark);
  for (const Insert &repeat : r.repeats) {
    const Insert &first = r.list[repeat.arg];
    if ((repeat.number < 0) != (first.number < 0) ||
        (repeat.number >= 0 &&
         !sameNumber(form.inserts[static_cast<std::size_t>(repeat.number)],
                     form.inserts[static_cast<std::size_t>(first.number)])))
      return false;
  }
  r.numbers = form.inserts;
  if (r.plain.ok)
    planPlainNumbers(r.plain, r.numbers);
  return true;
}

// Marks the inserts of \p r that carry a particle of \p cut. A pair goes
// on a text insert, and every insert of a repeated field carries the same
// pair or none, as one value is written for all of them.
void markParticles(Inserts &r, const ParticleForm &cut) {
  const auto mark = [&](Insert &insert) {
    for (std::size_t k = 0; k < cut.inserts.size(); ++k)
      if (!insert.star && cut.inserts[k].begin == insert.begin)
        insert.particle = static_cast<std::int32_t>(k);
    if (insert.particle >= 0 && insert.kind != ArgKind::WideString &&
        insert.kind != ArgKind::NarrowString && r.problem.empty())
      r.problem = "the particle pair of the insert at character " +
                  std::to_string(insert.begin + 1) + " needs a text insert (s)";
  };
  std::for_each(r.list.begin(), r.list.end(), mark);
  std::for_each(r.repeats.begin(), r.repeats.end(), mark);
  const auto pairOf = [&](const Insert &insert) {
    return insert.particle < 0
               ? -1
               : cut.inserts[static_cast<std::size_t>(insert.particle)].pair;
  };
  for (const Insert &repeat : r.repeats)
    if (pairOf(repeat) != pairOf(r.list[repeat.arg]) && r.problem.empty())
      r.problem = "insert %" + std::to_string(repeat.arg + 1) +
                  " is written with two particles, or with one and without; "
                  "give the value twice, as two inserts";
  r.ok = r.problem.empty();
  r.particles = cut.inserts;
  r.rewritten = true;
  r.plain.ok = false; // the general path writes the particles
}

Inserts refusedFor(std::string problem) {
  Inserts r;
  r.problem = std::move(problem);
  return r;
}

// \p text parsed as it is stored and, when it has numeric inserts the
// layer can write, as rewritten for them: the grouping flag needs the
// rewritten form, which the runtime's parsers would refuse as stored, as
// they would a particle pair, which every form has taken out.
Inserts parseWithNumbers(const PhrasorWChar *text, Style style) {
  const auto parse = [style](const PhrasorWChar *t) {
    return style == Style::Message ? parseMessageText(t) : parsePrintfText(t);
  };
  NumberForm form = rewriteNumbers(text, style);
  if (!form.problem.empty())
    return refusedFor(form.problem);
  ParticleForm bare = takeParticles(text, style);
  if (!bare.problem.empty())
    return refusedFor(bare.problem);
  const bool particles = !bare.inserts.empty();
  auto rewritten = std::make_unique<Inserts>();
  if (!form.inserts.empty()) {
    ParticleForm cut = takeParticles(form.text.c_str(), style);
    for (NumberInsert &n : form.inserts)
      n.begin = cut.moved(n.begin);
    *rewritten = parse(cut.text.c_str());
    if (rewritten->ok && !markNumbers(*rewritten, form)) {
      rewritten->ok = false;
      rewritten->problem = "a repeated insert writes its number in two ways";
    }
    if (rewritten->ok && particles)
      markParticles(*rewritten, cut);
    rewritten->rewritten = true;
    rewritten->source = std::move(cut.text);
    if (form.flagged)
      return std::move(*rewritten);
  }
  Inserts r = parse(particles ? bare.text.c_str() : text);
  if (r.ok && particles) {
    markParticles(r, bare);
    r.source = std::move(bare.text);
  }
  if (r.ok && rewritten->ok && rewritten->rewritten)
    r.localForm = std::move(rewritten);
  return r;
}

// \p r's text with every insert set apart, parsed once, so a right-to-left
// catalog that sets its inserts apart formats it as any other text, on the
// plain writers too. Left without one when the marked text does not parse:
// such a call then marks a copy of the text.
void addSetApart(Inserts &r, const PhrasorWChar *stored, Style style) {
  if (r.localForm)
    addSetApart(*r.localForm, stored, style);
  std::vector<Edit> edits;
  const auto add = [&](const Insert &insert) {
    if (insert.star)
      return;
    edits.push_back(Edit{insert.begin, 1, kIsolateStart, 1});
    edits.push_back(Edit{insert.end, 0, kIsolateEnd, 1});
  };
  std::for_each(r.list.begin(), r.list.end(), add);
  std::for_each(r.repeats.begin(), r.repeats.end(), add);
  if (!r.ok || edits.empty())
    return;
  Text text =
      editedText(r.textOf(stored), r.length, edits.data(), edits.size());
  auto twin = std::make_unique<Inserts>(style == Style::Message
                                            ? parseMessageText(text.c_str())
                                            : parsePrintfText(text.c_str()));
  NumberForm numbers;
  numbers.inserts = r.numbers;
  for (NumberInsert &n : numbers.inserts)
    n.begin = editedPlace(n.begin, edits.data(), edits.size());
  ParticleForm particles;
  particles.inserts = r.particles;
  for (ParticleInsert &p : particles.inserts)
    p.begin = editedPlace(p.begin, edits.data(), edits.size());
  if (!twin->ok || (!numbers.inserts.empty() && !markNumbers(*twin, numbers)))
    return;
  if (!particles.inserts.empty())
    markParticles(*twin, particles);
  if (!twin->ok)
    return;
  twin->rewritten = true;
  twin->source = std::move(text);
  twin->setApart = true;
  r.setApartForm = std::move(twin);
}

} // namespace

Inserts parseMessage(const PhrasorWChar *text, bool setApart) {
  Inserts r = parseWithNumbers(text, Style::Message);
  if (setApart)
    addSetApart(r, text, Style::Message);
  return r;
}

Inserts parsePrintf(const PhrasorWChar *text, bool setApart) {
  Inserts r = parseWithNumbers(text, Style::Printf);
  if (setApart)
    addSetApart(r, text, Style::Printf);
  return r;
}

const Inserts &setApartFor(const Inserts &form, bool isolate) {
  return isolate && form.setApartForm ? *form.setApartForm : form;
}

const Inserts &formFor(const Inserts &parsed, const Arg *args,
                       std::size_t count) {
  if (parsed.localForm)
    for (std::size_t k = 0; k < count; ++k)
      if (args[k].localized)
        return *parsed.localForm;
  return parsed;
}

namespace {

Error mismatch(std::string_view id, const PhrasorWChar *text,
               const Insert &insert, const std::string &why) {
  return Error(Errc::ArgumentMismatch,
               "'" + std::string(id) + "': argument " +
                   std::to_string(insert.arg + 1) +
                   (insert.star ? " (a '*' of " : " (for ") +
                   insertText(text, insert) + ") " + why);
}

// Why \p args do not suit \p inserts, or nothing when they do.
std::optional<Error> checkArguments(const Inserts &inserts,
                                    const PhrasorWChar *text,
                                    std::string_view id, const Arg *args,
                                    std::size_t count) {
  if (count < inserts.list.size())
    return mismatch(id, text, inserts.list[count],
                    "is missing: the text takes " +
                        std::to_string(inserts.list.size()) + " arguments, " +
                        std::to_string(count) + " given");
  const auto problem = [&](const Insert &insert) -> std::optional<Error> {
    const Arg &a = args[insert.arg];
    if (a.localized && insert.number < 0 && !insert.star)
      return mismatch(
          id, text, insert,
          "is a phrasor::" + std::string(a.percent ? "percent" : "number") +
              ", and the insert is not one the locale's numbers "
              "are written in (d, i, u, f, e or g, without a "
              "size, '0', '#' or '.*')");
    if (suits(insert, a))
      return std::nullopt;
    if (std::optional<std::string> why = unsuited(insert, args[insert.arg]))
      return mismatch(id, text, insert, *why);
    return std::nullopt;
  };
  for (const Insert &insert : inserts.list)
    if (std::optional<Error> refused = problem(insert))
      return refused;
  for (const Insert &insert : inserts.repeats)
    if (std::optional<Error> refused = problem(insert))
      return refused;
  return std::nullopt;
}

// The number of \p insert written as text into \p out's scratch area.
const PhrasorWChar *numberText(const Inserts &inserts, const Insert &insert,
                               const Arg &a, const numbers::NumberStyle &style,
                               ArgList &out) {
  PhrasorWChar units[kMaxNumberUnits + 1];
  PhrasorWChar *end = writeNumber(
      style, inserts.numbers[static_cast<std::size_t>(insert.number)], a,
      units);
  *end++ = 0;
  const auto size = static_cast<std::size_t>(end - units);
  auto *kept =
      static_cast<PhrasorWChar *>(out.scratch(size * sizeof(PhrasorWChar)));
  std::copy(units, end, kept);
  return kept;
}

// Adds \p a, which suits \p insert, to \p out as the insert takes it.
void pushValue(const Insert &insert, const Arg &a, ArgList &out) {
  switch (insert.kind) {
  case ArgKind::Int32:
  case ArgKind::WideChar:
  case ArgKind::NarrowChar:
    out.push(static_cast<std::int32_t>(a.value.i));
    break;
  case ArgKind::Int64:
    out.push(static_cast<std::int64_t>(a.value.i));
    break;
  case ArgKind::Double:
    out.push(asFloating<double>(a));
    break;
  case ArgKind::LongDouble:
    out.push(asFloating<long double>(a));
    break;
  case ArgKind::WideString:
    out.push(wideText(a, out));
    break;
  case ArgKind::NarrowString:
    out.push(narrowText(a, out));
    break;
  case ArgKind::Pointer:
    out.push(a.value.p);
    break;
  case ArgKind::None: // never listed: every insert takes something
    break;
  }
}

// An integer wider than 32 bits is rendered whole by an insert without a
// size prefix, as C++ formatting libraries do, rather than cut to 32 bits
// with no sign of it. Every insert of its field must be such an insert,
// or the field keeps the narrowing its prefix asks for.
bool widenable(const Inserts &inserts, const Insert &insert, const Arg &a) {
  if (insert.kind != ArgKind::Int32 || !insert.unprefixed || insert.star ||
      !a.wide)
    return false;
  for (const Insert &other : inserts.repeats)
    if (other.arg == insert.arg && !other.unprefixed)
      return false;
  return true;
}

// The inserts to widen, kept in the list's scratch area so that
// formatting into a caller's buffer stays free of allocation.
struct Widening {
  const Insert **inserts = nullptr;
  std::size_t count = 0;
};

// Adds \p insert and the other inserts of its field to \p to; false
// when one of them has no room for "I64" in its spec.
bool addWidened(const Inserts &inserts, const Insert &insert, Widening &to,
                ArgList &out) {
  const auto roomless = [&](const Insert &x) {
    return x.arg == insert.arg && !x.roomToWiden;
  };
  if (!insert.roomToWiden ||
      std::any_of(inserts.repeats.begin(), inserts.repeats.end(), roomless))
    return false;
  if (!to.inserts)
    to.inserts = static_cast<const Insert **>(
        out.scratch((inserts.list.size() + inserts.repeats.size()) *
                    sizeof(const Insert *)));
  to.inserts[to.count++] = &insert;
  for (const Insert &other : inserts.repeats)
    if (other.arg == insert.arg)
      to.inserts[to.count++] = &other;
  return true;
}

// The edits that widen the inserts of \p wide and, with \p isolate, set
// every insert apart, in \p out's scratch area; \p count is how many.
Edit *editsFor(const Inserts &inserts, const Widening &wide, bool isolate,
               std::size_t &count, ArgList &out) {
  count = 0;
  const std::size_t most =
      wide.count +
      (isolate ? 2 * (inserts.list.size() + inserts.repeats.size()) : 0);
  if (!most)
    return nullptr;
  auto *edits = static_cast<Edit *>(out.scratch(most * sizeof(Edit)));
  for (std::size_t k = 0; k < wide.count; ++k)
    edits[count++] = Edit{wide.inserts[k]->letter, 2, kWide, 3};
  const auto isolated = [&](const Insert &insert) {
    if (!isolate || insert.star)
      return;
    edits[count++] = Edit{insert.begin, 1, kIsolateStart, 1};
    edits[count++] = Edit{insert.end, 0, kIsolateEnd, 1};
  };
  std::for_each(inserts.list.begin(), inserts.list.end(), isolated);
  std::for_each(inserts.repeats.begin(), inserts.repeats.end(), isolated);
  return edits;
}

} // namespace

std::optional<Error>
bindArguments(const Inserts &inserts, const PhrasorWChar *text,
              std::string_view id, const Arg *args, std::size_t count,
              ArgList &out, const PhrasorWChar *&render,
              const numbers::NumberStyle &numbers, bool isolate) {
  text = inserts.textOf(text);
  render = text;
  if (std::optional<Error> refused =
          checkArguments(inserts, text, id, args, count))
    return refused;
  Widening wide;
  for (const Insert &insert : inserts.list) {
    const Arg &a = args[insert.arg];
    if (insert.number >= 0) {
      out.push(numberText(inserts, insert, a, numbers, out));
      continue;
    }
    if (insert.particle >= 0) {
      out.push(withParticle(
          insert,
          inserts.particles[static_cast<std::size_t>(insert.particle)].pair, a,
          out));
      continue;
    }
    if (!widenable(inserts, insert, a)) {
      pushValue(insert, a, out);
      continue;
    }
    if (!addWidened(inserts, insert, wide, out))
      return mismatch(id, text, insert,
                      std::string("is ") + nameOf(a) +
                          ", wider than 32 bits, and the insert's spec is "
                          "too long to widen");
    out.push(static_cast<std::int64_t>(a.value.i));
  }
  std::size_t edits = 0;
  Edit *edit = editsFor(inserts, wide, isolate, edits, out);
  if (!edits)
    return std::nullopt;
  if (inserts.length + (edits - wide.count) + 3 * wide.count >
      kMaxMessageLength)
    return mismatch(id, text, wide.count ? *wide.inserts[0] : inserts.list[0],
                    wide.count ? "is wider than 32 bits, and the text is too "
                                 "long to widen its insert"
                               : "is in a text too long to set its inserts "
                                 "apart from it");
  render = withEdits(text, inserts.length, edit, edits, out);
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
