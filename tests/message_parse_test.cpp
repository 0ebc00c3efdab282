//===- message_parse_test.cpp - Field numbers and type letters ------------===//

#include "tests/support/TestSupport.h"

#include "format/MessageFormat.h"

#include <gtest/gtest.h>

using namespace phrasor;
using namespace phrasor::test;

namespace {

struct IndexResult {
  int32_t value;
  uint32_t stop;
};

IndexResult FieldIndex(const std::string &text, uint32_t start) {
  WString format = W(text);
  uint32_t stop = 999;
  int32_t value = QVFormatMessageT().ParseFieldIndex(
      format.c_str(), start, static_cast<uint32_t>(format.size()), stop);
  return {value, stop};
}

struct TypeResult {
  uint32_t code;
  uint32_t end;
};

TypeResult FieldType(const WString &format, uint32_t start) {
  uint32_t end = 999;
  uint32_t code = QVFormatMessageT().ParseFieldType(
      format.c_str(), start, static_cast<uint32_t>(format.size()), end);
  return {code, end};
}

} // namespace

TEST(MessageParse, FieldIndexStopsOnTheOpeningMark) {
  const struct {
    int line;
    const char *text;
    uint32_t start;
    int32_t value;
    uint32_t stop;
  } rows[] = {
      {__LINE__, "%12!d!", 1, 12, 3},
      {__LINE__, "%1!d!", 1, 1, 2},
      {__LINE__, "x%7!s! y", 2, 7, 3},
      // 20 digits: only the first 15 are read, then the value saturates.
      {__LINE__, "%12345678901234567890!d!", 1, 0x7FFFFFFF, 21},
      {__LINE__, "%2147483647!d!", 1, 2147483647, 11},
      {__LINE__, "%2147483648!d!", 1, 0x7FFFFFFF, 11},
      {__LINE__, "%65536!d!", 1, 65536, 6},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.line);
    IndexResult r = FieldIndex(row.text, row.start);
    EXPECT_EQ(r.value, row.value);
    EXPECT_EQ(r.stop, row.stop);
  }
}

TEST(MessageParse, FieldIndexFailsWithoutDigitsAndMarkAndLeavesStop) {
  for (const char *text : {"%!d!", "%1 apples", "%12", "%1", "%x!d!"}) {
    SCOPED_TRACE(text);
    IndexResult r = FieldIndex(text, 1);
    EXPECT_EQ(r.value, -1);
    EXPECT_EQ(r.stop, 999u) << "stop is left unchanged";
  }
}

TEST(MessageParse, FieldTypeCodesForEveryLetterCombination) {
  const struct {
    int line;
    const char *spec; // starts right after the opening '!'
    uint32_t code;
    uint32_t end; // position of the last type letter when code != 0
  } rows[] = {
      {__LINE__, "d!", 11, 0},      {__LINE__, "i!", 11, 0},
      {__LINE__, "o!", 11, 0},      {__LINE__, "u!", 11, 0},
      {__LINE__, "x!", 11, 0},      {__LINE__, "X!", 11, 0},
      {__LINE__, "e!", 12, 0},      {__LINE__, "E!", 12, 0},
      {__LINE__, "f!", 12, 0},      {__LINE__, "g!", 12, 0},
      {__LINE__, "G!", 12, 0},      {__LINE__, "n!", 13, 0},
      {__LINE__, "p!", 14, 0},      {__LINE__, "c!", 3, 0},
      {__LINE__, "s!", 4, 0},       {__LINE__, "C!", 7, 0},
      {__LINE__, "S!", 8, 0},       {__LINE__, "ld!", 1, 1},
      {__LINE__, "li!", 1, 1},      {__LINE__, "lo!", 1, 1},
      {__LINE__, "lx!", 1, 1},      {__LINE__, "lX!", 1, 1},
      {__LINE__, "lu!", 2, 1},      {__LINE__, "lc!", 3, 1},
      {__LINE__, "lC!", 3, 1},      {__LINE__, "ls!", 4, 1},
      {__LINE__, "lS!", 4, 1},      {__LINE__, "hd!", 5, 1},
      {__LINE__, "hX!", 5, 1},      {__LINE__, "hu!", 6, 1},
      {__LINE__, "hc!", 7, 1},      {__LINE__, "hC!", 7, 1},
      {__LINE__, "hs!", 8, 1},      {__LINE__, "hS!", 8, 1},
      {__LINE__, "I64d!", 9, 3},    {__LINE__, "I64u!", 9, 3},
      {__LINE__, "I64X!", 9, 3},    {__LINE__, "I32d!", 10, 3},
      {__LINE__, "I32u!", 10, 3},   {__LINE__, "-08.3f!", 12, 5},
      {__LINE__, "#10.4lX!", 1, 6}, {__LINE__, "5!", 0, 0},
      {__LINE__, "F!", 0, 0},       {__LINE__, "a!", 0, 0},
      {__LINE__, "A!", 0, 0},       {__LINE__, "lf!", 0, 0},
      {__LINE__, "hf!", 0, 0},      {__LINE__, "Id!", 0, 0},
      {__LINE__, "I64!", 0, 0},     {__LINE__, "I16d!", 0, 0},
      {__LINE__, "I64f!", 0, 0},    {__LINE__, "L!", 0, 0},
      {__LINE__, "l", 0, 0},        {__LINE__, "h", 0, 0},
      {__LINE__, "I64", 0, 0},      {__LINE__, "I6", 0, 0},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.line);
    // A leading unit that is not a letter stands for the insert's prefix.
    WString format = W(std::string("!") + row.spec);
    TypeResult r = FieldType(format, 1);
    EXPECT_EQ(r.code, row.code);
    if (row.code) {
      EXPECT_EQ(r.end, row.end + 1);
    }
  }
}

TEST(MessageParse, FieldTypeSearchRunsPastTheClosingMark) {
  // No letter inside the spec: the first letter after it decides.
  WString format = W("%1!5! and then some");
  TypeResult r = FieldType(format, 3);
  EXPECT_EQ(r.code, 0u) << "'a' is a letter of no type";
  format = W("%1!5! 77 d");
  r = FieldType(format, 3);
  EXPECT_EQ(r.code, 11u);
  EXPECT_EQ(r.end, 9u);
  EXPECT_EQ(FieldType(W("%1!5! 42 !"), 3).code, 0u) << "no letter at all";
}

TEST(MessageParse, LettersOfEveryScriptStopTheSearch) {
  // Any letter ends the search, not only ASCII ones; a letter of no type
  // makes the insert invalid rather than being skipped.
  for (const char *spec : {"é!", "日!", "Ж!", "ª!"}) {
    SCOPED_TRACE(spec);
    WString format = W(std::string("!") + spec + " d");
    EXPECT_EQ(FieldType(format, 1).code, 0u);
  }
  EXPECT_TRUE(IsMessageLetter(u'ß'));
  EXPECT_FALSE(IsMessageLetter(u'5'));
  EXPECT_FALSE(IsMessageLetter(u'_'));
  EXPECT_FALSE(IsMessageLetter(u'!'));
  EXPECT_FALSE(IsMessageLetter(static_cast<PhrasorWChar>(0xD800)));
}

TEST(MessageParse, ParseListsInsertsForTools) {
  MessageLayout layout;
  WString format = W("%2!-8s! has %1!d! points, 100%% sure%0 ignored %x");
  ASSERT_EQ(QVFormatMessageT().Parse(format.c_str(), layout),
            MessageStatus::Ok);
  ASSERT_EQ(layout.count, 3u);
  EXPECT_EQ(layout.fields[0].fieldNumber, 2);
  EXPECT_EQ(layout.fields[0].typeCode, 4u);
  EXPECT_EQ(layout.fields[0].specStart, 3);
  EXPECT_EQ(layout.fields[0].specLength, 3);
  EXPECT_EQ(layout.fields[1].fieldNumber, 1);
  EXPECT_EQ(layout.fields[1].typeCode, 11u);
  EXPECT_EQ(layout.fields[2].fieldNumber, 0) << "the escape";
  EXPECT_EQ(layout.highestField, 2u);
  EXPECT_EQ(layout.fieldOrder[0], 1);
  EXPECT_EQ(layout.fieldOrder[1], 0);
  EXPECT_EQ(layout.fieldOrder[2], kNoField);
  EXPECT_EQ(layout.scanEnd, format.find(W("%0")));
}
