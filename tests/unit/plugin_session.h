// A plug-in session driven through the entry point as the messenger drives it: pluginStart with a
// FakeHost, initialise, registerSettings, buildInterface, then notifications; deinitialise and
// pluginEnd at the end. Also the little-endian encoders the byte comparisons use.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fake_networks.h"
#include "platform/headless/driver.h"
#include "plugin/plugin.h"

namespace brio::test {

inline std::string le16(uint16_t v) {
    return {char(v & 0xFF), char(v >> 8)};
}
inline std::string le32(int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    return {char(u & 0xFF), char((u >> 8) & 0xFF), char((u >> 16) & 0xFF), char(u >> 24)};
}
inline int32_t fieldAt(const std::string& bytes, size_t offset) {
    int32_t v = 0;
    if (offset + 4 <= bytes.size()) std::memcpy(&v, bytes.data() + offset, 4);
    return v;
}

// A record placed so that its last byte is the last one before an inaccessible page: reading or
// writing one byte past its `size` faults in any build.
class GuardedRecord {
public:
    explicit GuardedRecord(const std::string& bytes) {
        page_ = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        void* p = mmap(nullptr, 2 * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        base_ = p == MAP_FAILED ? nullptr : static_cast<char*>(p);
        if (!base_) return;
        mprotect(base_ + page_, page_, PROT_NONE);
        data_ = base_ + page_ - bytes.size();
        std::memcpy(data_, bytes.data(), bytes.size());
        size_ = bytes.size();
    }
    ~GuardedRecord() {
        if (base_) munmap(base_, 2 * page_);
    }
    GuardedRecord(const GuardedRecord&) = delete;
    GuardedRecord& operator=(const GuardedRecord&) = delete;

    bool ok() const { return data_ != nullptr; }
    char* data() const { return data_; }
    std::string bytes() const { return std::string(data_, size_); }

private:
    size_t page_ = 0;
    char* base_ = nullptr;
    char* data_ = nullptr;
    size_t size_ = 0;
};

// The bytes of an action notification record of `size` bytes (at least 26 are laid out; a shorter
// record is the first `size` bytes of that layout).
inline std::string notificationBytes(uint16_t size, int32_t id, int32_t code, int32_t contact = 0,
                                     int32_t data = 0) {
    std::string b = le16(size) + le32(id) + le32(0) + le32(contact) + le32(code) + le32(0) + le32(data);
    b.resize(size, '\0');
    return b;
}

class PluginSession {
public:
    PluginSession() : nets(host) {
        const auto networkAnswers = host.responder;
        host.responder = [this, networkAnswers](const MessageRecord& m, int target) {
            if (std::optional<int32_t> a = answer(m, target)) return *a;
            return networkAnswers(m, target);
        };
    }

    FakeHost host;
    FakeNetworks nets;

    // A network plug-in; `pageName` is what the host answers when the page asks for its name (none:
    // a null answer). `enabled` goes into the stored network choice text.
    void addNetwork(int32_t net, std::optional<std::string> pageName, bool enabled = true) {
        nets.addNetwork(net, "plugin" + std::to_string(net));
        if (pageName) pageNames[net] = *pageName;
        choiceText += std::to_string(net) + "|" + (enabled ? "1" : "0") + "|";
    }

    // Answers of the host.
    bool nameIsNull = false; // queryName sent to Brio itself answers null
    // Not Brio's own version, so that a title built from anything but these answers shows.
    int32_t versionNumber = 0x09080706;    // pluginVersion
    std::string versionText = "9.8.7.6";   // what formatVersion writes for that number
    int32_t menuGroup = 4321;              // pluginMenuGroup
    std::map<int32_t, std::string> values; // getActionValue answers by action id; absent: null
    std::map<int32_t, std::string> pageNames;
    std::string choiceText;

    int32_t send(int32_t id, int32_t p1 = 0, int32_t p2 = 0) {
        MessageRecord m{};
        m.size = sizeof m;
        m.id = id;
        m.p1 = p1;
        m.p2 = p2;
        return dispatchMessage(&m);
    }

    void start() {
        headless::reset();
        if (!choiceText.empty()) host.texts[445002] = choiceText;
        send(20001, addressOf(&host));
        send(22100);
        send(21001);
        buildMark = host.sent.size();
        send(22000);
        afterBuild = host.sent.size();
    }

    void stop() {
        send(22101);
        send(20002);
        headless::reset();
    }

    // A notification of the full 30 bytes, or of a record given as bytes.
    void notify(int32_t id, int32_t code, int32_t contact = 0, int32_t data = 0) {
        std::string record = notificationBytes(30, id, code, contact, data);
        send(22200, addressOf(record.data()));
    }
    void notifyRecord(void* record) { send(22200, addressOf(record)); }

    // What the plug-in sent since `mark`, only those with message id `id` (any id when 0).
    std::vector<SentRecord> sentSince(size_t mark, int32_t id = 0) const {
        std::vector<SentRecord> out;
        for (size_t i = mark; i < host.sent.size(); ++i)
            if (id == 0 || host.sent[i].id() == id) out.push_back(host.sent[i]);
        return out;
    }

    size_t buildMark = 0;  // first message of buildInterface (the controller's own queries first)
    size_t afterBuild = 0; // first message after buildInterface

private:
    std::optional<int32_t> answer(const MessageRecord& m, int target) {
        if (target == host.id && m.id == 30016) {
            if (nameIsNull) return 0;
            MessageRecord query = m;
            return dispatchMessage(&query); // the host asks Brio itself
        }
        if (target != -1) return std::nullopt;
        switch (m.id) {
        case 245:
            return versionNumber;
        case 26:
            if (m.p1 == versionNumber && m.p2)
                std::memcpy(fromAddress<char>(m.p2), versionText.c_str(), versionText.size() + 1);
            return 1;
        case 10119:
            return menuGroup;
        case 30017: {
            const int32_t net = m.net; // a copy: the packed field is not aligned
            auto it = pageNames.find(net);
            return it == pageNames.end() ? 0 : addressOf(it->second.c_str());
        }
        case 10106:
            return actionValue(m);
        case 10135: // a status icon's image: its host status number, any id being its own image
            return (m.p1 - 0x40000000) / 16;
        default:
            return std::nullopt;
        }
    }

    // With a buffer in the record, the value is written into it (cut to fit); without, its address.
    int32_t actionValue(const MessageRecord& m) {
        const char* record = fromAddress<const char>(m.p1);
        int32_t id, text, textSize;
        std::memcpy(&id, record + 2, 4);
        std::memcpy(&text, record + 50, 4);
        std::memcpy(&textSize, record + 54, 4);
        auto it = values.find(id);
        if (text == 0) return it == values.end() ? 0 : addressOf(it->second.c_str());
        if (it != values.end() && textSize > 0) {
            const size_t n = std::min(it->second.size(), static_cast<size_t>(textSize));
            std::memcpy(fromAddress<char>(text), it->second.data(), n); // a full buffer gets no terminator
            if (n < static_cast<size_t>(textSize)) fromAddress<char>(text)[n] = '\0';
        }
        return 0;
    }
};

} // namespace brio::test
