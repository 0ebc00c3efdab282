//===- gen-number-table.cpp - Writes cpp/NumberTable.cpp from ICU ---------===//
//
// The C++ layer writes numbers as each locale does without ICU at run time.
// This program asks ICU, for every locale it has, how it writes numbers in
// its default numbering system and in Latin digits: the digits, the decimal
// and grouping separators, the signs with their bidi marks, the grouping
// sizes, the minimum grouping digits and the percent pattern. The grouping
// and percent facts are read from NumberFormatter's own output, so the table
// says what ICU does, not what a pattern string seems to say. It prints the
// distinct styles once each, then the locales whose answer differs from the
// one the layer's fallback (dropping subtags from the end) would give.
//
//===----------------------------------------------------------------------===//

#include <unicode/dcfmtsym.h>
#include <unicode/locid.h>
#include <unicode/numberformatter.h>
#include <unicode/numsys.h>
#include <unicode/ulocdata.h>
#include <unicode/unistr.h>
#include <unicode/uversion.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace {

using icu::UnicodeString;
namespace number = icu::number;

[[noreturn]] void fail(const std::string &what) {
  std::fprintf(stderr, "error: %s\n", what.c_str());
  std::exit(1);
}

struct Style {
  UChar32 zero = '0';
  int primary = 3, secondary = 3, minimumGrouping = 1;
  std::u16string decimal, group, minus, plus, percentBefore, percentAfter;

  auto key() const {
    return std::tie(zero, primary, secondary, minimumGrouping, decimal, group,
                    minus, plus, percentBefore, percentAfter);
  }
  bool operator<(const Style &o) const { return key() < o.key(); }
  bool operator==(const Style &o) const { return key() == o.key(); }
};

std::u16string u16(const UnicodeString &s) {
  return std::u16string(reinterpret_cast<const char16_t *>(s.getBuffer()),
                        static_cast<std::size_t>(s.length()));
}

UnicodeString formatted(const number::LocalizedNumberFormatter &f,
                        std::int64_t v) {
  UErrorCode status = U_ZERO_ERROR;
  UnicodeString s = f.formatInt(v, status).toString(status);
  if (U_FAILURE(status))
    fail(std::string("formatting: ") + u_errorName(status));
  return s;
}

// The places of the grouping separators in 1234567890123 (13 digits, so
// every pattern in CLDR shows its primary and secondary sizes) and whether
// 1234, 12345 and 123456 are grouped, which is the minimum grouping.
void readGrouping(const number::LocalizedNumberFormatter &f, Style &style) {
  const UnicodeString big = formatted(f, 1234567890123);
  std::vector<int> runs{0};
  for (int i = 0; i < big.length(); i = big.moveIndex32(i, 1)) {
    const UChar32 c = big.char32At(i);
    if (c >= style.zero && c <= style.zero + 9)
      ++runs.back();
    else if (runs.back() != 0)
      runs.push_back(0);
  }
  if (runs.back() == 0)
    runs.pop_back();
  if (runs.size() < 2) {
    style.primary = style.secondary = 0; // a locale that never groups
    style.minimumGrouping = 1;
    return;
  }
  style.primary = runs[runs.size() - 1];
  style.secondary = runs[runs.size() - 2];
  style.minimumGrouping = 1;
  for (std::int64_t v : {std::int64_t{1234}, std::int64_t{12345},
                         std::int64_t{123456}, std::int64_t{1234567}}) {
    const UnicodeString s = formatted(f, v);
    if (s.indexOf(UnicodeString(style.group.data(),
                                static_cast<int>(style.group.size()))) >= 0)
      break;
    ++style.minimumGrouping;
  }
}

// What ICU writes around 25 in a percent (a percent unit takes the
// number as the percent, not as a fraction): "25%", "25 %", "%25", ...
void readPercent(const icu::Locale &locale, Style &style) {
  UErrorCode status = U_ZERO_ERROR;
  const UnicodeString s = number::NumberFormatter::withLocale(locale)
                              .unit(icu::NoUnit::percent())
                              .formatInt(25, status)
                              .toString(status);
  if (U_FAILURE(status))
    fail("percent");
  UnicodeString digits;
  digits.append(style.zero + 2).append(style.zero + 5);
  const int at = s.indexOf(digits);
  if (at < 0)
    fail("no digits in a percent");
  style.percentBefore = u16(s.tempSubString(0, at));
  style.percentAfter = u16(s.tempSubString(at + digits.length()));
}

Style styleOf(const icu::Locale &locale) {
  UErrorCode status = U_ZERO_ERROR;
  icu::DecimalFormatSymbols symbols(locale, status);
  if (U_FAILURE(status))
    fail(std::string("no symbols for ") + locale.getName());
  Style style;
  const UnicodeString zero =
      symbols.getSymbol(icu::DecimalFormatSymbols::kZeroDigitSymbol);
  style.zero = zero.char32At(0);
  for (int d = 1; d <= 9; ++d) {
    const auto which =
        static_cast<icu::DecimalFormatSymbols::ENumberFormatSymbol>(
            icu::DecimalFormatSymbols::kOneDigitSymbol + d - 1);
    if (symbols.getSymbol(which).char32At(0) != style.zero + d)
      fail(std::string("digits not in a row for ") + locale.getName());
  }
  const auto get = [&](icu::DecimalFormatSymbols::ENumberFormatSymbol s) {
    return u16(symbols.getSymbol(s));
  };
  style.decimal = get(icu::DecimalFormatSymbols::kDecimalSeparatorSymbol);
  style.group = get(icu::DecimalFormatSymbols::kGroupingSeparatorSymbol);
  style.minus = get(icu::DecimalFormatSymbols::kMinusSignSymbol);
  style.plus = get(icu::DecimalFormatSymbols::kPlusSignSymbol);
  readGrouping(number::NumberFormatter::withLocale(locale), style);
  readPercent(locale, style);
  return style;
}

std::string tagOf(const icu::Locale &locale) {
  UErrorCode status = U_ZERO_ERROR;
  std::string tag = locale.toLanguageTag<std::string>(status);
  if (U_FAILURE(status))
    fail(std::string("no tag for ") + locale.getName());
  for (char &c : tag)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tag;
}

std::string literal(const std::u16string &s) {
  std::string out = "u\"";
  char hex[8];
  for (char16_t c : s) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      if (c >= 0xD800 && c <= 0xDFFF)
        fail("a symbol outside the BMP");
      std::snprintf(hex, sizeof hex, "\\u%04X", static_cast<unsigned>(c));
      out += hex;
    }
  }
  return out + "\"";
}

struct Row {
  std::string tag;
  std::size_t native, latin;
};

std::size_t indexOf(std::vector<Style> &styles, const Style &style) {
  for (std::size_t i = 0; i < styles.size(); ++i)
    if (styles[i] == style)
      return i;
  for (const std::u16string *s :
       {&style.decimal, &style.group, &style.minus, &style.plus,
        &style.percentBefore, &style.percentAfter})
    if (s->size() > 4)
      fail("a symbol longer than four units");
  styles.push_back(style);
  return styles.size() - 1;
}

// Drops the rows whose answer the layer finds anyway by dropping subtags.
std::vector<Row> pruned(const std::vector<Row> &rows) {
  std::map<std::string, const Row *> byTag;
  for (const Row &row : rows)
    byTag[row.tag] = &row;
  std::vector<Row> kept;
  for (const Row &row : rows) {
    std::string parent = row.tag;
    const Row *found = nullptr;
    while (!found) {
      const std::size_t dash = parent.rfind('-');
      if (dash == std::string::npos)
        break;
      parent.erase(dash);
      auto it = byTag.find(parent);
      if (it != byTag.end())
        found = it->second;
    }
    if (!found || found->native != row.native || found->latin != row.latin)
      kept.push_back(row);
  }
  return kept;
}

void printStyle(const Style &s) {
  std::printf("    {0x%X, %d, %d, %d, %s, %s, %s, %s, %s, %s},\n",
              static_cast<unsigned>(s.zero), s.primary, s.secondary,
              s.minimumGrouping, literal(s.decimal).c_str(),
              literal(s.group).c_str(), literal(s.minus).c_str(),
              literal(s.plus).c_str(), literal(s.percentBefore).c_str(),
              literal(s.percentAfter).c_str());
}

void printTable(const std::vector<Style> &styles,
                const std::vector<Row> &rows) {
  UErrorCode status = U_ZERO_ERROR;
  UVersionInfo cldr;
  ulocdata_getCLDRVersion(cldr, &status);
  char cldrText[U_MAX_VERSION_STRING_LENGTH];
  u_versionToString(cldr, cldrText);
  std::printf("//===- NumberTable.cpp - How every locale writes numbers "
              "------------------===//\n//\n"
              "// Generated by scripts/number-table/generate from ICU %s "
              "(CLDR %s); do not edit.\n//\n"
              "//===-------------------------------------------------------"
              "---------------===//\n\n"
              "#include \"cpp/NumberTable.h\"\n\n"
              "namespace phrasor::numbers {\n\n"
              "const NumberStyle kStyles[] = {\n",
              U_ICU_VERSION, cldrText);
  for (const Style &s : styles)
    printStyle(s);
  std::printf("};\n\nconst LocaleNumbers kLocales[] = {\n");
  for (const Row &row : rows)
    std::printf("    {\"%s\", %zu, %zu},\n", row.tag.c_str(), row.native,
                row.latin);
  std::printf("};\n\nconst std::size_t kStyleCount = %zu;\n"
              "const std::size_t kLocaleCount = %zu;\n\n"
              "} // namespace phrasor::numbers\n",
              styles.size(), rows.size());
}

} // namespace

int main() {
  int32_t count = 0;
  const icu::Locale *all = icu::Locale::getAvailableLocales(count);
  std::vector<Style> styles;
  std::vector<Row> rows;
  // The root locale first: what a tag the table does not know gets.
  styles.push_back(styleOf(icu::Locale::getRoot()));
  for (int32_t i = 0; i < count; ++i) {
    const icu::Locale &locale = all[i];
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale latin(locale);
    latin.setUnicodeKeywordValue("nu", "latn", status);
    if (U_FAILURE(status))
      fail("no latn keyword");
    rows.push_back({tagOf(locale), indexOf(styles, styleOf(locale)),
                    indexOf(styles, styleOf(latin))});
  }
  std::sort(rows.begin(), rows.end(),
            [](const Row &a, const Row &b) { return a.tag < b.tag; });
  printTable(styles, pruned(rows));
  return 0;
}
