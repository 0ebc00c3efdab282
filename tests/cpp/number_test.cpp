// Numbers as each locale writes them: the grouping flag in message and
// printf texts, phrasor::number() and phrasor::percent() in code, and the
// compiled table against ICU's own formatter for every locale it lists.

#include "cpp/NumberTable.h"
#include "cpp/Numbers.h"
#include "tests/cpp/CppTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#if PHRASOR_HAVE_ICU
#include <unicode/locid.h>
#include <unicode/numberformatter.h>
#endif

using namespace phrasor;
using namespace phrasor::cpptest;

namespace {

Catalog In(const std::string &locale, const std::vector<Row> &rows) {
  Catalog c = Make(rows);
  c.setLocale(locale);
  return c;
}

std::string U8(const Expected<Text> &t) {
  return t ? toUtf8(*t) : "error: " + t.error().message();
}
std::string U8(const Expected<std::string> &t) {
  return t ? *t : "error: " + t.error().message();
}

} // namespace

TEST(CppNumbers, TheGroupingFlagWritesTheLocalesWay) {
  const std::vector<Row> rows = {{"GOLD", "%1!'d! Gold"},
                                 {"KM", "%1!'.1f! km"},
                                 {"WIDE", "[%1!'12d!] [%2!-'8d!]"}};
  struct Case {
    const char *locale;
    const char *gold; // 1234567
    const char *four; // 1234
    const char *km;   // 1.5
  } cases[] = {
      {"de", "1.234.567 Gold", "1.234 Gold", "1,5 km"},
      {"de-CH", "1\u2019234\u2019567 Gold", "1\u2019234 Gold", "1.5 km"},
      {"fr", "1\u202F234\u202F567 Gold", "1\u202F234 Gold", "1,5 km"},
      {"pl", "1\u00A0234\u00A0567 Gold", "1234 Gold", "1,5 km"},
      {"es", "1.234.567 Gold", "1234 Gold", "1,5 km"},
      {"hi", "12,34,567 Gold", "1,234 Gold", "1.5 km"},
      {"bn", "\u09E7\u09E8,\u09E9\u09EA,\u09EB\u09EC\u09ED Gold",
       "\u09E7,\u09E8\u09E9\u09EA Gold", "\u09E7.\u09EB km"},
      {"ar", "\u0661\u066C\u0662\u0663\u0664\u066C\u0665\u0666\u0667 Gold",
       "\u0661\u066C\u0662\u0663\u0664 Gold", "\u0661\u066B\u0665 km"},
      {"en", "1,234,567 Gold", "1,234 Gold", "1.5 km"},
      {"ja", "1,234,567 Gold", "1,234 Gold", "1.5 km"},
      {"ar-u-nu-latn", "1,234,567 Gold", "1,234 Gold", "1.5 km"},
      {"xx-unknown", "1,234,567 Gold", "1,234 Gold", "1.5 km"},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.locale);
    Catalog c = In(k.locale, rows);
    EXPECT_EQ(U8(c.format("GOLD", 1234567)), k.gold);
    EXPECT_EQ(U8(c.format("GOLD", 1234)), k.four);
    EXPECT_EQ(U8(c.format("KM", 1.5)), k.km);
  }
  Catalog de = In("de", rows);
  EXPECT_EQ(U8(de.format("WIDE", 1234567, -1234)), "[   1.234.567] [-1.234  ]");
  EXPECT_EQ(U8(de.formatUtf8("GOLD", std::int64_t{-9876543210})),
            "-9.876.543.210 Gold");
}

TEST(CppNumbers, LatinDigitsAreAskedForInTheTag) {
  Catalog c = In("ar-u-nu-latn", {{"N", "%1!'d!"}});
  EXPECT_EQ(U8(c.format("N", -1234)), "\u200E-1,234");
  // The plural rules read the tag as the language's.
  EXPECT_TRUE(c.hasPluralRules());
  EXPECT_EQ(c.pluralCategory(2), "two");
  EXPECT_EQ(U8(In("de-AT-x-game", {{"N", "%1!'d!"}}).format("N", 1234567)),
            "1\u00A0234\u00A0567");
}

TEST(CppNumbers, SignsCarryTheLocalesMarks) {
  const std::vector<Row> rows = {{"N", "%1!'d!"}, {"P", "%1!+'d!"}};
  EXPECT_EQ(U8(In("ar", rows).format("N", -5)), "\u061C-\u0665");
  EXPECT_EQ(U8(In("fa", rows).format("N", -5)), "\u200E\u2212\u06F5");
  EXPECT_EQ(U8(In("de", rows).format("P", 5)), "+5");
}

TEST(CppNumbers, PrintfTextsTakeTheFlagToo) {
  Catalog c = In("de", {{"P", "%s: %'d (%'.2f%%) %'u"}});
  EXPECT_EQ(U8(c.format("P", "Ann", 1234567, 12.345, 4000000000u)),
            "Ann: 1.234.567 (12,35%) 4.000.000.000");
  Catalog g = In("de", {{"G", "%'g|%'e|%'*d|%'.3d"}});
  EXPECT_EQ(U8(g.format("G", 1234.5, 1234.5, 8, 12345, 7)),
            "1.234,5|1,234500e+03|  12.345|007");
}

TEST(CppNumbers, TextsWithoutTheFlagRenderAsTheRuntimeDoes) {
  // The same text through the runtime's formatter and through the layer's
  // own number writing (which a phrasor::number elsewhere in the call asks
  // for) gives the same output for every unmarked insert.
  const std::vector<Row> rows = {
      {"M", "%1!d!|%2!5.2f!|%3!+d!|%4!u!|%5!-8.3e!|%6!g!|%7! d!|%8!.0f!"}};
  Catalog c = In("de", rows);
  const auto plain =
      c.format("M", -42, 3.14159, 7, 4000000000u, 12345.678, 0.0001, 5, 2.5);
  ASSERT_TRUE(plain);
  EXPECT_EQ(toUtf8(*plain), "-42| 3.14|+7|4000000000|1.235e+04|0.0001| 5|2");
  // Marking the first argument sends the whole text through the layer's
  // writer; the unmarked inserts come out unchanged.
  const auto marked = c.format("M", number(-42), 3.14159, 7, 4000000000u,
                               12345.678, 0.0001, 5, 2.5);
  EXPECT_EQ(U8(marked), "-42| 3.14|+7|4000000000|1.235e+04|0.0001| 5|2");
  EXPECT_EQ(U8(c.format("M", number(-4200), 3.14159, 7, 4000000000u, 12345.678,
                        0.0001, 5, 2.5)),
            "-4.200| 3.14|+7|4000000000|1.235e+04|0.0001| 5|2");
}

TEST(CppNumbers, HostsChooseTheLocalesWayInCode) {
  Catalog c = In("fr", {{"N", "%1!d! points, %2!.1f!"},
                        {"PCT", "%1!f! done"},
                        {"PCT1", "%1!.1f! done"},
                        {"HEX", "%1!x!"}});
  EXPECT_EQ(U8(c.format("N", number(12345), number(0.25))),
            "12\u202F345 points, 0,2");
  EXPECT_EQ(U8(c.format("N", 12345, number(1234.56))),
            "12345 points, 1\u202F234,6");
  EXPECT_EQ(U8(c.format("PCT", percent(0.25))), "25\u00A0% done");
  EXPECT_EQ(U8(c.format("PCT1", percent(0.1234))), "12,3\u00A0% done");
  EXPECT_EQ(U8(In("en", {{"P", "%1!f!"}}).format("P", percent(1))), "100%");
  // A hex insert has no locale form: the marked argument is refused.
  const auto hex = c.format("HEX", number(255));
  ASSERT_FALSE(hex);
  EXPECT_NE(hex.error().message().find("phrasor::number"), std::string::npos);
  EXPECT_EQ(U8(c.format("HEX", 255)), "ff");
}

TEST(CppNumbers, AFlagTheLayerCannotHonourIsAClearRefusal) {
  for (const char *text : {"%1!'x!", "%1!'05d!", "%1!'ld!", "%'#x", "%'.*f"}) {
    SCOPED_TRACE(text);
    const Style style = text[1] == '1' ? Style::Message : Style::Printf;
    Catalog c = In("de", {{"T", text}});
    const auto out = c.formatArgs("T", style, nullptr, 0);
    ASSERT_FALSE(out);
    EXPECT_NE(out.error().message().find("grouping flag"), std::string::npos)
        << out.error().message();
  }
  // A field repeated with and without the flag would need two values.
  Catalog r = In("de", {{"R", "%1!'d! (%1!d!)"}});
  EXPECT_FALSE(r.format("R", 1234));
  Catalog same = In("de", {{"R", "%1!'d! (%1!'d!)"}});
  EXPECT_EQ(U8(same.format("R", 1234)), "1.234 (1.234)");
}

namespace {

std::string written(const PhrasorWChar *units, const PhrasorWChar *end) {
  return toUtf8(TextView(units, static_cast<std::size_t>(end - units)));
}

} // namespace

// A message of plain inserts writes its integers in place; the general
// path writes each one as a text first. Both must give every locale's
// digits, signs, separators and paddings alike.
TEST(CppNumbers, IntegersWrittenInPlaceMatchTheGeneralWriter) {
  const std::int64_t values[] = {
      0,         5,        -5,        999,       1000,
      -12345,    1234567,  INT32_MIN, INT32_MAX, std::int64_t{4000000000},
      INT64_MIN, INT64_MAX};
  const int precisions[] = {-1, 0, 1, 5, 25, 100};
  std::size_t compared = 0;
  for (std::size_t k = 0; k < numbers::kStyleCount; ++k) {
    const numbers::NumberStyle &style = numbers::kStyles[k];
    for (const char conversion : {'d', 'u'})
      for (const int precision : precisions)
        for (int flags = 0; flags < 16; ++flags)
          for (const std::int64_t v : values) {
            NumberInsert how{};
            how.conversion = conversion;
            how.grouped = flags & 1;
            how.plus = flags & 2;
            how.space = flags & 4;
            how.explicitPrecision = precision >= 0;
            how.precision = precision < 0 ? 0 : precision;
            Arg a = (flags & 8) ? makeArg(v)
                                : makeArg(static_cast<std::int32_t>(v));
            PhrasorWChar general[kMaxNumberUnits + 1];
            PhrasorWChar inPlace[kMaxIntegerUnits];
            const std::string expected =
                written(general, writeNumber(style, how, a, general));
            const std::size_t n =
                writeInteger(style, how, a, inPlace, kMaxIntegerUnits);
            ASSERT_NE(n, kNoRoom);
            ASSERT_EQ(written(inPlace, inPlace + n), expected)
                << "style " << k << " " << conversion << " ." << precision
                << " flags " << flags << " value " << v;
            // One unit short, nothing is written.
            inPlace[0] = 'x';
            if (n > 0) {
              ASSERT_EQ(writeInteger(style, how, a, inPlace, n - 1), kNoRoom);
            }
            ASSERT_EQ(inPlace[0], 'x');
            ++compared;
          }
  }
  EXPECT_GT(compared, 10000u);
}

TEST(CppNumbers, PlainMessagesWriteTheLocalesNumbersAsTheFormatterDoes) {
  // The padded twin of each text is not a plain message, so it takes the
  // general path; a width of 1 pads none of these numbers.
  const std::vector<Row> rows = {{"G", "<%1!'d!> of %2!s!, %1!'d!"},
                                 {"GW", "<%1!'1d!> of %2!s!, %1!'1d!"},
                                 {"P", "%1!d!/%2!+'.4d!"},
                                 {"PW", "%1!1d!/%2!+'1.4d!"},
                                 {"H", "%1!d! coins"},
                                 {"HW", "%1!1d! coins"},
                                 {"U", "%1!'u!"},
                                 {"UW", "%1!'1u!"}};
  const std::int64_t values[] = {0,       -7,        1234,     -98765,
                                 1234567, INT64_MIN, INT64_MAX};
  for (const char *locale : {"de", "hi", "fr", "ar", "bn", "ccp", "pl", "en"}) {
    SCOPED_TRACE(locale);
    Catalog c = In(locale, rows);
    for (const std::int64_t v : values) {
      SCOPED_TRACE(v);
      const auto w = static_cast<std::int32_t>(v);
      EXPECT_EQ(U8(c.format("G", w, "Ann")), U8(c.format("GW", w, "Ann")));
      EXPECT_EQ(U8(c.format("G", v, "Ann")), U8(c.format("GW", v, "Ann")));
      EXPECT_EQ(U8(c.formatUtf8("G", v, "Ann")),
                U8(c.formatUtf8("GW", v, "Ann")));
      EXPECT_EQ(U8(c.format("P", w, v)), U8(c.format("PW", w, v)));
      EXPECT_EQ(U8(c.formatUtf8("P", number(v), w)),
                U8(c.formatUtf8("PW", number(v), w)));
      EXPECT_EQ(U8(c.format("H", number(v))), U8(c.format("HW", number(v))));
      EXPECT_EQ(U8(c.format("U", static_cast<std::uint32_t>(w))),
                U8(c.format("UW", static_cast<std::uint32_t>(w))));
    }
  }
  // A buffer one unit short is refused as the general path refuses it.
  Catalog de = In("de", rows);
  PhrasorWChar buffer[16];
  EXPECT_TRUE(de.formatTo(buffer, 16, "H", number(1234567)));
  EXPECT_EQ(toUtf8(TextView(buffer)), "1.234.567 coins");
  const auto cut = de.formatTo(buffer, 15, "H", number(1234567));
  ASSERT_FALSE(cut);
  EXPECT_EQ(cut.error().code(), Errc::TooLong);
  char bytes[16];
  EXPECT_FALSE(de.formatUtf8To(bytes, 15, "H", number(1234567)));
}

#if PHRASOR_HAVE_ICU

namespace {

namespace icun = icu::number;

std::string ours(const numbers::NumberStyle &style, char conversion,
                 int precision, const Arg &a) {
  NumberInsert how{};
  how.conversion = conversion;
  how.grouped = true;
  how.explicitPrecision = precision >= 0;
  how.precision = precision < 0 ? 0 : precision;
  PhrasorWChar units[kMaxNumberUnits + 1];
  const PhrasorWChar *end = writeNumber(style, how, a, units);
  return toUtf8(TextView(units, static_cast<std::size_t>(end - units)));
}

// The same grouped integer as the plain messages write it.
std::string oursInPlace(const numbers::NumberStyle &style, const Arg &a) {
  NumberInsert how{};
  how.conversion = 'd';
  how.grouped = true;
  PhrasorWChar units[kMaxIntegerUnits];
  const std::size_t n = writeInteger(style, how, a, units, kMaxIntegerUnits);
  return n == kNoRoom ? "no room" : toUtf8(TextView(units, n));
}

std::string icuText(const icu::UnicodeString &s) {
  std::string out;
  s.toUTF8String(out);
  return out;
}

struct Difference {
  std::string tag, input, ours, icu;
};

// The differences that are choices, each with its reason; anything else
// is a fault of the table or the writer.
const char *documented(const Difference &d) {
  // printf rounds the binary value, as %.2f of the same double does in the
  // raw runtime, so "%'.2f" and "%.2f" agree on which way 1.015 (stored as
  // 1.01499999...) goes; ICU rounds the shortest decimal form, 1.015.
  if (d.input == "1.015 .2")
    return "rounded as printf rounds the stored binary value";
  return nullptr;
}

std::vector<std::int64_t> integersToTest() {
  std::vector<std::int64_t> out = {0,      7,      42,     999,   1000,
                                   1234,   9999,   10000,  12345, 99999,
                                   100000, 123456, 1234567};
  // A spread up to 10^15, with every digit count.
  for (std::int64_t v = 1; v <= 1000000000000000; v = v * 10 + 7 * (v % 9))
    out.push_back(v);
  for (std::int64_t p = 10; p <= 1000000000000000; p *= 10)
    out.push_back(p);
  const std::size_t n = out.size();
  for (std::size_t i = 1; i < n; ++i)
    out.push_back(-out[i]);
  return out;
}

void compareLocale(const std::string &tag, std::vector<Difference> &found) {
  const numbers::NumberStyle &style = numberStyleFor(tag);
  UErrorCode status = U_ZERO_ERROR;
  const icu::Locale locale = icu::Locale::forLanguageTag(tag, status);
  ASSERT_TRUE(U_SUCCESS(status)) << tag;
  const icun::LocalizedNumberFormatter f =
      icun::NumberFormatter::withLocale(locale);
  const auto check = [&](const std::string &input, const std::string &mine,
                         const icun::FormattedNumber &theirs) {
    UErrorCode s = U_ZERO_ERROR;
    const std::string icu = icuText(theirs.toString(s));
    if (mine != icu)
      found.push_back({tag, input, mine, icu});
  };
  for (std::int64_t v : integersToTest()) {
    check(std::to_string(v), ours(style, 'd', -1, makeArg(v)),
          f.formatInt(v, status));
    check(std::to_string(v) + " in place", oursInPlace(style, makeArg(v)),
          f.formatInt(v, status));
  }
  const double decimals[] = {0.5,        1.015,       2.25,     1234.5678901,
                             -0.0625,    -98765.4321, 0.000123, 12345678.9,
                             1e15 + 0.5, -1.5};
  for (int p = 0; p <= 6; ++p) {
    const icun::LocalizedNumberFormatter fixed =
        f.precision(icun::Precision::fixedFraction(p));
    for (double x : decimals) {
      char input[64];
      std::snprintf(input, sizeof input, "%.17g .%d", x, p);
      std::string key = input;
      // The reason list names a case by its shortest spelling.
      if (x == 1.015)
        key = "1.015 ." + std::to_string(p);
      check(key, ours(style, 'f', p, makeArg(x)),
            fixed.formatDouble(x, status));
    }
  }
}

} // namespace

TEST(CppNumbers, EveryLocaleAgreesWithIcu) {
  std::int32_t count = 0;
  const icu::Locale *all = icu::Locale::getAvailableLocales(count);
  std::vector<Difference> found;
  for (std::int32_t i = 0; i < count; ++i) {
    UErrorCode status = U_ZERO_ERROR;
    const std::string tag = all[i].toLanguageTag<std::string>(status);
    compareLocale(tag, found);
    if (tag.find("-u-") == std::string::npos)
      compareLocale(tag + "-u-nu-latn", found);
  }
  EXPECT_GT(count, 500);
  std::size_t unexplained = 0;
  std::string shown;
  for (const Difference &d : found) {
    if (documented(d))
      continue;
    if (++unexplained <= 40)
      shown += d.tag + " " + d.input + ": ours '" + d.ours + "', ICU '" +
               d.icu + "'\n";
  }
  EXPECT_EQ(unexplained, 0u) << shown;
}

#else

TEST(CppNumbers, EveryLocaleAgreesWithIcu) {
  GTEST_SKIP() << "built without ICU: the number table is not compared";
}

#endif
