//===- DatabaseWriter.cpp - Writing compiled string databases -------------===//

#include "tools/authoring/DatabaseWriter.h"

#include "base/StrUtil.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

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

// An ID as the loader's comparison sees it: folded to lower case and ending
// at its first NUL, so that comparing two of them bytewise orders them as
// CompareIds does, with the long shared prefixes of real IDs compared many
// bytes a step instead of folded one byte at a time.
std::string FoldedId(const std::string &id) {
  std::string folded(id.data(), std::min(id.size(), id.find('\0')));
  for (char &c : folded)
    c = static_cast<char>(FoldAscii(static_cast<unsigned char>(c)));
  return folded;
}

// The entries' positions in ID order. Equal IDs stay in input order, so a
// duplicate is always reported against the entry that came first.
std::vector<std::size_t> SortedOrder(const std::vector<Entry> &entries,
                                     std::vector<CompileIssue> &issues) {
  std::vector<std::string> folded;
  folded.reserve(entries.size());
  for (const Entry &e : entries)
    folded.push_back(FoldedId(e.id));
  std::vector<std::size_t> order(entries.size());
  for (std::size_t i = 0; i < order.size(); ++i)
    order[i] = i;
  // Merging, as sources often come nearly sorted already.
  std::stable_sort(
      order.begin(), order.end(),
      [&](std::size_t a, std::size_t b) { return folded[a] < folded[b]; });
  std::size_t first = 0; // the first entry of the current run of equal IDs
  for (std::size_t k = 0; k < order.size(); ++k) {
    if (k == 0 || folded[order[k]] != folded[order[k - 1]])
      first = order[k];
    else
      issues.push_back({CompileIssue::DuplicateId, order[k], first});
  }
  return order;
}

} // namespace

CompileResult Compile(const std::vector<Entry> &entries, uint64_t blockLimit) {
  CompileResult result;
  FindNuls(entries, result.issues);
  const std::vector<std::size_t> order = SortedOrder(entries, result.issues);
  if (!result.issues.empty())
    return result;

  RawDatabase &db = result.database;
  // Shared texts are stored once, numbered in the order they are first
  // met, so the index only needs to find them: hashed views of the
  // entries' own strings, since an ordered map's probes were a third of a
  // build at 200,000 entries.
  std::unordered_map<std::u16string_view, uint32_t> valueIndex;
  std::unordered_map<std::string_view, uint32_t> voiceIndex;
  valueIndex.reserve(order.size());
  voiceIndex.reserve(order.size());
  // The block's size is counted as it grows: past its limit the header
  // could not state it, and a size cut to 32 bits makes a file the loader
  // refuses or misreads. Each slot takes at least four bytes, so the
  // counts and references fit their 32 bits while the block does.
  uint64_t blockSize = 0;
  for (std::size_t i : order) {
    const Entry &e = entries[i];
    db.ids.push_back(e.id);
    blockSize += NarrowSlot(e.id.size());
    RefPair pair;
    if (e.value) {
      auto [it, added] = valueIndex.try_emplace(
          *e.value, static_cast<uint32_t>(db.values.size()));
      if (added) {
        db.values.push_back(*e.value);
        blockSize += WideSlot(e.value->size());
      }
      pair.valueRef = it->second;
    }
    if (e.voicePath) {
      auto [it, added] = voiceIndex.try_emplace(
          *e.voicePath, static_cast<uint32_t>(db.voicePaths.size()));
      if (added) {
        db.voicePaths.push_back(*e.voicePath);
        blockSize += NarrowSlot(e.voicePath->size());
      }
      pair.voicePathRef = it->second;
    }
    db.pairs.push_back(pair);
    if (blockSize > blockLimit) {
      result.issues.push_back({CompileIssue::TooLarge, i, i});
      result.database = RawDatabase{};
      return result;
    }
  }
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

std::optional<std::vector<uint8_t>>
BuildDatabase(const std::vector<Entry> &entries) {
  CompileResult result = Compile(entries);
  if (!result.issues.empty())
    return std::nullopt;
  return Serialize(result.database);
}

} // namespace phrasor::authoring
