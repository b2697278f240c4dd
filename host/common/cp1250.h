// common/: what every room of brio-host uses: code page 1250 and UTF-8, a file's bytes, the heap meter
// of the plug-in's own blocks, the transcript. Uses nothing of host/ (the plug-in's src/ is below all).
//
// Code page 1250 <-> UTF-8, at the edge between the plug-in's bytes and the terminal or a script.
#pragma once

#include <string>
#include <string_view>

namespace brio::host {

// The Unicode code point of a CP1250 byte, or 0 for the five bytes the code page leaves undefined.
char32_t cp1250CodePoint(unsigned char byte);

// Each byte as UTF-8; undefined bytes become U+FFFD.
std::string cp1250ToUtf8(std::string_view bytes);

// UTF-8 to CP1250. False, with `error` naming the problem, for bad UTF-8 or a character the code
// page cannot hold.
bool utf8ToCp1250(std::string_view utf8, std::string& out, std::string& error);

// A CP1250 text as the transcript shows it: UTF-8 in double quotes, with \" \\ \n and \xNN for the other
// control bytes and the undefined bytes, so that every byte can be told apart.
std::string displayed(std::string_view bytes);

} // namespace brio::host
