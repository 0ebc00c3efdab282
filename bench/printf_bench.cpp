//===- printf_bench.cpp - The printf engine beside the C library ----------===//
//
// One typical UI string with an integer, a string and a fixed-point number,
// formatted by the engine, by glibc's swprintf and by snprintf in the same
// run. Each formats the same text; only the spelling of the string
// conversion differs (%s is wide for the engine, %ls for swprintf).
//
//===----------------------------------------------------------------------===//

#include "format/Printf.h"
#include "manager/FormatResults.h"

#include <benchmark/benchmark.h>

#include <cstdarg>
#include <cstdio>
#include <cwchar>

#pragma GCC diagnostic ignored "-Wformat-nonliteral"

namespace {

constexpr uint32_t kLength = 256;

/// The engine as the manager calls it, without the lookup.
int32_t Format(PhrasorWChar *buffer, uint32_t length,
               const PhrasorWChar *format, ...) {
  va_list list;
  va_start(list, format);
  int32_t result = phrasor::FormatPrintfV(buffer, length, format, list);
  va_end(list);
  return result;
}

void BM_WStrFormat_UiString(benchmark::State &state) {
  PhrasorWChar buffer[kLength];
  const PhrasorWChar *format =
      PHRASOR_TEXT("Player %s scored %d points (%.2f%% accuracy)");
  const PhrasorWChar *name = PHRASOR_TEXT("Annabel");
  int score = 1337;
  double accuracy = 87.456;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        Format(buffer, kLength, format, name, score, accuracy));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_WStrFormat_UiString);

void BM_Swprintf_UiString(benchmark::State &state) {
  wchar_t buffer[kLength];
  const wchar_t *format = L"Player %ls scored %d points (%.2f%% accuracy)";
  const wchar_t *name = L"Annabel";
  int score = 1337;
  double accuracy = 87.456;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        std::swprintf(buffer, kLength, format, name, score, accuracy));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Swprintf_UiString);

void BM_Snprintf_UiString(benchmark::State &state) {
  char buffer[kLength];
  const char *format = "Player %s scored %d points (%.2f%% accuracy)";
  const char *name = "Annabel";
  int score = 1337;
  double accuracy = 87.456;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        std::snprintf(buffer, kLength, format, name, score, accuracy));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Snprintf_UiString);

// The same text with the name passed narrow (%S): the UTF-8 conversion
// streams into the output.
void BM_WStrFormat_UiStringNarrowArg(benchmark::State &state) {
  PhrasorWChar buffer[kLength];
  const PhrasorWChar *format =
      PHRASOR_TEXT("Player %S scored %d points (%.2f%% accuracy)");
  const char *name = "Annabel";
  int score = 1337;
  double accuracy = 87.456;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        Format(buffer, kLength, format, name, score, accuracy));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_WStrFormat_UiStringNarrowArg);

} // namespace

BENCHMARK_MAIN();
