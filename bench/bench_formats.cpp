// Speed of the list text and of the placeholder substitution, each against the cheapest code that
// touches the same bytes in the same run:
//   parse      against a memchr scan that finds every record's three delimiters;
//   write      against allocating an output of the same size and memcpy-ing the finished text into it;
//   replaceAll against allocating an output of the result's size and memcpy-ing the text into it.
// The parse is parseListText, which hands each record on as a view; the two readers, which also copy
// every description into a string of its own, are shown beside it for information.
// Informative floors: for the readers, the scan plus one std::string per description (the least a reader
// returning entries that own their descriptions must do); for the writer, copying every row's bytes and
// delimiters into one buffer without looking at them (the rows' texts lie apart on the heap, the
// baseline's bytes do not); for replaceAll, memchr to the first byte of every placeholder, copying
// nothing.
// A reader's result is freed outside the timed part: freeing a million descriptions is the allocator's
// work for whoever drops the list (the cycler, when it stops), not the parse's, and takes about as long as
// the parse itself; one informative line shows buildCycleList with the freeing included.
// A second table sets each operation beside its floor; the writer and replaceAll are judged there (at
// least 0.8 and a third of their floors), the parse against its memchr baseline (at least 0.5).
// Each operation also runs at twice the size, so that a path that grows faster than linearly shows up
// as a time ratio above 2. Every benchmark runs three times and the fastest run counts. The summary
// printed at the end gives PASS or FAIL per target; the program exits 0 either way.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bench/random.h"
#include "formats/list_text.h"
#include "formats/replace_all.h"

namespace {

constexpr size_t kEntries = 1'000'000;
constexpr size_t kReplaceBytes = 1 << 20;
constexpr size_t kPlaceholders = 50'000;
constexpr std::string_view kPlaceholder = "{DownSpeed}";
constexpr std::string_view kSpeed = "123.4 kB/s";

using brio::bench::Random;

char textByte(Random& random) {
    static constexpr char kBytes[] = "abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789.,!?"
                                     "\xEA\xB9\xE6\xB3\xF3\x9C\x9F\xBF";
    return kBytes[random.below(sizeof kBytes - 1)];
}

struct ListInput {
    std::vector<brio::ListRow> rows;
    std::string text;
};

// Descriptions of 0 to 120 bytes (about 60 on average), times from 10 s to an hour.
const ListInput& listInput(size_t entries) {
    static std::map<size_t, std::unique_ptr<ListInput>> cache;
    std::unique_ptr<ListInput>& input = cache[entries];
    if (!input) {
        input = std::make_unique<ListInput>();
        Random random{uint32_t(entries) | 1u};
        input->rows.reserve(entries);
        for (size_t i = 0; i < entries; ++i) {
            std::string description(random.below(121), ' ');
            for (char& c : description)
                c = textByte(random);
            input->rows.push_back(
                {int32_t(random.below(6)), std::to_string(10 + random.below(3591)), std::move(description)});
        }
        input->text = brio::writeListText(input->rows);
    }
    return *input;
}

struct ReplaceInput {
    std::string text;
    size_t resultSize;
};

// `bytes` of text in which `placeholders` copies of the placeholder stand at random distances.
const ReplaceInput& replaceInput(size_t bytes, size_t placeholders) {
    static std::map<size_t, std::unique_ptr<ReplaceInput>> cache;
    std::unique_ptr<ReplaceInput>& input = cache[bytes];
    if (!input) {
        input = std::make_unique<ReplaceInput>();
        Random random{uint32_t(bytes) | 1u};
        size_t filler = bytes - placeholders * kPlaceholder.size();
        std::vector<size_t> cuts(placeholders);
        for (size_t& cut : cuts)
            cut = random.below(uint32_t(filler + 1));
        std::sort(cuts.begin(), cuts.end());
        std::string& text = input->text;
        text.reserve(bytes);
        size_t written = 0;
        for (size_t cut : cuts) {
            for (; written < cut; ++written)
                text += textByte(random);
            text += kPlaceholder;
        }
        for (; written < filler; ++written)
            text += textByte(random);
        input->resultSize = text.size() - placeholders * (kPlaceholder.size() - kSpeed.size());
    }
    return *input;
}

// A fresh, uninitialised output buffer as a writer gets from reserve, filled with memcpy.
void copyToNewBuffer(const std::string& bytes, size_t size) {
    std::unique_ptr<char[]> out(new char[size]);
    std::memcpy(out.get(), bytes.data(), std::min(size, bytes.size()));
    benchmark::DoNotOptimize(out.get());
    benchmark::ClobberMemory();
}

// memchr to every record's three delimiters; `description` gets each description's first and end byte.
template <class Description> size_t scanRecords(std::string_view text, Description&& description) {
    const char* p = text.data();
    const char* const end = p + text.size();
    size_t records = 0;
    for (;;) {
        auto a = static_cast<const char*>(std::memchr(p, 0x0C, size_t(end - p)));
        if (!a) break;
        auto c = static_cast<const char*>(std::memchr(a + 1, 0x0D, size_t(end - a - 1)));
        if (!c) break;
        auto e = static_cast<const char*>(std::memchr(c + 1, 0x0E, size_t(end - c - 1)));
        if (!e) break;
        description(c + 1, e);
        ++records;
        p = e + 1;
    }
    return records;
}

// The scan above, keeping a copy of every description.
std::vector<std::string> scanRecordsWithStrings(std::string_view text) {
    std::vector<std::string> descriptions;
    scanRecords(text, [&](const char* from, const char* to) { descriptions.emplace_back(from, to); });
    return descriptions;
}

// Every row's bytes copied into one new buffer of the text's size, with no look at any byte: what any
// writer of these rows must at least do.
void copyRows(const std::vector<brio::ListRow>& rows, size_t size) {
    std::unique_ptr<char[]> text(new char[size]);
    char* out = text.get();
    for (const brio::ListRow& row : rows) {
        *out++ = char('0' + row.status);
        *out++ = '\x0C';
        std::memcpy(out, row.seconds.data(), row.seconds.size());
        out += row.seconds.size();
        *out++ = '\x0D';
        std::memcpy(out, row.description.data(), row.description.size());
        out += row.description.size();
        *out++ = '\x0E';
    }
    benchmark::DoNotOptimize(text.get());
    benchmark::ClobberMemory();
}

// memchr to every '{', the first byte of the placeholder.
size_t scanPlaceholders(std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    size_t found = 0;
    while ((p = static_cast<const char*>(std::memchr(p, '{', size_t(end - p))))) {
        ++found;
        ++p;
    }
    return found;
}

constexpr double kMinTime = 0.15;
constexpr int kRepetitions = 3;

void registerList(const std::string& name, size_t entries, void (*body)(const ListInput&)) {
    benchmark::RegisterBenchmark((name + "/" + std::to_string(entries)).c_str(),
                                 [entries, body](benchmark::State& state) {
                                     const ListInput& input = listInput(entries);
                                     for (auto _ : state)
                                         body(input);
                                     state.SetBytesProcessed(int64_t(state.iterations()) *
                                                             int64_t(input.text.size()));
                                 })
        ->Unit(benchmark::kMillisecond)
        ->MinTime(kMinTime)
        ->Repetitions(kRepetitions);
}

// A benchmark of a reader: its result is freed with the timer paused.
template <class Result>
void registerListReader(const std::string& name, size_t entries, Result (*body)(const ListInput&)) {
    benchmark::RegisterBenchmark((name + "/" + std::to_string(entries)).c_str(),
                                 [entries, body](benchmark::State& state) {
                                     const ListInput& input = listInput(entries);
                                     for (auto _ : state) {
                                         Result result = body(input);
                                         benchmark::DoNotOptimize(result.data());
                                         state.PauseTiming();
                                         Result().swap(result);
                                         state.ResumeTiming();
                                     }
                                     state.SetBytesProcessed(int64_t(state.iterations()) *
                                                             int64_t(input.text.size()));
                                 })
        ->Unit(benchmark::kMillisecond)
        ->MinTime(kMinTime)
        ->Repetitions(kRepetitions);
}

void registerReplace(const std::string& name, size_t scale, void (*body)(const ReplaceInput&)) {
    benchmark::RegisterBenchmark(
        (name + "/" + std::to_string(scale * kReplaceBytes)).c_str(),
        [scale, body](benchmark::State& state) {
            const ReplaceInput& input = replaceInput(scale * kReplaceBytes, scale * kPlaceholders);
            for (auto _ : state)
                body(input);
            state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(input.text.size()));
        })
        ->Unit(benchmark::kMicrosecond)
        ->MinTime(kMinTime)
        ->Repetitions(kRepetitions);
}

// Keeps the fastest CPU time per iteration of each benchmark, in seconds, while printing as usual.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            double time = run.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            auto [entry, added] = seconds.try_emplace(run.run_name.function_name, time);
            if (!added && time < entry->second) entry->second = time;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

void printSummary(const std::map<std::string, double>& seconds) {
    auto time = [&](const std::string& name) {
        auto found = seconds.find(name);
        return found == seconds.end() ? 0.0 : found->second;
    };
    auto verdict = [](bool pass) { return pass ? "PASS" : "FAIL"; };
    std::string n = std::to_string(kEntries), n2 = std::to_string(2 * kEntries);
    std::string b = std::to_string(kReplaceBytes), b2 = std::to_string(2 * kReplaceBytes);

    std::printf("\nThroughput against the baseline (ratio = baseline time / time; 1.0 is baseline speed)\n");
    std::printf("%-24s %10s %10s %8s %8s %8s\n", "operation", "time ms", "base ms", "ratio", "ns/item",
                "target");
    struct Line {
        const char* label;
        std::string name, baseline;
        double items, target; // target 0: information only
    };
    const double entries = double(kEntries), matches = double(kPlaceholders);
    const Line lines[] = {
        {"parse: parseListText", "parse_list_text/" + n, "parse_baseline_memchr/" + n, entries, 0.5},
        {"read: buildCycleList", "parse_cycle_list/" + n, "parse_baseline_memchr/" + n, entries, 0},
        {"read: readListRows", "parse_list_rows/" + n, "parse_baseline_memchr/" + n, entries, 0},
        {"parse + free (cycle)", "parse_cycle_list_and_free/" + n, "parse_baseline_memchr/" + n, entries, 0},
        {"parse floor (strings)", "parse_floor_memchr_strings/" + n, "parse_baseline_memchr/" + n, entries,
         0},
        {"write: writeListText", "write_list_text/" + n, "write_baseline_memcpy/" + n, entries, 0},
        {"write floor (copies)", "write_floor_copy/" + n, "write_baseline_memcpy/" + n, entries, 0},
        {"replaceAll 1 MiB", "replace_all/" + b, "replace_baseline_memcpy/" + b, matches, 0},
        {"replace floor (memchr)", "replace_floor_memchr/" + b, "replace_baseline_memcpy/" + b, matches, 0},
    };
    for (const Line& line : lines) {
        double t = time(line.name), base = time(line.baseline);
        if (t <= 0 || base <= 0) {
            std::printf("%-24s not run\n", line.label);
            continue;
        }
        double ratio = base / t;
        std::printf("%-24s %10.3f %10.3f %8.3f %8.1f ", line.label, t * 1e3, base * 1e3, ratio,
                    t * 1e9 / line.items);
        if (line.target > 0)
            std::printf(">= %.2f %s\n", line.target, verdict(ratio >= line.target));
        else
            std::printf("(information)\n");
    }

    // The same operations against their floors: how much of what the input allows the code reaches. The
    // writer and replaceAll are judged here: no code could come near a memcpy of the finished bytes.
    std::printf("\nAgainst the floor (ratio = floor time / time)\n");
    struct Floor {
        const char* label;
        std::string name, floor;
        double target; // 0: information only
    };
    const Floor floors[] = {
        {"read: buildCycleList", "parse_cycle_list/" + n, "parse_floor_memchr_strings/" + n, 0},
        {"write: writeListText", "write_list_text/" + n, "write_floor_copy/" + n, 0.8},
        {"replaceAll 1 MiB", "replace_all/" + b, "replace_floor_memchr/" + b, 1.0 / 3.0},
    };
    for (const Floor& f : floors) {
        double t = time(f.name), floor = time(f.floor);
        if (t <= 0 || floor <= 0) {
            std::printf("%-24s not run\n", f.label);
            continue;
        }
        std::printf("%-24s %8.3f ", f.label, floor / t);
        if (f.target > 0)
            std::printf(">= %.2f %s\n", f.target, verdict(floor / t >= f.target));
        else
            std::printf("(information)\n");
    }

    std::printf("\nGrowth at twice the size (time(2N) / time(N); linear is 2.0)\n");
    struct Growth {
        const char* label;
        std::string name, doubled;
    };
    const Growth growths[] = {
        {"parse: parseListText", "parse_list_text/" + n, "parse_list_text/" + n2},
        {"parse: buildCycleList", "parse_cycle_list/" + n, "parse_cycle_list/" + n2},
        {"parse: readListRows", "parse_list_rows/" + n, "parse_list_rows/" + n2},
        {"write: writeListText", "write_list_text/" + n, "write_list_text/" + n2},
        {"replaceAll", "replace_all/" + b, "replace_all/" + b2},
    };
    for (const Growth& growth : growths) {
        double t = time(growth.name), t2 = time(growth.doubled);
        if (t <= 0 || t2 <= 0) {
            std::printf("%-24s not run\n", growth.label);
            continue;
        }
        std::printf("%-24s %8.2f  <= 2.50 %s\n", growth.label, t2 / t, verdict(t2 / t <= 2.5));
    }
}

} // namespace

int main(int argc, char** argv) {
#ifndef __OPTIMIZE__
    std::printf("warning: built without optimisation; the figures below mean little\n");
#endif
    for (size_t entries : {kEntries, 2 * kEntries}) {
        registerList("parse_baseline_memchr", entries, [](const ListInput& in) {
            benchmark::DoNotOptimize(scanRecords(in.text, [](const char*, const char*) {}));
        });
        registerList("parse_list_text", entries, [](const ListInput& in) {
            size_t bytes = 0; // what a reader looks at: every record's fields and description
            brio::parseListText(in.text, [&](const brio::ListRecord& r) {
                bytes += r.description.size() + size_t(r.position) + size_t(r.seconds);
            });
            benchmark::DoNotOptimize(bytes);
        });
        registerListReader<std::vector<std::string>>(
            "parse_floor_memchr_strings", entries,
            [](const ListInput& in) { return scanRecordsWithStrings(in.text); });
        registerListReader<std::vector<brio::StatusEntry>>(
            "parse_cycle_list", entries, [](const ListInput& in) { return brio::buildCycleList(in.text); });
        registerListReader<std::vector<brio::ListRow>>(
            "parse_list_rows", entries, [](const ListInput& in) { return brio::readListRows(in.text); });
        if (entries == kEntries)
            registerList("parse_cycle_list_and_free", entries, [](const ListInput& in) {
                benchmark::DoNotOptimize(brio::buildCycleList(in.text));
            });
        registerList("write_baseline_memcpy", entries,
                     [](const ListInput& in) { copyToNewBuffer(in.text, in.text.size()); });
        registerList("write_floor_copy", entries,
                     [](const ListInput& in) { copyRows(in.rows, in.text.size()); });
        registerList("write_list_text", entries,
                     [](const ListInput& in) { benchmark::DoNotOptimize(brio::writeListText(in.rows)); });
    }
    for (size_t scale : {1, 2}) {
        registerReplace("replace_baseline_memcpy", scale,
                        [](const ReplaceInput& in) { copyToNewBuffer(in.text, in.resultSize); });
        registerReplace("replace_floor_memchr", scale,
                        [](const ReplaceInput& in) { benchmark::DoNotOptimize(scanPlaceholders(in.text)); });
        registerReplace("replace_all", scale, [](const ReplaceInput& in) {
            benchmark::DoNotOptimize(brio::replaceAll(in.text, kPlaceholder, kSpeed));
        });
    }

    // Keep every allocation on the heap and the heap mapped: otherwise whether a large block comes with
    // fresh pages (and their faults) depends on what the allocator saw before, and a baseline and the
    // code under test could be measured under different conditions.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, INT32_MAX);

    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    printSummary(reporter.seconds);
    return 0;
}
