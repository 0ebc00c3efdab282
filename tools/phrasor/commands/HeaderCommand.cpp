//===- HeaderCommand.cpp - phrasor header ---------------------------------===//
//
// Writes the source catalog as C++: one constexpr object per ID whose type
// carries the ID and what each argument of its text must be, checked by
// static_asserts whose texts name the ID and the insert. A plural text's
// forms become one object that takes the count first. The file is written
// only when its bytes change, so an edit that leaves the IDs and their
// inserts alone rebuilds nothing that includes it.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/commands/TypedCommands.h"

#include "format/ArgKind.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/checks/CheckedSet.h"
#include "tools/phrasor/checks/Plurals.h"
#include "tools/phrasor/files/FileIo.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

namespace phrasor::tool {

namespace {

enum class IdUse { Text, Plural, Ordinal };

/// One insert as the header checks it: what it takes and how it is written.
struct Want {
  const char *takes; ///< a phrasor::typed::Takes enumerator
  const char *what;  ///< the same in words, for the message
  std::string text;  ///< "%2!d!", "%-5s", "a '*' of %*d"
};

/// One object of the header: an ID, or a plural text's forms.
struct Object {
  std::string id;   ///< the ID (a plural's without its '#category')
  std::string name; ///< the C++ name
  std::string where;
  IdUse use = IdUse::Text;
  std::vector<std::size_t> forms; ///< entries, in source order
  std::vector<std::vector<Want>> args;
};

/// The family of C++ types an insert of \p kind takes, as the layer's
/// run-time check groups them.
Want WantOf(ArgKind kind, std::string text) {
  switch (kind) {
  case ArgKind::Double:
  case ArgKind::LongDouble:
    return {"Number", "a number", std::move(text)};
  case ArgKind::WideChar:
  case ArgKind::NarrowChar:
    return {"Character", "a character", std::move(text)};
  case ArgKind::WideString:
  case ArgKind::NarrowString:
    return {"String", "text", std::move(text)};
  case ArgKind::Pointer:
    return {"Pointer", "a pointer", std::move(text)};
  default:
    return {"Integer", "an integer", std::move(text)};
  }
}

Want MessageWant(const MessageInsert &insert) {
  return WantOf(ArgKindOfMessageType(insert.type), InsertText(insert));
}

Want PrintfWant(const PrintfArg &arg) {
  if (arg.star)
    return WantOf(ArgKind::Int32, "a '*' of " + arg.text);
  return WantOf(static_cast<ArgKind>(arg.kind), arg.text);
}

/// The arguments \p value takes under \p kind, each with every insert that
/// reads it (a message may repeat a field).
std::vector<std::vector<Want>> ArgumentsOf(const std::u16string &value,
                                           ValueKind kind) {
  std::vector<std::vector<Want>> args;
  const ValueReport report = CheckValueAs(value, kind);
  if (kind == ValueKind::Message) {
    for (const MessageInsert &insert : report.message.inserts) {
      if (insert.field == 0)
        continue;
      if (args.size() < insert.field)
        args.resize(insert.field);
      args[insert.field - 1].push_back(MessageWant(insert));
    }
  } else if (kind == ValueKind::Printf) {
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
      "typename",      "union",       "unsigned",
      "using",         "virtual",     "void",
      "volatile",      "wchar_t",     "while",
      "xor",           "xor_eq"};
  return keywords.count(name) != 0;
}

/// Names C++ keeps for itself anywhere (a '_' and a capital letter first,
/// or two '_' in a row), the members of the generated types, and the
/// namespaces the header names inside its own (a type called std would
/// hide std::string_view from the code beside it).
bool IsReserved(const std::string &name) {
  return name == "phrasorId" || name == "phrasorCheck" || name == "std" ||
         name == "phrasor" ||
         (name.size() > 1 && name[0] == '_' && name[1] >= 'A' &&
          name[1] <= 'Z') ||
         name.find("__") != std::string::npos;
}

/// \p text inside a C++ string literal, readable and the same on every
/// compiler: quotes, backslashes and '?' (trigraphs) escaped, control
/// characters as escapes, other UTF-8 kept.
std::string Literal(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\' || c == '?') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || c == 0x7F) {
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

std::string ArgList(const std::vector<std::vector<Want>> &args) {
  std::string out;
  for (std::size_t i = 0; i < args.size(); ++i) {
    out += i ? ", " : "";
    out += args[i].empty() ? "unused" : args[i].front().text;
  }
  return out;
}

std::string CountWords(std::size_t n) {
  return n == 1 ? "1 argument" : std::to_string(n) + " arguments";
}

/// The check() of one object: which call it belongs to, the number of
/// arguments and what each must be.
void WriteCheck(std::ostream &out, const Object &o) {
  const std::string call = o.use == IdUse::Plural    ? "Plural"
                           : o.use == IdUse::Ordinal ? "Ordinal"
                                                     : "Format";
  const std::string id = o.id;
  out << "  template <phrasor::typed::Call C, class... A> static constexpr "
         "void "
         "phrasorCheck() {\n";
  std::string wrongCall =
      o.use == IdUse::Text
          ? id + " is not a plural text; call format()"
          : id + " is " + (o.use == IdUse::Plural ? "a plural" : "an ordinal") +
                " text; call " +
                (o.use == IdUse::Plural ? "plural" : "ordinal") +
                "() with its count";
  if (o.use == IdUse::Text)
    out << "    static_assert(C == phrasor::typed::Call::Find || C == "
           "phrasor::typed::Call::Format,\n";
  else
    out << "    static_assert(C == phrasor::typed::Call::" << call << ",\n";
  out << "                  " << Literal("phrasor: " + wrongCall) << ");\n";
  out << "    if constexpr (C == phrasor::typed::Call::" << call << ") {\n";
  const std::size_t first = o.use == IdUse::Text ? 0 : 1;
  const std::string list = o.args.empty() ? "" : " (" + ArgList(o.args) + ")";
  if (first) {
    out << "      static_assert(phrasor::typed::CountFirst<A...>::value,\n"
        << "                    "
        << Literal("phrasor: " + id + ": pass the count first, then " +
                   CountWords(o.args.size()) + list)
        << ");\n";
  }
  const std::string count =
      o.args.empty() && !first ? id + " takes no arguments"
      : first
          ? id + " takes its count, then " + CountWords(o.args.size()) + list
          : id + " takes " + CountWords(o.args.size()) + list;
  out << "      static_assert(sizeof...(A) == " << o.args.size() + first
      << ",\n                    " << Literal("phrasor: " + count) << ");\n";
  for (std::size_t i = 0; i < o.args.size(); ++i)
    for (const Want &w : o.args[i])
      out << "      static_assert(phrasor::typed::Suits<phrasor::typed::Takes::"
          << w.takes << ", phrasor::typed::Nth<" << i + first
          << ", A...>>::value,\n"
          << "                    "
          << Literal("phrasor: " + id + ": argument " + std::to_string(i + 1) +
                     " (for " + w.text + ") must be " + w.what)
          << ");\n";
  out << "    }\n  }\n";
}

/// Groups the entries of \p set into objects: one per ID, one per plural
/// or ordinal text, each holding its forms in source order.
void GroupForms(const CheckedSet &set, std::vector<Object> &objects) {
  std::map<std::string, std::size_t> byKey; // use + ID -> object
  for (std::size_t i = 0; i < set.entries.size(); ++i) {
    const std::string &id = set.entries[i].id;
    std::string_view base = id, category;
    IdUse use = IdUse::Text;
    if (SplitOrdinalId(id, base, category))
      use = IdUse::Ordinal;
    else if (SplitPluralId(id, base, category))
      use = IdUse::Plural;
    const std::string key =
        std::to_string(static_cast<int>(use)) + AsciiLower(base);
    auto [at, added] = byKey.emplace(key, objects.size());
    if (added) {
      Object o;
      o.id = std::string(base);
      o.name = CppNameOf(o.id);
      o.where = set.Where(i);
      o.use = use;
      objects.push_back(std::move(o));
    }
    objects[at->second].forms.push_back(i);
  }
}

/// How a diagnostic names \p o: "ID 'X'", "plural text 'X'" and so on.
std::string IdWord(const Object &o) {
  return o.use == IdUse::Text
             ? "ID '" + o.id + "'"
             : (o.use == IdUse::Plural ? "plural text '" : "ordinal text '") +
                   o.id + "'";
}

/// False (after reporting) when the C++ name of \p o is a keyword or
/// reserved.
bool NameAllowed(const Object &o, Diagnostics &diag) {
  if (!IsKeyword(o.name) && !IsReserved(o.name))
    return true;
  diag.Error(o.where, IdWord(o) + " gives the C++ name '" + o.name +
                          "', which is " +
                          (IsKeyword(o.name) ? "a keyword" : "reserved"));
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
/// checked by its "other" form, which every language has, else by its
/// first form.
std::size_t ShownForm(const CheckedSet &set, const Object &o) {
  std::size_t shown = o.forms.front();
  for (std::size_t f : o.forms) {
    std::string_view b, category;
    if ((SplitPluralId(set.entries[f].id, b, category) ||
         SplitOrdinalId(set.entries[f].id, b, category)) &&
        category == "other")
      shown = f;
  }
  return shown;
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
    const std::size_t shown = ShownForm(set, o);
    if (set.entries[shown].value)
      o.args = ArgumentsOf(*set.entries[shown].value, set.KindAt(shown));
  }
  // In the order of the IDs, not of the rows: a source reordered, or read
  // from its database, gives the same header.
  std::sort(objects.begin(), objects.end(),
            [](const Object &a, const Object &b) {
              return a.id != b.id ? a.id < b.id : a.use < b.use;
            });
  return ok;
}

std::string IdsNamespace(const std::string &ns) { return ns + "_ids"; }

std::string Render(const CheckedSet &set, const std::vector<Object> &objects,
                   const std::string &ns) {
  std::ostringstream out;
  out << "// Generated by 'phrasor header' from "
      << std::filesystem::path(set.path).filename().string()
      << "; do not edit.\n"
         "//\n"
         "// One object per ID of the source catalog. Pass it to the calls "
         "of\n"
         "// phrasor::Catalog and phrasor::Localizer in place of the ID's "
         "string,\n"
         "// and the compiler checks the arguments against the source "
         "text.\n"
         "\n"
         "#pragma once\n"
         "\n"
         "#include \"phrasor/Typed.h\"\n"
         "\n"
         "#include <string_view>\n"
         "\n"
         "namespace "
      << IdsNamespace(ns) << " {\n";
  for (const Object &o : objects) {
    out << "\nstruct " << o.name << " : phrasor::typed::IdBase {\n"
        << "  static constexpr std::string_view phrasorId{" << Literal(o.id)
        << "};\n";
    WriteCheck(out, o);
    out << "};\n";
  }
  out << "\n} // namespace " << IdsNamespace(ns) << "\n\nnamespace " << ns
      << " {\n";
  for (const Object &o : objects) {
    out << "\n";
    for (std::size_t f : o.forms)
      out << "/// " << CommentId(set.entries[f].id) << ": "
          << Shown(set.entries[f].value) << "\n";
    out << "inline constexpr " << IdsNamespace(ns) << "::" << o.name << " "
        << o.name << "{};\n";
  }
  out << "\n} // namespace " << ns << "\n";
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
  const std::string text = Render(*set, objects, options.nameSpace);
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
