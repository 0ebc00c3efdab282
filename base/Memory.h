//===- Memory.h - Routing of every heap block to the host ------*- C++ -*-===//
//
// All memory the runtime owns goes through MemAlloc and MemFree, which use
// the host's IQVMemory when it offers one and the C heap otherwise.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_BASE_MEMORY_H
#define PHRASOR_BASE_MEMORY_H

#include <stdint.h>

namespace phrasor {

/// A block of at least \p size bytes from the host's manager or the C heap,
/// or null.
void *MemAlloc(uint32_t size);

/// Gives back a block from MemAlloc by the route in force now; null is passed
/// on unchanged (the host's Free must ignore it).
void MemFree(void *block);

/// Whether count * unitSize fits in 32 bits.
inline bool ProductFits(uint32_t count, uint32_t unitSize) {
  return static_cast<uint64_t>(count) * unitSize <= 0xFFFFFFFFu;
}

/// count * unitSize, or 0xFFFFFFFF when the product does not fit in 32 bits,
/// so an oversized request fails instead of wrapping to a short block.
inline uint32_t SaturatingSize(uint32_t count, uint32_t unitSize) {
  uint64_t bytes = static_cast<uint64_t>(count) * unitSize;
  return bytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(bytes);
}

/// A block for \p count units of \p unitSize bytes, or null. A product that
/// does not fit in 32 bits is still asked for as 0xFFFFFFFF bytes, but a host
/// that grants it gets the block straight back and the caller sees null:
/// 0xFFFFFFFF bytes are too few for the units, and nothing may be written
/// into them.
void *MemAllocArray(uint32_t count, uint32_t unitSize);

} // namespace phrasor

#endif // PHRASOR_BASE_MEMORY_H
