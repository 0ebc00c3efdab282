//===- ByteStream.h - A host stream over bytes in memory -------*- C++ -*-===//
//
// The IReadStream that the tool, the tests, the fuzzers and the benchmarks
// hand to CreateKeeper: it serves the bytes it is given, in order, and
// fails a read that asks for more than remain, delivering nothing.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOLS_BYTESTREAM_H
#define PHRASOR_TOOLS_BYTESTREAM_H

#include "PhrasorRuntime.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace phrasor::authoring {

/// Reads from bytes owned by the caller, which must outlive the stream.
class ByteStream : public IReadStream {
public:
  ByteStream(const uint8_t *data, std::size_t size)
      : bytes(data), length(size) {}
  explicit ByteStream(const std::vector<uint8_t> &content)
      : ByteStream(content.data(), content.size()) {}
  virtual ~ByteStream() = default;

  int32_t Read(void *buffer, uint32_t size) override {
    if (size > length - position)
      return 1;
    if (size != 0)
      std::memcpy(buffer, bytes + position, size);
    position += size;
    return 0;
  }

private:
  const uint8_t *bytes;
  std::size_t length;
  std::size_t position = 0;
};

} // namespace phrasor::authoring

#endif // PHRASOR_TOOLS_BYTESTREAM_H
