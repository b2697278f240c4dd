// The host's messages to the plug-in: plain messages, raw records, action notifications, pages that
// open and close, and file dialogs. Each is a "->" line, the plug-in's calls in between, and a "<-" line.
#include <algorithm>
#include <cstring>

#include "boundary/messages.h"
#include "boundary/record_reader.h"
#include "host/common/cp1250.h"
#include "host/common/heap_meter.h"
#include "host/messenger/host.h"
#include "host/model/plugin_text.h"

namespace brio::host {

namespace {
// Where the host asks a window host's window to stand; the plug-in answers where the next control goes.
constexpr int32_t kWindowHostX = 10;
constexpr int32_t kWindowHostY = 10;
} // namespace

int32_t Host::callPlugin(void* record, const std::string& what, AnswerForm form) {
    const int32_t message = RecordReader(record).i32(offsetof(MessageRecord, id), 0);
    transcript_.line("-> " + what);
    transcript_.enter();
    int32_t value = 0;
    {
        const heap::PluginRuns plugin;
        value = library_->entry()(record);
    }
    transcript_.leave();
    Answer answer{message, value, form == AnswerForm::Text, {}};
    if (answer.isText) answer.text = textAt(value);
    if (answer.isText && value != 0 && !maybeTextAddress(value))
        fault(what + " answered " + std::to_string(value) + ", which is no text's address");
    transcript_.line("<- " + (answer.isText && value ? displayed(answer.text) : std::to_string(value)));
    lastAnswer_ = answer;
    firstAnswers_.emplace(message, value);
    ++answerCounts_[message];
    return value;
}

int32_t Host::send(int32_t id, int32_t p1, int32_t p2) {
    if (!loaded()) return 0;
    MessageRecord m{};
    m.size = kMessageRecordSize;
    m.id = id;
    m.p1 = p1;
    m.p2 = p2;
    std::string what = messageName(id);
    if (id == msg::kPluginStart && p1 == addressOf(static_cast<IHostControl*>(this)))
        what += " host";
    else if (p1 || p2)
        what += " p1 " + std::to_string(p1) + " p2 " + std::to_string(p2);
    return callPlugin(&m, what, answerForm(id));
}

int32_t Host::sendRecord(std::vector<uint8_t> bytes) {
    if (!loaded()) return 0;
    // The record sits at the end of its own allocation, so that reading past it is caught by a
    // checked build. Too short to hold its size: the plug-in gets a record that says 0 bytes. Fewer
    // bytes than its size says: zeros make up the rest, since the plug-in may read all `size` bytes.
    std::string what = "record of " + std::to_string(bytes.size()) + " bytes";
    int32_t id = 0;
    if (bytes.size() >= 6) {
        const uint16_t size = static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
        std::memcpy(&id, bytes.data() + 2, 4);
        what += ", size " + std::to_string(size) + ", " + messageName(id);
    }
    if (bytes.size() < 2) bytes.resize(2, 0);
    bytes.resize(std::max<size_t>(bytes.size(), size_t(bytes[0] | (bytes[1] << 8))), 0);
    return callPlugin(bytes.data(), what, answerForm(id));
}

int32_t Host::notify(int32_t action, int32_t code, int32_t contact, uint16_t size) {
    if (!loaded()) return 0;
    // Exactly `size` bytes, so that reading past the record is caught by a checked build.
    ControlNotifyRecord full{};
    full.size = size;
    full.id = action;
    full.contact = contact;
    full.code = code;
    std::vector<uint8_t> bytes(std::max<size_t>(size, 2));
    std::memcpy(bytes.data(), &full, std::min(bytes.size(), sizeof full));
    MessageRecord m{};
    m.size = kMessageRecordSize;
    m.id = msg::kActionNotify;
    m.p1 = addressOf(bytes.data());
    std::string what = messageName(msg::kActionNotify) + " " + std::to_string(action) + " " +
                       (code == msg::kActivated          ? std::string("activated")
                        : code == msg::kControlCreated   ? std::string("controlCreated")
                        : code == msg::kControlDestroyed ? std::string("controlDestroyed")
                                                         : "code " + std::to_string(code));
    if (contact) what += " contact " + std::to_string(contact);
    if (size != kNotifyMinSize) what += " size " + std::to_string(size);
    return callPlugin(&m, what, AnswerForm::Integer);
}

void Host::notifyWindowHost(size_t index, int32_t code, int32_t window) {
    // The plug-in may add actions while it handles the notification: look the host up again after.
    const int32_t id = actions_.at(index).id;
    ControlNotifyRecord r{};
    r.size = kControlNotifyMinSize;
    r.id = id;
    r.code = code;
    r.parentWindow = window;
    r.window = code == msg::kControlDestroyed ? hostWindows_[id] : 0;
    r.x = kWindowHostX;
    r.y = kWindowHostY;
    MessageRecord m{};
    m.size = kMessageRecordSize;
    m.id = msg::kActionNotify;
    m.p1 = addressOf(&r);
    const bool created = code == msg::kControlCreated;
    callPlugin(&m,
               messageName(msg::kActionNotify) + " " + std::to_string(id) +
                   (created ? " controlCreated" : " controlDestroyed") + " long x 10 y 10",
               AnswerForm::Integer);
    Action& host = actions_.at(index);
    if (created) {
        host.windowCreated = r.window != 0;
        hostWindows_[id] = r.window;
        hostAdvances_[id] = {r.x - kWindowHostX, r.y - kWindowHostY};
        transcript_.line(std::string(host.windowCreated ? "window created" : "no window") + ", x " +
                         std::to_string(r.x) + ", y " + std::to_string(r.y));
    } else {
        host.windowCreated = false;
        hostWindows_.erase(id);
        hostAdvances_.erase(id);
    }
}

void Host::fileDialog(int32_t action) {
    if (!loaded()) return;
    // The dialog's OPENFILENAMEA, as a 32-bit program lays it out: the plug-in may set lpstrFilter.
    constexpr size_t kStructSize = 76;
    constexpr size_t kFilterOffset = 12;
    uint8_t dialog[kStructSize] = {};
    const uint32_t structSize = kStructSize;
    std::memcpy(dialog, &structSize, 4);
    ActionNotifyRecord r{};
    uint8_t bytes[kNotifyMinSize] = {};
    r.size = kNotifyMinSize;
    r.id = action;
    r.code = msg::kFileDialogSetup;
    r.data = addressOf(dialog);
    std::memcpy(bytes, &r, sizeof r);
    MessageRecord m{};
    m.size = kMessageRecordSize;
    m.id = msg::kActionNotify;
    m.p1 = addressOf(bytes);
    callPlugin(&m, messageName(msg::kActionNotify) + " " + std::to_string(action) + " fileDialogSetup",
               AnswerForm::Integer);
    int32_t filter = 0;
    std::memcpy(&filter, dialog + kFilterOffset, 4);
    if (!filter) {
        transcript_.line("file dialog filter: none");
        return;
    }
    // Pairs of zero-terminated texts, ended by an empty one; a runaway list is cut off.
    std::string shown;
    const char* p = fromAddress<const char>(filter);
    for (int n = 0; n < 32 && *p; ++n) {
        const std::string text = textAt(addressOf(p), 1024);
        shown += " " + displayed(text);
        p += text.size() + 1;
    }
    transcript_.line("file dialog filter:" + shown);
}

void Host::openPage(int32_t pageId) {
    if (pageOpen(pageId)) return;
    const int32_t window = desktop_->openPageWindow();
    pageWindows_[pageId] = window;
    // The page's controls are made anew, each with the value it was added with (bound ones show
    // their setting).
    for (size_t i = 0; i < actions_.all().size(); ++i) {
        Action& a = actions_.at(i);
        if (a.parent == pageId && a.holdsValue() && !a.bound()) a.value = initialValue(a);
    }
    notify(pageId, msg::kControlCreated);
    for (size_t i = 0; i < actions_.all().size(); ++i) {
        const Action& a = actions_.at(i);
        if (a.parent == pageId && a.kindOf() == kind::kWindowHost && a.id != 0)
            notifyWindowHost(i, msg::kControlCreated, window);
    }
}

void Host::closePage(int32_t pageId) {
    auto it = pageWindows_.find(pageId);
    if (it == pageWindows_.end()) return;
    const int32_t window = it->second;
    for (size_t i = 0; i < actions_.all().size(); ++i) {
        const Action& a = actions_.at(i);
        if (a.parent == pageId && a.kindOf() == kind::kWindowHost && a.id != 0)
            notifyWindowHost(i, msg::kControlDestroyed, window);
    }
    notify(pageId, msg::kControlDestroyed);
    pageWindows_.erase(pageId);
    desktop_->closePageWindow(window);
}

} // namespace brio::host
