//===- UsageCommand.cpp - phrasor usage -----------------------------------===//
//
// Finds the IDs a program names: the generated header's objects (msg::NAME)
// and string literals passed as the ID of a layer call or of the runtime's
// interface. It reads tokens, not C++: an ID built at run time, or a name
// brought in by 'using namespace', is not seen, and a string's own find()
// with a literal looks like a lookup, so misses of find and contains are
// only warnings, unless the literal is one edit away from an ID.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/commands/TypedCommands.h"

#include "phrasor/Key.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/files/FileIo.h"
#include "tools/phrasor/sets/CheckedSet.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <string_view>
#include <utility>

namespace phrasor::tool {

namespace {

struct Token {
  enum Kind { Name, String, Punct } kind;
  std::string text; ///< a string's contents, escapes undone simply
  std::size_t line;
};

bool IsWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

/// Moves \p i past the block comment that starts there, counting its lines.
void SkipBlockComment(const std::string &code, std::size_t &i,
                      std::size_t &line) {
  const std::size_t end = code.find("*/", i + 2);
  const std::size_t stop = end == std::string::npos ? code.size() : end + 2;
  line += std::count(code.begin() + i, code.begin() + stop, '\n');
  i = stop;
}

/// Reads the string or character literal whose quote is at \p i and moves
/// \p i past its closing quote; an unclosed literal ends with its line.
std::string ReadQuoted(const std::string &code, std::size_t &i) {
  const char quote = code[i];
  const std::size_t n = code.size();
  std::string text;
  for (++i; i < n && code[i] != quote && code[i] != '\n'; ++i) {
    if (code[i] != '\\' || i + 1 == n) {
      text += code[i];
      continue;
    }
    // The common escapes give the bytes the compiler makes of them, so a
    // source-text ID such as "Quit?\n" is found; others keep their letter.
    switch (code[++i]) {
    case 'n':
      text += '\n';
      break;
    case 't':
      text += '\t';
      break;
    case 'r':
      text += '\r';
      break;
    default:
      text += code[i];
    }
  }
  ++i;
  return text;
}

/// Reads the name or number at \p i and moves \p i past it.
std::string ReadWord(const std::string &code, std::size_t &i) {
  std::size_t end = i;
  while (end < code.size() && IsWordChar(code[end]))
    ++end;
  std::string word = code.substr(i, end - i);
  i = end;
  return word;
}

/// Moves \p i, at the opening quote of a raw string R"x(...)x", past the
/// string, counting its lines; false when no '(' follows at all.
bool SkipRawString(const std::string &code, std::size_t &i, std::size_t &line) {
  const std::size_t open = code.find('(', i);
  if (open == std::string::npos)
    return false;
  const std::string close = ")" + code.substr(i + 1, open - i - 1) + "\"";
  const std::size_t end = code.find(close, open);
  const std::size_t stop =
      end == std::string::npos ? code.size() : end + close.size();
  line += std::count(code.begin() + i, code.begin() + stop, '\n');
  i = stop;
  return true;
}

/// Splits \p code into names, string literals and punctuation, dropping
/// comments, character literals, numbers and preprocessor line breaks.
std::vector<Token> Tokenize(const std::string &code) {
  std::vector<Token> out;
  std::size_t line = 1;
  const std::size_t n = code.size();
  for (std::size_t i = 0; i < n;) {
    const char c = code[i];
    if (c == '\n') {
      ++line;
      ++i;
    } else if (code.compare(i, 2, "//") == 0) {
      while (i < n && code[i] != '\n')
        ++i;
    } else if (code.compare(i, 2, "/*") == 0) {
      SkipBlockComment(code, i, line);
    } else if (c == '"' || c == '\'') {
      const std::size_t at = line;
      std::string text = ReadQuoted(code, i);
      if (c == '"')
        out.push_back({Token::String, std::move(text), at});
    } else if (IsWordChar(c)) {
      std::string word = ReadWord(code, i);
      // A raw string R"x(...)x" is skipped whole.
      if (i < n && code[i] == '"' && !word.empty() && word.back() == 'R') {
        if (!SkipRawString(code, i, line))
          break;
        continue;
      }
      if (!std::isdigit(static_cast<unsigned char>(word[0])))
        out.push_back({Token::Name, std::move(word), line});
    } else if (code.compare(i, 2, "::") == 0) {
      out.push_back({Token::Punct, "::", line});
      i += 2;
    } else {
      if (!std::isspace(static_cast<unsigned char>(c)))
        out.push_back({Token::Punct, std::string(1, c), line});
      ++i;
    }
  }
  return out;
}

/// True for std::format, fmt::format and the like: their first argument
/// is a format string, not an ID.
bool IsOtherLibraryCall(const std::vector<Token> &tokens, std::size_t call) {
  return call >= 2 && tokens[call - 1].text == "::" &&
         (tokens[call - 2].text == "std" || tokens[call - 2].text == "fmt");
}

/// Which argument of each call is an ID, for the calls that take one.
int IdArgument(const std::string &call) {
  static const std::map<std::string, int> calls = {
      {"find", 0},
      {"contains", 0},
      {"format", 0},
      {"formatPrintf", 0},
      {"formatUtf8", 0},
      {"plural", 0},
      {"ordinal", 0},
      {"voicePath", 0},
      {"pluralId", 0},
      {"ordinalId", 0},
      {"catalogFor", 0},
      {"formatArgs", 0},
      {"formatArgsUtf8", 0},
      {"pluralArgs", 0},
      {"ordinalArgs", 0},
      {"formatTo", 2},
      {"formatUtf8To", 2},
      {"formatArgsTo", 2},
      {"formatArgsUtf8To", 2},
      // The runtime's interface takes the keeper first.
      {"GetStringIndex", 1},
      {"GetStringByID", 1},
      {"FormatStringByID", 1},
      {"FormatStringByIDV", 1},
      {"FormatMessageByID", 1},
      {"FormatMessageByIDV", 1},
      {"GetVoicePathByID", 1},
      {"IsValidID", 1},
      {"HasStringByID", 1},
      {"HasVoicePathByID", 1}};
  auto at = calls.find(call);
  return at == calls.end() ? -1 : at->second;
}

/// The string literal that is argument \p arg of the call whose '(' is at
/// \p open, or null when that argument is something else.
const Token *LiteralArgument(const std::vector<Token> &tokens, std::size_t open,
                             int arg) {
  int depth = 0, commas = 0;
  for (std::size_t i = open + 1; i < tokens.size(); ++i) {
    const Token &t = tokens[i];
    if (t.kind == Token::Punct &&
        (t.text == "(" || t.text == "[" || t.text == "{"))
      ++depth;
    else if (t.kind == Token::Punct &&
             (t.text == ")" || t.text == "]" || t.text == "}")) {
      if (depth-- == 0)
        return nullptr;
    } else if (t.kind == Token::Punct && t.text == ";")
      return nullptr;
    else if (depth == 0 && t.kind == Token::Punct && t.text == ",")
      ++commas;
    else if (depth == 0 && commas == arg) {
      const bool alone =
          t.kind == Token::String && i + 1 < tokens.size() &&
          tokens[i + 1].kind == Token::Punct &&
          (tokens[i + 1].text == "," || tokens[i + 1].text == ")");
      return alone ? &t : nullptr;
    }
  }
  return nullptr;
}

void AddFile(const std::filesystem::path &path,
             std::vector<std::filesystem::path> &files) {
  static const std::set<std::string> extensions = {
      ".c",   ".cc",  ".cpp", ".cxx", ".c++", ".h", ".hh",
      ".hpp", ".hxx", ".inl", ".ipp", ".m",   ".mm"};
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    std::vector<std::filesystem::path> found;
    for (auto it = std::filesystem::recursive_directory_iterator(path, ec);
         !ec && it != std::filesystem::recursive_directory_iterator();
         it.increment(ec))
      if (it->is_regular_file(ec) &&
          extensions.count(AsciiLower(it->path().extension().string())))
        found.push_back(it->path());
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
  } else {
    files.push_back(path); // named: scanned whatever its extension
  }
}

/// Strings in sorted order, each with the index of its ID, so that those
/// that begin with a given text are a range found in logarithmic time.
class SortedKeys {
public:
  using Key = std::pair<std::string, std::size_t>;
  using Range = std::pair<std::vector<Key>::const_iterator,
                          std::vector<Key>::const_iterator>;

  void Add(std::string key, std::size_t at) { keys.emplace_back(key, at); }
  void Sort() { std::sort(keys.begin(), keys.end()); }
  bool Empty() const { return keys.empty(); }

  /// The keys that begin with \p prefix.
  Range Beginning(std::string_view prefix) const {
    auto first = std::lower_bound(
        keys.begin(), keys.end(), prefix,
        [](const Key &k, std::string_view p) { return k.first < p; });
    auto last = std::partition_point(first, keys.end(), [&](const Key &k) {
      return k.first.compare(0, prefix.size(), prefix) == 0;
    });
    return {first, last};
  }

private:
  std::vector<Key> keys;
};

/// The IDs of the catalog, each plural or ordinal text by its base, with
/// where each is defined and whether the program uses it.
struct IdIndex {
  struct Known {
    std::string id, where;
    bool used = false;
  };
  std::vector<Known> known;
  std::map<std::string, std::size_t> byLower; ///< any ID, lower case
  std::map<std::string, std::size_t> byName;  ///< C++ name of a base
  /// byLower's keys forwards and backwards, for the IDs that begin or end
  /// with a given text; made when a near miss is first looked for.
  mutable SortedKeys forwards, backwards;
};

/// True when \p a and \p b differ by one edit: a character added, dropped
/// or replaced, or two neighbours swapped, the misspellings a typed ID
/// picks up.
bool OneEditApart(std::string_view a, std::string_view b) {
  if (a.size() > b.size())
    std::swap(a, b);
  if (b.size() - a.size() > 1)
    return false;
  std::size_t i = 0;
  while (i < a.size() && a[i] == b[i])
    ++i;
  if (i == a.size())
    return a.size() != b.size();
  if (a.size() != b.size())
    return a.substr(i) == b.substr(i + 1);
  return a.substr(i + 1) == b.substr(i + 1) ||
         (i + 1 < a.size() && a[i] == b[i + 1] && a[i + 1] == b[i] &&
          a.substr(i + 2) == b.substr(i + 2));
}

/// The ID of the catalog that \p literal, which is none, misspells, or
/// null. Only a literal that could be a name is asked about (five
/// characters or more, no white space): a shorter one, or a phrase, is
/// likelier a search in a string ("file", "://") than a misspelt ID.
const IdIndex::Known *NearMiss(const IdIndex &index, std::string_view literal) {
  if (literal.size() < 5 ||
      std::any_of(literal.begin(), literal.end(), [](char c) {
        return std::isspace(static_cast<unsigned char>(c));
      }))
    return nullptr;
  if (index.forwards.Empty()) {
    for (const auto &[key, at] : index.byLower) {
      index.forwards.Add(key, at);
      index.backwards.Add(std::string(key.rbegin(), key.rend()), at);
    }
    index.forwards.Sort();
    index.backwards.Sort();
  }
  // One edit at or after any split leaves the text before it unchanged,
  // and one before it the text after the split's next character. So every
  // ID one edit away begins with the one or ends with the other, for each
  // split: the one that leaves the fewest such IDs is searched. Edits are
  // as many read backwards, so the reversed keys are compared reversed.
  const std::string lower = AsciiLower(literal);
  const std::string reversed(lower.rbegin(), lower.rend());
  const std::size_t n = lower.size();
  SortedKeys::Range head, tail;
  std::size_t fewest = static_cast<std::size_t>(-1);
  for (std::size_t split = 0; split < n && fewest > 0; ++split) {
    const SortedKeys::Range h =
        index.forwards.Beginning(std::string_view(lower).substr(0, split));
    const SortedKeys::Range t = index.backwards.Beginning(
        std::string_view(reversed).substr(0, n - split - 1));
    const auto count =
        static_cast<std::size_t>((h.second - h.first) + (t.second - t.first));
    if (count < fewest) {
      fewest = count;
      head = h;
      tail = t;
    }
  }
  for (auto it = head.first; it != head.second; ++it)
    if (OneEditApart(lower, it->first))
      return &index.known[it->second];
  for (auto it = tail.first; it != tail.second; ++it)
    if (OneEditApart(reversed, it->first))
      return &index.known[it->second];
  return nullptr;
}

IdIndex IndexIds(const CheckedSet &set) {
  IdIndex index;
  for (std::size_t i = 0; i < set.entries.size(); ++i) {
    const std::string &id = set.entries[i].id;
    const std::string_view base = Key::parse(id).stem;
    auto [at, added] =
        index.byLower.emplace(AsciiLower(base), index.known.size());
    if (added)
      index.known.push_back({std::string(base), set.Where(i)});
    index.byLower.emplace(AsciiLower(id), at->second);
    index.byName.emplace(CppNameOf(std::string(base)), at->second);
  }
  return index;
}

/// The innermost name of the header's namespace, which a program writes
/// before the objects' names.
std::string ObjectsNamespace(const UsageOptions &options) {
  std::string ns = options.nameSpace.empty() ? "msg" : options.nameSpace;
  if (const std::size_t colons = ns.rfind("::"); colons != std::string::npos)
    ns = ns.substr(colons + 2);
  return ns;
}

/// Checks the call whose name is token \p i: a literal ID it is passed
/// must be in the catalog.
void CheckCall(const std::vector<Token> &tokens, std::size_t i,
               const IdIndex &index, const std::string &file,
               Diagnostics &diag) {
  const Token &t = tokens[i];
  const int arg = IdArgument(t.text);
  const Token *literal =
      arg < 0 ? nullptr : LiteralArgument(tokens, i + 1, arg);
  if (!literal || index.byLower.count(AsciiLower(literal->text)))
    return;
  std::string message = t.text + "(\"" + literal->text + "\"): no ID '" +
                        literal->text + "' in the catalog";
  const IdIndex::Known *meant = NearMiss(index, literal->text);
  if (meant)
    message += " (did you mean '" + meant->id + "'?)";
  // A string's own find looks the same as a lookup, so only a literal one
  // edit from an ID is surely a misspelt one.
  if ((t.text == "find" || t.text == "contains") && !meant)
    diag.Warning(SourcePos{file, literal->line}, message);
  else
    diag.Error(SourcePos{file, literal->line}, message);
}

/// Marks the IDs \p file uses and reports the IDs it names that the catalog
/// lacks.
void ScanFile(const std::filesystem::path &file, const std::string &ns,
              IdIndex &index, Diagnostics &diag) {
  const std::vector<Token> tokens = Tokenize(ReadFileBytes(file.string()));
  const std::string name = file.string();
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const Token &t = tokens[i];
    if (t.kind == Token::String) {
      // Any literal that spells an ID counts as a use (tables of IDs).
      if (auto at = index.byLower.find(AsciiLower(t.text));
          at != index.byLower.end())
        index.known[at->second].used = true;
    } else if (t.kind == Token::Name && t.text == ns && i + 2 < tokens.size() &&
               tokens[i + 1].text == "::" &&
               tokens[i + 2].kind == Token::Name) {
      const Token &id = tokens[i + 2];
      if (auto at = index.byName.find(id.text); at != index.byName.end())
        index.known[at->second].used = true;
      else
        diag.Error(SourcePos{name, id.line},
                   "'" + ns + "::" + id.text + "' names no ID of the catalog");
    } else if (t.kind == Token::Name && i + 1 < tokens.size() &&
               tokens[i + 1].text == "(" && !IsOtherLibraryCall(tokens, i)) {
      CheckCall(tokens, i, index, name, diag);
    }
  }
}

/// Warns of each ID no file used and sums up the scan.
void ReportUnused(const IdIndex &index, std::size_t files, Diagnostics &diag) {
  std::size_t unused = 0;
  for (const IdIndex::Known &k : index.known)
    if (!k.used) {
      diag.Warning(k.where, "ID '" + k.id + "' is never used");
      ++unused;
    }
  std::cerr << "phrasor: " << files << " file" << (files == 1 ? "" : "s")
            << " scanned, " << index.known.size() - unused << " of "
            << index.known.size() << " IDs used\n";
}

} // namespace

int RunUsage(const UsageOptions &options) {
  Diagnostics diag(options.strict);
  std::optional<CheckedSet> set = LoadChecked(options.database, options.input,
                                              diag, SourceChecks::ReadOnly);
  if (!set)
    return kExitProblems;
  IdIndex index = IndexIds(*set);
  const std::string ns = ObjectsNamespace(options);
  std::vector<std::filesystem::path> files;
  for (const std::string &source : options.sources)
    AddFile(source, files);
  for (const std::filesystem::path &file : files)
    ScanFile(file, ns, index, diag);
  ReportUnused(index, files.size(), diag);
  return diag.ExitStatus();
}

} // namespace phrasor::tool
