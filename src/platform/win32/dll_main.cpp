// The library's load and unload hook: Brio sets itself up on the host's messages, not here.
// Linked into Brio.dll only (a static library would be free to leave it out).
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    return TRUE;
}
