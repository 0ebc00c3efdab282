//===- cpp_format_fuzz.cpp - Random stored texts, random typed arguments --===//
//
// Input layout: byte 0 picks the style (bit 0: printf) and the argument
// count (bits 1-3); bytes 1..8 pick each argument's C++ type; bytes 9..16
// seed the values; the rest is the stored text as UTF-16LE units (up to the
// first zero unit). The text is compiled into a database and formatted
// through the C++ layer as ID, ID#other and a plural, into a growing text
// and into a small caller buffer. A refusal is fine; a crash, a wild read
// or a write past the buffer is not. A message of plain inserts, which the
// layer writes without the formatter, must give the formatter's text.
//
//===----------------------------------------------------------------------===//

#include "format/MessageFormat.h"
#include "format/Prepared.h"
#include "phrasor/Phrasor.h"
#include "tools/authoring/DatabaseWriter.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kGuard = 8;
constexpr PhrasorWChar kGuardUnit = PhrasorWChar(0xA5A5);
int gObject;
// Text arguments, valid and not: they must arrive intact or be replaced,
// never read past.
const char kUtf8[] = "caf\xC3\xA9 \xF0\x9F\x98\x80 \xC3";
const PhrasorWChar kUtf16[] = {'w', 0xD83D, 0xDE00, 0xDC00, 'z', 0};

phrasor::Arg Pick(std::uint8_t kind, std::uint64_t v, std::string &keep,
                  phrasor::Text &keepWide) {
  using phrasor::makeArg;
  switch (kind % 14) {
  case 0:
    return makeArg(static_cast<bool>(v & 1));
  case 1:
    return makeArg(static_cast<char>(v));
  case 2:
    return makeArg(static_cast<char16_t>(v));
  case 3:
    return makeArg(static_cast<std::int32_t>(v));
  case 4:
    return makeArg(static_cast<std::uint32_t>(v));
  case 5:
    return makeArg(static_cast<std::int64_t>(v));
  case 6: {
    double d;
    std::memcpy(&d, &v, sizeof d);
    return makeArg(d);
  }
  case 7:
    return makeArg(static_cast<const char *>(kUtf8));
  case 8:
    keep.assign(kUtf8, v % sizeof kUtf8);
    return makeArg(std::string_view(keep.data(), keep.size()));
  case 9:
    return makeArg(std::string_view(kUtf8, v % sizeof kUtf8));
  case 10:
    keepWide.assign(kUtf16, v % 6);
    return makeArg(keepWide);
  case 11:
    return makeArg(phrasor::TextView(kUtf16, v % 6));
  case 12:
    return makeArg(static_cast<const void *>(&gObject));
  default:
    return makeArg(nullptr);
  }
}

// For a message of plain inserts (which the layer writes without the
// formatter), what the formatter itself gives for \p args, converted as the
// layer binds them; false when an argument is one the comparison leaves to
// the layer's own tests (a 64-bit integer, widened through another text).
bool PlainReference(const std::u16string &text, const phrasor::Arg *args,
                    std::size_t count, phrasor::Text &out) {
  using namespace phrasor;
  const Text stored(text.begin(), text.end());
  PreparedMessage prepared;
  if (PrepareMessage(stored.c_str(), prepared) != MessageStatus::Ok ||
      !IsPlainMessage(prepared) || count < prepared.layout.highestField)
    return false;
  Text converted[8];
  FormatValue values[8];
  for (std::uint32_t f = 0; f < prepared.layout.highestField; ++f) {
    const Arg &a = args[f];
    if (a.type == ArgType::Utf8Text || a.type == ArgType::Utf16Text) {
      if (!a.value.p && a.fromPointer) {
        values[f] = FormatValue(static_cast<const void *>(nullptr));
        continue;
      }
      converted[f] =
          a.type == ArgType::Utf8Text
              ? fromUtf8(std::string_view(static_cast<const char *>(a.value.p),
                                          a.length))
              : Text(static_cast<const PhrasorWChar *>(a.value.p), a.length);
      values[f] = FormatValue(static_cast<const void *>(converted[f].c_str()));
    } else if (!a.wide && a.type != ArgType::Floating &&
               a.type != ArgType::Pointer) {
      values[f] = FormatValue(static_cast<std::int32_t>(a.value.i));
    } else {
      return false;
    }
  }
  std::vector<PhrasorWChar> buffer(70000);
  ArrayArgs list(values, prepared.layout.highestField);
  if (QVFormatMessageT().Format(buffer.data(), 70000, stored.c_str(), list) !=
      MessageStatus::Ok)
    return false;
  out = buffer.data();
  return true;
}

/// A Russian catalog whose "M" and "M#few" are both \p text; an error
/// when the writer refuses the text.
phrasor::Expected<phrasor::Catalog> CatalogOf(const std::u16string &text) {
  std::vector<phrasor::authoring::Entry> entries(3);
  entries[0].id = "@locale";
  entries[0].value = u"ru";
  entries[1].id = "M";
  entries[1].value = text;
  entries[2].id = "M#few";
  entries[2].value = text;
  auto bytes = phrasor::authoring::BuildDatabase(entries);
  if (!bytes)
    return phrasor::Error(phrasor::Errc::BadMessage, "not written");
  auto catalog = phrasor::Catalog::fromBytes(bytes->data(), bytes->size());
  if (!catalog)
    std::abort(); // the writer's output must load
  return catalog;
}

/// The UTF-8 calls: the same checks and the same text as \p whole, and a
/// caller's byte buffer of \p length written within its bounds and only
/// with what fits whole.
template <class Whole>
void CheckUtf8(const phrasor::Catalog &catalog, phrasor::Style style,
               const phrasor::Arg *args, std::size_t count, std::size_t length,
               const Whole &whole) {
  auto utf8 = catalog.formatArgsUtf8("m", style, args, count);
  if (whole.has_value() != utf8.has_value() ||
      (whole && phrasor::toUtf8(*whole) != *utf8))
    std::abort();
  std::vector<char> bytes8(length + 2 * kGuard, '\x5A');
  auto into8 = catalog.formatArgsUtf8To(bytes8.data() + kGuard, length, "M",
                                        style, args, count);
  for (std::size_t g = 0; g < kGuard; ++g)
    if (bytes8[g] != '\x5A' || bytes8[bytes8.size() - 1 - g] != '\x5A')
      std::abort();
  if (into8 &&
      (!utf8 || utf8->size() != *into8 ||
       std::memcmp(utf8->data(), bytes8.data() + kGuard, *into8) != 0 ||
       bytes8[kGuard + *into8] != 0))
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  if (size < 17)
    return 0;
  const phrasor::Style style =
      data[0] & 1 ? phrasor::Style::Printf : phrasor::Style::Message;
  const std::size_t count = (data[0] >> 1) & 7;
  std::uint64_t seed;
  std::memcpy(&seed, data + 9, sizeof seed);
  std::u16string text;
  for (std::size_t i = 17; i + 1 < size; i += 2) {
    char16_t unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (!unit)
      break;
    text.push_back(unit);
  }

  auto catalog = CatalogOf(text);
  if (!catalog)
    return 0;

  std::string keep[8];
  phrasor::Text keepWide[8];
  phrasor::Arg args[8];
  for (std::size_t i = 0; i < count; ++i) {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    args[i] = Pick(data[1 + i], seed >> 11, keep[i], keepWide[i]);
  }

  auto whole = catalog->formatArgs("m", style, args, count);
  // Only that it neither crashes nor writes out of bounds.
  (void)catalog->pluralArgs("M", static_cast<std::int64_t>(seed % 30), args,
                            count);
  const std::size_t length = data[1] % 40;
  std::vector<PhrasorWChar> buffer(length + 2 * kGuard, kGuardUnit);
  auto into = catalog->formatArgsTo(buffer.data() + kGuard, length, "M", style,
                                    args, count);
  for (std::size_t g = 0; g < kGuard; ++g)
    if (buffer[g] != kGuardUnit || buffer[buffer.size() - 1 - g] != kGuardUnit)
      std::abort();
  // What fits must be what the growing call made.
  if (into && (!whole || whole->size() != *into ||
               std::memcmp(whole->data(), buffer.data() + kGuard,
                           *into * sizeof(PhrasorWChar)) != 0))
    std::abort();

  phrasor::Text reference;
  if (whole && style == phrasor::Style::Message &&
      PlainReference(text, args, count, reference) && reference != *whole)
    std::abort();

  CheckUtf8(*catalog, style, args, count, length, whole);
  return 0;
}
