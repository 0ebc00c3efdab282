//===- msabi_host.cpp - A Microsoft-ABI host of the mingw-built DLL -------===//
//
// Built the way an MSVC or clang-cl host is (Microsoft C++ ABI, no C
// runtime, only kernel32), this program drives every operation of the
// interface through PhrasorRuntime.dll and checks each answer, so a layout
// or calling-convention mismatch between the two ABIs shows up as a wrong
// answer or a crash. Exit code: the number of failed checks.
//
//===----------------------------------------------------------------------===//

#include "tests/msabi/MsAbiCalls.h"

extern "C" {
__declspec(dllimport) void *__stdcall GetStdHandle(unsigned long which);
__declspec(dllimport) int __stdcall WriteFile(void *file, const void *data,
                                              unsigned long size,
                                              unsigned long *written,
                                              void *overlapped);
__declspec(dllimport) __declspec(noreturn) void __stdcall ExitProcess(
    unsigned int code);

// What the compiler may call on its own without a C runtime.
int _fltused = 0;
void *memset(void *dest, int value, size_t size) {
  unsigned char *d = static_cast<unsigned char *>(dest);
  while (size--)
    *d++ = static_cast<unsigned char>(value);
  return dest;
}
void *memcpy(void *dest, const void *source, size_t size) {
  unsigned char *d = static_cast<unsigned char *>(dest);
  const unsigned char *s = static_cast<const unsigned char *>(source);
  while (size--)
    *d++ = *s++;
  return dest;
}
}

namespace {

unsigned Failures = 0;

size_t Length(const char *s) {
  size_t n = 0;
  while (s[n])
    ++n;
  return n;
}

void Print(const char *text) {
  unsigned long written = 0;
  WriteFile(GetStdHandle(static_cast<unsigned long>(-11)), text,
            static_cast<unsigned long>(Length(text)), &written, nullptr);
}

void Check(bool ok, const char *what) {
  if (ok)
    return;
  ++Failures;
  Print("FAILED: ");
  Print(what);
  Print("\n");
}

bool Same(const char *a, const char *b) {
  if (!a || !b)
    return a == b;
  while (*a && *a == *b)
    ++a, ++b;
  return *a == *b;
}

bool Same(const PhrasorWChar *a, const PhrasorWChar *b) {
  if (!a || !b)
    return a == b;
  while (*a && *a == *b)
    ++a, ++b;
  return *a == *b;
}

// --- The database, built in memory in the file's own layout --------------

unsigned char Database[512];
uint32_t DatabaseSize = 0;

void PutWord(uint32_t word) {
  for (int i = 0; i < 4; ++i)
    Database[DatabaseSize++] = static_cast<unsigned char>(word >> (8 * i));
}
void PutNarrow(const char *s) {
  size_t start = DatabaseSize;
  do
    Database[DatabaseSize++] = static_cast<unsigned char>(*s);
  while (*s++);
  while ((DatabaseSize - start) % 4)
    Database[DatabaseSize++] = 0;
}
void PutWide(const PhrasorWChar *s) {
  size_t start = DatabaseSize;
  do {
    Database[DatabaseSize++] = static_cast<unsigned char>(*s & 0xFF);
    Database[DatabaseSize++] = static_cast<unsigned char>(*s >> 8);
  } while (*s++);
  while ((DatabaseSize - start) % 4)
    Database[DatabaseSize++] = 0;
}

const PhrasorWChar kPrintfText[] = L"Hello %s, you are %d (%.2f, %S)";
const PhrasorWChar kMessageText[] = L"%4!S!: %1!s! has %2!d! items at %3!.1f!";

// IDs "alpha" (printf text, voice), "beta" (message text), "gamma" (voice
// only), in the case-insensitive order the loader demands.
void BuildDatabase() {
  const uint32_t noEntry = 0xFFFFFFFFu;
  PutWord(0x42444B53u); // magic
  PutWord(5);           // version
  PutWord(3);           // IDs
  PutWord(5);           // IDs + values
  PutWord(2);           // voice paths
  uint32_t sizeAt = DatabaseSize;
  PutWord(0);
  uint32_t blockStart = DatabaseSize;
  PutNarrow("alpha");
  PutNarrow("beta");
  PutNarrow("gamma");
  PutWide(kPrintfText);
  PutWide(kMessageText);
  PutNarrow("alpha.wav");
  PutNarrow("g.wav");
  uint32_t size = DatabaseSize - blockStart;
  for (int i = 0; i < 4; ++i)
    Database[sizeAt + i] = static_cast<unsigned char>(size >> (8 * i));
  PutWord(0), PutWord(0);
  PutWord(1), PutWord(noEntry);
  PutWord(noEntry), PutWord(1);
}

class EmbeddedStream : public IReadStream {
public:
  int32_t Read(void *buffer, uint32_t size) override {
    if (size > DatabaseSize - Position)
      return 1;
    memcpy(buffer, Database + Position, size);
    Position += size;
    return 0;
  }
  uint32_t Position = 0;
};

// --- Callbacks -------------------------------------------------------------

struct ErrorLog {
  unsigned calls = 0;
  HSTRINGKEEPER keeper = nullptr;
  const char *label = nullptr;
  const char *message = nullptr;
  void *userData = nullptr;
} Errors;

void OnError(HSTRINGKEEPER keeper, const char *label, const char *message,
             void *userData) {
  ++Errors.calls;
  Errors.keeper = keeper;
  Errors.label = label;
  Errors.message = message;
  Errors.userData = userData;
}

void OtherError(HSTRINGKEEPER, const char *, const char *, void *) {}

struct Listing {
  unsigned count = 0;
  const char *ids[4] = {};
  void *userData = nullptr;
} Listed;

void OnId(const char *id, void *userData) {
  if (Listed.count < 4)
    Listed.ids[Listed.count] = id;
  ++Listed.count;
  Listed.userData = userData;
}

// --- The va_list operations, fed from this side's own va_start ------------

int32_t PrintfByIndexV(IPhrasorMgr *m, HSTRINGKEEPER k, int32_t index,
                       PhrasorWChar *buffer, uint32_t length, ...) {
  va_list args;
  va_start(args, length);
  int32_t r = CallFormatStringByIndexV(m, k, index, buffer, length, args);
  va_end(args);
  return r;
}
int32_t PrintfByIDV(IPhrasorMgr *m, HSTRINGKEEPER k, const char *id,
                    PhrasorWChar *buffer, uint32_t length, ...) {
  va_list args;
  va_start(args, length);
  int32_t r = CallFormatStringByIDV(m, k, id, buffer, length, args);
  va_end(args);
  return r;
}
bool MessageByIndexV(IPhrasorMgr *m, HSTRINGKEEPER k, int32_t index,
                     PhrasorWChar *buffer, uint32_t length, ...) {
  va_list args;
  va_start(args, length);
  bool r = CallFormatMessageByIndexV(m, k, index, buffer, length, args);
  va_end(args);
  return r;
}
bool MessageByIDV(IPhrasorMgr *m, HSTRINGKEEPER k, const char *id,
                  PhrasorWChar *buffer, uint32_t length, ...) {
  va_list args;
  va_start(args, length);
  bool r = CallFormatMessageByIDV(m, k, id, buffer, length, args);
  va_end(args);
  return r;
}

void Run() {
  IPhrasorMgr *m = GetIPhrasorMgr();
  Check(m != nullptr && m == GetIPhrasorMgr(), "one manager");
  BuildDatabase();

  EmbeddedStream bytes;
  Check(CallRead(&bytes, Database, 0) == 0, "the stream reads");
  Check(CallSetErrorCallback(m, OnError, &Errors), "SetErrorCallback");
  Check(CallCreateKeeper(m, nullptr) == nullptr, "CreateKeeper(null)");
  EmbeddedStream stream;
  HSTRINGKEEPER k = CallCreateKeeper(m, &stream);
  Check(k != nullptr, "CreateKeeper loads");
  if (!k)
    return;
  Check(stream.Position == DatabaseSize, "the whole stream is read");

  Check(CallGetStringIndex(m, k, "BETA") == 1, "GetStringIndex");
  Check(CallGetStringIndex(m, k, "<none>") == NONE_STRING_INDEX,
        "GetStringIndex <none>");
  Check(CallGetStringIndex(m, k, "delta") == INVALID_STRING_INDEX,
        "GetStringIndex absent");
  Check(Same(CallGetStringID(m, k, 2), "gamma"), "GetStringID");
  Check(Same(CallGetStringByIndex(m, k, 0), kPrintfText), "GetStringByIndex");
  Check(Same(CallGetStringByID(m, k, "Beta"), kMessageText), "GetStringByID");
  Check(Same(CallGetVoicePathByIndex(m, k, 0), "alpha.wav"),
        "GetVoicePathByIndex");
  Check(Same(CallGetVoicePathByID(m, k, "GAMMA"), "g.wav"), "GetVoicePathByID");
  Check(CallIsValidID(m, k, "alpha") && !CallIsValidID(m, k, "delta"),
        "IsValidID");
  Check(CallHasStringByIndex(m, k, 1) && !CallHasStringByIndex(m, k, 2),
        "HasStringByIndex");
  Check(CallHasStringByID(m, k, "beta") && !CallHasStringByID(m, k, "gamma"),
        "HasStringByID");
  Check(CallHasVoicePathByIndex(m, k, 2) && !CallHasVoicePathByIndex(m, k, 1),
        "HasVoicePathByIndex");
  Check(CallHasVoicePathByID(m, k, "alpha") &&
            !CallHasVoicePathByID(m, k, "beta"),
        "HasVoicePathByID");
  Check(Errors.calls == 0, "no report from lookups that succeed");

  // The error callback receives the caller's own pointer and user data.
  const char *absent = "delta";
  Check(Same(CallGetStringByID(m, k, absent), L"[ERROR: Invalid String ID]"),
        "GetStringByID absent");
  Check(Errors.calls == 1 && Errors.keeper == k && Errors.label == absent &&
            Same(Errors.message, "[ERROR: Invalid String ID]") &&
            Errors.userData == &Errors,
        "error callback");
  Check(Same(CallGetStringID(m, k, 7), "[UNKNOWN]") && Errors.calls == 2 &&
            Same(Errors.label, "[UNKNOWN]"),
        "GetStringID out of range reports");

  PhrasorWChar out[64];
  const PhrasorWChar kPrintfOut[] = L"Hello World, you are -42 (2.50, narrow)";
  Check(CallFormatStringByIndex(m, k, 0, out, 64, L"World", -42, 2.5,
                                "narrow") == 39 &&
            Same(out, kPrintfOut),
        "FormatStringByIndex");
  Check(CallFormatStringByID(m, k, "ALPHA", out, 64, L"World", -42, 2.5,
                             "narrow") == 39 &&
            Same(out, kPrintfOut),
        "FormatStringByID");
  Check(PrintfByIndexV(m, k, 0, out, 64, L"World", -42, 2.5, "narrow") == 39 &&
            Same(out, kPrintfOut),
        "FormatStringByIndexV");
  Check(PrintfByIDV(m, k, "alpha", out, 64, L"World", -42, 2.5, "narrow") ==
                39 &&
            Same(out, kPrintfOut),
        "FormatStringByIDV");
  Check(CallFormatStringByIndex(m, k, 0, out, 8, L"World", -42, 2.5,
                                "narrow") == -1,
        "FormatStringByIndex cut");

  const PhrasorWChar kMessageOut[] = L"town: Ann has 3 items at 2.5";
  Check(CallFormatMessageByIndex(m, k, 1, out, 64, L"Ann", 3, 2.5, "town") &&
            Same(out, kMessageOut),
        "FormatMessageByIndex");
  Check(CallFormatMessageByID(m, k, "beta", out, 64, L"Ann", 3, 2.5, "town") &&
            Same(out, kMessageOut),
        "FormatMessageByID");
  Check(MessageByIndexV(m, k, 1, out, 64, L"Ann", 3, 2.5, "town") &&
            Same(out, kMessageOut),
        "FormatMessageByIndexV");
  Check(MessageByIDV(m, k, "BETA", out, 64, L"Ann", 3, 2.5, "town") &&
            Same(out, kMessageOut),
        "FormatMessageByIDV");
  // An entry without a value formats the error text as its message.
  Check(CallFormatMessageByID(m, k, "gamma", out, 64, L"Ann", 3, 2.5, "town") &&
            Same(out, L"[ERROR: String Value Not Found]"),
        "FormatMessageByID without a value");

  Listed = Listing();
  Check(CallEnumerateIDsByPrefix(m, k, "A", OnId, &Listed) &&
            Listed.count == 1 && Same(Listed.ids[0], "alpha") &&
            Listed.userData == &Listed,
        "EnumerateIDsByPrefix");
  Listed = Listing();
  Check(CallEnumerateIDsByPrefix(m, k, "", OnId, nullptr) &&
            Listed.count == 3 && Same(Listed.ids[2], "gamma"),
        "EnumerateIDsByPrefix all");
  Check(!CallEnumerateIDsByPrefix(m, k, "x", OnId, nullptr),
        "EnumerateIDsByPrefix none");

  Check(!CallClearErrorCallback(m, OtherError), "ClearErrorCallback other");
  Check(CallClearErrorCallback(m, OnError), "ClearErrorCallback");
  unsigned before = Errors.calls;
  CallGetStringByID(m, k, absent);
  Check(Errors.calls == before, "no report once cleared");

  CallReleaseKeeper(m, k);
  CallReleaseKeeper(m, nullptr);
}

} // namespace

extern "C" void Start() {
  Run();
  Print(Failures ? "msabi host: some checks failed\n"
                 : "msabi host: every check passed\n");
  ExitProcess(Failures);
}
