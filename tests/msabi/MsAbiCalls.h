//===- MsAbiCalls.h - One function per call across the interface -*- C++
//-*-===//
//
// Every call the Microsoft-ABI host makes into the runtime, and the one call
// the runtime makes back into the host's stream, sits in a function of its
// own. The host program calls through them, and the 32-bit check reads the
// slot and calling convention of each call from their compiled code.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TESTS_MSABICALLS_H
#define PHRASOR_TESTS_MSABICALLS_H

#include "PhrasorRuntime.h"

// The variadic operations all receive the same arguments: a wide string, an
// int, a double and a narrow string, whatever their texts use.
#define PHRASOR_VARIADIC_ARGS                                                  \
  const PhrasorWChar *wide, int32_t number, double real, const char *narrow

extern "C" {
int32_t CallRead(IReadStream *s, void *buffer, uint32_t size);
HSTRINGKEEPER CallCreateKeeper(IPhrasorMgr *m, IReadStream *s);
void CallReleaseKeeper(IPhrasorMgr *m, HSTRINGKEEPER k);
bool CallSetErrorCallback(IPhrasorMgr *m, StringKeeperErrorCallback cb,
                          void *data);
bool CallClearErrorCallback(IPhrasorMgr *m, StringKeeperErrorCallback cb);
int32_t CallGetStringIndex(IPhrasorMgr *m, HSTRINGKEEPER k, const char *id);
const char *CallGetStringID(IPhrasorMgr *m, HSTRINGKEEPER k, int32_t index);
const PhrasorWChar *CallGetStringByIndex(IPhrasorMgr *m, HSTRINGKEEPER k,
                                         int32_t index);
const PhrasorWChar *CallGetStringByID(IPhrasorMgr *m, HSTRINGKEEPER k,
                                      const char *id);
int32_t CallFormatStringByIndexV(IPhrasorMgr *m, HSTRINGKEEPER k, int32_t index,
                                 PhrasorWChar *buffer, uint32_t length,
                                 va_list args);
int32_t CallFormatStringByIndex(IPhrasorMgr *m, HSTRINGKEEPER k, int32_t index,
                                PhrasorWChar *buffer, uint32_t length,
                                PHRASOR_VARIADIC_ARGS);
int32_t CallFormatStringByIDV(IPhrasorMgr *m, HSTRINGKEEPER k, const char *id,
                              PhrasorWChar *buffer, uint32_t length,
                              va_list args);
int32_t CallFormatStringByID(IPhrasorMgr *m, HSTRINGKEEPER k, const char *id,
                             PhrasorWChar *buffer, uint32_t length,
                             PHRASOR_VARIADIC_ARGS);
bool CallFormatMessageByIndexV(IPhrasorMgr *m, HSTRINGKEEPER k, int32_t index,
                               PhrasorWChar *buffer, uint32_t length,
                               va_list args);
bool CallFormatMessageByIndex(IPhrasorMgr *m, HSTRINGKEEPER k, int32_t index,
                              PhrasorWChar *buffer, uint32_t length,
                              PHRASOR_VARIADIC_ARGS);
bool CallFormatMessageByIDV(IPhrasorMgr *m, HSTRINGKEEPER k, const char *id,
                            PhrasorWChar *buffer, uint32_t length,
                            va_list args);
bool CallFormatMessageByID(IPhrasorMgr *m, HSTRINGKEEPER k, const char *id,
                           PhrasorWChar *buffer, uint32_t length,
                           PHRASOR_VARIADIC_ARGS);
const char *CallGetVoicePathByIndex(IPhrasorMgr *m, HSTRINGKEEPER k,
                                    int32_t index);
const char *CallGetVoicePathByID(IPhrasorMgr *m, HSTRINGKEEPER k,
                                 const char *id);
bool CallIsValidID(IPhrasorMgr *m, HSTRINGKEEPER k, const char *id);
bool CallHasStringByIndex(IPhrasorMgr *m, HSTRINGKEEPER k, int32_t index);
bool CallHasStringByID(IPhrasorMgr *m, HSTRINGKEEPER k, const char *id);
bool CallHasVoicePathByIndex(IPhrasorMgr *m, HSTRINGKEEPER k, int32_t index);
bool CallHasVoicePathByID(IPhrasorMgr *m, HSTRINGKEEPER k, const char *id);
bool CallEnumerateIDsByPrefix(IPhrasorMgr *m, HSTRINGKEEPER k,
                              const char *prefix, StringIDEnumCallback cb,
                              void *data);
}

#endif // PHRASOR_TESTS_MSABICALLS_H
