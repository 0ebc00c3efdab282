//===- peers_bench.cpp - The runtime beside gettext, ICU, fmt and a map --===//
//
// The same catalog, the same queries, the same run: load, lookup by ID (hits
// in random order and misses), two-insert message formatting, and memory
// held after load, each system behind a small adapter. Names follow
// BM_<Operation>_<System>/<entries>; scripts/bench-peers turns the medians
// into the ratio tables of docs/performance.md.
//
// Needs PHRASOR_PEERS_DATA (the directory scripts/bench-peers fills with
// n<N>/catalog.{skdb,res} and n<N>/en/LC_MESSAGES/peers<N>.mo) and a UTF-8
// locale other than C, which gettext needs before it translates anything.
//
//===----------------------------------------------------------------------===//

#include "bench/support/Corpus.h"

#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <fmt/xchar.h>
#include <unicode/msgfmt.h>
#include <unicode/ures.h>

#include <libintl.h>
#include <locale.h>
#include <malloc.h>
#include <unistd.h>
#include <wchar.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <unordered_map>

using namespace phrasor::bench;

namespace {

constexpr std::size_t kQueries = 1 << 16;
std::string DataRoot;
CountingMemory HostMemory;
// Every load of a peer must really load: both peers cache what they opened
// by path for the life of the process. So each load reaches the catalog
// through a directory link of its own, n<N>/v<k> -> ., which keeps every
// path equally short (a growing "dir/././." would make later loads slower).
std::map<std::string, int> PathVariants;

std::string Dir(std::size_t n) { return DataRoot + "/n" + std::to_string(n); }
std::string FreshPath(std::size_t n, const char *system) {
  int k = PathVariants[std::string(system) + std::to_string(n)]++;
  std::string link = Dir(n) + "/v" + std::to_string(k);
  if (symlink(".", link.c_str()) != 0 && errno != EEXIST) {
    std::perror(link.c_str());
    std::exit(1);
  }
  return link + "/";
}
std::string GettextDomain(const char *kind, std::size_t n) {
  return kind + std::to_string(n);
}

std::vector<uint8_t> ReadFile(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

/// A host stream over stdio, unlocked because one thread owns it.
class FileReadStream : public IReadStream {
public:
  explicit FileReadStream(const char *path) : file(std::fopen(path, "rb")) {}
  virtual ~FileReadStream() {
    if (file)
      std::fclose(file);
  }
  int32_t Read(void *buffer, uint32_t size) override {
    return file && fread_unlocked(buffer, 1, size, file) == size ? 0 : 1;
  }

private:
  std::FILE *file;
};

/// Heap in use, address space mapped and resident set, for deltas.
struct MemorySnapshot {
  double heap, mapped, resident;
  static MemorySnapshot Take() {
    struct mallinfo2 info = mallinfo2();
    long pageSize = sysconf(_SC_PAGESIZE);
    unsigned long size = 0, resident = 0;
    if (std::FILE *statm = std::fopen("/proc/self/statm", "r")) {
      if (std::fscanf(statm, "%lu %lu", &size, &resident) != 2)
        size = resident = 0;
      std::fclose(statm);
    }
    return {static_cast<double>(info.uordblks + info.hblkhd),
            static_cast<double>(size) * pageSize,
            static_cast<double>(resident) * pageSize};
  }
};

void SetMemoryCounters(benchmark::State &state, const MemorySnapshot &before,
                       const MemorySnapshot &after) {
  state.counters["heap_bytes"] = after.heap - before.heap;
  state.counters["mapped_bytes"] = after.mapped - before.mapped;
  state.counters["rss_bytes"] = after.resident - before.resident;
}

// --- Per-size fixture -------------------------------------------------------

struct Fixture {
  std::size_t n = 0;
  std::vector<uint8_t> file;
  std::string skdbPath;
  HSTRINGKEEPER keeper = nullptr;
  UResourceBundle *bundle = nullptr;
  std::string domain;
  std::vector<const char *> hits, misses;
  std::vector<std::string> missIds;
  std::unordered_map<std::string, const PhrasorWChar *> byFoldedId;
};

const Fixture &GetFixture(std::size_t n) {
  static std::map<std::size_t, std::unique_ptr<Fixture>> cache;
  std::unique_ptr<Fixture> &slot = cache[n];
  if (slot)
    return *slot;
  slot = std::make_unique<Fixture>();
  Fixture &f = *slot;
  f.n = n;
  const Dataset &data = GetDataset(n);
  f.skdbPath = Dir(n) + "/catalog.skdb";
  f.file = ReadFile(f.skdbPath);
  if (f.file != data.file) {
    std::fprintf(stderr, "error: %s: not the catalog this program generates\n",
                 f.skdbPath.c_str());
    std::exit(1);
  }
  MemoryReadStream stream(f.file.data(), f.file.size());
  f.keeper = GetIPhrasorMgr()->CreateKeeper(&stream);

  UErrorCode status = U_ZERO_ERROR;
  f.bundle = ures_openDirect((Dir(n) + "/").c_str(), "catalog", &status);
  if (U_FAILURE(status)) {
    std::fprintf(stderr, "error: %s/catalog.res: %s\n", Dir(n).c_str(),
                 u_errorName(status));
    std::exit(1);
  }
  f.domain = GettextDomain("peers", n);
  bindtextdomain(f.domain.c_str(), Dir(n).c_str());
  bind_textdomain_codeset(f.domain.c_str(), "UTF-8");
  if (dgettext(f.domain.c_str(), kScoreId) == std::string_view(kScoreId)) {
    std::fprintf(stderr,
                 "error: gettext translates nothing: is a UTF-8 "
                 "locale other than C set, and %s/en/LC_MESSAGES/"
                 "%s.mo built?\n",
                 Dir(n).c_str(), f.domain.c_str());
    std::exit(1);
  }

  for (uint32_t i : RandomOrder(n, kQueries))
    f.hits.push_back(data.entries[i].id.c_str());
  f.missIds = MakeMisses(data.entries, kQueries);
  for (const std::string &id : f.missIds)
    f.misses.push_back(id.c_str());
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  for (const CorpusEntry &e : data.entries)
    f.byFoldedId.emplace(FoldId(e.id),
                         mgr->GetStringByID(f.keeper, e.id.c_str()));
  return f;
}

const Fixture &Setup(benchmark::State &state) {
  return GetFixture(static_cast<std::size_t>(state.range(0)));
}

// --- Load -------------------------------------------------------------------

void BM_Load_Ours(benchmark::State &state) {
  const Fixture &f = Setup(state);
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  for (auto _ : state) {
    MemoryReadStream stream(f.file.data(), f.file.size());
    HSTRINGKEEPER keeper = mgr->CreateKeeper(&stream);
    benchmark::DoNotOptimize(keeper);
    mgr->ReleaseKeeper(keeper);
  }
}

void BM_Load_OursFile(benchmark::State &state) {
  const Fixture &f = Setup(state);
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  for (auto _ : state) {
    FileReadStream stream(f.skdbPath.c_str());
    HSTRINGKEEPER keeper = mgr->CreateKeeper(&stream);
    if (!keeper) {
      state.SkipWithError("the database file does not load");
      break;
    }
    mgr->ReleaseKeeper(keeper);
  }
}

void BM_Load_CopyFloor(benchmark::State &state) {
  const Fixture &f = Setup(state);
  for (auto _ : state)
    benchmark::DoNotOptimize(CopyFloor(f.file));
}

// The peers never unload (gettext) or keep what they opened cached (ICU), so
// each iteration opens under a fresh path and only the opening is timed.
using Clock = std::chrono::steady_clock;

void BM_Load_Gettext(benchmark::State &state) {
  const Fixture &f = Setup(state);
  const std::string domain = GettextDomain("load", f.n);
  for (auto _ : state) {
    std::string path = FreshPath(f.n, "gettext");
    Clock::time_point start = Clock::now();
    bindtextdomain(domain.c_str(), path.c_str());
    benchmark::DoNotOptimize(dgettext(domain.c_str(), kScoreId));
    state.SetIterationTime(
        std::chrono::duration<double>(Clock::now() - start).count());
  }
}

void BM_Load_ICU(benchmark::State &state) {
  const Fixture &f = Setup(state);
  for (auto _ : state) {
    std::string path = FreshPath(f.n, "icu");
    UErrorCode status = U_ZERO_ERROR;
    Clock::time_point start = Clock::now();
    UResourceBundle *bundle = ures_openDirect(path.c_str(), "catalog", &status);
    state.SetIterationTime(
        std::chrono::duration<double>(Clock::now() - start).count());
    if (U_FAILURE(status)) {
      state.SkipWithError("ures_openDirect failed");
      break;
    }
    ures_close(bundle);
  }
}

// --- Lookup by ID
// -------------------------------------------------------------

template <typename Lookup>
void LookupLoop(benchmark::State &state, const std::vector<const char *> &ids,
                Lookup lookup) {
  // One untimed pass first: every system is measured in its steady state.
  // gettext in particular caches each translation it finds, and forgets
  // them all whenever a domain is bound, as the load benchmarks do.
  for (const char *id : ids)
    benchmark::DoNotOptimize(lookup(id));
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(lookup(ids[i]));
    i = (i + 1) & (kQueries - 1);
  }
}

auto OursLookup(const Fixture &f) {
  return [mgr = GetIPhrasorMgr(), keeper = f.keeper](const char *id) {
    return mgr->GetStringByID(keeper, id);
  };
}
auto GettextLookup(const Fixture &f) {
  return [domain = f.domain.c_str()](const char *id) {
    return dgettext(domain, id);
  };
}
auto IcuLookup(const Fixture &f) {
  return [bundle = f.bundle](const char *id) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    const UChar *value = ures_getStringByKey(bundle, id, &length, &status);
    return U_SUCCESS(status) ? value : nullptr;
  };
}
auto MapLookup(const Fixture &f) {
  return [&map = f.byFoldedId, key = std::string()](const char *id) mutable {
    key.assign(id); // reused: no allocation once warm
    for (char &c : key)
      if (c >= 'A' && c <= 'Z')
        c = static_cast<char>(c - 'A' + 'a');
    auto it = map.find(key);
    return it == map.end() ? nullptr : it->second;
  };
}

#define PHRASOR_LOOKUP_BENCH(System, Make)                                     \
  void BM_LookupHit_##System(benchmark::State &state) {                        \
    const Fixture &f = Setup(state);                                           \
    LookupLoop(state, f.hits, Make(f));                                        \
  }                                                                            \
  void BM_LookupMiss_##System(benchmark::State &state) {                       \
    const Fixture &f = Setup(state);                                           \
    LookupLoop(state, f.misses, Make(f));                                      \
  }
PHRASOR_LOOKUP_BENCH(Ours, OursLookup)
PHRASOR_LOOKUP_BENCH(Gettext, GettextLookup)
PHRASOR_LOOKUP_BENCH(ICU, IcuLookup)
PHRASOR_LOOKUP_BENCH(UnorderedMap, MapLookup)
#undef PHRASOR_LOOKUP_BENCH

// --- Message formatting
// ---------------------------------------------------------
// "<name> has <n> points" with a string and an integer insert, written into
// a 256-unit buffer. Ours finds the message by ID and parses it on every
// call; the peers get their pattern handed to them.

constexpr uint32_t kBuffer = 256;

// Every system must produce the same text, or the comparison is void.
template <typename Char>
bool Expected(benchmark::State &state, const Char *text) {
  const char *want = "Ann has 7 points";
  std::size_t i = 0;
  for (; want[i]; ++i)
    if (text[i] != static_cast<Char>(want[i]))
      break;
  if (want[i] == 0 && text[i] == 0)
    return true;
  state.SkipWithError("wrong output");
  return false;
}

void BM_Format_Ours(benchmark::State &state) {
  const Fixture &f = Setup(state);
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  PhrasorWChar buffer[kBuffer];
  for (auto _ : state) {
    if (!mgr->FormatMessageByID(f.keeper, kScoreId, buffer, kBuffer,
                                PHRASOR_TEXT("Ann"), 7)) {
      state.SkipWithError("FormatMessageByID failed");
      break;
    }
    benchmark::DoNotOptimize(buffer);
  }
  Expected(state, buffer);
}

void BM_Format_OursByIndex(benchmark::State &state) {
  const Fixture &f = Setup(state);
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  const int32_t index = mgr->GetStringIndex(f.keeper, kScoreId);
  PhrasorWChar buffer[kBuffer];
  for (auto _ : state) {
    if (!mgr->FormatMessageByIndex(f.keeper, index, buffer, kBuffer,
                                   PHRASOR_TEXT("Ann"), 7)) {
      state.SkipWithError("FormatMessageByIndex failed");
      break;
    }
    benchmark::DoNotOptimize(buffer);
  }
  Expected(state, buffer);
}

// ICU at its best: the pattern parsed once, the arguments built once.
void BM_Format_ICUPrepared(benchmark::State &state) {
  UErrorCode status = U_ZERO_ERROR;
  icu::MessageFormat format(u"{0} has {1} points", icu::Locale::getRoot(),
                            status);
  const icu::Formattable args[] = {icu::UnicodeString(u"Ann"),
                                   icu::Formattable(int32_t{7})};
  UChar buffer[kBuffer];
  icu::UnicodeString out;
  for (auto _ : state) {
    out.remove();
    icu::FieldPosition position;
    format.format(args, 2, out, position, status);
    out.extract(buffer, kBuffer, status);
    benchmark::DoNotOptimize(buffer);
  }
  if (U_FAILURE(status))
    state.SkipWithError(u_errorName(status));
  else
    Expected(state, buffer);
}

// ICU as ours works: the pattern parsed on every call.
void BM_Format_ICUStatic(benchmark::State &state) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::UnicodeString pattern(u"{0} has {1} points");
  const icu::Formattable args[] = {icu::UnicodeString(u"Ann"),
                                   icu::Formattable(int32_t{7})};
  UChar buffer[kBuffer];
  icu::UnicodeString out;
  for (auto _ : state) {
    out.remove();
    icu::MessageFormat::format(pattern, args, 2, out, status);
    out.extract(buffer, kBuffer, status);
    benchmark::DoNotOptimize(buffer);
  }
  if (U_FAILURE(status))
    state.SkipWithError(u_errorName(status));
  else
    Expected(state, buffer);
}

void BM_Format_Fmt(benchmark::State &state) {
  // A runtime pattern, as a translated string is.
  const std::wstring pattern = L"{0} has {1} points";
  wchar_t buffer[kBuffer];
  for (auto _ : state) {
    auto result = fmt::format_to_n(buffer, kBuffer - 1, pattern, L"Ann", 7);
    *result.out = 0;
    benchmark::DoNotOptimize(buffer);
  }
  Expected(state, buffer);
}

void BM_Format_Swprintf(benchmark::State &state) {
  wchar_t buffer[kBuffer];
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        swprintf(buffer, kBuffer, L"%2$ls has %1$d points", 7, L"Ann"));
    benchmark::DoNotOptimize(buffer);
  }
  Expected(state, buffer);
}

// --- Memory held after load
// ---------------------------------------------------------

void BM_Memory_Ours(benchmark::State &state) {
  const Fixture &f = Setup(state);
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  for (auto _ : state) {
    const int64_t live = HostMemory.LiveBytes();
    MemorySnapshot before = MemorySnapshot::Take();
    MemoryReadStream stream(f.file.data(), f.file.size());
    HSTRINGKEEPER keeper = mgr->CreateKeeper(&stream);
    MemorySnapshot after = MemorySnapshot::Take();
    SetMemoryCounters(state, before, after);
    // Everything the runtime holds goes through the host's allocator.
    state.counters["heap_bytes"] =
        static_cast<double>(HostMemory.LiveBytes() - live);
    mgr->ReleaseKeeper(keeper);
  }
}

void BM_Memory_Gettext(benchmark::State &state) {
  const Fixture &f = Setup(state);
  const std::string domain = GettextDomain("load", f.n);
  for (auto _ : state) {
    std::string path = FreshPath(f.n, "gettext");
    MemorySnapshot before = MemorySnapshot::Take();
    bindtextdomain(domain.c_str(), path.c_str());
    benchmark::DoNotOptimize(dgettext(domain.c_str(), kScoreId));
    SetMemoryCounters(state, before, MemorySnapshot::Take());
  }
}

void BM_Memory_ICU(benchmark::State &state) {
  const Fixture &f = Setup(state);
  for (auto _ : state) {
    std::string path = FreshPath(f.n, "icu");
    UErrorCode status = U_ZERO_ERROR;
    MemorySnapshot before = MemorySnapshot::Take();
    UResourceBundle *bundle = ures_openDirect(path.c_str(), "catalog", &status);
    SetMemoryCounters(state, before, MemorySnapshot::Take());
    ures_close(bundle);
  }
}

// What a user holds who copies the catalog into a map of strings.
void BM_Memory_UnorderedMap(benchmark::State &state) {
  const Dataset &data = GetDataset(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    MemorySnapshot before = MemorySnapshot::Take();
    auto map =
        std::make_unique<std::unordered_map<std::string, std::u16string>>();
    for (const CorpusEntry &e : data.entries)
      map->emplace(FoldId(e.id), Utf16(e.value));
    SetMemoryCounters(state, before, MemorySnapshot::Take());
    benchmark::DoNotOptimize(map.get());
  }
}

void Sizes(benchmark::internal::Benchmark *b) {
  b->Arg(1000)->Arg(100000)->Arg(1000000);
}
void LoadSizes(benchmark::internal::Benchmark *b) {
  Sizes(b);
  b->Unit(benchmark::kMicrosecond);
}
// Each peer load leaves a mapping behind for good; a fixed, small number of
// them keeps the process within its map limit.
void PeerLoadSizes(benchmark::internal::Benchmark *b) {
  LoadSizes(b);
  b->UseManualTime()->Iterations(20);
}
void MemorySizes(benchmark::internal::Benchmark *b) {
  Sizes(b);
  b->Iterations(1);
}

} // namespace

BENCHMARK(BM_Load_Ours)->Apply(LoadSizes);
BENCHMARK(BM_Load_OursFile)->Apply(LoadSizes);
BENCHMARK(BM_Load_CopyFloor)->Apply(LoadSizes);
BENCHMARK(BM_Load_Gettext)->Apply(PeerLoadSizes);
BENCHMARK(BM_Load_ICU)->Apply(PeerLoadSizes);

BENCHMARK(BM_LookupHit_Ours)->Apply(Sizes);
BENCHMARK(BM_LookupHit_Gettext)->Apply(Sizes);
BENCHMARK(BM_LookupHit_ICU)->Apply(Sizes);
BENCHMARK(BM_LookupHit_UnorderedMap)->Apply(Sizes);
BENCHMARK(BM_LookupMiss_Ours)->Apply(Sizes);
BENCHMARK(BM_LookupMiss_Gettext)->Apply(Sizes);
BENCHMARK(BM_LookupMiss_ICU)->Apply(Sizes);
BENCHMARK(BM_LookupMiss_UnorderedMap)->Apply(Sizes);

BENCHMARK(BM_Format_Ours)->Arg(1000);
BENCHMARK(BM_Format_OursByIndex)->Arg(1000);
BENCHMARK(BM_Format_ICUPrepared)->Arg(1000);
BENCHMARK(BM_Format_ICUStatic)->Arg(1000);
BENCHMARK(BM_Format_Fmt)->Arg(1000);
BENCHMARK(BM_Format_Swprintf)->Arg(1000);

BENCHMARK(BM_Memory_Ours)->Apply(MemorySizes);
BENCHMARK(BM_Memory_Gettext)->Apply(MemorySizes);
BENCHMARK(BM_Memory_ICU)->Apply(MemorySizes);
BENCHMARK(BM_Memory_UnorderedMap)->Apply(MemorySizes);

int main(int argc, char **argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  const char *root = std::getenv("PHRASOR_PEERS_DATA");
  if (!root) {
    std::fprintf(stderr, "error: set PHRASOR_PEERS_DATA to the directory "
                         "scripts/bench-peers fills\n");
    return 2;
  }
  DataRoot = root;
  // Installed before the first load: the runtime keeps the first manager
  // the host gives it.
  SetIQVMemory(&HostMemory);
  setlocale(LC_ALL, "");
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
