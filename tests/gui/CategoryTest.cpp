#include "TestDatabase.h"

#include "browse/CategoryLoader.h"
#include "browse/CategoryStatement.h"
#include "data/DbConnection.h"
#include "ground/AppConstants.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"
#include "tests/core/PageDamage.h"

#include <gtest/gtest.h>

TEST(CategoryStatement, RootAndSubtreeStatements) {
    CEditionConfig config;
    EXPECT_EQ(CategoryStatement(config, 0),
              "select distinct lawid, topic, datum, wenhao, bumen from dornlaws order by datum "
              "DESC");
    EXPECT_EQ(CategoryStatement(config, 0x2000000),
              "select distinct v.lawid as lawid,l.topic as topic,l.datum as datum,l.wenhao as "
              "wenhao,l.bumen as bumen from (dornlawas v left join dornlaws l on "
              "v.lawid=l.lawid) where v.treeid>=33554432 and v.treeid<67108864 order by datum "
              "DESC");
    config.SetEdition(1);
    EXPECT_NE(CategoryStatement(config, 0x2080000)
                  .find("(en_dornlawas v left join en_dornlaws l on v.lawid=l.lawid) where "
                        "v.treeid>=34078720 and v.treeid<34603008"),
              std::string::npos);
}

TEST(CategoryLoader, DepthFirstInDescendingOrder) {
    CMessageRecorder recorder;
    CTestDatabase db;
    const int a = 0x2000000, b = 0x4000000, a1 = a + 0x80000, a2 = a + 2 * 0x80000;
    db.AddCategory(0, a, 0, "A", 1, 2);
    db.AddCategory(0, b, 0, "B", 2, 0);
    db.AddCategory(0, a1, a, "A1", 5, 0);
    db.AddCategory(0, a2, a, "A2", 7, 1);          // childs > 0 but no child rows
    db.AddCategory(0, b + 0x80000, b, "B1", 1, 0); // childs of B is 0: not read
    // A row with id 0 lists itself among the root's children: it must not loop.
    db.AddCategory(0, 0, 0, "Zero", -5, 1);
    CDbConnection conn;
    ASSERT_EQ(conn.Connect(kConnectionString, 0), 1);
    CCategoryLoader loader(conn, "dorntree");
    const auto items = loader.LoadChildren(0);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[2].m_strName, "Zero");
    EXPECT_TRUE(items[2].m_children.empty());
    EXPECT_EQ(items[0].m_strName, "B");
    EXPECT_TRUE(items[0].m_children.empty());
    EXPECT_EQ(items[1].m_strName, "A");
    ASSERT_EQ(items[1].m_children.size(), 2u);
    EXPECT_EQ(items[1].m_children[0].m_strName, "A2");
    EXPECT_EQ(items[1].m_children[0].m_nId, a2);
    EXPECT_EQ(items[1].m_children[1].m_strName, "A1");
    EXPECT_TRUE(CCategoryLoader(conn, "no_such_table").LoadChildren(0).empty());
    EXPECT_FALSE(loader.HasFailed());
}

TEST(CategoryLoader, DamagedTableIsAFailureNotAnEmptyTree) {
    CMessageRecorder recorder;
    CTestDatabase db;
    for (int k = 1; k <= 40; ++k)
        db.AddCategory(0, k << 25, 0, "类别" + std::to_string(k), k, 0);
    DamageLeafPages(db.Dir() + "/db1.mdb", "dorntree", 0.0);
    CDbConnection conn;
    ASSERT_EQ(conn.Connect(kConnectionString, 0), 1);
    CCategoryLoader loader(conn, "dorntree");
    EXPECT_LT(loader.LoadChildren(0).size(), 40u);
    EXPECT_TRUE(loader.HasFailed());
    EXPECT_NE(loader.GetFailure().find("malformed"), std::string::npos) << loader.GetFailure();
}
