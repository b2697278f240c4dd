// The plug-in registry as the plug-in sees it: index 0 is the host itself, then the simulated
// plug-ins (mostly network plug-ins) in the order they were added, then the plug-in under test.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brio::host {

constexpr int32_t kHostPluginId = 1;
constexpr int32_t kTestedPluginId = 200; // the loaded plug-in's id (what pluginId answers)
constexpr int32_t kFirstSimulatedId = 101;
constexpr int32_t kNetworkPluginType = 0x20;

// A simulated plug-in. Its texts live here, at fixed addresses, while the plug-in exists.
struct SimulatedPlugin {
    struct Change {
        int32_t status;                         // as received; -1 keeps the status
        std::optional<std::string> description; // none when the message carried no text
    };

    int32_t id = 0;
    int32_t net = 0;
    int32_t type = kNetworkPluginType;
    std::optional<std::string> name; // none: queryNetName answers 0
    int32_t status = 64;
    std::optional<std::string> description = std::string(); // none: netDescription answers 0
    int32_t capability = 1;
    std::vector<Change> history; // every setNetStatus received
    // The status and description the script's own steps last gave it (the user's latest), each from
    // the step that named it; none before any step did.
    std::optional<int32_t> userStatus;
    std::optional<std::optional<std::string>> userDescription;
};

class Registry {
public:
    SimulatedPlugin& add(int32_t net);
    // The first plug-in serving `net`, or null.
    SimulatedPlugin* findNet(int32_t net);
    SimulatedPlugin* findPlugin(int32_t id);
    const SimulatedPlugin* findPlugin(int32_t id) const;
    const std::vector<std::unique_ptr<SimulatedPlugin>>& plugins() const { return plugins_; }

    // pluginCount and pluginIdAt, with or without the plug-in under test loaded; 0 past the end.
    int32_t count(bool testedLoaded) const;
    int32_t idAt(int32_t index, bool testedLoaded) const;

private:
    std::vector<std::unique_ptr<SimulatedPlugin>> plugins_;
};

} // namespace brio::host
