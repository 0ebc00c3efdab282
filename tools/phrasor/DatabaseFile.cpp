//===- DatabaseFile.cpp - Opening compiled databases in the tool ----------===//

#include "tools/phrasor/DatabaseFile.h"

#include "tools/authoring/ByteStream.h"
#include "tools/phrasor/Diagnostics.h"
#include "tools/phrasor/Inputs.h"
#include "tools/phrasor/Utf.h"

#include <cstdio>
#include <cstring>

namespace phrasor::tool {
namespace {

uint32_t WordAt(const std::vector<uint8_t> &b, std::size_t at) {
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
         static_cast<uint32_t>(b[at + 2]) << 16 |
         static_cast<uint32_t>(b[at + 3]) << 24;
}

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

// Reads the strings of one run; false when one of them is not terminated
// inside the block.
bool WalkRun(const uint8_t *block, uint64_t size, uint64_t &offset,
             uint32_t count, bool wide, std::vector<std::string> *narrow,
             uint32_t &failedAt) {
  for (uint32_t i = 0; i < count; ++i) {
    if (offset >= size) {
      failedAt = i;
      return false;
    }
    uint64_t length = 0;
    if (wide) {
      uint64_t units = (size - offset) / 2;
      while (length < units &&
             (block[offset + 2 * length] | block[offset + 2 * length + 1]))
        ++length;
      if (length == units) {
        failedAt = i;
        return false;
      }
      offset += (2 * length + 5) & ~3ull;
    } else {
      const void *end = std::memchr(block + offset, 0, size - offset);
      if (!end) {
        failedAt = i;
        return false;
      }
      length = static_cast<const uint8_t *>(end) - (block + offset);
      if (narrow)
        narrow->emplace_back(reinterpret_cast<const char *>(block + offset),
                             length);
      offset += (length + 4) & ~3ull;
    }
  }
  return true;
}

} // namespace

DatabaseInspection InspectDatabase(const std::vector<uint8_t> &bytes) {
  DatabaseInspection r;
  auto fail = [&](std::string reason) {
    r.reason = std::move(reason);
    return r;
  };
  if (bytes.size() < 24)
    return fail("truncated header (" + std::to_string(bytes.size()) +
                " bytes, expected 24)");
  DatabaseHeader &h = r.header;
  h.magic = WordAt(bytes, 0);
  h.version = WordAt(bytes, 4);
  h.idCount = WordAt(bytes, 8);
  h.stringTotal = WordAt(bytes, 12);
  h.voicePathCount = WordAt(bytes, 16);
  h.blockSize = WordAt(bytes, 20);
  if (h.magic != authoring::kMagic)
    return fail("bad magic '" + MagicText(h.magic) + "' (expected 'SKDB')");
  if (h.version != authoring::kVersion)
    return fail("version " + std::to_string(h.version) + " (expected " +
                std::to_string(authoring::kVersion) + ")");
  if (h.stringTotal < h.idCount)
    return fail("string total " + std::to_string(h.stringTotal) +
                " is less than the ID count " + std::to_string(h.idCount));
  const uint64_t strings = uint64_t{h.stringTotal} + h.voicePathCount;
  if (strings * 4 > h.blockSize)
    return fail("block size " + std::to_string(h.blockSize) + " cannot hold " +
                std::to_string(strings) + " strings of at least 4 bytes each");
  const uint64_t blockEnd = 24 + uint64_t{h.blockSize};
  if (bytes.size() < blockEnd)
    return fail("truncated string block (" + std::to_string(h.blockSize) +
                " bytes declared, " + std::to_string(bytes.size() - 24) +
                " present)");

  const uint8_t *block = bytes.data() + 24;
  uint64_t offset = 0;
  uint32_t failedAt = 0;
  std::vector<std::string> ids;
  ids.reserve(h.idCount);
  if (!WalkRun(block, h.blockSize, offset, h.idCount, false, &ids, failedAt))
    return fail("ID " + std::to_string(failedAt) +
                " is not terminated inside the string block");
  for (std::size_t i = 1; i < ids.size(); ++i) {
    int order = authoring::CompareIds(ids[i - 1], ids[i]);
    if (order > 0)
      return fail("IDs out of order: " + Quoted(ids[i - 1]) + " (index " +
                  std::to_string(i - 1) + ") sorts after " + Quoted(ids[i]));
    if (order == 0)
      r.caseTwins.emplace_back(ids[i - 1], ids[i]);
  }
  const uint32_t values = h.stringTotal - h.idCount;
  if (!WalkRun(block, h.blockSize, offset, values, true, nullptr, failedAt))
    return fail("value " + std::to_string(failedAt) +
                " is not terminated inside the string block");
  if (!WalkRun(block, h.blockSize, offset, h.voicePathCount, false, nullptr,
               failedAt))
    return fail("voice path " + std::to_string(failedAt) +
                " is not terminated inside the string block");

  const uint64_t pairsEnd = blockEnd + 8 * uint64_t{h.idCount};
  if (bytes.size() < pairsEnd)
    return fail("truncated reference pairs (" + std::to_string(h.idCount) +
                " expected, " + std::to_string((bytes.size() - blockEnd) / 8) +
                " present)");
  for (uint32_t i = 0; i < h.idCount; ++i) {
    const uint32_t valueRef = WordAt(bytes, blockEnd + 8 * uint64_t{i});
    const uint32_t voiceRef = WordAt(bytes, blockEnd + 8 * uint64_t{i} + 4);
    if (valueRef != authoring::kNoEntry && valueRef >= values)
      return fail("value reference " + std::to_string(valueRef) +
                  " out of range (ID " + Quoted(ids[i]) + "; " +
                  std::to_string(values) + " values)");
    if (voiceRef != authoring::kNoEntry && voiceRef >= h.voicePathCount)
      return fail("voice path reference " + std::to_string(voiceRef) +
                  " out of range (ID " + Quoted(ids[i]) + "; " +
                  std::to_string(h.voicePathCount) + " voice paths)");
  }
  r.trailingBytes = bytes.size() - pairsEnd;
  r.ok = true;
  return r;
}

OpenDatabase::OpenDatabase(const std::string &path) : FilePath(path) {
  std::string raw = ReadFileBytes(path);
  Bytes.assign(raw.begin(), raw.end());
  Info = InspectDatabase(Bytes);
  if (!Info.ok)
    return;
  authoring::ByteStream stream(Bytes);
  Handle = GetIPhrasorMgr()->CreateKeeper(&stream);
}

OpenDatabase::~OpenDatabase() { GetIPhrasorMgr()->ReleaseKeeper(Handle); }

std::string OpenDatabase::LoadFailure() const {
  if (Handle)
    return "";
  if (!Info.ok)
    return Info.reason;
  return "the runtime refused the file";
}

std::vector<authoring::Entry> OpenDatabase::Entries() const {
  std::vector<authoring::Entry> entries;
  if (!Handle)
    return entries;
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  entries.reserve(Info.header.idCount);
  for (uint32_t i = 0; i < Info.header.idCount; ++i) {
    const int32_t index = static_cast<int32_t>(i);
    authoring::Entry e;
    e.id = mgr->GetStringID(Handle, index);
    if (mgr->HasStringByIndex(Handle, index))
      e.value = FromRuntime(mgr->GetStringByIndex(Handle, index));
    if (mgr->HasVoicePathByIndex(Handle, index))
      e.voicePath = mgr->GetVoicePathByIndex(Handle, index);
    entries.push_back(std::move(e));
  }
  return entries;
}

void RequireLoaded(const OpenDatabase &db) {
  if (!db.Keeper())
    throw FatalError("cannot load '" + db.Path() + "': " + db.LoadFailure());
}

} // namespace phrasor::tool
