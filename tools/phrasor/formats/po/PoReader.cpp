//===- PoReader.cpp - gettext PO input ------------------------------------===//
//
// Two ways to key a file, chosen by --po-key or detected per file:
//
//   context  the msgctxt is the ID and the msgid the source text (the
//            tool's own dumps: every message has a context of its own)
//   source   the msgid is the ID, or msgctxt U+0004 msgid when there is a
//            context, which is how gettext itself keys messages
//
// The value is the msgstr, converted from the header's charset to UTF-8.
// An empty msgstr means "not translated yet": the entry keeps no value, or
// takes its msgid under --fill-empty. Fuzzy entries are skipped unless
// --include-fuzzy, obsolete ones always, and the counts are reported. A
// plural message gives one entry per category of the file's language
// (ID#one, ID#few, ...), each taking the msgstr[N] that the Plural-Forms
// expression selects for the numbers of that category. The Language header
// becomes the @locale entry. Extracted comments carry what PO has no field
// for:
//
//   #. voice: vo/en/ui_ok.ogg       the entry's voice path
//   #. value: empty                 the value is the empty string
//   #. max: 24                      the length limit (of every form)
//
// and the header gives the project's protected spans, a field per pattern:
//
//   X-Phrasor-Protect: \{[a-z]+\}
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/Locale.h"
#include "tools/phrasor/Metadata.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/CFormatStore.h"
#include "tools/phrasor/checks/Plurals.h"
#include "tools/phrasor/checks/PoChecks.h"
#include "tools/phrasor/files/Charset.h"
#include "tools/phrasor/files/FileIo.h"
#include "tools/phrasor/formats/po/PluralForms.h"
#include "tools/phrasor/formats/po/Po.h"

#include "tools/phrasor/formats/po/PoCase.h"
#include "tools/phrasor/formats/po/PoComments.h"
#include "tools/phrasor/formats/po/PoLibrary.h"
#include "tools/phrasor/formats/po/PoPlaces.h"
#include "tools/phrasor/formats/po/PoRecording.h"
#include "tools/phrasor/formats/po/PoScan.h"

#include <gettext-po.h>
#include <utf8.h>

#include <algorithm>
#include <cctype>
#include <csetjmp>
#include <cstdlib>
#include <map>
#include <set>

namespace phrasor::tool {
namespace {

/// The file's live messages, its header aside, with their places.
struct PoMessage {
  po_message_t message;
  SourcePos pos;
  const std::vector<std::string> *flags;
};

/// What one file's reading counted, for the summary after it.
struct PoCounts {
  std::size_t fuzzy = 0, obsolete = 0, untranslated = 0;
};

class PoFileReader {
public:
  PoFileReader(const std::string &path, const InputOptions &settings,
               Diagnostics &diagnostics, std::vector<SourceEntry> &entries,
               PoRecord &poRecord, MessageRecords &messageRecords,
               bool &poRecordUsed)
      : file(path), options(settings), diag(diagnostics), out(entries),
        record(poRecord), records(messageRecords), recordUsed(poRecordUsed),
        templ(Extension(path) == ".pot") {}

  /// Reads the messages of \p domain, placed by \p starts when the scan
  /// found them; the starts of \p duplicates, which the library dropped,
  /// are passed over. Where each message begins goes to \p placedAt.
  void Read(po_file_t po, const char *domain, const DomainStarts &scanned,
            const std::vector<Duplicate> &duplicates,
            std::map<po_message_t, SourcePos> &placedAt);

private:
  std::vector<po_message_t> LiveMessages(po_file_t po, const char *domain,
                                         std::vector<po_message_t> &obsolete);
  void ReportSkipped() const;
  bool ReadHeader(const char *header);
  void ReadProtect(const char *header);
  bool DetectContextKey(const std::vector<PoMessage> &messages) const;
  void ReadMessage(const PoMessage &m, bool contextKey);
  /// What one message gives, gathered before its forms are added.
  struct MessageTexts {
    std::string id, msgid;
    std::optional<std::string> plural, voice;
    bool emptyValue = false;
    std::optional<TextKind> kind;
    bool possibleCFormat = false;
    std::optional<unsigned> max;
    std::string note; ///< the extracted comments that say nothing else
  };
  bool ReadKey(const PoMessage &m, bool contextKey, MessageTexts &t);
  bool ReadExtras(const PoMessage &m, MessageTexts &t);
  bool ReadForms(const PoMessage &m, const std::string &id,
                 std::vector<std::pair<std::string, const char *>> &forms);
  /// The msgstr texts in UTF-8, by the library's pointer to each.
  using Converted = std::vector<std::pair<const char *, std::string>>;
  void CheckTranslation(const PoMessage &m, MessageTexts &t,
                        Converted &converted);
  std::optional<TextKind>
  StoreCFormats(const PoMessage &m, const MessageTexts &t,
                std::vector<std::optional<std::string>> &values);
  const PluralMapping *Mapping(const SourcePos &pos);
  void KeepPluralForms(const PluralForms &forms);
  std::optional<std::string> Convert(const char *text, const SourcePos &pos,
                                     const char *what);

  const std::string &file;
  const InputOptions &options;
  Diagnostics &diag;
  std::vector<SourceEntry> &out;
  Charset converter;
  std::string locale;
  SourcePos headerPos;
  bool protectRead = false;
  std::optional<std::string> pluralFormsText;
  std::optional<std::string> keyField;
  std::optional<PluralMapping> plurals;
  /// Per form index: whether it stands for more than one number.
  std::vector<bool> manyForms;
  bool pluralsTried = false;
  PoCounts counts;
  /// What a dump needs to give the file back, kept for files keyed by
  /// source; shared by the file's domains, the first header kept.
  PoRecord &record;
  MessageRecords &records; ///< the messages', for the record
  bool &recordUsed;
  bool recording = false;
  void RecordHeader(const char *header);
  void RecordMessage(const PoMessage &m, const MessageTexts &t, bool contextKey,
                     const std::optional<std::string> &value);
  po_message_t headerMessage = nullptr;
  /// A .pot template: its msgids are the texts, in the source language,
  /// whose plurals are English's one and other.
  bool templ;
};

std::optional<std::string> PoFileReader::Convert(const char *text,
                                                 const SourcePos &pos,
                                                 const char *what) {
  std::optional<std::string> utf8 = converter.ToUtf8(text);
  if (!utf8)
    diag.Error(pos, std::string(what) + " is not valid in the file's charset");
  return utf8;
}

bool PoFileReader::ReadHeader(const char *header) {
  const SourcePos &pos = headerPos;
  std::string charset = CharsetOf(HeaderField(header, "Content-Type"));
  // xgettext leaves the placeholder when the sources are ASCII.
  if (templ && charset == "CHARSET")
    charset = "UTF-8";
  if (!converter.Open(charset)) {
    diag.Error(pos, "unknown charset '" + charset + "'");
    return false;
  }
  // --locale names the language of every input: the file's own is not
  // read then, so a Language field BCP 47 cannot say stops nothing.
  std::optional<std::string> language = HeaderField(header, "Language");
  if (options.locale.empty() && language && !language->empty()) {
    std::string dropped;
    locale = TagFromPoLanguage(*language, &dropped);
    if (!dropped.empty())
      diag.Warning(pos, "Language '" + *language + "': modifier '@" + dropped +
                            "' has no BCP 47 form; read as '" + locale + "'");
    // The language travels as an entry; the build checks and merges it.
    AddEntry(pos, kLocaleId, locale, std::nullopt, diag, out);
  }
  if (locale.empty())
    locale = options.locale;
  // A template's msgids are in the language gettext assumes for them,
  // whose plurals are one and other.
  if (locale.empty() && templ) {
    locale = "en";
    AddEntry(pos, kLocaleId, locale, std::nullopt, diag, out);
  }
  pluralFormsText = HeaderField(header, "Plural-Forms");
  keyField = HeaderField(header, "X-Phrasor-Key");
  ReadProtect(header);
  return true;
}

// Each X-Phrasor-Protect field is one pattern; together, one per line,
// they are the @protect entry. The first domain that has them gives them.
void PoFileReader::ReadProtect(const char *header) {
  std::string patterns;
  std::string_view rest = header ? header : "";
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? "" : rest.substr(end + 1);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos ||
        !EqualsAsciiCase(Trimmed(line.substr(0, colon)), "X-Phrasor-Protect"))
      continue;
    line.remove_prefix(colon + 1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
      line.remove_prefix(1);
    patterns.append(line).append("\n");
  }
  if (patterns.empty() || protectRead)
    return;
  protectRead = true;
  if (std::optional<std::string> text =
          Convert(patterns.c_str(), headerPos, "X-Phrasor-Protect"))
    AddEntry(headerPos, kProtectId, *text, std::nullopt, diag, out);
}

// A file is keyed by context when every message has a context and no two
// share one: that is how dumps are written, and a context that repeats
// could not be an ID. Dumps also say how they are keyed in a header field.
bool PoFileReader::DetectContextKey(
    const std::vector<PoMessage> &messages) const {
  if (options.poKey != PoKey::Detect)
    return options.poKey == PoKey::Context;
  // "gettext": keyed by source, with what the database kept of the file.
  if (keyField == "context" || keyField == "source" || keyField == "gettext" ||
      keyField == "gettext-context")
    return keyField == "context" || keyField == "gettext-context";
  std::set<std::string> contexts;
  for (const PoMessage &m : messages) {
    const char *context = po_message_msgctxt(m.message);
    if (!context || !contexts.insert(context).second)
      return false;
  }
  return !messages.empty();
}

const PluralMapping *PoFileReader::Mapping(const SourcePos &pos) {
  if (pluralsTried)
    return plurals ? &*plurals : nullptr;
  pluralsTried = true;
  if (locale.empty()) {
    diag.Error(pos, "plural forms need the file's language: add a Language "
                    "header or pass --locale");
    return nullptr;
  }
  if (!pluralFormsText) {
    diag.Error(pos, "plural forms need a Plural-Forms header");
    return nullptr;
  }
  std::string problem;
  std::optional<PluralForms> forms =
      PluralForms::Parse(*pluralFormsText, problem);
  if (!forms) {
    // A header too long to parse is too long to repeat.
    diag.Error(headerPos,
               pluralFormsText->size() > 200
                   ? "Plural-Forms: " + problem
                   : "Plural-Forms '" + *pluralFormsText + "': " + problem);
    return nullptr;
  }
  // Whether a form stands for many numbers decides whether it may leave
  // the count out; the numbers up to 1000 show every rule's pattern, and
  // msgfmt takes more than four of them as many.
  std::vector<unsigned> hits(forms->Count(), 0);
  for (unsigned long n = 0; n <= 1000; ++n) {
    unsigned long index = 0;
    if (forms->Evaluate(n, index) && index < hits.size())
      ++hits[index];
  }
  for (unsigned h : hits)
    manyForms.push_back(h > 4);
  plurals = MapPluralForms(*forms, locale, problem);
  if (!plurals)
    diag.Error(headerPos, "Plural-Forms '" + forms->Text() +
                              "' does not fit the plural rules of '" + locale +
                              "' (" + CategoriesOf(locale).rules +
                              "): " + problem);
  else if (keyField.value_or("gettext") == "gettext")
    KeepPluralForms(*forms);
  return plurals ? &*plurals : nullptr;
}

// The catalog keeps the expression, so a count whose category has no form
// (Russian 1.5) takes the form gettext would give it; one entry serves
// every domain of the file. A dump keyed by context or source, whose
// Plural-Forms the writer chose, keeps none, so it rebuilds the database
// it came from.
void PoFileReader::KeepPluralForms(const PluralForms &forms) {
  const std::string id(kPluralFormsId);
  const std::string value = PluralFormsEntry(forms, *plurals);
  for (const SourceEntry &s : out)
    if (s.entry.id == id) {
      if (s.entry.value != Utf8ToUtf16(value))
        diag.Warning(headerPos, "Plural-Forms '" + forms.Text() +
                                    "' differs from that of " + s.pos.Text() +
                                    ", which the database keeps");
      return;
    }
  AddEntry(headerPos, id, value, std::nullopt, diag, out);
}

// The message's texts in UTF-8, and the ID they give.
bool PoFileReader::ReadKey(const PoMessage &m, bool contextKey,
                           MessageTexts &t) {
  const char *rawContext = po_message_msgctxt(m.message);
  std::optional<std::string> context, msgid;
  if (rawContext && !(context = Convert(rawContext, m.pos, "msgctxt")))
    return false;
  if (!(msgid = Convert(po_message_msgid(m.message), m.pos, "msgid")))
    return false;
  t.msgid = std::move(*msgid);
  const char *rawPlural = po_message_msgid_plural(m.message);
  if (rawPlural && !(t.plural = Convert(rawPlural, m.pos, "msgid_plural")))
    return false;
  if (contextKey && context)
    t.id = *context;
  else if (context)
    t.id = Key::inContextOf(*context, t.msgid).print();
  else // a msgid "@locale" is a message, never the tool's own entry
    t.id = Key::escapeSourceText(t.msgid);
  return true;
}

// What the comments and flags say beyond the texts: the voice path, an
// empty value, the kind.
bool PoFileReader::ReadExtras(const PoMessage &m, MessageTexts &t) {
  // The comments come joined into a new block the caller must free,
  // though it is declared const; no comments come as a constant "".
  const char *joined = po_message_extracted_comments(m.message);
  std::optional<std::string> comments = Convert(joined, m.pos, "comment");
  if (joined[0] != '\0')
    std::free(const_cast<char *>(joined));
  std::string max;
  if (comments &&
      !ReadComments(comments->c_str(), t.voice, t.emptyValue, max, t.note)) {
    diag.Error(m.pos, "'" + ShownId(t.id) + "': malformed quoted voice path");
    return false;
  }
  if (!max.empty())
    t.max = ReadLimit(m.pos, max, diag);
  // The library reads c-format itself; the scan adds the flags it drops.
  std::vector<std::string> flags;
  if (m.flags)
    flags = *m.flags;
  t.possibleCFormat =
      std::find(flags.begin(), flags.end(), "possible-c-format") != flags.end();
  if (po_message_is_format(m.message, "c-format") && !t.possibleCFormat)
    flags.push_back("c-format");
  t.kind = KindOfFlags(flags, m.pos, diag);
  return true;
}

// One form per category; a singular message is one form with no suffix.
bool PoFileReader::ReadForms(
    const PoMessage &m, const std::string &id,
    std::vector<std::pair<std::string, const char *>> &forms) {
  if (templ) {
    // The template's own texts; Plural-Forms is a placeholder there.
    forms.emplace_back(po_message_msgid_plural(m.message) ? "one" : "",
                       po_message_msgid(m.message));
    if (const char *plural = po_message_msgid_plural(m.message))
      forms.emplace_back("other", plural);
    return true;
  }
  if (!po_message_msgid_plural(m.message)) {
    forms.emplace_back("", po_message_msgstr(m.message));
    return true;
  }
  const PluralMapping *mapping = Mapping(m.pos);
  if (!mapping)
    return false;
  // A form beyond nplurals is never shown: the translation in it is lost.
  const std::size_t count = manyForms.size();
  if (po_message_msgstr_plural(m.message, static_cast<int>(count)))
    diag.Error(m.pos, "ID '" + ShownId(id) + "' has more forms than " +
                          "Plural-Forms' nplurals=" + std::to_string(count) +
                          " (msgstr[" + std::to_string(count) +
                          "] would never be shown)");
  for (const auto &[category, index] : mapping->forms) {
    const char *form =
        po_message_msgstr_plural(m.message, static_cast<int>(index));
    if (!form) {
      diag.Error(m.pos, "'" + ShownId(id) +
                            "' has fewer forms than Plural-Forms "
                            "needs (no msgstr[" +
                            std::to_string(index) + "])");
      return false;
    }
    forms.emplace_back(category, form);
  }
  return true;
}

// The fields a dump writes itself are left out: it writes them from the
// database, and the record must read back the same from the dump.
void PoFileReader::RecordHeader(const char *header) {
  std::optional<std::string> text =
      header ? converter.ToUtf8(header) : std::optional<std::string>("");
  if (!text)
    return;
  RecordPoHeader(*text, headerMessage, converter, record);
  if (pluralFormsText)
    record.pluralForms = *pluralFormsText;
}

// Whether a dump keyed by context writes the msgid of a message stored as
// \p value without the record: it writes the value there, or the context
// where there is none. Kept only where it differs, a file whose msgids say
// nothing more needs no record, and builds what any other format builds.
bool DumpGivesMsgid(const std::string &msgid, const std::string &id,
                    bool plural, const std::optional<std::string> &value) {
  return !plural && msgid == (value && !value->empty() ? *value : id);
}

void PoFileReader::RecordMessage(const PoMessage &m, const MessageTexts &t,
                                 bool contextKey,
                                 const std::optional<std::string> &value) {
  PoMessageRecord r = RecordOfPoMessage(m.message, m.flags, converter);
  r.plural = t.plural;
  // Keyed by context, the kinds give c-format back, as for any format.
  if (contextKey)
    r.flags.erase(std::remove_if(r.flags.begin(), r.flags.end(),
                                 [](const std::string &f) {
                                   return f == "c-format" || f == "no-c-format";
                                 }),
                  r.flags.end());
  if (contextKey && !DumpGivesMsgid(t.msgid, t.id, t.plural.has_value(), value))
    r.msgid = t.msgid;
  if (KeepsAnything(r))
    records.Add(t.id, r);
}

// Every msgstr against its msgid, as msgfmt -c compares them: a PO file
// carries its source beside each translation.
// The texts it converted go to \p converted, for the entries to take.
void PoFileReader::CheckTranslation(const PoMessage &m, MessageTexts &t,
                                    Converted &converted) {
  PoMessageText text;
  // The message's sources are lent to the check, not copied, and given
  // back however it ends.
  struct Lent {
    MessageTexts &t;
    PoMessageText &text;
    ~Lent() {
      t.msgid = std::move(text.msgid);
      t.plural = std::move(text.msgidPlural);
    }
  } lent{t, text};
  text.msgid = std::move(t.msgid);
  text.msgidPlural = std::move(t.plural);
  text.kind = t.kind;
  text.possibleCFormat = t.possibleCFormat;
  std::vector<const char *> raws;
  if (!text.msgidPlural) {
    raws.push_back(po_message_msgstr(m.message));
    std::optional<std::string> s = Convert(raws.back(), m.pos, "msgstr");
    if (!s)
      return;
    text.msgstr.push_back(std::move(*s));
  }
  // Forms beyond nplurals are reported as such, not checked.
  const int count = static_cast<int>(manyForms.size());
  for (int i = 0; text.msgidPlural && i < count; ++i) {
    const char *raw = po_message_msgstr_plural(m.message, i);
    if (!raw)
      break;
    raws.push_back(raw);
    std::optional<std::string> s = Convert(raw, m.pos, "msgstr");
    if (!s)
      return;
    text.msgstr.push_back(std::move(*s));
  }
  for (const std::string &problem : CheckPoMessage(text, manyForms)) {
    diag.Error(m.pos, "ID '" + ShownId(t.id) + "': " + problem);
    diag.MarkArgumentsReported(m.pos.Text());
  }
  for (std::size_t i = 0; i < raws.size(); ++i)
    converted.emplace_back(raws[i], std::move(text.msgstr[i]));
}

// A C format's texts in the runtime's terms; all of them as messages when
// one numbers its arguments, which the runtime's printf does not read.
// Returns the kind they are stored as.
std::optional<TextKind>
PoFileReader::StoreCFormats(const PoMessage &m, const MessageTexts &t,
                            std::vector<std::optional<std::string>> &values) {
  if (t.kind != TextKind::Printf)
    return t.kind;
  bool asMessage = false;
  for (const std::optional<std::string> &v : values)
    asMessage = asMessage || (v && NumbersArguments(*v) && ReadCFormat(*v).ok);
  for (std::optional<std::string> &v : values) {
    // Without numbered arguments only a macro or a size the runtime spells
    // otherwise changes a text, and most have neither.
    if (!v || v->find('%') == std::string::npos ||
        (!asMessage && !MaySpellSizeOtherwise(*v)))
      continue;
    // One that is no C format is reported as such when it is checked.
    if (!ReadCFormat(*v).ok)
      continue;
    StoredCFormat stored = StoreCFormat(*v, asMessage);
    if (!stored.problem.empty())
      diag.Error(m.pos, "ID '" + ShownId(t.id) + "': " + stored.problem);
    else
      v = std::move(stored.text);
  }
  return asMessage ? TextKind::Message : t.kind;
}

/// The text of \p forms[i] that the check converted already, if it did:
/// moved out where no later form shares it.
std::optional<std::string>
TakeConverted(std::vector<std::pair<const char *, std::string>> &converted,
              const std::vector<std::pair<std::string, const char *>> &forms,
              std::size_t i) {
  const char *raw = forms[i].second;
  auto at = std::find_if(converted.begin(), converted.end(),
                         [&](const auto &c) { return c.first == raw; });
  if (at == converted.end())
    return std::nullopt;
  const bool shared =
      std::any_of(forms.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                  forms.end(), [&](const auto &f) { return f.second == raw; });
  return shared ? at->second : std::move(at->second);
}

void PoFileReader::ReadMessage(const PoMessage &m, bool contextKey) {
  if (po_message_is_fuzzy(m.message) && !options.includeFuzzy) {
    // Not served, but a dump gives it back to its translator.
    ++counts.fuzzy;
    if (recording)
      RecordKeptOnly(m.message, m.flags, contextKey, converter, records);
    return;
  }
  MessageTexts t;
  std::vector<std::pair<std::string, const char *>> forms;
  if (!ReadKey(m, contextKey, t) || !ReadExtras(m, t) ||
      !ReadForms(m, t.id, forms))
    return;
  Converted converted;
  if (!templ)
    CheckTranslation(m, t, converted);
  bool untranslated = !templ;
  for (const auto &form : forms)
    untranslated = untranslated && form.second[0] == '\0';
  if (untranslated)
    ++counts.untranslated;
  std::vector<std::optional<std::string>> values;
  for (std::size_t i = 0; i < forms.size(); ++i) {
    const auto &[category, raw] = forms[i];
    std::optional<std::string> msgstr = TakeConverted(converted, forms, i);
    if (!msgstr && !(msgstr = Convert(raw, m.pos, "msgstr")))
      return;
    std::optional<std::string> &value = values.emplace_back();
    if (!msgstr->empty())
      value = std::move(*msgstr);
    else if (t.emptyValue)
      value = std::string();
    else if (options.fillEmpty)
      value = category.empty() || category == "one"
                  ? t.msgid
                  : t.plural.value_or(t.msgid);
  }
  const std::optional<TextKind> kind = StoreCFormats(m, t, values);
  if (recording)
    RecordMessage(m, t, contextKey, values.front());
  for (std::size_t i = 0; i < forms.size(); ++i) {
    const std::string &category = forms[i].first;
    const std::size_t before = out.size();
    AddEntry(m.pos, Key::of(t.id).printForm(kPluralSelector, category),
             values[i], t.voice, diag, out, kind,
             contextKey ? IdOrigin::Name : IdOrigin::SourceText);
    if (out.size() > before) {
      out.back().max = t.max;
      if (!t.note.empty())
        out.back().note = t.note;
      out.back().pluralForm = !category.empty();
    }
  }
}

/// The messages of \p domain that are not obsolete; the obsolete ones are
/// counted and go to \p obsolete.
std::vector<po_message_t>
PoFileReader::LiveMessages(po_file_t po, const char *domain,
                           std::vector<po_message_t> &obsolete) {
  std::vector<po_message_t> live;
  po_message_iterator_t it = po_message_iterator(po, domain);
  while (po_message_t message = po_next_message(it)) {
    if (po_message_is_obsolete(message)) {
      ++counts.obsolete;
      obsolete.push_back(message);
    } else {
      live.push_back(message);
    }
  }
  po_message_iterator_free(it);
  return live;
}

void PoFileReader::ReportSkipped() const {
  if (!counts.fuzzy && !counts.obsolete && !counts.untranslated)
    return;
  auto count = [](std::size_t n, const char *what) {
    return std::to_string(n) + " " + what + (n == 1 ? " entry" : " entries");
  };
  diag.Note(file, "skipped " + count(counts.fuzzy, "fuzzy") +
                      (counts.fuzzy ? " (--include-fuzzy reads them)" : "") +
                      " and " + count(counts.obsolete, "obsolete") + "; " +
                      count(counts.untranslated, "untranslated") +
                      (counts.untranslated && !options.fillEmpty
                           ? " (kept without a value)"
                           : ""));
}

void PoFileReader::Read(po_file_t po, const char *domain,
                        const DomainStarts &scanned,
                        const std::vector<Duplicate> &duplicates,
                        std::map<po_message_t, SourcePos> &placedAt) {
  std::vector<MessageStart> kept;
  const std::vector<MessageStart> *starts = KeptLive(scanned, duplicates, kept);
  std::vector<po_message_t> obsolete;
  const std::vector<po_message_t> live = LiveMessages(po, domain, obsolete);
  PlaceObsolete(file, scanned, duplicates, obsolete, placedAt);
  const bool placed = StartsMatch(starts, live);
  if (!placed && !live.empty())
    diag.Warning(file, "cannot tell where the messages of domain '" +
                           std::string(domain) +
                           "' begin: they are reported without lines, and "
                           "only their c-format flags are read");

  std::vector<PoMessage> messages;
  messages.reserve(live.size());
  headerPos = SourcePos{file, 0};
  for (std::size_t i = 0; i < live.size(); ++i) {
    const SourcePos pos{file, placed ? (*starts)[i].line : 0};
    // Only a duplicate's report names where its first definition stands.
    if (!duplicates.empty())
      placedAt[live[i]] = pos;
    if (!po_message_msgctxt(live[i]) && po_message_msgid(live[i])[0] == '\0') {
      headerPos = pos;
      headerMessage = live[i];
      continue;
    }
    messages.push_back({live[i], pos, placed ? &(*starts)[i].flags : nullptr});
  }
  // The header comes as a copy the caller must free, though it is declared
  // const.
  const char *header = po_file_domain_header(po, domain);
  const bool readable = ReadHeader(header);
  std::free(const_cast<char *>(header));
  if (!readable)
    return;
  const bool contextKey = DetectContextKey(messages);
  // A dump of a database that kept nothing of a PO file says so: reading
  // it keeps nothing either, so it builds the same database again. The
  // tool's own dumps keyed by context need no record either.
  recording = !templ && keyField != "source" && keyField != "context";
  if (recording && !recordUsed) {
    record.contextKey = contextKey;
    const char *again = po_file_domain_header(po, domain);
    RecordHeader(again);
    std::free(const_cast<char *>(again));
    recordUsed = true;
  }
  for (const PoMessage &m : messages)
    ReadMessage(m, contextKey);
  for (po_message_t old : obsolete)
    if (recording)
      RecordKeptOnly(old, nullptr, contextKey, converter, records);
  ReportSkipped();
}

} // namespace

namespace {

// A file keyed by context whose header and msgids a dump writes anyway
// keeps no record, so that it builds what any format of its IDs builds.
void AddRecord(const std::string &file, const PoRecord &record,
               const MessageRecords &messages, Diagnostics &diag,
               std::vector<SourceEntry> &out) {
  if (record.contextKey && record.header.empty() &&
      record.headerComments.empty() && messages.items.empty())
    return;
  AddEntry(SourcePos{file, 0}, kPoId, EncodePoRecord(record, messages),
           std::nullopt, diag, out);
}

} // namespace

// Messages of every domain are read into one set of IDs: a domain is no
// part of an ID, so an ID in two domains is a duplicate like any other.
void ReadPo(const std::string &file, std::string_view text,
            const InputOptions &options, Diagnostics &diag,
            std::vector<SourceEntry> &out) {
  const std::size_t fileStart = out.size();
  const PoScan scan = ScanPo(text);
  // Room for every entry at once (about one per msgstr line): a vector of
  // them grown as they come copies the largest block of a build several
  // times.
  out.reserve(out.size() + scan.forms + scan.forms / 2);
  // The library reads a NUL as the end of the text it is in.
  for (std::size_t line : scan.nulLines)
    diag.Error(SourcePos{file, line},
               "a string contains a NUL character, which PO text cannot "
               "hold");
  std::vector<Duplicate> duplicates;
  po_file_t po = ReadLibraryPo(file, text, diag, duplicates);
  if (!po)
    return;
  std::map<po_message_t, SourcePos> placedAt;
  PoRecord record;
  MessageRecords records;
  records.items.reserve(MessagesOf(scan));
  bool recordUsed = false;
  const char *const *domains = po_file_domains(po);
  for (std::size_t d = 0; domains && domains[d]; ++d) {
    DomainStarts scanned;
    if (auto live = scan.domains.find(domains[d]); live != scan.domains.end())
      scanned.live = &live->second;
    if (auto old = scan.obsolete.find(domains[d]); old != scan.obsolete.end())
      scanned.obsolete = &old->second;
    PoFileReader(file, options, diag, out, record, records, recordUsed)
        .Read(po, domains[d], scanned, duplicates, placedAt);
  }
  KeepCaseApart(out, fileStart, records, record.contextKey);
  KeepRecords(records);
  if (recordUsed)
    AddRecord(file, record, records, diag, out);
  ReportDuplicates(file, scan, duplicates, placedAt, diag);
  ReleasePo(po, text.size());
}

} // namespace phrasor::tool
