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

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor {

class Localizer : public Calls<Localizer> {
public:
  // The typed IDs of a generated header (see Typed.h), beside the strings.
  using Calls::find;
  using Calls::format;
  using Calls::formatPrintf;
  using Calls::formatTo;
  using Calls::formatUtf8;
  using Calls::formatUtf8To;
  using Calls::ordinal;
  using Calls::plural;
  using Calls::select;
  using Calls::selectPlural;

  Localizer();
  Localizer(Localizer &&other) noexcept;
  Localizer &operator=(Localizer &&other) noexcept;
  Localizer(const Localizer &) = delete;
  Localizer &operator=(const Localizer &) = delete;
  ~Localizer();

  /// Appends \p catalog as the least specific so far. Set-up only: not
  /// while other threads use the Localizer (switchTo and reload are the
  /// changes that may overlap lookups).
  void add(Catalog catalog);
  /// Catalog::setIsolateInserts for every catalog of the chain, now and
  /// after each reload: only the right-to-left ones set their inserts
  /// apart. Safe while other threads format.
  void setIsolateInserts(bool on);
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
  // The calls by string, by context and by typed ID (see Calls in
  // Catalog.h), each answered by the first catalog that has a text for the
  // ID. A plural form is searched by category along the whole chain before
  // the fallback form is: so a "fr-CA" file holding only the fallback
  // leaves "fr"'s chosen form to answer.
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
  /// A select's form by the chain: each step of the order (Selectors.h)
  /// over every catalog before the next, each choosing a count's category
  /// by its own language.
  Expected<Text> selectArgs(std::string_view id, const Selection &choice,
                            const Arg *args, std::size_t argCount) const;

  /// The catalogs, most specific first.
  const std::vector<Catalog> &catalogs() const;
  /// Why load() skipped each file of the chain that exists but did not
  /// load, in search order, then what the last reload could not load; the
  /// message names the file.
  const std::vector<Error> &problems() const;

  // --- Live catalogs -------------------------------------------------------
  //
  // switchTo and reload build a new chain beside the one in service and put
  // it in service in one atomic step, so a lookup on another thread sees the
  // old chain or the new one, never a mix. The old chain is not freed then:
  // every text view, catalog reference and problems() reference handed out
  // stays valid until collect(), which the host calls at a point where no
  // other thread is inside a call of this Localizer or still holds what one
  // returned (the top of a frame, say). Text, std::string and formatted
  // results own their characters and never expire. Lookups take no lock and
  // allocate nothing for this; changes are serialised among themselves.

  /// Loads the chain for \p locale as load() does, from the directory and
  /// with the last language this Localizer was loaded with, and puts it in
  /// service. The revision now in service; on an error (the same ones as
  /// load) the old chain stays in service and nothing changes.
  Expected<std::uint64_t> switchTo(std::string_view locale);
  /// The same for a list of languages, as loadPreferred() takes them.
  Expected<std::uint64_t> switchTo(const std::vector<std::string> &languages);
  /// Opens again each catalog of the chain whose file changed since it was
  /// opened (its size or modification time), and puts the new chain in
  /// service. A file that no longer loads keeps its old catalog in service
  /// and is reported in problems() and to the change callback. A file added
  /// to the directory since is not looked for; switchTo does that. The
  /// revision now in service: the same as before when nothing was reopened.
  Expected<std::uint64_t> reload();
  /// Opens \p file again, changed or not, if it is one of the chain's;
  /// FileNotFound when it is none of them.
  Expected<std::uint64_t> reload(const std::filesystem::path &file);
  /// The directory load() read the chain from; empty for one built by add().
  const std::filesystem::path &directory() const noexcept;
  /// Counts the chains put in service: 0 for the one loaded first. A cached
  /// text is current while the revision it was fetched at is.
  std::uint64_t revision() const noexcept;

  /// What a switch or reload did, as the change callback is told it.
  struct Change {
    std::uint64_t revision;    ///< now in service
    std::uint64_t previous;    ///< before; equal when only failures are told
    std::vector<Error> failed; ///< files that kept their old catalog
  };
  /// Told of each switch or reload that put a new chain in service or
  /// could not load a file, on the thread that made it, after the change
  /// and outside every lock of the Localizer: it may look texts up, and
  /// may even switch or reload (a change it makes tells it again).
  using ChangeCallback = void (*)(const Localizer &localizer,
                                  const Change &change, void *userData);
  /// Stores \p callback and \p userData, replacing any earlier pair; a null
  /// callback tells nothing.
  void setChangeCallback(ChangeCallback callback, void *userData);
  /// Removes \p callback if it is the one stored: true; otherwise changes
  /// nothing and returns false.
  bool clearChangeCallback(ChangeCallback callback);

  /// Frees the chains that switchTo and reload took out of service, and
  /// with them the views and references they handed out. Call it only
  /// where no other thread is inside a call of this Localizer or uses what
  /// one returned. Returns how many chains it freed.
  std::size_t collect();
  /// The catalog that answers for \p id, or null (and onMissing is told).
  const Catalog *catalogFor(std::string_view id) const;

  struct State;
  struct Live;

private:
  static Expected<Localizer> loadChain(const std::filesystem::path &dir,
                                       std::vector<std::string> tags,
                                       std::vector<Error> badNames,
                                       std::string_view last);
  static Expected<std::unique_ptr<State>>
  openChain(const std::filesystem::path &dir, std::vector<std::string> tags,
            std::vector<Error> badNames, std::string_view last);
  Expected<std::uint64_t> switchChain(std::vector<std::string> tags,
                                      std::vector<Error> badNames);
  Expected<std::uint64_t> reloadFiles(const std::filesystem::path *only);
  Change putInService(std::unique_ptr<State> next, bool textsChanged,
                      std::vector<Error> failed);
  std::uint64_t tell(const Change &change,
                     std::unique_lock<std::mutex> &lock) const;
  const State &live() const noexcept;
  void missing(std::string_view id) const;
  Expected<Text> pluralSearch(std::string_view id, Count count, bool ordinal,
                              const Arg *args, std::size_t argCount) const;

  std::unique_ptr<Live> shared;
  // Shared, so a miss keeps the handler alive while it runs (it may
  // replace itself) by counting a reference instead of copying a closure.
  std::shared_ptr<const std::function<void(std::string_view)>> missingHandler;
};

} // namespace phrasor

#endif // PHRASOR_CPP_LOCALIZER_H
