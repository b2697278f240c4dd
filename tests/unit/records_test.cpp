#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "boundary/host_gateway.h"
#include "boundary/record_reader.h"
#include "fake_host.h"

namespace brio {
namespace {

// A record of `size` bytes whose bytes after the size field count up from 1, in a buffer of exactly that
// many bytes, so that a read past the end shows under the address sanitizer.
std::vector<uint8_t> record(uint16_t size) {
    std::vector<uint8_t> bytes(size);
    std::memcpy(bytes.data(), &size, 2);
    for (size_t i = 2; i < size; ++i)
        bytes[i] = uint8_t(i - 1);
    return bytes;
}

TEST(RecordReaderTest, ReadsAFieldThatEndsExactlyAtTheRecordsEnd) {
    const std::vector<uint8_t> r = record(10);
    RecordReader reader(r.data());
    EXPECT_EQ(reader.size(), 10u);
    EXPECT_EQ(reader.i32(6), int32_t(0x08070605));
    EXPECT_EQ(reader.i32(2), int32_t(0x04030201));
}

TEST(RecordReaderTest, AFieldReachingPastTheEndGivesTheFallback) {
    const std::vector<uint8_t> r = record(9);
    RecordReader reader(r.data());
    EXPECT_EQ(reader.i32(6, -7), -7);
    EXPECT_EQ(reader.i32(5, -7), int32_t(0x07060504));
    EXPECT_FALSE(reader.holds(8, 2));
    EXPECT_TRUE(reader.holds(7, 2));
}

TEST(RecordReaderTest, ARecordTooShortForItsOwnSizeOrMissingHoldsNothing) {
    const std::vector<uint8_t> r = record(2);
    EXPECT_EQ(RecordReader(r.data()).i32(2, 5), 5);
    RecordReader none(nullptr);
    EXPECT_EQ(none.size(), 0u);
    EXPECT_EQ(none.i32(0, 3), 3);
}

// The value records of the configuration table, byte for byte: integers read with size 0, texts read
// with size -1 (the host makes a copy) and written with size 0; contacts' texts read with size -1.
TEST(HostGatewayRecords, ValueRecordsCarryKindValueAndSize) {
    test::FakeHost host;
    host.ints[445005] = 77;
    host.texts[445004] = "abc";
    host.contacts[{5, 8}] = "Ala";
    const HostGateway gateway(&host);
    EXPECT_EQ(gateway.readInt(445005), 77);
    EXPECT_EQ(gateway.readText(445004), "abc");
    gateway.writeText(445006, "xyz");
    EXPECT_EQ(gateway.readContactText(5, 8), "Ala");
    ASSERT_EQ(host.valueCalls.size(), 4u);
    const std::string zero4(4, '\0'), minus1("\xFF\xFF\xFF\xFF", 4);
    const auto& c = host.valueCalls;
    EXPECT_EQ(std::make_tuple(c[0].set, c[0].table, c[0].row, c[0].column), std::make_tuple(false, 0, 0, 445005));
    EXPECT_EQ(c[0].bytes, std::string("\0\0", 2) + zero4 + zero4);
    EXPECT_EQ(std::make_tuple(c[1].set, c[1].table, c[1].row, c[1].column), std::make_tuple(false, 0, 0, 445004));
    EXPECT_EQ(c[1].bytes, std::string("\x01\0", 2) + zero4 + minus1);
    EXPECT_EQ(std::make_tuple(c[2].set, c[2].table, c[2].row, c[2].column), std::make_tuple(true, 0, 0, 445006));
    EXPECT_EQ(c[2].bytes.substr(0, 2), std::string("\x01\0", 2));
    EXPECT_NE(c[2].bytes.substr(2, 4), zero4); // the text's address
    EXPECT_EQ(c[2].bytes.substr(6), zero4);
    EXPECT_EQ(host.texts[445006], "xyz");
    EXPECT_EQ(std::make_tuple(c[3].set, c[3].table, c[3].row, c[3].column), std::make_tuple(false, 1, 5, 8));
    EXPECT_EQ(c[3].bytes, std::string("\x01\0", 2) + zero4 + minus1);
    EXPECT_EQ(host.outstandingCopies, 0);
}

} // namespace
} // namespace brio
