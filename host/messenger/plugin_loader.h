// Loads a plug-in library and finds its entry point (dlopen on Linux, LoadLibrary on Windows).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace brio::host {

using EntryPoint = int32_t(__attribute__((stdcall)) *)(void* record);

class PluginLibrary {
public:
    // Null, with `error` set, when the library or its entry point cannot be found.
    static std::unique_ptr<PluginLibrary> load(const std::string& path, std::string& error);
    virtual ~PluginLibrary() = default;

    EntryPoint entry() const { return entry_; }
    // The module handle the host hands the plug-in as its instance handle.
    void* moduleHandle() const { return module_; }
    // What is wrong with the library although it loaded: each is a fault of the plug-in.
    const std::vector<std::string>& faults() const { return faults_; }

protected:
    PluginLibrary(void* module, EntryPoint entry) : module_(module), entry_(entry) {}
    void* module_;
    EntryPoint entry_;
    std::vector<std::string> faults_;
};

} // namespace brio::host
