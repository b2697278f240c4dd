#include "plugin/pages.h"

#include <cstdio>
#include <initializer_list>
#include <optional>
#include <vector>

#include "boundary/action_ids.h"
#include "boundary/messages.h"
#include "boundary/settings.h"
#include "description/description_setter.h"
#include "formats/status.h"
#include "plugin/info_text.h"
#include "plugin/mode_controller.h"
#include "plugin/plugin.h"

namespace brio {

namespace {

constexpr char kParameterMark = '\x1A';
constexpr uint16_t kHeightFitText = static_cast<uint16_t>(-3); // the description grows with its text
constexpr uint16_t kHookRaised = static_cast<uint16_t>(-20);   // an empty hook takes no line of its own
constexpr size_t kVersionBufferSize = 32;

NewAction longForm(NewAction action) {
    action.longForm = true;
    return action;
}

void addAll(const HostGateway& host, std::initializer_list<NewAction> actions) {
    for (const NewAction& action : actions)
        host.addAction(action);
}

void appendParameter(std::string& text, std::string_view name, std::string_view value) {
    text += kParameterMark;
    text += name;
    text += '=';
    text += value;
}

std::string parameter(std::string_view name, std::string_view value) {
    std::string text;
    appendParameter(text, name, value);
    return text;
}

void registerIcons(const HostGateway& host) {
    host.registerIcon(icon::kMenu, icon::kSmallList, icon::kMenuResource);
    host.registerIcon(icon::kLogo, icon::kLargeList, icon::kLogoResource);
    host.registerIcon(icon::kBrioPage, icon::kSmallList, icon::kBrioPageResource);
    host.registerIcon(icon::kP2pPage, icon::kSmallList, icon::kP2pPageResource);
    host.registerIcon(icon::kListPage, icon::kSmallList, icon::kListPageResource);
}

void addPages(const HostGateway& host) {
    const int32_t pageType = actionType(kind::kPage, layout::kContainer);
    addAll(host, {
                     {.parent = action::kHostPluginPages,
                      .id = page::kBrio,
                      .type = pageType,
                      .text = "Brio",
                      .param = icon::kBrioPage},
                     {.parent = page::kBrio,
                      .id = page::kP2p,
                      .type = pageType,
                      .text = "Programy p2p",
                      .param = icon::kP2pPage},
                     {.parent = page::kBrio,
                      .id = page::kList,
                      .type = pageType,
                      .text = "Lista",
                      .param = icon::kListPage},
                 });
}

// Brio's name as the host knows it, with the version unless the host state says to leave it out.
// Both version messages go out either way.
std::string informationTitle(const HostGateway& host) {
    const int self = host.pluginId();
    const char* name = fromAddress<const char>(host.sendTo(self, msg::kQueryName));
    std::string title = name ? name : "";
    const int32_t number = host.send(msg::kPluginVersion, 0, 0, self);
    char version[kVersionBufferSize] = {};
    host.send(msg::kFormatVersion, 0, 0, number, addressOf(version));
    version[kVersionBufferSize - 1] = '\0'; // whatever the host wrote, the text ends inside the buffer
    if (host.hostState() != 1) {
        title += ' ';
        title += version;
    }
    return title;
}

void addInformationBlock(const HostGateway& host) {
    host.addAction({.parent = page::kBrio, .type = actionType(kind::kGroupStart), .text = ""});

    const std::string title = informationTitle(host);
    std::string tip = title.empty() ? std::string() : "<b>" + title + "</b><br/>";
    tip += kInformationText;

    char address[48];
    std::snprintf(address, sizeof address, "reg://IML32/%i.ICON", static_cast<int>(icon::kLogo));
    // The reference carries its own prefix, so the image parameter's value begins with another one.
    const std::string reference = parameter("imgurl", address);
    const std::string parameters = imageParameters(reference, tip);

    addAll(host, {
                     {.parent = page::kBrio,
                      .type = actionType(kind::kImage, layout::kSameLine),
                      .text = parameters.c_str(),
                      .width = 40,
                      .height = 40},
                     longForm({.parent = page::kBrio,
                               .type = actionType(kind::kPageText, layout::kDescriptionText),
                               .text = "Brio służy do zabaway statusem. Dzięki tej wtyczce można zmieniać "
                                       "opis sekwencyjnie, losowo lub kraść od innych.",
                               .width = 300,
                               .height = kHeightFitText}),
                     {.parent = page::kBrio, .type = actionType(kind::kGroupEnd)},
                 });
}

// One image and one check box per network of the choice list, three networks to a line. The boxes
// get their state when the page opens, not here.
void addNetworkRows(PluginState& state) {
    if (!state.controller) return;
    const HostGateway& host = state.host;
    const std::vector<NetworkChoice> choices = state.controller->setter().networkChoices();
    size_t count = 0;
    for (const NetworkChoice& choice : choices) {
        // Copied, since more host calls come before it is used; no name gives no caption at all.
        const char* name = fromAddress<const char>(host.send(msg::kQueryNetName, choice.network, -1));
        const std::optional<std::string> caption = name ? std::optional<std::string>(name) : std::nullopt;
        const int column = static_cast<int>(count % 3);
        const std::string image = networkImageAddress(choice.network);
        host.addAction(longForm({.parent = page::kBrio,
                                 .type = actionType(kind::kSmallImage, layout::kSameLine),
                                 .text = image.c_str(),
                                 .x = static_cast<uint16_t>(20 * column)}));
        host.addAction(longForm({.parent = page::kBrio,
                                 .id = networkCheckboxId(choice.network),
                                 .type = actionType(kind::kCheck, column == 2 ? 0 : layout::kSameLine),
                                 .text = caption ? caption->c_str() : nullptr}));
        ++count;
    }
}

// The "Brio" page below the information block: the networks and the description pattern. The hooks
// that read the check boxes and the list back stand before them: the host destroys a page's
// controls in the order they were added, so these still find them.
void addBrioPage(PluginState& state) {
    const HostGateway& host = state.host;
    const int32_t windowHost = actionType(kind::kWindowHost);
    const int32_t groupStart = actionType(kind::kGroupStart);
    const int32_t groupEnd = actionType(kind::kGroupEnd);
    addAll(
        host,
        {
            longForm(
                {.parent = page::kBrio, .id = action::kNetworksRead, .type = windowHost, .y = kHookRaised}),
            longForm({.parent = page::kList, .id = action::kListStore, .type = windowHost, .y = kHookRaised}),
            longForm({.parent = page::kBrio,
                      .type = groupStart,
                      .text = "Wybierz sieci, na których ma działać wtyczka:"}),
        });
    addNetworkRows(state);
    addAll(host, {
                     longForm({.parent = page::kBrio, .type = windowHost}),
                     longForm({.parent = page::kBrio, .type = groupEnd}),
                     longForm({.parent = page::kBrio, .type = groupStart, .text = "Formatowanie"}),
                     longForm({.parent = page::kBrio,
                               .type = actionType(kind::kPatternText),
                               .param = setting::kFormat}),
                     longForm({.parent = page::kBrio, .type = groupEnd}),
                 });
}

void addP2pPage(const HostGateway& host) {
    const int32_t groupStart = actionType(kind::kGroupStart);
    const int32_t groupEnd = actionType(kind::kGroupEnd);
    const int32_t label = actionType(kind::kLabel);
    const int32_t pathEntry = actionType(kind::kPathEntry);
    const std::string limits = parameter("min", "10") + parameter("max", "3600");
    addAll(host, {
                     longForm({.parent = page::kP2p, .type = groupStart, .text = "Ustawienia"}),
                     longForm({.parent = page::kP2p,
                               .type = actionType(kind::kLabel, layout::kSameLine),
                               .text = "Interwał do sprawdzania [s]:"}),
                     longForm({.parent = page::kP2p,
                               .type = actionType(kind::kNumberEntry),
                               .text = limits.c_str(),
                               .param = setting::kEmuleTimer}),
                     longForm({.parent = page::kP2p, .type = groupEnd}),
                     longForm({.parent = page::kP2p, .type = groupStart, .text = "Emule"}),
                     longForm({.parent = page::kP2p,
                               .type = label,
                               .text = "Podaj ścieżkę dostępu do pliku onlinesig.dat:"}),
                     longForm({.parent = page::kP2p,
                               .id = action::kEmulePath,
                               .type = pathEntry,
                               .param = setting::kEmulePath}),
                     longForm({.parent = page::kP2p, .type = groupEnd}),
                     longForm({.parent = page::kP2p, .type = groupStart, .text = "Azureus"}),
                     longForm({.parent = page::kP2p,
                               .type = label,
                               .text = "Podaj ścieżkę dostępu do pliku xml statystyk:"}),
                     longForm({.parent = page::kP2p,
                               .id = action::kAzureusPath,
                               .type = pathEntry,
                               .param = setting::kAzureusFile}),
                     longForm({.parent = page::kP2p, .type = groupEnd}),
                 });
}

void addListPage(const HostGateway& host) {
    const std::string statusChoice = statusChoiceText();
    const int32_t groupStart = actionType(kind::kGroupStart);
    const int32_t groupEnd = actionType(kind::kGroupEnd);
    const int32_t labelBeside = actionType(kind::kLabel, layout::kSameLine);
    const int32_t cyclingChoice = actionType(kind::kChoice, layout::kCyclingChoice);
    const int32_t buttonBeside = actionType(kind::kButton, layout::kSameLine);
    const std::string timeTip = parameter("tip", "Czas w sekundach");
    addAll(
        host,
        {
            longForm({.parent = page::kList, .type = groupStart, .text = "Ustawienia"}),
            longForm({.parent = page::kList,
                      .type = labelBeside,
                      .text = "Kolejność wyświetlania:",
                      .width = 130}),
            longForm({.parent = page::kList,
                      .type = cyclingChoice,
                      .text = "Po kolei\nOd końca\nLosowo",
                      .param = setting::kOrder,
                      .width = 170}),
            longForm({.parent = page::kList,
                      .type = labelBeside,
                      .text = "Po dojściu do końca listy:",
                      .width = 130}),
            longForm({.parent = page::kList,
                      .type = cyclingChoice,
                      .text = "Zacznij od początku\nUstaw ostatni opis z listy\nWyłącz",
                      .param = setting::kOnListEnd,
                      .width = 170}),
            longForm({.parent = page::kList, .type = groupEnd}),
            longForm({.parent = page::kList, .type = groupStart, .text = "Lista"}),
            longForm({.parent = page::kList, .id = action::kListView, .type = actionType(kind::kWindowHost)}),
            {.parent = page::kList, .type = labelBeside, .text = "Status:", .width = 130},
            {.parent = page::kList, .type = labelBeside, .text = "Opis:", .width = 220},
            {.parent = page::kList, .type = actionType(kind::kLabel), .text = "Czas [s]:", .width = 50},
            longForm({.parent = page::kList,
                      .id = action::kStatusChoice,
                      .type = actionType(kind::kChoice, layout::kStatusChoice | layout::kSameLine),
                      .text = statusChoice.c_str(),
                      .width = 130}),
            longForm({.parent = page::kList,
                      .id = action::kDescription,
                      .type = actionType(kind::kTextEntry, layout::kSameLine),
                      .text = "",
                      .width = 220}),
            longForm({.parent = page::kList,
                      .id = action::kTime,
                      .type = actionType(kind::kTextEntry),
                      .text = timeTip.c_str(),
                      .width = 50}),
            longForm({.parent = page::kList,
                      .id = action::kAdd,
                      .type = buttonBeside,
                      .text = "Dodaj",
                      .width = 70}),
            longForm({.parent = page::kList, .id = action::kReplace, .type = buttonBeside, .text = "Zmień"}),
            longForm({.parent = page::kList,
                      .id = action::kLoad,
                      .type = buttonBeside,
                      .text = "Wczytaj",
                      .width = 70}),
            longForm({.parent = page::kList,
                      .id = action::kSave,
                      .type = actionType(kind::kButton),
                      .text = "Zapisz",
                      .width = 70}),
            longForm({.parent = page::kList, .type = groupEnd}),
        });
}

// The hooks that follow what they fill: the host creates a page's controls in the order they were
// added, so these see the check boxes and the list view already made.
void addFillHooks(const HostGateway& host) {
    const int32_t windowHost = actionType(kind::kWindowHost);
    addAll(host, {
                     longForm({.parent = page::kBrio, .id = action::kNetworksFill, .type = windowHost}),
                     longForm({.parent = page::kList, .id = action::kListFill, .type = windowHost}),
                 });
}

void addMenus(const HostGateway& host) {
    const int32_t checkItem = actionType(kind::kCheck);
    host.addAction({.parent = action::kHostContactMenu,
                    .id = action::kSteal,
                    .type = checkItem,
                    .text = "Kradnij opis!"});
    const int32_t group = host.send(msg::kPluginMenuGroup, 0, -1);
    addAll(host, {
                     {.parent = group,
                      .id = action::kPopup,
                      .type = actionType(kind::kPopup, layout::kContainer),
                      .text = "Brio",
                      .index = 0},
                     {.parent = action::kPopup, .id = action::kEmule, .type = checkItem, .text = "Emule"},
                     {.parent = action::kPopup, .id = action::kAzureus, .type = checkItem, .text = "Azureus"},
                     {.parent = action::kPopup, .id = action::kCycling, .type = checkItem, .text = "Lista"},
                 });
}

} // namespace

std::string imageParameters(std::string_view imageReference, std::string_view tip) {
    std::string text;
    appendParameter(text, "imgurl", imageReference);
    if (text.find(parameter("iconsize", "")) == std::string::npos) appendParameter(text, "iconsize", "32");
    appendParameter(text, "tipRich", tip);
    appendParameter(text, "tipWidth", "300");
    return text;
}

std::string networkImageAddress(int32_t network) {
    const uint32_t iconId = ((static_cast<uint32_t>(network) & 255u) | 512u) << 20;
    char address[48];
    std::snprintf(address, sizeof address, "reg://IML16/%i.ICON", static_cast<int>(iconId));
    return address;
}

void buildPages(PluginState& state) {
    const HostGateway& host = state.host;
    registerIcons(host);
    addPages(host);
    addInformationBlock(host);
    addBrioPage(state);
    addP2pPage(host);
    addListPage(host);
    addFillHooks(host);
    addMenus(host);
}

} // namespace brio
