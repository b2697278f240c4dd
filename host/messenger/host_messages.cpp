// The messages the plug-in sends the host: routing, the configuration columns, the registry, the
// networks, versions and debug lines.
#include <cstdio>
#include <cstring>

#include "boundary/messages.h"
#include "boundary/record_reader.h"
#include "host/common/cp1250.h"
#include "host/common/heap_meter.h"
#include "host/messenger/host.h"
#include "host/model/plugin_text.h"

namespace brio::host {

namespace {

struct Name {
    int32_t id;
    const char* name;
};

constexpr Name kNames[] = {
    {msg::kLogText, "logText"},
    {msg::kFormatVersion, "formatVersion"},
    {msg::kPluginCount, "pluginCount"},
    {msg::kPluginIdAt, "pluginIdAt"},
    {msg::kPluginVersion, "pluginVersion"},
    {msg::kRegisterColumn, "registerColumn"},
    {msg::kAddAction, "addAction"},
    {msg::kGetActionValue, "getActionValue"},
    {msg::kModifyAction, "modifyAction"},
    {msg::kSetActionValue, "setActionValue"},
    {msg::kPluginMenuGroup, "pluginMenuGroup"},
    {msg::kRegisterIcon, "registerIcon"},
    {msg::kStatusImageList, "statusImageList"},
    {msg::kStatusIconIndex, "statusIconIndex"},
    {msg::kStatusIconHandle, "statusIconHandle"},
    {msg::kPluginStart, "pluginStart"},
    {msg::kPluginEnd, "pluginEnd"},
    {msg::kRegisterSettings, "registerSettings"},
    {msg::kBuildInterface, "buildInterface"},
    {msg::kInitialise, "initialise"},
    {msg::kDeinitialise, "deinitialise"},
    {msg::kActionNotify, "actionNotify"},
    {msg::kQueryNet, "queryNet"},
    {msg::kQueryType, "queryType"},
    {msg::kQueryVersion, "queryVersion"},
    {msg::kQuerySignature, "querySignature"},
    {msg::kQueryName, "queryName"},
    {msg::kQueryNetName, "queryNetName"},
    {msg::kNetStatus, "netStatus"},
    {msg::kNetDescription, "netDescription"},
    {msg::kSetNetStatus, "setNetStatus"},
    {msg::kNetCapability, "netCapability"},
};

} // namespace

// The host's status image list: two icons of its own, then the six statuses by host status number.
constexpr int32_t kImageStatuses[] = {33, 34, 64, 65, 66, 67};
constexpr int32_t kFirstStatusImage = 2;
constexpr int32_t kStatusIconBase = 0x40000000;
static_assert(kFirstStatusImage + std::size(kImageStatuses) == kStatusImages);

int32_t statusIconIndex(int32_t iconId) {
    for (int32_t i = 0; i < 6; ++i)
        if (iconId == kStatusIconBase + kImageStatuses[i] * 16) return kFirstStatusImage + i;
    return -1;
}

int32_t statusOfImage(int32_t image) {
    const int32_t i = image - kFirstStatusImage;
    return i >= 0 && i < 6 ? kImageStatuses[i] : -1;
}

std::string messageName(int32_t id) {
    for (const Name& n : kNames)
        if (n.id == id) return n.name;
    return "message " + std::to_string(id);
}

AnswerForm answerForm(int32_t id) {
    switch (id) {
    case msg::kQueryVersion:
    case msg::kQuerySignature:
    case msg::kQueryName:
    case msg::kQueryNetName:
        return AnswerForm::Text;
    default:
        return AnswerForm::Integer;
    }
}

int32_t versionNumber(const std::string& text) {
    uint32_t number = 0;
    size_t pos = 0;
    for (int part = 0; part < 4; ++part) {
        uint32_t v = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
            v = v * 10 + uint32_t(text[pos++] - '0');
        number = (number << 8) | (v > 255 ? 255 : v);
        if (pos < text.size() && text[pos] == '.') ++pos;
    }
    return static_cast<int32_t>(number);
}

std::string versionText(int32_t number) {
    const auto n = static_cast<uint32_t>(number);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", n >> 24, (n >> 16) & 255, (n >> 8) & 255, n & 255);
    return buf;
}

int Host::sendMessage(MessageRecord* record) {
    const heap::HostRuns host;
    if (!record) {
        call("sendMessage", " of a null record -> 0");
        return 0;
    }
    if (refusedCall("sendMessage")) {
        // A column the host did not take: the plug-in's later reads and writes of it get nothing, as
        // from any host that has nothing, and are not the plug-in's fault.
        const RecordReader r(record);
        if (r.i32(offsetof(MessageRecord, id), 0) == msg::kRegisterColumn && r.size() >= sizeof(ColumnRecord))
            refusedColumns_.insert(r.i32(offsetof(ColumnRecord, column), 0));
        // An action the host did not add: the same for the plug-in's later changes of it.
        if (r.i32(offsetof(MessageRecord, id), 0) == msg::kAddAction && r.size() >= kMessageRecordSize)
            if (const uint8_t* action = fromAddress<uint8_t>(r.i32(offsetof(MessageRecord, p1))))
                refusedActions_.insert(RecordReader(action).i32(offsetof(ActionRecord, id), 0));
        // A value the host did not set: its control still shows what it showed.
        if (r.i32(offsetof(MessageRecord, id), 0) == msg::kSetActionValue && r.size() >= kMessageRecordSize)
            if (const uint8_t* action = fromAddress<uint8_t>(r.i32(offsetof(MessageRecord, p1))))
                refusedValues_.insert(RecordReader(action).i32(offsetof(ActionRecord, id), 0));
        return 0;
    }
    return handle(reinterpret_cast<const uint8_t*>(record));
}

int Host::sendMessageTo(int pluginId, MessageRecord* record) {
    const heap::HostRuns host;
    if (!record) {
        call("sendMessageTo", " " + std::to_string(pluginId) + " of a null record -> 0");
        return 0;
    }
    if (refusedCall("sendMessageTo")) return 0;
    const RecordReader r(record);
    const int32_t id = r.i32(offsetof(MessageRecord, id), 0);
    if (pluginId == kTestedPluginId && loaded()) {
        call("sendMessageTo", " " + std::to_string(pluginId) + " (this plug-in)");
        std::string what = messageName(id);
        const int32_t p1 = r.i32(offsetof(MessageRecord, p1));
        const int32_t p2 = r.i32(offsetof(MessageRecord, p2));
        if (p1 || p2) what += " p1 " + std::to_string(p1) + " p2 " + std::to_string(p2);
        return callPlugin(record, what, answerForm(id));
    }
    if (pluginId == kHostPluginId) {
        call("sendMessageTo", " " + std::to_string(pluginId) + " (host)");
        return handle(reinterpret_cast<const uint8_t*>(record));
    }
    if (SimulatedPlugin* p = registry_.findPlugin(pluginId))
        return toSimulated(*p, id, "sendMessageTo " + std::to_string(pluginId) + " ");
    call("sendMessageTo", " " + std::to_string(pluginId) + " " + messageName(id) + " -> 0 (no such plug-in)");
    return 0;
}

int32_t Host::toSimulated(SimulatedPlugin& p, int32_t message, const std::string& prefix) {
    int32_t answer = 0;
    std::string shown;
    switch (message) {
    case msg::kQueryNet:
        answer = p.net;
        break;
    case msg::kQueryType:
        answer = p.type;
        break;
    case msg::kQueryName:
    case msg::kQueryNetName:
        answer = p.name ? addressOf(p.name->c_str()) : 0;
        if (p.name) shown = displayed(*p.name);
        break;
    default:
        shown = "0 (not handled)";
        break;
    }
    if (shown.empty()) shown = std::to_string(answer);
    ++calls_["sendMessageTo"];
    transcript_.line(prefix + messageName(message) + " -> " + shown);
    return answer;
}

int32_t Host::handle(const uint8_t* record) {
    const RecordReader r(record);
    const int32_t id = r.i32(offsetof(MessageRecord, id), 0);
    if (id == msg::kRegisterColumn) return registerColumn(record, r.size());
    if (r.size() < kMessageRecordSize) {
        call(messageName(id), " in a short record of " + std::to_string(r.size()) + " bytes -> 0");
        fault(messageName(id) + " sent in a record of " + std::to_string(r.size()) + " bytes");
        return 0;
    }
    const int32_t net = r.i32(offsetof(MessageRecord, net));
    const int32_t p1 = r.i32(offsetof(MessageRecord, p1));
    const int32_t p2 = r.i32(offsetof(MessageRecord, p2));
    const bool toNetwork = id == msg::kQueryNetName || id == msg::kNetStatus || id == msg::kNetDescription ||
                           id == msg::kSetNetStatus || id == msg::kNetCapability;
    // A message with a network number goes to that network, not to the host.
    if (net != 0 && !toNetwork)
        fault(messageName(id) + " sent with net " + std::to_string(net) +
              ": the host handles it only with net 0");
    switch (id) {
    case msg::kLogText: {
        // p2 is the size of the buffer that holds the line; without one, no more than a line is read.
        if (p2 <= 0) fault("logText without the size of its buffer (" + std::to_string(p2) + ")");
        lastLog_ = textFrom(p1, "the line of logText", p2 > 0 ? static_cast<size_t>(p2) : 1024);
        if (p2 > 0 && lastLog_.size() == static_cast<size_t>(p2))
            fault("logText line without its terminating zero in a buffer of " + std::to_string(p2) +
                  " bytes");
        call("logText", " " + displayed(lastLog_));
        return 1;
    }
    case msg::kPluginCount: {
        const int32_t n = registry_.count(loaded());
        call("pluginCount", " -> " + std::to_string(n));
        return n;
    }
    case msg::kPluginIdAt: {
        const int32_t pid = registry_.idAt(p1, loaded());
        call("pluginIdAt", " " + std::to_string(p1) + " -> " + std::to_string(pid));
        return pid;
    }
    case msg::kPluginVersion:
    case msg::kFormatVersion:
        return versionMessage(id, p1, p2);
    case msg::kAddAction:
    case msg::kGetActionValue:
    case msg::kModifyAction:
    case msg::kSetActionValue:
    case msg::kPluginMenuGroup:
    case msg::kRegisterIcon:
        return actionMessage(id, p1, p2);
    case msg::kStatusImageList:
        // The handle differs from run to run and between desktops: the transcript does not show it.
        call("statusImageList", " " + std::to_string(p1) + " " + std::to_string(p2));
        return desktop_->statusImageList();
    case msg::kStatusIconIndex: {
        const int32_t index = statusIconIndex(p1);
        call("statusIconIndex",
             " " + std::to_string(p1) + " " + std::to_string(p2) + " -> " + std::to_string(index));
        return index;
    }
    case msg::kStatusIconHandle: {
        // The handle differs between desktops: the transcript shows the image it is the icon of.
        const int32_t image = statusIconIndex(p1);
        call("statusIconHandle",
             " " + std::to_string(p1) + " " + std::to_string(p2) + " -> image " + std::to_string(image));
        return image < 0 ? 0 : desktop_->statusIconHandle(image);
    }
    case msg::kQueryNetName:
    case msg::kNetStatus:
    case msg::kNetDescription:
    case msg::kSetNetStatus:
    case msg::kNetCapability:
        return networkMessage(id, net, p1, p2);
    default:
        call("unhandled", " " + messageName(id) + " net " + std::to_string(net) + " type " +
                              std::to_string(r.i32(offsetof(MessageRecord, type))) + " -> 0");
        fault(messageName(id) + " is no message a host handles");
        return 0;
    }
}

int32_t Host::registerColumn(const uint8_t* record, uint16_t size) {
    if (size < sizeof(ColumnRecord)) {
        call("registerColumn", " in a short record of " + std::to_string(size) + " bytes -> 0");
        fault("registerColumn sent in a record of " + std::to_string(size) + " bytes");
        return 0;
    }
    ColumnRecord c;
    std::memcpy(&c, record, sizeof c);
    Column column;
    column.id = c.column;
    column.key = textFrom(c.key, "the key of registerColumn");
    column.kind = c.kind;
    std::string line = " " + std::to_string(c.column) + " " + displayed(column.key);
    if (c.table != msg::kConfigTable) line += " table " + std::to_string(c.table);
    if (c.kind == 1) {
        column.defaultText = textFrom(c.defaultValue, "the default text of registerColumn");
        line += " text default " + (c.defaultValue ? displayed(column.defaultText) : std::string("null"));
    } else {
        column.defaultInt = c.defaultValue;
        line += (c.kind == 0 ? " integer" : " kind " + std::to_string(c.kind)) + " default " +
                std::to_string(c.defaultValue);
    }
    if (c.table != msg::kConfigTable || c.key == 0) {
        call("registerColumn", line + " -> 0 (ignored)");
        return 0;
    }
    config_.registerColumn(column);
    call("registerColumn", line + " -> 1");
    return 1;
}

int32_t Host::networkMessage(int32_t id, int32_t net, int32_t p1, int32_t p2) {
    SimulatedPlugin* p = registry_.findNet(net);
    const std::string where = " net " + std::to_string(net);
    switch (id) {
    case msg::kQueryNetName: {
        const bool named = p && p->name;
        call("queryNetName", where + " -> " + (named ? displayed(*p->name) : std::string("0")));
        return named ? addressOf(p->name->c_str()) : 0;
    }
    case msg::kNetStatus:
        call("netStatus", where + " -> " + std::to_string(p ? p->status : 0));
        return p ? p->status : 0;
    case msg::kNetDescription: {
        const bool has = p && p->description;
        call("netDescription", where + " -> " + (has ? displayed(*p->description) : std::string("0")));
        return has ? addressOf(p->description->c_str()) : 0;
    }
    case msg::kNetCapability:
        call("netCapability", where + " -> " + std::to_string(p ? p->capability : 0));
        return p ? p->capability : 0;
    default: { // setNetStatus
        SimulatedPlugin::Change change{p1, optionalTextFrom(p2, "the description of setNetStatus")};
        const std::string line = where + " status " + std::to_string(p1) + " " +
                                 (change.description ? displayed(*change.description) : "null");
        if (!p) {
            call("setNetStatus", line + " -> 0 (no such network)");
            return 0;
        }
        const std::optional<bool> dies = std::exchange(crashInSet_, std::nullopt);
        if (dies && !*dies) {
            call("setNetStatus", line + " -> the messenger ends before the change");
            dead_ = true;
            return 0;
        }
        if (p1 != -1) p->status = p1;
        if (change.description) p->description = change.description;
        p->history.push_back(std::move(change));
        if (dies) {
            call("setNetStatus", line + " -> the messenger ends after the change");
            dead_ = true;
            return 0;
        }
        call("setNetStatus", line + " -> 1");
        return 1;
    }
    }
}

int32_t Host::versionMessage(int32_t id, int32_t p1, int32_t p2) {
    if (id == msg::kPluginVersion) {
        const int32_t number = p1 == kTestedPluginId && loaded() ? versionNumber(testedVersion_) : 0;
        call("pluginVersion", " " + std::to_string(p1) + " -> " + std::to_string(number));
        return number;
    }
    // formatVersion: the text goes into the plug-in's buffer, at most 16 bytes with its zero.
    constexpr size_t kMost = 16;
    const std::string text = versionText(p1);
    char* buffer = fromAddress<char>(p2);
    if (!buffer) {
        call("formatVersion", " " + std::to_string(p1) + " without a buffer -> 0");
        return 0;
    }
    const size_t n = std::min(text.size(), kMost - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    call("formatVersion", " " + std::to_string(p1) + " -> " + displayed(text.substr(0, n)));
    return 1;
}

} // namespace brio::host
