//===- particle_bench.cpp - Particles and set-apart inserts beside plain --===//
//
// One text insert in "%1!s! 준비됐다" (the baseline) and in its twin with a
// particle pair, "%1!(은/는)s! 준비됐다", the names alternating between one
// that ends in a final consonant and one that does not; and an Arabic text
// of a name and a number with and without setIsolateInserts. Each is
// formatted by Catalog::formatTo into a reused buffer.
//
//===----------------------------------------------------------------------===//

#include "phrasor/Phrasor.h"
#include "tools/authoring/DatabaseWriter.h"

#include <benchmark/benchmark.h>

namespace {

phrasor::Catalog CatalogOf(const char *text, const char *locale) {
  phrasor::authoring::Entry e;
  e.id = "T";
  const phrasor::Text t = phrasor::fromUtf8(text);
  e.value = std::u16string(t.begin(), t.end());
  auto bytes = phrasor::authoring::BuildDatabase({e});
  auto catalog = phrasor::Catalog::fromBytes(bytes->data(), bytes->size());
  catalog->setLocale(locale);
  return std::move(*catalog);
}

void RunName(benchmark::State &state, const char *text) {
  const phrasor::Catalog c = CatalogOf(text, "ko");
  PhrasorWChar buffer[64];
  const char *names[] = {"민준", "철수"};
  if (!c.formatTo(buffer, 64, "T", names[0])) {
    state.SkipWithError("format failed");
    return;
  }
  unsigned k = 0;
  for (auto _ : state) {
    auto written = c.formatTo(buffer, 64, "T", names[++k & 1]);
    benchmark::DoNotOptimize(written);
    benchmark::DoNotOptimize(buffer);
  }
}

void RunArabic(benchmark::State &state, bool isolate) {
  phrasor::Catalog c = CatalogOf("%1!s! وصل مع %2!d! نقاط", "ar");
  c.setIsolateInserts(isolate);
  PhrasorWChar buffer[64];
  if (!c.formatTo(buffer, 64, "T", "Ann", 3)) {
    state.SkipWithError("format failed");
    return;
  }
  int n = 0;
  for (auto _ : state) {
    auto written = c.formatTo(buffer, 64, "T", "Ann", ++n & 1023);
    benchmark::DoNotOptimize(written);
    benchmark::DoNotOptimize(buffer);
  }
}

void BM_PlainTextInsert(benchmark::State &state) {
  RunName(state, "%1!s! 준비됐다");
}
void BM_ParticleInsert(benchmark::State &state) {
  RunName(state, "%1!(은/는)s! 준비됐다");
}
void BM_ArabicInserts(benchmark::State &state) { RunArabic(state, false); }
void BM_ArabicInsertsSetApart(benchmark::State &state) {
  RunArabic(state, true);
}

} // namespace

BENCHMARK(BM_PlainTextInsert);
BENCHMARK(BM_ParticleInsert);
BENCHMARK(BM_ArabicInserts);
BENCHMARK(BM_ArabicInsertsSetApart);
BENCHMARK_MAIN();
