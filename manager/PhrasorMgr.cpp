//===- PhrasorMgr.cpp - The process-wide manager --------------------------===//
//
// Each handle-taking operation answers a null handle with its fixed result
// and does nothing else: there is no keeper through which to report, and
// the caller's buffer is not touched.
//
//===----------------------------------------------------------------------===//

#include "manager/PhrasorMgr.h"

#include "base/Memory.h"
#include "keeper/StringKeeper.h"
#include "keeper/Texts.h"
#include "manager/FormatResults.h"

#include <new>

using namespace phrasor;

HSTRINGKEEPER CPhrasorMgr::CreateKeeper(IReadStream *stream) {
  void *memory = MemAlloc(sizeof(CStringKeeper));
  if (!memory)
    return nullptr;
  CStringKeeper *keeper = new (memory) CStringKeeper(this);
  if (keeper->Load(stream))
    return keeper;
  keeper->~CStringKeeper();
  MemFree(memory);
  return nullptr;
}

void CPhrasorMgr::ReleaseKeeper(HSTRINGKEEPER keeper) {
  if (!keeper)
    return;
  keeper->~CStringKeeper();
  MemFree(keeper);
}

bool CPhrasorMgr::SetErrorCallback(StringKeeperErrorCallback cb, void *data) {
  callback = cb;
  userData = data;
  return true;
}

bool CPhrasorMgr::ClearErrorCallback(StringKeeperErrorCallback cb) {
  if (cb != callback)
    return false;
  callback = nullptr;
  userData = nullptr;
  return true;
}

void CPhrasorMgr::ReportError(HSTRINGKEEPER keeper, const char *label,
                              const char *message) {
  if (callback)
    callback(keeper, label, message, userData);
}

int32_t CPhrasorMgr::GetStringIndex(HSTRINGKEEPER keeper, const char *id) {
  return keeper ? keeper->GetStringIndex(id) : INVALID_STRING_INDEX;
}

const char *CPhrasorMgr::GetStringID(HSTRINGKEEPER keeper, int32_t index) {
  return keeper ? keeper->GetStringID(index) : text::kInvalidHandle;
}

const PhrasorWChar *CPhrasorMgr::GetStringByIndex(HSTRINGKEEPER keeper,
                                                  int32_t index) {
  return keeper ? keeper->GetStringByIndex(index) : text::kWInvalidHandle;
}

const PhrasorWChar *CPhrasorMgr::GetStringByID(HSTRINGKEEPER keeper,
                                               const char *id) {
  return keeper ? keeper->GetStringByID(id) : text::kWInvalidHandle;
}

// The lookup always runs before the buffer is looked at, so a failed lookup
// reaches the error callback even when the caller passed no buffer.
int32_t CPhrasorMgr::FormatStringByIndexV(HSTRINGKEEPER keeper, int32_t index,
                                          PhrasorWChar *buffer,
                                          uint32_t bufferLength, va_list args) {
  if (!keeper)
    return -1;
  return FormatPrintfV(buffer, bufferLength, keeper->GetStringByIndex(index),
                       args);
}

int32_t CPhrasorMgr::FormatStringByIndex(HSTRINGKEEPER keeper, int32_t index,
                                         PhrasorWChar *buffer,
                                         uint32_t bufferLength, ...) {
  va_list args;
  va_start(args, bufferLength);
  int32_t result =
      FormatStringByIndexV(keeper, index, buffer, bufferLength, args);
  va_end(args);
  return result;
}

int32_t CPhrasorMgr::FormatStringByIDV(HSTRINGKEEPER keeper, const char *id,
                                       PhrasorWChar *buffer,
                                       uint32_t bufferLength, va_list args) {
  if (!keeper)
    return -1;
  return FormatPrintfV(buffer, bufferLength, keeper->GetStringByID(id), args);
}

int32_t CPhrasorMgr::FormatStringByID(HSTRINGKEEPER keeper, const char *id,
                                      PhrasorWChar *buffer,
                                      uint32_t bufferLength, ...) {
  va_list args;
  va_start(args, bufferLength);
  int32_t result = FormatStringByIDV(keeper, id, buffer, bufferLength, args);
  va_end(args);
  return result;
}

bool CPhrasorMgr::FormatMessageByIndexV(HSTRINGKEEPER keeper, int32_t index,
                                        PhrasorWChar *buffer,
                                        uint32_t bufferLength, va_list args) {
  if (!keeper)
    return false;
  return FormatMessageV(buffer, bufferLength, keeper->GetStringByIndex(index),
                        args);
}

bool CPhrasorMgr::FormatMessageByIndex(HSTRINGKEEPER keeper, int32_t index,
                                       PhrasorWChar *buffer,
                                       uint32_t bufferLength, ...) {
  va_list args;
  va_start(args, bufferLength);
  bool result =
      FormatMessageByIndexV(keeper, index, buffer, bufferLength, args);
  va_end(args);
  return result;
}

bool CPhrasorMgr::FormatMessageByIDV(HSTRINGKEEPER keeper, const char *id,
                                     PhrasorWChar *buffer,
                                     uint32_t bufferLength, va_list args) {
  if (!keeper)
    return false;
  return FormatMessageV(buffer, bufferLength, keeper->GetStringByID(id), args);
}

bool CPhrasorMgr::FormatMessageByID(HSTRINGKEEPER keeper, const char *id,
                                    PhrasorWChar *buffer, uint32_t bufferLength,
                                    ...) {
  va_list args;
  va_start(args, bufferLength);
  bool result = FormatMessageByIDV(keeper, id, buffer, bufferLength, args);
  va_end(args);
  return result;
}

const char *CPhrasorMgr::GetVoicePathByIndex(HSTRINGKEEPER keeper,
                                             int32_t index) {
  return keeper ? keeper->GetVoicePathByIndex(index) : text::kInvalidHandle;
}

const char *CPhrasorMgr::GetVoicePathByID(HSTRINGKEEPER keeper,
                                          const char *id) {
  return keeper ? keeper->GetVoicePathByID(id) : text::kInvalidHandle;
}

bool CPhrasorMgr::IsValidID(HSTRINGKEEPER keeper, const char *id) {
  return keeper && keeper->IsValidID(id);
}

bool CPhrasorMgr::HasStringByIndex(HSTRINGKEEPER keeper, int32_t index) {
  return keeper && keeper->HasStringByIndex(index);
}

bool CPhrasorMgr::HasStringByID(HSTRINGKEEPER keeper, const char *id) {
  return keeper && keeper->HasStringByID(id);
}

bool CPhrasorMgr::HasVoicePathByIndex(HSTRINGKEEPER keeper, int32_t index) {
  return keeper && keeper->HasVoicePathByIndex(index);
}

bool CPhrasorMgr::HasVoicePathByID(HSTRINGKEEPER keeper, const char *id) {
  return keeper && keeper->HasVoicePathByID(id);
}

bool CPhrasorMgr::EnumerateIDsByPrefix(HSTRINGKEEPER keeper, const char *prefix,
                                       StringIDEnumCallback cb, void *data) {
  return keeper && keeper->EnumerateIDsByPrefix(prefix, cb, data);
}
