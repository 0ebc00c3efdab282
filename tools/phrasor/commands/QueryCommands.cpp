//===- QueryCommands.cpp - phrasor dump, get, list, info, format ----------===//
//
// Everything here answers through the runtime's own lookups on a database
// the runtime loaded, so what the tool shows is what a game would get.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/commands/Commands.h"

#include "cpp/Numbers.h"
#include "cpp/Particles.h"
#include "cpp/Plural.h"
#include "format/FormatArgs.h"
#include "format/MessageFormat.h"
#include "format/Printf.h"
#include "manager/FormatResults.h"
#include "phrasor/Key.h"
#include "tools/phrasor/Locale.h"
#include "tools/phrasor/Metadata.h"
#include "tools/phrasor/Progress.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/TextChecks.h"
#include "tools/phrasor/files/DatabaseFile.h"
#include "tools/phrasor/files/FileIo.h"
#include "tools/phrasor/files/SafeBuild.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>

namespace phrasor::tool {
namespace {

// A file that holds every language, as a string catalog does, keeps the
// others when one is dumped over it.
std::string MergeInto(const Format &format, const std::string &path,
                      const std::string &text) {
  std::string problem;
  std::string merged = format.merge(ReadFileBytes(path), text, problem);
  if (!problem.empty())
    throw FatalError(path + ": " + problem + "; not merged into");
  return merged;
}

} // namespace

int RunDump(const DumpOptions &options) {
  // "-" is standard output, as in the tools a dump is piped between.
  const bool toStdout = options.output.empty() || options.output == "-";
  // The dump is written only after both databases were read, so without
  // this a dump over either of them would replace it with text.
  if (!toStdout) {
    std::vector<std::string> inputs{options.database};
    if (!options.source.empty())
      inputs.push_back(options.source);
    RefuseOutputAmongInputs(inputs, options.output, "dump");
  }
  const DatabaseEntries target = ReadDatabaseEntries(options.database);
  Diagnostics diag;
  if (!target.meta.problem.empty())
    diag.Error(options.database,
               target.meta.problem + "; kinds are written as inferred");
  const Format *format = FormatNamed(options.format);
  if (!format)
    throw FatalError("unknown format '" + options.format + "'");
  if (!options.source.empty() && !format->bilingual)
    throw FatalError("--source is for the " + BilingualNameList(" and ") +
                     " formats");
  if (!options.targetLanguage.empty() && !format->bilingual)
    throw FatalError("--target-language is for the " +
                     BilingualNameList(" and ") + " formats");
  if (!options.targetLanguage.empty() &&
      !IsWellFormedTag(options.targetLanguage))
    throw FatalError("--target-language '" + options.targetLanguage +
                     "' is not a well-formed BCP 47 language tag");
  const bool icu = options.syntax == "icu";
  if (icu && !format->icuSyntax)
    throw FatalError("--syntax icu is for the formats whose texts may be "
                     "ICU texts: " +
                     IcuFormatNameList(" and "));
  Progress progress;
  progress.Step("writing", target.entries.size());
  DatabaseEntries source;
  if (!options.source.empty())
    source = ReadDatabaseEntries(options.source);
  // A new translation has no entries yet: the database is its source.
  DatabaseEntries none;
  none.meta.locale = options.targetLanguage;
  const bool fresh = !options.targetLanguage.empty();
  const DumpSide ours{&target.entries, &target.meta, icu};
  const std::string text = WriteDump(
      *format, fresh ? DumpSide{&none.entries, &none.meta, icu} : ours,
      fresh                    ? ours
      : options.source.empty() ? DumpSide{}
                               : DumpSide{&source.entries, &source.meta, icu},
      options.database, diag);
  if (toStdout)
    WriteStdout(text);
  else if (format->merge && std::filesystem::exists(options.output))
    WriteFileAtomically(options.output,
                        MergeInto(*format, options.output, text));
  else
    WriteFileAtomically(options.output, text);
  return diag.ExitStatus();
}

namespace {

/// The stored ID of what a caller names \p id: a source text such as
/// "@locale", or "Open" beside "open", is stored escaped
/// (Key::escapeSourceText), and is looked up so first, as the C++ layer
/// looks it up.
std::string StoredId(const OpenDatabase &db, const std::string &id) {
  if (id.empty())
    return id;
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  const std::string escaped =
      id[0] == '@' && Key::escapesSourceText(Key::parse(id).stem) ? "@" + id
                                                                  : id;
  if (Key::marksCase(escaped, true)) {
    const std::string marked = Key::markCase(escaped);
    if (mgr->IsValidID(db.Keeper(), marked.c_str()))
      return marked;
  }
  return mgr->IsValidID(db.Keeper(), escaped.c_str()) ? escaped : id;
}

} // namespace

int RunGet(const GetOptions &options) {
  OpenDatabase db(options.database);
  RequireLoaded(db);
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  Diagnostics diag;
  const std::string stored = StoredId(db, options.id);
  const char *id = stored.c_str();
  if (!mgr->IsValidID(db.Keeper(), id)) {
    diag.Error(db.Path(), "no entry '" + ShownId(options.id) + "'");
  } else if (options.voice) {
    if (!mgr->HasVoicePathByID(db.Keeper(), id))
      diag.Error(db.Path(), "'" + ShownId(options.id) + "' has no voice path");
    else
      WriteStdout(std::string(mgr->GetVoicePathByID(db.Keeper(), id)) + "\n");
  } else if (!mgr->HasStringByID(db.Keeper(), id)) {
    diag.Error(db.Path(), "'" + ShownId(options.id) + "' has no value");
  } else {
    WriteStdout(
        Utf16ToUtf8Lossy(FromRuntime(mgr->GetStringByID(db.Keeper(), id))) +
        "\n");
  }
  return diag.ExitStatus();
}

int RunList(const ListOptions &options) {
  OpenDatabase db(options.database);
  RequireLoaded(db);
  std::string out;
  GetIPhrasorMgr()->EnumerateIDsByPrefix(
      db.Keeper(), options.prefix.c_str(),
      [](const char *id, void *user) {
        std::string &text = *static_cast<std::string *>(user);
        text += id;
        text += '\n';
      },
      &out);
  WriteStdout(out);
  return kExitOk;
}

namespace {
std::string LocaleOf(const OpenDatabase &db) {
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  if (!mgr->HasStringByID(db.Keeper(), kLocaleId))
    return "none";
  return Utf16ToUtf8Lossy(
      FromRuntime(mgr->GetStringByID(db.Keeper(), kLocaleId)));
}
} // namespace

int RunInfo(const InfoOptions &options) {
  OpenDatabase db(options.database);
  RequireLoaded(db);
  const DatabaseHeader &h = db.Header();
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  uint32_t withValue = 0, withVoice = 0;
  for (uint32_t i = 0; i < h.idCount; ++i) {
    const int32_t index = static_cast<int32_t>(i);
    withValue += mgr->HasStringByIndex(db.Keeper(), index) ? 1 : 0;
    withVoice += mgr->HasVoicePathByIndex(db.Keeper(), index) ? 1 : 0;
  }
  const uint32_t values = h.stringTotal - h.idCount;
  std::ostringstream out;
  out << "file:         " << db.Path() << " (" << db.FileSize() << " bytes)\n"
      << "format:       SKDB version " << h.version << "\n"
      << "locale:       " << LocaleOf(db) << "\n"
      << "entries:      " << h.idCount << "\n"
      << "values:       " << values << " stored for " << withValue
      << " entries (" << (withValue > values ? withValue - values : 0)
      << " shared)\n"
      << "voice paths:  " << h.voicePathCount << " stored for " << withVoice
      << " entries ("
      << (withVoice > h.voicePathCount ? withVoice - h.voicePathCount : 0)
      << " shared)\n"
      << "string block: " << h.blockSize << " bytes\n";
  WriteStdout(out.str());
  return kExitOk;
}

namespace {

bool ParseInteger(const std::string &text, int64_t min, int64_t max,
                  int64_t &out) {
  std::string_view s = text;
  bool negative = !s.empty() && s[0] == '-';
  if (negative || (!s.empty() && s[0] == '+'))
    s.remove_prefix(1);
  int base = 10;
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  uint64_t magnitude = 0;
  auto [end, ec] =
      std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size())
    return false;
  if (negative) {
    if (magnitude > static_cast<uint64_t>(INT64_MAX) + 1)
      return false;
    out = static_cast<int64_t>(0 - magnitude);
  } else {
    if (max >= 0 && magnitude > static_cast<uint64_t>(max))
      return false;
    out = static_cast<int64_t>(magnitude);
  }
  return out >= min;
}

/// The value of \p id, or nothing after reporting why there is none.
std::optional<std::u16string>
LookUpValue(const OpenDatabase &db, const std::string &id, Diagnostics &diag) {
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  if (!mgr->IsValidID(db.Keeper(), id.c_str())) {
    diag.Error(db.Path(), "no entry '" + id + "'");
    return std::nullopt;
  }
  if (!mgr->HasStringByID(db.Keeper(), id.c_str())) {
    diag.Error(db.Path(), "'" + id + "' has no value");
    return std::nullopt;
  }
  return FromRuntime(mgr->GetStringByID(db.Keeper(), id.c_str()));
}

/// The first insert naming each field, in field order. The field numbers of
/// a valid message run from 1 without a gap; the first insert naming a
/// field decides its argument's type. Throws FatalError when the number of
/// arguments given differs.
std::vector<const MessageInsert *>
InsertsByField(const MessageReading &message, const FormatOptions &options) {
  std::vector<const MessageInsert *> byField;
  for (const MessageInsert &insert : message.inserts) {
    if (insert.field > byField.size())
      byField.resize(insert.field, nullptr);
    if (!byField[insert.field - 1])
      byField[insert.field - 1] = &insert;
  }
  if (options.args.size() != byField.size()) {
    std::string wanted;
    for (const MessageInsert *insert : byField)
      wanted += (wanted.empty() ? "" : ", ") + InsertText(*insert);
    throw FatalError("'" + ShownId(options.id) + "' takes " +
                     std::to_string(byField.size()) + " argument" +
                     (byField.size() == 1 ? "" : "s") +
                     (wanted.empty() ? "" : " (" + wanted + ")") + ", " +
                     std::to_string(options.args.size()) + " given");
  }
  return byField;
}

/// How the command line gives the value of one argument kind: what a
/// refusal says was expected, and the parse (nothing when the text does
/// not fit). A wide text's units are kept in \p keep.
struct ArgumentSyntax {
  ArgKind kind;
  const char *expected;
  std::optional<FormatValue> (*parse)(const std::string &arg,
                                      RuntimeString &keep);
};

/// \p text as an integer from \p min to \p max (-1: no limit), if it is one.
std::optional<int64_t> IntegerIn(const std::string &text, int64_t min,
                                 int64_t max) {
  int64_t value = 0;
  return ParseInteger(text, min, max, value) ? std::optional(value)
                                             : std::nullopt;
}

const ArgumentSyntax kArgumentSyntax[] = {
    {ArgKind::Int32, "a 32-bit integer",
     [](const std::string &arg, RuntimeString &) {
       const std::optional<int64_t> n = IntegerIn(arg, INT32_MIN, UINT32_MAX);
       return n ? std::optional(FormatValue(static_cast<int32_t>(*n)))
                : std::nullopt;
     }},
    {ArgKind::Int64, "a 64-bit integer",
     [](const std::string &arg, RuntimeString &) {
       const std::optional<int64_t> n = IntegerIn(arg, INT64_MIN, -1);
       return n ? std::optional(FormatValue(*n)) : std::nullopt;
     }},
    {ArgKind::Pointer, "an address",
     [](const std::string &arg, RuntimeString &) {
       const std::optional<int64_t> n = IntegerIn(arg, 0, -1);
       return n ? std::optional(FormatValue(reinterpret_cast<const void *>(
                      static_cast<uintptr_t>(*n))))
                : std::nullopt;
     }},
    {ArgKind::Double, "a number",
     [](const std::string &arg, RuntimeString &) {
       char *end = nullptr;
       const double value = std::strtod(arg.c_str(), &end);
       return arg.empty() || *end != '\0' ? std::nullopt
                                          : std::optional(FormatValue(value));
     }},
    // %L where long double is wider than a double (most hosts but
    // Windows): the same number, passed as the engine takes it there.
    {ArgKind::LongDouble, "a number",
     [](const std::string &arg, RuntimeString &) {
       char *end = nullptr;
       const long double value = std::strtold(arg.c_str(), &end);
       return arg.empty() || *end != '\0' ? std::nullopt
                                          : std::optional(FormatValue(value));
     }},
    {ArgKind::WideChar, "one character",
     [](const std::string &arg, RuntimeString &) {
       const std::optional<std::u16string> wide = Utf8ToUtf16(arg);
       if (!wide || wide->size() != 1)
         return std::optional<FormatValue>();
       return std::optional(FormatValue(static_cast<int32_t>((*wide)[0])));
     }},
    {ArgKind::NarrowChar, "one byte",
     [](const std::string &arg, RuntimeString &) {
       if (arg.size() != 1)
         return std::optional<FormatValue>();
       return std::optional(FormatValue(
           static_cast<int32_t>(static_cast<unsigned char>(arg[0]))));
     }},
    {ArgKind::WideString, "UTF-8 text",
     [](const std::string &arg, RuntimeString &keep) {
       const std::optional<std::u16string> wide = Utf8ToUtf16(arg);
       if (!wide)
         return std::optional<FormatValue>();
       keep = ToRuntime(*wide);
       return std::optional(
           FormatValue(static_cast<const void *>(keep.c_str())));
     }},
    {ArgKind::NarrowString, "text",
     [](const std::string &arg, RuntimeString &) {
       return std::optional(
           FormatValue(static_cast<const void *>(arg.c_str())));
     }},
};

/// Runs the runtime's formatter over \p value with \p values, in a buffer
/// that grows until the output is not cut. The formatter is fed from the
/// converted list: a C variadic call cannot be assembled at run time from
/// types known only then. \p text receives the output or the error text.
bool FormatGrowing(const std::u16string &value, TextKind kind,
                   const std::vector<FormatValue> &values,
                   std::u16string &text) {
  const RuntimeString format = ToRuntime(value);
  for (std::size_t room = 4096 + value.size();; room *= 2) {
    std::vector<PhrasorWChar> buffer(room, 0);
    ArrayArgs args(values.data(), values.size());
    bool ok;
    if (kind == TextKind::Printf) {
      const FormatOutcome outcome = FormatPrintf(
          buffer.data(), static_cast<uint32_t>(room), format.c_str(), args);
      ok = outcome.status != FormatStatus::BadFormat &&
           outcome.status != FormatStatus::BadInput;
      if (!ok) {
        text = Utf8ToUtf16(SpecErrorText(outcome.reason)).value_or(u"");
        return false;
      }
    } else {
      ok = MessageResult(QVFormatMessageT().Format(buffer.data(),
                                                   static_cast<uint32_t>(room),
                                                   format.c_str(), args),
                         buffer.data(), static_cast<uint32_t>(room));
    }
    text = FromRuntime(buffer.data());
    if (!ok)
      return false;
    if (text.size() + 1 < room || room >= (1u << 26))
      return true;
  }
}

} // namespace

namespace {

/// The value of \p id when it has one, without a word when not.
std::optional<std::u16string> ValueIfAny(const OpenDatabase &db,
                                         const std::string &id) {
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  if (!mgr->HasStringByID(db.Keeper(), id.c_str()))
    return std::nullopt;
  return FromRuntime(mgr->GetStringByID(db.Keeper(), id.c_str()));
}

/// The word row and value --gender or --select names; null row for none.
std::pair<const Selector *, std::string_view>
WordOf(const FormatOptions &options) {
  if (!options.gender.empty() && !options.select.empty())
    throw FatalError("--gender and --select cannot be given together");
  if (!options.gender.empty()) {
    if (kGenderSelector.rank(options.gender) == kGenderSelector.categoryCount)
      throw FatalError("--gender '" + options.gender +
                       "': expected masculine, feminine, neuter or other");
    return {&kGenderSelector, options.gender};
  }
  if (!options.select.empty())
    return {&kSelectSelector, options.select};
  return {nullptr, {}};
}

/// The form of \p options.id that a host's plural(), ordinal(), select()
/// or selectPlural() call formats for the count and the word, resolved as
/// the C++ layer resolves it, the category chosen by the layer's own rules
/// for the database's @locale.
std::string FormId(const OpenDatabase &db, const FormatOptions &options,
                   const std::optional<std::u16string> &locale) {
  const auto [word, given] = WordOf(options);
  if (word && options.ordinal)
    throw FatalError("--ordinal cannot be combined with --" +
                     std::string(word->name));
  auto has = [&](std::size_t, const std::string &k) {
    return ValueIfAny(db, StoredId(db, k)).has_value();
  };
  std::string key;
  // A word's form is chosen alike in every language, as the layer's is.
  const std::string_view chosen =
      word ? selectors::wordForm(*word, given) : std::string_view();
  if (options.count.empty()) {
    if (!word)
      return options.id;
    resolveSelected(
        options.id, *word, 1, [&](std::size_t) { return chosen; }, has, key);
    return key;
  }
  const std::optional<PluralDecimal> count = parsePluralDecimal(options.count);
  if (!count)
    throw FatalError("--count '" + options.count +
                     "': expected a number as shown, such as 3 or 1.50");
  const PluralRules rules(locale ? Utf16ToUtf8Lossy(*locale) : "");
  const Selector &row = options.ordinal ? kOrdinalSelector : kPluralSelector;
  SelectorValue value;
  value.scaled = count->scaled;
  value.fractionDigits = count->fractionDigits;
  value.exponent = count->exponent;
  GettextPlural gettext;
  if (std::optional<std::u16string> forms =
          ValueIfAny(db, std::string(kPluralFormsId)))
    gettext.read(Utf16ToUtf8Lossy(*forms));
  char exact[24];
  auto category = [&](std::size_t) {
    return gettext.choose(row, rules, value);
  };
  if (word)
    resolveSelected(options.id, *word, chosen, row, 1, category, has, key,
                    selectors::exactMatchOf(value, exact));
  else
    resolveSelectedBy(
        options.id, row, 1, category,
        [&](std::size_t) {
          return &row == &kPluralSelector ? gettext.category(value)
                                          : std::string_view();
        },
        has, key, selectors::exactMatchOf(value, exact));
  return key;
}

} // namespace

namespace {

/// One `format` call: the entry formatted (a plural's chosen form), where
/// its problems are reported, and its arguments converted as its inserts
/// take them.
struct FormatCall {
  const FormatOptions &options;
  std::string id;
  const std::string &path;
  Diagnostics &diag;
  std::vector<FormatValue> values;
  std::vector<RuntimeString> wideKeep; ///< the units of wide text arguments
  /// Narrow text arguments with the particle they take after them.
  std::vector<std::string> narrowKeep = {};
};

/// Converts argument \p i for an insert of \p kind, written \p shown and
/// named \p what in a diagnostic. False after reporting an insert the
/// command line cannot give a value; throws FatalError when the argument's
/// text does not fit the insert.
bool ConvertArgument(FormatCall &call, std::size_t i, ArgKind kind,
                     const std::string &shown, const std::string &what) {
  const std::string &arg = call.options.args[i];
  for (const ArgumentSyntax &syntax : kArgumentSyntax) {
    if (syntax.kind != kind)
      continue;
    const std::optional<FormatValue> value =
        syntax.parse(arg, call.wideKeep[i]);
    if (!value)
      throw FatalError("argument " + std::to_string(i + 1) + " '" + arg +
                       "' for " + shown + ": expected " + syntax.expected);
    call.values[i] = *value;
    return true;
  }
  call.diag.Error(call.path,
                  "ID '" + call.id + "': " + what + " cannot be formatted");
  return false;
}

/// Converts the arguments of a message, one per field; false after
/// reporting why not.
bool MessageArguments(FormatCall &call, const std::u16string &value,
                      bool plural) {
  const MessageReading message = ReadAsMessage(value);
  if (!message.ok) {
    call.diag.Error(call.path, "ID '" + call.id + "': not a valid message: " +
                                   message.problem);
    return false;
  }
  // The count's argument is passed to every form of a plural, though
  // one that spells its number ("one file") takes none: more is fine.
  FormatOptions taken = call.options;
  taken.id = call.id;
  if (plural) {
    std::size_t fields = 0;
    for (const MessageInsert &insert : message.inserts)
      fields = std::max<std::size_t>(fields, insert.field);
    if (taken.args.size() > fields)
      taken.args.resize(fields);
  }
  const std::vector<const MessageInsert *> byField =
      InsertsByField(message, taken);
  call.values.resize(byField.size());
  for (std::size_t i = 0; i < byField.size(); ++i) {
    const std::string shown = InsertText(*byField[i]);
    if (!ConvertArgument(call, i, ArgKindOfMessageType(byField[i]->type), shown,
                         "insert " + shown))
      return false;
  }
  return true;
}

/// Converts the arguments of a printf format, '*'s included, in order;
/// false after reporting why not.
bool PrintfArguments(FormatCall &call, const std::u16string &value,
                     bool plural) {
  const PrintfReading printf = CheckPrintfFormat(value);
  if (!printf.ok) {
    call.diag.Error(call.path,
                    "ID '" + call.id +
                        "': not a valid printf format: " + printf.problem);
    return false;
  }
  const std::size_t given = call.options.args.size();
  if (given < printf.args.size() || (!plural && given > printf.args.size()))
    throw FatalError("'" + call.id + "' takes " +
                     std::to_string(printf.args.size()) + " argument" +
                     (printf.args.size() == 1 ? "" : "s") + ", " +
                     std::to_string(given) + " given");
  call.values.resize(printf.args.size());
  for (std::size_t i = 0; i < printf.args.size(); ++i) {
    const PrintfArg &arg = printf.args[i];
    const std::string shown = (arg.star ? "a '*' of " : "") + arg.text;
    if (!ConvertArgument(call, i, arg.kind, shown, shown))
      return false;
  }
  return true;
}

/// \p text without its particle pairs, each text argument that carries one
/// given the particle its word takes after it, as the C++ layer writes it.
std::u16string WithParticles(FormatCall &call, const Text &text, Style style) {
  const ParticleForm cut = takeParticles(text.c_str(), style);
  if (!cut.problem.empty())
    throw FatalError("'" + call.id + "': " + cut.problem);
  call.narrowKeep.resize(call.options.args.size()); // once: values point in
  for (const ParticleInsert &p : cut.inserts) {
    if (p.argument >= call.values.size())
      continue;
    FormatValue &v = call.values[p.argument];
    if (v.kind != ArgKind::Pointer)
      throw FatalError("'" + call.id + "': insert " +
                       std::to_string(p.argument + 1) +
                       " carries a particle pair and needs to be a text "
                       "insert (s)");
    const std::string &arg = call.options.args[p.argument];
    const std::string taken =
        arg +
        Utf16ToUtf8Lossy(particleFor(p.pair, endingOf(arg.data(), arg.size())));
    RuntimeString &wide = call.wideKeep[p.argument];
    if (v.pointer == static_cast<const void *>(wide.c_str())) {
      wide = ToRuntime(Utf8ToUtf16(taken).value_or(u""));
      v = FormatValue(static_cast<const void *>(wide.c_str()));
    } else {
      call.narrowKeep[p.argument] = taken;
      v = FormatValue(
          static_cast<const void *>(call.narrowKeep[p.argument].c_str()));
    }
  }
  return FromRuntime(cut.text.c_str());
}

/// \p value as the formatter is given it: for a text with the grouping
/// flag, rewritten as the C++ layer rewrites it, its numbers written in
/// \p locale's way into \p keep and passed as text.
std::u16string LocaleNumbers(FormatCall &call, const std::u16string &value,
                             TextKind kind,
                             const std::optional<std::u16string> &locale,
                             std::vector<RuntimeString> &keep) {
  const NumberForm form = rewriteNumbers(
      ToRuntime(value).c_str(),
      kind == TextKind::Message ? Style::Message : Style::Printf);
  if (!form.problem.empty())
    throw FatalError("'" + call.id + "': " + form.problem);
  const numbers::NumberStyle &style =
      numberStyleFor(locale ? Utf16ToUtf8Lossy(*locale) : "");
  keep.reserve(form.inserts.size()); // the values point into it
  for (const NumberInsert &n : form.inserts) {
    if (n.argument >= call.values.size())
      continue;
    FormatValue &v = call.values[n.argument];
    Arg a{};
    a.type = v.kind == ArgKind::Double ? ArgType::Floating : ArgType::Signed;
    a.wide = v.kind == ArgKind::Int64;
    if (v.kind == ArgKind::Double)
      a.value.d = v.real;
    else
      a.value.i = a.wide ? v.int64 : v.int32;
    PhrasorWChar units[kMaxNumberUnits + 1];
    const PhrasorWChar *end = writeNumber(style, n, a, units);
    keep.emplace_back(static_cast<const PhrasorWChar *>(units), end);
    v = FormatValue(static_cast<const void *>(keep.back().c_str()));
  }
  return WithParticles(call, form.text,
                       kind == TextKind::Message ? Style::Message
                                                 : Style::Printf);
}

} // namespace

int RunFormat(const FormatOptions &options) {
  OpenDatabase db(options.database);
  RequireLoaded(db);
  Diagnostics diag;
  std::vector<authoring::Entry> metaEntries;
  for (const char *id : {kLocaleId, kKindsId})
    metaEntries.push_back({id, ValueIfAny(db, id), std::nullopt});
  const std::optional<std::u16string> locale = metaEntries[0].value;
  const Metadata meta = SplitMetadata(metaEntries);
  const bool plural = !options.count.empty();
  if (options.ordinal && !plural)
    throw FatalError("--ordinal needs --count");
  FormatCall call{options,   StoredId(db, FormId(db, options, locale)),
                  db.Path(), diag,
                  {},        std::vector<RuntimeString>(options.args.size())};
  const std::optional<std::u16string> value = LookUpValue(db, call.id, diag);
  if (!value)
    return diag.ExitStatus();
  // Formatted by its kind, as the C++ layer formats it.
  const TextKind kind =
      KindOf(authoring::Entry{call.id, value, std::nullopt}, meta);
  // A text with the grouping flag or a particle pair takes the arguments it
  // takes without.
  const std::optional<std::u16string> bare = WithoutLayerMarks(*value, kind);
  const std::u16string &read = bare ? *bare : *value;
  if (kind == TextKind::Message && !MessageArguments(call, read, plural))
    return diag.ExitStatus();
  if (kind == TextKind::Printf && !PrintfArguments(call, read, plural))
    return diag.ExitStatus();
  if (kind == TextKind::Plain && !plural && !options.args.empty())
    throw FatalError("'" + call.id +
                     "' is plain text and takes no arguments, " +
                     std::to_string(options.args.size()) + " given");

  std::vector<RuntimeString> numbers;
  const std::u16string format =
      bare ? LocaleNumbers(call, *value, kind, locale, numbers) : *value;
  std::u16string out = format;
  if (kind != TextKind::Plain &&
      !FormatGrowing(format, kind, call.values, out)) {
    diag.Error(db.Path(), "ID '" + call.id + "': the formatter refused it: " +
                              Utf16ToUtf8Lossy(out));
    return diag.ExitStatus();
  }
  WriteStdout(Utf16ToUtf8Lossy(out) + "\n");
  return kExitOk;
}

} // namespace phrasor::tool
