//===- Kinds.cpp - What a stored value is: text, message or printf --------===//

#include "tools/phrasor/checks/Kinds.h"

#include "format/TextKind.h"

#include "tools/phrasor/Utf.h"
#include "tools/phrasor/files/FileIo.h"

#include <iterator>

namespace phrasor::tool {

KindReading InferKind(std::u16string_view value) {
  // Stored values end at their first zero, as the runtime reads them.
  const KindInference inferred = InferTextKind(ToRuntime(value).c_str());
  KindReading r;
  r.kind = inferred.kind;
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

ValueReport CheckValueAs(std::u16string_view value, TextKind kind) {
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

TextKind KindOf(const authoring::Entry &e, const Metadata &meta) {
  auto recorded = meta.kinds.find(e.id);
  if (recorded != meta.kinds.end())
    return recorded->second;
  return InferKind(e.value.value_or(u"")).kind;
}

} // namespace phrasor::tool
