//===- Localizer.h - Catalogs of a language, best first -*- C++ -*-===//
//
// A game ships "fr-CA" with only the lines that differ from "fr", and "fr"
// with what it has translated; English fills the rest. The Localizer holds
// those catalogs in order, and each operation uses the first one that has a
// text for the ID. That catalog then decides the answer: a broken message
// or wrong arguments in it is an error, not a quiet fall-through to another
// language. A plural form is searched by category along the chain, each
// catalog's own locale naming the category it looks for.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_LOCALIZER_H
#define PHRASOR_CPP_LOCALIZER_H

#include "phrasor/Catalog.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor {

class Localizer : public TypedCalls<Localizer> {
public:
  // The typed IDs of a generated header (see Typed.h), beside the strings.
  using TypedCalls::find;
  using TypedCalls::format;
  using TypedCalls::formatTo;
  using TypedCalls::formatUtf8;
  using TypedCalls::formatUtf8To;
  using TypedCalls::ordinal;
  using TypedCalls::plural;

  Localizer() = default;

  /// Appends \p catalog as the least specific so far.
  void add(Catalog catalog);
  /// Opens dir/<locale>.skdb, then each shorter tag (fr-CA, then fr), then
  /// dir/<last>.skdb, skipping files that do not exist. A catalog whose
  /// database has no "@locale" takes the tag its file name spells, so
  /// that its plural rules are known. A locale may be a
  /// language tag or a POSIX locale name as the environment gives it
  /// ("fr_CA.UTF-8", "fr_CA@euro": the codeset and modifier are ignored);
  /// tags and file names match ignoring case, with "_" and "-" alike. An
  /// empty, "C" or "POSIX" locale chose no language: only \p last is
  /// opened. A file that does not load is skipped and kept in problems().
  /// An error (BadLocale) for a name that is neither, so no name leads
  /// outside \p dir; and when no catalog loads: the first file's error, or
  /// FileNotFound when none exists.
  static Expected<Localizer> load(const std::filesystem::path &dir,
                                  std::string_view locale,
                                  std::string_view last = "en");
  /// The same chain for several languages, most wanted first, as
  /// preferredLanguages() gives them: each language, then its shorter
  /// tags, then \p last ({"de-AT", "fr"} opens de-AT, de, fr, en). A name
  /// that is no language tag is skipped and kept in problems(); "C",
  /// "POSIX" and empty names are skipped.
  static Expected<Localizer>
  loadPreferred(const std::filesystem::path &dir,
                const std::vector<std::string> &languages,
                std::string_view last = "en");

  /// Catalog::find of the first catalog that has a text for \p id.
  std::optional<TextView> find(std::string_view id) const;
  /// Catalog::format of the first catalog that has a text for \p id.
  template <class... A>
  Expected<Text> format(std::string_view id, const A &...args) const {
    const Arg list[] = {makeArg(args)..., Arg{}};
    return formatArgs(id, Style::Stored, list, sizeof...(A));
  }
  /// Catalog::formatPrintf of the first catalog that has a text for \p id.
  template <class... A>
  Expected<Text> formatPrintf(std::string_view id, const A &...args) const {
    const Arg list[] = {makeArg(args)..., Arg{}};
    return formatArgs(id, Style::Printf, list, sizeof...(A));
  }
  /// The plural form of \p id for \p count, formatted by its kind: the
  /// first catalog that has ID#<category of count in its own locale>
  /// answers; only when none has does the first ID#other, then the first
  /// ID. So a "fr-CA" file holding only FILES#other leaves "fr"'s
  /// FILES#one to answer 1.
  template <class... A>
  Expected<Text> plural(std::string_view id, Count count,
                        const A &...args) const {
    const Arg list[] = {makeArg(args)..., Arg{}};
    return pluralArgs(id, count, list, sizeof...(A));
  }
  /// The same three for a message within a gettext context (InContext.h).
  std::optional<TextView> find(InContext key) const {
    const ContextKey k(key);
    return find(k.view());
  }
  template <class... A>
  Expected<Text> format(InContext key, const A &...args) const {
    const ContextKey k(key);
    return format(k.view(), args...);
  }
  template <class... A>
  Expected<Text> plural(InContext key, Count count, const A &...args) const {
    const ContextKey k(key);
    return plural(k.view(), count, args...);
  }
  /// The same search for an ordinal: ID#ordinal-<category>, then
  /// ID#ordinal-other, then ID.
  template <class... A>
  Expected<Text> ordinal(std::string_view id, Count count,
                         const A &...args) const {
    const Arg list[] = {makeArg(args)..., Arg{}};
    return ordinalArgs(id, count, list, sizeof...(A));
  }
  /// Catalog::formatTo of the first catalog that has a text for \p id.
  template <class... A>
  Expected<std::size_t> formatTo(PhrasorWChar *buffer, std::size_t length,
                                 std::string_view id, const A &...args) const {
    const Arg list[] = {makeArg(args)..., Arg{}};
    return formatArgsTo(buffer, length, id, Style::Stored, list, sizeof...(A));
  }
  /// Catalog::formatUtf8 of the first catalog that has a text for \p id.
  template <class... A>
  Expected<std::string> formatUtf8(std::string_view id,
                                   const A &...args) const {
    const Arg list[] = {makeArg(args)..., Arg{}};
    return formatArgsUtf8(id, Style::Stored, list, sizeof...(A));
  }
  /// Catalog::formatUtf8To of the first catalog that has a text for \p id.
  template <class... A>
  Expected<std::size_t> formatUtf8To(char *buffer, std::size_t length,
                                     std::string_view id,
                                     const A &...args) const {
    const Arg list[] = {makeArg(args)..., Arg{}};
    return formatArgsUtf8To(buffer, length, id, Style::Stored, list,
                            sizeof...(A));
  }
  Expected<std::size_t> formatArgsTo(PhrasorWChar *buffer, std::size_t length,
                                     std::string_view id, Style style,
                                     const Arg *args, std::size_t count) const;
  Expected<std::string> formatArgsUtf8(std::string_view id, Style style,
                                       const Arg *args,
                                       std::size_t count) const;
  Expected<std::size_t> formatArgsUtf8To(char *buffer, std::size_t length,
                                         std::string_view id, Style style,
                                         const Arg *args,
                                         std::size_t count) const;

  /// Tells \p handler of each ID that no catalog has a text for. Set it
  /// before sharing the Localizer between threads; it may be called on any
  /// of them. A handler may replace itself; the new one is told of the
  /// next ID. Telling it allocates nothing.
  void onMissing(std::function<void(std::string_view id)> handler);

  Expected<Text> formatArgs(std::string_view id, Style style, const Arg *args,
                            std::size_t count) const;
  Expected<Text> pluralArgs(std::string_view id, Count count, const Arg *args,
                            std::size_t argCount) const;
  Expected<Text> ordinalArgs(std::string_view id, Count count, const Arg *args,
                             std::size_t argCount) const;

  /// The catalogs, most specific first.
  const std::vector<Catalog> &catalogs() const { return chain; }
  /// Why load() skipped each file of the chain that exists but did not
  /// load, in search order; the message names the file.
  const std::vector<Error> &problems() const { return skipped; }
  /// The catalog that answers for \p id, or null (and onMissing is told).
  const Catalog *catalogFor(std::string_view id) const;

private:
  static Expected<Localizer> loadChain(const std::filesystem::path &dir,
                                       std::vector<std::string> tags,
                                       std::vector<Error> badNames,
                                       std::string_view last);
  void missing(std::string_view id) const;
  Expected<Text> pluralSearch(std::string_view id, Count count, bool ordinal,
                              const Arg *args, std::size_t argCount) const;

  std::vector<Catalog> chain;
  std::vector<Error> skipped;
  // Shared, so a miss keeps the handler alive while it runs (it may
  // replace itself) by counting a reference instead of copying a closure.
  std::shared_ptr<const std::function<void(std::string_view)>> missingHandler;
};

} // namespace phrasor

#endif // PHRASOR_CPP_LOCALIZER_H
