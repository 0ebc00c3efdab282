//===- QtTsReader.cpp - Qt Linguist .ts files in --------------------------===//

#include "tools/phrasor/formats/qt/QtTs.h"

#include "phrasor/Key.h"
#include "tools/phrasor/Locale.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/Kinds.h"
#include "tools/phrasor/files/TextEncoding.h"
#include "tools/phrasor/formats/po/PluralForms.h"
#include "tools/phrasor/formats/po/PoCase.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>

namespace phrasor::tool {
namespace {

// White space is text: a translation's spaces at its ends are shown.
constexpr unsigned kQtParse = pugi::parse_default | pugi::parse_ws_pcdata;

/// What a message's <translation> says about it.
enum class QtState { Finished, Unfinished, Obsolete };

QtState StateOf(const pugi::xml_node &translation) {
  const std::string_view type = translation.attribute("type").value();
  if (type == "obsolete" || type == "vanished")
    return QtState::Obsolete;
  return type == "unfinished" ? QtState::Unfinished : QtState::Finished;
}

/// True when \p text, after a byte order mark and white space, begins an
/// XML document at all.
bool LooksLikeXml(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF")
    text.remove_prefix(3);
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && text[first] == '<';
}

/// A Qt text with a placeholder is a message; any other is text, which is
/// said only where inference would not say it: a '%' it doubts is shown
/// as written, and the build's warning about it is the author's to see.
std::optional<TextKind> TextKindOf(const std::string &value, bool message) {
  if (message)
    return TextKind::Message;
  const std::optional<std::u16string> wide = Utf8ToUtf16(value);
  if (wide && InferKind(*wide).kind == TextKind::Plain)
    return std::nullopt;
  return TextKind::Plain;
}

std::string Plural(std::size_t n, const char *one, const char *many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

class QtTsFileReader {
public:
  QtTsFileReader(const std::string &path, std::string_view buffer,
                 const InputOptions &inputOptions, Diagnostics &diagnostics,
                 std::vector<SourceEntry> &entries)
      : file(path), text(buffer), options(inputOptions), diag(diagnostics),
        out(entries) {
    for (std::size_t i = text.find('\n'); i != std::string_view::npos;
         i = text.find('\n', i + 1))
      newlines.push_back(i);
  }

  void Read();

private:
  SourcePos AtOffset(std::ptrdiff_t offset) const {
    if (offset < 0)
      return {file, 0};
    const auto line = std::lower_bound(newlines.begin(), newlines.end(),
                                       static_cast<std::size_t>(offset));
    return {file, static_cast<std::size_t>(line - newlines.begin()) + 1};
  }
  SourcePos At(const pugi::xml_node &node) const {
    return AtOffset(node.offset_debug());
  }

  bool Parse(pugi::xml_document &doc);
  void ReadLocale(const pugi::xml_node &ts);
  bool TextOf(const pugi::xml_node &node, std::string &into);
  void ReadContext(const pugi::xml_node &context);
  void ReadMessage(const pugi::xml_node &message, const std::string &context);
  bool ReadForms(const pugi::xml_node &message,
                 const pugi::xml_node &translation,
                 std::vector<std::string> &forms);
  const PluralMapping *Mapping(const SourcePos &pos);
  void Add(const pugi::xml_node &message, const std::string &id,
           const std::vector<std::string> &forms, const std::string &source,
           QtState state, const std::optional<std::string> &note);

  const std::string &file;
  std::string_view text;
  const InputOptions &options;
  Diagnostics &diag;
  std::vector<SourceEntry> &out;
  std::vector<std::size_t> newlines;
  std::string locale;
  std::optional<PluralMapping> mapping;
  unsigned long formCount = 0;
  bool mappingTried = false;
  std::size_t unfinished = 0;
};

bool QtTsFileReader::Parse(pugi::xml_document &doc) {
  if (!LooksLikeXml(text)) {
    diag.Error(SourcePos{file, 1},
               "not a Qt .ts file: it is not XML (a TypeScript source is no "
               "translation file)");
    return false;
  }
  const pugi::xml_parse_result parsed =
      doc.load_buffer(text.data(), text.size(), kQtParse);
  if (!parsed) {
    diag.Error(AtOffset(parsed.offset),
               std::string("not well-formed XML: ") + parsed.description());
    return false;
  }
  const pugi::xml_node ts = doc.document_element();
  if (std::strcmp(ts.name(), "TS") != 0) {
    diag.Error(At(ts), "not a Qt .ts file: the root is <" +
                           std::string(ts.name()) + ">, not <TS>");
    return false;
  }
  return true;
}

void QtTsFileReader::ReadLocale(const pugi::xml_node &ts) {
  const std::string language = ts.attribute("language").value();
  if (language.empty()) {
    locale = options.locale;
    return;
  }
  locale = TagFromPoLanguage(language);
  if (!IsWellFormedTag(locale)) {
    diag.Error(At(ts), "language '" + language + "' is not a language tag");
    locale = options.locale;
    return;
  }
  AddEntry(At(ts), kLocaleId, locale, std::nullopt, diag, out);
}

// Qt writes a character XML cannot carry as <byte value="x1b"/>, which is
// refused rather than read as something else.
bool QtTsFileReader::TextOf(const pugi::xml_node &node, std::string &into) {
  into.clear();
  for (pugi::xml_node c : node.children()) {
    if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) {
      into += c.value();
    } else if (c.type() == pugi::node_element) {
      diag.Error(At(c), "<" + std::string(c.name()) + "> in <" +
                            std::string(node.name()) +
                            "> is not read: a text is characters only");
      return false;
    }
  }
  return true;
}

void QtTsFileReader::ReadContext(const pugi::xml_node &context) {
  std::string name;
  if (!TextOf(context.child("name"), name))
    return;
  for (pugi::xml_node m : context.children("message"))
    ReadMessage(m, name);
}

const PluralMapping *QtTsFileReader::Mapping(const SourcePos &pos) {
  if (mappingTried)
    return mapping ? &*mapping : nullptr;
  mappingTried = true;
  if (locale.empty()) {
    diag.Error(pos, "numerus forms need the file's language: give <TS> a "
                    "language attribute or pass --locale");
    return nullptr;
  }
  const std::optional<std::string> usual = UsualPluralForms(locale);
  std::string problem;
  std::optional<PluralForms> forms;
  if (usual)
    forms = PluralForms::Parse(*usual, problem);
  if (forms)
    mapping = MapPluralForms(*forms, locale, problem);
  if (!usual)
    diag.Error(pos, "numerus forms of '" + locale +
                        "' are not known: their order cannot be told");
  else if (!mapping)
    diag.Error(pos, "numerus forms of '" + locale + "': " + problem);
  if (forms)
    formCount = forms->Count();
  return mapping ? &*mapping : nullptr;
}

bool QtTsFileReader::ReadForms(const pugi::xml_node &message,
                               const pugi::xml_node &translation,
                               std::vector<std::string> &forms) {
  const bool numerus =
      std::strcmp(message.attribute("numerus").value(), "yes") == 0;
  if (!numerus) {
    return TextOf(translation, forms.emplace_back());
  }
  for (pugi::xml_node c : translation.children()) {
    if (c.type() == pugi::node_element &&
        std::strcmp(c.name(), "numerusform") != 0) {
      diag.Error(At(c), "<" + std::string(c.name()) +
                            "> in a numerus <translation> is not read");
      return false;
    }
    if (c.type() == pugi::node_element && !TextOf(c, forms.emplace_back()))
      return false;
  }
  // An untranslated numerus message may have no forms at all yet.
  if (forms.empty())
    forms.emplace_back();
  return true;
}

void QtTsFileReader::ReadMessage(const pugi::xml_node &message,
                                 const std::string &context) {
  const pugi::xml_node translation = message.child("translation");
  const QtState state = StateOf(translation);
  if (state == QtState::Obsolete)
    return; // lrelease leaves them out too
  std::string source, comment;
  if (!TextOf(message.child("source"), source) ||
      !TextOf(message.child("comment"), comment))
    return;
  std::optional<std::string> note;
  for (const char *tag : {"extracomment", "translatorcomment"})
    if (pugi::xml_node n = message.child(tag)) {
      std::string part;
      if (!TextOf(n, part))
        return;
      note = note ? *note + "\n" + part : part;
    }
  std::vector<std::string> forms;
  if (!ReadForms(message, translation, forms))
    return;
  const std::string qualified =
      comment.empty() ? context : context + "\n" + comment;
  const std::string id = qualified.empty()
                             ? Key::escapeSourceText(source)
                             : Key::inContextOf(qualified, source).print();
  Add(message, id, forms, source, state, note);
}

void QtTsFileReader::Add(const pugi::xml_node &message, const std::string &id,
                         const std::vector<std::string> &forms,
                         const std::string &source, QtState state,
                         const std::optional<std::string> &note) {
  const bool empty =
      std::all_of(forms.begin(), forms.end(),
                  [](const std::string &f) { return f.empty(); });
  if (state == QtState::Unfinished && !empty && !options.includeFuzzy) {
    ++unfinished;
    return;
  }
  const SourcePos pos = At(message);
  const bool numerus =
      std::strcmp(message.attribute("numerus").value(), "yes") == 0;
  const PluralMapping *plural = numerus ? Mapping(pos) : nullptr;
  if (numerus && !plural)
    return;
  if (numerus && !empty && forms.size() != formCount) {
    diag.Error(pos, "'" + ShownId(id) + "' has " +
                        Plural(forms.size(), "numerus form", "numerus forms") +
                        ", but '" + locale + "' has " +
                        std::to_string(formCount));
    return;
  }
  unsigned highest = QtHighestInsert(source);
  for (const std::string &f : forms)
    highest = std::max(highest, QtHighestInsert(f));
  const unsigned count = highest + 1;
  const std::size_t n = plural ? plural->forms.size() : 1;
  for (std::size_t i = 0; i < n; ++i) {
    const std::string &form =
        plural && !empty ? forms[plural->forms[i].second] : forms.front();
    std::optional<std::string> value;
    bool isMessage = false;
    if (!form.empty())
      value = QtToStored(form, count, isMessage);
    else if (options.fillEmpty)
      value = QtToStored(source, count, isMessage);
    const std::string formId =
        plural ? Key::of(id).printForm(kPluralSelector, plural->forms[i].first)
               : id;
    const std::size_t before = out.size();
    std::optional<TextKind> kind;
    if (value)
      kind = TextKindOf(*value, isMessage);
    AddEntry(pos, formId, value, std::nullopt, diag, out, kind,
             IdOrigin::SourceText);
    if (out.size() == before)
      continue;
    out.back().note = note;
    out.back().pluralForm = plural != nullptr;
    if (state == QtState::Unfinished && value && !empty)
      out.back().state = "needs-review";
  }
}

void QtTsFileReader::Read() {
  pugi::xml_document doc;
  if (!Parse(doc))
    return;
  const std::size_t fileStart = out.size();
  const pugi::xml_node ts = doc.document_element();
  ReadLocale(ts);
  for (pugi::xml_node c : ts.children("context"))
    ReadContext(c);
  PoMessageTexts none;
  KeepCaseApart(out, fileStart, none, false);
  if (unfinished)
    diag.Warning(SourcePos{file, 0},
                 Plural(unfinished, "unfinished translation",
                        "unfinished translations") +
                     " left out; --include-fuzzy builds them");
}

} // namespace

void ReadQtTs(const std::string &file, std::string_view text,
              const InputOptions &options, Diagnostics &diag,
              std::vector<SourceEntry> &out) {
  Utf8Input decoded;
  if (!ReadAsUtf8(file, text, decoded, diag))
    return;
  QtTsFileReader(file, decoded.text, options, diag, out).Read();
}

} // namespace phrasor::tool
