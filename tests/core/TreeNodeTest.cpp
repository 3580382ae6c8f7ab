#include "data/TreeNode.h"
#include "ground/MessageService.h"
#include "tests/core/TestDb.h"

#include <gtest/gtest.h>

TEST(TreeNode, LevelsAndRangeEnds) {
    const struct {
        int id;
        int level;
        int rangeEnd;
    } cases[] = {
        {0, 0, 0x7E000000},          {-5, 0, -5 + 0x7E000000},   {0x2000000, 1, 0x4000000},
        {0x2080000, 2, 0x2100000},   {0x2082000, 3, 0x2084000},  {0x2082080, 4, 0x2082100},
        {0x2082081, 5, 0x2082082},   {62 << 25, 1, 0x7E000000},
    };
    for (const auto& c : cases) {
        CTreeNode node;
        node.SetNodeId(c.id);
        EXPECT_EQ(node.GetLevel(), c.level) << c.id;
        EXPECT_EQ(node.GetRangeEnd(), c.rangeEnd) << c.id;
    }
}

TEST(TreeNode, FindFreeChildIdTakesTheFirstGap) {
    CMessageRecorder boxes;
    TestDb fixture;
    CDbConnection db;
    fixture.Connect(db);
    CTreeNode node("dorntree", &db);
    node.SetNodeId(0);
    EXPECT_EQ(node.FindFreeChildId(), 0x2000000) << "empty table";

    const int parent = 3 << 25;
    for (int k : {1, 3})
        ASSERT_TRUE(db.Execute(("insert into dorntree ( id,parid ) values( " +
                                std::to_string(parent + k * (1 << 19)) + "," +
                                std::to_string(parent) + " )")
                                   .c_str()));
    node.SetNodeId(parent);
    EXPECT_EQ(node.FindFreeChildId(), parent + 2 * (1 << 19));

    for (int k = 1; k <= 62; ++k)
        ASSERT_TRUE(db.Execute(
            ("insert into dorntree ( id,parid ) values( " + std::to_string(k << 25) + ",0 )").c_str()));
    node.SetNodeId(0);
    EXPECT_EQ(node.FindFreeChildId(), -1) << "62 top-level categories in place";
    node.SetNodeId(0x2082081);
    EXPECT_EQ(node.FindFreeChildId(), -1) << "level 5 has no children";

    CTreeNode broken("no_such_table", &db);
    broken.SetNodeId(0);
    EXPECT_EQ(broken.FindFreeChildId(), 0);
}
