//===- message_format_test.cpp - Formatting messages end to end -----------===//

#include "tests/support/TestSupport.h"

#include "format/MessageFormat.h"
#include "format/Prepared.h"
#include "tests/support/FormatCalls.h"

#include <gtest/gtest.h>

#include <random>

using namespace phrasor;
using namespace phrasor::test;

namespace {

const std::string kBadIndex =
    "[QVFormatMessageT Error - Failed to extract field index]";
const std::string kNoOpen =
    "[QVFormatMessageT Error - Failed to locate open exclamation mark]";
const std::string kBadType = "[QVFormatMessageT Error - Invalid field type]";
const std::string kNoClose =
    "[QVFormatMessageT Error - Failed to locate close exclamation mark]";
const std::string kTooMany =
    "[QVFormatMessageT Error - Exceeded field count limit]";
const std::string kUnknownSize =
    "[QVFormatMessageT Error - Unknown size of argument]";
const std::string kBadSpec = "[QVFormatMessageT Error - Invalid format "
                             "specification or buffer too small.]";

using Value = FormatValue;

/// The letter a test expects for an argument of each type.
char Letter(ArgKind kind) {
  switch (kind) {
  case ArgKind::Int32:
    return 'i';
  case ArgKind::Int64:
    return 'L';
  case ArgKind::Double:
    return 'd';
  case ArgKind::LongDouble:
    return 'D';
  case ArgKind::Pointer:
    return 'p';
  default:
    return '?';
  }
}

struct Outcome {
  bool ok;
  std::string text;
};

Outcome Format(const std::string &format, std::vector<Value> values = {},
               uint32_t length = 256, std::string *asked = nullptr) {
  WString f = W(format);
  std::vector<PhrasorWChar> buffer(length + 2, PhrasorWChar('#'));
  ArrayArgs args(values.data(), values.size());
  bool ok = FormatMessageWith(buffer.data() + 1, length, f.c_str(), args);
  // Guard units on both sides: nothing may be written outside the buffer.
  EXPECT_EQ(buffer.front(), PhrasorWChar('#'));
  EXPECT_EQ(buffer.back(), PhrasorWChar('#'));
  // Every argument taken is taken as the kind it was given as.
  EXPECT_EQ(args.Mismatched(), 0u);
  if (asked) {
    asked->clear();
    for (std::size_t i = 0; i < args.Taken() && i < values.size(); ++i)
      *asked += Letter(values[i].kind);
  }
  if (length == 0)
    return {ok, ""};
  EXPECT_NE(std::find(buffer.begin() + 1, buffer.begin() + 1 + length,
                      PhrasorWChar(0)),
            buffer.begin() + 1 + length)
      << "buffer not terminated";
  return {ok, Narrow(buffer.data() + 1)};
}

const PhrasorWChar kAnn[] = {'A', 'n', 'n', 0};

} // namespace

TEST(MessageFormat, InsertsTakeArgumentsInFieldNumberOrder) {
  std::string asked;
  Outcome r =
      Format("%2!s! has %1!d! points", {int32_t{7}, Value{kAnn}}, 256, &asked);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.text, "Ann has 7 points");
  EXPECT_EQ(asked, "ip") << "field 1 first, whatever the text order";
  EXPECT_EQ(Format("Score: %1!d!", {int32_t{42}}).text, "Score: 42");
}

TEST(MessageFormat, EscapesEndMarkAndPlainText) {
  const struct {
    int line;
    const char *format;
    const char *text;
  } rows[] = {
      {__LINE__, "100%%", "100%"},
      {__LINE__, "Done%0 and more", "Done"},
      {__LINE__, "", ""},
      {__LINE__, "%0", ""},
      {__LINE__, "a!b!c", "a!b!c"},
      {__LINE__, "%%%%", "%%"},
      {__LINE__, "50%% off%0%x", "50% off"},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.line);
    Outcome r = Format(row.format);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.text, row.text);
  }
  EXPECT_EQ(Format("%1!d!!", {int32_t{42}}).text, "42!");
}

TEST(MessageFormat, EveryTypeTakesItsOwnArgumentWidth) {
  const char narrow[] = "bob";
  const struct {
    int line;
    const char *format;
    std::vector<Value> values;
    const char *text;
    const char *asked;
  } rows[] = {
      {__LINE__, "%1!hd!", {int32_t{65535}}, "-1", "i"},
      {__LINE__, "%1!hu!", {int32_t{65535}}, "65535", "i"},
      {__LINE__, "%1!hx!", {int32_t{0x12345}}, "2345", "i"},
      {__LINE__,
       "%1!I64d! %2!d!",
       {int64_t{-5000000000}, int32_t{3}},
       "-5000000000 3",
       "Li"},
      {__LINE__, "%1!I32x!", {int32_t{-1}}, "ffffffff", "i"},
      {__LINE__, "%1!lu!", {int32_t{-1}}, "4294967295", "i"},
      {__LINE__, "%1!ld!", {int32_t{-7}}, "-7", "i"},
      {__LINE__, "%1!f!", {0.5}, "0.500000", "d"},
      {__LINE__, "%1!.2e!", {12345.678}, "1.23e+04", "d"},
      {__LINE__, "%1!c!", {int32_t{0x263A}}, "\u263A", "i"},
      {__LINE__, "%1!C!", {int32_t{'z'}}, "z", "i"},
      {__LINE__,
       "%1!S!",
       {Value{static_cast<const void *>(narrow)}},
       "bob",
       "p"},
      {__LINE__,
       "%1!hs!",
       {Value{static_cast<const void *>(narrow)}},
       "bob",
       "p"},
      {__LINE__, "%1!ls!", {Value{kAnn}}, "Ann", "p"},
      {__LINE__, "%1!5s!|", {Value{kAnn}}, "  Ann|", "p"},
      {__LINE__, "%1!-08.3f!|", {3.14159}, "3.142   |", "d"},
      {__LINE__, "%1!o! %1!X! %1!#x!", {int32_t{255}}, "377 FF 0xff", "i"},
      {__LINE__, "%1!E!|%1!G!", {0.000012345}, "1.234500E-05|1.2345E-05", "d"},
      {__LINE__, "%1!hc!%1!hC!", {int32_t{0x4142}}, "BB", "i"},
      {__LINE__, "%1!lc!%1!lC!", {int32_t{0x263A}}, "\u263A\u263A", "i"},
      {__LINE__, "%1!lS!", {Value{kAnn}}, "Ann", "p"},
      {__LINE__,
       "%1!hS!",
       {Value{static_cast<const void *>(narrow)}},
       "bob",
       "p"},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.line);
    std::string asked;
    Outcome r = Format(row.format, row.values, 256, &asked);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.text, row.text);
    EXPECT_EQ(asked, row.asked);
  }
}

TEST(MessageFormat, EachMalformedMessageGetsItsText) {
  const struct {
    int line;
    const char *format;
    const std::string &text;
    std::vector<Value> values = {int32_t{1}, int32_t{2}, int32_t{3}};
  } rows[] = {
      {__LINE__, "%1", kBadIndex},
      {__LINE__, "50%", kBadIndex},
      {__LINE__, "%x", kBadIndex},
      {__LINE__, "%!d!", kBadIndex},
      {__LINE__, "%1 apples", kBadIndex},
      {__LINE__, "%1!", kNoOpen},
      {__LINE__, "%1!d", kNoClose},
      {__LINE__, "%1!dd!", kNoClose},
      {__LINE__, "%1!F!", kBadType},
      {__LINE__, "%1!5!", kBadType},
      {__LINE__, "%1!d! and %3!d!", kUnknownSize},
      {__LINE__, "%17!d!", kUnknownSize},
      {__LINE__, "%2!d!", kUnknownSize},
      {__LINE__, "%1!n!", kBadSpec, {Value{kAnn}}},
      {__LINE__, "%1!*d!", kBadSpec},
      {__LINE__, "%1!.*f!", kBadSpec, {0.5}},
      // A field number whose low 16 bits are 0 would look like an escape.
      {__LINE__, "%65536!d!", kBadIndex},
      {__LINE__, "%131072!d!", kBadIndex},
      // Numbers past 16 bits count whole, not as their low 16 bits (which
      // would make 65537 field 1).
      {__LINE__, "%65537!d!", kUnknownSize},
      {__LINE__, "%1!d! %65537!d!", kUnknownSize},
      {__LINE__, "%131073!d!", kUnknownSize},
      {__LINE__, "%99999999999999999999!d!", kUnknownSize},
      // Two inserts of one field must agree on the argument's kind.
      {__LINE__, "%1!d! %1!s!", kUnknownSize},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.line);
    Outcome r = Format(row.format, row.values);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.text, row.text);
  }
}

TEST(MessageFormat, RepeatedInsertReusesArgument) {
  std::string asked;
  Outcome r = Format("%1!s!, %1!s! and %2!d!x (%1!-4s!)",
                     {Value{kAnn}, int32_t{3}}, 256, &asked);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.text, "Ann, Ann and 3x (Ann )");
  EXPECT_EQ(asked, "pi") << "one argument per field, not per insert";
  EXPECT_EQ(Format("%1!d! = %1!x!", {int32_t{255}}).text, "255 = ff");
}

TEST(MessageFormat, RepeatsRenderOneValueByEachInsertsOwnType) {
  const struct {
    int line;
    const char *format;
    Value value;
    const char *text;
  } rows[] = {
      {__LINE__, "%1!x! %1!hd!", int32_t{65535}, "ffff -1"},
      {__LINE__, "%1!d! %1!hd!", int32_t{65535}, "65535 -1"},
      {__LINE__, "%1!hd! %1!d!", int32_t{65535}, "-1 65535"},
      {__LINE__, "%1!x! %1!hd!", int32_t{-1}, "ffffffff -1"},
      {__LINE__, "%1!i! %1!d! %1!hd!", int32_t{65535}, "65535 65535 -1"},
      {__LINE__, "%1!c! %1!C!", int32_t{0x4E2D}, "\u4E2D -"},
      {__LINE__, "[%1!5d!][%1!C!]", int32_t{'A' + 256}, "[  321][A]"},
      {__LINE__, "%1!hu!/%1!lu!", int32_t{-2}, "65534/4294967294"},
      {__LINE__, "%1!I64x! %1!I64d!", int64_t{-1}, "ffffffffffffffff -1"},
      {__LINE__, "%1!.1f! %1!e!", 2.5, "2.5 2.500000e+00"},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.line);
    std::string asked;
    Outcome r = Format(row.format, {row.value}, 256, &asked);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.text, row.text);
    EXPECT_EQ(asked.size(), 1u) << "one argument for the field";
  }
  // 200 is no character of its own in UTF-8, whatever it renders as; the
  // number beside it keeps its value.
  Outcome r = Format("[%1!5d!][%1!C!]", {int32_t{200}});
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.text.substr(0, 8), "[  200][");
  // Kinds still must agree.
  EXPECT_EQ(Format("%1!d! %1!f!", {int32_t{1}}).text, kUnknownSize);
  EXPECT_EQ(Format("%1!s! %1!S!", {Value{kAnn}}).text, kUnknownSize);
}

TEST(MessageFormat, RecordLimitsCountEscapesAndInserts) {
  std::string fifteen, sixteen;
  for (int i = 0; i < 15; ++i)
    fifteen += "%%";
  EXPECT_EQ(Format(fifteen).text, std::string(15, '%'));
  EXPECT_EQ(Format(std::string(fifteen).append("%%")).text, kTooMany);

  std::string fields;
  std::vector<Value> values;
  for (int f = 1; f <= 15; ++f) {
    fields.append("%").append(std::to_string(f)).append("!d!");
    values.push_back(int32_t{f});
  }
  Outcome r = Format(fields, values);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.text, "123456789101112131415");
  std::string withSixteenth = fields;
  EXPECT_EQ(Format(withSixteenth.append("%16!d!"), values).text, kTooMany);
  // A malformed sixteenth insert reports its own fault first.
  std::string withBroken = fields;
  EXPECT_EQ(Format(withBroken.append("%16!d"), values).text, kNoClose);
}

TEST(MessageFormat, TruncationInTextIsSuccessInAnInsertIsFailure) {
  Outcome r = Format("Hello, world", {}, 8);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.text, "Hello, ");

  std::string asked;
  r = Format("abcdef%1!d!", {int32_t{5}}, 4, &asked);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.text, "abc");
  EXPECT_EQ(asked, "i") << "arguments are taken before output starts";

  r = Format("ab%1!d!", {int32_t{100}}, 4);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.text, kBadSpec.substr(0, 3));

  // Exact fit of an insert and its terminator, and one unit short.
  EXPECT_TRUE(Format("ab%1!d!", {int32_t{10}}, 5).ok);
  EXPECT_FALSE(Format("ab%1!d!", {int32_t{100}}, 5).ok);
  EXPECT_TRUE(Format("ab%1!d!c", {int32_t{10}}, 5).ok);
}

TEST(MessageFormat, ErrorTextOverwritesOnlyTheStart) {
  // The second insert fails; the error text lands over the first part and
  // what lies behind its terminator keeps what was written before.
  WString format = W("%1!s!%2!d!");
  std::vector<PhrasorWChar> buffer(80, PhrasorWChar('#'));
  std::vector<PhrasorWChar> longText(70, PhrasorWChar('x'));
  longText.push_back(0);
  const Value values[] = {Value{longText.data()}, int32_t{123456}};
  ArrayArgs args(values, 2);
  EXPECT_FALSE(FormatMessageWith(buffer.data(), 73, format.c_str(), args));
  EXPECT_EQ(Narrow(buffer.data()), kBadSpec.substr(0, 72));
  EXPECT_EQ(buffer[73], PhrasorWChar('#'));
}

TEST(MessageFormat, WriteBackIsRefusedWhateverTheBuffer) {
  EXPECT_EQ(Format("abcdef%1!n!", {Value{kAnn}}, 4).text,
            kBadSpec.substr(0, 3));
  EXPECT_EQ(Format("abcdef%1!n!", {Value{kAnn}}, 128).text, kBadSpec);
  std::string asked;
  Format("%1!n!", {Value{kAnn}}, 64, &asked);
  EXPECT_EQ(asked, "") << "refused before any argument is taken";
  EXPECT_FALSE(Format("%1!n!", {Value{kAnn}}, 0).ok);
  EXPECT_EQ(Format("%2!n!", {}).text, kUnknownSize);
}

TEST(MessageFormat, PointerInsertRendersAsTheEngineDoes) {
  const void *pointer = reinterpret_cast<const void *>(uintptr_t{0xBEEF});
  std::string hex = sizeof(void *) == 8 ? "000000000000BEEF" : "0000BEEF";
  EXPECT_EQ(Format("<%1!p!>", {Value{pointer}}).text, "<" + hex + ">");
}

TEST(MessageFormat, CutNeverEndsInHalfAPair) {
  // Literal text and the text after the last insert, cut at a pair.
  EXPECT_EQ(Format("a\U0001F600b", {}, 3).text, "a");
  // The last element is terminated as after any cut.
  WString pair = W("a\U0001F600b");
  PhrasorWChar buffer[3] = {'#', '#', '#'};
  ArrayArgs none(nullptr, 0);
  EXPECT_TRUE(FormatMessageWith(buffer, 3, pair.c_str(), none));
  EXPECT_EQ(buffer[2], PhrasorWChar(0));
  EXPECT_TRUE(Format("a\U0001F600b", {}, 3).ok);
  EXPECT_EQ(Format("%1!d!a\U0001F600", {int32_t{7}}, 4).text, "7a");
  EXPECT_EQ(Format("a\U0001F600%1!d!", {int32_t{7}}, 3).text, "a");
  // An error text is ASCII; a cut insert fails as before.
  const char16_t smile[] = u"a\U0001F600";
  EXPECT_FALSE(Format("%1!s!", {Value{smile}}, 3).ok);
}

TEST(MessageFormat, StarInAnInsertIsRefusedWhateverTheBuffer) {
  // Refused before any output, even where the insert would never be
  // rendered because the buffer fills first.
  EXPECT_EQ(Format("abcdef%1!*d!", {int32_t{1}}, 4).text,
            kBadSpec.substr(0, 3));
  EXPECT_FALSE(Format("%1!*d!", {int32_t{1}}, 0).ok);
  // A gap in the field numbers is found first.
  EXPECT_EQ(Format("%2!*d!", {int32_t{1}}).text, kUnknownSize);
}

// Whether an insert is refused must not depend on how much of the message
// fits: each form below fails the same way at every buffer length, even
// where the text before it fills the buffer first.
TEST(MessageFormat, EveryRefusedInsertIsRefusedWhateverTheBuffer) {
  struct Row {
    int line;
    const char *insert;
    Value value;
  };
  const Row rows[] = {
      {__LINE__, "%1!5-d!", int32_t{1}},          // flag after the width
      {__LINE__, "%1!.5.5d!", int32_t{1}},        // a second precision
      {__LINE__, "%1!*d!", int32_t{1}},           // width from an argument
      {__LINE__, "%1!.*d!", int32_t{1}},          // precision from an argument
      {__LINE__, "%1!n!", Value{kAnn}},           // write-back
      {__LINE__, "%1!99999999999d!", int32_t{1}}, // width past 2^31 - 1
      {__LINE__, "%1!000000000000009d!", int32_t{1}}, // cut before its letter
      {__LINE__, "%1!!d!", int32_t{1}},               // '!' as the conversion
      {__LINE__, "%1!%%5-d!", int32_t{1}}, // refused after a first '%'
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(testing::Message() << "line " << row.line);
    const std::string message = std::string("Score: ") + row.insert + " points";
    for (uint32_t length = 0; length <= 64; ++length) {
      SCOPED_TRACE(length);
      Outcome r = Format(message, {row.value}, length);
      EXPECT_FALSE(r.ok);
      if (length > 0) {
        EXPECT_EQ(r.text, kBadSpec.substr(0, length - 1));
      }
    }
  }
}

TEST(MessageFormat, ZeroLengthBufferWritesNothing) {
  EXPECT_TRUE(Format("abc %1!d!", {int32_t{1}}, 0).ok);
  EXPECT_FALSE(Format("%1!d", {}, 0).ok);
  EXPECT_FALSE(Format("%2!d!", {}, 0).ok);
}

TEST(MessageFormat, LongSpecIsCutToFourteenUnits) {
  // 16 units of spec: the cut leaves no conversion letter for the engine.
  EXPECT_EQ(Format("%1!00000000000009d!", {int32_t{1}}).text, kBadSpec);
  Outcome r = Format("%1!0000000000009d!", {int32_t{1}});
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.text, "000000001") << "14 units still fit";
}

TEST(MessageFormat, NullBufferOrFormatWritesNothing) {
  PhrasorWChar buffer[4] = {'#', '#', '#', '#'};
  ArrayArgs none(nullptr, 0);
  EXPECT_FALSE(FormatMessageWith(nullptr, 4, PHRASOR_TEXT("x"), none));
  EXPECT_FALSE(FormatMessageWith(buffer, 4, nullptr, none));
  EXPECT_EQ(buffer[0], PhrasorWChar('#'));
}

TEST(MessageFormat, FormatsOfSixtyFourKiBAreRefused) {
  std::string big(65536, 'a');
  EXPECT_EQ(Format(big).text, kBadSpec);
  big.pop_back();
  EXPECT_TRUE(Format(big, {}, 8).ok);
}

TEST(MessageFormat, ManagerLooksUpBeforeFormatting) {
  Keeper keeper({E("score", "%2!s! has %1!d! points"), E("plain", "Hi")});
  ReportLog log;
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  PhrasorWChar buffer[64];
  EXPECT_TRUE(mgr->FormatMessageByID(keeper, "SCORE", buffer, 64, 7, kAnn));
  EXPECT_EQ(Narrow(buffer), "Ann has 7 points");
  int32_t index = mgr->GetStringIndex(keeper, "score");
  EXPECT_TRUE(mgr->FormatMessageByIndex(keeper, index, buffer, 64, 8, kAnn));
  EXPECT_EQ(Narrow(buffer), "Ann has 8 points");
  EXPECT_TRUE(log.reports.empty());

  EXPECT_TRUE(mgr->FormatMessageByID(keeper, "missing", buffer, 64));
  EXPECT_EQ(Narrow(buffer), "[ERROR: Invalid String ID]");
  ASSERT_EQ(log.reports.size(), 1u);
  EXPECT_EQ(log.reports[0].message, "[ERROR: Invalid String ID]");

  EXPECT_FALSE(mgr->FormatMessageByID(keeper, "missing", nullptr, 64));
  EXPECT_EQ(log.reports.size(), 2u)
      << "the lookup reports even without a buffer";
  EXPECT_FALSE(mgr->FormatMessageByIndex(keeper, 99, nullptr, 64));
  EXPECT_EQ(log.reports.size(), 3u);
}

TEST(MessageFormat, FormattingAllocatesNothing) {
  Keeper keeper({E("score", "%2!s! has %1!d! points; %1!x! %3!S!")});
  PhrasorWChar buffer[64];
  HostMemory().Reset();
  EXPECT_TRUE(GetIPhrasorMgr()->FormatMessageByID(keeper, "score", buffer, 64,
                                                  7, kAnn, "narrow"));
  EXPECT_FALSE(GetIPhrasorMgr()->FormatMessageByID(keeper, "score", buffer, 3,
                                                   7, kAnn, "narrow"));
  EXPECT_EQ(HostMemory().Allocations(), 0);
}

namespace {

// Values of every kind in a mix that \p seed picks, so most requests are
// answered in kind and the rest with the list's harmless default. Strings
// point at text that is terminated whether read as narrow or as wide units.
std::vector<FormatValue> AnyValues(uint32_t seed) {
  static const PhrasorWChar kSafe[] = {'o', 'k', 0, 0};
  std::vector<FormatValue> values;
  for (int i = 0; i < 16; ++i) {
    seed = seed * 1664525u + 1013904223u;
    switch (seed >> 30) {
    case 0:
      values.emplace_back(static_cast<int32_t>(seed));
      break;
    case 1:
      values.emplace_back(static_cast<int64_t>(seed) << 20 | (seed >> 7));
      break;
    case 2:
      values.emplace_back(static_cast<double>(seed) / 7.0);
      break;
    default:
      values.emplace_back(static_cast<const void *>(kSafe));
    }
  }
  return values;
}

} // namespace

TEST(MessageFormatProperty, AnyFormatStaysInsideTheBufferAndIsTerminated) {
  // Formats assembled from the pieces the parser cares about, so every
  // branch of every pass is reached many times.
  static const char *const pieces[] = {
      "%",        "!",       "%%",    "%0",  "1",         "2",   "16",
      "17",       "0",       "d",     "s",   "S",         "I64", "I32",
      "l",        "h",       "x",     "f",   "-08",       ".3",  "*",
      "n",        "%1!d!",   "%2!s!", "%1!", "abc ",      "é",   "%3!hu!",
      "%1!I64d!", "%2!.2f!", "#",     " ",   "%65536!d!", "p"};
  std::mt19937 rng(42);
  std::uniform_int_distribution<int> count(0, 14);
  std::uniform_int_distribution<std::size_t> pick(
      0, sizeof(pieces) / sizeof(pieces[0]) - 1);
  std::uniform_int_distribution<uint32_t> length(0, 40);
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    for (int n = count(rng); n > 0; --n)
      text += pieces[pick(rng)];
    WString format = W(text);
    uint32_t bufferLength = length(rng);
    std::vector<PhrasorWChar> buffer(bufferLength + 8, PhrasorWChar(0xBEEF));
    std::vector<FormatValue> values = AnyValues(static_cast<uint32_t>(round));
    ArrayArgs args(values.data(), values.size());
    FormatMessageWith(buffer.data() + 4, bufferLength, format.c_str(), args);
    for (int g = 0; g < 4; ++g) {
      ASSERT_EQ(buffer[g], PhrasorWChar(0xBEEF)) << text;
      ASSERT_EQ(buffer[buffer.size() - 1 - g], PhrasorWChar(0xBEEF)) << text;
    }
    if (bufferLength > 0) {
      auto begin = buffer.begin() + 4;
      ASSERT_NE(std::find(begin, begin + bufferLength, PhrasorWChar(0)),
                begin + bufferLength)
          << text;
    }
  }
}

TEST(MessageFormat, PlainInsertsRenderExactlyAsTheEngineDoes) {
  // %1!d! and %1!s! take a short path; %1!i! and %1!ls! go through the
  // printf engine. Both must leave identical buffers at every length.
  const PhrasorWChar longer[] = {'A', 'n', 'n', 'e', 'l',
                                 'i', 'e', 's', 'e', 0};
  struct Pair {
    const char *fast, *engine;
    Value value;
  };
  std::vector<Pair> pairs;
  for (int32_t v : {INT32_MIN, -10, -1, 0, 7, 100, INT32_MAX})
    pairs.push_back({"x%1!d!y", "x%1!i!y", Value{v}});
  for (const void *text :
       {static_cast<const void *>(kAnn), static_cast<const void *>(longer),
        static_cast<const void *>(nullptr)})
    pairs.push_back({"x%1!s!y", "x%1!ls!y", Value{text}});
  pairs.push_back({"x%%y", "x%%y", Value{int32_t{0}}});
  // Repeats: the short path renders the field's one value as the engine
  // renders it, beside inserts of another type.
  for (int32_t v : {-1, 65535, 0x12345})
    pairs.push_back({"%1!hd!x%1!d!", "%1!hd!x%1!i!", Value{v}});
  pairs.push_back({"%1!s!|%1!5s!", "%1!ls!|%1!5s!", Value{kAnn}});
  const char16_t smile[] = u"a\U0001F600b";
  pairs.push_back({"x%1!s!", "x%1!ls!", Value{smile}});
  for (const Pair &pair : pairs) {
    for (uint32_t length = 1; length < 16; ++length) {
      SCOPED_TRACE(std::string(pair.fast) + " at " + std::to_string(length));
      WString fast = W(pair.fast), engine = W(pair.engine);
      std::vector<PhrasorWChar> a(length, 'Z'), b(length, 'Z');
      ArrayArgs argsA(&pair.value, 1), argsB(&pair.value, 1);
      bool okA = FormatMessageWith(a.data(), length, fast.c_str(), argsA);
      bool okB = FormatMessageWith(b.data(), length, engine.c_str(), argsB);
      EXPECT_EQ(okA, okB);
      EXPECT_EQ(a, b);
    }
  }
}

// A message prepared once renders what Format writes for the same
// arguments, status and every unit of the buffer, at every buffer length:
// the same cut, the same terminators, the same refusal of an insert that
// does not fit.
TEST(PreparedMessage, RendersWhatFormatWritesAtEveryLength) {
  const PhrasorWChar wide[] = {'A', 0xD83D, 0xDE00, 'b', 0};
  const char narrow[] = "n\xC3\xA9";
  struct Case {
    const char *text;
    std::vector<FormatValue> values;
  };
  const Case cases[] = {
      {"%1!s! has %2!d! points", {FormatValue(wide), FormatValue(-1234)}},
      {"%2!5.1f!|%1!-6S!|%%|%1!S!%0 gone", {FormatValue(narrow), 2.25}},
      {"x%1!08X!y%2!I64d!z%3!c!", {7, int64_t{-5}, 0x263A}},
      {"%1!%d!", {42}},
      {"no inserts at all", {}},
  };
  for (const Case &c : cases) {
    const WString text = W(c.text);
    PreparedMessage prepared;
    ASSERT_EQ(PrepareMessage(text.c_str(), prepared), MessageStatus::Ok);
    for (uint32_t length = 0; length < 40; ++length) {
      PhrasorWChar expected[40], actual[40];
      std::fill(expected, expected + 40, PhrasorWChar(0x7777));
      std::fill(actual, actual + 40, PhrasorWChar(0x7777));
      ArrayArgs args(c.values.data(), c.values.size());
      const MessageStatus want =
          QVFormatMessageT().Format(expected, length, text.c_str(), args);
      const MessageStatus got = RenderPreparedMessage(
          actual, length, text.c_str(), prepared, c.values.data(),
          static_cast<uint32_t>(c.values.size()));
      EXPECT_EQ(got, want) << "length " << length;
      EXPECT_TRUE(std::equal(expected, expected + 40, actual))
          << "length " << length;
    }
  }
  PreparedMessage refused;
  EXPECT_EQ(PrepareMessage(W("%1!*d!").c_str(), refused),
            MessageStatus::BadSpecOrBufferFull);
  PreparedMessage two;
  ASSERT_EQ(PrepareMessage(W("%1!s!%2!d!").c_str(), two), MessageStatus::Ok);
  const FormatValue wrong[] = {FormatValue(1), FormatValue(2)};
  PhrasorWChar out[8] = {'k', 0};
  EXPECT_EQ(
      RenderPreparedMessage(out, 8, W("%1!s!%2!d!").c_str(), two, wrong, 2),
      MessageStatus::UnknownArgumentType);
  EXPECT_EQ(out[0], 'k') << "nothing written for values that do not suit";
}
