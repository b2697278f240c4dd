// What the plug-in allocates on the ticks that run for as long as the messenger does, each beside a
// baseline measured in the same run: the same tick when there is something new to take (a changed
// description, a grown file) and, for cycling, the same steps over a list a hundred times shorter.
// Counted by this program's own operator new (host/counting_new.cpp), only while the plug-in's code
// runs. Targets: an unchanged steal tick allocates nothing; an unchanged feed tick at most its file's
// buffer, freed again; a cycling step over 1,000 entries as much as over 10 (ratio 1.00). A cycling
// step re-arms its one-shot timer, which the headless desktop records in a block of its own. The summary
// gives PASS or FAIL per target; the program exits 0 either way.
//
// Then the time of a feed tick over speed files of real size and at the limit a feed accepts (8 MB):
// eMule's worst (all of it "{UpSpeed}": both speeds are all of it, cut short), a statistics file as
// Azureus writes it for 2,000 downloads (some 3 MB) and for as many as the limit holds, and one as large
// as a speed file may be with its speeds at its end behind "<><><>..." (the worst for the tag search; a
// plain search that stops at every "<" took some 60 ms over it). Beside them: a steal tick, and the same
// file opened, read whole and scanned for a zero byte, the least any feed tick must do. Targets: each
// feed tick within one frame (16 ms, wall time on this machine) and within 8 plain reads of its file.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

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

// The least a tick over the file costs: open, read whole into a buffer kept from before, close, and a
// scan for a zero byte; in microseconds.
double microsecondsPerPlainRead(const char* file, int periods) {
    std::string bytes;
    const auto start = std::chrono::steady_clock::now();
    size_t seen = 0;
    for (int i = 0; i < periods; ++i) {
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
    const double readTime = microsecondsPerPlainRead(file, periods);
    std::remove(file);
    const std::string what = std::string(f.what) + " (" + std::to_string(f.bytes.size()) + " bytes)";
    row(what.c_str(), allocated);
    summary.target((std::string(f.what) + ": at most its buffer, freed").c_str(),
                   allocated.blocks <= 1 && allocated.bytes <= f.bytes.size() + 1 &&
                       allocated.bytesLeft == 0);
    std::printf("  %-46s %10.2f us\n", "  tick", feedTime);
    std::printf("  %-46s %10.2f us\n", "  baseline: the file read whole, plainly", readTime);
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
                   "D:" + upSpeeds + speed.substr(63) + " U:" + speed},
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

Allocated cycling(int entries) {
    TickSession s(BRIO_PLUGIN_PATH);
    if (!ready(s, {"config Brio/list = \"" + brio::test::listText(entries) + "\"", "start", "use 445115"}))
        return {};
    s.advance(3 * kTick);
    return s.advance(100 * kTick);
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
    const Allocated few = cycling(10);
    const Allocated many = cycling(1000);
    row("100 cycling steps, 1000 entries", many);
    row("  baseline: 100 cycling steps, 10 entries", few);
    const double ratio = few.bytes ? double(many.bytes) / double(few.bytes) : (many.bytes ? 0.0 : 1.0);
    std::printf("  bytes per step, 1000 entries against 10: ratio %.2f\n", ratio);
    summary.target("cycling step: the same over 1000 entries as over 10",
                   few.blocks == many.blocks && few.bytes == many.bytes && many.bytesLeft == 0);
    std::printf("%d target(s) missed\n", summary.failed);
    return 0;
}
