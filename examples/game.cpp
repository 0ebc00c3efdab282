//===- game.cpp - A game-style host on the typed C++ layer ----------------===//
//
// What a game does with PhrasorCpp: load the player's language with its
// fallbacks (fr-CA, then fr, then en), show menu lines, format dialogue
// with checked arguments, pick plural forms by the language's own rules
// and gender forms by whom a line speaks of,
// log, rather than print garbage, when a translation changed the type of
// an insert, and switch the language while it runs.
//
//   phrasor_example_game DATA_DIR [LOCALE...]     (default: fr-CA en ru)
//
// The first locale is loaded; each later one is a press of the language key.
//
// The build puts the databases beside the program (phrasor_add_catalogs).
//
//===----------------------------------------------------------------------===//

#include "game/msg.h"
#include "phrasor/Phrasor.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using phrasor::Expected;
using phrasor::Text;

// What the game shows for a line that could not be made: the ID, so a
// tester sees which line is broken, while the log says why.
std::string Line(const Expected<Text> &text, const char *id) {
  if (text)
    return phrasor::toUtf8(*text);
  std::fflush(stdout); // keep the log line beside the line it explains
  std::fprintf(stderr, "  [log] %s: %s\n",
               phrasor::errcName(text.error().code()),
               text.error().message().c_str());
  return std::string("<") + id + ">";
}

void Play(const phrasor::Localizer &lang) {
  // The IDs are objects of the header the build writes from en.csv: a
  // misspelt one, or an argument its text does not take, does not compile.
  auto show = [&](const auto &id) {
    std::optional<phrasor::TextView> text = lang.find(id);
    const std::string name(phrasor::idOf(id));
    std::printf("  %-12s %s\n", name.c_str(),
                text ? phrasor::toUtf8(*text).c_str()
                     : ("<" + name + ">").c_str());
  };
  show(msg::UI_TITLE);
  show(msg::UI_START);
  show(msg::UI_SNOW);
  std::printf(
      "  %-12s %s\n", "DLG_WELCOME",
      Line(lang.format(msg::DLG_WELCOME, "Mireille"), "DLG_WELCOME").c_str());
  std::printf(
      "  %-12s %s\n", "DLG_GOLD",
      Line(lang.format(msg::DLG_GOLD, "Mireille", 12), "DLG_GOLD").c_str());
  // A line that agrees with the one it speaks of: French has a form for
  // each gender, English only the one every value takes.
  const struct {
    const char *name;
    phrasor::Gender gender;
  } travellers[] = {{"Mireille", phrasor::Gender::Feminine},
                    {"Paul", phrasor::Gender::Masculine}};
  for (const auto &who : travellers)
    std::printf(
        "  %-12s %s\n", "FOUND_ITEM",
        Line(lang.select(msg::FOUND_ITEM, who.gender, who.name), "FOUND_ITEM")
            .c_str());
  for (std::int64_t n : {0, 1, 2, 5, 21, 1000000}) {
    std::printf("  %-12s %s | %s\n", "HUD",
                Line(lang.plural(msg::HUD_ARROWS, n, n), "HUD_ARROWS").c_str(),
                Line(lang.plural(msg::HUD_DAYS, n, n), "HUD_DAYS").c_str());
  }
}

// The menu re-fetches its texts when the language changes under it: the
// change callback is where a game would mark its UI for redrawing.
void LanguageChanged(const phrasor::Localizer &lang,
                     const phrasor::Localizer::Change &change, void *) {
  std::printf("  [language changed: revision %llu, catalogs:",
              static_cast<unsigned long long>(change.revision));
  for (const phrasor::Catalog &c : lang.catalogs())
    std::printf(" %.*s", static_cast<int>(c.locale().size()),
                c.locale().data());
  std::printf("]\n");
  for (const phrasor::Error &e : change.failed)
    std::fprintf(stderr, "  [log] kept the old catalog: %s\n",
                 e.message().c_str());
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DATA_DIR [LOCALE...]\n", argv[0]);
    return 2;
  }
  std::vector<std::string> locales(argv + 2, argv + argc);
  if (locales.empty())
    locales = {"fr-CA", "en", "ru"};
  // The first language is loaded; each one after it is the player pressing
  // the language key while the game runs: the same Localizer switches, and
  // the text that follows is the new language's.
  Expected<phrasor::Localizer> lang =
      phrasor::Localizer::load(argv[1], locales[0]);
  if (!lang) {
    std::fprintf(stderr, "error: %s\n", lang.error().message().c_str());
    return 1;
  }
  lang->onMissing([](std::string_view id) {
    std::fprintf(stderr, "  [log] no text for %.*s in any catalog\n",
                 static_cast<int>(id.size()), id.data());
  });
  lang->setChangeCallback(LanguageChanged, nullptr);
  int status = 0;
  for (std::size_t i = 0; i < locales.size(); ++i) {
    if (i > 0) {
      std::printf("[language key: %s]\n", locales[i].c_str());
      Expected<std::uint64_t> switched = lang->switchTo(locales[i]);
      if (!switched) {
        std::fprintf(stderr, "error: %s\n", switched.error().message().c_str());
        status = 1;
        continue;
      }
    }
    std::printf("%s (catalogs:", locales[i].c_str());
    for (const phrasor::Catalog &c : lang->catalogs())
      std::printf(" %.*s", static_cast<int>(c.locale().size()),
                  c.locale().data());
    std::printf(")\n");
    Play(*lang);
    // A frame boundary: nothing holds a view of the old language any more.
    lang->collect();
    std::fflush(stdout);
  }
  return status;
}
