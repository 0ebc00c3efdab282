//===- QtTsWriter.cpp - Qt Linguist .ts files out -------------------------===//
//
// Messages are grouped by context in the order their first entry comes,
// each written as lrelease reads it and as the reader reads it back: a
// message whose ID, text or note would come back otherwise is reported
// and left out rather than written changed.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/formats/qt/QtTs.h"

#include "phrasor/Key.h"
#include "tools/phrasor/Locale.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/Kinds.h"
#include "tools/phrasor/files/SafeBuild.h"
#include "tools/phrasor/formats/po/PluralForms.h"
#include "tools/phrasor/formats/shared/TextEntries.h"
#include "tools/phrasor/formats/shared/Xml.h"

#include <algorithm>
#include <map>
#include <set>

namespace phrasor::tool {
namespace {

/// One <message>, its texts already in Qt's spelling.
struct QtMessage {
  std::string comment, source;
  std::optional<std::string> note;
  std::vector<std::string> forms; ///< several: numerus="yes"
  bool numerus = false, unfinished = false;
};

void AppendXmlText(std::string &out, std::string_view utf8) {
  for (char c : utf8) {
    const unsigned char u = static_cast<unsigned char>(c);
    const char *escaped = u < 0x80 ? XmlEscape(u, false) : nullptr;
    if (escaped)
      out += escaped;
    else
      out += c;
  }
}

void AppendElement(std::string &out, const char *indent, const char *tag,
                   std::string_view text, const char *attributes = "") {
  out.append(indent).append("<").append(tag).append(attributes).append(">");
  AppendXmlText(out, text);
  out.append("</").append(tag).append(">\n");
}

/// The key the reader makes of a message in context \p name with
/// disambiguation \p comment.
std::string ReadBackKey(const std::string &name, const std::string &comment,
                        const std::string &source) {
  const std::string qualified = comment.empty() ? name : name + "\n" + comment;
  return qualified.empty() ? Key::escapeSourceText(source)
                           : Key::inContextOf(qualified, source).print();
}

/// Splits \p id into the context's name, the disambiguation and the source
/// text; false when the reader would not make \p id of them.
bool SplitId(std::string_view id, std::string &name, std::string &comment,
             std::string &source) {
  std::string text(id);
  if (!id.empty() && (id[0] == '@' || id[0] == Key::kCaseMark))
    text = Key::unescapeSourceText(id);
  const Key k = Key::parse(text, kNoSelectors);
  source = std::string(k.base);
  name.clear();
  comment.clear();
  if (k.inContext) {
    const std::string_view context = k.context;
    const std::size_t newline = context.find('\n');
    name = std::string(context.substr(0, newline));
    if (newline != std::string_view::npos)
      comment = std::string(context.substr(newline + 1));
  }
  if (source.find(Key::kContextSeparator) != std::string::npos ||
      !XmlCanCarry(name) || !XmlCanCarry(comment) || !XmlCanCarry(source))
    return false;
  const std::string back = ReadBackKey(name, comment, source);
  return back == id || Key::markCase(back) == id;
}

/// The kind the database gives \p e: recorded, or else inferred.
TextKind KindOf(const TextEntry &e) {
  if (e.kind)
    return *e.kind;
  const std::optional<std::u16string> wide = Utf8ToUtf16(*e.value);
  return wide ? InferKind(*wide).kind : TextKind::Plain;
}

/// The Qt texts of \p forms (all with values) of a message with source
/// text \p source; false when one of them would read back otherwise.
bool QtForms(const std::string &source,
             const std::vector<const TextEntry *> &forms,
             std::vector<std::string> &qt) {
  unsigned highest = QtHighestInsert(source), countInsert = 0;
  for (const TextEntry *f : forms)
    StoredInserts(*f->value, highest, countInsert);
  const unsigned count = countInsert ? countInsert : highest + 1;
  qt.clear();
  unsigned readHighest = QtHighestInsert(source);
  for (const TextEntry *f : forms) {
    const TextKind kind = KindOf(*f);
    if (kind == TextKind::Printf || f->value->empty() ||
        !XmlCanCarry(*f->value))
      return false;
    std::optional<std::string> text = *f->value;
    if (kind == TextKind::Message)
      text = StoredToQt(*f->value, count);
    if (!text)
      return false;
    readHighest = std::max(readHighest, QtHighestInsert(*text));
    qt.push_back(std::move(*text));
  }
  for (std::size_t i = 0; i < forms.size(); ++i) {
    bool message = false;
    if (QtToStored(qt[i], readHighest + 1, message) != *forms[i]->value ||
        message != (KindOf(*forms[i]) == TextKind::Message))
      return false;
  }
  return true;
}

class QtTsWriter {
public:
  QtTsWriter(const DumpSide &target, const std::string &place,
             Diagnostics &diagnostics)
      : meta(*target.meta), where(place), diag(diagnostics) {
    entries = ToText(*target.entries, meta, where, diag);
    groups = FindPluralGroups(entries);
    FindMapping();
  }

  std::string Write();

private:
  void FindMapping();
  bool Numerus(const PluralGroup &group, QtMessage &m);
  void Single(const TextEntry &e);
  void Add(const std::string &name, QtMessage m);
  std::string Header();
  void Report(const std::vector<std::string> &ids, const char *why);
  bool Unfinished(const std::string &id) const {
    auto at = meta.states.find(id);
    return at != meta.states.end() && at->second == "needs-review";
  }

  const Metadata &meta;
  const std::string &where;
  Diagnostics &diag;
  std::vector<TextEntry> entries;
  std::map<std::string, PluralGroup> groups;
  std::optional<PluralMapping> mapping;
  unsigned long formCount = 0;
  /// The contexts by name, in the order they come, and their messages.
  std::map<std::string, std::size_t> contextIndex;
  std::vector<std::pair<std::string, std::vector<QtMessage>>> contexts;
  std::vector<std::string> badIds, badTexts;
};

void QtTsWriter::FindMapping() {
  if (!meta.locale)
    return;
  const std::optional<std::string> usual = UsualPluralForms(*meta.locale);
  std::string problem;
  std::optional<PluralForms> forms;
  if (usual)
    forms = PluralForms::Parse(*usual, problem);
  if (forms) {
    mapping = MapPluralForms(*forms, *meta.locale, problem);
    formCount = forms->Count();
  }
}

// A group is one numerus message when the reader maps its forms back to
// the same categories: each category, and one text for forms that share a
// numerus form.
bool QtTsWriter::Numerus(const PluralGroup &group, QtMessage &m) {
  if (!mapping || group.forms.size() != mapping->forms.size())
    return false;
  const bool unfinished = Unfinished(group.forms.front()->id);
  for (std::size_t i = 0; i < group.forms.size(); ++i)
    if (Key::parse(group.forms[i]->id).category != mapping->forms[i].first ||
        Unfinished(group.forms[i]->id) != unfinished)
      return false;
  std::string name;
  std::vector<std::string> qt;
  if ((group.note && !XmlCanCarry(*group.note)) ||
      !SplitId(group.base, name, m.comment, m.source) ||
      !QtForms(m.source, group.forms, qt))
    return false;
  m.forms.assign(formCount, std::string());
  std::vector<bool> taken(formCount, false);
  for (std::size_t i = 0; i < qt.size(); ++i) {
    const unsigned long index = mapping->forms[i].second;
    if (taken[index] && m.forms[index] != qt[i])
      return false;
    m.forms[index] = qt[i];
    taken[index] = true;
  }
  m.numerus = true;
  m.unfinished = unfinished;
  m.note = group.note;
  Add(name, std::move(m));
  return true;
}

void QtTsWriter::Single(const TextEntry &e) {
  QtMessage m;
  std::string name;
  if (!SplitId(e.id, name, m.comment, m.source)) {
    badIds.push_back(e.id);
    return;
  }
  if (e.note && !XmlCanCarry(*e.note)) {
    badTexts.push_back(e.id);
    return;
  }
  m.note = e.note;
  m.forms.emplace_back();
  if (e.value && !QtForms(m.source, {&e}, m.forms)) {
    badTexts.push_back(e.id);
    return;
  }
  m.unfinished = !e.value || Unfinished(e.id);
  Add(name, std::move(m));
}

void QtTsWriter::Add(const std::string &name, QtMessage m) {
  auto [at, fresh] = contextIndex.emplace(name, contexts.size());
  if (fresh)
    contexts.emplace_back(name, std::vector<QtMessage>());
  contexts[at->second].second.push_back(std::move(m));
}

std::string QtTsWriter::Header() {
  std::string out = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                    "<!DOCTYPE TS>\n<TS version=\"2.1\"";
  if (meta.locale) {
    const std::string language = PoLanguage(*meta.locale);
    if (TagFromPoLanguage(language) != *meta.locale ||
        !AppendXmlAttribute(out, "language", language))
      diag.Warning(where, "qt cannot give the language '" + *meta.locale +
                              "' back; it is written as '" + language + "'");
  }
  return out + ">\n";
}

void QtTsWriter::Report(const std::vector<std::string> &ids, const char *why) {
  if (ids.empty())
    return;
  std::string examples;
  for (std::size_t i = 0; i < ids.size() && i < 3; ++i)
    examples += (i ? ", '" : "'") + ShownId(ids[i]) + "'";
  diag.Warning(where, std::to_string(ids.size()) +
                          (ids.size() == 1 ? " entry " : " entries ") + why +
                          " (" + examples + (ids.size() > 3 ? ", ..." : "") +
                          "); left out");
}

/// Appends message \p m, in the order of the elements lrelease expects.
void AppendMessage(std::string &out, const QtMessage &m) {
  out += m.numerus ? "    <message numerus=\"yes\">\n" : "    <message>\n";
  AppendElement(out, "        ", "source", m.source);
  if (!m.comment.empty())
    AppendElement(out, "        ", "comment", m.comment);
  if (m.note)
    AppendElement(out, "        ", "extracomment", *m.note);
  const char *type = m.unfinished ? " type=\"unfinished\"" : "";
  if (!m.numerus) {
    AppendElement(out, "        ", "translation", m.forms.front(), type);
  } else {
    out.append("        <translation").append(type).append(">\n");
    for (const std::string &form : m.forms)
      AppendElement(out, "            ", "numerusform", form);
    out += "        </translation>\n";
  }
  out += "    </message>\n";
}

std::string QtTsWriter::Write() {
  std::set<std::string> written;
  for (const TextEntry &e : entries) {
    if (e.id == kPoId || e.id == kIcuArgsId || e.id == kPluralFormsId) {
      diag.Warning(where, "qt cannot hold the entry " + e.id +
                              " of another format; it is not written");
      continue;
    }
    const Key key = Key::parse(e.id);
    const std::string stem(key.stem);
    if (key.is(kPluralSelector) && groups.count(stem) && !written.count(stem)) {
      QtMessage m;
      if (Numerus(groups.at(stem), m)) {
        written.insert(stem);
        continue;
      }
      groups.erase(stem);
    }
    if (!key.is(kPluralSelector) || !written.count(stem))
      Single(e);
  }
  std::string out = Header();
  for (const auto &[name, messages] : contexts) {
    out += "<context>\n";
    AppendElement(out, "    ", "name", name);
    for (const QtMessage &m : messages)
      AppendMessage(out, m);
    out += "</context>\n";
  }
  out += "</TS>\n";
  Report(badIds, "with IDs a .ts file cannot give back (U+0004 in a source "
                 "text, an empty context, a character XML cannot carry)");
  Report(badTexts, "with texts a .ts file cannot give back (printf "
                   "conversions, inserts Qt has no placeholder for, empty "
                   "texts)");
  return out;
}

} // namespace

std::string WriteQtTs(const DumpSide &target, const DumpSide &,
                      const std::string &where, Diagnostics &diag) {
  return QtTsWriter(target, where, diag).Write();
}

} // namespace phrasor::tool
