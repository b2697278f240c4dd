// `picture`: PNG files of what the user sees (pages, the list view's context menu, the import options
// dialog). The host gathers what a page shows; the desktop draws and takes the picture.
#include <cstdlib>

#include "host/commands/interpreter.h"
#include "host/common/cp1250.h"

namespace brio::host {

namespace {

// The icon id of an image address "reg://IML16/N.ICON" (after any parameter name), 0 for none.
int32_t iconIdIn(const std::string& text) {
    const size_t list = text.find("reg://IML");
    if (list == std::string::npos) return 0;
    const size_t slash = text.find('/', list + 9);
    return slash == std::string::npos
               ? 0
               : static_cast<int32_t>(std::strtol(text.c_str() + slash + 1, nullptr, 10));
}

// What a choice's line shows: the text before its icon (0x03) or value (0x02) part.
std::string shownLine(const std::string& line) {
    return line.substr(0, line.find_first_of("\x02\x03"));
}

} // namespace

PageSeen Host::pageSeen(int32_t pageId) const {
    PageSeen page;
    const auto window = pageWindows_.find(pageId);
    page.window = window == pageWindows_.end() ? 0 : window->second;
    page.module = loaded() ? addressOf(library_->moduleHandle()) : 0;
    const auto resourceOf = [&](int32_t iconId) {
        for (const Icon& icon : icons_)
            if (icon.id == iconId && icon.ownModule) return icon.resource;
        return 0;
    };
    for (const Action& a : actions_.all()) {
        if (a.id == pageId && a.kindOf() == kind::kPage) {
            page.caption = a.text.value_or("");
            page.iconResource = resourceOf(a.param);
        }
        if (a.parent != pageId || a.kindOf() == kind::kPage) continue;
        PageControlSeen c;
        c.layout.kind = a.kindOf();
        c.layout.sameLine = (a.flags() & kSameLineFlag) != 0;
        c.layout.width = a.width;
        c.layout.height = a.height;
        c.layout.x = static_cast<int16_t>(a.x);
        c.layout.y = static_cast<int16_t>(a.y);
        c.text = a.holdsValue() ? controlValue(a) : a.text.value_or("");
        if (c.layout.kind == kind::kChoice) {
            const std::vector<std::string> lines = choiceLines(a.text.value_or(""));
            for (size_t i = 0; i < lines.size(); ++i) {
                c.lines.push_back(shownLine(lines[i]));
                if (choiceValue(lines[i], i) == c.text) c.selected = static_cast<int32_t>(i);
            }
            c.text = c.selected >= 0 ? c.lines[static_cast<size_t>(c.selected)] : std::string();
        }
        if (c.layout.kind == kind::kCheck) {
            c.checked = std::strtol(controlValue(a).c_str(), nullptr, 10) != 0;
            c.text = a.text.value_or("");
        }
        if (c.layout.kind == kind::kImage || c.layout.kind == kind::kImageWithParams)
            c.iconResource = resourceOf(iconIdIn(a.text.value_or("")));
        if (c.layout.kind == kind::kWindowHost && a.windowCreated) {
            const auto made = hostWindows_.find(a.id);
            const auto advance = hostAdvances_.find(a.id);
            c.window = made == hostWindows_.end() ? 0 : made->second;
            c.layout.hasWindow = c.window != 0;
            if (advance != hostAdvances_.end()) c.layout.windowAdvance = advance->second;
        }
        c.layout.caption = c.text;
        page.controls.push_back(std::move(c));
    }
    return page;
}

bool Interpreter::pictureCommand(const Words& w) {
    const char* const usage = "use: picture page NAME \"FILE\" | menu ROW \"FILE\" | dialog \"FILE\"";
    const std::string what = w.size() > 1 ? w[1].text : std::string();
    const size_t fileAt = what == "dialog" ? 2 : 3;
    if ((what != "page" && what != "menu" && what != "dialog") || w.size() != fileAt + 1) return fail(usage);
    std::string path;
    if (!text(w, fileAt, path) || !needLoaded()) return false;
    DesktopDriver& desktop = host_.desktop();
    PictureTaken taken;
    if (what == "page") {
        const Action* page = host_.actions().findContainer(w[2].text, kind::kPage, 0);
        if (!page) return fail("no page \"" + cp1250ToUtf8(w[2].text) + "\"");
        if (!host_.pageOpen(page->id))
            return fail("the page is not open (open page " + cp1250ToUtf8(w[2].text) + ")");
        taken = desktop.picturePage(host_.pageSeen(page->id), path);
    } else if (what == "dialog") {
        taken = desktop.pictureDialog(path);
    } else {
        int32_t row = 0;
        if (!number(w, 2, row)) return false;
        taken = desktop.pictureMenu(row, path);
    }
    if (!taken.error.empty()) return fail(taken.error);
    host_.transcript().plain("  picture " + std::to_string(taken.size.width) + " x " +
                             std::to_string(taken.size.height));
    return true;
}

} // namespace brio::host
