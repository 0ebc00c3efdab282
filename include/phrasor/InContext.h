//===- InContext.h - An ID within a gettext context -------------*- C++ -*-===//
//
// gettext tells apart two messages with the same source text by a context
// ("menu" Open, "door" Open). The tool stores such a message under the key
// context U+0004 msgid, as gettext itself keys it; InContext spells that
// key so that no caller writes the control character:
//
//   catalog.find(phrasor::InContext{"menu", "Open"})
//   catalog.plural(phrasor::InContext{"status", "%d file"}, n, n)
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_INCONTEXT_H
#define PHRASOR_CPP_INCONTEXT_H

#include <string>
#include <string_view>

namespace phrasor {

struct InContext {
  std::string_view context;
  std::string_view id;

  /// The stored key: context, U+0004, id.
  std::string key() const {
    std::string k;
    k.reserve(context.size() + 1 + id.size());
    k.append(context).append(1, '\x04').append(id);
    return k;
  }
};

} // namespace phrasor

#endif // PHRASOR_CPP_INCONTEXT_H
