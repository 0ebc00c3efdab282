//===- host.cpp - A small host program using the string runtime -----------===//
//
// Shows what a game does with the runtime: supply its own memory manager
// and file stream, register an error callback, load a database per
// language, look strings up, and format messages and printf-style texts.
//
//   phrasor_example_host en.skdb fr.skdb de.skdb ja.skdb
//
//===----------------------------------------------------------------------===//

#include "PhrasorRuntime.h"
#include "QVMemory.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

/// The host's allocator: here malloc with a count of live blocks, so the
/// program can show that releasing a database gives everything back.
class HostMemory : public IQVMemory {
public:
  void *Allocate(uint32_t size) override {
    void *block = std::malloc(size ? size : 1);
    if (block)
      ++live;
    return block;
  }
  void Free(void *block) override {
    if (!block)
      return; // the runtime may hand back null; it must be ignored
    --live;
    std::free(block);
  }
  long live = 0;

  virtual ~HostMemory() = default;
};

/// The host's stream over a file. The runtime calls only Read, and expects
/// exactly the requested bytes or a nonzero result.
class FileStream : public IReadStream {
public:
  explicit FileStream(const char *path) : file(std::fopen(path, "rb")) {}
  virtual ~FileStream() {
    if (file)
      std::fclose(file);
  }
  bool IsOpen() const { return file != nullptr; }
  int32_t Read(void *buffer, uint32_t size) override {
    return std::fread(buffer, 1, size, file) == size ? 0 : 1;
  }

private:
  std::FILE *file;
};

/// UTF-16 from the runtime to UTF-8 for the terminal.
std::string Utf8(const PhrasorWChar *text) {
  std::string out;
  for (; *text; ++text) {
    uint32_t c = static_cast<uint16_t>(*text);
    if (c >= 0xD800 && c <= 0xDBFF && text[1] >= 0xDC00 && text[1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) +
          (static_cast<uint16_t>(text[1]) - 0xDC00);
      ++text;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

void OnLookupError(HSTRINGKEEPER, const char *label, const char *message,
                   void *userData) {
  ++*static_cast<int *>(userData);
  std::printf("  (error callback: %s: %s)\n", label, message);
}

void PrintId(const char *id, void *) { std::printf(" %s", id); }

void Show(IPhrasorMgr *mgr, HSTRINGKEEPER db) {
  std::printf("  title:     %s",
              Utf8(mgr->GetStringByID(db, "UI_MENU_TITLE")).c_str());
  if (mgr->HasVoicePathByID(db, "UI_MENU_TITLE"))
    std::printf("  [voice %s]", mgr->GetVoicePathByID(db, "UI_MENU_TITLE"));
  std::printf("\n  menu:     ");
  mgr->EnumerateIDsByPrefix(db, "UI_", PrintId, nullptr);
  std::printf("\n");

  // Message style: the arguments are passed in field order, whatever order
  // the translation puts its inserts in.
  PhrasorWChar line[256];
  if (mgr->FormatMessageByID(db, "DLG_SCORE", line, 256, PHRASOR_TEXT("Ann"),
                             7))
    std::printf("  score:     %s\n", Utf8(line).c_str());
  if (mgr->FormatMessageByID(db, "DLG_ITEM_FOUND", line, 256,
                             PHRASOR_TEXT("Ann"), 3, PHRASOR_TEXT("potions")))
    std::printf("  item:      %s\n", Utf8(line).c_str());
  if (mgr->FormatMessageByID(db, "DLG_SAVED", line, 256, 9, 5))
    std::printf("  saved:     %s\n", Utf8(line).c_str());

  // printf style: the arguments follow the conversions left to right.
  if (mgr->FormatStringByID(db, "HUD_HEALTH", line, 256, 80, 120,
                            80.0 * 100 / 120) >= 0)
    std::printf("  health:    %s\n", Utf8(line).c_str());

  // A lookup that fails answers with a fixed text and tells the callback.
  std::printf("  missing:   %s\n",
              Utf8(mgr->GetStringByID(db, "UI_NO_SUCH_TEXT")).c_str());
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DATABASE.skdb...\n", argv[0]);
    return 2;
  }
  // Installed before the first request, so every block the runtime ever
  // takes comes from the host.
  static HostMemory memory;
  SetIQVMemory(&memory);

  IPhrasorMgr *mgr = GetIPhrasorMgr();
  int failedLookups = 0;
  mgr->SetErrorCallback(OnLookupError, &failedLookups);

  int status = 0;
  for (int i = 1; i < argc; ++i) {
    std::printf("%s\n", argv[i]);
    FileStream stream(argv[i]);
    HSTRINGKEEPER db = stream.IsOpen() ? mgr->CreateKeeper(&stream) : nullptr;
    if (!db) {
      std::printf("  cannot load (run 'phrasor check %s' for the reason)\n",
                  argv[i]);
      status = 1;
      continue;
    }
    Show(mgr, db);
    mgr->ReleaseKeeper(db);
  }
  mgr->ClearErrorCallback(OnLookupError);
  std::printf("failed lookups reported: %d; blocks still held: %ld\n",
              failedLookups, memory.live);
  return status;
}
