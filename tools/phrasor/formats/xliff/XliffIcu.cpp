//===- XliffIcu.cpp - XLIFF units that hold ICU MessageFormat texts -------===//

#include "tools/phrasor/formats/xliff/XliffIcu.h"

#include "phrasor/Key.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/formats/shared/IcuEntries.h"
#include "tools/phrasor/formats/shared/IcuParse.h"

#include <algorithm>

#include <set>

namespace phrasor::tool {

bool AddXliffIcuForms(const SourcePos &pos, const std::string &id,
                      const std::string &value, const std::string *source,
                      const std::optional<std::string> &voice,
                      std::optional<TextKind> kind, Diagnostics &diag,
                      std::vector<SourceEntry> &out,
                      std::map<std::string, IcuArgs> &record) {
  // The source is what the translator translates from: a malformed one
  // would be shown to them as it is, and is as much an error.
  bool sound = true;
  IcuError error;
  if (source && !CompileIcu(*source, error)) {
    diag.Error(pos, "entry '" + id + "': invalid ICU message in its source " +
                        IcuErrorPlace(*source, error.offset) + ": " +
                        error.message);
    sound = false;
  }
  const std::size_t before = out.size();
  if (!AddIcuForms(pos, id, value, voice, diag, out, record))
    return false;
  if (kind)
    for (std::size_t i = before; i < out.size(); ++i)
      out[i].kind = kind;
  return sound;
}

namespace {

/// Review states from the least reviewed on; an unrecorded state is
/// "translated".
int StateRank(const std::string &state) {
  return state == "needs-review" ? 0
         : state == "reviewed"   ? 2
         : state == "final"      ? 3
                                 : 1;
}

std::string StateOf(const Metadata &meta, const std::string &id) {
  const auto found = meta.states.find(id);
  return found == meta.states.end() ? std::string() : found->second;
}

/// The message a form without a value belongs to: its ID without any
/// selector.
std::string MessageOf(const std::string &id) {
  std::string base = id;
  for (Key key = Key::parse(base); key.selector; key = Key::parse(base))
    base = key.stemText();
  return base;
}

void ArgumentOffsets(const icu::Message &message,
                     std::vector<std::size_t> &out) {
  for (const icu::Node &n : message) {
    if (n.kind == icu::NodeKind::Arg || n.kind == icu::NodeKind::Number)
      out.push_back(n.offset);
    for (const icu::Branch &b : n.branches)
      ArgumentOffsets(b.message, out);
  }
}

} // namespace

std::vector<std::size_t> IcuArgumentStarts(std::u16string_view text) {
  const std::optional<std::string> utf8 = Utf16ToUtf8(text);
  IcuError error;
  const std::optional<icu::Message> parsed =
      utf8 ? icu::Parse(*utf8, error) : std::nullopt;
  std::vector<std::size_t> bytes, out;
  if (!parsed)
    return out;
  ArgumentOffsets(*parsed, bytes);
  std::sort(bytes.begin(), bytes.end());
  // Byte offsets to UTF-16 ones: a lead byte begins one unit, or two
  // past U+FFFF.
  std::size_t units = 0, at = 0;
  for (const std::size_t offset : bytes) {
    for (; at < offset && at < utf8->size(); ++at) {
      const auto b = static_cast<unsigned char>((*utf8)[at]);
      units += (b & 0xC0) == 0x80 ? 0 : b >= 0xF0 ? 2 : 1;
    }
    out.push_back(units);
  }
  return out;
}

XliffIcuSides::XliffIcuSides(const DumpSide &target, const DumpSide &source,
                             const std::string &where, Diagnostics &diag) {
  Fold(target, where, diag, targetEntries, targetMeta);
  hasSource = source.entries != nullptr;
  if (hasSource)
    Fold(source, where, diag, sourceEntries, sourceMeta);
  Warn(where, diag);
}

void XliffIcuSides::Fold(const DumpSide &side, const std::string &where,
                         Diagnostics &diag,
                         std::vector<authoring::Entry> &entries,
                         Metadata &meta) {
  meta = *side.meta;
  meta.kinds.clear();
  meta.limits.clear();
  meta.notes.clear();
  meta.states.clear();
  std::vector<TextEntry> texts, absent;
  std::vector<authoring::Entry> own;
  for (TextEntry &e : ToText(*side.entries, *side.meta, where, diag)) {
    // The tool's own entries are no ICU texts: they travel as stored.
    if (!e.id.empty() && e.id[0] == '@' && e.id != kIcuArgsId)
      own.push_back(
          {e.id, e.value ? Utf8ToUtf16(*e.value) : std::nullopt, e.voice});
    else
      (e.value || e.id == kIcuArgsId ? texts : absent).push_back(std::move(e));
  }
  std::set<std::string> messages;
  for (const IcuText &t : ToIcuTexts(texts, where, diag)) {
    messages.insert(t.id);
    const TextEntry &first = *t.forms.front();
    const bool alone = t.forms.size() == 1 && first.id == t.id;
    entries.push_back(
        {t.id, Utf8ToUtf16(t.text), alone ? first.voice : std::nullopt});
    bool notes = false, limits = false, states = false, voices = false;
    std::string state = StateOf(*side.meta, first.id);
    for (const TextEntry *f : t.forms) {
      notes = notes || f->note != first.note;
      limits = limits || f->max != first.max;
      voices = voices || (!alone && f->voice);
      const std::string s = StateOf(*side.meta, f->id);
      states = states || s != state;
      if (StateRank(s) < StateRank(state))
        state = s;
    }
    lost.notes += notes;
    lost.limits += limits;
    lost.states += states;
    lost.voices += voices;
    if (first.note)
      meta.notes[t.id] = *first.note;
    if (first.max)
      meta.limits[t.id] = *first.max;
    if (!state.empty())
      meta.states[t.id] = state;
  }
  // A message not translated yet is one unit without a target; forms of
  // a message that has others cannot be told apart from missing ones.
  for (const TextEntry &e : absent) {
    const std::string base = MessageOf(e.id);
    lost.absent += base != e.id || messages.count(base);
    if (messages.insert(base).second)
      entries.push_back(
          {base, std::nullopt, base == e.id ? e.voice : std::nullopt});
  }
  entries.insert(entries.end(), own.begin(), own.end());
}

void XliffIcuSides::Warn(const std::string &where, Diagnostics &diag) const {
  auto warn = [&](std::size_t n, const std::string &what) {
    if (n)
      diag.Warning(where,
                   std::to_string(n) +
                       (n == 1 ? " ICU message has" : " ICU messages have") +
                       " forms with " + what);
  };
  warn(lost.notes, "different notes; each unit gets its first form's");
  warn(lost.limits, "different length limits; each unit gets its first form's");
  warn(lost.states, "different review states; each unit gets the least "
                    "reviewed of them");
  warn(lost.voices, "voice paths, which a unit of several forms cannot "
                    "carry; written without them");
  warn(lost.absent, "no value, which one ICU text cannot say apart; "
                    "written as untranslated or left out");
}

} // namespace phrasor::tool
