//===- aligned_id_check.cpp - Lookups with caller IDs at every alignment --===//
//
// Run under valgrind's memcheck: each caller ID sits in a heap block of its
// own that ends right at its terminator, at every distance 0..15 from an
// aligned address, so a lookup that read the ID a vector at a time past its
// block, or decided anything on a byte it does not own, is reported. The
// program also checks every answer, so it is a test without valgrind too.
//
//===----------------------------------------------------------------------===//

#include "PhrasorRuntime.h"
#include "tools/authoring/ByteStream.h"
#include "tools/authoring/DatabaseWriter.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using phrasor::authoring::Entry;

namespace {

int Failures = 0;

void Expect(bool ok, const char *lookup, const std::string &id, size_t skew) {
  if (!ok) {
    std::fprintf(stderr, "error: %s of '%s' at skew %zu\n", lookup, id.c_str(),
                 skew);
    ++Failures;
  }
}

// The ID \p id, \p skew bytes into a block that holds nothing after it.
char *PlaceId(const std::string &id, size_t skew) {
  char *block = static_cast<char *>(std::malloc(skew + id.size() + 1));
  std::memset(block, 'q', skew);
  std::memcpy(block + skew, id.c_str(), id.size() + 1);
  return block + skew;
}

} // namespace

int main() {
  // Stored IDs of every length up to three vectors, each a prefix of the
  // next, so searches compare long shared runs and end in every lane.
  const std::string stem = "ui_menu_options_audio_volume_music_and_effects_";
  std::vector<Entry> entries;
  for (size_t length = 1; length <= stem.size(); ++length) {
    Entry entry;
    entry.id = stem.substr(0, length);
    entry.value.emplace(1, u'v');
    entries.push_back(entry);
  }
  const std::vector<uint8_t> bytes =
      *phrasor::authoring::BuildDatabase(entries);
  phrasor::authoring::ByteStream stream(bytes);
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  HSTRINGKEEPER keeper = mgr->CreateKeeper(&stream);
  if (!keeper) {
    std::fprintf(stderr, "error: the database did not load\n");
    return 1;
  }

  for (size_t skew = 0; skew < 16; ++skew) {
    for (size_t length = 0; length <= stem.size(); ++length) {
      std::string hit = stem.substr(0, length);
      std::string upper = hit;
      for (char &c : upper)
        if (c >= 'a' && c <= 'z')
          c = static_cast<char>(c - 'a' + 'A');
      // A miss that agrees with a stored ID up to its last byte.
      std::string miss = hit.empty() ? "zz" : hit;
      miss.back() = '~';
      const int32_t want = static_cast<int32_t>(length) - 1;
      for (const std::string *id : {&hit, &upper, &miss}) {
        char *placed = PlaceId(*id, skew);
        const bool found = id != &miss && length > 0;
        Expect(mgr->GetStringIndex(keeper, placed) == (found ? want : -1),
               "GetStringIndex", *id, skew);
        Expect(mgr->IsValidID(keeper, placed) == found, "IsValidID", *id, skew);
        std::free(placed - skew);
      }
    }
  }
  mgr->ReleaseKeeper(keeper);
  return Failures == 0 ? 0 : 1;
}
