// model/: the messenger's tables, as a messenger keeps them: the action tree, the configuration store,
// the contacts, the plug-in registry, and the records' texts. Uses common/.
//
// The action tree a plug-in declares with addAction: pages, groups, controls, menus and menu items,
// kept in the order they were added, with what the host shows of each (status, caption, value).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brio::host {

// Kinds (the high 16 bits of `type`).
namespace kind {
constexpr uint16_t kPopup = 0x0000;
constexpr uint16_t kWindowHost = 0x0005;
constexpr uint16_t kCheck = 0x0006;
constexpr uint16_t kLabel = 0x0009;
constexpr uint16_t kEntry = 0x000B;
constexpr uint16_t kTextArea = 0x000C;
constexpr uint16_t kButton = 0x000E;
constexpr uint16_t kGroup = 0x000F;
constexpr uint16_t kGroupEnd = 0x0010;
constexpr uint16_t kImage = 0x0011;
constexpr uint16_t kPath = 0x0012;
constexpr uint16_t kChoice = 0x0016;
constexpr uint16_t kText = 0x0018;
constexpr uint16_t kNumber = 0x001A;
constexpr uint16_t kImageWithParams = 0x001C;
constexpr uint16_t kPage = 0x0400;
} // namespace kind

constexpr int32_t kSameLineFlag = 0x40;
constexpr int32_t kContactMenu = 30; // the host's menu of a contact, the parent of its items

struct Action {
    int32_t id = 0;
    int32_t parent = 0;
    int32_t reserved = 0;
    int32_t index = 0;
    int32_t mask = 0;
    int32_t type = 0;
    int32_t statusMask = 0;
    int32_t textSize = 0;
    int32_t param = 0;
    std::optional<std::string> text; // none when the record's text was null
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t x = 0;
    uint16_t y = 0;
    uint16_t size = 0; // of the record: 74 short, 78 long

    int32_t status = 0;               // set by modifyAction, mask 1
    std::optional<std::string> value; // an unbound control's value
    bool windowCreated = false;       // a window host whose plug-in window exists

    uint16_t kindOf() const { return static_cast<uint16_t>(static_cast<uint32_t>(type) >> 16); }
    int32_t flags() const { return type & 0xFFFF; }
    bool longForm() const { return size >= 78; }
    bool holdsValue() const;
    // Bound to a setting: a value control whose param names a configuration column.
    bool bound() const { return holdsValue() && param != 0; }
};

class ActionTree {
public:
    // Adds an action declared by a record of `size` bytes (fields beyond `size` read as 0).
    Action& add(const void* record, uint16_t size, std::optional<std::string> text);
    void clear() { actions_.clear(); }

    // The action with this id under this parent.
    Action* find(int32_t id, int32_t parent);
    Action* find(int32_t id);
    // A page or popup by caption (CP1250 bytes) or by its id written in decimal.
    const Action* findContainer(std::string_view nameOrId, uint16_t kind, int32_t flags) const;
    std::vector<const Action*> children(int32_t parent) const;
    const std::vector<Action>& all() const { return actions_; }
    Action& at(size_t index) { return actions_.at(index); }

private:
    std::vector<Action> actions_;
};

// "page", "check", ... or "kind 0xNNNN".
std::string kindName(uint16_t kind);
// The value a control holds right after it was added.
std::string initialValue(const Action& action);
// The lines of a choice, and the value each line stands for (after its 0x02 byte, else its index).
std::vector<std::string> choiceLines(std::string_view text);
std::string choiceValue(std::string_view line, size_t index);

// The transcript's view of an added action: every field that differs from the record's defaults.
std::string describeAdded(const Action& action);
// One control of a page or menu: kind, caption, value, status, layout.
std::string describeControl(const Action& action, const std::function<std::string(const Action&)>& valueOf,
                            const std::function<std::string(int32_t)>& settingName);

} // namespace brio::host
