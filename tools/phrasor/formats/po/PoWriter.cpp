//===- PoWriter.cpp - gettext PO output -----------------------------------===//
//
// One message per entry, keyed by context (the ID) unless the database
// holds gettext's own keys; plural texts become plural messages where the
// language's usual Plural-Forms fits them. Extracted comments carry what
// PO has no field for, as the reader expects them.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/formats/po/Po.h"

#include "phrasor/Key.h"
#include "tools/phrasor/Locale.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/CFormatStore.h"
#include "tools/phrasor/checks/Kinds.h"
#include "tools/phrasor/checks/Markup.h"
#include "tools/phrasor/files/FileIo.h"
#include "tools/phrasor/files/SafeBuild.h"
#include "tools/phrasor/formats/po/PluralForms.h"
#include "tools/phrasor/formats/po/PoComments.h"
#include "tools/phrasor/formats/po/PoPrinter.h"
#include "tools/phrasor/formats/po/PoRecording.h"
#include "tools/phrasor/formats/shared/TextEntries.h"

#include <algorithm>
#include <map>
#include <memory>

namespace phrasor::tool {
namespace {

/// Writes a C format's stored texts back as their translator wrote them:
/// numbered conversions where the build made message inserts of them, and
/// the source's <inttypes.h> macros. True when \p m is such a message.
bool RestoreCFormats(PoOutMessage &m, const std::optional<TextKind> &kind,
                     const PoMessageRecord *record) {
  if (!record || std::find(record->flags.begin(), record->flags.end(),
                           "c-format") == record->flags.end())
    return false;
  const std::string_view source = m.plural ? *m.plural : m.msgid;
  bool printf = false;
  const bool macros = source.find('<') != std::string_view::npos;
  for (auto &[index, text] : m.msgstr) {
    // Only message inserts and macros change; most texts have neither.
    if (!macros && text.find('!') == std::string_view::npos)
      continue;
    // A kind the database does not record is the one its text shows.
    std::optional<std::u16string> text16;
    const TextKind k = kind                           ? *kind
                       : (text16 = Utf8ToUtf16(text)) ? InferKind(*text16).kind
                                                      : TextKind::Plain;
    if (k != TextKind::Message && k != TextKind::Printf)
      continue;
    printf = true;
    std::string restored = RestoreCFormat(text, source, k == TextKind::Message);
    if (restored == text)
      continue;
    m.made.push_back(std::make_shared<const std::string>(std::move(restored)));
    text = *m.made.back();
  }
  return printf;
}

/// Adds \p flag to \p comments as the line the printers make a flag of.
void AddFlagComment(std::string &comments, std::string_view flag) {
  comments.append(comments.empty() ? "" : "\n").append(kFlagComment);
  comments.append(flag);
}

/// Gives \p m the flags and translator comments its record kept, and
/// the kind's flag.
void SetKind(PoOutMessage &m, std::optional<TextKind> kind,
             const PoMessageRecord *record = nullptr) {
  if (RestoreCFormats(m, kind, record))
    kind = TextKind::Printf;
  std::string comments = record ? record->comments : "";
  m.fuzzy = record && record->fuzzy;
  if (record) {
    m.prevContext = record->prevContext;
    m.prevMsgid = record->prevMsgid;
    m.prevPlural = record->prevPlural;
  }
  if (record)
    for (const std::string &flag : record->flags) {
      const bool no = flag.rfind("no-", 0) == 0;
      if (IsFormatFlag(flag))
        m.formats.emplace_back(no ? flag.substr(3) : flag, !no);
      else
        AddFlagComment(comments, flag); // no-wrap, range: 1..5
    }
  if (kind && *kind == TextKind::Message)
    AddFlagComment(comments, "phrasor-message");
  else if (kind)
    m.formats.emplace_back("c-format", *kind == TextKind::Printf);
  m.comments = std::move(comments);
}

/// The record of \p id, if the database kept one for it.
const PoMessageRecord *RecordOf(const Metadata &meta, const std::string &id) {
  if (!meta.po)
    return nullptr;
  auto at = meta.po->messages.find(id);
  return at == meta.po->messages.end() ? nullptr : &at->second;
}

/// True when reading \p group back through \p mapping gives the same
/// entries: the same categories, and one text for forms sharing an index.
bool FitsMapping(const PluralGroup &group, const PluralMapping &mapping) {
  if (group.forms.size() != mapping.forms.size())
    return false;
  std::map<unsigned long, const std::string *> byIndex;
  for (std::size_t i = 0; i < group.forms.size(); ++i) {
    const auto &[category, index] = mapping.forms[i];
    if (Key::parse(group.forms[i]->id).category != category ||
        group.forms[i]->value->empty())
      return false;
    auto [at, fresh] = byIndex.emplace(index, &*group.forms[i]->value);
    if (!fresh && *at->second != *group.forms[i]->value)
      return false;
  }
  return true;
}

/// Keyed by source, the ID is the msgid, after a context when it has one.
void SetSourceKey(PoOutMessage &m, std::string_view id) {
  // A msgid's '#' is its own: only the context is split off.
  std::string_view text = id;
  if (!id.empty() && (id[0] == '@' || id[0] == Key::kCaseMark)) {
    m.sourceText =
        std::make_shared<const std::string>(Key::unescapeSourceText(id));
    text = *m.sourceText;
  }
  const Key k = Key::parse(text, kNoSelectors);
  if (k.inContext)
    m.context = k.context;
  m.msgid = k.base;
}

PoOutMessage PluralMessage(const PluralGroup &group,
                           const PluralMapping &mapping, bool sourceKey,
                           const PoMessageRecord *record) {
  PoOutMessage m;
  const TextEntry *one = group.forms.front(), *other = group.forms.back();
  for (const TextEntry *form : group.forms)
    if (Key::parse(form->id).category == "one")
      one = form;
  if (sourceKey) {
    SetSourceKey(m, group.base);
  } else {
    m.context = group.base;
    m.msgid = record && record->msgid ? *record->msgid : *one->value;
  }
  // The source's msgid_plural where the database kept it: merging with the
  // next template matches on it.
  m.plural = record && record->plural ? *record->plural : *other->value;
  for (std::size_t i = 0; i < group.forms.size(); ++i)
    m.msgstr.emplace_back(static_cast<unsigned>(mapping.forms[i].second),
                          *group.forms[i]->value);
  if (group.max)
    m.extracted = "max: " + std::to_string(*group.max) + "\n";
  if (group.note)
    m.extracted += *group.note + "\n";
  SetKind(m, group.kind, record);
  return m;
}

/// Leaves out, and reports, the texts holding U+0004: PO readers take it
/// for gettext's separator of context and msgid, and refuse the file.
void DropSeparators(std::vector<TextEntry> &entries, const std::string &where,
                    Diagnostics &diag) {
  entries.erase(
      std::remove_if(entries.begin(), entries.end(),
                     [&](const TextEntry &e) {
                       if (!e.value || e.value->find(Key::kContextSeparator) ==
                                           std::string::npos)
                         return false;
                       diag.Error(where, "value of '" + e.id +
                                             "' holds U+0004, which PO text "
                                             "cannot carry; left out");
                       return true;
                     }),
      entries.end());
}

/// The plural texts written as plural messages, and how: those whose
/// forms the language's usual Plural-Forms fills exactly. Others stay one
/// message per form.
struct PoPlurals {
  std::map<std::string, PluralGroup> groups;
  std::optional<PluralMapping> mapping;
  std::optional<std::string> pluralForms;
};

PoPlurals FindPoPlurals(const std::vector<TextEntry> &entries,
                        const Metadata &meta) {
  PoPlurals p;
  p.groups = FindPluralGroups(entries);
  // The file's own Plural-Forms where the database kept it, else the
  // language's usual one.
  if (meta.locale && meta.po && meta.po->pluralForms)
    p.pluralForms = meta.po->pluralForms;
  else if (meta.locale && meta.pluralForms)
    p.pluralForms = meta.pluralForms->substr(0, meta.pluralForms->find('\n'));
  else if (meta.locale)
    p.pluralForms = UsualPluralForms(*meta.locale);
  if (p.pluralForms) {
    std::string problem;
    std::optional<PluralForms> forms =
        PluralForms::Parse(*p.pluralForms, problem);
    if (forms)
      p.mapping = MapPluralForms(*forms, *meta.locale, problem);
  }
  for (auto it = p.groups.begin(); it != p.groups.end();)
    it = p.mapping && FitsMapping(it->second, *p.mapping) ? std::next(it)
                                                          : p.groups.erase(it);
  return p;
}

/// The header's fields.
std::string HeaderFields(const Metadata &meta, const PoPlurals &plurals,
                         bool sourceKey) {
  // The fields the database kept come first, as a header begins with them.
  const bool kept = meta.po.has_value();
  std::string fields = kept ? meta.po->header : "";
  fields += "Content-Type: text/plain; charset=UTF-8\n"
            "Content-Transfer-Encoding: 8bit\n";
  if (meta.locale)
    fields += "Language: " + PoLanguage(*meta.locale) + "\n";
  if (kept && meta.po->pluralForms)
    fields += "Plural-Forms: " + *meta.po->pluralForms + "\n";
  else if (!plurals.groups.empty())
    fields += "Plural-Forms: " + *plurals.pluralForms + "\n";
  // "gettext": the record was kept, and reading the dump keeps it again.
  fields += !sourceKey ? (meta.po ? "X-Phrasor-Key: gettext-context\n"
                                  : "X-Phrasor-Key: context\n")
            : meta.po  ? "X-Phrasor-Key: gettext\n"
                       : "X-Phrasor-Key: source\n";
  // A header field holds one line: each pattern has its own. msgmerge
  // keeps a translation's header, and msginit copies the template's.
  if (meta.protect)
    for (const std::string &p : ProtectPatterns(*meta.protect))
      fields += "X-Phrasor-Protect: " + p + "\n";
  return fields;
}

/// One entry as one message.
PoOutMessage SingleMessage(const TextEntry &e, bool sourceKey,
                           const PoMessageRecord *record) {
  PoOutMessage m;
  if (sourceKey) {
    SetSourceKey(m, e.id);
  } else {
    m.context = e.id;
    // The msgid is what a translator reads (the file's own where the
    // database kept it); it must not be empty, which would make the entry
    // a header.
    m.msgid = record && record->msgid        ? *record->msgid
              : e.value && !e.value->empty() ? *e.value
                                             : e.id;
  }
  m.msgstr.emplace_back(0, e.value ? std::string_view(*e.value) : "");
  if (e.voice)
    m.extracted += PoVoiceComment(*e.voice) + "\n";
  if (e.value && e.value->empty())
    m.extracted += "value: empty\n";
  if (e.max)
    m.extracted += "max: " + std::to_string(*e.max) + "\n";
  if (e.note)
    m.extracted += *e.note + "\n";
  SetKind(m, e.kind, record);
  return m;
}

/// A message only the record holds (a fuzzy one the build left out, an
/// obsolete one), as the file had it.
PoOutMessage KeptMessage(const std::string &id, const PoMessageRecord &r,
                         bool sourceKey) {
  PoOutMessage m;
  if (sourceKey) {
    SetSourceKey(m, id);
  } else {
    m.context = id;
    m.msgid = r.msgid ? std::string_view(*r.msgid) : std::string_view(id);
  }
  m.plural = r.plural;
  for (std::size_t i = 0; i < r.msgstr->size(); ++i)
    m.msgstr.emplace_back(static_cast<unsigned>(i), (*r.msgstr)[i]);
  m.obsolete = r.obsolete;
  SetKind(m, std::nullopt, &r);
  return m;
}

/// Gives \p printer the messages only the record holds: the live ones,
/// then the obsolete ones, which a PO file keeps at its end.
bool PrintKeptOnly(PoPrinter &printer, const Metadata &meta, bool sourceKey) {
  if (!meta.po)
    return true;
  for (const bool obsolete : {false, true})
    for (const auto &[id, r] : meta.po->messages)
      if (r.msgstr && r.obsolete == obsolete &&
          !printer.Add(KeptMessage(id, r, sourceKey)))
        return false;
  return true;
}

/// Gives \p printer each message of \p entries; false as soon as it
/// declines one.
bool PrintMessages(PoPrinter &printer, const std::vector<TextEntry> &entries,
                   const PoPlurals &plurals, const Metadata &meta,
                   bool sourceKey) {
  for (const TextEntry &e : entries) {
    // An exact match ("FILES#=0") has no msgstr[n]: a message of its own.
    if (const Key k = Key::parse(e.id);
        k.is(kPluralSelector) && !selectors::isExactMatch(k.category)) {
      auto group = plurals.groups.find(std::string(k.stem));
      if (group != plurals.groups.end()) {
        if (group->second.forms.front() == &e &&
            !printer.Add(PluralMessage(group->second, *plurals.mapping,
                                       sourceKey,
                                       RecordOf(meta, group->second.base))))
          return false;
        continue;
      }
    }
    if (!printer.Add(SingleMessage(e, sourceKey, RecordOf(meta, e.id))))
      return false;
  }
  return PrintKeptOnly(printer, meta, sourceKey);
}

std::string PoFileText(std::vector<TextEntry> entries, const Metadata &meta,
                       const std::string &where, Diagnostics &diag) {
  DropSeparators(entries, where, diag);
  // The record is written as what it keeps, not as a message.
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [](const TextEntry &e) {
                                 return e.id == kPoId || e.id == kPluralFormsId;
                               }),
                entries.end());
  const PoPlurals plurals = FindPoPlurals(entries, meta);
  // gettext's own keys (context U+0004 msgid, or source texts a name
  // could not be) cannot be written as a context, so a database that has
  // them is written keyed by source; so is one that kept a PO file's
  // record, whose keys were source texts even where names could be.
  bool sourceKey = meta.po && !meta.po->contextKey;
  for (const TextEntry &e : entries)
    sourceKey =
        sourceKey || Key::parse(e.id).inContext || NeedsSourceTextRules(e.id);
  const std::string fields = HeaderFields(meta, plurals, sourceKey);
  // The fast printer where it can print every message as the library
  // would, else the library's.
  const std::string comments = meta.po ? meta.po->headerComments : "";
  if (std::unique_ptr<PoPrinter> fast = FastPoPrinter(fields, comments))
    if (PrintMessages(*fast, entries, plurals, meta, sourceKey))
      return fast->Finish();
  std::unique_ptr<PoPrinter> library = LibraryPoPrinter(fields, comments);
  PrintMessages(*library, entries, plurals, meta, sourceKey);
  return library->Finish();
}

} // namespace

std::string WritePo(const DumpSide &target, const DumpSide &,
                    const std::string &where, Diagnostics &diag) {
  return PoFileText(ToText(*target.entries, *target.meta, where, diag),
                    *target.meta, where, diag);
}

} // namespace phrasor::tool
