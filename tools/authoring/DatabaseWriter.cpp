//===- DatabaseWriter.cpp - Writing compiled string databases -------------===//

#include "tools/authoring/DatabaseWriter.h"

#include "base/StrUtil.h"

#include <algorithm>
#include <functional>
#include <string_view>
#include <utility>

namespace phrasor::authoring {
namespace {

void PutWord(std::vector<uint8_t> &out, uint32_t word) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<uint8_t>(word >> shift));
}

// Each string fills its slot: its units, the terminator, zero padding.
void PutNarrow(std::vector<uint8_t> &out, const std::string &s) {
  const std::size_t start = out.size();
  out.insert(out.end(), s.begin(), s.end());
  out.resize(start + NarrowSlot(s.size()), 0);
}

void PutWide(std::vector<uint8_t> &out, const std::u16string &s) {
  const std::size_t start = out.size();
  out.resize(start + WideSlot(s.size()), 0);
  uint8_t *at = out.data() + start;
  for (char16_t unit : s) {
    *at++ = static_cast<uint8_t>(unit);
    *at++ = static_cast<uint8_t>(unit >> 8);
  }
}

} // namespace

// The loader's own comparison, so the writer's order is by construction the
// order the lookups search.
int CompareIds(const std::string &a, const std::string &b) {
  int r = StrICmp(a.c_str(), b.c_str());
  return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

namespace {

void FindNuls(const std::vector<Entry> &entries,
              std::vector<CompileIssue> &issues) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Entry &e = entries[i];
    if (e.id.find('\0') != std::string::npos)
      issues.push_back({CompileIssue::NulInId, i, i});
    if (e.value && e.value->find(u'\0') != std::u16string::npos)
      issues.push_back({CompileIssue::NulInValue, i, i});
    if (e.voicePath && e.voicePath->find('\0') != std::string::npos)
      issues.push_back({CompileIssue::NulInVoicePath, i, i});
  }
}

// The IDs as the loader's comparison sees them: folded to lower case and
// ending at their first NUL, so that comparing two of them bytewise orders
// them as CompareIds does, with the long shared prefixes of real IDs
// compared many bytes a step instead of folded one byte at a time. They
// share one buffer: a string of its own for each ID was a malloc per entry.
struct FoldedIds {
  std::string bytes;
  std::vector<std::size_t> starts; ///< one per ID, and the end

  std::string_view operator[](std::size_t i) const {
    return std::string_view(bytes).substr(starts[i], starts[i + 1] - starts[i]);
  }
};

FoldedIds FoldIds(const std::vector<Entry> &entries) {
  FoldedIds folded;
  std::size_t total = 0;
  for (const Entry &e : entries)
    total += e.id.size();
  folded.bytes.resize(total);
  folded.starts.reserve(entries.size() + 1);
  char *at = folded.bytes.data();
  for (const Entry &e : entries) {
    folded.starts.push_back(static_cast<std::size_t>(at - folded.bytes.data()));
    for (unsigned char c : e.id) {
      if (c == 0)
        break;
      *at++ = static_cast<char>(FoldAscii(c));
    }
  }
  folded.starts.push_back(static_cast<std::size_t>(at - folded.bytes.data()));
  return folded;
}

// The entries' positions in ID order. Equal IDs stay in input order, so a
// duplicate is always reported against the entry that came first.
std::vector<std::size_t> SortedOrder(const std::vector<Entry> &entries,
                                     std::vector<CompileIssue> &issues) {
  const FoldedIds folded = FoldIds(entries);
  // Each ID sorted beside its entry: looking its folded form up through
  // the position at every comparison missed the cache.
  std::vector<std::pair<std::string_view, std::size_t>> sorted;
  sorted.reserve(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i)
    sorted.emplace_back(folded[i], i);
  // Merging, as sources often come nearly sorted already.
  std::stable_sort(
      sorted.begin(), sorted.end(),
      [](const auto &a, const auto &b) { return a.first < b.first; });
  std::vector<std::size_t> order;
  order.reserve(sorted.size());
  std::size_t first = 0; // the first entry of the current run of equal IDs
  for (std::size_t k = 0; k < sorted.size(); ++k) {
    if (k == 0 || sorted[k].first != sorted[k - 1].first)
      first = sorted[k].second;
    else
      issues.push_back({CompileIssue::DuplicateId, sorted[k].second, first});
    order.push_back(sorted[k].second);
  }
  return order;
}

// Numbers distinct strings in the order they are first met, over views of
// the entries' own strings. Shared texts are stored once, so every value
// is looked up: open addressing keeps that to a probe of one array, where
// a std::unordered_map allocated a node for each value and chased it.
template <typename View> class Distinct {
public:
  explicit Distinct(std::size_t most) {
    std::size_t capacity = 16;
    while (capacity < most + most / 2)
      capacity *= 2;
    mask = capacity - 1;
    slots.assign(capacity, 0);
    seen.reserve(most);
  }

  /// The number of \p text, and whether it was met for the first time.
  std::pair<uint32_t, bool> Add(View text) {
    const std::size_t hash = std::hash<View>{}(text);
    const uint64_t tag = static_cast<uint32_t>(hash);
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
      const uint64_t slot = slots[at];
      if (slot == 0) {
        const auto number = static_cast<uint32_t>(seen.size());
        slots[at] = (tag << 32) | (uint64_t{number} + 1);
        seen.push_back(text);
        return {number, true};
      }
      const auto number = static_cast<uint32_t>(slot) - 1;
      if (slot >> 32 == tag && seen[number] == text)
        return {number, false};
    }
  }

private:
  std::size_t mask = 0;
  std::vector<uint64_t> slots; ///< the hash's low half, and number + 1
  std::vector<View> seen;
};

// How many of the entries have a value and how many a voice path.
std::pair<std::size_t, std::size_t>
CountOptional(const std::vector<Entry> &entries) {
  std::size_t values = 0, paths = 0;
  for (const Entry &e : entries) {
    values += e.value ? 1 : 0;
    paths += e.voicePath ? 1 : 0;
  }
  return {values, paths};
}

} // namespace

LayoutResult Lay(const std::vector<Entry> &entries, uint64_t blockLimit) {
  LayoutResult result;
  FindNuls(entries, result.issues);
  std::vector<std::size_t> order = SortedOrder(entries, result.issues);
  if (!result.issues.empty())
    return result;
  Layout &layout = result.layout;
  const auto [valueCount, pathCount] = CountOptional(entries);
  Distinct<std::u16string_view> values(valueCount);
  Distinct<std::string_view> paths(pathCount);
  layout.pairs.reserve(order.size());
  // The block's size is counted as it grows: past its limit the header
  // could not state it, and a size cut to 32 bits makes a file the loader
  // refuses or misreads. Each slot takes at least four bytes, so the
  // counts and references fit their 32 bits while the block does.
  uint64_t blockSize = 0;
  for (std::size_t i : order) {
    const Entry &e = entries[i];
    blockSize += NarrowSlot(e.id.size());
    RefPair pair;
    if (e.value) {
      const std::pair<uint32_t, bool> found = values.Add(*e.value);
      if (found.second) {
        layout.values.push_back(i);
        blockSize += WideSlot(e.value->size());
      }
      pair.valueRef = found.first;
    }
    if (e.voicePath) {
      const std::pair<uint32_t, bool> found = paths.Add(*e.voicePath);
      if (found.second) {
        layout.voicePaths.push_back(i);
        blockSize += NarrowSlot(e.voicePath->size());
      }
      pair.voicePathRef = found.first;
    }
    layout.pairs.push_back(pair);
    if (blockSize > blockLimit) {
      result.issues.push_back({CompileIssue::TooLarge, i, i});
      result.layout = Layout{};
      return result;
    }
  }
  layout.order = std::move(order);
  layout.blockSize = blockSize;
  return result;
}

CompileResult Compile(const std::vector<Entry> &entries, uint64_t blockLimit) {
  LayoutResult laid = Lay(entries, blockLimit);
  CompileResult result;
  result.issues = std::move(laid.issues);
  if (!result.issues.empty())
    return result;
  const Layout &layout = laid.layout;
  RawDatabase &db = result.database;
  db.ids.reserve(layout.order.size());
  for (std::size_t i : layout.order)
    db.ids.push_back(entries[i].id);
  db.values.reserve(layout.values.size());
  for (std::size_t i : layout.values)
    db.values.push_back(*entries[i].value);
  for (std::size_t i : layout.voicePaths)
    db.voicePaths.push_back(*entries[i].voicePath);
  db.pairs = layout.pairs;
  return result;
}

std::vector<uint8_t> Serialize(const RawDatabase &db) {
  // The block's size is known before it is written, so the file is laid
  // out in one buffer of its final size: at 200,000 entries a block grown
  // as written and then copied was a fifth of a build's page faults.
  std::size_t blockSize = 0;
  for (const std::string &id : db.ids)
    blockSize += NarrowSlot(id.size());
  for (const std::u16string &value : db.values)
    blockSize += WideSlot(value.size());
  for (const std::string &path : db.voicePaths)
    blockSize += NarrowSlot(path.size());

  std::vector<uint8_t> out;
  out.reserve(kHeaderSize + blockSize + kRefPairSize * db.pairs.size() +
              db.trailer.size());
  PutWord(out, db.magic);
  PutWord(out, db.version);
  PutWord(out, db.idCount.value_or(static_cast<uint32_t>(db.ids.size())));
  PutWord(out, db.stringTotal.value_or(
                   static_cast<uint32_t>(db.ids.size() + db.values.size())));
  PutWord(out, db.voicePathCount.value_or(
                   static_cast<uint32_t>(db.voicePaths.size())));
  PutWord(out, db.blockSize.value_or(static_cast<uint32_t>(blockSize)));
  for (const std::string &id : db.ids)
    PutNarrow(out, id);
  for (const std::u16string &value : db.values)
    PutWide(out, value);
  for (const std::string &path : db.voicePaths)
    PutNarrow(out, path);
  for (const RefPair &pair : db.pairs) {
    PutWord(out, pair.valueRef);
    PutWord(out, pair.voicePathRef);
  }
  out.insert(out.end(), db.trailer.begin(), db.trailer.end());
  return out;
}

namespace {

/// Writes the file of \p layout into \p out, calling \p full whenever it
/// holds \p piece bytes or more.
template <typename Full>
void WriteLaidOut(const std::vector<Entry> &entries, const Layout &layout,
                  std::vector<uint8_t> &out, std::size_t piece, Full full) {
  auto put = [&](auto write) {
    write();
    if (out.size() >= piece)
      full();
  };
  PutWord(out, kDatabaseMagic);
  PutWord(out, kDatabaseVersion);
  PutWord(out, static_cast<uint32_t>(layout.order.size()));
  PutWord(out,
          static_cast<uint32_t>(layout.order.size() + layout.values.size()));
  PutWord(out, static_cast<uint32_t>(layout.voicePaths.size()));
  PutWord(out, static_cast<uint32_t>(layout.blockSize));
  for (std::size_t i : layout.order)
    put([&] { PutNarrow(out, entries[i].id); });
  for (std::size_t i : layout.values)
    put([&] { PutWide(out, *entries[i].value); });
  for (std::size_t i : layout.voicePaths)
    put([&] { PutNarrow(out, *entries[i].voicePath); });
  for (const RefPair &pair : layout.pairs)
    put([&] {
      PutWord(out, pair.valueRef);
      PutWord(out, pair.voicePathRef);
    });
}

} // namespace

std::vector<uint8_t> Serialize(const std::vector<Entry> &entries,
                               const Layout &layout) {
  std::vector<uint8_t> out;
  out.reserve(kHeaderSize + static_cast<std::size_t>(layout.blockSize) +
              kRefPairSize * layout.pairs.size());
  WriteLaidOut(entries, layout, out, SIZE_MAX, [] {});
  return out;
}

void SerializeTo(
    const std::vector<Entry> &entries, const Layout &layout,
    const std::function<void(const uint8_t *, std::size_t)> &sink) {
  constexpr std::size_t kPiece = 1 << 20;
  std::vector<uint8_t> out;
  out.reserve(2 * kPiece);
  WriteLaidOut(entries, layout, out, kPiece, [&] {
    sink(out.data(), out.size());
    out.clear();
  });
  if (!out.empty())
    sink(out.data(), out.size());
}

std::optional<std::vector<uint8_t>>
BuildDatabase(const std::vector<Entry> &entries) {
  const LayoutResult result = Lay(entries);
  if (!result.issues.empty())
    return std::nullopt;
  return Serialize(entries, result.layout);
}

} // namespace phrasor::authoring
