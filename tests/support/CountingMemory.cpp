//===- CountingMemory.cpp - The counting host memory manager --------------===//

#include "tests/support/CountingMemory.h"

#include <cstdlib>

namespace phrasor::test {

void *CountingMemory::Allocate(uint32_t size) {
  std::lock_guard<std::mutex> guard(lock);
  long index = allocateCalls++;
  allocSizes.push_back(size);
  if (index == failAt || size > budget || (size == 0 && nullForZeroSize))
    return nullptr;
  // malloc(0) may give null, which a host manager would not: ask for one
  // byte so a zero-size request succeeds as it does on real hosts.
  void *block = standInAbove && size > standInAbove
                    ? std::calloc(kStandInSize, 1)
                    : std::malloc(size ? size : 1);
  if (block)
    live[block] = size;
  return block;
}

void CountingMemory::Free(void *block) {
  std::lock_guard<std::mutex> guard(lock);
  ++freeCalls;
  if (!block) {
    ++nullFreeCalls;
    return;
  }
  auto it = live.find(block);
  if (it == live.end()) {
    onForeignFree(block);
    return;
  }
  live.erase(it);
  std::free(block);
}

void CountingMemory::Reset(long failAtCall) {
  std::lock_guard<std::mutex> guard(lock);
  allocateCalls = freeCalls = nullFreeCalls = 0;
  allocSizes.clear();
  failAt = failAtCall;
}

std::size_t CountingMemory::LiveBlocks() const {
  std::lock_guard<std::mutex> guard(lock);
  return live.size();
}

std::vector<uint32_t> CountingMemory::Sizes() const {
  std::lock_guard<std::mutex> guard(lock);
  return allocSizes;
}

} // namespace phrasor::test
