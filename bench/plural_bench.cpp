//===- plural_bench.cpp - Built-in plural rules beside ICU's select -------===//
//
// The category of an integer and of a decimal count by the layer's built-in
// rules and by ICU's PluralRules::select, in Russian (three relations per
// category) and English. ICU's decimal path selects on a FormattedNumber
// made before the loop, so neither side pays for formatting. Counts vary
// with the iteration so no answer can be hoisted out of the loop.
//
//===----------------------------------------------------------------------===//

#include "cpp/Plural.h"

#include <benchmark/benchmark.h>
#include <unicode/locid.h>
#include <unicode/numberformatter.h>
#include <unicode/plurrule.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kCounts = 256; // a power of two, for the mask

const char *LocaleOf(const benchmark::State &state) {
  return state.range(0) == 0 ? "ru" : "en";
}

std::unique_ptr<icu::PluralRules> IcuRules(const char *locale) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::PluralRules> rules(
      icu::PluralRules::forLocale(icu::Locale(locale), status));
  return U_SUCCESS(status) ? std::move(rules) : nullptr;
}

void BM_PluralInteger(benchmark::State &state) {
  const phrasor::PluralRules rules(LocaleOf(state));
  std::int64_t n = 0;
  for (auto _ : state) {
    std::string_view category = rules.category(n);
    benchmark::DoNotOptimize(category);
    n = (n + 1) & (kCounts - 1);
  }
}

void BM_IcuInteger(benchmark::State &state) {
  std::unique_ptr<icu::PluralRules> rules = IcuRules(LocaleOf(state));
  if (!rules) {
    state.SkipWithError("no ICU rules");
    return;
  }
  std::int64_t n = 0;
  for (auto _ : state) {
    icu::UnicodeString category = rules->select(static_cast<double>(n));
    benchmark::DoNotOptimize(category);
    n = (n + 1) & (kCounts - 1);
  }
}

// 0.00 .. 2.55: two visible fraction digits.
void BM_PluralDecimal(benchmark::State &state) {
  const phrasor::PluralRules rules(LocaleOf(state));
  std::int64_t n = 0;
  for (auto _ : state) {
    std::string_view category = rules.category(phrasor::PluralDecimal{n, 2});
    benchmark::DoNotOptimize(category);
    n = (n + 1) & (kCounts - 1);
  }
}

void BM_IcuDecimal(benchmark::State &state) {
  std::unique_ptr<icu::PluralRules> rules = IcuRules(LocaleOf(state));
  UErrorCode status = U_ZERO_ERROR;
  const icu::number::LocalizedNumberFormatter format =
      icu::number::NumberFormatter::withLocale(icu::Locale::getRoot())
          .precision(icu::number::Precision::minMaxFraction(2, 2));
  std::vector<icu::number::FormattedNumber> numbers;
  for (std::size_t k = 0; k < kCounts; ++k)
    numbers.push_back(
        format.formatDouble(static_cast<double>(k) / 100, status));
  if (!rules || U_FAILURE(status)) {
    state.SkipWithError("no ICU rules");
    return;
  }
  std::size_t k = 0;
  for (auto _ : state) {
    icu::UnicodeString category = rules->select(numbers[k], status);
    benchmark::DoNotOptimize(category);
    k = (k + 1) & (kCounts - 1);
  }
}

} // namespace

// Argument 0: Russian; 1: English.
BENCHMARK(BM_PluralInteger)->Arg(0)->Arg(1);
BENCHMARK(BM_IcuInteger)->Arg(0)->Arg(1);
BENCHMARK(BM_PluralDecimal)->Arg(0)->Arg(1);
BENCHMARK(BM_IcuDecimal)->Arg(0)->Arg(1);

BENCHMARK_MAIN();
