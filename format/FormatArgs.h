//===- FormatArgs.h - Where the formatters take their arguments -*- C++ -*-===//
//
// The printf engine and the message formatter fetch each argument through
// this small interface rather than straight from a va_list. Two sources
// implement it: a C variable argument list, and an array of typed values
// for callers that hold their arguments as data (tests, fuzzers, the tool's
// format command, a typed C++ layer).
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_FORMAT_FORMATARGS_H
#define PHRASOR_FORMAT_FORMATARGS_H

#include "format/ArgKind.h"

#include <stdarg.h>
#include <stddef.h>
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
  virtual long double NextLongDouble() = 0;
  /// Any pointer: strings, %p.
  virtual const void *NextPointer() = 0;

protected:
  ~FormatArgs() {}
};

/// Arguments read from a C variable argument list.
class VaListArgs final : public FormatArgs {
public:
  explicit VaListArgs(va_list args) { va_copy(list, args); }
  ~VaListArgs() { va_end(list); }
  VaListArgs(const VaListArgs &) = delete;
  VaListArgs &operator=(const VaListArgs &) = delete;

  int32_t NextInt32() override { return va_arg(list, int32_t); }
  int64_t NextInt64() override { return va_arg(list, int64_t); }
  double NextDouble() override { return va_arg(list, double); }
  long double NextLongDouble() override { return va_arg(list, long double); }
  const void *NextPointer() override { return va_arg(list, const void *); }

private:
  va_list list;
};

/// One typed argument: what a variadic call would have passed. Its kind is
/// how the value is passed (see PassedAs): Int32, Int64, Double, LongDouble
/// or Pointer.
struct FormatValue {
  ArgKind kind;
  union {
    int32_t int32;
    int64_t int64;
    double real;
    long double longReal;
    const void *pointer;
  };

  FormatValue() = default;
  FormatValue(int32_t value) : kind(ArgKind::Int32), int32(value) {}
  FormatValue(int64_t value) : kind(ArgKind::Int64), int64(value) {}
  FormatValue(double value) : kind(ArgKind::Double), real(value) {}
  FormatValue(long double value) : kind(ArgKind::LongDouble), longReal(value) {}
  FormatValue(const void *value) : kind(ArgKind::Pointer), pointer(value) {}
  FormatValue(decltype(nullptr)) : kind(ArgKind::Pointer), pointer(nullptr) {}
};

/// Arguments taken in order from an array of typed values. A request past
/// the end, or for another type than the value holds, is answered with a
/// harmless value (0, or a pointer to an empty text) and counted, so a
/// test can check that a format took exactly the arguments it was given.
class ArrayArgs final : public FormatArgs {
public:
  ArrayArgs(const FormatValue *list, size_t length)
      : values(list), count(length) {}

  int32_t NextInt32() override {
    const FormatValue *v = Take(ArgKind::Int32);
    return v ? v->int32 : 0;
  }
  int64_t NextInt64() override {
    const FormatValue *v = Take(ArgKind::Int64);
    return v ? v->int64 : 0;
  }
  double NextDouble() override {
    const FormatValue *v = Take(ArgKind::Double);
    return v ? v->real : 0.0;
  }
  long double NextLongDouble() override {
    const FormatValue *v = Take(ArgKind::LongDouble);
    return v ? v->longReal : 0.0L;
  }
  const void *NextPointer() override {
    // Terminated whether read as narrow or as wide text.
    static const uint16_t kEmptyText[2] = {0, 0};
    const FormatValue *v = Take(ArgKind::Pointer);
    return v ? v->pointer : kEmptyText;
  }

  /// Requests made so far, answered or not.
  size_t Taken() const { return taken; }
  /// Requests past the end or for another type than the value's.
  size_t Mismatched() const { return mismatched; }

private:
  const FormatValue *Take(ArgKind kind) {
    const size_t at = taken++;
    if (at < count && values[at].kind == kind)
      return &values[at];
    ++mismatched;
    return nullptr;
  }

  const FormatValue *values;
  size_t count;
  size_t taken = 0;
  size_t mismatched = 0;
};

} // namespace phrasor

#endif // PHRASOR_FORMAT_FORMATARGS_H
