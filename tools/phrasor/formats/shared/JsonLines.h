//===- JsonLines.h - Line numbers while nlohmann reads JSON -----*- C++ -*-===//
//
// nlohmann's parser reads through an input iterator; this one counts the
// line breaks it has passed, so that a reader can tell at each event on
// which line the parser stands.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_JSONLINES_H
#define PHRASOR_TOOL_JSONLINES_H

#include <cstddef>
#include <iterator>

namespace phrasor::tool {

/// Walks the text and counts the line breaks the parser has consumed.
class LineCountingIterator {
public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char *;
  using reference = const char &;

  LineCountingIterator(const char *p, std::size_t *lines)
      : at(p), lineCount(lines) {}
  reference operator*() const { return *at; }
  LineCountingIterator &operator++() {
    if (*at == '\n')
      ++*lineCount;
    ++at;
    return *this;
  }
  LineCountingIterator operator++(int) {
    LineCountingIterator old = *this;
    ++*this;
    return old;
  }
  bool operator==(const LineCountingIterator &o) const { return at == o.at; }
  bool operator!=(const LineCountingIterator &o) const { return at != o.at; }

private:
  const char *at;
  std::size_t *lineCount;
};

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_JSONLINES_H
