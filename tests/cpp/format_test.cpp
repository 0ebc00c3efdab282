//===- format_test.cpp - Checked arguments of the C++ layer ---------------===//
//
// Every argument kind against every insert kind: each pair is either
// refused before anything is formatted, or formats exactly what the raw
// runtime call gives for the value converted as the insert takes it.
//
//===----------------------------------------------------------------------===//

#include "tests/cpp/CppTestSupport.h"

#include "format/MessageFormat.h"
#include "format/PrintfConversion.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <new>
#include <type_traits>

// Every heap request of this test program is counted, so a test can show
// that a call allocates nothing. (gcc pairs the malloc inside operator new
// with the free inside operator delete once both are inlined, and calls
// them mismatched.)
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
static std::atomic<long> gAllocations{0};
void *operator new(std::size_t size) {
  ++gAllocations;
  if (void *p = std::malloc(size ? size : 1))
    return p;
  std::abort();
}
void *operator new[](std::size_t size) { return operator new(size); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept {
  ++gAllocations;
  return std::malloc(size ? size : 1);
}
void *operator new[](std::size_t size, const std::nothrow_t &t) noexcept {
  return operator new(size, t);
}
void operator delete(void *p, const std::nothrow_t &) noexcept { std::free(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept {
  std::free(p);
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }

using namespace phrasor;
using namespace phrasor::cpptest;

namespace {

enum class Reads {
  Int32,
  Int64,
  Double,
  WideChar,
  NarrowChar,
  Wide,
  Narrow,
  Ptr
};

struct InsertCase {
  const char *spec; // the message insert for field 1
  Reads takes;
  const char *wide = nullptr; // what it becomes for a 64-bit integer
};

const InsertCase kInserts[] = {
    {"%1!d!", Reads::Int32, "%1!I64d!"},
    {"%1!u!", Reads::Int32, "%1!I64u!"},
    {"%1!x!", Reads::Int32, "%1!I64x!"},
    {"%1!hd!", Reads::Int32},
    {"%1!lu!", Reads::Int32},
    {"%1!I64d!", Reads::Int64},
    {"%1!.2f!", Reads::Double},
    {"%1!g!", Reads::Double},
    {"%1!c!", Reads::WideChar},
    {"%1!C!", Reads::NarrowChar},
    {"%1!s!", Reads::Wide},
    {"%1!S!", Reads::Narrow},
    {"%1!-8s!", Reads::Wide},
    {"%1!p!", Reads::Ptr},
};

// One C++ argument, what it is, and the value each insert kind should see.
struct ArgCase {
  const char *name;
  std::function<Expected<Text>(const Catalog &, const char *)> format;
  bool integral, floating, character, text, pointer;
  std::int64_t integer;
  double real;
  std::string utf8;
  const void *address;
};

int gObject;
const char kNarrow[] = "na\xC3\xAFve";
const PhrasorWChar kWide[] = {'w', 0x00E9, 'd', 0};

std::vector<ArgCase> Args() {
  std::vector<ArgCase> a;
  auto add = [&](const char *name, auto value, bool integral, bool floating,
                 bool character, bool text, bool pointer, std::int64_t i,
                 double d, std::string s, const void *p) {
    a.push_back({name,
                 [value](const Catalog &c, const char *id) {
                   return c.format(id, value);
                 },
                 integral, floating, character, text, pointer, i, d, s, p});
  };
  add("bool", true, true, false, false, false, false, 1, 0, "", nullptr);
  add("char", 'A', true, false, true, false, false, 'A', 0, "", nullptr);
  add("char16_t", u'\u00E9', true, false, true, false, false, 0xE9, 0, "",
      nullptr);
  add("int", -42, true, true, true, false, false, -42, -42.0, "", nullptr);
  add("unsigned", 4000000000u, true, true, true, false, false, 4000000000ll,
      4000000000.0, "", nullptr);
  add("long long", -5000000000ll, true, true, true, false, false, -5000000000ll,
      -5000000000.0, "", nullptr);
  add("double", 2.5, false, true, false, false, false, 0, 2.5, "", nullptr);
  add("float", 0.25f, false, true, false, false, false, 0, 0.25, "", nullptr);
  add("const char*", static_cast<const char *>(kNarrow), false, false, false,
      true, true, 0, 0, kNarrow, kNarrow);
  add("std::string", std::string(kNarrow), false, false, false, true, false, 0,
      0, kNarrow, nullptr);
  add("std::string_view", std::string_view(kNarrow, 2), false, false, false,
      true, false, 0, 0, std::string(kNarrow, 2), nullptr);
  add("Text", Text(kWide), false, false, false, true, false, 0, 0,
      "w\xC3\xA9"
      "d",
      nullptr);
  add("TextView", TextView(kWide, 2), false, false, false, true, false, 0, 0,
      "w\xC3\xA9", nullptr);
  add("UTF-16 pointer", static_cast<const PhrasorWChar *>(kWide), false, false,
      false, true, true, 0, 0,
      "w\xC3\xA9"
      "d",
      kWide);
  add("pointer", static_cast<const void *>(&gObject), false, false, false,
      false, true, 0, 0, "", &gObject);
  add("nullptr", nullptr, false, false, false, false, true, 0, 0, "", nullptr);
  return a;
}

bool Accepts(Reads t, const ArgCase &a) {
  switch (t) {
  case Reads::Int32:
  case Reads::Int64:
    return a.integral;
  case Reads::Double:
    return a.floating;
  case Reads::WideChar:
    return a.character;
  case Reads::NarrowChar:
    return a.character && std::string(a.name) != "char16_t";
  case Reads::Wide:
  case Reads::Narrow:
    return a.text;
  case Reads::Ptr:
    return a.pointer;
  }
  return false;
}

Text Raw(HSTRINGKEEPER h, const char *id, Reads t, const ArgCase &a) {
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  PhrasorWChar buffer[256];
  Text wide = fromUtf8(a.utf8);
  bool ok = false;
  switch (t) {
  case Reads::Int32:
  case Reads::WideChar:
  case Reads::NarrowChar:
    ok = mgr->FormatMessageByID(h, id, buffer, 256,
                                static_cast<std::int32_t>(a.integer));
    break;
  case Reads::Int64:
    ok = mgr->FormatMessageByID(h, id, buffer, 256, a.integer);
    break;
  case Reads::Double:
    ok = mgr->FormatMessageByID(h, id, buffer, 256, a.real);
    break;
  case Reads::Wide:
    ok = mgr->FormatMessageByID(h, id, buffer, 256, wide.c_str());
    break;
  case Reads::Narrow:
    ok = mgr->FormatMessageByID(h, id, buffer, 256, a.utf8.c_str());
    break;
  case Reads::Ptr:
    ok = mgr->FormatMessageByID(h, id, buffer, 256, a.address);
    break;
  }
  EXPECT_TRUE(ok);
  return buffer;
}

} // namespace

TEST(CppFormat, EveryArgumentKindAgainstEveryInsertKind) {
  std::vector<Row> rows;
  for (std::size_t i = 0; i < std::size(kInserts); ++i) {
    rows.push_back(
        {"M" + std::to_string(i), std::string("<") + kInserts[i].spec + ">"});
    if (kInserts[i].wide)
      rows.push_back(
          {"W" + std::to_string(i), std::string("<") + kInserts[i].wide + ">"});
  }
  Catalog c = Make(rows);
  for (std::size_t i = 0; i < std::size(kInserts); ++i) {
    const std::string id = "M" + std::to_string(i);
    for (const ArgCase &a : Args()) {
      SCOPED_TRACE(std::string(kInserts[i].spec) + " <- " + a.name);
      Expected<Text> got = a.format(c, id.c_str());
      if (!Accepts(kInserts[i].takes, a)) {
        ASSERT_FALSE(got) << toUtf8(*got);
        EXPECT_EQ(got.error().code(), Errc::ArgumentMismatch);
        const std::string &m = got.error().message();
        EXPECT_NE(m.find(kInserts[i].spec), std::string::npos) << m;
        EXPECT_NE(m.find("argument 1"), std::string::npos) << m;
        continue;
      }
      ASSERT_TRUE(got) << got.error().message();
      // An integer wider than 32 bits is rendered whole where the insert
      // names no size.
      const bool whole = kInserts[i].wide && std::string(a.name) == "long long";
      const std::string rawId = (whole ? "W" : "M") + std::to_string(i);
      EXPECT_EQ(toUtf8(*got),
                toUtf8(Raw(c.handle(), rawId.c_str(),
                           whole ? Reads::Int64 : kInserts[i].takes, a)));
    }
  }
}

TEST(CppFormat, CountsAndOrderOfArguments) {
  Catalog c = Make({{"TWO", "%2!s! has %1!d! items"},
                    {"GAP", "%1!d! and %3!d!"},
                    {"N", "%1!n!"},
                    {"BROKEN", "50%"},
                    {"REPEAT", "%1!s!-%1!s!"},
                    {"LONGSPEC", "%1!0000000000000000d!"}});
  EXPECT_EQ(*c.format("TWO", 3, "Bag"), T("Bag has 3 items"));
  EXPECT_EQ(*c.format("TWO", 3, "Bag", 1.5, "extra"), T("Bag has 3 items"))
      << "arguments past the highest field are fine";
  Expected<Text> few = c.format("TWO", 3);
  ASSERT_FALSE(few);
  EXPECT_EQ(few.error().code(), Errc::ArgumentMismatch);
  EXPECT_NE(few.error().message().find("%2!s!"), std::string::npos)
      << few.error().message();
  Expected<Text> swapped = c.format("TWO", "Bag", 3);
  ASSERT_FALSE(swapped);
  EXPECT_NE(swapped.error().message().find("string literal"), std::string::npos)
      << swapped.error().message();
  EXPECT_EQ(c.format("GAP", 1, 2, 3).error().code(), Errc::BadMessage);
  EXPECT_EQ(c.format("N", nullptr).error().code(), Errc::BadMessage);
  EXPECT_EQ(*c.format("BROKEN"), T("50%"))
      << "a lone '%' reads as plain text, as the tool stores it";
  EXPECT_EQ(c.formatArgs("BROKEN", Style::Message, nullptr, 0).error().code(),
            Errc::BadMessage);
  EXPECT_EQ(c.format("LONGSPEC", 1).error().code(), Errc::BadMessage);
  EXPECT_EQ(*c.format("REPEAT", std::string_view("ab")), T("ab-ab"));
}

TEST(CppFormat, PrintfStyleChecksConversionsInOrder) {
  Catalog c = Make({{"P", "%s: %*d|%-5.1f|%c"}, {"N", "%n"}, {"BAD", "%y"}});
  Expected<Text> ok = c.formatPrintf("P", "hp", 4, 7, 2.25, u'x');
  ASSERT_TRUE(ok) << ok.error().message();
  PhrasorWChar raw[64];
  Text hp = T("hp");
  GetIPhrasorMgr()->FormatStringByID(c.handle(), "P", raw, 64, hp.c_str(), 4, 7,
                                     2.25, 'x');
  EXPECT_EQ(*ok, Text(raw));
  Expected<Text> star = c.formatPrintf("P", "hp", 2.0, 7, 2.25, 'x');
  ASSERT_FALSE(star);
  EXPECT_NE(star.error().message().find("'*'"), std::string::npos)
      << star.error().message();
  EXPECT_EQ(c.formatPrintf("P", "hp", 4).error().code(),
            Errc::ArgumentMismatch);
  EXPECT_EQ(c.formatPrintf("N", nullptr).error().code(), Errc::BadMessage);
  EXPECT_EQ(c.formatPrintf("BAD").error().code(), Errc::BadMessage);

  Catalog l = Make({{"L", "%.3Lf|%Lg"}});
  Expected<Text> wide = l.formatPrintf("L", 2.5, 7);
  ASSERT_TRUE(wide) << wide.error().message();
  // The host's %L argument: a long double, which Windows makes a double.
  using HostLongDouble =
      std::conditional_t<kLongDoubleIsWider, long double, double>;
  GetIPhrasorMgr()->FormatStringByID(l.handle(), "L", raw, 64,
                                     HostLongDouble(2.5), HostLongDouble(7));
  EXPECT_EQ(*wide, Text(raw)) << "long double conversions take any number";
}

TEST(CppFormat, GrowsOnlyUntilTheOutputFitsAndStopsPastTheLimit) {
  std::string big(40000, 'x');
  Catalog c = Make({{"GROW", "%1!s!%1!s!"}, {"SHORT", "ab%1!s!"}});
  Expected<Text> twice = c.format("GROW", std::string(30000, 'y'));
  ASSERT_TRUE(twice) << twice.error().message();
  EXPECT_EQ(twice->size(), 60000u);
  Expected<Text> tooLong = c.format("GROW", big);
  ASSERT_FALSE(tooLong);
  EXPECT_EQ(tooLong.error().code(), Errc::TooLong);
  Expected<Text> exact = c.format("GROW", std::string(32767, 'z') + "z");
  EXPECT_EQ(exact.error().code(), Errc::TooLong) << "65,536 units is one past";
  Expected<Text> limit = c.format("SHORT", std::string(65533, 'z'));
  ASSERT_TRUE(limit) << limit.error().message();
  EXPECT_EQ(limit->size(), 65535u);
}

TEST(CppFormat, FormatToFillsTheCallersBuffer) {
  Catalog c = Make({{"HI", "Hi %1!s!"}});
  PhrasorWChar buffer[9];
  Expected<std::size_t> exact = c.formatTo(buffer, 9, "HI", "Alice");
  ASSERT_TRUE(exact) << exact.error().message();
  EXPECT_EQ(*exact, 8u);
  EXPECT_EQ(Text(buffer), T("Hi Alice"));
  Expected<std::size_t> shortBy1 = c.formatTo(buffer, 8, "HI", "Alice");
  ASSERT_FALSE(shortBy1);
  EXPECT_EQ(shortBy1.error().code(), Errc::TooLong);
  Expected<std::size_t> none = c.formatTo(buffer, 8, "HI", 3);
  EXPECT_EQ(none.error().code(), Errc::ArgumentMismatch);
}

TEST(CppFormat, FormatToAndFindAllocateNothing) {
  const std::vector<Row> rows = {{"SCORE", "%1!s! has %2!d! points"},
                                 {"main menu\x04Open a saved game", "Open"}};
  Catalog c = Make(rows);
  Localizer l;
  l.add(Make(rows));
  PhrasorWChar buffer[64];
  const PhrasorWChar *name = PHRASOR_TEXT("Ann");
  ASSERT_TRUE(c.formatTo(buffer, 64, "SCORE", name, 1)); // parses once
  const long before = gAllocations.load();
  for (int i = 0; i < 10; ++i) {
    Expected<std::size_t> n = c.formatTo(buffer, 64, "SCORE", name, i);
    EXPECT_TRUE(n);
    EXPECT_TRUE(c.formatTo(buffer, 64, "score", "Bo", i));
    EXPECT_TRUE(c.find("SCORE"));
    EXPECT_TRUE(c.find(InContext{"main menu", "Open a saved game"}));
    EXPECT_TRUE(l.find(InContext{"main menu", "Open a saved game"}));
  }
  EXPECT_EQ(gAllocations.load(), before);
  EXPECT_EQ(Text(buffer), T("Bo has 9 points"));
}

TEST(CppFormat, LocaleNumbersAllocateNothing) {
  Catalog c = Make({{"GOLD", "%1!'d! Gold, %2!'.2f! km"},
                    {"HOST", "%1!d! of %2!.0f!"},
                    {"PRINTF", "%'d"}});
  c.setLocale("ar");
  PhrasorWChar buffer[64];
  char bytes[96];
  ASSERT_TRUE(c.formatTo(buffer, 64, "GOLD", 1234567, 2.5)); // parses once
  ASSERT_TRUE(c.formatTo(buffer, 64, "HOST", number(1234), 9.0));
  ASSERT_TRUE(c.formatTo(buffer, 64, "PRINTF", -42));
  const long before = gAllocations.load();
  for (int i = 0; i < 10; ++i) {
    EXPECT_TRUE(c.formatTo(buffer, 64, "GOLD", 1234567 * i, 2.5 * i));
    EXPECT_TRUE(c.formatUtf8To(bytes, sizeof bytes, "GOLD", -i, 0.5));
    EXPECT_TRUE(c.formatTo(buffer, 64, "HOST", number(1234 * i), percent(i)));
    EXPECT_TRUE(c.formatTo(buffer, 64, "PRINTF", std::int64_t{-1} << 40));
  }
  EXPECT_EQ(gAllocations.load(), before);
}

TEST(CppFormat, ParticlesAndIsolationAllocateNothing) {
  Catalog ko = Make({{"TOPIC", "%1!(은/는)s! 준비됐다"}});
  ko.setLocale("ko");
  Catalog ar = Make({{"ARRIVED", "%1!s! وصل مع %2!d! نقاط"}});
  ar.setLocale("ar");
  ar.setIsolateInserts(true);
  PhrasorWChar buffer[64];
  char bytes[96];
  ASSERT_TRUE(ko.formatTo(buffer, 64, "TOPIC", "민준")); // parses once
  ASSERT_TRUE(ar.formatTo(buffer, 64, "ARRIVED", "Ann", 3));
  // Asked for after its texts were parsed: each call marks a copy.
  Catalog late = Make({{"ARRIVED", "%1!s! وصل مع %2!d! نقاط"}});
  late.setLocale("ar");
  ASSERT_TRUE(late.formatTo(buffer, 64, "ARRIVED", "Ann", 3));
  late.setIsolateInserts(true);
  const long before = gAllocations.load();
  for (int i = 0; i < 10; ++i) {
    EXPECT_TRUE(ko.formatTo(buffer, 64, "TOPIC", i % 2 ? "민준" : "철수"));
    EXPECT_TRUE(
        ko.formatUtf8To(bytes, sizeof bytes, "TOPIC", PHRASOR_TEXT("Paul")));
    EXPECT_TRUE(ar.formatTo(buffer, 64, "ARRIVED", "Ann", i));
    EXPECT_TRUE(late.formatTo(buffer, 64, "ARRIVED", "Ann", i));
    EXPECT_TRUE(ar.formatUtf8To(bytes, sizeof bytes, "ARRIVED", "Ann", i));
  }
  EXPECT_EQ(gAllocations.load(), before);
  EXPECT_EQ(std::string(bytes), "\u2068Ann\u2069 وصل مع \u20689\u2069 نقاط");
}

// Choosing a gender's or a select's form costs no allocation beyond what
// formatting the chosen form by its own ID costs (the text returned).
TEST(CppFormat, ChoosingASelectFormAllocatesNothingMore) {
  const std::vector<Row> rows = {
      {"@locale", "fr"},
      {"TREASURE_FOUND#gender-feminine#one", "Elle a trouv\u00e9 %1!d! objet"},
      {"TREASURE_FOUND#gender-other#other", "%1!d! objets"},
      {"TREASURE_TITLE#select-knight", "Sir"}};
  Catalog c = Make(rows);
  Localizer l;
  l.add(Make(rows));
  auto cost = [](auto call) {
    const long before = gAllocations.load();
    EXPECT_TRUE(call());
    return gAllocations.load() - before;
  };
  auto female = [&](auto &on) {
    return on.selectPlural("TREASURE_FOUND", Gender::Feminine, 1, 1);
  };
  auto neuter = [&] {
    return c.selectPlural("TREASURE_FOUND", Gender::Neuter, 7, 7);
  };
  auto knight = [&] { return c.select("TREASURE_TITLE", "knight"); };
  // The first calls parse the texts and size each thread's key buffer.
  ASSERT_TRUE(female(c) && female(l) && neuter() && knight());
  const long plain =
      cost([&] { return c.format("TREASURE_FOUND#gender-feminine#one", 1); });
  EXPECT_EQ(cost([&] { return female(c); }), plain);
  EXPECT_EQ(cost([&] { return female(l); }), plain);
  EXPECT_EQ(cost(neuter), cost([&] {
              return c.format("TREASURE_FOUND#gender-other#other", 7);
            }));
  EXPECT_EQ(cost(knight),
            cost([&] { return c.format("TREASURE_TITLE#select-knight"); }));
}

TEST(CppFormat, AMissTellsTheHandlerWithoutAllocating) {
  Localizer l;
  l.add(Make({{"SCORE", "%1!s! has %2!d! points"}}));
  int misses = 0;
  std::array<char, 200> padding{}; // a closure too large to be stored inline
  l.onMissing(
      [&misses, padding](std::string_view) { misses += padding[0] + 1; });
  PhrasorWChar buffer[64];
  const long before = gAllocations.load();
  for (int i = 0; i < 100; ++i) {
    EXPECT_FALSE(l.find("NOWHERE"));
    EXPECT_FALSE(l.find(InContext{"menu", "Nowhere"}));
    EXPECT_EQ(l.catalogFor("NOWHERE"), nullptr);
  }
  EXPECT_EQ(gAllocations.load(), before);
  EXPECT_EQ(misses, 300);
  // A refused format still says why in words, which take memory; the
  // handler's part of it takes none.
  EXPECT_FALSE(l.formatTo(buffer, 64, "NOWHERE", "Bo", 1));
  EXPECT_EQ(misses, 301);
}

TEST(CppFormat, ArraysAndEmptyViewsGiveTheirOwnText) {
  Catalog c = Make({{"W", "[%1!s!]"}, {"N", "[%1!S!]"}});
  // A full array has no terminator: its text is its N elements and nothing
  // that follows it in memory.
  struct {
    char code[4];
    char after[4];
  } narrow{{'A', 'B', 'C', 'D'}, {'X', 'Y', 'Z', 0}};
  struct {
    PhrasorWChar code[2];
    PhrasorWChar after[2];
  } wide{{'E', 'F'}, {'Q', 0}};
  char shortCode[6] = "AB";
  for (const char *id : {"W", "N"}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(*c.format(id, narrow.code), T("[ABCD]"));
    EXPECT_EQ(*c.format(id, wide.code), T("[EF]"));
    EXPECT_EQ(*c.format(id, shortCode), T("[AB]"));
    // A default view is the empty text; only a null pointer is "(null)".
    EXPECT_EQ(*c.format(id, std::string_view{}), T("[]"));
    EXPECT_EQ(*c.format(id, TextView{}), T("[]"));
    EXPECT_EQ(*c.format(id, static_cast<const char *>(nullptr)), T("[(null)]"));
    EXPECT_EQ(*c.format(id, static_cast<const PhrasorWChar *>(nullptr)),
              T("[(null)]"));
  }
}

TEST(CppFormat, SmallIntegersKeepTheirSignAndCountAsNumbers) {
  Catalog c = Make({{"D", "%1!d!|%1!x!|%1!hd!|%1!u!"},
                    {"F", "%1!.1f!"},
                    {"E", "%1!e!"},
                    {"C", "%1!c!"}});
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  PhrasorWChar raw[128];
  for (int v : {-5, -128, 0, 127}) {
    SCOPED_TRACE(v);
    const std::int8_t small = static_cast<std::int8_t>(v);
    mgr->FormatMessageByID(c.handle(), "D", raw, 128, small);
    // What a C caller passing the same value gets.
    EXPECT_EQ(*c.format("D", small), Text(raw));
    EXPECT_EQ(*c.format("D", static_cast<signed char>(v)), Text(raw));
    mgr->FormatMessageByID(c.handle(), "F", raw, 128, double(v));
    EXPECT_EQ(*c.format("F", small), Text(raw));
  }
  const char negative = static_cast<char>(-5);
  mgr->FormatMessageByID(c.handle(), "D", raw, 128, negative);
  EXPECT_EQ(*c.format("D", negative), Text(raw))
      << "char as the platform has it";
  ASSERT_TRUE(c.format("E", std::uint8_t{200}));
  EXPECT_EQ(*c.format("F", std::uint8_t{200}), T("200.0"));
  EXPECT_EQ(c.format("F", 'a').error().code(), Errc::ArgumentMismatch)
      << "a char is a character, not a number";
}

TEST(CppFormat, ARepeatedFieldSuitsEachOfItsInserts) {
  Catalog c = Make({{"CD", "[%1!c!|%1!d!]"},
                    {"DC", "[%1!d!|%1!c!]"},
                    {"SS", "%1!s!%1!-3s!"}});
  for (const char *id : {"CD", "DC"}) {
    SCOPED_TRACE(id);
    Expected<Text> emoji = c.format(id, U'\U0001F600');
    ASSERT_FALSE(emoji) << toUtf8(*emoji);
    EXPECT_EQ(emoji.error().code(), Errc::ArgumentMismatch);
    EXPECT_NE(emoji.error().message().find("%1!c!"), std::string::npos)
        << emoji.error().message();
    EXPECT_EQ(c.format(id, true).error().code(), Errc::ArgumentMismatch)
        << "a bool is no character";
  }
  EXPECT_EQ(*c.format("CD", u'A'), T("[A|65]"));
  EXPECT_EQ(*c.format("SS", "ab"), T("abab "));
}

TEST(CppFormat, AnUndescribedArgumentIsRefused) {
  Catalog c = Make({{"D", "%1!d!"}, {"S", "%1!s!"}, {"P", "%d"}});
  Arg blank{};
  Arg nameless = makeArg(3);
  nameless.name = nullptr;
  Arg namelessText = makeArg("x");
  namelessText.name = nullptr;
  for (const char *id : {"D", "S"}) {
    SCOPED_TRACE(id);
    Expected<Text> got = c.formatArgs(id, Style::Message, &blank, 1);
    ASSERT_FALSE(got);
    EXPECT_EQ(got.error().code(), Errc::ArgumentMismatch);
  }
  EXPECT_EQ(c.formatArgs("P", Style::Printf, &blank, 1).error().code(),
            Errc::ArgumentMismatch);
  EXPECT_EQ(*c.formatArgs("D", Style::Message, &nameless, 1), T("3"));
  Expected<Text> wrong = c.formatArgs("D", Style::Message, &namelessText, 1);
  ASSERT_FALSE(wrong);
  EXPECT_EQ(wrong.error().code(), Errc::ArgumentMismatch);
}

TEST(CppFormat, WideIntegersAreWholeUnlessThePrefixNarrowsThem) {
  Catalog c = Make({{"DLG_GOLD", "%1!s! has %2!d! gold"},
                    {"ALL", "%1!d!|%1!x!|%1!5u!"},
                    {"MIXED", "%1!d!|%1!hd!"},
                    {"PREFIXED", "%1!ld!|%2!I32u!|%3!hd!"},
                    {"LONGSPEC", "%1!-0000000010d!"},
                    {"PRINTF", "%s: %d %*x %lu"}});
  EXPECT_EQ(*c.format("DLG_GOLD", "Ann", 5000000000LL),
            T("Ann has 5000000000 gold"));
  EXPECT_EQ(*c.format("DLG_GOLD", "Ann", std::uint64_t{1} << 40),
            T("Ann has 1099511627776 gold"));
  EXPECT_EQ(*c.format("DLG_GOLD", "Ann", -7LL), T("Ann has -7 gold"));
  EXPECT_EQ(*c.format("ALL", std::int64_t{-1}),
            T("-1|ffffffffffffffff|18446744073709551615"));
  EXPECT_EQ(*c.format("ALL", -1), T("-1|ffffffff|4294967295"))
      << "32-bit arguments are as before";
  // Explicit prefixes keep C's narrowing, for every insert of the field.
  EXPECT_EQ(*c.format("MIXED", 5000000000LL), T("705032704|-3584"));
  EXPECT_EQ(*c.format("PREFIXED", 5000000000LL, 5000000000LL, 70000LL),
            T("705032704|705032704|4464"));
  Expected<Text> noRoom = c.format("LONGSPEC", 5000000000LL);
  ASSERT_FALSE(noRoom);
  EXPECT_EQ(noRoom.error().code(), Errc::ArgumentMismatch);
  EXPECT_EQ(*c.format("LONGSPEC", 5), T("5         "));
  EXPECT_EQ(
      *c.formatPrintf("PRINTF", "x", 5000000000LL, 3, 1LL << 33, 8589934593LL),
      T("x: 5000000000 200000000 1"));

  PhrasorWChar buffer[64];
  ASSERT_TRUE(c.formatTo(buffer, 64, "DLG_GOLD", "Bo", 6000000000LL));
  EXPECT_EQ(Text(buffer), T("Bo has 6000000000 gold"));
  const long before = gAllocations.load();
  ASSERT_TRUE(c.formatTo(buffer, 64, "DLG_GOLD", "Bo", 7000000000LL));
  EXPECT_EQ(gAllocations.load(), before) << "widening allocates nothing";
  EXPECT_EQ(Text(buffer), T("Bo has 7000000000 gold"));
}

TEST(CppFormat, OnePolicyForZeroUnitsAndBadUtf8) {
  Catalog c = Make({{"M", "a%1!c!b"},
                    {"P", "a%cb"},
                    {"W", "[%1!s!]"},
                    {"N", "[%1!S!]"},
                    {"PW", "[%s]"},
                    {"PN", "[%hs]"}});
  // A U+0000 ends the output, of a message as of a printf text.
  EXPECT_EQ(*c.format("M", 0), T("a"));
  EXPECT_EQ(*c.formatPrintf("P", 0), T("a"));
  PhrasorWChar buffer[16];
  EXPECT_EQ(*c.formatArgsTo(buffer, 16, "P", Style::Printf,
                            std::vector<Arg>{makeArg(0)}.data(), 1),
            1u);
  // One U+FFFD per maximal bad subsequence, through either kind of insert.
  const std::string bad = "x\xE2\x82y\xF0\x9F\x98z\xC0\xAF";
  const Text mended = fromUtf8(bad);
  ASSERT_EQ(mended, (Text{'x', 0xFFFD, 'y', 0xFFFD, 'z', 0xFFFD, 0xFFFD}));
  const Text expected = T("[") + mended + T("]");
  // Windows decodes narrow inserts with the code page, where no byte is bad.
#if defined(_WIN32)
  const char *const ids[] = {"W"};
#else
  const char *const ids[] = {"W", "N"};
  EXPECT_EQ(*c.formatPrintf("PN", bad.c_str()), expected);
#endif
  for (const char *id : ids) {
    SCOPED_TRACE(id);
    EXPECT_EQ(*c.format(id, bad), expected);
    EXPECT_EQ(*c.format(id, std::string_view(bad)), expected);
    EXPECT_EQ(*c.format(id, bad.c_str()), expected);
  }
  EXPECT_EQ(*c.formatPrintf("PW", bad), expected);
}

// --- UTF-8 out --------------------------------------------------------------

TEST(CppFormatUtf8, SameChecksAndSameTextAsUtf16) {
  // A pair split by the 255-unit loads the formatter streams through, a
  // lone surrogate, a zero character that ends the text, a printf text.
  const std::string pad(254, 'p');
  Catalog c = Make({{"M", "%1!s! \xC3\xA9 %2!d! %3!s!"},
                    {"Z", "a%1!c!b"},
                    {"P", "%s|%5d|%c"},
                    {"BAD", "%1!s"}});
  const PhrasorWChar pair[] = {0xD83D, 0xDE00, 0};
  const PhrasorWChar lone[] = {'x', 0xD800, 0};
  const auto same = [&](auto... args) {
    Expected<Text> wide = c.format("M", args...);
    Expected<std::string> utf8 = c.formatUtf8("M", args...);
    ASSERT_TRUE(wide && utf8);
    EXPECT_EQ(*utf8, toUtf8(*wide));
    char buffer[400];
    Expected<std::size_t> n =
        c.formatUtf8To(buffer, sizeof buffer, "M", args...);
    ASSERT_TRUE(n) << n.error().message();
    EXPECT_EQ(std::string(buffer, *n), *utf8);
    EXPECT_EQ(buffer[*n], 0);
  };
  same(pad, -12, pair);
  same("\xE6\x97\xA5", 7, lone);
  same(pad + "\xF0\x9F\x98\x80", 0, lone);
  EXPECT_EQ(*c.formatUtf8("Z", 0), "a");
  Expected<std::string> printf =
      c.formatArgsUtf8("P", Style::Printf, nullptr, 0);
  EXPECT_EQ(printf.error().code(), Errc::ArgumentMismatch);
  const Arg args[] = {makeArg("\xC3\xA9t\xC3\xA9"), makeArg(42), makeArg('!')};
  EXPECT_EQ(*c.formatArgsUtf8("P", Style::Printf, args, 3),
            toUtf8(*c.formatArgs("P", Style::Printf, args, 3)));
  EXPECT_EQ(c.formatUtf8("BAD", "x").error().code(), Errc::BadMessage);
  EXPECT_EQ(c.formatUtf8("M", 1, 2, 3).error().code(), Errc::ArgumentMismatch);
  EXPECT_EQ(c.formatUtf8("NONE").error().code(), Errc::MissingId);
}

// The UTF-8 calls pick the style by the stored kind, as format does: a
// printf text printf style, a plain text as it stands, whole or not at all.
TEST(CppFormatUtf8, FollowsTheStoredKind) {
  Catalog c = Make({{"P", "%s has %d"}, {"PLAIN", "50% off"}});
  EXPECT_EQ(*c.formatUtf8("P", "Ann", 3), "Ann has 3");
  EXPECT_EQ(*c.formatUtf8("PLAIN"), "50% off");
  char buffer[8];
  Expected<std::size_t> n = c.formatUtf8To(buffer, sizeof buffer, "PLAIN");
  ASSERT_TRUE(n) << n.error().message();
  EXPECT_EQ(std::string(buffer, *n), "50% off");
  Expected<std::size_t> cut = c.formatUtf8To(buffer, 7, "PLAIN");
  EXPECT_EQ(cut.error().code(), Errc::TooLong);
  EXPECT_EQ(buffer[0], 0);
}

TEST(CppFormatUtf8, BufferFitsWholeCharactersAndTheLimitIsTheSame) {
  Catalog c = Make({{"HI", "Hi %1!s!"}, {"GROW", "%1!s!%1!s!"}});
  char buffer[16];
  std::memset(buffer, 'Z', sizeof buffer);
  // "Hi " and three two-byte characters: 9 bytes and the terminator.
  Expected<std::size_t> exact =
      c.formatUtf8To(buffer, 10, "HI", "\xC3\xA9\xC3\xA9\xC3\xA9");
  ASSERT_TRUE(exact) << exact.error().message();
  EXPECT_EQ(*exact, 9u);
  EXPECT_STREQ(buffer, "Hi \xC3\xA9\xC3\xA9\xC3\xA9");
  std::memset(buffer, 'Z', sizeof buffer);
  Expected<std::size_t> shortBy1 =
      c.formatUtf8To(buffer, 9, "HI", "\xC3\xA9\xC3\xA9\xC3\xA9");
  ASSERT_FALSE(shortBy1);
  EXPECT_EQ(shortBy1.error().code(), Errc::TooLong);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(buffer[9], 'Z') << "nothing past the buffer";
  EXPECT_EQ(c.formatUtf8To(nullptr, 4, "HI", "a").error().code(),
            Errc::TooLong);

  // The limit counts UTF-16 units, as the UTF-16 calls do.
  Expected<std::string> big = c.formatUtf8("GROW", std::string(30000, 'y'));
  ASSERT_TRUE(big);
  EXPECT_EQ(big->size(), 60000u);
  EXPECT_EQ(c.formatUtf8("GROW", std::string(32767, 'z') + "z").error().code(),
            Errc::TooLong);
  std::vector<char> large(300000);
  EXPECT_EQ(c.formatUtf8To(large.data(), large.size(), "GROW",
                           std::string(32768, 'z'))
                .error()
                .code(),
            Errc::TooLong);
}

TEST(CppFormatUtf8, BufferFormsAllocateNothing) {
  Catalog c = Make({{"SCORE", "%1!s! has %2!d! points"}});
  TempDir dir;
  {
    std::vector<std::uint8_t> bytes = Bytes({{"SCORE", "%1!s! a %2!d!"}});
    std::ofstream(dir.path / "fr.skdb", std::ios::binary)
        .write(reinterpret_cast<const char *>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  Expected<Localizer> l = Localizer::load(dir.path, "fr");
  ASSERT_TRUE(l) << l.error().message();
  char utf8[64];
  PhrasorWChar wide[64];
  const PhrasorWChar *name = PHRASOR_TEXT("Ann");
  ASSERT_TRUE(c.formatUtf8To(utf8, 64, "SCORE", name, 1)); // parses once
  ASSERT_TRUE(l->formatUtf8To(utf8, 64, "SCORE", "Bo", 1));
  const long before = gAllocations.load();
  for (int i = 0; i < 10; ++i) {
    EXPECT_TRUE(c.formatUtf8To(utf8, 64, "SCORE", name, i));
    EXPECT_TRUE(c.formatUtf8To(utf8, 64, "score", "Bo", i));
    EXPECT_TRUE(l->formatTo(wide, 64, "SCORE", "Bo", i));
    EXPECT_TRUE(l->formatUtf8To(utf8, 64, "SCORE", "Bo", i));
  }
  EXPECT_EQ(gAllocations.load(), before);
  EXPECT_STREQ(utf8, "Bo a 9");
  EXPECT_EQ(Text(wide), T("Bo a 9"));
  EXPECT_EQ(*l->formatUtf8("SCORE", "Al", 2), "Al a 2");
  EXPECT_EQ(l->formatTo(wide, 64, "NONE").error().code(), Errc::MissingId);
}

// --- Messages of plain inserts ----------------------------------------------
//
// A message of only %%, %n!s! and %n!d! is written without the formatter,
// from literal runs kept per text. Its output must be the formatter's, unit
// for unit and (as UTF-8) byte for byte of that text, for every argument
// form, and a buffer must take it whole or hold an empty text.

namespace {

// One text or integer argument in one of its C++ forms, and what the
// formatter is given for it.
struct PlainArg {
  std::string label;
  Arg arg;
  FormatValue value;
  bool wide = false; // a 64-bit integer: its insert takes it whole
};

struct PlainArgs {
  std::vector<PlainArg> texts, integers;
  // Storage the Args point into.
  std::vector<std::unique_ptr<std::string>> narrow;
  std::vector<std::unique_ptr<Text>> wide;
};

PlainArgs MakePlainArgs() {
  PlainArgs p;
  // The wide text the formatter is given: what the layer's own conversion
  // makes (one U+FFFD per maximal bad subsequence), up to its first zero.
  const auto keepWide = [&p](Text t) -> const PhrasorWChar * {
    p.wide.push_back(std::make_unique<Text>(std::move(t)));
    return p.wide.back()->c_str();
  };
  const std::string utf8[] = {
      "",
      "Anneliese",
      "Ann\xC3\xA9 \xE6\x97\xA5",
      "\xF0\x9F\x98\x80\xF0\x9F\x98\x80",
      "x\xE2\x82y\xF0\x9F\x98z\xC0\xAF\xED\xA0\x80\xFF",
      std::string("a\0b", 3),
      std::string(300, 'q') + "\xC3\xA9",
  };
  for (const std::string &s : utf8) {
    p.narrow.push_back(std::make_unique<std::string>(s));
    const std::string &kept = *p.narrow.back();
    const FormatValue v(static_cast<const void *>(keepWide(fromUtf8(kept))));
    p.texts.push_back(
        {"std::string " + toUtf8(fromUtf8(kept)), makeArg(kept), v});
    p.texts.push_back({"string_view", makeArg(std::string_view(kept)), v});
    p.texts.push_back({"const char*", makeArg(kept.c_str()),
                       FormatValue(static_cast<const void *>(keepWide(
                           fromUtf8(std::string_view(kept.c_str())))))});
  }
  const Text utf16[] = {
      Text{'w', 0xD83D, 0xDE00, 'z'}, // a pair
      Text{'x', 0xD800},              // a high surrogate at the end
      Text{0xDC00, 'y'},              // a low surrogate at the start
      Text{'a', 0xDC00, 0xD800, 'b'}, // the halves the wrong way round
      Text{'c', 0, 'd'},              // a zero unit ends it
      Text{},
  };
  for (const Text &t : utf16) {
    p.wide.push_back(std::make_unique<Text>(t));
    const Text &kept = *p.wide.back();
    const FormatValue v(static_cast<const void *>(kept.c_str()));
    p.texts.push_back({"Text", makeArg(kept), v});
    p.texts.push_back({"TextView", makeArg(TextView(kept)), v});
  }
  const FormatValue null(static_cast<const void *>(nullptr));
  p.texts.push_back(
      {"null const char*", makeArg(static_cast<const char *>(nullptr)), null});
  p.texts.push_back({"null UTF-16 pointer",
                     makeArg(static_cast<const PhrasorWChar *>(nullptr)),
                     null});
  p.texts.push_back({"empty string_view", makeArg(std::string_view()),
                     FormatValue(static_cast<const void *>(keepWide(Text())))});

  const auto integer = [&p](std::string label, Arg a, std::int32_t v) {
    p.integers.push_back({std::move(label), a, FormatValue(v)});
  };
  integer("0", makeArg(0), 0);
  integer("-7", makeArg(-7), -7);
  integer("INT_MIN", makeArg(INT32_MIN), INT32_MIN);
  integer("INT_MAX", makeArg(INT32_MAX), INT32_MAX);
  integer("4000000000u", makeArg(4000000000u),
          static_cast<std::int32_t>(4000000000u));
  integer("bool", makeArg(true), 1);
  integer("char", makeArg('A'), 'A');
  integer("short", makeArg(static_cast<short>(-300)), -300);
  const auto wide = [&p](std::string label, Arg a, std::int64_t v) {
    p.integers.push_back({std::move(label), a, FormatValue(v), true});
  };
  wide("INT64_MIN", makeArg(INT64_MIN), INT64_MIN);
  wide("-5000000000", makeArg(-5000000000ll), -5000000000ll);
  wide("UINT64_MAX", makeArg(UINT64_MAX), -1);
  wide("size_t 7", makeArg(std::uint64_t{7}), 7);
  return p;
}

// Every check on one message and one set of arguments.
void CheckPlain(const Catalog &c, const std::u16string &message,
                const std::vector<const PlainArg *> &args) {
  std::vector<Arg> list;
  std::vector<FormatValue> values;
  std::string trace = "args:";
  for (const PlainArg *a : args) {
    list.push_back(a->arg);
    values.push_back(a->value);
    trace += " [" + a->label + "]";
  }
  SCOPED_TRACE(trace);
  const std::size_t n = list.size();
  std::vector<PhrasorWChar> raw(70000);
  ArrayArgs rawArgs(values.data(), values.size());
  Text stored(message.begin(), message.end());
  // The general path widens each insert of a 64-bit integer to %n!I64d!.
  for (const PlainArg *a : args)
    for (std::size_t at = 0;
         a->wide && (at = stored.find(T("!d!"), at)) != Text::npos;)
      stored.replace(at, 3, T("!I64d!"));
  ASSERT_EQ(
      QVFormatMessageT().Format(raw.data(), 70000, stored.c_str(), rawArgs),
      MessageStatus::Ok);
  const Text want(raw.data());
  const std::string want8 = toUtf8(want);

  Expected<Text> text = c.formatArgs("M", Style::Stored, list.data(), n);
  ASSERT_TRUE(text) << text.error().message();
  EXPECT_EQ(*text, want);
  Expected<std::string> text8 =
      c.formatArgsUtf8("M", Style::Stored, list.data(), n);
  ASSERT_TRUE(text8) << text8.error().message();
  EXPECT_EQ(*text8, want8);

  // Every buffer length: the whole text and its terminator, or TooLong
  // with an empty text, and nothing written past the buffer.
  constexpr std::size_t kGuard = 4;
  std::vector<PhrasorWChar> units(want.size() + 2 + kGuard);
  for (std::size_t length = 0; length <= want.size() + 1; ++length) {
    std::fill(units.begin(), units.end(), PhrasorWChar(0x5A5A));
    Expected<std::size_t> r =
        c.formatArgsTo(length ? units.data() : nullptr, length, "M",
                       Style::Stored, list.data(), n);
    if (length > want.size()) {
      ASSERT_TRUE(r) << r.error().message();
      EXPECT_EQ(Text(units.data(), *r), want);
      EXPECT_EQ(units[*r], 0);
    } else {
      ASSERT_FALSE(r) << "UTF-16 length " << length;
      EXPECT_EQ(r.error().code(), Errc::TooLong);
      if (length) {
        EXPECT_EQ(units[0], 0);
      }
    }
    for (std::size_t g = length; g < length + kGuard; ++g)
      ASSERT_EQ(units[g], 0x5A5A) << "UTF-16 length " << length;
  }
  std::vector<char> bytes(want8.size() + 2 + kGuard);
  for (std::size_t length = 0; length <= want8.size() + 1; ++length) {
    std::fill(bytes.begin(), bytes.end(), '\x5A');
    Expected<std::size_t> r =
        c.formatArgsUtf8To(length ? bytes.data() : nullptr, length, "M",
                           Style::Stored, list.data(), n);
    if (length > want8.size()) {
      ASSERT_TRUE(r) << r.error().message();
      EXPECT_EQ(std::string(bytes.data(), *r), want8);
      EXPECT_EQ(bytes[*r], 0);
    } else {
      ASSERT_FALSE(r) << "UTF-8 length " << length;
      EXPECT_EQ(r.error().code(), Errc::TooLong);
      if (length) {
        EXPECT_EQ(bytes[0], 0);
      }
    }
    for (std::size_t g = length; g < length + kGuard; ++g)
      ASSERT_EQ(bytes[g], '\x5A') << "UTF-8 length " << length;
  }
}

} // namespace

TEST(CppFormatPlain, SameTextAsTheFormatterForEveryArgumentForm) {
  // Literal text of every width, escapes, a field used twice, inserts side
  // by side, "%0" ending the text, and lone surrogates in the text: one
  // before an insert (it would pair with an argument's low half), one after
  // it, one at the end.
  const std::u16string messages[] = {
      u"%1!s! has %2!d! points",
      u"%%%2!d!%% of %1!s!%%",
      u"\u00E9t\u00E9 \u65E5 \U0001F600 %1!s! %2!d!",
      u"%2!d!%1!s!%1!s!%2!d!",
      u"[%1!s!]%0 dropped %1!s!",
      u"\xD800%1!s!\xDC00 %2!d!\xD83D",
      u"%1!s!",
  };
  PlainArgs p = MakePlainArgs();
  std::vector<authoring::Entry> entries(1);
  entries[0].id = "M";
  for (const std::u16string &message : messages) {
    SCOPED_TRACE(toUtf8(Text(message.begin(), message.end())));
    entries[0].value = message;
    auto bytes = authoring::BuildDatabase(entries);
    ASSERT_TRUE(bytes);
    Expected<Catalog> c = Catalog::fromBytes(bytes->data(), bytes->size());
    ASSERT_TRUE(c) << c.error().message();
    const bool oneField = message == u"%1!s!";
    for (const PlainArg &text : p.texts) {
      if (oneField) {
        CheckPlain(*c, message, {&text});
        continue;
      }
      for (const PlainArg &number : p.integers)
        CheckPlain(*c, message, {&text, &number});
    }
  }
  // Two text inserts side by side: a high half at the end of one and a low
  // half at the start of the next make one character.
  const std::u16string sideBySide = u"%1!s!%2!s!";
  entries[0].value = sideBySide;
  auto bytes = authoring::BuildDatabase(entries);
  Expected<Catalog> c = Catalog::fromBytes(bytes->data(), bytes->size());
  ASSERT_TRUE(c);
  for (const PlainArg &first : p.texts)
    for (const PlainArg &second : p.texts)
      CheckPlain(*c, sideBySide, {&first, &second});
}

TEST(CppFormatPlain, TheLimitCountsUtf16UnitsNotBytes) {
  Catalog c = Make({{"GROW", "%1!s!%1!s!"}});
  std::string emoji;
  for (int i = 0; i < 16383; ++i)
    emoji += "\xF0\x9F\x98\x80";         // two units, four bytes
  const std::string fits = emoji + "a";  // 32767 units, twice 65534
  const std::string over = emoji + "ab"; // 32768 units, twice 65536
  std::vector<char> large(300000);
  Expected<std::size_t> n =
      c.formatUtf8To(large.data(), large.size(), "GROW", fits);
  ASSERT_TRUE(n) << n.error().message();
  EXPECT_EQ(*n, 2 * fits.size());
  Expected<std::size_t> tooMany =
      c.formatUtf8To(large.data(), large.size(), "GROW", over);
  ASSERT_FALSE(tooMany);
  EXPECT_EQ(tooMany.error().code(), Errc::TooLong);
  EXPECT_NE(tooMany.error().message().find("65535 units"), std::string::npos)
      << tooMany.error().message();
  EXPECT_EQ(large[0], 0);
  EXPECT_EQ(c.formatUtf8("GROW", over).error().code(), Errc::TooLong);
  EXPECT_EQ(c.formatUtf8("GROW", fits)->size(), 2 * fits.size());
}

TEST(CppFormatPlain, ARefusedArgumentLeavesTheBufferAlone) {
  Catalog c = Make({{"M", "%1!s! has %2!d! points"}});
  char bytes[32];
  PhrasorWChar units[32];
  std::memset(bytes, 'Z', sizeof bytes);
  std::fill(std::begin(units), std::end(units), PhrasorWChar('Z'));
  EXPECT_EQ(c.formatUtf8To(bytes, sizeof bytes, "M", "Ann", "7").error().code(),
            Errc::ArgumentMismatch);
  EXPECT_EQ(c.formatTo(units, 32, "M", "Ann", 2.5).error().code(),
            Errc::ArgumentMismatch);
  EXPECT_EQ(c.formatUtf8To(bytes, sizeof bytes, "M", "Ann").error().code(),
            Errc::ArgumentMismatch);
  EXPECT_EQ(bytes[0], 'Z');
  EXPECT_EQ(units[0], 'Z');
  // A 64-bit integer is written whole, unless the text is too long to
  // widen its inserts.
  EXPECT_EQ(*c.formatUtf8("M", "Ann", -5000000000ll),
            "Ann has -5000000000 points");
  Catalog full = Make({{"M", std::string(65525, 'x') + "%1!d!%1!d!"}});
  std::vector<char> large(70000);
  EXPECT_TRUE(full.formatUtf8To(large.data(), large.size(), "M", 7));
  EXPECT_EQ(
      full.formatUtf8To(large.data(), large.size(), "M", 7ll).error().code(),
      Errc::ArgumentMismatch);
  std::vector<PhrasorWChar> wide(70000);
  EXPECT_EQ(full.formatTo(wide.data(), wide.size(), "M", 7ll).error().code(),
            Errc::ArgumentMismatch);
}

TEST(CppFormatPlain, AllocatesNothing) {
  Catalog c = Make({{"M", "\xC3\xA9 %1!s! %% %2!d! \xF0\x9F\x98\x80"}});
  const std::string narrow = "x\xE2\x82y\xF0\x9F\x98\x80";
  const Text wide{'w', 0xD83D, 0xDE00, 0xDC00};
  char bytes[64];
  PhrasorWChar units[64];
  ASSERT_TRUE(c.formatUtf8To(bytes, 64, "M", narrow, 1)); // parses once
  const long before = gAllocations.load();
  for (int i = 0; i < 10; ++i) {
    EXPECT_TRUE(c.formatUtf8To(bytes, 64, "M", narrow, i));
    EXPECT_TRUE(c.formatUtf8To(bytes, 64, "M", wide, -i));
    EXPECT_TRUE(c.formatTo(units, 64, "M", narrow, i));
    EXPECT_TRUE(c.formatTo(units, 64, "M", wide, INT32_MIN));
  }
  EXPECT_EQ(gAllocations.load(), before);
  ASSERT_TRUE(c.formatUtf8To(bytes, 64, "M", wide, INT32_MIN));
  EXPECT_STREQ(bytes, "\xC3\xA9 w\xF0\x9F\x98\x80\xEF\xBF\xBD % -2147483648 "
                      "\xF0\x9F\x98\x80");
  EXPECT_EQ(Text(units), T("\xC3\xA9 w\xF0\x9F\x98\x80") + Text{0xDC00} +
                             T(" % -2147483648 \xF0\x9F\x98\x80"));
}

TEST(CppFormatPlain, EscapesBesideSurrogatesAndFieldsOutOfOrder) {
  // An escape folded into a run between a lone high and a lone low half; a
  // field repeated out of order (a 64-bit integer widens each of its
  // inserts); "%0" straight after an escape; an empty message.
  const std::u16string messages[] = {
      u"\xD800%%%1!s!%%\xDC00%2!d!",
      u"%2!d!%1!s!%2!d!%%%1!s!\xDC00",
      u"%%%0%1!s!",
      u"",
  };
  PlainArgs p = MakePlainArgs();
  std::vector<authoring::Entry> entries(1);
  entries[0].id = "M";
  for (const std::u16string &message : messages) {
    SCOPED_TRACE(toUtf8(Text(message.begin(), message.end())));
    entries[0].value = message;
    auto bytes = authoring::BuildDatabase(entries);
    ASSERT_TRUE(bytes);
    Expected<Catalog> c = Catalog::fromBytes(bytes->data(), bytes->size());
    ASSERT_TRUE(c) << c.error().message();
    for (const PlainArg &text : p.texts)
      for (const PlainArg &number : p.integers)
        CheckPlain(*c, message, {&text, &number});
  }
}

TEST(CppFormatPlain, TheUtf16CallsStopAtTheLimitWhateverTheBuffer) {
  Catalog c = Make({{"GROW", "%1!s!%1!s!"}, {"ONE", "%1!s!x"}});
  const std::string fits(32767, 'a');
  const std::string over(32768, 'a');
  std::vector<PhrasorWChar> wide(70000, 0x5A5A);
  Expected<std::size_t> n = c.formatTo(wide.data(), wide.size(), "GROW", fits);
  ASSERT_TRUE(n);
  EXPECT_EQ(*n, 65534u);
  Expected<std::size_t> bad =
      c.formatTo(wide.data(), wide.size(), "GROW", over);
  ASSERT_FALSE(bad);
  EXPECT_EQ(bad.error().code(), Errc::TooLong);
  EXPECT_EQ(wide[0], 0);
  EXPECT_EQ(c.format("GROW", over).error().code(), Errc::TooLong);
  EXPECT_EQ(c.format("GROW", fits)->size(), 65534u);
  const std::string edge(65534, 'b');
  EXPECT_EQ(c.format("ONE", edge)->size(), 65535u);
  EXPECT_EQ(c.format("ONE", edge + "b").error().code(), Errc::TooLong);
  std::vector<char> bytes(300000);
  EXPECT_EQ(*c.formatUtf8To(bytes.data(), bytes.size(), "ONE", edge), 65535u);
  EXPECT_EQ(c.formatUtf8To(bytes.data(), bytes.size(), "ONE", edge + "b")
                .error()
                .code(),
            Errc::TooLong);
  EXPECT_EQ(*c.formatTo(wide.data(), wide.size(), "ONE", edge), 65535u);
  EXPECT_EQ(
      c.formatTo(wide.data(), wide.size(), "ONE", edge + "b").error().code(),
      Errc::TooLong);
}
