//===- CheckAgainst.cpp - Checking a translation against its source -------===//

#include "tools/phrasor/sets/CheckAgainst.h"
#include "tools/phrasor/files/SafeBuild.h"

#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/CFormatStore.h"
#include "tools/phrasor/checks/Plurals.h"
#include "tools/phrasor/sets/Coverage.h"

#include <map>
#include <memory>
#include <set>
#include <unordered_set>

namespace phrasor::tool {

namespace {

/// Reads \p translation as the program reads \p original (under the
/// source's kind) and reports what would take other arguments. In a plural
/// form that holds a single number, a dropped insert is only a warning:
/// the form may write its number in words ("one file"). An exact match
/// ("FILES#=0") names its number, so it may drop any insert: "No files".
enum class Drops { Errors, Warnings, Allowed };

void CompareOne(const std::string &where, const std::string &id,
                const std::u16string &original, TextKind kind,
                const std::u16string &translation, bool ownKindDiffers,
                Drops drops, Diagnostics &diag) {
  const ValueReport source = CheckValueAs(original, kind);
  if (!source.errors.empty())
    return; // the source's own check reports it
  const ValueReport read = CheckValueAs(translation, kind);
  if (ownKindDiffers)
    for (const std::string &error : read.errors)
      diag.Error(where, "ID '" + ShownId(id) + "': read as a " +
                            KindName(kind) + " like its source: " + error);
  // A PO message checked against its own msgid has said it in msgfmt's
  // words; the template's msgid would say the same again.
  if (diag.ArgumentsReported(where))
    return;
  for (const std::string &problem : CompareWithSource(source, read)) {
    const bool drop = problem.rfind("drops insert", 0) == 0;
    if (drop && drops == Drops::Allowed)
      continue;
    if (drop && drops == Drops::Warnings)
      diag.Warning(where, "ID '" + ShownId(id) + "': " + problem);
    else
      diag.Error(where, "ID '" + ShownId(id) + "': " + problem);
  }
}

/// Reports what the translation lacks or adds, and what it leaves
/// untranslated.
void ReportCoverage(const CheckedSet &translation, const CheckedSet &source,
                    Diagnostics &diag) {
  for (const CoverageItem &item : MeasureCoverage(translation, source).items) {
    const std::string what =
        (item.word     ? std::string(item.word->name) + " text '"
         : item.plural ? std::string("plural text '")
                       : std::string("ID '")) +
        ShownId(item.id) + "'";
    switch (item.state) {
    case CoverageItem::Translated:
      break;
    case CoverageItem::Missing: {
      const std::string from =
          source.positions.empty()
              ? ""
              : " (" + source.positions[item.entry].Text() + ")";
      diag.Warning(translation.path,
                   what + " of the source" + from + " is missing");
      break;
    }
    case CoverageItem::Untranslated: {
      const authoring::Entry &e = translation.entries[item.entry];
      diag.Warning(
          translation.Where(item.entry),
          "ID '" + ShownId(e.id) + "' is not translated (" +
              (e.value ? "empty where the source's is not" : "no value") + ")");
      break;
    }
    case CoverageItem::Extra:
      diag.Warning(translation.Where(item.entry),
                   what + " is not in the source");
      break;
    }
  }
}

using SourceIndex = std::map<std::string, std::size_t>;

/// The source entry a translated form of a select text is read against:
/// the same value's form (by the count's fallback category when it has a
/// count), else the fallback value's, else the count's fallback form of the
/// ID alone, else the ID itself; end() when the source has none of them.
SourceIndex::const_iterator SelectSource(const Key &key,
                                         const SourceIndex &their) {
  const std::string base = BaseText(key);
  std::vector<std::string> tries;
  if (key.select) {
    const std::string own = key.fallbackForm();
    tries = {own, OtherValueForm(Key::parse(own)),
             base + std::string(key.selector->mark) +
                 std::string(key.selector->fallback)};
  } else {
    tries = {key.print(), OtherValueForm(key)};
  }
  tries.push_back(base);
  for (const std::string &id : tries)
    if (auto found = their.find(AsciiLower(id)); found != their.end())
      return found;
  return their.end();
}

/// The source entry translated form \p key is read against: a select
/// text's by SelectSource; a plural form (\p plural) by the source's
/// fallback form, since each language has its own categories and every
/// language has that one; anything else by its own ID.
SourceIndex::const_iterator SourceOf(const Key &key, bool plural,
                                     const SourceIndex &their) {
  if (WordRowOf(key))
    return SelectSource(key, their);
  return their.find(AsciiLower(plural ? key.fallbackForm() : key.print()));
}

/// Names each select text of \p translation that has no form of its row's
/// fallback value: a value with no form of its own would find no text.
void ReportMissingOther(const CheckedSet &translation, Diagnostics &diag) {
  std::map<std::string, std::pair<std::size_t, bool>> texts;
  for (std::size_t i = 0; i < translation.entries.size(); ++i) {
    const Key k = Key::parse(translation.entries[i].id);
    const Selector *word = WordRowOf(k);
    if (!word)
      continue;
    const std::string_view value = k.select ? k.value : k.category;
    auto &text =
        texts
            .emplace(std::string(word->name) + ":" + AsciiLower(BaseText(k)),
                     std::pair{i, false})
            .first->second;
    text.second = text.second || value == word->fallback;
  }
  for (const auto &[name, text] : texts) {
    if (text.second)
      continue;
    const Key k = Key::parse(translation.entries[text.first].id);
    const Selector &word = *WordRowOf(k);
    diag.Error(translation.Where(text.first),
               std::string(word.name) + " text '" + ShownId(BaseText(k)) +
                   "' has no form '" + BaseText(k) + std::string(word.mark) +
                   std::string(word.fallback) +
                   "', which every value without a form of its own takes");
  }
}

} // namespace

void CheckAgainst(const CheckedSet &translation, const CheckedSet &source,
                  Diagnostics &diag, const ProtectRules &rules) {
  ReportCoverage(translation, source, diag);
  ReportMissingOther(translation, diag);
  // Looked up the way the game looks them up: ignoring ASCII case.
  std::map<std::string, std::size_t> theirByKey;
  for (std::size_t i = 0; i < source.entries.size(); ++i)
    theirByKey.emplace(AsciiLower(source.entries[i].id), i);
  std::set<std::string> theirPlurals;
  for (const authoring::Entry &e : source.entries)
    if (const Key k = Key::parse(e.id); k.is(kPluralSelector))
      theirPlurals.insert(AsciiLower(k.stem));
  const std::optional<std::string> &locale = translation.meta.locale;

  for (std::size_t i = 0; i < translation.entries.size(); ++i) {
    const authoring::Entry &e = translation.entries[i];
    const Key key = Key::parse(e.id);
    const bool plural =
        key.is(kPluralSelector) &&
        (WordRowOf(key) || theirPlurals.count(AsciiLower(key.stem)));
    const SourceIndex::const_iterator theirs =
        SourceOf(key, plural, theirByKey);
    if (theirs == theirByKey.end() || !source.entries[theirs->second].value)
      continue;
    // Untranslated texts take no arguments; the coverage report names them.
    const std::u16string &sourceText = *source.entries[theirs->second].value;
    if (!e.value || (e.value->empty() && !sourceText.empty()))
      continue;
    // The program uses the translation as it uses the source, but a
    // printf translation that reorders its arguments is stored as the
    // message of the same inserts: it is read against the source's message.
    TextKind kind = source.KindAt(theirs->second);
    std::optional<std::u16string> reordered;
    if (kind == TextKind::Printf && translation.KindAt(i) == TextKind::Message)
      reordered = PrintfAsMessage(sourceText);
    if (reordered)
      kind = TextKind::Message;
    const std::u16string &original = reordered ? *reordered : sourceText;
    CompareOne(translation.Where(i), e.id, original, kind, *e.value,
               translation.KindAt(i) != kind,
               !plural                                 ? Drops::Errors
               : selectors::isExactMatch(key.category) ? Drops::Allowed
               : locale &&
                       CategoryIsOneNumber(*locale, std::string(key.category))
                   ? Drops::Warnings
                   : Drops::Errors,
               diag);
    std::optional<unsigned> limit;
    for (const auto &[limits, limitId] :
         {std::pair{&source.meta.limits, &source.entries[theirs->second].id},
          std::pair{&translation.meta.limits, &e.id}})
      if (auto found = limits->find(*limitId); !limit && found != limits->end())
        limit = found->second;
    CheckTextMarkup(translation.Where(i), e.id, original, kind, *e.value, limit,
                    rules, diag);
  }
}

InputOptions ReadingAgainst(const InputOptions &translation,
                            const CheckedSet &source) {
  auto texts = std::make_shared<std::unordered_set<std::string>>();
  for (std::size_t i = 0; i < source.entries.size(); ++i)
    if (source.entries[i].value && source.KindAt(i) == TextKind::Plain)
      texts->insert(AsciiLower(source.entries[i].id));
  InputOptions options = translation;
  // A plural form the source lacks is read against its "other" form, a
  // select's value against its other value's.
  options.textInSource = [texts](std::string_view id) {
    const Key k = Key::parse(id);
    if (texts->count(AsciiLower(id)) ||
        (k.is(kPluralSelector) && texts->count(AsciiLower(k.fallbackForm()))))
      return true;
    // A value the source lacks is read as the source's other value is.
    return WordRowOf(k) && texts->count(AsciiLower(OtherValueForm(k)));
  };
  return options;
}

} // namespace phrasor::tool
