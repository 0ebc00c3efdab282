//===- FileIo.cpp - The tool's reads and writes of whole files ------------===//

#include "tools/phrasor/files/FileIo.h"

#include "tools/phrasor/Diagnostics.h"
#include "tools/phrasor/Utf.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace phrasor::tool {

namespace {

/// \p limit as a message names it.
std::string LimitWords(std::uintmax_t limit) {
  if (limit == kMaxSourceBytes)
    return "the 4 GiB of strings a database can hold";
  if (limit == kMaxDatabaseBytes)
    return "the largest database";
  return std::to_string(limit) + " bytes";
}

} // namespace

std::string ReadFileBytes(const std::string &path, std::uintmax_t limit) {
  errno = 0;
  // Opened without blocking, so that a FIFO is refused rather than waited
  // on; the descriptor's own type is then checked, not the name's, which
  // could change in between.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    throw FatalError("cannot read '" + path + "': " + SystemReason());
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat info;
  if (::fstat(fd, &info) != 0)
    throw FatalError("cannot read '" + path + "': " + SystemReason());
  if (S_ISDIR(info.st_mode))
    throw FatalError("cannot read '" + path + "': it is a directory");
  if (!S_ISREG(info.st_mode))
    throw FatalError("cannot read '" + path +
                     "': not a regular file (a device, FIFO or socket)");
  const auto size = static_cast<std::uintmax_t>(info.st_size);
  auto tooLarge = [&](std::uintmax_t bytes) {
    return FatalError("cannot read '" + path + "': " +
                      (bytes ? std::to_string(bytes) + " bytes, more than "
                             : std::string("more than ")) +
                      LimitWords(limit));
  };
  if (size > limit)
    throw tooLarge(size);
  // Read in one piece into a string of the file's size: a string grown as
  // it reads copies a large file several times over.
  std::string bytes(static_cast<std::size_t>(size), '\0');
  auto readSome = [&](char *into, std::size_t most) {
    for (;;) {
      const ssize_t n = ::read(fd, into, most);
      if (n >= 0)
        return static_cast<std::size_t>(n);
      if (errno != EINTR)
        throw FatalError("cannot read '" + path + "': " + SystemReason());
    }
  };
  std::size_t done = 0;
  while (done < bytes.size())
    if (const std::size_t n =
            readSome(bytes.data() + done, bytes.size() - done))
      done += n;
    else
      break;
  bytes.resize(done);
  if (done < size)
    return bytes;
  // A file that grew while it was read: the rest, up to the limit.
  char chunk[65536];
  while (const std::size_t n = readSome(chunk, sizeof chunk)) {
    if (n > limit - bytes.size())
      throw tooLarge(0);
    bytes.append(chunk, n);
  }
  return bytes;
}

namespace {

// The temporary files alive, as the paths a signal handler may unlink:
// plain pointers in lock-free slots, since a handler may neither lock nor
// allocate.
constexpr int kSlots = 16;
std::atomic<const char *> liveTemporaries[kSlots];

void RemoveLiveTemporaries() {
  for (std::atomic<const char *> &slot : liveTemporaries)
    if (const char *path = slot.exchange(nullptr))
      ::unlink(path);
}

extern "C" void RemoveTemporariesAndDie(int signal) {
  RemoveLiveTemporaries();
  // The handler was installed to run once: the signal raised again does
  // what it would have done had it not been caught.
  std::raise(signal);
}

/// Once per process: remove the temporary files at exit (std::exit after a
/// fatal library error skips destructors) and on the signals that end a
/// process, except those the process was started ignoring. SIGQUIT is
/// one of them: a terminal sends it on Ctrl-\ as it sends SIGINT on Ctrl-C.
void WatchForEndings() {
  static const bool watching = [] {
    std::atexit(RemoveLiveTemporaries);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGXFSZ}) {
      struct sigaction old = {};
      if (sigaction(signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN)
        continue;
      struct sigaction action = {};
      action.sa_handler = RemoveTemporariesAndDie;
      action.sa_flags = SA_RESETHAND;
      sigemptyset(&action.sa_mask);
      sigaction(signal, &action, nullptr);
    }
    return true;
  }();
  (void)watching;
}

/// The permission bits a new file gets from this process.
mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

} // namespace

TemporaryFile::TemporaryFile(const std::string &directory,
                             const std::string &stem,
                             const std::string &failure) {
  WatchForEndings();
  const std::string folder = directory.empty() ? "." : directory;
  path = folder + "/" + stem + ".XXXXXX";
  errno = 0;
  // O_CREAT | O_EXCL: the name must not exist, not even as a link.
  fd = ::mkstemp(path.data());
  if (fd < 0)
    throw FatalError((failure.empty()
                          ? "cannot create a temporary file in '" + folder + "'"
                          : failure) +
                     ": " + SystemReason());
  for (int i = 0; i < kSlots && slot < 0; ++i) {
    const char *empty = nullptr;
    if (liveTemporaries[i].compare_exchange_strong(empty, path.c_str()))
      slot = i;
  }
}

TemporaryFile::~TemporaryFile() {
  Close();
  if (slot >= 0 && liveTemporaries[slot].exchange(nullptr) == nullptr)
    return; // removed already, at exit or by a signal
  if (!path.empty())
    ::unlink(path.c_str());
}

bool TemporaryFile::Close() {
  if (fd < 0)
    return true;
  const int closing = fd;
  fd = -1;
  return ::close(closing) == 0;
}

bool TemporaryFile::RenameTo(const std::string &target) {
  if (std::rename(path.c_str(), target.c_str()) != 0)
    return false;
  if (slot >= 0)
    liveTemporaries[slot].store(nullptr);
  slot = -1;
  path.clear();
  return true;
}

std::string ScratchDirectory() {
  const char *tmpdir = std::getenv("TMPDIR");
  return tmpdir && *tmpdir ? tmpdir : "/tmp";
}

namespace {

/// Writes all of \p bytes to \p fd; false (errno set) when that fails.
bool WriteAll(int fd, std::string_view bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

} // namespace

void WriteFileAtomically(const std::string &path, std::string_view bytes) {
  WriteFileAtomically(path, [&](const auto &write) { write(bytes); });
}

void WriteFileAtomically(
    const std::string &path,
    const std::function<void(const std::function<void(std::string_view)> &)>
        &produce) {
  // Every piece is written while the writes succeed; the first failure
  // fails the whole.
  auto writeAll = [&](int fd) {
    bool good = true;
    produce(
        [&](std::string_view bytes) { good = good && WriteAll(fd, bytes); });
    return good;
  };
  // A device or a pipe (-o /dev/stdout) is written into: renaming a file
  // over it would take its place.
  struct stat existing;
  const bool exists = ::stat(path.c_str(), &existing) == 0;
  errno = 0;
  if (exists && !S_ISREG(existing.st_mode) && !S_ISDIR(existing.st_mode)) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    bool good = fd >= 0 && writeAll(fd);
    good = fd >= 0 && ::close(fd) == 0 && good;
    if (!good)
      throw FatalError("cannot write '" + path + "': " + SystemReason());
    return;
  }
  const std::filesystem::path target(path);
  TemporaryFile temp(target.parent_path().string(),
                     "." + target.filename().string(),
                     "cannot write '" + path + "'");
  // A database rewritten keeps who may read it; a new one gets what any
  // new file of the user's would.
  const mode_t mode = exists ? existing.st_mode & 0777 : NewFileMode();
  bool good =
      ::fchmod(temp.Descriptor(), mode) == 0 && writeAll(temp.Descriptor());
  good = good && temp.Close() && temp.RenameTo(path);
  if (!good)
    throw FatalError("cannot write '" + path + "': " + SystemReason());
}

void WriteStdout(const std::string &text) {
  std::cout.write(text.data(), static_cast<std::streamsize>(text.size()));
  std::cout.flush();
  if (!std::cout)
    throw FatalError("cannot write to standard output");
}

std::string Extension(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string_view::npos ||
      (slash != std::string_view::npos && dot < slash))
    return "";
  return AsciiLower(path.substr(dot));
}

} // namespace phrasor::tool
