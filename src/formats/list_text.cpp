#include "formats/list_text.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
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

// The two numbers in front of a record's description, as read, and where the description starts.
struct RecordHead {
    int32_t status;
    int32_t seconds;
    const char* description;
};

// A field as the writer leaves it: at most nine plain digits (too few to wrap around), then its end byte.
// Reads it and steps `p` over the end byte; anything else gives false and is left to the general path.
bool readPlainField(const char*& p, const char* end, char endByte, int32_t& value) {
    const char* q = p;
    const char* const digitsEnd = q + std::min<std::ptrdiff_t>(end - q, 9);
    uint32_t number = 0;
    for (; q < digitsEnd && unsigned(*q - '0') < 10u; ++q)
        number = number * 10u + unsigned(*q - '0');
    if (q == end || *q != endByte) return false;
    value = int32_t(number);
    p = q + 1;
    return true;
}

// Reads the status and seconds fields of the record at `p`; false when the text has no 0x0C or 0x0D for
// them. Both paths give the same numbers: digits followed by the end byte are the one case the fast path
// takes, and for them the first end byte is the one behind the digits and readInteger reads the digits.
bool readRecordHead(const char* p, const char* end, RecordHead& head) {
    // Fast path, one step over the bytes: what the writer produces.
    const char* q = p;
    if (readPlainField(q, end, kStatusEnd, head.status) &&
        readPlainField(q, end, kSecondsEnd, head.seconds)) {
        head.description = q;
        return true;
    }
    // General path: white space, signs, long digit runs or any other bytes in the fields.
    const char* statusEnd = findByte(p, end, kStatusEnd);
    if (!statusEnd) return false;
    const char* secondsEnd = findByte(statusEnd + 1, end, kSecondsEnd);
    if (!secondsEnd) return false;
    head.status = readInteger(std::string_view(p, size_t(statusEnd - p)));
    head.seconds = readInteger(std::string_view(statusEnd + 1, size_t(secondsEnd - statusEnd - 1)));
    head.description = secondsEnd + 1;
    return true;
}

// The one walk over the records, shared by every reader; the text is looked at once (but for a field the
// fast path gives up on). `sink` gets (position, seconds, description). A record that lacks its 0x0D or 0x0E
// (the writer never leaves one out) ends the walk and is dropped; the records before it are kept.
template <class Sink> void walkRecords(std::string_view text, Sink&& sink) {
    const char* const end = text.data() + text.size();
    const char* p = text.data();
    int32_t previousStatus = 0; // what a first record with a bad status field gets
    RecordHead head;
    while (p < end && readRecordHead(p, end, head)) {
        const char* recordEnd = findByte(head.description, end, kRecordEnd);
        if (!recordEnd) return;
        const int32_t status = isStatusPosition(head.status) ? head.status : previousStatus;
        previousStatus = status;
        sink(status, std::max(head.seconds, kMinimumSeconds),
             std::string_view(head.description, size_t(recordEnd - head.description)));
        p = recordEnd + 1;
    }
}

// Copies a column text as the editor hands it over: through a 1024-byte C buffer, so it ends at a NUL byte
// and holds at most 1023 bytes. With `blankRecordEnd`, every 0x0E is written as a blank: read back, a 0x0E
// would end the record in the middle of the description and turn its tail into the next record's status
// field, garbling that record and possibly those after it; a blank costs one character of this one
// description instead. Returns the end of what was written.
char* putColumn(char* out, const std::string& column, bool blankRecordEnd) {
    const char* const in = column.data();
    const size_t size = std::min(column.size(), kListFieldLimit);
    // Texts hold neither byte as a rule, so the column is copied four bytes at a time while noting whether
    // any byte was below 0x0F (a test without a branch per word); only then is it copied again, byte by byte.
    uint32_t below = 0; // its high bit of a byte is set for a byte below 0x0F in the words seen
    size_t i = 0;
    for (; i + 4 <= size; i += 4) {
        uint32_t word;
        std::memcpy(&word, in + i, 4);
        below |= (word - 0x0F0F0F0Fu) & ~word;
        std::memcpy(out + i, &word, 4);
    }
    for (; i < size; ++i) {
        below |= static_cast<unsigned char>(in[i]) < 0x0F ? 0x80u : 0u;
        out[i] = in[i];
    }
    if ((below & 0x80808080u) == 0) return out + size;
    for (i = 0; i < size && in[i] != '\0'; ++i)
        *out++ = blankRecordEnd && in[i] == kRecordEnd ? ' ' : in[i];
    return out;
}

} // namespace

std::string writeListText(const std::vector<ListRow>& rows) {
    // The size, exact unless a column text holds a NUL byte: the text is allocated once (zeroed, which costs
    // far less than appending piece by piece), filled in place, and cut to what was written at the end.
    size_t size = 0;
    for (const ListRow& row : rows)
        size += 4 + std::min(row.seconds.size(), kListFieldLimit) +
                std::min(row.description.size(), kListFieldLimit);
    std::string text(size, '\0');
    char* out = text.data();
    for (const ListRow& row : rows) {
        *out++ = isStatusPosition(row.status) ? char('0' + row.status) : '5';
        *out++ = kStatusEnd;
        out = putColumn(out, row.seconds, false);
        *out++ = kSecondsEnd;
        out = putColumn(out, row.description, true);
        *out++ = kRecordEnd;
    }
    text.resize(size_t(out - text.data()));
    return text;
}

void parseListText(std::string_view text, const std::function<void(const ListRecord&)>& record) {
    walkRecords(text, [&](int32_t status, int32_t seconds, std::string_view description) {
        record(ListRecord{status, seconds, description});
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
