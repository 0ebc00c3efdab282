//===- PhrasorRuntime.h - Public interface of the runtime -----*- C++ -*-===//
//
// The whole surface of the runtime: one exported function that hands out the
// process-wide manager, and the manager's interface. A host loads compiled
// string databases through its own IReadStream, looks strings up by index or
// ID, and formats them into buffers it owns. Nothing here throws; every
// failure is a fixed text, -1 or false.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_RUNTIME_H
#define PHRASOR_RUNTIME_H

#include <stdarg.h>
#include <stdint.h>

#if defined(_WIN32)
/// One UTF-16 code unit. On Windows this is the platform's wchar_t, so hosts
/// can pass L"" literals and Win32 buffers straight through.
typedef wchar_t PhrasorWChar;
#define PHRASOR_TEXT(s) L##s
#else
/// One UTF-16 code unit. wchar_t is 32 bits on most POSIX systems, so the
/// portable build uses char16_t: stored texts are always 16-bit units.
typedef char16_t PhrasorWChar;
#define PHRASOR_TEXT(s) u##s
#endif

#if defined(_WIN32)
#if defined(PHRASOR_RUNTIME_BUILD)
#define PHRASOR_API __declspec(dllexport)
#elif defined(PHRASOR_STATIC)
#define PHRASOR_API
#else
#define PHRASOR_API __declspec(dllimport)
#endif
#else
#define PHRASOR_API __attribute__((visibility("default")))
#endif

/// A loaded string database. Opaque to the host; null is never valid.
struct CStringKeeper;
typedef CStringKeeper *HSTRINGKEEPER;

/// Index result meaning "no such entry".
const int32_t INVALID_STRING_INDEX = -1;
/// Index standing for the reserved ID "<none>", which denotes no string.
const int32_t NONE_STRING_INDEX = -2;

/// The host's input stream. The runtime only ever calls Read, never keeps
/// the stream past CreateKeeper, and never releases it.
class IReadStream {
public:
  /// Fills \p buffer with the next \p size bytes; returns 0 on success and
  /// any other value on failure.
  virtual int32_t Read(void *buffer, uint32_t size) = 0;

protected:
  ~IReadStream() {}
};

/// Told of failed lookups: the keeper, a label naming the entry (the ID,
/// "[UNKNOWN]" or "[NULL]") and one of the fixed error texts.
typedef void (*StringKeeperErrorCallback)(HSTRINGKEEPER keeper,
                                          const char *label,
                                          const char *message, void *userData);

/// Receives each ID matched by EnumerateIDsByPrefix. The ID points into the
/// keeper and stays valid until the keeper is released.
typedef void (*StringIDEnumCallback)(const char *id, void *userData);

/// The manager: every service of the runtime. Obtain it with GetIPhrasorMgr;
/// never delete it. Wide strings are UTF-16; buffer lengths count
/// PhrasorWChar units including the terminator.
class IPhrasorMgr {
#if defined(_WIN32) && !defined(_MSC_VER)
  // Windows hosts are built with the Microsoft C++ ABI (MSVC, clang-cl) or
  // the GNU one (mingw-w64 gcc or clang), and all of them must find
  // CreateKeeper in the same slot. The Microsoft ABI gives a virtual
  // destructor one slot, the GNU ABI two; so a GNU-ABI build declares one
  // placeholder in its place. The manager is never deleted through this
  // interface, so the placeholder is never called.
  virtual void ReservedSlot() {}

protected:
  ~IPhrasorMgr() {}

public:
#else
public:
  virtual ~IPhrasorMgr() {}
#endif

  /// Reads a whole database from \p stream. Returns null on any failure
  /// (null stream, bad magic or version, corrupt file, short read, no
  /// memory); the host owns the result until ReleaseKeeper.
  virtual HSTRINGKEEPER CreateKeeper(IReadStream *stream) = 0;
  /// Frees a keeper and everything it holds. Null does nothing.
  virtual void ReleaseKeeper(HSTRINGKEEPER keeper) = 0;

  /// Registers the function told of failed lookups, replacing any earlier
  /// one; a null callback disables reporting. Always returns true.
  virtual bool SetErrorCallback(StringKeeperErrorCallback callback,
                                void *userData) = 0;
  /// Unregisters \p callback if it is the registered one (returns true);
  /// otherwise changes nothing and returns false.
  virtual bool ClearErrorCallback(StringKeeperErrorCallback callback) = 0;

  /// Index of \p id (ASCII case-insensitive), -2 for "<none>", -1 if absent.
  virtual int32_t GetStringIndex(HSTRINGKEEPER keeper, const char *id) = 0;
  /// The stored ID at \p index, "<none>" for -2, "[UNKNOWN]" if invalid.
  virtual const char *GetStringID(HSTRINGKEEPER keeper, int32_t index) = 0;
  /// The value at \p index, or a fixed wide error text.
  virtual const PhrasorWChar *GetStringByIndex(HSTRINGKEEPER keeper,
                                               int32_t index) = 0;
  /// The value of \p id, or a fixed wide error text.
  virtual const PhrasorWChar *GetStringByID(HSTRINGKEEPER keeper,
                                            const char *id) = 0;

  /// printf-style formatting of the value at \p index into \p buffer.
  /// Returns the number of units written (terminator excluded), or -1 when
  /// the output was cut, the buffer is null or empty, or the format is bad.
  virtual int32_t FormatStringByIndexV(HSTRINGKEEPER keeper, int32_t index,
                                       PhrasorWChar *buffer,
                                       uint32_t bufferLength, va_list args) = 0;
  virtual int32_t FormatStringByIndex(HSTRINGKEEPER keeper, int32_t index,
                                      PhrasorWChar *buffer,
                                      uint32_t bufferLength, ...) = 0;
  /// printf-style formatting of the value of \p id; see FormatStringByIndexV.
  virtual int32_t FormatStringByIDV(HSTRINGKEEPER keeper, const char *id,
                                    PhrasorWChar *buffer, uint32_t bufferLength,
                                    va_list args) = 0;
  virtual int32_t FormatStringByID(HSTRINGKEEPER keeper, const char *id,
                                   PhrasorWChar *buffer, uint32_t bufferLength,
                                   ...) = 0;

  /// Message-style formatting (numbered inserts such as %1!d!) of the value
  /// at \p index. Returns false and writes an error text on a bad message.
  virtual bool FormatMessageByIndexV(HSTRINGKEEPER keeper, int32_t index,
                                     PhrasorWChar *buffer,
                                     uint32_t bufferLength, va_list args) = 0;
  virtual bool FormatMessageByIndex(HSTRINGKEEPER keeper, int32_t index,
                                    PhrasorWChar *buffer, uint32_t bufferLength,
                                    ...) = 0;
  /// Message-style formatting of the value of \p id.
  virtual bool FormatMessageByIDV(HSTRINGKEEPER keeper, const char *id,
                                  PhrasorWChar *buffer, uint32_t bufferLength,
                                  va_list args) = 0;
  virtual bool FormatMessageByID(HSTRINGKEEPER keeper, const char *id,
                                 PhrasorWChar *buffer, uint32_t bufferLength,
                                 ...) = 0;

  /// The voice path at \p index, or a fixed error text.
  virtual const char *GetVoicePathByIndex(HSTRINGKEEPER keeper,
                                          int32_t index) = 0;
  /// The voice path of \p id, or a fixed error text.
  virtual const char *GetVoicePathByID(HSTRINGKEEPER keeper,
                                       const char *id) = 0;

  virtual bool IsValidID(HSTRINGKEEPER keeper, const char *id) = 0;
  virtual bool HasStringByIndex(HSTRINGKEEPER keeper, int32_t index) = 0;
  virtual bool HasStringByID(HSTRINGKEEPER keeper, const char *id) = 0;
  virtual bool HasVoicePathByIndex(HSTRINGKEEPER keeper, int32_t index) = 0;
  virtual bool HasVoicePathByID(HSTRINGKEEPER keeper, const char *id) = 0;

  /// Calls \p callback for every ID that begins with \p prefix (ASCII
  /// case-insensitive), in table order. Returns true if any ID matched.
  virtual bool EnumerateIDsByPrefix(HSTRINGKEEPER keeper, const char *prefix,
                                    StringIDEnumCallback callback,
                                    void *userData) = 0;
};

/// The runtime's only exported symbol: the process-wide manager. Never fails
/// and returns the same pointer on every call.
extern "C" PHRASOR_API IPhrasorMgr *GetIPhrasorMgr();

#endif // PHRASOR_RUNTIME_H
