// The messages with which the plug-in declares and changes its pages, menus and icons.
#include <cstring>

#include "boundary/messages.h"
#include "host/common/cp1250.h"
#include "host/messenger/host.h"
#include "host/model/plugin_text.h"

namespace brio::host {

namespace {

constexpr int32_t kMaskStatus = 1;
constexpr int32_t kMaskText = 0x40;

uint16_t recordSize(const uint8_t* record) {
    uint16_t size;
    std::memcpy(&size, record, 2);
    return size;
}

// The fields of an action record that are there; the rest read as 0.
ActionRecord readAction(const uint8_t* record) {
    ActionRecord a{};
    std::memcpy(&a, record, std::min<size_t>(recordSize(record), sizeof a));
    return a;
}

std::string target(const ActionRecord& a) {
    return " " + std::to_string(a.id) + " parent " + std::to_string(a.parent);
}

// The fault of a plug-in that works on an action it never added (under that parent).
std::string neverAdded(const char* call, const ActionRecord& a) {
    return call + target(a) + ": the plug-in never added that action";
}

} // namespace

int32_t Host::actionMessage(int32_t id, int32_t p1, int32_t) {
    if (id == msg::kPluginMenuGroup) {
        call("pluginMenuGroup", " -> " + std::to_string(kMenuGroup));
        return kMenuGroup;
    }
    uint8_t* record = fromAddress<uint8_t>(p1);
    if (!record) {
        call(messageName(id), " without a record -> 0");
        return 0;
    }
    switch (id) {
    case msg::kAddAction:
        return addAction(record);
    case msg::kModifyAction:
        return modifyAction(record);
    case msg::kSetActionValue:
        return setActionValue(record);
    case msg::kGetActionValue:
        return getActionValue(record);
    default:
        return registerIcon(record);
    }
}

int32_t Host::addAction(const uint8_t* record) {
    const ActionRecord r = readAction(record);
    const Action& a =
        actions_.add(record, recordSize(record), optionalTextFrom(r.text, "the text of addAction"));
    call("addAction", " " + describeAdded(a));
    return 1;
}

int32_t Host::modifyAction(const uint8_t* record) {
    const ActionRecord r = readAction(record);
    Action* a = actions_.find(r.id, r.parent);
    std::string line = target(r);
    if (r.mask & kMaskStatus) line += " status " + std::to_string(r.type);
    const std::optional<std::string> caption =
        r.mask & kMaskText ? optionalTextFrom(r.text, "the caption of modifyAction") : std::nullopt;
    if (r.mask & kMaskText) line += " caption " + (caption ? displayed(*caption) : std::string("null"));
    if (r.mask & ~(kMaskStatus | kMaskText)) line += " mask " + std::to_string(r.mask);
    if (!a) {
        call("modifyAction", line + " (no such action)");
        if (!refusedActions_.count(int32_t(r.id))) fault(neverAdded("modifyAction", r));
        return 0;
    }
    if (r.mask & kMaskStatus) a->status = r.type;
    if (r.mask & kMaskText) a->text = caption;
    call("modifyAction", line);
    return 1;
}

int32_t Host::setActionValue(const uint8_t* record) {
    const ActionRecord r = readAction(record);
    const std::string value = textFrom(r.text, "the text of setActionValue");
    Action* a = actions_.find(r.id, r.parent);
    std::string line = target(r) + " " + displayed(value);
    if (!a) {
        call("setActionValue", line + " (no such action)");
        if (!refusedActions_.count(int32_t(r.id))) fault(neverAdded("setActionValue", r));
        return 0;
    }
    if (a->bound()) {
        const Column* c = config_.column(a->param);
        line += " setting " + (c ? c->key : std::to_string(a->param) + " (not registered)");
    }
    call("setActionValue", line);
    if (!controlShown(*a)) {
        fault("setActionValue of" + target(r) + " while its page is closed");
        return 0;
    }
    if (!setControlValue(*a, value)) {
        fault("setActionValue of the choice" + target(r) + " to " + displayed(value) +
              ", which none of its lines stands for");
        return 0;
    }
    return 1;
}

int32_t Host::getActionValue(uint8_t* record) {
    const ActionRecord r = readAction(record);
    const Action* a = actions_.find(r.id, r.parent);
    if (a && !controlShown(*a)) {
        call("getActionValue", target(r) + " -> 0 (its page is closed)");
        fault("getActionValue of" + target(r) + " while its page is closed");
        return 0;
    }
    const std::string value = a ? controlValue(*a) : std::string();
    std::string line = target(r);
    if (r.text) {
        // Into the plug-in's buffer: at most textSize bytes with the terminating zero.
        char* buffer = fromAddress<char>(r.text);
        std::string written;
        if (r.textSize > 0) {
            written = value.substr(0, static_cast<size_t>(r.textSize) - 1);
            std::memcpy(buffer, written.c_str(), written.size() + 1);
        }
        line += " buffer " + std::to_string(r.textSize) + " -> " + displayed(written);
        call("getActionValue", line + (a ? "" : " (no such action)"));
        if (!a && !refusedActions_.count(int32_t(r.id))) fault(neverAdded("getActionValue", r));
        return a ? 1 : 0;
    }
    if (!a) {
        call("getActionValue", line + " -> 0 (no such action)");
        if (!refusedActions_.count(int32_t(r.id))) fault(neverAdded("getActionValue", r));
        return 0;
    }
    valueCopy_ = std::make_unique<char[]>(value.size() + 1);
    std::memcpy(valueCopy_.get(), value.c_str(), value.size() + 1);
    call("getActionValue", line + " -> " + displayed(value));
    return addressOf(valueCopy_.get());
}

int32_t Host::registerIcon(const uint8_t* record) {
    IconRecord r{};
    std::memcpy(&r, record, std::min<size_t>(recordSize(record), sizeof r));
    Icon icon{r.iconId, r.imageList, r.resource, r.flag,
              loaded() && r.module == addressOf(library_->moduleHandle())};
    icons_.push_back(icon);
    std::string line = " " + std::to_string(icon.id) + " list " + std::to_string(icon.imageList) +
                       " resource " + std::to_string(icon.resource) +
                       (icon.ownModule ? " module plug-in" : " module other");
    if (icon.flag != 1) line += " flag " + std::to_string(icon.flag);
    if (recordSize(record) != sizeof(IconRecord)) line += " size " + std::to_string(recordSize(record));
    call("registerIcon", line);
    return 1;
}

} // namespace brio::host
