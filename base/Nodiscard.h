//===- Nodiscard.h - Results that must not be ignored ------------*- C++
//-*-===//
//
// A status or result type whose value a caller must look at carries
// [[nodiscard]], so that dropping one is a compile error where warnings
// are. Enumerations take it through this name: clang-format 14 misreads
// "enum class [[nodiscard]] Name" and spreads the enumerators out.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_BASE_NODISCARD_H
#define PHRASOR_BASE_NODISCARD_H

#define PHRASOR_NODISCARD [[nodiscard]]

#endif // PHRASOR_BASE_NODISCARD_H
