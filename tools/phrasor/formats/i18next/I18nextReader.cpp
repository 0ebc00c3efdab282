//===- I18nextReader.cpp - i18next JSON (v4) in ---------------------------===//
//
// Read in two passes: the nested objects are flattened into keys with
// their lines (through nlohmann's SAX interface, which sees every key, a
// repeated one too), then each key's suffixes are read against the keys
// the file has, as i18next's lookup needs the whole file to tell a
// context from a key with an '_' in it.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/formats/i18next/I18next.h"

#include "phrasor/Key.h"
#include "tools/phrasor/Metadata.h"
#include "tools/phrasor/checks/Plurals.h"
#include "tools/phrasor/formats/i18next/I18nextText.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <iterator>
#include <set>

namespace phrasor::tool {
namespace {

using Json = nlohmann::json;

/// Nesting deeper than this is refused, so no file exhausts the stack.
constexpr std::size_t kMaxDepth = 64;

/// Walks the text and counts the line breaks the parser has consumed.
class LineCounter {
public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char *;
  using reference = const char &;

  LineCounter(const char *p, std::size_t *lines) : at(p), lineCount(lines) {}
  reference operator*() const { return *at; }
  LineCounter &operator++() {
    *lineCount += *at == '\n';
    ++at;
    return *this;
  }
  LineCounter operator++(int) {
    LineCounter old = *this;
    ++*this;
    return old;
  }
  bool operator==(const LineCounter &o) const { return at == o.at; }
  bool operator!=(const LineCounter &o) const { return at != o.at; }

private:
  const char *at;
  std::size_t *lineCount;
};

struct FlatKey {
  std::string key, text;
  std::size_t line = 0;
};

class FlatSax : public nlohmann::json_sax<Json> {
public:
  FlatSax(const std::string &file, const std::size_t &lines, Diagnostics &d,
          std::vector<FlatKey> &out)
      : path(file), lineCount(lines), diag(d), keys(out) {}

  bool null() override { return Unexpected("null"); }
  bool boolean(bool) override { return Unexpected("a boolean"); }
  bool number_integer(number_integer_t) override {
    return Unexpected("a number");
  }
  bool number_unsigned(number_unsigned_t) override {
    return Unexpected("a number");
  }
  bool number_float(number_float_t, const string_t &) override {
    return Unexpected("a number");
  }
  bool binary(binary_t &) override { return Unexpected("binary data"); }
  bool string(string_t &val) override {
    if (path_.empty())
      return Unexpected("a string");
    keys.push_back({Joined(), val, lineCount + 1});
    path_.pop_back();
    return true;
  }
  bool start_object(std::size_t) override {
    if (++depth > kMaxDepth) {
      diag.Error(At(), "objects nested deeper than " +
                           std::to_string(kMaxDepth) + " levels");
      return false;
    }
    seen.emplace_back();
    return true;
  }
  bool end_object() override {
    --depth;
    seen.pop_back();
    if (!path_.empty())
      path_.pop_back();
    return true;
  }
  bool start_array(std::size_t) override {
    diag.Error(At(), "'" + Joined() +
                         "' is an array, which only i18next's returnObjects "
                         "reads; give each text a key of its own");
    return false;
  }
  bool end_array() override { return true; }
  bool key(string_t &val) override {
    if (!seen.back().insert(val).second) {
      diag.Error(At(), "'" + val + "' is written twice in the same object");
      return false;
    }
    path_.push_back(val);
    return true;
  }
  bool parse_error(std::size_t, const std::string &,
                   const nlohmann::detail::exception &ex) override {
    const std::string what = ex.what();
    const std::size_t colon = what.find(": ");
    diag.Error(At(), "invalid JSON: " + (colon == std::string::npos
                                             ? what
                                             : what.substr(colon + 2)));
    return false;
  }

private:
  SourcePos At() const { return {path, lineCount + 1}; }
  std::string Joined() const {
    // Every level adds its separator, an empty name's too, so that
    // {"": {"e": …}} is the key ".e" the writer made it from.
    std::string k;
    for (std::size_t i = 0; i < path_.size(); ++i)
      k += (i ? "." : "") + path_[i];
    return k;
  }
  bool Unexpected(const char *what) {
    diag.Error(At(), std::string(what) +
                         (path_.empty() ? "" : " for '" + Joined() + "'") +
                         " where i18next expects a text or an object");
    return false;
  }

  const std::string &path;
  const std::size_t &lineCount;
  Diagnostics &diag;
  std::vector<FlatKey> &keys;
  std::vector<std::string> path_;
  std::vector<std::set<std::string>> seen;
  std::size_t depth = 0;
};

/// A key split into its parts: "friend_male_one" is stem "friend",
/// context "male", plural "one".
struct KeyParts {
  std::string stem, context, plural;
  bool ordinal = false;
};

bool IsContextWord(std::string_view w) {
  return !w.empty() && w.size() <= 64 &&
         std::all_of(w.begin(), w.end(), [](char c) {
           return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
         });
}

/// The key without its plural suffix, which \p parts receives.
std::string WithoutPlural(const std::string &key, KeyParts &parts) {
  const std::size_t us = key.rfind('_');
  if (us == std::string::npos || us == 0)
    return key;
  const std::string cat = key.substr(us + 1);
  if (kPluralSelector.rank(cat) == kPluralSelector.categoryCount)
    return key;
  parts.plural = cat;
  std::string rest = key.substr(0, us);
  constexpr std::string_view ord = "_ordinal";
  if (rest.size() > ord.size() &&
      rest.compare(rest.size() - ord.size(), ord.size(), ord) == 0) {
    parts.ordinal = true;
    rest.resize(rest.size() - ord.size());
  }
  return rest;
}

class I18nextFileReader {
public:
  I18nextFileReader(const std::string &f, const InputOptions &o, Diagnostics &d,
                    std::vector<SourceEntry> &out)
      : file(f), options(o), diag(d), entries(out) {}
  void Read(const std::vector<FlatKey> &keys);

private:
  void Classify(const std::vector<FlatKey> &keys);
  std::string IdOf(const KeyParts &parts) const;
  void NameInserts(const std::vector<FlatKey> &keys);
  void Add(const FlatKey &key, const KeyParts &parts,
           const I18nextPieces &read);

  const std::string &file;
  const InputOptions &options;
  Diagnostics &diag;
  std::vector<SourceEntry> &entries;
  std::string locale;
  bool zeroCategory = false; ///< the language's rules have "zero"
  std::vector<KeyParts> parts;
  std::set<std::string> gendered; ///< stems whose contexts are a gender
  std::set<std::string> contexted;
  std::vector<I18nextPieces> pieces; ///< of each key, in file order
  I18nextNames names;                ///< by stem, in insert order
  I18nextNames spelled;
};

// A key's last '_word' is a context when the key without it is there, as
// a text or a plural: i18next falls back to that key. "other" is never
// one: the key without a context is already the select's other case, so
// "photos_other_few" beside "photos_one" is the plural of "photos_other",
// and reading it as a context would merge two keys the writer must keep.
void I18nextFileReader::Classify(const std::vector<FlatKey> &keys) {
  std::set<std::string> stems;
  for (const FlatKey &k : keys) {
    KeyParts p;
    p.stem = WithoutPlural(k.key, p);
    stems.insert(p.stem);
    parts.push_back(std::move(p));
  }
  std::map<std::string, bool> onlyGender;
  for (KeyParts &p : parts) {
    const std::size_t us = p.stem.rfind('_');
    if (us == std::string::npos || us == 0 ||
        !IsContextWord(p.stem.substr(us + 1)) ||
        p.stem.compare(us + 1, std::string::npos, "other") == 0 ||
        !stems.count(p.stem.substr(0, us)))
      continue;
    p.context = p.stem.substr(us + 1);
    p.stem.resize(us);
    contexted.insert(p.stem);
    const auto at = onlyGender.emplace(p.stem, true).first;
    at->second = at->second && (p.context == "male" || p.context == "female");
  }
  for (const auto &stem : onlyGender)
    if (stem.second)
      gendered.insert(stem.first);
}

std::string I18nextFileReader::IdOf(const KeyParts &p) const {
  std::string id = p.stem;
  if (contexted.count(p.stem)) {
    const bool gender = gendered.count(p.stem) != 0;
    const std::string word = p.context.empty()     ? "other"
                             : !gender             ? p.context
                             : p.context == "male" ? "masculine"
                                                   : "feminine";
    id += (gender ? "#gender-" : "#select-") + word;
  }
  if (p.plural.empty())
    return id;
  if (p.ordinal)
    return id + "#ordinal-" + p.plural;
  // i18next shows "_zero" for a count of 0 in every language, and for the
  // whole CLDR category where the language has one.
  if (p.plural == "zero" && !zeroCategory)
    return id + "#=0";
  return id + "#" + p.plural;
}

void I18nextFileReader::NameInserts(const std::vector<FlatKey> &keys) {
  std::map<std::string, std::vector<std::string>> bare;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    I18nextPieces read = SplitI18next(keys[i].text);
    for (const I18nextPiece &piece : read.pieces)
      if (piece.insert) {
        bare[parts[i].stem].push_back(piece.name);
        std::vector<std::string> &s = spelled[parts[i].stem];
        s.push_back(piece.text.substr(2, piece.text.size() - 4));
      }
    pieces.push_back(std::move(read));
  }
  for (auto &stem : bare)
    names[stem.first] = NumberI18nextNames(stem.second);
}

void I18nextFileReader::Add(const FlatKey &key, const KeyParts &p,
                            const I18nextPieces &read) {
  const SourcePos pos{file, key.line};
  // An ID's '#' starts a variant; taken from a key it would make the key
  // a variant of another that i18next never sees as related.
  if (key.key.find('#') != std::string::npos) {
    diag.Error(pos, "'" + key.key +
                        "': '#' marks a variant in this tool's IDs; an "
                        "i18next key cannot hold it");
    return;
  }
  if (!read.problem.empty()) {
    diag.Error(pos, "'" + key.key + "': " + read.problem);
    return;
  }
  if (!read.HasInserts()) {
    AddEntry(pos, IdOf(p), key.text, std::nullopt, diag, entries,
             TextKind::Plain);
    return;
  }
  AddEntry(pos, IdOf(p), I18nextToMessage(read.pieces, names.at(p.stem)),
           std::nullopt, diag, entries, TextKind::Message);
}

void I18nextFileReader::Read(const std::vector<FlatKey> &keys) {
  locale = I18nextFolderLocale(
      std::filesystem::path(file).parent_path().filename().string());
  const std::string rulesOf = locale.empty() ? options.locale : locale;
  if (!rulesOf.empty()) {
    const LocaleCategories cats = CategoriesOf(rulesOf);
    zeroCategory =
        std::find(cats.all.begin(), cats.all.end(), "zero") != cats.all.end();
  }
  if (!locale.empty())
    AddEntry({file, 1}, kLocaleId, locale, std::nullopt, diag, entries);
  Classify(keys);
  NameInserts(keys);
  for (std::size_t i = 0; i < keys.size(); ++i)
    Add(keys[i], parts[i], pieces[i]);
  // Each name as the file first wrote it, in insert order.
  I18nextNames record;
  for (const auto &stem : names) {
    std::vector<std::string> &out = record[stem.first];
    for (const std::string &name : stem.second) {
      std::string as = name;
      for (const std::string &s : spelled[stem.first])
        if (BareI18nextName(s) == name) {
          as = s;
          break;
        }
      out.push_back(name.empty() ? std::string() : as);
    }
  }
  if (!record.empty())
    AddEntry({file, 1}, kI18nextId, EncodeI18nextNames(record), std::nullopt,
             diag, entries, TextKind::Plain);
}

bool IsLetters(std::string_view s, std::size_t min, std::size_t max) {
  return s.size() >= min && s.size() <= max &&
         std::all_of(s.begin(), s.end(), [](char c) {
           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                  (c >= '0' && c <= '9');
         });
}

} // namespace

std::string I18nextFolderLocale(std::string_view folder) {
  std::string tag;
  std::size_t at = 0;
  for (bool first = true;; first = false) {
    const std::size_t end = folder.find_first_of("-_", at);
    const std::string_view part = folder.substr(at, end - at);
    if (first ? !IsLetters(part, 2, 3) ||
                    !std::all_of(part.begin(), part.end(),
                                 [](char c) { return c >= 'a' && c <= 'z'; })
              : !IsLetters(part, 2, 4))
      return {};
    tag += (first ? "" : "-") + std::string(part);
    if (end == std::string_view::npos)
      return tag;
    at = end + 1;
  }
}

std::string EncodeI18nextNames(const I18nextNames &names) {
  Json j = Json::object();
  for (const auto &stem : names)
    j[stem.first] = stem.second;
  return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

I18nextNames DecodeI18nextNames(std::string_view text) {
  I18nextNames names;
  const Json j = Json::parse(text, nullptr, false);
  if (!j.is_object())
    return names;
  for (const auto &item : j.items()) {
    if (!item.value().is_array())
      continue;
    std::vector<std::string> &out = names[item.key()];
    for (const Json &n : item.value())
      out.push_back(n.is_string() ? n.get<std::string>() : std::string());
  }
  return names;
}

void ReadI18next(const std::string &file, std::string_view text,
                 const InputOptions &options, Diagnostics &diag,
                 std::vector<SourceEntry> &out) {
  std::vector<FlatKey> keys;
  std::size_t lines = 0;
  const std::size_t errors = diag.Errors();
  FlatSax sax(file, lines, diag, keys);
  LineCounter first(text.data(), &lines);
  LineCounter last(text.data() + text.size(), &lines);
  Json::sax_parse(first, last, &sax);
  if (diag.Errors() != errors)
    return;
  I18nextFileReader(file, options, diag, out).Read(keys);
}

} // namespace phrasor::tool
