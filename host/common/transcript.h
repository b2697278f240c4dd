// The transcript: every call between the host and the plug-in, one readable line each, the same on
// every platform (no addresses, handles or timer ids). Lines are kept for --check and also written to
// a sink as they come.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace brio::host {

class Transcript {
public:
    // `sink` may be null (nothing written as it goes).
    explicit Transcript(std::FILE* sink = nullptr) : sink_(sink) {}
    void setSink(std::FILE* sink) { sink_ = sink; }

    // A line at the current nesting depth (two spaces per plug-in call in progress).
    void line(std::string_view text);
    // A line without indentation: commands and what they show.
    void plain(std::string_view text);
    // A line that is written even while the transcript is muted: failures, faults, errors.
    void always(std::string_view text);

    // Every line has each occurrence of `from` replaced by `to` (an empty `from`: none), so that a
    // folder that differs between machines reads the same in every transcript.
    void setAlias(std::string from, std::string to) {
        aliasFrom_ = std::move(from);
        aliasTo_ = std::move(to);
    }

    // While muted, lines are dropped (a script can hide what it does not look at).
    void setMuted(bool muted) { muted_ = muted; }
    bool muted() const { return muted_; }

    // Nesting of calls into the plug-in, for indentation.
    void enter() { ++depth_; }
    void leave() {
        if (depth_ > 0) --depth_;
    }

    const std::vector<std::string>& lines() const { return lines_; }

private:
    std::FILE* sink_;
    int depth_ = 0;
    bool muted_ = false;
    std::vector<std::string> lines_;
    std::string aliasFrom_;
    std::string aliasTo_;
};

// One expected line against one transcript line: equal, except that the token {n} in `expected`
// matches an integer (an optional minus sign and at least one digit) in `got`.
bool lineMatches(std::string_view expected, std::string_view got);

// The first difference between an expected transcript and the real one, or an empty text when they
// agree. Names the line number and shows both lines.
std::string firstDifference(const std::vector<std::string>& expected, const std::vector<std::string>& got);

// The lines of a text, without their line ends (\n or \r\n); no empty last line for a final \n.
std::vector<std::string> splitLines(std::string_view text);

} // namespace brio::host
