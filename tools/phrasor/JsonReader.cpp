//===- JsonReader.cpp - JSON input ----------------------------------------===//
//
//   { "ID": "value",
//     "ID": { "value": "text" | null, "voice": "path" | null },
//     "ID": null }
//
// Parsed through nlohmann's SAX interface so that every key is seen, even
// a repeated one (a DOM would keep only one of them), and with an input
// iterator that counts line breaks so each entry knows its line.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/Inputs.h"

#include <nlohmann/json.hpp>

#include <iterator>

namespace phrasor::tool {
namespace {

/// Walks the text and counts the line breaks the parser has consumed.
class LineCountingIterator {
public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char *;
  using reference = const char &;

  LineCountingIterator(const char *p, std::size_t *lines)
      : P(p), Lines(lines) {}
  reference operator*() const { return *P; }
  LineCountingIterator &operator++() {
    if (*P == '\n')
      ++*Lines;
    ++P;
    return *this;
  }
  LineCountingIterator operator++(int) {
    LineCountingIterator old = *this;
    ++*this;
    return old;
  }
  bool operator==(const LineCountingIterator &o) const { return P == o.P; }
  bool operator!=(const LineCountingIterator &o) const { return P != o.P; }

private:
  const char *P;
  std::size_t *Lines;
};

using Json = nlohmann::json;

class EntrySax : public nlohmann::json_sax<Json> {
public:
  EntrySax(const std::string &file, const std::size_t &lines, Diagnostics &diag,
           std::vector<SourceEntry> &out)
      : File(file), Lines(lines), Diag(diag), Out(out) {}

  bool null() override {
    if (Depth == 0)
      return Unexpected("null");
    if (Depth == 1)
      Finish(std::nullopt, std::nullopt);
    else if (Depth == 2 && !Skipping)
      Field() = std::nullopt;
    else
      Unexpected("null");
    return true;
  }
  bool boolean(bool) override { return Unexpected("a boolean"); }
  bool number_integer(number_integer_t) override {
    return Unexpected("a number");
  }
  bool number_unsigned(number_unsigned_t) override {
    return Unexpected("a number");
  }
  bool number_float(number_float_t, const string_t &) override {
    return Unexpected("a number");
  }
  bool binary(binary_t &) override { return Unexpected("binary data"); }

  bool string(string_t &val) override {
    if (Depth == 0)
      return Unexpected("a string");
    if (Depth == 1)
      Finish(val, std::nullopt);
    else if (Depth == 2 && !Skipping)
      Field() = val;
    else
      Unexpected("a string");
    return true;
  }

  bool start_object(std::size_t) override {
    ++Depth;
    if (Depth == 2) {
      Value.reset();
      Voice.reset();
      Skipping = false;
      Current = nullptr;
    } else if (Depth > 2) {
      Unexpected("an object");
    }
    return true;
  }
  bool end_object() override {
    if (Depth == 2 && !Skipping)
      Finish(Value, Voice);
    --Depth;
    return true;
  }
  bool start_array(std::size_t) override {
    if (!Unexpected("an array"))
      return false;
    ++Depth;
    if (Depth >= 2)
      Skipping = true; // the elements are not fields of an entry
    return true;
  }
  bool end_array() override {
    --Depth;
    return true;
  }

  bool key(string_t &val) override {
    if (Depth == 1) {
      Id = val;
      IdLine = Lines + 1;
    } else if (Depth == 2 && !Skipping) {
      if (val == "value")
        Current = &Value;
      else if (val == "voice")
        Current = &Voice;
      else {
        Diag.Error(SourcePos{File, Lines + 1},
                   "unknown key '" + val + "' in entry '" + Id +
                       "' (expected value or voice)");
        Skipping = true;
      }
    }
    return true;
  }

  bool parse_error(std::size_t, const std::string &,
                   const nlohmann::detail::exception &ex) override {
    // nlohmann's text reads "[json.exception.parse_error.101] parse error
    // at line 3, column 5: syntax error ..."; keep only the last part, our
    // prefix already names the place.
    std::string what = ex.what();
    std::size_t colon = what.find(": ");
    std::string detail =
        colon == std::string::npos ? what : what.substr(colon + 2);
    Diag.Error(SourcePos{File, Lines + 1}, "invalid JSON: " + detail);
    return false;
  }

private:
  std::optional<std::string> &Field() {
    static std::optional<std::string> Sink;
    return Current ? *Current : Sink;
  }

  bool Unexpected(const char *what) {
    if (Depth == 0) {
      Diag.Error(SourcePos{File, Lines + 1},
                 std::string("expected an object of IDs, found ") + what);
      return false; // nothing below a wrong top level is an entry
    }
    if (!Skipping) {
      Diag.Error(SourcePos{File, Depth == 1 ? IdLine : Lines + 1},
                 std::string("entry '") + Id +
                     "': expected a string or an "
                     "object with value and voice, found " +
                     what);
      if (Depth >= 2)
        Skipping = true;
    }
    return true;
  }

  void Finish(const std::optional<std::string> &value,
              const std::optional<std::string> &voice) {
    AddEntry(SourcePos{File, IdLine}, Id, value, voice, Diag, Out);
  }

  const std::string &File;
  const std::size_t &Lines;
  Diagnostics &Diag;
  std::vector<SourceEntry> &Out;
  int Depth = 0;
  std::string Id;
  std::size_t IdLine = 0;
  std::optional<std::string> Value, Voice;
  std::optional<std::string> *Current = nullptr;
  bool Skipping = false;
};

} // namespace

void ReadJson(const std::string &file, std::string_view text, Diagnostics &diag,
              std::vector<SourceEntry> &out) {
  std::size_t lines = 0;
  EntrySax sax(file, lines, diag, out);
  LineCountingIterator first(text.data(), &lines);
  LineCountingIterator last(text.data() + text.size(), &lines);
  Json::sax_parse(first, last, &sax);
}

} // namespace phrasor::tool
