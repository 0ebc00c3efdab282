//===- number_bench.cpp - Locale numbers beside plain ones and ICU's ------===//
//
// One integer insert in "%1!d! Gold" and in its grouped twin "%1!'d! Gold"
// (German, and Hindi's 3;2 grouping), formatted by Catalog::formatTo into a
// reused buffer, beside a prepared ICU LocalizedNumberFormatter writing the
// same number (German) into a UnicodeString it keeps. The numbers vary with
// the iteration and have seven digits, so every call groups.
//
//===----------------------------------------------------------------------===//

#include "phrasor/Phrasor.h"
#include "tools/authoring/DatabaseWriter.h"

#include <benchmark/benchmark.h>
#include <unicode/appendable.h>
#include <unicode/locid.h>
#include <unicode/numberformatter.h>

#include <cstdint>
#include <vector>

namespace {

phrasor::Catalog CatalogOf(const char *text, const char *locale) {
  phrasor::authoring::Entry e;
  e.id = "GOLD";
  const phrasor::Text t = phrasor::fromUtf8(text);
  e.value = std::u16string(t.begin(), t.end());
  auto bytes = phrasor::authoring::BuildDatabase({e});
  auto catalog = phrasor::Catalog::fromBytes(bytes->data(), bytes->size());
  catalog->setLocale(locale);
  return std::move(*catalog);
}

std::int64_t NextNumber(std::int64_t n) {
  return n >= 9000000 ? 1234567 : n + 7919;
}

void Run(benchmark::State &state, const char *text, const char *locale) {
  const phrasor::Catalog c = CatalogOf(text, locale);
  PhrasorWChar buffer[64];
  std::int64_t n = 1234567;
  if (!c.formatTo(buffer, 64, "GOLD", static_cast<int>(n))) {
    state.SkipWithError("format failed");
    return;
  }
  for (auto _ : state) {
    auto written = c.formatTo(buffer, 64, "GOLD", static_cast<int>(n));
    benchmark::DoNotOptimize(written);
    benchmark::DoNotOptimize(buffer);
    n = NextNumber(n);
  }
}

void BM_PlainIntegerInsert(benchmark::State &state) {
  Run(state, "%1!d! Gold", "de");
}
void BM_GroupedIntegerInsert(benchmark::State &state) {
  Run(state, "%1!'d! Gold", "de");
}
void BM_GroupedIntegerInsertHindi(benchmark::State &state) {
  Run(state, "%1!'d! Gold", "hi");
}
void BM_GroupedPrintfInsert(benchmark::State &state) {
  Run(state, "%'d Gold", "de");
}

void BM_IcuLocalizedNumberFormatter(benchmark::State &state) {
  const icu::number::LocalizedNumberFormatter f =
      icu::number::NumberFormatter::withLocale(icu::Locale("de"));
  icu::UnicodeString out;
  icu::UnicodeStringAppendable sink(out);
  std::int64_t n = 1234567;
  for (auto _ : state) {
    UErrorCode status = U_ZERO_ERROR;
    out.truncate(0);
    f.formatInt(n, status).appendTo(sink, status);
    benchmark::DoNotOptimize(out);
    n = NextNumber(n);
  }
}

BENCHMARK(BM_PlainIntegerInsert);
BENCHMARK(BM_GroupedIntegerInsert);
BENCHMARK(BM_GroupedIntegerInsertHindi);
BENCHMARK(BM_GroupedPrintfInsert);
BENCHMARK(BM_IcuLocalizedNumberFormatter);

} // namespace

BENCHMARK_MAIN();
