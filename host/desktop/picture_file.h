// The PNG files of the pictures brio-host takes: 8-bit RGB, written by stb_image_write, so that the
// same pixels always give the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brio::host {

// `pixels` holds width * height values 0x00RRGGBB, row by row from the top. Empty when the sizes do
// not match or are 0.
std::string encodePng(uint32_t width, uint32_t height, const std::vector<uint32_t>& pixels);

} // namespace brio::host
