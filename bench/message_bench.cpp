//===- message_bench.cpp - Message formatting beside positional swprintf --===//
//
// The same two-insert message, with its arguments in reverse order in the
// text, formatted by the runtime and by the C library's wide printf with
// positional arguments, in one run.
//
//===----------------------------------------------------------------------===//

#include "PhrasorRuntime.h"
#include "tools/authoring/ByteStream.h"
#include "tools/authoring/DatabaseWriter.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <cwchar>
#include <vector>

namespace {

HSTRINGKEEPER LoadMessages() {
  std::vector<phrasor::authoring::Entry> entries;
  for (int i = 0; i < 1000; ++i) {
    phrasor::authoring::Entry e;
    e.id = "DLG_NPC_" + std::to_string(i);
    e.value = u"%2!s! has %1!d! points";
    entries.push_back(e);
  }
  static const std::vector<uint8_t> bytes =
      *phrasor::authoring::BuildDatabase(entries);
  phrasor::authoring::ByteStream stream(bytes);
  return GetIPhrasorMgr()->CreateKeeper(&stream);
}

const PhrasorWChar kName[] = {'A', 'n', 'n', 'e', 'l', 'i', 'e', 's', 'e', 0};

void BM_FormatMessageByID_TwoInserts(benchmark::State &state) {
  static HSTRINGKEEPER keeper = LoadMessages();
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  PhrasorWChar buffer[256];
  int points = 0;
  for (auto _ : state) {
    bool ok = mgr->FormatMessageByID(keeper, "DLG_NPC_412", buffer, 256,
                                     ++points, kName);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(buffer);
  }
}
BENCHMARK(BM_FormatMessageByID_TwoInserts);

void BM_Swprintf_PositionalTwoInserts(benchmark::State &state) {
  wchar_t buffer[256];
  const wchar_t *name = L"Anneliese";
  int points = 0;
  for (auto _ : state) {
    int n =
        std::swprintf(buffer, 256, L"%2$ls has %1$d points", ++points, name);
    benchmark::DoNotOptimize(n);
    benchmark::DoNotOptimize(buffer);
  }
}
BENCHMARK(BM_Swprintf_PositionalTwoInserts);

} // namespace

BENCHMARK_MAIN();
