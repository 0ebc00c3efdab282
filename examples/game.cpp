//===- game.cpp - A game-style host on the typed C++ layer ----------------===//
//
// What a game does with PhrasorCpp: load the player's language with its
// fallbacks (fr-CA, then fr, then en), show menu lines, format dialogue
// with checked arguments, pick plural forms by the language's own rules,
// and log, rather than print garbage, when a translation changed the type
// of an insert.
//
//   phrasor_example_game DATA_DIR [LOCALE...]     (default: fr-CA en ru)
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
  for (std::int64_t n : {0, 1, 2, 5, 21, 1000000}) {
    std::printf("  %-12s %s | %s\n", "HUD",
                Line(lang.plural(msg::HUD_ARROWS, n, n), "HUD_ARROWS").c_str(),
                Line(lang.plural(msg::HUD_DAYS, n, n), "HUD_DAYS").c_str());
  }
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
  int status = 0;
  for (const std::string &locale : locales) {
    Expected<phrasor::Localizer> lang =
        phrasor::Localizer::load(argv[1], locale);
    if (!lang) {
      std::fprintf(stderr, "error: %s\n", lang.error().message().c_str());
      status = 1;
      continue;
    }
    lang->onMissing([](std::string_view id) {
      std::fprintf(stderr, "  [log] no text for %.*s in any catalog\n",
                   static_cast<int>(id.size()), id.data());
    });
    std::printf("%s (catalogs:", locale.c_str());
    for (const phrasor::Catalog &c : lang->catalogs())
      std::printf(" %.*s", static_cast<int>(c.locale().size()),
                  c.locale().data());
    std::printf(")\n");
    Play(*lang);
    std::fflush(stdout);
  }
  return status;
}
