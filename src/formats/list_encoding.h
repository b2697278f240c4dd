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
//   page 1250 already and kept byte for byte.
// A character code page 1250 lacks, and a malformed sequence after a mark, each become "?".
std::string listFileText(std::string_view bytes);

// Whether bytes without a mark are UTF-8: valid UTF-8 (no overlong forms, no surrogates, nothing past
// U+10FFFF) holding either the UTF-8 of a code page 1250 character beyond ASCII ("ł" is C5 82), or only
// characters code page 1250 lacks none of whose sequences is made of Polish letters and signs as code
// page 1250 bytes ("♥" is E2 99 A5, "â™Ą"). Brio's own lists are code page 1250, and Polish text in it
// can be valid UTF-8 ("PÓŁ" is 50 D3 A3, D3 A3 a Cyrillic letter) but never of either kind, so it reads
// back as saved; a file Notepad saves with Polish letters, or with symbols alone, reads as UTF-8.
// Letters alone of another alphabet whose sequences look like Polish (Cyrillic "я" is D1 8F, "ŃŹ") are
// taken for code page 1250.
bool readsAsUtf8(std::string_view bytes);

// UTF-8 to code page 1250, as above.
std::string utf8ToCp1250(std::string_view utf8);

// The character a byte of code page 1250 stands for; 0 for the five bytes that stand for none.
char16_t cp1250Character(unsigned char byte);

} // namespace brio
