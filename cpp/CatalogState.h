//===- CatalogState.h - What an open catalog holds ---------------*- C++
//-*-===//
//
// The state behind a Catalog, shared by the code that builds it at open
// and the code that looks up and formats from it: the records of the
// entries and the hash table over their folded IDs.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_CATALOGSTATE_H
#define PHRASOR_CPP_CATALOGSTATE_H

#include "phrasor/Catalog.h"

#include "phrasor/Style.h"

#include "base/AsciiFold.h"
#include "cpp/GettextPlural.h"
#include "cpp/Inserts.h"
#include "cpp/Plural.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace phrasor {

inline constexpr const char *kNoneId = "<none>";
inline constexpr std::uint64_t kEmptySlot = ~std::uint64_t{0};

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

/// The kind \p value reads as (it is not null).
Style inferredKind(const PhrasorWChar *value);

// One entry as the index keeps it: what a lookup returns, then the ID
// folded to lower case, in one block so that a hit touches the slot and
// this record and nothing else.
struct Entry {
  const PhrasorWChar *value; ///< null: the entry has no text
  const char *voice;         ///< null: no voice path
  std::uint32_t valueLength;
  std::uint32_t idLength;
  std::uint32_t number; ///< the entry's place among the parsed-text cells
  /// Message, Printf or Plain; Stored until the text is first read for it.
  mutable std::atomic<Style> kindCell;
  std::uint8_t reserved[3];

  // The kind a text reads as is found when the entry is first formatted:
  // reading every text at open was a fifth of the open, for entries most
  // programs never format. Threads racing here store the same answer.
  Style kind() const {
    Style k = kindCell.load(std::memory_order_relaxed);
    if (k == Style::Stored) {
      k = inferredKind(value);
      kindCell.store(k, std::memory_order_relaxed);
    }
    return k;
  }

  const unsigned char *foldedId() const {
    return reinterpret_cast<const unsigned char *>(this + 1);
  }
};
static_assert(sizeof(Entry) % 8 == 0, "records are laid out 8-byte aligned");

// Every catalog state gets a number never given to another, so an entry
// remembered for one is never taken for one of a later state that happens
// to live at the same address.
inline std::atomic<std::uint64_t> nextSerial{1};

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
  /// How the locale writes numbers, for the inserts the layer writes.
  const numbers::NumberStyle *numberStyle = &numbers::kStyles[0];
  /// Whether the locale is written right to left, and whether the host
  /// asked for inserts set apart in such a catalog (setIsolateInserts): a
  /// Localizer may set it on a catalog a reload keeps while others read.
  bool rightToLeft = false;
  std::atomic<bool> isolateAsked{false};
  bool isolating() const {
    return rightToLeft && isolateAsked.load(std::memory_order_relaxed);
  }
  /// Whether a call of \p parsed sets its inserts apart in a copy of the
  /// text: a text parsed before it was asked for has no marked twin.
  bool marksPerCall(const Inserts &parsed) const {
    return isolating() && !parsed.setApart;
  }
  GettextPlural gettext; ///< @plural-forms, when the database has it
  /// Whether an ID begins with Key::kCaseMark: only then may a source
  /// text be stored with its case marked, and be looked up so first.
  bool caseMarked = false;

  ~Impl() {
    if (cells)
      for (std::size_t i = 0; i < 2 * (idCount + 1); ++i)
        delete cells[i].load();
    mgr->ReleaseKeeper(keeper);
  }

  const Entry &none() const { return noneEntry; }
  void build();
  void reserve(const std::vector<std::uint32_t> &lengths);
  std::uint64_t add(const char *id, std::size_t length, std::int32_t index,
                    std::size_t offset, std::uint32_t number);
  void place(const std::vector<std::uint64_t> &words);
  void applyRecordedKinds();
  /// The entry a caller's \p id names: a source text such as "@locale"
  /// finds its message, stored escaped (Key::escapeSourceText), and never
  /// the tool's own entry.
  const Entry *lookup(std::string_view id) const;
  /// The entry stored as \p id, the tool's own included.
  const Entry *lookupStored(std::string_view id) const;
  const Entry *lookupMarked(std::string_view id) const;
  const Entry *pluralEntry(std::string_view id, Count count,
                           const Selector &row, std::string &key) const;
  const Inserts &inserts(const Entry &e, Style style) const;
  std::optional<Error> resolve(std::string_view id, const Entry *&e) const;
  Expected<Text> render(const Entry &e, std::string_view id, Style style,
                        const Arg *args, std::size_t count) const;
  Expected<Text> renderPlural(std::string_view id, Count count,
                              const Selector &row, const Arg *args,
                              std::size_t argCount) const;
  const Entry *selectEntry(std::string_view id, const Selection &choice,
                           std::string &key) const;
  Expected<Text> renderForm(std::string_view id, const Entry *form,
                            std::string_view chosen, std::string_view kind,
                            const Arg *args, std::size_t argCount) const;
};

} // namespace phrasor

#endif // PHRASOR_CPP_CATALOGSTATE_H
