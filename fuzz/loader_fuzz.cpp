//===- loader_fuzz.cpp - Arbitrary bytes as a database, then every query --===//
//
// The input is a database file, read through the host's stream. A load may
// fail, but never crash, leak or read past the input; a load that succeeds
// must then answer every lookup, the enumeration and both formatting styles
// over whatever values it holds without reading outside its blocks or
// writing outside the caller's buffer.
//
//===----------------------------------------------------------------------===//

#include "PhrasorRuntime.h"
#include "QVMemory.h"

#include "base/StrUtil.h"
#include "format/FormatArgs.h"
#include "format/MessageFormat.h"
#include "format/Printf.h"
#include "tests/support/CountingMemory.h"
#include "tools/authoring/ByteStream.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

[[noreturn]] void Fail(const char *what) {
  std::fprintf(stderr, "loader_fuzz: %s\n", what);
  std::abort();
}

using phrasor::test::CountingMemory;

// The stream has no length, so a header may ask for a block of up to 4 GiB
// before a byte of it is read; like a host with a budget, refuse what no
// fuzz input could fill, and the load must fail cleanly.
constexpr uint32_t kMaxBlock = 64u << 20;

CountingMemory &Memory() {
  static CountingMemory memory(
      [](void *) { Fail("Free of a block the runtime never allocated"); });
  static bool installed =
      (memory.SetBudget(kMaxBlock), SetIQVMemory(&memory), true);
  (void)installed;
  return memory;
}

// Every argument a format may take points here: readable as a narrow and as
// a wide string, and checked afterwards, so a conversion that writes through
// an argument (%n) is caught.
alignas(8) char16_t ArgText[8] = u"fz";
const char16_t kArgExpected[8] = u"fz";

void CheckArgumentUntouched() {
  if (std::memcmp(ArgText, kArgExpected, sizeof ArgText) != 0)
    Fail("a format wrote through an argument");
}

// A format taking at most this many arguments is given kPassed pointer-sized
// arguments, every one of them ArgText: enough even when each argument is a
// 64-bit value taking two slots on a 32-bit stack.
constexpr unsigned kMaxTaken = 24;
#define PHRASOR_ARGS8                                                          \
  ArgText, ArgText, ArgText, ArgText, ArgText, ArgText, ArgText, ArgText
#define PHRASOR_ARGS                                                           \
  PHRASOR_ARGS8, PHRASOR_ARGS8, PHRASOR_ARGS8, PHRASOR_ARGS8, PHRASOR_ARGS8,   \
      PHRASOR_ARGS8

constexpr PhrasorWChar kGuard = static_cast<PhrasorWChar>(0xA5A5);
constexpr uint32_t kGuardUnits = 8;
constexpr uint32_t kLengths[] = {0, 1, 2, 5, 32, 300};

/// A caller buffer with guard units on both sides.
struct GuardedBuffer {
  PhrasorWChar units[kGuardUnits + 300 + kGuardUnits];
  PhrasorWChar *Prepare() {
    for (PhrasorWChar &unit : units)
      unit = kGuard;
    return units + kGuardUnits;
  }
  void Check(uint32_t length) const {
    for (uint32_t i = 0; i < kGuardUnits; ++i)
      if (units[i] != kGuard)
        Fail("write before the caller's buffer");
    for (uint32_t i = kGuardUnits + length; i < sizeof units / sizeof *units;
         ++i)
      if (units[i] != kGuard)
        Fail("write after the caller's buffer");
    if (length == 0)
      return;
    const PhrasorWChar *text = units + kGuardUnits;
    for (uint32_t i = 0; i < length; ++i)
      if (text[i] == 0)
        return;
    Fail("output not terminated within the buffer");
  }
};

size_t Touch(const char *text) {
  if (!text)
    Fail("a lookup returned a null narrow string");
  return std::strlen(text);
}

size_t Touch(const PhrasorWChar *text) {
  if (!text)
    Fail("a lookup returned a null wide string");
  size_t n = 0;
  while (text[n])
    ++n;
  return n;
}

void OnError(HSTRINGKEEPER, const char *label, const char *message, void *) {
  Touch(label);
  Touch(message);
}

struct EnumState {
  const char *prefix;
};

void OnId(const char *id, void *userData) {
  const char *prefix = static_cast<EnumState *>(userData)->prefix;
  if (phrasor::StrNICmp(prefix, id, phrasor::StrLen(prefix)) != 0)
    Fail("enumeration reported an ID without the prefix");
}

unsigned CountPrintf(const PhrasorWChar *format) {
  static PhrasorWChar scratch[4096];
  // An empty list answers every request with a harmless value and counts
  // it.
  phrasor::ArrayArgs args(nullptr, 0);
  // Only the count is wanted, whatever the outcome.
  (void)phrasor::FormatPrintf(scratch, 4096, format, args);
  return static_cast<unsigned>(args.Taken());
}

unsigned CountMessage(const PhrasorWChar *format) {
  static PhrasorWChar scratch[4096];
  phrasor::ArrayArgs args(nullptr, 0);
  (void)phrasor::QVFormatMessageT().Format(scratch, 4096, format, args);
  return static_cast<unsigned>(args.Taken());
}

void FormatAll(IPhrasorMgr *mgr, HSTRINGKEEPER keeper, int32_t index,
               const char *id) {
  static GuardedBuffer buffer;
  const PhrasorWChar *byIndex = mgr->GetStringByIndex(keeper, index);
  const PhrasorWChar *byId = mgr->GetStringByID(keeper, id);
  bool printfIndex = CountPrintf(byIndex) <= kMaxTaken;
  bool printfId = CountPrintf(byId) <= kMaxTaken;
  bool messageIndex = CountMessage(byIndex) <= kMaxTaken;
  bool messageId = CountMessage(byId) <= kMaxTaken;
  for (uint32_t length : kLengths) {
    if (printfIndex) {
      PhrasorWChar *out = buffer.Prepare();
      mgr->FormatStringByIndex(keeper, index, out, length, PHRASOR_ARGS);
      buffer.Check(length);
    }
    if (printfId) {
      PhrasorWChar *out = buffer.Prepare();
      mgr->FormatStringByID(keeper, id, out, length, PHRASOR_ARGS);
      buffer.Check(length);
    }
    if (messageIndex) {
      PhrasorWChar *out = buffer.Prepare();
      mgr->FormatMessageByIndex(keeper, index, out, length, PHRASOR_ARGS);
      buffer.Check(length);
    }
    if (messageId) {
      PhrasorWChar *out = buffer.Prepare();
      mgr->FormatMessageByID(keeper, id, out, length, PHRASOR_ARGS);
      buffer.Check(length);
    }
    CheckArgumentUntouched();
  }
}

void QueryById(IPhrasorMgr *mgr, HSTRINGKEEPER keeper, const char *id) {
  int32_t index = mgr->GetStringIndex(keeper, id);
  if (index >= 0)
    Touch(mgr->GetStringID(keeper, index));
  Touch(mgr->GetStringByID(keeper, id));
  Touch(mgr->GetVoicePathByID(keeper, id));
  mgr->IsValidID(keeper, id);
  mgr->HasStringByID(keeper, id);
  mgr->HasVoicePathByID(keeper, id);
}

void Enumerate(IPhrasorMgr *mgr, HSTRINGKEEPER keeper, const char *prefix) {
  EnumState state{prefix};
  mgr->EnumerateIDsByPrefix(keeper, prefix, OnId, &state);
}

// Queries stay bounded on inputs with many entries, so the fuzzer keeps
// its speed; the first and last entries are always among those checked.
constexpr uint32_t kMaxEntriesQueried = 256;
constexpr uint32_t kMaxEntriesFormatted = 16;

void Exercise(IPhrasorMgr *mgr, HSTRINGKEEPER keeper, uint32_t idCount) {
  const int32_t fixed[] = {NONE_STRING_INDEX, INVALID_STRING_INDEX,
                           static_cast<int32_t>(idCount), INT32_MAX, INT32_MIN};
  for (int32_t index : fixed) {
    Touch(mgr->GetStringID(keeper, index));
    Touch(mgr->GetStringByIndex(keeper, index));
    Touch(mgr->GetVoicePathByIndex(keeper, index));
    mgr->HasStringByIndex(keeper, index);
    mgr->HasVoicePathByIndex(keeper, index);
    FormatAll(mgr, keeper, index, "<none>");
  }
  const char *fixedIds[] = {nullptr, "", "<none>", "<NONE>", "\xff", "~"};
  for (const char *id : fixedIds) {
    QueryById(mgr, keeper, id);
    Enumerate(mgr, keeper, id);
  }

  for (uint32_t i = 0; i < idCount; ++i) {
    if (i == kMaxEntriesQueried / 2 && idCount > kMaxEntriesQueried)
      i = idCount - kMaxEntriesQueried / 2;
    int32_t index = static_cast<int32_t>(i);
    const char *id = mgr->GetStringID(keeper, index);
    std::string stored(id, Touch(id));
    Touch(mgr->GetStringByIndex(keeper, index));
    Touch(mgr->GetVoicePathByIndex(keeper, index));
    mgr->HasStringByIndex(keeper, index);
    mgr->HasVoicePathByIndex(keeper, index);

    // Every stored ID is found again, in any letter case, unless it spells
    // the reserved "<none>".
    QueryById(mgr, keeper, id);
    std::string upper = stored, lower = stored;
    for (char &c : upper)
      if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 'a' + 'A');
    for (char &c : lower)
      if (c >= 'A' && c <= 'Z')
        c = static_cast<char>(c - 'A' + 'a');
    for (const std::string *variant : {&stored, &upper, &lower}) {
      int32_t found = mgr->GetStringIndex(keeper, variant->c_str());
      if (!stored.empty() && lower != "<none>" &&
          (found < 0 ||
           phrasor::StrICmp(mgr->GetStringID(keeper, found), id) != 0))
        Fail("a stored ID was not found by its own text");
    }
    std::string shorter = stored.substr(0, stored.size() / 2);
    std::string longer = stored + "~";
    QueryById(mgr, keeper, shorter.c_str());
    QueryById(mgr, keeper, longer.c_str());
    if (i < 4 || i + 1 == idCount) {
      Enumerate(mgr, keeper, id);
      Enumerate(mgr, keeper, shorter.c_str());
      Enumerate(mgr, keeper, upper.substr(0, 1).c_str());
    }
    if (i < kMaxEntriesFormatted || i + 1 == idCount)
      FormatAll(mgr, keeper, index, id);
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  CountingMemory &memory = Memory();
  memory.Reset();
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  mgr->SetErrorCallback(OnError, nullptr);

  phrasor::authoring::ByteStream stream(data, size);
  HSTRINGKEEPER keeper = mgr->CreateKeeper(&stream);
  if (!keeper) {
    if (memory.LiveBlocks() != 0)
      Fail("a refused database left blocks allocated");
    return 0;
  }
  uint32_t idCount = 0;
  if (size >= 12)
    std::memcpy(&idCount, data + 8, 4); // the header's entry count
  Exercise(mgr, keeper, idCount);
  mgr->ReleaseKeeper(keeper);
  if (memory.LiveBlocks() != 0)
    Fail("a released keeper left blocks allocated");
  return 0;
}
