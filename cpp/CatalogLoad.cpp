//===- CatalogLoad.cpp - Opening a string database as a catalog -----------===//
//
// At open the catalog reads every entry back through the exported lookups
// (so what it holds is exactly what the runtime answers) into a hash table
// keyed by the ID folded to lower case: a lookup then hashes the ID once
// and compares one candidate, instead of the runtime's halving search. Case
// twins, IDs equal but for case, share one key; the runtime is asked once
// which of them it finds, and the key answers with that entry.
//
//===----------------------------------------------------------------------===//

#include "cpp/CatalogState.h"
#include "cpp/LocaleName.h"

#include "cpp/LoadCheck.h"
#include "cpp/Particles.h"
#include "format/TextKind.h"
#include "keeper/DatabaseFormat.h"
#include "phrasor/Key.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>

namespace phrasor {
namespace {

// A database is a header, a string block and a table of reference pairs,
// the last two sized in 32 bits, and is read into memory whole.
constexpr std::uintmax_t kMaxDatabaseFile =
    sizeof(std::size_t) > 4
        ? std::uintmax_t{kHeaderSize} + 2 * std::uintmax_t{0xFFFFFFFFu}
        : std::uintmax_t{0x7FFFFFFFu};

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

// Serves the runtime's reads from the file itself. A load reads the string
// block in one request and the rest in small ones: the block goes from the
// file straight into the keeper's memory, the small reads come from a
// buffer. So an open holds one copy of the database, the keeper's, where
// reading the file first held two at once.
//
// Reading beats mapping the file here: the runtime copies what it keeps
// either way, so a mapping saves no copy, its touched pages count as
// resident until it is unmapped, and a file cut short while mapped (an
// editor saving over it in place, which a watcher may well see) kills the
// process instead of failing the read.
class FileStream final : public IReadStream {
public:
  explicit FileStream(std::FILE *file) : f(file) {
    std::setvbuf(f, nullptr, _IONBF, 0); // this class is the buffer
  }
  std::int32_t Read(void *buffer, std::uint32_t n) override {
    // The reference pairs come as two reads of four bytes each per entry.
    if (n == 4 && end - at >= 4) {
      std::memcpy(buffer, chunk + at, 4);
      at += 4;
      return 0;
    }
    auto *out = static_cast<std::uint8_t *>(buffer);
    const std::size_t held = std::min<std::size_t>(n, end - at);
    if (held)
      std::memcpy(out, chunk + at, held);
    at += held;
    out += held;
    n -= static_cast<std::uint32_t>(held);
    if (!n)
      return 0;
    if (n >= sizeof chunk)
      return std::fread(out, 1, n, f) == n ? 0 : 1;
    end = std::fread(chunk, 1, sizeof chunk, f);
    at = 0;
    if (end < n)
      return 1;
    std::memcpy(out, chunk, n);
    at = n;
    return 0;
  }

private:
  std::FILE *f;
  std::uint8_t chunk[65536];
  std::size_t at = 0, end = 0;
};

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

} // namespace

Style inferredKind(const PhrasorWChar *value) {
  const KindInference kind = InferTextKind(value);
  // "%'d" and "%(이/가)s" are no conversions to the runtime, which takes
  // the text as plain; without the grouping flags and the particle pairs
  // it may read as the printf text it is.
  if (kind.kind == TextKind::Plain && kind.doubt == KindDoubt::LonePercent) {
    const Text bare = withoutGroupingFlags(
        takeParticles(value, Style::Printf).text.c_str(), Style::Printf);
    if (InferTextKind(bare.c_str()).kind == TextKind::Printf)
      return Style::Printf;
  }
  return styleOf(kind.kind);
}

// Room for IDs of \p lengths: two parsed-text cells each (and two for
// "<none>"), a table at most half full, and one record each with its
// folded ID.
void Catalog::Impl::reserve(const std::vector<std::uint32_t> &lengths) {
  idCount = lengths.size();
  cells.reset(new std::atomic<const Inserts *>[2 * (idCount + 1)]);
  for (std::size_t i = 0; i < 2 * (idCount + 1); ++i)
    cells[i].store(nullptr, std::memory_order_relaxed);
  std::uint32_t capacity = 16;
  while (capacity < 2 * lengths.size())
    capacity *= 2;
  slots.assign(capacity, kEmptySlot);
  mask = capacity - 1;
  std::size_t words = 0;
  for (const std::uint32_t length : lengths)
    words += sizeof(Entry) / 8 + (length + 8) / 8;
  records.reset(new unsigned char[8 * words + 8]);
}

// Writes the record of \p id (\p length bytes, the runtime's entry
// \p index) at \p offset words into the records; returns its slot word.
std::uint64_t Catalog::Impl::add(const char *id, std::size_t length,
                                 std::int32_t index, std::size_t offset,
                                 std::uint32_t number) {
  Entry &e = *new (&records[8 * offset]) Entry{};
  e.idLength = static_cast<std::uint32_t>(length);
  e.number = number;
  unsigned char *folded = &records[8 * offset + sizeof(Entry)];
  FoldAsciiCopy(reinterpret_cast<char *>(folded), id, length);
  std::memset(folded + length, 0, 8 - length % 8);
  e.kindCell.store(Style::Plain, std::memory_order_relaxed);
  if (mgr->HasStringByIndex(keeper, index)) {
    e.value = mgr->GetStringByIndex(keeper, index);
    e.valueLength = static_cast<std::uint32_t>(TextView(e.value).size());
    e.kindCell.store(Style::Stored, std::memory_order_relaxed);
  }
  if (mgr->HasVoicePathByIndex(keeper, index))
    e.voice = mgr->GetVoicePathByIndex(keeper, index);
  return std::uint64_t{foldedHash(id, length)} << 32 | offset;
}

// Fills the table with \p words (slot words) in the order of their home
// slots, one band of the table at a time. Placed in the IDs' order they
// wrote all over a table larger than the caches, a miss for each entry,
// which was most of the cost of an open.
void Catalog::Impl::place(const std::vector<std::uint64_t> &words) {
  const auto insert = [this](std::uint64_t word) {
    std::uint32_t slot = static_cast<std::uint32_t>(word >> 32) & mask;
    while (slots[slot] != kEmptySlot)
      slot = (slot + 1) & mask;
    slots[slot] = word;
  };
  constexpr unsigned kBandBits = 8;
  unsigned tableBits = 0;
  while ((std::size_t{1} << tableBits) < slots.size())
    ++tableBits;
  if (tableBits < kBandBits + 8) { // a table that fits the caches
    for (std::uint64_t word : words)
      insert(word);
    return;
  }
  const unsigned shift = tableBits - kBandBits;
  const auto band = [&](std::uint64_t word) {
    return (static_cast<std::uint32_t>(word >> 32) & mask) >> shift;
  };
  std::vector<std::size_t> start((std::size_t{1} << kBandBits) + 1, 0);
  for (std::uint64_t word : words)
    ++start[band(word) + 1];
  for (std::size_t b = 1; b < start.size(); ++b)
    start[b] += start[b - 1];
  std::vector<std::uint64_t> sorted(words.size());
  for (std::uint64_t word : words)
    sorted[start[band(word)]++] = word;
  for (std::uint64_t word : sorted)
    insert(word);
}

// Kinds the text would not give back, as the tool recorded them.
void Catalog::Impl::applyRecordedKinds() {
  const Entry *kinds = lookupStored("@kinds");
  if (!kinds || !kinds->value)
    return;
  readKinds(TextView(kinds->value, kinds->valueLength),
            [this](const std::string &id, const std::string &kind) {
              Entry *e = const_cast<Entry *>(lookupStored(id));
              if (!e || e == &noneEntry)
                return;
              if (kind == "text")
                e->kindCell.store(Style::Plain, std::memory_order_relaxed);
              else if (kind == "message")
                e->kindCell.store(Style::Message, std::memory_order_relaxed);
              else if (kind == "printf")
                e->kindCell.store(Style::Printf, std::memory_order_relaxed);
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
  // Each ID's length, and whether the next one is its case twin, found
  // once: IDs of one shape share long prefixes and equal lengths.
  std::vector<std::uint32_t> lengths(ids.size());
  for (std::size_t i = 0; i < ids.size(); ++i)
    lengths[i] = static_cast<std::uint32_t>(std::strlen(ids[i]));
  reserve(lengths);
  std::vector<std::uint64_t> words;
  words.reserve(ids.size());
  std::size_t used = 0;
  std::uint32_t number = 0;
  bool twinOfLast = false;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    const char *id = ids[i];
    const std::size_t length = lengths[i];
    const bool twinOfNext = i + 1 < ids.size() && lengths[i + 1] == length &&
                            EqualFolded(ids[i + 1], id, length);
    const bool skip = twinOfLast; // its key is already in the table
    twinOfLast = twinOfNext;
    if (skip)
      continue;
    caseMarked = caseMarked || id[0] == Key::kCaseMark;
    std::int32_t index = static_cast<std::int32_t>(i);
    if (twinOfNext)
      index = mgr->GetStringIndex(keeper, id); // which twin the runtime finds
    words.push_back(add(id, length, index, used, number++));
    used += sizeof(Entry) / 8 + (length + 8) / 8;
  }
  place(words);

  // "<none>" is the runtime's reserved ID for no string: the empty text and
  // the empty voice path, even in an empty database.
  Entry &n = noneEntry;
  n.value = mgr->GetStringByIndex(keeper, NONE_STRING_INDEX);
  n.voice = mgr->GetVoicePathByIndex(keeper, NONE_STRING_INDEX);
  n.valueLength = 0;
  n.number = static_cast<std::uint32_t>(idCount);
  n.kindCell.store(Style::Plain, std::memory_order_relaxed);

  applyRecordedKinds();
  if (const Entry *tag = lookupStored("@locale"); tag && tag->value)
    localeTag = toUtf8(TextView(tag->value, tag->valueLength));
  rules.reset(new PluralRules(localeTag));
  numberStyle = &numberStyleFor(localeTag);
  rightToLeft = writtenRightToLeft(localeTag);
  // Parsed once here, so a lookup that asks the expression allocates
  // nothing; a malformed one is no expression at all.
  if (const Entry *forms = lookupStored(kPluralFormsId); forms && forms->value)
    gettext.read(toUtf8(TextView(forms->value, forms->valueLength)));
}

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

// Why \p file cannot be a database, or nothing (and its size in \p size).
static std::optional<Error> checkFile(const std::filesystem::path &file,
                                      const std::string &name,
                                      std::uintmax_t &size) {
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
  size = std::filesystem::file_size(file, ec);
  if (ec)
    return Error(Errc::ReadFailed, "'" + name + "': cannot be read");
  if (size > kMaxDatabaseFile)
    return Error(Errc::ReadFailed, "'" + name + "': " + std::to_string(size) +
                                       " bytes, larger than a database can be");
  return std::nullopt;
}

// The whole of \p f from its start, for saying why the runtime refused it:
// the rules are checked against every byte, which the stream never needed.
static std::optional<Error> readWhole(std::FILE *f, const std::string &name,
                                      std::vector<std::uint8_t> &bytes) {
  std::rewind(f);
  std::uint8_t chunk[65536];
  std::size_t n;
  bool tooLarge = false;
  // The file may grow while it is read; stop at what a database can hold.
  while (!tooLarge && (n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
    tooLarge = n > kMaxDatabaseFile - bytes.size();
    if (!tooLarge)
      bytes.insert(bytes.end(), chunk, chunk + n);
  }
  if (std::ferror(f))
    return Error(Errc::ReadFailed, "'" + name + "': read failed");
  if (tooLarge)
    return Error(Errc::ReadFailed,
                 "'" + name + "': larger than a database can be");
  return std::nullopt;
}

Expected<Catalog> Catalog::open(const std::filesystem::path &file) {
  const std::string name = displayPath(file);
  std::uintmax_t size = 0;
  if (std::optional<Error> bad = checkFile(file, name, size))
    return *bad;
#if defined(_WIN32)
  // By the wide path: the narrow one is in the code page, which cannot
  // name every folder a player may install to.
  std::FILE *f = _wfopen(file.c_str(), L"rb");
#else
  std::FILE *f = std::fopen(file.c_str(), "rb");
#endif
  if (!f)
    return Error(Errc::ReadFailed, "'" + name + "': cannot be opened");
  std::unique_ptr<Impl> impl(new Impl);
  {
    FileStream stream(f);
    impl->keeper = impl->mgr->CreateKeeper(&stream);
  }
  if (impl->keeper) {
    std::fclose(f);
    impl->build();
    return Catalog(std::move(impl));
  }
  // Refused: read the file whole and load it again from memory, which
  // names the broken rule (and loads a file that changed meanwhile).
  std::vector<std::uint8_t> bytes;
  bytes.reserve(static_cast<std::size_t>(size));
  const std::optional<Error> unread = readWhole(f, name, bytes);
  std::fclose(f);
  if (unread)
    return *unread;
  Expected<Catalog> loaded = fromBytes(bytes.data(), bytes.size());
  if (!loaded)
    return Error(loaded.error().code(),
                 "'" + name + "': " + loaded.error().message());
  return loaded;
}

} // namespace phrasor
