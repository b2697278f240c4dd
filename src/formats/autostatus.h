// AutoStatus files (*.sts), the description list as PowerGG keeps it: a comment header, then per entry
//   status=<position>\r\ntime=<seconds>\r\ntext=<description>\r\n\r\n
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formats/status_entry.h"

namespace brio {

// The header and one record per entry (status: the position 0-5), lines ended by CR LF. A record is
// written whole however long its description.
std::string writeAutoStatus(const std::vector<StatusEntry>& entries);
// Its parts: the header, and the record of one entry.
std::string_view autoStatusHeader();
std::string autoStatusRecord(const StatusEntry& entry);

// The entries of a file's text, up to its first NUL byte. Lines end at LF (a CR before it goes too);
// empty lines, comments (";" or "#" first) and lines without "=" or with another key are skipped; keys
// "status", "time" and "text" in any letter case. Each "text" line makes an entry of the status and
// time read last (at first position 0 and 10 seconds); a time below 10 counts as 10 and one beyond the
// largest the list holds as that largest, a status is taken as it is, and a description is cut to 1023
// bytes.
std::vector<StatusEntry> readAutoStatus(std::string_view text);

// Whether the text holds nothing but empty lines and comments: an empty list (Brio writes its header
// alone for one), not a file of another kind.
bool onlyCommentsIn(std::string_view text);

} // namespace brio
