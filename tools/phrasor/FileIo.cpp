//===- FileIo.cpp - The tool's reads and writes of whole files ------------===//

#include "tools/phrasor/FileIo.h"

#include "tools/phrasor/Diagnostics.h"
#include "tools/phrasor/Utf.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace phrasor::tool {

std::string ReadFileBytes(const std::string &path) {
  // A directory opens as a stream that reads nothing on some systems, and
  // would pass for an empty file.
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec))
    throw FatalError("cannot read '" + path + "': it is a directory");
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw FatalError("cannot read '" + path + "': " + SystemReason());
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad())
    throw FatalError("cannot read '" + path + "': " + SystemReason());
  return std::move(bytes).str();
}

void WriteFileAtomically(const std::string &path, const std::string &bytes) {
  const std::string temp = path + ".tmp";
  errno = 0;
  std::FILE *f = std::fopen(temp.c_str(), "wb");
  if (!f)
    throw FatalError("cannot write '" + path + "': " + SystemReason());
  bool good = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  good = std::fclose(f) == 0 && good;
  if (!good || std::rename(temp.c_str(), path.c_str()) != 0) {
    std::string reason = SystemReason();
    std::remove(temp.c_str());
    throw FatalError("cannot write '" + path + "': " + reason);
  }
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
