//===- load_bench.cpp - Loading a database against the copy floor ---------===//
//
// A load cannot beat copying the file once and looking at each string once:
// BM_Load_CopyFloor does exactly that (obtain the memory, memcpy, one pass
// that finds every string's end), so BM_Load_CreateKeeper / CopyFloor is the
// loader's overhead over the physical limit. Both report bytes per second of
// file.
//
//===----------------------------------------------------------------------===//

#include "bench/support/Corpus.h"

#include <benchmark/benchmark.h>

using namespace phrasor::bench;

namespace {

void BM_Load_CreateKeeper(benchmark::State &state) {
  const Dataset &data = GetDataset(static_cast<std::size_t>(state.range(0)));
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  for (auto _ : state) {
    MemoryReadStream stream(data.file.data(), data.file.size());
    HSTRINGKEEPER keeper = mgr->CreateKeeper(&stream);
    if (!keeper) {
      state.SkipWithError("the database does not load");
      break;
    }
    benchmark::DoNotOptimize(keeper);
    mgr->ReleaseKeeper(keeper);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(data.file.size()));
  state.counters["file_bytes"] = static_cast<double>(data.file.size());
}

void BM_Load_CopyFloor(benchmark::State &state) {
  const Dataset &data = GetDataset(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(CopyFloor(data.file));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(data.file.size()));
  state.counters["file_bytes"] = static_cast<double>(data.file.size());
}

void Sizes(benchmark::internal::Benchmark *b) {
  b->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
}

} // namespace

BENCHMARK(BM_Load_CreateKeeper)->Apply(Sizes);
BENCHMARK(BM_Load_CopyFloor)->Apply(Sizes);

BENCHMARK_MAIN();
