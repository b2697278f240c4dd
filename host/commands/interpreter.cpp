#include "host/commands/interpreter.h"

#include <cstdio>
#include <utility>

#include "boundary/action_ids.h"
#include "boundary/messages.h"
#include "host/common/cp1250.h"

namespace brio::host {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

} // namespace

Interpreter::Interpreter(Host& host, std::string source) : host_(host), source_(std::move(source)) {
    host_.desktop().setWorkInsideBoxes([this] { return takeInsideBox(); });
}

Interpreter::~Interpreter() {
    host_.desktop().setWorkInsideBoxes(nullptr);
}

bool Interpreter::run(std::string_view line, int number) {
    line_ = number;
    error_.clear();
    Words w;
    std::string tokenError;
    if (!tokenize(line, w, tokenError)) return fail(tokenError);
    if (w.empty()) return true;
    // Inside a message box the commands are indented as the calls in progress around them are.
    if (w[0].text != "expect" && w[0].text != "echo" && w[0].text != "help")
        host_.transcript().line("$ " + std::string(trimmed(line)));
    const bool ran = dispatch(w, line);
    // The messenger ended inside a call of the plug-in's, whose code has returned by now.
    if (boxDepth_ == 0 && host_.diedInside()) host_.crash();
    host_.flushConfig();
    if (boxDepth_ > 0 || boxError_.empty()) return ran;
    // A command inside a message box that this line opened could not be run: the script stops there.
    line_ = number;
    error_ = std::exchange(boxError_, std::string());
    return false;
}

bool Interpreter::finish() {
    if (insideNextBox_.empty()) return true;
    line_ = insideNextBox_.front().number;
    const size_t waiting = insideNextBox_.size();
    insideNextBox_.clear();
    return fail(std::to_string(waiting) + " onbox command(s) waited for a message box that never opened");
}

bool Interpreter::queueInsideBox(std::string_view line) {
    std::string_view rest = trimmed(line);
    rest = trimmed(rest.substr(std::string_view("onbox").size()));
    if (rest.empty()) return fail("use: onbox COMMAND... (run inside the next message box)");
    insideNextBox_.push_back({std::string(rest), line_});
    return true;
}

DesktopDriver::InsideBox Interpreter::takeInsideBox() {
    if (insideNextBox_.empty()) return nullptr;
    return [this, commands = std::exchange(insideNextBox_, {})] { runInsideBox(commands); };
}

void Interpreter::runInsideBox(const std::vector<BoxCommand>& commands) {
    const int outerLine = line_;
    ++boxDepth_;
    for (const BoxCommand& c : commands) {
        if (run(c.line, c.number)) continue;
        if (boxError_.empty()) boxError_ = error_;
        break;
    }
    --boxDepth_;
    line_ = outerLine;
    error_.clear();
}

bool Interpreter::fail(const std::string& message) {
    error_ = source_ + ":" + std::to_string(line_) + ": " + message;
    return false;
}

void Interpreter::expectationFailed(const std::string& message) {
    ++failures_;
    const std::string text = "FAIL " + source_ + ":" + std::to_string(line_) + ": " + message;
    host_.transcript().always(text);
}

bool Interpreter::number(const Words& w, size_t i, int32_t& value) {
    if (i >= w.size()) return fail("a number is missing after \"" + cp1250ToUtf8(w[i - 1].text) + "\"");
    if (w[i].quoted || !parseNumber(w[i].text, value))
        return fail("\"" + cp1250ToUtf8(w[i].text) + "\" is not a number");
    return true;
}

bool Interpreter::text(const Words& w, size_t i, std::string& value) {
    if (i >= w.size()) return fail("a \"text\" is missing after \"" + cp1250ToUtf8(w[i - 1].text) + "\"");
    if (!w[i].quoted) return fail("\"" + cp1250ToUtf8(w[i].text) + "\" must be in double quotes");
    value = w[i].text;
    return true;
}

bool Interpreter::needLoaded() {
    return host_.loaded() || fail("no plug-in is loaded (use start or load)");
}

Action* Interpreter::control(const std::string& ref) {
    int32_t id = 0;
    if (parseNumber(ref, id)) return host_.actions().find(id);
    for (size_t i = 0; i < host_.actions().all().size(); ++i) {
        Action& a = host_.actions().at(i);
        const Column* c = a.bound() ? host_.config().column(a.param) : nullptr;
        if (c && c->key == ref) return &a;
    }
    return nullptr;
}

bool Interpreter::dispatch(const Words& w, std::string_view line) {
    const std::string& c = w[0].text;
    if (c == "help") {
        std::fputs(helpText(), stdout);
        return true;
    }
    if (c == "echo") {
        const std::string_view rest = trimmed(line);
        host_.transcript().plain(std::string(trimmed(rest.substr(4))));
        return true;
    }
    if (c == "onbox") return queueInsideBox(line);
    if (c == "answer") {
        // How the message box these commands run in is answered, when it asks Yes or No.
        if (w.size() != 2 || (w[1].text != "yes" && w[1].text != "no")) return fail("use: answer yes|no");
        if (boxDepth_ == 0) return fail("answer is for inside a message box (onbox answer yes|no)");
        host_.desktop().answerQuestion(w[1].text == "yes");
        return true;
    }
    if (c == "crash" && w.size() > 1) {
        if (w.size() != 4 || w[1].text != "in" || w[2].text != "setNetStatus" ||
            (w[3].text != "before" && w[3].text != "after"))
            return fail("use: crash in setNetStatus before|after");
        if (!needLoaded()) return false;
        host_.crashInNextSet(w[3].text == "after");
        return true;
    }
    if (c == "load" || c == "unload" || c == "start" || c == "stop" || c == "restart" || c == "crash") {
        // The plug-in's code is still running the box: its library must stay, and its calls in order.
        if (boxDepth_ > 0) return fail(c + " cannot be used inside a message box");
        return lifecycle(w);
    }
    if (c == "send" || c == "query" || c == "record") return sendCommand(w);
    if (c == "config") return configCommand(w);
    if (c == "network") return networkCommand(w);
    if (c == "contact") return contactCommand(w);
    if (c == "open" || c == "close") return pageCommand(w);
    if (c == "use" || c == "press") {
        int32_t id = 0;
        if (!number(w, 1, id) || !needLoaded()) return false;
        // A user can only use what the plug-in put on screen.
        const Action* used = host_.actions().find(id);
        if (!used) return fail("no action " + std::to_string(id) + " was added");
        if (!host_.controlShown(*used))
            return fail("the page of action " + std::to_string(id) + " is not open");
        host_.notify(id, msg::kActivated);
        // "Dodaj" and "Zmień" on a page whose description field the host never made (a failure took it)
        // can make no entry: the press is one of the steps the failure took from the user.
        if ((id == action::kAdd || id == action::kReplace) &&
            host_.refusedActions().count(action::kDescription))
            takenFromUser_ = true;
        return true;
    }
    if (c == "notify") return notifyCommand(w);
    if (c == "browse") {
        int32_t id = 0;
        if (w.size() != 2 || !number(w, 1, id)) return error_.empty() ? fail("use: browse ACTION") : false;
        if (!needLoaded()) return false;
        host_.fileDialog(id);
        return true;
    }
    if (c == "list") return needLoaded() && listCommand(w);
    if (c == "clipboard") return clipboardCommand(w);
    if (c == "filedialog") return fileDialogCommand(w);
    if (c == "import") return needLoaded() && importCommand(w);
    if (c == "file") return fileCommand(w);
    if (c == "picture") return pictureCommand(w);
    if (c == "set") return setCommand(w);
    if (c == "show") return show(w);
    if (c == "heap") return heapCommand(w);
    if (c == "objects") return objectsCommand(w);
    if (c == "repeat") return fail("repeat ... end is for scripts");
    if (c == "end") return fail("end without repeat");
    if (c == "menu") return w.size() == 2 ? showMenu(w[1].text) : fail("use: menu NAME");
    if (c == "expect") return expect(w);
    if (c == "transcript") {
        if (w.size() != 2 || (w[1].text != "on" && w[1].text != "off")) return fail("use: transcript on|off");
        // Both switches show: "off" is echoed before, "on" after.
        const bool wasMuted = host_.transcript().muted();
        host_.transcript().setMuted(w[1].text == "off");
        if (wasMuted && w[1].text == "on") host_.transcript().plain("$ transcript on");
        return true;
    }
    if (c == "hoststate") {
        int32_t state = 0;
        if (!number(w, 1, state)) return false;
        host_.setHostState(state);
        return true;
    }
    if (c == "advance") {
        uint64_t ms = 0;
        if (w.size() != 2 || !parseDuration(w[1].text, ms))
            return fail("use: advance N(ms|s|m), e.g. advance 10s");
        host_.advance(ms);
        return true;
    }
    return fail("unknown command \"" + cp1250ToUtf8(c) + "\" (try help)");
}

bool Interpreter::heapCommand(const Words& w) {
    if (w.size() != 2 || w[1].text != "mark") return fail("use: heap mark");
    if (!heap::counting()) return fail("the plug-in's heap is not measured in this build");
    heapMark_ = heap::plugin();
    return true;
}

bool Interpreter::objectsCommand(const Words& w) {
    if (w.size() != 2 || w[1].text != "mark") return fail("use: objects mark");
    objectsMark_ = pluginObjects();
    return true;
}

bool Interpreter::runScript(const std::vector<std::string>& lines) {
    // Each "repeat" line's matching "end", found before anything runs.
    std::vector<size_t> blockEnds(lines.size(), 0);
    std::vector<size_t> open;
    for (size_t i = 0; i < lines.size(); ++i) {
        Words w;
        std::string error;
        if (!tokenize(lines[i], w, error) || w.empty() || w[0].quoted) continue;
        if (w[0].text == "repeat") open.push_back(i);
        if (w[0].text != "end") continue;
        line_ = static_cast<int>(i + 1);
        if (w.size() != 1) return fail("end takes nothing more");
        if (open.empty()) return fail("end without repeat");
        blockEnds[open.back()] = i;
        open.pop_back();
    }
    if (!open.empty()) {
        line_ = static_cast<int>(open.back() + 1);
        return fail("repeat without end");
    }
    std::vector<int> rounds;
    return runLines(lines, 0, lines.size(), blockEnds, rounds);
}

bool Interpreter::runLines(const std::vector<std::string>& lines, size_t from, size_t to,
                           const std::vector<size_t>& blockEnds, std::vector<int>& rounds) {
    for (size_t i = from; i < to; ++i) {
        Words w;
        std::string error;
        const bool words = tokenize(lines[i], w, error) && !w.empty() && !w[0].quoted;
        if (words && w[0].text == "repeat") {
            line_ = static_cast<int>(i + 1);
            int32_t times = 0;
            if (w.size() != 2 || !parseNumber(w[1].text, times) || times < 0)
                return fail("use: repeat N ... end");
            host_.transcript().plain("$ " + std::string(trimmed(lines[i])));
            rounds.push_back(0);
            for (int32_t round = 1; round <= times; ++round) {
                rounds.back() = round;
                if (!runLines(lines, i + 1, blockEnds[i], blockEnds, rounds)) return false;
            }
            rounds.pop_back();
            i = blockEnds[i];
            continue;
        }
        const int number = static_cast<int>(i + 1);
        if (leaveOut_.count(++step_)) continue;
        const bool ran = rounds.empty()
                             ? run(lines[i], number)
                             : run(expandName(lines[i], "$REPEAT", std::to_string(rounds.back())), number);
        if (!ran && !keepGoing_) return false;
        if (!ran || std::exchange(takenFromUser_, false)) notRun_.push_back(step_);
        if (afterStep_) afterStep_();
    }
    return true;
}

bool Interpreter::lifecycle(const Words& w) {
    const std::string& c = w[0].text;
    if (w.size() != 1) return fail(c + " takes nothing more");
    std::string error;
    if (c == "load") return host_.load(error) || fail(error);
    if (c == "unload") {
        host_.unload();
        return true;
    }
    if (c == "stop" || c == "crash") {
        if (!needLoaded()) return false;
        if (c == "crash")
            host_.crash();
        else
            host_.stop();
        return true;
    }
    if (c == "restart") host_.stop();
    return host_.start(error) || fail(error);
}

bool Interpreter::sendCommand(const Words& w) {
    if (!needLoaded()) return false;
    if (w[0].text == "record") {
        std::vector<uint8_t> bytes;
        std::string error;
        if (w.size() < 2 || !parseHexBytes(Words(w.begin() + 1, w.end()), bytes, error))
            return fail(w.size() < 2 ? "use: record HEX..." : error);
        host_.sendRecord(std::move(bytes));
        return true;
    }
    int32_t id = 0, p1 = 0, p2 = 0;
    if (!number(w, 1, id)) return false;
    if (w[0].text == "query" && w.size() != 2) return fail("use: query ID");
    if (w.size() > 4) return fail("use: send ID [P1 [P2]]");
    // The word host stands for the address of the host control object (for pluginStart).
    if (w.size() > 2 && w[2].text == "host" && !w[2].quoted)
        p1 = addressOf(static_cast<IHostControl*>(&host_));
    else if (w.size() > 2 && !number(w, 2, p1))
        return false;
    if (w.size() > 3 && !number(w, 3, p2)) return false;
    host_.send(id, p1, p2);
    return true;
}

bool Interpreter::configCommand(const Words& w) {
    if (w.size() == 2) {
        const std::string& key = w[1].text;
        const Column* c = host_.config().columnByKey(key);
        const std::string* stored = host_.config().stored(key);
        std::string shown;
        if (c)
            shown = c->kind == 0 ? std::to_string(host_.config().readInt(*c))
                                 : displayed(host_.config().readText(*c));
        else
            shown = stored ? displayed(*stored) + " (not registered)" : "nothing (not registered)";
        if (c && !stored) shown += " (default)";
        host_.transcript().plain("config " + cp1250ToUtf8(key) + " = " + shown);
        return true;
    }
    if (w.size() != 4 || w[2].text != "=" || w[2].quoted)
        return fail("use: config KEY or config KEY = VALUE");
    int32_t n = 0;
    if (!w[3].quoted && !number(w, 3, n)) return false;
    host_.setConfig(w[1].text, w[3].quoted ? expandScriptDir(w[3].text, scriptDir_) : std::to_string(n));
    return true;
}

bool Interpreter::networkCommand(const Words& w) {
    int32_t net = 0;
    const bool adding = w.size() > 1 && w[1].text == "add" && !w[1].quoted;
    SimulatedPlugin changed;
    size_t i = 2;
    if (adding) {
        if (!number(w, 2, net)) return false;
        changed.net = net;
        i = 3;
        if (i < w.size() && w[i].quoted) changed.name = w[i++].text;
    } else {
        if (!number(w, 1, net)) return false;
        const SimulatedPlugin* existing = host_.registry().findNet(net);
        if (!existing) return fail("no network " + std::to_string(net) + " (add it with: network add)");
        if (w.size() < 3) return fail("use: network NET status N | description \"TEXT\" | capability N ...");
        changed = *existing;
    }
    for (; i < w.size(); i += 2) {
        const std::string& key = w[i].text;
        if (key == "status" || key == "capability" || key == "type") {
            int32_t& field = key == "status"       ? changed.status
                             : key == "capability" ? changed.capability
                                                   : changed.type;
            if (!number(w, i + 1, field)) return false;
        } else if (key == "description" || key == "name") {
            std::optional<std::string>& field = key == "name" ? changed.name : changed.description;
            std::string value;
            if (i + 1 < w.size() && !w[i + 1].quoted && w[i + 1].text == "none")
                field.reset();
            else if (!text(w, i + 1, value))
                return false;
            else
                field = value;
        } else {
            return fail("unknown network property \"" + cp1250ToUtf8(key) +
                        "\" (status, description, capability, name, type)");
        }
    }
    // What the user gave the network: all it shows once added, else what the step names.
    if (adding) {
        changed.userStatus = changed.status;
        changed.userDescription = changed.description;
    }
    for (size_t k = 2; !adding && k < w.size(); k += 2) {
        if (w[k].text == "status") changed.userStatus = changed.status;
        if (w[k].text == "description") changed.userDescription = changed.description;
    }
    // Only a command that was read whole changes anything; the plug-in keeps its id and history.
    SimulatedPlugin& target = adding ? host_.registry().add(net) : *host_.registry().findNet(net);
    changed.id = target.id;
    changed.history = std::move(target.history);
    target = std::move(changed);
    return true;
}

bool Interpreter::contactCommand(const Words& w) {
    int32_t id = 0;
    const bool adding = w.size() > 1 && w[1].text == "add" && !w[1].quoted;
    Contact changed;
    size_t i = 2;
    if (adding) {
        if (!number(w, 2, id) || !text(w, 3, changed.name)) return false;
        i = 4;
    } else {
        if (!number(w, 1, id)) return false;
        const Contact* existing = host_.contacts().find(id);
        if (!existing) return fail("no contact " + std::to_string(id) + " (add it with: contact add)");
        if (w.size() > 2 && w[2].text == "use") {
            int32_t action = 0;
            if (w.size() != 4 || !number(w, 3, action)) return fail("use: contact ID use ACTION");
            if (!needLoaded()) return false;
            if (!host_.actions().find(action, kContactMenu))
                return fail("no action " + std::to_string(action) + " was added to the contact menu");
            host_.notify(action, msg::kActivated, id);
            return true;
        }
        if (w.size() < 3)
            return fail("use: contact ID name \"TEXT\" | status N | description \"TEXT\" | use ACTION");
        changed = *existing;
    }
    for (; i < w.size(); i += 2) {
        const std::string& key = w[i].text;
        if (key == "status") {
            if (!number(w, i + 1, changed.status)) return false;
        } else if (key == "name" || key == "description") {
            if (!text(w, i + 1, key == "name" ? changed.name : changed.description)) return false;
        } else {
            return fail("unknown contact property \"" + cp1250ToUtf8(key) + "\" (name, status, description)");
        }
    }
    changed.id = id;
    host_.contacts().add(id) = changed;
    return true;
}

bool Interpreter::pageCommand(const Words& w) {
    if (w.size() != 3 || w[1].text != "page") return fail("use: " + w[0].text + " page NAME");
    if (!needLoaded()) return false;
    const Action* page = host_.actions().findContainer(w[2].text, kind::kPage, 0);
    if (!page) return fail("no page \"" + cp1250ToUtf8(w[2].text) + "\"");
    if (w[0].text == "open") {
        if (host_.pageOpen(page->id)) return fail("the page is open already");
        host_.openPage(page->id);
    } else {
        if (!host_.pageOpen(page->id)) return fail("the page is not open");
        host_.closePage(page->id);
    }
    return true;
}

bool Interpreter::notifyCommand(const Words& w) {
    int32_t action = 0, code = 0, contact = 0, size = kNotifyMinSize;
    if (!number(w, 1, action) || !number(w, 2, code)) return false;
    for (size_t i = 3; i < w.size(); i += 2) {
        if (w[i].text == "contact" && number(w, i + 1, contact)) continue;
        if (w[i].text == "size" && number(w, i + 1, size) && size >= 0 && size <= 0xFFFF) continue;
        return error_.empty() ? fail("use: notify ACTION CODE [contact N] [size N]") : false;
    }
    if (!needLoaded()) return false;
    host_.notify(action, code, contact, static_cast<uint16_t>(size));
    return true;
}

bool Interpreter::setCommand(const Words& w) {
    std::string value;
    if (w.size() != 3) return fail("use: set CONTROL \"VALUE\"");
    if (!text(w, 2, value)) return false;
    Action* a = control(w[1].text);
    if (!a) return fail("no control \"" + cp1250ToUtf8(w[1].text) + "\"");
    if (!a->holdsValue())
        return fail("control " + cp1250ToUtf8(w[1].text) + " is a " + kindName(a->kindOf()) +
                    ", it holds no value");
    if (!host_.controlShown(*a))
        return fail("the page of control " + cp1250ToUtf8(w[1].text) + " is not open");
    if (!host_.setControlValue(*a, expandScriptDir(value, scriptDir_)))
        return fail("the choice " + cp1250ToUtf8(w[1].text) + " has no line for " + displayed(value));
    return true;
}

} // namespace brio::host
