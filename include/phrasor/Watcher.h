//===- Watcher.h - Reload a Localizer's catalogs when their files change -*- C++
//-*-===//
//
// For development: a translator rebuilds a database and the running game
// shows it. A Watcher owns one thread, started by its constructor and
// stopped by its destructor, that waits for changes in the directory the
// Localizer was loaded from and then calls Localizer::reload(), so every
// rule of a reload holds: the swap is atomic, a file that does not load
// keeps the old catalog, and the change callback is told, on the watcher's
// thread. Nothing watches unless a Watcher is made.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_WATCHER_H
#define PHRASOR_CPP_WATCHER_H

#include "phrasor/Localizer.h"

#include <chrono>
#include <memory>

namespace phrasor {

class Watcher {
public:
  struct Options {
    /// How long the directory must be quiet before the reload: a build
    /// writes its file in one rename, but an editor may save in steps.
    std::chrono::milliseconds settle{50};
    /// Look every `interval` instead of asking the system to tell (inotify
    /// on Linux, directory change notifications on Windows). Chosen anyway
    /// where the system cannot tell, such as other systems or a directory
    /// whose watch could not be set up.
    bool poll = false;
    std::chrono::milliseconds interval{250};
  };

  /// Starts watching for \p localizer, which must outlive the Watcher.
  explicit Watcher(Localizer &localizer) : Watcher(localizer, Options()) {}
  Watcher(Localizer &localizer, Options options);
  /// Stops the thread and waits for it; a reload in progress finishes.
  ~Watcher();
  Watcher(const Watcher &) = delete;
  Watcher &operator=(const Watcher &) = delete;

  /// True when the system tells of changes; false when polling.
  bool notified() const noexcept;
  /// How many reloads the watcher has made.
  std::uint64_t reloads() const noexcept;

  struct Impl;

private:
  std::unique_ptr<Impl> impl;
};

} // namespace phrasor

#endif // PHRASOR_CPP_WATCHER_H
