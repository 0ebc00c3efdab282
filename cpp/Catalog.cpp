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

#include "base/AsciiFold.h"
#include "cpp/Inserts.h"
#include "cpp/LoadCheck.h"
#include "cpp/PlainRender.h"
#include "cpp/Plural.h"
#include "cpp/Render.h"
#include "format/TextKind.h"
#include "keeper/DatabaseFormat.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace phrasor {
namespace {

constexpr const char *kNoneId = "<none>";
constexpr std::uint64_t kEmptySlot = ~std::uint64_t{0};
constexpr std::uint32_t kMaxBuffer = kMaxOutputUnits + 1;
// A database is a header, a string block and a table of reference pairs,
// the last two sized in 32 bits, and is read into memory whole.
constexpr std::uintmax_t kMaxDatabaseFile =
    sizeof(std::size_t) > 4
        ? std::uintmax_t{kHeaderSize} + 2 * std::uintmax_t{0xFFFFFFFFu}
        : std::uintmax_t{0x7FFFFFFFu};

// IDs are hashed and compared eight bytes at a time, each word folded to
// lower case in one step: game IDs are long and share long prefixes, and a
// byte-at-a-time loop over them cost as much as the runtime's whole search.

inline bool isLittleEndian() {
  const std::uint16_t one = 1;
  unsigned char first;
  std::memcpy(&first, &one, 1);
  return first == 1;
}

// Bytes [at, at + 8) of \p s, or the rest of it followed by zeros.
inline std::uint64_t wordAt(const char *s, std::size_t n, std::size_t at) {
  std::uint64_t w = 0;
  if (n - at >= 8) {
    std::memcpy(&w, s + at, 8);
    return w;
  }
  // The tail, placed as a whole-word load would place it, from loads that
  // overlap rather than a loop: byte j of the word is s[at + j] either way,
  // and bytes loaded twice are the same bytes.
  const std::size_t r = n - at;
  const auto byte = [&](std::size_t i) {
    return std::uint64_t{static_cast<unsigned char>(s[at + i])};
  };
  if (r >= 4) {
    std::uint32_t lo, hi;
    std::memcpy(&lo, s + at, 4);
    std::memcpy(&hi, s + at + r - 4, 4);
    if (isLittleEndian())
      return std::uint64_t{lo} | std::uint64_t{hi} << (8 * (r - 4));
  } else if (isLittleEndian()) {
    return byte(0) | byte(r / 2) << (8 * (r / 2)) |
           byte(r - 1) << (8 * (r - 1));
  }
  unsigned char bytes[8] = {};
  for (std::size_t i = 0; i < r; ++i)
    bytes[i] = static_cast<unsigned char>(byte(i));
  std::memcpy(&w, bytes, 8);
  return w;
}

inline std::uint32_t foldedHash(const char *s, std::size_t n) {
  std::uint64_t h = n * 0x9E3779B97F4A7C15ull;
  for (std::size_t at = 0; at < n; at += 8)
    h = (h ^ FoldAsciiWord(wordAt(s, n, at))) * 0xFF51AFD7ED558CCDull;
  h ^= h >> 29;
  return static_cast<std::uint32_t>(h ^ (h >> 32));
}

// \p stored is folded already, padded with zeros to a whole word, and
// holds no zero byte: a query with one never matches it.
inline bool foldedMatch(const unsigned char *stored, std::string_view id) {
  for (std::size_t at = 0; at < id.size(); at += 8) {
    std::uint64_t want;
    std::memcpy(&want, stored + at, 8);
    if (FoldAsciiWord(wordAt(id.data(), id.size(), at)) != want)
      return false;
  }
  return true;
}

// Reads one JSON string at \p i (past its opening quote) into \p out, as
// UTF-16 units; false when it is not one.
bool readJsonString(TextView json, std::size_t &i, Text &out) {
  out.clear();
  while (i < json.size()) {
    const PhrasorWChar c = json[i++];
    if (c == '"')
      return true;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (i >= json.size())
      return false;
    const PhrasorWChar e = json[i++];
    switch (e) {
    case '"':
    case '\\':
    case '/':
      out += e;
      break;
    case 'b':
      out += PhrasorWChar('\b');
      break;
    case 'f':
      out += PhrasorWChar('\f');
      break;
    case 'n':
      out += PhrasorWChar('\n');
      break;
    case 'r':
      out += PhrasorWChar('\r');
      break;
    case 't':
      out += PhrasorWChar('\t');
      break;
    case 'u': {
      if (json.size() - i < 4)
        return false;
      unsigned unit = 0;
      for (int k = 0; k < 4; ++k) {
        const PhrasorWChar h = json[i++];
        const int digit = (h >= '0' && h <= '9')   ? h - '0'
                          : (h >= 'a' && h <= 'f') ? h - 'a' + 10
                          : (h >= 'A' && h <= 'F') ? h - 'A' + 10
                                                   : -1;
        if (digit < 0)
          return false;
        unit = unit * 16 + static_cast<unsigned>(digit);
      }
      out += static_cast<PhrasorWChar>(unit);
      break;
    }
    default:
      return false;
    }
  }
  return false;
}

// Calls \p take(id, kind) for each member of the "@kinds" object, which
// the tool writes as {"ID": "text", ...}; stops at anything else, keeping
// what was read before it.
template <class Take> void readKinds(TextView json, Take take) {
  std::size_t i = 0;
  const auto skipSpace = [&] {
    while (i < json.size() && (json[i] == ' ' || json[i] == '\t' ||
                               json[i] == '\n' || json[i] == '\r'))
      ++i;
  };
  const auto expect = [&](PhrasorWChar c) {
    skipSpace();
    if (i < json.size() && json[i] == c) {
      ++i;
      return true;
    }
    return false;
  };
  if (!expect('{') || expect('}'))
    return;
  Text id, kind;
  do {
    if (!expect('"') || !readJsonString(json, i, id) || !expect(':') ||
        !expect('"') || !readJsonString(json, i, kind))
      return;
    take(toUtf8(id), toUtf8(kind));
  } while (expect(','));
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

} // namespace

// One entry as the index keeps it: what a lookup returns, then the ID
// folded to lower case, in one block so that a hit touches the slot and
// this record and nothing else.
struct Entry {
  const PhrasorWChar *value; ///< null: the entry has no text
  const char *voice;         ///< null: no voice path
  std::uint32_t valueLength;
  std::uint32_t idLength;
  std::uint32_t number; ///< the entry's place among the parsed-text cells
  Style kind;           ///< Message, Printf or Plain
  std::uint8_t reserved[3];

  const unsigned char *foldedId() const {
    return reinterpret_cast<const unsigned char *>(this + 1);
  }
};
static_assert(sizeof(Entry) % 8 == 0, "records are laid out 8-byte aligned");

// Every catalog state gets a number never given to another, so an entry
// remembered for one is never taken for one of a later state that happens
// to live at the same address.
static std::atomic<std::uint64_t> nextSerial{1};

// The entry this thread formatted last and the state it belongs to: a
// game formats the same few IDs frame after frame, and a repeat then costs
// a comparison of the ID instead of its hash and probe. Per thread, so
// threads formatting different IDs never write to a shared line.
struct LastFound {
  std::uint64_t serial;
  const Entry *entry;
};
static thread_local LastFound lastFound{0, nullptr};

struct Catalog::Impl {
  const std::uint64_t serial =
      nextSerial.fetch_add(1, std::memory_order_relaxed);
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  HSTRINGKEEPER keeper = nullptr;
  std::size_t idCount = 0;
  std::unique_ptr<unsigned char[]> records; ///< Entry after Entry
  /// (hash << 32) | the record's offset in 8-byte words; kEmptySlot if none.
  std::vector<std::uint64_t> slots;
  std::uint32_t mask = 0;
  // Parsed on first use, two per entry (message, printf): many threads may
  // race to fill one, and each publishes a whole object or takes another's.
  std::unique_ptr<std::atomic<const Inserts *>[]> cells;
  Entry noneEntry{};
  std::string localeTag;
  std::unique_ptr<PluralRules> rules;

  ~Impl() {
    if (cells)
      for (std::size_t i = 0; i < 2 * (idCount + 1); ++i)
        delete cells[i].load();
    mgr->ReleaseKeeper(keeper);
  }

  const Entry &none() const { return noneEntry; }
  void build();
  void reserve(const std::vector<const char *> &ids);
  void add(const char *id, std::size_t length, std::int32_t index,
           std::size_t offset, std::uint32_t number);
  void applyRecordedKinds();
  const Entry *lookup(std::string_view id) const;
  const Entry *pluralEntry(std::string_view id, Count count,
                           const Selector &row, std::string &key) const;
  const Inserts &inserts(const Entry &e, Style style) const;
  std::optional<Error> resolve(std::string_view id, const Entry *&e) const;
  Expected<Text> render(const Entry &e, std::string_view id, Style style,
                        const Arg *args, std::size_t count) const;
  Expected<Text> renderPlural(std::string_view id, Count count,
                              const Selector &row, const Arg *args,
                              std::size_t argCount) const;
};

namespace {

Style styleOf(TextKind kind) {
  switch (kind) {
  case TextKind::Message:
    return Style::Message;
  case TextKind::Printf:
    return Style::Printf;
  case TextKind::Plain:
    break;
  }
  return Style::Plain;
}

SelectorValue valueOf(Count count) {
  return {count.scaled(), count.fractionDigits(), count.exponent(), {}};
}

} // namespace

// Room for \p ids: two parsed-text cells each (and two for "<none>"), a
// table at most half full, and one record each with its folded ID.
void Catalog::Impl::reserve(const std::vector<const char *> &ids) {
  idCount = ids.size();
  cells.reset(new std::atomic<const Inserts *>[2 * (idCount + 1)]);
  for (std::size_t i = 0; i < 2 * (idCount + 1); ++i)
    cells[i].store(nullptr, std::memory_order_relaxed);
  std::uint32_t capacity = 16;
  while (capacity < 2 * ids.size())
    capacity *= 2;
  slots.assign(capacity, kEmptySlot);
  mask = capacity - 1;
  std::size_t words = 0;
  for (const char *id : ids)
    words += sizeof(Entry) / 8 + (std::strlen(id) + 8) / 8;
  records.reset(new unsigned char[8 * words + 8]);
}

// Writes the record of \p id (\p length bytes, the runtime's entry
// \p index) at \p offset words into the records, and its slot.
void Catalog::Impl::add(const char *id, std::size_t length, std::int32_t index,
                        std::size_t offset, std::uint32_t number) {
  Entry &e = *new (&records[8 * offset]) Entry{};
  e.idLength = static_cast<std::uint32_t>(length);
  e.number = number;
  unsigned char *folded = &records[8 * offset + sizeof(Entry)];
  FoldAsciiCopy(reinterpret_cast<char *>(folded), id, length);
  std::memset(folded + length, 0, 8 - length % 8);
  e.kind = Style::Plain;
  if (mgr->HasStringByIndex(keeper, index)) {
    e.value = mgr->GetStringByIndex(keeper, index);
    e.valueLength = static_cast<std::uint32_t>(TextView(e.value).size());
    e.kind = styleOf(InferTextKind(e.value).kind);
  }
  if (mgr->HasVoicePathByIndex(keeper, index))
    e.voice = mgr->GetVoicePathByIndex(keeper, index);
  const std::uint32_t hash = foldedHash(id, length);
  std::uint32_t slot = hash & mask;
  while (slots[slot] != kEmptySlot)
    slot = (slot + 1) & mask;
  slots[slot] = std::uint64_t{hash} << 32 | offset;
}

// Kinds the text would not give back, as the tool recorded them.
void Catalog::Impl::applyRecordedKinds() {
  const Entry *kinds = lookup("@kinds");
  if (!kinds || !kinds->value)
    return;
  readKinds(TextView(kinds->value, kinds->valueLength),
            [this](const std::string &id, const std::string &kind) {
              Entry *e = const_cast<Entry *>(lookup(id));
              if (!e || e == &noneEntry)
                return;
              if (kind == "text")
                e->kind = Style::Plain;
              else if (kind == "message")
                e->kind = Style::Message;
              else if (kind == "printf")
                e->kind = Style::Printf;
            });
}

void Catalog::Impl::build() {
  std::vector<const char *> ids;
  mgr->EnumerateIDsByPrefix(
      keeper, "",
      [](const char *id, void *user) {
        static_cast<std::vector<const char *> *>(user)->push_back(id);
      },
      &ids);
  reserve(ids);
  std::size_t used = 0;
  std::size_t previous = 0, previousLength = 0;
  std::uint32_t number = 0;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const char *id = ids[i];
    const std::size_t length = std::strlen(id);
    if (i && previousLength == length && EqualFolded(ids[previous], id, length))
      continue; // a case twin: its key is already in the table
    previous = i;
    previousLength = length;
    std::int32_t index = static_cast<std::int32_t>(i);
    if (i + 1 < ids.size() && std::strlen(ids[i + 1]) == length &&
        EqualFolded(ids[i + 1], id, length))
      index = mgr->GetStringIndex(keeper, id); // which twin the runtime finds
    add(id, length, index, used, number++);
    used += sizeof(Entry) / 8 + (length + 8) / 8;
  }

  // "<none>" is the runtime's reserved ID for no string: the empty text and
  // the empty voice path, even in an empty database.
  Entry &n = noneEntry;
  n.value = mgr->GetStringByIndex(keeper, NONE_STRING_INDEX);
  n.voice = mgr->GetVoicePathByIndex(keeper, NONE_STRING_INDEX);
  n.valueLength = 0;
  n.number = static_cast<std::uint32_t>(idCount);
  n.kind = Style::Plain;

  applyRecordedKinds();
  if (const Entry *tag = lookup("@locale"); tag && tag->value)
    localeTag = toUtf8(TextView(tag->value, tag->valueLength));
  rules.reset(new PluralRules(localeTag));
}

const Entry *Catalog::Impl::lookup(std::string_view id) const {
  if (id.size() == 6 && std::memcmp(id.data(), kNoneId, 6) == 0)
    return &none();
  const std::uint32_t hash = foldedHash(id.data(), id.size());
  for (std::uint32_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const std::uint64_t k = slots[slot];
    if (k == kEmptySlot)
      return nullptr;
    if (static_cast<std::uint32_t>(k >> 32) != hash)
      continue;
    const Entry &e = *reinterpret_cast<const Entry *>(
        &records[8 * static_cast<std::uint32_t>(k)]);
    // A query holding a zero byte never equals a stored ID (those end at
    // their first zero), as the runtime compares terminated strings.
    if (e.idLength == id.size() && foldedMatch(e.foldedId(), id))
      return &e;
  }
}

// The form of \p id that \p count selects by \p row (resolveSelected);
// \p key is left holding its ID, or empty when none has a text.
const Entry *Catalog::Impl::pluralEntry(std::string_view id, Count count,
                                        const Selector &row,
                                        std::string &key) const {
  const Entry *e = nullptr;
  const SelectorValue n = valueOf(count);
  auto has = [&](std::size_t, const std::string &k) {
    return (e = lookup(k)) && e->value;
  };
  auto chosen = [&](std::size_t) { return row.choose(*rules, n); };
  if (resolveSelected(id, row, 1, chosen, has, key) == 0)
    return e;
  key.clear();
  return nullptr;
}

const Inserts &Catalog::Impl::inserts(const Entry &e, Style style) const {
  std::atomic<const Inserts *> &cell =
      cells[2 * e.number + (style == Style::Printf)];
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
  // An entry lives as long as its state, and the serial names the state,
  // so the remembered entry is valid whenever the serial matches.
  // "<none>" is not looked up by its spelling's fold, so it never is here.
  const LastFound last = lastFound;
  if (last.serial == serial && last.entry->idLength == id.size() &&
      foldedMatch(last.entry->foldedId(), id) &&
      !(id.size() == 6 && std::memcmp(id.data(), kNoneId, 6) == 0)) {
    e = last.entry;
    return std::nullopt;
  }
  e = lookup(id);
  // Only entries with a text are remembered: a hit skips the checks below.
  if (e && e != &noneEntry && e->value)
    lastFound = LastFound{serial, e};
  if (!e)
    return Error(Errc::MissingId, "no entry '" + std::string(id) + "'");
  if (!e->value)
    return Error(Errc::NoValue, "entry '" + std::string(id) + "' has no text");
  return std::nullopt;
}

Expected<Text> Catalog::Impl::render(const Entry &e, std::string_view id,
                                     Style style, const Arg *args,
                                     std::size_t count) const {
  if (style == Style::Stored)
    style = e.kind;
  if (style == Style::Plain)
    return Text(e.value, e.valueLength);
  const Inserts &parsed = inserts(e, style);
  if (!parsed.ok)
    return Error(
        Errc::BadMessage,
        "'" + std::string(id) + "': the stored text is not a valid " +
            (style == Style::Message ? "message: " : "printf format: ") +
            parsed.problem);
  ArgList list;
  const PhrasorWChar *text;
  if (std::optional<Error> refused =
          bindArguments(parsed, e.value, id, args, count, list, text))
    return std::move(*refused);
  // Most texts come out near their stored length; the buffer grows only
  // when the formatter says the output was cut.
  std::uint32_t capacity = e.valueLength + e.valueLength / 2 + 32;
  if (capacity > kMaxBuffer)
    capacity = kMaxBuffer;
  Text out;
  if (parsed.plain.ok) {
    out.resize(capacity);
    std::uint32_t written = 0;
    if (writePlainUtf16(parsed.plain, args, count, &out[0], capacity - 1,
                        written)) {
      out.resize(written);
      return out;
    }
  }
  for (;;) {
    out.resize(capacity);
    std::uint32_t written = 0;
    switch (renderText(style, parsed, e.value, &out[0], capacity, text, list,
                       written)) {
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

// The path as UTF-8, for messages: narrowing it to the system code page
// could fail for names outside that code page.
static std::string displayPath(const std::filesystem::path &file) {
  const auto utf8 = file.u8string();
  return std::string(utf8.begin(), utf8.end());
}

Expected<Catalog> Catalog::open(const std::filesystem::path &file) {
  const std::string name = displayPath(file);
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(file, ec);
  if (!std::filesystem::exists(status))
    return Error(Errc::FileNotFound, "'" + name + "': no such file");
  // A FIFO would block the read and a device may never end; a database is
  // a regular file of a size the format can describe.
  if (std::filesystem::is_directory(status))
    return Error(Errc::ReadFailed, "'" + name + "': is a directory");
  if (!std::filesystem::is_regular_file(status))
    return Error(Errc::ReadFailed, "'" + name + "': not a regular file");
  const std::uintmax_t size = std::filesystem::file_size(file, ec);
  if (ec)
    return Error(Errc::ReadFailed, "'" + name + "': cannot be read");
  if (size > kMaxDatabaseFile)
    return Error(Errc::ReadFailed, "'" + name + "': " + std::to_string(size) +
                                       " bytes, larger than a database can be");
#if defined(_WIN32)
  // By the wide path: the narrow one is in the code page, which cannot
  // name every folder a player may install to.
  std::FILE *f = _wfopen(file.c_str(), L"rb");
#else
  std::FILE *f = std::fopen(file.c_str(), "rb");
#endif
  if (!f)
    return Error(Errc::ReadFailed, "'" + name + "': cannot be opened");
  std::vector<std::uint8_t> bytes;
  bytes.reserve(static_cast<std::size_t>(size));
  std::uint8_t chunk[65536];
  std::size_t n;
  bool tooLarge = false;
  // The file may grow while it is read; stop at what a database can hold.
  while (!tooLarge && (n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
    tooLarge = n > kMaxDatabaseFile - bytes.size();
    if (!tooLarge)
      bytes.insert(bytes.end(), chunk, chunk + n);
  }
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed)
    return Error(Errc::ReadFailed, "'" + name + "': read failed");
  if (tooLarge)
    return Error(Errc::ReadFailed,
                 "'" + name + "': larger than a database can be");
  Expected<Catalog> loaded = fromBytes(bytes.data(), bytes.size());
  if (!loaded)
    return Error(loaded.error().code(),
                 "'" + name + "': " + loaded.error().message());
  return loaded;
}

const Catalog::Impl &Catalog::state() const noexcept {
  if (!impl)
    detail::expectedMisuse("use of a moved-from Catalog",
                           "only assignment and destruction are allowed");
  return *impl;
}

std::size_t Catalog::size() const { return state().idCount; }
std::string_view Catalog::locale() const { return state().localeTag; }
HSTRINGKEEPER Catalog::handle() const noexcept { return state().keeper; }

std::optional<TextView> Catalog::find(std::string_view id) const {
  const Entry *e = state().lookup(id);
  if (!e || !e->value)
    return std::nullopt;
  return TextView(e->value, e->valueLength);
}

std::optional<std::string_view> Catalog::voicePath(std::string_view id) const {
  const Entry *e = state().lookup(id);
  if (!e || !e->voice)
    return std::nullopt;
  return std::string_view(e->voice);
}

Expected<Text> Catalog::formatArgs(std::string_view id, Style style,
                                   const Arg *args, std::size_t count) const {
  const Entry *e;
  if (std::optional<Error> missing = state().resolve(id, e))
    return std::move(*missing);
  return state().render(*e, id, style, args, count);
}

Expected<std::size_t> Catalog::formatArgsTo(PhrasorWChar *buffer,
                                            std::size_t length,
                                            std::string_view id, Style style,
                                            const Arg *args,
                                            std::size_t count) const {
  const Entry *e;
  if (std::optional<Error> missing = state().resolve(id, e))
    return std::move(*missing);
  if (style == Style::Stored)
    style = e->kind;
  if (style == Style::Plain) {
    if (!buffer || length <= e->valueLength) {
      if (buffer && length)
        buffer[0] = 0;
      return Error(Errc::TooLong,
                   "'" + std::string(id) + "': the output does not fit in " +
                       std::to_string(length ? length - 1 : 0) + " units");
    }
    std::memcpy(buffer, e->value, e->valueLength * sizeof(PhrasorWChar));
    buffer[e->valueLength] = 0;
    return std::size_t{e->valueLength};
  }
  const Inserts &parsed = state().inserts(*e, style);
  if (!parsed.ok)
    return Error(Errc::BadMessage,
                 "'" + std::string(id) +
                     "': the stored text is not valid: " + parsed.problem);
  if (!buffer || length == 0)
    return Error(Errc::TooLong, "'" + std::string(id) + "': no buffer");
  const std::uint32_t capacity =
      length > kMaxBuffer ? kMaxBuffer : static_cast<std::uint32_t>(length);
  std::uint32_t written = 0;
  if (parsed.plain.ok &&
      writePlainUtf16(parsed.plain, args, count, buffer, capacity - 1, written))
    return std::size_t{written};
  ArgList list;
  const PhrasorWChar *text;
  if (std::optional<Error> refused =
          bindArguments(parsed, e->value, id, args, count, list, text))
    return std::move(*refused);
  switch (renderText(style, parsed, e->value, buffer, capacity, text, list,
                     written)) {
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

// --- UTF-8 output -------------------------------------------------------

namespace {

// A plain text is its own output: it goes to the drain as stored, ended as
// a formatted text would be.
bool copyPlain(const Entry &e, Utf8Drain &drain) {
  return drain.Take(e.value, e.valueLength) && drain.finish();
}

} // namespace

Expected<std::string> Catalog::formatArgsUtf8(std::string_view id, Style style,
                                              const Arg *args,
                                              std::size_t count) const {
  const Entry *e;
  if (std::optional<Error> missing = state().resolve(id, e))
    return std::move(*missing);
  if (style == Style::Stored)
    style = e->kind;
  std::string out;
  Utf8Drain drain(out);
  if (style == Style::Plain) {
    if (copyPlain(*e, drain))
      return out;
    return Error(Errc::TooLong, "'" + std::string(id) +
                                    "': the output is longer than " +
                                    std::to_string(kMaxOutputUnits) + " units");
  }
  const Inserts &parsed = state().inserts(*e, style);
  if (!parsed.ok)
    return Error(
        Errc::BadMessage,
        "'" + std::string(id) + "': the stored text is not a valid " +
            (style == Style::Message ? "message: " : "printf format: ") +
            parsed.problem);
  // A short output of plain inserts is written on the stack and copied
  // once; anything else streams into the string.
  if (parsed.plain.ok) {
    char local[256];
    std::size_t written = 0;
    if (writePlainUtf8(parsed.plain, args, count, local, sizeof local - 1,
                       written))
      return std::string(local, written);
  }
  ArgList list;
  const PhrasorWChar *text;
  if (std::optional<Error> refused =
          bindArguments(parsed, e->value, id, args, count, list, text))
    return std::move(*refused);
  switch (renderUtf8(style, parsed, e->value, text, list, drain)) {
  case RenderResult::Written:
    return out;
  case RenderResult::Refused:
    return Error(Errc::BadMessage,
                 "'" + std::string(id) + "': the formatter refused the text");
  case RenderResult::Cut:
    break;
  }
  return Error(Errc::TooLong, "'" + std::string(id) +
                                  "': the output is longer than " +
                                  std::to_string(kMaxOutputUnits) + " units");
}

Expected<std::size_t> Catalog::formatArgsUtf8To(char *buffer,
                                                std::size_t length,
                                                std::string_view id,
                                                Style style, const Arg *args,
                                                std::size_t count) const {
  const Entry *e;
  if (std::optional<Error> missing = state().resolve(id, e))
    return std::move(*missing);
  if (style == Style::Stored)
    style = e->kind;
  if (!buffer || length == 0)
    return Error(Errc::TooLong, "'" + std::string(id) + "': no buffer");
  Utf8Drain drain(buffer, length - 1);
  RenderResult result = RenderResult::Cut;
  if (style == Style::Plain) {
    if (copyPlain(*e, drain))
      return drain.size();
  } else {
    const Inserts &parsed = state().inserts(*e, style);
    if (!parsed.ok)
      return Error(Errc::BadMessage,
                   "'" + std::string(id) +
                       "': the stored text is not valid: " + parsed.problem);
    std::size_t written = 0;
    if (parsed.plain.ok &&
        writePlainUtf8(parsed.plain, args, count, buffer, length - 1, written))
      return written;
    ArgList list;
    const PhrasorWChar *text;
    if (std::optional<Error> refused =
            bindArguments(parsed, e->value, id, args, count, list, text))
      return std::move(*refused);
    result = renderUtf8(style, parsed, e->value, text, list, drain);
  }
  switch (result) {
  case RenderResult::Written:
    return drain.size();
  case RenderResult::Refused:
    return Error(Errc::BadMessage,
                 "'" + std::string(id) + "': the formatter refused the text");
  case RenderResult::Cut:
    break;
  }
  buffer[0] = 0;
  if (drain.overLimit())
    return Error(Errc::TooLong, "'" + std::string(id) +
                                    "': the output is longer than " +
                                    std::to_string(kMaxOutputUnits) + " units");
  return Error(Errc::TooLong, "'" + std::string(id) +
                                  "': the output does not fit in " +
                                  std::to_string(length - 1) + " bytes");
}

std::string_view Catalog::category(const Selector &row, Count count) const {
  return row.choose(*state().rules, valueOf(count));
}

std::string_view Catalog::pluralCategory(Count count) const {
  return category(kPluralSelector, count);
}

std::string_view Catalog::ordinalCategory(Count count) const {
  return category(kOrdinalSelector, count);
}

bool Catalog::hasPluralRules() const { return state().rules->hasRules(); }

void Catalog::setLocale(std::string_view tag) {
  state(); // a moved-from catalog stops here
  Impl &s = *impl;
  s.localeTag.assign(tag);
  s.rules.reset(new PluralRules(s.localeTag));
}

std::string Catalog::pluralId(std::string_view id, Count count) const {
  std::string key;
  state().pluralEntry(id, count, kPluralSelector, key);
  return key;
}

std::string Catalog::ordinalId(std::string_view id, Count count) const {
  std::string key;
  state().pluralEntry(id, count, kOrdinalSelector, key);
  return key;
}

Expected<Text> Catalog::Impl::renderPlural(std::string_view id, Count count,
                                           const Selector &row, const Arg *args,
                                           std::size_t argCount) const {
  std::string chosen;
  const Entry *form = pluralEntry(id, count, row, chosen);
  if (!form) {
    const Entry *e = lookup(id);
    if (e && !e->value)
      return Error(Errc::NoValue, "entry '" + std::string(id) +
                                      "' has no text and no plural forms");
    return Error(Errc::MissingId,
                 "no entry '" + std::string(id) + "' and no plural forms");
  }
  return render(*form, chosen, Style::Stored, args, argCount);
}

Expected<Text> Catalog::pluralArgs(std::string_view id, Count count,
                                   const Arg *args,
                                   std::size_t argCount) const {
  return state().renderPlural(id, count, kPluralSelector, args, argCount);
}

Expected<Text> Catalog::ordinalArgs(std::string_view id, Count count,
                                    const Arg *args,
                                    std::size_t argCount) const {
  return state().renderPlural(id, count, kOrdinalSelector, args, argCount);
}

// --- Count ----------------------------------------------------------------

Count Count::shown(double value, int fractionDigits) noexcept {
  if (fractionDigits < 0)
    fractionDigits = 0;
  if (fractionDigits > 18)
    fractionDigits = 18;
  if (std::isnan(value) || std::fabs(value) >= 9.2e18)
    return Count(std::isnan(value) || value > 0 ? INT64_MAX : INT64_MIN, 0);
  // The digits printf shows, read back: rounding by hand would differ from
  // the text on halves that binary cannot hold (0.125 shows as "0.12").
  for (int digits = fractionDigits;; --digits) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", digits, value);
    if (std::optional<PluralDecimal> d = parsePluralDecimal(text))
      return Count(d->scaled, d->fractionDigits);
    if (digits == 0)
      return Count(value > 0 ? INT64_MAX : INT64_MIN, 0);
  }
}

std::optional<Count> Count::parse(std::string_view text) noexcept {
  const std::optional<PluralDecimal> d = parsePluralDecimal(text);
  if (!d)
    return std::nullopt;
  return Count(d->scaled, d->fractionDigits, d->exponent);
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
  case Errc::BadLocale:
    return "BadLocale";
  }
  return "?";
}

} // namespace phrasor
