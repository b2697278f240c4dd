#include "boundary/host_gateway.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "boundary/messages.h"

namespace brio {

namespace {

MessageRecord message(int32_t id, int32_t net, int32_t type, int32_t p1, int32_t p2) {
    MessageRecord m{};
    m.size = kMessageRecordSize;
    m.id = id;
    m.net = net;
    m.type = type;
    m.p1 = p1;
    m.p2 = p2;
    return m;
}

// The short-form record used to change or read an action.
ActionRecord actionChange(int32_t id, int32_t parent, int32_t mask) {
    ActionRecord a{};
    a.size = kActionShortSize;
    a.id = id;
    a.parent = parent;
    a.reserved = -2;
    a.mask = mask;
    return a;
}

constexpr int32_t kMaskAdd = 863;
constexpr int32_t kMaskStatus = 1;
constexpr int32_t kMaskText = 0x40;
constexpr int32_t kMaskValue = 0x10040;

} // namespace

int HostGateway::pluginId() const {
    return host_ ? host_->pluginId() : 0;
}
void* HostGateway::instanceHandle() const {
    return host_ ? host_->instanceHandle() : nullptr;
}
int HostGateway::hostState() const {
    return host_ ? host_->hostState() : 0;
}

void HostGateway::setError(int code) const {
    if (host_) host_->setError(code);
}

int32_t HostGateway::send(int32_t id, int32_t net, int32_t type, int32_t p1, int32_t p2) const {
    if (!host_) return 0;
    MessageRecord m = message(id, net, type, p1, p2);
    return host_->sendMessage(&m);
}

int32_t HostGateway::sendTo(int pluginId, int32_t id, int32_t net, int32_t type, int32_t p1,
                            int32_t p2) const {
    if (!host_) return 0;
    MessageRecord m = message(id, net, type, p1, p2);
    return host_->sendMessageTo(pluginId, &m);
}

void HostGateway::registerColumn(int32_t column, int32_t kind, int32_t defaultValue, const char* key) const {
    if (!host_) return;
    ColumnRecord c{};
    c.size = sizeof(ColumnRecord);
    c.id = msg::kRegisterColumn;
    c.table = msg::kConfigTable;
    c.column = column;
    c.kind = kind;
    c.defaultValue = defaultValue;
    c.key = addressOf(key);
    host_->sendMessage(reinterpret_cast<MessageRecord*>(&c));
}

int32_t HostGateway::readInt(int32_t column) const {
    if (!host_) return 0;
    ValueRecord v{0, 0, 0};
    host_->getValue(msg::kConfigTable, 0, column, &v);
    return v.value;
}

std::optional<std::string> HostGateway::readTextIfAny(int32_t column) const {
    if (!host_) return std::nullopt;
    ValueRecord v{1, 0, -1};
    host_->getValue(msg::kConfigTable, 0, column, &v);
    const char* text = fromAddress<const char>(v.value);
    if (!text) return std::nullopt;
    return std::string(text);
}

void HostGateway::readText(int32_t column, std::string& into) const {
    into.clear();
    if (!host_) return;
    ValueRecord v{1, 0, -1};
    host_->getValue(msg::kConfigTable, 0, column, &v);
    if (const char* text = fromAddress<const char>(v.value)) into.assign(text);
}

std::string HostGateway::readText(int32_t column) const {
    return readTextIfAny(column).value_or(std::string());
}

void HostGateway::writeText(int32_t column, std::string_view text) const {
    if (!host_) return;
    std::string copy(text);
    ValueRecord v{1, addressOf(copy.c_str()), 0};
    host_->setValue(msg::kConfigTable, 0, column, &v);
}

HostText HostGateway::holdContactText(int32_t contact, int32_t column) const {
    if (!host_) return {};
    ValueRecord v{1, 0, -1};
    host_->getValue(msg::kContactsTable, contact, column, &v);
    return HostText(host_, fromAddress<char>(v.value));
}

std::string HostGateway::readContactText(int32_t contact, int32_t column) const {
    // The host's copy goes back even when making ours runs out of memory.
    return std::string(holdContactText(contact, column).view());
}

int32_t HostGateway::readContactInt(int32_t contact, int32_t column) const {
    if (!host_) return 0;
    ValueRecord v{0, 0, 0};
    host_->getValue(msg::kContactsTable, contact, column, &v);
    return v.value;
}

void HostGateway::registerIcon(int32_t iconId, int32_t imageList, int32_t resource) const {
    if (!host_) return;
    IconRecord r{};
    r.size = sizeof(IconRecord);
    r.iconId = iconId;
    r.imageList = imageList;
    r.flag = 1;
    r.module = addressOf(host_->instanceHandle());
    r.resource = resource;
    send(msg::kRegisterIcon, 0, 0, addressOf(&r));
}

void HostGateway::addAction(const NewAction& action) const {
    if (!host_) return;
    ActionRecord a{};
    a.size = action.longForm ? kActionLongSize : kActionShortSize;
    a.id = action.id;
    a.parent = action.parent;
    a.reserved = -2;
    a.index = action.index;
    a.mask = kMaskAdd;
    a.type = action.type;
    a.statusMask = -1;
    a.text = addressOf(action.text);
    a.param = action.param;
    a.width = action.width;
    a.height = action.height;
    if (action.longForm) {
        a.x = action.x;
        a.y = action.y;
    }
    send(msg::kAddAction, 0, 0, addressOf(&a));
}

void HostGateway::setActionStatus(int32_t id, int32_t parent, int32_t status) const {
    if (!host_) return;
    ActionRecord a = actionChange(id, parent, kMaskStatus);
    a.type = status;
    a.statusMask = -1;
    send(msg::kModifyAction, 0, 0, addressOf(&a));
}

void HostGateway::setActionCaption(int32_t id, int32_t parent, std::string_view caption) const {
    if (!host_) return;
    std::string copy(caption);
    ActionRecord a = actionChange(id, parent, kMaskText);
    a.text = addressOf(copy.c_str());
    send(msg::kModifyAction, 0, 0, addressOf(&a));
}

void HostGateway::setActionValue(int32_t id, int32_t parent, std::string_view value) const {
    setActionText(id, parent, std::string(value));
}

void HostGateway::setActionText(int32_t id, int32_t parent, const std::string& value) const {
    if (!host_) return;
    ActionRecord a = actionChange(id, parent, kMaskValue);
    a.text = addressOf(value.c_str());
    send(msg::kSetActionValue, 0, 0, addressOf(&a));
}

std::string HostGateway::getActionValue(int32_t id, int32_t parent) const {
    return getActionValueIfAny(id, parent).value_or(std::string());
}

std::optional<std::string> HostGateway::getActionValueIfAny(int32_t id, int32_t parent) const {
    if (!host_) return std::nullopt;
    ActionRecord a = actionChange(id, parent, kMaskValue);
    const char* text = fromAddress<const char>(send(msg::kGetActionValue, 0, 0, addressOf(&a)));
    if (!text) return std::nullopt;
    return std::string(text);
}

std::string HostGateway::getActionValue(int32_t id, int32_t parent, int32_t bufferSize) const {
    if (!host_ || bufferSize <= 0) return {};
    std::vector<char> buffer(static_cast<size_t>(bufferSize), '\0');
    ActionRecord a = actionChange(id, parent, kMaskValue);
    a.text = addressOf(buffer.data());
    a.textSize = bufferSize;
    send(msg::kGetActionValue, 0, 0, addressOf(&a));
    buffer.back() = '\0'; // a host that fills the whole buffer still leaves a terminated text
    return std::string(buffer.data());
}

void HostGateway::logText(const char* format, ...) const {
    if (!host_) return;
    char line[256] = {};
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n > 254) line[254] = '\0';
    send(msg::kLogText, 0, 0, addressOf(line), sizeof line);
}

} // namespace brio
