// The character set of a list file. Brio writes its lists in code page 1250, as the messenger shows
// them; today's editors (Notepad among them) save UTF-8, with or without the byte order mark, or UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace brio {

// A list file's content in code page 1250.
// - UTF-16 (little or big endian) with its byte order mark, as Notepad's "Unicode" saves it: read up to
//   its first U+0000 and converted.
// - Otherwise the bytes up to the first NUL byte, read as UTF-8 and converted when they start with the
//   UTF-8 byte order mark (which is dropped), or when readsAsUtf8 says they are UTF-8; else they are code
//   page 1250 already and kept byte for byte. Brio's own files are code page 1250, and some of them
//   happen to be valid UTF-8 ("PÓŁ" is 50 D3 A3, and D3 A3 a Cyrillic letter), so valid UTF-8 alone
//   does not make a file UTF-8.
// A character code page 1250 lacks, and a malformed sequence after a mark, each become "?".
std::string listFileText(std::string_view bytes);

// Whether the bytes are valid UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF) holding at
// least one multi-byte sequence, and every character they hold is one of code page 1250.
bool readsAsUtf8(std::string_view bytes);

// UTF-8 to code page 1250, as above.
std::string utf8ToCp1250(std::string_view utf8);

// The character a byte of code page 1250 stands for; 0 for the five bytes that stand for none.
char16_t cp1250Character(unsigned char byte);

} // namespace brio
