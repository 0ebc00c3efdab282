//===- ArbReader.cpp - ARB input ------------------------------------------===//
//
// The file is read whole as an ordered JSON object, with a parser callback
// that notes the line of each top-level key (and reports a key written
// twice, which the object would otherwise keep only once). Metadata may
// stand before or after its message, so it is gathered first.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/formats/arb/Arb.h"

#include "tools/phrasor/Metadata.h"
#include "tools/phrasor/formats/arb/ArbRecord.h"
#include "tools/phrasor/formats/shared/IcuEntries.h"
#include "tools/phrasor/formats/shared/JsonLines.h"

#include <algorithm>
#include <map>
#include <set>

namespace phrasor::tool {
namespace {

using OrderedJson = nlohmann::ordered_json;

/// The file's top-level object and the line of each of its keys; null
/// when it is no JSON object (reported).
struct ParsedArb {
  OrderedJson root;
  std::map<std::string, std::size_t> lines;
};

bool ParseArb(const std::string &file, std::string_view text, Diagnostics &diag,
              ParsedArb &out) {
  std::size_t lines = 0;
  auto noteKey = [&](int depth, OrderedJson::parse_event_t event,
                     OrderedJson &parsed) {
    if (depth != 1 || event != OrderedJson::parse_event_t::key)
      return true;
    const std::string key = parsed.get<std::string>();
    if (!out.lines.emplace(key, lines + 1).second)
      diag.Error(SourcePos{file, lines + 1},
                 "the key '" + key + "' is written twice");
    return true;
  };
  LineCountingIterator first(text.data(), &lines);
  LineCountingIterator last(text.data() + text.size(), &lines);
  try {
    out.root = OrderedJson::parse(first, last, noteKey);
  } catch (const OrderedJson::exception &ex) {
    // "[json.exception.parse_error.101] parse error at line 3, column 5:
    // syntax error ...": our prefix already names the place.
    const std::string what = ex.what();
    const std::size_t colon = what.find(": ");
    diag.Error(SourcePos{file, lines + 1},
               "invalid JSON: " + (colon == std::string::npos
                                       ? what
                                       : what.substr(colon + 2)));
    return false;
  }
  if (!out.root.is_object()) {
    diag.Error(SourcePos{file, 1}, "expected an object of messages");
    return false;
  }
  return true;
}

/// A message's description, its note to translators.
std::optional<std::string> Description(const OrderedJson &meta) {
  auto d = meta.find("description");
  if (d == meta.end() || !d->is_string() ||
      d->get_ref<const std::string &>().empty())
    return std::nullopt;
  return d->get<std::string>();
}

class ArbReader {
public:
  ArbReader(const std::string &file, Diagnostics &diag,
            std::vector<SourceEntry> &out)
      : path(file), diagnostics(diag), entries(out) {}

  void Read(const ParsedArb &parsed) {
    for (const auto &[key, value] : parsed.root.items())
      Gather(Pos(parsed, key), key, value);
    for (const auto &[key, value] : parsed.root.items())
      if (key.empty() || key[0] != '@')
        Message(Pos(parsed, key), key, value);
    if (!args.empty())
      AddEntry(SourcePos{path, 1}, kIcuArgsId, EncodeIcuArgs(args),
               std::nullopt, diagnostics, entries);
    if (!WrittenAlike())
      AddEntry(SourcePos{path, 1}, kArbId, EncodeArbRecord(record),
               std::nullopt, diagnostics, entries);
  }

private:
  /// True when a dump without the record writes the file as it is: no
  /// metadata, and the language before messages in the database's order.
  bool WrittenAlike() const {
    if (!record.head.empty() || !record.meta.empty() || !record.texts.empty())
      return false;
    auto first = record.order.begin();
    if (first != record.order.end() && *first == "@@locale")
      ++first;
    return std::is_sorted(first, record.order.end());
  }

  SourcePos Pos(const ParsedArb &parsed, const std::string &key) const {
    auto at = parsed.lines.find(key);
    return SourcePos{path, at == parsed.lines.end() ? 1 : at->second};
  }

  /// Notes the key's place, and keeps what is no message.
  void Gather(const SourcePos &pos, const std::string &key,
              const OrderedJson &value) {
    record.order.push_back(key);
    if (key == "@@locale") {
      if (value.is_string())
        AddEntry(pos, kLocaleId, value.get<std::string>(), std::nullopt,
                 diagnostics, entries);
      else
        diagnostics.Error(pos, "'@@locale' must be a language tag string");
    } else if (key.rfind("@@", 0) == 0) {
      record.head[key] = value;
    } else if (!key.empty() && key[0] == '@') {
      if (value.is_object())
        record.meta[key.substr(1)] = value;
      else
        diagnostics.Error(pos, "the metadata '" + key +
                                   "' must be an object, as "
                                   "{\"description\": \"...\"}");
    }
  }

  void Message(const SourcePos &pos, const std::string &id,
               const OrderedJson &value) {
    if (!value.is_string()) {
      diagnostics.Error(pos, "message '" + id +
                                 "': expected an ICU message text, found " +
                                 value.type_name());
      return;
    }
    const std::string &text = value.get_ref<const std::string &>();
    const std::size_t before = entries.size();
    if (!AddIcuForms(pos, id, text, std::nullopt, diagnostics, entries, args))
      return;
    auto meta = record.meta.find(id);
    if (meta != record.meta.end())
      if (std::optional<std::string> note = Description(*meta))
        for (std::size_t i = before; i < entries.size(); ++i)
          entries[i].note = note;
    KeepSpelling(id, text);
  }

  /// Keeps \p text when the ICU writer would give its forms back spelt
  /// otherwise (words shared outside a plural, other quoting), so that a
  /// dump of unchanged messages is the file read.
  void KeepSpelling(const std::string &id, const std::string &text) {
    IcuError error;
    std::optional<IcuCompiled> compiled = CompileIcu(text, error);
    std::string problem;
    std::optional<std::string> again =
        compiled ? WriteIcu(compiled->forms, compiled->args, problem)
                 : std::nullopt;
    if (!again || *again != text)
      record.texts[id] = text;
  }

  const std::string &path;
  Diagnostics &diagnostics;
  std::vector<SourceEntry> &entries;
  ArbRecord record;
  std::map<std::string, IcuArgs> args;
};

} // namespace

void ReadArb(const std::string &file, std::string_view text,
             const InputOptions &, Diagnostics &diag,
             std::vector<SourceEntry> &out) {
  ParsedArb parsed;
  if (ParseArb(file, text, diag, parsed))
    ArbReader(file, diag, out).Read(parsed);
}

std::string EncodeArbRecord(const ArbRecord &record) {
  OrderedJson root = OrderedJson::object();
  root["order"] = record.order;
  if (!record.head.empty())
    root["head"] = record.head;
  if (!record.meta.empty())
    root["meta"] = record.meta;
  if (!record.texts.empty())
    root["texts"] = record.texts;
  return root.dump(-1, ' ', false, OrderedJson::error_handler_t::replace);
}

ArbRecord DecodeArbRecord(std::string_view json) {
  ArbRecord r;
  const OrderedJson root = OrderedJson::parse(json, nullptr, false);
  if (!root.is_object())
    return r;
  if (auto order = root.find("order"); order != root.end() && order->is_array())
    for (const OrderedJson &k : *order)
      if (k.is_string())
        r.order.push_back(k.get<std::string>());
  for (auto [name, field] :
       {std::pair{"head", &r.head}, std::pair{"meta", &r.meta},
        std::pair{"texts", &r.texts}})
    if (auto at = root.find(name); at != root.end() && at->is_object())
      *field = *at;
  return r;
}

} // namespace phrasor::tool
