//===- IcuEntries.cpp - ICU texts as entries, entries as ICU texts --------===//

#include "tools/phrasor/formats/shared/IcuEntries.h"

#include <unordered_map>

namespace phrasor::tool {

bool AddIcuForms(const SourcePos &pos, const std::string &id,
                 const std::string &text,
                 const std::optional<std::string> &voice, Diagnostics &diag,
                 std::vector<SourceEntry> &out,
                 std::map<std::string, IcuArgs> &record) {
  IcuError error;
  std::optional<IcuCompiled> compiled = CompileIcu(text, error);
  if (!compiled) {
    diag.Error(pos, "entry '" + id + "': invalid ICU message " +
                        IcuErrorPlace(text, error.offset) + ": " +
                        error.message);
    return false;
  }
  if (voice && compiled->forms.size() > 1) {
    diag.Error(pos, "entry '" + id +
                        "': a voice path goes with one text, and this ICU "
                        "text has " +
                        std::to_string(compiled->forms.size()) + " forms");
    return false;
  }
  for (const IcuForm &f : compiled->forms) {
    // A text with '%' is a message even where inference would doubt it
    // ("50%% off"); one without reads the same either way.
    std::optional<TextKind> kind;
    if (f.text.find('%') != std::string::npos)
      kind = TextKind::Message;
    AddEntry(pos, id + f.suffix, f.text, voice, diag, out, kind);
  }
  if (!compiled->args.names.empty() || !compiled->args.select.empty() ||
      !compiled->args.plural.empty())
    record[id] = compiled->args;
  return true;
}

namespace {

/// The ID a stored form belongs to: the longest recorded ID it extends
/// by a '#', else the part before its first '#'.
std::string BaseId(const std::string &id,
                   const std::map<std::string, IcuArgs> &record) {
  for (std::size_t hash = id.rfind('#'); hash != std::string::npos && hash;
       hash = id.rfind('#', hash - 1))
    if (record.count(id.substr(0, hash)))
      return id.substr(0, hash);
  if (record.count(id))
    return id;
  const Key key = Key::parse(id);
  return key.selector ? key.stemText() : id;
}

std::map<std::string, IcuArgs> RecordIn(const std::vector<TextEntry> &entries) {
  for (const TextEntry &e : entries)
    if (e.id == kIcuArgsId && e.value)
      return DecodeIcuArgs(*e.value);
  return {};
}

void WarnLeftOut(const std::string &where, const std::string &problem,
                 const std::vector<std::string> &ids, Diagnostics &diag) {
  std::string examples;
  for (std::size_t i = 0; i < ids.size() && i < 3; ++i)
    examples += (i ? ", '" : "'") + ids[i] + "'";
  diag.Warning(where, std::to_string(ids.size()) +
                          (ids.size() == 1 ? " entry" : " entries") +
                          " cannot be written as ICU texts (" + problem +
                          "): " + examples + (ids.size() > 3 ? ", ..." : "") +
                          "; left out");
}

} // namespace

std::vector<IcuText> ToIcuTexts(const std::vector<TextEntry> &entries,
                                const std::string &where, Diagnostics &diag) {
  const std::map<std::string, IcuArgs> record = RecordIn(entries);
  std::vector<std::pair<IcuText, std::vector<IcuForm>>> groups;
  std::unordered_map<std::string, std::size_t> at;
  for (const TextEntry &e : entries) {
    if (e.id == kIcuArgsId || !e.value)
      continue;
    const std::string base = BaseId(e.id, record);
    auto [it, fresh] = at.emplace(base, groups.size());
    if (fresh)
      groups.push_back({IcuText{base, std::string(), &e, {}}, {}});
    groups[it->second].second.push_back(
        IcuForm{e.id.substr(base.size()), *e.value});
    groups[it->second].first.forms.push_back(&e);
  }
  std::vector<IcuText> out;
  out.reserve(groups.size());
  // What cannot be spelled is left out with one warning per reason, so a
  // dump of many such texts still finishes and says what it dropped.
  std::map<std::string, std::vector<std::string>> lost;
  static const IcuArgs kNone;
  for (auto &g : groups) {
    auto args = record.find(g.first.id);
    std::string problem;
    std::optional<std::string> text = WriteIcu(
        g.second, args == record.end() ? kNone : args->second, problem);
    if (!text) {
      lost[problem].push_back(g.first.id);
      continue;
    }
    g.first.text = std::move(*text);
    out.push_back(std::move(g.first));
  }
  for (const auto &[problem, ids] : lost)
    WarnLeftOut(where, problem, ids, diag);
  return out;
}

} // namespace phrasor::tool
