//===- open_bench.cpp - Opening a catalog file against reading it ---------===//
//
// The floor of any open is reading the file into memory once:
// BM_Open_ReadFile does that, with std::fread into memory obtained for it
// (uninitialised, so the floor does not pay for zeroing). BM_Open_Catalog
// times Catalog::open and, in the same iterations, that read, and reports
// open_per_read; BM_Open_Reload times a Localizer's reload of its changed
// file beside a Catalog::open of the same file and reports
// reload_per_open. BM_Open_RawKeeper is the raw runtime's open (read the
// file, CreateKeeper from memory), raw_per_read. Targets: an open within 1.5x
// of the read, a reload within 1x of an open.
//
// BM_Open_PeakMemory (Linux) runs each open in a fresh process of this
// program and reads its peak resident memory, so that nothing the parent
// holds or has freed is counted: peak_per_file_index is the rise of the
// peak over the file's size plus the catalog's index (what the catalog
// holds beyond the runtime's keeper), target 1.5x.
//
//===----------------------------------------------------------------------===//

#include "bench/support/Corpus.h"

#include "phrasor/Phrasor.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

using namespace phrasor::bench;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

long ProcessId() {
#if defined(_WIN32)
  return _getpid();
#else
  return static_cast<long>(::getpid());
#endif
}

// The databases on disk, one directory per size, removed at exit.
struct Files {
  fs::path root;
  std::map<std::size_t, fs::path> byCount;
  ~Files() {
    std::error_code ec;
    if (!root.empty())
      fs::remove_all(root, ec);
  }
};

Files &AllFiles() {
  static Files files;
  return files;
}

const fs::path &GetFile(std::size_t n) {
  Files &files = AllFiles();
  fs::path &slot = files.byCount[n];
  if (!slot.empty())
    return slot;
  if (files.root.empty()) {
    files.root = fs::temp_directory_path() /
                 ("phrasor_open_bench_" + std::to_string(ProcessId()));
  }
  const fs::path dir = files.root / std::to_string(n);
  fs::create_directories(dir);
  slot = dir / "en.skdb";
  const std::vector<uint8_t> &bytes = GetDataset(n).file;
  std::ofstream out(slot, std::ios::binary);
  out.write(reinterpret_cast<const char *>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return slot;
}

// The file in memory the plainest way a host would read it.
std::size_t ReadWhole(const fs::path &file) {
  std::FILE *f = std::fopen(file.c_str(), "rb");
  if (!f)
    return 0;
  const auto size = static_cast<std::size_t>(fs::file_size(file));
  std::unique_ptr<uint8_t[]> bytes(new uint8_t[size]);
  const std::size_t got = std::fread(bytes.get(), 1, size, f);
  std::fclose(f);
  benchmark::DoNotOptimize(bytes.get());
  benchmark::ClobberMemory();
  return got;
}

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

void Sizes(benchmark::internal::Benchmark *b) {
  b->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

void BM_Open_ReadFile(benchmark::State &state) {
  const fs::path &file = GetFile(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(ReadWhole(file));
  state.counters["file_bytes"] = static_cast<double>(fs::file_size(file));
}
BENCHMARK(BM_Open_ReadFile)->Apply(Sizes);

void BM_Open_Catalog(benchmark::State &state) {
  const fs::path &file = GetFile(static_cast<std::size_t>(state.range(0)));
  double read = 0, open = 0;
  for (auto _ : state) {
    const Clock::time_point t0 = Clock::now();
    benchmark::DoNotOptimize(ReadWhole(file));
    const Clock::time_point t1 = Clock::now();
    phrasor::Expected<phrasor::Catalog> c = phrasor::Catalog::open(file);
    const Clock::time_point t2 = Clock::now();
    if (!c) {
      state.SkipWithError(c.error().message().c_str());
      break;
    }
    read += Seconds(t0, t1);
    open += Seconds(t1, t2);
    state.SetIterationTime(Seconds(t1, t2));
  }
  state.counters["open_per_read"] = read > 0 ? open / read : 0;
}
BENCHMARK(BM_Open_Catalog)->Apply(Sizes)->UseManualTime();

// How a host of the raw runtime opens a file: read it into memory, load the
// keeper from there. The distance from this to BM_Open_Catalog is the
// catalog's index.
void BM_Open_RawKeeper(benchmark::State &state) {
  const fs::path &file = GetFile(static_cast<std::size_t>(state.range(0)));
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  double read = 0, raw = 0;
  for (auto _ : state) {
    const Clock::time_point t0 = Clock::now();
    benchmark::DoNotOptimize(ReadWhole(file));
    const Clock::time_point t1 = Clock::now();
    std::FILE *f = std::fopen(file.c_str(), "rb");
    const auto size = static_cast<std::size_t>(fs::file_size(file));
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[size]);
    const std::size_t got = f ? std::fread(bytes.get(), 1, size, f) : 0;
    if (f)
      std::fclose(f);
    MemoryReadStream stream(bytes.get(), got);
    HSTRINGKEEPER keeper = mgr->CreateKeeper(&stream);
    const Clock::time_point t2 = Clock::now();
    if (!keeper) {
      state.SkipWithError("the database does not load");
      break;
    }
    mgr->ReleaseKeeper(keeper);
    read += Seconds(t0, t1);
    raw += Seconds(t1, t2);
    state.SetIterationTime(Seconds(t1, t2));
  }
  state.counters["raw_per_read"] = read > 0 ? raw / read : 0;
}
BENCHMARK(BM_Open_RawKeeper)->Apply(Sizes)->UseManualTime();

void BM_Open_Reload(benchmark::State &state) {
  const fs::path &file = GetFile(static_cast<std::size_t>(state.range(0)));
  phrasor::Expected<phrasor::Localizer> lang =
      phrasor::Localizer::load(file.parent_path(), "en");
  if (!lang) {
    state.SkipWithError(lang.error().message().c_str());
    return;
  }
  fs::file_time_type written = fs::last_write_time(file);
  double open = 0, reload = 0;
  for (auto _ : state) {
    // A new time each round, so that the reload finds the file changed.
    written += std::chrono::seconds(1);
    fs::last_write_time(file, written);
    const Clock::time_point t0 = Clock::now();
    phrasor::Expected<phrasor::Catalog> c = phrasor::Catalog::open(file);
    const Clock::time_point t1 = Clock::now();
    phrasor::Expected<std::uint64_t> revision = lang->reload();
    const Clock::time_point t2 = Clock::now();
    if (!c || !revision || lang->collect() != 1) {
      state.SkipWithError("the file did not reopen");
      break;
    }
    open += Seconds(t0, t1);
    reload += Seconds(t1, t2);
    state.SetIterationTime(Seconds(t1, t2));
  }
  state.counters["reload_per_open"] = open > 0 ? reload / open : 0;
}
BENCHMARK(BM_Open_Reload)->Apply(Sizes)->UseManualTime();

#if defined(__linux__)

// Resident memory now and at its peak, in bytes.
struct Resident {
  double now = 0, peak = 0;
};

Resident ReadResident() {
  Resident r;
  std::ifstream status("/proc/self/status");
  std::string key;
  double kib;
  while (status >> key) {
    if (key == "VmRSS:" && status >> kib)
      r.now = kib * 1024;
    else if (key == "VmHWM:" && status >> kib)
      r.peak = kib * 1024;
  }
  return r;
}

// The child's side: opens \p file once and prints the peak's rise, what
// stays resident and the keeper's share of it, in bytes.
int MeasureOpen(const char *file) {
  static CountingMemory memory;
  SetIQVMemory(&memory);
  const Resident before = ReadResident();
  phrasor::Expected<phrasor::Catalog> c = phrasor::Catalog::open(file);
  if (!c)
    return 1;
  const Resident after = ReadResident();
  std::printf("%.0f %.0f %lld\n", after.peak - before.now,
              after.now - before.now,
              static_cast<long long>(memory.LiveBytes()));
  return 0;
}

void BM_Open_PeakMemory(benchmark::State &state) {
  const fs::path &file = GetFile(static_cast<std::size_t>(state.range(0)));
  const double fileBytes = static_cast<double>(fs::file_size(file));
  double peak = 0, kept = 0, keeper = 0;
  for (auto _ : state) {
    const std::string command = "'/proc/" + std::to_string(ProcessId()) +
                                "/exe' --open-peak '" + file.string() + "'";
    std::FILE *child = ::popen(command.c_str(), "r");
    long long k = 0;
    if (!child || std::fscanf(child, "%lf %lf %lld", &peak, &kept, &k) != 3 ||
        ::pclose(child) != 0) {
      state.SkipWithError("the measuring process failed");
      break;
    }
    keeper = static_cast<double>(k);
  }
  const double index = kept - keeper;
  state.counters["file_bytes"] = fileBytes;
  state.counters["keeper_bytes"] = keeper;
  state.counters["index_bytes"] = index;
  state.counters["peak_bytes"] = peak;
  state.counters["peak_per_file_index"] = peak / (fileBytes + index);
}
BENCHMARK(BM_Open_PeakMemory)->Apply(Sizes)->Iterations(1);

#endif

} // namespace

int main(int argc, char **argv) {
#if defined(__linux__)
  if (argc == 3 && std::string(argv[1]) == "--open-peak")
    return MeasureOpen(argv[2]);
#endif
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
