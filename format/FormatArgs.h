//===- FormatArgs.h - Where the formatters take their arguments -*- C++ -*-===//
//
// The printf engine and the message formatter fetch each argument through
// this small interface rather than straight from a va_list, so a test or a
// fuzzer can supply typed values, and the message formatter can hand one
// stored value to the engine per insert.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_FORMAT_FORMATARGS_H
#define PHRASOR_FORMAT_FORMATARGS_H

#include <stdarg.h>
#include <stdint.h>

namespace phrasor {

class FormatArgs {
public:
  /// An int-sized argument: int, long (32 bits in stored texts), and the
  /// promoted char, wchar and short.
  virtual int32_t NextInt32() = 0;
  /// A 64-bit integer (ll, I64, and I on 64-bit builds).
  virtual int64_t NextInt64() = 0;
  virtual double NextDouble() = 0;
  /// A long double (%L), asked for only where it is wider than a double.
  virtual long double NextLongDouble() { return NextDouble(); }
  /// Any pointer: strings, %p, %n.
  virtual const void *NextPointer() = 0;

protected:
  ~FormatArgs() {}
};

/// Arguments read from a C variable argument list.
class VaListArgs final : public FormatArgs {
public:
  explicit VaListArgs(va_list args) { va_copy(List, args); }
  ~VaListArgs() { va_end(List); }
  VaListArgs(const VaListArgs &) = delete;
  VaListArgs &operator=(const VaListArgs &) = delete;

  int32_t NextInt32() override { return va_arg(List, int32_t); }
  int64_t NextInt64() override { return va_arg(List, int64_t); }
  double NextDouble() override { return va_arg(List, double); }
  long double NextLongDouble() override { return va_arg(List, long double); }
  const void *NextPointer() override { return va_arg(List, const void *); }

private:
  va_list List;
};

} // namespace phrasor

#endif // PHRASOR_FORMAT_FORMATARGS_H
