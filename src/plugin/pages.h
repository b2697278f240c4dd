// The tree of pages, controls and menu items Brio declares to the host on buildInterface.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brio {

struct PluginState;

// Registers the icons and adds every page, control and menu item, in the order the host lays them out.
void buildPages(PluginState& state);

// The information block's image parameters: the image, its icon size (unless the reference already
// names one), the rich tool tip and its width, each as 0x1A name=value.
std::string imageParameters(std::string_view imageReference, std::string_view tip);

// The 16-pixel image of a network in the host's image list: "reg://IML16/<id>.ICON".
std::string networkImageAddress(int32_t network);

} // namespace brio
