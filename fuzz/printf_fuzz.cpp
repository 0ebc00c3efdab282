//===- printf_fuzz.cpp - Arbitrary formats through the printf engine ------===//
//
// Input layout: byte 0 is the buffer length (0 to 255), bytes 1 to 8 seed
// the argument values, and the rest is the format as UTF-16LE units. Every
// argument is safe whatever the format asks for: pointers designate texts
// that are terminated both as narrow and as wide strings. The buffer sits
// between guard units that must survive, and must come back terminated.
//
//===----------------------------------------------------------------------===//

#include "format/Printf.h"
#include "format/PrintfConversion.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

using namespace phrasor;

namespace {

constexpr size_t kHeader = 9;
constexpr uint32_t kGuardUnits = 8;
constexpr PhrasorWChar kGuard = 0xFDFD;

// Each is terminated as a narrow string (a zero byte within the first two
// units) and as a wide string.
const PhrasorWChar kAnn[] = {'A', 'n', 'n', 0};
const PhrasorWChar kHigh[] = {0xD83D, 0xDE00, 0x00E9, 0x20AC, 0};
const PhrasorWChar kEmpty[] = {0};
alignas(PhrasorWChar) const
    char kUtf8[] = "\xC3\xA9\xF0\x9F\x98\x80\xE2\x82\0\0\0"; // wide: 3 units
const void *const kPointers[] = {kAnn, kHigh, kEmpty, kUtf8, nullptr};

const int32_t kInts[] = {0,
                         1,
                         -1,
                         42,
                         255,
                         65535,
                         std::numeric_limits<int32_t>::max(),
                         std::numeric_limits<int32_t>::min(),
                         0xD800,
                         1000000};
const double kDoubles[] = {
    0.0,       -0.0,      1.5,
    -2.5e-300, 1e308,     5e-324,
    HUGE_VAL,  -HUGE_VAL, std::numeric_limits<double>::quiet_NaN(),
    0.1};

// Makes each value from the seed bytes, as the format asks for it.
class ValueMaker {
public:
  explicit ValueMaker(const uint8_t *seed) { std::memcpy(bytes, seed, 8); }
  int32_t Int32() {
    uint8_t b = Take();
    return b & 0x80 ? static_cast<int32_t>(b * 0x01010101u)
                    : kInts[b % (sizeof kInts / sizeof kInts[0])];
  }
  int64_t Int64() {
    uint64_t value = static_cast<uint64_t>(Int32()) * (Take() | 1u);
    return static_cast<int64_t>(value << (Take() % 33));
  }
  double Double() {
    return kDoubles[Take() % (sizeof kDoubles / sizeof kDoubles[0])];
  }
  const void *Pointer() {
    return kPointers[Take() % (sizeof kPointers / sizeof kPointers[0])];
  }

private:
  uint8_t Take() {
    uint32_t n = count++;
    return static_cast<uint8_t>(bytes[n % 8] + n);
  }
  uint8_t bytes[8];
  uint32_t count = 0;
};

// Reads the format with the checker the engine shares its parser with, and
// lists a value of the right type for each argument it takes.
class TypedValues final : public FormatCheckHandler {
public:
  explicit TypedValues(const uint8_t *seed) : maker(seed) {}
  void OnText(uint32_t, uint32_t) override {}
  void OnConversion(uint32_t, uint32_t, const ConversionSpec &spec) override {
    if (spec.widthFromArg)
      values.emplace_back(maker.Int32());
    if (spec.precisionFromArg)
      values.emplace_back(maker.Int32());
    switch (spec.kind) {
    case ArgKind::None:
      break;
    case ArgKind::Int32:
    case ArgKind::WideChar:
    case ArgKind::NarrowChar:
      values.emplace_back(maker.Int32());
      break;
    case ArgKind::Int64:
      values.emplace_back(maker.Int64());
      break;
    case ArgKind::Double:
      values.emplace_back(maker.Double());
      break;
    case ArgKind::LongDouble:
      values.emplace_back(static_cast<long double>(maker.Double()));
      break;
    default:
      values.emplace_back(maker.Pointer());
    }
  }
  void OnError(uint32_t, SpecError) override {}

  std::vector<FormatValue> values;

private:
  ValueMaker maker;
};

void Require(bool condition) {
  if (!condition)
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < kHeader)
    return 0;
  uint32_t length = data[0];
  std::vector<PhrasorWChar> format((size - kHeader) / 2 + 1, 0);
  for (size_t i = 0; i + 1 < format.size(); ++i)
    format[i] = static_cast<PhrasorWChar>(data[kHeader + 2 * i] |
                                          data[kHeader + 2 * i + 1] << 8);

  std::vector<PhrasorWChar> storage(length + 2 * kGuardUnits, kGuard);
  PhrasorWChar *dest = storage.data() + kGuardUnits;
  // The engine and the checker share one parser and must agree.
  TypedValues typed(data + 1);
  bool accepted = CheckFormat(format.data(), typed);
  ArrayArgs args(typed.values.data(), typed.values.size());
  FormatOutcome outcome = FormatPrintf(dest, length, format.data(), args);
  const uint32_t written = outcome.written;

  for (uint32_t i = 0; i < kGuardUnits; ++i) {
    Require(storage[i] == kGuard);
    Require(storage[kGuardUnits + length + i] == kGuard);
  }
  if (length == 0) {
    Require(outcome.status == FormatStatus::BadInput);
  } else {
    Require(written < length);
    Require(dest[written] == 0);
    Require(dest[length - 1] == 0);
    // Every argument the engine took was of the type the checker listed.
    Require(args.Mismatched() == 0);
  }
  if (outcome.status == FormatStatus::BadFormat)
    Require(!accepted);
  if (!accepted && length > 0)
    Require(outcome.status != FormatStatus::Ok);
  return 0;
}
