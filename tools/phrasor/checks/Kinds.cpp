//===- Kinds.cpp - What a stored value is: text, message or printf --------===//

#include "tools/phrasor/checks/Kinds.h"

#include "cpp/Numbers.h"
#include "cpp/Particles.h"
#include "format/TextKind.h"

#include "tools/phrasor/Utf.h"
#include "tools/phrasor/files/FileIo.h"

#include <algorithm>
#include <iterator>

namespace phrasor::tool {

namespace {

/// \p value in the runtime's form, in a buffer reused from call to call:
/// every value of a build is inferred, and a string of its own for each
/// was an allocation per entry. Valid until the next call.
const RuntimeString &InRuntimeForm(std::u16string_view value) {
  static thread_local RuntimeString buffer;
  buffer.assign(value.begin(), value.end());
  return buffer;
}

} // namespace

KindReading InferKind(std::u16string_view value) {
  // Stored values end at their first zero, as the runtime reads them.
  const RuntimeString &text = InRuntimeForm(value);
  const KindInference inferred = InferTextKind(text.c_str());
  KindReading r;
  r.kind = inferred.kind;
  // "%'d" is printf with the grouping flag, and "%(이/가)s" printf with a
  // particle pair, as the C++ layer reads them.
  if (inferred.kind == TextKind::Plain &&
      inferred.doubt == KindDoubt::LonePercent &&
      InferTextKind(withoutGroupingFlags(
                        takeParticles(text.c_str(), Style::Printf).text.c_str(),
                        Style::Printf)
                        .c_str())
              .kind == TextKind::Printf) {
    r.kind = TextKind::Printf;
    return r;
  }
  if (inferred.doubt == KindDoubt::DoubledPercent)
    r.doubt = "'%%' takes no argument, so as a text it shows two percent "
              "signs; write '%' alone, or mark the entry printf or message "
              "if the program formats it";
  else if (inferred.doubt == KindDoubt::LonePercent)
    r.doubt = "'%' at character " + std::to_string(inferred.percentAt) +
              " is neither an insert nor a printf conversion; stored as text "
              "and shown as written";
  return r;
}

namespace {

ValueReport CheckReadAs(std::u16string_view value, TextKind kind) {
  ValueReport r;
  if (kind == TextKind::Message) {
    r.kind = TextKind::Message;
    r.message = ReadAsMessage(value);
    if (r.message.ok)
      CheckMessageInserts(r);
    else
      r.errors.push_back("not a valid message: " + r.message.problem +
                         (value.find(u'%') != std::u16string_view::npos
                              ? " (a percent sign in a message is written %%)"
                              : ""));
  } else if (kind == TextKind::Printf) {
    r.kind = TextKind::Printf;
    r.printf = CheckPrintfFormat(value);
    if (!r.printf.ok)
      r.errors.push_back("not a valid printf format: " + r.printf.problem +
                         " (a percent sign in a format is written %%)");
  }
  return r;
}

} // namespace

std::optional<std::u16string> WithoutGroupingFlags(std::u16string_view value,
                                                   TextKind kind) {
  if (kind == TextKind::Plain)
    return std::nullopt;
  const Style style =
      kind == TextKind::Message ? Style::Message : Style::Printf;
  const RuntimeString text = ToRuntime(value);
  if (!rewriteNumbers(text.c_str(), style).flagged)
    return std::nullopt;
  return FromRuntime(withoutGroupingFlags(text.c_str(), style).c_str());
}

std::optional<std::u16string> WithoutLayerMarks(std::u16string_view value,
                                                TextKind kind) {
  if (kind == TextKind::Plain)
    return std::nullopt;
  const Style style =
      kind == TextKind::Message ? Style::Message : Style::Printf;
  const ParticleForm cut = takeParticles(ToRuntime(value).c_str(), style);
  if (cut.inserts.empty() && !rewriteNumbers(cut.text.c_str(), style).flagged)
    return std::nullopt;
  return FromRuntime(withoutGroupingFlags(cut.text.c_str(), style).c_str());
}

namespace {

// The particle pairs of \p value: a bracket that is no pair, or a pair on
// an insert that takes no text, is an error; a text with pairs needs the
// C++ layer.
void CheckParticles(const ParticleForm &cut, ValueReport &r) {
  const std::size_t errors = r.errors.size();
  for (const ParticleInsert &p : cut.inserts)
    for (const MessageInsert &insert : r.message.inserts)
      if (insert.field == p.argument + 1 && !insert.spec.empty() &&
          insert.spec.back() != u's' && insert.spec.back() != u'S')
        r.errors.push_back("insert %" + std::to_string(insert.field) +
                           " carries a particle pair and needs to be a text "
                           "insert (s)");
  // One value is written for every insert of a field, so they all carry
  // the same pair or none.
  for (const ParticleInsert &p : cut.inserts) {
    const auto ofField = [&](const MessageInsert &insert) {
      return insert.field == p.argument + 1;
    };
    const auto samePair = [&](const ParticleInsert &q) {
      return q.argument == p.argument && q.pair == p.pair;
    };
    if (std::count_if(r.message.inserts.begin(), r.message.inserts.end(),
                      ofField) >
        std::count_if(cut.inserts.begin(), cut.inserts.end(), samePair)) {
      r.errors.push_back("insert %" + std::to_string(p.argument + 1) +
                         " is written with two particles, or with one and "
                         "without; give the value twice, as two inserts");
      break;
    }
  }
  if (!cut.inserts.empty() && r.errors.size() == errors)
    r.warnings.push_back(
        "carries a Korean particle pair (such as %1!(은/는)s!): only the C++ "
        "layer writes the particle, the runtime's own calls refuse the text");
}

} // namespace

ValueReport CheckValueAs(std::u16string_view value, TextKind kind) {
  // A text has no marks to take away; the others are cut once, and the
  // pieces serve both the check and the layer's own marks.
  // Only a '(' begins a particle pair and only a '\'' is the grouping
  // flag: a value with neither has no marks, and is read as it is without
  // the copies cutting them out takes.
  if (kind == TextKind::Plain ||
      value.find_first_of(u"('") == std::u16string_view::npos)
    return CheckReadAs(value, kind);
  const Style style =
      kind == TextKind::Message ? Style::Message : Style::Printf;
  const ParticleForm cut = takeParticles(ToRuntime(value).c_str(), style);
  if (!cut.problem.empty()) {
    ValueReport r = CheckReadAs(value, kind);
    r.errors = {cut.problem};
    return r;
  }
  const NumberForm form = rewriteNumbers(cut.text.c_str(), style);
  if (cut.inserts.empty() && !form.flagged)
    return CheckReadAs(value, kind);
  // The inserts are checked as the runtime would read them without the
  // layer's marks: the types they take are the same.
  ValueReport r = CheckReadAs(
      FromRuntime(withoutGroupingFlags(cut.text.c_str(), style).c_str()), kind);
  CheckParticles(cut, r);
  if (!form.flagged)
    return r;
  if (!form.problem.empty())
    r.errors.push_back(form.problem);
  else
    r.warnings.push_back(
        "uses the grouping flag (') to write numbers as the locale does: "
        "only the C++ layer renders it, the runtime's own calls refuse the "
        "text");
  return r;
}

TextKind KindOf(const authoring::Entry &e, const Metadata &meta) {
  auto recorded = meta.kinds.find(e.id);
  if (recorded != meta.kinds.end())
    return recorded->second;
  return InferKind(e.value.value_or(u"")).kind;
}

} // namespace phrasor::tool
