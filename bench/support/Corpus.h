//===- Corpus.h - Deterministic catalogs for the benchmarks ----*- C++ -*-===//
//
// Every benchmark measures the same kind of data: IDs that share long
// prefixes and mix letter case, values of 10 to 80 characters with some
// non-ASCII text, a third of them with message inserts, a quarter with voice
// paths. The generator uses its own PRNG so the same N gives the same
// catalog on every machine and standard library.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_BENCH_CORPUS_H
#define PHRASOR_BENCH_CORPUS_H

#include "PhrasorRuntime.h"
#include "QVMemory.h"
#include "tools/authoring/ByteStream.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor::bench {

/// One catalog entry in the form authors write it (UTF-8 value).
struct CorpusEntry {
  std::string id;
  std::string value;
  std::string voice; ///< empty when the entry has no voice path
};

/// The two-insert message every formatting benchmark renders.
inline constexpr const char *kScoreId = "DLG_SCORE_SUMMARY";
inline constexpr const char *kScoreValue = "%1!s! has %2!d! points";

/// N entries (the score message among them), in generation order.
std::vector<CorpusEntry> MakeCorpus(std::size_t n);

/// IDs absent from \p corpus even under case folding, shaped like its IDs.
std::vector<std::string> MakeMisses(const std::vector<CorpusEntry> &corpus,
                                    std::size_t count);

/// \p count positions in [0, n) in a fixed pseudo-random order.
std::vector<uint32_t> RandomOrder(std::size_t n, std::size_t count);

std::u16string Utf16(std::string_view utf8);
std::string FoldId(std::string_view id);

/// The compiled database of a corpus, as the file's bytes.
std::vector<uint8_t> BuildSkdb(const std::vector<CorpusEntry> &corpus);

/// The physical floor of a load: obtain fresh memory for the file, copy it
/// in once and find the end of every string once. Returns a checksum so the
/// work cannot be optimised away.
uint64_t CopyFloor(const std::vector<uint8_t> &file);

/// A corpus and its database, built once per N per process.
struct Dataset {
  std::vector<CorpusEntry> entries;
  std::vector<uint8_t> file;
};
const Dataset &GetDataset(std::size_t n);

/// Serves a byte range to the runtime, as a host's in-memory stream would.
using MemoryReadStream = phrasor::authoring::ByteStream;

/// A host allocator that counts the bytes it has handed out and not yet
/// been given back.
class CountingMemory : public IQVMemory {
public:
  virtual ~CountingMemory() = default;
  void *Allocate(uint32_t size) override;
  void Free(void *block) override;
  int64_t LiveBytes() const { return live.load(std::memory_order_relaxed); }

private:
  std::atomic<int64_t> live{0};
};

} // namespace phrasor::bench

#endif // PHRASOR_BENCH_CORPUS_H
