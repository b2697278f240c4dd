#include "host/messenger/host.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "boundary/messages.h"
#include "host/common/cp1250.h"
#include "host/common/heap_meter.h"
#include "host/messenger/plugin_objects.h"
#include "host/model/plugin_text.h"

namespace brio::host {

namespace {

std::unique_ptr<char[]> heapCopy(const std::string& bytes) {
    auto copy = std::make_unique<char[]>(bytes.size() + 1);
    std::memcpy(copy.get(), bytes.c_str(), bytes.size() + 1);
    return copy;
}

// Writes `bytes` into a buffer of `size` bytes as a zero-terminated text, cut to fit.
void writeBuffer(char* buffer, int32_t size, const std::string& bytes) {
    if (!buffer || size <= 0) return;
    const size_t n = std::min(bytes.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, bytes.data(), n);
    buffer[n] = '\0';
}

} // namespace

Host::Host(Transcript& transcript) : transcript_(transcript) {
    desktop_ = DesktopDriver::create([this](const MessageBoxSeen& box) {
        const heap::HostRuns host;
        call("messageBox", " " + box.icon + " " + displayed(box.title) + " " + displayed(box.text) +
                               (box.question ? " yes/no" : ""));
    });
    desktop_->setFileDialogObserver([this](const FileDialogSeen& dialog) {
        const heap::HostRuns host;
        std::string line = dialog.save ? " save" : " open";
        for (size_t i = 0; i < dialog.filters.size(); ++i)
            line += (i ? " | " : " ") + displayed(dialog.filters[i].first) + " " +
                    displayed(dialog.filters[i].second);
        if (!dialog.defaultExtension.empty()) line += " extension " + displayed(dialog.defaultExtension);
        line += fileAnswer_
                    ? " -> " + displayed(fileAnswer_->path) + " filter " + std::to_string(fileAnswer_->filter)
                    : std::string(" -> cancelled");
        call("fileDialog", line);
    });
    desktop_->setFileDialogRefusedObserver([this] {
        const heap::HostRuns host;
        call("fileDialog", " refused -> cancelled");
    });
}

void Host::setFileDialogAnswer(const std::optional<FileDialogAnswer>& answer) {
    fileAnswer_ = answer;
    desktop_->setFileDialogAnswer(answer);
}

Host::~Host() {
    if (loaded()) stop();
}

void Host::call(const std::string& name, const std::string& rest) {
    ++calls_[name];
    transcript_.line(name + rest);
}

int Host::calls(const std::string& name) const {
    auto it = calls_.find(name);
    return it == calls_.end() ? 0 : it->second;
}

bool Host::refusedCall(const char* name) {
    if (dead_) return true; // a messenger that has ended answers nothing, and records nothing
    if (++hostCalls_ != refuseCallAt_) return false;
    if (onCallRefused_) onCallRefused_();
    ++calls_[name];
    transcript_.always(std::string(name) +
                       " refused (the host has nothing)"); // shown even where the script hides the rest
    return true;
}

void Host::fault(const std::string& what) {
    ++faults_;
    transcript_.always("FAULT: " + what);
}

std::string Host::textFrom(int32_t address, const std::string& what, size_t limit) {
    if (address != 0 && !maybeTextAddress(address))
        fault(what + " is " + std::to_string(address) + ", which cannot be the address of a text");
    return textAt(address, limit);
}

std::optional<std::string> Host::optionalTextFrom(int32_t address, const std::string& what) {
    if (address == 0) return std::nullopt;
    return textFrom(address, what);
}

int Host::answers(int32_t message) const {
    auto it = answerCounts_.find(message);
    return it == answerCounts_.end() ? 0 : it->second;
}

bool Host::isCallName(const std::string& name) const {
    static const std::set<std::string> kNames = {
        "addAction",       "formatVersion",   "getActionValue", "getValue",       "hostState",
        "instanceHandle",  "logText",         "messageBox",     "modifyAction",   "netCapability",
        "netDescription",  "netStatus",       "pluginCount",    "pluginId",       "pluginIdAt",
        "pluginMenuGroup", "pluginVersion",   "queryNetName",   "registerColumn", "registerIcon",
        "releaseString",   "sendMessage",     "sendMessageTo",  "setActionValue", "setError",
        "setNetStatus",    "setValue",        "unhandled",      "fileDialog",     "statusImageList",
        "statusIconIndex", "statusIconHandle"};
    return kNames.count(name) != 0 || calls_.count(name) != 0;
}

std::optional<int32_t> Host::firstAnswer(int32_t message) const {
    auto it = firstAnswers_.find(message);
    if (it == firstAnswers_.end()) return std::nullopt;
    return it->second;
}

// ---- The plug-in's calls -------------------------------------------------------------------------

int Host::pluginId() {
    const heap::HostRuns host;
    if (refusedCall("pluginId")) return 0;
    call("pluginId", " -> " + std::to_string(kTestedPluginId));
    return kTestedPluginId;
}

void* Host::instanceHandle() {
    const heap::HostRuns host;
    if (refusedCall("instanceHandle")) return nullptr;
    call("instanceHandle", loaded() ? " -> module" : " -> null (no library)");
    return loaded() ? library_->moduleHandle() : nullptr;
}

int Host::hostState() {
    const heap::HostRuns host;
    if (refusedCall("hostState")) return 0;
    call("hostState", " -> " + std::to_string(hostState_));
    return hostState_;
}

void Host::setError(int code) {
    const heap::HostRuns host;
    if (refusedCall("setError")) return;
    ++errors_;
    call("setError", " " + std::to_string(code));
}

void Host::getValue(int table, int row, int column, ValueRecord* value) {
    const heap::HostRuns host;
    const std::string where = " table " + std::to_string(table) + " row " + std::to_string(row) + " column " +
                              std::to_string(column);
    if (!value) {
        call("getValue", where + " without a value record");
        return;
    }
    if (refusedCall("getValue")) {
        // No text and no number; a buffer the plug-in gave is left empty.
        if (value->kind != 0 && value->value != 0 && value->size > 0)
            writeBuffer(fromAddress<char>(value->value), value->size, "");
        else
            value->value = 0;
        return;
    }
    if (table == msg::kConfigTable) {
        const Column* c = config_.column(column);
        if (!c) {
            value->value = 0;
            call("getValue", " config column " + std::to_string(column) + " (not registered) -> 0");
            if (!refusedColumns_.count(column))
                fault("getValue of config column " + std::to_string(column) + ", which was never registered");
            return;
        }
        if (value->kind == 0) {
            value->value = config_.readInt(*c);
            call("getValue", " config " + c->key + " -> " + std::to_string(value->value));
            return;
        }
        const std::string text = config_.readText(*c);
        if (value->value != 0 && value->size > 0) {
            writeBuffer(fromAddress<char>(value->value), value->size, text);
            call("getValue",
                 " config " + c->key + " buffer " + std::to_string(value->size) + " -> " + displayed(text));
            return;
        }
        configCopy_ = heapCopy(text); // valid until the next configuration text is asked for
        value->value = addressOf(configCopy_.get());
        call("getValue", " config " + c->key + " -> " + displayed(text));
        return;
    }
    if (table == msg::kContactsTable) {
        const std::string what = " contact " + std::to_string(row) + " " + Contacts::columnName(column);
        const Contact* contact = contacts_.find(row);
        std::optional<std::string> text;
        int32_t number = 0;
        if (contact && column == kContactStatus) {
            number = contact->status;
            text = std::to_string(number);
        } else if (contact && column == kContactName) {
            text = contact->name;
        } else if (contact && column == kContactDescription) {
            text = contact->description;
        }
        if (!text) {
            value->value = 0;
            call("getValue", what + (contact ? " -> 0 (no such column)" : " -> 0 (no such contact)"));
        } else if (value->kind == 0) {
            value->value = column == kContactStatus ? number : readInteger(*text);
            call("getValue", what + " -> " + std::to_string(value->value));
        } else {
            value->value = addressOf(copies_.handOut(*text, what.substr(1)));
            call("getValue",
                 what + " -> " + displayed(*text) + " (copy " + std::to_string(copies_.lastNumber()) + ")");
        }
        return;
    }
    value->value = 0;
    call("getValue", where + " -> 0 (no such table)");
}

void Host::setValue(int table, int row, int column, ValueRecord* value) {
    const heap::HostRuns host;
    if (!value) {
        call("setValue", " table " + std::to_string(table) + " without a value record");
        return;
    }
    if (refusedCall("setValue")) return;
    const std::string bytes =
        value->kind == 0 ? std::to_string(value->value) : textFrom(value->value, "the text of setValue");
    const std::string shown = value->kind == 0 ? bytes : displayed(bytes);
    if (table == msg::kConfigTable) {
        const Column* c = config_.column(column);
        if (!c) {
            call("setValue",
                 " config column " + std::to_string(column) + " (not registered) " + shown + ", ignored");
            if (!refusedColumns_.count(column))
                fault("setValue of config column " + std::to_string(column) + ", which was never registered");
            return;
        }
        call("setValue", " config " + c->key + " " + shown);
        config_.set(c->key, bytes);
        configDirty_ = true;
        return;
    }
    if (table == msg::kContactsTable) {
        Contact* contact = contacts_.find(row);
        const std::string what =
            " contact " + std::to_string(row) + " " + Contacts::columnName(column) + " " + shown;
        if (contact && column == kContactName)
            contact->name = bytes;
        else if (contact && column == kContactDescription)
            contact->description = bytes;
        else if (contact && column == kContactStatus)
            contact->status = readInteger(bytes);
        else {
            call("setValue", what + ", ignored");
            return;
        }
        call("setValue", what);
        return;
    }
    call("setValue", " table " + std::to_string(table) + " " + shown + ", ignored");
}

void Host::releaseString(char* text) {
    const heap::HostRuns host;
    if (dead_) return; // the process takes the copies with it
    if (!text) {
        call("releaseString", " null");
        return;
    }
    CopyLedger::Copy copy{};
    switch (copies_.release(text, copy)) {
    case CopyLedger::Release::Ok:
        call("releaseString", " copy " + std::to_string(copy.number));
        break;
    case CopyLedger::Release::Twice:
        call("releaseString", " copy " + std::to_string(copy.number) + " again");
        fault("copy " + std::to_string(copy.number) + " (" + copy.label + ") released twice");
        break;
    case CopyLedger::Release::Unknown:
        call("releaseString", " of a text the host did not hand out");
        fault("releaseString of a text that is not a copy from getValue");
        break;
    }
}

// ---- The plug-in's life --------------------------------------------------------------------------

bool Host::load(std::string& error) {
    if (loaded()) return true;
    if (pluginPath_.empty()) {
        error = "no plug-in given (--plugin PATH)";
        return false;
    }
    blocksBeforeLoad_ = heap::plugin().blocksInUse;
    library_ = PluginLibrary::load(pluginPath_, error); // the loader charges the library's constructors to it
    if (!library_) return false;
    for (const std::string& f : library_->faults())
        fault(f);
    desktop_->pluginLoaded();
    // The columns are the loaded library's to register; those of an earlier run are gone (they stay
    // until now so that what a stopped plug-in left can still be shown with its defaults).
    config_.clearColumns();
    refusedColumns_.clear();
    refusedActions_.clear();
    firstAnswers_.clear();
    answerCounts_.clear();
    transcript_.plain("plug-in loaded");
    return true;
}

void Host::advance(uint64_t ms) {
    desktop_->advance(ms);
    if (const size_t timers = desktop_->timersOfAGoneLibrary())
        fault(std::to_string(timers) + " timer(s) of the plug-in still running after it was unloaded");
}

void Host::crash() {
    if (!loaded()) return;
    transcript_.plain("the messenger ends at once");
    started_ = false;
    // Ended inside a call: the settings are as they were then (nothing was stored since).
    dead_ = false;
    crashInSet_.reset();
    saveConfig();
    // Nothing the plug-in holds is its fault now: the process takes it all.
    copies_.forget();
    crashing_ = true;
    unload();
    crashing_ = false;
}

void Host::unload() {
    if (!loaded()) return;
    flushConfig();
    if (started_) transcript_.plain("unloading a started plug-in without deinitialise and pluginEnd");
    started_ = false;
    reportOutstandingCopies();
    pageWindows_.clear();
    hostWindows_.clear();
    hostAdvances_.clear();
    actions_.clear();
    icons_.clear();
    library_.reset(); // the library's own unload may still stop its timers (charged to it by the loader)
    size_t timers = desktop_->pluginUnloaded();
    transcript_.plain("plug-in unloaded");
    if (crashing_) return;
    // Whatever else the plug-in still holds is lost to its messenger for good (on Linux the headless
    // desktop has dropped it all by now, and reported its timers above).
    std::vector<std::string> held;
    bool heapCounted = false; // by the ledger (Windows)
    for (const ObjectCount& c : pluginObjects()) {
        heapCounted = heapCounted || c.kind == "heap blocks";
        if (c.inUse <= 0) continue;
        if (c.kind == "timers")
            timers = std::max(timers, static_cast<size_t>(c.inUse));
        else
            held.push_back(std::to_string(c.inUse) + " " + c.kind);
    }
    if (timers) fault(std::to_string(timers) + " timer(s) of the plug-in still running when it was unloaded");
    // Linux: every block the plug-in made is gone with it (the desktop has dropped what it held for it);
    // on Windows the ledger counts them above.
    const heap::Figures heap = heap::plugin();
    if (heap::counting() && !heapCounted && heap.blocksInUse > blocksBeforeLoad_)
        fault(std::to_string(heap.blocksInUse - blocksBeforeLoad_) +
              " heap block(s) of the plug-in still held when it was unloaded");
    for (const std::string& h : held)
        fault(h + " of the plug-in still held when it was unloaded");
}

bool Host::start(std::string& error) {
    if (started_) {
        error = "the plug-in is started already";
        return false;
    }
    if (!load(error)) return false;
    flushConfig();
    std::vector<std::string> problems;
    config_.load(problems);
    for (const std::string& p : problems)
        transcript_.plain("config file " + p);

    send(msg::kPluginStart, addressOf(static_cast<IHostControl*>(this)));
    testedName_ = send(msg::kQueryName) ? lastAnswer_.text : std::string();
    send(msg::kQuerySignature);
    testedVersion_ = send(msg::kQueryVersion) ? lastAnswer_.text : std::string();
    send(msg::kQueryNet);
    send(msg::kQueryType);
    send(msg::kInitialise);
    send(msg::kRegisterSettings);
    send(msg::kBuildInterface);
    started_ = true;
    return true;
}

void Host::stop() {
    if (!loaded()) return;
    if (started_) {
        // The configuration window closes before the plug-in is told to finish.
        std::vector<int32_t> open;
        for (const auto& [page, window] : pageWindows_)
            open.push_back(page);
        for (int32_t page : open)
            closePage(page);
        send(msg::kDeinitialise);
        send(msg::kPluginEnd);
        started_ = false;
    }
    saveConfig();
    unload();
}

void Host::reportOutstandingCopies() {
    for (const CopyLedger::Copy& c : copies_.outstanding())
        fault("copy " + std::to_string(c.number) + " (" + c.label + ") never released");
    copies_.forget();
}

void Host::saveConfig() {
    std::string error;
    if (!config_.save(error)) fault(error);
}

void Host::setConfig(const std::string& key, const std::string& bytes) {
    config_.set(key, bytes);
    saveConfig();
}

bool Host::controlShown(const Action& control) {
    const Action* parent = actions_.find(control.parent);
    return !parent || parent->kindOf() != kind::kPage || pageOpen(parent->id);
}

std::string Host::controlValue(const Action& action) const {
    if (!action.bound()) return action.value.value_or("");
    const Column* c = config_.column(action.param);
    return c ? config_.readText(*c) : std::string();
}

bool Host::setControlValue(Action& action, const std::string& value) {
    if (action.kindOf() == kind::kChoice) {
        // A choice selects one of its lines: a value none of them stands for selects nothing.
        const std::vector<std::string> lines = choiceLines(action.text.value_or(""));
        bool known = false;
        for (size_t i = 0; i < lines.size() && !known; ++i)
            known = choiceValue(lines[i], i) == value;
        if (!known) return false;
    }
    if (!action.bound()) {
        action.value = value;
        return true;
    }
    const Column* c = config_.column(action.param);
    if (!c) return true;
    config_.set(c->key, c->kind == 0 ? std::to_string(readInteger(value)) : value);
    saveConfig();
    return true;
}

} // namespace brio::host
