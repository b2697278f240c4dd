// The expect command: checks of the host's state that fail the run when they do not hold.
#include "boundary/messages.h"
#include "host/commands/interpreter.h"
#include "host/common/cp1250.h"

namespace brio::host {

namespace {

std::string optionalQuoted(const std::optional<std::string>& text) {
    return text ? displayed(*text) : "none";
}

} // namespace

bool Interpreter::expect(const Words& w) {
    const std::string what = w.size() > 1 ? w[1].text : std::string();
    if (what == "answer" || what == "same-address") return expectAnswer(w);
    if (what == "config") return expectConfig(w);
    if (what == "network") return expectNetwork(w);
    if (what == "action") return expectAction(w);
    if (what == "heap") return expectHeap(w);
    if (what == "objects") return expectObjects(w);
    if (what == "row" || what == "rows" || what == "clipboard" || what == "file" || what == "import-dialog")
        return expectList(w);
    int32_t n = 0;
    if (what == "errors" && w.size() == 3) {
        if (!number(w, 2, n)) return false;
        const int got = host_.errors() - errorsMark_;
        errorsMark_ = host_.errors();
        if (got != n)
            expectationFailed(std::to_string(got) + " setError calls, expected " + std::to_string(n));
        return true;
    }
    if (what == "calls" && w.size() == 4) {
        if (!number(w, 3, n)) return false;
        const std::string& name = w[2].text;
        if (!host_.isCallName(name)) return fail("no host call is named " + cp1250ToUtf8(name));
        const int got = host_.calls(name) - callMarks_[name];
        callMarks_[name] = host_.calls(name);
        if (got != n)
            expectationFailed(std::to_string(got) + " " + cp1250ToUtf8(name) + " calls, expected " +
                              std::to_string(n));
        return true;
    }
    if (what == "log" && w.size() == 3) {
        std::string expected;
        if (!text(w, 2, expected)) return false;
        const int logged = host_.calls("logText");
        const bool fresh = logged != logMark_;
        logMark_ = logged;
        if (!fresh)
            expectationFailed("no logText since the last expect log, expected " + displayed(expected));
        else if (!lineMatches(expected, host_.lastLog()))
            expectationFailed("the last logText is " + displayed(host_.lastLog()) + ", expected " +
                              displayed(expected));
        return true;
    }
    if (what == "copies" && w.size() == 3) {
        if (!number(w, 2, n)) return false;
        const auto got = static_cast<int>(host_.copies().outstanding().size());
        if (got != n)
            expectationFailed(std::to_string(got) + " copies not released, expected " + std::to_string(n));
        return true;
    }
    return fail(
        "use: expect "
        "answer|same-address|config|errors|calls|log|copies|heap|objects|network|action|row|rows|clipboard|"
        "file|"
        "import-dialog ... "
        "(try help)");
}

bool Interpreter::expectHeap(const Words& w) {
    if (w.size() != 3 || w[2].text != "same") return fail("use: expect heap same");
    if (!heap::counting()) return fail("the plug-in's heap is not measured in this build");
    const heap::Figures now = heap::plugin();
    // The first check of a run with no mark takes it: a loop's first round sets what the others meet.
    if (!heapMark_) {
        heapMark_ = now;
        return true;
    }
    if (now.bytesInUse != heapMark_->bytesInUse || now.blocksInUse != heapMark_->blocksInUse)
        expectationFailed("the plug-in holds " + std::to_string(now.bytesInUse) + " bytes in " +
                          std::to_string(now.blocksInUse) + " blocks, at the heap mark " +
                          std::to_string(heapMark_->bytesInUse) + " bytes in " +
                          std::to_string(heapMark_->blocksInUse) + " blocks");
    return true;
}

bool Interpreter::expectObjects(const Words& w) {
    if (w.size() != 3 || w[2].text != "same") return fail("use: expect objects same");
    const std::vector<ObjectCount> now = pluginObjects();
    // As with the heap: with no mark yet, the first check takes it.
    if (!objectsMark_) {
        objectsMark_ = now;
        return true;
    }
    std::string changed;
    for (size_t i = 0; i < now.size(); ++i) {
        const int64_t before = i < objectsMark_->size() ? (*objectsMark_)[i].inUse : 0;
        if (now[i].inUse == before) continue;
        changed += (changed.empty() ? "" : ", ") + std::to_string(now[i].inUse) + " " + now[i].kind +
                   " (at the mark " + std::to_string(before) + ")";
    }
    if (!changed.empty()) expectationFailed("the plug-in holds " + changed);
    return true;
}

bool Interpreter::expectAnswer(const Words& w) {
    const Answer& a = host_.lastAnswer();
    const std::string to = "the answer to " + messageName(a.message);
    if (w[1].text == "same-address") {
        if (w.size() != 2) return fail("use: expect same-address");
        const auto first = host_.firstAnswer(a.message);
        if (!a.isText || a.value == 0 || host_.answers(a.message) < 2)
            expectationFailed(to + " is not a text answered more than once since the plug-in was loaded");
        else if (!first || *first != a.value)
            expectationFailed(to + " is not the address of its first answer");
        return true;
    }
    if (w.size() == 4 && w[2].text == "text" && !w[2].quoted) {
        std::string expected;
        if (!text(w, 3, expected)) return false;
        if (!a.isText || a.value == 0)
            expectationFailed(to + " is " + std::to_string(a.value) + ", expected " + displayed(expected));
        else if (a.text != expected)
            expectationFailed(to + " is " + displayed(a.text) + ", expected " + displayed(expected));
        return true;
    }
    int32_t n = 0;
    if (w.size() != 3) return fail("use: expect answer N | expect answer text \"TEXT\"");
    if (!number(w, 2, n)) return false;
    if (a.value != n)
        expectationFailed(to + " is " +
                          (a.isText && a.value ? "the text " + displayed(a.text) : std::to_string(a.value)) +
                          ", expected " + std::to_string(n));
    return true;
}

bool Interpreter::expectConfig(const Words& w) {
    if (w.size() != 4) return fail("use: expect config KEY VALUE");
    const std::string& key = w[2].text;
    int32_t n = 0;
    if (!w[3].quoted && !number(w, 3, n)) return false;
    const ConfigStore& config = host_.config();
    const Column* c = config.columnByKey(key);
    const std::string name = "config " + cp1250ToUtf8(key);
    if (c && c->kind == 0) {
        const int32_t expected = w[3].quoted ? readInteger(w[3].text) : n;
        const int32_t got = config.readInt(*c);
        if (got != expected)
            expectationFailed(name + " is " + std::to_string(got) + ", expected " + std::to_string(expected));
        return true;
    }
    const std::string expected = w[3].quoted ? w[3].text : std::to_string(n);
    const std::string* stored = config.stored(key);
    const std::string got = c ? config.readText(*c) : stored ? *stored : std::string();
    if (!c && !stored)
        expectationFailed(name + " has no value and no column, expected " + displayed(expected));
    else if (got != expected)
        expectationFailed(name + " is " + displayed(got) + ", expected " + displayed(expected));
    return true;
}

bool Interpreter::expectNetwork(const Words& w) {
    int32_t net = 0;
    if (w.size() != 5) return fail("use: expect network NET status N | description \"TEXT\"|none | sends N");
    if (!number(w, 2, net)) return false;
    const SimulatedPlugin* p = host_.registry().findNet(net);
    if (!p) return fail("no network " + std::to_string(net));
    const std::string& what = w[3].text;
    const std::string name = "network " + std::to_string(net) + " ";
    int32_t n = 0;
    if (what == "status" || what == "sends") {
        if (!number(w, 4, n)) return false;
        const int32_t got = what == "status" ? p->status : static_cast<int32_t>(p->history.size());
        if (got != n)
            expectationFailed(name + (what == "status" ? "status is " : "received setNetStatus ") +
                              std::to_string(got) + (what == "status" ? "" : " times") + ", expected " +
                              std::to_string(n));
        return true;
    }
    if (what != "description")
        return fail("use: expect network NET status N | description \"TEXT\"|none | sends N");
    std::optional<std::string> expected;
    if (w[4].quoted)
        expected = w[4].text;
    else if (w[4].text != "none")
        return fail("a \"text\" or none is needed after description");
    if (p->description != expected)
        expectationFailed(name + "description is " + optionalQuoted(p->description) + ", expected " +
                          optionalQuoted(expected));
    return true;
}

bool Interpreter::expectAction(const Words& w) {
    int32_t id = 0;
    if (w.size() != 5) return fail("use: expect action ID status N | value \"TEXT\" | caption \"TEXT\"");
    if (!number(w, 2, id)) return false;
    const Action* a = host_.actions().find(id);
    if (!a) return fail("no action " + std::to_string(id));
    const std::string& what = w[3].text;
    const std::string name = "action " + std::to_string(id) + " ";
    if (what == "status") {
        int32_t n = 0;
        if (!number(w, 4, n)) return false;
        if (a->status != n)
            expectationFailed(name + "status is " + std::to_string(a->status) + ", expected " +
                              std::to_string(n));
        return true;
    }
    std::string expected;
    if ((what != "value" && what != "caption") || !text(w, 4, expected))
        return error_.empty() ? fail("use: expect action ID status N | value \"TEXT\" | caption \"TEXT\"")
                              : false;
    const std::string got = what == "value" ? host_.controlValue(*a) : a->text.value_or("");
    if (got != expected)
        expectationFailed(name + what + " is " + displayed(got) + ", expected " + displayed(expected));
    return true;
}

} // namespace brio::host
