//===- Watcher.cpp - A thread that reloads a Localizer's changed files ----===//

#include "phrasor/Watcher.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#if defined(__linux__)
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>
#elif defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace phrasor {

struct Watcher::Impl {
  Localizer &localizer;
  Options options;
  std::atomic<bool> stopping{false};
  std::atomic<std::uint64_t> reloads{0};
  bool notified = false;
  std::mutex sleeping;
  std::condition_variable wake;
  std::thread thread;
#if defined(__linux__)
  int changes = -1; // inotify
  int stop = -1;    // an eventfd the destructor writes
#elif defined(_WIN32)
  HANDLE changes = INVALID_HANDLE_VALUE;
  HANDLE stop = nullptr;
#endif

  Impl(Localizer &l, Options o) : localizer(l), options(o) {}

  void reload() {
    const std::uint64_t before = localizer.revision();
    Expected<std::uint64_t> now = localizer.reload();
    if (now && *now != before)
      reloads.fetch_add(1, std::memory_order_relaxed);
  }

  // Sleeps for \p time unless the destructor wakes it; false when stopping.
  bool sleepFor(std::chrono::milliseconds time) {
    std::unique_lock<std::mutex> lock(sleeping);
    return !wake.wait_for(lock, time, [this] { return stopping.load(); });
  }

  void pollLoop() {
    while (sleepFor(options.interval))
      reload();
  }

  bool startNotifications();
  void notifiedLoop();
  void closeNotifications();
};

#if defined(__linux__)

bool Watcher::Impl::startNotifications() {
  const std::filesystem::path &dir = localizer.directory();
  if (dir.empty())
    return false;
  changes = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  stop = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  // A build renames its file into place (IN_MOVED_TO); an editor or a copy
  // writes it (IN_CLOSE_WRITE); either may delete first.
  if (changes < 0 || stop < 0 ||
      inotify_add_watch(changes, dir.c_str(),
                        IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE) <
          0) {
    closeNotifications();
    return false;
  }
  return true;
}

void Watcher::Impl::notifiedLoop() {
  alignas(inotify_event) char events[4096];
  auto drain = [&] {
    while (::read(changes, events, sizeof events) > 0) {
    }
  };
  pollfd fds[2] = {{changes, POLLIN, 0}, {stop, POLLIN, 0}};
  while (!stopping.load()) {
    if (::poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN))
      break;
    if (!(fds[0].revents & POLLIN))
      continue;
    // Wait until the directory has been quiet for a while, then reload
    // once for the whole burst.
    do
      drain();
    while (!stopping.load() &&
           ::poll(fds, 1, static_cast<int>(options.settle.count())) > 0);
    if (!stopping.load())
      reload();
  }
}

void Watcher::Impl::closeNotifications() {
  if (changes >= 0)
    ::close(changes);
  if (stop >= 0)
    ::close(stop);
  changes = stop = -1;
}

#elif defined(_WIN32)

bool Watcher::Impl::startNotifications() {
  const std::filesystem::path &dir = localizer.directory();
  if (dir.empty())
    return false;
  // Told of any name, size or write change in the directory; reload()
  // then finds which files changed, so the details are not needed.
  changes = FindFirstChangeNotificationW(dir.c_str(), FALSE,
                                         FILE_NOTIFY_CHANGE_FILE_NAME |
                                             FILE_NOTIFY_CHANGE_SIZE |
                                             FILE_NOTIFY_CHANGE_LAST_WRITE);
  stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (changes == INVALID_HANDLE_VALUE || !stop) {
    closeNotifications();
    return false;
  }
  return true;
}

void Watcher::Impl::notifiedLoop() {
  const HANDLE handles[2] = {changes, stop};
  const DWORD settle = static_cast<DWORD>(options.settle.count());
  while (!stopping.load()) {
    if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0)
      break;
    do
      FindNextChangeNotification(changes);
    while (!stopping.load() &&
           WaitForSingleObject(changes, settle) == WAIT_OBJECT_0);
    if (!stopping.load())
      reload();
  }
}

void Watcher::Impl::closeNotifications() {
  if (changes != INVALID_HANDLE_VALUE)
    FindCloseChangeNotification(changes);
  if (stop)
    CloseHandle(stop);
  changes = INVALID_HANDLE_VALUE;
  stop = nullptr;
}

#else

bool Watcher::Impl::startNotifications() { return false; }
void Watcher::Impl::notifiedLoop() {}
void Watcher::Impl::closeNotifications() {}

#endif

Watcher::Watcher(Localizer &localizer, Options options)
    : impl(std::make_unique<Impl>(localizer, options)) {
  impl->notified = !options.poll && impl->startNotifications();
  Impl *const self = impl.get();
  impl->thread = std::thread([self] {
    if (self->notified)
      self->notifiedLoop();
    else
      self->pollLoop();
  });
}

Watcher::~Watcher() {
  {
    const std::lock_guard<std::mutex> lock(impl->sleeping);
    impl->stopping.store(true);
  }
  impl->wake.notify_all();
#if defined(__linux__)
  if (impl->notified) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(impl->stop, &one, sizeof one);
  }
#elif defined(_WIN32)
  if (impl->notified)
    SetEvent(impl->stop);
#endif
  impl->thread.join();
  impl->closeNotifications();
}

bool Watcher::notified() const noexcept { return impl->notified; }

std::uint64_t Watcher::reloads() const noexcept {
  return impl->reloads.load(std::memory_order_relaxed);
}

} // namespace phrasor
