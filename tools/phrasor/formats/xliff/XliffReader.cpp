//===- XliffReader.cpp - XLIFF 1.2 and 2.0 input --------------------------===//
//
// A unit's state decides what it gives, as PO's empty and fuzzy entries do:
//
//   translated   1.2: no state with a target that has text, approved="yes",
//                translated, final, signed-off or x-...; 2.0: translated,
//                reviewed or final. An empty target is then the empty text.
//   untranslated no target, an empty target without a state, or 1.2 new /
//                needs-translation, 2.0 initial: the entry keeps no value,
//                or takes the source text under --fill-empty.
//   needs review 1.2 needs-l10n, needs-adaptation, needs-review-...; a
//                target with text in an untranslated state; 2.0 units whose
//                segments disagree. Skipped unless --include-fuzzy.
//
// Inline codes give back the text they stand for: 1.2 <ph>, <bpt>, <ept>
// and <it> hold it, <x> carries it in equiv-text; 2.0 <ph>,
// <sc>, <ec> and <pc> point into <originalData> or carry equiv. A code
// whose text is nowhere in the file is an error: the entry would silently
// lose an insert. DOCTYPEs are refused, since they can declare entities
// that name other files.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/formats/xliff/Xliff.h"

#include "tools/phrasor/Utf.h"
#include "tools/phrasor/files/Charset.h"
#include "tools/phrasor/files/TextEncoding.h"
#include "tools/phrasor/formats/shared/Escapes.h"
#include "tools/phrasor/formats/xliff/XliffIcu.h"
#include "tools/phrasor/formats/xliff/XliffNodes.h"

#include <pugixml.hpp>
#include <utf8.h>

#include <algorithm>
#include <cstring>
#include <map>

namespace phrasor::tool {
namespace {

/// Deeper nesting of groups or inline codes is refused rather than followed,
/// so no input can exhaust the stack.
constexpr int kMaxDepth = 64;

enum class UnitState { Translated, Untranslated, NeedsReview };

/// What one unit says, before the options decide what it gives.
struct Unit {
  SourcePos pos;
  std::string id;
  std::string source, target;
  bool hasTarget = false;
  UnitState state = UnitState::Untranslated;
  std::optional<std::string> voice;
  std::optional<TextKind> kind;
  std::optional<unsigned> max;
  std::string note;   ///< its notes, joined by newlines
  std::string review; ///< "final" or "reviewed" when translated so far
  bool missing = false;
};

class XliffFileReader {
public:
  XliffFileReader(const std::string &path, std::string_view buffer,
                  const InputOptions &settings, Diagnostics &diagnostics,
                  std::vector<SourceEntry> &entries)
      : file(path), text(buffer), options(settings), diag(diagnostics),
        out(entries) {
    for (std::size_t i = text.find('\n'); i != std::string_view::npos;
         i = text.find('\n', i + 1))
      newlines.push_back(i);
  }

  /// Reads the file; returns the encoding it declares when that is one the
  /// file must first be converted from (and \p converted is false).
  /// \p mark names the encoding a byte order mark gave it, which decides.
  bool Parse(pugi::xml_document &doc);
  bool ReadProlog(const pugi::xml_document &doc, bool converted,
                  const char *mark, pugi::xml_node &root, std::string &reread);
  void ReadRoot(const pugi::xml_node &root);
  std::string Read(bool converted, const char *mark);

private:
  SourcePos At(std::ptrdiff_t offset) const {
    if (offset < 0)
      return {file, 0};
    const auto line = std::lower_bound(newlines.begin(), newlines.end(),
                                       static_cast<std::size_t>(offset));
    return {file, static_cast<std::size_t>(line - newlines.begin()) + 1};
  }
  SourcePos At(const pugi::xml_node &node) const {
    return At(node.offset_debug());
  }
  const char *Own(const pugi::xml_node &node, const char *name) const;
  void ReadLocale(const pugi::xml_node &node, const char *attribute);

  void ReadContainer(const pugi::xml_node &node, int depth, bool two);
  void ReadUnit12(const pugi::xml_node &node);
  void ReadUnit20(const pugi::xml_node &node);
  bool NameUnit(const pugi::xml_node &node, pugi::xml_attribute name,
                const char *element, Unit &unit);
  bool NotForTranslation(const pugi::xml_node &node, Unit &unit);
  void ReadNotes(const pugi::xml_node &node, Unit &unit);
  bool ReadOriginalData(const pugi::xml_node &node, const Unit &unit,
                        std::map<std::string, std::string> &data);
  /// A 2.0 unit's segments: how many, and how many translated or open.
  struct SegmentCounts {
    std::size_t segments = 0, translated = 0, open = 0;
    std::size_t reviewed = 0, final = 0; ///< of the translated ones
  };
  bool ReadSegments(const pugi::xml_node &node,
                    const std::map<std::string, std::string> &data, Unit &unit,
                    SegmentCounts &counts);
  bool ReadOwnAttributes(const pugi::xml_node &node, Unit &unit);
  /// Reports \p c as an element \p node cannot hold; false.
  bool Unexpected(const pugi::xml_node &c, const pugi::xml_node &node);
  bool Inline12(const pugi::xml_node &node, std::string &into, int depth);
  bool Inline20(const pugi::xml_node &node,
                const std::map<std::string, std::string> &data,
                std::string &into, int depth);
  bool CodeText20(const pugi::xml_node &code, const char *ref,
                  const char *equiv,
                  const std::map<std::string, std::string> &data,
                  std::string &into);
  bool CodePoint(const pugi::xml_node &node, const char *hex,
                 std::string &into);
  bool TooDeep(const pugi::xml_node &node, int depth, const char *what);
  bool AllText(const pugi::xml_node &node, std::string &into, int depth);
  void Emit(Unit &unit);
  void Summarize();

  const std::string &file;
  std::string_view text;
  const InputOptions &options;
  Diagnostics &diag;
  std::vector<SourceEntry> &out;
  /// How the current <file> names its units: phr:keys="source-text" says
  /// they are gettext keys.
  IdOrigin origin = IdOrigin::Name;
  std::vector<std::size_t> newlines;
  std::size_t review = 0, untranslated = 0;
  /// 2.0 segments in state "new", which 2.0 does not have, and the first.
  std::size_t newStates = 0;
  std::optional<SourcePos> firstNew;
  std::map<std::string, IcuArgs> icuArgs; ///< --syntax icu: of the units
};

// The tool's namespace may be declared on any element above, under any
// prefix.
const char *XliffFileReader::Own(const pugi::xml_node &node,
                                 const char *name) const {
  for (pugi::xml_attribute a : node.attributes()) {
    const std::string_view qualified = a.name();
    if (qualified.find(':') != std::string_view::npos &&
        LocalName(a.name()) == name && qualified.substr(0, 6) != "xmlns:" &&
        NamespaceOf(node, qualified) == kXliffOwnNamespace)
      return a.value();
  }
  return nullptr;
}

// "und" (undetermined) is what the writer puts where XLIFF needs a
// language the database does not name.
// A database whose language is "und" says so in phr:locale beside it.
void XliffFileReader::ReadLocale(const pugi::xml_node &node,
                                 const char *attribute) {
  pugi::xml_attribute lang = node.attribute(attribute);
  const char *own = Own(node, "locale");
  if (lang && *lang.value() &&
      (!EqualsAsciiCase(lang.value(), "und") ||
       (own && EqualsAsciiCase(own, lang.value()))))
    AddEntry(At(node), kLocaleId, std::string(lang.value()), std::nullopt, diag,
             out);
}

// Nesting is bounded so that a hostile file cannot exhaust the stack.
bool XliffFileReader::TooDeep(const pugi::xml_node &node, int depth,
                              const char *what) {
  if (depth <= kMaxDepth)
    return false;
  diag.Error(At(node), std::string(what) + " nested deeper than " +
                           std::to_string(kMaxDepth) + " levels");
  return true;
}

void XliffFileReader::ReadContainer(const pugi::xml_node &node, int depth,
                                    bool two) {
  if (TooDeep(node, depth, "groups"))
    return;
  for (pugi::xml_node c : node.children()) {
    if (Is(c, "group"))
      ReadContainer(c, depth + 1, two);
    else if (two && Is(c, "unit"))
      ReadUnit20(c);
    else if (!two && Is(c, "trans-unit"))
      ReadUnit12(c);
  }
}

bool XliffFileReader::ReadOwnAttributes(const pugi::xml_node &node,
                                        Unit &unit) {
  // A unit whose names or voice path hold what XML cannot carry spells
  // them, and their backslashes, with escapes.
  const char *escapes = Own(node, "escaped");
  const bool escaped = escapes && std::strcmp(escapes, "yes") == 0;
  const std::string shown = unit.id;
  auto unescaped = [&](const char *value, const char *what) {
    std::optional<std::string> read =
        escaped ? UnescapeControls(value) : std::string(value);
    if (!read)
      diag.Error(unit.pos, "<" + std::string(node.name()) + "> '" + shown +
                               "' has phr:escaped but a malformed escape in "
                               "its " +
                               what);
    return read;
  };
  std::optional<std::string> id = unescaped(unit.id.c_str(), "name");
  if (!id)
    return false;
  unit.id = std::move(*id);
  if (const char *context = Own(node, "context")) {
    std::optional<std::string> read = unescaped(context, "context");
    if (!read)
      return false;
    unit.id = Key::inContextOf(*read, unit.id).print();
  }
  if (const char *voice = Own(node, "voice")) {
    unit.voice = unescaped(voice, "voice path");
    if (!unit.voice)
      return false;
  }
  if (const char *kind = Own(node, "kind")) {
    unit.kind = ReadKindName(unit.pos, kind, diag);
    if (!unit.kind)
      return false;
  }
  if (const char *missing = Own(node, "missing"))
    unit.missing = std::strcmp(missing, "yes") == 0;
  // A limit in characters: 1.2's maxwidth in size-unit "char", 2.0's size
  // restriction. Limits in pixels or bytes are not ours to check.
  const char *limit = nullptr;
  if (pugi::xml_attribute w = node.attribute("maxwidth");
      w && std::strcmp(node.attribute("size-unit").value(), "char") == 0)
    limit = w.value();
  for (pugi::xml_attribute a : node.attributes())
    if (LocalName(a.name()) == "sizeRestriction" &&
        NamespaceOf(node, a.name()) == kSizeRestrictionNamespace)
      limit = a.value();
  if (limit)
    unit.max = ReadLimit(unit.pos, limit, diag);
  return true;
}

bool XliffFileReader::CodePoint(const pugi::xml_node &node, const char *hex,
                                std::string &into) {
  // strtoul alone would take a sign, blanks and 0x as well.
  const std::size_t digits = std::strspn(hex, "0123456789abcdefABCDEF");
  char *end = nullptr;
  const unsigned long cp = digits ? std::strtoul(hex, &end, 16) : 0;
  if (!*hex || hex[digits] || cp == 0 || cp > 0x10FFFF ||
      (cp >= 0xD800 && cp <= 0xDFFF)) {
    diag.Error(At(node), "'" + std::string(hex) +
                             "' is not the hexadecimal number of a character");
    return false;
  }
  utf8::append(static_cast<uint32_t>(cp), std::back_inserter(into));
  return true;
}

/// Appends the text of every pcdata and CDATA node below \p node.
bool XliffFileReader::AllText(const pugi::xml_node &node, std::string &into,
                              int depth) {
  if (TooDeep(node, depth, "inline codes"))
    return false;
  for (pugi::xml_node c : node.children()) {
    if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)
      into += c.value();
    else if (c.type() == pugi::node_element && !AllText(c, into, depth + 1))
      return false;
  }
  return true;
}

/// The children of an inline container in order: text is appended to
/// \p into as it stands, and each element is handed to \p element with its
/// local name in the XLIFF namespace (empty in another). False as soon as
/// \p element is.
template <class Element>
bool ReadInline(const pugi::xml_node &node, std::string &into,
                Element element) {
  for (pugi::xml_node c : node.children()) {
    if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)
      into += c.value();
    else if (c.type() == pugi::node_element &&
             !element(c, InXliff(c) ? LocalName(c.name()) : std::string_view()))
      return false;
  }
  return true;
}

bool XliffFileReader::Unexpected(const pugi::xml_node &c,
                                 const pugi::xml_node &node) {
  diag.Error(At(c), "unexpected <" + std::string(c.name()) + "> in <" +
                        LocalName(node.name()).data() + ">");
  return false;
}

bool XliffFileReader::Inline12(const pugi::xml_node &node, std::string &into,
                               int depth) {
  if (TooDeep(node, depth, "inline codes"))
    return false;
  return ReadInline(
      node, into, [&](const pugi::xml_node &c, std::string_view name) {
        if (name == "ph" || name == "bpt" || name == "ept" || name == "it")
          return AllText(c, into, depth + 1);
        if (name == "g") {
          // The tags our dumps write as a pair carry their text in the
          // tool's attributes; another tool's <g> stands for no text.
          const char *open = Own(c, "open");
          const char *close = Own(c, "close");
          into += open ? open : "";
          if (!Inline12(c, into, depth + 1))
            return false;
          into += close ? close : "";
          return true;
        }
        if (name == "mrk")
          return Inline12(c, into, depth + 1);
        if (name == "bx" || name == "ex")
          return true; // the generic ends of a pair hold no text of ours
        if (name != "x")
          return Unexpected(c, node);
        if (const char *cp = Own(c, "cp"))
          return CodePoint(c, cp, into);
        if (pugi::xml_attribute equiv = c.attribute("equiv-text")) {
          into += equiv.value();
          return true;
        }
        diag.Error(At(c), "<x> without equiv-text: the text it stands for "
                          "is not in the file");
        return false;
      });
}

bool XliffFileReader::CodeText20(const pugi::xml_node &code, const char *ref,
                                 const char *equiv,
                                 const std::map<std::string, std::string> &data,
                                 std::string &into) {
  if (pugi::xml_attribute r = code.attribute(ref)) {
    auto found = data.find(r.value());
    if (found == data.end()) {
      diag.Error(At(code), std::string(ref) + " '" + r.value() +
                               "' names no <data> of the unit");
      return false;
    }
    into += found->second;
  } else if (pugi::xml_attribute e = code.attribute(equiv)) {
    into += e.value();
  } else if (Is(code, "ph") || Is(code, "sc") || Is(code, "ec")) {
    diag.Error(At(code), "<" + std::string(code.name()) + "> without " + ref +
                             " or " + equiv +
                             ": the text it stands for is not in the file");
    return false;
  }
  return true;
}

bool XliffFileReader::Inline20(const pugi::xml_node &node,
                               const std::map<std::string, std::string> &data,
                               std::string &into, int depth) {
  if (TooDeep(node, depth, "inline codes"))
    return false;
  return ReadInline(
      node, into, [&](const pugi::xml_node &c, std::string_view name) {
        if (name == "ph" || name == "sc" || name == "ec")
          return CodeText20(c, "dataRef", "equiv", data, into);
        if (name == "pc")
          return CodeText20(c, "dataRefStart", "equivStart", data, into) &&
                 Inline20(c, data, into, depth + 1) &&
                 CodeText20(c, "dataRefEnd", "equivEnd", data, into);
        if (name == "cp")
          return CodePoint(c, c.attribute("hex").value(), into);
        if (name == "mrk")
          return Inline20(c, data, into, depth + 1);
        return name == "sm" || name == "em" || Unexpected(c, node);
      });
}

// Both versions: the unit's place and name, or an error when it has none.
bool XliffFileReader::NameUnit(const pugi::xml_node &node,
                               pugi::xml_attribute name, const char *element,
                               Unit &unit) {
  unit.pos = At(node);
  if (!name)
    name = node.attribute("id");
  if (!name) {
    diag.Error(unit.pos, "<" + std::string(element) + "> without an id");
    return false;
  }
  unit.id = name.value();
  return true;
}

// Both versions: the <note> children of \p node, a 1.2 unit or a 2.0
// <notes>, in order. A note the tool wrote from the source database
// (phr:from="source") is the source's, not this translation's.
void XliffFileReader::ReadNotes(const pugi::xml_node &node, Unit &unit) {
  for (pugi::xml_node note : node.children()) {
    if (!Is(note, "note"))
      continue;
    if (const char *from = Own(note, "from");
        from && std::strcmp(from, "source") == 0)
      continue;
    if (!unit.note.empty())
      unit.note += '\n';
    unit.note += note.text().get();
  }
}

// Both versions: text not to be translated stays as the source has it.
bool XliffFileReader::NotForTranslation(const pugi::xml_node &node,
                                        Unit &unit) {
  if (std::strcmp(node.attribute("translate").value(), "no") != 0)
    return false;
  if (!unit.hasTarget)
    unit.target = unit.source;
  unit.state = UnitState::Translated;
  return true;
}

namespace {

/// How far a 1.2 unit's translation has come, from its target's state.
UnitState State12(const pugi::xml_node &node, const pugi::xml_node &target,
                  const std::string &text) {
  const std::string_view state = target.attribute("state").value();
  if (!target)
    return UnitState::Untranslated;
  if (std::strcmp(node.attribute("approved").value(), "yes") == 0)
    return UnitState::Translated;
  if (state == "new" || state == "needs-translation" || state.empty())
    return text.empty()    ? UnitState::Untranslated
           : state.empty() ? UnitState::Translated
                           : UnitState::NeedsReview;
  if (state == "needs-l10n" || state == "needs-adaptation" ||
      state.substr(0, 13) == "needs-review-")
    return UnitState::NeedsReview;
  return UnitState::Translated;
}

} // namespace

void XliffFileReader::ReadUnit12(const pugi::xml_node &node) {
  Unit unit;
  // An empty resname is taken only beside a context, where the writer
  // puts the ID's text there and may leave it empty.
  pugi::xml_attribute name = node.attribute("resname");
  if (name && !*name.value() && !Own(node, "context"))
    name = pugi::xml_attribute();
  if (!NameUnit(node, name, "trans-unit", unit))
    return;
  const pugi::xml_node source = Child(node, "source");
  if (!source) {
    diag.Error(unit.pos, "<trans-unit> '" + unit.id + "' has no <source>");
    return;
  }
  if (!ReadOwnAttributes(node, unit) || !Inline12(source, unit.source, 0))
    return;
  const pugi::xml_node target = Child(node, "target");
  unit.hasTarget = target;
  if (target && !Inline12(target, unit.target, 0))
    return;
  if (!NotForTranslation(node, unit))
    unit.state = State12(node, target, unit.target);
  const std::string_view state = target.attribute("state").value();
  unit.review =
      state == "final" ? "final"
      : state == "signed-off" ||
              std::strcmp(node.attribute("approved").value(), "yes") == 0
          ? "reviewed"
          : "";
  ReadNotes(node, unit);
  Emit(unit);
}

// The codes of a 2.0 unit, by the ids its <ph> elements refer to them by.
bool XliffFileReader::ReadOriginalData(
    const pugi::xml_node &node, const Unit &unit,
    std::map<std::string, std::string> &data) {
  for (pugi::xml_node d : Child(node, "originalData").children()) {
    if (!Is(d, "data"))
      continue;
    std::string code;
    if (!Inline20(d, {}, code, 0))
      return false;
    if (!data.emplace(d.attribute("id").value(), std::move(code)).second) {
      diag.Error(At(d), "<unit> '" + unit.id + "': <data> id '" +
                            d.attribute("id").value() + "' given twice");
      return false;
    }
  }
  return true;
}

// The segments and ignorables of a 2.0 unit, joined into its source and
// target; \p counts says how many segments there are and how far each is.
bool XliffFileReader::ReadSegments(
    const pugi::xml_node &node, const std::map<std::string, std::string> &data,
    Unit &unit, SegmentCounts &counts) {
  for (pugi::xml_node part : node.children()) {
    const bool segment = Is(part, "segment");
    if (!segment && !Is(part, "ignorable"))
      continue;
    const pugi::xml_node source = Child(part, "source");
    if (!source) {
      diag.Error(At(part), "<unit> '" + unit.id + "': <" +
                               std::string(part.name()) + "> has no <source>");
      return false;
    }
    const std::size_t sourceStart = unit.source.size();
    if (!Inline20(source, data, unit.source, 0))
      return false;
    const pugi::xml_node target = Child(part, "target");
    const std::size_t targetStart = unit.target.size();
    if (target && !Inline20(target, data, unit.target, 0))
      return false;
    // Text between segments is not for translation, and a segment not yet
    // translated reads as its source, so that a partly translated unit
    // read under --include-fuzzy loses no sentence.
    if (!target)
      unit.target.append(unit.source, sourceStart);
    if (!segment)
      continue;
    ++counts.segments;
    unit.hasTarget = unit.hasTarget || target;
    const std::string_view state = part.attribute("state").value();
    if (state == "new" && !newStates++)
      firstNew = At(part);
    if (state == "translated" || state == "reviewed" || state == "final") {
      counts.translated += target ? 1 : 0;
      counts.reviewed += target && state != "translated" ? 1 : 0;
      counts.final += target && state == "final" ? 1 : 0;
    } else if (!target || unit.target.size() == targetStart)
      ++counts.open;
  }
  return true;
}

void XliffFileReader::ReadUnit20(const pugi::xml_node &node) {
  Unit unit;
  // An empty name is still the name: the writer gives one to an ID that is
  // a context and an empty text.
  if (!NameUnit(node, node.attribute("name"), "unit", unit) ||
      !ReadOwnAttributes(node, unit))
    return;
  std::map<std::string, std::string> data;
  SegmentCounts counts;
  if (!ReadOriginalData(node, unit, data) ||
      !ReadSegments(node, data, unit, counts))
    return;
  if (counts.segments == 0) {
    diag.Error(unit.pos, "<unit> '" + unit.id + "' has no <segment>");
    return;
  }
  ReadNotes(Child(node, "notes"), unit);
  // A unit is as far as its least reviewed segment.
  unit.review = counts.final == counts.segments      ? "final"
                : counts.reviewed == counts.segments ? "reviewed"
                                                     : "";
  if (!NotForTranslation(node, unit))
    unit.state = counts.translated == counts.segments ? UnitState::Translated
                 : counts.open == counts.segments     ? UnitState::Untranslated
                                                      : UnitState::NeedsReview;
  Emit(unit);
}

void XliffFileReader::Emit(Unit &unit) {
  std::optional<std::string> value;
  if (unit.state == UnitState::NeedsReview && !options.includeFuzzy) {
    ++review;
    return;
  }
  if (unit.state == UnitState::Untranslated) {
    ++untranslated;
    if (options.fillEmpty)
      value = std::move(unit.source);
    else if (unit.missing)
      return; // the translation never had it
  } else {
    value = std::move(unit.target);
  }
  const std::size_t before = out.size();
  if (options.icuSyntax && value && origin == IdOrigin::Name &&
      !unit.id.empty() && unit.id[0] != '@')
    AddXliffIcuForms(unit.pos, unit.id, *value,
                     options.fillEmpty && unit.state == UnitState::Untranslated
                         ? nullptr
                         : &unit.source,
                     unit.voice, unit.kind, diag, out, icuArgs);
  else
    AddEntry(unit.pos, std::move(unit.id), value, std::move(unit.voice), diag,
             out, unit.kind, origin);
  // What the unit says beside its text holds for each form it gave.
  for (std::size_t i = before; i < out.size(); ++i) {
    out[i].max = unit.max;
    if (!unit.note.empty())
      out[i].note = unit.note;
    // Read only under --include-fuzzy, and written back as still open.
    if (unit.state == UnitState::NeedsReview)
      out[i].state = "needs-review";
    else if (unit.state == UnitState::Translated && !unit.review.empty())
      out[i].state = unit.review;
  }
}

void XliffFileReader::Summarize() {
  if (firstNew)
    diag.Warning(*firstNew,
                 std::to_string(newStates) +
                     (newStates == 1 ? " segment has" : " segments have") +
                     " state \"new\", which XLIFF 2.0 does not define; read "
                     "as \"initial\"");
  if (!review && !untranslated)
    return;
  auto count = [](std::size_t n, const char *what) {
    return std::to_string(n) + " " + what + (n == 1 ? " unit" : " units");
  };
  diag.Note(file,
            "skipped " + count(review, "needs-review") +
                (review ? " (--include-fuzzy reads them)" : "") + "; " +
                count(untranslated, "untranslated") +
                (untranslated && !options.fillEmpty ? " (kept without a value)"
                                                    : ""));
}

// The document, or false when it is not well-formed XML (reported).
bool XliffFileReader::Parse(pugi::xml_document &doc) {
  if (auto bad = FirstBadReference(text)) {
    diag.Error(At(static_cast<std::ptrdiff_t>(bad->first)),
               "malformed XML: " + bad->second);
    return false;
  }
  const pugi::xml_parse_result parsed =
      doc.load_buffer(text.data(), text.size(),
                      pugi::parse_default | pugi::parse_doctype |
                          pugi::parse_ws_pcdata | pugi::parse_declaration,
                      pugi::encoding_utf8);
  if (!parsed) {
    diag.Error(At(parsed.offset),
               std::string("malformed XML: ") + parsed.description());
    return false;
  }
  return true;
}

// What comes before and around the root: a DOCTYPE is refused, and the
// declaration's encoding is checked against the byte order mark or, when
// the text was not converted yet, returned in \p encoding for a second
// reading in it. False when reading stops here.
bool XliffFileReader::ReadProlog(const pugi::xml_document &doc, bool converted,
                                 const char *mark, pugi::xml_node &root,
                                 std::string &reread) {
  for (pugi::xml_node c : doc.children()) {
    if (c.type() == pugi::node_doctype) {
      diag.Error(At(c), "DOCTYPE declarations are refused: they can define "
                        "entities that read other files");
      return false;
    }
    const std::string_view encoding = c.attribute("encoding").value();
    if (c.type() == pugi::node_declaration && !converted && mark) {
      // The text was decoded by its mark, which a declaration cannot undo;
      // "UTF-16" fits either order.
      const std::string_view marked = mark;
      if (!encoding.empty() && !EqualsAsciiCase(encoding, marked) &&
          !(EqualsAsciiCase(encoding, "utf-16") &&
            marked.substr(0, 6) == "UTF-16"))
        diag.Warning(At(c), "the XML declaration says " +
                                std::string(encoding) +
                                " but the byte order mark says " + mark +
                                "; read as " + mark);
    } else if (c.type() == pugi::node_declaration && !converted) {
      if (!encoding.empty() && !EqualsAsciiCase(encoding, "utf-8") &&
          !EqualsAsciiCase(encoding.substr(0, 6), "utf-16")) {
        reread = std::string(encoding);
        return false;
      }
    }
    if (c.type() == pugi::node_element && !root)
      root = c;
  }
  return true;
}

// The <xliff> element: its version, target language and files.
void XliffFileReader::ReadRoot(const pugi::xml_node &root) {
  if (!Is(root, "xliff")) {
    diag.Error(At(root), "not an XLIFF file (no <xliff> root element)");
    return;
  }
  const std::string_view version = root.attribute("version").value();
  const bool two = version.substr(0, 2) == "2.";
  if (!two && version.substr(0, 2) != "1.") {
    diag.Error(At(root), "unknown XLIFF version '" + std::string(version) +
                             "' (1.2 and 2.0 are read)");
    return;
  }
  if (two)
    ReadLocale(root, "trgLang");
  for (pugi::xml_node f : root.children()) {
    if (!Is(f, "file"))
      continue;
    origin = IdOrigin::Name;
    if (const char *keys = Own(f, "keys")) {
      if (std::strcmp(keys, kSourceTextKeys) == 0)
        origin = IdOrigin::SourceText;
      else
        diag.Error(At(f),
                   std::string("phr:keys must say '") + kSourceTextKeys + "'");
    }
    if (const char *protect = Own(f, "protect"))
      AddEntry(At(f), kProtectId, std::string(protect), std::nullopt, diag,
               out);
    if (two) {
      ReadContainer(f, 0, true);
    } else {
      ReadLocale(f, "target-language");
      ReadContainer(Child(f, "body"), 0, false);
    }
  }
  if (!icuArgs.empty())
    AddEntry(At(root), kIcuArgsId, EncodeIcuArgs(icuArgs), std::nullopt, diag,
             out);
  Summarize();
}

std::string XliffFileReader::Read(bool converted, const char *mark) {
  pugi::xml_document doc;
  pugi::xml_node root;
  std::string reread;
  if (Parse(doc) && ReadProlog(doc, converted, mark, root, reread))
    ReadRoot(root);
  return reread;
}

} // namespace

void ReadXliff(const std::string &file, std::string_view text,
               const InputOptions &options, Diagnostics &diag,
               std::vector<SourceEntry> &out) {
  // pugixml would read other encodings as UTF-8 (windows-1252 among them),
  // so UTF-16 is converted first, as every input is, by its byte order mark,
  // and a file declaring another encoding through iconv, which keeps its
  // lines where they were.
  Utf8Input decoded;
  ReadAsUtf8(text, decoded);
  const bool marked = text.substr(0, 3) == "\xEF\xBB\xBF" ||
                      text.substr(0, 2) == "\xFF\xFE" ||
                      text.substr(0, 2) == "\xFE\xFF";
  if (decoded.badLine != 0) {
    diag.Error(SourcePos{file, 0}, "not valid UTF-16");
    return;
  }
  text = decoded.text;
  const std::string encoding =
      XliffFileReader(file, text, options, diag, out)
          .Read(false, marked ? decoded.encoding : nullptr);
  if (encoding.empty())
    return;
  Charset charset;
  if (!charset.Open(encoding)) {
    diag.Error(SourcePos{file, 1}, "unknown encoding '" + encoding + "'");
    return;
  }
  const std::optional<std::string> utf8 =
      charset.ToUtf8(std::string(text).c_str());
  if (!utf8) {
    diag.Error(SourcePos{file, 0}, "not valid " + encoding);
    return;
  }
  XliffFileReader(file, *utf8, options, diag, out).Read(true, nullptr);
}

} // namespace phrasor::tool
