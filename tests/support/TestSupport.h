//===- TestSupport.h - Streams, memory and strings for tests ---*- C++ -*-===//
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
#include "tests/support/CountingMemory.h"
#include "tools/authoring/DatabaseWriter.h"

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
  explicit MemoryStream(std::vector<uint8_t> content, int failAtRead = -1)
      : bytes(std::move(content)), failAt(failAtRead) {}
  virtual ~MemoryStream() = default;

  int32_t Read(void *buffer, uint32_t size) override {
    int index = static_cast<int>(reads.size());
    reads.push_back(size);
    if (failAt >= 0 && index >= failAt)
      return 7;
    if (size > bytes.size() - position)
      return 1; // short stream: nothing is delivered
    std::memcpy(buffer, bytes.data() + position, size);
    position += size;
    return 0;
  }

  std::size_t Consumed() const { return position; }
  const std::vector<uint32_t> &ReadSizes() const { return reads; }

private:
  std::vector<uint8_t> bytes;
  std::size_t position = 0;
  int failAt;
  std::vector<uint32_t> reads;
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
  HSTRINGKEEPER get() const { return handle; }
  operator HSTRINGKEEPER() const { return handle; }

private:
  HSTRINGKEEPER handle;
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
  std::vector<Report> reports;
};

} // namespace phrasor::test

#endif // PHRASOR_TESTS_TESTSUPPORT_H
