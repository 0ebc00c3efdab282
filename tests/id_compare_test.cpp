//===- id_compare_test.cpp - The word-at-a-time ID comparison -------------===//
//
// The search's comparison must give StrICmpFrom's exact answer, shared
// prefix included, for every byte value and every alignment of the
// caller's ID, and must never read a stored ID outside its block or a
// caller's ID across a page it does not reach.
//
//===----------------------------------------------------------------------===//

#include "keeper/IdCompare.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#if defined(__unix__)
#include <sys/mman.h>
#include <unistd.h>
#endif

using namespace phrasor;

namespace {

// Bytes around every edge the folding cares about, and the terminator.
const unsigned char kEdgeBytes[] = {0,    1,    '@',  'A',  'B',  'Y',
                                    'Z',  '[',  '`',  'a',  'z',  '{',
                                    0x7F, 0x80, 0xC1, 0xDA, 0xE1, 0xFF};

std::string RandomText(std::mt19937 &rng, size_t maxLength) {
  std::uniform_int_distribution<size_t> length(0, maxLength);
  std::uniform_int_distribution<size_t> pick(1, sizeof kEdgeBytes - 1);
  std::string s(length(rng), 'a');
  for (char &c : s)
    c = static_cast<char>(kEdgeBytes[pick(rng)]);
  return s;
}

// Compares with the caller's ID copied to \p skew bytes past an aligned
// address, and the stored ID at \p storedAt in [storedBegin, storedEnd).
void ExpectSameAnswer(const std::string &id, size_t skew,
                      const std::string &stored, const char *storedBegin,
                      const char *storedAt, const char *storedEnd,
                      uint32_t start) {
  alignas(16) char buffer[64 + 16];
  ASSERT_LT(id.size() + skew, sizeof buffer);
  char *copy = buffer + skew;
  std::memcpy(copy, id.c_str(), id.size() + 1);
  uint32_t want = 0, got = 0;
  int expected = StrICmpFrom(id.c_str(), stored.c_str(), start, want);
  int actual =
      IdCompareFrom(copy, storedAt, storedBegin, storedEnd, start, got);
  ASSERT_EQ(expected, actual) << "'" << id << "' vs '" << stored << "'";
  ASSERT_EQ(want, got) << "'" << id << "' vs '" << stored << "'";
}

} // namespace

TEST(IdCompare, AgreesWithTheByteComparisonOnEveryByteValue) {
  std::mt19937 rng(20261208);
  std::uniform_int_distribution<int> coin(0, 3);
  for (int round = 0; round < 200000; ++round) {
    std::string a = RandomText(rng, 24);
    // Mostly related pairs: the same text with some letters recased, or a
    // shared prefix, so long equal runs and near misses are common.
    std::string b = a;
    switch (coin(rng)) {
    case 0:
      b = RandomText(rng, 24);
      break;
    case 1:
      for (char &c : b)
        if (c >= 'a' && c <= 'z' && coin(rng) == 0)
          c = static_cast<char>(c - 'a' + 'A');
      break;
    case 2:
      b = a.substr(0, a.size() / 2) + RandomText(rng, 8);
      break;
    default:
      break;
    }
    // The stored ID sits at the very start or end of its block, or with
    // slack on either side, so both block-bound tests are exercised.
    const size_t before = static_cast<size_t>(coin(rng)) * 5;
    std::vector<char> block(before, 'Q');
    block.insert(block.end(), b.begin(), b.end());
    block.push_back('\0');
    block.resize(block.size() + static_cast<size_t>(coin(rng)) * 3, 'Q');
    uint32_t shared = 0;
    StrICmpFrom(a.c_str(), b.c_str(), 0, shared);
    uint32_t start = shared == 0 ? 0 : static_cast<uint32_t>(rng() % shared);
    const size_t skew = rng() % 16;
    ExpectSameAnswer(a, skew, b, block.data(), block.data() + before,
                     block.data() + block.size(), start);
    ExpectSameAnswer(b, skew, a, a.c_str(), a.c_str(), a.c_str() + a.size() + 1,
                     start);
  }
}

#if defined(__unix__)
// A caller's ID that ends right before an unmapped page is read without
// touching that page, at every alignment.
TEST(IdCompare, CallerIdEndingAtAPageIsReadWithinIt) {
  long page = sysconf(_SC_PAGESIZE);
  char *map =
      static_cast<char *>(mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE,
                               MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(map, MAP_FAILED);
  ASSERT_EQ(mprotect(map + page, page, PROT_NONE), 0);
  const std::string stored = "ui_menu_title_and_more_text";
  for (size_t length = 0; length <= 20; ++length) {
    char *id = map + page - length - 1;
    for (size_t i = 0; i < length; ++i)
      id[i] = static_cast<char>(stored[i] - 32);
    id[length] = '\0';
    uint32_t want = 0, got = 0;
    int expected = StrICmpFrom(id, stored.c_str(), 0, want);
    int actual = IdCompareFrom(id, stored.c_str(), stored.c_str(),
                               stored.c_str() + stored.size() + 1, 0, got);
    EXPECT_EQ(expected, actual) << length;
    EXPECT_EQ(want, got) << length;
  }
  munmap(map, 2 * page);
}
#endif
