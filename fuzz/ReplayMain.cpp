//===- ReplayMain.cpp - Runs a fuzz target over saved inputs --------------===//
//
// Linked instead of libFuzzer when the compiler has none (gcc, mingw) or the
// build is not a fuzzing build: every file named on the command line, and
// every file inside every directory named, is passed once to the target. So
// the seed corpora and past crash inputs run as ordinary tests everywhere.
//
//===----------------------------------------------------------------------===//

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

bool RunFile(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "replay: cannot open %s\n", path.string().c_str());
    return false;
  }
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  // A copy of exactly the input's size, so a read one past the end is a
  // read outside the block under AddressSanitizer, as with libFuzzer.
  std::vector<uint8_t> exact(bytes.begin(), bytes.end());
  LLVMFuzzerTestOneInput(exact.empty() ? nullptr : exact.data(), exact.size());
  return true;
}

} // namespace

int main(int argc, char **argv) {
  std::size_t runs = 0;
  bool ok = true;
  for (int i = 1; i < argc; ++i) {
    std::filesystem::path arg(argv[i]);
    std::error_code error;
    if (std::filesystem::is_directory(arg, error)) {
      std::vector<std::filesystem::path> files;
      for (const auto &entry :
           std::filesystem::recursive_directory_iterator(arg, error))
        if (entry.is_regular_file())
          files.push_back(entry.path());
      // Sorted, so a failure reproduces in the same order everywhere.
      std::sort(files.begin(), files.end());
      for (const auto &file : files) {
        ok = RunFile(file) && ok;
        ++runs;
      }
    } else {
      ok = RunFile(arg) && ok;
      ++runs;
    }
  }
  std::printf("replay: %zu input(s)\n", runs);
  if (runs == 0) {
    std::fprintf(stderr, "replay: no inputs given\n");
    return 1;
  }
  return ok ? 0 : 1;
}
