//===- TestSupport.cpp - Streams, allocators and strings for tests --------===//

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

namespace phrasor::test {

std::u16string U16(const std::string &utf8) {
  std::u16string out;
  for (std::size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    uint32_t cp;
    int extra;
    if (c < 0x80)
      cp = c, extra = 0;
    else if (c < 0xE0)
      cp = c & 0x1F, extra = 1;
    else if (c < 0xF0)
      cp = c & 0x0F, extra = 2;
    else
      cp = c & 0x07, extra = 3;
    ++i;
    for (int k = 0; k < extra && i < utf8.size(); ++k, ++i)
      cp = (cp << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
  }
  return out;
}

WString W(const std::string &utf8) {
  std::u16string u = U16(utf8);
  return WString(u.begin(), u.end());
}

std::string Narrow(const PhrasorWChar *wide) {
  std::string out;
  if (!wide)
    return "(null)";
  for (; *wide; ++wide) {
    uint32_t cp = static_cast<uint16_t>(*wide);
    if (cp >= 0xD800 && cp < 0xDC00 && wide[1]) {
      cp = 0x10000 + ((cp - 0xD800) << 10) +
           (static_cast<uint16_t>(wide[1]) - 0xDC00);
      ++wide;
    }
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

CountingMemory &HostMemory() {
  static CountingMemory memory([](void *) {
    ADD_FAILURE() << "Free of a block this manager never handed out";
  });
  return memory;
}

Keeper::Keeper(const std::vector<uint8_t> &bytes) {
  MemoryStream stream(bytes);
  handle = GetIPhrasorMgr()->CreateKeeper(&stream);
}

Keeper::Keeper(const std::vector<authoring::Entry> &entries) {
  auto bytes = authoring::BuildDatabase(entries);
  EXPECT_TRUE(bytes.has_value()) << "test entries do not compile";
  MemoryStream stream(bytes.value_or(std::vector<uint8_t>{}));
  handle = GetIPhrasorMgr()->CreateKeeper(&stream);
}

Keeper::~Keeper() { GetIPhrasorMgr()->ReleaseKeeper(handle); }

authoring::Entry E(const std::string &id, std::optional<std::string> value,
                   std::optional<std::string> voice) {
  authoring::Entry e;
  e.id = id;
  if (value)
    e.value = U16(*value);
  e.voicePath = std::move(voice);
  return e;
}

namespace {
void RecordReport(HSTRINGKEEPER keeper, const char *label, const char *message,
                  void *userData) {
  auto *log = static_cast<ReportLog *>(userData);
  log->reports.push_back({keeper, label, label ? label : "(null)",
                          message ? message : "(null)", userData});
}
} // namespace

ReportLog::ReportLog() {
  GetIPhrasorMgr()->SetErrorCallback(RecordReport, this);
}
ReportLog::~ReportLog() { GetIPhrasorMgr()->ClearErrorCallback(RecordReport); }

} // namespace phrasor::test
