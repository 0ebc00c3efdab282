//===- catalog_test.cpp - Loading and lookups of the C++ layer ------------===//

#include "tests/cpp/CppTestSupport.h"

#include "phrasor/Localizer.h"

#include <cstring>
#include <fstream>
#include <random>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

using namespace phrasor;
using namespace phrasor::cpptest;

namespace {

void CountReport(HSTRINGKEEPER, const char *, const char *, void *user) {
  ++*static_cast<int *>(user);
}

std::vector<std::uint8_t> Valid() {
  return Bytes({{"A", "a"}, {"B", "b"}, {"C", std::nullopt}});
}

void SetWord(std::vector<std::uint8_t> &b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

} // namespace

TEST(CppLoad, EachFailureHasItsCodeAndAReason) {
  TempDir dir;
  struct Case {
    const char *name;
    std::vector<std::uint8_t> bytes;
    Errc code;
    const char *words;
  };
  std::vector<Case> cases;
  cases.push_back({"short", {1, 2, 3}, Errc::NotADatabase, "header"});
  std::vector<std::uint8_t> b = Valid();
  b[0] = 'X';
  cases.push_back({"magic", b, Errc::NotADatabase, "magic"});
  b = Valid();
  SetWord(b, 4, 4);
  cases.push_back({"version", b, Errc::NotADatabase, "version 4"});
  b = Valid();
  b.resize(30);
  cases.push_back({"block", b, Errc::Corrupt, "string block"});
  b = Valid();
  b.resize(b.size() - 4);
  cases.push_back({"pairs", b, Errc::Corrupt, "reference pairs"});
  b = Valid();
  SetWord(b, b.size() - 24, 7);
  cases.push_back({"ref", b, Errc::Corrupt, "value reference"});
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Expected<Catalog> fromMemory =
        Catalog::fromBytes(c.bytes.data(), c.bytes.size());
    ASSERT_FALSE(fromMemory);
    EXPECT_EQ(fromMemory.error().code(), c.code);
    EXPECT_NE(fromMemory.error().message().find(c.words), std::string::npos)
        << fromMemory.error().message();
    Expected<Catalog> fromFile = Catalog::open(dir.write(c.name, c.bytes));
    ASSERT_FALSE(fromFile);
    EXPECT_EQ(fromFile.error().code(), c.code);
    EXPECT_NE(fromFile.error().message().find(c.name), std::string::npos)
        << "the file is named: " << fromFile.error().message();
  }

  Expected<Catalog> missing = Catalog::open(dir.path / "nothing.skdb");
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().code(), Errc::FileNotFound);
  Expected<Catalog> directory = Catalog::open(dir.path);
  ASSERT_FALSE(directory);
  EXPECT_EQ(directory.error().code(), Errc::ReadFailed);
  EXPECT_NE(directory.error().message().find("is a directory"),
            std::string::npos)
      << directory.error().message();
  EXPECT_FALSE(Catalog::fromBytes(nullptr, 0));

  b = Valid();
  Expected<Catalog> good = Catalog::open(dir.write("good.skdb", b));
  ASSERT_TRUE(good) << good.error().message();
  EXPECT_EQ(good->size(), 3u);
}

TEST(CppLoad, AFileOpensAsItsBytesLoad) {
  // Large enough that the string block is read in one piece and the
  // reference pairs cross the reader's buffer several times over.
  std::vector<Row> rows;
  for (int i = 0; i < 12000; ++i) {
    const std::string n = std::to_string(i);
    rows.push_back({"UI_ENTRY_" + n, "text \xC3\xA9 " + n,
                    i % 3 ? std::nullopt
                          : std::optional<std::string>("vo/" + n + ".ogg")});
  }
  rows.push_back({"NO_TEXT", std::nullopt});
  const std::vector<std::uint8_t> b = Bytes(rows);
  ASSERT_GT(b.size(), 4u * 65536);
  TempDir dir;
  Expected<Catalog> fromFile = Catalog::open(dir.write("big.skdb", b));
  Expected<Catalog> fromMemory = Catalog::fromBytes(b.data(), b.size());
  ASSERT_TRUE(fromFile) << fromFile.error().message();
  ASSERT_TRUE(fromMemory);
  EXPECT_EQ(fromFile->size(), fromMemory->size());
  for (const Row &r : rows) {
    EXPECT_EQ(fromFile->find(r.id), fromMemory->find(r.id)) << r.id;
    EXPECT_EQ(fromFile->voicePath(r.id), fromMemory->voicePath(r.id)) << r.id;
  }
  EXPECT_EQ(*fromFile->find("ui_entry_11999"), T("text \xC3\xA9 11999"));

  // Cut short anywhere, or followed by more bytes, the file fares as its
  // bytes do in memory.
  for (const std::size_t cut :
       {b.size() / 3, b.size() - 70000, b.size() - 1, b.size() + 100}) {
    SCOPED_TRACE(cut);
    std::vector<std::uint8_t> c = b;
    c.resize(cut, 0x5A);
    Expected<Catalog> file = Catalog::open(dir.write("cut.skdb", c));
    Expected<Catalog> memory = Catalog::fromBytes(c.data(), c.size());
    ASSERT_EQ(bool(file), bool(memory));
    if (!file) {
      EXPECT_EQ(file.error().code(), memory.error().code());
      EXPECT_NE(file.error().message().find(memory.error().message()),
                std::string::npos)
          << file.error().message();
    }
  }
}

#if !defined(_WIN32)
TEST(CppLoad, OnlyRegularFilesOfAPossibleSizeAreRead) {
  TempDir dir;
  // A FIFO would block the read forever, a device never end.
  const std::filesystem::path fifo = dir.path / "fifo.skdb";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::filesystem::path &special :
       {fifo, std::filesystem::path("/dev/zero")}) {
    SCOPED_TRACE(special.string());
    Expected<Catalog> c = Catalog::open(special);
    ASSERT_FALSE(c);
    EXPECT_EQ(c.error().code(), Errc::ReadFailed);
    EXPECT_NE(c.error().message().find("not a regular file"), std::string::npos)
        << c.error().message();
  }
  // A sparse file larger than the format can describe is refused unread.
  const std::filesystem::path huge = dir.write("huge.skdb", Valid());
  std::error_code ec;
  std::filesystem::resize_file(huge, std::uintmax_t{9} << 30, ec);
  if (!ec) {
    Expected<Catalog> c = Catalog::open(huge);
    ASSERT_FALSE(c);
    EXPECT_EQ(c.error().code(), Errc::ReadFailed);
    EXPECT_NE(c.error().message().find("larger than a database"),
              std::string::npos)
        << c.error().message();
  }
}
#endif

TEST(CppLoad, OpensPathsOutsideTheCodePage) {
  // Windows would narrow the path to the ANSI code page, which holds
  // neither Cyrillic nor CJK.
  TempDir dir;
  const std::filesystem::path folder =
      dir.path / std::filesystem::path(u8"Игра_游戏");
  std::filesystem::create_directories(folder);
  const std::filesystem::path file =
      folder / std::filesystem::path(u8"язык.skdb");
  {
    std::ofstream out(file, std::ios::binary);
    const std::vector<std::uint8_t> b = Valid();
    out.write(reinterpret_cast<const char *>(b.data()),
              static_cast<std::streamsize>(b.size()));
  }
  Expected<Catalog> c = Catalog::open(file);
  ASSERT_TRUE(c) << c.error().message();
  EXPECT_EQ(c->size(), 3u);
  Expected<Catalog> missing =
      Catalog::open(folder / std::filesystem::path(u8"нет.skdb"));
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().code(), Errc::FileNotFound);
  EXPECT_NE(missing.error().message().find("\xD0\xBD\xD0\xB5\xD1\x82"),
            std::string::npos)
      << "the path is named in UTF-8";
}

TEST(CppLoad, ExpectedAndMovedFromMisuse) {
  Expected<int> three = 3;
  Expected<int> none = Error(Errc::MissingId, "no");
  EXPECT_EQ(three.value_or(7), 3);
  EXPECT_EQ(none.value_or(7), 7);
  Expected<Text> text = Error(Errc::NoValue, "none");
  EXPECT_EQ(std::move(text).value_or(T("fallback")), T("fallback"));

  Catalog a = Make({{"A", "a"}});
  Catalog b = std::move(a);
  EXPECT_DEATH((void)a.find("A"), "moved-from Catalog");
  EXPECT_DEATH((void)a.size(), "moved-from Catalog");
  EXPECT_DEATH((void)a.format("A"), "moved-from Catalog");
}

TEST(CppLoad, CatalogsMoveAndReleaseTheirKeeper) {
  Catalog a = Make({{"A", "a"}});
  HSTRINGKEEPER h = a.handle();
  Catalog b = std::move(a);
  EXPECT_EQ(b.handle(), h);
  EXPECT_EQ(b.find("a"), TextView(T("a")));
  Catalog c = Make({{"Z", "z"}});
  c = std::move(b);
  EXPECT_EQ(c.handle(), h);
}

// A thread remembers the entry it formatted last; that must never answer
// for another catalog, nor for one loaded later at the same address.
TEST(CppLookup, ARepeatedIdIsAnsweredByItsOwnCatalog) {
  Catalog a = Make({{"SCORE", "a%1!d!"}});
  Catalog b = Make({{"score", "b%1!d!"}, {"<NONE>", "stored"}});
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(*a.format("SCORE", i), T("a" + std::to_string(i)));
    EXPECT_EQ(*b.format("Score", i), T("b" + std::to_string(i)));
  }
  for (int i = 0; i < 8; ++i) {
    const std::string text = "v" + std::to_string(i) + " %1!d!";
    Catalog reloaded = Make({{"SCORE", text}});
    EXPECT_EQ(*reloaded.format("SCORE", 1), T("v" + std::to_string(i) + " 1"));
  }
  // "<none>" names the empty entry as spelled, whatever was found before
  // by a spelling that folds to it.
  const Text fresh = *Make({{"<NONE>", "stored"}}).format("<none>");
  EXPECT_EQ(*b.format("<NONE>"), T("stored"));
  EXPECT_EQ(*b.format("<none>"), fresh);
}

TEST(CppLookup, AnEntryWithoutTextIsRefusedEveryTime) {
  Catalog c = Make({{"NONE", std::nullopt}});
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(c.format("NONE").error().code(), Errc::NoValue);
    EXPECT_EQ(c.formatPrintf("NONE").error().code(), Errc::NoValue);
  }
}

TEST(CppLookup, AnswersAsTheRuntimeOnGeneratedTables) {
  // Small alphabets make case twins, shared prefixes and misses common;
  // raw tables keep the twins the writer would refuse.
  std::mt19937 rng(20261208);
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  int reports = 0;
  mgr->SetErrorCallback(CountReport, &reports);
  const char alphabet[] = "aAbB_z0";
  auto randomId = [&] {
    std::string id;
    for (int n = std::uniform_int_distribution<int>(0, 4)(rng); n > 0; --n)
      id += alphabet[std::uniform_int_distribution<int>(0, 6)(rng)];
    return id;
  };
  for (int round = 0; round < 300; ++round) {
    std::vector<std::string> ids;
    for (int n = std::uniform_int_distribution<int>(0, 30)(rng); n > 0; --n)
      ids.push_back(randomId());
    std::stable_sort(ids.begin(), ids.end(), [](const auto &x, const auto &y) {
      return authoring::CompareIds(x, y) < 0;
    });
    authoring::RawDatabase raw;
    raw.ids = ids;
    raw.voicePaths = {"v.wav"};
    for (std::size_t i = 0; i < ids.size(); ++i) {
      raw.values.push_back(u"value" + std::u16string(1, u'0' + i % 10));
      const bool hasValue = i % 3 != 1;
      raw.pairs.push_back({hasValue ? static_cast<std::uint32_t>(i) : NO_ENTRY,
                           i % 2 ? 0u : NO_ENTRY});
    }
    std::vector<std::uint8_t> bytes = authoring::Serialize(raw);
    Expected<Catalog> catalog = Catalog::fromBytes(bytes.data(), bytes.size());
    ASSERT_TRUE(catalog) << catalog.error().message();
    EXPECT_EQ(catalog->size(), ids.size());
    HSTRINGKEEPER h = catalog->handle();
    for (int q = 0; q < 40; ++q) {
      std::string id = q == 0 ? "<none>" : randomId();
      SCOPED_TRACE(id);
      const int before = reports;
      // The presence tests report on an empty database, and "<none>" has
      // the empty text even there.
      const bool has =
          id == "<none>" || (!ids.empty() && mgr->HasStringByID(h, id.c_str()));
      reports = before;
      std::optional<TextView> found = catalog->find(id);
      EXPECT_EQ(reports, before) << "the layer called the error callback";
      ASSERT_EQ(found.has_value(), has);
      if (has) {
        EXPECT_EQ(*found, TextView(mgr->GetStringByID(h, id.c_str())));
      }
      std::optional<std::string_view> voice = catalog->voicePath(id);
      const bool hasVoice =
          id == "<none>" ||
          (!ids.empty() && mgr->HasVoicePathByID(h, id.c_str()));
      ASSERT_EQ(voice.has_value(), hasVoice);
      if (hasVoice) {
        EXPECT_EQ(*voice,
                  std::string_view(mgr->GetVoicePathByID(h, id.c_str())));
      }
      reports = before;
    }
  }
  mgr->ClearErrorCallback(CountReport);
}

TEST(CppLookup, MissingAndEmptyAreNotTheErrorText) {
  Catalog c = Make({{"HAS", "text"}, {"NONE", std::nullopt}, {"EMPTY", ""}});
  EXPECT_FALSE(c.find("MISSING"));
  EXPECT_FALSE(c.find("NONE"));
  EXPECT_EQ(c.find("EMPTY"), TextView());
  EXPECT_EQ(c.find("has"), TextView(T("text")));
  EXPECT_EQ(c.find("<none>"), TextView());
  EXPECT_FALSE(c.find("<NONE>"));
  EXPECT_FALSE(c.find(std::string_view("HAS\0x", 5)))
      << "a view holding a zero byte finds nothing";
  EXPECT_FALSE(c.find(std::string_view("HASX", 3).substr(0, 2)));
  EXPECT_EQ(c.format("MISSING").error().code(), Errc::MissingId);
  EXPECT_EQ(c.format("NONE").error().code(), Errc::NoValue);

  Catalog empty = Make({});
  EXPECT_EQ(empty.size(), 0u);
  EXPECT_FALSE(empty.find("A"));
  EXPECT_EQ(empty.find("<none>"), TextView());
  EXPECT_EQ(empty.locale(), "");
}

TEST(CppLookup, LocaleComesFromTheAtLocaleEntry) {
  EXPECT_EQ(Make({{"@locale", "fr-CA"}, {"A", "a"}}).locale(), "fr-CA");
}

TEST(CppLookup, MessagesWithinAGettextContext) {
  // As the tool stores a PO file keyed by source: context U+0004 msgid,
  // and a plural message's forms under the msgid with #category.
  const std::vector<Row> rows = {
      {"@locale", "pl"},
      {"menu\x04Open", "Otwórz"},
      {"lock state\x04Open", "Otwarte"},
      {"Open", "Otwórz plik"},
      {"status\x04%d file in %s#one", "%d plik w %s"},
      {"status\x04%d file in %s#few", "%d pliki w %s"},
      {"status\x04%d file in %s#many", "%d plików w %s"},
      {"dialog\x04"
       "Delete %s?",
       "Usunąć %s?"}};
  Catalog c = Make(rows);
  EXPECT_EQ(c.find(InContext{"menu", "Open"}), T("Otwórz"));
  EXPECT_EQ(c.find(InContext{"lock state", "open"}), T("Otwarte"));
  EXPECT_EQ(c.find("Open"), T("Otwórz plik"));
  EXPECT_FALSE(c.find(InContext{"door", "Open"}));
  EXPECT_FALSE(c.find(InContext{"", "Open"}));
  // A key too long for the stack is composed on the heap, found alike.
  EXPECT_FALSE(c.find(InContext{std::string(300, 'c'), "Open"}));

  Expected<Text> deleted = c.format(InContext{"dialog", "Delete %s?"}, "a.txt");
  ASSERT_TRUE(deleted) << deleted.error().message();
  EXPECT_EQ(*deleted, T("Usunąć a.txt?"));
  const InContext files{"status", "%d file in %s"};
  for (const auto &[n, want] :
       {std::pair<int, const char *>{1, "1 plik w docs"},
        {3, "3 pliki w docs"},
        {5, "5 plików w docs"},
        {22, "22 pliki w docs"}}) {
    Expected<Text> t = c.plural(files, n, n, "docs");
    ASSERT_TRUE(t) << t.error().message();
    EXPECT_EQ(*t, T(want));
  }
  Localizer l;
  l.add(Make(rows));
  EXPECT_EQ(l.find(InContext{"menu", "Open"}), T("Otwórz"));
  Expected<Text> viaChain = l.plural(files, 22, 22, "docs");
  ASSERT_TRUE(viaChain);
  EXPECT_EQ(*viaChain, T("22 pliki w docs"));
}

namespace {

// A msgid that spells one of the tool's own IDs is stored with one more
// '@' in front; looked up by its source text, it is found, and the tool's
// entry of that name is never served as a message.
TEST(CppLookup, SourceTextsThatSpellReservedIdsFindTheirMessages) {
  Localizer chain;
  chain.add(Make({{"@locale", "de"},
                  {"@kinds", R"({"@@kinds": "text"})"},
                  {"@@locale", "Sprache"},
                  {"@@@locale", "zwei"},
                  {"@@kinds", "%d%%"},
                  {"@@po#one", "ein"},
                  {"@@po#other", "%d viele"},
                  {"@@x", "hand"},
                  {"m\x04@locale", "im Menü"}}));
  const Catalog &c = chain.catalogs()[0];
  EXPECT_EQ(c.locale(), "de");
  EXPECT_EQ(*c.find("@locale"), T("Sprache"));
  EXPECT_EQ(*c.find("@LOCALE"), T("Sprache"));
  EXPECT_EQ(*c.find("@@locale"), T("zwei"));
  EXPECT_EQ(*c.format("@kinds"), T("%d%%")) << "its own recorded kind";
  EXPECT_EQ(*c.plural("@po", 3, 3), T("3 viele"));
  EXPECT_EQ(*c.find("@@x"), T("hand")) << "a name of its own";
  EXPECT_EQ(*c.find(InContext{"m", "@locale"}), T("im Menü"));
  EXPECT_EQ(*chain.find("@locale"), T("Sprache"));
  // The same lookup again, through the remembered entry.
  EXPECT_EQ(*c.format("@locale"), T("Sprache"));
  EXPECT_EQ(*c.format("@@locale"), T("zwei"));

  Catalog bare = Make({{"@locale", "de"}, {"@po", "{}"}});
  EXPECT_FALSE(bare.find("@locale").has_value());
  EXPECT_FALSE(bare.find("@PO").has_value());
  EXPECT_EQ(bare.format("@locale").error().code(), Errc::MissingId);
}

// msgids that differ only in case are stored with the case of those that
// have capitals marked; each is found by its own text, in a context and
// as a plural too, and a text with no entry of its own still folds to the
// unmarked one, as every lookup folds.
TEST(CppLookup, SourceTextsThatDifferOnlyInCaseFindTheirOwnMessages) {
  Localizer chain;
  chain.add(Make({{"@locale", "de"},
                  {"^^Open", "Öffnen"},
                  {"open", "offen"},
                  {"^menu\x04^Open", "Menü"},
                  {"menu\x04open", "menü"},
                  {"^@@^Locale", "Ort"},
                  {"@@locale", "ort"},
                  {"^^^x", "hoch"},
                  {"^%d ^File#one", "%d Datei"},
                  {"^%d ^File#other", "%d Dateien"},
                  {"%d file#one", "%d datei"},
                  {"%d file#other", "%d dateien"}}));
  const Catalog &c = chain.catalogs()[0];
  EXPECT_EQ(*c.find("Open"), T("Öffnen"));
  EXPECT_EQ(*c.find("open"), T("offen"));
  EXPECT_EQ(*c.find("OPEN"), T("offen"));
  EXPECT_EQ(*c.find(InContext{"menu", "Open"}), T("Menü"));
  EXPECT_EQ(*c.find(InContext{"menu", "open"}), T("menü"));
  EXPECT_EQ(*c.find("@Locale"), T("Ort"));
  EXPECT_EQ(*c.find("@locale"), T("ort"));
  EXPECT_EQ(*c.find("^x"), T("hoch"));
  EXPECT_EQ(*c.plural("%d File", 2, 2), T("2 Dateien"));
  EXPECT_EQ(*c.plural("%d file", 2, 2), T("2 dateien"));
  EXPECT_EQ(*chain.find("Open"), T("Öffnen"));
  // A long text is marked beyond the stack's room as well.
  const std::string longText = "L" + std::string(300, 'x');
  Catalog big =
      Make({{"^^" + longText, "lang"}, {"l" + std::string(300, 'x'), "kurz"}});
  EXPECT_EQ(*big.find(longText), T("lang"));
  // A hand-made name beginning with the mark is found as itself.
  Catalog plain = Make({{"^x", "hand"}});
  EXPECT_EQ(*plain.find("^x"), T("hand"));
}

} // namespace
