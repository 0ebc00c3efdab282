//===- AndroidReader.cpp - Android string resources in --------------------===//

#include "tools/phrasor/formats/android/Android.h"

#include "phrasor/Key.h"
#include "tools/phrasor/checks/CFormatStore.h"
#include "tools/phrasor/checks/PoChecks.h"
#include "tools/phrasor/files/TextEncoding.h"
#include "tools/phrasor/formats/android/AndroidText.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace phrasor::tool {
namespace {

/// Inline markup nested deeper is refused, so no file exhausts the stack.
constexpr int kMaxDepth = 64;

constexpr const char *kToolsNamespace = "http://schemas.android.com/tools";

bool IsLower(std::string_view s) {
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return c >= 'a' && c <= 'z'; });
}
bool IsUpper(std::string_view s) {
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return c >= 'A' && c <= 'Z'; });
}
bool IsDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(),
                                   [](char c) { return c >= '0' && c <= '9'; });
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::vector<std::string_view> Split(std::string_view s, char by) {
  std::vector<std::string_view> parts;
  for (std::size_t at = 0;;) {
    const std::size_t end = s.find(by, at);
    parts.push_back(s.substr(at, end - at));
    if (end == std::string_view::npos)
      return parts;
    at = end + 1;
  }
}

/// The value of the attribute \p local of \p node in the namespace
/// \p space, under whatever prefix the file declares for it.
const char *AttributeIn(const pugi::xml_node &node, const char *space,
                        const char *local) {
  for (pugi::xml_attribute a : node.attributes()) {
    const std::string_view name = a.name();
    const std::size_t colon = name.find(':');
    if (colon == std::string_view::npos || name.substr(colon + 1) != local)
      continue;
    const std::string declaration =
        "xmlns:" + std::string(name.substr(0, colon));
    for (pugi::xml_node n = node; n; n = n.parent())
      if (pugi::xml_attribute d = n.attribute(declaration.c_str())) {
        if (std::strcmp(d.value(), space) == 0)
          return a.value();
        break;
      }
  }
  return nullptr;
}

/// What a formatted attribute says; an item's own wins over its
/// container's.
enum class Formatted { Unsaid, Yes, No };

Formatted FormattedOf(const pugi::xml_node &node, Formatted outer) {
  const pugi::xml_attribute a = node.attribute("formatted");
  if (!a)
    return outer;
  return std::strcmp(a.value(), "false") == 0 ? Formatted::No : Formatted::Yes;
}

std::string Counted(std::size_t n, const char *one, const char *many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

class AndroidFileReader {
public:
  AndroidFileReader(const std::string &path, std::string_view buffer,
                    Diagnostics &diagnostics, std::vector<SourceEntry> &entries)
      : file(path), text(buffer), diag(diagnostics), out(entries) {
    for (std::size_t i = text.find('\n'); i != std::string_view::npos;
         i = text.find('\n', i + 1))
      newlines.push_back(i);
  }

  void Read();

private:
  SourcePos At(const pugi::xml_node &node) const {
    const std::ptrdiff_t offset = node.offset_debug();
    if (offset < 0)
      return {file, 0};
    const auto line = std::lower_bound(newlines.begin(), newlines.end(),
                                       static_cast<std::size_t>(offset));
    return {file, static_cast<std::size_t>(line - newlines.begin()) + 1};
  }

  void ReadLocale(const pugi::xml_node &resources);
  bool ForThisProduct(const pugi::xml_node &node);
  const char *NameOf(const pugi::xml_node &node);
  void ReadString(const pugi::xml_node &node);
  void ReadPlurals(const pugi::xml_node &node);
  void ReadArray(const pugi::xml_node &node);
  void Add(const pugi::xml_node &node, std::string id, Formatted formatted);
  std::optional<std::string> NoteBefore(const pugi::xml_node &node) const;
  void SetNotes(std::size_t from, const pugi::xml_node &node);
  void SetUntranslatable(std::size_t from, const pugi::xml_node &node);

  const std::string &file;
  std::string_view text;
  Diagnostics &diag;
  std::vector<SourceEntry> &out;
  std::vector<std::size_t> newlines;
  std::size_t otherProducts = 0;
};

void AndroidFileReader::ReadLocale(const pugi::xml_node &resources) {
  std::string locale;
  if (const char *own = AttributeIn(resources, kToolsNamespace, "locale"))
    locale = own;
  else
    locale = AndroidFolderLocale(
        std::filesystem::path(file).parent_path().filename().string());
  if (!locale.empty())
    AddEntry(At(resources), kLocaleId, locale, std::nullopt, diag, out);
}

// A string may come in versions for products (phone, tablet); the app
// shows the default one where the device names no other.
bool AndroidFileReader::ForThisProduct(const pugi::xml_node &node) {
  const char *product = node.attribute("product").value();
  if (!*product || std::strcmp(product, "default") == 0)
    return true;
  ++otherProducts;
  return false;
}

const char *AndroidFileReader::NameOf(const pugi::xml_node &node) {
  const char *name = node.attribute("name").value();
  if (!*name)
    diag.Error(At(node), "<" + std::string(node.name()) + "> has no name");
  return *name ? name : nullptr;
}

void AndroidFileReader::Add(const pugi::xml_node &node, std::string id,
                            Formatted formatted) {
  AndroidText read = ReadAndroidText(node, kMaxDepth);
  if (!read.problem.empty()) {
    diag.Error(At(node), "'" + id + "': " + read.problem);
    return;
  }
  std::optional<TextKind> kind;
  if (formatted == Formatted::No) {
    kind = TextKind::Plain;
  } else if (NumbersArguments(read.text)) {
    // The runtime's printf has no numbered arguments; its message inserts
    // do, and a dump turns them back into %1$s.
    // Only a valid C format converts; one that mixes numbered and plain
    // conversions, or skips an argument, is refused as C refuses it.
    const CFormatReading valid = ReadCFormat(read.text);
    StoredCFormat stored;
    stored.problem = valid.problem;
    if (valid.ok)
      stored = StoreCFormat(read.text, true);
    if (!stored.problem.empty()) {
      diag.Error(At(node), "'" + id + "': " + stored.problem);
      return;
    }
    read.text = std::move(stored.text);
    kind = TextKind::Message;
  } else if (formatted == Formatted::Yes) {
    kind = TextKind::Printf;
  }
  if (const char *own = AttributeIn(node, kAndroidOwnNamespace, "kind"))
    kind = ReadKindName(At(node), own, diag);
  AddEntry(At(node), std::move(id), read.text, std::nullopt, diag, out, kind);
}

// The comment on the lines just above an element is its note, as
// translators and Android Studio's translations editor take it; one a
// blank line separates, or one ending a line after other markup, is not.
// The document is parsed without comments, so the file's own bytes are
// read back from where the element starts.
std::optional<std::string>
AndroidFileReader::NoteBefore(const pugi::xml_node &node) const {
  const std::ptrdiff_t offset = node.offset_debug();
  if (offset < 1)
    return std::nullopt;
  std::size_t end = static_cast<std::size_t>(offset) - 1; // at its '<'
  int lines = 0;
  for (; end > 0 && IsSpace(text[end - 1]); --end)
    lines += text[end - 1] == '\n';
  if (lines > 1 || end < 7 || text.substr(end - 3, 3) != "-->")
    return std::nullopt;
  // A "-->" with no "<!--" after the element before is the end tag of a
  // name ending in "--" (</a-->), or text: no comment. Looking no further
  // back than that element keeps a file of such tags from taking N² steps.
  pugi::xml_node bound = node.previous_sibling();
  while (bound && bound.type() != pugi::node_element)
    bound = bound.previous_sibling();
  if (!bound)
    bound = node.parent();
  const std::size_t from = static_cast<std::size_t>(
      std::max<std::ptrdiff_t>(bound.offset_debug(), 0));
  if (from > end - 3)
    return std::nullopt;
  std::size_t open = text.substr(from, end - 3 - from).rfind("<!--");
  if (open == std::string_view::npos)
    return std::nullopt;
  open += from;
  if (open + 4 > end - 3 ||
      text.substr(open + 4, end - 3 - open - 4).find("--") !=
          std::string_view::npos)
    return std::nullopt;
  std::size_t start = open;
  while (start > 0 && (text[start - 1] == ' ' || text[start - 1] == '\t'))
    --start;
  if (start > 0 && text[start - 1] != '\n')
    return std::nullopt;
  std::string note;
  for (char c : text.substr(open + 4, end - 3 - open - 4))
    if (c != '\r')
      note += c;
  const std::size_t first = note.find_first_not_of(" \t\n");
  if (first == std::string::npos)
    return std::nullopt;
  return note.substr(first, note.find_last_not_of(" \t\n") - first + 1);
}

/// The note of \p node, if it has one, given to the entries it gave from
/// \p from on that have none of their own (an array item's).
void AndroidFileReader::SetNotes(std::size_t from, const pugi::xml_node &node) {
  if (std::optional<std::string> note = NoteBefore(node))
    for (std::size_t i = from; i < out.size(); ++i)
      if (!out[i].note)
        out[i].note = *note;
}

// A string the app shows alike in every language (a name, a URL) is kept
// so, and translations are not asked for it.
void AndroidFileReader::SetUntranslatable(std::size_t from,
                                          const pugi::xml_node &node) {
  if (std::strcmp(node.attribute("translatable").value(), "false") == 0)
    for (std::size_t i = from; i < out.size(); ++i)
      out[i].untranslatable = true;
}

void AndroidFileReader::ReadString(const pugi::xml_node &node) {
  if (!ForThisProduct(node))
    return;
  const std::size_t before = out.size();
  if (const char *name = NameOf(node))
    Add(node, name, FormattedOf(node, Formatted::Unsaid));
  SetUntranslatable(before, node);
}

void AndroidFileReader::ReadPlurals(const pugi::xml_node &node) {
  const char *name = NameOf(node);
  if (!name || !ForThisProduct(node))
    return;
  const Formatted formatted = FormattedOf(node, Formatted::Unsaid);
  const std::size_t first = out.size();
  for (pugi::xml_node item : node.children("item")) {
    const std::string quantity = item.attribute("quantity").value();
    if (kPluralSelector.rank(quantity) == kPluralSelector.categoryCount) {
      diag.Error(At(item), "'" + std::string(name) + "': quantity '" +
                               quantity +
                               "' is none of zero, one, two, few, many and "
                               "other");
      continue;
    }
    const std::size_t before = out.size();
    Add(item, Key::of(name).form(kPluralSelector, quantity).print(), formatted);
    SetNotes(before, item);
  }
  SetUntranslatable(first, node);
}

void AndroidFileReader::ReadArray(const pugi::xml_node &node) {
  const char *name = NameOf(node);
  if (!name || !ForThisProduct(node))
    return;
  const Formatted formatted = FormattedOf(node, Formatted::Unsaid);
  const std::size_t first = out.size();
  std::size_t index = 0;
  for (pugi::xml_node item : node.children("item")) {
    const std::size_t before = out.size();
    Add(item, std::string(name) + "[" + std::to_string(index++) + "]",
        FormattedOf(item, formatted));
    SetNotes(before, item);
  }
  SetUntranslatable(first, node);
}

void AndroidFileReader::Read() {
  pugi::xml_document doc;
  const pugi::xml_parse_result parsed =
      doc.load_buffer(text.data(), text.size(), kAndroidParse);
  if (!parsed) {
    const auto line = std::lower_bound(newlines.begin(), newlines.end(),
                                       static_cast<std::size_t>(parsed.offset));
    diag.Error(
        SourcePos{file, static_cast<std::size_t>(line - newlines.begin()) + 1},
        std::string("not well-formed XML: ") + parsed.description());
    return;
  }
  const pugi::xml_node resources = doc.document_element();
  if (std::strcmp(resources.name(), "resources") != 0) {
    diag.Error(At(resources), "not an Android resource file: the root is <" +
                                  std::string(resources.name()) +
                                  ">, not <resources>");
    return;
  }
  ReadLocale(resources);
  for (pugi::xml_node c : resources.children()) {
    const std::string_view name = c.name();
    const std::size_t before = out.size();
    if (name == "string")
      ReadString(c);
    else if (name == "plurals")
      ReadPlurals(c);
    else if (name == "string-array")
      ReadArray(c);
    SetNotes(before, c);
  }
  if (otherProducts)
    diag.Warning(SourcePos{file, 0},
                 Counted(otherProducts, "string", "strings") +
                     " for products other than the default one left out");
}

} // namespace

void ReadAndroid(const std::string &file, std::string_view text,
                 const InputOptions &, Diagnostics &diag,
                 std::vector<SourceEntry> &out) {
  Utf8Input decoded;
  if (!ReadAsUtf8(file, text, decoded, diag))
    return;
  AndroidFileReader(file, decoded.text, diag, out).Read();
}

std::string AndroidFolderLocale(std::string_view folder) {
  std::vector<std::string_view> q = Split(folder, '-');
  if (q.empty() || q[0] != "values")
    return {};
  std::size_t i = 1;
  // Network codes come before the language.
  while (i < q.size() &&
         (q[i].substr(0, 3) == "mcc" || q[i].substr(0, 3) == "mnc") &&
         IsDigits(q[i].substr(3)))
    ++i;
  if (i >= q.size())
    return {};
  if (q[i].substr(0, 2) == "b+") {
    std::vector<std::string_view> parts = Split(q[i].substr(2), '+');
    std::string tag;
    for (std::string_view p : parts)
      tag += (tag.empty() ? "" : "-") + std::string(p);
    return parts[0].size() >= 2 && parts[0].size() <= 3 && IsLower(parts[0])
               ? tag
               : std::string();
  }
  if (q[i].size() < 2 || q[i].size() > 3 || !IsLower(q[i]))
    return {};
  std::string tag(q[i]);
  if (i + 1 < q.size() && q[i + 1].size() >= 3 && q[i + 1][0] == 'r' &&
      ((q[i + 1].size() == 3 && IsUpper(q[i + 1].substr(1))) ||
       (q[i + 1].size() == 4 && IsDigits(q[i + 1].substr(1)))))
    tag += "-" + std::string(q[i + 1].substr(1));
  return tag;
}

} // namespace phrasor::tool
