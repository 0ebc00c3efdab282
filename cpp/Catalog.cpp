//===- Catalog.cpp - One loaded string database, typed --------------------===//
//
// At open the catalog reads every entry back through the exported lookups
// (so what it holds is exactly what the runtime answers) into a hash table
// keyed by the ID folded to lower case: a lookup then hashes the ID once
// and compares one candidate, instead of the runtime's halving search. Case
// twins, IDs equal but for case, share one key; the runtime is asked once
// which of them it finds, and the key answers with that entry.
//
//===----------------------------------------------------------------------===//

#include "phrasor/Catalog.h"

#include "Inserts.h"
#include "LoadCheck.h"
#include "Plural.h"
#include "Render.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

namespace phrasor {
namespace {

constexpr const char *kNoneId = "<none>";
constexpr std::uint32_t kEmptySlot = 0xFFFFFFFFu;
constexpr std::uint32_t kMaxBuffer = kMaxOutputUnits + 1;

inline unsigned char fold(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

inline std::uint32_t foldedHash(const char *s, std::size_t n) {
  std::uint32_t h = 2166136261u;
  for (std::size_t i = 0; i < n; ++i)
    h = (h ^ fold(static_cast<unsigned char>(s[i]))) * 16777619u;
  return h;
}

inline bool foldedEqual(const char *a, const char *b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    if (fold(static_cast<unsigned char>(a[i])) !=
        fold(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

class MemoryStream final : public IReadStream {
public:
  MemoryStream(const std::uint8_t *bytes, std::size_t length)
      : data(bytes), size(length) {}
  std::int32_t Read(void *buffer, std::uint32_t n) override {
    if (n > size - at)
      return 1;
    if (n)
      std::memcpy(buffer, data + at, n);
    at += n;
    return 0;
  }

private:
  const std::uint8_t *data;
  std::size_t size, at = 0;
};

std::size_t unitCount(const PhrasorWChar *s) {
  std::size_t n = 0;
  while (s[n])
    ++n;
  return n;
}

} // namespace

struct Entry {
  const char *id = nullptr;
  std::uint32_t idLength = 0;
  std::uint32_t hash = 0;
  const PhrasorWChar *value = nullptr; ///< null: the entry has no text
  std::uint32_t valueLength = 0;
  const char *voice = nullptr; ///< null: no voice path
  // Parsed on first use; many threads may race to fill one, and each
  // publishes a whole object or finds another's.
  mutable std::atomic<const Inserts *> parsed[2] = {nullptr, nullptr};

  ~Entry() {
    delete parsed[0].load();
    delete parsed[1].load();
  }
};

struct Catalog::Impl {
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  HSTRINGKEEPER keeper = nullptr;
  std::size_t idCount = 0;
  std::unique_ptr<Entry[]> entries;
  std::size_t entryCount = 0;
  std::vector<std::uint32_t> slots;
  std::uint32_t mask = 0;
  Entry none;
  std::string localeTag;
  std::unique_ptr<PluralRules> rules;

  ~Impl() {
    entries.reset();
    mgr->ReleaseKeeper(keeper);
  }

  void build();
  const Entry *lookup(std::string_view id) const;
  const Inserts &inserts(const Entry &e, Style style) const;
  std::optional<Error> resolve(std::string_view id, const Entry *&e) const;
  Expected<Text> render(const Entry &e, std::string_view id, Style style,
                        const Arg *args, std::size_t count) const;
};

void Catalog::Impl::build() {
  std::vector<const char *> ids;
  mgr->EnumerateIDsByPrefix(
      keeper, "",
      [](const char *id, void *user) {
        static_cast<std::vector<const char *> *>(user)->push_back(id);
      },
      &ids);
  idCount = ids.size();
  entries.reset(new Entry[ids.size() ? ids.size() : 1]);
  std::uint32_t capacity = 16;
  while (capacity < 2 * ids.size())
    capacity *= 2;
  slots.assign(capacity, kEmptySlot);
  mask = capacity - 1;

  for (std::size_t i = 0; i < ids.size(); ++i) {
    const char *id = ids[i];
    const std::size_t length = std::strlen(id);
    std::int32_t index = static_cast<std::int32_t>(i);
    if (entryCount) {
      const Entry &last = entries[entryCount - 1];
      if (last.idLength == length && foldedEqual(last.id, id, length))
        continue; // a case twin: its key is already in the table
    }
    if (i + 1 < ids.size() && std::strlen(ids[i + 1]) == length &&
        foldedEqual(ids[i + 1], id, length))
      index = mgr->GetStringIndex(keeper, id); // which twin the runtime finds
    Entry &e = entries[entryCount];
    e.id = id;
    e.idLength = static_cast<std::uint32_t>(length);
    e.hash = foldedHash(id, length);
    if (mgr->HasStringByIndex(keeper, index)) {
      e.value = mgr->GetStringByIndex(keeper, index);
      e.valueLength = static_cast<std::uint32_t>(unitCount(e.value));
    }
    if (mgr->HasVoicePathByIndex(keeper, index))
      e.voice = mgr->GetVoicePathByIndex(keeper, index);
    std::uint32_t slot = e.hash & mask;
    while (slots[slot] != kEmptySlot)
      slot = (slot + 1) & mask;
    slots[slot] = static_cast<std::uint32_t>(entryCount++);
  }

  // "<none>" is the runtime's reserved ID for no string: the empty text and
  // the empty voice path, even in an empty database.
  none.id = kNoneId;
  none.idLength = 6;
  none.value = mgr->GetStringByIndex(keeper, NONE_STRING_INDEX);
  none.voice = mgr->GetVoicePathByIndex(keeper, NONE_STRING_INDEX);

  if (const Entry *tag = lookup("@locale"); tag && tag->value)
    localeTag = toUtf8(TextView(tag->value, tag->valueLength));
  rules.reset(new PluralRules(localeTag));
}

const Entry *Catalog::Impl::lookup(std::string_view id) const {
  if (id.size() == 6 && std::memcmp(id.data(), kNoneId, 6) == 0)
    return &none;
  // The runtime compares terminated strings: an ID holding a zero byte can
  // match nothing it stores.
  if (!id.empty() && std::memchr(id.data(), 0, id.size()))
    return nullptr;
  const std::uint32_t hash = foldedHash(id.data(), id.size());
  for (std::uint32_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t k = slots[slot];
    if (k == kEmptySlot)
      return nullptr;
    const Entry &e = entries[k];
    if (e.hash == hash && e.idLength == id.size() &&
        foldedEqual(e.id, id.data(), id.size()))
      return &e;
  }
}

const Inserts &Catalog::Impl::inserts(const Entry &e, Style style) const {
  std::atomic<const Inserts *> &cell = e.parsed[style == Style::Printf];
  const Inserts *known = cell.load(std::memory_order_acquire);
  if (known)
    return *known;
  Inserts *fresh = new Inserts(style == Style::Printf ? parsePrintf(e.value)
                                                      : parseMessage(e.value));
  if (cell.compare_exchange_strong(known, fresh, std::memory_order_acq_rel))
    return *fresh;
  delete fresh;
  return *known;
}

std::optional<Error> Catalog::Impl::resolve(std::string_view id,
                                            const Entry *&e) const {
  e = lookup(id);
  if (!e)
    return Error(Errc::MissingId, "no entry '" + std::string(id) + "'");
  if (!e->value)
    return Error(Errc::NoValue, "entry '" + std::string(id) + "' has no text");
  return std::nullopt;
}

Expected<Text> Catalog::Impl::render(const Entry &e, std::string_view id,
                                     Style style, const Arg *args,
                                     std::size_t count) const {
  const Inserts &parsed = inserts(e, style);
  if (!parsed.ok)
    return Error(
        Errc::BadMessage,
        "'" + std::string(id) + "': the stored text is not a valid " +
            (style == Style::Message ? "message: " : "printf format: ") +
            parsed.problem);
  ArgList list;
  if (std::optional<Error> refused =
          bindArguments(parsed, e.value, id, args, count, list))
    return std::move(*refused);
  // Most texts come out near their stored length; the buffer grows only
  // when the formatter says the output was cut.
  std::uint32_t capacity = e.valueLength + e.valueLength / 2 + 32;
  if (capacity > kMaxBuffer)
    capacity = kMaxBuffer;
  Text out;
  for (;;) {
    out.resize(capacity);
    std::uint32_t written = 0;
    switch (renderText(style, &out[0], capacity, e.value, list, written)) {
    case RenderResult::Written:
      out.resize(written);
      return out;
    case RenderResult::Refused:
      return Error(Errc::BadMessage,
                   "'" + std::string(id) + "': the formatter refused the text");
    case RenderResult::Cut:
      break;
    }
    if (capacity == kMaxBuffer)
      return Error(Errc::TooLong,
                   "'" + std::string(id) + "': the output is longer than " +
                       std::to_string(kMaxOutputUnits) + " units");
    capacity = capacity > kMaxBuffer / 4 ? kMaxBuffer : capacity * 4;
  }
}

// --- Catalog ------------------------------------------------------------

Catalog::Catalog(std::unique_ptr<Impl> state) : impl(std::move(state)) {}
Catalog::Catalog(Catalog &&other) noexcept = default;
Catalog &Catalog::operator=(Catalog &&other) noexcept = default;
Catalog::~Catalog() = default;

Expected<Catalog> Catalog::fromBytes(const void *data, std::size_t size) {
  const auto *bytes = static_cast<const std::uint8_t *>(data);
  std::unique_ptr<Impl> impl(new Impl);
  MemoryStream stream(bytes, size);
  impl->keeper = data ? impl->mgr->CreateKeeper(&stream) : nullptr;
  if (!impl->keeper)
    return describeLoadFailure(bytes, data ? size : 0);
  impl->build();
  return Catalog(std::move(impl));
}

Expected<Catalog> Catalog::open(const std::filesystem::path &file) {
  const std::string name = file.string();
  std::error_code ec;
  if (!std::filesystem::exists(file, ec))
    return Error(Errc::FileNotFound, "'" + name + "': no such file");
  std::FILE *f = std::fopen(name.c_str(), "rb");
  if (!f)
    return Error(Errc::ReadFailed, "'" + name + "': cannot be opened");
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[65536];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
    bytes.insert(bytes.end(), chunk, chunk + n);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed)
    return Error(Errc::ReadFailed, "'" + name + "': read failed");
  Expected<Catalog> loaded = fromBytes(bytes.data(), bytes.size());
  if (!loaded)
    return Error(loaded.error().code(),
                 "'" + name + "': " + loaded.error().message());
  return loaded;
}

std::size_t Catalog::size() const { return impl->idCount; }
std::string_view Catalog::locale() const { return impl->localeTag; }
HSTRINGKEEPER Catalog::handle() const noexcept { return impl->keeper; }

std::optional<TextView> Catalog::find(std::string_view id) const {
  const Entry *e = impl->lookup(id);
  if (!e || !e->value)
    return std::nullopt;
  return TextView(e->value, e->valueLength);
}

std::optional<std::string_view> Catalog::voicePath(std::string_view id) const {
  const Entry *e = impl->lookup(id);
  if (!e || !e->voice)
    return std::nullopt;
  return std::string_view(e->voice);
}

Expected<Text> Catalog::formatArgs(std::string_view id, Style style,
                                   const Arg *args, std::size_t count) const {
  const Entry *e;
  if (std::optional<Error> missing = impl->resolve(id, e))
    return std::move(*missing);
  return impl->render(*e, id, style, args, count);
}

Expected<std::size_t> Catalog::formatArgsTo(PhrasorWChar *buffer,
                                            std::size_t length,
                                            std::string_view id, Style style,
                                            const Arg *args,
                                            std::size_t count) const {
  const Entry *e;
  if (std::optional<Error> missing = impl->resolve(id, e))
    return std::move(*missing);
  const Inserts &parsed = impl->inserts(*e, style);
  if (!parsed.ok)
    return Error(Errc::BadMessage,
                 "'" + std::string(id) +
                     "': the stored text is not valid: " + parsed.problem);
  if (!buffer || length == 0)
    return Error(Errc::TooLong, "'" + std::string(id) + "': no buffer");
  ArgList list;
  if (std::optional<Error> refused =
          bindArguments(parsed, e->value, id, args, count, list))
    return std::move(*refused);
  const std::uint32_t capacity =
      length > kMaxBuffer ? kMaxBuffer : static_cast<std::uint32_t>(length);
  std::uint32_t written = 0;
  switch (renderText(style, buffer, capacity, e->value, list, written)) {
  case RenderResult::Written:
    return std::size_t{written};
  case RenderResult::Refused:
    return Error(Errc::BadMessage,
                 "'" + std::string(id) + "': the formatter refused the text");
  case RenderResult::Cut:
    break;
  }
  buffer[0] = 0;
  return Error(Errc::TooLong, "'" + std::string(id) +
                                  "': the output does not fit in " +
                                  std::to_string(capacity - 1) + " units");
}

std::string_view Catalog::pluralCategory(std::int64_t count) const {
  return impl->rules->category(count);
}

std::string Catalog::pluralId(std::string_view id, std::int64_t count) const {
  std::string key(id);
  key += '#';
  key += pluralCategory(count);
  if (contains(key))
    return key;
  key.assign(id).append("#other");
  if (contains(key))
    return key;
  return contains(id) ? std::string(id) : std::string();
}

Expected<Text> Catalog::pluralArgs(std::string_view id, std::int64_t count,
                                   const Arg *args,
                                   std::size_t argCount) const {
  std::string chosen = pluralId(id, count);
  if (chosen.empty()) {
    const Entry *e = impl->lookup(id);
    if (e && !e->value)
      return Error(Errc::NoValue, "entry '" + std::string(id) +
                                      "' has no text and no plural forms");
    return Error(Errc::MissingId,
                 "no entry '" + std::string(id) + "' and no plural forms");
  }
  return formatArgs(chosen, Style::Message, args, argCount);
}

const char *errcName(Errc code) noexcept {
  switch (code) {
  case Errc::FileNotFound:
    return "FileNotFound";
  case Errc::ReadFailed:
    return "ReadFailed";
  case Errc::NotADatabase:
    return "NotADatabase";
  case Errc::Corrupt:
    return "Corrupt";
  case Errc::OutOfMemory:
    return "OutOfMemory";
  case Errc::MissingId:
    return "MissingId";
  case Errc::NoValue:
    return "NoValue";
  case Errc::BadMessage:
    return "BadMessage";
  case Errc::ArgumentMismatch:
    return "ArgumentMismatch";
  case Errc::TooLong:
    return "TooLong";
  }
  return "?";
}

} // namespace phrasor
