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

#include "phrasor/Key.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace phrasor {

struct InContext {
  std::string_view context;
  std::string_view id;

  /// The stored key: context, U+0004, id.
  std::string key() const { return Key::inContextOf(context, id).print(); }
};

/// An InContext's stored key, composed on the stack when it fits (nearly
/// every key does), so that a lookup by context allocates no more than a
/// lookup by ID.
class ContextKey {
public:
  explicit ContextKey(InContext key) {
    const Key k = Key::inContextOf(key.context, key.id);
    const std::size_t n = k.printedSize();
    char *out = local;
    if (n > sizeof local) {
      heap.resize(n);
      out = heap.data();
    }
    k.printTo(out);
    text = std::string_view(out, n);
  }
  ContextKey(const ContextKey &) = delete;
  ContextKey &operator=(const ContextKey &) = delete;

  std::string_view view() const { return text; }

private:
  char local[256];
  std::string heap;
  std::string_view text;
};

} // namespace phrasor

#endif // PHRASOR_CPP_INCONTEXT_H
