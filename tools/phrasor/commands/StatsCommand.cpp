//===- StatsCommand.cpp - phrasor stats -----------------------------------===//
//
// Counts what databases and sources hold, and with a source to compare
// with, how far each covers it (Coverage.h says how texts are counted). A
// table for people, one row per file so languages line up; JSON with fixed
// key names for scripts that gate a release on the numbers.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/commands/Commands.h"

#include "phrasor/Key.h"
#include "tools/phrasor/Progress.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/Plurals.h"
#include "tools/phrasor/files/FileIo.h"
#include "tools/phrasor/sets/CheckedSet.h"
#include "tools/phrasor/sets/Coverage.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <set>

namespace phrasor::tool {
namespace {

struct FileStats {
  std::string file;
  std::optional<std::string> locale;
  std::size_t entries = 0;
  std::size_t withValue = 0; ///< a value that is not empty
  std::size_t empty = 0;
  std::size_t withoutValue = 0;
  std::size_t kinds[3] = {}; ///< of the values that are not empty
  std::size_t pluralIds = 0;
  std::size_t pluralTexts = 0;
  std::size_t selectIds = 0;   ///< IDs of gender or select forms
  std::size_t selectTexts = 0; ///< their texts, whatever their values
  std::size_t voicePaths = 0;
  std::string lacks; ///< the categories its plural texts lack, said
  std::optional<Coverage> coverage;
};

FileStats Count(const CheckedSet &set) {
  FileStats stats;
  stats.file = set.path;
  stats.locale = set.meta.locale;
  stats.entries = set.entries.size();
  std::set<std::string> bases, selected;
  for (std::size_t i = 0; i < set.entries.size(); ++i) {
    const authoring::Entry &e = set.entries[i];
    if (!e.value) {
      ++stats.withoutValue;
    } else if (e.value->empty()) {
      ++stats.empty;
    } else {
      ++stats.withValue;
      ++stats.kinds[static_cast<int>(set.KindAt(i))];
    }
    const Key k = Key::parse(e.id);
    if (k.is(kPluralSelector)) {
      ++stats.pluralIds;
      bases.insert(AsciiLower(k.stem));
    }
    if (const Selector *word = WordRowOf(k)) {
      ++stats.selectIds;
      selected.insert(std::string(word->name) + ":" + AsciiLower(BaseText(k)));
    }
    if (e.voicePath)
      ++stats.voicePaths;
  }
  stats.pluralTexts = bases.size();
  stats.selectTexts = selected.size();
  if (set.meta.locale && stats.pluralIds > 0) {
    std::vector<std::string> ids;
    for (const authoring::Entry &e : set.entries)
      ids.push_back(e.id);
    stats.lacks = LackedCategories(ids, *set.meta.locale,
                                   set.meta.pluralForms.has_value());
  }
  return stats;
}

double Percent(std::size_t part, std::size_t whole) {
  if (whole == 0)
    return 0.0;
  return std::round(1000.0 * static_cast<double>(part) /
                    static_cast<double>(whole)) /
         10.0;
}

constexpr TextKind kKinds[] = {TextKind::Plain, TextKind::Message,
                               TextKind::Printf};

struct CoverageCount {
  const char *key;
  std::size_t Coverage::*count;
};
constexpr CoverageCount kCoverageCounts[] = {
    {"translated", &Coverage::translated},
    {"untranslated", &Coverage::untranslated},
    {"missing", &Coverage::missing},
    {"extra", &Coverage::extra},
    {"stale", &Coverage::stale},
};

nlohmann::ordered_json ToJson(const FileStats &s, const std::string &source) {
  nlohmann::ordered_json o;
  o["file"] = s.file;
  o["locale"] = s.locale ? nlohmann::ordered_json(*s.locale) : nullptr;
  o["entries"] = s.entries;
  o["withValue"] = s.withValue;
  o["empty"] = s.empty;
  o["withoutValue"] = s.withoutValue;
  nlohmann::ordered_json kinds = nlohmann::ordered_json::object();
  for (TextKind kind : kKinds)
    kinds[KindName(kind)] = s.kinds[static_cast<int>(kind)];
  o["kinds"] = kinds;
  o["pluralIds"] = s.pluralIds;
  o["pluralTexts"] = s.pluralTexts;
  o["selectIds"] = s.selectIds;
  o["selectTexts"] = s.selectTexts;
  o["voicePaths"] = s.voicePaths;
  if (!s.lacks.empty())
    o["lacks"] = s.lacks;
  if (s.coverage) {
    nlohmann::ordered_json c;
    c["source"] = source;
    c["sourceTexts"] = s.coverage->sourceTexts;
    nlohmann::ordered_json percent = nlohmann::ordered_json::object();
    for (const CoverageCount &count : kCoverageCounts) {
      c[count.key] = (*s.coverage).*count.count;
      percent[count.key] =
          Percent((*s.coverage).*count.count, s.coverage->sourceTexts);
    }
    c["percent"] = percent;
    o["coverage"] = c;
  }
  return o;
}

/// Columns two spaces apart; the first \p leftColumns (names) aligned
/// left, the numbers right.
std::string Table(const std::vector<std::vector<std::string>> &rows,
                  std::size_t leftColumns) {
  std::vector<std::size_t> widths;
  for (const auto &row : rows)
    for (std::size_t c = 0; c < row.size(); ++c) {
      widths.resize(std::max(widths.size(), row.size()));
      widths[c] = std::max(widths[c], row[c].size());
    }
  std::string out;
  for (const auto &row : rows) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      const std::string pad(widths[c] - row[c].size(), ' ');
      line += c == 0 ? "" : "  ";
      line += c < leftColumns ? row[c] + pad : pad + row[c];
    }
    out += line + "\n";
  }
  return out;
}

std::string CountAndPercent(std::size_t count, std::size_t whole) {
  char percent[32];
  std::snprintf(percent, sizeof percent, "%.1f%%", Percent(count, whole));
  return std::to_string(count) + " (" + percent + ")";
}

std::string ToTable(const std::vector<FileStats> &all,
                    const std::string &source) {
  std::vector<std::vector<std::string>> rows = {
      {"file", "locale", "entries", "values", "empty", "no value", "text",
       "message", "printf", "plural texts", "plural IDs", "voice paths",
       "select texts", "select IDs"}};
  for (const FileStats &s : all)
    rows.push_back({s.file, s.locale.value_or("-"), std::to_string(s.entries),
                    std::to_string(s.withValue), std::to_string(s.empty),
                    std::to_string(s.withoutValue), std::to_string(s.kinds[0]),
                    std::to_string(s.kinds[1]), std::to_string(s.kinds[2]),
                    std::to_string(s.pluralTexts), std::to_string(s.pluralIds),
                    std::to_string(s.voicePaths), std::to_string(s.selectTexts),
                    std::to_string(s.selectIds)});
  std::string out = Table(rows, 2);
  for (const FileStats &s : all)
    if (!s.lacks.empty())
      out += s.file + ": " + s.lacks + "\n";
  if (all.empty() || !all.front().coverage)
    return out;
  const std::size_t texts = all.front().coverage->sourceTexts;
  out += "\nagainst " + source + " (" + std::to_string(texts) + " texts)\n";
  rows = {{"file"}};
  for (const CoverageCount &count : kCoverageCounts)
    rows[0].push_back(count.key);
  for (const FileStats &s : all) {
    rows.push_back({s.file});
    for (const CoverageCount &count : kCoverageCounts)
      rows.back().push_back(CountAndPercent((*s.coverage).*count.count, texts));
  }
  return out + Table(rows, 1);
}

} // namespace

int RunStats(const StatsOptions &options) {
  Diagnostics diag;
  Progress progress;
  progress.CountReading();
  std::optional<CheckedSet> source;
  if (!options.against.empty()) {
    source = LoadAgainst(options.against, options.input, options.againstColumn,
                         diag);
    if (!source || diag.Failed())
      return kExitProblems;
  }
  // A file that does not load is left out; its problems are on stderr.
  std::vector<FileStats> all;
  for (const std::string &file : options.files) {
    const std::size_t before = diag.Errors();
    std::optional<CheckedSet> set =
        LoadChecked(file, options.input, diag, SourceChecks::ReadOnly);
    if (!set || diag.Errors() != before)
      continue;
    all.push_back(Count(*set));
    if (source)
      all.back().coverage = MeasureCoverage(*set, *source);
  }
  if (options.json) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const FileStats &s : all)
      array.push_back(ToJson(s, options.against));
    WriteStdout(array.dump(2) + "\n");
  } else {
    WriteStdout(ToTable(all, options.against));
  }
  return diag.ExitStatus();
}

} // namespace phrasor::tool
