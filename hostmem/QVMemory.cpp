//===- QVMemory.cpp - Stand-in for the host's memory library -------------===//
//
// Real hosts ship their own memory library; this one only remembers the
// manager a host installs, so the runtime can be linked and tested exactly as
// it would be against the real thing.
//
//===----------------------------------------------------------------------===//

#include "QVMemory.h"

#include <atomic>

namespace {
std::atomic<IQVMemory *> Installed{nullptr};
} // namespace

extern "C" QVMEMORY_API IQVMemory *GetIQVMemory() {
  return Installed.load(std::memory_order_acquire);
}

extern "C" QVMEMORY_API void SetIQVMemory(IQVMemory *memory) {
  Installed.store(memory, std::memory_order_release);
}
