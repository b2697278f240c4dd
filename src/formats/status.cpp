#include "formats/status.h"

#include <array>
#include <charconv>

namespace brio {

namespace {

constexpr std::array<int32_t, kStatusCount> kHostStatusNumbers{64, 67, 65, 33, 34, 66};
constexpr std::array<std::string_view, kStatusCount> kStatusLabels{
    "Dostępny", "Pogadam", "Zaraz wracam", "Nieosiągalny", "Nie przeszkadzać", "Ukryty"};

void appendDecimal(std::string& out, int32_t value) {
    char digits[16];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

} // namespace

bool isStatusPosition(int32_t position) {
    return position >= 0 && position < kStatusCount;
}

int32_t hostStatusNumber(int32_t position) {
    return isStatusPosition(position) ? kHostStatusNumbers[size_t(position)] : -1;
}

int32_t statusPosition(int32_t hostStatus) {
    for (int32_t position = 0; position < kStatusCount; ++position)
        if (kHostStatusNumbers[size_t(position)] == hostStatus) return position;
    return -1;
}

int32_t statusIconId(int32_t hostStatus) {
    // Unsigned arithmetic: any status number gives a defined (wrapped) id instead of an overflow.
    return static_cast<int32_t>(0x40000000u + static_cast<uint32_t>(hostStatus) * 16u);
}

std::string_view statusLabel(int32_t position) {
    return isStatusPosition(position) ? kStatusLabels[size_t(position)] : std::string_view{};
}

std::string statusChoiceText() {
    std::string text;
    for (int32_t position = 0; position < kStatusCount; ++position) {
        text += statusLabel(position);
        text += '\x03';
        appendDecimal(text, statusIconId(hostStatusNumber(position)));
        text += '\x02';
        appendDecimal(text, position);
        text += '\n';
    }
    return text;
}

} // namespace brio
