//===- DatabaseFile.h - Opening compiled databases in the tool --*- C++ -*-===//
//
// The runtime answers a damaged file with a null handle and no reason. The
// tool first asks the format's validator, which applies the loader's own
// rules, so it can say which rule the file breaks ("version 4 (expected
// 5)", "value reference 9 out of range"), then loads it through the runtime
// for every lookup.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_DATABASEFILE_H
#define PHRASOR_TOOL_DATABASEFILE_H

#include "PhrasorRuntime.h"
#include "keeper/DatabaseFormat.h"
#include "tools/authoring/DatabaseWriter.h"
#include "tools/phrasor/Metadata.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace phrasor::tool {

/// The validator's verdict on \p bytes in words, with the file's own
/// details; empty when the verdict is that the file loads.
std::string DescribeVerdict(const DatabaseCheck &check, std::string_view bytes);

/// A database file, validated and loaded through the runtime.
class OpenDatabase {
public:
  /// Reads \p path (FatalError when unreadable), validates it and, when the
  /// verdict is good, loads it with the runtime's CreateKeeper.
  explicit OpenDatabase(const std::string &path);
  ~OpenDatabase();
  OpenDatabase(const OpenDatabase &) = delete;
  OpenDatabase &operator=(const OpenDatabase &) = delete;

  const std::string &Path() const { return filePath; }
  const DatabaseHeader &Header() const { return verdict.header; }
  /// Null when the file could not be loaded; LoadFailure() says why.
  HSTRINGKEEPER Keeper() const { return handle; }
  std::string LoadFailure() const;
  std::size_t FileSize() const { return bytes.size(); }
  /// Bytes after the reference pairs, which the loader never reads.
  std::size_t TrailingBytes() const;
  /// Neighbouring IDs that compare equal ignoring ASCII case: the loader
  /// accepts them but a lookup finds only one of each pair.
  std::vector<std::pair<std::string, std::string>> CaseTwins() const;

  /// Every entry in table order, read back through the runtime's lookups.
  std::vector<authoring::Entry> Entries() const;

private:
  std::string filePath;
  std::string bytes;
  DatabaseCheck verdict;
  HSTRINGKEEPER handle = nullptr;
};

/// Throws FatalError naming the reason when \p db did not load.
void RequireLoaded(const OpenDatabase &db);

/// A database's entries with the tool's metadata entries taken out and read.
struct DatabaseEntries {
  std::vector<authoring::Entry> entries;
  Metadata meta;
};

/// Opens \p path and reads its entries; throws FatalError when it does not
/// load. The file and the runtime's copy are released before it returns.
DatabaseEntries ReadDatabaseEntries(const std::string &path);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_DATABASEFILE_H
