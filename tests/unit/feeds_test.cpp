// The transfer-speed feeds as the controller runs them: the file read at start and at every period,
// the speed texts, the format text applied, the failures the user is told of, and stopping.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "boundary/action_ids.h"
#include "boundary/settings.h"
#include "cycling/steal_timer.h"
#include "description/description_setter.h"
#include "description/speed_setter.h"
#include "fake_networks.h"
#include "feeds/speed_feed.h"
#include "formats/azureus_stats.h"
#include "formats/onlinesig.h"
#include "platform/headless/driver.h"
#include "platform/open_file.h"
#include "platform/read_whole_file.h"
#include "plugin/mode_controller.h"
#include "temp_folder.h"

namespace brio {
namespace {

using test::FakeHost;
using test::FakeNetworks;
using test::SetCall;

const std::string kOnlineSig = "1|srv|1.2.3.4|4242\n12.3|4.5|7\n";
const std::string kUnit = "\xC2\xA0kB/s";
std::string azureusStats(const std::string& down, const std::string& up) {
    return "<STATS><DOWNLOAD_SPEED><TEXT>" + down + kUnit + "</TEXT></DOWNLOAD_SPEED><UPLOAD_SPEED><TEXT>" +
           up + kUnit + "</TEXT></UPLOAD_SPEED></STATS>";
}

const std::string kBadEmulePath = "Błędna ścieżka dostępu do pliku onlinesig.dat!";
const std::string kBadAzureusPath = "Błędna ścieżka dostępu do pliku!";

std::string sizeFailure(unsigned code) {
    return "GetFileSize() failed: GetLastError returned " + std::to_string(code) + "\r\n";
}

using test::TempFolder;

struct Box {
    std::string text;
    std::string title;
    platform::MessageIcon icon;
    bool operator==(const Box&) const = default;
};

class FeedsTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        speedTexts() = SpeedTexts{};
        headless::onMessage([this](const headless::ShownMessage& m) {
            boxes.push_back(Box{m.text, m.title, m.icon});
            if (duringBox) duringBox();
        });
        nets.addNetwork(10);
        nets.networks[10].description = "saved";
        host.texts[setting::kFormat] = "D: {DownSpeed} U: {UpSpeed}";
        controller = std::make_unique<ModeController>(host.gateway());
    }
    void TearDown() override {
        duringBox = nullptr;
        if (controller) controller->shutdown();
        controller.reset();
        headless::reset();
    }

    std::vector<std::string> shown() const {
        std::vector<std::string> out;
        for (const SetCall& c : nets.sets)
            out.push_back(c.text);
        return out;
    }

    bool startEmule(const std::string& path, int32_t interval = 10) {
        return controller->setEmuleFeed(true, path, interval);
    }
    bool startAzureus(const std::string& path, int32_t interval = 10) {
        return controller->setAzureusFeed(true, path, interval);
    }

    FakeHost host;
    FakeNetworks nets{host};
    std::unique_ptr<ModeController> controller;
    TempFolder folder;
    std::vector<Box> boxes;
    std::function<void()> duringBox; // what the user does while a message box is open
};

// --- readWholeFile ---

struct ReadCase {
    const char* name;
    std::string bytes;
    std::string text;
};

class ReadWholeFileTest : public FeedsTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadWholeFileTest, BytesUpToTheFirstZero) {
    const std::string path = folder.write("f", GetParam().bytes);
    EXPECT_EQ(readWholeFile(path), GetParam().text);
    EXPECT_TRUE(boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Feeds, ReadWholeFileTest,
                         testing::Values(ReadCase{"Plain", "abc\r\n\xFF", "abc\r\n\xFF"},
                                         ReadCase{"Empty", "", ""},
                                         ReadCase{"CutAtZero", std::string("ab\0cd", 5), "ab"},
                                         ReadCase{"ZeroFirst", std::string("\0cd", 3), ""}),
                         [](const auto& info) { return std::string(info.param.name); });

// Megabytes, made here rather than in the table above: a table's values are made whenever the test
// program starts.
TEST_F(FeedsTest, ReadsTheLargestFileWhole) {
    const std::string bytes(kLargestSpeedFile, 'x');
    EXPECT_EQ(readWholeFile(folder.write("f", bytes)), bytes);
    EXPECT_TRUE(boxes.empty());
}

// A buffer read into again and again holds the file as it is now: a shorter file leaves nothing of a
// longer one behind, and one that cannot be read leaves the buffer empty.
TEST_F(FeedsTest, ReadingIntoABufferKeptFromBefore) {
    std::string bytes;
    const struct {
        std::string contents; // none: the file is gone
        bool exists;
        std::string text;
    } steps[] = {{std::string(500, 'x'), true, std::string(500, 'x')},
                 {"krótki", true, "krótki"},
                 {std::string("ab\0cd", 5), true, "ab"},
                 {"", false, ""},
                 {"znowu", true, "znowu"}};
    const std::string path = folder.name("again.dat");
    for (const auto& step : steps) {
        std::remove(path.c_str());
        if (step.exists) folder.write("again.dat", step.contents);
        boxes.clear();
        EXPECT_EQ(readWholeFile(path, bytes), step.exists) << step.text;
        EXPECT_EQ(bytes, step.text);
        EXPECT_EQ(boxes.size(), step.exists ? 0u : 1u);
    }
}

// As on Windows, a file held open elsewhere cannot be read; a read holds it only while it runs.
TEST_F(FeedsTest, AFileHeldOpenCannotBeRead) {
    const std::string path = folder.write("held.dat", "1|a|b|c\n1|2|3\n");
    std::string bytes = "before";
    {
        const std::unique_ptr<platform::OpenFile> held = platform::openFileForReading(path);
        EXPECT_FALSE(readWholeFile(path, bytes));
        EXPECT_EQ(bytes, "");
        EXPECT_FALSE(readSpeedFile(path, bytes, {onlineSigSettled, nullptr}));
        EXPECT_EQ(bytes, "");
        EXPECT_EQ(boxes, (std::vector<Box>(2, {sizeFailure(32), "Error", platform::MessageIcon::None})));
    }
    EXPECT_TRUE(readWholeFile(path, bytes));
    EXPECT_EQ(bytes, "1|a|b|c\n1|2|3\n");
    uint32_t error = 0;
    EXPECT_TRUE(platform::openFileForReading(path)->readAll(error).has_value());
}

TEST_F(FeedsTest, UnreadableFilesAreReportedWithTheSystemCode) {
    const std::string inFolder = folder.folder("sub");
    struct Case {
        std::string path;
        unsigned code;
    };
    const Case cases[] = {
        {folder.name("missing.dat"), 2}, {folder.name("nofolder/missing.dat"), 3}, {inFolder, 5}, {"", 3}};
    for (const Case& c : cases) {
        boxes.clear();
        EXPECT_EQ(readWholeFile(c.path), "") << c.path;
        EXPECT_EQ(boxes, (std::vector<Box>{{sizeFailure(c.code), "Error", platform::MessageIcon::None}}))
            << c.path;
    }
}

// A file larger than a speed file can be is refused by its name, whatever folder it is in; the bytes
// kept from before do not stay.
TEST_F(FeedsTest, TooLargeFilesAreRefusedByTheirName) {
    const std::string sub = folder.folder("p2p") + "/";
    const std::string tooLarge = "Plik \"onlinesig.dat\" jest za duży (ponad 8 MB).";
    const struct {
        size_t size;
        bool read;
    } cases[] = {{kLargestSpeedFile, true}, {kLargestSpeedFile + 1, false}, {3u << 20, true}};
    for (const auto& c : cases) {
        const std::string path = folder.write("p2p/onlinesig.dat", std::string(c.size, '7'));
        std::string bytes = "before";
        boxes.clear();
        EXPECT_EQ(readWholeFile(path, bytes), c.read) << c.size;
        EXPECT_EQ(bytes.size(), c.read ? c.size : 0u) << c.size;
        if (c.read)
            EXPECT_TRUE(boxes.empty()) << c.size;
        else
            EXPECT_EQ(boxes, (std::vector<Box>{{tooLarge, "Brio - Error", platform::MessageIcon::Warning}}));
    }
    EXPECT_EQ(fileNameOf("C:\\eMule\\config\\onlinesig.dat"), "onlinesig.dat");
    EXPECT_EQ(fileNameOf("/home/u/.aMule/onlinesig.dat"), "onlinesig.dat");
    EXPECT_EQ(fileNameOf("onlinesig.dat"), "onlinesig.dat");
    EXPECT_EQ(fileNameOf("C:\\eMule\\"), "C:\\eMule\\");
}

// An onlinesig.dat of nothing but "{UpSpeed}" (196 KB of it used to make a description of gigabytes):
// one past the limit is refused at the start; one that stays within it gives speeds cut short, and a
// description of their size.
TEST_F(FeedsTest, AFileOfPlaceholdersMakesNoLongDescription) {
    std::string placeholders;
    while (placeholders.size() + 9 <= kLargestSpeedFile)
        placeholders += "{UpSpeed}";
    host.texts[setting::kFormat] = "{DownSpeed}";

    const std::string measured = placeholders + "{UpSpeed}"; // past the limit
    EXPECT_FALSE(startEmule(folder.write("big.dat", measured)));
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.front().text, "Plik \"big.dat\" jest za duży (ponad 8 MB).");
    EXPECT_EQ(controller->emuleFeed(), nullptr);
    EXPECT_TRUE(nets.sets.empty());

    boxes.clear();
    const std::string path = folder.write("onlinesig.dat", placeholders);
    ASSERT_TRUE(startEmule(path));
    const std::string speed = placeholders.substr(0, kLongestSpeed);
    EXPECT_EQ(speedTexts().emuleDown, speed);
    EXPECT_EQ(speedTexts().emuleUp, speed);
    // The download speed holds 7 "{UpSpeed}", each filled with the upload speed, and its last byte.
    ASSERT_EQ(nets.sets.size(), 1u);
    EXPECT_EQ(nets.sets[0].text.size(), 7 * kLongestSpeed + 1);
    // Grown past the limit while running: each period says so, and the feed goes on with what it had.
    folder.write("onlinesig.dat", measured);
    headless::advance(20000);
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(controller->mode, mode::kEmule);
    EXPECT_EQ(speedTexts().emuleUp, speed);
    folder.write("onlinesig.dat", kOnlineSig);
    headless::advance(10000);
    EXPECT_EQ(nets.sets.back().text, "12.3");
    EXPECT_EQ(boxes.size(), 2u);
}

// The limit holds for what must be read: a file of any size whose speeds are settled within it is read as
// far as the block that settles them and shown; speeds settled only past it make the file too large.
TEST_F(FeedsTest, TheLimitHoldsForWhatMustBeRead) {
    const std::string top = azureusStats("48.2", "7.1");
    const std::string pastTheLimit(kLargestSpeedFile, ' ');
    const std::string path = folder.write("stats.xml", top + pastTheLimit);
    std::string bytes;
    EXPECT_TRUE(readSpeedFile(path, bytes, {azureusSpeedsSettled, azureusSpeedsFrom}));
    EXPECT_EQ(bytes.size(), kSpeedFileBlock);
    ASSERT_TRUE(startAzureus(path));
    EXPECT_EQ(shown(), std::vector<std::string>{"D: 48.2 U: 7.1"});

    // Settled by the last "</UPLOAD_SPEED>", which ends at the limit, or one byte later.
    const std::string speeds = azureusStats("9", "8");
    const std::string settling = speeds.substr(0, speeds.rfind("</STATS>"));
    for (const size_t padding :
         {kLargestSpeedFile - settling.size() + 1, kLargestSpeedFile - settling.size()}) {
        folder.write("stats.xml", std::string(padding, ' ') + speeds);
        headless::advance(10000);
    }
    EXPECT_EQ(boxes, (std::vector<Box>{{"Plik \"stats.xml\" jest za duży (ponad 8 MB).", "Brio - Error",
                                        platform::MessageIcon::Warning}}));
    EXPECT_EQ(shown(), (std::vector<std::string>{"D: 48.2 U: 7.1", "D: 9 U: 8"}));
}

// --- starting ---

struct StartFailure {
    const char* name;
    bool azureus;
    const char* file; // null: no path; otherwise a file name in the folder, created with `bytes` if set
    std::optional<std::string> bytes;
    std::vector<std::string> texts; // the message boxes, in order
};

class FeedStartFailureTest : public FeedsTest, public ::testing::WithParamInterface<StartFailure> {};

TEST_P(FeedStartFailureTest, TellsTheUserAndRunsNothingNew) {
    const StartFailure& c = GetParam();
    controller->setCycling(true,
                           std::string("0\x0c"
                                       "10\x0d"
                                       "E1\x0e"),
                           true);
    ASSERT_EQ(controller->mode, mode::kCycling);
    boxes.clear();
    std::string path;
    if (c.file) path = c.bytes ? folder.write(c.file, *c.bytes) : folder.name(c.file);

    EXPECT_FALSE(c.azureus ? startAzureus(path) : startEmule(path));

    std::vector<std::string> texts;
    for (const Box& b : boxes)
        texts.push_back(b.text);
    EXPECT_EQ(texts, c.texts);
    EXPECT_EQ(boxes.back().title, "Brio - Error");
    EXPECT_EQ(boxes.back().icon, platform::MessageIcon::Warning);
    EXPECT_EQ(controller->emuleFeed(), nullptr);
    EXPECT_EQ(controller->azureusFeed(), nullptr);
    // Whatever ran goes on: nothing restored, nothing applied.
    EXPECT_EQ(controller->mode, mode::kCycling);
    EXPECT_TRUE(controller->cycling());
    EXPECT_EQ(headless::runningTimers(), 1u);
    EXPECT_EQ(shown(), std::vector<std::string>{"E1"});
}

INSTANTIATE_TEST_SUITE_P(
    Feeds, FeedStartFailureTest,
    testing::Values(
        StartFailure{
            "EmuleNoPath", false, nullptr, std::nullopt, {"Brak ścieżki dostępu do pliku onlinesig.dat!"}},
        StartFailure{"EmuleMissing", false, "missing.dat", std::nullopt, {sizeFailure(2), kBadEmulePath}},
        StartFailure{"EmuleEmpty", false, "empty.dat", "", {kBadEmulePath}},
        StartFailure{"EmuleOnlyZeros", false, "zeros.dat", std::string(2, '\0'), {kBadEmulePath}},
        StartFailure{"AzureusNoPath", true, nullptr, std::nullopt, {"Brak ścieżki dostępu do pliku!"}},
        StartFailure{"AzureusMissing", true, "missing.xml", std::nullopt, {sizeFailure(2), kBadAzureusPath}},
        StartFailure{"AzureusEmpty", true, "empty.xml", "", {kBadAzureusPath}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FeedsTest, StartReadsTheFileAndAppliesTheFormatWithStatusesKept) {
    ASSERT_TRUE(startEmule(folder.write("onlinesig.dat", kOnlineSig)));
    EXPECT_EQ(controller->mode, mode::kEmule);
    EXPECT_EQ(speedTexts().emuleDown, "12.3");
    EXPECT_EQ(speedTexts().emuleUp, "4.5");
    EXPECT_EQ(nets.sets, (std::vector<SetCall>{{10, -1, "D: 12.3 U: 4.5"}}));
    EXPECT_TRUE(boxes.empty());
}

struct IntervalCase {
    int32_t setting;
    uint32_t ms;
};

class FeedIntervalTest : public FeedsTest, public ::testing::WithParamInterface<IntervalCase> {};

TEST_P(FeedIntervalTest, KeptBetweenTenSecondsAndAnHour) {
    ASSERT_TRUE(startEmule(folder.write("onlinesig.dat", kOnlineSig), GetParam().setting));
    EXPECT_EQ(headless::timerInterval(controller->emuleFeed()->timer()), GetParam().ms);
    controller->setEmuleFeed(false, "", 0);
    ASSERT_TRUE(startAzureus(folder.write("stats.xml", azureusStats("1", "2")), GetParam().setting));
    EXPECT_EQ(headless::timerInterval(controller->azureusFeed()->timer()), GetParam().ms);
}

INSTANTIATE_TEST_SUITE_P(Feeds, FeedIntervalTest,
                         testing::Values(IntervalCase{10, 10000}, IntervalCase{60, 60000},
                                         IntervalCase{3600, 3600000}, IntervalCase{9, 10000},
                                         IntervalCase{0, 10000}, IntervalCase{-5, 10000},
                                         IntervalCase{3601, 3600000}, IntervalCase{2147483647, 3600000}));

// --- running ---

TEST_F(FeedsTest, EveryPeriodRereadsTheFileAndTheFormat) {
    const std::string path = folder.write("onlinesig.dat", kOnlineSig);
    ASSERT_TRUE(startEmule(path, 60));
    headless::advance(59999);
    EXPECT_EQ(nets.sets.size(), 1u);
    folder.write("onlinesig.dat", "1|a|b|c\n20.0|1.5|0\n");
    host.texts[setting::kFormat] = "{UpSpeed}/{DownSpeed}";
    headless::advance(1);
    EXPECT_EQ(shown(), (std::vector<std::string>{"D: 12.3 U: 4.5", "1.5/20.0"}));
    headless::advance(60000);
    EXPECT_EQ(nets.sets.size(), 3u);
    EXPECT_EQ(nets.sets.back().status, -1);
}

TEST_F(FeedsTest, AnEmptyFormatRunsTheFeedButAppliesNothing) {
    host.texts[setting::kFormat] = "";
    ASSERT_TRUE(startEmule(folder.write("onlinesig.dat", kOnlineSig)));
    headless::advance(20000);
    EXPECT_TRUE(nets.sets.empty());
    EXPECT_EQ(speedTexts().emuleDown, "12.3");
    EXPECT_EQ(headless::runningTimers(), 1u);
}

TEST_F(FeedsTest, AnEmptyFileSkipsThePeriodSilently) {
    const std::string path = folder.write("onlinesig.dat", kOnlineSig);
    ASSERT_TRUE(startEmule(path));
    folder.write("onlinesig.dat", "");
    headless::advance(10000);
    EXPECT_EQ(nets.sets.size(), 1u);
    EXPECT_EQ(speedTexts().emuleDown, "12.3");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(FeedsTest, AnUnreadableFileIsReportedEachPeriodAndTheFeedGoesOn) {
    const std::string path = folder.write("onlinesig.dat", kOnlineSig);
    ASSERT_TRUE(startEmule(path));
    folder.remove(path);
    headless::advance(20000);
    EXPECT_EQ(boxes, (std::vector<Box>(2, Box{sizeFailure(2), "Error", platform::MessageIcon::None})));
    EXPECT_EQ(nets.sets.size(), 1u);
    EXPECT_EQ(speedTexts().emuleUp, "4.5");
    folder.write("onlinesig.dat", "1|a|b|c\n9|8|7\n");
    headless::advance(10000);
    EXPECT_EQ(nets.sets.back().text, "D: 9 U: 8");
}

TEST_F(FeedsTest, AStatisticsFileWithoutAnElementKeepsTheFeedRunning) {
    const std::string path = folder.write("stats.xml", "<STATS/>");
    ASSERT_TRUE(startAzureus(path));
    EXPECT_EQ(nets.sets.back().text, "D:  U: ");
    folder.write("stats.xml", "<UPLOAD_SPEED><TEXT>3" + kUnit + "</TEXT></UPLOAD_SPEED>");
    headless::advance(10000);
    EXPECT_EQ(controller->mode, mode::kAzureus);
    EXPECT_EQ(nets.sets.back().text, "D:  U: 3");
}

// The user switches the feed off while the box about its file is open: the period that showed the box
// must not touch the feed afterwards, and nothing is applied.
TEST_F(FeedsTest, StoppedWhileItsMessageBoxIsOpen) {
    const std::string path = folder.write("onlinesig.dat", kOnlineSig);
    for (bool replaced : {false, true}) {
        SCOPED_TRACE(replaced ? "replaced by a new feed" : "switched off");
        ASSERT_TRUE(startEmule(path));
        folder.remove(path);
        duringBox = [&] {
            duringBox = nullptr;
            controller->setEmuleFeed(false, "", 0);
            if (replaced) startEmule(folder.write("onlinesig.dat", "1|a|b|c\n5|6|\n"));
        };
        nets.sets.clear();
        headless::advance(10000);
        // Only what the switch itself applied: the restore, and for a new feed its first reading.
        std::vector<std::string> expected{"saved"};
        if (replaced) expected.push_back("D: 5 U: 6");
        EXPECT_EQ(shown(), expected);
        controller->setEmuleFeed(false, "", 0);
        folder.write("onlinesig.dat", kOnlineSig);
    }
}

// Periods that come due while the box of an earlier one is still open are let pass, so that boxes do
// not pile up while nobody is there to answer them.
TEST_F(FeedsTest, PeriodsDueWhileABoxIsOpenDoNotStackBoxes) {
    const std::string path = folder.write("onlinesig.dat", kOnlineSig);
    ASSERT_TRUE(startEmule(path));
    folder.remove(path);
    duringBox = [&] {
        duringBox = nullptr;
        headless::advance(30000); // three more periods while the box is open
    };
    headless::advance(10000);
    EXPECT_EQ(boxes.size(), 1u);
    headless::advance(40000); // once it is closed, the next period reports again
    EXPECT_GT(boxes.size(), 1u);
}

// --- stopping ---

TEST_F(FeedsTest, SwitchingOffEmptiesTheSpeedsAndRestores) {
    ASSERT_TRUE(startEmule(folder.write("onlinesig.dat", kOnlineSig)));
    EXPECT_TRUE(controller->setEmuleFeed(false, "", 0));
    EXPECT_EQ(controller->mode, mode::kNone);
    EXPECT_EQ(controller->emuleFeed(), nullptr);
    EXPECT_EQ(speedTexts().emuleDown, "");
    EXPECT_EQ(speedTexts().emuleUp, "");
    EXPECT_EQ(headless::runningTimers(), 0u);
    EXPECT_EQ(shown(), (std::vector<std::string>{"D: 12.3 U: 4.5", "saved"}));

    ASSERT_TRUE(startAzureus(folder.write("stats.xml", azureusStats("1", "2"))));
    EXPECT_EQ(speedTexts().azureusDown, "1");
    EXPECT_TRUE(controller->setAzureusFeed(false, "", 0));
    EXPECT_EQ(speedTexts().azureusDown, "");
    EXPECT_EQ(speedTexts().azureusUp, "");
    EXPECT_EQ(nets.sets.back().text, "saved");
}

TEST_F(FeedsTest, SwitchingOffAFeedThatDoesNotRunLeavesTheOtherActivity) {
    controller->setCycling(true,
                           std::string("0\x0c"
                                       "10\x0d"
                                       "E1\x0e"),
                           true);
    EXPECT_TRUE(controller->setEmuleFeed(false, "", 0));
    EXPECT_TRUE(controller->setAzureusFeed(false, "", 0));
    EXPECT_EQ(controller->mode, mode::kCycling);
    EXPECT_EQ(shown(), std::vector<std::string>{"E1"});
}

TEST_F(FeedsTest, AnotherActivityStopsTheFeedWithoutRestoring) {
    ASSERT_TRUE(startEmule(folder.write("onlinesig.dat", kOnlineSig)));
    controller->setCycling(true,
                           std::string("0\x0c"
                                       "10\x0d"
                                       "up {UpSpeed}!\x0e"),
                           true);
    EXPECT_EQ(controller->emuleFeed(), nullptr);
    EXPECT_EQ(speedTexts().emuleUp, "");
    EXPECT_EQ(shown(), (std::vector<std::string>{"D: 12.3 U: 4.5", "up !"}));
    EXPECT_EQ(headless::runningTimers(), 1u); // the cycle's, not the feed's
    controller->setCycling(false, std::nullopt, true);
    EXPECT_EQ(nets.sets.back().text, "saved"); // what the user had before the feed
}

// A feed started over another activity keeps what was saved before that activity began; switched off,
// the feed puts the user's own description back.
TEST_F(FeedsTest, AFeedStartedOverAnotherActivityRestoresWhatThatShowed) {
    controller->setCycling(true,
                           std::string("0\x0c"
                                       "10\x0d"
                                       "E1\x0e"),
                           true);
    ASSERT_TRUE(startEmule(folder.write("onlinesig.dat", kOnlineSig)));
    EXPECT_FALSE(controller->cycling());
    EXPECT_EQ(headless::runningTimers(), 1u);
    EXPECT_TRUE(controller->setEmuleFeed(false, "", 0));
    EXPECT_EQ(shown(), (std::vector<std::string>{"E1", "D: 12.3 U: 4.5", "saved"}));

    host.contacts[{3, contactColumn::kDescription}] = "cudzy";
    controller->setStealing(true, 3);
    ASSERT_TRUE(startAzureus(folder.write("stats.xml", azureusStats("1", "2"))));
    EXPECT_EQ(controller->mode, mode::kAzureus);
    EXPECT_EQ(headless::runningTimers(), 1u);
    EXPECT_TRUE(controller->setAzureusFeed(false, "", 0));
    EXPECT_EQ(shown().back(), "saved");
}

// A feed whose first application fails runs neither ticking nor stored, and what the cycle replaced
// comes back: nothing is left running, and the next use starts the feed afresh.
TEST_F(FeedsTest, AFeedWhoseFirstApplicationFailsLeavesNothingRunning) {
    controller->setCycling(true,
                           std::string("0\x0c"
                                       "10\x0d"
                                       "E1\x0e"),
                           true);
    const std::string path = folder.write("onlinesig.dat", kOnlineSig);
    nets.setsToFail = 1;
    EXPECT_ANY_THROW(startEmule(path));
    EXPECT_EQ(controller->emuleFeed(), nullptr);
    EXPECT_EQ(controller->mode, mode::kNone);
    EXPECT_FALSE(controller->cycling());
    EXPECT_EQ(headless::runningTimers(), 0u);
    EXPECT_EQ(shown(), (std::vector<std::string>{"E1", "saved"}));
    EXPECT_TRUE(startEmule(path));
    EXPECT_EQ(shown().back(), "D: 12.3 U: 4.5");
}

// Speeds that would make the format's description too long to build: the start says so, and nothing
// of it stays; what ran before is given back as the user had it.
TEST_F(FeedsTest, AFormatTooLongToFillStartsNothing) {
    controller->setCycling(true,
                           std::string("0\x0c"
                                       "10\x0d"
                                       "E1\x0e"),
                           true);
    std::string format;
    for (int i = 0; i < 1300; ++i)
        format += "{DownSpeed}";
    host.texts[setting::kFormat] = format;
    boxes.clear();
    EXPECT_FALSE(startEmule(folder.write("onlinesig.dat", "1|a|b|c\n" + std::string(64, '9') + "|4.5|7\n")));
    EXPECT_EQ(boxes, (std::vector<Box>{{"Opis z formatowania byłby za długi!", "Brio - Error",
                                        platform::MessageIcon::Warning}}));
    // Known once the file is read: the running cycle was never stopped.
    EXPECT_EQ(controller->emuleFeed(), nullptr);
    EXPECT_EQ(controller->mode, mode::kCycling);
    EXPECT_EQ(headless::runningTimers(), 1u);
    EXPECT_EQ(shown(), (std::vector<std::string>{"E1"}));
}

TEST_F(FeedsTest, AzureusStartedWhileEmuleRunsStopsItAndTakesPrecedence) {
    ASSERT_TRUE(startEmule(folder.write("onlinesig.dat", kOnlineSig)));
    ASSERT_TRUE(startAzureus(folder.write("stats.xml", azureusStats("48.2", "7.1"))));
    EXPECT_EQ(controller->emuleFeed(), nullptr);
    EXPECT_EQ(controller->mode, mode::kAzureus);
    EXPECT_EQ(speedTexts().emuleDown, "");
    EXPECT_EQ(headless::runningTimers(), 1u);
    // Even with eMule's speeds filled again, Azureus's are shown.
    speedTexts().emuleDown = "E";
    speedTexts().emuleUp = "e";
    headless::advance(10000);
    EXPECT_EQ(nets.sets.back().text, "D: 48.2 U: 7.1");
    controller->setAzureusFeed(false, "", 0);
    EXPECT_EQ(controller->setter().formatFor("{DownSpeed}{UpSpeed}", 10), "Ee");
}

TEST_F(FeedsTest, ShutdownRestoresAndAbandonSaysNothing) {
    ASSERT_TRUE(startAzureus(folder.write("stats.xml", azureusStats("1", "2"))));
    controller->shutdown();
    EXPECT_EQ(controller->azureusFeed(), nullptr);
    EXPECT_EQ(nets.sets.back().text, "saved");
    EXPECT_EQ(headless::runningTimers(), 0u);

    ASSERT_TRUE(startEmule(folder.write("onlinesig.dat", kOnlineSig)));
    const size_t sent = host.sent.size();
    controller->abandon();
    headless::advance(60000);
    controller.reset();
    EXPECT_EQ(host.sent.size(), sent);
    EXPECT_EQ(headless::runningTimers(), 0u);
    EXPECT_EQ(speedTexts().emuleDown, "");
}

} // namespace
} // namespace brio
