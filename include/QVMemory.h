//===- QVMemory.h - The host memory library's interface ---------*- C++ -*-===//
//
// The runtime takes every heap block from the host's memory manager when the
// host provides one, so the host can account for and pool it. This header is
// the host library's contract; hostmem/ holds a small stand-in for it.
//
//===----------------------------------------------------------------------===//

#ifndef QVMEMORY_H
#define QVMEMORY_H

#include <stdint.h>

#if defined(_WIN32)
#if defined(QVMEMORY_BUILD)
#define QVMEMORY_API __declspec(dllexport)
#elif defined(PHRASOR_RUNTIME_BUILD)
// The runtime's objects also go into a static archive that test hosts link
// with a GetIQVMemory of their own, so they call through the import
// library's thunk instead of requiring the __imp_ pointer of a DLL.
#define QVMEMORY_API
#else
#define QVMEMORY_API __declspec(dllimport)
#endif
#else
#define QVMEMORY_API __attribute__((visibility("default")))
#endif

/// The host's allocator.
class IQVMemory {
public:
  /// Returns a block of at least \p size bytes, or null.
  virtual void *Allocate(uint32_t size) = 0;
  /// Releases a block from Allocate; must accept null and ignore it.
  virtual void Free(void *block) = 0;

protected:
  ~IQVMemory() {}
};

/// The host's memory manager, or null when it has none. The runtime asks on
/// every request until it gets a non-null answer, then keeps that one.
extern "C" QVMEMORY_API IQVMemory *GetIQVMemory();

/// Stand-in only: installs the manager that GetIQVMemory returns (null by
/// default, which sends the runtime to the C heap).
extern "C" QVMEMORY_API void SetIQVMemory(IQVMemory *memory);

#endif // QVMEMORY_H
