//===- ascii_fold_test.cpp - ASCII case folding at every width ------------===//
//
// The word and vector forms must fold exactly as the byte form does, for
// every byte value, and the run functions must agree with it at every length
// and offset, so that the search, the C++ layer's table and the tool can
// never disagree about which IDs are the same.
//
//===----------------------------------------------------------------------===//

#include "base/AsciiFold.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace phrasor;

namespace {

// Every byte value, in an order that puts different values side by side in
// each word and vector.
std::string AllBytes() {
  std::string s(256, '\0');
  for (int i = 0; i < 256; ++i)
    s[static_cast<size_t>(i)] = static_cast<char>((i * 37 + 11) & 0xFF);
  return s;
}

std::string FoldedByByte(const std::string &s) {
  std::string out = s;
  for (char &c : out)
    c = static_cast<char>(FoldAscii(static_cast<unsigned char>(c)));
  return out;
}

} // namespace

TEST(AsciiFold, OnlyCapitalsFold) {
  for (int c = 0; c < 256; ++c) {
    const bool capital = c >= 'A' && c <= 'Z';
    EXPECT_EQ(FoldAscii(static_cast<unsigned char>(c)), capital ? c + 32 : c)
        << c;
  }
}

TEST(AsciiFold, WordAndVectorFoldAsTheByteDoes) {
  const std::string all = AllBytes();
  const std::string expected = FoldedByByte(all);
  for (size_t at = 0; at + 8 <= all.size(); at += 8) {
    uint64_t word;
    std::memcpy(&word, all.data() + at, 8);
    word = FoldAsciiWord(word);
    EXPECT_EQ(std::memcmp(&word, expected.data() + at, 8), 0) << at;
  }
#if PHRASOR_HAS_SSE2
  for (size_t at = 0; at + 16 <= all.size(); at += 16) {
    const __m128i v = FoldAsciiVector(
        _mm_loadu_si128(reinterpret_cast<const __m128i *>(all.data() + at)));
    char out[16];
    _mm_storeu_si128(reinterpret_cast<__m128i *>(out), v);
    EXPECT_EQ(std::memcmp(out, expected.data() + at, 16), 0) << at;
  }
#endif
}

// Lengths across the vector, word and byte steps, from every offset, in
// place and into another buffer.
TEST(AsciiFold, RunsFoldAndCompareAtEveryLengthAndOffset) {
  const std::string all = AllBytes();
  const std::string folded = FoldedByByte(all);
  for (size_t at = 0; at < 17; ++at) {
    for (size_t n = 0; n <= 40; ++n) {
      SCOPED_TRACE(testing::Message() << "offset " << at << ", length " << n);
      const std::string from = all.substr(at, n);
      std::string to(n + 1, '#');
      FoldAsciiCopy(to.data(), from.data(), n);
      EXPECT_EQ(to, folded.substr(at, n) + "#");
      std::string same = from;
      FoldAsciiCopy(same.data(), same.data(), n);
      EXPECT_EQ(same, folded.substr(at, n));

      EXPECT_TRUE(EqualFolded(from.data(), same.data(), n));
      for (size_t k = 0; k < n; ++k) {
        std::string other = same;
        other[k] = static_cast<char>(other[k] ^ 0x01); // never a case twin
        EXPECT_FALSE(EqualFolded(from.data(), other.data(), n)) << k;
      }
    }
  }
}
