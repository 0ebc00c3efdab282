//===- DatabaseFile.h - Opening compiled databases in the tool --*- C++ -*-===//
//
// The runtime answers a damaged file with a null handle and no reason. The
// tool reads the same bytes against the same rules first, so it can say
// which rule the file breaks ("version 4 (expected 5)", "value reference 9
// out of range"), then loads it through the runtime for every lookup.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_DATABASEFILE_H
#define PHRASOR_TOOL_DATABASEFILE_H

#include "PhrasorRuntime.h"
#include "tools/authoring/DatabaseWriter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace phrasor::tool {

struct DatabaseHeader {
  uint32_t magic = 0, version = 0, idCount = 0, stringTotal = 0,
           voicePathCount = 0, blockSize = 0;
};

/// What the structural inspection found.
struct DatabaseInspection {
  bool ok = false;
  std::string reason; ///< why the runtime would refuse the file
  DatabaseHeader header;
  std::size_t trailingBytes = 0; ///< bytes after the pairs, never read
  /// Pairs of neighbouring IDs that compare equal ignoring ASCII case; the
  /// loader accepts them but a lookup finds only one of each pair.
  std::vector<std::pair<std::string, std::string>> caseTwins;
};

/// Checks \p bytes against every rule the loader enforces, in the order
/// the loader meets them; the first broken rule is the reason.
DatabaseInspection InspectDatabase(const std::vector<uint8_t> &bytes);

/// A database file, inspected and loaded through the runtime.
class OpenDatabase {
public:
  /// Reads \p path (FatalError when unreadable), inspects it and, when the
  /// inspection passes, loads it with the runtime's CreateKeeper.
  explicit OpenDatabase(const std::string &path);
  ~OpenDatabase();
  OpenDatabase(const OpenDatabase &) = delete;
  OpenDatabase &operator=(const OpenDatabase &) = delete;

  const std::string &Path() const { return FilePath; }
  const DatabaseInspection &Inspection() const { return Info; }
  /// Null when the file could not be loaded; LoadFailure() says why.
  HSTRINGKEEPER Keeper() const { return Handle; }
  std::string LoadFailure() const;
  std::size_t FileSize() const { return Bytes.size(); }

  /// Every entry in table order, read back through the runtime's lookups.
  std::vector<authoring::Entry> Entries() const;

private:
  std::string FilePath;
  std::vector<uint8_t> Bytes;
  DatabaseInspection Info;
  HSTRINGKEEPER Handle = nullptr;
};

/// Throws FatalError naming the reason when \p db did not load.
void RequireLoaded(const OpenDatabase &db);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_DATABASEFILE_H
