//===- Memory.cpp - Routing of every heap block to the host ---------------===//

#include "base/Memory.h"

#include "QVMemory.h"

#include <atomic>
#include <stdlib.h>

namespace phrasor {
namespace {

// Filled lazily by the first request and never reset: once the host has
// handed out a manager, every block must keep going back to it. Atomic so
// that two threads racing on the first request stay well defined.
std::atomic<IQVMemory *> CachedMemory{nullptr};

IQVMemory *ResolveMemory() {
  IQVMemory *memory = CachedMemory.load(std::memory_order_acquire);
  if (memory)
    return memory;
  // While the host answers null we ask again each time, so a host that
  // installs its manager late is still used from then on.
  memory = GetIQVMemory();
  if (memory)
    CachedMemory.store(memory, std::memory_order_release);
  return memory;
}

} // namespace

void *MemAlloc(uint32_t size) {
  if (IQVMemory *memory = ResolveMemory())
    return memory->Allocate(size);
  return malloc(size);
}

void *MemAllocArray(uint32_t count, uint32_t unitSize) {
  uint32_t size = SaturatingSize(count, unitSize);
  void *block = MemAlloc(size);
  if (block && !ProductFits(count, unitSize)) {
    MemFree(block);
    return nullptr;
  }
  return block;
}

void MemFree(void *block) {
  if (IQVMemory *memory = ResolveMemory()) {
    memory->Free(block);
    return;
  }
  free(block);
}

} // namespace phrasor
