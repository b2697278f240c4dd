// boundary/: the host: its records, the host control object, message and action ids, the typed
// gateway every call into the host goes through, and the settings. Uses formats/, resources/ and
// platform/.
//
// The typed gateway over the host control object. Every call into the host goes through here, and
// nothing else builds a record. Without a host control object every call is a no-op that answers 0
// or an empty text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "boundary/host_control.h"

namespace brio {

// A control or page to add with addAction.
struct NewAction {
    int32_t parent = 0;
    int32_t id = 0;
    int32_t type = 0;
    const char* text = nullptr; // null, or a zero-terminated text that lives until the call returns
    int32_t param = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t x = 0;
    uint16_t y = 0;
    int32_t index = -1;
    bool longForm = false;
};

// A text the host copied for the plug-in, given back to the host when this goes.
class HostText {
public:
    HostText() = default;
    HostText(IHostControl* host, char* text) : host_(host), text_(text) {}
    HostText(HostText&& other) noexcept : host_(other.host_), text_(other.text_) { other.text_ = nullptr; }
    HostText& operator=(HostText&&) = delete;
    HostText(const HostText&) = delete;
    ~HostText() {
        if (host_ && text_) host_->releaseString(text_);
    }

    std::string_view view() const { return text_ ? std::string_view(text_) : std::string_view(); }

private:
    IHostControl* host_ = nullptr;
    char* text_ = nullptr;
};

class HostGateway {
public:
    HostGateway() = default;
    explicit HostGateway(IHostControl* host) : host_(host) {}

    IHostControl* host() const { return host_; }
    bool attached() const { return host_ != nullptr; }

    int pluginId() const;
    void* instanceHandle() const;
    int hostState() const;
    void setError(int code) const;

    // A plain message of the 30-byte form.
    int32_t send(int32_t id, int32_t net = 0, int32_t type = 0, int32_t p1 = 0, int32_t p2 = 0) const;
    int32_t sendTo(int pluginId, int32_t id, int32_t net = 0, int32_t type = 0, int32_t p1 = 0,
                   int32_t p2 = 0) const;

    // Configuration table.
    void registerColumn(int32_t column, int32_t kind, int32_t defaultValue, const char* key) const;
    int32_t readInt(int32_t column) const;
    std::string readText(int32_t column) const;                     // the host's text copied at once
    std::optional<std::string> readTextIfAny(int32_t column) const; // as readText; none for a null text
    void readText(int32_t column, std::string& into) const;         // as readText, into memory that is reused
    void writeText(int32_t column, std::string_view text) const;

    // Contacts table: the host's copy is released before this returns, or held until the HostText goes.
    std::string readContactText(int32_t contact, int32_t column) const;
    HostText holdContactText(int32_t contact, int32_t column) const;
    int32_t readContactInt(int32_t contact, int32_t column) const;

    // Pages, menus and controls.
    void registerIcon(int32_t iconId, int32_t imageList, int32_t resource) const;
    void addAction(const NewAction& action) const;
    void setActionStatus(int32_t id, int32_t parent, int32_t status) const;
    void setActionCaption(int32_t id, int32_t parent, std::string_view caption) const;
    void setActionValue(int32_t id, int32_t parent, std::string_view value) const;
    // As setActionValue, handing the host the text itself: nothing is allocated on the way.
    void setActionText(int32_t id, int32_t parent, const std::string& value) const;
    std::string getActionValue(int32_t id, int32_t parent) const; // host's own text
    // As getActionValue; none when the host gave no text at all (it could not tell the value).
    std::optional<std::string> getActionValueIfAny(int32_t id, int32_t parent) const;
    std::string getActionValue(int32_t id, int32_t parent, int32_t bufferSize) const; // into a buffer

    // A debug line, formatted printf-style into 256 bytes, at most 254 of which reach the host.
    void logText(const char* format, ...) const __attribute__((format(printf, 2, 3)));

private:
    IHostControl* host_ = nullptr;
};

} // namespace brio
