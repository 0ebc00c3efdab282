//===- Entry.cpp - The exported entry point -------------------------------===//

#include "manager/PhrasorMgr.h"

extern "C" PHRASOR_API IPhrasorMgr *GetIPhrasorMgr() {
  // Constructed on the first call and destroyed at unload; the destruction
  // releases nothing, so keepers the host still holds stay allocated.
  static CPhrasorMgr manager;
  return &manager;
}
