// Networks and network plug-ins behind a FakeHost, answering as the messenger does.
#pragma once

#include <map>
#include <new>
#include <string>
#include <vector>

#include "boundary/messages.h"
#include "fake_host.h"

namespace brio::test {

struct FakeNetwork {
    int32_t status = 64;
    std::string description;
    bool hasDescription = true;
    int32_t capability = 1;
};

struct FakePlugin {
    int32_t id;
    int32_t type;
    int32_t net;
    std::string name; // empty: the plug-in has no network name
};

struct SetCall {
    int32_t net;
    int32_t status;
    std::string text;
    bool operator==(const SetCall&) const = default;
};

class FakeNetworks {
public:
    explicit FakeNetworks(FakeHost& host) {
        host.responder = [this](const MessageRecord& m, int target) { return answer(m, target); };
    }

    // A network plug-in serving `net`, named unless `name` is empty.
    void addNetwork(int32_t net, std::string name = "net", int32_t type = 0x20) {
        plugins.push_back(
            FakePlugin{1000 + static_cast<int32_t>(plugins.size()), type, net, std::move(name)});
        networks.try_emplace(net);
    }

    std::map<int32_t, FakeNetwork> networks;
    std::vector<FakePlugin> plugins; // index 1.. in the registry; index 0 is the host
    std::vector<SetCall> sets;
    // Stands in for running out of memory while a description is set: the call throws std::bad_alloc.
    bool setsFail = false;
    int setsToFail = 0;  // the next this many sets throw std::bad_alloc, then sets work again
    int32_t refused = 0; // a host that could not tell: the `refusedAt`-th message of this id answers 0
    int refusedAt = 0;
    int32_t setAnswer = 1; // what a write that went through answers

private:
    int32_t answer(const MessageRecord& m, int target) {
        if (target >= 0) {
            for (const FakePlugin& p : plugins) {
                if (p.id != target) continue;
                if (m.id == msg::kQueryType) return p.type;
                if (m.id == msg::kQueryNet) return p.net;
                if (m.id == msg::kQueryNetName) return p.name.empty() ? 0 : addressOf(p.name.c_str());
            }
            return 0;
        }
        if (m.id == refused && --refusedAt == 0) return 0;
        const int32_t netId = m.net; // a packed field: no reference to it
        auto net = networks.find(netId);
        switch (m.id) {
        case msg::kPluginCount:
            return static_cast<int32_t>(plugins.size()) + 1;
        case msg::kPluginIdAt:
            return m.p1 >= 1 && m.p1 <= static_cast<int32_t>(plugins.size()) ? plugins[m.p1 - 1].id : 0;
        case msg::kNetStatus:
            return net == networks.end() ? 0 : net->second.status;
        case msg::kNetCapability:
            return net == networks.end() ? 0 : net->second.capability;
        case msg::kNetDescription:
            if (net == networks.end() || !net->second.hasDescription) return 0;
            scratch_ = net->second.description;
            return addressOf(scratch_.c_str());
        case msg::kSetNetStatus: {
            if (setsFail) throw std::bad_alloc();
            if (setsToFail > 0) {
                --setsToFail;
                throw std::bad_alloc();
            }
            const std::string text = m.p2 ? fromAddress<const char>(m.p2) : "";
            sets.push_back(SetCall{m.net, m.p1, text});
            if (net != networks.end()) {
                if (m.p1 != -1) net->second.status = m.p1;
                net->second.description = text;
            }
            return setAnswer;
        }
        default:
            return 0;
        }
    }
    std::string scratch_;
};

} // namespace brio::test
