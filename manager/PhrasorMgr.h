//===- PhrasorMgr.h - The process-wide manager -----------------*- C++ -*-===//
//
// The one implementation of IPhrasorMgr. It tests handles for null, routes
// every operation to the keeper, and carries the host's error callback.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_MANAGER_PHRASORMGR_H
#define PHRASOR_MANAGER_PHRASORMGR_H

#include "PhrasorRuntime.h"
#include "keeper/ErrorReporter.h"

class CPhrasorMgr final : public phrasor::IErrorReporter {
public:
  CPhrasorMgr() : callback(nullptr), userData(nullptr) {}
  // Virtual whether or not the interface's destructor is (see
  // PhrasorRuntime.h), so the layout the host sees stays the interface's.
  virtual ~CPhrasorMgr() {}

  HSTRINGKEEPER CreateKeeper(IReadStream *stream) override;
  void ReleaseKeeper(HSTRINGKEEPER keeper) override;
  bool SetErrorCallback(StringKeeperErrorCallback cb, void *data) override;
  bool ClearErrorCallback(StringKeeperErrorCallback cb) override;
  int32_t GetStringIndex(HSTRINGKEEPER keeper, const char *id) override;
  const char *GetStringID(HSTRINGKEEPER keeper, int32_t index) override;
  const PhrasorWChar *GetStringByIndex(HSTRINGKEEPER keeper,
                                       int32_t index) override;
  const PhrasorWChar *GetStringByID(HSTRINGKEEPER keeper,
                                    const char *id) override;
  int32_t FormatStringByIndexV(HSTRINGKEEPER keeper, int32_t index,
                               PhrasorWChar *buffer, uint32_t bufferLength,
                               va_list args) override;
  int32_t FormatStringByIndex(HSTRINGKEEPER keeper, int32_t index,
                              PhrasorWChar *buffer, uint32_t bufferLength,
                              ...) override;
  int32_t FormatStringByIDV(HSTRINGKEEPER keeper, const char *id,
                            PhrasorWChar *buffer, uint32_t bufferLength,
                            va_list args) override;
  int32_t FormatStringByID(HSTRINGKEEPER keeper, const char *id,
                           PhrasorWChar *buffer, uint32_t bufferLength,
                           ...) override;
  bool FormatMessageByIndexV(HSTRINGKEEPER keeper, int32_t index,
                             PhrasorWChar *buffer, uint32_t bufferLength,
                             va_list args) override;
  bool FormatMessageByIndex(HSTRINGKEEPER keeper, int32_t index,
                            PhrasorWChar *buffer, uint32_t bufferLength,
                            ...) override;
  bool FormatMessageByIDV(HSTRINGKEEPER keeper, const char *id,
                          PhrasorWChar *buffer, uint32_t bufferLength,
                          va_list args) override;
  bool FormatMessageByID(HSTRINGKEEPER keeper, const char *id,
                         PhrasorWChar *buffer, uint32_t bufferLength,
                         ...) override;
  const char *GetVoicePathByIndex(HSTRINGKEEPER keeper, int32_t index) override;
  const char *GetVoicePathByID(HSTRINGKEEPER keeper, const char *id) override;
  bool IsValidID(HSTRINGKEEPER keeper, const char *id) override;
  bool HasStringByIndex(HSTRINGKEEPER keeper, int32_t index) override;
  bool HasStringByID(HSTRINGKEEPER keeper, const char *id) override;
  bool HasVoicePathByIndex(HSTRINGKEEPER keeper, int32_t index) override;
  bool HasVoicePathByID(HSTRINGKEEPER keeper, const char *id) override;
  bool EnumerateIDsByPrefix(HSTRINGKEEPER keeper, const char *prefix,
                            StringIDEnumCallback cb, void *data) override;

  /// Forwards a failed lookup to the host's callback, if one is registered.
  void ReportError(HSTRINGKEEPER keeper, const char *label,
                   const char *message) override;

private:
  StringKeeperErrorCallback callback;
  void *userData;
};

#endif // PHRASOR_MANAGER_PHRASORMGR_H
