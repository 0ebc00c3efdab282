//===- Diagnostics.cpp - Errors and warnings of the phrasor tool ----------===//

#include "tools/phrasor/Diagnostics.h"

#include "tools/phrasor/Progress.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <mutex>
#include <unordered_set>

namespace phrasor::tool {

const std::string &FileName::Kept(std::string_view name) {
  // Never destroyed: positions may be read while the program ends.
  static auto *names = new std::unordered_set<std::string>;
  static std::mutex lock;
  // A reader asks for its own file's name once per entry.
  thread_local const std::string *last = nullptr;
  if (last && *last == name)
    return *last;
  std::lock_guard<std::mutex> hold(lock);
  last = &*names->emplace(name).first;
  return *last;
}

std::string SourcePos::Text() const {
  if (line == 0)
    return file;
  return file.str() + ":" + std::to_string(line);
}

namespace {
void Print(const char *severity, const std::string &where,
           const std::string &message) {
  ClearProgressLine();
  std::cerr << severity << ": ";
  if (!where.empty())
    std::cerr << where << ": ";
  std::cerr << message << '\n';
}
} // namespace

void Diagnostics::Error(const std::string &where, const std::string &message) {
  ++errorCount;
  if (kept)
    kept->push_back({true, where, message});
  else
    Print("error", where, message);
}

void Diagnostics::Warning(const std::string &where,
                          const std::string &message) {
  if (strictMode) {
    Error(where, message);
    return;
  }
  ++warningCount;
  if (kept)
    kept->push_back({false, where, message});
  else
    Print("warning", where, message);
}

void Diagnostics::Note(const std::string &where, const std::string &message) {
  Print("note", where, message);
}

std::string SystemReason() {
  std::string reason = std::strerror(errno);
  // strerror capitalises; diagnostics are lower case throughout.
  if (!reason.empty() && reason[0] >= 'A' && reason[0] <= 'Z' &&
      !(reason.size() > 1 && reason[1] >= 'A' && reason[1] <= 'Z'))
    reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
  return reason;
}

} // namespace phrasor::tool
