//===- FileIo.h - The tool's reads and writes of whole files ---*- C++ -*-===//
//
// Every file the tool reads or writes goes through these three, so each
// failure is reported the same way: a FatalError naming the file and the
// system's reason. A file's type is told by its extension, read one way.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_FILEIO_H
#define PHRASOR_TOOL_FILEIO_H

#include <string>
#include <string_view>

namespace phrasor::tool {

/// The whole file as bytes; throws FatalError when it cannot be read.
std::string ReadFileBytes(const std::string &path);

/// Writes \p bytes to \p path through a temporary file in the same
/// directory, so a failed build never leaves a half-written database.
void WriteFileAtomically(const std::string &path, const std::string &bytes);

/// Writes to stdout; throws FatalError when stdout fails (a closed pipe).
void WriteStdout(const std::string &text);

/// The extension of \p path's file name, its dot included and its ASCII
/// letters in lower case (".csv" for "Menu.CSV"); empty when it has none.
std::string Extension(std::string_view path);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_FILEIO_H
