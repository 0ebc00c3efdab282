//===- Utf.cpp - UTF-8 and UTF-16 conversions for the tool ----------------===//

#include "tools/phrasor/Utf.h"

#include "base/AsciiFold.h"

#include <utf8.h>

#include <cstdint>
#include <cstring>
#include <iterator>

namespace phrasor::tool {

namespace {
/// Where \p text has its first byte above ASCII, or its size: most texts
/// are ASCII, and eight bytes are tested at once.
std::size_t AsciiPrefix(std::string_view text) {
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    if (word & 0x8080808080808080ull)
      break;
  }
  while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80)
    ++i;
  return i;
}
} // namespace

bool IsValidUtf8(std::string_view text) {
  const std::string_view rest = text.substr(AsciiPrefix(text));
  return utf8::is_valid(rest.begin(), rest.end());
}

// Every value of a build passes here, and most are ASCII: a byte is then a
// unit, and the rest needs checking and converting only from its first
// other byte on. No text has more units than bytes.
std::optional<std::u16string> Utf8ToUtf16(std::string_view text) {
  const std::size_t ascii = AsciiPrefix(text);
  const std::string_view rest = text.substr(ascii);
  if (!utf8::is_valid(rest.begin(), rest.end()))
    return std::nullopt;
  std::u16string out(text.size(), u'\0');
  for (std::size_t i = 0; i < ascii; ++i)
    out[i] = static_cast<unsigned char>(text[i]);
  const auto end =
      utf8::unchecked::utf8to16(rest.begin(), rest.end(), out.begin() + ascii);
  out.resize(static_cast<std::size_t>(end - out.begin()));
  return out;
}

namespace {
bool IsHigh(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Walks \p text pair by pair; a surrogate without its partner is replaced by
// U+FFFD, or stops the conversion when \p lossy is false.
bool Convert(std::u16string_view text, bool lossy, std::string &out) {
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t u = text[i];
    uint32_t cp = u;
    if (IsHigh(u) && i + 1 < text.size() && IsLow(text[i + 1])) {
      cp = 0x10000 + ((u - 0xD800u) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    } else if (IsHigh(u) || IsLow(u)) {
      if (!lossy)
        return false;
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
  return true;
}
} // namespace

std::optional<std::string> Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  if (!Convert(text, false, out))
    return std::nullopt;
  return out;
}

std::string Utf16ToUtf8Lossy(std::u16string_view text) {
  std::string out;
  Convert(text, true, out);
  return out;
}

std::u16string FromRuntime(const PhrasorWChar *text) {
  std::u16string out;
  if (!text)
    return out;
  for (; *text; ++text)
    out.push_back(static_cast<char16_t>(*text));
  return out;
}

// Each unit as it is: built from the range at once, which is a copy where
// the runtime's units are 16 bits, rather than grown a unit at a time.
RuntimeString ToRuntime(std::u16string_view text) {
  return RuntimeString(text.begin(), text.end());
}

// Folded as the runtime's lookups fold IDs, by the runtime's own fold.
std::string AsciiLower(std::string_view text) {
  std::string out(text);
  FoldAsciiCopy(out.data(), out.data(), out.size());
  return out;
}

bool EqualsAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && EqualFolded(a.data(), b.data(), a.size());
}

std::string Trimmed(std::string_view text, std::string_view space) {
  const std::size_t begin = text.find_first_not_of(space);
  if (begin == std::string_view::npos)
    return "";
  return std::string(
      text.substr(begin, text.find_last_not_of(space) - begin + 1));
}

void AppendUtf8(std::string &out, char32_t c) {
  utf8::unchecked::append(static_cast<uint32_t>(c), std::back_inserter(out));
}

} // namespace phrasor::tool
