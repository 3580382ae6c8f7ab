#include "data/DbErrorText.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

// Only a damaged file, or one that is no database, is called damaged; every failure gets
// plain words on what failed and what to do, and the engine's text as the detail.
TEST(DbErrorText, OnlyDamageIsCalledDamage) {
    const struct {
        int code;
        bool damage;
        const char* advice; // part of the advice
    } cases[] = {
        {SQLITE_CORRUPT, true, "可能已经损坏"},
        {SQLITE_CORRUPT_INDEX, true, "可能已经损坏"},
        {SQLITE_NOTADB, true, "可能已经损坏"},
        {SQLITE_ERROR, false, "无法执行这次查询"},
        {SQLITE_BUSY, false, "另一个程序"},
        {SQLITE_IOERR_READ, false, "磁盘"},
        {SQLITE_FULL, false, "磁盘已满"},
        {SQLITE_NOMEM, false, "内存不足"},
        {SQLITE_CANTOPEN, false, "无法访问"},
        {SQLITE_INTERRUPT, false, "中断"},
        {0, false, "请重试"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(CDbErrorText::IsDamage(c.code), c.damage);
        const std::string text = CDbErrorText::Compose("读取法规时出错。", c.code, "engine text");
        EXPECT_EQ(text.rfind("读取法规时出错。\n", 0), 0u) << text;
        EXPECT_NE(text.find(c.advice), std::string::npos) << text;
        EXPECT_EQ(text.find("可能已经损坏") != std::string::npos, c.damage) << text;
        EXPECT_NE(text.find("详细信息：engine text"), std::string::npos) << text;
    }
}
