// The filters that the path entries' file dialogs show: pairs of a description and a pattern, each
// ended by a zero byte, the list ended by a second zero byte (the literal's own terminator).
#pragma once

namespace brio {

inline constexpr char kOnlineSigFilter[] = "onlinesig.dat\0ONLINESIG.DAT\0";
inline constexpr char kAzureusStatsFilter[] = "Plik statystyk Azureusa (*.xml)\0*.xml\0";

} // namespace brio
