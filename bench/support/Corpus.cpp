//===- Corpus.cpp - Deterministic string catalogs for the benchmarks ------===//

#include "bench/support/Corpus.h"

#include "tools/authoring/DatabaseWriter.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_set>

namespace phrasor::bench {
namespace {

// splitmix64: tiny, fast, and the same sequence everywhere, unlike the
// standard distributions whose output differs between libraries.
class Rng {
public:
  explicit Rng(uint64_t seed) : state(seed) {}
  uint64_t Next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t bound) {
    return static_cast<uint32_t>(Next() % bound);
  }
  template <std::size_t N> const char *Pick(const char *const (&items)[N]) {
    return items[Below(N)];
  }

private:
  uint64_t state;
};

// Prefixes as real games and tools name their strings: screen or system,
// then a sub-area, sometimes a numbered speaker; letter case as inconsistent
// as catalogs grown by many hands.
const char *const kPrefixes[] = {
    "UI_MENU_",    "UI_HUD_",    "UI_Options_", "DLG_NPC_#_", "Dlg_Shop_",
    "ITEM_",       "item_desc_", "QUEST_#_",    "TUT_",       "ACH_",
    "Map_Region_", "SYS_ERR_",   "DLG_NPC_#_",  "UI_MENU_",   "DLG_NPC_#_"};
const char *const kIdWords[] = {
    "TITLE",     "OK",      "CANCEL",  "BACK",     "LINE",     "NAME",
    "DESC",      "TOOLTIP", "Hint",    "Greeting", "Farewell", "Reward",
    "Objective", "SWORD",   "Shield",  "POTION",   "Confirm",  "Label",
    "header",    "body",    "Caption", "STATUS",   "Warning",  "Choice"};
const char *const kWords[] = {
    "the",     "gate",     "opens",  "at",        "dawn",      "press",
    "to",      "continue", "your",   "inventory", "is",        "full",
    "gold",    "quest",    "reward", "merchant",  "sells",     "rare",
    "potions", "Save",     "game",   "settings",  "volume",    "Return",
    "village", "before",   "night",  "falls",     "Schlüssel", "épée",
    "Straße",  "naïve",    "—",      "«Bonjour»", "日本語",    "Ωmega",
    "ÆGIR",    "über",     "café"};
constexpr uint32_t kAsciiWords = 28; // kWords[0..27] are plain ASCII

std::size_t CodePoints(const std::string &s) {
  std::size_t n = 0;
  for (unsigned char c : s)
    n += (c & 0xC0) != 0x80;
  return n;
}

std::string MakeId(Rng &rng, std::size_t n) {
  std::string prefix = rng.Pick(kPrefixes);
  std::string::size_type hash = prefix.find('#');
  if (hash != std::string::npos) {
    // Speakers and quests are numbered; larger catalogs have more of them.
    uint32_t groups = static_cast<uint32_t>(n / 40 + 8);
    char number[16];
    std::snprintf(number, sizeof number, "%04u", rng.Below(groups));
    prefix.replace(hash, 1, number);
  }
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "_%04u", rng.Below(10000));
  return prefix + rng.Pick(kIdWords) + suffix;
}

std::string MakeValue(Rng &rng, bool inserts) {
  const std::size_t target = 10 + rng.Below(71);
  const bool foreign = rng.Below(6) == 0;
  std::string value;
  if (inserts)
    value = rng.Below(2) ? "%1!s! found %2!d!" : "Hello %1!s!, you have %2!d!";
  while (CodePoints(value) < target) {
    const char *word = foreign ? kWords[rng.Below(std::size(kWords))]
                               : kWords[rng.Below(kAsciiWords)];
    std::string next = value.empty() ? word : value + " " + word;
    if (CodePoints(next) > 80)
      break;
    value = std::move(next);
  }
  while (CodePoints(value) < 10)
    value += '.';
  return value;
}

std::string MakeVoice(const std::string &id) {
  std::string path = "vo/";
  for (char c : id)
    path += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return path + ".ogg";
}

} // namespace

std::string FoldId(std::string_view id) {
  std::string folded(id);
  for (char &c : folded)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return folded;
}

std::vector<CorpusEntry> MakeCorpus(std::size_t n) {
  Rng rng(0x5EEDF00Dull + n);
  std::vector<CorpusEntry> corpus;
  std::unordered_set<std::string> seen;
  corpus.reserve(n);
  seen.reserve(n);
  corpus.push_back({kScoreId, kScoreValue, ""});
  seen.insert(FoldId(kScoreId));
  while (corpus.size() < n) {
    std::string id = MakeId(rng, n);
    if (!seen.insert(FoldId(id)).second)
      continue;
    const bool inserts = corpus.size() % 3 == 0;
    CorpusEntry entry{id, MakeValue(rng, inserts), ""};
    if (rng.Below(4) == 0)
      entry.voice = MakeVoice(id);
    corpus.push_back(std::move(entry));
  }
  return corpus;
}

std::vector<std::string> MakeMisses(const std::vector<CorpusEntry> &corpus,
                                    std::size_t count) {
  std::unordered_set<std::string> present;
  present.reserve(corpus.size());
  for (const CorpusEntry &e : corpus)
    present.insert(FoldId(e.id));
  Rng rng(0xABCDEFull + corpus.size());
  std::vector<std::string> misses;
  misses.reserve(count);
  while (misses.size() < count) {
    // A near neighbour of a real ID: same prefix, so the search runs as
    // deep as for a hit before it fails.
    std::string id = corpus[rng.Below(static_cast<uint32_t>(corpus.size()))].id;
    id += rng.Below(2) ? "_ALT" : "x";
    if (!present.count(FoldId(id)))
      misses.push_back(std::move(id));
  }
  return misses;
}

std::vector<uint32_t> RandomOrder(std::size_t n, std::size_t count) {
  std::vector<uint32_t> all(n);
  for (std::size_t i = 0; i < n; ++i)
    all[i] = static_cast<uint32_t>(i);
  Rng rng(0x0DDBA11ull + n);
  for (std::size_t i = n; i > 1; --i)
    std::swap(all[i - 1], all[rng.Below(static_cast<uint32_t>(i))]);
  std::vector<uint32_t> order;
  order.reserve(count);
  for (std::size_t i = 0; i < count; ++i)
    order.push_back(all[i % n]);
  return order;
}

std::u16string Utf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    uint32_t cp;
    int extra;
    if (c < 0x80) {
      cp = c;
      extra = 0;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      extra = 2;
    } else {
      cp = c & 0x07;
      extra = 3;
    }
    ++i;
    for (int k = 0; k < extra && i < utf8.size(); ++k, ++i)
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

std::vector<uint8_t> BuildSkdb(const std::vector<CorpusEntry> &corpus) {
  std::vector<authoring::Entry> entries;
  entries.reserve(corpus.size());
  for (const CorpusEntry &e : corpus) {
    authoring::Entry entry{e.id, Utf16(e.value), std::nullopt};
    if (!e.voice.empty())
      entry.voicePath = e.voice;
    entries.push_back(std::move(entry));
  }
  std::optional<std::vector<uint8_t>> bytes = authoring::BuildDatabase(entries);
  if (!bytes) {
    std::fprintf(stderr, "bench: the generated catalog does not compile\n");
    std::abort();
  }
  return std::move(*bytes);
}

namespace {
uint32_t Word(const uint8_t *p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
} // namespace

uint64_t CopyFloor(const std::vector<uint8_t> &file) {
  const uint32_t ids = Word(file.data() + 8), total = Word(file.data() + 12),
                 voices = Word(file.data() + 16);
  // Fresh memory each time, as a loader must obtain it: the page faults of
  // a large block are part of the floor.
  char *block = static_cast<char *>(std::malloc(file.size()));
  std::memcpy(block, file.data(), file.size());
  const char *cursor = block + 24;
  uint64_t sum = 0;
  for (uint32_t i = 0; i < ids; ++i) {
    std::size_t n = std::strlen(cursor);
    sum += n;
    cursor += (n + 4) & ~std::size_t{3};
  }
  for (uint32_t j = ids; j < total; ++j) {
    const char16_t *w = reinterpret_cast<const char16_t *>(cursor);
    std::size_t n = 0;
    while (w[n])
      ++n;
    sum += n;
    cursor += (2 * n + 5) & ~std::size_t{3};
  }
  for (uint32_t k = 0; k < voices; ++k) {
    std::size_t n = std::strlen(cursor);
    sum += n;
    cursor += (n + 4) & ~std::size_t{3};
  }
  sum += static_cast<uint64_t>(cursor - block);
  std::free(block);
  return sum;
}

const Dataset &GetDataset(std::size_t n) {
  static std::mutex lock;
  static std::map<std::size_t, std::unique_ptr<Dataset>> cache;
  std::lock_guard<std::mutex> guard(lock);
  std::unique_ptr<Dataset> &slot = cache[n];
  if (!slot) {
    slot = std::make_unique<Dataset>();
    slot->entries = MakeCorpus(n);
    slot->file = BuildSkdb(slot->entries);
  }
  return *slot;
}

void *CountingMemory::Allocate(uint32_t size) {
  // A header in front of each block remembers its size for Free.
  void *raw = std::malloc(size + sizeof(std::max_align_t));
  if (!raw)
    return nullptr;
  *static_cast<uint32_t *>(raw) = size;
  live.fetch_add(size, std::memory_order_relaxed);
  return static_cast<char *>(raw) + sizeof(std::max_align_t);
}

void CountingMemory::Free(void *block) {
  if (!block)
    return;
  char *raw = static_cast<char *>(block) - sizeof(std::max_align_t);
  live.fetch_sub(*reinterpret_cast<uint32_t *>(raw), std::memory_order_relaxed);
  std::free(raw);
}

} // namespace phrasor::bench
