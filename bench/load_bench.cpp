//===- load_bench.cpp - Loading a database against the copy floor ---------===//
//
// A load cannot beat copying the file once and looking at each string once:
// BM_Load_CopyFloor does exactly that (obtain the memory, memcpy, one pass
// that finds every string's end), so BM_Load_CreateKeeper / CopyFloor is the
// loader's overhead over the physical limit. Both report bytes per second of
// file.
//
//===----------------------------------------------------------------------===//

#include "Corpus.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

using namespace phrasor::bench;

namespace {

uint32_t Word(const uint8_t *p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

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
  const uint8_t *file = data.file.data();
  const uint32_t ids = Word(file + 8), total = Word(file + 12),
                 voices = Word(file + 16);
  for (auto _ : state) {
    // Fresh memory each time, as a loader must obtain it: the page faults
    // of a large block are part of the floor.
    char *block = static_cast<char *>(std::malloc(data.file.size()));
    std::memcpy(block, file, data.file.size());
    const char *cursor = block + 24;
    uint64_t sum = 0;
    for (uint32_t i = 0; i < ids; ++i) {
      std::size_t n = std::strlen(cursor);
      sum += n;
      cursor += (n + 4) & ~std::size_t{3};
    }
    for (uint32_t j = ids; j < total; ++j) {
      const char16_t *w = reinterpret_cast<const char16_t *>(cursor);
      std::size_t n = 0;
      while (w[n])
        ++n;
      sum += n;
      cursor += (2 * n + 5) & ~std::size_t{3};
    }
    for (uint32_t k = 0; k < voices; ++k) {
      std::size_t n = std::strlen(cursor);
      sum += n;
      cursor += (n + 4) & ~std::size_t{3};
    }
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(cursor);
    std::free(block);
  }
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
