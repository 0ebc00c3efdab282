//===- AndroidWriter.cpp - Android string resources out -------------------===//
//
// Written so that reading the file gives the same entries: plural forms as
// one <plurals>, ID[0], ID[1]... as one <string-array> when they are every
// index from 0, message inserts as the %1$s they were read from. What
// Android cannot hold (IDs that are not resource names, exact-value and
// ordinal forms, texts no escape gives back) is reported in one error per
// kind of loss and left out.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/formats/android/Android.h"

#include "phrasor/Key.h"
#include "tools/phrasor/Metadata.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/CFormatStore.h"
#include "tools/phrasor/checks/Kinds.h"
#include "tools/phrasor/checks/PoChecks.h"
#include "tools/phrasor/files/SafeBuild.h"
#include "tools/phrasor/formats/android/AndroidText.h"
#include "tools/phrasor/formats/shared/TextEntries.h"
#include "tools/phrasor/formats/shared/Xml.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <utility>

namespace phrasor::tool {
namespace {

/// The name and index of an ID written as an array item ("DAYS[3]").
struct ArrayItem {
  std::string name;
  std::size_t index = 0;
};

std::optional<ArrayItem> ArrayItemOf(std::string_view id) {
  const std::size_t open = id.rfind('[');
  if (open == std::string_view::npos || id.back() != ']')
    return std::nullopt;
  const std::string_view digits = id.substr(open + 1, id.size() - open - 2);
  if (digits.empty() || digits.size() > 9 ||
      (digits[0] == '0' && digits.size() > 1))
    return std::nullopt;
  ArrayItem item{std::string(id.substr(0, open)), 0};
  for (char c : digits) {
    if (c < '0' || c > '9')
      return std::nullopt;
    item.index = item.index * 10 + static_cast<std::size_t>(c - '0');
  }
  if (!IsAndroidName(item.name))
    return std::nullopt;
  return item;
}

/// A text as an element holds it.
struct Content {
  std::string text;
  /// The formatted attribute: " formatted=\"false\"" for a text whose '%'
  /// is text, "true" for a format that shows none, else none.
  const char *formatted = "";
  bool ok = true;
  bool asStored = false; ///< a message whose inserts %1$s cannot spell
};

Content ContentOf(const TextEntry &e, std::optional<TextKind> recorded) {
  Content c;
  std::string text = e.value.value_or("");
  std::optional<std::u16string> wide;
  const TextKind kind = recorded                     ? *recorded
                        : (wide = Utf8ToUtf16(text)) ? InferKind(*wide).kind
                                                     : TextKind::Plain;
  if (kind == TextKind::Message) {
    std::string numbered = RestoreCFormat(text, "", true);
    // Reading refuses a numbered format C would refuse, so only one that
    // C reads, and that stores back as this text, is written as %1$s.
    // StoreCFormat reads only valid C formats, so it is asked last.
    if (NumbersArguments(numbered) && ReadCFormat(numbered).ok && [&] {
          const StoredCFormat back = StoreCFormat(numbered, true);
          return back.problem.empty() && back.text == text;
        }())
      text = std::move(numbered);
    else
      c.asStored = true;
  } else if (kind == TextKind::Plain && text.find('%') != std::string::npos) {
    c.formatted = " formatted=\"false\"";
  } else if (kind == TextKind::Printf && recorded) {
    c.formatted = " formatted=\"true\"";
  }
  c.text = WriteAndroidText(text, c.ok);
  return c;
}

/// \p note as the comment a reader takes for it, or false when XML
/// cannot spell it so: "--" comes out "- -", and a note with characters XML
/// cannot carry, or that starts or ends in white space, loses them.
bool AppendNote(std::string &out, const std::string &note, const char *indent) {
  std::string body;
  bool exact = true;
  for (std::size_t i = 0; i < note.size(); ++i) {
    body += note[i];
    if (note[i] == '-' && i + 1 < note.size() && note[i + 1] == '-') {
      body += ' ';
      exact = false;
    }
  }
  if (!XmlCanCarry(body) || body.find('\r') != std::string::npos) {
    body.clear();
    for (char c : note)
      if (c == '\t' || c == '\n' || static_cast<unsigned char>(c) >= 0x20)
        body += c;
    exact = false;
    if (!XmlCanCarry(body))
      return false;
  }
  const std::size_t first = body.find_first_not_of(" \t\n");
  if (first != 0 || body.find_last_not_of(" \t\n") + 1 != body.size())
    exact = false;
  if (first == std::string::npos)
    return false;
  out += indent;
  out += "<!-- " + body + " -->\n";
  return exact;
}

/// True when every one of \p items has the first one's note (or none),
/// which is then written once above their container.
bool SharedNote(const std::vector<const TextEntry *> &items) {
  return std::all_of(items.begin(), items.end(), [&](const TextEntry *item) {
    return item->note == items.front()->note;
  });
}

class AndroidWriter {
public:
  AndroidWriter(const DumpSide &target, const std::string &place,
                Diagnostics &diagnostics)
      : meta(*target.meta), where(place), diag(diagnostics) {
    entries = ToText(*target.entries, meta, where, diag);
    // Forms with notes of their own are still one <plurals>, each form's
    // note above its <item>.
    std::vector<std::optional<std::string>> notes;
    for (TextEntry &e : entries)
      notes.push_back(std::exchange(e.note, std::nullopt));
    groups = FindPluralGroups(entries);
    for (std::size_t i = 0; i < entries.size(); ++i)
      entries[i].note = std::move(notes[i]);
    FindArrays();
  }

  std::string Write();

private:
  void FindArrays();
  void Header();
  bool Element(const char *tag, const char *nameAttr, const std::string &name,
               const TextEntry &e, std::optional<TextKind> kind,
               const char *indent, bool sayFormatted = true);
  void Note(const std::optional<std::string> &note, const char *indent);
  void Untranslatable(const std::vector<const TextEntry *> &texts);
  void Plurals(const PluralGroup &group);
  void Array(const std::string &name,
             const std::vector<const TextEntry *> &items);
  void Report();

  const Metadata &meta;
  const std::string &where;
  Diagnostics &diag;
  std::vector<TextEntry> entries;
  std::map<std::string, PluralGroup> groups;
  std::map<std::string, std::vector<const TextEntry *>> arrays;
  std::vector<std::string> unnamed, unwritable;
  bool ownNamespace = false;    ///< some element has a phr: attribute
  std::size_t changedNotes = 0; ///< notes a comment cannot spell
  std::string out;
};

// Only an array whose every index from 0 is there, and that no string of
// the same name shadows, reads back as the same entries.
void AndroidWriter::FindArrays() {
  std::map<std::string, std::map<std::size_t, const TextEntry *>> found;
  std::set<std::string> names;
  for (const TextEntry &e : entries) {
    names.insert(e.id);
    if (std::optional<ArrayItem> item = ArrayItemOf(e.id))
      found[item->name][item->index] = &e;
  }
  for (auto &[name, items] : found) {
    if (names.count(name) || groups.count(name) ||
        items.rbegin()->first + 1 != items.size())
      continue;
    std::vector<const TextEntry *> ordered;
    for (auto &[index, e] : items)
      ordered.push_back(e);
    arrays[name] = std::move(ordered);
  }
}

void AndroidWriter::Header() {
  out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<resources";
  if (meta.locale) {
    out += " xmlns:tools=\"http://schemas.android.com/tools\"";
    AppendXmlAttribute(out, "tools:locale", *meta.locale);
  }
  out += ">\n";
}

bool AndroidWriter::Element(const char *tag, const char *nameAttr,
                            const std::string &name, const TextEntry &e,
                            std::optional<TextKind> kind, const char *indent,
                            bool sayFormatted) {
  const Content c = ContentOf(e, kind);
  if (!c.ok) {
    unwritable.push_back(e.id);
    return false;
  }
  out += indent;
  out += "<";
  out += tag;
  if (nameAttr)
    AppendXmlAttribute(out, nameAttr, name);
  if (std::strcmp(tag, "string") == 0)
    Untranslatable({&e});
  if (sayFormatted)
    out += c.formatted;
  if (c.asStored) {
    out += " phr:kind=\"message\"";
    ownNamespace = true;
  }
  out += ">" + c.text + "</" + tag + ">\n";
  return true;
}

// An element whose every text is the same in each language says so.
void AndroidWriter::Untranslatable(
    const std::vector<const TextEntry *> &texts) {
  if (!meta.untranslatable.empty() &&
      std::all_of(texts.begin(), texts.end(), [&](const TextEntry *t) {
        return meta.untranslatable.count(t->id) != 0;
      }))
    out += " translatable=\"false\"";
}

void AndroidWriter::Note(const std::optional<std::string> &note,
                         const char *indent) {
  if (note && !AppendNote(out, *note, indent))
    ++changedNotes;
}

// The forms of a group share one kind, which the <plurals> says once, as
// it says a note they all share; an array's items say their own kinds.
void AndroidWriter::Plurals(const PluralGroup &group) {
  const bool shared = SharedNote(group.forms);
  if (shared)
    Note(group.forms.front()->note, "    ");
  out += "    <plurals";
  AppendXmlAttribute(out, "name", group.base);
  Untranslatable(group.forms);
  if (group.kind == TextKind::Plain)
    out += " formatted=\"false\"";
  else if (group.kind == TextKind::Printf)
    out += " formatted=\"true\"";
  out += ">\n";
  for (const TextEntry *form : group.forms) {
    const std::size_t mark = out.size();
    if (!shared)
      Note(form->note, "        ");
    if (!Element("item", "quantity", std::string(Key::parse(form->id).category),
                 *form, group.kind, "        ", false))
      out.resize(mark);
  }
  out += "    </plurals>\n";
}

void AndroidWriter::Array(const std::string &name,
                          const std::vector<const TextEntry *> &items) {
  const bool shared = SharedNote(items);
  if (shared)
    Note(items.front()->note, "    ");
  out += "    <string-array";
  AppendXmlAttribute(out, "name", name);
  Untranslatable(items);
  out += ">\n";
  for (const TextEntry *item : items) {
    const std::size_t mark = out.size();
    if (!shared)
      Note(item->note, "        ");
    if (!Element("item", nullptr, name, *item, item->kind, "        "))
      out.resize(mark);
  }
  out += "    </string-array>\n";
}

void AndroidWriter::Report() {
  auto report = [&](const std::vector<std::string> &ids, const char *why) {
    if (ids.empty())
      return;
    std::string examples;
    for (std::size_t i = 0; i < ids.size() && i < 3; ++i)
      examples += (i ? ", '" : "'") + ShownId(ids[i]) + "'";
    diag.Error(where, std::to_string(ids.size()) +
                          (ids.size() == 1 ? " entry " : " entries ") + why +
                          " (" + examples + (ids.size() > 3 ? ", ..." : "") +
                          "); left out");
  };
  report(unnamed, "with IDs that are not Android resource names (a letter "
                  "or '_', then letters, digits, '_' and '.')");
  report(unwritable, "with text an Android string cannot carry");
  if (changedNotes)
    diag.Warning(where, std::to_string(changedNotes) +
                            (changedNotes == 1 ? " note" : " notes") +
                            " written changed: an XML comment cannot hold "
                            "\"--\", control characters, or white space at "
                            "its ends");
}

std::string AndroidWriter::Write() {
  Header();
  std::set<std::string> written;
  for (const TextEntry &e : entries) {
    const Key key = Key::parse(e.id);
    const std::string stem(key.stem);
    if (key.is(kPluralSelector) && groups.count(stem)) {
      if (written.insert(stem).second)
        Plurals(groups.at(stem));
      continue;
    }
    if (std::optional<ArrayItem> item = ArrayItemOf(e.id);
        item && arrays.count(item->name)) {
      if (written.insert(item->name).second)
        Array(item->name, arrays.at(item->name));
      continue;
    }
    // What the record keeps of a PO file only a PO dump can write.
    if (e.id == kPoId) {
      diag.Warning(where, "android cannot hold what the database keeps of "
                          "its PO file (msgids, header); it is not written");
      continue;
    }
    if (!IsAndroidName(e.id)) {
      unnamed.push_back(e.id);
      continue;
    }
    const std::size_t mark = out.size();
    Note(e.note, "    ");
    if (!Element("string", "name", e.id, e, e.kind, "    "))
      out.resize(mark); // a comment alone would be the next one's note
  }
  out += "</resources>\n";
  if (ownNamespace)
    out.insert(out.find("<resources") + 10,
               std::string(" xmlns:phr=\"") + kAndroidOwnNamespace + "\"");
  Report();
  return std::move(out);
}

} // namespace

std::string WriteAndroid(const DumpSide &target, const DumpSide &,
                         const std::string &where, Diagnostics &diag) {
  return AndroidWriter(target, where, diag).Write();
}

} // namespace phrasor::tool
