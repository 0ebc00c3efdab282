//===- wstr_test.cpp - Bounded copies and narrow-to-wide conversion -------===//

#include "tests/support/TestSupport.h"

#include "format/WStr.h"

#include <gtest/gtest.h>

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

using namespace phrasor;
using namespace phrasor::test;

namespace {

constexpr PhrasorWChar kGuard = 0xFDFD;

/// A destination of \p length units between two guard units.
struct Guarded {
  explicit Guarded(uint32_t length) : Units(length + 2, kGuard) {}
  PhrasorWChar *Dest() { return Units.data() + 1; }
  bool GuardsIntact() const {
    return Units.front() == kGuard && Units.back() == kGuard;
  }
  std::vector<PhrasorWChar> Units;
};

} // namespace

TEST(WStrCopy, CopiesWhatFitsAndTerminates) {
  struct Row {
    int Line;
    const char *Source;
    uint32_t Length;
    const char *Expected;
  };
  const Row kRows[] = {
      {__LINE__, "abc", 1, ""},
      {__LINE__, "abc", 2, "a"},
      {__LINE__, "abc", 3, "ab"},
      {__LINE__, "abc", 4, "abc"},
      {__LINE__, "abc", 9, "abc"},
      {__LINE__, "", 4, ""},
      // A cut never leaves the high half of a pair before the terminator.
      {__LINE__, "a\U0001F600b", 3, "a"},
      {__LINE__, "a\U0001F600b", 4, "a\U0001F600"},
      {__LINE__, "\U0001F600", 2, ""},
  };
  for (const Row &row : kRows) {
    SCOPED_TRACE(testing::Message() << "line " << row.Line);
    Guarded out(row.Length);
    WString source = W(row.Source);
    WStrCopy(out.Dest(), source.c_str(), row.Length);
    EXPECT_EQ(Narrow(out.Dest()), row.Expected);
    EXPECT_EQ(out.Dest()[row.Length - 1], 0); // last element terminated
    EXPECT_TRUE(out.GuardsIntact());
  }
}

TEST(WStrCopy, ZeroLengthNullDestinationAndNullSource) {
  Guarded out(0);
  WStrCopy(out.Dest(), PHRASOR_TEXT("abc"), 0);
  EXPECT_EQ(out.Dest()[0], kGuard); // nothing written
  WStrCopy(nullptr, PHRASOR_TEXT("abc"), 5);
  Guarded empty(3);
  WStrCopy(empty.Dest(), nullptr, 3);
  EXPECT_EQ(empty.Dest()[0], 0);
  EXPECT_EQ(empty.Dest()[2], 0);
}

TEST(WStrCopyN, CopiesAtMostCountAndTerminatesBehindIt) {
  struct Row {
    int Line;
    const char *Source;
    uint32_t Length, Count;
    const char *Expected;
    uint32_t TerminatorAt;
  };
  const Row kRows[] = {
      {__LINE__, "abcdef", 8, 0, "", 0},     // count 0: terminator first
      {__LINE__, "abcdef", 8, 3, "abc", 3},  // count below the length
      {__LINE__, "abcdef", 4, 4, "abc", 3},  // count == length: length - 1
      {__LINE__, "abcdef", 4, 99, "abc", 3}, // count above the length
      {__LINE__, "ab", 8, 5, "ab", 2},       // source ends first
      {__LINE__, "abcdef", 1, 3, "", 0},
      {__LINE__, "a\U0001F600b", 3, 9, "a", 1}, // the buffer cuts a pair
      {__LINE__, "a\U0001F600b", 4, 9, "a\U0001F600", 3},
  };
  for (const Row &row : kRows) {
    SCOPED_TRACE(testing::Message() << "line " << row.Line);
    Guarded out(row.Length);
    WString source = W(row.Source);
    WStrCopyN(out.Dest(), source.c_str(), row.Length, row.Count);
    EXPECT_EQ(Narrow(out.Dest()), row.Expected);
    EXPECT_EQ(out.Dest()[row.TerminatorAt], 0);
    EXPECT_TRUE(out.GuardsIntact());
  }
  Guarded none(0);
  WStrCopyN(none.Dest(), PHRASOR_TEXT("abc"), 0, 2);
  EXPECT_EQ(none.Dest()[0], kGuard);
  WStrCopyN(nullptr, PHRASOR_TEXT("abc"), 4, 2);
}

namespace {
// What narrow text means on this platform: UTF-8 on POSIX, the system's
// ANSI code page on Windows, where the same bytes give other characters.
std::u16string ExpectedWide(const char *source,
                            const std::u16string &utf8Meaning) {
#if defined(_WIN32)
  (void)utf8Meaning;
  wchar_t units[64];
  int n = MultiByteToWideChar(CP_ACP, 0, source, -1, units, 64);
  return n > 0 ? std::u16string(units, units + n - 1) : std::u16string();
#else
  (void)source;
  return utf8Meaning;
#endif
}
} // namespace

TEST(CopyNarrowToWide, ConvertsUtf8AndReplacesMalformedBytes) {
  struct Row {
    int Line;
    const char *Source;
    std::u16string Expected;
  };
  const Row kRows[] = {
      {__LINE__, "plain", u"plain"},
      {__LINE__, "\xC3\xA9\xE2\x82\xAC", u"\u00e9\u20ac"},
      {__LINE__, "\xF0\x9F\x98\x80", u"\U0001F600"},
      {__LINE__, "a\xC3", u"a\uFFFD"}, // cut at the terminator
      {__LINE__,
       "\xE2\x82"
       "b",
       u"\uFFFD\uFFFDb"},                                // cut mid-sequence
      {__LINE__, "\xC0\xAF", u"\uFFFD\uFFFD"},           // overlong
      {__LINE__, "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"}, // surrogate
  };
  for (const Row &row : kRows) {
    SCOPED_TRACE(testing::Message() << "line " << row.Line);
    PhrasorWChar out[16];
    const std::u16string expected = ExpectedWide(row.Source, row.Expected);
    CopyNarrowToWide(out, 16, row.Source);
    EXPECT_EQ(std::u16string(out, out + WString(out).size()), expected);
    // The printf engine streams the same conversion without a buffer.
    NarrowReader reader(row.Source);
    std::u16string streamed;
    PhrasorWChar units[2];
    while (uint32_t n = reader.Next(units))
      streamed.append(units, units + n);
    EXPECT_EQ(streamed, expected);
  }
  PhrasorWChar out[4] = {'x', 'x', 'x', 'x'};
  CopyNarrowToWide(out, 4, nullptr);
  EXPECT_EQ(out[0], 0);
  CopyNarrowToWide(out, 3, "abcdef");
  EXPECT_EQ(Narrow(out), "ab");
}

// 127 characters and the terminator fit the inline buffer; one more takes a
// heap block of 2 x 129 bytes, given back before returning.
TEST(CopyNarrowToWide, AllocatesOnlyBeyondTheInlineBuffer) {
  std::vector<PhrasorWChar> out(300);
  std::string text(127, 'x');
  HostMemory().Reset();
  CopyNarrowToWide(out.data(), 300, text.c_str());
  EXPECT_EQ(HostMemory().Allocations(), 0);
  EXPECT_EQ(WString(out.data()).size(), 127u);

  text += 'y';
  HostMemory().Reset();
  CopyNarrowToWide(out.data(), 300, text.c_str());
  EXPECT_EQ(HostMemory().Sizes(), std::vector<uint32_t>{258});
  EXPECT_EQ(HostMemory().Frees(), 1);
  EXPECT_EQ(HostMemory().LiveBlocks(), 0u);
  EXPECT_EQ(Narrow(out.data()), text);
}

TEST(CopyNarrowToWide, FailedHeapRequestLeavesTheEmptyString) {
  std::vector<PhrasorWChar> out(300, 'z');
  std::string text(200, 'x');
  HostMemory().Reset(0);
  CopyNarrowToWide(out.data(), 300, text.c_str());
  HostMemory().Reset();
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(out[299], 0);
}
