// The imports known to leave the library nothing to give back; the loader counts or reports the rest.
#include <windows.h>

#include <algorithm>
#include <string>

#include "host/messenger/win32/object_ledger.h"

namespace brio::host::win32 {

namespace {

// The calls that leave the library nothing to give back: they read, change or draw on what exists, copy
// into the caller's memory or wait, or make what the C runtime keeps for the process. Any other import
// may make an object behind the ledger's back (a device context, a font, an image from a resource...):
// the loader reports it, so that a new import is either counted (object_redirects.cpp) or named here.
struct Call {
    const char* library;
    const char* function;
};
constexpr Call kNothingToGiveBack[] = {
    // The common controls: registering their window classes is the process's, once; the drag image
    // is counted from ImageList_BeginDrag to ImageList_EndDrag.
    {"comctl32.dll", "InitCommonControlsEx"},
    {"comctl32.dll", "ImageList_DragEnter"},
    {"comctl32.dll", "ImageList_DragLeave"},
    {"comctl32.dll", "ImageList_DragMove"},
    {"comctl32.dll", "ImageList_GetImageInfo"},
    // The file dialogs are modal: their windows are gone when they answer.
    {"comdlg32.dll", "CommDlgExtendedError"},
    {"comdlg32.dll", "GetOpenFileNameA"},
    {"comdlg32.dll", "GetSaveFileNameA"},
    // The C++ runtime's own locks (a semaphore each, made the first time one is taken, such as for a
    // function's static) and its thread-local data (one slot) stay for as long as the process runs.
    // This thread model has no std::mutex and no thread for the library to make more of them with.
    {"kernel32.dll", "CreateSemaphoreW"},
    {"kernel32.dll", "TlsAlloc"},
    {"kernel32.dll", "TlsFree"},
    // A critical section lives in the caller's memory; GetModuleHandle takes no reference.
    {"kernel32.dll", "DeleteCriticalSection"},
    {"kernel32.dll", "EnterCriticalSection"},
    {"kernel32.dll", "InitializeCriticalSection"},
    {"kernel32.dll", "LeaveCriticalSection"},
    {"kernel32.dll", "DeleteFileW"},
    {"kernel32.dll", "FlushFileBuffers"},
    {"kernel32.dll", "GetCurrentProcessId"},
    {"kernel32.dll", "GetCurrentThreadId"},
    {"kernel32.dll", "GetFileAttributesW"},
    {"kernel32.dll", "GetFileSize"},
    {"kernel32.dll", "GetFullPathNameW"},
    {"kernel32.dll", "GetLastError"},
    {"kernel32.dll", "GetModuleHandleA"},
    {"kernel32.dll", "GetModuleHandleW"},
    {"kernel32.dll", "GetProcAddress"},
    {"kernel32.dll", "GlobalLock"},
    {"kernel32.dll", "GlobalUnlock"},
    {"kernel32.dll", "IsDBCSLeadByteEx"},
    {"kernel32.dll", "MoveFileExW"},
    {"kernel32.dll", "MultiByteToWideChar"},
    {"kernel32.dll", "ReadFile"},
    {"kernel32.dll", "ReleaseSemaphore"},
    {"kernel32.dll", "ReplaceFileW"},
    {"kernel32.dll", "SetFileAttributesW"},
    {"kernel32.dll", "SetFilePointer"},
    {"kernel32.dll", "SetLastError"},
    {"kernel32.dll", "Sleep"},
    {"kernel32.dll", "TlsGetValue"},
    {"kernel32.dll", "TlsSetValue"},
    {"kernel32.dll", "VirtualProtect"},
    {"kernel32.dll", "VirtualQuery"},
    {"kernel32.dll", "WaitForSingleObject"},
    {"kernel32.dll", "WideCharToMultiByte"},
    {"kernel32.dll", "WriteFile"},
    // The C runtime: its heap is counted above; it opens no file for the library (no fopen, no _open),
    // and its locale and error texts are its own.
    {"msvcrt.dll", "__mb_cur_max"},
    {"msvcrt.dll", "_amsg_exit"},
    {"msvcrt.dll", "_close"},
    {"msvcrt.dll", "_errno"},
    {"msvcrt.dll", "_initterm"},
    {"msvcrt.dll", "_iob"},
    {"msvcrt.dll", "_lock"},
    {"msvcrt.dll", "_read"},
    {"msvcrt.dll", "_unlock"},
    {"msvcrt.dll", "abort"},
    {"msvcrt.dll", "atoi"},
    {"msvcrt.dll", "fputc"},
    {"msvcrt.dll", "fputs"},
    {"msvcrt.dll", "fwrite"},
    {"msvcrt.dll", "localeconv"},
    {"msvcrt.dll", "memchr"},
    {"msvcrt.dll", "memcmp"},
    {"msvcrt.dll", "memcpy"},
    {"msvcrt.dll", "memmove"},
    {"msvcrt.dll", "memset"},
    {"msvcrt.dll", "setlocale"},
    {"msvcrt.dll", "strchr"},
    {"msvcrt.dll", "strcmp"},
    {"msvcrt.dll", "strerror"},
    {"msvcrt.dll", "strlen"},
    {"msvcrt.dll", "strncmp"},
    {"msvcrt.dll", "vfprintf"},
    {"msvcrt.dll", "wcslen"},
    // The clipboard and the mouse capture are held between the calls that take and release them, within
    // one message; a modal message box or menu is gone when it answers.
    {"user32.dll", "CallWindowProcA"},
    {"user32.dll", "ClientToScreen"},
    {"user32.dll", "CloseClipboard"},
    {"user32.dll", "DefDlgProcA"},
    {"user32.dll", "DefWindowProcA"},
    {"user32.dll", "EmptyClipboard"},
    {"user32.dll", "GetClipboardOwner"},
    {"user32.dll", "GetCursorPos"},
    {"user32.dll", "GetDesktopWindow"},
    {"user32.dll", "GetDlgItem"},
    {"user32.dll", "GetDlgItemTextA"},
    {"user32.dll", "GetParent"},
    {"user32.dll", "GetPropA"},
    {"user32.dll", "GetSubMenu"},
    {"user32.dll", "GetWindowLongA"},
    {"user32.dll", "GetWindowRect"},
    {"user32.dll", "GetWindowTextA"},
    {"user32.dll", "GetWindowTextLengthA"},
    {"user32.dll", "InvalidateRect"},
    {"user32.dll", "IsDlgButtonChecked"},
    {"user32.dll", "IsWindow"},
    {"user32.dll", "MessageBoxA"},
    {"user32.dll", "OpenClipboard"},
    {"user32.dll", "PostMessageA"},
    {"user32.dll", "ReleaseCapture"},
    {"user32.dll", "ScreenToClient"},
    {"user32.dll", "SetCapture"},
    {"user32.dll", "SetWindowLongA"},
    {"user32.dll", "SetWindowPos"},
    {"user32.dll", "ShowWindow"},
    {"user32.dll", "TrackPopupMenu"},
    {"user32.dll", "wsprintfW"},
};

} // namespace

bool makesNothing(const std::string& library, const std::string& function) {
    return std::ranges::any_of(kNothingToGiveBack, [&](const Call& c) {
        return lstrcmpiA(c.library, library.c_str()) == 0 && function == c.function;
    });
}

} // namespace brio::host::win32
