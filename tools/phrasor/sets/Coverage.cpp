//===- Coverage.cpp - How far a translation covers its source -------------===//

#include "tools/phrasor/sets/Coverage.h"

#include "phrasor/Key.h"
#include "tools/phrasor/Utf.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <map>
#include <set>

namespace phrasor::tool {

bool HasWords(std::u16string_view value) {
  const std::u16string_view printfFlags = u"-+ #0123456789.*'hlLqjzt";
  const int32_t size = static_cast<int32_t>(value.size());
  int32_t i = 0;
  while (i < size) {
    if (value[i] != u'%') {
      UChar32 c;
      U16_NEXT(value.data(), i, size, c);
      if (u_isalpha(c))
        return true;
      continue;
    }
    ++i;
    if (i < size && value[i] == u'%') {
      ++i;
      continue;
    }
    int32_t digits = i;
    while (digits < size && value[digits] >= u'0' && value[digits] <= u'9')
      ++digits;
    if (digits > i && digits < size && value[digits] == u'!') {
      // A message insert, %1!d!: its type letters are no words.
      const std::size_t close = value.find(u'!', digits + 1);
      i = close == std::u16string_view::npos ? size
                                             : static_cast<int32_t>(close) + 1;
      continue;
    }
    while (i < size && printfFlags.find(value[i]) != std::u16string_view::npos)
      ++i;
    if (i < size && ((value[i] >= u'a' && value[i] <= u'z') ||
                     (value[i] >= u'A' && value[i] <= u'Z')))
      ++i;
  }
  return false;
}

const Selector *WordRowOf(const Key &k) {
  if (k.select)
    return k.select;
  return k.selector && k.selector->takes == SelectorTakes::String ? k.selector
                                                                  : nullptr;
}

std::string BaseText(const Key &k) {
  Key base = k.withoutSelector().withoutSelector();
  return base.print();
}

std::string OtherValueForm(const Key &k) {
  Key other = k;
  if (k.select)
    other.value = k.select->fallback;
  else if (const Selector *word = WordRowOf(k))
    other.category = word->fallback;
  return other.print();
}

namespace {

/// One text of a set: an entry, or the forms of a plural text, or the
/// forms of a text that varies by a word (and perhaps a count as well).
struct Text {
  bool plural = false;
  const Selector *word = nullptr; ///< the word row of a select text
  std::string id;  ///< as first written; the base for a plural text
  std::string key; ///< folded, 'p' or 's' first: how the other set finds it
  std::vector<std::size_t> entries;
};

struct Texts {
  std::vector<Text> list;
  std::map<std::string, std::size_t> byKey; ///< by Text::key
};

/// The plural category of \p id; empty for an ID that is no plural form.
std::string_view PluralCategoryOf(std::string_view id) {
  const Key k = Key::parse(id);
  return k.is(kPluralSelector) ? k.category : std::string_view();
}

Texts GroupTexts(const CheckedSet &set) {
  Texts texts;
  for (std::size_t i = 0; i < set.entries.size(); ++i) {
    const std::string &id = set.entries[i].id;
    const Key k = Key::parse(id);
    // A select text is one text whatever its values and counts: a
    // translation may add a value ("feminine") its source needs not.
    const Selector *word = WordRowOf(k);
    const bool plural = !word && k.is(kPluralSelector);
    const std::string name = word     ? BaseText(k)
                             : plural ? std::string(k.stem)
                                      : id;
    const std::string key = (word     ? "w" + std::string(word->name) + ":"
                             : plural ? std::string("p")
                                      : std::string("s")) +
                            AsciiLower(name);
    auto [at, fresh] = texts.byKey.emplace(key, texts.list.size());
    if (fresh)
      texts.list.push_back({plural, word, name, key, {}});
    texts.list[at->second].entries.push_back(i);
  }
  return texts;
}

/// The source form a translated form of a select text stands for: the
/// same form, else that of the word's fallback value, else the first.
const authoring::Entry &SelectSourceForm(const CheckedSet &source,
                                         const Text &text,
                                         std::string_view id) {
  const std::string same = AsciiLower(id);
  const std::string other = AsciiLower(OtherValueForm(Key::parse(id)));
  const authoring::Entry *fallback = nullptr;
  for (std::size_t i : text.entries) {
    const std::string own = AsciiLower(source.entries[i].id);
    if (own == same)
      return source.entries[i];
    if (own == other)
      fallback = &source.entries[i];
  }
  return fallback ? *fallback : source.entries[text.entries.front()];
}

/// The source form a translated form stands for: the same category, else
/// the fallback, else the first.
const authoring::Entry &SourceForm(const CheckedSet &source, const Text &text,
                                   std::string_view category) {
  const authoring::Entry *other = nullptr;
  for (std::size_t i : text.entries) {
    const std::string_view own = PluralCategoryOf(source.entries[i].id);
    if (own == category)
      return source.entries[i];
    if (own == kPluralSelector.fallback)
      other = &source.entries[i];
  }
  return other ? *other : source.entries[text.entries.front()];
}

/// Fills in \p item for a text both sets have.
void Classify(const CheckedSet &translation, const Text &ours,
              const CheckedSet &source, const Text &theirs,
              CoverageItem &item) {
  for (std::size_t i : ours.entries) {
    const authoring::Entry &e = translation.entries[i];
    const std::string_view category = ours.plural ? PluralCategoryOf(e.id) : "";
    const authoring::Entry &s =
        ours.word     ? SelectSourceForm(source, theirs, e.id)
        : ours.plural ? SourceForm(source, theirs, category)
                      : source.entries[theirs.entries.front()];
    const bool sourceHasText = s.value && !s.value->empty();
    if (!e.value || (e.value->empty() && sourceHasText)) {
      item.state = CoverageItem::Untranslated;
      item.entry = i;
      return;
    }
    const bool sameForm =
        ours.word ? AsciiLower(s.id) == AsciiLower(e.id)
                  : !ours.plural || PluralCategoryOf(s.id) == category;
    if (sameForm && sourceHasText && *e.value == *s.value && HasWords(*s.value))
      item.stale = true;
  }
}

/// True when every language shows \p text's source as it is, so a
/// translation need not have it.
bool Untranslatable(const CheckedSet &source, const Text &text) {
  const std::set<std::string> &ids = source.meta.untranslatable;
  return !ids.empty() &&
         std::all_of(text.entries.begin(), text.entries.end(),
                     [&](std::size_t i) {
                       return ids.count(source.entries[i].id) != 0;
                     });
}

} // namespace

Coverage MeasureCoverage(const CheckedSet &translation,
                         const CheckedSet &source) {
  const Texts ours = GroupTexts(translation);
  const Texts theirs = GroupTexts(source);
  Coverage coverage;
  for (const Text &text : theirs.list) {
    if (Untranslatable(source, text))
      continue;
    ++coverage.sourceTexts;
    CoverageItem item;
    item.plural = text.plural;
    item.word = text.word;
    item.id = text.id;
    auto found = ours.byKey.find(text.key);
    if (found == ours.byKey.end()) {
      item.state = CoverageItem::Missing;
      item.entry = text.entries.front();
      ++coverage.missing;
    } else {
      const Text &own = ours.list[found->second];
      item.entry = own.entries.front();
      Classify(translation, own, source, text, item);
      if (item.state == CoverageItem::Untranslated) {
        item.stale = false;
        ++coverage.untranslated;
      } else {
        ++coverage.translated;
        coverage.stale += item.stale ? 1 : 0;
      }
    }
    coverage.items.push_back(std::move(item));
  }
  for (const Text &text : ours.list) {
    if (theirs.byKey.count(text.key))
      continue;
    CoverageItem item;
    item.state = CoverageItem::Extra;
    item.plural = text.plural;
    item.word = text.word;
    item.id = text.id;
    item.entry = text.entries.front();
    ++coverage.extra;
    coverage.items.push_back(std::move(item));
  }
  return coverage;
}

} // namespace phrasor::tool
