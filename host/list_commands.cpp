// The list view and the clipboard as the user works them: the `list`, `clipboard` and
// `expect row|rows|clipboard` commands.
#include "host/cp1250.h"
#include "host/interpreter.h"

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
            return true;
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
    return fail("use: expect rows N | row ROW STATUS \"DESCRIPTION\" \"SECONDS\" | clipboard \"TEXT\"|empty");
}

} // namespace brio::host
