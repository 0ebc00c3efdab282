//===- typed_test.cpp - Typed IDs and the host's own argument types -------===//
//
// The header under test is written by the build from typed/en.csv, and the
// databases beside this program from the same file; typed/po.h and its
// databases from typed/po, read keyed by source.

#include "tests/cpp/CppTestSupport.h"
#include "typed/icu.h"
#include "typed/more.h"
#include "typed/msg.h"
#if PHRASOR_TYPED_PO
#include "typed/po.h"
#endif

#include <chrono>
#include <cstdint>

using namespace phrasor;
using namespace phrasor::cpptest;

namespace game {

/// A strong integer: formats as its amount, found by argument lookup.
struct Gold {
  std::int64_t amount;
};
std::int64_t phrasorArg(const Gold &g) { return g.amount; }

enum class Slot : int { Head = 1, Hands = 7 };
int phrasorArg(Slot s) { return static_cast<int>(s); }

/// A name held by the object: its conversion lends a view of it.
struct Hero {
  std::string name;
};
std::string_view phrasorArg(const Hero &h) { return h.name; }
/// Or the string itself, by reference.
struct Villain {
  std::string name;
};
const std::string &phrasorArg(const Villain &v) { return v.name; }

} // namespace game

/// Durations cannot have functions added beside them, so a trait says how
/// they are shown: whole seconds.
template <class R, class P>
struct phrasor::ArgConverter<std::chrono::duration<R, P>> {
  static long long convert(const std::chrono::duration<R, P> &d) {
    return std::chrono::duration_cast<std::chrono::seconds>(d).count();
  }
};

namespace {

Catalog Source() {
  Expected<Catalog> c = Catalog::open(PHRASOR_TYPED_DIR "/en.skdb");
  if (!c)
    ADD_FAILURE() << c.error().message();
  return std::move(*c);
}

std::string Utf8(const Expected<Text> &t) {
  return t ? toUtf8(*t) : "error: " + t.error().message();
}

} // namespace

TEST(TypedCalls, GiveWhatTheStringCallsGive) {
  const Catalog c = Source();
  EXPECT_EQ(c.find(msg::UI_TITLE), c.find("UI_TITLE"));
  EXPECT_EQ(Utf8(c.format(msg::DLG_GOLD, "Ann", 12)), "Ann pays 12 gold.");
  EXPECT_EQ(Utf8(c.format(msg::DLG_ECHO, std::string("hey"))), "hey, hey!");
  EXPECT_EQ(Utf8(c.format(msg::STAT_SPEED, 2.5)), "2.50 m/s");
  EXPECT_EQ(Utf8(c.format(msg::STAT_INITIAL, 'Q')), "Initial Q");
  EXPECT_EQ(Utf8(c.format(msg::LIST_WIDTH, 4, 7)), "   7 items");
  EXPECT_EQ(Utf8(c.format(msg::LIST_NAME, "Bo", 3)), "Bo has 3");
  EXPECT_EQ(Utf8(c.plural(msg::FILES, 1, 1)), "1 file");
  EXPECT_EQ(Utf8(c.plural(msg::FILES_IN, 3, 3, "bin")), "3 files in bin");
  EXPECT_EQ(Utf8(c.plural(msg::FILES, Count::decimal(150, 2), 1)), "1 files");
  EXPECT_EQ(Utf8(c.ordinal(msg::PLACE, 22, 22)), "22nd");
  // A plural whose plain entry is its fallback is one plural object.
  EXPECT_EQ(Utf8(c.plural(msg::ITEMS, 2, 2)), "2 items");
  EXPECT_EQ(Utf8(c.select(msg::FOUND, Gender::Feminine, "gold")),
            "She found gold");
  EXPECT_EQ(Utf8(c.select(msg::TITLE, "knight", "Ann")), "Sir Ann");
  EXPECT_EQ(Utf8(c.select(msg::TITLE, std::string("page"), "Bo")), "Bo");
  EXPECT_EQ(Utf8(c.selectPlural(msg::LOOT, Gender::Feminine, 1, 1)),
            "She found 1 coin");
  EXPECT_EQ(Utf8(c.selectPlural(msg::LOOT, Gender::Masculine, 1, 1)),
            "They found 1 coin");
  EXPECT_EQ(*c.formatUtf8(msg::DLG_GOLD, "Ann", 12), "Ann pays 12 gold.");

  PhrasorWChar wide[32];
  Expected<std::size_t> n = c.formatTo(wide, 32, msg::DLG_GOLD, "Ann", 12u);
  ASSERT_TRUE(n);
  EXPECT_EQ(TextView(wide, *n), T("Ann pays 12 gold."));
  char narrow[8];
  Expected<std::size_t> cut =
      c.formatUtf8To(narrow, sizeof narrow, msg::DLG_GOLD, "Ann", 12);
  ASSERT_FALSE(cut) << "too long for the buffer, as the string call says";
  EXPECT_EQ(cut.error().code(), Errc::TooLong);

  // IDs that are not C++ names keep their own spelling.
  EXPECT_EQ(phrasor::idOf(msg::menu_title), "menu.title");
  // A second catalog's header in the same namespace has IDs of its own.
  EXPECT_EQ(phrasor::idOf(msg::MORE_GOLD), "MORE_GOLD");
  EXPECT_EQ(phrasor::idOf(msg::DLG_GOLD), "DLG_GOLD");
  EXPECT_EQ(Utf8(c.format(msg::menu_title)), "Menu \"main\" \\ back?? é");
  EXPECT_EQ(Utf8(c.format(msg::_2P_START)), "Two players\nready");
}

#if PHRASOR_TYPED_PO
TEST(TypedCalls, TheHeaderNamesTheKeysTheBuildOptionsGive) {
  Expected<Localizer> l = Localizer::load(PHRASOR_TYPED_DIR "/po", "fr");
  ASSERT_TRUE(l) << l.error().message();
  EXPECT_EQ(l->find(po::door_Open), TextView(T("Ouvrir la porte")));
  EXPECT_EQ(Utf8(l->catalogs()[1].format(po::file_Open)), "Open\u2026");
}
#endif

// Built from ICU texts: named arguments become numbered ones, and the
// typed calls take them in the order the header lists their names.
TEST(TypedCalls, AnIcuSourcesArgumentsGoInTheHeadersOrder) {
  Expected<Catalog> c = Catalog::open(PHRASOR_TYPED_DIR "/icu/en.skdb");
  ASSERT_TRUE(c) << c.error().message();
  EXPECT_EQ(Utf8(c->format(icu::ICU_GOLD, "Ann", 1200)),
            "Ann pays 1,200 gold.");
  EXPECT_EQ(Utf8(c->plural(icu::ICU_FILES, 2, "docs", 2)), "2 files in docs");
}

TEST(TypedCalls, ATranslatorsRetypedInsertIsStillRefusedAtRunTime) {
  Localizer l;
  l.add(Make({{"@locale", "fr"}, {"DLG_GOLD", "%1!s! paie %2!s! pièces"}}));
  l.add(Source());
  Expected<Text> gold = l.format(msg::DLG_GOLD, "Ann", 12);
  ASSERT_FALSE(gold);
  EXPECT_EQ(gold.error().code(), Errc::ArgumentMismatch);
  EXPECT_EQ(Utf8(l.format(msg::UI_TITLE)), "The Lantern Road")
      << "the rest falls back to the source";
  EXPECT_EQ(Utf8(l.plural(msg::FILES, 2, 2)), "2 files");
}

TEST(UserArgs, StrongIntegersEnumsDurationsAndHeldText) {
  const Catalog c = Source();
  const game::Hero ann{"Ann"};
  EXPECT_EQ(Utf8(c.format(msg::DLG_GOLD, ann, game::Gold{12})),
            "Ann pays 12 gold.");
  EXPECT_EQ(Utf8(c.format("DLG_GOLD", ann, game::Slot::Hands)),
            "Ann pays 7 gold.");
  EXPECT_EQ(Utf8(c.format(msg::TIME_LEFT, std::chrono::minutes(2))),
            "120 seconds left");
  EXPECT_EQ(Utf8(c.plural(msg::FILES, 2, game::Gold{2})), "2 files");
  const game::Villain bo{"Bo"};
  EXPECT_EQ(Utf8(c.format(msg::DLG_GOLD, bo, 3)), "Bo pays 3 gold.");
  // Converted values are checked like any other at run time.
  Expected<Text> wrong = c.format("DLG_GOLD", game::Gold{1}, ann);
  ASSERT_FALSE(wrong);
  EXPECT_EQ(wrong.error().code(), Errc::ArgumentMismatch);

  const Arg slot = makeArg(game::Slot::Head);
  EXPECT_EQ(slot.type, ArgType::Signed);
  EXPECT_EQ(slot.value.i, 1);
}

// What compiles must be what the run-time check accepts: each family of
// inserts against each kind of argument, decided both ways.
template <typed::Takes K, class T>
void ExpectSameVerdict(const Catalog &c, const char *id, const T &value) {
  const bool compiles = typed::suits<K, T>();
  Expected<Text> run = c.format(id, value);
  EXPECT_EQ(compiles, run.has_value())
      << id << " with " << makeArg(value).name << ": "
      << (run ? "" : run.error().message());
}

TEST(TypedCalls, CompileTimeVerdictsMatchTheRunTimeCheck) {
  const Catalog c = Make({{"I", "%1!d!"},
                          {"N", "%1!f!"},
                          {"C", "%1!c!"},
                          {"S", "%1!s!"},
                          {"P", "%1!p!"}});
  int n = 0;
  const auto each = [&](const auto &value) {
    using T = std::remove_cv_t<std::remove_reference_t<decltype(value)>>;
    ExpectSameVerdict<typed::Takes::Integer, T>(c, "I", value);
    ExpectSameVerdict<typed::Takes::Number, T>(c, "N", value);
    ExpectSameVerdict<typed::Takes::Character, T>(c, "C", value);
    ExpectSameVerdict<typed::Takes::String, T>(c, "S", value);
    ExpectSameVerdict<typed::Takes::Pointer, T>(c, "P", value);
  };
  const std::string s = "s";
  const Text t = T("t");
  const char *p = "p";
  const PhrasorWChar *wp = t.c_str();
  each(true);
  each('c');
  each(u'c');
  each(-1);
  each(2u);
  each(std::int64_t{3});
  each(std::uint8_t{4});
  each(1.5);
  each(1.5f);
  each(s);
  each(std::string_view(s));
  each(t);
  each(TextView(t));
  each(p);
  each(wp);
  each(&n);
  each(nullptr);
  each(game::Gold{5});
  each(game::Hero{"h"});
  each(std::chrono::seconds(9));
}
