#include <gtest/gtest.h>
#include "frame/records.h"
TEST(Records, Sizes) { EXPECT_EQ(sizeof(brio::MessageRecord), 30u); }
