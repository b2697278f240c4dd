// A host control object for unit tests: keeps a configuration table, answers messages through a
// test's own responder, and records every call with the bytes of every record it was handed.
#pragma once

#include <cstring>
#include <functional>
#include <map>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "boundary/host_control.h"
#include "boundary/host_gateway.h"
#include "boundary/records.h"

namespace brio::test {

struct SentRecord {
    int target;             // -1 for sendMessage, else the plug-in id of sendMessageTo
    MessageRecord message;  // the first 30 bytes (or fewer, zero-filled)
    std::string bytes;      // the whole record as sent, `size` bytes
    std::string p1Bytes;    // for records carried in p1: that record's bytes
    bool p1HasText = false; // for action records carried in p1: whether `text` was set
    std::string p1Text;     // ... and the text it pointed to while the call ran
    int32_t id() const { return message.id; }
};

class FakeHost : public IHostControl {
public:
    // Answers a message; the default answers 0. `target` as in SentRecord.
    std::function<int32_t(const MessageRecord&, int target)> responder;

    std::map<int32_t, int32_t> ints;      // configuration table, integer columns
    std::map<int32_t, std::string> texts; // configuration table, text columns; one never set reads ""
    std::set<int32_t> nullTexts;          // text columns answered with no text (a null address)
    std::function<bool(int32_t column)> dropStore; // a text store it answers true for is dropped
    std::map<std::pair<int32_t, int32_t>, std::string> contacts; // (contact, column) -> text
    std::vector<SentRecord> sent;
    std::vector<int> errors;
    std::vector<std::string> log; // logText lines
    int state = 0;
    int id = 77;
    int outstandingCopies = 0;
    bool writesFail = false;
    int writesToFail = 0; // the next this many stores throw std::bad_alloc, then stores work again

    int pluginId() override { return id; }
    void* instanceHandle() override { return reinterpret_cast<void*>(0x10000000); }
    int hostState() override { return state; }
    void setError(int code) override { errors.push_back(code); }

    int sendMessage(MessageRecord* record) override { return handle(record, -1); }
    int sendMessageTo(int plugin, MessageRecord* record) override { return handle(record, plugin); }

    // Every value record as it reached getValue or setValue: (table, row, column, bytes on arrival).
    struct ValueCall {
        bool set;
        int table, row, column;
        std::string bytes;
    };
    std::vector<ValueCall> valueCalls;

    void getValue(int table, int row, int column, ValueRecord* value) override {
        valueCalls.push_back(
            {false, table, row, column, std::string(reinterpret_cast<const char*>(value), 10)});
        if (table == 1) {
            auto it = contacts.find({row, column});
            value->value = 0;
            if (it != contacts.end()) {
                char* copy = new char[it->second.size() + 1];
                std::memcpy(copy, it->second.c_str(), it->second.size() + 1);
                copies_.insert(copy);
                ++outstandingCopies;
                value->value = addressOf(copy);
            }
            return;
        }
        if (value->kind == 0) {
            auto it = ints.find(column);
            value->value = it == ints.end() ? 0 : it->second;
        } else if (nullTexts.count(column)) {
            value->value = 0;
        } else {
            scratch_ = texts[column];
            value->value = addressOf(scratch_.c_str());
        }
    }
    void setValue(int table, int row, int column, ValueRecord* value) override {
        valueCalls.push_back(
            {true, table, row, column, std::string(reinterpret_cast<const char*>(value), 10)});
        if (writesFail) throw std::bad_alloc(); // stands in for running out of memory on the way here
        if (writesToFail > 0 && writesToFail--) throw std::bad_alloc();
        if (table == 0 && value->kind == 1 && !(dropStore && dropStore(column)))
            texts[column] = fromAddress<const char>(value->value);
        if (table == 0 && value->kind == 0) ints[column] = value->value;
    }
    void releaseString(char* text) override {
        if (copies_.erase(text) == 1) {
            --outstandingCopies;
            delete[] text;
        } else {
            ++badReleases;
        }
    }
    int badReleases = 0;

    HostGateway gateway() { return HostGateway(this); }

    std::vector<SentRecord> sentWithId(int32_t id) const {
        std::vector<SentRecord> out;
        for (const auto& s : sent)
            if (s.id() == id) out.push_back(s);
        return out;
    }

    ~FakeHost() {
        for (char* c : copies_)
            delete[] c;
    }

private:
    int handle(MessageRecord* record, int target) {
        SentRecord s{};
        s.target = target;
        uint16_t size;
        std::memcpy(&size, record, 2);
        s.bytes.assign(reinterpret_cast<const char*>(record), size);
        std::memcpy(&s.message, record, size < sizeof(MessageRecord) ? size : sizeof(MessageRecord));
        if (size >= sizeof(MessageRecord) && s.message.id != 1102 && s.message.p1 != 0 &&
            carriesRecord(s.message.id)) {
            const char* p = fromAddress<const char>(s.message.p1);
            uint16_t inner;
            std::memcpy(&inner, p, 2);
            s.p1Bytes.assign(p, inner);
            captureActionText(s);
        }
        if (s.message.id == 1) log.emplace_back(fromAddress<const char>(s.message.p1));
        sent.push_back(s);
        return responder ? responder(s.message, target) : 0;
    }
    // The host copies an action's text during the call, so the test sees it as the host did.
    static void captureActionText(SentRecord& s) {
        constexpr size_t kTextOffset = 50;
        if (s.message.id == 10106 || s.message.id == 10130 || s.p1Bytes.size() < kTextOffset + 4) return;
        int32_t text;
        std::memcpy(&text, s.p1Bytes.data() + kTextOffset, 4);
        if (text == 0) return;
        s.p1HasText = true;
        s.p1Text = fromAddress<const char>(text);
    }
    static bool carriesRecord(int32_t id) {
        return id == 10101 || id == 10106 || id == 10108 || id == 10110 || id == 10130;
    }
    std::string scratch_;
    std::set<char*> copies_;
};

} // namespace brio::test
