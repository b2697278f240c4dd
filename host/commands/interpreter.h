// commands/: the command language on top of the messenger: the script reader, the interpreter, and
// the expect, show, list and picture commands. Uses every room below it: common/, model/, desktop/,
// messenger/.
//
// Runs the command language (script.h) against a host: one line at a time, writing the transcript.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "host/commands/script.h"
#include "host/common/heap_meter.h"
#include "host/messenger/host.h"
#include "host/messenger/plugin_objects.h"

namespace brio::host {

class Interpreter {
public:
    // `source` names the script in messages (a file's base name, or "stdin").
    // Takes over the work done inside the host's message boxes (onbox) until it goes.
    Interpreter(Host& host, std::string source);
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    // Runs one line. False for a line that cannot be run (the message is in error()); a failed
    // expectation is not such a line: it is reported in the transcript and counted in failures().
    bool run(std::string_view line, int number);
    // After the last line: false (the message in error()) when commands still wait for a message box
    // that never opened.
    bool finish();
    // Runs a script's lines, with its `repeat N` ... `end` blocks (which nest; inside one, $REPEAT in a
    // line is the number of the innermost block's round, from 1). Stops at the first line that cannot
    // be run, false with error() set.
    bool runScript(const std::vector<std::string>& lines);
    const std::string& error() const { return error_; }
    int failures() const { return failures_; }
    // Runs after each line of a script that ran (the failure sweeps unload the plug-in there).
    void setAfterStep(std::function<void()> afterStep) { afterStep_ = std::move(afterStep); }
    // The steps of a script are its lines as they run, numbered from 1 (a line in a repeat block once per
    // round; what runs inside a message box belongs to the step that opened the box). step() is the one
    // running, or the last one run; 0 before the first.
    uint64_t step() const { return step_; }
    // Leaves the steps numbered so out: the script runs as if those lines were not there.
    void setLeaveOut(std::set<uint64_t> steps) { leaveOut_ = std::move(steps); }
    // The steps that could not be run (and went on from, with keepGoing).
    const std::vector<uint64_t>& stepsNotRun() const { return notRun_; }
    // Goes on after a line that cannot be run (a sweep's run, where a failure may leave out what a
    // later line needs), so that the script's own end still runs.
    void setKeepGoing(bool keepGoing) { keepGoing_ = keepGoing; }
    // What $SCRIPTDIR stands for in the texts of config and set commands.
    void setScriptDir(std::string dir) { scriptDir_ = std::move(dir); }

private:
    using Words = std::vector<Token>;

    // A command waiting for the next message box, with the line that queued it.
    struct BoxCommand {
        std::string line;
        int number;
    };

    bool fail(const std::string& message); // a line that cannot be run
    bool queueInsideBox(std::string_view line);
    DesktopDriver::InsideBox takeInsideBox();
    void runInsideBox(const std::vector<BoxCommand>& commands);
    void expectationFailed(const std::string& message);
    bool dispatch(const Words& w, std::string_view line);

    bool lifecycle(const Words& w);
    bool sendCommand(const Words& w);
    bool configCommand(const Words& w);
    bool networkCommand(const Words& w);
    bool contactCommand(const Words& w);
    bool pageCommand(const Words& w);
    bool setCommand(const Words& w);
    bool notifyCommand(const Words& w);
    bool show(const Words& w);
    bool expect(const Words& w);
    bool heapCommand(const Words& w);
    bool objectsCommand(const Words& w);
    bool runLines(const std::vector<std::string>& lines, size_t from, size_t to,
                  const std::vector<size_t>& blockEnds, std::vector<int>& rounds);

    // list_commands.cpp
    bool listCommand(const Words& w);
    bool clipboardCommand(const Words& w);
    bool fileDialogCommand(const Words& w);
    bool importCommand(const Words& w);
    bool fileCommand(const Words& w);
    bool expectList(const Words& w);

    // picture_command.cpp
    bool pictureCommand(const Words& w);

    // show.cpp
    void showConfig();
    void showNetworks();
    void showContacts();
    void showPlugins();
    void showIcons();
    void showActions();
    void showHeap();
    void showObjects();
    bool showPage(const std::string& name);
    bool showMenu(const std::string& name);

    // expect.cpp
    bool expectAnswer(const Words& w);
    bool expectConfig(const Words& w);
    bool expectNetwork(const Words& w);
    bool expectAction(const Words& w);
    bool expectHeap(const Words& w);
    bool expectObjects(const Words& w);

    // Word helpers: false (with the error set) when the word is missing or of the wrong form.
    bool number(const Words& w, size_t i, int32_t& value);
    bool text(const Words& w, size_t i, std::string& value);
    bool needLoaded();
    Action* control(const std::string& ref); // an action id, or the key of a bound control's setting

    Host& host_;
    std::string source_;
    std::string scriptDir_ = ".";
    int line_ = 0;
    std::string error_;
    int failures_ = 0;
    int errorsMark_ = 0;
    int logMark_ = 0; // logText calls seen by the last `expect log`
    std::map<std::string, int> callMarks_;
    std::vector<BoxCommand> insideNextBox_;               // queued by onbox
    int boxDepth_ = 0;                                    // message boxes whose commands are running
    std::string boxError_;                                // the first line inside a box that could not be run
    std::optional<heap::Figures> heapMark_;               // the plug-in's heap at the last `heap mark`
    std::optional<std::vector<ObjectCount>> objectsMark_; // what it held at the last `objects mark`
    std::function<void()> afterStep_;
    bool keepGoing_ = false;
    uint64_t step_ = 0;
    std::set<uint64_t> leaveOut_;
    std::vector<uint64_t> notRun_;
    bool takenFromUser_ = false; // the step ran but could do nothing of what the user meant by it
};

} // namespace brio::host
