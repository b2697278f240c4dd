// Loading a plug-in on Linux: dlopen and the plain symbol name.
#include "host/messenger/plugin_loader.h"

#include <dlfcn.h>

#include <memory>

#include "host/common/heap_meter.h"

namespace brio::host {

namespace {

class SharedObject final : public PluginLibrary {
public:
    SharedObject(void* module, EntryPoint entry) : PluginLibrary(module, entry) {}
    ~SharedObject() override {
        const heap::PluginRuns plugin; // the library's own destructors run
        dlclose(module_);
    }
};

} // namespace

std::unique_ptr<PluginLibrary> PluginLibrary::load(const std::string& path, std::string& error) {
    // A name without a slash would be looked for on the library path instead of here.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    void* module = nullptr;
    {
        const heap::PluginRuns plugin; // the library's own constructors run
        module = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (!module) {
        const char* why = dlerror();
        error = why ? why : "cannot load " + path;
        return nullptr;
    }
    dlerror();
    auto entry = reinterpret_cast<EntryPoint>(dlsym(module, "IMessageProc"));
    if (!entry) {
        error = path + " does not export IMessageProc";
        dlclose(module);
        return nullptr;
    }
    return std::make_unique<SharedObject>(module, entry);
}

} // namespace brio::host
