// The configuration table (table 0): the columns a plug-in registers and the values stored under
// their keys, kept in a readable text file between runs.
//
// The file has one "key = value" line per stored value, in key order; lines starting with # are
// comments. Keys and values are the plug-in's CP1250 bytes written as UTF-8, except that the backslash,
// control bytes, the five bytes CP1250 leaves undefined, and spaces at either end are written as
// \xNN (in keys also "=" and a "#" in front), so every byte string survives a round trip. Integers
// are stored as their decimal text.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brio::host {

struct Column {
    int32_t id = 0;
    std::string key;
    int32_t kind = 0; // 0 integer, 1 text
    int32_t defaultInt = 0;
    std::string defaultText;
};

class ConfigStore {
public:
    // The file behind the table; empty keeps values in memory only.
    void setPath(std::string path) { path_ = std::move(path); }
    const std::string& path() const { return path_; }

    // Replaces the values with the file's (no file: no values; no path: nothing changes). Lines that cannot
    // be read are skipped and described in `problems` ("line N: ...", without the path, which differs between
    // machines).
    void load(std::vector<std::string>& problems);
    // Writes every value; false with `error` when the file cannot be written.
    bool save(std::string& error) const;
    // Deletes the file.
    void removeFile() const;

    void registerColumn(const Column& column);
    void clearColumns() { columns_.clear(); }
    const Column* column(int32_t id) const;
    const Column* columnByKey(std::string_view key) const;
    const std::vector<Column>& columns() const { return columns_; }

    // Values by key, as bytes (integers as decimal text).
    const std::string* stored(std::string_view key) const;
    void set(const std::string& key, std::string bytes) { values_[key] = std::move(bytes); }
    const std::map<std::string, std::string>& values() const { return values_; }

    // What the plug-in reads: the stored value, else the column's default.
    int32_t readInt(const Column& column) const;
    std::string readText(const Column& column) const;

private:
    std::string path_;
    std::vector<Column> columns_;
    std::map<std::string, std::string> values_;
};

// A key in the file's form: as a value, and "=" and a leading "#" escaped too; read back with
// unescapeValue.
std::string escapeKey(std::string_view bytes);
// One value in the file's form, and back. unescapeValue is false, with `error`, for a bad escape,
// bad UTF-8 or a character outside CP1250.
std::string escapeValue(std::string_view bytes);
bool unescapeValue(std::string_view text, std::string& bytes, std::string& error);

// The integer reading rule: leading white space, an optional sign, decimal digits up to the first
// non-digit; 0 when there are none. Wraps like 32-bit arithmetic instead of overflowing.
int32_t readInteger(std::string_view text);

} // namespace brio::host
