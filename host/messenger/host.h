// messenger/: the host control object and its answers to the plug-in (messages, actions, the
// plug-in's start and end), and the plug-in loaders, headless/ and win32/. Uses common/, model/,
// desktop/.
//
// The stand-in messenger's host control object: what the plug-in calls, and the host's side of the
// plug-in's life (load, the start and stop sequences, messages and notifications sent to it). Every
// call either way becomes a transcript line.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "boundary/host_control.h"
#include "host/common/transcript.h"
#include "host/desktop/desktop_driver.h"
#include "host/messenger/plugin_loader.h"
#include "host/model/action_tree.h"
#include "host/model/config_store.h"
#include "host/model/contacts.h"
#include "host/model/registry.h"

namespace brio::host {

struct Icon {
    int32_t id = 0;
    int32_t imageList = 0;
    int32_t resource = 0;
    int32_t flag = 0;
    bool ownModule = false; // the module field named the plug-in's own library
};

// How the host reads the plug-in's answer to a message.
enum class AnswerForm { Integer, Text };

struct Answer {
    int32_t message = 0; // the message answered
    int32_t value = 0;
    bool isText = false; // value is the address of a text (or 0)
    std::string text;    // that text, copied
};

class Host final : public IHostControl {
public:
    explicit Host(Transcript& transcript);
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // The plug-in's calls.
    int pluginId() override;
    void* instanceHandle() override;
    int hostState() override;
    void setError(int code) override;
    int sendMessage(MessageRecord* record) override;
    int sendMessageTo(int pluginId, MessageRecord* record) override;
    void getValue(int table, int row, int column, ValueRecord* value) override;
    void setValue(int table, int row, int column, ValueRecord* value) override;
    void releaseString(char* text) override;

    // The plug-in's life. Failures give false with `error`.
    void setPluginPath(std::string path) { pluginPath_ = std::move(path); }
    bool load(std::string& error);
    void unload();
    // The messenger's process ends at once: the plug-in is told nothing, its timers and the copies it
    // held go with the process, and the settings stay as last written (this messenger stores a setting
    // when it is set). The library is freed, so that the next start loads it afresh.
    void crash();
    // The messenger ends inside the plug-in's next setNetStatus, with the change made (`afterChange`) or
    // not: from then on every call of the plug-in's finds nothing and changes nothing, and once its code
    // has returned (diedInside) the messenger ends as `crash` does, with the settings as they were.
    void crashInNextSet(bool afterChange) { crashInSet_ = afterChange; }
    bool diedInside() const { return dead_; }
    bool start(std::string& error); // loads first when needed
    void stop();                    // deinitialise, pluginEnd, unload
    bool loaded() const { return library_ != nullptr; }
    bool started() const { return started_; }

    // Messages to the plug-in; the answer is also kept as lastAnswer().
    int32_t send(int32_t id, int32_t p1 = 0, int32_t p2 = 0);
    int32_t sendRecord(std::vector<uint8_t> bytes);
    // An action notification, normally in the short form (30 bytes); other sizes test the plug-in.
    int32_t notify(int32_t action, int32_t code, int32_t contact = 0, uint16_t size = kNotifyMinSize);
    // Opening a page notifies the page and then its window hosts (those with an id), in the order they
    // were added, with controlCreated; closing notifies the window hosts, in the same order, and then
    // the page, with controlDestroyed.
    void openPage(int32_t page);
    void closePage(int32_t page);
    // The user is about to pick a file for a path entry: fileDialogSetup with the dialog's structure,
    // and then the filter the plug-in put there.
    void fileDialog(int32_t action);
    bool pageOpen(int32_t page) const { return pageWindows_.count(page) != 0; }
    // An open page as the user sees it, for its picture.
    PageSeen pageSeen(int32_t page) const;
    // Whether the control exists on screen: a page's controls only while their page is open, the rest
    // (menu items) always.
    bool controlShown(const Action& control);

    void advance(uint64_t ms);
    bool stdinIsTerminal() const { return desktop_->stdinIsTerminal(); }

    // What the tests look at.
    const Answer& lastAnswer() const { return lastAnswer_; }
    // The first answer to the same message since the plug-in was loaded.
    std::optional<int32_t> firstAnswer(int32_t message) const;
    int answers(int32_t message) const; // how often the plug-in answered `message` since load
    // Whether `name` is a call the host can record (so that counting it means something).
    bool isCallName(const std::string& name) const;
    int errors() const { return errors_; }
    int calls(const std::string& name) const;
    const std::string& lastLog() const { return lastLog_; }
    int faults() const { return faults_; }
    void fault(const std::string& what);

    ConfigStore& config() { return config_; }
    Registry& registry() { return registry_; }
    Contacts& contacts() { return contacts_; }
    CopyLedger& copies() { return copies_; }
    ActionTree& actions() { return actions_; }
    const std::vector<Icon>& icons() const { return icons_; }
    int32_t menuGroup() const { return kMenuGroup; }
    void setHostState(int state) { hostState_ = state; }

    // A control's value as the host shows it (bound controls: the setting), and a user's change.
    std::string controlValue(const Action& action) const;
    // False, changing nothing, for a choice given a value none of its lines stands for.
    bool setControlValue(Action& action, const std::string& value);
    // A configuration value set from outside the plug-in (a script), saved at once.
    void setConfig(const std::string& key, const std::string& bytes);
    void saveConfig();
    // The plug-in's own settings are written to the file once its call has been answered, as a
    // messenger that keeps each setting when it is set would have it by then: after each command, and
    // before the plug-in is started or unloaded (rewriting a file with a long list at every call of the
    // plug-in's made a week-long script crawl).
    void flushConfig() {
        if (std::exchange(configDirty_, false)) saveConfig();
    }

    // For the failure sweeps: the plug-in's calls into the host (all but releaseString, which cannot
    // fail) are numbered from 1 as they come, and the one numbered `at` is answered as a host that has
    // nothing would: no text, 0, nothing stored or sent. `onRefused` runs just before. 0 refuses none.
    void refuseCall(uint64_t at, std::function<void()> onRefused) {
        refuseCallAt_ = at;
        onCallRefused_ = std::move(onRefused);
    }
    uint64_t hostCalls() const { return hostCalls_; }
    // The actions the host did not add, and those whose value it did not set, because a call was refused.
    const std::set<int32_t>& refusedActions() const { return refusedActions_; }
    const std::set<int32_t>& refusedValues() const { return refusedValues_; }

    Transcript& transcript() { return transcript_; }
    DesktopDriver& desktop() { return *desktop_; }
    // How the plug-in's file dialogs are answered from now on (none: cancelled).
    void setFileDialogAnswer(const std::optional<FileDialogAnswer>& answer);

    static constexpr int32_t kMenuGroup = 40;

private:
    // A text the plug-in handed over by address (see textAt); an address too small to be a text is
    // reported as the plug-in's fault in `what` and read as empty (none for the optional form).
    std::string textFrom(int32_t address, const std::string& what, size_t limit = SIZE_MAX);
    std::optional<std::string> optionalTextFrom(int32_t address, const std::string& what);
    // One host call: counted by name and written as a line.
    void call(const std::string& name, const std::string& rest);
    int32_t callPlugin(void* record, const std::string& what, AnswerForm form);
    int32_t handle(const uint8_t* record);
    int32_t toSimulated(SimulatedPlugin& plugin, int32_t message, const std::string& prefix);
    void reportOutstandingCopies();
    // Counts one call of the plug-in's; true (with a line in the transcript) when it is to be refused.
    bool refusedCall(const char* name);

    // Messages by area (host_messages.cpp, host_actions.cpp).
    int32_t registerColumn(const uint8_t* record, uint16_t size);
    int32_t networkMessage(int32_t id, int32_t net, int32_t p1, int32_t p2);
    int32_t actionMessage(int32_t id, int32_t p1, int32_t p2);
    int32_t addAction(const uint8_t* record);
    int32_t modifyAction(const uint8_t* record);
    int32_t setActionValue(const uint8_t* record);
    int32_t getActionValue(uint8_t* record);
    int32_t registerIcon(const uint8_t* record);
    int32_t versionMessage(int32_t id, int32_t p1, int32_t p2);
    void notifyWindowHost(size_t index, int32_t code, int32_t window);

    Transcript& transcript_;
    std::unique_ptr<DesktopDriver> desktop_;
    std::unique_ptr<PluginLibrary> library_;
    std::string pluginPath_;
    bool started_ = false;
    bool configDirty_ = false;       // the plug-in set a value not yet written to the file
    bool crashing_ = false;          // what the plug-in leaves behind in a crash is not reported
    std::optional<bool> crashInSet_; // armed: the next setNetStatus ends the messenger (after its change?)
    bool dead_ = false;              // it has ended inside a call; the plug-in's code is still returning
    int hostState_ = 0;

    ConfigStore config_;
    Registry registry_;
    Contacts contacts_;
    CopyLedger copies_;
    ActionTree actions_;
    std::vector<Icon> icons_;
    std::map<int32_t, int32_t> pageWindows_; // open page -> its window
    std::map<int32_t, int32_t> hostWindows_; // window host -> the window the plug-in created
    std::map<int32_t, Size> hostAdvances_;   // window host -> how far its window moved the position on

    std::string testedName_;             // from queryName
    std::string testedVersion_;          // from queryVersion
    std::unique_ptr<char[]> configCopy_; // the last configuration text handed out
    std::unique_ptr<char[]> valueCopy_;  // the last control value handed out without a buffer

    Answer lastAnswer_;
    std::map<int32_t, int32_t> firstAnswers_;
    std::map<int32_t, int> answerCounts_;
    int errors_ = 0;
    int faults_ = 0;
    std::map<std::string, int> calls_;
    std::string lastLog_;
    std::optional<FileDialogAnswer> fileAnswer_;
    int64_t blocksBeforeLoad_ = 0; // the plug-in's heap blocks in use before its library was loaded
    uint64_t hostCalls_ = 0;
    uint64_t refuseCallAt_ = 0;
    std::set<int32_t> refusedColumns_; // registrations refused
    std::set<int32_t> refusedActions_; // actions not added
    std::set<int32_t> refusedValues_;  // actions whose value was not set
    std::function<void()> onCallRefused_;
};

// The index in the host's status image list of a status icon id, -1 for any other id; and the host
// status number that an image index shows (-1 for an image of no status).
int32_t statusIconIndex(int32_t iconId);
int32_t statusOfImage(int32_t image);
// The name of a message number, or "message N".
std::string messageName(int32_t id);
// The form of the plug-in's answer to a message.
AnswerForm answerForm(int32_t id);
// A plug-in version text "a.b.c.d" as the number the host hands around, and back.
int32_t versionNumber(const std::string& text);
std::string versionText(int32_t number);

} // namespace brio::host
