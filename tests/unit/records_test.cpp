#include "frame/records.h"
#include <gtest/gtest.h>
TEST(Records, Sizes) {
    EXPECT_EQ(sizeof(brio::MessageRecord), 30u);
}
