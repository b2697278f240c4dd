// The character set of a list file. Brio writes its lists in code page 1250, as the messenger shows
// them; today's editors (Notepad among them) save UTF-8, with or without the byte order mark.
#pragma once

#include <string>
#include <string_view>

namespace brio {

// A list file's content (its bytes up to the first NUL byte) in code page 1250. Read as UTF-8 and
// converted when it starts with the UTF-8 byte order mark (which is dropped) or when it is valid UTF-8
// as a whole and holds at least one character beyond ASCII; otherwise it is code page 1250 already and
// kept byte for byte. A character code page 1250 lacks, and a malformed sequence after the mark, each
// become "?".
std::string listFileText(std::string_view bytes);

// Whether the bytes are valid UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF) holding
// at least one multi-byte sequence.
bool isUtf8BeyondAscii(std::string_view bytes);

// UTF-8 to code page 1250, as above.
std::string utf8ToCp1250(std::string_view utf8);

// The character a byte of code page 1250 stands for; 0 for the five bytes that stand for none.
char16_t cp1250Character(unsigned char byte);

} // namespace brio
