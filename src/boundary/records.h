// The records that cross the boundary between the messenger and a plug-in. Every record is packed,
// little-endian, and passed by its address; addresses travel in 32-bit fields, which is why both
// builds are 32-bit.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brio {

static_assert(sizeof(void*) == 4, "the host boundary carries addresses in 32-bit fields");

#pragma pack(push, 1)

// Every message: the host's requests to the plug-in and the plug-in's requests to the host.
struct MessageRecord {
    uint16_t size;
    int32_t id;
    int32_t reserved0; // always 0 from Brio
    int32_t net;       // network addressed; 0 for messages the host itself handles
    int32_t type;      // plug-in type selector, -1 any
    int32_t reserved1; // always 0 from Brio
    int32_t p1;
    int32_t p2;
};
static_assert(sizeof(MessageRecord) == 30);
static_assert(offsetof(MessageRecord, id) == 2);
static_assert(offsetof(MessageRecord, reserved0) == 6);
static_assert(offsetof(MessageRecord, net) == 10);
static_assert(offsetof(MessageRecord, type) == 14);
static_assert(offsetof(MessageRecord, reserved1) == 18);
static_assert(offsetof(MessageRecord, p1) == 22);
static_assert(offsetof(MessageRecord, p2) == 26);

// The part every message shares: what a record shorter than 30 bytes may still be read for.
constexpr uint16_t kMessageHeaderSize = 22;
constexpr uint16_t kMessageRecordSize = 30;

// A cell of one of the host's tables.
struct ValueRecord {
    uint16_t kind; // 0 integer, 1 text
    int32_t value; // the integer, or the text's address
    int32_t size;  // buffer size of a text read; -1 asks the host for a copy
};
static_assert(sizeof(ValueRecord) == 10);
static_assert(offsetof(ValueRecord, value) == 2);
static_assert(offsetof(ValueRecord, size) == 6);

// The parameter of registerColumn: the message itself, grown by the column's description.
struct ColumnRecord {
    uint16_t size; // 39
    int32_t id;    // 1102
    int32_t header[4];
    uint8_t table;
    int32_t column;
    int32_t kind;
    int32_t defaultValue; // the integer, or the default text's address
    int32_t key;          // the key text's address
};
static_assert(sizeof(ColumnRecord) == 39);
static_assert(offsetof(ColumnRecord, table) == 22);
static_assert(offsetof(ColumnRecord, column) == 23);
static_assert(offsetof(ColumnRecord, kind) == 27);
static_assert(offsetof(ColumnRecord, defaultValue) == 31);
static_assert(offsetof(ColumnRecord, key) == 35);

// An action: a page, a control, a menu item. The long form adds x and y.
struct ActionRecord {
    uint16_t size; // 74 or 78
    int32_t id;
    int32_t parent;
    int32_t reserved; // -2
    int32_t index;    // -1; 0 for the popup
    int32_t unused0[3];
    int32_t mask;
    int32_t type; // kind in the high 16 bits, layout flags in the low 16; the status when changing one
    int32_t statusMask;
    int32_t unused1[2];
    int32_t text;
    int32_t textSize;
    int32_t unused2;
    int32_t param;
    int32_t unused3;
    uint16_t width;
    uint16_t height;
    uint16_t x; // long form only
    uint16_t y; // long form only
};
static_assert(sizeof(ActionRecord) == 78);
static_assert(offsetof(ActionRecord, id) == 2);
static_assert(offsetof(ActionRecord, parent) == 6);
static_assert(offsetof(ActionRecord, reserved) == 10);
static_assert(offsetof(ActionRecord, index) == 14);
static_assert(offsetof(ActionRecord, mask) == 30);
static_assert(offsetof(ActionRecord, type) == 34);
static_assert(offsetof(ActionRecord, statusMask) == 38);
static_assert(offsetof(ActionRecord, text) == 50);
static_assert(offsetof(ActionRecord, textSize) == 54);
static_assert(offsetof(ActionRecord, param) == 62);
static_assert(offsetof(ActionRecord, width) == 70);
static_assert(offsetof(ActionRecord, height) == 72);
static_assert(offsetof(ActionRecord, x) == 74);
static_assert(offsetof(ActionRecord, y) == 76);
constexpr uint16_t kActionShortSize = 74;
constexpr uint16_t kActionLongSize = 78;

// The parameter of registerIcon.
struct IconRecord {
    uint16_t size; // 36
    uint8_t unused0[2];
    int32_t iconId;
    int32_t imageList; // 1 the 16-pixel list, 2 the 32-pixel list
    int32_t unused1;
    int32_t flag; // 1
    int32_t module;
    int32_t resource;
    int32_t unused2[2];
};
static_assert(sizeof(IconRecord) == 36);
static_assert(offsetof(IconRecord, iconId) == 4);
static_assert(offsetof(IconRecord, imageList) == 8);
static_assert(offsetof(IconRecord, flag) == 16);
static_assert(offsetof(IconRecord, module) == 20);
static_assert(offsetof(IconRecord, resource) == 24);

// What the host tells about an action: an item used, a dialog about to open, a control created or
// destroyed.
struct ActionNotifyRecord {
    uint16_t size; // at least 30
    int32_t id;
    int32_t unused0;
    int32_t contact;
    int32_t code;
    int32_t unused1;
    int32_t data;
};
static_assert(sizeof(ActionNotifyRecord) == 26);
static_assert(offsetof(ActionNotifyRecord, contact) == 10);
static_assert(offsetof(ActionNotifyRecord, code) == 14);
static_assert(offsetof(ActionNotifyRecord, data) == 22);

// The form in which the host announces a window host's control; the plug-in writes `window`.
struct ControlNotifyRecord {
    uint16_t size; // at least 68
    int32_t id;
    int32_t unused0;
    int32_t contact;
    int32_t code;
    int32_t unused1;
    uint8_t unused2[2];
    int32_t window;
    int32_t parentWindow;
    int32_t x;
    int32_t y;
    uint8_t rest[28];
};
static_assert(sizeof(ControlNotifyRecord) == 68);
static_assert(offsetof(ControlNotifyRecord, window) == 24);
static_assert(offsetof(ControlNotifyRecord, parentWindow) == 28);
static_assert(offsetof(ControlNotifyRecord, x) == 32);
static_assert(offsetof(ControlNotifyRecord, y) == 36);
constexpr uint16_t kNotifyMinSize = 30;
constexpr uint16_t kControlNotifyMinSize = 68;

#pragma pack(pop)

// Addresses in 32-bit fields.
template <class T> inline int32_t addressOf(T* p) {
    return static_cast<int32_t>(reinterpret_cast<intptr_t>(p));
}
template <class T> inline T* fromAddress(int32_t a) {
    return reinterpret_cast<T*>(static_cast<intptr_t>(a));
}

#pragma pack(push, 1)

// The file dialog structure (OPENFILENAMEA) that the host hands over with fileDialogSetup, in the form
// every version of it starts with; Brio sets only its filter.
struct OpenFileNameRecord {
    uint32_t structSize;
    int32_t owner;
    int32_t instance;
    int32_t filter; // pairs of zero-terminated texts, ended by an empty one
    int32_t customFilter;
    uint32_t customFilterSize;
    uint32_t filterIndex;
    int32_t file;
    uint32_t fileSize;
    int32_t fileTitle;
    uint32_t fileTitleSize;
    int32_t initialDir;
    int32_t title;
    uint32_t flags;
    uint16_t fileOffset;
    uint16_t fileExtension;
    int32_t defaultExtension;
    int32_t customData;
    int32_t hook;
    int32_t templateName;
};
static_assert(sizeof(OpenFileNameRecord) == 76);
static_assert(offsetof(OpenFileNameRecord, filter) == 12);
static_assert(offsetof(OpenFileNameRecord, flags) == 52);
static_assert(offsetof(OpenFileNameRecord, fileOffset) == 56);
static_assert(offsetof(OpenFileNameRecord, templateName) == 72);

#pragma pack(pop)

} // namespace brio
