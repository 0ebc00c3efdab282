//===- ArgList.h - Checked values for the runtime's formatter --*- C++ -*-===//
//
// Once checked, the C++ arguments are stored here already converted to what
// each insert takes, in the order the formatter asks for them, and handed
// to it as the format layer's array-backed argument list. Text that had to
// be converted between UTF-8 and UTF-16 lives in a small area inside the
// list, or on the heap past it.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_ARGLIST_H
#define PHRASOR_CPP_ARGLIST_H

#include "format/FormatArgs.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace phrasor {

class ArgList {
public:
  ArgList() = default;
  ArgList(const ArgList &) = delete;
  ArgList &operator=(const ArgList &) = delete;

  /// Appends the value \p v, built in place: copying a value written a
  /// moment ago as a whole stalls on its partly written bytes.
  template <class T> void push(T v) {
    if (count < kInline) {
      new (&local[count++]) FormatValue(v);
      return;
    }
    if (more.empty())
      more.assign(local, local + kInline);
    more.emplace_back(v);
    ++count;
  }

  /// The values in the order the formatter takes them.
  const FormatValue *data() const {
    return count <= kInline ? local : more.data();
  }
  std::size_t size() const { return count; }

  /// Storage for \p bytes of converted text, 8-byte aligned, alive as long
  /// as the list.
  void *scratch(std::size_t bytes);

private:
  static constexpr std::size_t kInline = 16;
  static constexpr std::size_t kScratch = 1024;

  FormatValue local[kInline];
  std::vector<FormatValue> more;
  std::size_t count = 0;
  alignas(8) unsigned char area[kScratch];
  std::size_t used = 0;
  std::vector<std::unique_ptr<std::uint64_t[]>> blocks;
};

} // namespace phrasor

#endif // PHRASOR_CPP_ARGLIST_H
