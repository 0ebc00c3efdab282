//===- CppTestSupport.h - Databases for the C++ layer's tests --*- C++ -*-===//

#ifndef PHRASOR_TESTS_CPP_CPPTESTSUPPORT_H
#define PHRASOR_TESTS_CPP_CPPTESTSUPPORT_H

#include "phrasor/Phrasor.h"
#include "tools/authoring/DatabaseWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace phrasor::cpptest {

inline Text T(const std::string &utf8) { return fromUtf8(utf8); }

/// Entries given as {id, utf8 value}; an empty optional is "no value".
struct Row {
  std::string id;
  std::optional<std::string> value;
  std::optional<std::string> voice = std::nullopt;
};

inline std::vector<std::uint8_t> Bytes(const std::vector<Row> &rows) {
  std::vector<authoring::Entry> entries;
  for (const Row &r : rows) {
    authoring::Entry e;
    e.id = r.id;
    if (r.value) {
      Text t = fromUtf8(*r.value);
      e.value = std::u16string(t.begin(), t.end());
    }
    e.voicePath = r.voice;
    entries.push_back(e);
  }
  auto bytes = authoring::BuildDatabase(entries);
  EXPECT_TRUE(bytes.has_value());
  return bytes ? *bytes : std::vector<std::uint8_t>();
}

inline Catalog Make(const std::vector<Row> &rows) {
  std::vector<std::uint8_t> bytes = Bytes(rows);
  Expected<Catalog> c = Catalog::fromBytes(bytes.data(), bytes.size());
  if (!c)
    ADD_FAILURE() << c.error().message();
  return std::move(*c);
}

/// A scratch directory, removed with its files.
class TempDir {
public:
  TempDir() {
    path =
        std::filesystem::temp_directory_path() /
        ("phrasor_cpp_" +
         std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  std::filesystem::path write(const std::string &name,
                              const std::vector<std::uint8_t> &bytes) const {
    std::ofstream out(path / name, std::ios::binary);
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path / name;
  }
  std::filesystem::path path;
};

} // namespace phrasor::cpptest

#endif // PHRASOR_TESTS_CPP_CPPTESTSUPPORT_H
