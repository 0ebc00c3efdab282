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
// ahead only adds work: 8192 pointers are 64 KiB on a 64-bit build.
constexpr uint32_t kPrefetchFromCount = 8192;

// Every ID strictly between the two compared bounds shares with the
// searched ID at least the shorter of the prefixes it shares with those
// bounds (the table is sorted), so a comparison may start after it. That
// saves bytes, but makes every comparison wait for the one before it;
// starting at the first byte lets the processor run the next probe's
// comparison while this one's branch is still being settled. With the
// sixteen-byte comparison the fresh start measures faster; the byte loop of
// builds without SSE2 still gains from the skip.
//
// On a large table each step also waits on two cache misses: the probe
// table's entry and the stored ID it names. While one comparison runs, the
// stored IDs of both possible next probes and the probe entries of the step
// after are fetched, and the current probe's pair, which a hit reads next.
constexpr bool kSkipSharedPrefix = !PHRASOR_HAS_SSE2;

template <bool Prefetch>
int32_t Search(const CStringKeeper &keeper, const char *id) {
  const uint32_t *table = keeper.IdOffsets();
  const char *block = keeper.block;
  uint32_t lo = 0, hi = keeper.idCount, mid = keeper.idCount / 2;
  uint32_t shareLo = 0, shareHi = 0;
  for (;;) {
    if (Prefetch) {
      // Their table entries were fetched a step ago.
      uint32_t left = lo + (mid - lo) / 2, right = mid + (hi - mid) / 2;
      PHRASOR_PREFETCH(block + table[left]);
      PHRASOR_PREFETCH(block + table[right]);
      PHRASOR_PREFETCH(&table[lo + (left - lo) / 2]);
      PHRASOR_PREFETCH(&table[left + (mid - left) / 2]);
      PHRASOR_PREFETCH(&table[mid + (right - mid) / 2]);
      PHRASOR_PREFETCH(&table[right + (hi - right) / 2]);
      PHRASOR_PREFETCH(&keeper.refPairs[mid]);
    }
    uint32_t common;
    uint32_t start =
        kSkipSharedPrefix ? (shareLo < shareHi ? shareLo : shareHi) : 0;
    int r = IdCompareFrom(id, block + table[mid], block, keeper.blockEnd, start,
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
  return idCount < kPrefetchFromCount ? Search<false>(*this, id)
                                      : Search<true>(*this, id);
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
