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
// The same speeds as texts of their own.
Speeds parseOnlineSig(std::string_view text);

} // namespace brio
