//===- make_loader_seeds.cpp - Writes the loader fuzzer's seed corpus
//------===//
//
// Usage: phrasor_loader_seeds <directory>. Builds a handful of databases with
// the authoring library, covering each run of the block, both formatting
// styles and the shapes the loader must refuse, so fuzzing starts from files
// that reach deep into the loader and the formatters.
//
//===----------------------------------------------------------------------===//

#include "tools/authoring/DatabaseWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using phrasor::authoring::Entry;
using phrasor::authoring::RawDatabase;

namespace {

Entry E(std::string id, std::optional<std::u16string> value,
        std::optional<std::string> voice = std::nullopt) {
  return Entry{std::move(id), std::move(value), std::move(voice)};
}

bool Write(const std::filesystem::path &dir, const std::string &name,
           const std::vector<uint8_t> &bytes) {
  std::ofstream out(dir / name, std::ios::binary);
  out.write(reinterpret_cast<const char *>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool WriteEntries(const std::filesystem::path &dir, const std::string &name,
                  const std::vector<Entry> &entries) {
  auto bytes = phrasor::authoring::BuildDatabase(entries);
  if (!bytes) {
    std::fprintf(stderr, "phrasor_loader_seeds: %s: entries refused\n",
                 name.c_str());
    return false;
  }
  return Write(dir, name, *bytes);
}

/// Databases the loader takes, one per family of lookups and texts.
bool WriteLoadable(const std::filesystem::path &dir) {
  bool ok = true;
  ok &= WriteEntries(dir, "ok_empty.skdb", {});
  ok &= WriteEntries(dir, "ok_menu.skdb",
                     {E("UI_MENU", u"Menu", "vo/menu.wav"),
                      E("UI_MENU_TITLE", u"Main menu"), E("ui_ok", u"OK"),
                      E("UI_CANCEL", u"Cancel", "vo/cancel.wav"),
                      E("DLG_SCORE", u"%1!s! has %2!d! points"),
                      E("NO_VALUE", std::nullopt, "vo/silence.wav"),
                      E("SHARED_A", u"same"), E("SHARED_B", u"same")});
  ok &= WriteEntries(dir, "ok_printf.skdb",
                     {E("P_INT", u"%d items, %5.2f%%, %-8s|"),
                      E("P_NARROW", u"%S and %hs, %ls"),
                      E("P_HEX", u"%x %X %o %c %#x %+d % d"),
                      E("P_WIDE64", u"%I64d %lld %I32u %hu"),
                      E("P_STAR", u"%*d|%-*.*s|"), E("P_COUNT", u"%n"),
                      E("P_PTR", u"%p %e %G"), E("P_BAD", u"%y %"),
                      E("P_LONG", u"%0999d%.999f")});
  ok &=
      WriteEntries(dir, "ok_message.skdb",
                   {E("M_ORDER", u"%2!s! before %1!s!"),
                    E("M_PAD", u"[%1!-10s!] [%2!08.3f!]"),
                    E("M_ESC", u"100%% sure%0 dropped"), E("M_STAR", u"%1!*d!"),
                    E("M_HIGH", u"%16!d!"), E("M_GAP", u"%1!d! %3!d!"),
                    E("M_NO_OPEN", u"%1"), E("M_NO_TYPE", u"%1!!"),
                    E("M_UNKNOWN", u"%1!q!"), E("M_NO_CLOSE", u"%1!d"),
                    E("M_MANY", u"%1!d!%1!d!%1!d!%1!d!%1!d!%1!d!%1!d!%1!d!"
                                u"%1!d!%1!d!%1!d!%1!d!%1!d!%1!d!%1!d!%1!d!"),
                    E("M_TYPES", u"%1!I64u! %2!hc! %3!S! %4!lu! %5!p!")});
  ok &= WriteEntries(dir, "ok_voice_only.skdb",
                     {E("A", std::nullopt, "a.wav"),
                      E("B", std::nullopt, "b.wav"), E("C", std::nullopt)});
  ok &= WriteEntries(dir, "ok_unicode.skdb",
                     {E("U_LATIN", u"Gr\u00fc\u00dfe \u20ac"),
                      E("U_PAIR", u"\U0001F600 %1!s!"),
                      E("U_LONE", std::u16string(1, char16_t(0xD800)) + u"x"),
                      E("u_case", u"x"), E("<none>", u"reserved")});
  return ok;
}

/// Shapes the loader must refuse, as starting points for mutation.
bool WriteRefused(const std::filesystem::path &dir) {
  bool ok = true;
  RawDatabase raw =
      phrasor::authoring::Compile({E("a", u"x", "v"), E("b", u"y")}).database;
  RawDatabase badVersion = raw;
  badVersion.version = 6;
  ok &=
      Write(dir, "bad_version.skdb", phrasor::authoring::Serialize(badVersion));
  RawDatabase badRef = raw;
  badRef.pairs[1].valueRef = 7;
  ok &= Write(dir, "bad_value_ref.skdb", phrasor::authoring::Serialize(badRef));
  RawDatabase badCounts = raw;
  badCounts.stringTotal = 1; // fewer strings than IDs
  ok &= Write(dir, "bad_counts.skdb", phrasor::authoring::Serialize(badCounts));
  std::vector<uint8_t> truncated = phrasor::authoring::Serialize(raw);
  truncated.resize(truncated.size() - 3);
  ok &= Write(dir, "bad_truncated.skdb", truncated);
  return ok;
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: phrasor_loader_seeds <directory>\n");
    return 2;
  }
  std::filesystem::path dir(argv[1]);
  std::filesystem::create_directories(dir);
  const bool loadable = WriteLoadable(dir);
  const bool refused = WriteRefused(dir);
  return loadable && refused ? 0 : 1;
}
