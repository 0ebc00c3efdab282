//===- XliffRows.cpp - The units an XLIFF dump writes ---------------------===//

#include "tools/phrasor/formats/xliff/XliffRows.h"

#include "cpp/Plural.h"
#include "phrasor/Key.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/Plurals.h"

#include <algorithm>
#include <unordered_map>

namespace phrasor::tool {
namespace {

std::vector<XliffRow> Paired(const DumpSide &target, const DumpSide &source) {
  const std::vector<authoring::Entry> &t = *target.entries;
  const std::vector<authoring::Entry> &s = *source.entries;
  std::unordered_map<std::string, std::size_t> byId;
  byId.reserve(t.size());
  for (std::size_t i = 0; i < t.size(); ++i)
    byId.emplace(AsciiLower(t[i].id), i);
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::vector<std::size_t> match(s.size(), kNone);
  std::vector<bool> used(t.size(), false);
  for (std::size_t i = 0; i < s.size(); ++i) {
    auto found = byId.find(AsciiLower(s[i].id));
    if (found != byId.end() && !used[found->second]) {
      match[i] = found->second;
      used[found->second] = true;
    }
  }
  std::vector<XliffRow> rows;
  rows.reserve(s.size() + t.size());
  std::size_t next = 0; // extras before this have been written
  auto extrasBefore = [&](std::size_t end) {
    for (; next < end; ++next)
      if (!used[next])
        rows.push_back({&t[next], nullptr});
  };
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (match[i] == kNone) {
      rows.push_back({nullptr, &s[i]});
      continue;
    }
    extrasBefore(match[i]);
    rows.push_back({&t[match[i]], &s[i]});
  }
  extrasBefore(t.size());
  return rows;
}

/// The entry a row is named by.
const authoring::Entry &Named(const XliffRow &row) {
  return row.target ? *row.target : *row.source;
}

/// A plural form's key, or none for an entry that is no counted form (an
/// exact match such as "FILES#=0" is not a category of any language).
std::optional<Key> PluralForm(const XliffRow &row) {
  Key k = Key::parse(Named(row).id);
  if (!k.is(kPluralSelector) || selectors::isExactMatch(k.category))
    return std::nullopt;
  return k;
}

/// Which source category stands for each category of the translation's
/// language: the one the source language gives the first whole number
/// that selects it, else "other" (a category only fractions reach).
class StandInCategories {
public:
  StandInCategories(const std::string &targetTag, const std::string &sourceTag)
      : wanted(CategoriesOf(targetTag).all), theirs(SelectSamples(targetTag)),
        ours(SelectSamples(sourceTag)) {}

  const std::vector<std::string> &Wanted() const { return wanted; }
  bool IsWanted(std::string_view category) const {
    return std::find(wanted.begin(), wanted.end(), category) != wanted.end();
  }
  std::string SourceFor(const std::string &category) const {
    for (std::size_t i = 0; i < theirs.size(); ++i)
      if (theirs[i] == category)
        return ours[i];
    return "other";
  }

private:
  std::vector<std::string> wanted, theirs, ours;
};

/// The source text for the missing form \p category of the group of rows
/// \p group: the source's form that stands for it, else its "other".
const authoring::Entry *SourceOfForm(const std::vector<XliffRow *> &group,
                                     const std::string &category,
                                     const StandInCategories &map) {
  const std::string wanted = map.SourceFor(category);
  const authoring::Entry *other = nullptr;
  for (const XliffRow *row : group) {
    if (!row->source || !row->source->value)
      continue;
    const std::string_view have = Key::parse(row->source->id).category;
    if (have == wanted)
      return row->source;
    if (have == "other")
      other = row->source;
  }
  return other;
}

/// The rows of one plural text, forms the language lacks left out and the
/// missing ones added, in CLDR order.
std::vector<XliffRow> Completed(std::vector<XliffRow *> &group,
                                const StandInCategories &map,
                                std::deque<authoring::Entry> &standIns) {
  std::vector<XliffRow> out;
  for (XliffRow *row : group)
    if (row->target || map.IsWanted(PluralForm(*row)->category))
      out.push_back(*row);
  const Key key = *PluralForm(*group.front());
  for (const std::string &category : map.Wanted()) {
    const bool have = std::any_of(group.begin(), group.end(), [&](auto *row) {
      return PluralForm(*row)->category == category;
    });
    const authoring::Entry *text =
        have ? nullptr : SourceOfForm(group, category, map);
    if (!text)
      continue;
    standIns.push_back(
        {key.printForm(kPluralSelector, category), text->value, std::nullopt});
    out.push_back({nullptr, &standIns.back()});
  }
  std::stable_sort(out.begin(), out.end(), [](const auto &a, const auto &b) {
    return kPluralSelector.rank(PluralForm(a)->category) <
           kPluralSelector.rank(PluralForm(b)->category);
  });
  return out;
}

} // namespace

std::vector<XliffRow> PairUp(const DumpSide &target, const DumpSide &source,
                             std::deque<authoring::Entry> &standIns) {
  if (!source.entries || source.entries == target.entries) {
    std::vector<XliffRow> rows;
    rows.reserve(target.entries->size());
    for (const authoring::Entry &e : *target.entries)
      rows.push_back({&e, &e});
    return rows;
  }
  std::vector<XliffRow> rows = Paired(target, source);
  const std::optional<std::string> &language = target.meta->locale;
  if (!language || !PluralRules(*language).hasRules())
    return rows;
  const StandInCategories map(*language,
                              source.meta->locale.value_or(*language));
  // The forms of a plural text, by its stem, written together where its
  // first form stands.
  std::unordered_map<std::string, std::vector<XliffRow *>> groups;
  for (XliffRow &row : rows)
    if (const std::optional<Key> k = PluralForm(row))
      groups[AsciiLower(k->stem)].push_back(&row);
  std::vector<XliffRow> out;
  out.reserve(rows.size());
  for (XliffRow &row : rows) {
    const std::optional<Key> k = PluralForm(row);
    if (!k) {
      out.push_back(row);
      continue;
    }
    std::vector<XliffRow *> &group = groups[AsciiLower(k->stem)];
    if (group.front() != &row)
      continue;
    for (const XliffRow &done : Completed(group, map, standIns))
      out.push_back(done);
  }
  return out;
}

} // namespace phrasor::tool
