//===- select_bench.cpp - Choosing a gender form beside a plural form -----===//
//
// The same one-insert text stored as plural forms and as gender forms (and
// as gendered plural forms), in a French catalog of 1000 other entries:
// Catalog::plural against Catalog::select and Catalog::selectPlural, each
// formatting the chosen form into a returned Text. The values vary with
// the iteration so that every form is chosen in turn. Ratios are read
// within one run of this program.
//
//===----------------------------------------------------------------------===//

#include "bench/support/Corpus.h"

#include "phrasor/Phrasor.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace phrasor::bench;

namespace {

const phrasor::Catalog &French() {
  static std::unique_ptr<phrasor::Catalog> catalog = [] {
    std::vector<CorpusEntry> corpus = MakeCorpus(1000);
    corpus.push_back({"@locale", "fr", ""});
    const char *forms[][2] = {
        {"TREASURE#one", "%1!d! tr\xC3\xA9sor"},
        {"TREASURE#many", "%1!d! de tr\xC3\xA9sors"},
        {"TREASURE#other", "%1!d! tr\xC3\xA9sors"},
        {"FOUND#gender-feminine", "Elle a trouv\xC3\xA9 %1!d!"},
        {"FOUND#gender-masculine", "Il a trouv\xC3\xA9 %1!d!"},
        {"FOUND#gender-other", "On a trouv\xC3\xA9 %1!d!"},
        {"LOOT#gender-feminine#one",
         "Elle a trouv\xC3\xA9 %1!d! tr\xC3\xA9sor"},
        {"LOOT#gender-feminine#other",
         "Elle a trouv\xC3\xA9 %1!d! tr\xC3\xA9sors"},
        {"LOOT#gender-other#one", "On a trouv\xC3\xA9 %1!d! tr\xC3\xA9sor"},
        {"LOOT#gender-other#other", "On a trouv\xC3\xA9 %1!d! tr\xC3\xA9sors"}};
    for (const auto &f : forms)
      corpus.push_back({f[0], f[1], ""});
    const std::vector<uint8_t> file = BuildSkdb(corpus);
    auto loaded = phrasor::Catalog::fromBytes(file.data(), file.size());
    return std::make_unique<phrasor::Catalog>(std::move(*loaded));
  }();
  return *catalog;
}

constexpr phrasor::Gender kGenders[] = {
    phrasor::Gender::Feminine, phrasor::Gender::Masculine,
    phrasor::Gender::Neuter, phrasor::Gender::Other};

void BM_Choose_Plural(benchmark::State &state) {
  const phrasor::Catalog &c = French();
  int n = 0;
  for (auto _ : state) {
    auto text = c.plural("TREASURE", n & 3, n & 3);
    benchmark::DoNotOptimize(text);
    ++n;
  }
}
BENCHMARK(BM_Choose_Plural);

void BM_Choose_Gender(benchmark::State &state) {
  const phrasor::Catalog &c = French();
  int n = 0;
  for (auto _ : state) {
    auto text = c.select("FOUND", kGenders[n & 3], n & 3);
    benchmark::DoNotOptimize(text);
    ++n;
  }
}
BENCHMARK(BM_Choose_Gender);

void BM_Choose_GenderedPlural(benchmark::State &state) {
  const phrasor::Catalog &c = French();
  int n = 0;
  for (auto _ : state) {
    auto text = c.selectPlural("LOOT", kGenders[n & 3], n & 3, n & 3);
    benchmark::DoNotOptimize(text);
    ++n;
  }
}
BENCHMARK(BM_Choose_GenderedPlural);

} // namespace

BENCHMARK_MAIN();
