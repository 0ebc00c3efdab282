//===- XliffWriter.cpp - XLIFF 1.2 and 2.0 output -------------------------===//
//
// One unit per entry, one line per unit, so two dumps diff well; no
// indentation inside a unit, where white space would become part of the
// text. The XML is written as it goes rather than through a document
// tree: a tree of a million units costs far more memory and time than
// the text it saves.
//
// Every insert, escape and printf conversion is written as an inline code
// so that translation tools show it as a tag the translator cannot break:
// 1.2 <ph id="1">%1!d!</ph>, 2.0 <ph id="1" dataRef="d1"/> with the code
// in the unit's <originalData>. Markup is written the same way (Xliff.h):
// a pair of tags as <pc>/<g> around what it marks, so that a tool keeps
// both ends together, the rest as <ph>/<x/>. The same code gets the same
// id in source and target, which is how tools match them up.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/formats/xliff/Xliff.h"
#include "tools/phrasor/formats/xliff/XliffIcu.h"
#include "tools/phrasor/formats/xliff/XliffRows.h"

#include "format/MessageFormat.h"
#include "format/PrintfConversion.h"
#include "phrasor/Key.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/Markup.h"
#include "tools/phrasor/files/SafeBuild.h"
#include "tools/phrasor/formats/shared/Escapes.h"
#include "tools/phrasor/formats/shared/Xml.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <unordered_map>

namespace phrasor::tool {
namespace {

std::string Hex(uint32_t c) {
  static const char digits[] = "0123456789ABCDEF";
  std::string h;
  for (int shift = 20; shift >= 0; shift -= 4)
    if (!h.empty() || (c >> shift & 0xF) || shift < 16)
      h.push_back(digits[c >> shift & 0xF]);
  return h;
}

/// What the writer does with a character XML cannot carry.
enum class Unwritable { Fail, Cp12, Cp20 };

/// Appends \p text escaped for element content or, with \p attribute, for
/// an attribute. False for a lone surrogate, or a character XML cannot
/// carry where \p unwritable is Fail.
bool AppendEscaped(std::string &out, std::u16string_view text, bool attribute,
                   Unwritable unwritable, unsigned &cpCount) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() &&
        text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    else if (c >= 0xD800 && c <= 0xDFFF)
      return false;
    if (const char *escaped = XmlEscape(c, attribute)) {
      out += escaped;
      continue;
    }
    if (IsXmlChar(c)) {
      AppendUtf8(out, static_cast<char32_t>(c));
      continue;
    }
    if (unwritable == Unwritable::Fail)
      return false;
    if (unwritable == Unwritable::Cp20)
      out += "<cp hex=\"" + Hex(c) + "\"/>";
    else
      out += "<x id=\"c" + std::to_string(++cpCount) + "\" phr:cp=\"" + Hex(c) +
             "\"/>";
  }
  return true;
}

/// \p utf8 as an attribute of a unit marked phr:escaped writes it: with
/// the C escapes of Escapes.h for a backslash and each control character,
/// and \xHH for each byte of U+FFFE and U+FFFF. XML can carry none of
/// those characters in any form, and the reader undoes the escapes.
std::string EscapedAttribute(std::string_view utf8) {
  const std::string escaped = EscapeControls(utf8);
  std::string out;
  out.reserve(escaped.size());
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    if (escaped.compare(i, 2, "\xEF\xBF") == 0 && i + 2 < escaped.size() &&
        (escaped[i + 2] == '\xBE' || escaped[i + 2] == '\xBF')) {
      out += escaped[i + 2] == '\xBE' ? "\\xEF\\xBF\\xBE" : "\\xEF\\xBF\\xBF";
      i += 2;
      continue;
    }
    out += escaped[i];
  }
  return out;
}

/// A run of a value that must reach the translation unchanged.
struct Span {
  std::size_t begin, end;
};

class ConversionSpans final : public FormatCheckHandler {
public:
  explicit ConversionSpans(std::vector<Span> &out) : spans(out) {}
  void OnText(uint32_t, uint32_t) override {}
  void OnConversion(uint32_t begin, uint32_t end,
                    const ConversionSpec &) override {
    spans.push_back({begin, end});
  }
  void OnError(uint32_t, SpecError) override {}

private:
  std::vector<Span> &spans;
};

/// The inserts, escapes and "%0" of a message, or the conversions of a
/// printf format, as the runtime's own parsers find them. A message the
/// parser refuses has none: its text is written as it is.
void FindCodes(std::u16string_view value, TextKind kind,
               std::vector<Span> &spans) {
  spans.clear();
  if (kind == TextKind::Plain || value.find(u'%') == std::u16string_view::npos)
    return;
  const RuntimeString format = ToRuntime(value);
  if (kind == TextKind::Printf) {
    ConversionSpans handler(spans);
    CheckFormat(format.c_str(), handler);
    return;
  }
  if (value.size() > kMaxMessageLength)
    return;
  MessageLayout layout{};
  if (QVFormatMessageT().Parse(format.c_str(), layout) != MessageStatus::Ok)
    return;
  for (uint32_t k = 0; k < layout.count && k < kMaxMessageFields; ++k) {
    const MessageField &f = layout.fields[k];
    spans.push_back({f.insertStart,
                     f.fieldNumber ? f.specStart + f.specLength + std::size_t{1}
                                   : f.insertStart + 2u});
  }
  if (layout.scanEnd + 2 <= value.size())
    spans.push_back({layout.scanEnd, layout.scanEnd + 2u});
}

using Row = XliffRow;

class XliffWriter {
public:
  XliffWriter(const DumpSide &t, const DumpSide &s, bool v2,
              const std::string &w, Diagnostics &d)
      : target(t), source(s.entries ? s : t), two(v2), where(w), diag(d) {
    // Patterns that do not compile were reported when the source was
    // built; here they protect nothing.
    std::string problem;
    for (const Metadata *m : {target.meta, source.meta})
      if (m->protect)
        for (const std::string &p : ProtectPatterns(*m->protect))
          rules.Add(p, problem);
  }

  std::string Write();

private:
  void Header();
  void AppendProtect();
  void AppendKeys();
  bool Unit(const Row &row, std::string &unit);
  bool OpenUnit(const Row &row, bool translated, std::string &unit);
  bool Segment(const Row &row, bool translated, std::string &segment);
  bool OriginalData(std::string &unit);
  bool Text(std::u16string_view value, TextKind kind, bool inTarget,
            std::string &into);
  std::size_t DataIndex(std::u16string_view code);
  unsigned CodeId(std::size_t data, bool inTarget);
  bool Attribute(std::string &into, const char *name, std::u16string_view text);
  std::vector<ProtectedSpan> CodesAndMarkup(std::u16string_view value,
                                            TextKind kind);
  bool PairedCode(std::u16string_view code, std::u16string_view closeCode,
                  unsigned id, std::size_t data, std::string &into);
  bool LoneCode(std::u16string_view code, SpanKind kind, unsigned id,
                std::size_t data, std::string &into);
  std::optional<unsigned> LimitOf(const std::string &id) const;
  void Notes(const Row &row, std::string &unit);
  const char *StateOf(const Row &row) const;
  /// The database's file name without its folders, which are the
  /// exporter's business and not a translator's.
  std::string OriginalName() const {
    return std::filesystem::path(where).filename().string();
  }
  const std::optional<std::u16string> &Protect() const {
    return target.meta->protect ? target.meta->protect : source.meta->protect;
  }
  void Group(std::string_view id);

  const DumpSide &target;
  const DumpSide &source;
  bool two;
  const std::string &where;
  Diagnostics &diag;
  std::string out;
  std::deque<authoring::Entry> standIns; ///< source texts of added forms
  std::string openGroup; ///< the plural base whose <group> is open
  bool groupOpen = false;
  std::size_t units = 0, groups = 0;
  // Per unit: the distinct codes (their <data> ids are their places here
  // plus one), and each code written in the source with its <ph> id and
  // whether the target has used that id yet.
  struct Placed {
    std::size_t code;
    unsigned id;
    bool matched;
  };
  std::vector<std::u16string_view> codes;
  std::vector<Placed> placed;
  unsigned phCount = 0;
  std::vector<Span> spans;
  std::string scratch;
  unsigned cpCount = 0;
  ProtectRules rules;
};

std::size_t XliffWriter::DataIndex(std::u16string_view code) {
  std::size_t data = 0;
  while (data < codes.size() && codes[data] != code)
    ++data;
  if (data == codes.size())
    codes.push_back(code);
  return data;
}

unsigned XliffWriter::CodeId(std::size_t data, bool inTarget) {
  if (inTarget)
    for (Placed &p : placed)
      if (p.code == data && !p.matched) {
        p.matched = true;
        return p.id;
      }
  const unsigned id = ++phCount;
  if (!inTarget)
    placed.push_back({data, id, false});
  return id;
}

bool XliffWriter::Attribute(std::string &into, const char *name,
                            std::u16string_view text) {
  into += ' ';
  into += name;
  into += "=\"";
  if (!AppendEscaped(into, text, true, Unwritable::Fail, cpCount))
    return false;
  into += '"';
  return true;
}

// The format codes of \p value, with the markup of the text between them.
std::vector<ProtectedSpan>
XliffWriter::CodesAndMarkup(std::u16string_view value, TextKind kind) {
  FindCodes(value, kind, spans);
  std::vector<ProtectedSpan> all;
  std::size_t from = 0;
  // In an ICU text the braces of a choice hold words to translate: only
  // an argument's braces make a code.
  std::vector<std::size_t> arguments;
  if (target.icuSyntax)
    arguments = IcuArgumentStarts(value);
  auto isCode = [&](const ProtectedSpan &m) {
    return !target.icuSyntax || m.kind != SpanKind::Placeholder ||
           std::binary_search(arguments.begin(), arguments.end(), m.begin);
  };
  // Markup goes into attributes, which cannot carry what XML cannot; such
  // a span stays text, written as any text is.
  auto markupUpTo = [&](std::size_t end) {
    for (ProtectedSpan &m : FindMarkup(value, from, end, rules))
      if (isCode(m) &&
          std::all_of(value.begin() + static_cast<std::ptrdiff_t>(m.begin),
                      value.begin() + static_cast<std::ptrdiff_t>(m.end),
                      [](char16_t c) {
                        return IsXmlChar(c) && (c < 0xD800 || c > 0xDFFF);
                      }))
        all.push_back(std::move(m));
  };
  for (const Span &span : spans) {
    markupUpTo(span.begin);
    all.push_back({span.begin, span.end, SpanKind::Format, {}});
    from = span.end;
  }
  markupUpTo(value.size());
  return all;
}

// An opening tag whose closing tag is known, written as the element that
// holds the text between them; the closing tag then writes its end.
bool XliffWriter::PairedCode(std::u16string_view code,
                             std::u16string_view closeCode, unsigned id,
                             std::size_t data, std::string &into) {
  if (two) {
    const std::size_t closeData = DataIndex(closeCode);
    into += "pc id=\"" + std::to_string(id) + "\" dataRefStart=\"d" +
            std::to_string(data + 1) + "\" dataRefEnd=\"d" +
            std::to_string(closeData + 1) + "\"";
    if (!Attribute(into, "dispStart", code) ||
        !Attribute(into, "dispEnd", closeCode))
      return false;
  } else {
    into += "g id=\"" + std::to_string(id) + "\" ctype=\"x-tag\"";
    if (!Attribute(into, "phr:open", code) ||
        !Attribute(into, "phr:close", closeCode))
      return false;
  }
  into += '>';
  return true;
}

// A format code, or a tag without a partner, as an empty element.
bool XliffWriter::LoneCode(std::u16string_view code, SpanKind kind, unsigned id,
                           std::size_t data, std::string &into) {
  into += two || kind == SpanKind::Format ? "ph id=\"" : "x id=\"";
  into += std::to_string(id);
  into += '"';
  if (two) {
    into += " dataRef=\"d";
    into += std::to_string(data + 1);
    into += '"';
    // What a tool shows for the code, and the plain text it stands for
    // where one is wanted (a tag stands for none).
    if (kind != SpanKind::Format) {
      if (!Attribute(into, "disp", code))
        return false;
      if (kind != SpanKind::TagAlone && kind != SpanKind::TagOpen &&
          kind != SpanKind::TagClose && !Attribute(into, "equiv", code))
        return false;
    }
    into += "/>";
  } else if (kind == SpanKind::Format) {
    into += '>';
    if (!AppendEscaped(into, code, false, Unwritable::Fail, cpCount))
      return false;
    into += "</ph>";
  } else {
    if (!Attribute(into, "equiv-text", code))
      return false;
    into += "/>";
  }
  return true;
}

// Each code written gets an id of its own, as both versions want; the
// target's n-th "%d" takes the id of the source's n-th "%d", which is how
// tools pair the codes of source and target.
bool XliffWriter::Text(std::u16string_view value, TextKind kind, bool inTarget,
                       std::string &into) {
  const Unwritable unwritable = two ? Unwritable::Cp20 : Unwritable::Cp12;
  if (inTarget)
    cpCount = 0;
  const std::vector<ProtectedSpan> all = CodesAndMarkup(value, kind);
  const std::vector<long> partner = PairTags(all);

  std::size_t at = 0;
  for (std::size_t i = 0; i < all.size(); ++i) {
    const ProtectedSpan &span = all[i];
    if (!AppendEscaped(into, value.substr(at, span.begin - at), false,
                       unwritable, cpCount))
      return false;
    at = span.end;
    const std::u16string_view code =
        value.substr(span.begin, span.end - span.begin);
    if (span.kind == SpanKind::TagClose && partner[i] >= 0) {
      into += two ? "</pc>" : "</g>";
      continue;
    }
    const std::size_t data = DataIndex(code);
    const unsigned id = CodeId(data, inTarget);
    into += '<';
    if (span.kind == SpanKind::TagOpen && partner[i] >= 0) {
      const ProtectedSpan &close = all[static_cast<std::size_t>(partner[i])];
      if (!PairedCode(code, value.substr(close.begin, close.end - close.begin),
                      id, data, into))
        return false;
    } else if (!LoneCode(code, span.kind, id, data, into)) {
      return false;
    }
  }
  return AppendEscaped(into, value.substr(at), false, unwritable, cpCount);
}

void XliffWriter::Group(std::string_view id) {
  const Key key = Key::parse(id);
  const bool plural = key.is(kPluralSelector);
  const std::string_view base = key.stem;
  if (groupOpen && (!plural || base != openGroup)) {
    out += "</group>\n";
    groupOpen = false;
  }
  if (!plural || groupOpen)
    return;
  std::string start = two ? "<group id=\"g" + std::to_string(++groups) + "\""
                          : std::string("<group");
  const bool escaped = !XmlCanCarry(base);
  if (!AppendXmlAttribute(start, two ? "name" : "resname",
                          escaped ? EscapedAttribute(base) : std::string(base)))
    return;
  if (escaped)
    start += " phr:escaped=\"yes\"";
  out += start;
  out += two ? " type=\"phr:plural\">\n" : " restype=\"x-phrasor-plural\">\n";
  openGroup = base;
  groupOpen = true;
}

// The opening tag: the unit's name (and the context of a gettext-style
// ID), and what the database holds beyond the texts, in the tool's own
// attributes. A gettext key may hold control characters, and a name or a
// voice path U+FFFE, which no attribute can carry as they are: such a
// unit is marked phr:escaped and spells them, and the backslashes of its
// names, as escapes.
bool XliffWriter::OpenUnit(const Row &row, bool translated, std::string &unit) {
  const authoring::Entry &named = row.target ? *row.target : *row.source;
  // The unit's name keeps its selector: only the context is split off.
  const Key key = Key::parse(named.id, kNoSelectors);
  const std::string_view id = key.base;
  std::optional<std::string_view> context;
  if (key.inContext)
    context = key.context;
  const std::optional<std::string> &voice =
      row.target ? row.target->voicePath : std::nullopt;
  const bool escaped = !XmlCanCarry(id) ||
                       (context && !XmlCanCarry(*context)) ||
                       (voice && !XmlCanCarry(*voice));
  auto attribute = [&](const char *name, std::string_view text) {
    return AppendXmlAttribute(
        unit, name, escaped ? EscapedAttribute(text) : std::string(text));
  };
  if (two) {
    unit += "<unit id=\"u";
    unit += std::to_string(++units);
    unit += '"';
    if (!attribute("name", id))
      return false;
  } else {
    unit += "<trans-unit";
    if (context) {
      // Unit ids must differ, and "Open" may stand in several contexts:
      // the id joins both and the ID's text travels in resname.
      if (!attribute("id", std::string(*context) + "|" + std::string(id)) ||
          !attribute("resname", id))
        return false;
    } else if (!attribute("id", id)) {
      return false;
    }
  }
  unit += " xml:space=\"preserve\"";
  if (escaped)
    unit += " phr:escaped=\"yes\"";
  if (context && !attribute("phr:context", *context))
    return false;
  if (voice && !attribute("phr:voice", *voice))
    return false;
  if (translated) {
    auto recorded = target.meta->kinds.find(row.target->id);
    if (recorded != target.meta->kinds.end())
      unit += std::string(" phr:kind=\"") + KindName(recorded->second) + "\"";
  }
  if (!row.target)
    unit += " phr:missing=\"yes\"";
  if (const std::optional<unsigned> max = LimitOf(named.id)) {
    unit += two ? " slr:sizeRestriction=\"" : " maxwidth=\"";
    unit += std::to_string(*max);
    unit += two ? "\"" : "\" size-unit=\"char\"";
  }
  unit += '>';
  return true;
}

// The translation's own limit, else the source's, where the limits of a
// sheet usually are.
std::optional<unsigned> XliffWriter::LimitOf(const std::string &id) const {
  for (const Metadata *m : {target.meta, source.meta})
    if (auto found = m->limits.find(id); found != m->limits.end())
      return found->second;
  return std::nullopt;
}

// The unit's note: the translation's own, else the source's, marked so
// that building the file does not give it to the translation as well.
void XliffWriter::Notes(const Row &row, std::string &unit) {
  const std::string *note = nullptr;
  bool fromSource = false;
  for (const auto &[entry, meta] : {std::pair{row.target, target.meta},
                                    std::pair{row.source, source.meta}}) {
    if (note || !entry || !meta)
      continue;
    if (auto found = meta->notes.find(entry->id); found != meta->notes.end()) {
      note = &found->second;
      fromSource = entry != row.target;
    }
  }
  std::optional<std::u16string> text;
  if (note)
    text = Utf8ToUtf16(*note);
  if (!text)
    return;
  const std::size_t mark = unit.size();
  unit += two ? "<notes><note" : "<note";
  if (fromSource)
    unit += " phr:from=\"source\"";
  unit += '>';
  if (!AppendEscaped(unit, *text, false, Unwritable::Fail, cpCount)) {
    unit.resize(mark);
    diag.Warning(where,
                 "the note of '" +
                     ShownId(row.target ? row.target->id : row.source->id) +
                     "' holds text that XML cannot carry; left out");
    return;
  }
  unit += two ? "</note></notes>" : "</note>";
}

// The state a translated entry is written in: its recorded review state
// in each version's words, else translated. A 2.0 segment still to be
// reviewed is "initial" with its target, as the reader takes it.
const char *XliffWriter::StateOf(const Row &row) const {
  const auto found = target.meta->states.find(row.target->id);
  const std::string_view state = found == target.meta->states.end()
                                     ? std::string_view()
                                     : std::string_view(found->second);
  if (state == "final")
    return "final";
  if (state == "reviewed")
    return two ? "reviewed" : "signed-off";
  if (state == "needs-review")
    return two ? "initial" : "needs-review-translation";
  return "translated";
}

// The source and, once translated, the target, with their codes.
bool XliffWriter::Segment(const Row &row, bool translated,
                          std::string &segment) {
  if (two)
    segment = std::string("<segment state=\"") +
              (translated ? StateOf(row) : "initial") + "\"><source>";
  else
    segment += "<source>";
  if (row.source && row.source->value &&
      !Text(*row.source->value, KindOf(*row.source, *source.meta), false,
            segment))
    return false;
  segment += "</source>";
  if (translated) {
    segment += two ? std::string("<target>")
                   : std::string("<target state=\"") + StateOf(row) + "\">";
    if (!Text(*row.target->value, KindOf(*row.target, *target.meta), true,
              segment))
      return false;
    segment += "</target>";
  } else if (!two) {
    segment += "<target state=\"needs-translation\"/>";
  }
  return true;
}

// 2.0: the codes the segment refers to, each once.
bool XliffWriter::OriginalData(std::string &unit) {
  if (codes.empty())
    return true;
  unit += "<originalData>";
  for (std::size_t i = 0; i < codes.size(); ++i) {
    unit += "<data id=\"d" + std::to_string(i + 1) + "\">";
    if (!AppendEscaped(unit, codes[i], false, Unwritable::Cp20, cpCount))
      return false;
    unit += "</data>";
  }
  unit += "</originalData>";
  return true;
}

bool XliffWriter::Unit(const Row &row, std::string &unit) {
  codes.clear();
  placed.clear();
  phCount = 0;
  cpCount = 0;
  const bool translated = row.target && row.target->value;
  if (!OpenUnit(row, translated, unit))
    return false;
  if (!two) {
    if (!Segment(row, translated, unit))
      return false;
    Notes(row, unit);
    unit += "</trans-unit>\n";
    return true;
  }
  // 2.0 wants the codes in <originalData> before the segment that uses
  // them, so its segment is written aside first.
  if (!Segment(row, translated, scratch))
    return false;
  Notes(row, unit);
  if (!OriginalData(unit))
    return false;
  unit += scratch;
  unit += "</segment></unit>\n";
  return true;
}

void XliffWriter::AppendProtect() {
  const std::size_t mark = out.size();
  if (Protect() &&
      !AppendXmlAttribute(out, "phr:protect", Utf16ToUtf8Lossy(*Protect()))) {
    out.resize(mark);
    diag.Error(where, "@protect holds text that XML cannot carry; left out");
  }
}

// Source-text keys hold line breaks, tabs and spaces at either end, which
// no name may: the file says that its unit names are read by their rules.
void XliffWriter::AppendKeys() {
  bool keys = false;
  for (const DumpSide *side : {&target, &source})
    for (const authoring::Entry &e : *side->entries)
      keys = keys || NeedsSourceTextRules(e.id);
  if (keys)
    AppendXmlAttribute(out, "phr:keys", kSourceTextKeys);
}

void XliffWriter::Header() {
  const std::optional<std::string> &trg = target.meta->locale;
  const std::optional<std::string> &src = source.meta->locale;
  out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  if (two) {
    out += "<xliff xmlns=\"urn:oasis:names:tc:xliff:document:2.0\" "
           "xmlns:phr=\"";
    out += kXliffOwnNamespace;
    out += '"';
    const bool limits =
        !target.meta->limits.empty() || !source.meta->limits.empty();
    if (limits) {
      out += " xmlns:slr=\"";
      out += kSizeRestrictionNamespace;
      out += '"';
    }
    out += " version=\"2.0\"";
    // Both languages are required; "und" stands for one not named, and
    // phr:locale tells a database's own "und" from it.
    AppendXmlAttribute(out, "srcLang", src ? *src : "und");
    AppendXmlAttribute(out, "trgLang", trg ? *trg : "und");
    if (trg && EqualsAsciiCase(*trg, "und"))
      AppendXmlAttribute(out, "phr:locale", *trg);
    out += ">\n<file id=\"f1\"";
    AppendXmlAttribute(out, "original", OriginalName());
    AppendProtect();
    AppendKeys();
    out += ">\n";
    // Limits count code points, the profile tools know; the tool's own
    // check counts user-perceived characters, never more.
    if (limits)
      out += "<slr:profiles generalProfile=\"xliff:codepoints\"/>\n";
  } else {
    out += "<xliff xmlns=\"urn:oasis:names:tc:xliff:document:1.2\" "
           "xmlns:phr=\"";
    out += kXliffOwnNamespace;
    out += "\" version=\"1.2\">\n<file";
    AppendXmlAttribute(out, "original", OriginalName());
    out += " datatype=\"plaintext\"";
    AppendXmlAttribute(out, "source-language", src ? *src : "und");
    if (trg)
      AppendXmlAttribute(out, "target-language", *trg);
    if (trg && EqualsAsciiCase(*trg, "und"))
      AppendXmlAttribute(out, "phr:locale", *trg);
    AppendProtect();
    AppendKeys();
    out += ">\n<body>\n";
  }
}

std::string XliffWriter::Write() {
  Header();
  for (const Row &row : PairUp(target, source, standIns)) {
    const authoring::Entry &named = row.target ? *row.target : *row.source;
    // Written in place, and taken back if it cannot be written; at worst a
    // plural group is left with a form fewer.
    Group(named.id);
    const std::size_t mark = out.size();
    if (!Unit(row, out)) {
      out.resize(mark);
      diag.Error(where, "'" + ShownId(named.id) +
                            "' holds text that XML cannot carry; left out");
      continue;
    }
  }
  if (groupOpen)
    out += "</group>\n";
  out += two ? "</file>\n</xliff>\n" : "</body>\n</file>\n</xliff>\n";
  return std::move(out);
}

// ICU texts are written as any text is, one unit per message.
std::string WriteEither(const DumpSide &target, const DumpSide &source,
                        bool two, const std::string &where, Diagnostics &diag) {
  if (!target.icuSyntax)
    return XliffWriter(target, source, two, where, diag).Write();
  const XliffIcuSides icu(target, source, where, diag);
  const DumpSide t = icu.target(), s = icu.source();
  return XliffWriter(t, s, two, where, diag).Write();
}

} // namespace

std::string WriteXliff12(const DumpSide &target, const DumpSide &source,
                         const std::string &where, Diagnostics &diag) {
  return WriteEither(target, source, false, where, diag);
}

std::string WriteXliff20(const DumpSide &target, const DumpSide &source,
                         const std::string &where, Diagnostics &diag) {
  return WriteEither(target, source, true, where, diag);
}

} // namespace phrasor::tool
