#include "host/model/registry.h"

namespace brio::host {

SimulatedPlugin& Registry::add(int32_t net) {
    auto p = std::make_unique<SimulatedPlugin>();
    p->id = kFirstSimulatedId + static_cast<int32_t>(plugins_.size());
    p->net = net;
    plugins_.push_back(std::move(p));
    return *plugins_.back();
}

SimulatedPlugin* Registry::findNet(int32_t net) {
    for (auto& p : plugins_)
        if (p->net == net) return p.get();
    return nullptr;
}

SimulatedPlugin* Registry::findPlugin(int32_t id) {
    for (auto& p : plugins_)
        if (p->id == id) return p.get();
    return nullptr;
}

const SimulatedPlugin* Registry::findPlugin(int32_t id) const {
    for (const auto& p : plugins_)
        if (p->id == id) return p.get();
    return nullptr;
}

int32_t Registry::count(bool testedLoaded) const {
    return 1 + static_cast<int32_t>(plugins_.size()) + (testedLoaded ? 1 : 0);
}

int32_t Registry::idAt(int32_t index, bool testedLoaded) const {
    if (index == 0) return kHostPluginId;
    const auto simulated = static_cast<int32_t>(plugins_.size());
    if (index >= 1 && index <= simulated) return plugins_[static_cast<size_t>(index - 1)]->id;
    if (testedLoaded && index == simulated + 1) return kTestedPluginId;
    return 0;
}

} // namespace brio::host
