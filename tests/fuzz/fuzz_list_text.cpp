// Any text read as a list: the three readers agree, every entry is in range, and writing the rows and
// reading them again gives the same rows (cut as the writer cuts column texts).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "formats/list_text.h"
#include "formats/status.h"

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

// A column text as the writer stores it: up to a NUL byte, at most 1023 bytes.
std::string stored(const std::string& text) {
    std::string cut = text.substr(0, std::min(text.size(), brio::kListFieldLimit));
    return cut.substr(0, std::min(cut.size(), std::strlen(cut.c_str())));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);

    std::vector<brio::ListRow> rows = brio::readListRows(text);
    std::vector<brio::StatusEntry> cycle = brio::buildCycleList(text);
    std::vector<brio::StatusEntry> entries;
    brio::parseListText(text, [&](const brio::ListRecord& r) {
        entries.push_back(brio::StatusEntry{r.position, std::string(r.description), r.seconds});
    });

    check(rows.size() == cycle.size() && rows.size() == entries.size());
    size_t descriptionBytes = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        check(brio::isStatusPosition(entries[i].status));
        check(entries[i].seconds >= brio::kMinimumSeconds);
        check(rows[i] ==
              (brio::ListRow{entries[i].status, std::to_string(entries[i].seconds), entries[i].description}));
        check(cycle[i] == (brio::StatusEntry{brio::hostStatusNumber(entries[i].status),
                                             entries[i].description, entries[i].seconds}));
        check(entries[i].description.find('\x0E') == std::string::npos);
        descriptionBytes += entries[i].description.size();
    }
    check(descriptionBytes + 3 * rows.size() <= size); // every record has its three delimiters

    std::string written = brio::writeListText(rows);
    std::vector<brio::ListRow> again = brio::readListRows(written);
    check(again.size() == rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        check(again[i] == (brio::ListRow{rows[i].status, rows[i].seconds, stored(rows[i].description)}));
    check(brio::writeListText(again) == written);

    // The same bytes taken as the editor's rows, one row per line: descriptions may now hold 0x0E, which
    // must not disturb any other row.
    std::vector<brio::ListRow> edited;
    for (size_t pos = 0; pos <= size && edited.size() < 64;) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = size;
        int32_t status = pos < size ? int32_t(int8_t(data[pos])) % 8 : 0;
        edited.push_back({status, std::to_string(10 + pos), std::string(text.substr(pos, end - pos))});
        pos = end + 1;
    }
    std::vector<brio::ListRow> back = brio::readListRows(brio::writeListText(edited));
    check(back.size() == edited.size());
    for (size_t i = 0; i < edited.size(); ++i) {
        std::string description = stored(edited[i].description);
        for (char& c : description)
            if (c == '\x0E') c = ' ';
        int32_t status = brio::isStatusPosition(edited[i].status) ? edited[i].status : 5;
        check(back[i] == (brio::ListRow{status, edited[i].seconds, description}));
    }
    return 0;
}
