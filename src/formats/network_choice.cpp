#include "formats/network_choice.h"

#include "formats/integer.h"

namespace brio {

std::string writeNetworkChoices(const std::vector<NetworkChoice>& choices) {
    std::string text;
    text.reserve(choices.size() * 8);
    for (const NetworkChoice& choice : choices) {
        text += std::to_string(choice.network);
        text += choice.enabled ? "|1|" : "|0|";
    }
    return text;
}

std::vector<NetworkChoice> parseNetworkChoices(std::string_view text) {
    std::vector<NetworkChoice> choices;
    size_t pos = 0;
    for (;;) {
        size_t networkEnd = text.find('|', pos);
        if (networkEnd == std::string_view::npos) break;
        size_t flagEnd = text.find('|', networkEnd + 1);
        // A pair without its closing "|" ends the list; the parse never goes back to the start.
        if (flagEnd == std::string_view::npos) break;
        int32_t network = readInteger(text.substr(pos, networkEnd - pos));
        int32_t flag = readInteger(text.substr(networkEnd + 1, flagEnd - networkEnd - 1));
        choices.push_back({flag != 0, network});
        pos = flagEnd + 1;
    }
    return choices;
}

} // namespace brio
