//===- ByteStream.h - A host stream over bytes already in memory -*- C++
//-*-===//
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
  ByteStream(const uint8_t *data, std::size_t size) : Data(data), Size(size) {}
  explicit ByteStream(const std::vector<uint8_t> &bytes)
      : ByteStream(bytes.data(), bytes.size()) {}
  virtual ~ByteStream() = default;

  int32_t Read(void *buffer, uint32_t size) override {
    if (size > Size - Position)
      return 1;
    if (size != 0)
      std::memcpy(buffer, Data + Position, size);
    Position += size;
    return 0;
  }

private:
  const uint8_t *Data;
  std::size_t Size;
  std::size_t Position = 0;
};

} // namespace phrasor::authoring

#endif // PHRASOR_TOOLS_BYTESTREAM_H
