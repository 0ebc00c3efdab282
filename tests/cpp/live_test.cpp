//===- live_test.cpp - Switching and reloading a Localizer in service -----===//

#include "tests/cpp/CppTestSupport.h"

#include <chrono>
#include <thread>

using namespace phrasor;
using namespace phrasor::cpptest;

namespace {

// Rewrites \p name with a modification time later than any before it, so
// that a reload sees the change whatever the file system's time grain.
void Rewrite(const TempDir &dir, const std::string &name,
             const std::vector<std::uint8_t> &bytes) {
  const std::filesystem::path file = dir.path / name;
  std::error_code ec;
  const auto before = std::filesystem::last_write_time(file, ec);
  dir.write(name, bytes);
  if (!ec)
    std::filesystem::last_write_time(file, before + std::chrono::seconds(2));
}

struct Told {
  int calls = 0;
  Localizer::Change last{};
  std::string textAtCall;
};

void Record(const Localizer &l, const Localizer::Change &change, void *data) {
  Told &told = *static_cast<Told *>(data);
  ++told.calls;
  told.last = change;
  // Lookups work inside the callback, on the chain just put in service.
  if (std::optional<TextView> a = l.find("A"))
    told.textAtCall = toUtf8(*a);
}

} // namespace

TEST(LiveCatalogs, SwitchKeepsOldViewsUntilCollect) {
  TempDir dir;
  dir.write("en.skdb", Bytes({{"A", "en A"}, {"B", "en B"}}));
  dir.write("fr.skdb", Bytes({{"@locale", "fr"}, {"A", "fr A"}}));
  dir.write("de.skdb", Bytes({{"@locale", "de"}, {"A", "de A"}}));
  Expected<Localizer> l = Localizer::load(dir.path, "fr");
  ASSERT_TRUE(l) << l.error().message();
  EXPECT_EQ(l->revision(), 0u);
  Told told;
  l->setChangeCallback(Record, &told);

  const TextView before = *l->find("A");
  const Catalog &frCatalog = l->catalogs()[0];
  Expected<std::uint64_t> now = l->switchTo("de_DE.UTF-8");
  ASSERT_TRUE(now) << now.error().message();
  EXPECT_EQ(*now, 1u);
  EXPECT_EQ(l->revision(), 1u);
  EXPECT_EQ(l->find("A"), TextView(T("de A")));
  EXPECT_EQ(l->find("B"), TextView(T("en B"))) << "the last language stays";
  EXPECT_EQ(told.calls, 1);
  EXPECT_EQ(told.last.previous, 0u);
  EXPECT_EQ(told.last.revision, 1u);
  EXPECT_EQ(told.textAtCall, "de A");
  // What the old chain handed out is still readable (ASan would say).
  EXPECT_EQ(before, TextView(T("fr A")));
  EXPECT_EQ(frCatalog.locale(), "fr");

  // A failed switch changes nothing and tells nobody.
  Expected<std::uint64_t> bad = l->switchTo("not a tag!");
  ASSERT_FALSE(bad);
  EXPECT_EQ(bad.error().code(), Errc::BadLocale);
  Expected<std::uint64_t> missing = l->switchTo(std::vector<std::string>{"it"});
  ASSERT_TRUE(missing) << "it is skipped, en still loads";
  EXPECT_EQ(l->catalogs().size(), 1u);
  EXPECT_EQ(l->find("A"), TextView(T("en A")));
  EXPECT_EQ(told.calls, 2);

  EXPECT_EQ(l->collect(), 2u);
  EXPECT_EQ(l->collect(), 0u);
  EXPECT_TRUE(l->clearChangeCallback(Record));
  EXPECT_FALSE(l->clearChangeCallback(Record));
  ASSERT_TRUE(l->switchTo("fr"));
  EXPECT_EQ(told.calls, 2) << "a cleared callback is not told";
  EXPECT_EQ(l->find("A"), TextView(T("fr A")));
}

TEST(LiveCatalogs, ReloadSwapsChangedFilesAndKeepsBrokenOnesInService) {
  TempDir dir;
  dir.write("en.skdb", Bytes({{"A", "en A"}, {"B", "en B"}}));
  dir.write("fr.skdb", Bytes({{"@locale", "fr"}, {"A", "fr A"}}));
  Expected<Localizer> l = Localizer::load(dir.path, "fr");
  ASSERT_TRUE(l);
  Told told;
  l->setChangeCallback(Record, &told);

  Expected<std::uint64_t> same = l->reload();
  ASSERT_TRUE(same);
  EXPECT_EQ(*same, 0u) << "nothing changed";
  EXPECT_EQ(told.calls, 0);

  Rewrite(dir, "fr.skdb", Bytes({{"@locale", "fr"}, {"A", "fr A, revu"}}));
  ASSERT_TRUE(l->reload());
  EXPECT_EQ(l->revision(), 1u);
  EXPECT_EQ(l->find("A"), TextView(T("fr A, revu")));
  EXPECT_EQ(l->find("B"), TextView(T("en B")));
  EXPECT_EQ(told.calls, 1);

  // Half-written: the old catalog keeps serving, and the failure is told.
  std::vector<std::uint8_t> torn = Bytes({{"A", "fr A, cassé"}});
  torn.resize(torn.size() / 2);
  Rewrite(dir, "fr.skdb", torn);
  Expected<std::uint64_t> kept = l->reload();
  ASSERT_TRUE(kept);
  EXPECT_EQ(*kept, 1u) << "no text changed";
  EXPECT_EQ(l->find("A"), TextView(T("fr A, revu")));
  ASSERT_EQ(l->problems().size(), 1u);
  EXPECT_NE(l->problems()[0].message().find("fr.skdb"), std::string::npos);
  EXPECT_EQ(told.calls, 2);
  ASSERT_EQ(told.last.failed.size(), 1u);
  EXPECT_EQ(told.last.revision, told.last.previous);
  // Not tried again, nor told again, until the file changes once more
  // (a polling watcher would otherwise report it every interval).
  ASSERT_TRUE(l->reload());
  EXPECT_EQ(told.calls, 2);
  EXPECT_EQ(l->problems().size(), 1u) << "still why fr.skdb is not in use";

  // Mended: served again, and the problem is gone.
  Rewrite(dir, "fr.skdb", Bytes({{"@locale", "fr"}, {"A", "fr A, 3"}}));
  ASSERT_TRUE(l->reload());
  EXPECT_EQ(l->find("A"), TextView(T("fr A, 3")));
  EXPECT_TRUE(l->problems().empty());
  EXPECT_EQ(l->revision(), 2u);

  // One file by name, changed or not; a file of no catalog is an error.
  ASSERT_TRUE(l->reload(dir.path / "en.skdb"));
  EXPECT_EQ(l->revision(), 3u);
  Expected<std::uint64_t> stranger = l->reload(dir.path / "de.skdb");
  ASSERT_FALSE(stranger);
  EXPECT_EQ(stranger.error().code(), Errc::FileNotFound);
}

TEST(LiveCatalogs, LoadProblemsSurviveAReloadAndAddedCatalogsStay) {
  TempDir dir;
  dir.write("en.skdb", Bytes({{"A", "en A"}}));
  dir.write("fr.skdb", {'S', 'K', 'D', 'B'});
  Expected<Localizer> l = Localizer::load(dir.path, "fr");
  ASSERT_TRUE(l);
  ASSERT_EQ(l->problems().size(), 1u);
  Rewrite(dir, "en.skdb", Bytes({{"A", "en A 2"}}));
  ASSERT_TRUE(l->reload());
  EXPECT_EQ(l->problems().size(), 1u) << "why fr was skipped still holds";
  EXPECT_EQ(l->find("A"), TextView(T("en A 2")));

  // A catalog given by the host has no file: a reload keeps it as it is.
  Localizer built;
  built.add(Make({{"A", "made"}}));
  Expected<std::uint64_t> r = built.reload();
  ASSERT_TRUE(r);
  EXPECT_EQ(*r, 0u);
  EXPECT_EQ(built.find("A"), TextView(T("made")));
  Expected<std::uint64_t> nowhere = built.switchTo("fr");
  EXPECT_FALSE(nowhere) << "no directory to switch in";
  EXPECT_EQ(built.find("A"), TextView(T("made")));
}

TEST(LiveCatalogs, AWatcherReloadsWhatTheBuildRenamesIntoPlace) {
  for (const bool poll : {false, true}) {
    SCOPED_TRACE(poll ? "polling" : "told by the system");
    TempDir dir;
    dir.write("en.skdb", Bytes({{"A", "en A"}}));
    dir.write("fr.skdb", Bytes({{"@locale", "fr"}, {"A", "fr A"}}));
    Expected<Localizer> l = Localizer::load(dir.path, "fr");
    ASSERT_TRUE(l);
    Watcher::Options options;
    options.poll = poll;
    options.interval = std::chrono::milliseconds(20);
    Watcher watcher(*l, options);
#if defined(__linux__) || defined(_WIN32)
    EXPECT_EQ(watcher.notified(), !poll);
#endif
    // As the tool writes a database: beside it, then renamed over it.
    const auto before = std::filesystem::last_write_time(dir.path / "fr.skdb");
    dir.write("fr.new", Bytes({{"@locale", "fr"}, {"A", "fr A, revu"}}));
    std::filesystem::last_write_time(dir.path / "fr.new",
                                     before + std::chrono::seconds(2));
    std::filesystem::rename(dir.path / "fr.new", dir.path / "fr.skdb");
    // Bounded: a watcher that never reloads fails here, it does not hang.
    for (int i = 0; i < 500 && l->revision() == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(l->revision(), 1u);
    EXPECT_EQ(l->find("A"), TextView(T("fr A, revu")));
    EXPECT_EQ(watcher.reloads(), 1u);
  }
}
