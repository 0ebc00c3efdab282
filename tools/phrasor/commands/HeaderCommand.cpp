//===- HeaderCommand.cpp - phrasor header ---------------------------------===//
//
// Writes the source catalog as C++ that the compiler checks each call
// against. A header may hold 100,000 IDs and be included by every file of
// a game, so each ID costs one enumerator: its enumeration type stands for
// the shape of its text (the call and what each argument must be), which
// many IDs share, and the checks themselves are templates in Typed.h that
// only a call instantiates. The ID texts sit in a few string blocks; an
// ID's value says where its text is. The file is written only when its
// bytes change, and its bytes depend on the IDs, the shapes and the names
// an ICU text gives its arguments alone (the texts are shown only when
// asked for), so editing a text rebuilds nothing that includes it.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/commands/TypedCommands.h"

#include "cpp/Inserts.h"
#include "format/ArgKind.h"
#include "phrasor/Key.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/files/FileIo.h"
#include "tools/phrasor/formats/shared/IcuMessage.h"
#include "tools/phrasor/sets/CheckedSet.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

namespace phrasor::tool {

namespace {

/// One insert as the header checks it: what it takes and how it is written.
struct Want {
  char takes;       ///< a letter of phrasor::typed::Shape::args
  std::string text; ///< "%2!d!", "%-5s", "a '*' of %*d"
};

/// One object of the header: an ID, or a plural text's forms.
struct Object {
  std::string id;   ///< the ID (a plural's without its '#category')
  std::string name; ///< the C++ name
  std::string where;
  /// The selector of a text that varies, whose row names its call; null
  /// for a plain text.
  const Selector *use = nullptr;
  /// A gender or select text with a count's forms as well
  /// ("FOUND#gender-feminine#one"): its call takes the value and a count.
  bool counted = false;
  std::vector<std::size_t> forms; ///< entries, in source order
  std::vector<std::vector<Want>> args;
};

// An ID's value packs where its text is, as Typed.h reads it back.
constexpr unsigned kOffsetBits = 20, kLengthBits = 20;

/// The family of C++ types an insert of \p kind takes, as the layer's
/// run-time check groups them.
Want WantOf(ArgKind kind, std::string text) {
  return {takesLetter(takesOf(kind)), std::move(text)};
}

Want MessageWant(const MessageInsert &insert) {
  return WantOf(ArgKindOfMessageType(insert.type), InsertText(insert));
}

Want PrintfWant(const PrintfArg &arg) {
  if (arg.star)
    return WantOf(ArgKind::Int32, "a '*' of " + arg.text);
  return WantOf(arg.kind, arg.text);
}

/// The arguments \p value takes under \p kind, each with every insert that
/// reads it (a message may repeat a field).
std::vector<std::vector<Want>> ArgumentsOf(const std::u16string &value,
                                           TextKind kind) {
  std::vector<std::vector<Want>> args;
  const ValueReport report = CheckValueAs(value, kind);
  if (kind == TextKind::Message) {
    for (const MessageInsert &insert : report.message.inserts) {
      if (insert.field == 0)
        continue;
      if (args.size() < insert.field)
        args.resize(insert.field);
      args[insert.field - 1].push_back(MessageWant(insert));
    }
  } else if (kind == TextKind::Printf) {
    for (const PrintfArg &arg : report.printf.args)
      args.push_back({PrintfWant(arg)});
  }
  return args;
}

bool IsKeyword(const std::string &name) {
  static const std::set<std::string> keywords = {
      "alignas",       "alignof",     "and",
      "and_eq",        "asm",         "auto",
      "bitand",        "bitor",       "bool",
      "break",         "case",        "catch",
      "char",          "char8_t",     "char16_t",
      "char32_t",      "class",       "compl",
      "concept",       "const",       "consteval",
      "constexpr",     "constinit",   "const_cast",
      "continue",      "co_await",    "co_return",
      "co_yield",      "decltype",    "default",
      "delete",        "do",          "double",
      "dynamic_cast",  "else",        "enum",
      "explicit",      "export",      "extern",
      "false",         "float",       "for",
      "friend",        "goto",        "if",
      "inline",        "int",         "long",
      "mutable",       "namespace",   "new",
      "noexcept",      "not",         "not_eq",
      "nullptr",       "operator",    "or",
      "or_eq",         "private",     "protected",
      "public",        "register",    "reinterpret_cast",
      "requires",      "return",      "short",
      "signed",        "sizeof",      "static",
      "static_assert", "static_cast", "struct",
      "switch",        "template",    "this",
      "thread_local",  "throw",       "true",
      "try",           "typedef",     "typeid",
      "typename",      "typeof",      "union",
      "unsigned",      "using",       "virtual",
      "void",          "volatile",    "wchar_t",
      "while",         "xor",         "xor_eq"};
  return keywords.count(name) != 0;
}

/// Names C++ keeps for itself anywhere (a '_' and a capital letter first,
/// or two '_' in a row), the names the header gives its own declarations
/// ("phrasor" and a capital letter: phrasorIds, phrasorShape, the shape
/// types), and the namespaces it names inside its own (an ID called std
/// would hide std::string_view from the code beside it).
bool IsReserved(const std::string &name) {
  return name == "std" || name == "phrasor" ||
         (name.size() > 7 && name.compare(0, 7, "phrasor") == 0 &&
          name[7] >= 'A' && name[7] <= 'Z') ||
         (name.size() > 1 && name[0] == '_' && name[1] >= 'A' &&
          name[1] <= 'Z') ||
         name.find("__") != std::string::npos;
}

/// \p text inside a C++ string literal, readable and the same on every
/// compiler: quotes, backslashes and '?' (trigraphs) escaped, control
/// characters as escapes, other UTF-8 kept, or with \p asciiOnly escaped
/// too, so that the literal gives the same bytes whatever character set
/// the compiler reads its source in.
std::string Literal(std::string_view text, bool asciiOnly = false) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\' || c == '?') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F || (asciiOnly && c >= 0x80)) {
      // Three octal digits end the escape where a hex one would run on.
      out += '\\';
      out += static_cast<char>('0' + (c >> 6));
      out += static_cast<char>('0' + ((c >> 3) & 7));
      out += static_cast<char>('0' + (c & 7));
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

/// An ID as a comment shows it: as written, unless it holds a control
/// character (a gettext key's line break would end the comment and turn
/// the rest of the ID into code), then as a literal.
std::string CommentId(const std::string &id) {
  for (unsigned char c : id)
    if (c < 0x20 || c == 0x7F)
      return Literal(id);
  return id;
}

/// A source text shown in a comment on one line.
std::string Shown(const std::optional<std::u16string> &value) {
  if (!value)
    return "(no value)";
  std::string text = Literal(Utf16ToUtf8Lossy(*value));
  if (text.size() > 200) {
    // Cut before a character, not inside its UTF-8 bytes or an escape.
    std::size_t cut = 196;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
      --cut;
    while (cut > 0 && text[cut - 1] == '\\')
      --cut;
    text = text.substr(0, cut) + "...\"";
  }
  return text;
}

/// Orders plain texts first, then each selector's in registry order.
std::size_t UseRank(const Selector *use) {
  return use ? kSelectors.indexOf(use) + 1 : 0;
}

/// Tells apart in one map the objects of plain texts and of each selector.
std::string UseKey(const Selector *use) { return std::to_string(UseRank(use)); }

/// Groups the entries of \p set into objects: one per ID, one per plural
/// or ordinal text, each holding its forms in source order.
void GroupForms(const CheckedSet &set, std::vector<Object> &objects) {
  std::map<std::string, std::size_t> byKey; // use + ID -> object
  for (std::size_t i = 0; i < set.entries.size(); ++i) {
    const std::string &id = set.entries[i].id;
    const Key k = Key::parse(id);
    // A word row's forms, with or without a count's, are one text.
    const Selector *word =
        k.select                                                   ? k.select
        : k.selector && k.selector->takes == SelectorTakes::String ? k.selector
                                                                   : nullptr;
    const std::string base = word
                                 ? k.withoutSelector().withoutSelector().print()
                                 : std::string(k.stem);
    const Selector *use = word ? word : k.selector;
    const std::string key = UseKey(use) + AsciiLower(base);
    auto [at, added] = byKey.emplace(key, objects.size());
    if (added) {
      Object o;
      o.id = std::string(base);
      // Named by the source text: "Open" and "open" are two names.
      o.name = CppNameOf(Key::unescapeSourceText(o.id));
      o.where = set.Where(i);
      o.use = use;
      objects.push_back(std::move(o));
    }
    objects[at->second].forms.push_back(i);
    objects[at->second].counted |= k.select != nullptr;
  }
  // A plain entry beside a plural's forms (FILES beside FILES#one and
  // FILES#few) is the text a count falls back to when its language has
  // no form for it: a form of the plural object, not an object of its own.
  std::vector<bool> folded(objects.size(), false);
  for (std::size_t t = 0; t < objects.size(); ++t) {
    if (objects[t].use)
      continue;
    const std::string lower = AsciiLower(objects[t].id);
    for (const Selector *use : kSelectors) {
      auto counted = byKey.find(UseKey(use) + lower);
      if (counted == byKey.end())
        continue;
      std::vector<std::size_t> &forms = objects[counted->second].forms;
      forms.insert(forms.end(), objects[t].forms.begin(),
                   objects[t].forms.end());
      std::sort(forms.begin(), forms.end());
      folded[t] = true;
      break;
    }
  }
  std::size_t kept = 0;
  for (std::size_t i = 0; i < objects.size(); ++i)
    if (!folded[i] && kept++ != i)
      objects[kept - 1] = std::move(objects[i]);
  objects.resize(kept);
}

/// How a diagnostic names \p o: "ID 'X'", "plural text 'X'" and so on.
std::string IdWord(const Object &o) {
  return o.use ? std::string(o.use->name) + " text '" + o.id + "'"
               : "ID '" + o.id + "'";
}

/// False (after reporting) when the C++ name of \p o is a keyword or
/// reserved.
bool NameAllowed(const Object &o, Diagnostics &diag) {
  // The GNU dialects (-std=gnu++17, CMake's default with gcc and clang)
  // define these as 1 before any header is read.
  const bool dialectMacro =
      o.name == "linux" || o.name == "unix" || o.name == "i386";
  if (!IsKeyword(o.name) && !IsReserved(o.name) && !dialectMacro)
    return true;
  diag.Error(o.where, IdWord(o) + " gives the C++ name '" + o.name +
                          "', which is " +
                          (IsKeyword(o.name) ? "a keyword"
                           : dialectMacro    ? "a macro of the GNU dialects"
                                             : "reserved"));
  return false;
}

/// False (after reporting) when an earlier object of \p byName already
/// has the C++ name of \p o.
bool NameUnique(const Object &o, std::map<std::string, const Object *> &byName,
                Diagnostics &diag) {
  auto [at, added] = byName.emplace(o.name, &o);
  if (added)
    return true;
  diag.Error(o.where, IdWord(o) + " gives the C++ name '" + o.name +
                          "' as ID '" + at->second->id + "' does (" +
                          at->second->where + ")");
  return false;
}

/// The form whose text gives the arguments of \p o: a plural text is
/// checked by its "other" form, which every language has, a select text by
/// its other value's (by its count's other form when it has a count), else
/// by its first form.
std::size_t ShownForm(const CheckedSet &set, const Object &o) {
  std::size_t shown = o.forms.front();
  for (std::size_t f : o.forms) {
    const Key k = Key::parse(set.entries[f].id);
    if (k.selector && k.category == k.selector->fallback &&
        (!k.select || k.value == k.select->fallback))
      shown = f;
  }
  return shown;
}

/// The typed call of \p o's shape: "Format", "Plural", "GenderPlural".
std::string CallOf(const Object &o) {
  if (!o.use)
    return "Format";
  return std::string(o.use->call) + (o.counted ? "Plural" : "");
}

/// Gathers the objects of \p set: one per ID, one per plural or ordinal
/// text; false (after reporting) when two give the same C++ name or a
/// name C++ does not allow.
bool GatherObjects(const CheckedSet &set, Diagnostics &diag,
                   std::vector<Object> &objects) {
  GroupForms(set, objects);
  bool ok = true;
  std::map<std::string, const Object *> byName;
  for (Object &o : objects) {
    if (!NameAllowed(o, diag)) {
      ok = false;
      continue;
    }
    if (!NameUnique(o, byName, diag))
      ok = false;
    if (o.id.size() >= (std::size_t{1} << kLengthBits)) {
      diag.Error(o.where, IdWord(o) + " is longer than a typed ID can be (" +
                              std::to_string((1u << kLengthBits) - 1) +
                              " bytes)");
      ok = false;
    }
    const std::size_t shown = ShownForm(set, o);
    if (set.entries[shown].value)
      o.args = ArgumentsOf(*set.entries[shown].value, set.KindAt(shown));
  }
  // In the order of the IDs, not of the rows: a source reordered, or read
  // from its database, gives the same header.
  std::sort(
      objects.begin(), objects.end(), [](const Object &a, const Object &b) {
        return a.id != b.id ? a.id < b.id : UseRank(a.use) < UseRank(b.use);
      });
  return ok;
}

/// The letters of an argument in a shape: what each insert reading it
/// takes, in a fixed order, or X when none does.
std::string ShapeGroup(const std::vector<Want> &wants) {
  std::string group;
  for (char letter : std::string_view("INCSP"))
    for (const Want &w : wants)
      if (w.takes == letter) {
        group += letter;
        break;
      }
  return group.empty() ? "X" : group;
}

/// The shape of \p o as phrasor::typed::Shape::args spells it: "S_I".
std::string ShapeArgs(const Object &o) {
  std::string args;
  for (std::size_t i = 0; i < o.args.size(); ++i)
    args += (i ? "_" : "") + ShapeGroup(o.args[i]);
  return args;
}

/// The enumeration type of the IDs that share \p o's shape:
/// phrasorText_S_I, phrasorPlural_I_S. IDs can never be given such a
/// name (IsReserved), and the name says in a compiler's message what the
/// ID takes.
std::string ShapeType(const Object &o) {
  const std::string args = ShapeArgs(o);
  return "phrasor" + (o.use ? CallOf(o) : std::string("Text")) +
         (args.empty() ? "" : "_" + args);
}

// A block stays under what every compiler takes as one string literal
// (MSVC stops near 16 KB).
constexpr std::size_t kBlockBytes = 16000;

/// The string blocks of the IDs' texts, and each object's packed value.
struct IdBlocks {
  std::vector<std::string> blocks;
  std::vector<std::uint64_t> values; ///< per object, in objects' order
};

IdBlocks PackIds(const std::vector<Object> &objects) {
  IdBlocks packed;
  packed.blocks.emplace_back();
  for (const Object &o : objects) {
    if (!packed.blocks.back().empty() &&
        packed.blocks.back().size() + o.id.size() > kBlockBytes)
      packed.blocks.emplace_back();
    std::string &block = packed.blocks.back();
    packed.values.push_back((std::uint64_t(packed.blocks.size() - 1)
                             << (kOffsetBits + kLengthBits)) |
                            (std::uint64_t(block.size()) << kLengthBits) |
                            o.id.size());
    block += o.id;
  }
  return packed;
}

/// The blocks as C++: adjacent literals of a few IDs each, so that no line
/// runs to 16 KB.
void WriteBlocks(std::ostream &out, const IdBlocks &packed,
                 const std::vector<Object> &objects) {
  std::size_t next = 0;
  for (std::size_t b = 0; b < packed.blocks.size(); ++b) {
    out << "inline constexpr char phrasorIds" << b << "[] =";
    std::string line;
    while (next < objects.size() &&
           (packed.values[next] >> (kOffsetBits + kLengthBits)) == b) {
      const std::string literal = Literal(objects[next].id, true);
      if (!line.empty() && line.size() + literal.size() > 76) {
        out << "\n    " << line;
        line.clear();
      }
      line += (line.empty() ? "" : " ") + literal;
      ++next;
    }
    out << "\n    " << (line.empty() ? "\"\"" : line) << ";\n";
  }
  out << "inline constexpr const char *phrasorIds[] = {";
  for (std::size_t b = 0; b < packed.blocks.size(); ++b)
    out << (b ? ", " : "") << "phrasorIds" << b;
  out << "};\n";
}

std::string Hex(std::uint64_t value) {
  static const char digits[] = "0123456789abcdef";
  std::string out = "0x";
  bool started = false;
  for (int shift = 60; shift >= 0; shift -= 4) {
    const unsigned d = (value >> shift) & 15;
    if (d || started || shift == 0) {
      out += digits[d];
      started = true;
    }
  }
  return out;
}

/// A source file's name as the first comment shows it: a name with a line
/// break or another control character in it is written as a literal, so it
/// cannot end the comment and put the rest of the name in the code.
std::string CommentFileName(const std::string &path) {
  return CommentId(std::filesystem::path(path).filename().string());
}

/// The name of the namespace of one header's declarations: from a hash of
/// its IDs, so that it changes only when they do.
std::string SetNamespace(const std::vector<Object> &objects) {
  std::uint64_t hash = 14695981039346656037ull; // FNV-1a
  for (const Object &o : objects)
    for (unsigned char c : o.id + '\n') {
      hash ^= c;
      hash *= 1099511628211ull;
    }
  return "phrasorSet_" + Hex(hash).substr(2);
}

/// What an argument whose inserts take \p group ("S", "IN") must be, in
/// the words of a parameter list.
std::string KindWords(const std::string &group) {
  std::string words;
  for (char letter : group) {
    const char *word = letter == 'I'   ? "integer"
                       : letter == 'N' ? "number"
                       : letter == 'C' ? "character"
                       : letter == 'S' ? "text"
                       : letter == 'P' ? "pointer"
                                       : "unused";
    words += (words.empty() ? "" : " or ") + std::string(word);
  }
  return words;
}

/// \p o's parameters by the names its ICU text gave them, in the order a
/// call passes them: "(gender: word, count: count, who: text)". The
/// names are part of the header's
/// interface, as the shapes are, so a text edited without renaming an
/// argument writes the same list.
std::string ParamList(const Object &o, const IcuArgs &args) {
  std::vector<std::string> params;
  const bool counted =
      o.counted || (o.use && o.use->takes == SelectorTakes::Count);
  if (o.use && o.use->takes == SelectorTakes::String)
    params.push_back((args.select.empty() ? "value" : CommentId(args.select)) +
                     ": " + (o.use->call == "Gender" ? "gender" : "word"));
  if (counted)
    params.push_back((args.plural.empty() ? "count" : CommentId(args.plural)) +
                     ": count");
  for (std::size_t i = 0; i < o.args.size(); ++i) {
    // An argument the record leaves unnamed is shown by its number. A
    // record read from a database is not trusted to hold only ICU
    // names: a line break would end the comment and put the rest in code.
    const std::string name = i < args.names.size() ? CommentId(args.names[i])
                                                   : std::to_string(i + 1);
    params.push_back(name + ": " + KindWords(ShapeGroup(o.args[i])));
  }
  std::string list;
  for (const std::string &p : params)
    list += (list.empty() ? "" : ", ") + p;
  return "(" + list + ")";
}

/// One enumerator of \p o with its comments: the texts when asked for,
/// the ID where the C++ name differs from it, the named parameters.
void WriteEnumerator(std::ostream &out, const CheckedSet &set, const Object &o,
                     std::uint64_t value, bool texts,
                     const std::map<std::string, IcuArgs> &named) {
  if (texts)
    for (std::size_t f : o.forms)
      out << "  /// " << CommentId(set.entries[f].id) << ": "
          << Shown(set.entries[f].value) << "\n";
  out << "  " << o.name << " = " << Hex(value) << ",";
  std::string comment;
  if (!texts && o.name != o.id)
    comment = CommentId(o.id);
  auto params = named.find(o.id);
  if (params != named.end())
    comment += (comment.empty() ? "" : " ") + ParamList(o, params->second);
  if (!comment.empty())
    out << " // " << comment;
  out << "\n";
}

std::string Render(const CheckedSet &set, const std::vector<Object> &objects,
                   const std::string &ns, bool texts) {
  std::ostringstream out;
  out << "// Generated by 'phrasor header' from " << CommentFileName(set.path)
      << "; do not edit.\n"
         "//\n"
         "// One enumerator per ID of the source catalog. Pass it to the "
         "calls of\n"
         "// phrasor::Catalog and phrasor::Localizer in place of the ID's "
         "string,\n"
         "// and the compiler checks the arguments against the source text. "
         "Its\n"
         "// type names what the ID takes: phrasorText_S_I is a text whose "
         "first\n"
         "// argument is text and whose second is an integer; phrasor::idOf() "
         "gives\n"
         "// the ID as a string.\n"
         "\n"
         "#pragma once\n"
         "\n"
         "#include \"phrasor/Typed.h\"\n"
         "\n"
         "namespace "
      << ns << " {\n";
  // The declarations sit in a namespace of this catalog's own, which the
  // using-directive below opens to msg::ID: two headers may then share a
  // namespace (two catalog sets of one program) without their shape types
  // and blocks clashing.
  const std::string inner = SetNamespace(objects);
  out << "namespace " << inner << " {\n\n";
  const IdBlocks packed = PackIds(objects);
  WriteBlocks(out, packed, objects);
  const std::map<std::string, IcuArgs> named =
      set.meta.icuArgs ? DecodeIcuArgs(*set.meta.icuArgs)
                       : std::map<std::string, IcuArgs>();
  // One enumeration per shape, in the order of the shapes' names; in each,
  // the IDs in their own order.
  std::map<std::string, std::vector<std::size_t>> byShape;
  for (std::size_t i = 0; i < objects.size(); ++i)
    byShape[ShapeType(objects[i])].push_back(i);
  for (const auto &[type, members] : byShape) {
    const Object &first = objects[members.front()];
    out << "\nenum " << type << " : unsigned long long {\n";
    for (std::size_t i : members)
      WriteEnumerator(out, set, objects[i], packed.values[i], texts, named);
    const std::string call = CallOf(first);
    out << "};\nconstexpr phrasor::typed::Shape phrasorShape(" << type
        << ") {\n  return {phrasor::typed::Call::" << call << ", \""
        << ShapeArgs(first) << "\", phrasorIds};\n}\n";
  }
  out << "\n} // namespace " << inner << "\nusing namespace " << inner
      << ";\n} // namespace " << ns << "\n";
  return out.str();
}

bool ValidNamespace(const std::string &ns) {
  std::size_t at = 0;
  while (true) {
    const std::size_t end = std::min(ns.find("::", at), ns.size());
    const std::string part = ns.substr(at, end - at);
    if (part.empty() || CppNameOf(part) != part || IsKeyword(part) ||
        IsReserved(part))
      return false;
    if (end == ns.size())
      return true;
    at = end + 2;
  }
}

} // namespace

std::string CppNameOf(const std::string &id) {
  std::string name;
  bool run = false;
  for (char c : id) {
    const bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                      (c >= '0' && c <= '9') || c == '_';
    if (word)
      name += c;
    else if (!run)
      name += '_';
    run = !word;
  }
  if (name.empty() || (name[0] >= '0' && name[0] <= '9'))
    name.insert(name.begin(), '_');
  return name;
}

int RunHeader(const HeaderOptions &options) {
  if (!ValidNamespace(options.nameSpace))
    throw FatalError("'" + options.nameSpace + "' is not a C++ namespace name");
  Diagnostics diag;
  std::optional<CheckedSet> set =
      LoadChecked(options.source, options.input, diag, SourceChecks::Build);
  std::vector<Object> objects;
  if (!set || diag.Failed() || !GatherObjects(*set, diag, objects) ||
      diag.Failed()) {
    std::cerr << "phrasor: " << diag.Errors() << " error"
              << (diag.Errors() == 1 ? "" : "s") << "; '" << options.output
              << "' not written\n";
    return kExitProblems;
  }
  const std::string text =
      Render(*set, objects, options.nameSpace, options.texts);
  std::error_code ec;
  if (std::filesystem::is_regular_file(options.output, ec) &&
      ReadFileBytes(options.output) == text)
    return kExitOk; // unchanged: its includers need no rebuild
  // A header goes in an include tree the build may not have made yet.
  const std::filesystem::path parent =
      std::filesystem::path(options.output).parent_path();
  if (!parent.empty() && !std::filesystem::exists(parent, ec))
    std::filesystem::create_directories(parent, ec);
  WriteFileAtomically(options.output, text);
  return kExitOk;
}

} // namespace phrasor::tool
