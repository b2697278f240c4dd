#include "host/model/contacts.h"

#include <algorithm>
#include <cstring>

namespace brio::host {

Contact& Contacts::add(int32_t id) {
    Contact& c = contacts_[id];
    c.id = id;
    return c;
}

Contact* Contacts::find(int32_t id) {
    auto it = contacts_.find(id);
    return it == contacts_.end() ? nullptr : &it->second;
}

std::string Contacts::columnName(int32_t column) {
    switch (column) {
    case kContactStatus:
        return "status";
    case kContactName:
        return "name";
    case kContactDescription:
        return "description";
    default:
        return "column " + std::to_string(column);
    }
}

char* CopyLedger::handOut(std::string_view bytes, std::string label) {
    auto text = std::make_unique<char[]>(bytes.size() + 1);
    std::memcpy(text.get(), bytes.data(), bytes.size());
    text[bytes.size()] = '\0';
    char* address = text.get();
    held_[address] = Held{Copy{next_++, std::move(label)}, std::move(text)};
    return address;
}

CopyLedger::Release CopyLedger::release(const char* address, Copy& copy) {
    auto it = held_.find(address);
    if (it != held_.end()) {
        copy = it->second.copy;
        // The block stays allocated, so that no later copy gets its address, but its text is gone as
        // it would be from a host that freed it: a plug-in reading it after the release reads garbage.
        char* text = it->second.text.get();
        std::memset(text, 0xDD, std::strlen(text));
        released_[address] = std::move(it->second);
        held_.erase(it);
        return Release::Ok;
    }
    auto gone = released_.find(address);
    if (gone != released_.end()) {
        copy = gone->second.copy;
        return Release::Twice;
    }
    return Release::Unknown;
}

std::vector<CopyLedger::Copy> CopyLedger::outstanding() const {
    std::vector<Copy> copies;
    for (const auto& [address, held] : held_)
        copies.push_back(held.copy);
    std::sort(copies.begin(), copies.end(), [](const Copy& a, const Copy& b) { return a.number < b.number; });
    return copies;
}

void CopyLedger::forget() {
    held_.clear();
    released_.clear();
}

} // namespace brio::host
