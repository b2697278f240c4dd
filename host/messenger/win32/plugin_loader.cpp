// Windows: the plug-in is a DLL found by LoadLibraryA; its entry point has the decorated stdcall name.
// Once loaded, its imports of the timer, clock, object and heap calls are pointed at brio-host's
// (object_ledger.h): its timers run on the host's clock and what it holds is counted. An import that may
// make an object the ledger would not see is a fault: the ledger's count would be short without a word.
#include <windows.h>

#include "host/desktop/win32/host_clock.h"
#include "host/messenger/plugin_loader.h"
#include "host/messenger/win32/object_ledger.h"

namespace brio::host {

namespace {

constexpr const char* kEntryPointName = "_IMessageProc@4";

std::string systemMessage(DWORD code) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = "error " + std::to_string(code);
    if (length != 0 && text) {
        std::string described(text, length);
        while (!described.empty() && (described.back() == '\n' || described.back() == '\r'))
            described.pop_back();
        message += " (" + described + ")";
    }
    LocalFree(text);
    return message;
}

class Win32Library final : public PluginLibrary {
public:
    Win32Library(HMODULE module, EntryPoint entry, std::vector<std::string> faults)
        : PluginLibrary(module, entry) {
        faults_ = std::move(faults);
    }
    // The library's own unload still reaches the ledger; its timers left on the host's clock stay
    // counted but never run again, their procedures gone with it.
    ~Win32Library() override {
        FreeLibrary(static_cast<HMODULE>(module_));
        win32::hostClock().clear();
    }
    Win32Library(const Win32Library&) = delete;
    Win32Library& operator=(const Win32Library&) = delete;
};

} // namespace

std::unique_ptr<PluginLibrary> PluginLibrary::load(const std::string& path, std::string& error) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        error = "cannot load " + path + ": " + systemMessage(GetLastError());
        return nullptr;
    }
    win32::ledger().restart();
    win32::redirectToLedger(module);
    // Its window-less timers and its clock are the host's from now on: letting time pass costs no real
    // time, before its first timer too (and its clock moves with the host's).
    win32::hostClock().use();
    FARPROC found = GetProcAddress(module, kEntryPointName);
    if (!found) {
        error = path + " has no entry point " + kEntryPointName;
        FreeLibrary(module);
        return nullptr;
    }
    const std::string file = path.substr(path.find_last_of("/\\") + 1);
    std::vector<std::string> faults;
    for (const std::string& call : win32::uncountedImports(module))
        faults.push_back(file + " imports " + call +
                         ", which may make a Windows object that the ledger does not count");
    return std::make_unique<Win32Library>(
        module, reinterpret_cast<EntryPoint>(reinterpret_cast<void*>(found)), std::move(faults));
}

} // namespace brio::host
