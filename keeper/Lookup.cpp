//===- Lookup.cpp - Lookups by index and by ID ----------------------------===//
//
// Every lookup answers; a failure gives a fixed text, -1 or false and, where
// an entry can be named, a report through the manager. The checks run in a
// fixed order because hosts see which failure wins (an empty keeper still
// answers "<none>" with the empty text, for instance).
//
//===----------------------------------------------------------------------===//

#include "base/StrUtil.h"
#include "keeper/IdCompare.h"
#include "keeper/ProbeKeys.h"
#include "keeper/StringKeeper.h"
#include "keeper/Texts.h"

using namespace phrasor;

#if defined(__GNUC__) || defined(__clang__)
#define PHRASOR_PREFETCH(p) __builtin_prefetch(p)
#else
#define PHRASOR_PREFETCH(p) ((void)(p))
#endif

namespace {
// The exact, case-sensitive test for the reserved ID, with the common
// answer (an ID not starting with '<') settled by its first byte.
inline bool IsNoneId(const char *id) {
  return id[0] == '<' && StrCmp(id, text::kNoneId) == 0;
}
} // namespace

void CStringKeeper::Report(const char *label, const char *message) const {
  manager->ReportError(const_cast<CStringKeeper *>(this), label, message);
}

namespace {

// Tables smaller than this stay in cache between lookups, where fetching
// ahead only adds work: 8192 keys are 64 KiB on a 64-bit build.
constexpr uint32_t kPrefetchFromCount = 8192;

// The halving search, its steps unchanged, over the probe keys (ProbeKeys.h).
// The caller's ID is read and folded once, so each step is one table read and
// an integer comparison; the stored ID is read only when the key agrees
// with the caller over its whole window before either ends, mostly near
// the top, where the ranges are wide and their IDs stay in cache.
//
// On a large table each step would wait on a cache miss for its key.
// While one step runs, the keys of both possible next probes and of the
// four of the step after are fetched, and the current probe's pair, which
// a hit reads next.
template <bool Prefetch>
int32_t KeyedSearch(const CStringKeeper &keeper, const FoldedId &id) {
  const uintptr_t *keys = keeper.ProbeKeys();
  const uint32_t count = keeper.idCount;
  uint32_t lo = 0, hi = count, mid = count / 2;
  for (;;) {
    if (Prefetch) {
      uint32_t left = lo + (mid - lo) / 2, right = mid + (hi - mid) / 2;
      PHRASOR_PREFETCH(&keys[left]);
      PHRASOR_PREFETCH(&keys[right]);
      PHRASOR_PREFETCH(&keys[lo + (left - lo) / 2]);
      PHRASOR_PREFETCH(&keys[left + (mid - left) / 2]);
      PHRASOR_PREFETCH(&keys[mid + (right - mid) / 2]);
      PHRASOR_PREFETCH(&keys[right + (hi - right) / 2]);
      PHRASOR_PREFETCH(&keeper.refPairs[mid]);
    }
    const ProbeKey key = keys[mid];
    const uint32_t start = static_cast<uint32_t>(key & 0xFF);
    const ProbeKey mine = LoadKeyWord(id.bytes + start) >> 8;
    const ProbeKey theirs = key >> 8;
    int r;
    if (mine != theirs)
      r = mine < theirs ? -1 : 1;
    else if (id.length < start + kKeyBytes)
      r = 0;
    else
      r = CompareFolded(id, keeper.idTable[mid], keeper.blockEnd,
                        start + kKeyBytes);
    if (r == 0)
      return static_cast<int32_t>(mid);
    if (r < 0) {
      hi = mid;
      // With one position left that was compared already, comparing it
      // again can only give the same answer: the ID is absent.
      if (hi - lo == 1 && lo > 0)
        return INVALID_STRING_INDEX;
    } else {
      lo = mid;
    }
    uint32_t next = lo + (hi - lo) / 2;
    if (next == mid)
      return INVALID_STRING_INDEX;
    mid = next;
  }
}

// Every ID strictly between the two compared bounds shares with the
// searched ID at least the shorter of the prefixes it shares with those
// bounds (the table is sorted), so a comparison may start after it. That
// saves bytes, but makes every comparison wait for the one before it;
// starting at the first byte lets the processor run the next probe's
// comparison while this one's branch is still being settled. With the
// sixteen-byte comparison the fresh start measures faster; the byte loop of
// builds without SSE2 still gains from the skip.
constexpr bool kSkipSharedPrefix = !PHRASOR_HAS_SSE2;

// The same steps for a caller's ID too long to fold into the search's
// buffer, comparing it in place with every probe.
int32_t PlainSearch(const CStringKeeper &keeper, const char *id) {
  const char *const *table = keeper.idTable;
  uint32_t lo = 0, hi = keeper.idCount, mid = keeper.idCount / 2;
  uint32_t shareLo = 0, shareHi = 0;
  for (;;) {
    uint32_t common;
    uint32_t start =
        kSkipSharedPrefix ? (shareLo < shareHi ? shareLo : shareHi) : 0;
    int r = IdCompareFrom(id, table[mid], keeper.block, keeper.blockEnd, start,
                          common);
    if (r == 0)
      return static_cast<int32_t>(mid);
    if (r < 0) {
      hi = mid;
      shareHi = common;
    } else {
      lo = mid;
      shareLo = common;
    }
    uint32_t next = lo + (hi - lo) / 2;
    if (next == mid)
      return INVALID_STRING_INDEX;
    mid = next;
  }
}

} // namespace

int32_t CStringKeeper::FindID(const char *id) const {
  FoldedId folded;
  if (!FoldCallerId(id, folded))
    return PlainSearch(*this, id);
  return idCount < kPrefetchFromCount ? KeyedSearch<false>(*this, folded)
                                      : KeyedSearch<true>(*this, folded);
}

// --- Lookups by index ---------------------------------------------------

const char *CStringKeeper::GetStringID(int32_t index) const {
  if (index == NONE_STRING_INDEX)
    return text::kNoneId;
  if (!IndexInRange(index)) {
    Report(text::kUnknown, text::kInvalidIndex);
    return text::kUnknown;
  }
  return idTable[index];
}

const PhrasorWChar *CStringKeeper::GetStringByIndex(int32_t index) const {
  if (index == NONE_STRING_INDEX)
    return text::kWEmpty;
  if (!IndexInRange(index)) {
    Report(text::kUnknown, text::kInvalidIndex);
    return text::kWInvalidIndex;
  }
  uint32_t at = refPairs[index].valueRef;
  if (at == NO_ENTRY) {
    Report(idTable[index], text::kValueNotFound);
    return text::kWValueNotFound;
  }
  return ValueAt(at);
}

const char *CStringKeeper::GetVoicePathByIndex(int32_t index) const {
  if (index == NONE_STRING_INDEX)
    return text::kEmpty;
  if (!IndexInRange(index)) {
    Report(text::kUnknown, text::kInvalidIndex);
    return text::kInvalidIndex;
  }
  uint32_t at = refPairs[index].voicePathRef;
  if (at == NO_ENTRY) {
    Report(idTable[index], text::kVoicePathNotFound);
    return text::kVoicePathNotFound;
  }
  return block + at;
}

// The presence tests treat -2 as just another out-of-range index: "<none>"
// names no entry, so it has neither a value nor a voice path to test.
bool CStringKeeper::HasStringByIndex(int32_t index) const {
  if (!IndexInRange(index)) {
    Report(text::kUnknown, text::kInvalidIndex);
    return false;
  }
  return refPairs[index].valueRef != NO_ENTRY;
}

bool CStringKeeper::HasVoicePathByIndex(int32_t index) const {
  if (!IndexInRange(index)) {
    Report(text::kUnknown, text::kInvalidIndex);
    return false;
  }
  return refPairs[index].voicePathRef != NO_ENTRY;
}

// --- Lookups by ID ------------------------------------------------------
// Reports name the caller's own pointer, not the stored ID, so a host can
// tell which of its requests failed.

// The checks every lookup by ID makes before it reads an entry, in the one
// order hosts observe: a null ID, the reserved "<none>" (which the presence
// tests search for like any ID), a keeper without entries, then the search.
// GetStringIndex reports nothing, the presence tests report no miss.
CStringKeeper::IdOutcome CStringKeeper::CheckID(const char *id, IdLookup lookup,
                                                int32_t &index) const {
  const bool quiet = lookup == IdLookup::IndexOnly;
  if (!id) {
    if (!quiet)
      Report(text::kNull, text::kInvalidId);
    return IdOutcome::NullId;
  }
  if (lookup != IdLookup::Test && IsNoneId(id))
    return IdOutcome::NoneId;
  if (idCount == 0) {
    if (!quiet)
      Report(id, text::kNotInitialized);
    return IdOutcome::Empty;
  }
  index = FindID(id);
  if (index != INVALID_STRING_INDEX)
    return IdOutcome::Found;
  if (lookup == IdLookup::Fetch)
    Report(id, text::kInvalidId);
  return IdOutcome::Missing;
}

int32_t CStringKeeper::GetStringIndex(const char *id) const {
  int32_t index = INVALID_STRING_INDEX;
  switch (CheckID(id, IdLookup::IndexOnly, index)) {
  case IdOutcome::Found:
    return index;
  case IdOutcome::NoneId:
    // An empty keeper answers "<none>" as it answers any ID.
    return idCount == 0 ? INVALID_STRING_INDEX : NONE_STRING_INDEX;
  default:
    return INVALID_STRING_INDEX;
  }
}

const PhrasorWChar *CStringKeeper::GetStringByID(const char *id) const {
  int32_t index = INVALID_STRING_INDEX;
  switch (CheckID(id, IdLookup::Fetch, index)) {
  case IdOutcome::Found:
    break;
  case IdOutcome::NoneId:
    return text::kWEmpty;
  case IdOutcome::Empty:
    return text::kWNotInitialized;
  default:
    return text::kWInvalidId;
  }
  uint32_t at = refPairs[index].valueRef;
  if (at == NO_ENTRY) {
    Report(id, text::kValueNotFound);
    return text::kWValueNotFound;
  }
  return ValueAt(at);
}

const char *CStringKeeper::GetVoicePathByID(const char *id) const {
  int32_t index = INVALID_STRING_INDEX;
  switch (CheckID(id, IdLookup::Fetch, index)) {
  case IdOutcome::Found:
    break;
  case IdOutcome::NoneId:
    return text::kEmpty;
  case IdOutcome::Empty:
    return text::kNotInitialized;
  default:
    return text::kInvalidId;
  }
  uint32_t at = refPairs[index].voicePathRef;
  if (at == NO_ENTRY) {
    Report(id, text::kVoicePathNotFound);
    return text::kVoicePathNotFound;
  }
  return block + at;
}

bool CStringKeeper::IsValidID(const char *id) const {
  int32_t index = INVALID_STRING_INDEX;
  return CheckID(id, IdLookup::Test, index) == IdOutcome::Found;
}

bool CStringKeeper::HasStringByID(const char *id) const {
  int32_t index = INVALID_STRING_INDEX;
  return CheckID(id, IdLookup::Test, index) == IdOutcome::Found &&
         refPairs[index].valueRef != NO_ENTRY;
}

bool CStringKeeper::HasVoicePathByID(const char *id) const {
  int32_t index = INVALID_STRING_INDEX;
  return CheckID(id, IdLookup::Test, index) == IdOutcome::Found &&
         refPairs[index].voicePathRef != NO_ENTRY;
}
