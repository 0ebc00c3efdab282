//===- CountingMemory.h - The counting host memory manager -----*- C++ -*-===//
//
// The one IQVMemory the tests and the loader fuzzer install: it counts
// calls, tracks every live block, can fail its N-th Allocate, and can refuse
// blocks above a budget, so a leak, a double free or a failed request
// handled badly shows in every build, not only under the sanitizers.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TESTS_COUNTINGMEMORY_H
#define PHRASOR_TESTS_COUNTINGMEMORY_H

#include "QVMemory.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

namespace phrasor::test {

class CountingMemory : public IQVMemory {
public:
  /// Called when Free is given a block this manager never handed out.
  using ForeignFreeHandler = void (*)(void *block);

  explicit CountingMemory(ForeignFreeHandler handler)
      : onForeignFree(handler) {}
  virtual ~CountingMemory() = default;
  void *Allocate(uint32_t size) override;
  void Free(void *block) override;

  /// Forgets earlier counts; \p failAt (0-based) makes that allocation and
  /// no other return null.
  void Reset(long failAt = -1);
  /// Requests above \p bytes are refused, as by a host with a budget.
  void SetBudget(uint32_t bytes) { budget = bytes; }

  /// When nonzero, every larger request is granted with a zeroed block of
  /// kStandInSize bytes, so code that trusts a huge grant writes past a small
  /// block a sanitizer guards instead of needing gigabytes.
  uint32_t standInAbove = 0;
  static constexpr uint32_t kStandInSize = 64;
  /// When set, a 0-byte request gets null, as malloc(0) may give.
  bool nullForZeroSize = false;

  long Allocations() const { return allocateCalls; }
  long Frees() const { return freeCalls; }
  long NullFrees() const { return nullFreeCalls; }
  std::size_t LiveBlocks() const;
  std::vector<uint32_t> Sizes() const;

private:
  mutable std::mutex lock;
  ForeignFreeHandler onForeignFree;
  uint32_t budget = UINT32_MAX;
  long allocateCalls = 0, freeCalls = 0, nullFreeCalls = 0, failAt = -1;
  std::map<void *, uint32_t> live;
  std::vector<uint32_t> allocSizes;
};

} // namespace phrasor::test

#endif // PHRASOR_TESTS_COUNTINGMEMORY_H
