//===- PoWriter.cpp - gettext PO output -----------------------------------===//
//
// One message per entry, keyed by context (the ID) unless the database
// holds gettext's own keys; plural texts become plural messages where the
// language's usual Plural-Forms fits them. Extracted comments carry what
// PO has no field for, as the reader expects them.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/formats/po/Po.h"

#include "tools/phrasor/Locale.h"
#include "tools/phrasor/checks/Markup.h"
#include "tools/phrasor/checks/Plurals.h"
#include "tools/phrasor/files/FileIo.h"
#include "tools/phrasor/files/SafeBuild.h"
#include "tools/phrasor/formats/po/PluralForms.h"
#include "tools/phrasor/formats/po/PoComments.h"
#include "tools/phrasor/formats/shared/TextEntries.h"

#include <gettext-po.h>

#include <algorithm>
#include <csetjmp>
#include <map>
#include <unistd.h>

namespace phrasor::tool {
namespace {

// Writing a temporary file only fails for reasons of the system; the
// library demands that a fatal report never returns. Jumping back to
// PoText (no C++ frame with anything to destroy lies between) turns it into
// a FatalError, so the scratch file is removed and the caller decides.
std::jmp_buf WriteFatalJump;
std::string WriteFatalText;

void WriteFailed(int severity, po_message_t, const char *, size_t, size_t, int,
                 const char *text) {
  if (severity != PO_SEVERITY_FATAL_ERROR)
    return;
  WriteFatalText = text ? text : "";
  std::longjmp(WriteFatalJump, 1);
}
void WriteFailed2(int severity, po_message_t, const char *, size_t, size_t, int,
                  const char *text, po_message_t, const char *, size_t, size_t,
                  int, const char *) {
  WriteFailed(severity, nullptr, nullptr, 0, 0, 0, text);
}

// libgettextpo writes only the flags it knows, so a message kind is first
// written as this translator comment and then turned into its flag.
constexpr const char *kMessageComment = "phrasor-message-flag";
constexpr std::string_view kMessageMarker = "# phrasor-message-flag\n";
constexpr std::string_view kMessageFlag = "#, phrasor-message\n";

/// Gives \p m the flags and translator comments its record kept, and
/// the kind's flag.
void SetKind(po_message_t m, const std::optional<ValueKind> &kind,
             const PoMessageRecord *record = nullptr) {
  std::string comments = record ? record->comments : "";
  if (record)
    for (const std::string &flag : record->flags) {
      const bool no = flag.rfind("no-", 0) == 0;
      po_message_set_format(m, (no ? flag.substr(3) : flag).c_str(), !no);
    }
  if (kind && *kind == ValueKind::Message)
    comments += (comments.empty() ? "" : "\n") + std::string(kMessageComment);
  else if (kind)
    po_message_set_format(m, "c-format", *kind == ValueKind::Printf);
  if (!comments.empty())
    po_message_set_comments(m, comments.c_str());
}

/// The record of \p id, if the database kept one.
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
    if (PluralCategoryOf(group.forms[i]->id) != category ||
        group.forms[i]->value->empty())
      return false;
    auto [at, fresh] = byIndex.emplace(index, &*group.forms[i]->value);
    if (!fresh && *at->second != *group.forms[i]->value)
      return false;
  }
  return true;
}

/// Keyed by source, the ID is the msgid, after a context when it has one.
void SetSourceKey(po_message_t m, const std::string &id) {
  const std::size_t separator = id.find('\x04');
  if (separator == std::string::npos) {
    po_message_set_msgid(m, id.c_str());
    return;
  }
  po_message_set_msgctxt(m, id.substr(0, separator).c_str());
  po_message_set_msgid(m, id.substr(separator + 1).c_str());
}

void InsertPlural(po_message_iterator_t it, const PluralGroup &group,
                  const PluralMapping &mapping, bool sourceKey,
                  const PoMessageRecord *record) {
  po_message_t m = po_message_create();
  const TextEntry *one = group.forms.front(), *other = group.forms.back();
  for (const TextEntry *form : group.forms)
    if (PluralCategoryOf(form->id) == "one")
      one = form;
  if (sourceKey) {
    SetSourceKey(m, group.base);
  } else {
    po_message_set_msgctxt(m, group.base.c_str());
    po_message_set_msgid(m, one->value->c_str());
  }
  // The source's msgid_plural where the database kept it: merging with the
  // next template matches on it.
  po_message_set_msgid_plural(m, record && record->plural
                                     ? record->plural->c_str()
                                     : other->value->c_str());
  for (std::size_t i = 0; i < group.forms.size(); ++i)
    po_message_set_msgstr_plural(m, static_cast<int>(mapping.forms[i].second),
                                 group.forms[i]->value->c_str());
  if (group.max)
    po_message_set_extracted_comments(
        m, ("max: " + std::to_string(*group.max) + "\n").c_str());
  SetKind(m, group.kind, record);
  po_message_insert(it, m);
}

/// Appends \p text to \p out with every \p from replaced by \p to.
void AppendReplacing(std::string &out, std::string_view text,
                     std::string_view from, std::string_view to) {
  std::size_t done = 0;
  for (std::size_t at = text.find(from); at != std::string_view::npos;
       at = text.find(from, done)) {
    out.append(text, done, at - done);
    out += to;
    done = at + from.size();
  }
  out.append(text, done);
}

/// The scratch file libgettextpo writes to, under $TMPDIR. It is removed
/// on every way out, a fatal report of the library included.
class TempFile {
public:
  TempFile() : file(ScratchDirectory(), "phrasor-dump") { file.Close(); }
  const char *Path() const { return file.Path().c_str(); }

private:
  TemporaryFile file;
};

/// The library's writing of \p file to \p path; nothing when it gave up
/// on a fatal error, whose text WriteFatalText holds.
po_file_t WriteLibraryFile(po_file_t file, const char *path) {
  static const po_xerror_handler handler = {WriteFailed, WriteFailed2};
  if (setjmp(WriteFatalJump) != 0)
    return nullptr;
  return po_file_write(file, path, &handler);
}

/// libgettextpo writes only to a named file: \p file is written to
/// \p temp and read back, then freed.
std::string PoText(po_file_t file, const TempFile &temp) {
  WriteFatalText.clear();
  po_file_t written = WriteLibraryFile(file, temp.Path());
  if (!written && !WriteFatalText.empty())
    throw FatalError("cannot write the PO text: " + WriteFatalText);
  po_file_free(file);
  if (!written)
    throw FatalError("cannot write the PO text");
  return ReadFileBytes(temp.Path());
}

/// Writes the messages of a PO file a bounded number at a time. The
/// library keeps every message of a file in memory until the file is
/// written; in slices it holds a few thousand, which takes a fifth off the
/// peak memory of a dump of a million entries. Each slice is a file of its
/// own with the same header, and the library writes each message on its
/// own, so the slices joined without their repeated headers are the text
/// the whole file would have been.
class PoSliceWriter {
public:
  explicit PoSliceWriter(std::string headerFields)
      : fields(std::move(headerFields)) {
    Start(); // a file with only the header gives the header's text
    po_message_iterator_free(it);
    header = PoText(file, temp);
    Start();
  }

  po_message_iterator_t Iterator() { return it; }

  /// Called after each message: writes the slice once it is full.
  void Added() {
    if (++count == kSliceSize)
      Flush();
  }

  std::string Finish() {
    if (count || text.empty())
      Flush();
    po_message_iterator_free(it);
    po_file_free(file);
    return std::move(text);
  }

private:
  static constexpr std::size_t kSliceSize = 4096;

  void Start() {
    file = po_file_create();
    it = po_message_iterator(file, nullptr);
    po_message_t m = po_message_create();
    po_message_set_msgid(m, "");
    po_message_set_msgstr(m, fields.c_str());
    po_message_insert(it, m);
  }

  void Flush() {
    po_message_iterator_free(it);
    const std::string slice = PoText(file, temp);
    if (slice.compare(0, header.size(), header) != 0)
      throw FatalError("cannot write the PO text: its header changed");
    AppendReplacing(
        text, std::string_view(slice).substr(text.empty() ? 0 : header.size()),
        kMessageMarker, kMessageFlag);
    count = 0;
    Start();
  }

  std::string fields, header, text;
  TempFile temp;
  po_file_t file = nullptr;
  po_message_iterator_t it = nullptr;
  std::size_t count = 0;
};

/// Leaves out, and reports, the texts holding U+0004: PO readers take it
/// for gettext's separator of context and msgid, and refuse the file.
void DropSeparators(std::vector<TextEntry> &entries, const std::string &where,
                    Diagnostics &diag) {
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [&](const TextEntry &e) {
                                 if (!e.value ||
                                     e.value->find('\x04') == std::string::npos)
                                   return false;
                                 diag.Error(where,
                                            "value of '" + e.id +
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
  const bool kept = sourceKey && meta.po;
  std::string fields = kept ? meta.po->header : "";
  fields += "Content-Type: text/plain; charset=UTF-8\n"
            "Content-Transfer-Encoding: 8bit\n";
  if (meta.locale)
    fields += "Language: " + PoLanguage(*meta.locale) + "\n";
  if (kept && meta.po->pluralForms)
    fields += "Plural-Forms: " + *meta.po->pluralForms + "\n";
  else if (!plurals.groups.empty())
    fields += "Plural-Forms: " + *plurals.pluralForms + "\n";
  fields += !sourceKey ? "X-Phrasor-Key: context\n"
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
void InsertSingle(po_message_iterator_t it, const TextEntry &e, bool sourceKey,
                  const PoMessageRecord *record) {
  po_message_t m = po_message_create();
  if (sourceKey) {
    SetSourceKey(m, e.id);
  } else {
    po_message_set_msgctxt(m, e.id.c_str());
    // The msgid is what a translator reads; it must not be empty, which
    // would make the entry a header.
    po_message_set_msgid(
        m, (e.value && !e.value->empty() ? *e.value : e.id).c_str());
  }
  po_message_set_msgstr(m, e.value ? e.value->c_str() : "");
  std::string comments;
  if (e.voice)
    comments += PoVoiceComment(*e.voice) + "\n";
  if (e.value && e.value->empty())
    comments += "value: empty\n";
  if (e.max)
    comments += "max: " + std::to_string(*e.max) + "\n";
  if (!comments.empty())
    po_message_set_extracted_comments(m, comments.c_str());
  SetKind(m, e.kind, record);
  po_message_insert(it, m);
}

std::string PoFileText(std::vector<TextEntry> entries, const Metadata &meta,
                       const std::string &where, Diagnostics &diag) {
  DropSeparators(entries, where, diag);
  // The record is written as what it keeps, not as a message.
  entries.erase(
      std::remove_if(entries.begin(), entries.end(),
                     [](const TextEntry &e) { return e.id == kPoId; }),
      entries.end());
  const PoPlurals plurals = FindPoPlurals(entries, meta);
  // gettext's own keys (context U+0004 msgid, or source texts a name
  // could not be) cannot be written as a context, so a database that has
  // them is written keyed by source; so is one that kept a PO file's
  // record, whose keys were source texts even where names could be.
  bool sourceKey = meta.po.has_value();
  for (const TextEntry &e : entries)
    sourceKey = sourceKey || e.id.find('\x04') != std::string::npos ||
                NeedsSourceTextRules(e.id);
  PoSliceWriter writer(HeaderFields(meta, plurals, sourceKey));
  for (const TextEntry &e : entries) {
    std::string_view base, category;
    if (SplitPluralId(e.id, base, category)) {
      auto group = plurals.groups.find(std::string(base));
      if (group != plurals.groups.end()) {
        if (group->second.forms.front() == &e) {
          InsertPlural(
              writer.Iterator(), group->second, *plurals.mapping, sourceKey,
              sourceKey ? RecordOf(meta, group->second.base) : nullptr);
          writer.Added();
        }
        continue;
      }
    }
    InsertSingle(writer.Iterator(), e, sourceKey,
                 sourceKey ? RecordOf(meta, e.id) : nullptr);
    writer.Added();
  }
  return writer.Finish();
}

} // namespace

std::string WritePo(const DumpSide &target, const DumpSide &,
                    const std::string &where, Diagnostics &diag) {
  return PoFileText(ToText(*target.entries, *target.meta, where, diag),
                    *target.meta, where, diag);
}

} // namespace phrasor::tool
