//===- lookup_bench.cpp - Lookups against the search's own floor ---------===//
//
// GetStringByID does a case-insensitive halving search of the sorted ID
// table. Its floor is std::lower_bound over the same sorted pointers with
// the C library's strcasecmp, the fastest case-insensitive comparison a
// user could reach for; the same search with our byte-at-a-time folding
// comparison and an unordered_map keyed by the folded ID are kept beside it.
// Queries come in a fixed random order, so at 1M entries every system pays
// the cache misses a real game would. "OtherCase" queries are hits spelled
// in another letter case than the stored ID.
//
//===----------------------------------------------------------------------===//

#include "bench/support/Corpus.h"

#include "base/StrUtil.h"

#include <benchmark/benchmark.h>

#include <strings.h>

#include <algorithm>
#include <map>
#include <memory>
#include <unordered_map>

using namespace phrasor::bench;

namespace {

constexpr std::size_t kQueries = 1 << 16;

// Everything the lookups of one size need, built once.
struct Fixture {
  HSTRINGKEEPER keeper = nullptr;
  std::vector<const char *> hits, misses, otherCase;
  std::vector<int32_t> indices;
  std::vector<std::string> missIds, otherCaseIds;
  std::vector<const char *> sortedIds;
  std::vector<const PhrasorWChar *> sortedValues;
  std::vector<uint32_t> valueRefs;
  std::unordered_map<std::string, const PhrasorWChar *> byFoldedId;
};

const Fixture &GetFixture(std::size_t n) {
  static std::map<std::size_t, std::unique_ptr<Fixture>> cache;
  std::unique_ptr<Fixture> &slot = cache[n];
  if (slot)
    return *slot;
  slot = std::make_unique<Fixture>();
  Fixture &f = *slot;
  const Dataset &data = GetDataset(n);
  MemoryReadStream stream(data.file.data(), data.file.size());
  f.keeper = GetIPhrasorMgr()->CreateKeeper(&stream);

  for (uint32_t i : RandomOrder(n, kQueries))
    f.hits.push_back(data.entries[i].id.c_str());
  f.missIds = MakeMisses(data.entries, kQueries);
  for (const std::string &id : f.missIds)
    f.misses.push_back(id.c_str());
  // Swap the case of every letter, so the spelling differs from the stored
  // one wherever the ID has a letter.
  for (const char *id : f.hits) {
    std::string swapped(id);
    for (char &c : swapped) {
      if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 'a' + 'A');
      else if (c >= 'A' && c <= 'Z')
        c = static_cast<char>(c - 'A' + 'a');
    }
    f.otherCaseIds.push_back(std::move(swapped));
  }
  for (const std::string &id : f.otherCaseIds)
    f.otherCase.push_back(id.c_str());
  for (uint32_t i : RandomOrder(n, kQueries))
    f.indices.push_back(static_cast<int32_t>(i));

  // The baselines search the keeper's own strings, so memory layout is the
  // same for every contender and only the algorithm and call path differ.
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  for (uint32_t i = 0; i < n; ++i) {
    f.sortedIds.push_back(mgr->GetStringID(f.keeper, static_cast<int32_t>(i)));
    f.sortedValues.push_back(
        mgr->GetStringByIndex(f.keeper, static_cast<int32_t>(i)));
    f.valueRefs.push_back(i);
  }
  f.byFoldedId.reserve(n);
  for (std::size_t i = 0; i < n; ++i)
    f.byFoldedId.emplace(FoldId(f.sortedIds[i]), f.sortedValues[i]);
  return f;
}

const Fixture &Setup(benchmark::State &state) {
  return GetFixture(static_cast<std::size_t>(state.range(0)));
}

// Every contender runs the same loop: one query per iteration, taken from
// the fixed order and wrapping at kQueries, so contenders differ only in
// what \p find does with it.
template <typename Query, typename Find>
void QueryLoop(benchmark::State &state, const std::vector<Query> &queries,
               Find find) {
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(find(queries[i]));
    i = (i + 1) & (kQueries - 1);
  }
}

// --- Ours -----------------------------------------------------------------

void Lookup(benchmark::State &state, const std::vector<const char *> &ids,
            HSTRINGKEEPER keeper) {
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  QueryLoop(state, ids,
            [&](const char *id) { return mgr->GetStringByID(keeper, id); });
}

void BM_LookupHit_GetStringByID(benchmark::State &state) {
  const Fixture &f = Setup(state);
  Lookup(state, f.hits, f.keeper);
}

void BM_LookupMiss_GetStringByID(benchmark::State &state) {
  const Fixture &f = Setup(state);
  // Misses report through the error callback; none is registered here, as
  // in a shipped game, so the report costs one test of a null pointer.
  Lookup(state, f.misses, f.keeper);
}

void BM_LookupOtherCase_GetStringByID(benchmark::State &state) {
  const Fixture &f = Setup(state);
  Lookup(state, f.otherCase, f.keeper);
}

void IndexLoop(benchmark::State &state, const std::vector<const char *> &ids,
               HSTRINGKEEPER keeper) {
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  QueryLoop(state, ids,
            [&](const char *id) { return mgr->GetStringIndex(keeper, id); });
}

void BM_LookupHit_GetStringIndex(benchmark::State &state) {
  const Fixture &f = Setup(state);
  IndexLoop(state, f.hits, f.keeper);
}

void BM_LookupMiss_GetStringIndex(benchmark::State &state) {
  const Fixture &f = Setup(state);
  IndexLoop(state, f.misses, f.keeper);
}

void BM_LookupOtherCase_GetStringIndex(benchmark::State &state) {
  const Fixture &f = Setup(state);
  IndexLoop(state, f.otherCase, f.keeper);
}

void BM_ByIndex_GetStringByIndex(benchmark::State &state) {
  const Fixture &f = Setup(state);
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  QueryLoop(state, f.indices, [&](int32_t index) {
    return mgr->GetStringByIndex(f.keeper, index);
  });
}

// --- Baselines --------------------------------------------------------------

const PhrasorWChar *LowerBound(const Fixture &f, const char *id) {
  auto it = std::lower_bound(
      f.sortedIds.begin(), f.sortedIds.end(), id,
      [](const char *a, const char *b) { return phrasor::StrICmp(a, b) < 0; });
  if (it == f.sortedIds.end() || phrasor::StrICmp(*it, id) != 0)
    return nullptr;
  return f.sortedValues[static_cast<std::size_t>(it - f.sortedIds.begin())];
}

void LowerBoundLoop(benchmark::State &state, const Fixture &f,
                    const std::vector<const char *> &ids) {
  QueryLoop(state, ids, [&](const char *id) { return LowerBound(f, id); });
}

void BM_LookupHit_LowerBound(benchmark::State &state) {
  const Fixture &f = Setup(state);
  LowerBoundLoop(state, f, f.hits);
}

void BM_LookupMiss_LowerBound(benchmark::State &state) {
  const Fixture &f = Setup(state);
  LowerBoundLoop(state, f, f.misses);
}

// The honest floor: the same search over the keeper's own ID table with the
// C library's vectorised strcasecmp. Its folding agrees with ours on the
// ASCII IDs of the corpus (the benchmarks run in the "C" locale).
const PhrasorWChar *StrCaseCmpLowerBound(const Fixture &f, const char *id) {
  auto it = std::lower_bound(
      f.sortedIds.begin(), f.sortedIds.end(), id,
      [](const char *a, const char *b) { return strcasecmp(a, b) < 0; });
  if (it == f.sortedIds.end() || strcasecmp(*it, id) != 0)
    return nullptr;
  return f.sortedValues[static_cast<std::size_t>(it - f.sortedIds.begin())];
}

void StrCaseCmpLoop(benchmark::State &state, const Fixture &f,
                    const std::vector<const char *> &ids) {
  QueryLoop(state, ids,
            [&](const char *id) { return StrCaseCmpLowerBound(f, id); });
}

void BM_LookupHit_StrCaseCmp(benchmark::State &state) {
  const Fixture &f = Setup(state);
  StrCaseCmpLoop(state, f, f.hits);
}

void BM_LookupMiss_StrCaseCmp(benchmark::State &state) {
  const Fixture &f = Setup(state);
  StrCaseCmpLoop(state, f, f.misses);
}

void BM_LookupOtherCase_StrCaseCmp(benchmark::State &state) {
  const Fixture &f = Setup(state);
  StrCaseCmpLoop(state, f, f.otherCase);
}

void MapLoop(benchmark::State &state, const Fixture &f,
             const std::vector<const char *> &ids) {
  std::string key; // reused, so the loop allocates nothing after warm-up
  QueryLoop(state, ids, [&](const char *id) {
    key.assign(id);
    for (char &c : key)
      c = static_cast<char>(phrasor::FoldAscii(static_cast<unsigned char>(c)));
    auto it = f.byFoldedId.find(key);
    return it == f.byFoldedId.end() ? nullptr : it->second;
  });
}

void BM_LookupHit_UnorderedMap(benchmark::State &state) {
  const Fixture &f = Setup(state);
  MapLoop(state, f, f.hits);
}

void BM_LookupMiss_UnorderedMap(benchmark::State &state) {
  const Fixture &f = Setup(state);
  MapLoop(state, f, f.misses);
}

// By index the floor is the two table reads themselves: the entry's value
// reference, then the value's pointer.
void BM_ByIndex_Array(benchmark::State &state) {
  const Fixture &f = Setup(state);
  QueryLoop(state, f.indices, [&](int32_t index) {
    return f.sortedValues[f.valueRefs[static_cast<std::size_t>(index)]];
  });
}

void Sizes(benchmark::internal::Benchmark *b) {
  b->Arg(1000)->Arg(100000)->Arg(1000000);
}

} // namespace

BENCHMARK(BM_LookupHit_GetStringByID)->Apply(Sizes);
BENCHMARK(BM_LookupHit_GetStringIndex)->Apply(Sizes);
BENCHMARK(BM_LookupHit_StrCaseCmp)->Apply(Sizes);
BENCHMARK(BM_LookupHit_LowerBound)->Apply(Sizes);
BENCHMARK(BM_LookupHit_UnorderedMap)->Apply(Sizes);
BENCHMARK(BM_LookupMiss_GetStringByID)->Apply(Sizes);
BENCHMARK(BM_LookupMiss_GetStringIndex)->Apply(Sizes);
BENCHMARK(BM_LookupMiss_StrCaseCmp)->Apply(Sizes);
BENCHMARK(BM_LookupMiss_LowerBound)->Apply(Sizes);
BENCHMARK(BM_LookupMiss_UnorderedMap)->Apply(Sizes);
BENCHMARK(BM_LookupOtherCase_GetStringByID)->Apply(Sizes);
BENCHMARK(BM_LookupOtherCase_GetStringIndex)->Apply(Sizes);
BENCHMARK(BM_LookupOtherCase_StrCaseCmp)->Apply(Sizes);
BENCHMARK(BM_ByIndex_GetStringByIndex)->Apply(Sizes);
BENCHMARK(BM_ByIndex_Array)->Apply(Sizes);

BENCHMARK_MAIN();
