// The DLL entry point on Windows: no per-thread notifications reach the
// module. Elsewhere the runtime's own library start-up is all there is.
#if defined(_WIN32)
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(module);
  return TRUE;
}
#endif
