#include "host/model/config_store.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "host/common/cp1250.h"

namespace brio::host {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

int32_t readInteger(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    uint32_t value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        value = value * 10u + uint32_t(text[i++] - '0');
    return static_cast<int32_t>(negative ? 0u - value : value);
}

std::string escapeValue(std::string_view bytes) {
    // Spaces at the ends are escaped so that the reader may trim the line.
    size_t first = 0;
    while (first < bytes.size() && bytes[first] == ' ')
        ++first;
    size_t last = bytes.size();
    while (last > first && bytes[last - 1] == ' ')
        --last;
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        const bool endSpace = b == ' ' && (i < first || i >= last);
        if (b == '\\' || b < 0x20 || b == 0x7F || endSpace || cp1250CodePoint(b) == 0) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", b);
            out += buf;
        } else if (b < 0x80) {
            out += static_cast<char>(b);
        } else {
            out += cp1250ToUtf8(bytes.substr(i, 1));
        }
    }
    return out;
}

std::string escapeKey(std::string_view bytes) {
    // As a value, and also every "=" (the first one on a line ends the key) and a "#" in front (which
    // would make the line a comment).
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '=' || (i == 0 && bytes[i] == '#'))
            out += bytes[i] == '=' ? "\\x3D" : "\\x23";
        else
            out += escapeValue(bytes.substr(i, 1));
    }
    return out;
}

bool unescapeValue(std::string_view text, std::string& bytes, std::string& error) {
    bytes.clear();
    std::string run; // UTF-8 between escapes
    auto flush = [&]() {
        std::string converted;
        if (!utf8ToCp1250(run, converted, error)) return false;
        bytes += converted;
        run.clear();
        return true;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            run += text[i];
            continue;
        }
        const bool complete = i + 3 < text.size() && text[i + 1] == 'x';
        const int hi = complete ? hexDigit(text[i + 2]) : -1;
        const int lo = complete ? hexDigit(text[i + 3]) : -1;
        if (hi < 0 || lo < 0) {
            error = "a backslash must start \\xNN";
            return false;
        }
        if (!flush()) return false;
        bytes += static_cast<char>(hi * 16 + lo);
        i += 3;
    }
    return flush();
}

void ConfigStore::load(std::vector<std::string>& problems) {
    if (path_.empty()) return; // values live in memory only
    values_.clear();
    std::ifstream in(path_, std::ios::binary);
    if (!in) return;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const std::string_view l = trim(line);
        if (l.empty() || l.front() == '#') continue;
        const size_t eq = l.find('=');
        const std::string_view keyText =
            eq == std::string_view::npos ? std::string_view() : trim(l.substr(0, eq));
        std::string key;
        std::string bytes;
        std::string error;
        if (eq == std::string_view::npos) {
            error = "no \"=\"";
        } else if (keyText.empty()) {
            error = "no key before \"=\"";
        } else if (unescapeValue(keyText, key, error) &&
                   unescapeValue(trim(l.substr(eq + 1)), bytes, error)) {
            values_[key] = bytes;
            continue;
        }
        problems.push_back("line " + std::to_string(number) + ": " + error + "; line skipped");
    }
}

bool ConfigStore::save(std::string& error) const {
    if (path_.empty()) return true;
    std::ostringstream out;
    out << "# brio-host configuration: key = value, CP1250 texts as UTF-8, \\xNN for other bytes\n";
    for (const auto& [key, value] : values_) {
        out << escapeKey(key) << " =";
        if (!value.empty()) out << ' ' << escapeValue(value);
        out << '\n';
    }
    std::ofstream file(path_, std::ios::binary | std::ios::trunc);
    file << out.str();
    file.flush();
    if (!file) {
        error = "cannot write " + path_;
        return false;
    }
    return true;
}

void ConfigStore::removeFile() const {
    if (!path_.empty()) std::remove(path_.c_str());
}

void ConfigStore::registerColumn(const Column& column) {
    for (Column& c : columns_) {
        if (c.id == column.id) {
            c = column;
            return;
        }
    }
    columns_.push_back(column);
}

const Column* ConfigStore::column(int32_t id) const {
    for (const Column& c : columns_)
        if (c.id == id) return &c;
    return nullptr;
}

const Column* ConfigStore::columnByKey(std::string_view key) const {
    for (const Column& c : columns_)
        if (c.key == key) return &c;
    return nullptr;
}

const std::string* ConfigStore::stored(std::string_view key) const {
    auto it = values_.find(std::string(key));
    return it == values_.end() ? nullptr : &it->second;
}

int32_t ConfigStore::readInt(const Column& column) const {
    if (const std::string* v = stored(column.key)) return readInteger(*v);
    return column.kind == 0 ? column.defaultInt : readInteger(column.defaultText);
}

std::string ConfigStore::readText(const Column& column) const {
    if (const std::string* v = stored(column.key)) return *v;
    return column.kind == 0 ? std::to_string(column.defaultInt) : column.defaultText;
}

} // namespace brio::host
