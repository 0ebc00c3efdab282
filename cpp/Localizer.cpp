//===- Localizer.cpp - Catalogs of one language, most specific first ------===//

#include "phrasor/Localizer.h"

#include "cpp/LocaleName.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <system_error>

namespace phrasor {
namespace {

char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

std::string displayPath(const std::filesystem::path &file) {
  const auto utf8 = file.u8string();
  return std::string(utf8.begin(), utf8.end());
}

// The ".skdb" files of \p dir by the tag their name spells, so that
// "fr_CA.skdb", "fr-CA.skdb" and "fr-ca.skdb" are all found for "fr-ca".
// Of two that spell one tag, the name sorting first is taken.
std::vector<std::pair<std::string, std::filesystem::path>>
catalogFiles(const std::filesystem::path &dir) {
  std::vector<std::pair<std::string, std::filesystem::path>> files;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::filesystem::path &path = it->path();
    std::string ext = displayPath(path.extension());
    std::transform(ext.begin(), ext.end(), ext.begin(), lower);
    if (ext != ".skdb")
      continue;
    const std::string tag = normalTag(displayPath(path.stem()), false);
    if (!tag.empty())
      files.emplace_back(tag, path);
  }
  std::sort(files.begin(), files.end());
  return files;
}

} // namespace

// One chain as it was put in service. Never changed once published, except
// by add() during set-up.
struct Localizer::State {
  // Where a catalog came from, to tell whether its file changed since.
  struct Source {
    std::filesystem::path path; // empty for a catalog given to add()
    std::uintmax_t size = 0;
    std::filesystem::file_time_type written{};
    // Why the file as it now is did not load; its old catalog serves. The
    // file is tried again only once it changes again.
    std::optional<Error> failure;
  };
  std::vector<Catalog> chain;
  std::vector<Source> sources; // one per catalog of chain
  std::vector<Error> skipped;
  // How many of skipped the chain's opening found; a reload's failures
  // follow them.
  std::size_t opened = 0;
};

// What the Localizer shares with the threads that read it. Lookups read
// only `current`; everything else belongs to the changes, under `changing`.
struct Localizer::Live {
  std::atomic<const State *> current{nullptr};
  std::atomic<std::uint64_t> revision{0};
  std::mutex changing;
  std::unique_ptr<State> inService;
  std::vector<std::unique_ptr<State>> retired;
  std::filesystem::path dir;
  std::string last;
  ChangeCallback callback = nullptr;
  void *userData = nullptr;
  bool isolate = false; // setIsolateInserts, for every catalog put in service

  explicit Live(std::unique_ptr<State> first) : inService(std::move(first)) {
    current.store(inService.get(), std::memory_order_release);
  }
};

Localizer::Localizer()
    : shared(std::make_unique<Live>(std::make_unique<State>())) {}
Localizer::Localizer(Localizer &&other) noexcept = default;
Localizer &Localizer::operator=(Localizer &&other) noexcept = default;
Localizer::~Localizer() = default;

const Localizer::State &Localizer::live() const noexcept {
  // A moved-from Localizer has no chain; it answers as an empty one.
  static const State none;
  if (!shared)
    return none;
  return *shared->current.load(std::memory_order_acquire);
}

const std::vector<Catalog> &Localizer::catalogs() const { return live().chain; }
const std::vector<Error> &Localizer::problems() const { return live().skipped; }

void Localizer::add(Catalog catalog) {
  if (!shared)
    shared = std::make_unique<Live>(std::make_unique<State>());
  catalog.setIsolateInserts(shared->isolate);
  shared->inService->chain.push_back(std::move(catalog));
  shared->inService->sources.emplace_back();
}

void Localizer::setIsolateInserts(bool on) {
  if (!shared)
    shared = std::make_unique<Live>(std::make_unique<State>());
  std::lock_guard<std::mutex> lock(shared->changing);
  shared->isolate = on;
  for (Catalog &c : shared->inService->chain)
    c.setIsolateInserts(on);
}

void Localizer::onMissing(std::function<void(std::string_view id)> handler) {
  if (handler)
    missingHandler =
        std::make_shared<const std::function<void(std::string_view)>>(
            std::move(handler));
  else
    missingHandler.reset();
}

namespace {

Error badLocale(std::string_view name) {
  return Error(Errc::BadLocale, "'" + std::string(name) +
                                    "' is not a language tag or locale name");
}

// \p tag, then each shorter tag (fr-CA, then fr), each once in \p tags.
void addWithShorter(std::vector<std::string> &tags, std::string tag,
                    const std::vector<std::string> &before = {}) {
  while (!tag.empty()) {
    if (std::find(before.begin(), before.end(), tag) != before.end())
      return;
    if (std::find(tags.begin(), tags.end(), tag) == tags.end())
      tags.push_back(tag);
    const std::size_t dash = tag.rfind('-');
    tag.resize(dash == std::string::npos ? 0 : dash);
  }
}

// \p name's tag and its parents, then, for a name whose modifier added a
// script or variant ("sr_RS@latin"), the tag without it and its parents:
// sr-latn-rs, sr-latn, sr-rs, sr.
void addLocale(std::vector<std::string> &tags, std::string_view name) {
  const LocaleName read = readLocaleName(name);
  std::string plain = normalTag(read.plainTag, false);
  std::vector<std::string> plainChain;
  addWithShorter(plainChain, plain);
  addWithShorter(tags, normalTag(read.tag, false), plainChain);
  addWithShorter(tags, std::move(plain));
}

} // namespace

namespace {

// The languages a chain asks for, best first, and the names given that
// are none.
struct Tags {
  std::vector<std::string> tags;
  std::vector<Error> badNames;
};

Expected<Tags> tagsForLocale(std::string_view locale) {
  // An unset, empty, C or POSIX locale is a user who chose no language:
  // the program's own texts, which are the last language's.
  const bool none = choosesNoLanguage(locale);
  const std::string first = none ? std::string() : normalTag(locale);
  if (!none && first.empty())
    return badLocale(locale);
  Tags result;
  if (!none)
    addLocale(result.tags, locale);
  return result;
}

Tags tagsForLanguages(const std::vector<std::string> &languages) {
  Tags result;
  for (const std::string &language : languages) {
    if (choosesNoLanguage(language))
      continue;
    if (normalTag(language).empty())
      result.badNames.push_back(badLocale(language));
    else
      addLocale(result.tags, language);
  }
  return result;
}

// The file's size and time now; a file that cannot be read gets neither,
// so that it counts as changed until it can be.
Localizer::State::Source describe(const std::filesystem::path &file) {
  Localizer::State::Source source;
  source.path = file;
  std::error_code ec;
  source.size = std::filesystem::file_size(file, ec);
  if (ec)
    source.size = static_cast<std::uintmax_t>(-1);
  source.written = std::filesystem::last_write_time(file, ec);
  return source;
}

// A catalog of the chain, with the locale its file name spells when the
// database does not say it, so that its plural rules are known.
Expected<Catalog> openCatalog(const std::filesystem::path &file) {
  Expected<Catalog> catalog = Catalog::open(file);
  if (catalog && catalog->locale().empty())
    catalog->setLocale(displayPath(file.stem()));
  return catalog;
}

} // namespace

Expected<Localizer> Localizer::load(const std::filesystem::path &dir,
                                    std::string_view locale,
                                    std::string_view last) {
  Expected<Tags> tags = tagsForLocale(locale);
  if (!tags)
    return tags.error();
  return loadChain(dir, std::move(tags->tags), {}, last);
}

Expected<Localizer>
Localizer::loadPreferred(const std::filesystem::path &dir,
                         const std::vector<std::string> &languages,
                         std::string_view last) {
  Tags tags = tagsForLanguages(languages);
  return loadChain(dir, std::move(tags.tags), std::move(tags.badNames), last);
}

Expected<Localizer> Localizer::loadChain(const std::filesystem::path &dir,
                                         std::vector<std::string> tags,
                                         std::vector<Error> badNames,
                                         std::string_view last) {
  Expected<std::unique_ptr<State>> chain =
      openChain(dir, std::move(tags), std::move(badNames), last);
  if (!chain)
    return chain.error();
  Localizer result;
  result.shared = std::make_unique<Live>(std::move(*chain));
  result.shared->dir = dir;
  result.shared->last.assign(last);
  return result;
}

Expected<std::unique_ptr<Localizer::State>>
Localizer::openChain(const std::filesystem::path &dir,
                     std::vector<std::string> tags, std::vector<Error> badNames,
                     std::string_view last) {
  const std::string fallback = normalTag(last);
  if (!last.empty() && fallback.empty())
    return badLocale(last);
  if (!fallback.empty() &&
      std::find(tags.begin(), tags.end(), fallback) == tags.end())
    tags.push_back(fallback);
  if (tags.empty())
    return Error(Errc::BadLocale, "no language to load: none chosen and no "
                                  "last language");

  const auto files = catalogFiles(dir);
  auto result = std::make_unique<State>();
  result->skipped = std::move(badNames);
  const std::size_t nameProblems = result->skipped.size();
  std::string asked, tried;
  for (const std::string &tag : tags) {
    asked += (asked.empty() ? "" : ", ") + tag;
    tried += (tried.empty() ? "" : ", ") + displayPath(dir / (tag + ".skdb"));
    const auto file =
        std::lower_bound(files.begin(), files.end(), tag,
                         [](const auto &entry, const std::string &t) {
                           return entry.first < t;
                         });
    if (file == files.end() || file->first != tag)
      continue;
    // A broken file costs its own language only: the rest of the chain
    // still gives text, and the host can read why the file was skipped.
    State::Source source = describe(file->second);
    Expected<Catalog> catalog = openCatalog(file->second);
    if (catalog) {
      result->chain.push_back(std::move(*catalog));
      result->sources.push_back(std::move(source));
    } else {
      result->skipped.push_back(catalog.error());
    }
  }
  if (result->chain.empty()) {
    if (result->skipped.size() > nameProblems)
      return result->skipped[nameProblems];
    return Error(Errc::FileNotFound,
                 "no catalog for '" + asked + "' (tried " + tried + ")");
  }
  result->opened = result->skipped.size();
  return result;
}

void Localizer::missing(std::string_view id) const {
  // A reference of our own: the handler may replace itself, which would
  // otherwise destroy the closure while it runs.
  if (missingHandler) {
    const auto handler = missingHandler;
    (*handler)(id);
  }
}

const Catalog *Localizer::catalogFor(std::string_view id) const {
  for (const Catalog &c : live().chain)
    if (c.contains(id))
      return &c;
  missing(id);
  return nullptr;
}

std::optional<TextView> Localizer::find(std::string_view id) const {
  for (const Catalog &c : live().chain)
    if (std::optional<TextView> text = c.find(id))
      return text;
  missing(id);
  return std::nullopt;
}

Expected<Text> Localizer::formatArgs(std::string_view id, Style style,
                                     const Arg *args, std::size_t count) const {
  const Catalog *c = catalogFor(id);
  if (!c)
    return Error(Errc::MissingId,
                 "no catalog has a text for '" + std::string(id) + "'");
  return c->formatArgs(id, style, args, count);
}

// --- Buffers and UTF-8 -----------------------------------------------------

namespace {

Error noCatalogFor(std::string_view id) {
  return Error(Errc::MissingId,
               "no catalog has a text for '" + std::string(id) + "'");
}

} // namespace

Expected<std::size_t> Localizer::formatArgsTo(PhrasorWChar *buffer,
                                              std::size_t length,
                                              std::string_view id, Style style,
                                              const Arg *args,
                                              std::size_t count) const {
  const Catalog *c = catalogFor(id);
  if (!c)
    return noCatalogFor(id);
  return c->formatArgsTo(buffer, length, id, style, args, count);
}

Expected<std::string> Localizer::formatArgsUtf8(std::string_view id,
                                                Style style, const Arg *args,
                                                std::size_t count) const {
  const Catalog *c = catalogFor(id);
  if (!c)
    return noCatalogFor(id);
  return c->formatArgsUtf8(id, style, args, count);
}

Expected<std::size_t> Localizer::formatArgsUtf8To(char *buffer,
                                                  std::size_t length,
                                                  std::string_view id,
                                                  Style style, const Arg *args,
                                                  std::size_t count) const {
  const Catalog *c = catalogFor(id);
  if (!c)
    return noCatalogFor(id);
  return c->formatArgsUtf8To(buffer, length, id, style, args, count);
}

// The form of the count's own category wins wherever it is in the chain:
// a catalog that overrides only the fallback form must not hide a less
// specific catalog's chosen form. Each catalog chooses by its own rules.
Expected<Text> Localizer::pluralSearch(std::string_view id, Count count,
                                       bool ordinal, const Arg *args,
                                       std::size_t argCount) const {
  const Selector &row = ordinal ? kOrdinalSelector : kPluralSelector;
  // One chain for the whole search, though another thread may switch.
  const std::vector<Catalog> &chain = live().chain;
  std::string key;
  char exact[24];
  const SelectorValue value{
      count.scaled(), count.fractionDigits(), count.exponent(), {}};
  const std::size_t at = resolveSelectedBy(
      id, row, chain.size(),
      [&](std::size_t i) { return chain[i].category(row, count); },
      [&](std::size_t i) { return chain[i].gettextCategory(row, count); },
      [&](std::size_t i, const std::string &k) { return chain[i].contains(k); },
      key, selectors::exactMatchOf(value, exact));
  if (at < chain.size())
    return chain[at].formatArgs(key, Style::Stored, args, argCount);
  missing(id);
  return Error(Errc::MissingId,
               "no catalog has a text for '" + std::string(id) + "'");
}

Expected<Text> Localizer::pluralArgs(std::string_view id, Count count,
                                     const Arg *args,
                                     std::size_t argCount) const {
  return pluralSearch(id, count, false, args, argCount);
}

Expected<Text> Localizer::ordinalArgs(std::string_view id, Count count,
                                      const Arg *args,
                                      std::size_t argCount) const {
  return pluralSearch(id, count, true, args, argCount);
}

Expected<Text> Localizer::selectArgs(std::string_view id,
                                     const Selection &choice, const Arg *args,
                                     std::size_t argCount) const {
  const std::vector<Catalog> &chain = live().chain;
  // Kept per thread, as Catalog::selectArgs keeps its own.
  thread_local std::string key;
  // A word's form is chosen alike by every language.
  const std::string_view value = selectors::wordForm(*choice.row, choice.value);
  auto has = [&](std::size_t i, const std::string &k) {
    return chain[i].contains(k);
  };
  std::size_t at = 0;
  if (!choice.count) {
    at = resolveSelected(
        id, *choice.row, chain.size(), [&](std::size_t) { return value; }, has,
        key);
  } else {
    const Count count = *choice.count;
    char exact[24];
    const SelectorValue n{
        count.scaled(), count.fractionDigits(), count.exponent(), {}};
    at = resolveSelected(
        id, *choice.row, value, kPluralSelector, chain.size(),
        [&](std::size_t i) {
          return chain[i].category(kPluralSelector, count);
        },
        has, key, selectors::exactMatchOf(n, exact));
  }
  if (at < chain.size())
    return chain[at].formatArgs(key, Style::Stored, args, argCount);
  missing(id);
  return Error(Errc::MissingId,
               "no catalog has a text for '" + std::string(id) + "'");
}

// --- Live catalogs -------------------------------------------------------

namespace {

bool sameFile(const std::filesystem::path &a, const std::filesystem::path &b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) ||
         a.lexically_normal() == b.lexically_normal();
}

bool changedOnDisk(const Localizer::State::Source &then) {
  const Localizer::State::Source now = describe(then.path);
  return now.size != then.size || now.written != then.written;
}

Error movedFrom() {
  return Error(Errc::FileNotFound,
               "a moved-from Localizer has no catalogs to change");
}

} // namespace

// Called with `changing` held: puts \p next in service and keeps the chain
// it replaces for collect(). The revision moves only when texts may have.
Localizer::Change Localizer::putInService(std::unique_ptr<State> next,
                                          bool textsChanged,
                                          std::vector<Error> failed) {
  Live &l = *shared;
  Change change;
  change.previous = l.revision.load(std::memory_order_relaxed);
  change.failed = std::move(failed);
  for (Catalog &c : next->chain)
    c.setIsolateInserts(l.isolate);
  l.retired.push_back(std::move(l.inService));
  l.inService = std::move(next);
  l.current.store(l.inService.get(), std::memory_order_release);
  change.revision = change.previous + (textsChanged ? 1 : 0);
  l.revision.store(change.revision, std::memory_order_release);
  return change;
}

// Tells the change callback, outside the lock, so that it may call back in.
std::uint64_t Localizer::tell(const Change &change,
                              std::unique_lock<std::mutex> &lock) const {
  const ChangeCallback callback = shared->callback;
  void *const userData = shared->userData;
  lock.unlock();
  if (callback)
    callback(*this, change, userData);
  return change.revision;
}

Expected<std::uint64_t> Localizer::switchTo(std::string_view locale) {
  Expected<Tags> tags = tagsForLocale(locale);
  if (!tags)
    return tags.error();
  return switchChain(std::move(tags->tags), {});
}

Expected<std::uint64_t>
Localizer::switchTo(const std::vector<std::string> &languages) {
  Tags tags = tagsForLanguages(languages);
  return switchChain(std::move(tags.tags), std::move(tags.badNames));
}

Expected<std::uint64_t> Localizer::switchChain(std::vector<std::string> tags,
                                               std::vector<Error> badNames) {
  if (!shared)
    return movedFrom();
  std::unique_lock<std::mutex> lock(shared->changing);
  Expected<std::unique_ptr<State>> next = openChain(
      shared->dir, std::move(tags), std::move(badNames), shared->last);
  if (!next)
    return next.error();
  // A switch's skipped files are problems of the new chain, not failures
  // of a change: the old chain they would have kept is another language.
  (*next)->opened = (*next)->skipped.size();
  return tell(putInService(std::move(*next), true, {}), lock);
}

Expected<std::uint64_t> Localizer::reload() { return reloadFiles(nullptr); }

Expected<std::uint64_t> Localizer::reload(const std::filesystem::path &file) {
  return reloadFiles(&file);
}

// Reopens the chain's files that changed, or only \p only, each into the
// new chain; the rest, and each that fails, are shared with the old one.
Expected<std::uint64_t>
Localizer::reloadFiles(const std::filesystem::path *only) {
  if (!shared)
    return movedFrom();
  std::unique_lock<std::mutex> lock(shared->changing);
  const State &now = *shared->inService;
  auto next = std::make_unique<State>();
  next->skipped.assign(now.skipped.begin(), now.skipped.begin() + now.opened);
  next->opened = now.opened;
  std::vector<Error> failed; // by this reload, not carried from an earlier
  bool found = false, reopened = false;
  for (std::size_t i = 0; i < now.chain.size(); ++i) {
    const State::Source &source = now.sources[i];
    const bool wanted =
        !source.path.empty() &&
        (only ? sameFile(source.path, *only) : changedOnDisk(source));
    found = found || wanted;
    State::Source kept = source;
    if (wanted) {
      State::Source fresh = describe(source.path);
      Expected<Catalog> catalog = openCatalog(source.path);
      if (catalog) {
        next->chain.push_back(std::move(*catalog));
        next->sources.push_back(std::move(fresh));
        reopened = true;
        continue;
      }
      failed.push_back(catalog.error());
      kept = std::move(fresh);
      kept.failure = catalog.error();
    }
    if (kept.failure)
      next->skipped.push_back(*kept.failure);
    next->chain.push_back(now.chain[i].share());
    next->sources.push_back(std::move(kept));
  }
  if (only && !found)
    return Error(Errc::FileNotFound,
                 "'" + displayPath(*only) + "': not a file of this chain");
  // Nothing reopened and nothing newly failing: the chain in service is
  // still the right one, and nobody needs telling.
  if (!reopened && failed.empty())
    return shared->revision.load(std::memory_order_acquire);
  return tell(putInService(std::move(next), reopened, std::move(failed)), lock);
}

const std::filesystem::path &Localizer::directory() const noexcept {
  static const std::filesystem::path none;
  return shared ? shared->dir : none;
}

std::uint64_t Localizer::revision() const noexcept {
  return shared ? shared->revision.load(std::memory_order_acquire) : 0;
}

void Localizer::setChangeCallback(ChangeCallback callback, void *userData) {
  if (!shared)
    return;
  const std::lock_guard<std::mutex> lock(shared->changing);
  shared->callback = callback;
  shared->userData = userData;
}

bool Localizer::clearChangeCallback(ChangeCallback callback) {
  if (!shared)
    return false;
  const std::lock_guard<std::mutex> lock(shared->changing);
  if (shared->callback != callback)
    return false;
  shared->callback = nullptr;
  shared->userData = nullptr;
  return true;
}

std::size_t Localizer::collect() {
  if (!shared)
    return 0;
  // Under the lock: releasing a keeper must not overlap a change's opening
  // of one, which both go to the host's memory.
  const std::lock_guard<std::mutex> lock(shared->changing);
  const std::size_t freed = shared->retired.size();
  shared->retired.clear();
  return freed;
}

} // namespace phrasor
