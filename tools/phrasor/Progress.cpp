//===- Progress.cpp - A progress line on the terminal ---------------------===//

#include "tools/phrasor/Progress.h"

#include <unistd.h>

#include <cstdio>

namespace phrasor::tool {
namespace {
Progress *reading = nullptr;
std::size_t lineWidth = 0; ///< of the line on the terminal; 0: none
} // namespace

Progress::Progress() : enabled(::isatty(2) == 1) {}

Progress::~Progress() {
  if (reading == this)
    reading = nullptr;
  if (shown)
    ClearProgressLine();
}

Progress *Progress::Reading() { return reading; }

void Progress::CountReading() { reading = this; }

void Progress::Step(const char *verb, std::size_t entries) {
  if (enabled && entries > kThreshold)
    Show(std::string(verb) + " " + std::to_string(entries) + " entries\u2026");
}

void Progress::Show(const std::string &line) {
  // Spaces wipe what a longer line before left behind.
  std::string text = "\r" + line;
  if (line.size() < lineWidth)
    text.append(lineWidth - line.size(), ' ');
  lineWidth = line.size();
  shown = true;
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
}

void ClearProgressLine() {
  if (lineWidth == 0)
    return;
  std::fputs(("\r" + std::string(lineWidth, ' ') + "\r").c_str(), stderr);
  std::fflush(stderr);
  lineWidth = 0;
}

} // namespace phrasor::tool
