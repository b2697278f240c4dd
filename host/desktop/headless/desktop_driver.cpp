// The headless desktop as the host drives it: the virtual clock, message boxes, made-up page windows.
#include "host/desktop/desktop_driver.h"

#include <unistd.h>

#include "host/common/heap_meter.h"
#include "platform/headless/driver.h"

namespace brio::host {

namespace {

std::string iconName(platform::MessageIcon icon) {
    switch (icon) {
    case platform::MessageIcon::Warning:
        return "warning";
    case platform::MessageIcon::Error:
        return "error";
    case platform::MessageIcon::Information:
        return "information";
    default:
        return "none";
    }
}

class HeadlessDriver final : public DesktopDriver {
public:
    explicit HeadlessDriver(std::function<void(const MessageBoxSeen&)> onMessageBox)
        : onMessageBox_(std::move(onMessageBox)) {
        observe();
    }
    ~HeadlessDriver() override { headless::onMessage(nullptr); }

    // What runs the plug-in's code (its timers, its window procedures) is charged to the plug-in.
    void advance(uint64_t ms) override {
        const heap::PluginRuns plugin;
        headless::advance(ms);
    }

    int32_t openPageWindow() override { return nextWindow_++; }
    void closePageWindow(int32_t window) override {
        const heap::PluginRuns plugin;
        headless::destroyChildWindowsOf(window);
    }

    size_t pluginUnloaded() override {
        const size_t left = headless::runningTimers();
        headless::reset(); // also forgets the observer
        observe();
        return left;
    }

    bool stdinIsTerminal() const override { return isatty(STDIN_FILENO) != 0; }

    int32_t statusImageList() override { return kStatusImageList; }

    bool listViewPresent() override { return headless::listViewExists(); }
    std::vector<ListRowSeen> listViewRows() override {
        std::vector<ListRowSeen> rows;
        for (const headless::ListViewRow& r : headless::listViewRows())
            rows.push_back({r.image, r.selected, r.focused, r.description, r.seconds});
        return rows;
    }
    std::vector<int32_t> listViewColumnWidths() override { return headless::listViewColumnWidths(); }
    bool clickRow(int32_t row) override {
        const heap::PluginRuns plugin;
        return headless::clickListRow(row);
    }
    bool selectRows(const std::vector<int32_t>& rows) override {
        const heap::PluginRuns plugin;
        return headless::selectListRows(rows);
    }
    bool rightClickRow(int32_t row, int32_t choose, std::vector<std::string>& menuItems) override {
        const heap::PluginRuns plugin;
        return headless::rightClickListRow(row, choose, menuItems);
    }
    bool clickColumn(int32_t column) override {
        const heap::PluginRuns plugin;
        return headless::clickListColumn(column);
    }
    bool editLabel(int32_t row, const std::optional<std::string>& text) override {
        const heap::PluginRuns plugin;
        return headless::editListLabel(row, text);
    }
    bool dragOnto(int32_t target, DropPart part) override {
        // The headless list view shows no state icons, so nothing can be dropped on one.
        if (part == DropPart::StateIcon) return false;
        const heap::PluginRuns plugin;
        return headless::dragListRowsOnto(target, part == DropPart::Icon);
    }
    bool setColumnWidth(int32_t column, int32_t width) override {
        const heap::PluginRuns plugin;
        return headless::setListViewColumnWidth(column, width);
    }
    void setWorkInsideBoxes(std::function<InsideBox()> next) override { insideBoxes_ = std::move(next); }
    void answerQuestion(bool yes) override { headless::answerQuestion(yes); }
    void setFileDialogObserver(std::function<void(const FileDialogSeen&)> observer) override {
        onFileDialog_ = std::move(observer);
    }
    void setFileDialogRefusedObserver(std::function<void()> observer) override {
        onFileDialogRefused_ = std::move(observer);
    }
    void setFileDialogAnswer(const std::optional<FileDialogAnswer>& answer) override {
        answer_ = answer;
        headless::answerFileDialogs(chosen());
    }
    bool importDialogOpen() override { return headless::importDialogOpen(); }
    bool answerImportDialog(int32_t checked, const std::string& seconds, bool ok) override {
        const heap::PluginRuns plugin;
        return headless::answerImportDialog(checked, seconds, ok);
    }
    int32_t statusIconHandle(int32_t image) override {
        return image >= 0 && image < kStatusImages ? kFirstIcon + image : 0;
    }

    std::optional<std::string> clipboardText() override { return headless::clipboardText(); }
    void holdClipboard(bool held) override { headless::holdClipboard(held); }

private:
    // After every reset of the headless desktop (which forgets observers and answers).
    void observe() {
        headless::onMessage([this](const headless::ShownMessage& m) {
            // The box is the desktop's, and what the user does in it the host's (its messages to the
            // plug-in are the plug-in's again).
            const heap::HostRuns host;
            if (onMessageBox_) onMessageBox_(MessageBoxSeen{m.title, m.text, iconName(m.icon), m.question});
            // The headless box is open for as long as this call lasts: its work runs here.
            if (insideBoxes_)
                if (const InsideBox work = insideBoxes_()) work();
        });
        headless::onFileDialog([this](const platform::FileDialogRequest& r) {
            if (!onFileDialog_) return;
            FileDialogSeen seen{r.save, {}, r.defaultExtension};
            for (const platform::FileFilter& f : r.filters)
                seen.filters.emplace_back(f.label, f.pattern);
            onFileDialog_(seen);
        });
        headless::onFileDialogRefused([this] {
            if (onFileDialogRefused_) onFileDialogRefused_();
        });
        headless::answerFileDialogs(chosen());
    }

    std::optional<platform::ChosenFile> chosen() const {
        if (!answer_) return std::nullopt;
        return platform::ChosenFile{answer_->path, answer_->filter};
    }

    static constexpr int32_t kStatusImageList = 0x1AA0; // any handle: nothing headless draws icons
    static constexpr int32_t kFirstIcon = 0x1C00;

    std::function<void(const MessageBoxSeen&)> onMessageBox_;
    std::function<InsideBox()> insideBoxes_;
    std::function<void(const FileDialogSeen&)> onFileDialog_;
    std::function<void()> onFileDialogRefused_;
    std::optional<FileDialogAnswer> answer_;
    int32_t nextWindow_ = 0x1000;
};

} // namespace

std::unique_ptr<DesktopDriver>
DesktopDriver::create(std::function<void(const MessageBoxSeen&)> onMessageBox) {
    return std::make_unique<HeadlessDriver>(std::move(onMessageBox));
}

} // namespace brio::host
