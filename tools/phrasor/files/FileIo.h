//===- FileIo.h - The tool's reads and writes of whole files ---*- C++ -*-===//
//
// Every file the tool reads or writes goes through these three, so each
// failure is reported the same way: a FatalError naming the file and the
// system's reason. A file's type is told by its extension, read one way.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_FILEIO_H
#define PHRASOR_TOOL_FILEIO_H

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace phrasor::tool {

/// The most bytes a source is read to: a database holds at most 4 GiB of
/// strings (the string block's size is a 32-bit word), so a larger source
/// is another file given by mistake (a disk image, a log), and reading it
/// whole would only exhaust memory before saying so.
inline constexpr std::uintmax_t kMaxSourceBytes = 0xFFFFFFFFu;
/// The largest database file: its 24-byte header, a string block and a
/// table of reference pairs each sized in 32 bits.
inline constexpr std::uintmax_t kMaxDatabaseBytes =
    24 + 2 * std::uintmax_t{0xFFFFFFFFu};

/// The whole file as bytes. Throws FatalError when it cannot be read, is
/// not a regular file (a FIFO would block, a device such as /dev/zero may
/// never end, and some inputs are read twice), or holds more than \p limit
/// bytes, even when it grows while it is read.
std::string ReadFileBytes(const std::string &path,
                          std::uintmax_t limit = kMaxSourceBytes);

/// Writes \p bytes to \p path through a private temporary file in the same
/// directory, renamed over \p path once complete, so a failed or
/// interrupted build never leaves a half-written database. The file keeps
/// the permission bits \p path had; a symbolic link at \p path is replaced
/// by a regular file, never followed.
void WriteFileAtomically(const std::string &path, std::string_view bytes);

/// The same for the bytes \p produce gives, in order, to the writer it is
/// passed: a large file is written as it is made, not held whole first.
void WriteFileAtomically(
    const std::string &path,
    const std::function<void(const std::function<void(std::string_view)> &)>
        &produce);

/// A file only this process can have opened: created exclusively under a
/// name nobody could predict, never through a symbolic link. It is removed
/// when it goes out of scope, when the tool exits, and on SIGINT, SIGTERM,
/// SIGHUP, SIGQUIT and SIGXFSZ, so no interruption leaves it behind.
class TemporaryFile {
public:
  /// Creates it in \p directory, its name begun with \p stem; throws
  /// FatalError when it cannot be created, its message \p failure followed
  /// by the system's reason (by default, naming the directory).
  TemporaryFile(const std::string &directory, const std::string &stem,
                const std::string &failure = "");
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile &) = delete;
  TemporaryFile &operator=(const TemporaryFile &) = delete;

  const std::string &Path() const { return path; }
  /// The open descriptor; -1 once Close has been called.
  int Descriptor() const { return fd; }
  /// Closes the descriptor; false (errno set) when that fails.
  bool Close();
  /// Renames the file to \p target; from then on it is no longer removed.
  /// False (errno set) when the rename fails.
  bool RenameTo(const std::string &target);

private:
  std::string path;
  int fd = -1;
  int slot = -1;
};

/// Where scratch files go: $TMPDIR when it is set, else /tmp.
std::string ScratchDirectory();

/// Writes to stdout; throws FatalError when stdout fails (a closed pipe).
void WriteStdout(const std::string &text);

/// The extension of \p path's file name, its dot included and its ASCII
/// letters in lower case (".csv" for "Menu.CSV"); empty when it has none.
std::string Extension(std::string_view path);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_FILEIO_H
