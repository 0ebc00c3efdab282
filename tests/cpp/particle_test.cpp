// Korean particles chosen by the inserted word, and inserts set apart from
// a right-to-left text.

#include "cpp/LocaleName.h"
#include "cpp/Particles.h"
#include "tests/cpp/CppTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

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

const std::vector<Row> kKorean = {
    {"TOPIC", "%1!(은/는)s! 준비됐다"}, {"SUBJECT", "%1!(가/이)s! 왔다"},
    {"OBJECT", "%1!(을/를)s! 찾았다"},  {"WITH", "%1!(과/와)s! 함께"},
    {"TOWARD", "%1!(으로/로)s! 간다"},  {"CALL", "%1!(아/야)s!"},
    {"PRINTF", "%(이/가)s 이겼다"},     {"WIDE", "[%1!(은/는)-5s!]"},
};

} // namespace

TEST(CppParticles, EachPairByHowTheWordEnds) {
  struct Case {
    const char *name;
    const char *topic, *subject, *object, *with, *toward, *call;
  } cases[] = {
      // A final consonant, a vowel, and final ㄹ, which 으로/로 hears as a
      // vowel.
      {"민준", "은", "이", "을", "과", "으로", "아"},
      {"철수", "는", "가", "를", "와", "로", "야"},
      {"서울", "은", "이", "을", "과", "로", "아"},
      // Digits as Korean reads them: 2 이, 6 육, 7 칠, 10 십.
      {"Player2", "는", "가", "를", "와", "로", "야"},
      {"Route 66", "은", "이", "을", "과", "으로", "아"},
      {"Bus 7", "은", "이", "을", "과", "로", "아"},
      {"10", "은", "이", "을", "과", "으로", "아"},
      // Latin words by their usual last sound in Hangul.
      {"John", "은", "이", "을", "과", "으로", "아"},
      {"Paul", "은", "이", "을", "과", "로", "아"},
      {"Steve", "는", "가", "를", "와", "로", "야"},
      {"King", "은", "이", "을", "과", "으로", "아"},
      // Closing punctuation is passed over; a word nothing can judge gets
      // both forms.
      {"\u201C민준\u201D", "은", "이", "을", "과", "으로", "아"},
      {"★", "은(는)", "이(가)", "을(를)", "과(와)", "(으)로", "아(야)"},
      {"", "은(는)", "이(가)", "을(를)", "과(와)", "(으)로", "아(야)"},
  };
  Catalog c = In("ko", kKorean);
  for (const Case &k : cases) {
    SCOPED_TRACE(k.name);
    const std::string name = k.name;
    EXPECT_EQ(U8(c.format("TOPIC", name)), name + k.topic + " 준비됐다");
    EXPECT_EQ(U8(c.format("SUBJECT", name)), name + k.subject + " 왔다");
    EXPECT_EQ(U8(c.format("OBJECT", name)), name + k.object + " 찾았다");
    EXPECT_EQ(U8(c.format("WITH", name)), name + k.with + " 함께");
    EXPECT_EQ(U8(c.format("TOWARD", name)), name + k.toward + " 간다");
    // UTF-16 arguments, UTF-8 output and printf texts choose the same.
    EXPECT_EQ(U8(c.formatUtf8("CALL", T(name))), name + k.call);
    EXPECT_EQ(U8(c.format("PRINTF", T(name))), name + k.subject + " 이겼다");
  }
  // The width pads the word with its particle.
  EXPECT_EQ(U8(c.format("WIDE", "민준")), "[민준은  ]");
}

TEST(CppParticles, PairsAreCheckedAndTheLiteralFormsStayText) {
  Catalog c = In("ko", {{"MIXED", "%1!(은/가)s!"},
                        {"NUMBER", "%1!(은/는)d!"},
                        {"CUT", "%1!(은/는).2s!"},
                        {"REPEAT", "%1!(은/는)s! %1!s!"},
                        {"SAME", "%1!(이/가)s!, %1!(이/가)s!"},
                        {"LITERAL", "%1!s!(은/는) 100%%(이/가)"},
                        {"GROUPED", "%1!(은/는)s! %2!'d!점"}});
  EXPECT_NE(U8(c.format("MIXED", "민준")).find("not a particle pair"),
            std::string::npos);
  EXPECT_NE(U8(c.format("NUMBER", 3)).find("needs a text insert"),
            std::string::npos);
  EXPECT_NE(U8(c.format("CUT", "민준")).find("a precision"), std::string::npos);
  EXPECT_NE(U8(c.format("REPEAT", "민준")).find("two particles"),
            std::string::npos);
  EXPECT_EQ(U8(c.format("SAME", "철수")), "철수가, 철수가");
  // A bracket after an insert or after an escape is the text's own, as the
  // runtime has always shown it.
  EXPECT_EQ(U8(c.format("LITERAL", "민준")), "민준(은/는) 100%(이/가)");
  EXPECT_EQ(U8(c.format("GROUPED", "민준", 12345)), "민준은 12,345점");
}

TEST(CppParticles, EndingsFromUtf8AndUtf16Agree) {
  for (const char *word : {"값", "나무", "길", "x", "3", "Ｋｉｎｇ", "\xFF"}) {
    SCOPED_TRACE(word);
    const Text units = T(word);
    EXPECT_EQ(endingOf(word, std::string(word).size()),
              endingOf(units.data(), units.size()));
  }
  EXPECT_EQ(endingOf("Ｋｉｎｇ", 12), Ending::Consonant);
}

TEST(CppIsolate, RightToLeftCatalogsSetTheirInsertsApart) {
  const std::vector<Row> rows = {{"ARRIVED", "%1!s! وصل مع %2!d! نقاط"},
                                 {"PRINTF", "%s: %5.1f"},
                                 {"NEXT", "%1!s!%2!s!"},
                                 {"GROUPED", "%1!'d! %2!s!"}};
  Catalog ar = In("ar", rows);
  EXPECT_EQ(U8(ar.format("ARRIVED", "Ann", 3)), "Ann وصل مع 3 نقاط");
  ar.setIsolateInserts(true);
  EXPECT_TRUE(ar.isolatesInserts());
  EXPECT_EQ(U8(ar.format("ARRIVED", "Ann", 3)),
            "\u2068Ann\u2069 وصل مع \u20683\u2069 نقاط");
  EXPECT_EQ(U8(ar.formatUtf8("PRINTF", "Ann", 2.5)),
            "\u2068Ann\u2069: \u2068  2.5\u2069");
  EXPECT_EQ(U8(ar.format("NEXT", "a", "b")), "\u2068a\u2069\u2068b\u2069");
  // A text parsed before the catalog was asked (ARRIVED) and one parsed
  // after (GROUPED, with its twin) are marked alike, with numbers the layer
  // writes and 64-bit ones widened.
  EXPECT_EQ(U8(ar.format("ARRIVED", "Ann", std::int64_t{1} << 40)),
            "\u2068Ann\u2069 وصل مع \u20681099511627776\u2069 نقاط");
  EXPECT_EQ(U8(ar.format("GROUPED", std::int64_t{1} << 40, "Ann")),
            "\u2068١٬٠٩٩٬٥١١٬٦٢٧٬٧٧٦\u2069 \u2068Ann\u2069");
  PhrasorWChar buffer[32];
  ASSERT_TRUE(ar.formatTo(buffer, 32, "NEXT", "a", "b"));
  EXPECT_EQ(Text(buffer), T("\u2068a\u2069\u2068b\u2069"));
  char bytes[32];
  ASSERT_TRUE(ar.formatUtf8To(bytes, sizeof bytes, "NEXT", "a", "b"));
  EXPECT_EQ(std::string(bytes), "\u2068a\u2069\u2068b\u2069");
  // Off again, or a left-to-right catalog: the text as before.
  ar.setIsolateInserts(false);
  EXPECT_EQ(U8(ar.format("NEXT", "a", "b")), "ab");
  Catalog en = In("en", rows);
  en.setIsolateInserts(true);
  EXPECT_FALSE(en.isolatesInserts());
  EXPECT_EQ(U8(en.format("NEXT", "a", "b")), "ab");
}

TEST(CppIsolate, ALocalizerSetsEveryCatalogItHoldsOrIsGiven) {
  Localizer l;
  l.add(In("he", {{"HELLO", "שלום %1!s!"}}));
  l.setIsolateInserts(true);
  l.add(In("en", {{"HELLO", "Hello %1!s!"}, {"BYE", "Bye %1!s!"}}));
  EXPECT_EQ(U8(l.format("HELLO", "Ann")), "שלום \u2068Ann\u2069");
  EXPECT_EQ(U8(l.format("BYE", "Ann")), "Bye Ann");
  EXPECT_TRUE(l.catalogs()[0].isolatesInserts());
}

TEST(CppIsolate, TheLocaleSaysTheDirection) {
  for (const char *tag : {"ar", "he-IL", "fa", "ur-PK", "ps", "yi", "ckb",
                          "az-Arab", "pa-Arab", "iw", "dv_MV"})
    EXPECT_TRUE(writtenRightToLeft(tag)) << tag;
  for (const char *tag :
       {"en", "ko", "ku", "az", "ar-Latn", "sr-Latn-RS", "", "arn", "he-Latn"})
    EXPECT_FALSE(writtenRightToLeft(tag)) << tag;
}
