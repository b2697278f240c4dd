// list/: the list editor on the "Lista" page. Uses formats/, resources/, platform/, boundary/ (and
// could use description/, cycling/, feeds/, but needs none of them).
//
// The list editor: the description list as the rows of a list view on the "Lista" page. Each row shows
// its status as an icon, the description in column 0 and the seconds in column 1. The editor reacts to
// the user in the list view (clicks, its context menu, sorting, in-place edits, drag and drop) and to
// the page's buttons, and moves the list between the rows and the list text.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formats/status_entry.h"
#include "platform/list_view.h"

namespace brio {

class HostGateway;

constexpr int32_t kListViewWidth = 410;
constexpr int32_t kListViewHeight = 230;

class ListEditor final : public platform::ListViewEvents {
public:
    // Makes the list view in the page window at (x, y), with the stored column widths and the host's
    // status icons. Null when no window could be made.
    static std::unique_ptr<ListEditor> create(const HostGateway& host, int32_t parentWindow,
                                              int32_t controlId, void* instance, int32_t x, int32_t y,
                                              uint32_t extendedStyle);
    ~ListEditor();
    ListEditor(const ListEditor&) = delete;
    ListEditor& operator=(const ListEditor&) = delete;

    int32_t window() const;

    // The rows from and to the list text; loading appends after the rows already there. Loading and
    // appendAll add every row or, when they fail part way, none.
    void loadListText(std::string_view text);
    std::string saveListText() const;

    void append(const StatusEntry& entry);
    // Appends the entries in order, as append does one by one, with the control drawn once at the end.
    void appendAll(const std::vector<StatusEntry>& entries);
    // The row picked last gives way to the entry, wherever sorts, moves, inserts and deletes have taken
    // it since; nothing happens when it has been deleted, or before any pick.
    void replacePicked(const StatusEntry& entry);
    // The focused row's entry, remembered as the picked row (the one a click fills the page's fields
    // from); the default entry when none is focused.
    StatusEntry pick();
    // The focused row's copy below it, and its text on the clipboard; neither changes the picked row.
    void duplicate();
    void copy();
    void deleteSelected();
    void deleteAll();
    void sortBy(int32_t column);

    // The column widths as they stand go to "Brio/colWidth" (when the editor goes with its page).
    void storeColumnWidths() const;

    int32_t rowCount() const;
    StatusEntry entryAt(int32_t row) const;

    // The events of the list view.
    void onClick() override;
    void onRightClick() override;
    void onColumnClick(int32_t column) override;
    void onBeginLabelEdit(int32_t row, int32_t column) override;
    void onEndLabelEdit(int32_t row, int32_t column, const char* text) override;
    void onBeginDrag(platform::Point listPoint) override;
    void onPointerMove(platform::Point parentPoint) override;
    void onButtonUp(platform::Point parentPoint) override;
    void onMenuCommand(int32_t command) override;

private:
    explicit ListEditor(const HostGateway& host) : host_(host) {}

    int32_t imageOf(int32_t position) const;
    int32_t positionOf(int32_t image) const;
    int32_t insertEntry(int32_t at, const StatusEntry& entry); // the row's position, -1 when not inserted
    StatusEntry focusedEntry(int32_t& row) const;              // row: -1 and the default entry for none
    void pickedRowInserted(int32_t row);
    void pickedRowDeleted(int32_t row);
    void dropOn(int32_t target);
    void appendWhole(const std::function<void()>& appendRows);

    const HostGateway& host_;
    std::unique_ptr<platform::ListViewControl> view_;
    std::array<int32_t, 6> statusImages_{};
    int32_t pickedRow_ = -1; // where the picked row stands now; -1 while no row is picked
    int32_t sortToggle_ = 0; // 1 after an ascending sort, 2 after a descending one
    int32_t sortColumn_ = 0;
    bool dragging_ = false;
    std::string savedLabel_; // the label as it was when its edit began
};

} // namespace brio
