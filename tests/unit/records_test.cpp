#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "frame/record_reader.h"

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

} // namespace
} // namespace brio
