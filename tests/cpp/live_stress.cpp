//===- live_stress.cpp - Readers format while a writer switches and reloads
//===//
//
// Eight threads look up and format without pause while a ninth switches the
// language and rewrites and reloads a catalog. Every answer must be whole:
// one language's text, never a mix or freed memory. Run under TSan and ASan
// as well as plainly; PHRASOR_STRESS_SECONDS sets how long (default 3).
//
//===----------------------------------------------------------------------===//

#include "tests/cpp/CppTestSupport.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

using namespace phrasor;
using namespace phrasor::cpptest;

namespace {

std::vector<std::uint8_t> Language(const std::string &tag, int edition) {
  const std::string mark = tag + std::to_string(edition);
  return Bytes({{"@locale", tag},
                {"HELLO", mark + " hello %1!d!"},
                {"FILES#one", mark + " one file"},
                {"FILES#other", mark + " %1!d! files"}});
}

// A whole answer starts with a language's mark and ends as that text does.
bool Whole(const std::string &text, const std::string &tail) {
  if (text.size() < 3 ||
      text.compare(text.size() - tail.size(), tail.size(), tail) != 0)
    return false;
  return text.rfind("en", 0) == 0 || text.rfind("fr", 0) == 0 ||
         text.rfind("de", 0) == 0;
}

double Seconds() {
  const char *s = std::getenv("PHRASOR_STRESS_SECONDS");
  return s && *s ? std::atof(s) : 3.0;
}

} // namespace

TEST(LiveCatalogsUnderLoad, ReadersSeeWholeChainsWhileAWriterChanges) {
  TempDir dir;
  for (const char *tag : {"en", "fr", "de"})
    dir.write(std::string(tag) + ".skdb", Language(tag, 0));
  Expected<Localizer> loaded = Localizer::load(dir.path, "fr");
  ASSERT_TRUE(loaded) << loaded.error().message();
  Localizer &l = *loaded;
  std::atomic<int> changesTold{0};
  l.setChangeCallback(
      [](const Localizer &, const Localizer::Change &, void *n) {
        static_cast<std::atomic<int> *>(n)->fetch_add(1);
      },
      &changesTold);

  std::atomic<bool> stop{false};
  std::atomic<long> answers{0}, broken{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 8; ++t)
    readers.emplace_back([&, t] {
      long n = 0;
      while (!stop.load(std::memory_order_relaxed)) {
        ++n;
        Expected<std::string> hello = l.formatUtf8("HELLO", t);
        Expected<Text> files = l.plural("FILES", n % 3, n % 3);
        std::optional<TextView> raw = l.find("FILES#other");
        const bool ok = hello && Whole(*hello, " " + std::to_string(t)) &&
                        files && raw && Whole(toUtf8(*raw), "files");
        if (!ok)
          broken.fetch_add(1);
      }
      answers.fetch_add(n);
    });

  const auto end = std::chrono::steady_clock::now() +
                   std::chrono::duration<double>(Seconds());
  int switches = 0, reloads = 0;
  for (int edition = 1; std::chrono::steady_clock::now() < end; ++edition) {
    const char *tag = edition % 3 == 0 ? "de" : edition % 3 == 1 ? "fr" : "en";
    if (l.switchTo(tag))
      ++switches;
    // Written beside and renamed in, as the tool writes a database.
    dir.write("fr.tmp", Language("fr", edition));
    std::filesystem::rename(dir.path / "fr.tmp", dir.path / "fr.skdb");
    if (l.reload(dir.path / "fr.skdb"))
      ++reloads;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  stop = true;
  for (std::thread &r : readers)
    r.join();

  EXPECT_EQ(broken.load(), 0) << "of " << answers.load() << " answers";
  EXPECT_GT(answers.load(), 0);
  EXPECT_GT(switches, 0);
  EXPECT_GT(changesTold.load(), switches / 2);
  EXPECT_GT(l.collect(), 0u);
  std::printf("%ld answers, %d switches, %d reloads\n", answers.load(),
              switches, reloads);
}
