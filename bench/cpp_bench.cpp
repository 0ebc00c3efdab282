//===- cpp_bench.cpp - The typed C++ layer beside the raw calls -----------===//
//
// Catalog::find against GetStringByID on the same database and the same
// queries, at 1k, 100k and 1M entries; checked formatting of the two-insert
// score message against a raw FormatMessageByID call, a prepared ICU
// MessageFormat and fmt::format_to_n (into char and into char16_t), each
// into a buffer reused across iterations, in UTF-16 and in UTF-8. Ratios
// are read within one run of this program.
//
//===----------------------------------------------------------------------===//

#include "bench/support/Corpus.h"

#include "phrasor/Phrasor.h"

#include <benchmark/benchmark.h>
#include <fmt/format.h>
#include <fmt/xchar.h>
#include <unicode/fmtable.h>
#include <unicode/msgfmt.h>
#include <unicode/unistr.h>

#include <map>
#include <memory>

using namespace phrasor::bench;

namespace {

constexpr std::size_t kQueries = 1 << 16;

struct Fixture {
  std::unique_ptr<phrasor::Catalog> catalog;
  std::vector<const char *> hits;
};

const Fixture &GetFixture(std::size_t n) {
  static std::map<std::size_t, std::unique_ptr<Fixture>> cache;
  std::unique_ptr<Fixture> &slot = cache[n];
  if (slot)
    return *slot;
  slot = std::make_unique<Fixture>();
  const Dataset &data = GetDataset(n);
  auto loaded = phrasor::Catalog::fromBytes(data.file.data(), data.file.size());
  slot->catalog = std::make_unique<phrasor::Catalog>(std::move(*loaded));
  for (uint32_t i : RandomOrder(n, kQueries))
    slot->hits.push_back(data.entries[i].id.c_str());
  return *slot;
}

void Sizes(benchmark::internal::Benchmark *b) {
  b->Arg(1000)->Arg(100000)->Arg(1000000);
}

// --- Lookups --------------------------------------------------------------

void BM_Find_GetStringByID(benchmark::State &state) {
  const Fixture &f = GetFixture(static_cast<std::size_t>(state.range(0)));
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  HSTRINGKEEPER keeper = f.catalog->handle();
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(mgr->GetStringByID(keeper, f.hits[i]));
    i = (i + 1) & (kQueries - 1);
  }
}
BENCHMARK(BM_Find_GetStringByID)->Apply(Sizes);

void BM_Find_Catalog(benchmark::State &state) {
  const Fixture &f = GetFixture(static_cast<std::size_t>(state.range(0)));
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(f.catalog->find(f.hits[i]));
    i = (i + 1) & (kQueries - 1);
  }
}
BENCHMARK(BM_Find_Catalog)->Apply(Sizes);

// --- Formatting -----------------------------------------------------------

const PhrasorWChar kName[] = {'A', 'n', 'n', 'e', 'l', 'i', 'e', 's', 'e', 0};

void BM_Format_RawFormatMessageByID(benchmark::State &state) {
  const Fixture &f = GetFixture(1000);
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  PhrasorWChar buffer[256];
  int points = 0;
  for (auto _ : state) {
    bool ok = mgr->FormatMessageByID(f.catalog->handle(), kScoreId, buffer, 256,
                                     kName, ++points);
    benchmark::DoNotOptimize(ok);
    benchmark::DoNotOptimize(buffer);
  }
}
BENCHMARK(BM_Format_RawFormatMessageByID);

void BM_Format_CatalogFormatTo(benchmark::State &state) {
  const Fixture &f = GetFixture(1000);
  PhrasorWChar buffer[256];
  const PhrasorWChar *name = kName;
  int points = 0;
  for (auto _ : state) {
    auto n = f.catalog->formatTo(buffer, 256, kScoreId, name, ++points);
    benchmark::DoNotOptimize(n);
    benchmark::DoNotOptimize(buffer);
  }
}
BENCHMARK(BM_Format_CatalogFormatTo);

// What 'phrasor header' writes for the score message: a typed call runs
// the checks of its shape while compiling, then makes the string call above.
inline constexpr char phrasorIds0[] = "DLG_SCORE_SUMMARY";
inline constexpr const char *phrasorIds[] = {phrasorIds0};
enum phrasorText_S_I : unsigned long long { kScore = 0x11 };
constexpr phrasor::typed::Shape phrasorShape(phrasorText_S_I) {
  return {phrasor::typed::Call::Format, "S_I", phrasorIds};
}

// The string call with the ID as a literal, as code writes it, beside the
// typed call: the two should cost the same.
void BM_Format_CatalogFormatToLiteralId(benchmark::State &state) {
  const Fixture &f = GetFixture(1000);
  PhrasorWChar buffer[256];
  const PhrasorWChar *name = kName;
  int points = 0;
  for (auto _ : state) {
    auto n =
        f.catalog->formatTo(buffer, 256, "DLG_SCORE_SUMMARY", name, ++points);
    benchmark::DoNotOptimize(n);
    benchmark::DoNotOptimize(buffer);
  }
}
BENCHMARK(BM_Format_CatalogFormatToLiteralId);

void BM_Format_CatalogFormatToTypedId(benchmark::State &state) {
  const Fixture &f = GetFixture(1000);
  PhrasorWChar buffer[256];
  const PhrasorWChar *name = kName;
  int points = 0;
  for (auto _ : state) {
    auto n = f.catalog->formatTo(buffer, 256, kScore, name, ++points);
    benchmark::DoNotOptimize(n);
    benchmark::DoNotOptimize(buffer);
  }
}
BENCHMARK(BM_Format_CatalogFormatToTypedId);

void BM_Find_CatalogLiteralId(benchmark::State &state) {
  const Fixture &f = GetFixture(1000);
  for (auto _ : state)
    benchmark::DoNotOptimize(f.catalog->find("DLG_SCORE_SUMMARY"));
}
BENCHMARK(BM_Find_CatalogLiteralId);

void BM_Find_CatalogTypedId(benchmark::State &state) {
  const Fixture &f = GetFixture(1000);
  for (auto _ : state)
    benchmark::DoNotOptimize(f.catalog->find(kScore));
}
BENCHMARK(BM_Find_CatalogTypedId);

void BM_Format_CatalogFormatToUtf8Name(benchmark::State &state) {
  const Fixture &f = GetFixture(1000);
  PhrasorWChar buffer[256];
  const char *name = "Anneliese";
  int points = 0;
  for (auto _ : state) {
    auto n = f.catalog->formatTo(buffer, 256, kScoreId, name, ++points);
    benchmark::DoNotOptimize(n);
    benchmark::DoNotOptimize(buffer);
  }
}
BENCHMARK(BM_Format_CatalogFormatToUtf8Name);

void BM_Format_CatalogFormatText(benchmark::State &state) {
  const Fixture &f = GetFixture(1000);
  const PhrasorWChar *name = kName;
  int points = 0;
  for (auto _ : state) {
    auto text = f.catalog->format(kScoreId, name, ++points);
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_Format_CatalogFormatText);

void BM_Format_IcuPreparedMessageFormat(benchmark::State &state) {
  UErrorCode status = U_ZERO_ERROR;
  icu::MessageFormat pattern(icu::UnicodeString(u"{0} has {1,number} points"),
                             icu::Locale::getEnglish(), status);
  const icu::UnicodeString name(u"Anneliese");
  icu::UnicodeString out;
  int points = 0;
  for (auto _ : state) {
    icu::Formattable args[2] = {icu::Formattable(name),
                                icu::Formattable(++points)};
    out.remove();
    icu::FieldPosition pos;
    pattern.format(args, 2, out, pos, status);
    benchmark::DoNotOptimize(out);
  }
  if (U_FAILURE(status))
    state.SkipWithError("ICU refused the pattern");
}
BENCHMARK(BM_Format_IcuPreparedMessageFormat);

void BM_Format_FmtFormatToN(benchmark::State &state) {
  char buffer[256];
  const char *name = "Anneliese";
  int points = 0;
  for (auto _ : state) {
    auto r = fmt::format_to_n(buffer, sizeof buffer - 1, "{} has {} points",
                              name, ++points);
    *r.out = 0;
    benchmark::DoNotOptimize(buffer);
  }
}
BENCHMARK(BM_Format_FmtFormatToN);

// The same call as fmt::format_to_n into 16-bit units, the form the
// UTF-16 calls above are measured against. fmt checks a char16_t format at
// run time only.
const std::u16string_view kFmtScore16 = u"{} has {} points";

void BM_Format_FmtFormatToNUtf16(benchmark::State &state) {
  char16_t buffer[256];
  const std::u16string_view name = u"Anneliese";
  int points = 0;
  for (auto _ : state) {
    auto r = fmt::format_to_n(buffer, 255, kFmtScore16, name, ++points);
    *r.out = 0;
    benchmark::DoNotOptimize(buffer);
  }
}
BENCHMARK(BM_Format_FmtFormatToNUtf16);

void BM_Format_CatalogFormatUtf8To(benchmark::State &state) {
  const Fixture &f = GetFixture(1000);
  char buffer[256];
  const char *name = "Anneliese";
  int points = 0;
  for (auto _ : state) {
    auto n = f.catalog->formatUtf8To(buffer, sizeof buffer, kScoreId, name,
                                     ++points);
    benchmark::DoNotOptimize(n);
    benchmark::DoNotOptimize(buffer);
  }
}
BENCHMARK(BM_Format_CatalogFormatUtf8To);

void BM_Format_CatalogFormatUtf8String(benchmark::State &state) {
  const Fixture &f = GetFixture(1000);
  const char *name = "Anneliese";
  int points = 0;
  for (auto _ : state) {
    auto text = f.catalog->formatUtf8(kScoreId, name, ++points);
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_Format_CatalogFormatUtf8String);

} // namespace

BENCHMARK_MAIN();
