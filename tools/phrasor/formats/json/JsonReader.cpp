//===- JsonReader.cpp - JSON input ----------------------------------------===//
//
//   { "ID": "value",
//     "ID": { "value": "text" | null, "voice": "path" | null,
//             "kind": "text" | "message" | "printf", "max": 12,
//             "note": "to translators" },
//     "ID": { "one": "text", "few": "text", ..., "kind": ... },
//     "ID": null,
//     "@locale": "fr-CA" }
//
// Under --syntax icu every string value is an ICU MessageFormat text,
// compiled into its forms (IcuEntries.h).
//
// An object whose keys are plural categories is a plural text: it gives
// the entries ID#one, ID#few and so on.
//
// Parsed through nlohmann's SAX interface so that every key is seen, even
// a repeated one (a DOM would keep only one of them), and with an input
// iterator that counts line breaks so each entry knows its line.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/formats/json/Json.h"

#include "phrasor/Key.h"
#include "tools/phrasor/Metadata.h"
#include "tools/phrasor/formats/shared/IcuEntries.h"
#include "tools/phrasor/formats/shared/JsonLines.h"

#include <nlohmann/json.hpp>

#include <map>
#include <set>
#include <utility>

namespace phrasor::tool {
namespace {

using Json = nlohmann::json;

class EntrySax : public nlohmann::json_sax<Json> {
public:
  EntrySax(const std::string &file, const std::size_t &lines, Diagnostics &diag,
           std::vector<SourceEntry> &out, bool icuSyntax)
      : path(file), lineCount(lines), diagnostics(diag), entries(out),
        icu(icuSyntax) {}

  bool null() override {
    if (depth == 0)
      return Unexpected("null");
    if (depth == 1)
      Finish(std::nullopt, std::nullopt);
    else if (depth == 2 && !skipping)
      Field() = std::nullopt;
    else
      Unexpected("null");
    return true;
  }
  bool boolean(bool) override { return Unexpected("a boolean"); }
  bool number_integer(number_integer_t) override {
    return Unexpected("a number");
  }
  bool number_unsigned(number_unsigned_t val) override {
    // A length limit is the one number an entry holds.
    if (depth == 2 && !skipping && current == &maxText) {
      maxText = std::to_string(val);
      return true;
    }
    return Unexpected("a number");
  }
  bool number_float(number_float_t, const string_t &) override {
    return Unexpected("a number");
  }
  bool binary(binary_t &) override { return Unexpected("binary data"); }

  bool string(string_t &val) override {
    if (depth == 0)
      return Unexpected("a string");
    if (depth == 1)
      Finish(val, std::nullopt);
    else if (depth == 2 && !skipping)
      Field() = val;
    else
      Unexpected("a string");
    return true;
  }

  bool start_object(std::size_t) override {
    ++depth;
    if (depth == 2) {
      valueText.reset();
      voiceText.reset();
      kindText.reset();
      maxText.reset();
      noteText.reset();
      forms.clear();
      keys.clear();
      skipping = false;
      current = nullptr;
    } else if (depth > 2) {
      Unexpected("an object");
    }
    return true;
  }
  bool end_object() override {
    if (depth == 2 && !skipping)
      Finish(valueText, voiceText);
    if (depth == 1 && !icuArgs.empty())
      AddEntry(SourcePos{path, idLine}, kIcuArgsId, EncodeIcuArgs(icuArgs),
               std::nullopt, diagnostics, entries);
    --depth;
    return true;
  }
  bool start_array(std::size_t) override {
    if (!Unexpected("an array"))
      return false;
    ++depth;
    if (depth >= 2)
      skipping = true; // the elements are not fields of an entry
    return true;
  }
  bool end_array() override {
    --depth;
    return true;
  }

  bool key(string_t &val) override {
    if (depth == 1) {
      id = val;
      idLine = lineCount + 1;
    } else if (depth == 2 && !skipping) {
      // A repeated key would otherwise replace what came first, unseen.
      if (!keys.insert(val).second) {
        diagnostics.Error(SourcePos{path, lineCount + 1},
                          "entry '" + id + "' has the key '" + val + "' twice");
        skipping = true;
        return true;
      }
      if (val == "value")
        current = &valueText;
      else if (val == "voice")
        current = &voiceText;
      else if (val == "kind")
        current = &kindText;
      else if (val == "max")
        current = &maxText;
      else if (val == "note")
        current = &noteText;
      else if (kPluralSelector.rank(val) < kPluralSelector.categoryCount)
        current = &forms[kPluralSelector.rank(val)];
      else {
        diagnostics.Error(SourcePos{path, lineCount + 1},
                          "unknown key '" + val + "' in entry '" + id +
                              "' (expected value, voice, kind, max, note "
                              "or plural categories; an i18next file is "
                              "read with --input-format i18next)");
        skipping = true;
      }
    }
    return true;
  }

  bool parse_error(std::size_t, const std::string &,
                   const nlohmann::detail::exception &ex) override {
    // nlohmann's text reads "[json.exception.parse_error.101] parse error
    // at line 3, column 5: syntax error ..."; keep only the last part, our
    // prefix already names the place.
    std::string what = ex.what();
    std::size_t colon = what.find(": ");
    std::string detail =
        colon == std::string::npos ? what : what.substr(colon + 2);
    diagnostics.Error(SourcePos{path, lineCount + 1},
                      "invalid JSON: " + detail);
    return false;
  }

private:
  std::optional<std::string> &Field() {
    static std::optional<std::string> Sink;
    return current ? *current : Sink;
  }

  bool Unexpected(const char *what) {
    if (depth == 0) {
      diagnostics.Error(SourcePos{path, lineCount + 1},
                        std::string("expected an object of IDs, found ") +
                            what);
      return false; // nothing below a wrong top level is an entry
    }
    if (!skipping) {
      diagnostics.Error(SourcePos{path, depth == 1 ? idLine : lineCount + 1},
                        std::string("entry '") + id +
                            "': expected a string or an "
                            "object with value and voice, found " +
                            what);
      if (depth >= 2)
        skipping = true;
    }
    return true;
  }

  void Finish(const std::optional<std::string> &value,
              const std::optional<std::string> &voice) {
    const SourcePos pos{path, idLine};
    const bool first = std::exchange(firstMember, false);
    if (depth == 1 && id == kKeysId) {
      if (first && value == kSourceTextKeys)
        origin = IdOrigin::SourceText;
      else
        diagnostics.Error(pos, std::string("'") + kKeysId +
                                   "' must be the first member and say '" +
                                   kSourceTextKeys + "'");
      return;
    }
    std::optional<TextKind> kind;
    if (depth == 2 && kindText)
      kind = ReadKindName(pos, *kindText, diagnostics);
    std::optional<unsigned> max;
    if (depth == 2 && maxText)
      max = ReadLimit(pos, *maxText, diagnostics);
    const std::size_t before = entries.size();
    AddEntries(pos, value, voice, kind);
    // Every form of a plural text has the limit and note of the text.
    for (std::size_t i = before; i < entries.size(); ++i) {
      entries[i].max = max;
      if (depth == 2 && noteText && !noteText->empty())
        entries[i].note = noteText;
    }
  }

  void AddEntries(const SourcePos &pos, const std::optional<std::string> &value,
                  const std::optional<std::string> &voice,
                  std::optional<TextKind> kind) {
    if (depth == 2 && !forms.empty()) {
      if (value || voice) {
        diagnostics.Error(pos, "entry '" + id +
                                   "' has both plural forms and a value or "
                                   "voice");
        return;
      }
      for (const auto &[rank, form] : forms)
        AddEntry(pos,
                 Key::of(id)
                     .form(kPluralSelector, kPluralSelector.categories[rank])
                     .print(),
                 form, std::nullopt, diagnostics, entries, kind, origin);
      return;
    }
    if (icu && value && !id.empty() && id[0] != '@' &&
        origin == IdOrigin::Name) {
      const std::size_t before = entries.size();
      if (AddIcuForms(pos, id, *value, voice, diagnostics, entries, icuArgs) &&
          kind)
        for (std::size_t i = before; i < entries.size(); ++i)
          entries[i].kind = kind;
      return;
    }
    AddEntry(pos, id, value, voice, diagnostics, entries, kind, origin);
  }

  const std::string &path;
  const std::size_t &lineCount;
  Diagnostics &diagnostics;
  std::vector<SourceEntry> &entries;
  int depth = 0;
  std::string id;
  std::size_t idLine = 0;
  std::optional<std::string> valueText, voiceText, kindText, maxText, noteText;
  std::map<std::size_t, std::optional<std::string>> forms; ///< by rank
  std::set<std::string> keys; ///< of the entry's object, so far
  std::optional<std::string> *current = nullptr;
  bool skipping = false;
  bool firstMember = true;
  IdOrigin origin = IdOrigin::Name; ///< as the file's "@keys" says
  bool icu = false;                 ///< values are ICU MessageFormat texts
  std::map<std::string, IcuArgs> icuArgs; ///< of the texts read so far
};

} // namespace

void ReadJson(const std::string &file, std::string_view text, Diagnostics &diag,
              std::vector<SourceEntry> &out, bool icu) {
  std::size_t lines = 0;
  EntrySax sax(file, lines, diag, out, icu);
  LineCountingIterator first(text.data(), &lines);
  LineCountingIterator last(text.data() + text.size(), &lines);
  Json::sax_parse(first, last, &sax);
}

} // namespace phrasor::tool
