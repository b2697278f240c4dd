#include "host/common/transcript.h"

namespace brio::host {

void Transcript::line(std::string_view text) {
    std::string l(static_cast<size_t>(depth_) * 2, ' ');
    l += text;
    plain(l);
}

void Transcript::plain(std::string_view text) {
    if (!muted_) always(text);
}

void Transcript::always(std::string_view line) {
    std::string text(line);
    if (!aliasFrom_.empty()) {
        for (size_t at = text.find(aliasFrom_); at != std::string::npos;) {
            text.replace(at, aliasFrom_.size(), aliasTo_);
            at = text.find(aliasFrom_, at + aliasTo_.size());
        }
    }
    lines_.push_back(text);
    if (sink_) {
        std::fwrite(text.data(), 1, text.size(), sink_);
        std::fputc('\n', sink_);
        std::fflush(sink_);
    }
}

bool lineMatches(std::string_view expected, std::string_view got) {
    constexpr std::string_view kWildcard = "{n}";
    size_t e = 0;
    size_t g = 0;
    while (e < expected.size()) {
        if (expected.substr(e, kWildcard.size()) == kWildcard) {
            e += kWildcard.size();
            if (g < got.size() && got[g] == '-') ++g;
            const size_t digits = g;
            while (g < got.size() && got[g] >= '0' && got[g] <= '9')
                ++g;
            if (g == digits) return false;
            continue;
        }
        if (g >= got.size() || got[g] != expected[e]) return false;
        ++e;
        ++g;
    }
    return g == got.size();
}

std::string firstDifference(const std::vector<std::string>& expected, const std::vector<std::string>& got) {
    const size_t n = expected.size() < got.size() ? expected.size() : got.size();
    for (size_t i = 0; i < n; ++i) {
        if (lineMatches(expected[i], got[i])) continue;
        return "line " + std::to_string(i + 1) + ":\n  expected: " + expected[i] + "\n  got:      " + got[i];
    }
    if (expected.size() > n)
        return "line " + std::to_string(n + 1) + ": the transcript ends early\n  expected: " + expected[n];
    if (got.size() > n)
        return "line " + std::to_string(n + 1) + ": the transcript goes on\n  got:      " + got[n];
    return {};
}

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view l = text.substr(start, end - start);
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
        lines.emplace_back(l);
        start = end + 1;
    }
    return lines;
}

} // namespace brio::host
