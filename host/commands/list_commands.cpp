// The "Lista" page's things as the user works them: the list view, the clipboard, the file dialogs, the
// import options dialog and the files themselves (`list`, `clipboard`, `filedialog`, `import`, `file`,
// `expect row|rows|clipboard|file|import-dialog`). File names are relative to brio-host's working
// directory, as the plug-in sees them.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "host/commands/interpreter.h"
#include "host/common/cp1250.h"
#include "host/common/file_bytes.h"

namespace brio::host {

namespace {

std::string rowLine(size_t index, const ListRowSeen& row) {
    const int32_t status = statusOfImage(row.image);
    std::string line = "  " + std::to_string(index) + " status " +
                       (status >= 0 ? std::to_string(status) : "image " + std::to_string(row.image)) + " " +
                       displayed(row.description) + " " + displayed(row.seconds);
    if (row.selected) line += " selected";
    if (row.focused) line += " focused";
    return line;
}

} // namespace

bool Interpreter::listCommand(const Words& w) {
    DesktopDriver& desktop = host_.desktop();
    const std::string what = w.size() > 1 ? w[1].text : std::string();
    const char* const usage =
        "use: list show | click ROW|none | select [ROW...] | rightclick ROW|none [choose N] | "
        "sort COLUMN | edit ROW \"TEXT\"|cancel | drag ROW [label|icon|stateicon] | "
        "width COLUMN N";
    if (what.empty()) return fail(usage);
    if (!desktop.listViewPresent()) return fail("no list view is shown (open page Lista)");
    Transcript& t = host_.transcript();
    // A row number, or "none" for the empty area below the rows.
    const auto row = [&](size_t i, int32_t& value) {
        if (i < w.size() && !w[i].quoted && w[i].text == "none") {
            value = -1;
            return true;
        }
        return number(w, i, value);
    };
    const auto refused = [&](const std::string& what) { return fail("the list view refused: " + what); };
    int32_t n = 0;
    if (what == "show" && w.size() == 2) {
        const std::vector<ListRowSeen> rows = desktop.listViewRows();
        const std::vector<int32_t> widths = desktop.listViewColumnWidths();
        std::string header = "  " + std::to_string(rows.size()) + " rows; column widths";
        for (int32_t width : widths)
            header += " " + std::to_string(width);
        t.plain(header);
        for (size_t i = 0; i < rows.size(); ++i)
            t.plain(rowLine(i, rows[i]));
        return true;
    }
    if (what == "click" && w.size() == 3) {
        if (!row(2, n)) return false;
        return desktop.clickRow(n) || refused("no row " + std::to_string(n));
    }
    if (what == "select") {
        std::vector<int32_t> rows;
        for (size_t i = 2; i < w.size(); ++i) {
            if (!number(w, i, n)) return false;
            rows.push_back(n);
        }
        return desktop.selectRows(rows) || refused("a row is not there");
    }
    if (what == "rightclick" && (w.size() == 3 || (w.size() == 5 && w[3].text == "choose"))) {
        int32_t choose = -1;
        if (!row(2, n) || (w.size() == 5 && !number(w, 4, choose))) return false;
        std::vector<std::string> items;
        if (!desktop.rightClickRow(n, choose, items)) return refused("no row " + std::to_string(n));
        if (items.empty()) {
            t.plain("  no menu");
            // What was to be chosen could not be: the user did not do it (a sweep leaves it out).
            return choose < 0 || fail("no menu to choose item " + std::to_string(choose) + " of");
        }
        std::string line = "  menu:";
        for (size_t i = 0; i < items.size(); ++i)
            line += (i ? " | " : " ") + cp1250ToUtf8(items[i]);
        t.plain(line + (choose >= 0 && size_t(choose) < items.size()
                            ? "; chosen " + cp1250ToUtf8(items[size_t(choose)])
                            : "; dismissed"));
        return true;
    }
    if (what == "sort" && w.size() == 3) {
        if (!number(w, 2, n)) return false;
        return desktop.clickColumn(n) || refused("no column " + std::to_string(n));
    }
    if (what == "edit" && w.size() == 4) {
        if (!number(w, 2, n)) return false;
        std::optional<std::string> edited;
        if (w[3].quoted)
            edited = w[3].text;
        else if (w[3].text != "cancel")
            return fail("use: list edit ROW \"TEXT\"|cancel");
        return desktop.editLabel(n, edited) || refused("no row " + std::to_string(n));
    }
    if (what == "drag" && (w.size() == 3 || w.size() == 4)) {
        if (!number(w, 2, n)) return false;
        DropPart part = DropPart::Label;
        if (w.size() == 4) {
            if (w[3].text == "icon")
                part = DropPart::Icon;
            else if (w[3].text == "stateicon")
                part = DropPart::StateIcon;
            else if (w[3].text != "label")
                return fail("use: list drag ROW [label|icon|stateicon]");
        }
        return desktop.dragOnto(n, part) || refused("no selected rows, or no row " + std::to_string(n));
    }
    if (what == "width" && w.size() == 4) {
        int32_t width = 0;
        if (!number(w, 2, n) || !number(w, 3, width)) return false;
        return desktop.setColumnWidth(n, width) || refused("no column " + std::to_string(n));
    }
    return fail(usage);
}

bool Interpreter::clipboardCommand(const Words& w) {
    DesktopDriver& desktop = host_.desktop();
    if (w.size() == 1) {
        const std::optional<std::string> text = desktop.clipboardText();
        host_.transcript().plain("  clipboard " + (text ? displayed(*text) : std::string("empty")));
        return true;
    }
    if (w.size() == 2 && (w[1].text == "hold" || w[1].text == "release")) {
        desktop.holdClipboard(w[1].text == "hold");
        return true;
    }
    return fail("use: clipboard [hold|release]");
}

bool Interpreter::fileDialogCommand(const Words& w) {
    if (w.size() == 2 && w[1].text == "cancel") {
        host_.setFileDialogAnswer(std::nullopt);
        return true;
    }
    FileDialogAnswer answer;
    if (w.size() >= 3 && w[1].text == "answer" &&
        (w.size() == 3 || (w.size() == 5 && w[3].text == "filter"))) {
        if (!text(w, 2, answer.path) || (w.size() == 5 && !number(w, 4, answer.filter))) return false;
        host_.setFileDialogAnswer(answer);
        return true;
    }
    return fail("use: filedialog answer \"PATH\" [filter N] | filedialog cancel");
}

bool Interpreter::importCommand(const Words& w) {
    // import [status N] [time "TEXT"] ok|cancel
    int32_t status = -1;
    std::string seconds;
    size_t i = 1;
    for (; i + 1 < w.size(); i += 2) {
        if (w[i].text == "status") {
            if (!number(w, i + 1, status)) return false;
        } else if (w[i].text == "time") {
            if (!text(w, i + 1, seconds)) return false;
        } else {
            break;
        }
    }
    if (i + 1 != w.size() || (w[i].text != "ok" && w[i].text != "cancel"))
        return fail("use: import [status N] [time \"TEXT\"] ok|cancel");
    if (!host_.desktop().answerImportDialog(status, seconds, w[i].text == "ok"))
        return fail("no import options dialog is open");
    return true;
}

bool Interpreter::fileCommand(const Words& w) {
    std::string name;
    const bool append = w[1].text == "append";
    if ((w.size() == 4 || (w.size() == 6 && w[4].text == "times")) && (w[1].text == "write" || append)) {
        // "times N" writes the bytes N times over: a large file without a large script; "append" adds
        // them at the end, for a large file made of different parts.
        std::string bytes;
        int32_t times = 1;
        if (!text(w, 2, name) || !text(w, 3, bytes) || (w.size() == 6 && !number(w, 5, times))) return false;
        if (times < 0) return fail("use: file write|append \"NAME\" \"BYTES\" [times N], N at least 0");
        std::ofstream out(name, std::ios::binary | (append ? std::ios::app : std::ios::trunc));
        for (int32_t i = 0; i < times && out; ++i)
            out.write(bytes.data(), std::streamsize(bytes.size()));
        if (!out) return fail("cannot write " + cp1250ToUtf8(name));
        return true;
    }
    if (w.size() == 3 &&
        (w[1].text == "show" || w[1].text == "delete" || w[1].text == "readonly" || w[1].text == "folder")) {
        if (!text(w, 2, name)) return false;
        // No write permission: Windows's read-only attribute (which a read-only file must lose before it
        // can be deleted there), and the headless desktop's.
        namespace fs = std::filesystem;
        std::error_code ignored;
        if (w[1].text == "folder") {
            // With the folders above it; one that is there already is kept.
            fs::create_directories(name, ignored);
            return true;
        }
        if (w[1].text == "readonly") {
            fs::permissions(name, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove, ignored);
            return true;
        }
        if (w[1].text == "delete") {
            fs::permissions(name, fs::perms::owner_write, fs::perm_options::add, ignored);
            // A name too long for the C runtime's call goes through the wide-character calls.
            if (std::remove(name.c_str()) != 0) fs::remove(fs::path(name), ignored);
            return true;
        }
        const std::optional<std::string> bytes = readFileBytes(name);
        host_.transcript().plain("  file " + displayed(name) +
                                 (bytes ? " " + displayed(*bytes) : " missing"));
        return true;
    }
    return fail(
        "use: file write|append \"NAME\" \"BYTES\" [times N] | file show|delete|readonly|folder \"NAME\"");
}

bool Interpreter::expectList(const Words& w) {
    DesktopDriver& desktop = host_.desktop();
    const std::vector<ListRowSeen> rows = desktop.listViewRows();
    int32_t n = 0;
    if (w[1].text == "rows" && w.size() == 3) {
        if (!number(w, 2, n)) return false;
        if (!desktop.listViewPresent())
            expectationFailed("no list view is shown, expected " + std::to_string(n) + " rows");
        else if (rows.size() != size_t(n))
            expectationFailed(std::to_string(rows.size()) + " rows, expected " + std::to_string(n));
        return true;
    }
    if (w[1].text == "row" && w.size() == 6) {
        int32_t status = 0;
        std::string description;
        std::string seconds;
        if (!number(w, 2, n) || !number(w, 3, status) || !text(w, 4, description) || !text(w, 5, seconds))
            return false;
        const ListRowSeen* row = n >= 0 && size_t(n) < rows.size() ? &rows[size_t(n)] : nullptr;
        if (!row)
            expectationFailed("no row " + std::to_string(n) + " (" + std::to_string(rows.size()) + " rows)");
        else if (statusOfImage(row->image) != status || row->description != description ||
                 row->seconds != seconds)
            expectationFailed("row is" + rowLine(size_t(n), *row).substr(1) + ", expected status " +
                              std::to_string(status) + " " + displayed(description) + " " +
                              displayed(seconds));
        return true;
    }
    if (w[1].text == "clipboard" && w.size() == 3) {
        const std::optional<std::string> got = desktop.clipboardText();
        std::optional<std::string> expected;
        if (w[2].quoted)
            expected = w[2].text;
        else if (w[2].text != "empty")
            return fail("use: expect clipboard \"TEXT\"|empty");
        if (got != expected)
            expectationFailed("the clipboard holds " + (got ? displayed(*got) : std::string("nothing")) +
                              ", expected " + (expected ? displayed(*expected) : std::string("nothing")));
        return true;
    }
    if (w[1].text == "file" && w.size() == 4) {
        std::string name;
        std::string expected;
        if (!text(w, 2, name) || !text(w, 3, expected)) return false;
        const std::optional<std::string> got = readFileBytes(name);
        if (got != expected)
            expectationFailed("file " + displayed(name) +
                              (got ? " holds " + displayed(*got) : " is missing") + ", expected " +
                              displayed(expected));
        return true;
    }
    if (w[1].text == "import-dialog" && w.size() == 3 && (w[2].text == "open" || w[2].text == "closed")) {
        const bool open = desktop.importDialogOpen();
        if (open != (w[2].text == "open"))
            expectationFailed(std::string("the import options dialog is ") + (open ? "open" : "closed"));
        return true;
    }
    return fail(
        "use: expect rows N | row ROW STATUS \"DESCRIPTION\" \"SECONDS\" | clipboard \"TEXT\"|empty | "
        "file \"NAME\" \"BYTES\" | import-dialog open|closed");
}

} // namespace brio::host
