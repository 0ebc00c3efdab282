//===- message_fuzz.cpp - Hostile message formats -------------------------===//
//
// Input layout: byte 0 is the buffer length (0..255); bytes 1..8 seed the
// argument values; the rest is the format as UTF-16LE units. Arguments are
// always safe to dereference, so any fault found is the formatter's own.
//
//===----------------------------------------------------------------------===//

#include "format/MessageFormat.h"
#include "manager/FormatResults.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Sixteen values of mixed types from the seed: requests in kind read them,
// others get the list's harmless default. Every pointer is safe to read.
std::vector<phrasor::FormatValue> FuzzValues(uint64_t seed) {
  static const PhrasorWChar kText[] = {'f', 'u', 'z', 'z', 0, 0};
  uint64_t state = seed | 1;
  std::vector<phrasor::FormatValue> values;
  for (int i = 0; i < 16; ++i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    switch (state % 5) {
    case 0:
      values.emplace_back(static_cast<int64_t>(state));
      break;
    case 1: {
      double real;
      std::memcpy(&real, &state, sizeof real);
      values.emplace_back(real);
      break;
    }
    case 2:
      values.emplace_back(static_cast<const void *>(kText));
      break;
    default:
      values.emplace_back(static_cast<int32_t>(state >> 32));
    }
  }
  return values;
}

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
  std::vector<phrasor::FormatValue> values = FuzzValues(seed);
  phrasor::ArrayArgs args(values.data(), values.size());
  PhrasorWChar *dest = buffer.data() + kGuard;
  phrasor::MessageResult(
      phrasor::QVFormatMessageT().Format(dest, length, format.data(), args),
      dest, length);
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
  // Parsing alone must not crash, whatever it answers.
  (void)phrasor::QVFormatMessageT().Parse(format.data(), layout);
  return 0;
}
