//===- Stringsdict.cpp - Apple .stringsdict plural rules in and out -------===//
//
// A .stringsdict is an XML property list: for each key a dict whose
// NSStringLocalizedFormatKey ("%#@files@") names a variable, and the
// variable's dict (NSStringFormatSpecTypeKey NSStringPluralRuleType) holds
// the text for each plural category. A format key with one variable gives
// the plural forms KEY#one, KEY#other...: each the format key with the
// variable replaced by that category's text, so text around the variable
// is kept. Apple's zero is the text for exactly 0 in every language, KEY#=0.
// Several variables in one format key (a text plural in two counts) have
// no form of their own here, and are left out with a warning. A key whose
// value is a plain <string> reads as a plain entry.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/formats/apple/Apple.h"

#include "phrasor/Key.h"
#include "tools/phrasor/files/TextEncoding.h"
#include "tools/phrasor/formats/apple/AppleText.h"
#include "tools/phrasor/formats/shared/TextEntries.h"
#include "tools/phrasor/formats/shared/Xml.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

namespace phrasor::tool {
namespace {

/// The value of \p key in the plist dict \p dict, or an empty node.
pugi::xml_node ValueOf(const pugi::xml_node &dict, std::string_view key) {
  for (pugi::xml_node k = dict.child("key"); k; k = k.next_sibling("key"))
    if (k.text().get() == key)
      return k.next_sibling();
  return {};
}

/// The variables a format key names: "files" of "%#@files@".
std::vector<std::string> VariablesOf(std::string_view format) {
  std::vector<std::string> names;
  for (std::size_t at = format.find("%#@"); at != std::string_view::npos;
       at = format.find("%#@", at + 1)) {
    const std::size_t end = format.find('@', at + 3);
    if (end == std::string_view::npos)
      break;
    names.emplace_back(format.substr(at + 3, end - at - 3));
  }
  return names;
}

class StringsdictReader {
public:
  StringsdictReader(const std::string &path, std::string_view buffer,
                    Diagnostics &diagnostics, std::vector<SourceEntry> &entries)
      : file(path), text(buffer), diag(diagnostics), out(entries) {}

  void Read();

private:
  SourcePos At(const pugi::xml_node &node) const {
    const std::ptrdiff_t offset = node.offset_debug();
    const std::size_t end =
        offset < 0 ? 0
                   : std::min(text.size(), static_cast<std::size_t>(offset));
    return {file, 1 + static_cast<std::size_t>(
                          std::count(text.begin(), text.begin() + end, '\n'))};
  }
  void Add(const pugi::xml_node &at, const std::string &id, std::string value);
  void Entry(const std::string &key, const pugi::xml_node &value);
  void Plural(const std::string &key, const pugi::xml_node &dict,
              const std::string &format, const std::string &variable);

  const std::string &file;
  std::string_view text;
  Diagnostics &diag;
  std::vector<SourceEntry> &out;
  std::size_t several = 0;
};

void StringsdictReader::Add(const pugi::xml_node &at, const std::string &id,
                            std::string value) {
  AppleRead read = ReadAppleFormat(std::move(value));
  if (!read.problem.empty()) {
    diag.Error(At(at), "'" + id + "': " + read.problem);
    return;
  }
  AddEntry(At(at), id, read.text, std::nullopt, diag, out, read.kind,
           IdOrigin::SourceText);
}

void StringsdictReader::Plural(const std::string &key,
                               const pugi::xml_node &dict,
                               const std::string &format,
                               const std::string &variable) {
  const pugi::xml_node rules = ValueOf(dict, variable);
  if (std::strcmp(rules.name(), "dict") != 0) {
    diag.Error(At(dict), "'" + key + "': the variable '" + variable +
                             "' of its format key has no dict");
    return;
  }
  const std::string type =
      ValueOf(rules, "NSStringFormatSpecTypeKey").text().get();
  if (type != "NSStringPluralRuleType") {
    diag.Error(At(rules), "'" + key + "': the variable '" + variable +
                              "' is of type '" + type +
                              "', not NSStringPluralRuleType");
    return;
  }
  const std::string placeholder = "%#@" + variable + "@";
  for (pugi::xml_node k = rules.child("key"); k; k = k.next_sibling("key")) {
    std::string category = k.text().get();
    if (category.rfind("NSStringFormat", 0) == 0)
      continue;
    if (category == "zero")
      category = "=0"; // Apple's zero is the text for exactly 0
    else if (kPluralSelector.rank(category) == kPluralSelector.categoryCount) {
      diag.Error(At(k), "'" + key + "': plural category '" + category +
                            "' is none of zero, one, two, few, many and other");
      continue;
    }
    std::string expanded = format;
    expanded.replace(expanded.find(placeholder), placeholder.size(),
                     k.next_sibling("string").text().get());
    Add(k, key + "#" + category, std::move(expanded));
  }
}

void StringsdictReader::Entry(const std::string &key,
                              const pugi::xml_node &value) {
  if (std::strcmp(value.name(), "string") == 0) {
    Add(value, key, value.text().get());
    return;
  }
  if (std::strcmp(value.name(), "dict") != 0) {
    diag.Error(At(value), "'" + key +
                              "': its value is neither a dict nor a "
                              "string");
    return;
  }
  const pugi::xml_node format = ValueOf(value, "NSStringLocalizedFormatKey");
  if (std::strcmp(format.name(), "string") != 0) {
    diag.Error(At(value), "'" + key + "' has no NSStringLocalizedFormatKey");
    return;
  }
  const std::string spelled = format.text().get();
  const std::vector<std::string> variables = VariablesOf(spelled);
  if (variables.size() > 1) {
    ++several;
    return;
  }
  if (variables.empty()) {
    Add(format, key, spelled);
    return;
  }
  Plural(key, value, spelled, variables[0]);
}

void StringsdictReader::Read() {
  pugi::xml_document doc;
  const pugi::xml_parse_result parsed =
      doc.load_buffer(text.data(), text.size(),
                      pugi::parse_default | pugi::parse_ws_pcdata_single |
                          pugi::parse_comments);
  if (!parsed) {
    const std::size_t end =
        std::min(text.size(), static_cast<std::size_t>(parsed.offset));
    diag.Error(
        SourcePos{file, 1 + static_cast<std::size_t>(std::count(
                                text.begin(), text.begin() + end, '\n'))},
        std::string("not well-formed XML: ") + parsed.description());
    return;
  }
  const pugi::xml_node root = doc.child("plist").child("dict");
  if (!root) {
    diag.Error(SourcePos{file, 1}, "not a property list: no <plist><dict>");
    return;
  }
  for (pugi::xml_node c : doc.children())
    if (c.type() == pugi::node_comment && !LocaleInComment(c.value()).empty())
      AddEntry(At(c), kLocaleId, std::string(LocaleInComment(c.value())),
               std::nullopt, diag, out);
  for (pugi::xml_node k = root.child("key"); k; k = k.next_sibling("key"))
    Entry(k.text().get(), k.next_sibling());
  if (several)
    diag.Warning(SourcePos{file, 0},
                 std::to_string(several) + (several == 1 ? " text" : " texts") +
                     " with several plural variables left out");
}

void AppendXmlText(std::string &out, std::string_view utf8) {
  for (char c : utf8) {
    if (const char *e = XmlEscape(static_cast<unsigned char>(c), false))
      out += e;
    else
      out += c;
  }
}

void AppendPair(std::string &out, const char *indent, std::string_view key,
                std::string_view value) {
  out += indent;
  out += "<key>";
  AppendXmlText(out, key);
  out += "</key>\n";
  out += indent;
  out += "<string>";
  AppendXmlText(out, value);
  out += "</string>\n";
}

/// The conversion that takes the count, for NSStringFormatValueTypeKey:
/// "ld" of "%ld files"; "d" when no form shows one.
std::string ValueType(const PluralGroup &group) {
  for (const TextEntry *form : group.forms) {
    const std::string spelled = WriteAppleFormat(*form).text;
    for (std::size_t at = spelled.find('%'); at != std::string::npos;
         at = spelled.find('%', at + 2)) {
      std::size_t end = at + 1;
      while (end < spelled.size() &&
             std::strchr("0123456789$hlqLzjt", spelled[end]))
        ++end;
      if (end < spelled.size() && std::strchr("diuxXo", spelled[end])) {
        std::string type = spelled.substr(at + 1, end - at);
        if (const std::size_t dollar = type.find('$');
            dollar != std::string::npos)
          type.erase(0, dollar + 1);
        return type;
      }
    }
  }
  return "d";
}

} // namespace

void ReadStringsdict(const std::string &file, std::string_view text,
                     const InputOptions &, Diagnostics &diag,
                     std::vector<SourceEntry> &out) {
  Utf8Input decoded;
  if (!ReadAsUtf8(file, text, decoded, diag))
    return;
  StringsdictReader(file, decoded.text, diag, out).Read();
  const std::string folder = LprojLocale(
      std::filesystem::path(file).parent_path().filename().string());
  if (!folder.empty())
    AddEntry(SourcePos{file, 0}, kLocaleId, folder, std::nullopt, diag, out);
}

std::string WriteStringsdict(const DumpSide &target, const DumpSide &,
                             const std::string &where, Diagnostics &diag) {
  const std::vector<TextEntry> entries =
      ToText(*target.entries, *target.meta, where, diag);
  const std::map<std::string, PluralGroup> groups = FindPluralGroups(entries);
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                    "<plist version=\"1.0\">\n<dict>\n";
  if (target.meta->locale)
    out.insert(out.find("<plist"),
               "<!-- phr:locale=" + *target.meta->locale + " -->\n");
  std::set<std::string> written;
  std::size_t unwritable = 0;
  for (const TextEntry &e : entries) {
    const Key key = Key::parse(e.id);
    const std::string stem(key.stem);
    if (!XmlCanCarry(e.id) || !XmlCanCarry(WriteAppleFormat(e).text)) {
      ++unwritable;
      continue;
    }
    const auto group = groups.find(stem);
    // Apple's zero is exactly 0, which CLDR's zero is not: a group with
    // one is written as a string per form.
    const bool form =
        key.is(kPluralSelector) && group != groups.end() &&
        !selectors::isExactMatch(key.category) &&
        std::none_of(group->second.forms.begin(), group->second.forms.end(),
                     [&](const TextEntry *f) {
                       return Key::parse(f->id).category == "zero" ||
                              !XmlCanCarry(WriteAppleFormat(*f).text);
                     });
    if (!form) {
      AppendPair(out, "\t", e.id, WriteAppleFormat(e).text);
      continue;
    }
    if (!written.insert(stem).second)
      continue;
    out += "\t<key>";
    AppendXmlText(out, stem);
    out += "</key>\n\t<dict>\n";
    AppendPair(out, "\t\t", "NSStringLocalizedFormatKey", "%#@value@");
    out += "\t\t<key>value</key>\n\t\t<dict>\n";
    AppendPair(out, "\t\t\t", "NSStringFormatSpecTypeKey",
               "NSStringPluralRuleType");
    AppendPair(out, "\t\t\t", "NSStringFormatValueTypeKey",
               ValueType(group->second));
    for (const TextEntry *f : group->second.forms)
      AppendPair(out, "\t\t\t", Key::parse(f->id).category,
                 WriteAppleFormat(*f).text);
    out += "\t\t</dict>\n\t</dict>\n";
  }
  out += "</dict>\n</plist>\n";
  if (unwritable)
    diag.Error(where, std::to_string(unwritable) +
                          (unwritable == 1 ? " entry" : " entries") +
                          " with characters XML cannot carry; left out");
  return out;
}

} // namespace phrasor::tool
