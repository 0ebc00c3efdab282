//===- Registry.cpp - Every file format the tool reads and writes ---------===//

#include "tools/phrasor/formats/Registry.h"

#include "phrasor/Key.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/Plurals.h"
#include "tools/phrasor/files/FileIo.h"
#include "tools/phrasor/formats/android/Android.h"
#include "tools/phrasor/formats/android/AndroidText.h"
#include "tools/phrasor/formats/apple/Apple.h"
#include "tools/phrasor/formats/arb/Arb.h"
#include "tools/phrasor/formats/csv/Csv.h"
#include "tools/phrasor/formats/i18next/I18next.h"
#include "tools/phrasor/formats/json/Json.h"
#include "tools/phrasor/formats/po/Po.h"
#include "tools/phrasor/formats/qt/QtTs.h"
#include "tools/phrasor/formats/xliff/Xliff.h"

#include <algorithm>

namespace phrasor::tool {
namespace {

// Spreadsheets export "Unicode text" as .txt and tab-separated values as
// .tsv: both are sheets whose fields are separated by tabs.
void ReadCsvFile(const std::string &file, std::string_view text,
                 const InputOptions &options, Diagnostics &diag,
                 std::vector<SourceEntry> &out) {
  const std::string ext = Extension(file);
  if (options.delimiter == 0 && (ext == ".tsv" || ext == ".txt")) {
    InputOptions tabs = options;
    tabs.delimiter = '\t';
    ReadCsv(file, text, tabs, diag, out);
    return;
  }
  ReadCsv(file, text, options, diag, out);
}

void ReadJsonFile(const std::string &file, std::string_view text,
                  const InputOptions &options, Diagnostics &diag,
                  std::vector<SourceEntry> &out) {
  ReadJson(file, text, diag, out, options.icuSyntax);
}

/// A row with what every format names; the rest is filled in by the caller.
Format Row(std::string_view name, std::string_view title,
           std::vector<std::string_view> extensions, FormatReader read,
           FormatWriter write) {
  Format f;
  f.name = name;
  f.title = title;
  f.extensions = std::move(extensions);
  f.read = read;
  f.write = write;
  return f;
}

Format CsvFormat() {
  Format f = Row("csv", "CSV", {".csv", ".tsv", ".txt"}, ReadCsvFile, WriteCsv);
  f.holds.notes = true;
  f.markText = "write text in its kind column to say it is meant";
  f.fuzzer = "csv";
  return f;
}

Format JsonFormat() {
  Format f = Row("json", "JSON", {".json"}, ReadJsonFile, WriteJson);
  f.holds.notes = true;
  f.markText = "write it as {\"value\": ..., \"kind\": \"text\"} to say it "
               "is meant";
  f.fuzzer = "json";
  f.icuSyntax = true;
  return f;
}

Format PoFormat() {
  Format f = Row("po", "PO", {".po", ".pot"}, ReadPo, WritePo);
  f.holds.notes = true;
  f.lossless = false;
  f.lossNote = "a text holding U+0004, gettext's separator of context and "
               "msgid, is reported and left out";
  f.markText = "flag it '#, no-c-format' to say it is meant";
  f.fuzzer = "po";
  return f;
}

/// Both versions read alike (the reader tells them apart); they differ in
/// what they write.
Format XliffFormat(std::string_view name, FormatWriter write) {
  Format f = Row(name, "XLIFF", {".xlf", ".xliff"}, ReadXliff, write);
  f.bilingual = true;
  f.holds.notes = true;
  f.holds.states = true;
  f.markText = "give its unit phr:kind=\"text\" "
               "(xmlns:phr=\"urn:phrasor:xliff:1\") to say it is meant";
  f.fuzzer = "xliff";
  f.icuSyntax = true;
  return f;
}

// Android names its strings as Java names its fields; see Android.h.
Format AndroidFormat() {
  Format f = Row("android", "Android", {".xml"}, ReadAndroid, WriteAndroid);
  f.holds.voicePaths = false;
  f.holds.absentValues = false;
  f.holds.limits = false;
  f.holds.anyIds = false;
  f.holds.notes = true;
  f.lossless = false;
  f.lossNote = "only entries named as Android names its resources, and "
               "their plural forms, are written";
  f.markText = "give its <string> formatted=\"false\" to say it is meant";
  f.fuzzer = "android";
  return f;
}

// A .strings file maps any key to a text; see AppleStrings.cpp.
Format AppleStringsFormat() {
  Format f = Row("strings", "Apple", {".strings"}, ReadAppleStrings,
                 WriteAppleStrings);
  f.holds.voicePaths = false;
  f.holds.absentValues = false;
  f.holds.limits = false;
  f.holds.notes = true;
  f.lossless = false;
  f.lossNote = "voice paths and length limits are not written";
  f.markText = "write the comment /* phr:kind=text */ before it to say it "
               "is meant";
  f.fuzzer = "apple_strings";
  return f;
}

// A .stringsdict is a property list of plural rules; see Stringsdict.cpp.
Format StringsdictFormat() {
  Format f = Row("stringsdict", "Apple", {".stringsdict"}, ReadStringsdict,
                 WriteStringsdict);
  f.holds.voicePaths = false;
  f.holds.absentValues = false;
  f.holds.kinds = false;
  f.holds.limits = false;
  // Keys are XML text, which cannot carry the controls that gettext
  // contexts and odd IDs hold; the round trips take it for plain names.
  f.holds.anyIds = false;
  f.lossless = false;
  f.lossNote = "a text holding a control character XML cannot carry is "
               "reported and left out";
  f.markText = "a .stringsdict cannot say it; build it from another format "
               "to say it is meant";
  f.fuzzer = "stringsdict";
  return f;
}

// A string catalog holds every language; see CatalogReader.cpp.
Format XcstringsFormat() {
  Format f =
      Row("xcstrings", "Apple", {".xcstrings"}, ReadXcstrings, WriteXcstrings);
  f.holds.voicePaths = false;
  f.holds.absentValues = false;
  f.holds.kinds = false;
  f.holds.limits = false;
  f.holds.notes = true;
  f.lossless = false;
  f.lossNote = "voice paths, length limits and recorded kinds are not "
               "written";
  f.markText = "a string catalog cannot say it; build it from another format "
               "to say it is meant";
  f.fuzzer = "xcstrings";
  f.merge = MergeXcstrings;
  return f;
}

// i18next files end in .json like the tool's own JSON, which keeps the
// extension: they are read by --input-format i18next. See I18next.h.
Format I18nextFormat() {
  Format f = Row("i18next", "i18next", {".json"}, ReadI18next, WriteI18next);
  f.holds.voicePaths = false;
  f.holds.absentValues = false;
  f.holds.kinds = false;
  f.holds.limits = false;
  f.holds.anyIds = false;
  f.holds.locale = false;
  f.holds.anyInserts = false;
  f.lossless = false;
  f.lossNote = "only IDs i18next has keys for, inserts %N!s! (the "
               "count's %N!d!), texts without printf conversions, and the "
               "language only from a locales/<lng>/ folder";
  f.markText = "an i18next text is never a format: its '%' is text";
  f.fuzzer = "i18next";
  return f;
}

// A .ts file is keyed by context and source text as gettext is; see QtTs.h.
Format QtTsFormat() {
  Format f = Row("qt", "Qt", {".ts"}, ReadQtTs, WriteQtTs);
  f.holds.voicePaths = false;
  f.holds.kinds = false;
  f.holds.limits = false;
  f.holds.notes = true;
  f.holds.anyIds = false;
  f.holds.anyInserts = false;
  f.lossless = false;
  f.lossNote = "voice paths, length limits, recorded kinds, empty texts and "
               "printf texts are not written";
  f.markText = "a .ts text without %1 or %n is text: its '%' is meant";
  f.fuzzer = "qt_ts";
  return f;
}

// Flutter's message files: ICU texts with metadata; see Arb.h.
Format ArbFormat() {
  Format f = Row("arb", "ARB", {".arb"}, ReadArb, WriteArb);
  f.holds.voicePaths = false;
  f.holds.absentValues = false;
  f.holds.kinds = false;
  f.holds.limits = false;
  f.holds.notes = true;
  f.holds.anyIds = false;
  f.holds.anyInserts = false;
  f.lossless = false;
  f.lossNote = "only texts ICU MessageFormat can spell: inserts %N!s! and "
               "%N!'d!, a select and a count per message";
  f.markText = "an ARB text is ICU MessageFormat: its '%' is always text";
  f.fuzzer = "arb";
  f.icuSyntax = true;
  return f;
}

/// Appends \p word to \p words unless it is there already.
void AddOnce(std::vector<std::string> &words, std::string_view word) {
  if (std::find(words.begin(), words.end(), word) == words.end())
    words.emplace_back(word);
}

/// How many entries have what \p format cannot hold, reported in one
/// warning per kind of loss.
void WarnWhatCannotBeHeld(const Format &format, const DumpSide &target,
                          const std::string &where, Diagnostics &diag) {
  const FormatHolds &h = format.holds;
  if (h.voicePaths && h.absentValues && h.kinds && h.limits && h.notes &&
      h.states)
    return;
  std::size_t voices = 0, absent = 0, kinds = 0, limits = 0, notes = 0,
              states = 0;
  for (const authoring::Entry &e : *target.entries) {
    voices += e.voicePath.has_value();
    absent += !e.value.has_value();
    kinds += target.meta->kinds.count(e.id);
    limits += target.meta->limits.count(e.id);
    notes += target.meta->notes.count(e.id);
    states += target.meta->states.count(e.id);
  }
  auto warn = [&](bool held, std::size_t count, const char *what) {
    if (!held && count)
      diag.Warning(where, std::string(format.name) + " cannot hold " + what +
                              "; " + std::to_string(count) +
                              " entries are written without it");
  };
  warn(format.holds.voicePaths, voices, "voice paths");
  warn(format.holds.absentValues, absent, "entries without a value");
  warn(format.holds.kinds, kinds, "kinds");
  warn(format.holds.limits, limits, "length limits");
  warn(format.holds.notes, notes, "notes to translators");
  warn(format.holds.states, states, "review states");
  if (!format.holds.limits && target.meta->protect)
    diag.Warning(where, std::string(format.name) +
                            " cannot hold the @protect patterns; they are "
                            "not written");
}

/// True when \p text has an insert such as %1!lu! (not %N!s!, nor %N!d!
/// when \p numbers), whatever its kind: a false alarm only keeps a format
/// out of a test.
bool HasTypedInsert(const std::u16string &text, bool numbers) {
  for (std::size_t i = text.find(u'%'); i != std::u16string::npos;
       i = text.find(u'%', i + 1)) {
    std::size_t j = i + 1;
    while (j < text.size() && text[j] >= u'0' && text[j] <= u'9')
      ++j;
    if (j == i + 1 || j >= text.size() || text[j] != u'!')
      continue;
    const std::size_t end = text.find(u'!', j + 1);
    if (end != std::u16string::npos && end != j + 2)
      return true;
    if (end != std::u16string::npos && text[j + 1] != u's' &&
        (text[j + 1] != u'd' || !numbers))
      return true;
  }
  return false;
}

} // namespace

FormatHolds HeldBy(const DumpSide &side) {
  FormatHolds held{false, false, false, false, false,
                   false, false, false, false, false};
  // An i18next file's count is %N!d!, which its record names.
  const bool named =
      std::any_of(side.entries->begin(), side.entries->end(),
                  [](const authoring::Entry &e) { return e.id == kI18nextId; });
  for (const authoring::Entry &e : *side.entries) {
    const Key key = Key::parse(e.id);
    held.voicePaths |= e.voicePath.has_value();
    held.absentValues |= !e.value.has_value();
    held.anyInserts |= e.value && HasTypedInsert(*e.value, named);
    held.plurals |= key.selector != nullptr;
    held.anyIds |= !IsAndroidName(key.stem) ||
                   (key.selector && (!key.is(kPluralSelector) ||
                                     selectors::isExactMatch(key.category)));
  }
  held.locale = side.meta->locale.has_value();
  held.kinds = !side.meta->kinds.empty();
  held.limits = !side.meta->limits.empty() || side.meta->protect.has_value();
  held.notes = !side.meta->notes.empty();
  held.states = !side.meta->states.empty();
  return held;
}

bool CanHold(const Format &format, const FormatHolds &held) {
  const FormatHolds &h = format.holds;
  return (h.voicePaths || !held.voicePaths) &&
         (h.absentValues || !held.absentValues) && (h.kinds || !held.kinds) &&
         (h.plurals || !held.plurals) && (h.limits || !held.limits) &&
         (h.notes || !held.notes) && (h.states || !held.states) &&
         (h.anyIds || !held.anyIds) && (h.locale || !held.locale) &&
         (h.anyInserts || !held.anyInserts);
}

const std::vector<Format> &Formats() {
  static const std::vector<Format> rows = {CsvFormat(),
                                           JsonFormat(),
                                           PoFormat(),
                                           XliffFormat("xliff12", WriteXliff12),
                                           XliffFormat("xliff20", WriteXliff20),
                                           AndroidFormat(),
                                           AppleStringsFormat(),
                                           StringsdictFormat(),
                                           XcstringsFormat(),
                                           I18nextFormat(),
                                           QtTsFormat(),
                                           ArbFormat()};
  return rows;
}

const Format *FormatNamed(std::string_view name) {
  for (const Format &f : Formats())
    if (f.name == name)
      return &f;
  return nullptr;
}

const Format *FormatOfFile(const std::string &path) {
  const std::string ext = Extension(path);
  for (const Format &f : Formats())
    if (std::find(f.extensions.begin(), f.extensions.end(), ext) !=
        f.extensions.end())
      return &f;
  return nullptr;
}

std::vector<std::string> FormatNames() {
  std::vector<std::string> names;
  for (const Format &f : Formats())
    names.emplace_back(f.name);
  return names;
}

std::string JoinWords(const std::vector<std::string> &words,
                      std::string_view lastJoin) {
  std::string out;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i)
      out += i + 1 == words.size() ? lastJoin : std::string_view(", ");
    out += words[i];
  }
  return out;
}

std::string InputExtensionList(std::string_view lastJoin) {
  std::vector<std::string> extensions;
  for (const Format &f : Formats())
    for (std::string_view ext : f.extensions)
      AddOnce(extensions, ext);
  return JoinWords(extensions, lastJoin);
}

std::string FormatTitleList(std::string_view lastJoin) {
  std::vector<std::string> titles;
  for (const Format &f : Formats())
    AddOnce(titles, f.title);
  return JoinWords(titles, lastJoin);
}

std::string FamilyExtensionList(std::string_view lastJoin) {
  std::vector<std::string> titles, extensions;
  for (const Format &f : Formats())
    if (std::find(titles.begin(), titles.end(), f.title) == titles.end()) {
      titles.emplace_back(f.title);
      extensions.emplace_back(f.extensions.front());
    }
  return JoinWords(extensions, lastJoin);
}

std::string BilingualNameList(std::string_view lastJoin) {
  std::vector<std::string> names;
  for (const Format &f : Formats())
    if (f.bilingual)
      names.emplace_back(f.name);
  return JoinWords(names, lastJoin);
}

std::string IcuFormatNameList(std::string_view lastJoin) {
  std::vector<std::string> names;
  for (const Format &f : Formats())
    if (f.icuSyntax)
      names.emplace_back(f.name);
  return JoinWords(names, lastJoin);
}

std::vector<std::string> FormatFuzzers() {
  std::vector<std::string> fuzzers;
  for (const Format &f : Formats())
    AddOnce(fuzzers, f.fuzzer);
  return fuzzers;
}

std::string HowToMarkText(const std::string &file) {
  if (const Format *format = FormatOfFile(file))
    return std::string(format->markText);
  return "mark it kind text in its source to say it is meant";
}

std::string WriteDump(const Format &format, const DumpSide &target,
                      const DumpSide &source, const std::string &where,
                      Diagnostics &diag) {
  WarnWhatCannotBeHeld(format, target, where, diag);
  return format.write(target, format.bilingual ? source : DumpSide{}, where,
                      diag);
}

} // namespace phrasor::tool
