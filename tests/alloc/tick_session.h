// A plug-in driven by brio-host's command language in this process, with the plug-in's allocations
// counted (host/heap_meter.h): what the allocation tests and the tick benchmark share.
#pragma once

#include <cstdio>
#include <initializer_list>
#include <string>

#include "host/commands/interpreter.h"
#include "host/common/heap_meter.h"
#include "host/messenger/host.h"

namespace brio::test {

// What the plug-in allocated over some steps.
struct Allocated {
    uint64_t blocks = 0;
    uint64_t bytes = 0;
    int64_t bytesLeft = 0; // in use afterwards, beyond what was in use before
};

class TickSession {
public:
    explicit TickSession(const std::string& plugin) {
        transcript_.setMuted(true);
        host_.setPluginPath(plugin);
    }
    ~TickSession() {
        if (host_.loaded()) host_.stop();
    }

    // False, with the reason in error(), at the first line that cannot be run.
    bool run(std::initializer_list<std::string> lines) {
        for (const std::string& line : lines)
            if (!interpreter_.run(line, 1)) return false;
        return true;
    }
    const std::string& error() const { return interpreter_.error(); }
    // The host's lines from now on go to `sink` (none: muted again), as a scenario's transcript shows them.
    void recordTo(std::FILE* sink) {
        transcript_.setSink(sink);
        transcript_.setMuted(sink == nullptr);
    }
    int failures() const { return interpreter_.failures(); }
    host::Host& host() { return host_; }
    int faults() const { return host_.faults(); }

    // What the plug-in allocates while `ms` milliseconds pass.
    Allocated advance(uint64_t ms) {
        const host::heap::Figures before = host::heap::plugin();
        host_.advance(ms);
        const host::heap::Figures after = host::heap::plugin();
        return {after.allocations - before.allocations, after.bytesMade - before.bytesMade,
                after.bytesInUse - before.bytesInUse};
    }

private:
    host::Transcript transcript_;
    host::Host host_{transcript_};
    host::Interpreter interpreter_{host_, "ticks"};
};

// A file's bytes written whole.
inline bool writeFile(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// A list text of `entries` entries of the same shape: status position 0, ten seconds each, and a
// description of the same length whatever the entry's number.
inline std::string listText(int entries) {
    std::string text;
    char description[64];
    for (int i = 0; i < entries; ++i) {
        std::snprintf(description, sizeof description, "Wpis numer %05d, dluzszy niz bufor w miejscu", i);
        text += "0\\x0C10\\x0D";
        text += description;
        text += "\\x0E";
    }
    return text;
}

} // namespace brio::test
