#include "plugin/plugin.h"

#include "brio_version.h"

#include "files/list_files.h"
#include "list/list_editor.h"

#include "boundary/messages.h"
#include "boundary/record_reader.h"
#include "boundary/records.h"
#include "boundary/settings.h"
#include "description/speed_setter.h"
#include "platform/common_controls.h"
#include "plugin/actions.h"
#include "plugin/mode_controller.h"

namespace brio {

namespace {

// Identity texts: constant, so every answer is the same address for as long as the library lives.
const char kVersion[] = BRIO_VERSION_TEXT;
const char kSignature[] = "Br";
const char kName[] = "Brio";

constexpr size_t kP1 = offsetof(MessageRecord, p1);

int32_t deinitialise(PluginState& state) {
    if (state.controller) {
        endActions(state);
        state.controller.reset();
    }
    return 1;
}

int32_t buildInterface(PluginState& state) {
    // Built a second time without deinitialise: the first interface is ended as deinitialise would end
    // it (what it shows is restored, its network choices stored) before the new one reads them.
    deinitialise(state);
    state.controller = std::make_unique<ModeController>(state.host);
    buildPages(state);
    return 1;
}

int32_t dispatch(const RecordReader& r) {
    PluginState& state = plugin();
    // With fewer than 30 bytes a record carries no parameters; its id is read if it is there at all.
    const bool hasParams = r.size() >= kMessageRecordSize;
    const int32_t id = r.i32(offsetof(MessageRecord, id), 0);
    switch (id) {
    case msg::kPluginStart:
        if (!hasParams) return 0;
        state.host = HostGateway(fromAddress<IHostControl>(r.i32(kP1)));
        return 1;
    case msg::kPluginEnd:
        // After deinitialise there is nothing left here; a host that skipped it must not hear from a
        // timer or window of ours once it has said goodbye.
        state.abandon();
        state.host = HostGateway();
        return 1;
    case msg::kPluginProbe:
        return 2;
    case msg::kRegisterSettings:
        registerSettings(state.host);
        return 1;
    case msg::kBuildInterface:
        return buildInterface(state);
    case msg::kInitialise:
        platform::initCommonControls();
        return 1;
    case msg::kDeinitialise:
        return deinitialise(state);
    case msg::kActionNotify:
        if (hasParams && state.controller) handleActionNotify(state, fromAddress<void>(r.i32(kP1)));
        return 0;
    case msg::kQueryNet:
        return msg::kBrioNet;
    case msg::kQueryType:
        return msg::kBrioType;
    case msg::kQueryVersion:
        return addressOf(kVersion);
    case msg::kQuerySignature:
        return addressOf(kSignature);
    case msg::kQueryName:
        return addressOf(kName);
    case msg::kQueryNetName:
        return 0; // Brio serves no network
    default:
        state.host.setError(1);
        return 0;
    }
}

} // namespace

void PluginState::abandon() {
    importSession.reset(); // closes the file and the dialog that worked for the list editor
    listEditor.reset();    // its window goes with it; nothing is stored, the host may be gone
    listPending.reset();
    listOwed = false;
    forgetActions();
    if (!controller) return;
    // Stop the timer so that nothing of ours runs after this, and free the controller without storing
    // the network choices: the host that would take them may no longer exist.
    controller->abandon();
    controller.reset();
}

PluginState::PluginState() {
    speedTexts();
}

// The one place where the plug-in's working objects go when the library is unloaded without
// deinitialise: the users (the list editor, the activities) before the controller, and all of them
// before the statics they use (see the constructor).
PluginState::~PluginState() {
    abandon();
}

PluginState& plugin() {
    static PluginState state;
    return state;
}

int32_t dispatchMessage(const void* record) {
    if (!record) return 0;
    try {
        return dispatch(RecordReader(record));
    } catch (...) {
        return 0; // nothing of ours may unwind into the host
    }
}

} // namespace brio
