//===- ArgKind.h - What an insert takes from the argument list -*- C++ -*-===//
//
// The one vocabulary for an argument's kind, shared by the formatters, the
// typed C++ layer and the command-line tool. A printf conversion is
// classified into it by its parser (PrintfConversion.h); a message insert's
// type letters are read into a type code, which the one table below turns
// into a kind. How a kind travels through a variadic call follows from it:
// characters are promoted to int, texts and pointers pass as pointers.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_FORMAT_ARGKIND_H
#define PHRASOR_FORMAT_ARGKIND_H

#include <stdint.h>

namespace phrasor {

/// What an insert (or a '*' of a printf conversion) takes.
enum class ArgKind : uint8_t {
  None,         ///< nothing: %%, an escape, or no known type
  Int32,        ///< integers of 32 bits or fewer, as a promoted int
  Int64,        ///< 64-bit integers
  Double,       ///< floating point
  WideChar,     ///< an int whose low 16 bits are the unit
  NarrowChar,   ///< an int whose low 8 bits are the byte
  WideString,   ///< const PhrasorWChar *
  NarrowString, ///< const char *
  Pointer,      ///< %p
  LongDouble,   ///< %L where long double is wider than double
};

/// The type code of a message insert, read from its type letters (0 means
/// none / not a type). Besides the kind it keeps the narrowing the letters
/// ask for (short, unsigned), which the renderer applies.
enum MessageType : uint32_t {
  kTypeNone = 0,
  kTypeLong = 1,         ///< ld li lo lx lX
  kTypeULong = 2,        ///< lu
  kTypeWideChar = 3,     ///< c lc lC
  kTypeWideString = 4,   ///< s ls lS
  kTypeShort = 5,        ///< hd hi ho hx hX
  kTypeUShort = 6,       ///< hu
  kTypeNarrowChar = 7,   ///< C hc hC
  kTypeNarrowString = 8, ///< S hs hS
  kTypeInt64 = 9,        ///< I64d ...
  kTypeInt32 = 10,       ///< I32d ...
  kTypeInt = 11,         ///< d i o u x X
  kTypeDouble = 12,      ///< e E f g G
  kTypeCount = 13,       ///< n (always refused)
  kTypePointer = 14,     ///< p
};

/// What a message insert of \p typeCode takes; None for a code outside the
/// table. %n takes the pointer it would write through (it is refused before
/// anything is taken).
inline ArgKind ArgKindOfMessageType(uint32_t typeCode) {
  constexpr ArgKind kKinds[] = {
      ArgKind::None,     ArgKind::Int32,      ArgKind::Int32,
      ArgKind::WideChar, ArgKind::WideString, ArgKind::Int32,
      ArgKind::Int32,    ArgKind::NarrowChar, ArgKind::NarrowString,
      ArgKind::Int64,    ArgKind::Int32,      ArgKind::Int32,
      ArgKind::Double,   ArgKind::Pointer,    ArgKind::Pointer};
  return typeCode < sizeof(kKinds) / sizeof(kKinds[0]) ? kKinds[typeCode]
                                                       : ArgKind::None;
}

/// \p kind after the promotions of a variadic call: a character arrives as
/// an int. Inserts repeating a message field must agree on this.
constexpr ArgKind Promoted(ArgKind kind) {
  return kind == ArgKind::WideChar || kind == ArgKind::NarrowChar
             ? ArgKind::Int32
             : kind;
}

/// How an argument of \p kind is passed, which is what a variadic list or a
/// typed value holds: Int32, Int64, Double, LongDouble or Pointer (texts
/// are passed as pointers); None for None.
constexpr ArgKind PassedAs(ArgKind kind) {
  return kind == ArgKind::WideString || kind == ArgKind::NarrowString
             ? ArgKind::Pointer
             : Promoted(kind);
}

} // namespace phrasor

#endif // PHRASOR_FORMAT_ARGKIND_H
