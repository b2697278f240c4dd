#include "formats/list_text.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "formats/integer.h"
#include "formats/status.h"

namespace brio {

namespace {

constexpr char kStatusEnd = '\x0C';
constexpr char kSecondsEnd = '\x0D';
constexpr char kRecordEnd = '\x0E';

const char* findByte(const char* from, const char* end, char byte) {
    if (from >= end) return nullptr;
    return static_cast<const char*>(std::memchr(from, static_cast<unsigned char>(byte), size_t(end - from)));
}

// The one walk over the records, shared by every reader. Each delimiter is searched from where the
// previous one was found, so the whole text is looked at once. `sink` gets (position, seconds,
// description). A record that lacks its 0x0D or 0x0E (the writer never leaves one out) ends the walk and
// is dropped; the records before it are kept.
template <class Sink> void walkRecords(std::string_view text, Sink&& sink) {
    const char* const end = text.data() + text.size();
    const char* p = text.data();
    int32_t previousStatus = 0; // what a first record with a bad status field gets
    while (p < end) {
        const char* statusEnd = findByte(p, end, kStatusEnd);
        if (!statusEnd) return;
        const char* secondsEnd = findByte(statusEnd + 1, end, kSecondsEnd);
        if (!secondsEnd) return;
        const char* recordEnd = findByte(secondsEnd + 1, end, kRecordEnd);
        if (!recordEnd) return;

        int32_t status = readInteger(std::string_view(p, size_t(statusEnd - p)));
        if (!isStatusPosition(status)) status = previousStatus;
        previousStatus = status;
        int32_t seconds = readInteger(std::string_view(statusEnd + 1, size_t(secondsEnd - statusEnd - 1)));
        if (seconds < kMinimumSeconds) seconds = kMinimumSeconds;
        sink(status, seconds, std::string_view(secondsEnd + 1, size_t(recordEnd - secondsEnd - 1)));
        p = recordEnd + 1;
    }
}

// A column text as the editor hands it over: through a 1024-byte C buffer, so it ends at a NUL byte
// and holds at most 1023 bytes.
std::string_view columnText(const std::string& text) {
    std::string_view view(text.data(), std::min(text.size(), kListFieldLimit));
    if (const void* nul = std::memchr(view.data(), 0, view.size()))
        view = view.substr(0, size_t(static_cast<const char*>(nul) - view.data()));
    return view;
}

// Appends a description with every 0x0E written as a blank. Read back, a 0x0E would end the record in
// the middle of the description and turn its tail into the next record's status field, garbling that
// record and possibly those after it; a blank costs one character of this one description instead.
void appendDescription(std::string& out, std::string_view description) {
    const char* p = description.data();
    const char* const end = p + description.size();
    while (const char* cut = findByte(p, end, kRecordEnd)) {
        out.append(p, size_t(cut - p));
        out += ' ';
        p = cut + 1;
    }
    out.append(p, size_t(end - p));
}

} // namespace

std::string writeListText(const std::vector<ListRow>& rows) {
    size_t bound = 0; // exact unless a column text holds a NUL byte
    for (const ListRow& row : rows)
        bound += 4 + std::min(row.seconds.size(), kListFieldLimit) +
                 std::min(row.description.size(), kListFieldLimit);
    std::string text;
    text.reserve(bound);
    for (const ListRow& row : rows) {
        text += isStatusPosition(row.status) ? char('0' + row.status) : '5';
        text += kStatusEnd;
        text += columnText(row.seconds);
        text += kSecondsEnd;
        appendDescription(text, columnText(row.description));
        text += kRecordEnd;
    }
    return text;
}

void parseListText(std::string_view text, const std::function<void(const StatusEntry&)>& record) {
    walkRecords(text, [&](int32_t status, int32_t seconds, std::string_view description) {
        record(StatusEntry{status, std::string(description), seconds});
    });
}

std::vector<ListRow> readListRows(std::string_view text) {
    std::vector<ListRow> rows;
    walkRecords(text, [&](int32_t status, int32_t seconds, std::string_view description) {
        char digits[16];
        char* digitsEnd = std::to_chars(digits, digits + sizeof digits, seconds).ptr;
        rows.push_back(ListRow{status, std::string(digits, digitsEnd), std::string(description)});
    });
    return rows;
}

std::vector<StatusEntry> buildCycleList(std::string_view text) {
    std::vector<StatusEntry> entries;
    walkRecords(text, [&](int32_t status, int32_t seconds, std::string_view description) {
        entries.push_back(StatusEntry{hostStatusNumber(status), std::string(description), seconds});
    });
    return entries;
}

} // namespace brio
