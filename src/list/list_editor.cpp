#include "list/list_editor.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "boundary/action_ids.h"
#include "boundary/host_gateway.h"
#include "boundary/messages.h"
#include "boundary/settings.h"
#include "formats/column_widths.h"
#include "formats/integer.h"
#include "formats/list_text.h"
#include "formats/status.h"
#include "platform/clipboard.h"
#include "resources/resource_ids.h"

namespace brio {

namespace {

// An entry is read from a row through buffers of this size; sorting, moving and label editing use the
// larger one.
constexpr size_t kEntryBuffer = 1024;
constexpr size_t kMoveBuffer = 2048;

constexpr int32_t kDefaultPosition = 5; // the icon of rows whose status is not one of the first five

std::string decimal(int32_t value) {
    return std::to_string(value);
}

// Byte by byte as unsigned values; a text that is a prefix of the other sorts first.
int compareBytes(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

// A text's first eight bytes as one number, so that comparing the numbers orders the texts as
// compareBytes does as far as those bytes go (a shorter text's missing bytes count as zeros).
uint64_t headOf(std::string_view text) {
    uint64_t head = 0;
    for (size_t i = 0; i < 8; ++i)
        head = head << 8 | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
    return head;
}

struct SortKey {
    uint64_t head;
    int32_t row;
};

// Changes of many rows are drawn once, at the end: a list view that redraws and scrolls after each row
// takes far longer than the change itself.
class RedrawPause {
public:
    explicit RedrawPause(platform::ListViewControl& view) : view_(view) { view_.setRedraw(false); }
    ~RedrawPause() { view_.setRedraw(true); }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;

private:
    platform::ListViewControl& view_;
};

} // namespace

std::unique_ptr<ListEditor> ListEditor::create(const HostGateway& host, int32_t parentWindow,
                                               int32_t controlId, void* instance, int32_t x, int32_t y,
                                               uint32_t extendedStyle) {
    std::unique_ptr<ListEditor> editor(new ListEditor(host));
    const ColumnWidths widths = readColumnWidths(host.readText(setting::kColWidth));
    platform::ListViewSetup setup;
    setup.parentWindow = parentWindow;
    setup.controlId = controlId;
    setup.instance = instance;
    setup.x = x;
    setup.y = y;
    setup.width = kListViewWidth;
    setup.height = kListViewHeight;
    setup.extendedStyle = extendedStyle;
    setup.hostImageList = host.send(msg::kStatusImageList, 0, 0, 1, 0);
    setup.columns = {{"Opis", widths.description}, {"Czas [s]", widths.seconds}};
    editor->view_ = platform::createListView(setup, *editor);
    if (!editor->view_) return nullptr;
    for (int32_t position = 0; position < kStatusCount; ++position)
        editor->statusImages_[size_t(position)] =
            host.send(msg::kStatusIconIndex, 0, 0, statusIconId(hostStatusNumber(position)), 1);
    return editor;
}

ListEditor::~ListEditor() = default;

int32_t ListEditor::window() const {
    return view_->window();
}

int32_t ListEditor::imageOf(int32_t position) const {
    return statusImages_[size_t(position >= 0 && position < kDefaultPosition ? position : kDefaultPosition)];
}

int32_t ListEditor::positionOf(int32_t image) const {
    for (int32_t position = 0; position < kStatusCount; ++position)
        if (statusImages_[size_t(position)] == image) return position;
    return kDefaultPosition;
}

int32_t ListEditor::insertEntry(int32_t at, const StatusEntry& entry) {
    // Everything the row needs is made before it comes: a new row never lacks its seconds.
    const std::string seconds = decimal(entry.seconds);
    const int32_t row = view_->insertRow(at, imageOf(entry.status), entry.description, {});
    if (row < 0) return row;
    pickedRowInserted(row);
    view_->setText(row, 1, seconds);
    return row;
}

// The picked row is followed wherever rows come, go or move, so that "Zmień" writes over the row the
// user picked and no other; once that row is gone, nothing is picked.
void ListEditor::pickedRowInserted(int32_t row) {
    if (pickedRow_ >= 0 && row <= pickedRow_) ++pickedRow_;
}

void ListEditor::pickedRowDeleted(int32_t row) {
    if (pickedRow_ == row)
        pickedRow_ = -1;
    else if (pickedRow_ > row)
        --pickedRow_;
}

// Rows appended in one go all stay or all go: rows come only at the end, so taking back those past
// `count` leaves the rows as they were.
void ListEditor::appendWhole(const std::function<void()>& appendRows) {
    const RedrawPause pause(*view_);
    const int32_t count = view_->rowCount();
    try {
        appendRows();
    } catch (...) {
        for (int32_t row = view_->rowCount() - 1; row >= count; --row)
            view_->deleteRow(row);
        throw;
    }
}

void ListEditor::loadListText(std::string_view text) {
    appendWhole([&] {
        parseListText(text, [&](const ListRecord& r) {
            append({r.position, std::string(r.description), r.seconds});
        });
    });
}

std::string ListEditor::saveListText() const {
    std::vector<ListRow> rows;
    const int32_t count = view_->rowCount();
    rows.reserve(size_t(std::max(count, 0)));
    for (int32_t row = 0; row < count; ++row) {
        const platform::RowRead read = view_->readRow(row, kEntryBuffer);
        rows.push_back({positionOf(read.image), view_->text(row, 1, kEntryBuffer), read.text});
    }
    return writeListText(rows);
}

int32_t ListEditor::rowCount() const {
    return view_->rowCount();
}

StatusEntry ListEditor::entryAt(int32_t row) const {
    const platform::RowRead read = view_->readRow(row, kEntryBuffer);
    return {positionOf(read.image), read.text, readInteger(view_->text(row, 1, kEntryBuffer))};
}

void ListEditor::append(const StatusEntry& entry) {
    insertEntry(view_->rowCount(), entry);
}

void ListEditor::appendAll(const std::vector<StatusEntry>& entries) {
    appendWhole([&] {
        for (const StatusEntry& entry : entries)
            append(entry);
    });
}

void ListEditor::replacePicked(const StatusEntry& entry) {
    // The picked row was followed since the pick; with it gone nothing is picked. The new row stays
    // the picked one.
    // The new row comes before the old one goes, so that a row that cannot be made leaves the old one.
    const int32_t picked = pickedRow_;
    if (picked < 0 || picked >= view_->rowCount()) return;
    const int32_t row = insertEntry(picked, entry);
    if (row < 0) return;
    view_->deleteRow(row + 1);
    pickedRow_ = row;
}

StatusEntry ListEditor::pick() {
    const int32_t row = view_->nextFocused(-1);
    StatusEntry entry = row < 0 ? StatusEntry{} : entryAt(row);
    pickedRow_ = row; // once the row is read: a pick that fails leaves the earlier one
    return entry;
}

StatusEntry ListEditor::focusedEntry(int32_t& row) const {
    row = view_->nextFocused(-1);
    return row < 0 ? StatusEntry{} : entryAt(row);
}

// "Duplikuj" and "Kopiuj" act on the focused row, which a right-click may have moved away from the row
// whose values fill the page's fields: "Zmień" keeps writing to that one, so that a copy never takes the
// place of the row the user clicked.
void ListEditor::duplicate() {
    int32_t row;
    const StatusEntry entry = focusedEntry(row);
    insertEntry(row + 1, entry);
}

void ListEditor::copy() {
    int32_t row;
    const StatusEntry entry = focusedEntry(row);
    const std::string text = decimal(entry.status) + '\t' + entry.description + '\t' + decimal(entry.seconds);
    platform::copyTextToClipboard(text); // a clipboard held by another program takes nothing
}

void ListEditor::deleteSelected() {
    std::vector<int32_t> selected;
    for (int32_t row = view_->nextSelected(-1); row >= 0; row = view_->nextSelected(row))
        selected.push_back(row);
    const RedrawPause pause(*view_);
    view_->deleteRows(selected);
    // From the last, so that each position is still the row's own.
    for (auto row = selected.rbegin(); row != selected.rend(); ++row)
        pickedRowDeleted(*row);
}

void ListEditor::deleteAll() {
    view_->deleteAllRows();
    pickedRow_ = -1;
}

void ListEditor::sortBy(int32_t column) {
    sortColumn_ = column;
    const bool descending = sortToggle_ == 1;
    const RedrawPause pause(*view_);
    sortToggle_ = descending ? 2 : 1;
    // The order is worked out here, while no row moves: each row's text is read once, and rows are
    // compared by the first bytes of their texts, kept side by side, before their whole texts. Rows
    // with equal texts keep their order. The control is then given each row's place.
    const size_t count = size_t(std::max(view_->rowCount(), 0));
    std::vector<std::string> texts(count);
    std::vector<SortKey> keys(count);
    for (size_t row = 0; row < count; ++row) {
        texts[row] = view_->text(int32_t(row), sortColumn_, kMoveBuffer);
        keys[row] = {headOf(texts[row]), int32_t(row)};
    }
    std::sort(keys.begin(), keys.end(), [&texts, descending](const SortKey& a, const SortKey& b) {
        int order = a.head != b.head ? (a.head < b.head ? -1 : 1)
                                     : compareBytes(texts[size_t(a.row)], texts[size_t(b.row)]);
        if (descending) order = -order;
        return order != 0 ? order < 0 : a.row < b.row;
    });
    std::vector<int32_t> places(count);
    for (size_t place = 0; place < count; ++place)
        places[size_t(keys[place].row)] = int32_t(place);
    // A row the control did not have when the texts were read keeps its own number, outside the places.
    auto placeOf = [&places, count](int32_t row) {
        return row >= 0 && size_t(row) < count ? places[size_t(row)] : row;
    };
    const bool sorted = view_->sortRows([&placeOf](int32_t a, int32_t b) {
        const int32_t x = placeOf(a), y = placeOf(b);
        return x < y ? -1 : x > y ? 1 : 0;
    });
    if (sorted && pickedRow_ >= 0) pickedRow_ = placeOf(pickedRow_);
}

void ListEditor::storeColumnWidths() const {
    // A list view whose window went with its page answers 0 for every width; those are not the user's.
    if (!view_->window()) return;
    host_.writeText(setting::kColWidth, writeColumnWidths({view_->columnWidth(0), view_->columnWidth(1)}));
}

// --- Events ---

// The row is picked and the three fields are filled all or none: every text is made first, so that
// "Zmień" never writes fields of one row over another.
void ListEditor::onClick() {
    const int32_t row = view_->nextFocused(-1);
    const StatusEntry entry = row < 0 ? StatusEntry{} : entryAt(row);
    const std::string status = decimal(entry.status);
    const std::string seconds = decimal(entry.seconds);
    pickedRow_ = row;
    if (entry.description.empty()) return;
    host_.setActionText(action::kStatusChoice, page::kList, status);
    host_.setActionText(action::kDescription, page::kList, entry.description);
    host_.setActionText(action::kTime, page::kList, seconds);
}

void ListEditor::onRightClick() {
    const platform::Point cursor = view_->cursorOnScreen();
    const int32_t focused = view_->nextFocused(-1);
    const platform::Point origin = view_->windowOrigin();
    const platform::HitTest hit = view_->hitTest({cursor.x - origin.x, cursor.y - origin.y});
    if (focused >= 0 && focused < view_->rowCount() && hit.row >= 0) view_->showContextMenu(cursor);
}

void ListEditor::onColumnClick(int32_t column) {
    if (column == 0 || column == 1) sortBy(column);
}

void ListEditor::onBeginLabelEdit(int32_t row, int32_t column) {
    savedLabel_ = view_->text(row, column, kMoveBuffer);
}

void ListEditor::onEndLabelEdit(int32_t row, int32_t, const char* text) {
    if (!text) return; // cancelled
    const std::string_view edited(text, strnlen(text, kMoveBuffer - 1));
    view_->setText(row, 0, edited.empty() ? std::string_view(savedLabel_) : edited);
}

void ListEditor::onBeginDrag(platform::Point listPoint) {
    std::vector<int32_t> rows;
    for (int32_t row = view_->nextSelected(-1); row >= 0; row = view_->nextSelected(row))
        rows.push_back(row);
    if (rows.empty()) return; // nothing to carry
    view_->beginDrag(rows, listPoint);
    dragging_ = true;
}

void ListEditor::onPointerMove(platform::Point parentPoint) {
    if (dragging_) view_->moveDrag(parentPoint);
}

void ListEditor::onButtonUp(platform::Point parentPoint) {
    if (!dragging_) return;
    dragging_ = false;
    view_->endDrag();
    const platform::HitTest hit = view_->hitTest(view_->screenToList(view_->parentToScreen(parentPoint)));
    if (hit.row < 0) return;
    if (hit.part != platform::RowPart::Label && hit.part != platform::RowPart::StateIcon) return;
    if (view_->isSelected(hit.row)) return;
    dropOn(hit.row);
}

// Moves every selected row next to `target`, as moving them one at a time from the top would: rows from
// above land after it, rows from below before it, each group in its order, and a moved row is no longer
// selected. The new order is worked out first, with every row's text read while no row moves; the
// control is then given each row's place in one go, so that a drop happens whole or not at all.
void ListEditor::dropOn(int32_t target) {
    const int32_t count = view_->rowCount();
    if (target < 0 || target >= count) return;
    std::vector<int32_t> order(
        static_cast<size_t>(count)); // the rows by their first places, as the moves leave them
    std::vector<bool> carried(static_cast<size_t>(count)); // by place: the row is still to be moved
    for (int32_t row = 0; row < count; ++row) {
        order[size_t(row)] = row;
        carried[size_t(row)] = view_->isSelected(row);
    }
    struct Moved {
        int32_t row;
        std::string texts[2]; // as a move through a buffer leaves them
    };
    std::vector<Moved> moved;
    int32_t after = -1;
    for (;;) {
        const auto next = std::find(carried.begin() + (after + 1), carried.end(), true);
        if (next == carried.end()) break;
        const int32_t from = int32_t(next - carried.begin());
        after = from - 1;
        const int32_t at = from < target ? target + 1 : target;
        const int32_t to = std::min(at, int32_t(order.size()));
        const int32_t row = order[size_t(from)];
        moved.push_back({row, {view_->text(row, 0, kMoveBuffer), view_->text(row, 1, kMoveBuffer)}});
        order.insert(order.begin() + to, row);
        carried.insert(carried.begin() + to, false);
        if (at < from) ++target;
        const int32_t original = to <= from ? from + 1 : from;
        order.erase(order.begin() + original);
        carried.erase(carried.begin() + original);
    }
    if (moved.empty()) return;
    std::vector<int32_t> places(static_cast<size_t>(count));
    for (int32_t place = 0; place < count; ++place)
        places[size_t(order[size_t(place)])] = place;
    // A row the control did not have when the order was worked out keeps its own number.
    auto placeOf = [&places, count](int32_t row) {
        return row >= 0 && row < count ? places[size_t(row)] : row;
    };
    const RedrawPause pause(*view_);
    const bool sorted = view_->sortRows([&placeOf](int32_t a, int32_t b) {
        const int32_t x = placeOf(a), y = placeOf(b);
        return x < y ? -1 : x > y ? 1 : 0;
    });
    if (!sorted) return; // no row moved
    for (const Moved& m : moved) {
        const int32_t place = placeOf(m.row);
        view_->setText(place, 0, m.texts[0]);
        view_->setText(place, 1, m.texts[1]);
        view_->setSelected(place, false);
    }
    if (pickedRow_ >= 0) pickedRow_ = placeOf(pickedRow_); // the picked row moves with its row
}

void ListEditor::onMenuCommand(int32_t command) {
    switch (command) {
    case IDM_DUPLICATE:
        duplicate();
        break;
    case IDM_COPY:
        copy();
        break;
    case IDM_DELETE:
        deleteSelected();
        break;
    case IDM_DELETE_ALL:
        deleteAll();
        break;
    default:
        break;
    }
}

} // namespace brio
