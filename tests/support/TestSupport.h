//===- TestSupport.h - Streams, allocators and strings for tests -*- C++
//-*-===//
//
// Host-side test doubles: a memory stream that can fail at its K-th read, a
// counting IQVMemory that can fail its N-th allocation, and helpers that
// build databases and wide strings.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TESTS_TESTSUPPORT_H
#define PHRASOR_TESTS_TESTSUPPORT_H

#include "PhrasorRuntime.h"
#include "QVMemory.h"
#include "authoring/DatabaseWriter.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace phrasor::test {

using WString = std::basic_string<PhrasorWChar>;

/// ASCII or UTF-8 text as runtime wide text (UTF-16 units).
WString W(const std::string &utf8);
/// Runtime wide text as UTF-8, for readable assertion output.
std::string Narrow(const PhrasorWChar *wide);
std::u16string U16(const std::string &utf8);

/// Serves a byte vector; records every read's size. Read number
/// \p failAtRead (0-based) and all later ones fail.
class MemoryStream : public IReadStream {
public:
  explicit MemoryStream(std::vector<uint8_t> bytes, int failAtRead = -1)
      : Bytes(std::move(bytes)), FailAt(failAtRead) {}
  virtual ~MemoryStream() = default;

  int32_t Read(void *buffer, uint32_t size) override {
    int index = static_cast<int>(Reads.size());
    Reads.push_back(size);
    if (FailAt >= 0 && index >= FailAt)
      return 7;
    if (size > Bytes.size() - Position)
      return 1; // short stream: nothing is delivered
    std::memcpy(buffer, Bytes.data() + Position, size);
    Position += size;
    return 0;
  }

  std::size_t Consumed() const { return Position; }
  const std::vector<uint32_t> &ReadSizes() const { return Reads; }

private:
  std::vector<uint8_t> Bytes;
  std::size_t Position = 0;
  int FailAt;
  std::vector<uint32_t> Reads;
};

/// The host memory manager every test binary installs. Counts calls,
/// tracks live blocks, and can be told to fail the N-th Allocate.
class CountingMemory : public IQVMemory {
public:
  virtual ~CountingMemory() = default;
  void *Allocate(uint32_t size) override;
  void Free(void *block) override;

  /// Forgets earlier counts; \p failAt (0-based) makes that allocation and
  /// no other return null.
  void Reset(long failAt = -1);

  long Allocations() const { return AllocateCalls; }
  long Frees() const { return FreeCalls; }
  long NullFrees() const { return NullFreeCalls; }
  std::size_t LiveBlocks() const;
  std::vector<uint32_t> Sizes() const;
  bool Enabled = true; ///< counting on; live-block tracking always on
  /// When nonzero, every larger request is granted with a zeroed block of
  /// kStandInSize bytes, so code that trusts a huge grant writes past a small
  /// block a sanitizer guards instead of needing gigabytes.
  uint32_t StandInAbove = 0;
  static constexpr uint32_t kStandInSize = 64;

private:
  mutable std::mutex Lock;
  long AllocateCalls = 0, FreeCalls = 0, NullFreeCalls = 0, FailAt = -1;
  std::map<void *, uint32_t> Live;
  std::vector<uint32_t> AllocSizes;
};

/// The instance installed by the test main.
CountingMemory &HostMemory();

/// A loaded keeper that releases itself.
class Keeper {
public:
  explicit Keeper(const std::vector<uint8_t> &bytes);
  explicit Keeper(const std::vector<authoring::Entry> &entries);
  ~Keeper();
  Keeper(const Keeper &) = delete;
  Keeper &operator=(const Keeper &) = delete;
  HSTRINGKEEPER get() const { return Handle; }
  operator HSTRINGKEEPER() const { return Handle; }

private:
  HSTRINGKEEPER Handle;
};

authoring::Entry E(const std::string &id, std::optional<std::string> value,
                   std::optional<std::string> voice = std::nullopt);

/// Records every report through the error callback while alive.
class ReportLog {
public:
  struct Report {
    HSTRINGKEEPER keeper;
    const char *label;
    std::string labelText;
    std::string message;
    void *userData;
  };
  ReportLog();
  ~ReportLog();
  std::vector<Report> Reports;
};

} // namespace phrasor::test

#endif // PHRASOR_TESTS_TESTSUPPORT_H
