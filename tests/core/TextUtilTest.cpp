#include "app/TextUtil.h"

#include <gtest/gtest.h>

TEST(ExtractFirstWord, SplitsAtFirstSpace) {
    std::string text = "合同  法\t规";
    EXPECT_EQ(ExtractFirstWord(text), "合同");
    EXPECT_EQ(text, "法\t规");
}
