#include "formats/autostatus.h"

#include <algorithm>

#include "formats/integer.h"
#include "formats/list_text.h"

namespace brio {

namespace {

constexpr std::string_view kHeader = "# PowerGG - plik AutoStatusu\r\n"
                                     "# Oficjalna strona programu: http://www.powergg.net\r\n"
                                     "# Plik wygenerowany za pomocą Brio (Norvane)\r\n"
                                     "# Strona projektu: https://brio.norvane.net/\r\n"
                                     "\r\n";

bool sameKey(std::string_view key, std::string_view expected) {
    return key.size() == expected.size() &&
           std::equal(key.begin(), key.end(), expected.begin(),
                      [](char a, char b) { return (a >= 'A' && a <= 'Z' ? char(a - 'A' + 'a') : a) == b; });
}

// The next line of `text`, without its LF and a CR before it; `text` moves past it.
std::string_view nextLine(std::string_view& text) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (end != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

bool skipped(std::string_view line) {
    return line.empty() || line[0] == ';' || line[0] == '#';
}

} // namespace

std::string_view autoStatusHeader() {
    return kHeader;
}

std::string autoStatusRecord(const StatusEntry& e) {
    return "status=" + std::to_string(e.status) + "\r\ntime=" + std::to_string(e.seconds) +
           "\r\ntext=" + e.description + "\r\n\r\n";
}

std::string writeAutoStatus(const std::vector<StatusEntry>& entries) {
    std::string out(kHeader);
    for (const StatusEntry& e : entries)
        out += autoStatusRecord(e);
    return out;
}

std::vector<StatusEntry> readAutoStatus(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::vector<StatusEntry> entries;
    StatusEntry current; // position 0, 10 seconds until the file says otherwise
    while (!text.empty()) {
        const std::string_view line = nextLine(text);
        if (skipped(line)) continue;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        if (sameKey(key, "status")) {
            current.status = readInteger(value);
        } else if (sameKey(key, "time")) {
            current.seconds = readSeconds(value);
        } else if (sameKey(key, "text")) {
            current.description = std::string(value.substr(0, kListFieldLimit));
            entries.push_back(current);
        }
    }
    return entries;
}

bool onlyCommentsIn(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    while (!text.empty())
        if (!skipped(nextLine(text))) return false;
    return true;
}

} // namespace brio
