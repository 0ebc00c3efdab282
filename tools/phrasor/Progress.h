//===- Progress.h - A progress line on the terminal -------------*- C++ -*-===//
//
// Building or dumping a million entries takes seconds; on a terminal the
// user sees how far it got, on one line of stderr rewritten with '\r'. When
// stderr is a file or a pipe nothing is shown, so logs and tests read the
// same as before. Small jobs show nothing either.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_PROGRESS_H
#define PHRASOR_TOOL_PROGRESS_H

#include <cstddef>
#include <string>

namespace phrasor::tool {

class Progress {
public:
  /// Jobs of at most this many entries show nothing.
  static constexpr std::size_t kThreshold = 100000;

  Progress();
  Progress(const Progress &) = delete;
  Progress &operator=(const Progress &) = delete;
  /// Clears the line if one was shown.
  ~Progress();

  /// "reading 350000 entries…" once \p done passes kThreshold. Cheap enough
  /// to call for every entry: it looks only at every 65536th count.
  void Count(const char *verb, std::size_t done) {
    if (enabled && (done & 0xFFFF) == 0 && done > kThreshold)
      Show(std::string(verb) + " " + std::to_string(done) + " entries\u2026");
  }

  /// "checking 1000000 entries…": a step whose length is not known.
  void Step(const char *verb, std::size_t entries);

  /// The progress AddEntry counts the entries read into; null when none.
  static Progress *Reading();
  /// Makes this the one AddEntry counts into, until it is destroyed.
  void CountReading();

private:
  void Show(const std::string &line);

  bool enabled;
  bool shown = false;
};

/// Wipes the progress line, if one is shown, so that a diagnostic starts
/// on a clean line; the next update draws it again.
void ClearProgressLine();

/// Called by the readers for each entry they add: \p count entries so far.
inline void CountEntryRead(std::size_t count) {
  if ((count & 0xFFFF) == 0)
    if (Progress *p = Progress::Reading())
      p->Count("reading", count);
}

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_PROGRESS_H
