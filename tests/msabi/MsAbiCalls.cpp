//===- MsAbiCalls.cpp - One function per call across the interface -------===//

#include "tests/msabi/MsAbiCalls.h"

#define VARIADIC_PASS wide, number, real, narrow

int32_t CallRead(IReadStream *s, void *buffer, uint32_t size) {
  return s->Read(buffer, size);
}
HSTRINGKEEPER CallCreateKeeper(IPhrasorMgr *m, IReadStream *s) {
  return m->CreateKeeper(s);
}
void CallReleaseKeeper(IPhrasorMgr *m, HSTRINGKEEPER k) { m->ReleaseKeeper(k); }
bool CallSetErrorCallback(IPhrasorMgr *m, StringKeeperErrorCallback cb,
                          void *data) {
  return m->SetErrorCallback(cb, data);
}
bool CallClearErrorCallback(IPhrasorMgr *m, StringKeeperErrorCallback cb) {
  return m->ClearErrorCallback(cb);
}
int32_t CallGetStringIndex(IPhrasorMgr *m, HSTRINGKEEPER k, const char *id) {
  return m->GetStringIndex(k, id);
}
const char *CallGetStringID(IPhrasorMgr *m, HSTRINGKEEPER k, int32_t index) {
  return m->GetStringID(k, index);
}
const PhrasorWChar *CallGetStringByIndex(IPhrasorMgr *m, HSTRINGKEEPER k,
                                         int32_t index) {
  return m->GetStringByIndex(k, index);
}
const PhrasorWChar *CallGetStringByID(IPhrasorMgr *m, HSTRINGKEEPER k,
                                      const char *id) {
  return m->GetStringByID(k, id);
}
int32_t CallFormatStringByIndexV(IPhrasorMgr *m, HSTRINGKEEPER k, int32_t index,
                                 PhrasorWChar *buffer, uint32_t length,
                                 va_list args) {
  return m->FormatStringByIndexV(k, index, buffer, length, args);
}
int32_t CallFormatStringByIndex(IPhrasorMgr *m, HSTRINGKEEPER k, int32_t index,
                                PhrasorWChar *buffer, uint32_t length,
                                PHRASOR_VARIADIC_ARGS) {
  return m->FormatStringByIndex(k, index, buffer, length, VARIADIC_PASS);
}
int32_t CallFormatStringByIDV(IPhrasorMgr *m, HSTRINGKEEPER k, const char *id,
                              PhrasorWChar *buffer, uint32_t length,
                              va_list args) {
  return m->FormatStringByIDV(k, id, buffer, length, args);
}
int32_t CallFormatStringByID(IPhrasorMgr *m, HSTRINGKEEPER k, const char *id,
                             PhrasorWChar *buffer, uint32_t length,
                             PHRASOR_VARIADIC_ARGS) {
  return m->FormatStringByID(k, id, buffer, length, VARIADIC_PASS);
}
bool CallFormatMessageByIndexV(IPhrasorMgr *m, HSTRINGKEEPER k, int32_t index,
                               PhrasorWChar *buffer, uint32_t length,
                               va_list args) {
  return m->FormatMessageByIndexV(k, index, buffer, length, args);
}
bool CallFormatMessageByIndex(IPhrasorMgr *m, HSTRINGKEEPER k, int32_t index,
                              PhrasorWChar *buffer, uint32_t length,
                              PHRASOR_VARIADIC_ARGS) {
  return m->FormatMessageByIndex(k, index, buffer, length, VARIADIC_PASS);
}
bool CallFormatMessageByIDV(IPhrasorMgr *m, HSTRINGKEEPER k, const char *id,
                            PhrasorWChar *buffer, uint32_t length,
                            va_list args) {
  return m->FormatMessageByIDV(k, id, buffer, length, args);
}
bool CallFormatMessageByID(IPhrasorMgr *m, HSTRINGKEEPER k, const char *id,
                           PhrasorWChar *buffer, uint32_t length,
                           PHRASOR_VARIADIC_ARGS) {
  return m->FormatMessageByID(k, id, buffer, length, VARIADIC_PASS);
}
const char *CallGetVoicePathByIndex(IPhrasorMgr *m, HSTRINGKEEPER k,
                                    int32_t index) {
  return m->GetVoicePathByIndex(k, index);
}
const char *CallGetVoicePathByID(IPhrasorMgr *m, HSTRINGKEEPER k,
                                 const char *id) {
  return m->GetVoicePathByID(k, id);
}
bool CallIsValidID(IPhrasorMgr *m, HSTRINGKEEPER k, const char *id) {
  return m->IsValidID(k, id);
}
bool CallHasStringByIndex(IPhrasorMgr *m, HSTRINGKEEPER k, int32_t index) {
  return m->HasStringByIndex(k, index);
}
bool CallHasStringByID(IPhrasorMgr *m, HSTRINGKEEPER k, const char *id) {
  return m->HasStringByID(k, id);
}
bool CallHasVoicePathByIndex(IPhrasorMgr *m, HSTRINGKEEPER k, int32_t index) {
  return m->HasVoicePathByIndex(k, index);
}
bool CallHasVoicePathByID(IPhrasorMgr *m, HSTRINGKEEPER k, const char *id) {
  return m->HasVoicePathByID(k, id);
}
bool CallEnumerateIDsByPrefix(IPhrasorMgr *m, HSTRINGKEEPER k,
                              const char *prefix, StringIDEnumCallback cb,
                              void *data) {
  return m->EnumerateIDsByPrefix(k, prefix, cb, data);
}
