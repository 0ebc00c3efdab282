//===- environment_test.cpp - The user's languages, the program's place ---===//

#include "tests/cpp/CppTestSupport.h"

#include <cstdlib>

using namespace phrasor;
using namespace phrasor::cpptest;

namespace {

#if !defined(_WIN32)
// Sets the locale variables for one case and puts them back after it.
class LocaleVariables {
public:
  static constexpr const char *kNames[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES",
                                           "LANG"};
  LocaleVariables() {
    for (const char *name : kNames) {
      const char *value = std::getenv(name);
      saved.emplace_back(value ? std::optional<std::string>(value)
                               : std::nullopt);
    }
  }
  ~LocaleVariables() {
    for (std::size_t i = 0; i < saved.size(); ++i)
      set(kNames[i], saved[i] ? saved[i]->c_str() : nullptr);
  }
  static void set(const char *name, const char *value) {
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }

private:
  std::vector<std::optional<std::string>> saved;
};
#endif

} // namespace

#if !defined(_WIN32)
TEST(CppEnvironment, PreferredLanguagesAsGettextReadsTheVariables) {
  struct Case {
    int line;
    const char *language, *all, *messages, *lang;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {__LINE__, nullptr, nullptr, nullptr, nullptr, {}},
      {__LINE__, nullptr, nullptr, nullptr, "", {}},
      {__LINE__, nullptr, nullptr, nullptr, "C", {}},
      {__LINE__, nullptr, nullptr, nullptr, "C.UTF-8", {}},
      {__LINE__, nullptr, nullptr, nullptr, "POSIX", {}},
      {__LINE__, nullptr, nullptr, nullptr, "fr_CA.UTF-8", {"fr-CA"}},
      {__LINE__, nullptr, nullptr, "de_DE@euro", "fr_CA", {"de-DE"}},
      {__LINE__, nullptr, "ja_JP", "de_DE", "fr_CA", {"ja-JP"}},
      {__LINE__, nullptr, "", "de_DE", "fr_CA", {"de-DE"}},
      {__LINE__,
       "sr_RS@latin:fr:de_AT",
       nullptr,
       nullptr,
       "en_US",
       {"sr-Latn-RS", "sr-RS", "fr", "de-AT"}},
      // LANGUAGE stands in the locale's place, and only beside a locale
      // that names a language.
      {__LINE__, "fr:de", nullptr, nullptr, "C", {}},
      {__LINE__, "fr:de", nullptr, nullptr, nullptr, {}},
      {__LINE__,
       "fr::fr_FR:FR:../x:C",
       nullptr,
       nullptr,
       "en_US",
       {"fr", "fr-FR"}},
      {__LINE__, ":", nullptr, nullptr, "en_US", {"en-US"}},
      {__LINE__, nullptr, nullptr, nullptr, "../../etc/x", {}},
  };
  LocaleVariables restore;
  for (const Case &c : cases) {
    SCOPED_TRACE(c.line);
    LocaleVariables::set("LANGUAGE", c.language);
    LocaleVariables::set("LC_ALL", c.all);
    LocaleVariables::set("LC_MESSAGES", c.messages);
    LocaleVariables::set("LANG", c.lang);
    EXPECT_EQ(preferredLanguages(), c.expected);
  }
}
#else
TEST(CppEnvironment, PreferredLanguagesAreTheUsersDisplayLanguages) {
  const std::vector<std::string> languages = preferredLanguages();
  EXPECT_FALSE(languages.empty()) << "Windows always has a display language";
  for (const std::string &tag : languages) {
    SCOPED_TRACE(tag);
    EXPECT_FALSE(tag.empty());
    EXPECT_EQ(tag.find_first_not_of("abcdefghijklmnopqrstuvwxyz"
                                    "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-"),
              std::string::npos);
  }
}
#endif

TEST(CppEnvironment, TheExecutableDirectoryHoldsThisProgram) {
  Expected<std::filesystem::path> dir = executableDirectory();
  ASSERT_TRUE(dir) << dir.error().message();
  EXPECT_TRUE(dir->is_absolute());
  bool found = false;
  for (const auto &entry : std::filesystem::directory_iterator(*dir))
    found = found || entry.path().stem() == "phrasor_cpp_tests";
  EXPECT_TRUE(found) << dir->string();
}

TEST(CppLocalizer, NoLanguageChosenGivesTheLastLanguage) {
  TempDir dir;
  dir.write("en.skdb", Bytes({{"A", "en"}}));
  dir.write("c.skdb", Bytes({{"A", "not a language"}}));
  for (const char *locale : {"", "C", "C.UTF-8", "POSIX", "c.utf8"}) {
    SCOPED_TRACE(locale);
    Expected<Localizer> l = Localizer::load(dir.path, locale);
    ASSERT_TRUE(l) << l.error().message();
    ASSERT_EQ(l->catalogs().size(), 1u);
    EXPECT_EQ(*l->format("A"), T("en"));
  }
  Expected<Localizer> nothing = Localizer::load(dir.path, "C", "");
  ASSERT_FALSE(nothing);
  EXPECT_EQ(nothing.error().code(), Errc::BadLocale);
}

TEST(CppLocalizer, PreferredLanguagesEachWithTheirShorterTags) {
  TempDir dir;
  for (const char *tag : {"en", "fr", "de", "de-AT", "it"})
    dir.write(std::string(tag) + ".skdb",
              Bytes({{"@locale", tag}, {"WHO", tag}}));
  Expected<Localizer> l = Localizer::loadPreferred(
      dir.path, {"de_AT.UTF-8", "../it", "C", "fr-CH", "de", ""});
  ASSERT_TRUE(l) << l.error().message();
  std::vector<std::string> chain;
  for (const Catalog &c : l->catalogs())
    chain.emplace_back(c.locale());
  EXPECT_EQ(chain, (std::vector<std::string>{"de-AT", "de", "fr", "en"}));
  ASSERT_EQ(l->problems().size(), 1u) << "the name that is no language";
  EXPECT_EQ(l->problems()[0].code(), Errc::BadLocale);
  EXPECT_NE(l->problems()[0].message().find("../it"), std::string::npos);

  Expected<Localizer> source = Localizer::loadPreferred(dir.path, {});
  ASSERT_TRUE(source);
  ASSERT_EQ(source->catalogs().size(), 1u);
  EXPECT_EQ(source->catalogs()[0].locale(), "en");

  Expected<Localizer> none = Localizer::loadPreferred(dir.path, {"ja"}, "ko");
  ASSERT_FALSE(none);
  EXPECT_EQ(none.error().code(), Errc::FileNotFound);
}
