// The ids Brio declares to the host for its pages, controls, menu items and icons (all 445 followed
// by three digits), the host's own parents they hang from, and the kinds of action.
#pragma once

#include <cstdint>

namespace brio {

namespace action {
constexpr int32_t kSteal = 445101;        // "Kradnij opis!" in a contact's menu
constexpr int32_t kPopup = 445102;        // the "Brio" popup
constexpr int32_t kEmule = 445103;        // "Emule" in the popup
constexpr int32_t kNetworksFill = 445104; // hook after the network check boxes
constexpr int32_t kNetworksRead = 445105; // hook before the network check boxes
constexpr int32_t kEmulePath = 445106;    // path entry of onlinesig.dat
constexpr int32_t kListView = 445107;     // window host of the list view
constexpr int32_t kStatusChoice = 445108; // status choice below the list
constexpr int32_t kDescription = 445109;  // description entry below the list
constexpr int32_t kTime = 445110;         // time entry below the list
constexpr int32_t kAdd = 445111;          // "Dodaj"
constexpr int32_t kReplace = 445112;      // "Zmień"
constexpr int32_t kLoad = 445113;         // "Wczytaj"
constexpr int32_t kSave = 445114;         // "Zapisz"
constexpr int32_t kCycling = 445115;      // "Lista" in the popup
constexpr int32_t kListFill = 445116;     // hook after the list view
constexpr int32_t kListStore = 445117;    // hook before the list view
constexpr int32_t kAzureusPath = 445118;  // path entry of the statistics XML file
constexpr int32_t kAzureus = 445119;      // "Azureus" in the popup
constexpr int32_t kNetworkBase = 445300;  // + network number: that network's check box

// The host's own parents.
constexpr int32_t kHostPluginPages = 46; // the configuration window's group of plug-in pages
constexpr int32_t kHostContactMenu = 30; // the menu of a contact

// The status of a check item: ticked while its activity runs.
constexpr int32_t kStatusOn = 4;
constexpr int32_t kStatusOff = 0;
} // namespace action

namespace page {
constexpr int32_t kBrio = 445201;
constexpr int32_t kP2p = 445202;
constexpr int32_t kList = 445203;
} // namespace page

namespace icon {
constexpr int32_t kMenu = 445401; // 16 pixels
constexpr int32_t kLogo = 445402; // 32 pixels, the information block's image
constexpr int32_t kBrioPage = 445403;
constexpr int32_t kP2pPage = 445404;
constexpr int32_t kListPage = 445405;

// Image lists and the icons' resources in Brio's own library.
constexpr int32_t kSmallList = 1;
constexpr int32_t kLargeList = 2;
constexpr int32_t kMenuResource = 102;
constexpr int32_t kLogoResource = 5;
constexpr int32_t kBrioPageResource = 105;
constexpr int32_t kP2pPageResource = 106;
constexpr int32_t kListPageResource = 107;
} // namespace icon

// The kind of an action goes into the high 16 bits of its type, layout flags into the low 16.
namespace kind {
constexpr int32_t kPopup = 0x0000;
constexpr int32_t kWindowHost = 0x0005;
constexpr int32_t kCheck = 0x0006;
constexpr int32_t kLabel = 0x0009;
constexpr int32_t kTextEntry = 0x000B;
constexpr int32_t kPatternText = 0x000C;
constexpr int32_t kButton = 0x000E;
constexpr int32_t kGroupStart = 0x000F;
constexpr int32_t kGroupEnd = 0x0010;
constexpr int32_t kSmallImage = 0x0011;
constexpr int32_t kPathEntry = 0x0012;
constexpr int32_t kChoice = 0x0016;
constexpr int32_t kPageText = 0x0018;
constexpr int32_t kNumberEntry = 0x001A;
constexpr int32_t kImage = 0x001C;
constexpr int32_t kPage = 0x0400;
} // namespace kind

namespace layout {
constexpr int32_t kSameLine = 0x40;        // the next control follows on the same line
constexpr int32_t kContainer = 0x10;       // pages and the popup
constexpr int32_t kDescriptionText = 0x80; // the information block's description
constexpr int32_t kStatusChoice = 0x1000;  // the status choice (lines with icons)
constexpr int32_t kCyclingChoice = 0xD000; // the two cycling choices
} // namespace layout

constexpr int32_t actionType(int32_t kind, int32_t flags = 0) {
    return kind << 16 | flags;
}

// The check box of a network; any network number gives an id (wrapping, never overflowing).
constexpr int32_t networkCheckboxId(int32_t network) {
    return static_cast<int32_t>(static_cast<uint32_t>(action::kNetworkBase) + static_cast<uint32_t>(network));
}

} // namespace brio
