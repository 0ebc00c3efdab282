//===- SafeBuild.cpp - What a build refuses before it reads ---------------===//

#include "tools/phrasor/files/SafeBuild.h"

#include "phrasor/Key.h"
#include "tools/phrasor/Diagnostics.h"
#include "tools/phrasor/Utf.h"

#include <unicode/uchar.h>
#include <utf8.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>

namespace phrasor::tool {
namespace {

namespace fs = std::filesystem;

/// True when \p a and \p b name the same file. An existing file is compared
/// by identity (device and inode), which sees through links; a path that
/// does not exist yet by its absolute, normalised spelling.
bool SameFile(const std::string &a, const std::string &b) {
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec))
    return fs::equivalent(a, b, ec) && !ec;
  const fs::path ca = fs::weakly_canonical(a, ec);
  if (ec)
    return false;
  const fs::path cb = fs::weakly_canonical(b, ec);
  return !ec && ca == cb;
}

/// \p id as it is shown in a message: control characters as \xNN or
/// \u{NNNN}, so that the message itself stays on one line, and invisible
/// ones as \u{NNNN}, so that it shows them.
std::string Shown(std::string_view id) {
  std::string out;
  auto it = id.begin();
  // Shown IDs are not always valid UTF-8 (a malformed one is reported too,
  // and a long one is cut), so bytes that start no whole character are
  // shown as \xNN and the decoder never reads past the end.
  auto valid = utf8::find_invalid(it, id.end());
  while (it != id.end()) {
    if (it == valid) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X",
                    static_cast<unsigned>(static_cast<unsigned char>(*it)));
      out += hex;
      valid = utf8::find_invalid(++it, id.end());
      continue;
    }
    auto start = it;
    const uint32_t cp = utf8::unchecked::next(it);
    char hex[16];
    if (cp < 0x20 || cp == 0x7F) {
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(cp));
      out += hex;
    } else if ((cp >= 0x80 && cp < 0xA0) ||
               u_hasBinaryProperty(static_cast<UChar32>(cp),
                                   UCHAR_DEFAULT_IGNORABLE_CODE_POINT)) {
      std::snprintf(hex, sizeof hex, "\\u{%04X}", static_cast<unsigned>(cp));
      out += hex;
    } else {
      out.append(start, it);
    }
  }
  return out;
}

bool IsControl(uint32_t cp) { return cp < 0x20 || (cp >= 0x7F && cp < 0xA0); }

/// The first few characters of a long \p id, cut at a character's start.
std::string_view Head(std::string_view id) {
  std::size_t n = std::min<std::size_t>(id.size(), 40);
  while (n > 0 && n < id.size() &&
         (static_cast<unsigned char>(id[n]) & 0xC0) == 0x80)
    --n;
  return id.substr(0, n);
}

} // namespace

void RefuseOutputAmongInputs(const std::vector<std::string> &inputs,
                             const std::string &output,
                             const std::string &command) {
  for (const std::string &input : inputs)
    if (SameFile(input, output))
      throw FatalError("the output '" + output + "' is the input '" + input +
                       "'; the " + command + " would overwrite it");
}

void RefuseRepeatedInputs(const std::vector<std::string> &inputs) {
  // By canonical path, which sees through links and other spellings, so
  // that a build of thousands of inputs stays quick; an input that does not
  // resolve is reported when it is read.
  std::map<fs::path, const std::string *> seen;
  for (const std::string &input : inputs) {
    std::error_code ec;
    const fs::path canonical = fs::canonical(input, ec);
    if (ec)
      continue;
    auto [it, added] = seen.emplace(canonical, &input);
    if (!added)
      throw FatalError("the input '" + input + "' is the input '" +
                       *it->second + "' again; give each file once");
  }
}

std::string ShownId(std::string_view id) { return Shown(id); }

bool NeedsSourceTextRules(std::string_view id) {
  return IdProblem(id, IdOrigin::Name) && !IdProblem(id, IdOrigin::SourceText);
}

namespace {

std::string QuotedId(std::string_view id) { return "ID '" + Shown(id) + "'"; }

/// A key made from a source text: only a second separator is refused.
std::optional<std::string> SourceTextIdProblem(std::string_view id) {
  // The separator stands between context and msgid; a second one would
  // make the key read back as another context.
  const Key k = Key::parse(id, kNoSelectors);
  if (k.inContext &&
      k.base.find(Key::kContextSeparator) != std::string_view::npos)
    return QuotedId(id) + " holds U+0004 more than once; it is kept for the "
                          "separator after a context";
  return std::nullopt;
}

/// Most IDs are plain ASCII names: one look at each byte tells.
bool IsPlainName(std::string_view id) {
  const unsigned char first = static_cast<unsigned char>(id.front());
  const unsigned char last = static_cast<unsigned char>(id.back());
  bool plain = first > 0x20 && last > 0x20 && first < 0x7F && last < 0x7F;
  for (std::size_t i = 0; plain && i < id.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(id[i]);
    plain = c >= 0x20 && c < 0x7F;
  }
  return plain;
}

/// White space at the ends and control characters in a name that is not
/// plain ASCII.
std::optional<std::string> CharacterProblem(std::string_view id) {
  // A space at either end is invisible in every editor, and no program
  // would ask for it.
  auto front = id.begin();
  if (u_isUWhiteSpace(static_cast<UChar32>(utf8::unchecked::next(front))))
    return QuotedId(id) + " begins with white space";
  auto back = id.end();
  if (u_isUWhiteSpace(static_cast<UChar32>(utf8::unchecked::prior(back))))
    return QuotedId(id) + " ends with white space";
  std::size_t separators = 0;
  for (auto it = id.begin(); it != id.end();) {
    const uint32_t cp = utf8::unchecked::next(it);
    // gettext keys a message that has a context as context U+0004 msgid.
    if (cp == static_cast<unsigned char>(Key::kContextSeparator) &&
        ++separators == 1 && it != id.end())
      continue;
    if (IsControl(cp)) {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
      return QuotedId(id) + " contains the control character " + code;
    }
  }
  return std::nullopt;
}

/// How a name spells each selector's forms, from the registry: "NAME#category
/// or NAME#ordinal-category with one of zero, one, ...; NAME#gender-
/// masculine, ...; NAME#select-word ...".
std::string SelectorSpellings() {
  std::string counted, words;
  const Selector *firstCounting = nullptr;
  for (const Selector *row : kSelectors) {
    if (row->takes == SelectorTakes::Count) {
      counted += (counted.empty() ? "" : " or ") + std::string("NAME") +
                 std::string(row->mark) + "category";
      firstCounting = firstCounting ? firstCounting : row;
      continue;
    }
    words += "; NAME" + std::string(row->mark);
    if (row->open) {
      words += "word (a-z, 0-9 and _)";
      continue;
    }
    for (std::size_t i = 0; i < row->categoryCount; ++i)
      words += (i ? "|" : "") + std::string(row->categories[i]);
  }
  counted += " with one of ";
  for (std::size_t i = 0; i < firstCounting->categoryCount; ++i)
    counted += (i ? ", " : "") + std::string(firstCounting->categories[i]);
  return counted + words;
}

/// A '#' in a name: only as the mark of a selector's form.
std::optional<std::string> PluralMarkProblem(std::string_view id) {
  if (id.find('#') == std::string_view::npos)
    return std::nullopt;
  const Key k = Key::parse(id);
  if (!k.selector || k.base.find('#') != std::string_view::npos)
    return QuotedId(id) + ": '#' is kept for plural forms, written " +
           SelectorSpellings();
  // A dump writes the metadata entries by their names alone: @locale#one
  // would come back as @locale.
  if (id.front() == '@')
    return QuotedId(id) + ": the tool's own IDs (beginning with '@') have no "
                          "plural forms";
  return std::nullopt;
}

} // namespace

std::optional<std::string> IdProblem(std::string_view id, IdOrigin origin) {
  if (id.empty())
    return "empty ID";
  if (id.find('\0') != std::string_view::npos)
    return "ID contains a NUL character";
  if (!IsValidUtf8(id))
    return "ID is not valid UTF-8";
  // The runtime answers "<none>" itself and never searches for it.
  if (id == "<none>")
    return "ID '<none>' is reserved and could never be looked up";
  if (id.size() > kIdByteLimit)
    return "ID '" + Shown(Head(id)) + "...' is " + std::to_string(id.size()) +
           " bytes long; the limit is " + std::to_string(kIdByteLimit);
  if (origin == IdOrigin::SourceText)
    return SourceTextIdProblem(id);
  if (!IsPlainName(id))
    if (std::optional<std::string> problem = CharacterProblem(id))
      return problem;
  return PluralMarkProblem(id);
}

std::optional<std::string> IdWarning(std::string_view id) {
  if (id.size() > kIdByteWarning)
    return "ID '" + Shown(Head(id)) + "...' is " + std::to_string(id.size()) +
           " bytes long (more than " + std::to_string(kIdByteWarning) +
           "); every lookup compares it in full";
  // Every invisible character is outside ASCII.
  if (static_cast<unsigned char>(id.front()) < 0x80 &&
      static_cast<unsigned char>(id.back()) < 0x80)
    return std::nullopt;
  auto invisible = [](uint32_t cp) {
    return u_hasBinaryProperty(static_cast<UChar32>(cp),
                               UCHAR_DEFAULT_IGNORABLE_CODE_POINT);
  };
  auto front = id.begin();
  auto back = id.end();
  const uint32_t first = utf8::unchecked::next(front);
  const uint32_t last = utf8::unchecked::prior(back);
  const uint32_t cp = invisible(first) ? first : invisible(last) ? last : 0;
  if (!cp)
    return std::nullopt;
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
  return "ID '" + Shown(id) + "' " + (cp == first ? "begins" : "ends") +
         " with the invisible character " + code +
         ": no program would ask for it";
}

} // namespace phrasor::tool
