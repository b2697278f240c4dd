// The list editor at scale, on the desktop's own list view: each operation a user runs on a big list,
// at 5,000, 10,000, 20,000 and 40,000 rows, worked as the user works it (brio-host's desktop driver
// clicks the column, picks the context menu's commands, selects and drags rows, answers the import
// dialog), beside the bare list view operations that put the same rows into the same control.
// "Wczytaj" and "Zapisz" are timed from the file chosen on: openListFile and saveListFile are what the
// plug-in runs once the file dialog has answered, and the dialog's own time does not grow with the list.
// Every figure is the fastest of several runs (how many is the desktop's choice). Targets, printed with PASS
// or FAIL (the program exits 0 either way): no operation takes more than 2.5 times as long when the list
// doubles; loading the list text takes at most twice as long as the bare inserts of the same rows in the same
// run. To look into one operation: sizes on the command line (one run each), and BRIO_BENCH_TRACE=1 in the
// environment prints every figure as it is taken.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/list_bench_desktop.h"
#include "bench/random.h"
#include "boundary/host_control.h"
#include "boundary/host_gateway.h"
#include "boundary/messages.h"
#include "files/list_files.h"
#include "formats/autostatus.h"
#include "formats/list_text.h"
#include "formats/status.h"
#include "formats/text_list.h"
#include "host/desktop/desktop_driver.h"
#include "host/messenger/host.h"
#include "list/list_editor.h"
#include "platform/open_file.h"

namespace {

using brio::StatusEntry;
using brio::host::DesktopDriver;
namespace platform = brio::platform;

// The sizes may be given on the command line instead (to look into one operation quickly).
std::vector<int32_t> sizes = {5'000, 10'000, 20'000, 40'000};
int runs = 0; // the desktop's default unless sizes are given
constexpr int32_t kDragged = 100;
constexpr int kRepeats = 20;    // duplicates, and bare inserts near the top, timed together
constexpr int kDragRepeats = 3; // drags timed together
constexpr int32_t kControlId = 220;
constexpr uint32_t kGridAndFullRow = 33;
// The context menu's commands by their place in it.
constexpr int32_t kDuplicate = 0, kDelete = 2, kDeleteAll = 3;

using brio::bench::Random;

// Descriptions of 0 to 120 bytes, times from 10 s to an hour, every status.
std::vector<StatusEntry> entries(int32_t count) {
    static constexpr char kBytes[] = "abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789.,!?"
                                     "\xEA\xB9\xE6\xB3\xF3\x9C\x9F\xBF";
    Random random{uint32_t(count) * 2654435761u | 1u};
    std::vector<StatusEntry> list;
    for (int32_t i = 0; i < count; ++i) {
        std::string description(random.below(121), ' ');
        for (char& c : description)
            c = kBytes[random.below(sizeof kBytes - 1)];
        list.push_back({int32_t(random.below(6)), std::move(description), int32_t(10 + random.below(3591))});
    }
    return list;
}

// The host as far as the list editor asks it: the desktop's status images and icons, the plug-in's
// module, and a configuration without stored column widths.
class BenchHost final : public brio::IHostControl {
public:
    explicit BenchHost(DesktopDriver& desktop) : desktop_(desktop) {}
    int pluginId() override { return 1; }
    void* instanceHandle() override { return brio::bench::resourceModule(); }
    int hostState() override { return 0; }
    void setError(int) override {}
    int sendMessage(brio::MessageRecord* record) override {
        switch (record->id) {
        case brio::msg::kStatusImageList:
            return desktop_.statusImageList();
        case brio::msg::kStatusIconIndex:
            return brio::host::statusIconIndex(record->p1);
        case brio::msg::kStatusIconHandle: {
            const int32_t image = brio::host::statusIconIndex(record->p1);
            return image < 0 ? 0 : desktop_.statusIconHandle(image);
        }
        default:
            return 0;
        }
    }
    int sendMessageTo(int, brio::MessageRecord*) override { return 0; }
    void getValue(int, int, int, brio::ValueRecord* value) override { value->value = 0; }
    void setValue(int, int, int, brio::ValueRecord*) override {}
    void releaseString(char*) override {}

private:
    DesktopDriver& desktop_;
};

// Every operation starts with the processor's caches holding none of the list, as a click does after the
// user has been away from the list for a while: otherwise a small list would be timed from the cache and
// a big one from memory, and the difference would read as growth.
void coldCaches() {
    static std::vector<uint32_t> elsewhere(64u << 20 >> 2); // twice the biggest cache of the machines used
    static uint32_t stroke = 0;
    ++stroke;
    for (size_t i = 0; i < elsewhere.size(); i += 16)
        elsewhere[i] += stroke;
}

double seconds(const std::function<void()>& work) {
    coldCaches();
    const double start = brio::bench::clockSeconds();
    work();
    return brio::bench::clockSeconds() - start;
}

struct Figure {
    const char* label;
    bool baseline;
};

// The operations in the order printed; baselines are printed under the operations they stand beside.
enum Op {
    kLoad,
    kBareInsert,
    kSave,
    kBareRead,
    kSortUp,
    kSortDown,
    kBareSort,
    kDeleteHalf,
    kBareDeleteHalf,
    kDeleteAllRows,
    kBareDeleteAll,
    kDuplicateRow,
    kBareInsertTop,
    kDrag,
    kReadAutoStatus,
    kWriteAutoStatus,
    kTextImport,
    kOps
};

const Figure kFigures[kOps] = {
    {"load the list text", false},
    {"bare inserts", true},
    {"write the list text", false},
    {"bare reads of every row", true},
    {"sort ascending (column click)", false},
    {"sort descending (column click)", false},
    {"bare sort by column 0", true},
    {"delete every other row (menu)", false},
    {"bare deletes of those rows", true},
    {"delete all (menu)", false},
    {"bare delete of all rows", true},
    {"duplicate row 5 (menu)", false},
    {"bare insert at row 6", true},
    {"drag 100 rows from the bottom to the top", false},
    {"read an AutoStatus file (Wczytaj)", false},
    {"write an AutoStatus file (Zapisz)", false},
    {"text import (dialog answered)", false},
};

class Bench {
public:
    Bench() : driver_(DesktopDriver::create(nullptr)), host_(*driver_), gateway_(&host_) {
        // No box comes in this work; the menus are answered all the same.
        driver_->watchAlways(false);
        folder_ = std::filesystem::temp_directory_path() / "brio-list-bench";
        std::filesystem::create_directories(folder_);
    }
    ~Bench() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    bool prepare(int32_t count) {
        Input& input = inputs_[count];
        input.entries = entries(count);
        std::vector<brio::ListRow> rows;
        std::vector<std::string> descriptions;
        for (const StatusEntry& e : input.entries) {
            rows.push_back({e.status, std::to_string(e.seconds), e.description});
            descriptions.push_back(e.description);
        }
        input.listText = brio::writeListText(rows);
        input.autoStatus = path("list-" + std::to_string(count) + ".sts");
        input.textList = path("list-" + std::to_string(count) + ".txt");
        return writeFile(input.autoStatus, brio::writeAutoStatus(input.entries)) &&
               writeFile(input.textList, brio::writeTextList(descriptions));
    }

    // One run at one size; false, with a message, when the rows are not what they must be.
    bool run(int32_t count) { return runBare(count) && runEditor(count); }

    void printSummary() const;

private:
    struct Input {
        std::vector<StatusEntry> entries;
        std::string listText;
        std::string autoStatus;
        std::string textList;
    };

    std::string path(const std::string& name) const { return (folder_ / name).string(); }

    static bool writeFile(const std::string& path, const std::string& bytes) {
        uint32_t error = 0;
        const std::unique_ptr<platform::NewFile> file = platform::createFileForWriting(path, error);
        return file && file->write(bytes, error) && file->replaceOld(error);
    }

    void keep(Op op, int32_t count, double time) {
        if (std::getenv("BRIO_BENCH_TRACE"))
            std::fprintf(stderr, "\n  %s: %.3f ms", kFigures[op].label, time * 1e3);
        auto [entry, added] = best_[op].try_emplace(count, time);
        if (!added) entry->second = std::min(entry->second, time);
    }

    bool expectRows(int32_t rows, int32_t expected, const char* after) const {
        if (rows == expected) return true;
        std::printf("error: %d rows after %s, expected %d\n", rows, after, expected);
        return false;
    }

    bool runBare(int32_t count) {
        const Input& input = inputs_.at(count);
        const int32_t page = driver_->openPageWindow();
        std::unique_ptr<brio::bench::BareListView> bare =
            brio::bench::BareListView::create(page, driver_->statusImageList());
        if (!bare) {
            std::printf("error: no list view\n");
            return false;
        }
        // The editor's image for a status, as the host answers it.
        auto image = [](int32_t status) {
            return brio::host::statusIconIndex(brio::statusIconId(brio::hostStatusNumber(status)));
        };
        keep(kBareInsert, count, seconds([&] {
                 for (const StatusEntry& e : input.entries)
                     bare->insert(bare->rowCount(), image(e.status), e.description,
                                  std::to_string(e.seconds));
             }));
        if (!expectRows(bare->rowCount(), count, "the bare inserts")) return false;
        size_t bytes = 0;
        keep(kBareRead, count, seconds([&] { bytes = bare->readAll(); }));
        if (bytes == 0) return false;
        keep(kBareInsertTop, count, seconds([&] {
                                        for (int i = 0; i < kRepeats; ++i)
                                            bare->insert(6, image(0), "copy", "10");
                                    }) / kRepeats);
        keep(kBareSort, count, seconds([&] { bare->sortByDescription(); }));
        bare->selectEveryOther();
        keep(kBareDeleteHalf, count, seconds([&] { bare->deleteSelected(); }));
        if (!expectRows(bare->rowCount(), (count + kRepeats) / 2, "the bare deletes")) return false;
        keep(kBareDeleteAll, count, seconds([&] { bare->deleteAll(); }));
        bare.reset();
        driver_->closePageWindow(page);
        return true;
    }

    bool runEditor(int32_t count) {
        const Input& input = inputs_.at(count);
        const int32_t page = driver_->openPageWindow();
        std::unique_ptr<brio::ListEditor> editor = brio::ListEditor::create(
            gateway_, page, kControlId, brio::bench::resourceModule(), 0, 0, kGridAndFullRow);
        if (!editor) {
            std::printf("error: no list editor\n");
            return false;
        }
        const bool done = workEditor(*editor, input, count);
        editor.reset();
        driver_->closePageWindow(page);
        return done;
    }

    bool workEditor(brio::ListEditor& editor, const Input& input, int32_t count) {
        std::vector<std::string> menu;
        keep(kLoad, count, seconds([&] { editor.loadListText(input.listText); }));
        if (!expectRows(editor.rowCount(), count, "loading")) return false;
        std::string saved;
        keep(kSave, count, seconds([&] { saved = editor.saveListText(); }));
        if (saved != input.listText) {
            std::printf("error: the list text written differs from the one loaded\n");
            return false;
        }
        keep(kSortUp, count, seconds([&] { driver_->clickColumn(0); }));
        keep(kSortDown, count, seconds([&] { driver_->clickColumn(0); }));
        // The short operations are timed over several in a row, each figure one of them.
        keep(kDuplicateRow, count, seconds([&] {
                                       for (int i = 0; i < kRepeats; ++i)
                                           driver_->rightClickRow(5, kDuplicate, menu);
                                   }) / kRepeats);
        if (!expectRows(editor.rowCount(), count + kRepeats, "duplicating")) return false;
        std::vector<int32_t> last;
        for (int32_t row = editor.rowCount() - kDragged; row < editor.rowCount(); ++row)
            last.push_back(row);
        keep(kDrag, count, seconds([&] {
                               for (int i = 0; i < kDragRepeats; ++i) {
                                   driver_->selectRows(last);
                                   driver_->dragOnto(0, brio::host::DropPart::Label);
                               }
                           }) / kDragRepeats);
        if (!expectRows(editor.rowCount(), count + kRepeats, "dragging")) return false;
        const std::string written = path("written.sts");
        keep(kWriteAutoStatus, count, seconds([&] { brio::saveListFile(editor, {written, 1}); }));
        std::vector<int32_t> everyOther;
        for (int32_t row = 0; row < editor.rowCount(); row += 2)
            everyOther.push_back(row);
        driver_->selectRows(everyOther);
        keep(kDeleteHalf, count, seconds([&] { driver_->rightClickRow(0, kDelete, menu); }));
        if (!expectRows(editor.rowCount(), (count + kRepeats) / 2, "deleting every other row")) return false;
        keep(kDeleteAllRows, count, seconds([&] { driver_->rightClickRow(0, kDeleteAll, menu); }));
        if (!expectRows(editor.rowCount(), 0, "deleting all")) return false;

        std::unique_ptr<brio::ImportSession> waiting;
        keep(kReadAutoStatus, count, seconds([&] {
                 brio::openListFile(editor, {input.autoStatus, 1}, gateway_, waiting);
             }));
        if (!expectRows(editor.rowCount(), count, "reading the AutoStatus file")) return false;
        editor.deleteAll();
        keep(kTextImport, count, seconds([&] {
                 brio::openListFile(editor, {input.textList, 2}, gateway_, waiting);
                 driver_->answerImportDialog(0, "30", true);
             }));
        if (!expectRows(editor.rowCount(), count, "the text import")) return false;
        editor.deleteAll();
        return true;
    }

    std::unique_ptr<DesktopDriver> driver_;
    BenchHost host_;
    brio::HostGateway gateway_;
    std::filesystem::path folder_;
    std::map<int32_t, Input> inputs_;
    std::map<int, std::map<int32_t, double>> best_; // operation -> size -> fastest seconds
};

void Bench::printSummary() const {
    auto verdict = [](bool pass) { return pass ? "PASS" : "FAIL"; };
    std::printf("\nList editor at scale, %s: fastest of %d runs, in ms (%s)\n", brio::bench::desktopName(),
                runs, brio::bench::clockName());
    std::printf("%-44s", "operation (rows)");
    for (int32_t n : sizes)
        std::printf(" %9d", n);
    std::printf("   growth per doubling\n");
    for (int op = 0; op < kOps; ++op) {
        const Figure& figure = kFigures[op];
        const auto& times = best_.at(op);
        std::printf("%s%-*s", figure.baseline ? "  baseline: " : "", figure.baseline ? 32 : 44, figure.label);
        for (int32_t n : sizes)
            std::printf(" %9.2f", std::max(times.at(n), 0.0) * 1e3);
        bool linear = true;
        std::printf("  ");
        for (size_t i = 1; i < sizes.size(); ++i) {
            // A figure below the clock's step tells nothing of growth.
            const double before = times.at(sizes[i - 1]), after = times.at(sizes[i]);
            if (before <= 0 || after <= 0) {
                std::printf("     -");
                continue;
            }
            linear = linear && after / before <= 2.5;
            std::printf(" %5.2f", after / before);
        }
        if (figure.baseline)
            std::printf("  (information)\n");
        else
            std::printf("  <= 2.50 %s\n", verdict(linear));
    }
    std::printf("\nLoading against the bare inserts (time / baseline)\n%-44s", "load the list text");
    bool within = true;
    for (int32_t n : sizes) {
        const double ratio = best_.at(kLoad).at(n) / best_.at(kBareInsert).at(n);
        within = within && ratio <= 2.0;
        std::printf(" %9.2f", ratio);
    }
    std::printf("  <= 2.00 %s\n", verdict(within));
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        sizes.clear();
        for (int i = 1; i < argc; ++i)
            sizes.push_back(std::max(std::atoi(argv[i]), 2 * kDragged));
        runs = 1;
    } else {
        runs = brio::bench::runsByDefault();
    }
#ifndef __OPTIMIZE__
    std::printf("warning: built without optimisation; the figures below mean little\n");
#endif
    Bench bench;
    for (int32_t n : sizes)
        if (!bench.prepare(n)) {
            std::printf("error: cannot write the list files\n");
            return 1;
        }
    for (int run = 0; run < runs; ++run) {
        std::fprintf(stderr, "run %d of %d:", run + 1, runs);
        for (int32_t n : sizes) {
            std::fprintf(stderr, " %d rows", n);
            std::fflush(stderr); // a Windows program's stderr into a pipe is buffered
            if (!bench.run(n)) return 1;
        }
        std::fprintf(stderr, "\n");
    }
    bench.printSummary();
    return 0;
}
