// The contacts table (table 1) and the accounting of the text copies the host hands out from it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace brio::host {

// Column numbers of the contacts table.
constexpr int32_t kContactStatus = 2;
constexpr int32_t kContactName = 8;
constexpr int32_t kContactDescription = 18;

struct Contact {
    int32_t id = 0;
    std::string name; // CP1250
    int32_t status = 0;
    std::string description;
};

class Contacts {
public:
    Contact& add(int32_t id); // the existing one when the id is taken
    Contact* find(int32_t id);
    const std::map<int32_t, Contact>& all() const { return contacts_; }

    // The name of a column for the transcript ("name", "status", "description" or "column N").
    static std::string columnName(int32_t column);

private:
    std::map<int32_t, Contact> contacts_;
};

// Every text copy handed to the plug-in that it must give back with releaseString.
class CopyLedger {
public:
    struct Copy {
        int number;        // 1, 2, ... in order of handing out: what the transcript names
        std::string label; // what was copied, e.g. "contact 5 name"
    };

    // A fresh zero-terminated copy of `bytes`; the host keeps it until it is released.
    char* handOut(std::string_view bytes, std::string label);
    // The number of the copy handed out last.
    int lastNumber() const { return next_ - 1; }

    enum class Release { Ok, Twice, Unknown };
    // Takes back the copy at `address`; `copy` tells which one it was (for Ok and Twice). The block is
    // kept until forget(), so that its address is never handed out again and a stale pointer given
    // back later is seen as a second release, not taken for a newer copy.
    Release release(const char* address, Copy& copy);

    // Copies not given back yet, oldest first; forget() frees them.
    std::vector<Copy> outstanding() const;
    void forget();

private:
    struct Held {
        Copy copy;
        std::unique_ptr<char[]> text;
    };
    int next_ = 1;
    std::map<const char*, Held> held_;
    std::map<const char*, Held> released_; // to tell a second release from a stray address
};

} // namespace brio::host
