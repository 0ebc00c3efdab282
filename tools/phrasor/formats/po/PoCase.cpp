//===- PoCase.cpp - msgids that differ only in case, kept apart ----------===//

#include "tools/phrasor/formats/po/PoCase.h"

#include "phrasor/Key.h"

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace phrasor::tool {

namespace {

char FoldedByte(char c) { return Key::isCapital(c) ? c - 'A' + 'a' : c; }

std::uint64_t FoldedHash(std::string_view text) {
  std::uint64_t h = 14695981039346656037ull;
  for (char c : text)
    h = (h ^ static_cast<unsigned char>(FoldedByte(c))) * 1099511628211ull;
  return h;
}

std::string Folded(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), FoldedByte);
  return out;
}

/// The stored text of \p s before its plural form's selector.
std::string_view StemOf(const SourceEntry &s) {
  const std::string_view id = s.entry.id;
  return s.pluralForm ? id.substr(0, id.rfind('#')) : id;
}

/// Whether \p stem may be one of a case group: one already marked never
/// folds to the text of another.
bool Unmarked(std::string_view stem) {
  return !stem.empty() && stem[0] != Key::kCaseMark;
}

/// The folded texts that two different stems of \p stems give. Sorted by
/// folded hash alone, so that only stems of equal hashes are compared: a
/// file of a million msgids has no time for a map of their folded copies,
/// nor for comparing the long prefixes its msgids share.
std::set<std::string>
CaseGroups(std::vector<std::pair<std::uint64_t, std::string_view>> &stems) {
  std::sort(stems.begin(), stems.end(),
            [](const auto &a, const auto &b) { return a.first < b.first; });
  std::set<std::string> groups;
  for (std::size_t from = 0, to = 0; from < stems.size(); from = to) {
    to = from + 1;
    while (to < stems.size() && stems[to].first == stems[from].first)
      ++to;
    // A run holds the forms of one message and the few texts whose hashes
    // collide with theirs.
    for (std::size_t i = from; i + 1 < to; ++i)
      for (std::size_t j = i + 1; j < to; ++j) {
        const std::string_view a = stems[i].second, b = stems[j].second;
        if (a != b && a.size() == b.size() && Folded(a) == Folded(b))
          groups.insert(Folded(a));
      }
  }
  return groups;
}

/// Whether \p stem is one of \p groups and is marked for it.
bool Marks(std::string_view stem, const std::set<std::string> &groups) {
  return Unmarked(stem) && Key::hasCapitals(stem) &&
         groups.count(Folded(stem)) != 0;
}

} // namespace

void KeepCaseApart(std::vector<SourceEntry> &entries, std::size_t from,
                   PoMessageTexts &records, bool contextKey) {
  std::vector<std::pair<std::uint64_t, std::string_view>> stems;
  for (std::size_t i = from; i < entries.size(); ++i) {
    if (entries[i].origin != IdOrigin::SourceText)
      continue;
    // A plural message's forms give its stem more than once, which the
    // groups ignore as they ignore any text equal to itself: only the
    // first of its forms, which follow each other, is counted.
    const std::string_view stem = StemOf(entries[i]);
    if (Unmarked(stem) && (stems.empty() || stems.back().second != stem))
      stems.emplace_back(FoldedHash(stem), stem);
  }
  if (!contextKey)
    for (const PoMessageTexts::Item &message : records.items)
      if (Unmarked(message.id))
        stems.emplace_back(FoldedHash(message.id), message.id);
  const std::set<std::string> groups = CaseGroups(stems);
  if (groups.empty())
    return;
  for (std::size_t i = from; i < entries.size(); ++i)
    if (entries[i].origin == IdOrigin::SourceText &&
        Marks(StemOf(entries[i]), groups))
      entries[i].entry.id = Key::markCase(entries[i].entry.id);
  if (contextKey)
    return;
  for (PoMessageTexts::Item &message : records.items)
    if (Marks(message.id, groups))
      message.id = Key::markCase(message.id);
}

} // namespace phrasor::tool
