// The show command: the host's state as readable transcript lines.
#include <cstdio>

#include "host/commands/interpreter.h"
#include "host/common/cp1250.h"
#include "host/common/heap_meter.h"

namespace brio::host {

namespace {

std::string hex(int32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", static_cast<unsigned>(v));
    return buf;
}

std::string optionalQuoted(const std::optional<std::string>& text) {
    return text ? displayed(*text) : "none";
}

} // namespace

bool Interpreter::show(const Words& w) {
    const std::string what = w.size() > 1 ? w[1].text : std::string();
    if (w.size() == 2 && what == "config")
        showConfig();
    else if (w.size() == 2 && what == "networks")
        showNetworks();
    else if (w.size() == 2 && what == "contacts")
        showContacts();
    else if (w.size() == 2 && what == "plugins")
        showPlugins();
    else if (w.size() == 2 && what == "icons")
        showIcons();
    else if (w.size() == 2 && what == "actions")
        showActions();
    else if (w.size() == 2 && what == "heap")
        showHeap();
    else if (w.size() == 2 && what == "objects")
        showObjects();
    else if (w.size() == 3 && what == "page")
        return showPage(w[2].text);
    else if (w.size() == 3 && what == "menu")
        return showMenu(w[2].text);
    else
        return fail(
            "use: show config|networks|contacts|plugins|icons|actions|heap|objects|page NAME|menu NAME");
    return true;
}

void Interpreter::showHeap() {
    if (!heap::counting()) {
        host_.transcript().plain("  the plug-in's heap is not measured in this build");
        return;
    }
    const heap::Figures f = heap::plugin();
    host_.transcript().plain("  the plug-in holds " + std::to_string(f.bytesInUse) + " bytes in " +
                             std::to_string(f.blocksInUse) + " blocks; it made " +
                             std::to_string(f.allocations) + " blocks of " + std::to_string(f.bytesMade) +
                             " bytes in all");
}

// Each kind this build counts; how many were made in all where that is known.
void Interpreter::showObjects() {
    for (const ObjectCount& c : pluginObjects())
        host_.transcript().plain("  " + c.kind + ": " + std::to_string(c.inUse) + " held" +
                                 (c.made ? ", " + std::to_string(c.made) + " made" : ""));
}

void Interpreter::showConfig() {
    Transcript& t = host_.transcript();
    const ConfigStore& config = host_.config();
    for (const Column& c : config.columns()) {
        const bool stored = config.stored(c.key) != nullptr;
        t.plain("  " + std::to_string(c.id) + " " + cp1250ToUtf8(c.key) +
                (c.kind == 0 ? " integer = " : " text = ") +
                (c.kind == 0 ? std::to_string(config.readInt(c)) : displayed(config.readText(c))) +
                (stored ? "" : " (default)"));
    }
    for (const auto& [key, value] : config.values())
        if (!config.columnByKey(key))
            t.plain("  " + cp1250ToUtf8(key) + " = " + displayed(value) + " (not registered)");
    if (config.columns().empty() && config.values().empty()) t.plain("  (empty)");
}

void Interpreter::showNetworks() {
    Transcript& t = host_.transcript();
    for (const auto& p : host_.registry().plugins()) {
        t.plain("  net " + std::to_string(p->net) + " " + optionalQuoted(p->name) + " plug-in " +
                std::to_string(p->id) + " type " + hex(p->type) + " status " + std::to_string(p->status) +
                " capability " + std::to_string(p->capability) + " description " +
                optionalQuoted(p->description));
        for (const SimulatedPlugin::Change& c : p->history)
            t.plain("    setNetStatus status " + std::to_string(c.status) + " " +
                    optionalQuoted(c.description));
    }
    if (host_.registry().plugins().empty()) t.plain("  (no networks)");
}

void Interpreter::showContacts() {
    Transcript& t = host_.transcript();
    for (const auto& [id, c] : host_.contacts().all())
        t.plain("  contact " + std::to_string(id) + " " + displayed(c.name) + " status " +
                std::to_string(c.status) + " description " + displayed(c.description));
    if (host_.contacts().all().empty()) t.plain("  (no contacts)");
}

void Interpreter::showPlugins() {
    Transcript& t = host_.transcript();
    const Registry& r = host_.registry();
    const int32_t count = r.count(host_.loaded());
    for (int32_t i = 0; i < count; ++i) {
        const int32_t id = r.idAt(i, host_.loaded());
        std::string line = "  " + std::to_string(i) + ": id " + std::to_string(id);
        if (id == kHostPluginId)
            line += " the host";
        else if (id == kTestedPluginId)
            line += " the plug-in under test";
        else if (const SimulatedPlugin* p = r.findPlugin(id))
            line += " type " + hex(p->type) + " net " + std::to_string(p->net) + " name " +
                    optionalQuoted(p->name);
        t.plain(line);
    }
}

void Interpreter::showIcons() {
    Transcript& t = host_.transcript();
    for (const Icon& i : host_.icons())
        t.plain("  " + std::to_string(i.id) + " list " + std::to_string(i.imageList) + " resource " +
                std::to_string(i.resource) + (i.ownModule ? " module plug-in" : " module other"));
    if (host_.icons().empty()) t.plain("  (no icons)");
}

void Interpreter::showActions() {
    Transcript& t = host_.transcript();
    for (const Action& a : host_.actions().all())
        t.plain("  " + describeAdded(a) + (a.status ? " status " + std::to_string(a.status) : std::string()));
    if (host_.actions().all().empty()) t.plain("  (no actions)");
}

bool Interpreter::showPage(const std::string& name) {
    const Action* page = host_.actions().findContainer(name, kind::kPage, 0);
    if (!page) return fail("no page \"" + cp1250ToUtf8(name) + "\"");
    Transcript& t = host_.transcript();
    t.plain("page " + optionalQuoted(page->text) + " " + std::to_string(page->id) + " parent " +
            std::to_string(page->parent) + " icon " + std::to_string(page->param) +
            (host_.pageOpen(page->id) ? " (open)" : " (closed)"));
    auto valueOf = [this](const Action& a) { return host_.controlValue(a); };
    auto settingName = [this](int32_t column) {
        const Column* c = host_.config().column(column);
        return c ? cp1250ToUtf8(c->key) : std::to_string(column) + " (not registered)";
    };
    for (const Action* a : host_.actions().children(page->id))
        if (a->kindOf() != kind::kPage) t.plain("  " + describeControl(*a, valueOf, settingName));
    return true;
}

bool Interpreter::showMenu(const std::string& name) {
    Transcript& t = host_.transcript();
    int32_t parent = kContactMenu;
    if (name == "contact") {
        t.plain("contact menu " + std::to_string(kContactMenu));
    } else {
        const Action* popup = host_.actions().findContainer(name, kind::kPopup, 0x10);
        if (!popup) return fail("no menu \"" + cp1250ToUtf8(name) + "\"");
        parent = popup->id;
        t.plain("menu " + optionalQuoted(popup->text) + " " + std::to_string(popup->id) + " in group " +
                std::to_string(popup->parent));
    }
    for (const Action* a : host_.actions().children(parent))
        t.plain("  " + std::to_string(a->id) + " " + kindName(a->kindOf()) + " " + optionalQuoted(a->text) +
                " status " + std::to_string(a->status));
    return true;
}

} // namespace brio::host
