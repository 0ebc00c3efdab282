//===- message_fuzz.cpp - Hostile message formats -------------------------===//
//
// Input layout: byte 0 is the buffer length (0..255); bytes 1..8 seed the
// argument values; the rest is the format as UTF-16LE units. Arguments are
// always safe to dereference, so any fault found is the formatter's own.
//
//===----------------------------------------------------------------------===//

#include "format/MessageFormat.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class FuzzArgs final : public phrasor::FormatArgs {
public:
  explicit FuzzArgs(uint64_t seed) : State(seed | 1) {}
  int32_t NextInt32() override { return static_cast<int32_t>(Step()); }
  int64_t NextInt64() override { return static_cast<int64_t>(Step()); }
  double NextDouble() override {
    uint64_t bits = Step();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }
  const void *NextPointer() override {
    static const PhrasorWChar Text[] = {'f', 'u', 'z', 'z', 0, 0};
    return Text;
  }

private:
  uint64_t Step() {
    State ^= State << 13;
    State ^= State >> 7;
    State ^= State << 17;
    return State;
  }
  uint64_t State;
};

constexpr uint32_t kGuard = 8;
constexpr PhrasorWChar kGuardUnit = PhrasorWChar(0xA5A5);

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 9)
    return 0;
  const uint32_t length = data[0];
  uint64_t seed;
  std::memcpy(&seed, data + 1, sizeof seed);
  std::vector<PhrasorWChar> format((size - 9) / 2 + 1, 0);
  for (size_t i = 0; i + 1 < format.size(); ++i)
    format[i] =
        static_cast<PhrasorWChar>(data[9 + 2 * i] | data[10 + 2 * i] << 8);

  std::vector<PhrasorWChar> buffer(length + 2 * kGuard, kGuardUnit);
  FuzzArgs args(seed);
  phrasor::QVFormatMessageT().FormatWith(buffer.data() + kGuard, length,
                                         format.data(), args);
  for (uint32_t g = 0; g < kGuard; ++g)
    if (buffer[g] != kGuardUnit || buffer[buffer.size() - 1 - g] != kGuardUnit)
      std::abort();
  if (length > 0) {
    bool terminated = false;
    for (uint32_t i = 0; i < length && !terminated; ++i)
      terminated = buffer[kGuard + i] == 0;
    if (!terminated)
      std::abort();
  }
  phrasor::MessageLayout layout;
  phrasor::QVFormatMessageT().Parse(format.data(), layout);
  return 0;
}
