//===- DllMain.cpp - The DLL's load-time entry ----------------------------===//

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

// The runtime keeps no per-thread state, so thread notifications would only
// cost the host a call under the loader lock for every thread it starts.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH)
    DisableThreadLibraryCalls(instance);
  return TRUE;
}
