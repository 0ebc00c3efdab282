//===- DatabaseFile.cpp - Opening compiled databases in the tool ----------===//

#include "tools/phrasor/files/DatabaseFile.h"

#include "tools/authoring/ByteStream.h"
#include "tools/phrasor/Diagnostics.h"
#include "tools/phrasor/Utf.h"
#include "tools/phrasor/files/FileIo.h"

#include <cstdio>

namespace phrasor::tool {
namespace {

std::string Quoted(const std::string &s) { return "'" + s + "'"; }

std::string MagicText(uint32_t magic) {
  std::string text;
  for (int shift = 0; shift < 32; shift += 8) {
    unsigned c = (magic >> shift) & 0xFF;
    if (c >= 0x20 && c < 0x7F) {
      text.push_back(static_cast<char>(c));
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      text += hex;
    }
  }
  return text;
}

const unsigned char *Image(std::string_view bytes) {
  return reinterpret_cast<const unsigned char *>(bytes.data());
}

// The IDs of a file whose string block is present and whose header passed:
// N is then at most a quarter of the block, so the table is modest.
std::vector<std::string> IdsOf(std::string_view bytes,
                               const DatabaseHeader &h) {
  std::vector<const char *> table(h.idCount, nullptr);
  uint32_t stoppedAt = 0;
  CheckStrings(bytes.data() + kHeaderSize, h.blockSize, h,
               StringTables{table.data(), nullptr, nullptr, nullptr},
               stoppedAt);
  std::vector<std::string> ids;
  for (const char *id : table)
    ids.emplace_back(id ? id : "");
  return ids;
}

std::string HeaderWords(const DatabaseCheck &check, std::size_t size) {
  const DatabaseHeader &h = check.header;
  switch (check.problem) {
  case DatabaseProblem::TruncatedHeader:
    return "truncated header (" + std::to_string(size) + " bytes, expected " +
           std::to_string(kHeaderSize) + ")";
  case DatabaseProblem::BadMagic:
    return "bad magic '" + MagicText(h.magic) +
           "' (expected 'SKDB'): not a compiled database; build sources "
           "with 'phrasor build'";
  case DatabaseProblem::BadVersion:
    return "version " + std::to_string(h.version) + " (expected " +
           std::to_string(kDatabaseVersion) + ")";
  case DatabaseProblem::TotalBelowIdCount:
    return "string total " + std::to_string(h.stringTotal) +
           " is less than the ID count " + std::to_string(h.idCount);
  case DatabaseProblem::BlockTooSmall:
    return "block size " + std::to_string(h.blockSize) + " cannot hold " +
           std::to_string(uint64_t{h.stringTotal} + h.voicePathCount) +
           " strings of at least 4 bytes each";
  case DatabaseProblem::TruncatedBlock:
    return "truncated string block (" + std::to_string(h.blockSize) +
           " bytes declared, " + std::to_string(size - kHeaderSize) +
           " present)";
  default:
    return DescribeDatabaseProblem(check.problem);
  }
}

std::string ContentWords(const DatabaseCheck &check, std::string_view bytes) {
  const DatabaseHeader &h = check.header;
  const std::string at = std::to_string(check.index);
  const auto quotedId = [&](uint32_t index) {
    return Quoted(IdsOf(bytes, h)[index]);
  };
  switch (check.problem) {
  case DatabaseProblem::IdUnterminated:
    return "ID " + at + " is not terminated inside the string block";
  case DatabaseProblem::IdsOutOfOrder: {
    const std::vector<std::string> ids = IdsOf(bytes, h);
    return "IDs out of order: " + Quoted(ids[check.index - 1]) + " (index " +
           std::to_string(check.index - 1) + ") sorts after " +
           Quoted(ids[check.index]);
  }
  case DatabaseProblem::ValueUnterminated:
    return "value " + at + " is not terminated inside the string block";
  case DatabaseProblem::VoicePathUnterminated:
    return "voice path " + at + " is not terminated inside the string block";
  case DatabaseProblem::TruncatedPairs:
    return "truncated reference pairs (" + std::to_string(h.idCount) +
           " expected, " + at + " present)";
  case DatabaseProblem::ValueRefOutOfRange:
    return "value reference " +
           std::to_string(DecodeWord(Image(bytes) + check.offset)) +
           " out of range (ID " + quotedId(check.index) + "; " +
           std::to_string(h.stringTotal - h.idCount) + " values)";
  case DatabaseProblem::VoicePathRefOutOfRange:
    return "voice path reference " +
           std::to_string(DecodeWord(Image(bytes) + check.offset + 4)) +
           " out of range (ID " + quotedId(check.index) + "; " +
           std::to_string(h.voicePathCount) + " voice paths)";
  default:
    return HeaderWords(check, bytes.size());
  }
}

} // namespace

std::string DescribeVerdict(const DatabaseCheck &check,
                            std::string_view bytes) {
  if (check.problem == DatabaseProblem::None)
    return "";
  return ContentWords(check, bytes);
}

// The bytes are kept as read: a database can be large, and the runtime
// makes its own copy when it loads.
OpenDatabase::OpenDatabase(const std::string &path)
    : filePath(path), bytes(ReadFileBytes(path, kMaxDatabaseBytes)) {
  verdict = ValidateDatabase(Image(bytes), bytes.size());
  if (verdict.problem != DatabaseProblem::None)
    return;
  authoring::ByteStream stream(Image(bytes), bytes.size());
  handle = GetIPhrasorMgr()->CreateKeeper(&stream);
}

OpenDatabase::~OpenDatabase() { GetIPhrasorMgr()->ReleaseKeeper(handle); }

std::string OpenDatabase::LoadFailure() const {
  if (handle)
    return "";
  if (verdict.problem != DatabaseProblem::None)
    return DescribeVerdict(verdict, bytes);
  return "the runtime refused the file";
}

std::size_t OpenDatabase::TrailingBytes() const {
  return verdict.problem == DatabaseProblem::None ? bytes.size() - verdict.end
                                                  : 0;
}

std::vector<std::pair<std::string, std::string>>
OpenDatabase::CaseTwins() const {
  std::vector<std::pair<std::string, std::string>> twins;
  if (!handle)
    return twins;
  const std::vector<std::string> ids = IdsOf(bytes, verdict.header);
  for (std::size_t i = 1; i < ids.size(); ++i)
    if (authoring::CompareIds(ids[i - 1], ids[i]) == 0)
      twins.emplace_back(ids[i - 1], ids[i]);
  return twins;
}

std::vector<authoring::Entry> OpenDatabase::Entries() const {
  std::vector<authoring::Entry> entries;
  if (!handle)
    return entries;
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  entries.reserve(verdict.header.idCount);
  for (uint32_t i = 0; i < verdict.header.idCount; ++i) {
    const int32_t index = static_cast<int32_t>(i);
    authoring::Entry e;
    e.id = mgr->GetStringID(handle, index);
    if (mgr->HasStringByIndex(handle, index))
      e.value = FromRuntime(mgr->GetStringByIndex(handle, index));
    if (mgr->HasVoicePathByIndex(handle, index))
      e.voicePath = mgr->GetVoicePathByIndex(handle, index);
    entries.push_back(std::move(e));
  }
  return entries;
}

void RequireLoaded(const OpenDatabase &db) {
  if (!db.Keeper())
    throw FatalError("cannot load '" + db.Path() + "': " + db.LoadFailure());
}

DatabaseEntries ReadDatabaseEntries(const std::string &path) {
  OpenDatabase db(path);
  RequireLoaded(db);
  DatabaseEntries read;
  read.entries = db.Entries();
  read.meta = SplitMetadata(read.entries);
  return read;
}

} // namespace phrasor::tool
