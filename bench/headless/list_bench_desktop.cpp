// The headless desktop: its list view's own operations are the bare ones.
#include <time.h>

#include <vector>

#include "bench/list_bench_desktop.h"
#include "platform/headless/driver.h"
#include "platform/list_view.h"

namespace brio::bench {

namespace {

class NoEvents final : public platform::ListViewEvents {
public:
    void onClick() override {}
    void onRightClick() override {}
    void onColumnClick(int32_t) override {}
    void onBeginLabelEdit(int32_t, int32_t) override {}
    void onEndLabelEdit(int32_t, int32_t, const char*) override {}
    void onBeginDrag(platform::Point) override {}
    void onPointerMove(platform::Point) override {}
    void onButtonUp(platform::Point) override {}
    void onMenuCommand(int32_t) override {}
};

class HeadlessBareListView final : public BareListView {
public:
    explicit HeadlessBareListView(std::unique_ptr<platform::ListViewControl> view) : view_(std::move(view)) {}

    int32_t rowCount() const override { return view_->rowCount(); }

    void insert(int32_t at, int32_t image, std::string_view description, std::string_view seconds) override {
        const int32_t row = view_->insertRow(at, image, description, {});
        view_->setText(row, 1, seconds);
    }

    size_t readAll() const override {
        size_t bytes = 0;
        for (int32_t row = 0, count = view_->rowCount(); row < count; ++row) {
            const platform::RowRead read = view_->readRow(row, 1024);
            bytes += read.text.size() + size_t(read.image) + view_->text(row, 1, 1024).size();
        }
        return bytes;
    }

    void sortByDescription() override {
        std::vector<std::string> keys;
        for (int32_t row = 0, count = view_->rowCount(); row < count; ++row)
            keys.push_back(view_->text(row, 0, 2048));
        view_->sortRows([&](int32_t a, int32_t b) { return keys[size_t(a)].compare(keys[size_t(b)]); });
    }

    // The newest list view is this one while it exists: the driver selects as the user would.
    void selectEveryOther() override {
        std::vector<int32_t> rows;
        for (int32_t row = 0, count = view_->rowCount(); row < count; row += 2)
            rows.push_back(row);
        headless::selectListRows(rows);
    }

    void deleteSelected() override {
        for (int32_t row = view_->rowCount() - 1; row >= 0; --row)
            if (view_->isSelected(row)) view_->deleteRow(row);
    }

    void deleteAll() override { view_->deleteAllRows(); }

private:
    std::unique_ptr<platform::ListViewControl> view_;
};

} // namespace

const char* desktopName() {
    return "headless";
}

const char* clockName() {
    return "processor time of the process";
}

double clockSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

int runsByDefault() {
    return 5;
}

void* resourceModule() {
    return nullptr;
}

std::unique_ptr<BareListView> BareListView::create(int32_t pageWindow, int32_t hostImageList) {
    static NoEvents events;
    platform::ListViewSetup setup;
    setup.parentWindow = pageWindow;
    setup.controlId = 221;
    setup.width = 410;
    setup.height = 230;
    setup.extendedStyle = 33;
    setup.hostImageList = hostImageList;
    setup.columns = {{"Opis", 297}, {"Czas [s]", 55}};
    std::unique_ptr<platform::ListViewControl> view = platform::createListView(setup, events);
    if (!view) return nullptr;
    return std::make_unique<HeadlessBareListView>(std::move(view));
}

} // namespace brio::bench
