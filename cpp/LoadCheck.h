//===- LoadCheck.h - Why the runtime refused a database ---------*- C++ -*-===//
//
// CreateKeeper answers a bad file with null and no reason. When it does,
// the layer reads the same bytes against the file format's rules to say
// which one the file breaks, in words. This is the one place that does so.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_LOADCHECK_H
#define PHRASOR_CPP_LOADCHECK_H

#include "phrasor/Error.h"

#include <cstddef>
#include <cstdint>

namespace phrasor {

/// The error for bytes CreateKeeper refused: NotADatabase or Corrupt with
/// the broken rule and where, or OutOfMemory when the bytes break no rule
/// (so the runtime could only have failed to allocate).
Error describeLoadFailure(const std::uint8_t *bytes, std::size_t size);

} // namespace phrasor

#endif // PHRASOR_CPP_LOADCHECK_H
