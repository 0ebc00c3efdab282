//===- printf_test.cpp - The bounded printf engine and its operations -----===//

#include "tests/support/TestSupport.h"

#include "format/Printf.h"
#include "format/PrintfConversion.h"
#include "format/WStr.h"
#include "tests/support/FormatCalls.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <sstream>
#include <type_traits>

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

using namespace phrasor;
using namespace phrasor::test;

namespace {

constexpr bool k64 = sizeof(void *) == 8;

/// One typed argument; the engine must ask for exactly this kind.
using Arg = FormatValue;

/// Typed arguments in order; on the way out, checks that the engine asked
/// for each one as the kind it is, and for none beyond them.
struct ListArgs {
  explicit ListArgs(std::vector<Arg> list)
      : values(std::move(list)), args(values.data(), values.size()) {}
  ~ListArgs() {
    EXPECT_EQ(args.Mismatched(), 0u)
        << "an argument fetched as another kind, or not supplied";
  }
  operator FormatArgs &() { return args; }
  std::size_t Used() const { return args.Taken(); }

  std::vector<Arg> values;
  ArrayArgs args;
};

Arg I(int32_t v) { return v; }
Arg L(int64_t v) { return v; }
Arg D(double v) { return v; }
Arg P(const void *v) { return v; }
/// What a caller passes for %L: a long double, which is a double on
/// Windows hosts.
Arg LD(long double v) {
  return kLongDoubleIsWider ? Arg(v) : Arg(static_cast<double>(v));
}

struct Row {
  int Line;
  const char *Format; // UTF-8, converted to UTF-16
  std::vector<Arg> Args;
  const char *Expected; // UTF-8
};

const char16_t kWideAnn[] = u"Ann";
const char16_t kWideMixed[] = u"\u00e9\U0001F600z"; // é, a pair, z

// clang-format off
const Row kConventions[] = {
    // Strings: lower case wide, upper case narrow, h narrow, l and w wide.
    {__LINE__, "%s", {P(kWideAnn)}, "Ann"},
    {__LINE__, "%S", {P("Bob")}, "Bob"},
    {__LINE__, "%hs|%hS", {P("n1"), P("n2")}, "n1|n2"},
    {__LINE__, "%ls|%lS|%ws", {P(kWideAnn), P(kWideAnn), P(kWideAnn)}, "Ann|Ann|Ann"},
#if !defined(_WIN32) // narrow text is UTF-8 here, ANSI code page on Windows
    {__LINE__, "%S", {P("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80")}, "é€😀"},
    {__LINE__, "%S", {P("a\xFF" "b")}, "a\xEF\xBF\xBD" "b"}, // bad byte: U+FFFD
#endif
    {__LINE__, "%s|%S", {P(nullptr), P(nullptr)}, "(null)|(null)"},
    {__LINE__, "%.3s", {P(nullptr)}, "(nu"},
    // Width and precision count UTF-16 units; narrow precision never
    // splits a character.
    {__LINE__, "[%5s][%-5s][%05s]", {P(kWideAnn), P(kWideAnn), P(kWideAnn)}, "[  Ann][Ann  ][00Ann]"},
    {__LINE__, "[%.2s][%.0s][%.9s]", {P(kWideAnn), P(kWideAnn), P(kWideAnn)}, "[An][][Ann]"},
#if !defined(_WIN32) // narrow text is UTF-8 here, ANSI code page on Windows
    {__LINE__, "[%5S]", {P("\xC3\xA9\xE2\x82\xAC")}, "[   é€]"},
    {__LINE__, "[%.2S][%.3S]", {P("\xC3\xA9\xF0\x9F\x98\x80"), P("\xC3\xA9\xF0\x9F\x98\x80")}, "[é][é😀]"},
#endif
    // Wide precision counts units and stops before a pair it would split.
    {__LINE__, "%.2s|%.3s|%-4.2s|", {P(kWideMixed), P(kWideMixed), P(kWideMixed)}, "\u00e9|\u00e9\U0001F600|\u00e9   |"},
    {__LINE__, "[%4s]", {P(kWideMixed)}, "[\u00e9\U0001F600z]"},
    {__LINE__, "[%*s][%-*s][%.*s]", {I(4), P(kWideAnn), I(4), P(kWideAnn), I(1), P(kWideAnn)}, "[ Ann][Ann ][A]"},
    {__LINE__, "[%*s]", {I(-4), P(kWideAnn)}, "[Ann ]"},
    // Characters: c wide, C narrow, with the same overrides.
    {__LINE__, "%c%C%hc%lC%wc", {I(0x263A), I('b'), I('c'), I(0x3B1), I('e')}, "☺bcαe"},
    {__LINE__, "%c", {I(0x70041)}, "A"}, // low 16 bits
    {__LINE__, "%C", {I(0x141)}, "A"},   // low 8 bits
    {__LINE__, "[%3c][%-3C][%03c]", {I('x'), I('y'), I('z')}, "[  x][y  ][00z]"},
    // Integers: lengths.
    {__LINE__, "%d %i %u", {I(-5), I(-5), I(-5)}, "-5 -5 4294967291"},
    {__LINE__, "%hd %hu %hx", {I(65535), I(65535), I(0x12345)}, "-1 65535 2345"},
    {__LINE__, "%hhd %hhu %hhx", {I(200), I(200), I(0x1FF)}, "-56 200 ff"},
    {__LINE__, "%ld %lu %lx", {I(-1), I(-1), I(-1)}, "-1 4294967295 ffffffff"},
    {__LINE__, "%I32d %I32u", {I(-2), I(-2)}, "-2 4294967294"},
    {__LINE__, "%I64d %I64u", {L(INT64_MIN), L(-1)}, "-9223372036854775808 18446744073709551615"},
    {__LINE__, "%lld %llx %jd", {L(1LL << 40), L(-1), L(-3)}, "1099511627776 ffffffffffffffff -3"},
    {__LINE__, "%Id %zu %td", {k64 ? L(-7) : I(-7), k64 ? L(7) : I(7), k64 ? L(8) : I(8)}, "-7 7 8"},
    // Integers: flags, width, precision.
    {__LINE__, "%x %X %o", {I(255), I(255), I(8)}, "ff FF 10"},
    {__LINE__, "%#x %#X %#o %#x %#o", {I(255), I(255), I(8), I(0), I(0)}, "0xff 0XFF 010 0 0"},
    {__LINE__, "[%+d][% d][%+d][% u]", {I(5), I(5), I(-5), I(5)}, "[+5][ 5][-5][5]"},
    {__LINE__, "[%05d][%-5d][%-05d][%5d]", {I(-42), I(42), I(42), I(42)}, "[-0042][42   ][42   ][   42]"},
    {__LINE__, "[%.0d][%.0x][%#.0o][%.3d][%08.3d]", {I(0), I(0), I(0), I(7), I(-7)}, "[][][0][007][    -007]"},
    {__LINE__, "[%*d][%.*d][%.*d]", {I(4), I(1), I(3), I(1), I(-1), I(0)}, "[   1][001][0]"},
    {__LINE__, "[%#08x]", {I(255)}, "[0x0000ff]"},
    // Floating point, whatever the locale.
    {__LINE__, "%.2f %f %F", {D(3.14159), D(1.0), D(0.5)}, "3.14 1.000000 0.500000"},
    {__LINE__, "%e %E %.0e %#.0e", {D(1234.5), D(0.00012), D(2.5), D(3.0)}, "1.234500e+03 1.200000E-04 2e+00 3.e+00"},
    {__LINE__, "%e %e", {D(1e300), D(1e-300)}, "1.000000e+300 1.000000e-300"},
    {__LINE__, "%g %g %g %G %#g", {D(0.0001), D(0.00001), D(123456789.0), D(1e-10), D(1.0)}, "0.0001 1e-05 1.23457e+08 1E-10 1.00000"},
    {__LINE__, "%a %A %.1a %a", {D(1.0), D(-0.1), D(1.75), D(0.0)}, "0x1p+0 -0X1.999999999999AP-4 0x1.cp+0 0x0p+0"},
    {__LINE__, "%f %e %g %F %E %G", {D(HUGE_VAL), D(-HUGE_VAL), D(NAN), D(HUGE_VAL), D(-HUGE_VAL), D(-NAN)}, "inf -inf nan INF -INF -NAN"},
    {__LINE__, "[%06f][%+f][% f]", {D(HUGE_VAL), D(NAN), D(HUGE_VAL)}, "[   inf][+nan][ inf]"},
    {__LINE__, "%lf %Lf %le", {D(1.5), LD(2.5L), D(3.5)}, "1.500000 2.500000 3.500000e+00"},
    {__LINE__, "[%010.2f][%-10.2e]", {D(-3.14159), D(3.14159)}, "[-000003.14][3.14e+00  ]"},
    // Pointers and percent.
    {__LINE__, "%p", {P(reinterpret_cast<const void *>(0xABCDEF))}, k64 ? "0000000000ABCDEF" : "00ABCDEF"},
    {__LINE__, "[%p]", {P(nullptr)}, k64 ? "[0000000000000000]" : "[00000000]"},
    {__LINE__, "100%% sure", {}, "100% sure"},
    {__LINE__, "", {}, ""},
};
// clang-format on

struct Result {
  int32_t Value;
  WString Text;
};

Result FormatRow(const Row &row, uint32_t length, PhrasorWChar *buffer) {
  ListArgs args(row.Args);
  WString format = W(row.Format);
  int32_t value = WStrFormatArgs(buffer, length, format.c_str(), args);
  if (value != -1) {
    EXPECT_EQ(args.Used(), row.Args.size()) << "arguments left unused";
  }
  return {value, WString(buffer)};
}

} // namespace

TEST(Printf, FollowsTheWideConventions) {
  for (const Row &row : kConventions) {
    SCOPED_TRACE(testing::Message()
                 << "line " << row.Line << ": " << row.Format);
    PhrasorWChar buffer[256];
    Result r = FormatRow(row, 256, buffer);
    WString expected = W(row.Expected);
    EXPECT_EQ(Narrow(r.Text.c_str()), row.Expected);
    EXPECT_EQ(r.Value, static_cast<int32_t>(expected.size()));
  }
}

// Every row, into every buffer length from 1 to one past the fit: the
// output is the expected text's prefix, terminated in the last element, and
// the guard units on both sides stay untouched.
TEST(Printf, TruncatesEveryConversionAndTerminates) {
  constexpr PhrasorWChar kGuard = 0xFDFD;
  for (const Row &row : kConventions) {
    SCOPED_TRACE(testing::Message()
                 << "line " << row.Line << ": " << row.Format);
    WString expected = W(row.Expected);
    for (uint32_t length = 1; length <= expected.size() + 1; ++length) {
      SCOPED_TRACE(testing::Message() << "length " << length);
      std::vector<PhrasorWChar> storage(length + 2, kGuard);
      ListArgs args(row.Args);
      WString format = W(row.Format);
      int32_t value =
          WStrFormatArgs(storage.data() + 1, length, format.c_str(), args);
      EXPECT_EQ(storage.front(), kGuard);
      EXPECT_EQ(storage.back(), kGuard);
      EXPECT_EQ(storage[length], 0);
      bool fits = length > expected.size();
      EXPECT_EQ(value, fits ? static_cast<int32_t>(expected.size()) : -1);
      WString got(storage.data() + 1);
      // A cut inside a surrogate pair drops its high half too.
      WString kept = expected.substr(0, length - 1);
      if (!fits && !kept.empty() && IsHighSurrogate(kept.back()) &&
          IsLowSurrogate(expected[length - 1]))
        kept.pop_back();
      EXPECT_EQ(got, kept);
      if (HasFailure())
        return;
    }
  }
}

TEST(Printf, AbcIntoThreeAndFour) {
  PhrasorWChar buffer[4];
  EXPECT_EQ(WStrFormat(buffer, 3, PHRASOR_TEXT("abc")), -1);
  EXPECT_EQ(WString(buffer), W("ab"));
  EXPECT_EQ(WStrFormat(buffer, 4, PHRASOR_TEXT("abc")), 3);
  EXPECT_EQ(WString(buffer), W("abc"));
}

TEST(Printf, CutNeverEndsInHalfAPair) {
  PhrasorWChar buffer[8];
  const char16_t smile[] = u"a\U0001F600b";
  EXPECT_EQ(WStrFormat(buffer, 3, PHRASOR_TEXT("%s"), smile), -1);
  EXPECT_EQ(WString(buffer), W("a"));
  EXPECT_EQ(WStrFormat(buffer, 3, PHRASOR_TEXT("a\xD83D\xDE00")), -1);
  EXPECT_EQ(WString(buffer), W("a"));
  EXPECT_EQ(WStrFormat(buffer, 4, PHRASOR_TEXT("%s"), smile), -1);
  EXPECT_EQ(WString(buffer), W("a\U0001F600"));
  // A lone high surrogate followed by other text is not a pair to keep
  // whole: the cut falls where the buffer ends.
  EXPECT_EQ(WStrFormat(buffer, 3, PHRASOR_TEXT("a\xD83Dx")), -1);
  EXPECT_EQ(buffer[1], PhrasorWChar(0xD83D));
}

TEST(Printf, LongDoubleIsTakenWhole) {
  // What a host passes for %L: a long double, which Windows hosts pass as
  // a double.
  using HostLong = std::conditional_t<kLongDoubleIsWider, long double, double>;
  PhrasorWChar buffer[64];
  // Where long double is wider than double, %L fetches one; the value is
  // rendered at double precision. Arguments after it stay in step.
  EXPECT_EQ(WStrFormat(buffer, 64, PHRASOR_TEXT("[%Lf][%.3Le][%d]"),
                       HostLong(1.5), HostLong(-2.25), 7),
            25);
  EXPECT_EQ(Narrow(buffer), "[1.500000][-2.250e+00][7]");
  EXPECT_EQ(WStrFormat(buffer, 64, PHRASOR_TEXT("%Lg %f"), HostLong(0.1), 0.5),
            12);
  EXPECT_EQ(Narrow(buffer), "0.1 0.500000");
  if constexpr (kLongDoubleIsWider) {
    // Beyond double's range: an infinity, as converting would give.
    const HostLong most = std::numeric_limits<HostLong>::max();
    EXPECT_EQ(WStrFormat(buffer, 64, PHRASOR_TEXT("%Lf|%Lf"), most, -most), 8);
    EXPECT_EQ(Narrow(buffer), "inf|-inf");
  }
}

TEST(Printf, NullOrEmptyDestinationWritesNothing) {
  PhrasorWChar buffer[2] = {'x', 'y'};
  EXPECT_EQ(WStrFormat(nullptr, 10, PHRASOR_TEXT("abc")), -1);
  EXPECT_EQ(WStrFormat(buffer, 0, PHRASOR_TEXT("abc")), -1);
  EXPECT_EQ(buffer[0], 'x');
  EXPECT_EQ(WStrFormat(buffer, 2, nullptr), 0);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(buffer[1], 0);
}

TEST(Printf, ThroughTheVariableArgumentList) {
  PhrasorWChar buffer[128];
  int32_t n = WStrFormat(buffer, 128, PHRASOR_TEXT("%s=%I64d,%d,%.1f,%S,%hd"),
                         PHRASOR_TEXT("k"), static_cast<long long>(-1) << 40,
                         42, 2.25, "n", 70000);
  EXPECT_EQ(Narrow(buffer), "k=-1099511627776,42,2.2,n,4464");
  EXPECT_EQ(n, 30);
}

TEST(Printf, DecimalPointIgnoresTheLocale) {
  const char *old = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = old ? old : "C";
  bool switched = false;
  for (const char *name : {"de_DE.UTF-8", "de_DE", "fr_FR.UTF-8", "C.UTF-8"})
    if (std::setlocale(LC_NUMERIC, name)) {
      switched = true;
      break;
    }
  PhrasorWChar buffer[64];
  WStrFormat(buffer, 64, PHRASOR_TEXT("%.2f %e %g %a"), 1.5, 1.5, 1.5, 1.5);
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(Narrow(buffer), "1.50 1.500000e+00 1.5 0x1.8p+0");
  if (!switched)
    GTEST_LOG_(INFO) << "no comma locale installed; checked in C only";
}

// A refused spec fails the call and keeps what came before it, terminated.
TEST(Printf, RefusesMalformedSpecsAndWriteBack) {
  struct Bad {
    int Line;
    const char *Format;
    const char *Kept;
    SpecError Reason;
  };
  const Bad kBad[] = {
      {__LINE__, "ab%n", "ab", SpecError::WriteBackRefused},
      {__LINE__, "ab%5hn", "ab", SpecError::WriteBackRefused},
      {__LINE__, "ab%", "ab", SpecError::UnexpectedEnd},
      {__LINE__, "ab%-5.2l", "ab", SpecError::UnexpectedEnd},
      {__LINE__, "ab%q", "ab", SpecError::UnknownConversion},
      {__LINE__, "ab%5-d", "ab", SpecError::OutOfOrder},
      {__LINE__, "ab%.2.3d", "ab", SpecError::OutOfOrder},
      {__LINE__, "ab%l5d", "ab", SpecError::OutOfOrder},
      {__LINE__, "ab%*5d", "ab", SpecError::OutOfOrder},
      {__LINE__, "ab%Ld", "ab", SpecError::LengthMismatch},
      {__LINE__, "ab%hhs", "ab", SpecError::LengthMismatch},
      {__LINE__, "ab%I64f", "ab", SpecError::LengthMismatch},
      {__LINE__, "ab%lp", "ab", SpecError::LengthMismatch},
      {__LINE__, "ab%3000000000d", "ab", SpecError::NumberTooLarge},
      {__LINE__, "ab%.3000000000d", "ab", SpecError::NumberTooLarge},
  };
  for (const Bad &bad : kBad) {
    SCOPED_TRACE(testing::Message()
                 << "line " << bad.Line << ": " << bad.Format);
    int target = 12345;
    ListArgs args({P(&target), P(&target)});
    PhrasorWChar buffer[32];
    WString format = W(bad.Format);
    EXPECT_EQ(WStrFormatArgs(buffer, 32, format.c_str(), args), -1);
    EXPECT_EQ(Narrow(buffer), bad.Kept);
    EXPECT_EQ(args.Used(), 0u); // %n takes no pointer it could write through
    EXPECT_EQ(target, 12345);
    ListArgs again({});
    FormatOutcome outcome = FormatPrintf(buffer, 32, format.c_str(), again);
    EXPECT_EQ(outcome.status, FormatStatus::BadFormat);
    EXPECT_EQ(outcome.written, 2u);
    EXPECT_EQ(outcome.reason, bad.Reason);
  }
}

TEST(Printf, HugeWidthAndPrecisionStopAtTheBuffer) {
  PhrasorWChar buffer[16];
  EXPECT_EQ(WStrFormat(buffer, 16, PHRASOR_TEXT("%2000000000d"), 1), -1);
  EXPECT_EQ(WString(buffer), WString(15, ' '));
  EXPECT_EQ(WStrFormat(buffer, 16, PHRASOR_TEXT("%.2000000000f"), 1.0), -1);
  EXPECT_EQ(Narrow(buffer), "1.0000000000000");
  EXPECT_EQ(WStrFormat(buffer, 16, PHRASOR_TEXT("%.2000000000e"), 1.0), -1);
  std::vector<PhrasorWChar> big(2100);
  EXPECT_EQ(WStrFormat(big.data(), 2100, PHRASOR_TEXT("%.2000e"), 1.0), 2006);
  EXPECT_EQ(Narrow(big.data()).substr(1990), "000000000000e+00");
}

TEST(Printf, WidthsAndPrecisionsPast31BitsAreRefused) {
  // Including values whose 32-bit product would wrap to a small width.
  PhrasorWChar buffer[64];
  for (const PhrasorWChar *format :
       {PHRASOR_TEXT("%2147483648d|"), PHRASOR_TEXT("%4294967300d|"),
        PHRASOR_TEXT("%4294967296d|"), PHRASOR_TEXT("%.4294967298d|"),
        PHRASOR_TEXT("%99999999999999999999d|")}) {
    SCOPED_TRACE(Narrow(format));
    EXPECT_EQ(WStrFormat(buffer, 64, format, 5), -1);
  }
}

TEST(Printf, FormattingAllocatesNothing) {
  std::string longNarrow(500, 'n');
  HostMemory().Reset();
  PhrasorWChar buffer[1024];
  EXPECT_GT(WStrFormat(buffer, 1024, PHRASOR_TEXT("%S %s %d %.3f %p %e"),
                       longNarrow.c_str(), u"wide", 1, 2.0, buffer, 1e300),
            0);
  EXPECT_EQ(HostMemory().Allocations(), 0);
}

// Each conversion is reported once with what it consumes; the first error
// stops the walk.
TEST(PrintfConversion, CheckFormatReportsRunsConversionsAndTheFirstError) {
  // Streams, not string concatenation: GCC 12 misreports the latter
  // (-Wrestrict).
  struct Recorder final : FormatCheckHandler {
    std::ostringstream Log;
    void OnText(uint32_t b, uint32_t e) override {
      Log << 'T' << b << '-' << e << ' ';
    }
    void OnConversion(uint32_t b, uint32_t e,
                      const ConversionSpec &s) override {
      Log << 'C' << b << '-' << e << ':' << s.conversion << "/k"
          << static_cast<int>(s.kind) << "/f" << static_cast<int>(s.flags)
          << "/w";
      if (s.widthFromArg)
        Log << '*';
      else
        Log << s.width;
      Log << "/p";
      if (s.precisionFromArg)
        Log << '*';
      else
        Log << s.precision;
      Log << ' ';
    }
    void OnError(uint32_t at, SpecError error) override {
      Log << 'E' << at << ':' << SpecErrorText(error);
    }
  };
  struct Check {
    int Line;
    const char *Format;
    bool Ok;
    const char *Log;
  };
  const Check kChecks[] = {
      {__LINE__, "Score: %d", true, "T0-7 C7-9:d/k1/f0/w0/p-1 "},
      {__LINE__, "%-*.*ls!", true, "C0-7:s/k6/f1/w*/p* T7-8 "},
      {__LINE__, "%#08I64x%%", true,
       "C0-8:x/k2/f24/w8/p-1 C8-10:%/k0/f0/w0/p-1 "},
      {__LINE__, "%.f%hC%S%p", true,
       "C0-3:f/k3/f0/w0/p0 C3-6:C/k5/f0/w0/p-1 C6-8:S/k7/f0/w0/p-1 "
       "C8-10:p/k8/f0/w0/p-1 "},
      {__LINE__, "a%nb", false, "T0-1 E2:%n is refused"},
      {__LINE__, "a%5", false, "T0-1 E3:format ends inside a conversion"},
      {__LINE__, "%d%y%d", false, "C0-2:d/k1/f0/w0/p-1 E3:unknown conversion"},
  };
  for (const Check &check : kChecks) {
    SCOPED_TRACE(testing::Message()
                 << "line " << check.Line << ": " << check.Format);
    Recorder recorder;
    WString format = W(check.Format);
    EXPECT_EQ(CheckFormat(format.c_str(), recorder), check.Ok);
    EXPECT_EQ(recorder.Log.str(), check.Log);
  }
  Recorder empty;
  EXPECT_TRUE(CheckFormat(nullptr, empty));
  EXPECT_EQ(empty.Log.str(), "");
}

// The manager's printf-style operations look the value up first, then
// format it into the caller's buffer.
TEST(FormatString, ByIdAndByIndexFormatTheStoredValue) {
  Keeper keeper({E("A_SCORE", "%s has %d points"), E("B_PLAIN", "plain")});
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  PhrasorWChar buffer[64];
  EXPECT_EQ(mgr->FormatStringByID(keeper, "A_SCORE", buffer, 64, u"Ann", 7),
            16);
  EXPECT_EQ(Narrow(buffer), "Ann has 7 points");
  EXPECT_EQ(mgr->FormatStringByIndex(keeper, 1, buffer, 64), 5);
  EXPECT_EQ(Narrow(buffer), "plain");
  EXPECT_EQ(mgr->FormatStringByID(keeper, "A_SCORE", buffer, 8, u"Ann", 7), -1);
  EXPECT_EQ(Narrow(buffer), "Ann has");
  EXPECT_EQ(mgr->FormatStringByID(nullptr, "A_SCORE", buffer, 64), -1);
}

TEST(FormatString, FailedLookupFormatsItsErrorTextAndReports) {
  Keeper keeper({E("A", "x")});
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  ReportLog log;
  PhrasorWChar buffer[64];
  EXPECT_EQ(mgr->FormatStringByID(keeper, "MISSING", buffer, 64), 26);
  EXPECT_EQ(Narrow(buffer), "[ERROR: Invalid String ID]");
  ASSERT_EQ(log.reports.size(), 1u);
  EXPECT_EQ(log.reports[0].labelText, "MISSING");

  EXPECT_EQ(mgr->FormatStringByID(keeper, "MISSING", nullptr, 64), -1);
  EXPECT_EQ(mgr->FormatStringByIndex(keeper, 99, nullptr, 0), -1);
  EXPECT_EQ(log.reports.size(), 3u);
  EXPECT_EQ(mgr->FormatStringByIndex(keeper, 99, buffer, 64), 29);
  EXPECT_EQ(Narrow(buffer), "[ERROR: Invalid String Index]");
}

#if defined(_WIN32)
// Windows hosts pass narrow text in the system's ANSI code page, so %S must
// mean what MultiByteToWideChar makes of the bytes, not UTF-8.
TEST(Printf, NarrowTextUsesTheAnsiCodePage) {
  const char source[] = "A\xE9\x80\xC3\xA9";
  wchar_t converted[16];
  int n = MultiByteToWideChar(CP_ACP, 0, source, -1, converted, 16);
  ASSERT_GT(n, 1);
  PhrasorWChar buffer[32];
  EXPECT_EQ(WStrFormat(buffer, 32, PHRASOR_TEXT("[%S]"), source), n + 1);
  EXPECT_EQ(WString(buffer), WString(L"[") + converted + L"]");
}
#endif
