//===- ArbWriter.cpp - ARB output -----------------------------------------===//
//
// Keys come in the order the @arb record kept, each message followed by
// its metadata, then the messages the record does not name, in the
// database's order. A message whose forms are those of the text the
// record kept is written as that text; any other as the ICU writer
// spells its forms.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/formats/arb/Arb.h"

#include "tools/phrasor/Metadata.h"
#include "tools/phrasor/formats/arb/ArbRecord.h"
#include "tools/phrasor/formats/shared/IcuEntries.h"

#include <algorithm>
#include <set>
#include <unordered_map>

namespace phrasor::tool {
namespace {

using OrderedJson = nlohmann::ordered_json;

ArbRecord RecordIn(const std::vector<TextEntry> &entries) {
  for (const TextEntry &e : entries)
    if (e.id == kArbId && e.value)
      return DecodeArbRecord(*e.value);
  return {};
}

/// The text as the file had it when the record's spelling gives the same
/// forms the database holds, else the ICU writer's.
const std::string &Spelling(const IcuText &t, const ArbRecord &record,
                            std::string &kept) {
  auto at = record.texts.find(t.id);
  if (at == record.texts.end() || !at->is_string())
    return t.text;
  IcuError error;
  std::string problem;
  std::optional<IcuCompiled> c = CompileIcu(at->get<std::string>(), error);
  std::optional<std::string> again =
      c ? WriteIcu(c->forms, c->args, problem) : std::nullopt;
  if (!again || *again != t.text)
    return t.text;
  kept = at->get<std::string>();
  return kept;
}

class ArbWriter {
public:
  ArbWriter(const ArbRecord &r, const Metadata &m) : record(r), meta(m) {}

  std::string Write(const std::vector<IcuText> &texts) {
    for (const IcuText &t : texts)
      byId.emplace(t.id, &t);
    ordered.insert(record.order.begin(), record.order.end());
    if (meta.locale && std::find(record.order.begin(), record.order.end(),
                                 "@@locale") == record.order.end())
      Put("@@locale", *meta.locale);
    for (const std::string &key : record.order)
      Key(key);
    for (const IcuText &t : texts)
      Message(t);
    return root.dump(2, ' ', false, OrderedJson::error_handler_t::replace) +
           "\n";
  }

private:
  void Put(const std::string &key, OrderedJson value) {
    if (written.insert(key).second)
      root.get_ref<OrderedJson::object_t &>().emplace_back(key,
                                                           std::move(value));
  }

  void Key(const std::string &key) {
    if (key == "@@locale") {
      if (meta.locale)
        Put(key, *meta.locale);
    } else if (key.rfind("@@", 0) == 0) {
      if (auto at = record.head.find(key); at != record.head.end())
        Put(key, *at);
    } else if (!key.empty() && key[0] == '@') {
      // Metadata stands where the file had it, whether the database holds
      // its message or lacks it.
      if (auto held = byId.find(key.substr(1)); held != byId.end())
        MetadataOf(*held->second);
      else if (auto at = record.meta.find(key.substr(1));
               at != record.meta.end())
        Put(key, *at);
    } else if (auto at = byId.find(key); at != byId.end()) {
      Message(*at->second);
    }
  }

  void Message(const IcuText &t) {
    if (written.count(t.id))
      return;
    std::string kept;
    Put(t.id, Spelling(t, record, kept));
    // A message the file did not give metadata a place of its own has it
    // after its text.
    if (!ordered.count("@" + t.id))
      MetadataOf(t);
  }

  void MetadataOf(const IcuText &t) {
    OrderedJson data = OrderedJson::object();
    if (auto at = record.meta.find(t.id); at != record.meta.end())
      data = *at;
    // A note given elsewhere (a merge, another format) is the description.
    const std::optional<std::string> &note = t.first->note;
    if (note && (!data.contains("description") ||
                 data["description"] != OrderedJson(*note)))
      data["description"] = *note;
    if (!data.empty() || record.meta.contains(t.id))
      Put("@" + t.id, std::move(data));
  }

  const ArbRecord &record;
  const Metadata &meta;
  OrderedJson root = OrderedJson::object();
  std::set<std::string> written;
  std::set<std::string> ordered; ///< the keys of record.order
  std::unordered_map<std::string, const IcuText *> byId;
};

/// How many of \p texts have forms with notes of their own: a message has
/// one description, its first form's.
std::size_t SplitNotes(const std::vector<IcuText> &texts) {
  return static_cast<std::size_t>(
      std::count_if(texts.begin(), texts.end(), [](const IcuText &t) {
        return std::any_of(
            t.forms.begin(), t.forms.end(),
            [&](const TextEntry *f) { return f->note != t.first->note; });
      }));
}

} // namespace

std::string WriteArb(const DumpSide &target, const DumpSide &,
                     const std::string &where, Diagnostics &diag) {
  const std::vector<TextEntry> entries =
      ToText(*target.entries, *target.meta, where, diag);
  std::vector<TextEntry> texts;
  for (const TextEntry &e : entries)
    if (e.id == kIcuArgsId || e.id.empty() || e.id[0] != '@')
      texts.push_back(e);
  const std::vector<IcuText> icu = ToIcuTexts(texts, where, diag);
  if (const std::size_t split = SplitNotes(icu))
    diag.Warning(where, std::to_string(split) +
                            (split == 1 ? " message has" : " messages have") +
                            " forms with notes of their own; an ARB message "
                            "has one description, its first form's");
  return ArbWriter(RecordIn(entries), *target.meta).Write(icu);
}

} // namespace phrasor::tool
