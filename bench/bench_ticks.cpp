// What the plug-in allocates on the ticks that run for as long as the messenger does, each beside a
// baseline measured in the same run: the same tick when there is something new to take (a changed
// description, a grown file) and, for cycling, the same steps over a list a hundred times shorter.
// Counted by this program's own operator new (host/counting_new.cpp), only while the plug-in's code
// runs. Targets: an unchanged steal tick allocates nothing; an unchanged feed tick at most its file's
// buffer, freed again; a cycling step over 1,000 entries as much as over 10 (ratio 1.00). A cycling
// step re-arms its one-shot timer, which the headless desktop records in a block of its own. The summary
// gives PASS or FAIL per target; the program exits 0 either way.
//
// Then the time of a feed tick over speed files of real size and at the limit of what a feed reads
// (8 MB): eMule's worst (all of it "{UpSpeed}": both speeds are all of it, cut short, and nothing settles
// them before the file ends), a statistics file as Azureus writes it for 2,000 downloads (some 3 MB) and
// for as many as the limit holds, and one as large as the limit with its speeds at its end behind
// "<><><>..." (the worst for the tag search; a plain search that stops at every "<" took some 60 ms over
// it). Beside them: a steal tick, and the same file opened, read whole and scanned for a zero byte, the
// least a tick that reads all of it must do (into a buffer kept from before, or, for a file read whole
// into memory the feed does not keep, into a new one). Targets: each feed tick within one frame (16 ms,
// wall time on this machine) and within 8 such reads of its file; a file whose speeds stand at its top
// costs no allocation, and a file read whole costs at most its bytes and a few blocks, all freed.
//
// Then the tick on a statistics file of 3 MB beside one on some 300 bytes, and what the running feed
// holds with each: the feed reads only as far as the speeds, so both take about as long and hold about
// as much.
//
// Last, how often a list step stores the kept records ("Brio/keptOwn", which a messenger that keeps a
// setting when it is set writes at once), and how many bytes: 12 networks with own texts of 200 bytes,
// a list of two entries of 1,000 bytes, 100 s of cycling; counted from the host's lines. Target: one
// store per step, each of the records' size.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/read_whole_file.h"
#include "tests/alloc/tick_session.h"
#include "tests/azureus_stats_file.h"

namespace {

using brio::test::Allocated;
using brio::test::TickSession;

const std::initializer_list<std::string> kNetworks = {
    "network add 15 \"Gadu-Gadu\" description \"moj wlasny opis\"",
    "network add 10 \"Jabber\" description \"w pracy\"",
    "network add 7 \"ICQ\" status 65 description \"zaraz wracam\"",
};
constexpr uint64_t kTick = 10'000;

void row(const char* what, const Allocated& a) {
    std::printf("  %-46s %6llu blocks %8llu bytes %+6lld in use\n", what, (unsigned long long)a.blocks,
                (unsigned long long)a.bytes, (long long)a.bytesLeft);
}

struct Summary {
    int failed = 0;
    void target(const char* name, bool met) {
        std::printf("%s %s\n", met ? "PASS" : "FAIL", name);
        failed += met ? 0 : 1;
    }
};

bool ready(TickSession& s, std::initializer_list<std::string> lines) {
    if (s.run(kNetworks) && s.run(lines)) return true;
    std::printf("cannot run the session: %s\n", s.error().c_str());
    return false;
}

void stealing(Summary& summary) {
    TickSession s(BRIO_PLUGIN_PATH);
    if (!ready(s, {"contact add 5 \"Ala\" description \"opis dluzszy niz krotki bufor\"", "start",
                   "contact 5 use 445101"}))
        return summary.target("steal tick", false);
    s.advance(kTick);
    const Allocated unchanged = s.advance(kTick);
    s.run({"contact 5 description \"" + std::string(120, 'x') + "\""});
    const Allocated changed = s.advance(kTick);
    row("steal tick, description unchanged", unchanged);
    row("  baseline: the description grew to 120 bytes", changed);
    summary.target("steal tick, description unchanged: nothing allocated", unchanged.blocks == 0);
}

void feed(Summary& summary, const char* name, const char* file, const char* pathKey, int action,
          const std::string& bytes, const std::string& grown) {
    TickSession s(BRIO_PLUGIN_PATH);
    brio::test::writeFile(file, bytes);
    if (!ready(s, {"config Brio/format = \"Pobieranie {DownSpeed}, wysylanie {UpSpeed}\"",
                   std::string("config ") + pathKey + " = \"" + file + "\"", "start",
                   "use " + std::to_string(action)}))
        return summary.target(name, false);
    s.advance(kTick);
    const Allocated unchanged = s.advance(kTick);
    brio::test::writeFile(file, grown);
    const Allocated changed = s.advance(kTick);
    std::remove(file);
    const std::string what =
        std::string(name) + " tick, file unchanged (" + std::to_string(bytes.size()) + " bytes)";
    row(what.c_str(), unchanged);
    const std::string baseline = "  baseline: the file grew to " + std::to_string(grown.size()) + " bytes";
    row(baseline.c_str(), changed);
    const std::string target = std::string(name) + " tick, file unchanged: at most its buffer, freed";
    summary.target(target.c_str(),
                   unchanged.blocks <= 1 && unchanged.bytes <= bytes.size() + 1 && unchanged.bytesLeft == 0);
}

// Wall time per period of whatever runs in the session, in microseconds, over `periods` periods.
double microsecondsPerTick(TickSession& s, int periods) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < periods; ++i)
        s.advance(kTick);
    const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
    return took.count() / periods;
}

// The least a tick that reads all of the file costs: open, read whole into a buffer (kept from before,
// or made anew each time), close, and a scan for a zero byte; in microseconds.
double microsecondsPerPlainRead(const char* file, int periods, bool newBuffer) {
    std::string bytes;
    const auto start = std::chrono::steady_clock::now();
    size_t seen = 0;
    for (int i = 0; i < periods; ++i) {
        if (newBuffer) std::string().swap(bytes);
        std::FILE* f = std::fopen(file, "rb");
        if (!f) return 0;
        std::fseek(f, 0, SEEK_END);
        bytes.resize(size_t(std::ftell(f)));
        std::fseek(f, 0, SEEK_SET);
        bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
        std::fclose(f);
        seen += std::memchr(bytes.data(), 0, bytes.size()) ? 0 : bytes.size();
    }
    const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
    return seen ? took.count() / periods : 0;
}

struct SpeedFile {
    const char* what;
    const char* pathKey; // the setting that names the file
    int action;          // the item that starts the feed
    std::string bytes;
    std::string description; // what the feed shows from it with the format below
    bool readWhole = false;  // nothing settles the speeds before the file ends
};

// A feed tick over the file, against a steal tick and a plain read of the same file. One session at a
// time: the sessions share the one plug-in the process loads.
void speedFileTick(Summary& summary, const SpeedFile& f, double stealTime) {
    const int periods = f.bytes.size() > (1u << 20) ? 100 : 2000;
    const char* file = "bench_speed_file.dat";
    brio::test::writeFile(file, f.bytes);
    Allocated allocated;
    double feedTime = 0;
    {
        TickSession feed(BRIO_PLUGIN_PATH);
        const bool started = ready(feed, {"config Brio/format = \"D:{DownSpeed} U:{UpSpeed}\"",
                                          std::string("config ") + f.pathKey + " = \"" + file + "\"", "start",
                                          "use " + std::to_string(f.action)}) &&
                             // Running, not refused, and showing the file's speeds.
                             feed.run({"expect action " + std::to_string(f.action) + " status 4",
                                       "expect network 10 description \"" + f.description + "\""}) &&
                             feed.failures() == 0;
        if (!started) {
            std::remove(file);
            return summary.target((std::string(f.what) + ": the feed runs and shows its speeds").c_str(),
                                  false);
        }
        feed.advance(kTick);
        allocated = feed.advance(kTick);
        feedTime = microsecondsPerTick(feed, periods);
    }
    const double readTime = microsecondsPerPlainRead(file, periods, f.readWhole);
    std::remove(file);
    const std::string what = std::string(f.what) + " (" + std::to_string(f.bytes.size()) + " bytes)";
    row(what.c_str(), allocated);
    if (f.readWhole)
        summary.target((std::string(f.what) + ": at most its bytes and a few blocks, freed").c_str(),
                       allocated.bytes <= f.bytes.size() + 2 * brio::kHeldSpeedBytes &&
                           allocated.bytesLeft == 0);
    else
        summary.target((std::string(f.what) + ": nothing allocated").c_str(),
                       allocated.blocks == 0 && allocated.bytesLeft == 0);
    std::printf("  %-46s %10.2f us\n", "  tick", feedTime);
    std::printf("  %-46s %10.2f us\n",
                f.readWhole ? "  baseline: the file read whole into a new buffer"
                            : "  baseline: the file read whole, plainly",
                readTime);
    std::printf("  %-46s %10.2f us\n", "  baseline: steal tick, description unchanged", stealTime);
    std::printf("  ratios: %.1f plain reads, %.0f steal ticks\n", readTime > 0 ? feedTime / readTime : 0.0,
                stealTime > 0 ? feedTime / stealTime : 0.0);
    summary.target((std::string(f.what) + ": within a frame (16 ms)").c_str(), feedTime < 16000.0);
    summary.target((std::string(f.what) + ": within 8 plain reads of the file").c_str(),
                   readTime > 0 && feedTime <= 8 * readTime);
}

void speedFiles(Summary& summary) {
    constexpr int kStealPeriods = 20000; // a steal tick takes a microsecond or so: many of them to time
    double stealTime = 0;
    {
        TickSession steal(BRIO_PLUGIN_PATH);
        if (!ready(steal, {"contact add 5 \"Ala\" description \"opis\"", "start", "contact 5 use 445101"}))
            return summary.target("steal tick", false);
        steal.advance(kTick);
        stealTime = microsecondsPerTick(steal, kStealPeriods);
    }
    std::string placeholders;
    while (placeholders.size() + 9 <= brio::kLargestSpeedFile)
        placeholders += "{UpSpeed}";
    const std::string speed = placeholders.substr(0, 64); // as far as a speed is taken
    std::string upSpeeds;
    for (size_t i = 0; i + 9 <= speed.size(); i += 9)
        upSpeeds += speed;
    const std::string azureus = brio::test::azureusStatsFile(2000, "48.2 kB/s", "7.1 kB/s");
    // As many downloads as the limit holds, and the same speeds at the end of a limit's worth of "<>".
    const size_t perDownload =
        brio::test::azureusStatsFile(1, "", "").size() - brio::test::azureusStatsFile(0, "", "").size();
    // (Later downloads have longer numbers in their names: a few bytes each to spare.)
    const std::string largest = brio::test::azureusStatsFile(int(brio::kLargestSpeedFile / (perDownload + 8)),
                                                             "48.2 kB/s", "7.1 kB/s");
    const std::string tail = brio::test::azureusStatsFile(0, "1.2 MB/s", "512 B/s");
    std::string worst;
    while (worst.size() + 2 <= brio::kLargestSpeedFile - tail.size())
        worst += "<>";
    std::printf("Time per tick:\n");
    speedFileTick(summary,
                  {"eMule tick, largest file of {UpSpeed}", "Brio/emulePath", 445103, placeholders,
                   "D:" + upSpeeds + speed.substr(63) + " U:" + speed, true},
                  stealTime);
    speedFileTick(summary,
                  {"Azureus tick, 2,000 downloads", "Brio/azureusFile", 445119, azureus, "D:48.2 U:7.1"},
                  stealTime);
    speedFileTick(
        summary,
        {"Azureus tick, largest file of downloads", "Brio/azureusFile", 445119, largest, "D:48.2 U:7.1"},
        stealTime);
    speedFileTick(summary,
                  {"Azureus tick, largest file, speeds after \"<>\"", "Brio/azureusFile", 445119,
                   worst + tail, "D:1.2 U:512"},
                  stealTime);
}

// What the running feed holds on the plug-in's heap, from before its start to after some ticks: its
// object, the speed texts, the format text, the file's buffer.
int64_t heldByFeed(const std::string& bytes) {
    const char* file = "bench_held.xml";
    brio::test::writeFile(file, bytes);
    TickSession s(BRIO_PLUGIN_PATH);
    int64_t held = -1;
    if (ready(s, {"config Brio/format = \"D:{DownSpeed} U:{UpSpeed}\"",
                  "config Brio/azureusFile = \"" + std::string(file) + "\"", "start"})) {
        const int64_t before = brio::host::heap::plugin().bytesInUse;
        if (s.run({"use 445119"})) {
            s.advance(3 * kTick);
            held = brio::host::heap::plugin().bytesInUse - before;
        }
    }
    std::remove(file);
    return held;
}

// A tick on a statistics file of 3 MB beside one on a file of some 300 bytes, both as Azureus writes
// them (the global speeds first): one session, the file written over between rounds, the best round of
// each kept. Targets: the large file's tick within twice the short one's, and the memory the running
// feed holds the same for both within a few blocks.
void threeMegabytesBesideThreeHundredBytes(Summary& summary) {
    const std::string small = brio::test::azureusStatsFile(0, "48.2 kB/s", "7.1 kB/s");
    const size_t perDownload =
        brio::test::azureusStatsFile(1, "", "").size() - brio::test::azureusStatsFile(0, "", "").size();
    const std::string large =
        brio::test::azureusStatsFile(int((3u << 20) / perDownload), "48.2 kB/s", "7.1 kB/s");
    const char* file = "bench_side_by_side.xml";
    brio::test::writeFile(file, small);
    double smallTime = 1e300;
    double largeTime = 1e300;
    {
        TickSession s(BRIO_PLUGIN_PATH);
        if (!ready(s, {"config Brio/format = \"D:{DownSpeed} U:{UpSpeed}\"",
                       "config Brio/azureusFile = \"" + std::string(file) + "\"", "start", "use 445119"}) ||
            !s.run({"expect network 10 description \"D:48.2 U:7.1\""})) {
            std::remove(file);
            return summary.target("Azureus tick, 3 MB beside 300 bytes: the feed runs", false);
        }
        constexpr int kRounds = 5;
        constexpr int kPeriods = 2000;
        for (int round = 0; round < kRounds; ++round) {
            brio::test::writeFile(file, small);
            s.advance(kTick);
            smallTime = std::min(smallTime, microsecondsPerTick(s, kPeriods));
            brio::test::writeFile(file, large);
            s.advance(kTick);
            largeTime = std::min(largeTime, microsecondsPerTick(s, kPeriods));
        }
        summary.target("Azureus tick, 3 MB beside 300 bytes: the feed shows the same speeds",
                       s.run({"expect network 10 description \"D:48.2 U:7.1\""}) && s.failures() == 0);
    }
    std::remove(file);
    const int64_t smallHeld = heldByFeed(small);
    const int64_t largeHeld = heldByFeed(large);
    const double ratio = smallTime > 0 ? largeTime / smallTime : 0.0;
    std::printf(
        "Azureus tick, %zu bytes beside %zu bytes: %.2f us against %.2f us, ratio %.2f (goal under 2); "
        "held by the running feed: %lld bytes against %lld bytes\n",
        large.size(), small.size(), largeTime, smallTime, ratio, (long long)largeHeld, (long long)smallHeld);
    summary.target("Azureus tick, 3 MB beside 300 bytes: ratio under 2", ratio > 0 && ratio < 2.0);
    summary.target("Azureus feed, 3 MB beside 300 bytes: holds no more than a few blocks more",
                   smallHeld > 0 && largeHeld >= 0 &&
                       largeHeld <= smallHeld + int64_t(brio::kHeldSpeedBytes));
}

Allocated cycling(int entries) {
    TickSession s(BRIO_PLUGIN_PATH);
    if (!ready(s, {"config Brio/list = \"" + brio::test::listText(entries) + "\"", "start", "use 445115"}))
        return {};
    s.advance(3 * kTick);
    return s.advance(100 * kTick);
}

// The bytes of a text as the host's lines show it (ASCII here: only the escapes are undone).
size_t shownBytes(std::string_view shown) {
    size_t n = 0;
    for (size_t i = 0; i < shown.size(); ++i, ++n)
        if (shown[i] == '\\') i += shown[i + 1] == 'x' ? 3 : 1;
    return n;
}

void keptStores(Summary& summary) {
    TickSession s(BRIO_PLUGIN_PATH);
    for (int n = 0; n < 12; ++n)
        if (!s.run({"network add " + std::to_string(101 + n) + " \"Siec " + std::to_string(n) +
                    "\" description \"" + std::string(200, char('a' + n)) + "\""}))
            return summary.target("kept records: the networks", false);
    const std::string entry = "0\\x0C10\\x0D";
    if (!ready(s, {"config Brio/list = \"" + entry + std::string(1000, 'x') + "\\x0E" + entry +
                       std::string(1000, 'y') + "\\x0E\"",
                   "start", "use 445115"}))
        return summary.target("kept records: the list runs", false);
    std::FILE* lines = std::tmpfile();
    if (!lines) return summary.target("kept records: a file for the host's lines", false);
    s.recordTo(lines);
    constexpr int kSteps = 10;
    s.advance(kSteps * kTick);
    s.recordTo(nullptr);
    std::rewind(lines);
    const std::string store = "setValue config Brio/keptOwn ";
    size_t stores = 0, bytes = 0, largest = 0;
    char buffer[1 << 16];
    std::string line;
    while (std::fgets(buffer, sizeof buffer, lines)) {
        line += buffer;
        if (line.empty() || line.back() != '\n') continue;
        if (const size_t at = line.find(store); at != std::string::npos) {
            const size_t size =
                shownBytes(line.substr(at + store.size() + 1, line.size() - at - store.size() - 3));
            ++stores;
            bytes += size;
            largest = std::max(largest, size);
        }
        line.clear();
    }
    std::fclose(lines);
    std::printf("Stores of the kept records, 12 networks, %d list steps of 1,000 bytes: %zu stores, %.2f per "
                "step (goal 1), %zu bytes in all, %zu per step, largest %zu\n",
                kSteps, stores, double(stores) / kSteps, bytes, bytes / kSteps, largest);
    summary.target("kept records: at most one store per list step", stores > 0 && stores <= size_t(kSteps));
}

} // namespace

int main() {
    Summary summary;
    std::printf("What the plug-in allocates per tick (blocks and bytes made, change of its heap in use):\n");
    stealing(summary);
    const std::string padding(6, 'X'); // Azureus ends every value with six bytes of its own
    feed(summary, "eMule", "bench_onlinesig.dat", "Brio/emulePath", 445103,
         "1|eMule Server|176.9.40.12|4242\n1234.5|456.7|3\n",
         "1|eMule Server|176.9.40.12|4242\n" + std::string(100, '1') + "|456.7|3\n");
    feed(summary, "Azureus", "bench_stats.xml", "Brio/azureusFile", 445119,
         "<STATS><DOWNLOAD_SPEED><TEXT>1234.5" + padding +
             "</TEXT></DOWNLOAD_SPEED><UPLOAD_SPEED><TEXT>456.7" + padding + "</TEXT></UPLOAD_SPEED></STATS>",
         "<STATS><DOWNLOAD_SPEED><TEXT>" + std::string(100, '1') + padding +
             "</TEXT></DOWNLOAD_SPEED><UPLOAD_SPEED><TEXT>456.7" + padding +
             "</TEXT></UPLOAD_SPEED></STATS>");
    speedFiles(summary);
    threeMegabytesBesideThreeHundredBytes(summary);
    const Allocated few = cycling(10);
    const Allocated many = cycling(1000);
    row("100 cycling steps, 1000 entries", many);
    row("  baseline: 100 cycling steps, 10 entries", few);
    const double ratio = few.bytes ? double(many.bytes) / double(few.bytes) : (many.bytes ? 0.0 : 1.0);
    std::printf("  bytes per step, 1000 entries against 10: ratio %.2f\n", ratio);
    summary.target("cycling step: the same over 1000 entries as over 10",
                   few.blocks == many.blocks && few.bytes == many.bytes && many.bytesLeft == 0);
    keptStores(summary);
    std::printf("%d target(s) missed\n", summary.failed);
    return 0;
}
