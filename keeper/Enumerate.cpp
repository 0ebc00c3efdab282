//===- Enumerate.cpp - Listing the IDs that begin with a prefix -----------===//
//
// The IDs that share a prefix form one contiguous run of the sorted table.
// Both ends of the run are found by halving searches, so the cost is the
// callback calls plus a few logarithmic searches, however long the run.
//
//===----------------------------------------------------------------------===//

#include "base/StrUtil.h"
#include "keeper/StringKeeper.h"

using namespace phrasor;

int32_t CStringKeeper::FindIDWithPrefix(const char *prefix, uint32_t &lo,
                                        uint32_t &hi) const {
  uint32_t mid = lo + (hi - lo) / 2;
  for (;;) {
    int r = StrNICmp(prefix, idTable[mid], StrLen(prefix));
    if (r == 0)
      return static_cast<int32_t>(mid);
    if (r < 0)
      hi = mid;
    else
      lo = mid;
    uint32_t next = lo + (hi - lo) / 2;
    if (next == mid)
      return -1;
    mid = next;
  }
}

bool CStringKeeper::EnumerateIDsByPrefix(const char *prefix,
                                         StringIDEnumCallback callback,
                                         void *userData) const {
  if (!prefix || !callback || idCount == 0)
    return false;

  uint32_t lo = 0, hi = idCount;
  int32_t match = FindIDWithPrefix(prefix, lo, hi);
  if (match < 0)
    return false;

  // Lowest match: search below the current one, keeping the lower bound the
  // earlier searches reached.
  uint32_t first = static_cast<uint32_t>(match);
  for (;;) {
    hi = first;
    int32_t r = FindIDWithPrefix(prefix, lo, hi);
    if (r < 0 || static_cast<uint32_t>(r) == first)
      break;
    first = static_cast<uint32_t>(r);
  }

  // Highest match: search above, keeping the upper bound reached.
  lo = first;
  hi = idCount;
  int32_t last = -1;
  for (;;) {
    int32_t r = FindIDWithPrefix(prefix, lo, hi);
    if (r < 0 || r == last)
      break;
    lo = static_cast<uint32_t>(r);
    last = r;
  }
  if (last < 0)
    last = static_cast<int32_t>(first);

  // The table is read again after every call: the callback may look up or
  // enumerate on this same keeper.
  for (uint32_t i = first; i <= static_cast<uint32_t>(last); ++i)
    callback(idTable[i], userData);
  return true;
}
