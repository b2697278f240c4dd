#include "host/model/action_tree.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "boundary/records.h"
#include "host/common/cp1250.h"

namespace brio::host {

namespace {

std::string hex(int32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", static_cast<unsigned>(v));
    return buf;
}

// Sizes and offsets travel as unsigned 16-bit fields but mean signed values (-3, -20).
std::string signed16(uint16_t v) {
    return std::to_string(static_cast<int16_t>(v));
}

void appendLayout(std::string& out, const Action& a) {
    if (a.width) out += " width " + signed16(a.width);
    if (a.height) out += " height " + signed16(a.height);
    if (a.x) out += " x " + signed16(a.x);
    if (a.y) out += " y " + signed16(a.y);
}

} // namespace

bool Action::holdsValue() const {
    switch (kindOf()) {
    case kind::kCheck:
    case kind::kEntry:
    case kind::kTextArea:
    case kind::kPath:
    case kind::kChoice:
    case kind::kNumber:
        return true;
    default:
        return false;
    }
}

Action& ActionTree::add(const void* record, uint16_t size, std::optional<std::string> text) {
    ActionRecord r{};
    std::memcpy(&r, record, std::min<size_t>(size, sizeof r));
    Action a;
    a.id = r.id;
    a.parent = r.parent;
    a.reserved = r.reserved;
    a.index = r.index;
    a.mask = r.mask;
    a.type = r.type;
    a.statusMask = r.statusMask;
    a.textSize = r.textSize;
    a.param = r.param;
    a.text = std::move(text);
    a.width = r.width;
    a.height = r.height;
    a.x = r.x;
    a.y = r.y;
    a.size = size;
    if (a.holdsValue() && !a.bound()) a.value = initialValue(a);
    actions_.push_back(std::move(a));
    return actions_.back();
}

Action* ActionTree::find(int32_t id, int32_t parent) {
    for (Action& a : actions_)
        if (a.id == id && a.parent == parent) return &a;
    return nullptr; // a host knows an action by its id under its parent
}

Action* ActionTree::find(int32_t id) {
    for (Action& a : actions_)
        if (a.id == id) return &a;
    return nullptr;
}

const Action* ActionTree::findContainer(std::string_view nameOrId, uint16_t kindWanted, int32_t flags) const {
    for (const Action& a : actions_) {
        if (a.kindOf() != kindWanted || (a.flags() & flags) != flags) continue;
        if ((a.text && *a.text == nameOrId) || (a.id != 0 && std::to_string(a.id) == nameOrId)) return &a;
    }
    return nullptr;
}

std::vector<const Action*> ActionTree::children(int32_t parent) const {
    std::vector<const Action*> out;
    for (const Action& a : actions_)
        if (a.parent == parent) out.push_back(&a);
    return out;
}

std::string kindName(uint16_t k) {
    switch (k) {
    case kind::kPopup:
        return "popup";
    case kind::kWindowHost:
        return "window-host";
    case kind::kCheck:
        return "check";
    case kind::kLabel:
        return "label";
    case kind::kEntry:
        return "entry";
    case kind::kTextArea:
        return "text-area";
    case kind::kButton:
        return "button";
    case kind::kGroup:
        return "group";
    case kind::kGroupEnd:
        return "group-end";
    case kind::kImage:
        return "image";
    case kind::kPath:
        return "path";
    case kind::kChoice:
        return "choice";
    case kind::kText:
        return "text";
    case kind::kNumber:
        return "number";
    case kind::kImageWithParams:
        return "image-params";
    case kind::kPage:
        return "page";
    default: {
        char buf[16];
        std::snprintf(buf, sizeof buf, "kind 0x%04X", k);
        return buf;
    }
    }
}

std::vector<std::string> choiceLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string choiceValue(std::string_view line, size_t index) {
    const size_t mark = line.find('\x02');
    return mark == std::string_view::npos ? std::to_string(index) : std::string(line.substr(mark + 1));
}

std::string initialValue(const Action& a) {
    const std::string text = a.text.value_or("");
    switch (a.kindOf()) {
    case kind::kCheck:
        return "1";
    case kind::kChoice: {
        const auto lines = choiceLines(text);
        return lines.empty() ? std::string() : choiceValue(lines.front(), 0);
    }
    default:
        // Entries carry parameters (0x1A name=value) after their initial text.
        return text.substr(0, text.find('\x1A'));
    }
}

std::string describeAdded(const Action& a) {
    std::string out =
        std::to_string(a.id) + " parent " + std::to_string(a.parent) + " " + kindName(a.kindOf());
    if (a.flags()) out += " flags " + hex(a.flags());
    out += a.text ? " " + displayed(*a.text) : std::string(" null");
    if (a.param) out += " param " + std::to_string(a.param);
    appendLayout(out, a);
    if (a.index != -1) out += " index " + std::to_string(a.index);
    if (a.mask != 863) out += " mask " + std::to_string(a.mask);
    if (a.reserved != -2) out += " reserved " + std::to_string(a.reserved);
    if (a.statusMask != -1) out += " statusMask " + std::to_string(a.statusMask);
    if (a.textSize) out += " textSize " + std::to_string(a.textSize);
    if (a.size == kActionShortSize)
        out += " short";
    else if (a.size == kActionLongSize)
        out += " long";
    else
        out += " size " + std::to_string(a.size);
    return out;
}

std::string describeControl(const Action& a, const std::function<std::string(const Action&)>& valueOf,
                            const std::function<std::string(int32_t)>& settingName) {
    std::string out = (a.id ? std::to_string(a.id) : std::string("-")) + " " + kindName(a.kindOf());
    if (a.kindOf() == kind::kWindowHost) {
        out += a.windowCreated ? " (window)" : " (no window)";
    } else if (a.holdsValue() && a.kindOf() != kind::kCheck) {
        if (a.kindOf() == kind::kChoice) {
            std::string lines;
            for (const std::string& l : choiceLines(a.text.value_or("")))
                lines += (lines.empty() ? "" : " | ") + displayed(l);
            out += " [" + lines + "]";
        } else if (a.text && !a.text->empty()) {
            out += " " + displayed(*a.text);
        }
        out += " = " + displayed(valueOf(a));
    } else {
        out += a.text ? " " + displayed(*a.text) : std::string();
        if (a.kindOf() == kind::kCheck) out += " = " + displayed(valueOf(a));
    }
    if (a.bound())
        out += " setting " + settingName(a.param);
    else if (a.param && a.kindOf() == kind::kPage)
        out += " icon " + std::to_string(a.param);
    if (a.status) out += " status " + std::to_string(a.status);
    appendLayout(out, a);
    const int32_t otherFlags = a.flags() & ~kSameLineFlag;
    if (otherFlags) out += " flags " + hex(otherFlags);
    if (a.flags() & kSameLineFlag) out += " same-line";
    return out;
}

} // namespace brio::host
