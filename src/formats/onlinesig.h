// eMule's onlinesig.dat: a first line of four fields separated by "|", ended by CR LF, LF or CR, then a
// line whose first two "|"-separated fields are the download and the upload speed.
#pragma once

#include <string_view>

#include "formats/speeds.h"

namespace brio {

// Never fails: any text gives two speed texts, possibly empty or meaningless. The separators are found
// one after the other; a search that finds nothing lets the next one start again at the beginning, and
// a field whose end is not found runs to the end of the text. A speed never holds a CR or LF: it ends
// before the first one.
SpeedViews cutOnlineSig(std::string_view text);
// Whether `text`, the start of a file, settles both speeds: every separator the cut looks for is in it.
// Each is then where it is in all of the file and the speeds lie before the last, so no bytes after
// `text` change what cutOnlineSig takes.
bool onlineSigSettled(std::string_view text);
// The same speeds as texts of their own.
Speeds parseOnlineSig(std::string_view text);

} // namespace brio
