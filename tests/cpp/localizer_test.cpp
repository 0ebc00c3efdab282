//===- localizer_test.cpp - Fallback, plurals, threads and UTF-8 ----------===//

#include "tests/cpp/CppTestSupport.h"

#include <atomic>
#include <thread>

using namespace phrasor;
using namespace phrasor::cpptest;

TEST(CppLocalizer, FallsBackFromRegionToLanguageToTheLast) {
  TempDir dir;
  dir.write("en.skdb", Bytes({{"A", "en A"}, {"B", "en B"}, {"C", "en C"}}));
  dir.write("fr.skdb",
            Bytes({{"@locale", "fr"}, {"A", "fr A"}, {"B", "fr B"}}));
  dir.write("fr-CA.skdb", Bytes({{"@locale", "fr-CA"}, {"A", "ca A"}}));
  for (const char *tag : {"fr-CA", "fr_CA"}) {
    SCOPED_TRACE(tag);
    Expected<Localizer> l = Localizer::load(dir.path, tag);
    ASSERT_TRUE(l) << l.error().message();
    ASSERT_EQ(l->catalogs().size(), 3u);
    EXPECT_EQ(l->find("A"), TextView(T("ca A")));
    EXPECT_EQ(l->find("b"), TextView(T("fr B")));
    EXPECT_EQ(l->find("C"), TextView(T("en C")));
  }
  Expected<Localizer> swiss = Localizer::load(dir.path, "fr-CH");
  ASSERT_TRUE(swiss);
  EXPECT_EQ(swiss->catalogs().size(), 2u) << "a missing file is skipped";
  EXPECT_EQ(*swiss->format("A"), T("fr A"));

  Expected<Localizer> none = Localizer::load(dir.path, "de", "it");
  ASSERT_FALSE(none);
  EXPECT_EQ(none.error().code(), Errc::FileNotFound);

  dir.write("de.skdb", {'S', 'K', 'D', 'B'});
  Expected<Localizer> broken = Localizer::load(dir.path, "de", "it");
  ASSERT_FALSE(broken) << "nothing loads";
  EXPECT_EQ(broken.error().code(), Errc::NotADatabase);
  EXPECT_NE(broken.error().message().find("de.skdb"), std::string::npos);
}

TEST(CppLocalizer, ABrokenCatalogCostsOnlyItsOwnLanguage) {
  TempDir dir;
  dir.write("en.skdb", Bytes({{"A", "en A"}, {"B", "en B"}}));
  dir.write("pl.skdb", Bytes({{"@locale", "pl"}, {"A", "pl A"}}));
  std::vector<std::uint8_t> truncated = Bytes({{"A", "pl-PL A"}});
  truncated.resize(truncated.size() - 3);
  dir.write("pl-PL.skdb", truncated);
  Expected<Localizer> l = Localizer::load(dir.path, "pl_PL.UTF-8");
  ASSERT_TRUE(l) << l.error().message();
  ASSERT_EQ(l->catalogs().size(), 2u);
  EXPECT_EQ(*l->format("A"), T("pl A"));
  EXPECT_EQ(*l->format("B"), T("en B"));
  ASSERT_EQ(l->problems().size(), 1u);
  EXPECT_EQ(l->problems()[0].code(), Errc::Corrupt);
  EXPECT_NE(l->problems()[0].message().find("pl-PL.skdb"), std::string::npos)
      << l->problems()[0].message();
}

TEST(CppLocalizer, LocaleNamesAsTheEnvironmentWritesThem) {
  TempDir dir;
  dir.write("en.skdb", Bytes({{"A", "en"}}));
  dir.write("fr.skdb", Bytes({{"A", "fr"}}));
  for (const char *file :
       {"fr-CA.skdb", "fr_CA.skdb", "fr-ca.skdb", "FR_ca.SKDB"}) {
    SCOPED_TRACE(file);
    dir.write(file, Bytes({{"A", "ca"}}));
    for (const char *tag : {"fr_CA.UTF-8", "fr_CA.utf8", "fr_CA@euro",
                            "fr_CA.UTF-8@euro", "fr-ca", "FR-CA", "fr_CA"}) {
      SCOPED_TRACE(tag);
      Expected<Localizer> l = Localizer::load(dir.path, tag);
      ASSERT_TRUE(l) << l.error().message();
      EXPECT_EQ(l->catalogs().size(), 3u);
      EXPECT_EQ(*l->format("A"), T("ca"));
    }
    std::filesystem::remove(dir.path / file);
  }
  Expected<Localizer> upper = Localizer::load(dir.path, "FR", "EN");
  ASSERT_TRUE(upper);
  EXPECT_EQ(upper->catalogs().size(), 2u) << "fr, then en, each once";
}

TEST(CppLocalizer, AModifiersScriptIsAskedForBeforeTheNameWithoutIt) {
  TempDir dir;
  dir.write("en.skdb", Bytes({{"A", "en"}}));
  dir.write("sr-RS.skdb", Bytes({{"A", "cyrillic"}}));
  Expected<Localizer> plain = Localizer::load(dir.path, "sr_RS.UTF-8@latin");
  ASSERT_TRUE(plain) << plain.error().message();
  EXPECT_EQ(*plain->format("A"), T("cyrillic"))
      << "without a Latin catalog the user's language still serves";
  dir.write("sr-Latn.skdb", Bytes({{"A", "latin"}}));
  Expected<Localizer> latin = Localizer::load(dir.path, "sr_RS.UTF-8@latin");
  ASSERT_TRUE(latin) << latin.error().message();
  EXPECT_EQ(*latin->format("A"), T("latin"));
  ASSERT_EQ(latin->catalogs().size(), 3u) << "sr-Latn, sr-RS, en";
  EXPECT_EQ(latin->catalogs()[1].locale(), "sr-RS");
}

TEST(CppLocalizer, ALocaleNameNeverLeadsOutOfTheDirectory) {
  TempDir dir;
  std::filesystem::create_directories(dir.path / "lang");
  dir.write("x.skdb", Bytes({{"A", "outside"}}));
  dir.write("lang/en.skdb", Bytes({{"A", "en"}}));
  const std::string outside = (dir.path / "x").string();
  for (const std::string &tag :
       {std::string("../x"), outside, std::string("x/../../x"),
        std::string("fr--CA"), std::string("fr-"), std::string("fr CA"),
        std::string("fr.UTF-8/../x")}) {
    SCOPED_TRACE(tag);
    Expected<Localizer> l = Localizer::load(dir.path / "lang", tag);
    ASSERT_FALSE(l);
    EXPECT_EQ(l.error().code(), Errc::BadLocale);
  }
  Expected<Localizer> badLast =
      Localizer::load(dir.path / "lang", "en", "../x");
  ASSERT_FALSE(badLast);
  EXPECT_EQ(badLast.error().code(), Errc::BadLocale);
}

TEST(CppLocalizer, AMissingHandlerMayReplaceItself) {
  Localizer l;
  l.add(Make({{"A", "a"}}));
  std::vector<std::string> seen;
  std::string big(200, 'x'); // a closure too large to be stored inline
  l.onMissing([&, big](std::string_view id) {
    seen.emplace_back(std::string(id) + big.substr(0, 1));
    l.onMissing([&](std::string_view next) { seen.emplace_back(next); });
    seen.emplace_back(big.substr(0, 2)); // reads the first closure's copy
  });
  EXPECT_FALSE(l.find("ONE"));
  EXPECT_FALSE(l.find("TWO"));
  EXPECT_EQ(seen, (std::vector<std::string>{"ONEx", "xx", "TWO"}));
}

TEST(CppLocalizer, TheFirstCatalogWithTheTextDecides) {
  Localizer l;
  l.add(Make({{"MSG", "%1!d! new"}, {"EMPTY", std::nullopt}}));
  l.add(Make({{"MSG", "%1!s! new"}, {"EMPTY", "fallback"}, {"ONLY", "x"}}));
  std::vector<std::string> missing;
  l.onMissing([&](std::string_view id) { missing.emplace_back(id); });
  Expected<Text> retyped = l.format("MSG", "three");
  ASSERT_FALSE(retyped);
  EXPECT_EQ(retyped.error().code(), Errc::ArgumentMismatch)
      << "no silent fall-through to a catalog the argument would fit";
  EXPECT_EQ(*l.format("EMPTY"), T("fallback"))
      << "an entry without text does not count as having it";
  EXPECT_EQ(*l.format("ONLY"), T("x"));
  EXPECT_FALSE(l.find("NOWHERE"));
  EXPECT_EQ(l.format("NOWHERE").error().code(), Errc::MissingId);
  EXPECT_EQ(l.plural("NOWHERE", 1).error().code(), Errc::MissingId);
  EXPECT_EQ(missing,
            (std::vector<std::string>{"NOWHERE", "NOWHERE", "NOWHERE"}));
}

TEST(CppPlural, CategoriesFollowTheCatalogLocale) {
  struct Case {
    const char *locale;
    std::int64_t count;
    const char *category;
  };
  const Case cases[] = {
      {"en", 1, "one"},     {"en", 0, "other"}, {"en", 2, "other"},
      {"fr", 0, "one"},     {"fr", 1, "one"},   {"fr", 2, "other"},
      {"ru", 1, "one"},     {"ru", 21, "one"},  {"ru", 3, "few"},
      {"ru", 11, "many"},   {"ru", 25, "many"}, {"ar", 0, "zero"},
      {"ar", 2, "two"},     {"ar", 5, "few"},   {"ar", 11, "many"},
      {"ar", 100, "other"}, {"ja", 1, "other"}, {"pl", 22, "few"},
      {"pl", 5, "many"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.locale) + " " + std::to_string(c.count));
    Catalog catalog = Make({{"@locale", c.locale}});
    EXPECT_EQ(catalog.pluralCategory(c.count), c.category);
  }
}

TEST(CppPlural, PicksTheCategoryThenOtherThenThePlainId) {
  Catalog ru = Make({{"@locale", "ru"},
                     {"FILES#one", "%1!d! файл"},
                     {"FILES#few", "%1!d! файла"},
                     {"FILES#other", "%1!d! файлов"},
                     {"BARE", "%1!d! x"},
                     {"NOTEXT#other", std::nullopt}});
  EXPECT_EQ(*ru.plural("FILES", 7, 7), T("7 файлов")) << "many falls to other";
  EXPECT_EQ(*ru.plural("FILES", 21, 21), T("21 файл"));
  EXPECT_EQ(*ru.plural("FILES", 3, 3), T("3 файла"));
  EXPECT_EQ(*ru.plural("BARE", 2, 2), T("2 x"));
  EXPECT_EQ(ru.plural("FILES", 2).error().code(), Errc::ArgumentMismatch)
      << "the count is inserted only where an argument carries it";
  EXPECT_EQ(ru.plural("NOPE", 1).error().code(), Errc::MissingId);
}

TEST(CppPlural, AnExactMatchWinsOverTheCategory) {
  const std::vector<Row> rows = {{"@locale", "fr"},
                                 {"FILES#=0", "Aucun fichier"},
                                 {"FILES#one", "%1!d! fichier"},
                                 {"FILES#other", "%1!d! fichiers"}};
  Catalog fr = Make(rows);
  EXPECT_EQ(*fr.plural("FILES", 0), T("Aucun fichier"))
      << "0 is 'one' in French, but =0 names it";
  EXPECT_EQ(*fr.plural("FILES", Count::decimal(0, 1)), T("Aucun fichier"));
  EXPECT_EQ(*fr.plural("FILES", 1, 1), T("1 fichier"));
  EXPECT_EQ(*fr.plural("FILES", 5, 5), T("5 fichiers"));
  EXPECT_EQ(fr.pluralId("FILES", 0), "FILES#=0");
  Localizer l;
  l.add(Make({{"@locale", "fr"}, {"FILES#other", "%1!d! fichiers"}}));
  l.add(Make(rows));
  EXPECT_EQ(*l.plural("FILES", 0), T("Aucun fichier"))
      << "an exact match anywhere in the chain before any category";
  EXPECT_EQ(*l.plural("FILES", 1, 1), T("1 fichier"));
}

TEST(CppSelect, AGenderOrAWordPicksItsFormThenOtherThenTheId) {
  Catalog fr = Make({{"@locale", "fr"},
                     {"FOUND#gender-feminine", "Elle a trouv\u00e9 %1!s!"},
                     {"FOUND#gender-other", "Il a trouv\u00e9 %1!s!"},
                     {"TITLE#select-knight", "Sir %1!s!"},
                     {"TITLE#select-other", "%1!s!"},
                     {"PLAIN", "plain"}});
  EXPECT_EQ(*fr.select("FOUND", Gender::Feminine, "l'or"),
            T("Elle a trouv\u00e9 l'or"));
  EXPECT_EQ(*fr.select("FOUND", Gender::Masculine, "l'or"),
            T("Il a trouv\u00e9 l'or"));
  EXPECT_EQ(*fr.select("TITLE", "knight", "Ann"), T("Sir Ann"));
  EXPECT_EQ(*fr.select("TITLE", "Knight", "Ann"), T("Ann"))
      << "a value no form can spell takes other";
  EXPECT_EQ(*fr.select("PLAIN", Gender::Neuter), T("plain"));
  EXPECT_EQ(fr.selectId("TITLE", {&kSelectSelector, "squire", nullptr}),
            "TITLE#select-other");
  EXPECT_EQ(fr.select("FOUND", Gender::Feminine).error().code(),
            Errc::ArgumentMismatch)
      << "the chosen form's inserts are checked";
  const Expected<Text> none = fr.select("NOPE", "x");
  EXPECT_EQ(none.error().code(), Errc::MissingId);
  EXPECT_NE(none.error().message().find("select forms"), std::string::npos);
}

TEST(CppSelect, AGenderedPluralFallsBackByValueThenCount) {
  const std::vector<Row> fr = {
      {"@locale", "fr"},
      {"FOUND#gender-feminine#one", "Elle a trouv\u00e9 %1!d! pi\u00e8ce"},
      {"FOUND#gender-feminine#other", "Elle a trouv\u00e9 %1!d! pi\u00e8ces"},
      {"FOUND#gender-other#=0", "Il n'a rien trouv\u00e9"},
      {"FOUND#gender-other#other", "Il a trouv\u00e9 %1!d! pi\u00e8ces"},
      {"FOUND#other", "%1!d!"}};
  Catalog c = Make(fr);
  EXPECT_EQ(*c.selectPlural("FOUND", Gender::Feminine, 1, 1),
            T("Elle a trouv\u00e9 1 pi\u00e8ce"));
  EXPECT_EQ(*c.selectPlural("FOUND", Gender::Feminine, 0, 0),
            T("Elle a trouv\u00e9 0 pi\u00e8ce"))
      << "the value's category before the other value's exact match";
  EXPECT_EQ(*c.selectPlural("FOUND", Gender::Masculine, 0),
            T("Il n'a rien trouv\u00e9"));
  EXPECT_EQ(*c.selectPlural("FOUND", Gender::Masculine, 1, 1),
            T("Il a trouv\u00e9 1 pi\u00e8ces"));
  EXPECT_EQ(*c.selectPlural("FOUND", "robot", 3, 3), T("3"))
      << "no select forms: the count's forms of the ID";
  // Over a chain, a value's form anywhere wins over the other value's.
  Localizer l;
  l.add(Make({{"@locale", "fr-CA"},
              {"FOUND#gender-other#other", "(CA) %1!d!"},
              {"FOUND#gender-other", "(CA) %1!s!"}}));
  l.add(Make(fr));
  EXPECT_EQ(*l.selectPlural("FOUND", Gender::Feminine, 2, 2),
            T("Elle a trouv\u00e9 2 pi\u00e8ces"));
  EXPECT_EQ(*l.selectPlural("FOUND", Gender::Neuter, 2, 2), T("(CA) 2"));
  EXPECT_EQ(*l.select("FOUND", Gender::Feminine, "x"), T("(CA) x"));
  EXPECT_EQ(l.select("GONE", Gender::Feminine).error().code(), Errc::MissingId);
}

TEST(CppThreads, ManyThreadsShareOneCatalogAndLocalizer) {
  std::vector<Row> rows = {{"@locale", "ru"},
                           {"ITEMS#one", "%1!d! предмет"},
                           {"ITEMS#few", "%1!d! предмета"},
                           {"ITEMS#other", "%1!d! предметов"}};
  for (int i = 0; i < 64; ++i)
    rows.push_back(
        {"MSG" + std::to_string(i), "%1!s! #" + std::to_string(i) + " %2!d!"});
  Localizer l;
  l.add(Make(rows));
  const Catalog &c = l.catalogs()[0];
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&, t] {
      PhrasorWChar buffer[64];
      for (int round = 0; round < 200; ++round) {
        const int i = (round * 7 + t) % 64;
        const std::string id = "MSG" + std::to_string(i);
        Expected<Text> text = c.format(id, "n", round);
        if (!text ||
            *text != T("n #" + std::to_string(i) + " " + std::to_string(round)))
          ++failures;
        if (!c.formatTo(buffer, 64, id, std::string("m"), t) || !c.find(id))
          ++failures;
        if (!l.plural("ITEMS", round, round))
          ++failures;
      }
    });
  for (std::thread &th : threads)
    th.join();
  EXPECT_EQ(failures.load(), 0);
}

TEST(CppUtf, InvalidInputIsReplacedNotFatal) {
  EXPECT_EQ(fromUtf8("a\x80z"), (Text{'a', 0xFFFD, 'z'}));
  EXPECT_EQ(fromUtf8("\xC0\xAF"), (Text{0xFFFD, 0xFFFD})) << "overlong";
  EXPECT_EQ(fromUtf8("\xED\xA0\x80"), (Text{0xFFFD, 0xFFFD, 0xFFFD}))
      << "an encoded surrogate";
  EXPECT_EQ(fromUtf8("\xF4\x90\x80\x80"),
            (Text{0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD}));
  EXPECT_EQ(fromUtf8("\xE2\x82"), (Text{0xFFFD})) << "one cut sequence";
  EXPECT_EQ(fromUtf8("\xF0\x9F\x98\x80"), (Text{0xD83D, 0xDE00}));
  EXPECT_EQ(toUtf8(Text{0xD83D, 0xDE00}), "\xF0\x9F\x98\x80");
  EXPECT_EQ(toUtf8(Text{'a', 0xD83D}), "a\xEF\xBF\xBD") << "lone high";
  EXPECT_EQ(toUtf8(Text{0xDE00, 'b'}), "\xEF\xBF\xBD"
                                       "b")
      << "lone low";
  EXPECT_EQ(toUtf8(fromUtf8("h\xC3\xA9llo")), "h\xC3\xA9llo");
}

TEST(CppThreads, ThreadsFormattingANewTextTogetherShareOneParse) {
  // Each round a fresh catalog, so the message's first parse (and the plan
  // its plain inserts are written from) is made while other threads ask
  // for it too: under the tsan preset a write not published whole fails.
  for (int round = 0; round < 20; ++round) {
    Catalog c = Make({{"M", "\xC3\xA9 %1!s! %% %2!d!"}});
    std::atomic<int> ready{0}, failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
      threads.emplace_back([&, t] {
        ++ready;
        while (ready.load() < 4) {
        }
        char bytes[32];
        PhrasorWChar units[32];
        if (!c.formatUtf8To(bytes, 32, "M", "x", t) ||
            std::string(bytes) != "\xC3\xA9 x % " + std::to_string(t))
          ++failures;
        if (!c.formatTo(units, 32, "M", "y", t))
          ++failures;
      });
    for (std::thread &th : threads)
      th.join();
    EXPECT_EQ(failures.load(), 0);
  }
}
