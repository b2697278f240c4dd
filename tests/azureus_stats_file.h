// A statistics file in the shape Azureus writes it: the XML declaration, the global speeds first, then
// an element of about a kilobyte for every download, each with speeds of its own.
#pragma once

#include <string>
#include <string_view>

namespace brio::test {

inline std::string azureusStatsFile(int downloads, std::string_view down, std::string_view up) {
    std::string file =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<STATS>\r\n"
        "  <AZUREUS_VERSION>2.5.0.4</AZUREUS_VERSION>\r\n  <GLOBAL>\r\n"
        "    <DOWNLOAD_SPEED>\r\n      <TEXT>" +
        std::string(down) +
        "</TEXT>\r\n      <RAW>0</RAW>\r\n    </DOWNLOAD_SPEED>\r\n"
        "    <UPLOAD_SPEED>\r\n      <TEXT>" +
        std::string(up) +
        "</TEXT>\r\n      <RAW>0</RAW>\r\n    </UPLOAD_SPEED>\r\n  </GLOBAL>\r\n  <DOWNLOADS>\r\n";
    for (int i = 0; i < downloads; ++i) {
        const std::string n = std::to_string(i);
        file += "    <DOWNLOAD>\r\n      <TORRENT>\r\n        <NAME>debian-12.5.0-i386-DVD-" + n +
                ".iso</NAME>\r\n        <TORRENT_FILE>C:\\Documents and Settings\\user\\Application "
                "Data\\Azureus\\torrents\\debian-12.5.0-i386-DVD-" +
                n +
                ".iso.torrent</TORRENT_FILE>\r\n"
                "        <KEY>4D3F2A1B0C9E8D7F6A5B4C3D2E1F0A9B8C7D6E5F</KEY>\r\n"
                "        <PIECE_LENGTH><TEXT>256.00 kB</TEXT><RAW>262144</RAW></PIECE_LENGTH>\r\n"
                "        <PIECE_COUNT>15360</PIECE_COUNT>\r\n        <FILE_COUNT>1</FILE_COUNT>\r\n"
                "        <ANNOUNCE_URL>http://bttracker.debian.org:6969/announce</ANNOUNCE_URL>\r\n"
                "      </TORRENT>\r\n      <DOWNLOAD_STATUS>Downloading</DOWNLOAD_STATUS>\r\n"
                "      <DOWNLOAD_DIR>C:\\Downloads</DOWNLOAD_DIR>\r\n"
                "      <TRACKER_STATUS>OK</TRACKER_STATUS>\r\n      <COMPLETED>412</COMPLETED>\r\n"
                "      <DOWNLOADED><TEXT>1.58 GB</TEXT><RAW>1696512000</RAW></DOWNLOADED>\r\n"
                "      <UPLOADED><TEXT>312.40 MB</TEXT><RAW>327574528</RAW></UPLOADED>\r\n"
                "      <DOWNLOAD_SPEED>\r\n        <TEXT>7.7 kB/s</TEXT>\r\n        <RAW>7885</RAW>\r\n"
                "      </DOWNLOAD_SPEED>\r\n      <UPLOAD_SPEED>\r\n        <TEXT>6.6 kB/s</TEXT>\r\n"
                "        <RAW>6758</RAW>\r\n      </UPLOAD_SPEED>\r\n"
                "      <ELAPSED>2h 14m</ELAPSED>\r\n      <ETA>1h 02m</ETA>\r\n"
                "      <HASH_FAILS><TEXT>0 B</TEXT><RAW>0</RAW></HASH_FAILS>\r\n"
                "      <SHARE_RATIO>193</SHARE_RATIO>\r\n      <TOTAL_SEEDS>87</TOTAL_SEEDS>\r\n"
                "      <TOTAL_LEECHERS>14</TOTAL_LEECHERS>\r\n    </DOWNLOAD>\r\n";
    }
    return file + "  </DOWNLOADS>\r\n</STATS>\r\n";
}

} // namespace brio::test
