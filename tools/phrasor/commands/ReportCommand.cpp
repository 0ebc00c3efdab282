//===- ReportCommand.cpp - phrasor report ---------------------------------===//
//
// One HTML page on the translations of a source, for people who do not run
// the tool: coverage per language as bars, what check finds grouped by
// language and kind with file:line, the texts over their length limit, and
// each plural text's forms in every language side by side. The page holds
// everything it shows (its style inline, no script, no font or image from
// elsewhere), so it opens offline and can be mailed around.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/commands/Commands.h"

#include "phrasor/Key.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/Markup.h"
#include "tools/phrasor/checks/Plurals.h"
#include "tools/phrasor/files/FileIo.h"
#include "tools/phrasor/files/SafeBuild.h"
#include "tools/phrasor/sets/CheckAgainst.h"
#include "tools/phrasor/sets/CheckedSet.h"
#include "tools/phrasor/sets/Coverage.h"

#include <algorithm>
#include <iostream>
#include <map>
#include <set>

namespace phrasor::tool {
namespace {

std::string Html(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    default:
      out.push_back(c);
    }
  }
  return out;
}

std::string Html(std::u16string_view text) {
  return Html(Utf16ToUtf8Lossy(text));
}

// Where the insert or conversion at \p text[i] (a '%') ends: %N!spec!, %N,
// or a printf spec to its letter; a '%' and the character it escapes.
std::size_t InsertEnd(std::u16string_view text, std::size_t i) {
  const auto in = [&](std::size_t at, std::u16string_view set) {
    return at < text.size() && set.find(text[at]) != std::u16string_view::npos;
  };
  std::size_t at = i + 1;
  if (in(at, u"123456789")) {
    while (in(at, u"0123456789"))
      ++at;
    if (at < text.size() && text[at] == u'!') {
      const std::size_t close = text.find(u'!', at + 1);
      return close == std::u16string_view::npos ? text.size() : close + 1;
    }
    return at;
  }
  while (in(at, u"-+ #0'(/)123456789.*hlLjztwIq") ||
         (at < text.size() && text[at] >= 0xAC00 && text[at] <= 0xD7A3))
    ++at;
  return at < text.size() ? at + 1 : at;
}

// A stored text for a cell: each insert set apart, left to right, so a
// right-to-left text does not turn "%1!d!" inside out; the cell itself
// takes the direction of its text (dir="auto" on its element).
std::string IsolatedHtml(std::u16string_view text) {
  std::string out;
  std::size_t from = 0;
  for (std::size_t i = text.find(u'%'); i != std::u16string_view::npos;
       i = text.find(u'%', i)) {
    const std::size_t end = InsertEnd(text, i);
    out += Html(text.substr(from, i - from)) + "<bdi dir=\"ltr\">" +
           Html(text.substr(i, end - i)) + "</bdi>";
    from = i = end;
  }
  return out + Html(text.substr(from));
}

/// The heading a problem is listed under, from what check says.
std::string KindOfProblem(const std::string &message) {
  // IDs, texts and tags are quoted in check's messages; with gettext keys
  // they are sentences that may hold the very words looked for here.
  std::string bare;
  bool quoted = false;
  for (char c : message) {
    if (c == '\'')
      quoted = !quoted;
    if (!quoted || c == '\'')
      bare += c;
  }
  auto has = [&](const char *words) {
    return bare.find(words) != std::string::npos;
  };
  if (has("over its limit"))
    return "over the length limit";
  if (has("tags do not balance") || has("nests '") || has("renames '") ||
      (has("drops '") && has("of its source")) ||
      has("', which its source lacks"))
    return "markup";
  if (has("is missing"))
    return "missing";
  if (has("is not translated"))
    return "untranslated";
  if (has("is not in the source"))
    return "extra";
  if (has("insert") || has("conversion") || has("argument") || has("read as a"))
    return "inserts and conversions";
  if (has("plural") || has("category"))
    return "plural forms";
  return "other";
}

struct OverLimit {
  std::string id, where;
  std::u16string text;
  std::size_t length = 0;
  unsigned limit = 0;
};

/// One translation as the page shows it.
struct Language {
  std::string file, name;
  std::optional<CheckedSet> set; ///< empty when it could not be read
  Coverage coverage;
  std::vector<KeptProblem> problems;
  std::vector<OverLimit> over;
};

std::string Percent(std::size_t part, std::size_t whole) {
  if (whole == 0)
    return "100";
  const std::size_t tenths = (part * 1000 + whole / 2) / whole;
  std::string s = std::to_string(tenths / 10);
  if (tenths % 10)
    s += "." + std::to_string(tenths % 10);
  return s;
}

constexpr const char *kStyle = R"(
body{font-family:system-ui,sans-serif;margin:2em;color:#222;max-width:70em}
h1{font-size:1.6em}h2{margin-top:2em;border-bottom:1px solid #ccc}
table{border-collapse:collapse;margin:.5em 0}
td,th{border:1px solid #ddd;padding:.3em .6em;text-align:left;vertical-align:top}
th{background:#f4f4f4}
.bar{width:20em;height:1em;background:#eee;border-radius:3px;overflow:hidden}
.bar div{height:100%;background:#3a8f3a}
.num{text-align:right;font-variant-numeric:tabular-nums}
.error{color:#a00}.warning{color:#a60}
code{background:#f6f6f6;padding:0 .2em;white-space:pre-wrap}
.none{color:#888}
)";

/// Each varying text's forms: by text (folded), then by form.
using FormsByText =
    std::map<std::string, std::map<std::string, std::u16string>>;

class Page {
public:
  Page(const CheckedSet &s, std::vector<Language> &l,
       std::vector<std::string> c)
      : source(s), langs(l), cutOff(std::move(c)) {}
  std::string Write();

private:
  void CoverageTable();
  void Problems();
  void Limits();
  void Plurals();
  void Selects();
  void FormsTable(const FormsByText &ours,
                  const std::map<std::string, std::string> &names,
                  FormsByText (*formsOf)(const CheckedSet &,
                                         std::map<std::string, std::string> *));
  void PluralGaps();

  const CheckedSet &source;
  std::vector<Language> &langs;
  std::vector<std::string> cutOff; ///< project patterns stopped in the run
  std::string out;
};

void Page::CoverageTable() {
  out += "<h2 id=\"coverage\">Coverage</h2>\n<table>\n<tr><th>Language</th>"
         "<th>File</th><th>Translated</th><th></th><th>Untranslated</th>"
         "<th>Missing</th><th>Extra</th><th>Problems</th></tr>\n";
  for (const Language &l : langs) {
    const Coverage &c = l.coverage;
    const std::string percent = Percent(c.translated, c.sourceTexts);
    out += "<tr class=\"language\"><td>" + Html(l.name) + "</td><td>" +
           Html(l.file) + "</td>";
    out += "<td class=\"num\">" + std::to_string(c.translated) + " / " +
           std::to_string(c.sourceTexts) + " (" + percent + "%)</td>";
    out += "<td><div class=\"bar\" title=\"" + percent +
           "%\"><div style=\"width:" + percent + "%\"></div></div></td>";
    out += "<td class=\"num\">" + std::to_string(c.untranslated) +
           "</td><td class=\"num\">" + std::to_string(c.missing) +
           "</td><td class=\"num\">" + std::to_string(c.extra) +
           "</td><td class=\"num\">" + std::to_string(l.problems.size()) +
           "</td></tr>\n";
  }
  out += "</table>\n";
}

void Page::Problems() {
  out += "<h2 id=\"problems\">Problems</h2>\n";
  for (const Language &l : langs) {
    out += "<h3>" + Html(l.name) + "</h3>\n";
    if (l.problems.empty()) {
      out += "<p class=\"none\">No problems.</p>\n";
      continue;
    }
    std::map<std::string, std::vector<const KeptProblem *>> byKind;
    for (const KeptProblem &p : l.problems)
      byKind[KindOfProblem(p.message)].push_back(&p);
    for (const auto &[kind, problems] : byKind) {
      out += "<h4>" + Html(kind) + " (" + std::to_string(problems.size()) +
             ")</h4>\n<table>\n";
      for (const KeptProblem *p : problems)
        out += std::string("<tr><td class=\"") +
               (p->error ? "error\">error" : "warning\">warning") +
               "</td><td><code>" + Html(p->where) + "</code></td><td>" +
               Html(p->message) + "</td></tr>\n";
      out += "</table>\n";
    }
  }
}

void Page::Limits() {
  out += "<h2 id=\"limits\">Over the length limit</h2>\n";
  std::size_t total = 0;
  for (const Language &l : langs)
    total += l.over.size();
  if (total == 0) {
    out += "<p class=\"none\">Every text fits its limit.</p>\n";
    return;
  }
  out += "<table>\n<tr><th>Language</th><th>ID</th><th>Where</th>"
         "<th>Length</th><th>Limit</th><th>Text</th></tr>\n";
  for (const Language &l : langs)
    for (const OverLimit &o : l.over)
      out += "<tr class=\"over\"><td>" + Html(l.name) + "</td><td>" +
             Html(o.id) + "</td><td><code>" + Html(o.where) +
             "</code></td><td class=\"num\">" + std::to_string(o.length) +
             "</td><td class=\"num\">" + std::to_string(o.limit) +
             "</td><td><code>" + Html(o.text) + "</code></td></tr>\n";
  out += "</table>\n";
}

/// The forms of each plural text, by base (ASCII case folded, as lookups
/// match) and then category, of one set.
FormsByText PluralForms(const CheckedSet &set,
                        std::map<std::string, std::string> *names = nullptr) {
  FormsByText forms;
  for (const authoring::Entry &e : set.entries) {
    const Key k = Key::parse(e.id);
    if (k.is(kPluralSelector) && e.value) {
      forms[AsciiLower(k.stem)][std::string(k.category)] = *e.value;
      if (names)
        names->emplace(AsciiLower(k.stem), k.stem);
    }
  }
  return forms;
}

/// The forms of each gender or select text, by its row and base and then
/// by what follows the base ("gender-feminine#one"), of one set.
FormsByText SelectForms(const CheckedSet &set,
                        std::map<std::string, std::string> *names = nullptr) {
  FormsByText forms;
  for (const authoring::Entry &e : set.entries) {
    const Key k = Key::parse(e.id);
    const Selector *word = WordRowOf(k);
    if (!word || !e.value)
      continue;
    const std::string base = BaseText(k);
    const std::string text = std::string(word->name) + ":" + AsciiLower(base);
    forms[text][e.id.substr(std::min(e.id.size(), base.size() + 1))] = *e.value;
    if (names)
      names->emplace(text, base);
  }
  return forms;
}

void Page::Plurals() {
  out += "<h2 id=\"plurals\">Plural forms</h2>\n";
  std::map<std::string, std::string> names;
  const FormsByText ours = PluralForms(source, &names);
  if (ours.empty()) {
    out += "<p class=\"none\">The source has no plural texts.</p>\n";
    return;
  }
  FormsTable(ours, names, &PluralForms);
}

void Page::Selects() {
  std::map<std::string, std::string> names;
  const FormsByText ours = SelectForms(source, &names);
  if (ours.empty())
    return; // most projects have none: no section
  out += "<h2 id=\"selects\">Gender and select forms</h2>\n";
  FormsTable(ours, names, &SelectForms);
}

/// A table of the source's texts \p ours (named \p names) and each
/// language's forms of them, read by \p formsOf.
void Page::FormsTable(
    const FormsByText &ours, const std::map<std::string, std::string> &names,
    FormsByText (*formsOf)(const CheckedSet &,
                           std::map<std::string, std::string> *)) {
  std::vector<FormsByText> theirs;
  for (const Language &l : langs)
    theirs.push_back(l.set ? formsOf(*l.set, nullptr) : FormsByText());
  out += "<table>\n<tr><th>Text</th><th>" +
         Html(source.meta.locale.value_or("source")) + " (source)</th>";
  for (const Language &l : langs)
    out += "<th>" + Html(l.name) + "</th>";
  out += "</tr>\n";
  auto cell = [&](const std::map<std::string, std::u16string> *forms) {
    if (!forms)
      return std::string("<td class=\"none\">missing</td>");
    std::vector<std::pair<std::string, const std::u16string *>> sorted;
    for (const auto &[category, text] : *forms)
      sorted.emplace_back(category, &text);
    // Categories in CLDR's order; exact matches ("=0") and the forms of a
    // select after them, in spelling order.
    std::stable_sort(
        sorted.begin(), sorted.end(), [](const auto &a, const auto &b) {
          return kPluralSelector.rank(a.first) < kPluralSelector.rank(b.first);
        });
    std::string td = "<td>";
    for (const auto &[category, text] : sorted)
      td += "<div><b>" + Html(category) + "</b>: <code dir=\"auto\">" +
            IsolatedHtml(*text) + "</code></div>";
    return td + "</td>";
  };
  for (const auto &[base, forms] : ours) {
    out += "<tr class=\"plural\"><td>" + Html(names.at(base)) + "</td>" +
           cell(&forms);
    for (const auto &t : theirs) {
      auto found = t.find(base);
      out += cell(found == t.end() ? nullptr : &found->second);
    }
    out += "</tr>\n";
  }
  out += "</table>\n";
  PluralGaps();
}

// Forms a language's fractions need that its texts lack (a three-form
// Russian PO has no "other" for 1.5) are said under the table, whatever
// the coverage says.
void Page::PluralGaps() {
  for (const Language &l : langs) {
    if (!l.set || !l.set->meta.locale)
      continue;
    std::vector<std::string> ids;
    for (const authoring::Entry &e : l.set->entries)
      ids.push_back(e.id);
    const std::string lacks = LackedCategories(
        ids, *l.set->meta.locale, l.set->meta.pluralForms.has_value());
    if (!lacks.empty())
      out += "<p class=\"warning\">" + Html(l.name) + ": " + Html(lacks) +
             "</p>\n";
  }
}

std::string Page::Write() {
  std::size_t texts = 0, translated = 0;
  for (const Language &l : langs) {
    texts += l.coverage.sourceTexts;
    translated += l.coverage.translated;
  }
  out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta "
        "charset=\"utf-8\">\n<title>Translation report: " +
        Html(source.path) + "</title>\n<style>" + kStyle +
        "</style>\n</head>\n<body>\n<h1>Translation report</h1>\n<p>Source "
        "<code>" +
        Html(source.path) + "</code>, " +
        std::to_string(langs.empty() ? 0 : langs[0].coverage.sourceTexts) +
        " texts; " + std::to_string(langs.size()) + " languages, " +
        Percent(translated, texts) + "% translated overall.</p>\n";
  // What the page says of markup and lengths is short of what these
  // patterns would have protected.
  for (const std::string &pattern : cutOff)
    out += "<p class=\"warning\">The pattern <code>" + Html(pattern) +
           "</code> was cut off: it took more matching steps than a run "
           "allows, and the texts after that were read without it.</p>\n";
  CoverageTable();
  Problems();
  Limits();
  Plurals();
  Selects();
  out += "</body>\n</html>\n";
  return std::move(out);
}

/// The texts of \p l over their limit (the source's, else its own).
void FindOverLimit(Language &l, const CheckedSet &source,
                   const ProtectRules &rules) {
  const CheckedSet &set = *l.set;
  std::map<std::string, std::size_t> sourceByKey;
  for (std::size_t i = 0; i < source.entries.size(); ++i)
    sourceByKey.emplace(AsciiLower(source.entries[i].id), i);
  for (std::size_t i = 0; i < set.entries.size(); ++i) {
    const authoring::Entry &e = set.entries[i];
    if (!e.value)
      continue;
    std::optional<unsigned> limit;
    TextKind kind = set.KindAt(i);
    std::string key = AsciiLower(e.id);
    if (const Key k = Key::parse(e.id);
        k.is(kPluralSelector) && !sourceByKey.count(AsciiLower(e.id)))
      key = AsciiLower(k.fallbackForm());
    if (auto s = sourceByKey.find(key); s != sourceByKey.end()) {
      kind = source.KindAt(s->second);
      if (auto f = source.meta.limits.find(source.entries[s->second].id);
          f != source.meta.limits.end())
        limit = f->second;
    }
    if (auto f = set.meta.limits.find(e.id);
        !limit && f != set.meta.limits.end())
      limit = f->second;
    if (!limit)
      continue;
    const std::size_t length =
        VisibleLength(*e.value, FindProtected(*e.value, kind, rules));
    if (length > *limit)
      l.over.push_back({e.id, set.Where(i), *e.value, length, *limit});
  }
}

} // namespace

int RunReport(const ReportOptions &options) {
  std::vector<std::string> inputs = options.files;
  inputs.push_back(options.against);
  RefuseOutputAmongInputs(inputs, options.output, "report");
  Diagnostics diag;
  std::optional<CheckedSet> source =
      LoadAgainst(options.against, options.input, options.againstColumn, diag);
  if (!source)
    return kExitProblems;
  const ProtectRules rules =
      ProjectRules(source->meta.protect, options.protect, source->path, diag);
  const InputOptions reading = ReadingAgainst(options.input, *source);
  std::vector<Language> langs(options.files.size());
  for (std::size_t i = 0; i < options.files.size(); ++i) {
    Language &l = langs[i];
    l.file = options.files[i];
    Diagnostics kept;
    kept.KeepIn(&l.problems);
    l.set = LoadChecked(l.file, reading, kept, SourceChecks::Build);
    if (!l.set) {
      l.name = l.file;
      continue;
    }
    l.name = l.set->meta.locale.value_or(l.file);
    l.coverage = MeasureCoverage(*l.set, *source);
    CheckAgainst(*l.set, *source, kept, rules);
    FindOverLimit(l, *source, rules);
  }
  WriteFileAtomically(options.output,
                      Page(*source, langs, rules.CutOff()).Write());
  std::size_t problems = 0;
  for (const Language &l : langs)
    problems += l.problems.size();
  std::cerr << "phrasor: " << options.output << ": " << langs.size()
            << " languages, " << problems << " problems\n";
  return diag.ExitStatus();
}

} // namespace phrasor::tool
