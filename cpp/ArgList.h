//===- ArgList.h - Checked values for the runtime's formatter --*- C++ -*-===//
//
// The runtime's formatters take their arguments through FormatArgs. Once
// checked, the C++ arguments are stored here already converted to what each
// insert takes, in the order the formatter asks for them; text that had to
// be converted between UTF-8 and UTF-16 lives in a small stack area, or on
// the heap past it.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_ARGLIST_H
#define PHRASOR_CPP_ARGLIST_H

#include "format/FormatArgs.h"

#include "PhrasorRuntime.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace phrasor {

class ArgList final : public FormatArgs {
public:
  union Value {
    std::int32_t word;
    std::int64_t wide;
    double real;
    const void *pointer;
  };

  ArgList() = default;
  ArgList(const ArgList &) = delete;
  ArgList &operator=(const ArgList &) = delete;

  void clear() {
    count = 0;
    next = 0;
    more.clear();
    used = 0;
    blocks.clear();
  }
  void push(Value v) {
    if (count < kInline)
      local[count] = v;
    else
      more.push_back(v);
    ++count;
  }
  /// Starts the formatter's reads over, for a second rendering.
  void rewind() { next = 0; }

  /// Storage for \p bytes of converted text, 8-byte aligned, alive as long
  /// as the list.
  void *scratch(std::size_t bytes);

  std::int32_t NextInt32() override { return take().word; }
  std::int64_t NextInt64() override { return take().wide; }
  double NextDouble() override { return take().real; }
  const void *NextPointer() override { return take().pointer; }

private:
  static constexpr std::size_t kInline = 16;
  static constexpr std::size_t kScratch = 1024;

  // The formatter never asks for more values than were bound; a zero is the
  // harmless answer should it ever do so.
  Value take() {
    Value zero;
    zero.wide = 0;
    if (next >= count)
      return zero;
    std::size_t i = next++;
    return i < kInline ? local[i] : more[i - kInline];
  }

  Value local[kInline];
  std::vector<Value> more;
  std::size_t count = 0, next = 0;
  alignas(8) unsigned char area[kScratch];
  std::size_t used = 0;
  std::vector<std::unique_ptr<std::uint64_t[]>> blocks;
};

} // namespace phrasor

#endif // PHRASOR_CPP_ARGLIST_H
